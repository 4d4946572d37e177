#pragma once

#include <cstdint>

#include "game/presentation/packs/play_pack.hpp"
#include "runtime/support/linked_list.hpp"

// The bricks of the level being played, in layout order: row by row from the top, left to
// right. Play walks the list from the front, removes destroyed bricks and moves bricks down.
namespace game::levels {

// Brick codes; the code is also the number of the sprite that draws the brick.
inline constexpr int kFirstBrickCode = 100;  // 'd'
inline constexpr int kLastBrickCode = 106;   // 'j'
inline constexpr int kThreeHitBrick = 102;   // 'f'
inline constexpr int kSteelBrick = 103;      // 'g', never destroyed
static_assert(kFirstBrickCode == game::presentation::play_pack::kFirstBrick &&
              kLastBrickCode == game::presentation::play_pack::kLastBrick);

struct Brick {
    std::uint8_t code = 0;  // 100..106, or 0 for an empty cell of a level file
    std::int32_t x = 0;     // top-left corner on the screen
    std::int32_t y = 0;
    std::int32_t hits = 0;  // hits still needed: 3 for a new code-102 brick, else 0
};

using BrickList = runtime::support::LinkedList<Brick>;

// The one brick list of the game.
BrickList& Bricks();

// Differs: a cell that is no brick code is neither drawn nor hit
// (docs/differences.md, Levels)
// True for the codes that have a brick picture and brick behaviour (100 to 106).
inline bool IsBrickCode(int code) {
    return code >= kFirstBrickCode && code <= kLastBrickCode;
}

// Screen position of the cell in row r and column c, both from 1.
inline constexpr int CellX(int column) {
    return 75 + 33 * (column - 1);
}
inline constexpr int CellY(int row) {
    return 75 + 32 * (row - 1);
}

inline constexpr int kRows = 8;
inline constexpr int kColumns = 20;

}  // namespace game::levels
