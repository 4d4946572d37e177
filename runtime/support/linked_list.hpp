#pragma once

#include <cstddef>
#include <iterator>
#include <type_traits>
#include <utility>

namespace runtime::support {

// The game's doubly linked list (the brick list is one): elements hold the caller's data,
// zeroed when added, and the list keeps a current element that the operations below move.
// "No current element" means before the first one. Every operation takes constant time.
template <typename T>
class LinkedList;

template <typename T>
void NewList(LinkedList<T>& list);
template <typename T>
void ResetList(LinkedList<T>& list);
template <typename T>
T* NextElement(LinkedList<T>& list);
template <typename T>
T* AddElement(LinkedList<T>& list);
template <typename T>
void DeleteElement(LinkedList<T>& list);
template <typename T>
void ClearList(LinkedList<T>& list);

template <typename T>
class LinkedList {
    static_assert(std::is_default_constructible_v<T>, "elements are created zeroed");

    struct Element {
        Element* next = nullptr;
        Element* previous = nullptr;
        T data{};
    };

  public:
    LinkedList() = default;
    ~LinkedList() { ClearList(*this); }
    LinkedList(const LinkedList&) = delete;
    LinkedList& operator=(const LinkedList&) = delete;
    LinkedList(LinkedList&& other) noexcept { Take(other); }
    LinkedList& operator=(LinkedList&& other) noexcept {
        if (this != &other) {
            ClearList(*this);
            Take(other);
        }
        return *this;
    }

    int Count() const { return count_; }
    // 1-based position of the current element, as the list has counted it.
    int Index() const { return index_; }
    T* Current() const { return current_ ? &current_->data : nullptr; }

    // Walks the elements in order without moving the current element (for drawing).
    template <typename V, typename E>
    class Iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::remove_const_t<V>;
        using difference_type = std::ptrdiff_t;
        using pointer = V*;
        using reference = V&;

        Iterator() = default;
        explicit Iterator(E* element) : element_(element) {}
        V& operator*() const { return element_->data; }
        V* operator->() const { return &element_->data; }
        Iterator& operator++() {
            element_ = element_->next;
            return *this;
        }
        Iterator operator++(int) {
            Iterator old = *this;
            element_ = element_->next;
            return old;
        }
        bool operator==(const Iterator& other) const { return element_ == other.element_; }

      private:
        E* element_ = nullptr;
    };
    using iterator = Iterator<T, Element>;
    using const_iterator = Iterator<const T, const Element>;

    iterator begin() { return iterator(first_); }
    iterator end() { return iterator(); }
    const_iterator begin() const { return const_iterator(first_); }
    const_iterator end() const { return const_iterator(); }

  private:
    void Take(LinkedList& other) {
        first_ = std::exchange(other.first_, nullptr);
        last_ = std::exchange(other.last_, nullptr);
        current_ = std::exchange(other.current_, nullptr);
        count_ = std::exchange(other.count_, 0);
        index_ = std::exchange(other.index_, 0);
    }

    Element* first_ = nullptr;
    Element* last_ = nullptr;
    Element* current_ = nullptr;
    int count_ = 0;
    int index_ = 0;

    friend void NewList<T>(LinkedList&);
    friend void ResetList<T>(LinkedList&);
    friend T* NextElement<T>(LinkedList&);
    friend T* AddElement<T>(LinkedList&);
    friend void DeleteElement<T>(LinkedList&);
    friend void ClearList<T>(LinkedList&);
};

// Makes the list empty, freeing whatever it held.
template <typename T>
void NewList(LinkedList<T>& list) {
    ClearList(list);
    list.index_ = 0;
}

// No current element: the next NextElement delivers the first one.
template <typename T>
void ResetList(LinkedList<T>& list) {
    list.current_ = nullptr;
}

// Moves to the next element and returns its data, or returns null at the end and stays.
template <typename T>
T* NextElement(LinkedList<T>& list) {
    if (list.current_ == nullptr) {
        // Kept: the index becomes 1 even on an empty list; the count is what the game
        // trusts.
        list.index_ = 1;
        list.current_ = list.first_;
        return list.current_ ? &list.current_->data : nullptr;
    }
    if (list.current_->next == nullptr) return nullptr;
    list.current_ = list.current_->next;
    ++list.index_;
    return &list.current_->data;
}

// Adds a zeroed element right after the current one, or at the front when there is no
// current element, and makes it current.
template <typename T>
T* AddElement(LinkedList<T>& list) {
    using Element = typename LinkedList<T>::Element;
    auto* element = new Element;
    ++list.count_;
    ++list.index_;
    Element* before = list.current_;
    Element* after = before ? before->next : list.first_;
    element->previous = before;
    element->next = after;
    if (before) {
        before->next = element;
    } else {
        list.first_ = element;
    }
    if (after) {
        after->previous = element;
    } else {
        list.last_ = element;
    }
    list.current_ = element;
    return &element->data;
}

// Deletes the current element. The element before it becomes current (none when the
// first one goes), so a NextElement loop that deletes still visits every other element
// exactly once.
template <typename T>
void DeleteElement(LinkedList<T>& list) {
    auto* element = list.current_;
    if (element == nullptr) return;
    --list.count_;
    --list.index_;
    if (element->previous) {
        element->previous->next = element->next;
    } else {
        list.first_ = element->next;
    }
    if (element->next) {
        element->next->previous = element->previous;
    } else {
        list.last_ = element->previous;
    }
    list.current_ = element->previous;
    delete element;
}

// Deletes every element.
template <typename T>
void ClearList(LinkedList<T>& list) {
    ResetList(list);
    while (NextElement(list) != nullptr)
        DeleteElement(list);
}

}  // namespace runtime::support
