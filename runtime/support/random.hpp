#pragma once

#include <cstdint>

namespace runtime::support {

// The game's random generator: a lagged two-word rotate-and-add generator over 17 pairs of
// 32-bit words. Bounce angles, bonus rolls and every other random choice come from it, so
// a given seed must give the same sequence bit for bit on every machine.
struct RandomState {
    std::uint32_t low[17] = {};
    std::uint32_t high[17] = {};
    int i = 0;
    int j = 10;
};

// Seeds the game's generator; the same seed always gives the same sequence.
void SeedRandom(std::uint32_t seed);

// Seeds the generator from the milliseconds since the machine booted; done once at start-up.
void SeedRandomFromClock();

// A number from 0 to max inclusive. A negative max still uses up a step and returns
// -2147483648, which the game never asks for but replays must reproduce.
std::int32_t RandomUpTo(std::int32_t max);

// The generator's whole state, for replays that need to save and restore it.
RandomState CurrentRandomState();
void RestoreRandomState(const RandomState& state);

}  // namespace runtime::support
