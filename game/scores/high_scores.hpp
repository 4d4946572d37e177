#pragma once

#include <cstdint>
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
// Escape.
void runGameOver();

}  // namespace game::scores
