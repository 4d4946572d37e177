// The score text and the score and lives display drawn over play.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "game/state/game_state.hpp"
#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sprites/sprites.hpp"

namespace game::state {
namespace {

// Digit sprites 300..309 and the life icon 15 are solid 24 x 30 blocks of their own colour.
std::uint32_t Colour(int n) {
    return runtime::screen::PixelOfColour(0x200000u + std::uint32_t(n));
}
std::uint32_t At(int x, int y) {
    return runtime::screen::BackBuffer().At(x, y) & 0xFFFFFFu;
}

TEST(ScoreDisplay, TextHasNineDigitsUntilABillionAndThenStays) {
    std::int32_t power = 1;
    for (int digits = 1; digits <= 9; ++digits, power *= 10) {
        for (std::int32_t score : {power - (digits == 1), power, power * 10 - 1}) {
            Game().score = score;
            updateScoreText();
            const std::string number = std::to_string(score);
            EXPECT_EQ(Game().scoreText, std::string(9 - number.size(), '0') + number);
        }
    }
    for (std::int32_t score : {1000000000, 2147483647}) {
        Game().score = score;
        updateScoreText();
        EXPECT_EQ(Game().scoreText, "999999999");  // the last nine-digit text stays
    }
}

TEST(ScoreDisplay, DigitsAndLifeIconsStandAtTheirPlaces) {
    runtime::screen::headless::UseHeadlessDisplay();
    ASSERT_TRUE(runtime::screen::InitSpriteEngine());
    ASSERT_TRUE(runtime::screen::OpenFullScreen(800, 600, 32, ""));
    for (int n : {15, 300, 301, 302, 303, 304, 305, 306, 307, 308, 309}) {
        ASSERT_TRUE(runtime::sprites::MakeBlankSprite(n, 24, 30));
        auto& pixels = runtime::sprites::FindSprite(n)->surface->pixels;
        std::fill(pixels.begin(), pixels.end(), Colour(n));
    }
    Game().score = 1234;
    Game().lives = 3;
    updateScoreText();
    drawHud();
    const std::string digits = "000001234";
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(At(20 + 32 * i, 20), Colour(300 + digits[std::size_t(i)] - '0')) << i;
        EXPECT_EQ(At(20 + 32 * i + 24, 49), 0u) << i;
    }
    EXPECT_EQ(At(19, 20) | At(20, 19) | At(20 + 32 * 9, 20), 0u);
    for (int x : {662, 694, 726})
        EXPECT_EQ(At(x, 30), Colour(15)) << x;
    EXPECT_EQ(At(661, 30) | At(758, 30), 0u);

    // The display does not rebuild the text; no lives, no icons.
    Game().score = 5;
    Game().lives = 0;
    runtime::screen::FillTarget(0, 0, 0);
    drawHud();
    EXPECT_EQ(At(20 + 32 * 8, 20), Colour(304));
    EXPECT_EQ(At(662, 30), 0u);
    runtime::screen::CloseScreenDisplay();
}

}  // namespace
}  // namespace game::state
