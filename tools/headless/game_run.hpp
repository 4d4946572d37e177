#pragma once

#include <iosfwd>

#include "tools/headless/runner.hpp"

// The game command: the program's phases on the headless backend, opened as the launcher's
// own steps open the full screen.
namespace tools::headless {

struct GameOptions : RunOptions {
    std::ostream* out = nullptr;  // "phase=NAME f=N score=S level=V" lines, "exit=0 frames=N"
};

// Runs the program's phases on the headless backend from the opened full screen, as after
// the pacing choice, in the current folder (a game folder). Ends the process through the
// program's own way out, with exit code 0.
[[noreturn]] void RunGame(const GameOptions& options);

}  // namespace tools::headless
