#pragma once

// The mouse speed as the player changes it in the pause banner.
namespace game::flow {

// The speed the + key (steps 1) or the - key (steps -1) leads to from the given one: the
// next quarter up or down, from 0.25 to 4. A speed between quarters (from the settings
// file) goes to the quarter next to it.
double steppedMouseSpeed(double speed, int steps);

// Drawn over the pause banner on each of its frames: + and - (on the keypad too) and the
// mouse wheel change the speed, which the banner shows in the game's font; each change
// goes to the settings steps.
void mouseSpeedOverBanner(int frame);

}  // namespace game::flow
