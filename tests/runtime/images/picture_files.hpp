#pragma once

// Small BMP and JPEG files made on the spot for the image tests.

#include <cstdint>
#include <vector>

namespace tessaly::testing {

struct BmpLayout {
    int width = 1;
    int height = 1;  // negative: rows stored top row first
    int bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t infoSize = 40;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB, written blue, green, red, 0
    std::uint8_t padding = 0xEE;         // fills the gap at the end of each row
};

inline BmpLayout Layout(int width, int height, int bits) {
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bits = bits;
    return layout;
}

// A BMP file with the given stored rows (bottom row first, each without its padding).
std::vector<std::uint8_t> MakeBmp(const BmpLayout& layout,
                                  const std::vector<std::vector<std::uint8_t>>& rows);

// A baseline JPEG of 1 (gray) or 3 (red, green, blue) components per pixel, top row first.
std::vector<std::uint8_t> MakeJpeg(int width, int height, int components,
                                   const std::vector<std::uint8_t>& samples, int quality = 95);

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value);

}  // namespace tessaly::testing
