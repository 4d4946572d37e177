#pragma once

#include <optional>
#include <string>

#include "game/state/game_state.hpp"

// The two windows before the game: the launcher, where the player starts the full game or
// one level file, starts the level editor or quits; then the small window that asks how
// frames are paced, before the full screen opens.
namespace launcher {

// The play mode and the pacing are the game state's own types; the launcher fixes them
// once, with the level file's path for a single level.
struct PlayMode {
    using Kind = game::state::PlayMode;
    static constexpr Kind FullGame = Kind::FullGame;
    static constexpr Kind SingleLevel = Kind::SingleLevel;
    Kind kind = Kind::FullGame;
    std::string levelPath;  // SingleLevel: the level file's full path
};

using PacingMode = game::state::PacingMode;

// What the launcher window ended with: a game to start, or Quit ("Quit" or its close box).
struct LauncherChoice {
    bool start = false;
    PlayMode mode;
};

// Decodes the banner picture kept in the program into image 0 for the launcher's image
// box. False if it does not decode.
bool loadLauncherBanner();

// The level file the launcher starts with chosen, as if picked in its list (the program's
// argument); empty for the full game, as without one.
void chooseLevelAtStart(const std::string& path);

// What keeps a level file from being read ("there is no such file", "it is a folder"), in
// words for a message; nothing when it can be read.
std::optional<std::string> levelFileProblem(const std::string& path);

// Opens the launcher (window 0) and handles the player's actions until a game is started
// or the player quits. The window stays open: closeLauncher is the next step.
LauncherChoice runLauncher();

// Closes the launcher window and waits a second before the game goes on.
void closeLauncher();

// The pacing choice in window 1, with its music: Up and Down pick a row, Return takes it,
// the close box takes RefreshPacing. Nothing (Quit) when the player pressed Escape.
std::optional<PacingMode> runPacingChoice();

// Closes the pacing window's screen, waits a second and opens the 800 x 600 full screen,
// paced as chosen. The music keeps playing.
void openGameScreen(PacingMode pacing);

// runLauncher in two steps, for its tests: the window with its gadgets (false if the
// window cannot be opened), and what one event does (a choice ends the launcher).
bool openLauncherWindow();
std::optional<LauncherChoice> handleLauncherEvent(int event);

}  // namespace launcher
