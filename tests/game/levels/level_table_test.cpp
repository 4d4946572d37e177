// The fifteen built-in levels and their backgrounds.
#include "game/levels/level_table.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/levels/bricks.hpp"
#include "game/state/game_state.hpp"

namespace game::levels {
namespace {

std::vector<Brick> Load(int level) {
    loadBuiltInLevel(level);
    return std::vector<Brick>(Bricks().begin(), Bricks().end());
}

int CountCode(const std::vector<Brick>& bricks, int code) {
    return int(
        std::count_if(bricks.begin(), bricks.end(), [&](auto& b) { return b.code == code; }));
}

TEST(LevelTable, EveryLevelLaysItsBricksOnTheGridAndCountsTheBreakableOnes) {
    for (int level = 1; level <= kBuiltInLevels; ++level) {
        const auto bricks = Load(level);
        for (std::size_t i = 0; i < bricks.size(); ++i) {
            const Brick& b = bricks[i];
            ASSERT_TRUE(IsBrickCode(b.code) && b.x >= 75 && b.x <= 702 && (b.x - 75) % 33 == 0 &&
                        b.y >= 75 && b.y <= 299 && (b.y - 75) % 32 == 0)
                << level;
            EXPECT_EQ(b.hits, b.code == 102 ? 3 : 0);
            // Row by row from the top, left to right.
            if (i > 0) {
                EXPECT_LT(bricks[i - 1].y * 1000 + bricks[i - 1].x, b.y * 1000 + b.x);
            }
        }
        EXPECT_EQ(state::Game().bricksLeft, int(bricks.size()) - CountCode(bricks, 103)) << level;
    }
    auto bricks = Load(1);
    EXPECT_EQ(bricks.size(), 120u);
    EXPECT_TRUE(std::none_of(bricks.begin(), bricks.end(),
                             [](auto& b) { return b.y == CellY(4) || b.y == CellY(7); }));
    bricks = Load(2);
    EXPECT_EQ(std::pair(bricks.front().x, bricks.front().y), std::pair(75, 75));
    EXPECT_EQ(std::pair(bricks.back().x, bricks.back().y), std::pair(702, 299));
    bricks = Load(3);
    EXPECT_EQ(bricks.size(), 109u);
    EXPECT_EQ(CountCode(bricks, 103), 23);
    EXPECT_EQ(state::Game().bricksLeft, 86);
    EXPECT_EQ(CountCode(Load(13), 102), 60);
    EXPECT_EQ(state::Game().bricksLeft, 140);
    EXPECT_TRUE(Load(16).empty());
}

TEST(LevelTable, BackgroundsByLevelAndByLevelFileCode) {
    const std::string packs[3] = {"data\\lvl0105.pak", "data\\lvl0610.pak", "data\\lvl1115.pak"};
    const int sprites[5] = {50, 52, 51, 54, 50};
    for (int level = 1; level <= 15; ++level) {
        EXPECT_EQ(backgroundPackFor(level), packs[(level - 1) / 5]) << level;
        EXPECT_EQ(backgroundSpriteFor(level), sprites[(level - 1) % 5]) << level;
    }
    const std::pair<int, int> byCode[6] = {{1, 52}, {1, 51}, {1, 54}, {2, 51}, {2, 50}, {0, 50}};
    for (int code = 200; code <= 205; ++code) {
        EXPECT_EQ(backgroundForCode(code).pack, packs[byCode[code - 200].first]) << code;
        EXPECT_EQ(backgroundForCode(code).sprite, byCode[code - 200].second) << code;
    }
    for (int code : {0, 199, 206})
        EXPECT_EQ(backgroundForCode(code).pack, nullptr) << code;
}

}  // namespace
}  // namespace game::levels
