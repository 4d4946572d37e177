#include "game/flow/program.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "game/flow/mouse_speed.hpp"
#include "game/flow/pad_meaning.hpp"
#include "game/flow/recording.hpp"
#include "game/flow/session.hpp"
#include "game/play/level_loop.hpp"
#include "game/play/play_state.hpp"
#include "game/presentation/dot_models.hpp"
#include "game/presentation/sequences/sequences.hpp"
#include "game/presentation/star_field.hpp"
#include "game/scores/high_scores.hpp"
#include "game/state/game_state.hpp"
#include "runtime/gui/backend.hpp"
#include "runtime/gui/gui.hpp"
#include "runtime/images/decoders.hpp"
#include "runtime/input/input.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/support/program.hpp"
#include "runtime/support/random.hpp"

namespace game::flow {

namespace {

namespace presentation = game::presentation;
using game::play::LevelOutcome;
using game::play::PauseOutcome;
using state::Game;
using state::PlayMode;

Phase g_phase = Phase::Launcher;
void (*g_phaseObserver)(Phase) = nullptr;
void (*g_frameObserver)() = nullptr;

void enter(Phase phase) {
    const Phase previous = g_phase;
    g_phase = phase;
    runtime::input::SetPadMeaning(padMeaningOf(phase));
    if (g_phaseObserver) g_phaseObserver(phase);
    gamePhaseEntered(phase, previous);
}

// Differs: a closed window or a quit request ends the game from any phase
// (docs/differences.md, The game on a Linux desktop)
// Every presented frame, in every phase: a closed window or a desktop quit request ends
// the program here, between two frames, so nothing is ever left half-written.
void frameEnded() {
    if (g_frameObserver) g_frameObserver();
    if (runtime::screen::State().quitRequested) shutDown();
}

// The phases, one after the other, each entered through the observer, until Exit.
[[noreturn]] void runPhases(Phase phase, bool fromMenu = false) {
    // fromMenu: GameStart runs its first half only when the menu started it
    bool fromSetUp = false;  // LevelPlay starts the level, or goes on after a pause
    for (;;) {
        if (phase == Phase::Exit) shutDown();
        enter(phase);
        switch (phase) {
            case Phase::Logo:
                presentation::runLogo();
                phase = Phase::Intro;
                break;
            case Phase::Intro:
                presentation::runIntro();
                phase = Phase::MenuEntry;
                break;
            case Phase::MenuEntry:
                presentation::enterMenu();
                phase = Phase::Menu;
                break;
            case Phase::Menu:
                switch (presentation::runMenu()) {
                    case presentation::MenuChoice::Start:
                        fromMenu = true;
                        phase = Phase::GameStart;
                        break;
                    case presentation::MenuChoice::Credits:
                        phase = Phase::Credits;
                        break;
                    case presentation::MenuChoice::Quit:
                        phase = Phase::Exit;
                        break;
                }
                break;
            case Phase::GameStart:
                if (fromMenu) startGameFromMenu();
                startGame();
                phase = Phase::LevelSetup;
                break;
            case Phase::LevelSetup:
                if (setUpLevel() == SetUpResult::AllLevelsDone) {
                    phase = Phase::Ending;
                } else {
                    fromSetUp = true;
                    phase = Phase::LevelPlay;
                }
                break;
            case Phase::LevelPlay: {
                const LevelOutcome outcome = game::play::playLevel(fromSetUp);
                fromSetUp = false;
                if (outcome == LevelOutcome::Cleared) phase = Phase::LevelComplete;
                if (outcome == LevelOutcome::Lost) phase = Phase::GameOver;
                if (outcome == LevelOutcome::Paused) phase = Phase::Pause;
                break;
            }
            case Phase::LevelComplete:
                presentation::runLevelComplete();
                phase =
                    Game().playMode == PlayMode::FullGame ? Phase::LevelSetup : Phase::MenuEntry;
                break;
            case Phase::Pause:
                // Enter with Escape still held (from the same keyboard read) leaves the game.
                if (game::play::runPause(&mouseSpeedOverBanner) == PauseOutcome::Resume &&
                    runtime::input::KeyIsDown(runtime::input::KeyEscape) == 0)
                    phase = Phase::LevelPlay;
                else
                    phase = Phase::MenuEntry;
                break;
            case Phase::Ending:
                presentation::runEnding();
                phase = Phase::GameOver;
                break;
            case Phase::GameOver:
                game::scores::runGameOver();
                phase = Phase::MenuEntry;
                break;
            case Phase::Credits:
                presentation::runCredits();
                phase = Phase::MenuEntry;
                break;
            case Phase::Launcher:
            case Phase::PacingChoice:
            case Phase::ScreenOpen:
            case Phase::Exit:
                shutDown();
        }
    }
}

}  // namespace

const char* phaseName(Phase phase) {
    switch (phase) {
        case Phase::Launcher:
            return "Launcher";
        case Phase::PacingChoice:
            return "PacingChoice";
        case Phase::ScreenOpen:
            return "ScreenOpen";
        case Phase::Logo:
            return "Logo";
        case Phase::Intro:
            return "Intro";
        case Phase::MenuEntry:
            return "MenuEntry";
        case Phase::Menu:
            return "Menu";
        case Phase::GameStart:
            return "GameStart";
        case Phase::LevelSetup:
            return "LevelSetup";
        case Phase::LevelPlay:
            return "LevelPlay";
        case Phase::LevelComplete:
            return "LevelComplete";
        case Phase::Pause:
            return "Pause";
        case Phase::Ending:
            return "Ending";
        case Phase::GameOver:
            return "GameOver";
        case Phase::Credits:
            return "Credits";
        case Phase::Exit:
            return "Exit";
    }
    return "?";
}

std::vector<std::string> missingGameFolders(const std::string& folder) {
    std::vector<std::string> missing;
    for (const char* name : {"data", "sfx"}) {
        std::error_code ec;
        if (!std::filesystem::is_directory(std::filesystem::path(folder) / name, ec))
            missing.push_back(std::string(name) + "/");
    }
    return missing;
}

bool startRuntime() {
    Game() = state::GameState{};
    game::play::Play() = game::play::PlayState{};
    runtime::gui::InitWindows();
    runtime::support::SeedRandomFromClock();
    const bool display = runtime::screen::InitSpriteEngine() != 0;
    runtime::quads::InitQuadSprites();
    runtime::input::InitKeyboardInput();
    runtime::sound::InitMediaPlayer();
    runtime::input::InitMouseInput();
    runtime::sound::InitSoundOutput();
    runtime::images::RegisterJpegDecoder();
    runtime::screen::SetFrameHook(&frameEnded);
    return display;
}

void runProgram(const LauncherSteps& launcher) {
    enter(Phase::Launcher);
    const std::optional<PlayChoice> choice = launcher.choosePlayMode();
    // Quit and the close box leave the window for closeLauncher; gone without a quit
    // request (or never made of gadgets), it never opened, and the game cannot start.
    if (!choice && !runtime::gui::ToolkitGadgetWindow(0) && !runtime::screen::State().quitRequested)
        failAndEnd("the game cannot start without its launcher window");
    if (!choice) shutDown();
    launcher.closeLauncher();
    prepareGame(choice->mode, choice->levelFilePath);

    enter(Phase::PacingChoice);
    const std::optional<state::PacingMode> pacing = launcher.choosePacing();
    if (!pacing) shutDown();
    notePacing(*pacing);
    launcher.openGameScreen(*pacing);
    // Nothing could be shown or played without it: not a way out that went well.
    if (runtime::screen::State().mode != runtime::screen::ScreenMode::FullScreen)
        failAndEnd("the game's full screen could not be opened");
    runFromOpenedScreen();
}

namespace {

// The tables made once the full screen is open.
void setUpOpenedScreen() {
    enter(Phase::ScreenOpen);
    // The spark fountain's particles with their lift and spread.
    game::play::PlayState& play = game::play::Play();
    for (game::play::Particle& particle : play.particles)
        particle = game::play::Particle{};
    play.lift = 0.65f;
    play.spread = 8.0f;
    presentation::createStarField();
    runtime::support::WaitMilliseconds(1000);
    presentation::createDotModels();
}

}  // namespace

void runFromOpenedScreen() {
    setUpOpenedScreen();
    if (Game().playMode == PlayMode::SingleLevel) runPhases(Phase::GameStart);
    runPhases(Phase::Logo);
}

void runRecordedGame(const RecordedGame& game) {
    prepareGame(game.header->mode, game.levelFilePath);
    setRecordedGame(&game);
    setUpOpenedScreen();
    // A game started from the menu shows the loading picture the menu brought.
    if (game.header->fromMenu) presentation::loadMenuPictures();
    runPhases(Phase::GameStart, game.header->fromMenu);
}

// Differs: no launcher window or full screen ends with a failure status
// (docs/differences.md, The game on a Linux desktop)
void failAndEnd(const char* what) {
    std::fprintf(stderr, "tessaly: %s\n", what);
    runtime::support::ReleaseAllServices();
    std::exit(1);
}

void shutDown() {
    enter(Phase::Exit);
    std::fflush(nullptr);
    runtime::support::EndProgram();
}

void setPhaseObserver(void (*observer)(Phase)) {
    g_phaseObserver = observer;
}

void setFrameObserver(void (*observer)()) {
    g_frameObserver = observer;
}

Phase currentPhase() {
    return g_phase;
}

}  // namespace game::flow
