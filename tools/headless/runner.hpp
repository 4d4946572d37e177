#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/input/headless/script_input.hpp"

// Runs the real game code on the headless backend: no window, no sound device, input from
// a script or the autopilot. The regression net of the tests, the frame benchmark and a
// modder's way to try a level file.
namespace tools::headless {

// One scripted input event (frames count from 1).
using InputEvent = runtime::input::headless::ScriptEvent;

// Reads the input's script (runtime/input/headless) with two lines of the tool's own on
// top: "FRAME focus in|out" (the full screen gains or loses the keyboard focus) and
// "FRAME close" (the player closes the window). False with a message naming the line on
// the first bad one.
bool ParseInput(std::string_view text, std::vector<InputEvent>& out, std::string& error);

// Feeds one event to the headless input and display.
void Apply(const InputEvent& event);

// Saves the back buffer as a BMP file; false if it cannot be written.
bool SaveShot(const std::string& file);

// Posts the autopilot's mouse movement and button for the coming frame of play.
void Autopilot();

// Starts the headless runtime (display, sound, input) once, skipping fixed waits.
void StartHeadlessRuntime();

// What the play and game commands both take: where the games start, the random seed, how
// many frames, the input and the pictures to save.
struct RunOptions {
    int level = 1;          // the built-in level play starts at, or every game of game
    std::string levelFile;  // a level file instead, played in the single-level mode
    std::uint32_t seed = 1;
    std::uint64_t frames = 100000;  // the run stops once this many frames were shown
    // An event of frame N comes before the reads of frame N in play, once N frames have
    // been shown in game.
    std::vector<InputEvent> input;
    // Plays the levels; game's autopilot also skips the introduction, starts games,
    // resumes from pauses and leaves the ending, the game-over screen and the credits,
    // letting go of Space, Return, Escape and the button at each phase change.
    bool autopilot = false;
    struct Shot {
        std::uint64_t frame;
        std::string file;
    };
    std::vector<Shot> shots;  // back buffer saved as BMP after that frame
};

struct PlayOptions : RunOptions {
    std::ostream* trace = nullptr;  // one line per frame
    // Called after every frame, for tests that check the state as it goes.
    void (*afterFrame)(std::uint64_t frame) = nullptr;
};

struct PlayResult {
    std::string outcome = "None";  // Cleared, Lost, Paused or None
    std::uint64_t frames = 0;
    std::int32_t score = 0;
    std::int32_t level = 0;
    bool shotsWritten = true;
};

// Must run in the game folder (data\ and sfx\ relative to the current directory). Plays
// from the level's set-up; a cleared built-in level goes straight to the next one, as the
// full game does apart from the level-complete sequence. Stops after options.frames, on
// Lost, on Paused, when a level file is cleared or once level 15 is cleared.
PlayResult Play(const PlayOptions& options);

// The per-frame trace line and a checksum of the back buffer, for replays.
std::string TraceLine(std::uint64_t frame);
std::uint64_t BackBufferChecksum();

// Frame times of the benchmark scenes, in milliseconds of CPU time.
struct SceneTimes {
    std::string scene;
    std::vector<double> milliseconds;
};
std::vector<SceneTimes> Bench(std::uint64_t framesPerScene);

}  // namespace tools::headless
