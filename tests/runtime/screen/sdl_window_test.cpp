#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "runtime/screen/screen.hpp"
#include "runtime/screen/sdl/sdl_display.hpp"
#include "runtime/sprites/sprites.hpp"
#include "tests/runtime/screen/private_x_server.hpp"

// Last: Xlib's macros (None, Bool, Status) would clash with names in the headers above.
#include <SDL_syswm.h>

namespace {

using namespace runtime::screen;

// The screen's renderer output as XRGB pixels: what the player sees in the window.
std::vector<std::uint32_t> ReadBack(int& width, int& height) {
    SDL_Renderer* renderer = sdl::Renderer();
    SDL_GetRendererOutputSize(renderer, &width, &height);
    std::vector<std::uint32_t> pixels(std::size_t(width) * height, 0xDEADBEEF);
    // The letterboxed full screen limits reading to its view; read the whole output, then
    // give the screen its view back for the next frame.
    int logicalWidth = 0, logicalHeight = 0;
    SDL_RenderGetLogicalSize(renderer, &logicalWidth, &logicalHeight);
    SDL_RenderSetLogicalSize(renderer, 0, 0);
    SDL_RenderSetViewport(renderer, nullptr);
    const int rc =
        SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(), width * 4);
    EXPECT_EQ(rc, 0) << SDL_GetError();
    SDL_RenderSetLogicalSize(renderer, logicalWidth, logicalHeight);
    for (auto& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

// Presents frames until the window shows the back buffer's red, as the game's steady
// frames would: a window can still be mapped again or resized just after it opened, and
// a frame shown before that is lost. Gives up after ten seconds; returns what is shown.
std::vector<std::uint32_t> PresentUntilShown(int& width, int& height) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        EXPECT_TRUE(PresentFrame(1));
        std::vector<std::uint32_t> shown = ReadBack(width, height);
        if (std::count(shown.begin(), shown.end(), 0xFF0000u) > 0 ||
            std::chrono::steady_clock::now() > deadline)
            return shown;
    }
}

// A picture with four flat quarters: red, green, blue and white.
void DrawQuarters() {
    const int w = State().width, h = State().height;
    FillTarget(255, 255, 255);
    runtime::sprites::MakeBlankSprite(1, w / 2, h / 2);
    runtime::sprites::SelectTarget(1);
    FillTarget(255, 0, 0);
    runtime::sprites::SelectTarget(-1);
    runtime::sprites::DrawSprite(1, 0, 0);
    runtime::sprites::SelectTarget(1);
    FillTarget(0, 255, 0);
    runtime::sprites::SelectTarget(-1);
    runtime::sprites::DrawSprite(1, w / 2, 0);
    runtime::sprites::SelectTarget(1);
    FillTarget(0, 0, 255);
    runtime::sprites::SelectTarget(-1);
    runtime::sprites::DrawSprite(1, 0, h / 2);
}

// Each test on a 1280 x 1024 screen of its own, which the full screen fills with bars
// above and below. SDL's software renderer keeps the shown picture in memory to read back.
class SdlWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!server_.Start(1280, 1024)) GTEST_SKIP() << "no Xvfb to start";
        sdl::UseSdlDisplay();
        ASSERT_TRUE(InitSpriteEngine()) << SDL_GetError();
        // No GL anywhere: SDL_Quit unloads its driver, and the sanitizer could then not
        // tell the driver's own leftovers from leaks of ours.
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    void TearDown() override {
        CloseScreenDisplay();
        SDL_Quit();
        server_.Stop();
    }
    PrivateXServer server_;
};

TEST_F(SdlWindow, WindowedScreenShowsTheBackBufferAndLeavesTheWindowOpen) {
    SDL_Window* window = SDL_CreateWindow("pacing", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          400, 200, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    ASSERT_TRUE(OpenScreenInWindow(window, 0, 0, 400, 200, 1, 0, 0));
    EXPECT_EQ(State().mode, ScreenMode::Window);
    EXPECT_EQ(State().frameRate, 60);
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN);
    DrawQuarters();
    int w = 0, h = 0;
    const std::vector<std::uint32_t> shown = PresentUntilShown(w, h);
    ASSERT_EQ(w, 400);
    ASSERT_EQ(h, 200);
    EXPECT_EQ(shown[50 * 400 + 100], 0xFF0000u);
    EXPECT_EQ(shown[50 * 400 + 300], 0x00FF00u);
    EXPECT_EQ(shown[150 * 400 + 100], 0x0000FFu);
    EXPECT_EQ(shown[150 * 400 + 300], 0xFFFFFFu);
    EXPECT_TRUE(CloseScreenDisplay());
    EXPECT_EQ(State().frameRate, 0);
    EXPECT_EQ(runtime::sprites::FindSprite(1), nullptr);
    // The caller's window is still there and visible.
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN);
    SDL_DestroyWindow(window);
}

TEST_F(SdlWindow, FullScreenIsLetterboxedWithTheCursorHidden) {
    ASSERT_TRUE(OpenFullScreen(800, 600, 32, ""));
    SDL_Window* window = sdl::ScreenWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP,
              Uint32(SDL_WINDOW_FULLSCREEN_DESKTOP));
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(State().active, 1);
    DrawQuarters();
    int w = 0, h = 0;
    const std::vector<std::uint32_t> shown = PresentUntilShown(w, h);
    ASSERT_EQ(w, 1280);
    ASSERT_EQ(h, 1024);
    // 800 x 600 scaled by 1.6 to 1280 x 960, centred between black bars of 32 rows.
    auto at = [&](int x, int y) { return shown[std::size_t(32 + y * 8 / 5) * w + x * 8 / 5]; };
    EXPECT_EQ(at(200, 150), 0xFF0000u);
    EXPECT_EQ(at(600, 150), 0x00FF00u);
    EXPECT_EQ(at(200, 450), 0x0000FFu);
    EXPECT_EQ(at(600, 450), 0xFFFFFFu);
    EXPECT_EQ(at(0, 0), 0xFF0000u);
    EXPECT_EQ(at(799, 599), 0xFFFFFFu);
    EXPECT_EQ(shown[std::size_t(31) * w + 640], 0u);
    EXPECT_EQ(shown[std::size_t(992) * w + 640], 0u);
    EXPECT_TRUE(CloseScreenDisplay());
    EXPECT_EQ(sdl::ScreenWindow(), nullptr);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

// The renderer most desktops get: the picture reaches the screen with its colours, through
// the texture whose storage the display asks again in the back buffer's own order.
TEST_F(SdlWindow, FullScreenOnOpenGLShowsTheBackBuffer) {
    if (kAddressSanitizer) GTEST_SKIP() << "GL drivers leave what the leak checker reports";
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    ASSERT_TRUE(OpenFullScreen(800, 600, 32, ""));
    SDL_RendererInfo info{};
    ASSERT_EQ(SDL_GetRendererInfo(sdl::Renderer(), &info), 0);
    if (std::string(info.name) != "opengl") GTEST_SKIP() << "no OpenGL renderer here";
    DrawQuarters();
    int w = 0, h = 0;
    const std::vector<std::uint32_t> shown = PresentUntilShown(w, h);
    ASSERT_EQ(w, 1280);
    ASSERT_EQ(h, 1024);
    auto at = [&](int x, int y) { return shown[std::size_t(32 + y * 8 / 5) * w + x * 8 / 5]; };
    EXPECT_EQ(at(200, 150), 0xFF0000u);
    EXPECT_EQ(at(600, 150), 0x00FF00u);
    EXPECT_EQ(at(200, 450), 0x0000FFu);
    EXPECT_EQ(at(600, 450), 0xFFFFFFu);
    EXPECT_TRUE(CloseScreenDisplay());
}

TEST_F(SdlWindow, FullScreenDestroyedByAnotherProgramIsAQuitRequest) {
    ASSERT_TRUE(OpenFullScreen(800, 600, 32, ""));
    DrawQuarters();
    int w = 0, h = 0;
    PresentUntilShown(w, h);
    State().quitRequested = false;

    // Another client destroys the X window itself, as xdotool windowclose does.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(sdl::ScreenWindow(), &info));
    Display* other = XOpenDisplay(server_.Name().c_str());
    ASSERT_NE(other, nullptr);
    XDestroyWindow(other, info.info.x11.window);
    XSync(other, False);
    XCloseDisplay(other);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!State().quitRequested && std::chrono::steady_clock::now() < deadline)
        PresentFrame(1);
    EXPECT_TRUE(State().quitRequested);

    // The frames until the game ends, and its closing, make requests for the window that
    // fail; the program lives on to end as it chooses.
    for (int frame = 0; frame < 3; ++frame)
        PresentFrame(1);
    EXPECT_TRUE(CloseScreenDisplay());
    State().quitRequested = false;
}

}  // namespace
