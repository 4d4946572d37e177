#pragma once

#include <cstdint>

namespace runtime::input {

// The little the input service needs to know about the screen: whether the game owns it,
// its size (the mouse position stays inside) and how many frames it has shown.
struct ScreenInfo {
    bool active = false;
    int width = 0;
    int height = 0;
    std::uint64_t framesPresented = 0;
};

ScreenInfo CurrentScreen();

}  // namespace runtime::input
