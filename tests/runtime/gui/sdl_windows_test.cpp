// Windows that hold a screen, as plain SDL windows on a private Xvfb server: what reaches
// the program when another program destroys one.
#include "runtime/gui/sdl/sdl_windows.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>

#include "runtime/gui/gui.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/screen/sdl/sdl_display.hpp"
#include "tests/runtime/screen/private_x_server.hpp"

// Last: Xlib's macros (None, Bool, Status) would clash with names in the headers above.
#include <SDL_syswm.h>

namespace {

namespace gui = runtime::gui;
namespace rs = runtime::screen;

class SdlScreenWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!server_.Start(1024, 768)) GTEST_SKIP() << "no Xvfb to start";
        rs::sdl::UseSdlDisplay();
        ASSERT_TRUE(rs::InitSpriteEngine()) << SDL_GetError();
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        gui::sdl::UseSdlScreenWindows();
        ASSERT_TRUE(gui::InitWindows());
        rs::State().quitRequested = false;
    }
    void TearDown() override {
        gui::ReleaseWindows();
        rs::CloseScreenDisplay();
        SDL_Quit();
        server_.Stop();
        rs::State().quitRequested = false;
    }

    // The pacing choice's window: 400 x 200, centred, with the screen in it.
    static SDL_Window* OpenScreenWindow(int n) {
        if (!gui::OpenNumberedWindow(n, 0, 0, 400, 200, gui::WindowCentreOnScreen, ""))
            return nullptr;
        if (!rs::OpenScreenInWindow(gui::CurrentWindowHandle(), 0, 0, 400, 200, 1, 0, 0))
            return nullptr;
        return static_cast<SDL_Window*>(rs::State().screenWindow);
    }

    static SDL_SysWMinfo InfoOf(SDL_Window* window) {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        EXPECT_TRUE(SDL_GetWindowWMInfo(window, &info));
        return info;
    }

    PrivateXServer server_;
};

TEST_F(SdlScreenWindows, AWindowDestroyedByAnotherProgramIsAQuitRequest) {
    // The program closing a window of its own asks nothing: its destruction is read back
    // (the X connection is synchronised first) without a request to quit.
    SDL_Window* own = OpenScreenWindow(2);
    ASSERT_NE(own, nullptr);
    Display* connection = InfoOf(own).info.x11.display;
    EXPECT_EQ(gui::CloseNumberedWindow(2), 1);
    XSync(connection, False);
    rs::CurrentDisplayBackend()->PumpEvents();
    EXPECT_FALSE(rs::State().quitRequested);

    SDL_Window* window = OpenScreenWindow(1);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(rs::PresentFrame(1));
    // Another client destroys the X window itself, as xdotool windowclose does.
    Display* other = XOpenDisplay(server_.Name().c_str());
    ASSERT_NE(other, nullptr);
    XDestroyWindow(other, InfoOf(window).info.x11.window);
    XSync(other, False);
    XCloseDisplay(other);

    // The pacing choice's loop: poll, present, until an event comes.
    int event = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (event == 0 && std::chrono::steady_clock::now() < deadline) {
        event = gui::PollEvent();
        rs::PresentFrame(1);
    }
    EXPECT_EQ(event, gui::EventCloseRequest);
    EXPECT_TRUE(rs::State().quitRequested);
    EXPECT_TRUE(rs::sdl::QuitRequested());

    // The program closes it as any other; the requests that fail are no reason to stop.
    EXPECT_EQ(gui::CloseNumberedWindow(1), 1);
    EXPECT_EQ(rs::State().screenWindow, nullptr);
    XSync(connection, False);
    EXPECT_EQ(gui::PollEvent(), 0);
}

}  // namespace
