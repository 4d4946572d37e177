// The list the game keeps its bricks in: where new elements go, deleting while walking,
// and the count the game trusts.
#include "runtime/support/linked_list.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace runtime::support {
namespace {

struct Brick {
    int code, x, y, hits;
};

std::vector<int> Codes(const LinkedList<Brick>& list) {
    std::vector<int> codes;
    for (const Brick& brick : list)
        codes.push_back(brick.code);
    return codes;
}

TEST(LinkedList, NewElementsAreZeroedAndGoAfterTheCurrentOne) {
    LinkedList<Brick> list;
    NewList(list);
    Brick* first = AddElement(list);
    EXPECT_EQ(first->code + first->x + first->y + first->hits, 0);
    first->code = 1;
    AddElement(list)->code = 2;
    AddElement(list)->code = 3;
    ResetList(list);  // with no current element the new one goes in front
    AddElement(list)->code = 0;
    EXPECT_EQ(Codes(list), (std::vector<int>{0, 1, 2, 3}));

    ResetList(list);
    NextElement(list);
    NextElement(list);
    AddElement(list)->code = 15;  // right after the current element
    EXPECT_EQ(Codes(list), (std::vector<int>{0, 1, 15, 2, 3}));
    EXPECT_EQ(list.Index(), 3);
    EXPECT_EQ(list.Count(), 5);

    while (NextElement(list) != nullptr) {
    }
    EXPECT_EQ(list.Current()->code, 3);  // the end leaves the last element current
    AddElement(list)->code = 4;
    EXPECT_EQ(Codes(list), (std::vector<int>{0, 1, 15, 2, 3, 4}));
}

TEST(LinkedList, DeletingWhileWalkingVisitsEveryElementOnce) {
    LinkedList<Brick> list;
    for (int code = 1; code <= 8; ++code)
        AddElement(list)->code = code;
    // Delete the first, a run in the middle and the last, as bricks break in play.
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
    AddElement(list)->code = 9;  // the one before the deleted last is current
    EXPECT_EQ(Codes(list), (std::vector<int>{2, 3, 6, 7, 9}));

    int seen = 0;
    ResetList(list);
    while (NextElement(list) != nullptr) {
        ++seen;
        DeleteElement(list);
    }
    EXPECT_EQ(seen, 5);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.begin() == list.end());
    DeleteElement(list);  // nothing current: nothing happens
    EXPECT_EQ(list.Count(), 0);
    AddElement(list)->code = 42;
    EXPECT_EQ(Codes(list), (std::vector<int>{42}));

    for (int code = 0; code < 100; ++code)
        AddElement(list)->code = code;
    ClearList(list);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(NextElement(list), nullptr);
    AddElement(list);
    NewList(list);  // a new list frees what the old one held
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.begin() == list.end());
}

}  // namespace
}  // namespace runtime::support
