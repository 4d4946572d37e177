#pragma once

#include <cstdint>

// Screen windows for runs without a desktop: a window exists only as a record the
// headless display draws "into", and the player's close box is scripted by frame.
namespace runtime::gui::headless {

void UseHeadlessWindows();

// The player clicks window n's close box once that many frames have been presented.
void ScheduleCloseRequest(int n, std::uint64_t frame);

}  // namespace runtime::gui::headless
