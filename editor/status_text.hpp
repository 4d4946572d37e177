#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "editor/level_document.hpp"

// What the editor says about a level in words, whatever window shows it: the title, the
// status line's counts and cell, the warning about the bricks to clear, and the palette's
// names for the bricks.
namespace editor {

inline constexpr const char* kProgramTitle = "Tessaly Level Editor";

// A line kept from a level file as the status line shows it: its first kShownLineLength
// characters, then "\u2026" when there is more; bytes that are not UTF-8, and characters
// that print nothing, as \xNN. Valid UTF-8 whatever the line holds.
inline constexpr std::size_t kShownLineLength = 40;
std::string ShownLine(std::string_view line);

// A brick code's letter (d for 100 to j for 106), and what the game does with a code of the
// palette ("empty cell" for 0).
char BrickLetter(int code);
const char* BrickBehaviour(int code);

// The level's name: its file's, or "Untitled level" when it has none yet.
std::string LevelName(const std::string& path);
// The window's title: the name, marked with "*" while there are unsaved changes.
std::string WindowTitle(const std::string& path, const LevelDocument& document);

// The status line: the cells per brick code, the kept lines, the bricks to destroy.
std::string CountsText(const LevelDocument& document);
// The status line for a cell (row and column from 0): what it holds and how it plays.
std::string CellText(const LevelDocument& document, int row, int column);
// Why the bricks-left value may not be what the player wants; empty when it is fine.
std::string WarningText(const LevelDocument& document);

}  // namespace editor
