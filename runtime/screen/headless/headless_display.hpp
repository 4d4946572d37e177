#pragma once

#include <cstdint>

// The display with no window: the back buffer stays in memory, presenting counts frames.
// Tests, replays and benchmarks run the game on it.
namespace runtime::screen::headless {

// Installs the headless backend; call before InitSpriteEngine. With realTimePacing false
// the pacing clock is virtual: the frame wait runs its usual logic but takes no real time.
void UseHeadlessDisplay(bool realTimePacing = false);

// Turns real-time pacing on or off while running.
void SetHeadlessPacing(bool realTime);

// Simulates the full screen losing (false) or regaining (true) focus.
void SetHeadlessFocus(bool focused);

// Refresh rate the headless display reports at a full-screen open (default 0: none).
// At 59 to 61 Hz it acts as a vsynced display: presenting waits for the next retrace.
void SetHeadlessRefreshRate(int hertz);

}  // namespace runtime::screen::headless
