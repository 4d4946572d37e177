#pragma once

#include <cstdint>

#include "runtime/input/input.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sprites/sprites.hpp"
#include "tools/headless/runner.hpp"

// The presentation tests draw on the headless 800 x 600 screen, with every key and button
// up and the fixed waits skipped.
inline void StartQuietScreen() {
    tools::headless::StartHeadlessRuntime();
    runtime::input::SetEventPump(nullptr);
    runtime::input::PostAllKeysUp();
    for (int button = 1; button <= 3; ++button)
        runtime::input::PostMouseButton(button, false);
    runtime::input::ReadKeyboard();
    runtime::input::ReadMouse();
    runtime::screen::State().quitRequested = false;
}

inline std::uint64_t FramesShown() {
    return runtime::screen::State().framesPresented;
}

// The colour at a back-buffer pixel as red + green * 256 + blue * 65536.
inline std::uint32_t ScreenColour(int x, int y) {
    const std::uint32_t p = runtime::screen::BackBuffer().At(x, y);
    return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}

inline constexpr std::uint32_t Grey(std::uint32_t g) {
    return g | g << 8 | g << 16;
}

// A width x height sprite of one colour (red + green * 256 + blue * 65536).
inline void MakeSolidSprite(int n, int width, int height, std::uint32_t colour, int mode = 0) {
    runtime::sprites::MakeBlankSprite(n, width, height, mode);
    runtime::sprites::SelectTarget(n);
    runtime::screen::FillTarget(int(colour & 0xFF), int((colour >> 8) & 0xFF),
                                int((colour >> 16) & 0xFF));
    runtime::sprites::SelectTarget(-1);
}
