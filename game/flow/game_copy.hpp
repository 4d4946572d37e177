#pragma once

#include <string>

// A copy of a game folder to play in, so that what a game writes (the score files, the
// screenshot, its replays) never changes the folder it came from: the headless tool's
// games and every replay run in one.
namespace game::flow {

// Makes the copy in the temporary folder (the packs, the music, the levels and the editor
// linked, every other file of data/ copied) and makes it the current folder; it is
// removed when the program ends. False with a message when it cannot be made.
bool enterGameCopy(const std::string& folder, std::string& error);

}  // namespace game::flow
