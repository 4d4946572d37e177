#pragma once

#include "runtime/input/input.hpp"

// Gamepads as the game sees them: as the mouse and the keys it already reads. The left
// stick and the d-pad move the mouse, a frame at a time; the south button (A), Start and
// Back are posted as the key or mouse button they stand for in the phase that runs, which
// the game sets with SetPadMeaning. The game never asks about a pad itself.
namespace runtime::input {

// What a pad button can stand for: a key number (0..255), the left mouse button, or nothing.
inline constexpr int kPadNothing = -1;
inline constexpr int kPadLeftButton = 0x100;

struct PadMeaning {
    bool movesPointer = false;  // the stick and the d-pad move the mouse
    int south = kPadNothing;    // A
    int start = kPadNothing;
    int back = kPadNothing;  // Back, Select, View
    bool operator==(const PadMeaning&) const = default;
};

// Sets what the buttons stand for from now on. A button held while its meaning changes is
// let go under the old one and counts under the new one only once pressed again, so a
// button held across phases never acts twice (A held as the level pauses does not resume
// it).
void SetPadMeaning(const PadMeaning& meaning);
const PadMeaning& CurrentPadMeaning();

// Mouse counts a frame: the stick at full tilt, and the d-pad from its first frame to the
// speed it reaches after kPadRampFrames frames held (about half a second).
inline constexpr int kPadStickSpeed = 14;
inline constexpr int kPadFirstSpeed = 2;
inline constexpr int kPadTopSpeed = 14;
inline constexpr int kPadRampFrames = 30;
// Stick values nearer the middle than this count as the middle (a pad at rest never quite
// reads 0).
inline constexpr int kPadDeadZone = 6000;

// ---- Platform side: what a backend feeds in, each pad under a number of its own. ----

enum class PadButton { South, Start, Back, Up, Down, Left, Right };

void PostPadButton(int pad, PadButton button, bool down);
// The left stick, each axis -32768..32767, right and down positive.
void PostPadStick(int pad, int x, int y);
// The pad is gone: its buttons are let go and its stick counts as centred.
void ForgetPad(int pad);
// Every pad is gone (the program ends).
void ForgetAllPads();

// Posts the pads' mouse motion of every frame presented since the last call; the input
// reads call it after the platform's events, so each frame moves by the same rule whatever
// the number of reads. Fractions of a count carry over to the next frame.
void StepPadFrames();

}  // namespace runtime::input
