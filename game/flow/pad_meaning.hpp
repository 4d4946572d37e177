#pragma once

#include "game/flow/program.hpp"
#include "runtime/input/gamepad.hpp"

namespace game::flow {

// What a gamepad's buttons stand for while a phase runs: the keys and the mouse button the
// phase reads, so that the phases themselves know nothing of pads. The launcher, the pacing
// choice and the name entry stay with the keyboard and the mouse.
runtime::input::PadMeaning padMeaningOf(Phase phase);

}  // namespace game::flow
