#pragma once

#include <cstdint>

namespace runtime::support {

// A colour value as the game writes it: red + green * 256 + blue * 65536. Kept: components
// are not clamped, an out-of-range part spills into the next one.
constexpr std::uint32_t MakeColour(int red, int green, int blue) {
    return std::uint32_t(red) + std::uint32_t(green) * 256u + std::uint32_t(blue) * 65536u;
}

}  // namespace runtime::support
