#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/state/game_state.hpp"

// The program from start to end: the start-up order, the phases one after the other with
// the conditions between them, and the one way out. The display, sound and window backends
// are chosen before startRuntime; everything here works on any of them.
namespace game::flow {

// The top-level phases, in the order of their first appearance.
enum class Phase {
    Launcher,
    PacingChoice,
    ScreenOpen,
    Logo,
    Intro,
    MenuEntry,
    Menu,
    GameStart,
    LevelSetup,
    LevelPlay,
    LevelComplete,
    Pause,
    Ending,
    GameOver,
    Credits,
    Exit,
};

// The phase's name as it is printed and logged ("LevelPlay").
const char* phaseName(Phase phase);

// The folders of a game folder that the given folder lacks: "data/" (the packs and the
// scores) and "sfx/" (the music), links to folders counting. The game reads both relative
// to the current folder and cannot be more than a black, silent screen without them;
// single packs or tracks that are missing only leave their pictures or music out.
std::vector<std::string> missingGameFolders(const std::string& folder);

// Clears the game's state and starts the runtime services in their fixed order, the
// random generator seeded from the clock. Also makes every presented frame end the program
// when a quit was requested (the window closed, the desktop asked). False when the display
// could not be reached: nothing could be shown.
bool startRuntime();

// The play mode the launcher hands over, with the level file's path for SingleLevel.
struct PlayChoice {
    state::PlayMode mode = state::PlayMode::FullGame;
    std::string levelFilePath;
};

// What the program needs of the windows before the game. The launcher stands above the
// game, so the program that has both (desktop/main.cpp) fills this in with its functions.
struct LauncherSteps {
    // The launcher window until the player starts a game (its play mode), or nothing when
    // the player quits or closes it. The window stays open for closeLauncher.
    std::optional<PlayChoice> (*choosePlayMode)() = nullptr;
    // Closes the launcher window and waits a second.
    void (*closeLauncher)() = nullptr;
    // The pacing window: the pacing chosen, or nothing when the player quits there.
    std::optional<state::PacingMode> (*choosePacing)() = nullptr;
    // Closes the pacing window and opens the 800 x 600 full screen, paced as chosen.
    void (*openGameScreen)(state::PacingMode pacing) = nullptr;
};

// The whole program after startRuntime: the launcher, the pacing choice, the full screen
// and the phases. Never returns.
[[noreturn]] void runProgram(const LauncherSteps& launcher);

// From a freshly opened full screen: the tables made once the screen is open (particles,
// scores, star field, dot models), then the phases, starting with the logo in the full
// game or straight with the level in the single-level mode. Never returns.
[[noreturn]] void runFromOpenedScreen();

// The one way out: every runtime service ends in its order and the process exits with 0.
[[noreturn]] void shutDown();

// The end when the game cannot run at all (no display, no screen): says what is missing,
// ends the runtime services and exits with 1.
[[noreturn]] void failAndEnd(const char* what);

// What the program does with a setting the player changes in the game. The settings file
// belongs to the desktop, so the program that keeps it (desktop/main.cpp) fills this in;
// without it a change lasts until the game ends.
struct SettingsSteps {
    // The player chose a new mouse speed in the pause banner.
    void (*mouseSpeedChanged)(double speed) = nullptr;
};
void setSettingsSteps(const SettingsSteps& steps);

// Told each time a phase is entered, Exit last (for tools and logs).
void setPhaseObserver(void (*observer)(Phase phase));

// Called after every presented frame, before the quit check (tools step their scripts and
// may ask to quit by setting the screen's quitRequested).
void setFrameObserver(void (*observer)());

// The phase being run.
Phase currentPhase();

}  // namespace game::flow
