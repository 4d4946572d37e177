#pragma once

#include <SDL.h>

// The SDL2 display: the back buffer goes to a streaming texture presented by an SDL
// renderer, in a desktop full-screen window (800 x 600 logical size, letterboxed) or in the
// caller's window. Its event pump feeds the keyboard and mouse and follows window focus.
namespace runtime::screen::sdl {

// Installs the SDL backend; call before InitSpriteEngine.
void UseSdlDisplay();

// The renderer of the open screen (null when none is open), for reading pixels back.
SDL_Renderer* Renderer();

// The engine's own full-screen window (null when none is open).
SDL_Window* ScreenWindow();

}  // namespace runtime::screen::sdl
