#pragma once

#include <SDL.h>

// Gamepads through SDL's game-controller interface: every pad SDL knows a layout for,
// plugged in before the game or during it, reaches the input core as a numbered pad (its
// SDL instance number).
namespace runtime::input::sdl {

// Starts SDL's game controllers; pads already plugged in arrive as plug-in events at the
// next event pump. False when SDL cannot start them: the game then plays without pads.
bool UseGamepads();

// A plug-in, unplug, button or axis event of a game controller.
void HandleGamepadEvent(const SDL_Event& event);

// How many pads are open now (for tests).
int GamepadsOpen();

}  // namespace runtime::input::sdl
