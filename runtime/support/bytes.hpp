#pragma once

// Little-endian fields of the files the game reads (pictures, sounds, packs), taken a byte
// at a time so that they read the same on any machine and at any alignment.

#include <cstdint>

namespace runtime::support {

inline std::uint16_t ReadLe16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

inline std::uint32_t ReadLe32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

}  // namespace runtime::support
