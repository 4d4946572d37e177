// The program's phases on the headless backend: the same start-up after the pacing choice,
// the same dispatcher and the same way out as the desktop program, with scripted input.
#include "tools/headless/game_run.hpp"

#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "game/flow/program.hpp"
#include "game/flow/recording.hpp"
#include "game/flow/session.hpp"
#include "game/state/game_state.hpp"
#include "launcher/launcher.hpp"
#include "runtime/gui/headless/headless_windows.hpp"
#include "runtime/input/headless/script_input.hpp"
#include "runtime/input/input.hpp"
#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/headless/headless_sound.hpp"
#include "runtime/support/program.hpp"
#include "runtime/support/random.hpp"

namespace tools::headless {

namespace {

using game::flow::Phase;

const GameOptions* g_options = nullptr;
std::size_t g_next = 0;                  // the next scripted event
std::uint64_t g_autopilotFrame = ~0ull;  // the frame the autopilot last played
bool g_shotsFailed = false;
Phase g_lastPhase = Phase::Launcher;

std::uint64_t FramesShown() {
    return runtime::screen::State().framesPresented;
}

// The key the autopilot holds in a phase, as a player who only wants to play: past the
// introduction, Start in the menu, back from a pause, out of the ending, the game-over
// screen and the credits.
int AutopilotKey(Phase phase) {
    switch (phase) {
        case Phase::Intro:
        case Phase::Menu:
            return runtime::input::KeySpace;
        case Phase::Pause:
            return runtime::input::KeyReturn;
        case Phase::Ending:
        case Phase::GameOver:
        case Phase::Credits:
            return runtime::input::KeyEscape;
        default:
            return -1;
    }
}

// Runs at every keyboard and mouse read: the events whose frame has been presented, and
// the autopilot (once a frame while a level is played).
void Pump() {
    const std::uint64_t shown = FramesShown();
    const auto& input = g_options->input;
    const auto at = runtime::input::CurrentReadPosition();
    while (g_next < input.size() && runtime::input::headless::ScriptEventDue(input[g_next], at))
        Apply(input[g_next++]);
    if (!g_options->autopilot) return;
    const Phase phase = game::flow::currentPhase();
    if (const int key = AutopilotKey(phase); key >= 0) runtime::input::PostKey(key, true);
    if (phase == Phase::LevelPlay && g_autopilotFrame != shown) {
        g_autopilotFrame = shown;
        Autopilot();
    }
}

void FrameShown() {
    const std::uint64_t shown = FramesShown();
    for (const auto& shot : g_options->shots)
        if (shot.frame == shown && !SaveShot(shot.file)) g_shotsFailed = true;
    if (shown >= g_options->frames) runtime::screen::State().quitRequested = true;
}

void PhaseEntered(Phase phase) {
    std::ostream& out = *g_options->out;
    if (phase == Phase::Exit) {
        if (g_shotsFailed) {
            // The run went its way, but what was asked for is missing: not a success.
            std::fputs("tessaly-headless: a --shot picture could not be written\n", stderr);
            out << "exit=1 frames=" << FramesShown() << std::endl;
            runtime::support::ReleaseAllServices();
            std::exit(1);
        }
        out << "exit=0 frames=" << FramesShown() << std::endl;
        return;
    }
    // The autopilot lets go of what it held in the phase before: a key held on would end
    // the next phase too, the button would click in the menu.
    if (g_options->autopilot) {
        for (const int key :
             {runtime::input::KeySpace, runtime::input::KeyReturn, runtime::input::KeyEscape})
            runtime::input::PostKey(key, false);
        if (phase != Phase::LevelPlay) runtime::input::PostMouseButton(1, false);
    }
    // Every game starts at the chosen level.
    if (phase == Phase::LevelSetup && g_lastPhase == Phase::GameStart)
        game::state::Game().levelNumber = g_options->level;
    g_lastPhase = phase;
    const auto& game = game::state::Game();
    out << "phase=" << game::flow::phaseName(phase) << " f=" << FramesShown()
        << " score=" << game.score << " level=" << game.levelNumber << std::endl;
}

}  // namespace

void RunGame(const GameOptions& options) {
    g_options = &options;
    if (!options.replays.empty()) game::flow::recordGames(options.replays);
    runtime::screen::headless::UseHeadlessDisplay(false);
    runtime::sound::headless::UseHeadlessSound(true);
    runtime::gui::headless::UseHeadlessWindows();
    runtime::support::SkipWaits(true);
    game::flow::setPhaseObserver(&PhaseEntered);
    game::flow::setFrameObserver(&FrameShown);
    game::flow::startRuntime();
    runtime::input::SetEventPump(&Pump);
    runtime::support::SeedRandom(options.seed);

    // What the launcher and the pacing choice hand over.
    game::flow::prepareGame(options.levelFile.empty() ? game::state::PlayMode::FullGame
                                                      : game::state::PlayMode::SingleLevel,
                            options.levelFile);
    launcher::openGameScreen(game::state::PacingMode::RefreshPacing);
    game::flow::runFromOpenedScreen();
}

namespace {

const ReplayOptions* g_replay = nullptr;
std::uint64_t g_gameStart = 0;  // frames shown before the game's start
bool g_gameStarted = false;

std::uint64_t GameFrames() {
    return g_gameStarted ? FramesShown() - g_gameStart : 0;
}

void ReplayStarted() {
    runtime::input::headless::UseScript(g_replay->input, g_gameStart, &Apply);
}

[[noreturn]] void ReplayEnded(Phase) {
    std::ostream& out = *g_replay->out;
    const auto& game = game::state::Game();
    const auto& end = g_replay->replay->end;
    out << "score=" << game.score << " level=" << game.levelNumber << " frames=" << GameFrames()
        << " recorded-score=" << end.score << std::endl;
    int code = game.score == end.score ? 0 : 1;
    if (g_shotsFailed) {
        std::fputs("tessaly-headless: a picture of a frame could not be written\n", stderr);
        code = 1;
    }
    runtime::support::ReleaseAllServices();
    std::exit(code);
}

void ReplayPhaseEntered(Phase phase) {
    if (phase == Phase::GameStart && !g_gameStarted) {
        g_gameStarted = true;
        g_gameStart = FramesShown();
    }
    if (!g_gameStarted || phase == Phase::Exit) return;
    const auto& game = game::state::Game();
    *g_replay->out << "phase=" << game::flow::phaseName(phase) << " f=" << GameFrames()
                   << " score=" << game.score << " level=" << game.levelNumber << std::endl;
}

void ReplayFrameShown() {
    if (!g_gameStarted) return;
    const std::uint64_t frame = GameFrames();
    for (const auto& shot : g_replay->shots)
        if (shot.frame == frame && !SaveShot(shot.file)) g_shotsFailed = true;
    if (!g_replay->framesFolder.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "/%06llu.bmp", static_cast<unsigned long long>(frame));
        if (!SaveShot(g_replay->framesFolder + name)) g_shotsFailed = true;
    }
    // The game ends where the recording does: the program was asked to quit after this
    // frame, or (a game that differs) it has not gone back to the menu when it should have.
    const auto& end = g_replay->replay->end;
    if (frame > end.frames || (frame == end.frames && end.by == game::replays::GameEnd::Quit))
        runtime::screen::State().quitRequested = true;
}

}  // namespace

void RunReplay(const ReplayOptions& options) {
    g_replay = &options;
    runtime::screen::headless::UseHeadlessDisplay(false);
    runtime::sound::headless::UseHeadlessSound(true);
    runtime::gui::headless::UseHeadlessWindows();
    runtime::support::SkipWaits(true);
    game::flow::setPhaseObserver(&ReplayPhaseEntered);
    game::flow::setFrameObserver(&ReplayFrameShown);
    game::flow::startRuntime();
    launcher::openGameScreen(options.replay->header.pacing);
    static game::flow::RecordedGame recorded;
    recorded = {&options.replay->header, options.levelFilePath, &ReplayStarted, &ReplayEnded};
    game::flow::runRecordedGame(recorded);
}

}  // namespace tools::headless
