#pragma once

#include <cstdint>

// The fifteen built-in levels of the full game and the backgrounds that go with them.
namespace game::levels {

inline constexpr int kBuiltInLevels = 15;

// One built-in level: eight rows of twenty cells, a letter 'd'..'j' for a brick code
// 100..106 and '.' for an empty cell, and the count of bricks that clears it.
struct LevelRecord {
    std::int16_t rows;
    std::int16_t columns;
    std::int16_t bricksToClear;
    const char* cells[8];
};

// Level 1 to 15; null for any other number.
const LevelRecord* BuiltInLevel(int levelNumber);

// Empties the brick list and fills it with the level's bricks in layout order; sets the
// bricks-left counter. Only levels 1 to 15 exist: any other number leaves the list empty.
void loadBuiltInLevel(int levelNumber);

// A level's background: the pack whose four entries become sprites 50, 51, 52 and 54,
// and the one of them drawn behind play. No pack (null) means no background.
struct Background {
    const char* pack = nullptr;
    int sprite = 0;
};

const char* backgroundPackFor(int levelNumber);
int backgroundSpriteFor(int levelNumber);
// For the background code of a level file (200 to 205; anything else has none).
Background backgroundForCode(int backgroundCode);

// The sprites a background pack's four entries are read into, in entry order.
inline constexpr int kBackgroundSprites[4] = {50, 51, 52, 54};

}  // namespace game::levels
