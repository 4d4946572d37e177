#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Custom level files (*.lvl) made with the level editor: 164 text lines, the bricks-left
// value, 160 cells of the 8 x 20 grid row by row ("000" for an empty cell, else the brick
// code), the background code, the barrier flag and the descent flag.
namespace game::levels {

inline constexpr int kLevelFileLines = 164;
inline constexpr int kLevelFileCells = 160;
// Differs: a level-file line keeps its first thousand characters
// (docs/differences.md, Levels)
// The characters kept of a line, as for score files: far more than any number needs, and
// a damaged file with an endless line cannot use up the memory.
inline constexpr std::size_t kLevelLineKeep = 1000;

// The 164 lines of a level file as the game reads them: any line ending, missing lines
// empty, anything after line 164 ignored, the first kLevelLineKeep characters of a line
// kept. A missing or unreadable file (or one that is not a regular file) reads as 164
// empty lines; nothing is created.
std::array<std::string, kLevelFileLines> ReadLevelFileLines(std::string_view path);

// One cell line's meaning.
struct LevelCell {
    bool empty = false;     // exactly "000": a record at (0, 0) that is never drawn
    std::uint8_t code = 0;  // the number on the line, in the 8-bit code field
    std::int32_t hits = 0;  // 3 only for a line that is exactly "102"
};
LevelCell ReadLevelCell(std::string_view line);

// Fills the brick list, the bricks-left counter, the background code and the two hazard
// flags from the level file at path (as the launcher named it). Every cell line adds one
// record, so the list always holds 160 records.
void loadLevelFile(std::string_view path);

}  // namespace game::levels
