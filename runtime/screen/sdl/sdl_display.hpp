#pragma once

#include <SDL.h>

// The SDL2 display: the back buffer goes to a streaming texture presented by an SDL
// renderer, in a window of its own (desktop full screen or a window on the desktop, 800 x
// 600 logical size, letterboxed) or in the caller's window. Its event pump feeds the
// keyboard and mouse and follows window focus.
namespace runtime::screen::sdl {

// Installs the SDL backend; call before InitSpriteEngine.
void UseSdlDisplay();

// How the game's own screen is shown when it opens: the full screen, or a window of 800 x
// 600 times windowScale (0, or more than fits: the largest that fits the desktop); with
// crispPixels the picture is scaled by whole numbers only, with black borders.
struct ScreenOptions {
    bool window = false;
    int windowScale = 0;
    bool crispPixels = false;
};
void SetScreenOptions(const ScreenOptions& options);

// Alt+Enter and F11 switch the open screen between the full screen and a window; the
// handler hears of each switch (true: now a window), to keep the choice.
void SetDisplaySwitchHandler(void (*handler)(bool window));

// True while the game's own screen shows in a window rather than the full screen.
bool ShowsWindow();

// True while the game holds the mouse: relative mode, the desktop's pointer hidden.
bool HoldsMouse();

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
