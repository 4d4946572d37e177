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

// Window and quit events that are not about the engine's own full screen (the launcher's
// windows, for instance) are handed here by the event pump.
void SetWindowEventHandler(void (*handler)(const SDL_Event&));

// True once the player closed the full-screen window, the desktop asked the program to
// quit, or another program destroyed one of its windows; the game flow decides what to do
// with it.
bool QuitRequested();

}  // namespace runtime::screen::sdl
