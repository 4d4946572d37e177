#pragma once

#include <SDL.h>

namespace runtime::input::sdl {

// Turns one SDL keyboard, mouse-motion, mouse-button, wheel or game-controller event into
// the input state; other events are ignored. The display's event pump hands every event here.
void HandleEvent(const SDL_Event& event);

// The game's key number (set-1 scan code, extended keys + 0x80) of an SDL scancode, or -1
// for keys the PC keyboard table has no number for.
int KeyNumberOfScancode(SDL_Scancode scancode);

}  // namespace runtime::input::sdl
