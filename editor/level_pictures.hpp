#pragma once

#include <array>
#include <string>
#include <vector>

#include "runtime/screen/surface.hpp"

// The pictures the editor shows a level with: the game's own brick pictures from
// "data/level1.pak" and the six backgrounds a level file can choose, read from the game
// folder's packs with the game's pack reader and picture decoders.
namespace editor {

struct LevelPictures {
    std::array<runtime::screen::Surface, 7> bricks;       // codes 100 to 106
    std::array<runtime::screen::Surface, 6> backgrounds;  // codes 200 to 205
    // One line for each pack or entry that could not be read, naming the file; the editor
    // draws what is missing as plain shapes.
    std::vector<std::string> problems;
};

// Reads every picture from the packs in gameFolder/data. Never fails: what cannot be read
// stays empty (width 0) and is told in problems.
LevelPictures LoadLevelPictures(const std::string& gameFolder);

// The picture of a brick code or a background code; null when there is none.
const runtime::screen::Surface* BrickPicture(const LevelPictures& pictures, int code);
const runtime::screen::Surface* BackgroundPicture(const LevelPictures& pictures, int code);

// The game folder the editor works with: the first of the current folder (the launcher
// starts the editor there), the player's own game folder ($XDG_DATA_HOME/tessaly) and the
// editor program's own folder that holds "data/level1.pak"; the current folder if none does.
std::string FindGameFolder();

}  // namespace editor
