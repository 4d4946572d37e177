#pragma once

// How every numbered table of the game (sprites, images, sounds, files, windows...) treats
// numbers: a number from 0 to the table's highest is usable, and using one beyond the
// table's end grows it to that number plus ten slots.

#include <cstddef>

namespace runtime::support {

// The slots a table grows by beyond the number that made it grow.
inline constexpr std::size_t kGrowthSlots = 10;

constexpr bool UsableNumber(int n, int highest) {
    return n >= 0 && n <= highest;
}

// The size a table of `size` slots needs to hold slot n (n >= 0): unchanged when it already
// does, else n + margin.
constexpr std::size_t SlotsToHold(int n, std::size_t size, std::size_t margin = kGrowthSlots) {
    return std::size_t(n) < size ? size : std::size_t(n) + margin;
}

// Grows a vector-like table to hold slot n (n >= 0); new slots are value-initialised.
template <typename Table>
void GrowToHold(Table& table, int n, std::size_t margin = kGrowthSlots) {
    table.resize(SlotsToHold(n, table.size(), margin));
}

// Slot n of the table, grown to hold it, or null when n is not usable.
template <typename Table>
auto* SlotFor(Table& table, int n, int highest) {
    using Slot = decltype(&table[0]);
    if (!UsableNumber(n, highest)) return Slot(nullptr);
    GrowToHold(table, n);
    return &table[std::size_t(n)];
}

}  // namespace runtime::support
