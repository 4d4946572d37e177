// A virtual gamepad in the real game: SDL's virtual joystick, the real SDL display on an
// Xvfb server of the check's own, and the game's phases from a level file on. Frame by
// frame, the pad is plugged in and out during the level, its stick and d-pad move the
// paddle, A serves, Start pauses, A resumes, Start and Back go to the menu, and the stick
// moves the menu's pointer. Each step waits for what it checks, within a frame budget.
// Usage: gamepad_play_check GAME_DIR; exit 0 when every step held, 1 naming the one that
// did not, 77 without a game folder or an X server to run on.
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/flow/program.hpp"
#include "game/flow/session.hpp"
#include "game/play/play_state.hpp"
#include "game/state/game_state.hpp"
#include "runtime/gui/headless/headless_windows.hpp"
#include "runtime/input/gamepad.hpp"
#include "runtime/input/input.hpp"
#include "runtime/input/sdl/gamepad.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/screen/sdl/sdl_display.hpp"
#include "runtime/sound/headless/headless_sound.hpp"
#include "runtime/support/program.hpp"
#include "tests/runtime/screen/private_x_server.hpp"

namespace {

namespace ri = runtime::input;
using game::flow::Phase;
using game::play::Play;
using game::state::Game;

constexpr int kFrameBudget = 900;  // frames any one step may take

struct Step {
    const char* what;
    std::function<bool()> done;  // runs once a frame until it holds
};

std::vector<Step> g_steps;
std::size_t g_step = 0;
int g_framesInStep = 0;
SDL_Joystick* g_pad = nullptr;
std::vector<int> g_moves;  // the paddle's movement each frame of the step
int g_lastPaddle = 0;

[[noreturn]] void Fail(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::fprintf(stderr, "gamepad_play_check: step \"%s\": ",
                 g_step < g_steps.size() ? g_steps[g_step].what : "end");
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
    std::_Exit(1);
}

Phase Now() {
    return game::flow::currentPhase();
}

void Plug() {
    const int index = SDL_JoystickAttachVirtual(
        SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    if (index < 0 || !(g_pad = SDL_JoystickOpen(index))) Fail("no virtual pad: %s", SDL_GetError());
}

void Unplug() {
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (!SDL_JoystickIsVirtual(i)) continue;
        SDL_JoystickClose(g_pad);
        g_pad = nullptr;
        SDL_JoystickDetachVirtual(i);
        return;
    }
    Fail("the virtual pad is not there to unplug");
}

void Press(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(g_pad, button, down ? 1 : 0);
}

void Tilt(int x, int y) {
    SDL_JoystickSetVirtualAxis(g_pad, SDL_CONTROLLER_AXIS_LEFTX, Sint16(x));
    SDL_JoystickSetVirtualAxis(g_pad, SDL_CONTROLLER_AXIS_LEFTY, Sint16(y));
}

// A step that does something once, then holds when `until` does.
Step Do(const char* what, std::function<void()> action, std::function<bool()> until) {
    auto started = std::make_shared<bool>(false);
    return {what, [=] {
                if (!*started) {
                    *started = true;
                    action();
                }
                return until();
            }};
}

// A step that holds after the given number of frames, checking each frame.
Step During(const char* what, int frames, std::function<void()> check) {
    auto count = std::make_shared<int>(0);
    return {what, [=] {
                check();
                return ++*count >= frames;
            }};
}

// The level as the pad must leave it when it only moves or is plugged in and out.
struct Untouched {
    int score, lives, bricks, paddle;
    static Untouched Now() {
        return {Game().score, Game().lives, int(Game().bricksLeft), Play().paddleX};
    }
    bool operator==(const Untouched&) const = default;
};

// Every frame's movement of the paddle since the step began: some frames without motion
// while the pad's events come in, then `expected` frame by frame.
void ExpectMoves(const std::vector<int>& expected) {
    std::size_t start = 0;
    while (start < g_moves.size() && g_moves[start] == 0)
        ++start;
    if (start > 2) Fail("the paddle began to move only after %zu frames", start);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const int seen = start + i < g_moves.size() ? g_moves[start + i] : 0;
        if (seen != expected[i])
            Fail("frame %zu of the motion moved the paddle by %d, not %d", i, seen, expected[i]);
    }
}

void BuildSteps() {
    static Untouched before;
    auto keepLevel = [] {
        if (Now() != Phase::LevelPlay) Fail("the phase is %s", game::flow::phaseName(Now()));
        if (ri::KeyIsDown(-1) || ri::MouseButtonDown(1)) Fail("a key or the button is held");
        if (Play().ball.active) Fail("the ball was served");
        if (!(Untouched::Now() == before)) Fail("the level changed");
    };
    g_steps = {
        {"the level runs", [] { return Now() == Phase::LevelPlay; }},
        Do(
            "a pad plugged in during the level",
            [] {
                before = Untouched::Now();
                Plug();
            },
            [] { return ri::sdl::GamepadsOpen() == 1; }),
        During("the level after the plug-in", 20, keepLevel),
        Do(
            "the stick at full tilt right", [] { Tilt(32767, 0); },
            [] {
                if (g_moves.size() < 12) return false;
                ExpectMoves(std::vector<int>(9, ri::kPadStickSpeed));
                return true;
            }),
        Do(
            "the stick let go", [] { Tilt(0, 0); },
            [] {
                if (g_moves.size() < 4) return false;
                if (g_moves[2] != 0 || g_moves[3] != 0) Fail("the paddle still moves");
                return true;
            }),
        Do(
            "the d-pad held left", [] { Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true); },
            [] {
                if (g_moves.size() < std::size_t(ri::kPadRampFrames + 8)) return false;
                // 2 counts at first, 0.4 more each frame, 14 after half a second.
                std::vector<int> expected;
                long long sum = 0, shown = 0;
                for (int f = 0; f < ri::kPadRampFrames + 4; ++f) {
                    sum +=
                        ri::kPadFirstSpeed * ri::kPadRampFrames +
                        (ri::kPadTopSpeed - ri::kPadFirstSpeed) * std::min(f, ri::kPadRampFrames);
                    expected.push_back(-int(sum / ri::kPadRampFrames - shown));
                    shown = sum / ri::kPadRampFrames;
                }
                ExpectMoves(expected);
                return true;
            }),
        Do(
            "the d-pad let go", [] { Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false); },
            [] { return g_moves.size() >= 3 && g_moves.back() == 0; }),
        Do(
            "the stick held right and the pad unplugged", [] { Tilt(20000, 0); },
            [] { return !g_moves.empty() && g_moves.back() > 0; }),
        Do(
            "the pad unplugged while the stick is held", [] { Unplug(); },
            [] { return ri::sdl::GamepadsOpen() == 0; }),
        Do(
            "the paddle stops", [] {}, [] { return g_moves.size() >= 3 && g_moves.back() == 0; }),
        Do(
            "the level after the unplug", [] { before = Untouched::Now(); }, [] { return true; }),
        During("the level after the unplug", 30, keepLevel),
        Do(
            "a pad plugged in again", [] { Plug(); }, [] { return ri::sdl::GamepadsOpen() == 1; }),
        During("the level after the second plug-in", 20, keepLevel),
        {"the level's opening is over", [] { return Play().introCounter == 300; }},
        Do(
            "A serves", [] { Press(SDL_CONTROLLER_BUTTON_A, true); },
            [] { return Play().ball.active; }),
        Do(
            "A let go", [] { Press(SDL_CONTROLLER_BUTTON_A, false); },
            [] { return ri::MouseButtonDown(1) == 0; }),
        Do(
            "Start pauses", [] { Press(SDL_CONTROLLER_BUTTON_START, true); },
            [] { return Now() == Phase::Pause; }),
        During("Start held in the banner", 5,
               [] {
                   if (Now() != Phase::Pause) Fail("the banner went with Start still held");
               }),
        Do(
            "Start let go", [] { Press(SDL_CONTROLLER_BUTTON_START, false); },
            [] { return ri::KeyIsDown(-1) == 0; }),
        Do(
            "A resumes", [] { Press(SDL_CONTROLLER_BUTTON_A, true); },
            [] { return Now() == Phase::LevelPlay; }),
        During("A held after the banner", 5,
               [] {
                   if (Now() != Phase::LevelPlay) Fail("the level did not go on");
                   if (ri::MouseButtonDown(1)) Fail("A still held fires in the level");
               }),
        Do(
            "A let go", [] { Press(SDL_CONTROLLER_BUTTON_A, false); }, [] { return true; }),
        Do(
            "Start pauses again", [] { Press(SDL_CONTROLLER_BUTTON_START, true); },
            [] { return Now() == Phase::Pause; }),
        Do(
            "Start let go", [] { Press(SDL_CONTROLLER_BUTTON_START, false); },
            [] { return ri::KeyIsDown(-1) == 0; }),
        Do(
            "Back goes to the menu", [] { Press(SDL_CONTROLLER_BUTTON_BACK, true); },
            [] { return Now() == Phase::Menu; }),
        Do(
            "Back let go", [] { Press(SDL_CONTROLLER_BUTTON_BACK, false); }, [] { return true; }),
        Do(
            "the stick moves the menu's pointer",
            [] {
                ri::PlaceMouse(100, 100);
                Tilt(32767, 32767);
            },
            [] { return ri::MouseX() >= 200 && ri::MouseY() >= 200; }),
        Do(
            "the stick let go", [] { Tilt(0, 0); }, [] { return Now() == Phase::Menu; }),
    };
}

void EachFrame() {
    if (g_step >= g_steps.size()) {
        runtime::screen::State().quitRequested = true;
        return;
    }
    const int paddle = Play().paddleX;
    if (Now() == Phase::LevelPlay) g_moves.push_back(paddle - g_lastPaddle);
    g_lastPaddle = paddle;
    if (++g_framesInStep > kFrameBudget) Fail("not done after %d frames", kFrameBudget);
    if (g_steps[g_step].done()) {
        std::printf("step done: %s (%d frames)\n", g_steps[g_step].what, g_framesInStep);
        ++g_step;
        g_framesInStep = 0;
        g_moves.clear();
    }
}

void PhaseEntered(Phase phase) {
    if (phase == Phase::Exit && g_step < g_steps.size()) Fail("the game ended early");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gamepad_play_check GAME_DIR\n");
        return 2;
    }
    std::vector<std::string> levels;
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(argv[1]) + "/levels", ec))
        if (entry.path().extension() == ".lvl") levels.push_back(entry.path().string());
    if (ec || levels.empty() || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "gamepad_play_check: no game folder with levels at %s\n", argv[1]);
        return 77;
    }
    PrivateXServer server;
    if (!server.Start(1024, 768)) {
        std::fprintf(stderr, "gamepad_play_check: no Xvfb to start\n");
        return 77;
    }
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    runtime::screen::sdl::UseSdlDisplay();
    if (!ri::sdl::UseGamepads()) {
        std::fprintf(stderr, "gamepad_play_check: no game controllers: %s\n", SDL_GetError());
        return 1;
    }
    runtime::sound::headless::UseHeadlessSound(false);
    runtime::gui::headless::UseHeadlessWindows();
    runtime::support::SkipWaits(true);
    if (!game::flow::startRuntime() || !runtime::screen::OpenFullScreen(800, 600, 32, "")) {
        std::fprintf(stderr, "gamepad_play_check: no full screen: %s\n", SDL_GetError());
        return 1;
    }
    // The full screen takes the keyboard, as the player's click would give it; a pad's
    // events count only in the window that has it.
    SDL_Window* window = runtime::screen::sdl::ScreenWindow();
    for (int tries = 0; SDL_GetKeyboardFocus() != window || !runtime::screen::State().active;
         ++tries) {
        if (tries > 600) {
            std::fprintf(stderr, "gamepad_play_check: the full screen never got the focus\n");
            return 1;
        }
        SDL_SetWindowInputFocus(window);
        runtime::screen::PresentFrame();
        ri::ReadKeyboard();
    }
    game::flow::prepareGame(game::state::PlayMode::SingleLevel, levels.front());
    BuildSteps();
    game::flow::setFrameObserver(&EachFrame);
    game::flow::setPhaseObserver(&PhaseEntered);
    game::flow::runFromOpenedScreen();
}
