// The keyboard and mouse as the game reads them through the real SDL display: real X input
// events, made by the XTest extension, on a private Xvfb server of a chosen size. The tests
// wait for the events themselves (a last marker motion, or the state they change), never
// for a guessed time.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <optional>
#include <string>

#include "runtime/input/input.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/screen/sdl/sdl_display.hpp"
#include "tests/runtime/screen/private_x_server.hpp"

// Last: Xlib's macros (None, Bool, Status) would clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace ri = runtime::input;
namespace rs = runtime::screen;

namespace {

// Vertical motion SDL has seen arrive, counted as events are queued.
int g_queuedMotionY = 0;

int CountQueuedMotion(void*, SDL_Event* event) {
    if (event->type == SDL_MOUSEMOTION) g_queuedMotionY += event->motion.yrel;
    return 1;
}

class SdlDisplayInput : public ::testing::Test {
  protected:
    void TearDown() override { Close(); }

    // The game's full screen (or window) and devices on a private server of the given
    // size, paced at 60 frames a second as with the timer pacing.
    void Open(int width, int height, rs::sdl::ScreenOptions options = {}) {
        if (!server_.Start(width, height)) GTEST_SKIP() << "no Xvfb to start";
        xtest_ = XOpenDisplay(server_.Name().c_str());
        ASSERT_NE(xtest_, nullptr);
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(xtest_, &event, &error, &major, &minor));
        rs::sdl::UseSdlDisplay();
        rs::sdl::SetScreenOptions(options);
        ASSERT_TRUE(rs::InitSpriteEngine()) << SDL_GetError();
        // No GL anywhere: SDL_Quit unloads its driver, and the sanitizer could then not
        // tell the driver's own leftovers from leaks of ours.
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        ASSERT_TRUE(rs::OpenFullScreen(800, 600, 32, "")) << SDL_GetError();
        ASSERT_TRUE(rs::SetFrameRateLimit(60));
        ASSERT_TRUE(ri::InitKeyboardInput());
        ASSERT_TRUE(ri::InitMouseInput());
        int w = 0, h = 0;
        SDL_GetRendererOutputSize(rs::sdl::Renderer(), &w, &h);
        if (!options.window) {
            ASSERT_EQ(w, width);
            ASSERT_EQ(h, height);
        }
        // A window holds the mouse only once the game has read it.
        if (options.window) {
            ASSERT_TRUE(Focus());
            Frame();
        }
        // Whatever the opening left in the queues is read and forgotten.
        ASSERT_TRUE(MoveAndRead({}, 3).has_value()) << "the mouse never reached the game";
    }

    void Close() {
        ri::ReleaseKeyboardInput();
        ri::ReleaseMouseInput();
        ri::SetMouseSpeed(1.0);
        rs::CloseScreenDisplay();
        rs::sdl::SetScreenOptions({});
        rs::sdl::SetDisplaySwitchHandler(nullptr);
        rs::State().frameRate = 0;
        rs::State().framePeriod = 0;
        SDL_DelEventWatch(&CountQueuedMotion, nullptr);
        SDL_Quit();
        if (xtest_) XCloseDisplay(xtest_);
        xtest_ = nullptr;
        server_.Stop();
    }

    // One turn of a game loop, adding up the movement the game read; a phase that does not
    // read the mouse (the pause banner) reads only the keyboard.
    void Frame() {
        rs::PresentFrame(1);
        ri::ReadKeyboard();
        if (readsMouse_ && ri::ReadMouse()) {
            movedX_ += ri::MouseMoveX();
            movedY_ += ri::MouseMoveY();
        }
    }

    // Runs frames until done() holds; false if it still does not after ten seconds.
    template <class Done>
    bool FramesUntil(Done done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            Frame();
        }
        return true;
    }

    // Moves the X pointer device sideways by each of dx in turn, then down by `marker`
    // counts, and runs frames until the game has read the marker. The sideways movement
    // the game read, or nothing if the marker never came. (SDL drops a motion equal to the
    // one before it within the same millisecond, so the steps differ.)
    std::optional<int> MoveAndRead(std::initializer_list<int> dx, int marker) {
        for (const int step : dx)
            XTestFakeRelativeMotionEvent(xtest_, step, 0, CurrentTime);
        XTestFakeRelativeMotionEvent(xtest_, 0, marker, CurrentTime);
        XSync(xtest_, False);
        movedX_ = movedY_ = 0;
        if (!FramesUntil([&] { return movedY_ != 0; })) return std::nullopt;
        return movedX_;
    }

    void FakeKey(KeySym key, bool down) {
        XTestFakeKeyEvent(xtest_, XKeysymToKeycode(xtest_, key), down ? True : False, CurrentTime);
        XSync(xtest_, False);
    }

    // Gives the full screen the keyboard, as the player's click on it would.
    bool Focus() {
        SDL_Window* window = rs::sdl::ScreenWindow();
        SDL_SetWindowInputFocus(window);
        return FramesUntil([&] { return SDL_GetKeyboardFocus() == window; });
    }

    // The size of the screen's window, as SDL knows it.
    static std::pair<int, int> WindowSize() {
        int w = 0, h = 0;
        SDL_GetWindowSize(rs::sdl::ScreenWindow(), &w, &h);
        return {w, h};
    }

    // Whether the pixel of the window is black (a border) rather than the white picture.
    static bool BlackAt(int x, int y) {
        SDL_Renderer* renderer = rs::sdl::Renderer();
        // The letterboxed screen limits reading to its view: read the whole window.
        SDL_RenderSetLogicalSize(renderer, 0, 0);
        SDL_RenderSetViewport(renderer, nullptr);
        std::uint32_t pixel = 0xDEADBEEF;
        const SDL_Rect one{x, y, 1, 1};
        EXPECT_EQ(SDL_RenderReadPixels(renderer, &one, SDL_PIXELFORMAT_RGB888, &pixel, 4), 0);
        SDL_RenderSetLogicalSize(renderer, 800, 600);
        return (pixel & 0xFFFFFF) == 0;
    }

    PrivateXServer server_;
    Display* xtest_ = nullptr;
    bool readsMouse_ = true;
    int movedX_ = 0;
    int movedY_ = 0;
};

TEST_F(SdlDisplayInput, ThePaddleMovesByTheMouseCountsWhateverTheMonitorSize) {
    // The 800 x 600 picture is scaled by 1.6 on the first monitor and by 1.8 on the
    // second; the mouse's counts reach the game unscaled on both.
    for (const auto& [width, height] : {std::pair{1280, 1024}, std::pair{1920, 1080}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        Open(width, height);
        if (HasFatalFailure() || IsSkipped()) return;
        EXPECT_EQ(MoveAndRead({120, 90, 110, -60, 240}, 9), 500);
        EXPECT_EQ(MoveAndRead({-45}, 4), -45);
        Close();
    }
}

TEST_F(SdlDisplayInput, LosingTheFocusReleasesKeysAndTheMouse) {
    Open(1024, 768);
    if (HasFatalFailure() || IsSkipped()) return;
    SDL_Window* window = rs::sdl::ScreenWindow();
    SDL_SetWindowInputFocus(window);
    ASSERT_TRUE(FramesUntil([&] { return SDL_GetKeyboardFocus() == window; }));
    ASSERT_EQ(rs::State().active, 1);
    FakeKey(XK_space, true);
    ASSERT_TRUE(FramesUntil([] { return ri::KeyIsDown(ri::KeySpace) != 0; }));

    // Another application takes the keyboard: the held key is let go and the screen is
    // in the background.
    XSetInputFocus(xtest_, None, RevertToNone, CurrentTime);
    XSync(xtest_, False);
    ASSERT_TRUE(FramesUntil([] { return rs::State().active == 0; }));
    EXPECT_EQ(ri::KeyIsDown(-1), 0);
    // The player gets the pointer back.
    EXPECT_EQ(SDL_GetRelativeMouseMode(), SDL_FALSE);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    // Moving the mouse meanwhile reaches the program but not the game.
    SDL_AddEventWatch(&CountQueuedMotion, nullptr);
    g_queuedMotionY = 0;
    movedX_ = movedY_ = 0;
    XTestFakeRelativeMotionEvent(xtest_, 200, 0, CurrentTime);
    XTestFakeRelativeMotionEvent(xtest_, 0, 13, CurrentTime);
    XSync(xtest_, False);
    ASSERT_TRUE(FramesUntil([] { return g_queuedMotionY != 0; }));
    Frame();
    EXPECT_EQ(rs::State().active, 0);
    EXPECT_EQ(movedX_, 0);
    EXPECT_EQ(ri::ReadMouse(), 0);
    EXPECT_EQ(ri::MouseMoveX(), 0);
    FakeKey(XK_space, false);

    // Back in front, the mouse counts again from there on.
    SDL_SetWindowInputFocus(window);
    ASSERT_TRUE(FramesUntil([] { return rs::State().active == 1; }));
    EXPECT_EQ(SDL_GetRelativeMouseMode(), SDL_TRUE);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(MoveAndRead({70}, 5), 70);
    EXPECT_EQ(ri::KeyIsDown(-1), 0);
}

TEST_F(SdlDisplayInput, TapsAndClicksShorterThanAFrameAreSeenOnce) {
    Open(1024, 768);
    if (HasFatalFailure() || IsSkipped()) return;
    ASSERT_TRUE(Focus());

    // Press and release go out together, so both are in the queue when the game next
    // reads: the key reads as down for one frame, then as let go once.
    for (const auto& [keysym, key] : {std::pair{KeySym(XK_Escape), ri::KeyEscape},
                                      std::pair{KeySym(XK_Return), ri::KeyReturn}}) {
        SCOPED_TRACE(key);
        const KeyCode code = XKeysymToKeycode(xtest_, keysym);
        XTestFakeKeyEvent(xtest_, code, True, CurrentTime);
        XTestFakeKeyEvent(xtest_, code, False, CurrentTime);
        XSync(xtest_, False);
        ASSERT_TRUE(FramesUntil([key] { return ri::KeyIsDown(key) != 0; }));
        EXPECT_EQ(ri::KeyWentUp(key), 0);
        Frame();
        EXPECT_EQ(ri::KeyIsDown(key), 0);
        EXPECT_EQ(ri::KeyWentUp(key), 1);
        Frame();
        EXPECT_EQ(ri::KeyWentUp(key), 0);
    }

    // X numbers the buttons left, middle, right; the game left, right, middle.
    for (const auto& [xButton, button] : {std::pair{1u, 1}, std::pair{3u, 2}, std::pair{2u, 3}}) {
        SCOPED_TRACE(button);
        XTestFakeButtonEvent(xtest_, xButton, True, CurrentTime);
        XTestFakeButtonEvent(xtest_, xButton, False, CurrentTime);
        XSync(xtest_, False);
        ASSERT_TRUE(FramesUntil([button] { return ri::MouseButtonDown(button) == 1; }));
        Frame();
        EXPECT_EQ(ri::MouseButtonDown(button), 0);
    }
}

int g_switches = 0;
bool g_switchedToWindow = false;
void CountSwitch(bool window) {
    ++g_switches;
    g_switchedToWindow = window;
}

TEST_F(SdlDisplayInput, AltEnterAndF11SwitchBetweenTheFullScreenAndAWindow) {
    // Twice 800 x 600 fits this desktop: the window's size without a chosen scale.
    Open(1920, 1280);
    if (HasFatalFailure() || IsSkipped()) return;
    ASSERT_TRUE(Focus());
    rs::sdl::SetDisplaySwitchHandler(&CountSwitch);
    g_switches = 0;
    EXPECT_FALSE(rs::sdl::ShowsWindow());
    EXPECT_EQ(WindowSize(), std::pair(1920, 1280));

    FakeKey(XK_Alt_L, true);
    FakeKey(XK_Return, true);
    FakeKey(XK_Return, false);
    FakeKey(XK_Alt_L, false);
    ASSERT_TRUE(FramesUntil([&] { return WindowSize() == std::pair(1600, 1200); }));
    EXPECT_TRUE(rs::sdl::ShowsWindow());
    EXPECT_EQ(g_switches, 1);
    EXPECT_TRUE(g_switchedToWindow);
    // Enter with Alt belongs to the switch: the pause banner would not take it to go on.
    EXPECT_EQ(ri::KeyIsDown(ri::KeyReturn), 0);
    EXPECT_EQ(ri::KeyWentUp(ri::KeyReturn), 0);
    // The mouse still counts in the window, while the game reads it.
    EXPECT_EQ(MoveAndRead({64}, 3), 64);

    FakeKey(XK_F11, true);
    FakeKey(XK_F11, false);
    ASSERT_TRUE(FramesUntil([&] { return WindowSize() == std::pair(1920, 1280); }));
    EXPECT_FALSE(rs::sdl::ShowsWindow());
    EXPECT_EQ(g_switches, 2);
    EXPECT_FALSE(g_switchedToWindow);
    FakeKey(XK_F11, true);
    FakeKey(XK_F11, false);
    ASSERT_TRUE(FramesUntil([&] { return WindowSize() == std::pair(1600, 1200); }));
    EXPECT_EQ(g_switches, 3);
}

TEST_F(SdlDisplayInput, AWindowKeepsThePicturesShapeAndCrispPixelsScaleByWholeNumbers) {
    // A chosen scale larger than fits the desktop gives the largest that fits.
    for (const bool crisp : {false, true}) {
        SCOPED_TRACE(crisp ? "crisp pixels" : "smooth fit");
        Open(1280, 1024, {.window = true, .windowScale = 3, .crispPixels = crisp});
        if (HasFatalFailure() || IsSkipped()) return;
        EXPECT_TRUE(rs::sdl::ShowsWindow());
        EXPECT_EQ(WindowSize(), std::pair(800, 600));
        // Resized by the player: 1.17 times the picture fits, letterboxed left and right;
        // with crisp pixels only once, with borders all round.
        SDL_SetWindowSize(rs::sdl::ScreenWindow(), 1200, 700);
        ASSERT_TRUE(FramesUntil([&] { return WindowSize() == std::pair(1200, 700); }));
        rs::FillTarget(255, 255, 255);
        rs::PresentFrame(1);
        EXPECT_TRUE(BlackAt(5, 350));
        EXPECT_EQ(BlackAt(150, 350), crisp);
        EXPECT_EQ(BlackAt(600, 20), crisp);
        EXPECT_FALSE(BlackAt(600, 350));
        Close();
    }
}

TEST_F(SdlDisplayInput, InAWindowTheMouseIsHeldOnlyWhileTheGameReadsIt) {
    Open(1280, 1024, {.window = true});
    if (HasFatalFailure() || IsSkipped()) return;
    ASSERT_TRUE(Focus());
    // A level or the menu: the game reads the mouse every frame and holds it.
    Frame();
    EXPECT_TRUE(rs::sdl::HoldsMouse());
    EXPECT_EQ(SDL_GetRelativeMouseMode(), SDL_TRUE);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    // The pause banner reads only the keyboard: the desktop's pointer is free and shown,
    // and moving it moves nothing in the game.
    readsMouse_ = false;
    Frame();
    Frame();
    EXPECT_FALSE(rs::sdl::HoldsMouse());
    EXPECT_EQ(SDL_GetRelativeMouseMode(), SDL_FALSE);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    SDL_AddEventWatch(&CountQueuedMotion, nullptr);
    g_queuedMotionY = 0;
    XTestFakeRelativeMotionEvent(xtest_, 30, 0, CurrentTime);
    XTestFakeRelativeMotionEvent(xtest_, 0, 7, CurrentTime);
    XSync(xtest_, False);
    ASSERT_TRUE(FramesUntil([] { return g_queuedMotionY != 0; }));

    // Back in play the mouse is held from the next frame on, and only what moves from
    // then on counts.
    readsMouse_ = true;
    Frame();
    Frame();
    EXPECT_TRUE(rs::sdl::HoldsMouse());
    EXPECT_EQ(ri::MouseMoveX(), 0);
    EXPECT_EQ(MoveAndRead({45}, 4), 45);

    // Minimised, the screen is in the background (a level pauses) and the mouse is free;
    // restored, it is held again.
    SDL_Event minimised{};
    minimised.type = SDL_WINDOWEVENT;
    minimised.window.windowID = SDL_GetWindowID(rs::sdl::ScreenWindow());
    minimised.window.event = SDL_WINDOWEVENT_MINIMIZED;
    SDL_PushEvent(&minimised);
    Frame();
    EXPECT_EQ(rs::State().active, 0);
    EXPECT_FALSE(rs::sdl::HoldsMouse());
    SDL_Event restored = minimised;
    restored.window.event = SDL_WINDOWEVENT_RESTORED;
    SDL_PushEvent(&restored);
    Frame();
    Frame();
    EXPECT_EQ(rs::State().active, 1);
    EXPECT_TRUE(rs::sdl::HoldsMouse());

    // Without the focus the mouse is free even while the game reads it.
    XSetInputFocus(xtest_, None, RevertToNone, CurrentTime);
    XSync(xtest_, False);
    ASSERT_TRUE(FramesUntil([] { return rs::State().active == 0; }));
    EXPECT_FALSE(rs::sdl::HoldsMouse());
}

TEST_F(SdlDisplayInput, TheMouseSpeedScalesTheSameMotionAndKeepsSlowMotion) {
    Open(1024, 768);
    if (HasFatalFailure() || IsSkipped()) return;
    ASSERT_TRUE(Focus());
    // The same motion moves the paddle twice as far at 2, a quarter as far at 0.25 (the
    // marker counts are scaled too, so it is large enough to show).
    ri::SetMouseSpeed(2.0);
    EXPECT_EQ(MoveAndRead({120, 90, -50}, 8), 320);
    ri::SetMouseSpeed(0.25);
    EXPECT_EQ(MoveAndRead({120, 90, -50}, 8), 40);

    // One count a frame at 0.25 still moves the paddle: a count every fourth frame.
    ri::SetMouseSpeed(0.25);
    SDL_AddEventWatch(&CountQueuedMotion, nullptr);
    movedX_ = 0;
    int moved = 0;
    for (int frame = 0; frame < 16; ++frame) {
        g_queuedMotionY = 0;
        XTestFakeRelativeMotionEvent(xtest_, 1, frame % 2 ? 1 : -1, CurrentTime);
        XSync(xtest_, False);
        ASSERT_TRUE(FramesUntil([&] {
            moved += movedX_;
            movedX_ = 0;
            return g_queuedMotionY != 0;
        }));
        Frame();
        moved += movedX_;
        movedX_ = 0;
    }
    EXPECT_EQ(moved, 4);
}

}  // namespace
