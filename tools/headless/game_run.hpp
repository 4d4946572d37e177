#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "game/replays/replay_file.hpp"
#include "tools/headless/runner.hpp"

// The game command: the program's phases on the headless backend, opened as the launcher's
// own steps open the full screen.
namespace tools::headless {

struct GameOptions : RunOptions {
    std::ostream* out = nullptr;  // "phase=NAME f=N score=S level=V" lines, "exit=0 frames=N"
    std::string replays;          // the folder its games are recorded into, if any
};

// The replay command: a recorded game played again.
struct ReplayOptions {
    const game::replays::Replay* replay = nullptr;
    std::vector<InputEvent> input;  // its input lines, frames counted from the game's start
    std::string levelFilePath;      // the level file written from it, for a level-file game
    std::vector<RunOptions::Shot> shots;
    std::string framesFolder;  // every frame as a numbered picture, if given
    std::ostream* out = nullptr;
};

// Plays the recorded game from the opened full screen on the headless backend, printing
// "phase=NAME f=N score=S level=V" (N frames from the game's start) as each phase is
// entered and last "score=S level=V frames=N recorded-score=R". Ends the process: 0 when
// the score is the recorded one, 1 when it is not or a picture could not be written.
[[noreturn]] void RunReplay(const ReplayOptions& options);

// Runs the program's phases on the headless backend from the opened full screen, as after
// the pacing choice, in the current folder (a game folder). Ends the process through the
// program's own way out, with exit code 0.
[[noreturn]] void RunGame(const GameOptions& options);

}  // namespace tools::headless
