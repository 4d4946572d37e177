#pragma once

#include <iosfwd>

#include "tools/headless/runner.hpp"

// The game command: the program's phases on the headless backend, opened as the launcher's
// own steps open the full screen.
namespace tools::headless {

struct GameOptions {
    std::string levelFile;  // plays this level file in the single-level mode
    int level = 1;          // the built-in level every game of the full game starts at
    std::uint32_t seed = 1;
    std::uint64_t frames = 100000;  // the program quits once this many frames were shown
    // An event of frame N is delivered once N frames have been presented.
    std::vector<InputEvent> input;
    // Plays the levels, skips the introduction, starts games, resumes from pauses and
    // leaves the ending, the game-over screen and the credits; at each phase change it
    // lets go of Space, Return, Escape and the button.
    bool autopilot = false;
    std::vector<PlayOptions::Shot> shots;
    std::ostream* out = nullptr;  // "phase=NAME f=N score=S level=V" lines, "exit=0 frames=N"
};

// Runs the program's phases on the headless backend from the opened full screen, as after
// the pacing choice, in the current folder (a game folder). Ends the process through the
// program's own way out, with exit code 0.
[[noreturn]] void RunGame(const GameOptions& options);

}  // namespace tools::headless
