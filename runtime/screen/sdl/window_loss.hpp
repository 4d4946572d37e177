#pragma once

#include <SDL.h>

// SDL windows whose X window another program destroys (xdotool windowclose, a window
// manager that kills windows). SDL reports no event of its own for it and keeps making
// requests for the window, whose X errors would end the program; so the destruction is
// read from the system events, and errors about these windows are let pass.
namespace runtime::screen::sdl {

// Watches the window from now on. Nothing happens away from X11.
void WatchForLoss(SDL_Window* window);

// The program has destroyed the window itself (call right after SDL_DestroyWindow): no
// more watching. Only the pointer is compared.
void WindowDestroyed(SDL_Window* window);

// The watched window a system event reports destroyed, or null for any other event. Needs
// SDL_SYSWMEVENT enabled.
SDL_Window* LostWindowOf(const SDL_SysWMmsg& message);

// True once the watched window has been destroyed by someone else.
bool WindowLost(SDL_Window* window);

}  // namespace runtime::screen::sdl
