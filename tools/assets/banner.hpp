#pragma once

#include <cstdint>
#include <span>

namespace tools::assets {

// The launcher's banner picture, a 580 x 61, 24-bit BMP compiled into the program.
std::span<const std::uint8_t> LauncherBanner();

}  // namespace tools::assets
