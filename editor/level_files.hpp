#pragma once

#include <optional>
#include <string>

#include "editor/level_document.hpp"

// Opening and saving level files (*.lvl) in the format the game reads.
namespace editor {

// A level read with the game's own reader. Lines the editor would not write itself are
// kept as the game reads them (a very long one loses what lies past its first
// kLevelLineKeep characters, which the game never sees); a bricks-left value that differs
// from the grid's count stays set by hand. Nullopt with a message naming the file when
// there is nothing to read (missing, a folder, unreadable).
std::optional<Level> OpenLevel(const std::string& path, std::string& error);

// The file's text: 164 lines ending in CR LF, "000" for an empty cell, the brick code for
// a brick, odd cells as they were read.
std::string LevelText(const LevelDocument& document);

// Writes beside the file under a temporary name and renames it into place, so a failed or
// interrupted save leaves the old file whole. False with a message naming the file on error.
bool SaveLevel(const LevelDocument& document, const std::string& path, std::string& error);

}  // namespace editor
