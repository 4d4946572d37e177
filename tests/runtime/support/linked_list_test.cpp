// The list the game keeps its bricks in: placement of new elements, deleting while walking,
// and the count the game trusts.
#include "runtime/support/linked_list.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace runtime::support {
namespace {

struct Brick {
    int code;
    int x;
    int y;
    int hits;
};

std::vector<int> Codes(const LinkedList<Brick>& list) {
    std::vector<int> codes;
    for (const Brick& brick : list)
        codes.push_back(brick.code);
    return codes;
}

TEST(LinkedList, AddedElementsAreZeroedAndPlacedAfterTheCurrentOne) {
    LinkedList<Brick> list;
    NewList(list);
    Brick* first = AddElement(list);
    EXPECT_EQ(first->code, 0);
    EXPECT_EQ(first->x, 0);
    EXPECT_EQ(first->hits, 0);
    first->code = 1;
    AddElement(list)->code = 2;
    AddElement(list)->code = 3;
    EXPECT_EQ(Codes(list), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(list.Index(), 3);

    // With no current element the new one goes in front.
    ResetList(list);
    AddElement(list)->code = 0;
    EXPECT_EQ(Codes(list), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(list.Current()->code, 0);

    // In the middle: right after the current element.
    ResetList(list);
    NextElement(list);
    NextElement(list);
    AddElement(list)->code = 15;
    EXPECT_EQ(Codes(list), (std::vector<int>{0, 1, 15, 2, 3}));
    EXPECT_EQ(list.Count(), 5);
    EXPECT_EQ(list.Index(), 3);

    // At the end NextElement returns null and stays on the last element.
    while (NextElement(list) != nullptr) {
    }
    EXPECT_EQ(list.Current()->code, 3);
    EXPECT_EQ(NextElement(list), nullptr);
    AddElement(list)->code = 4;
    EXPECT_EQ(Codes(list), (std::vector<int>{0, 1, 15, 2, 3, 4}));
}

TEST(LinkedList, DeletingWhileWalkingVisitsEveryOtherElementOnce) {
    LinkedList<Brick> list;
    for (int code = 1; code <= 8; ++code)
        AddElement(list)->code = code;

    // Delete the first, a middle run, and the last, as bricks are destroyed in play.
    std::vector<int> visited;
    ResetList(list);
    while (Brick* brick = NextElement(list)) {
        visited.push_back(brick->code);
        if (brick->code == 1 || brick->code == 4 || brick->code == 5 || brick->code == 8) {
            DeleteElement(list);
        }
    }
    EXPECT_EQ(visited, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(Codes(list), (std::vector<int>{2, 3, 6, 7}));
    EXPECT_EQ(list.Count(), 4);
    // Deleting the last made the one before it current; adding goes after it, at the end.
    EXPECT_EQ(list.Current()->code, 7);
    AddElement(list)->code = 9;
    EXPECT_EQ(Codes(list), (std::vector<int>{2, 3, 6, 7, 9}));

    // Deleting everything while walking leaves an empty list with count 0.
    ResetList(list);
    int seen = 0;
    while (NextElement(list) != nullptr) {
        ++seen;
        DeleteElement(list);
    }
    EXPECT_EQ(seen, 5);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.begin() == list.end());
    EXPECT_EQ(list.Current(), nullptr);
    DeleteElement(list);  // nothing current: nothing happens
    EXPECT_EQ(list.Count(), 0);

    // The list is usable again after being emptied.
    AddElement(list)->code = 42;
    EXPECT_EQ(Codes(list), (std::vector<int>{42}));
}

TEST(LinkedList, ClearingAndStartingOver) {
    LinkedList<Brick> list;
    for (int code = 0; code < 100; ++code)
        AddElement(list)->code = code;
    ClearList(list);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.begin() == list.end());
    EXPECT_EQ(NextElement(list), nullptr);

    for (int code = 0; code < 3; ++code)
        AddElement(list)->code = code;
    NewList(list);  // a new list frees what the old one held
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Index(), 0);

    AddElement(list)->code = 7;
    LinkedList<Brick> moved = std::move(list);
    EXPECT_EQ(Codes(moved), (std::vector<int>{7}));
    EXPECT_EQ(moved.Count(), 1);
    EXPECT_EQ(list.Count(), 0);  // NOLINT: a moved-from list is empty
}

}  // namespace
}  // namespace runtime::support
