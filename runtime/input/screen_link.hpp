#pragma once

#include <cstdint>

namespace runtime::input {

// The little the input service needs to know about the screen: whether the game owns it,
// its size (the mouse position stays inside), how many frames it has shown, and whether the
// program was asked to quit (a recording of the reads notes it).
struct ScreenInfo {
    bool active = false;
    int width = 0;
    int height = 0;
    std::uint64_t framesPresented = 0;
    bool quitRequested = false;  // the player closed the screen or the desktop asked to quit
};

ScreenInfo CurrentScreen();

}  // namespace runtime::input
