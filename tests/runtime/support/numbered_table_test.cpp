// The rule every numbered table shares: numbers 0..highest are usable, and a number at or
// past the end grows the table to that number plus ten, keeping what it held.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/support/numbered_table.hpp"

namespace runtime::support {
namespace {

TEST(NumberedTable, GrowsToTheNumberPlusTenAndKeepsItsSlots) {
    std::vector<std::string> table(10);
    table[3] = "kept";
    std::string* slot = SlotFor(table, 9, 100);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(table.size(), 10u);  // slot 9 already existed
    EXPECT_EQ(slot, &table[9]);

    slot = SlotFor(table, 10, 100);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(table.size(), 20u);
    EXPECT_EQ(table[3], "kept");

    *SlotFor(table, 100, 100) = "last";
    EXPECT_EQ(table.size(), 110u);
    EXPECT_EQ(table[100], "last");

    // A table that grows by a wider margin still grows only when it must.
    GrowToHold(table, 200, 50);
    EXPECT_EQ(table.size(), 250u);
    GrowToHold(table, 249, 50);
    EXPECT_EQ(table.size(), 250u);
}

TEST(NumberedTable, RefusesNumbersOutsideZeroToHighestWithoutGrowing) {
    std::vector<int*> table(10, nullptr);
    EXPECT_EQ(SlotFor(table, -1, 100), nullptr);
    EXPECT_EQ(SlotFor(table, 101, 100), nullptr);
    EXPECT_EQ(SlotFor(table, 2147483647, 100), nullptr);
    EXPECT_EQ(table.size(), 10u);
    EXPECT_NE(SlotFor(table, 0, 100), nullptr);
}

}  // namespace
}  // namespace runtime::support
