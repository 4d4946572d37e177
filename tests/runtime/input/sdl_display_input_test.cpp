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

    // The game's full screen and devices on a private server of the given size, paced at
    // 60 frames a second as with the timer pacing.
    void Open(int width, int height) {
        if (!server_.Start(width, height)) GTEST_SKIP() << "no Xvfb to start";
        xtest_ = XOpenDisplay(server_.Name().c_str());
        ASSERT_NE(xtest_, nullptr);
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(xtest_, &event, &error, &major, &minor));
        rs::sdl::UseSdlDisplay();
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
        ASSERT_EQ(w, width);
        ASSERT_EQ(h, height);
        // Whatever the opening left in the queues is read and forgotten.
        ASSERT_TRUE(MoveAndRead({}, 3).has_value()) << "the mouse never reached the game";
    }

    void Close() {
        ri::ReleaseKeyboardInput();
        ri::ReleaseMouseInput();
        rs::CloseScreenDisplay();
        rs::State().frameRate = 0;
        rs::State().framePeriod = 0;
        SDL_DelEventWatch(&CountQueuedMotion, nullptr);
        SDL_Quit();
        if (xtest_) XCloseDisplay(xtest_);
        xtest_ = nullptr;
        server_.Stop();
    }

    // One turn of a game loop, adding up the movement the game read.
    void Frame() {
        rs::PresentFrame(1);
        ri::ReadKeyboard();
        if (ri::ReadMouse()) {
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

    PrivateXServer server_;
    Display* xtest_ = nullptr;
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

}  // namespace
