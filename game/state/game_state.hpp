#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The one record of the game's progress that every phase reads and writes, and the
// head-up display of score and lives drawn from it.
namespace game::state {

// Chosen once in the launcher: the fifteen built-in levels, or one level file.
enum class PlayMode { FullGame, SingleLevel };

// Chosen once in the pacing window: present on the display's 60 Hz retrace, or wait for a
// steady 60-per-second timer.
enum class PacingMode { RefreshPacing = 0, TimerPacing = 1 };

struct GameState {
    std::int32_t score = 0;
    std::int32_t lives = 0;
    std::int32_t levelNumber = 0;  // 16 once all built-in levels are done
    std::int16_t bricksLeft = 0;   // Kept: 16 bits; the level data decides what clears it
    std::int32_t barrierFlag = 0;  // level files switch the hazards on by these
    std::int32_t descentFlag = 0;
    std::int32_t backgroundCode = 0;  // level files only
    std::int32_t backgroundScroll = 0;
    std::int32_t decorationHeight = 0;  // y of the level-2 decoration
    std::string scoreText;

    PlayMode playMode = PlayMode::FullGame;
    std::string levelFilePath;  // the level file of SingleLevel, as the launcher built it
};

// The game's state for the whole run.
GameState& Game();

// Adds points without the undefined behaviour of a signed overflow; the score wraps as a
// 32-bit register would.
void AddScore(std::int32_t points);

// The score digits '0' to '9' are sprites 300 to 309, read from "data\sc.pak" at the start
// of a game.
inline constexpr int kFirstScoreDigit = 300;

// Each character as the sprite numbered its code plus 252, 32 pixels apart: the digits
// '0' to '9' are the score digit sprites.
void DrawDigits(std::string_view text, int x, int y);

// Nine digits with leading zeros; from 1,000,000,000 on the text is left as it was.
void updateScoreText();
void drawScore();
void drawLives();
void drawHud();

}  // namespace game::state
