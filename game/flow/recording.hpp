#pragma once

#include <string>

#include "game/flow/program.hpp"
#include "game/replays/replay_file.hpp"

// Every game recorded from its start to its end (docs/replays.md), and a recorded game
// played again from the opened full screen.
namespace game::flow {

// Records each game started from now on into the folder ("replays" of the game folder in
// the real game). A game ends when the game goes back to the title menu or the program
// ends; its file is written then, whole.
void recordGames(const std::string& folder);

// The pacing the player chose, as a recording notes it.
void notePacing(state::PacingMode pacing);

// What a replay hands the game: the recording's header, the level file written from it
// (for a level-file game), and the program's own steps at the game's start (its first
// frame is the next one shown: the input starts there) and at its end.
struct RecordedGame {
    const replays::ReplayHeader* header = nullptr;
    std::string levelFilePath;
    void (*started)() = nullptr;
    // Called once when the game goes back to the menu or the program ends, with the
    // phase entered; the program decides how it ends.
    void (*ended)(Phase phase) = nullptr;
};

// From a freshly opened full screen: the recorded game from its start, with the random
// generator and the carried values as they were, at its starting level. Never returns.
[[noreturn]] void runRecordedGame(const RecordedGame& game);

// The recorded game runRecordedGame plays (program.cpp sets it).
void setRecordedGame(const RecordedGame* game);

// Told every phase entered, with the one before it (program.cpp's dispatcher).
void gamePhaseEntered(Phase phase, Phase previous);

}  // namespace game::flow
