#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace runtime::support {

// Suspends the game's thread for that many milliseconds; 0 or less returns at once.
void WaitMilliseconds(int milliseconds);

// Headless runs (replays, benchmarks) skip the fixed waits between phases.
void SkipWaits(bool skip);

// The program is about to end (a quit signal came): the wait in progress and every later
// one return at once, so the end is not held up by a pause between phases. Safe to call
// from a signal handler, on any thread.
void CutWaitsShort();

// Starts another program (the level editor) by its file name, relative to the current
// directory, without waiting for it. A name with a folder part starts the program in that
// folder; a bare name starts it in the current directory. Returns nonzero once the program
// runs, 0 when it cannot be started (missing, not executable).
int StartProgram(std::string_view fileName);

// The same for a program file (a relative name is taken from the current directory) with
// arguments, run in the given folder (the current directory when empty): the level editor
// starts the game this way.
int StartProgramIn(const std::string& folder, std::string program,
                   const std::vector<std::string>& arguments);

// The services end in this order when the program ends: the later stages hold what the
// earlier ones draw on or write through.
enum class ShutdownStage {
    QuadSprites,
    SoundOutput,
    ResourcePack,
    MediaPlayer,
    Mouse,
    Keyboard,
    ScreenAndSprites,
    ImageObjects,
    Windows,
    FilesAndHeaps,
};

// A service adds its release here when it starts. Releases of one stage run in the order
// they were added; adding the same release to the same stage again keeps only one.
void AddShutdownRelease(ShutdownStage stage, void (*release)());

// Runs every release, stage by stage, then closes all numbered files and directory scans.
// Each release runs once: the list is empty afterwards.
void ReleaseAllServices();

// Shuts every service down and ends the process with exit code 0.
[[noreturn]] void EndProgram();

}  // namespace runtime::support
