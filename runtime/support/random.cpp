#include "runtime/support/random.hpp"

#include <time.h>

#include <bit>

namespace runtime::support {
namespace {

RandomState state;

// One step of the generator: the pair at i is replaced by rotated halves of itself plus
// the pair at j, with the two halves changing places. Returns the new pair as 64 bits.
std::uint64_t Step(RandomState& s) {
    const std::uint32_t lo = s.low[s.i];
    const std::uint32_t hi = s.high[s.i];
    const std::uint32_t newLow = std::rotl(hi, 27) + s.high[s.j];
    const std::uint32_t newHigh = std::rotl(lo, 19) + s.low[s.j];
    s.low[s.i] = newLow;
    s.high[s.i] = newHigh;
    s.i = s.i == 0 ? 16 : s.i - 1;
    s.j = s.j == 0 ? 16 : s.j - 1;
    return (std::uint64_t(newHigh) << 32) | newLow;
}

}  // namespace

void SeedRandom(std::uint32_t seed) {
    std::uint32_t x = seed;
    for (int k = 0; k < 34; ++k) {
        x = x * 0xAC564B05u + 1u;
        if (k % 2 == 0) {
            state.low[k / 2] = x;
        } else {
            state.high[k / 2] = x;
        }
    }
    state.i = 0;
    state.j = 10;
    // The first steps are still close to the linear seeding; they are thrown away.
    for (int k = 0; k < 31; ++k)
        Step(state);
}

void SeedRandomFromClock() {
    // The seed is the milliseconds since boot; only the low 32 bits matter.
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t ms =
        std::uint64_t(now.tv_sec) * 1000u + std::uint64_t(now.tv_nsec) / 1000000u;
    SeedRandom(std::uint32_t(ms));
}

std::int32_t RandomUpTo(std::int32_t max) {
    const std::uint64_t x = Step(state);
    if (max < 0) return INT32_MIN;
    // The upper 32 bits of the 96-bit product x * (max + 1): uniform over 0..max.
    const std::uint64_t n = std::uint64_t(max) + 1u;
    const std::uint64_t a = (x & 0xFFFFFFFFu) * n;
    const std::uint64_t b = (x >> 32) * n;
    return std::int32_t((b + (a >> 32)) >> 32);
}

RandomState CurrentRandomState() {
    return state;
}

void RestoreRandomState(const RandomState& saved) {
    state = saved;
    // A hand-made state could hold indices outside the table; keep them in range.
    if (state.i < 0 || state.i > 16) state.i = 0;
    if (state.j < 0 || state.j > 16) state.j = 10;
}

}  // namespace runtime::support
