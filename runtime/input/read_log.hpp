#pragma once

#include <cstdint>
#include <string>

// A recording of what the game's reads returned, written as input-script lines (the lines
// runtime/input/headless reads back), so a replay hands each read the same keys, mouse
// movement, buttons and window events the player's game saw:
//   F[+R] key K down|up      a key seen down or up from this read on
//   F[+R] mouse DX DY        the movement this mouse read returned
//   F[+R] button B down|up   a button seen down or up from this read on
//   F[+R] wheel STEPS        the wheel steps this mouse read returned
//   F[+R] focus in|out       the full screen gained or lost the keyboard before this read
//   F[+R] close              the program was asked to quit before this read
// F counts the frames shown since the log started; "+R" is left out for a frame's first
// read (R reads came before it since frame F was shown). The log starts from what a fresh
// program holds: no key or button down and the screen in front.
namespace runtime::input {

// Starts a log into out (emptied first); frames count from those presented now.
void StartReadLog(std::string& out);

// Stops the log; out keeps its lines.
void StopReadLog();

bool ReadLogRunning();

// Frames presented since the log started (0 when none runs).
std::uint64_t ReadLogFrames();

}  // namespace runtime::input
