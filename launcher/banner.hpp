#pragma once

#include <cstdint>
#include <span>

namespace launcher {

// The launcher's banner picture, a 580 x 61, 24-bit BMP compiled into the program. The
// asset builder draws it at build time and writes this function's body.
std::span<const std::uint8_t> bannerBmp();

}  // namespace launcher
