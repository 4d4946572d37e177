#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "runtime/screen/screen.hpp"
#include "runtime/screen/sdl/sdl_display.hpp"
#include "runtime/sprites/sprites.hpp"

namespace {

using namespace runtime::screen;

// The screen's renderer output as XRGB pixels: what the player sees in the window.
std::vector<std::uint32_t> ReadBack(int& width, int& height) {
    SDL_Renderer* renderer = sdl::Renderer();
    SDL_GetRendererOutputSize(renderer, &width, &height);
    std::vector<std::uint32_t> pixels(std::size_t(width) * height, 0xDEADBEEF);
    // The letterboxed full screen limits reading to its view; read the whole output.
    SDL_RenderSetLogicalSize(renderer, 0, 0);
    SDL_RenderSetViewport(renderer, nullptr);
    const int rc =
        SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(), width * 4);
    EXPECT_EQ(rc, 0) << SDL_GetError();
    return pixels;
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

class SdlWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
            GTEST_SKIP() << "no display to open a window on";
        sdl::UseSdlDisplay();
        ASSERT_TRUE(InitSpriteEngine()) << SDL_GetError();
    }
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
    ASSERT_TRUE(PresentFrame(1));
    int w = 0, h = 0;
    const std::vector<std::uint32_t> shown = ReadBack(w, h);
    ASSERT_EQ(w, 400);
    ASSERT_EQ(h, 200);
    EXPECT_EQ(shown[50 * 400 + 100] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shown[50 * 400 + 300] & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(shown[150 * 400 + 100] & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(shown[150 * 400 + 300] & 0xFFFFFF, 0xFFFFFFu);
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
    ASSERT_TRUE(PresentFrame(1));
    int w = 0, h = 0;
    const std::vector<std::uint32_t> shown = ReadBack(w, h);
    ASSERT_GT(w, 0);
    // 800 x 600 scaled to fit the output, aspect kept, centred between black bars.
    const double scale = std::min(w / 800.0, h / 600.0);
    const int left = int((w - 800 * scale) / 2), top = int((h - 600 * scale) / 2);
    auto at = [&](int x, int y) {
        return shown[std::size_t(top + int(y * scale)) * w + std::size_t(left + int(x * scale))] &
               0xFFFFFF;
    };
    EXPECT_EQ(at(200, 150), 0xFF0000u);
    EXPECT_EQ(at(600, 150), 0x00FF00u);
    EXPECT_EQ(at(200, 450), 0x0000FFu);
    EXPECT_EQ(at(600, 450), 0xFFFFFFu);
    if (top > 0) {
        EXPECT_EQ(shown[std::size_t(top / 2) * w + w / 2] & 0xFFFFFF, 0u);
    }
    if (left > 0) {
        EXPECT_EQ(shown[std::size_t(h / 2) * w + left / 2] & 0xFFFFFF, 0u);
    }
    EXPECT_TRUE(CloseScreenDisplay());
    EXPECT_EQ(sdl::ScreenWindow(), nullptr);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

}  // namespace
