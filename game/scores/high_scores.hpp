#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The ten best scores with their names, kept in "data\number.bin" and "data\name.bin",
// the table picture the title menu and the game-over screen scroll through a window, and
// the game-over screen with its name entry.
namespace game::scores {

// Reads both score files (ten lines each) and orders the table.
void LoadHighScores();
void OrderHighScores();

// Draws the ordered table into sprite 200 with the bitmap font.
void DrawHighScoreTable();

// One frame of the table scrolling through its window (sprite 201, shown at (0, 265)).
void StepHighScoreScroller();

// Puts the score and name into the table and rewrites both files.
void SaveHighScore(std::int32_t score, std::string_view name);

// The game-over screen: the score, the name entry when it qualifies, the table; ends on
// Escape (or when the player closes the window, with nothing saved half-way).
void runGameOver();

// The name the last game-over screen put into the table with the game's score, or nothing
// when that game did not enter it.
const std::optional<std::string>& enteredHighScoreName();

// ---- Shared with the title menu ----

struct HighScoreEntry {
    std::int32_t score = 0;
    std::string name;
};

// The ordered table, place 1 (highest) first.
const std::array<HighScoreEntry, 10>& orderedHighScores();

// True when the score beats some place of the ordered table; a score equal to the tenth
// does not, and a score of 0 never does.
bool scoreQualifies(std::int32_t score);

// Makes the blank table picture (sprite 200, 800 x 600) and scroller window (sprite 201,
// 800 x 270), both black, and draws the ordered table into the picture.
void makeHighScorePictures();

// The scroller's row in the table picture: the title menu starts it at 0 on every entry
// and leaves its frame divider running on; the game-over screen restarts both.
void setHighScoreScrollerRow(int row);
void restartHighScoreScroller(int row);
int highScoreScrollerRow();

// Turns an 800 x 268 window background one step inside its own sprite: up and left for
// the first 250 steps of the window phase, down and left for the rest, then over again.
// The title menu (sprite 1) and the game-over screen (sprite 3) share the phase, which
// carries on from one to the other; the game-over screen starts it at 0.
void scrollWindowBackground(int sprite);
void resetWindowPhase();

}  // namespace game::scores
