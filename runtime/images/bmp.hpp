#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace runtime::images {

// What the game needs to know about a BMP held in memory. Every field has been checked
// against the bytes it came from: the colour table and all the pixel rows lie inside them.
struct BmpHeader {
    int width = 0;
    int height = 0;                  // always positive: rows are stored bottom row first
    int bitsPerPixel = 0;            // 1, 4, 8, 16, 24 or 32
    std::size_t pixelOffset = 0;     // first byte of the bottom row
    std::size_t rowStride = 0;       // bytes per stored row, a multiple of 4
    std::size_t paletteOffset = 0;   // colour table: blue, green, red, unused per entry
    std::size_t paletteEntries = 0;  // 0 for 16, 24 and 32 bits
};

// True when the bytes start with "BM" (the only test the loaders make to pick the BMP path).
bool LooksLikeBmp(const std::uint8_t* bytes, std::size_t size);

// Reads and checks the header of an uncompressed, bottom-up BMP. False for anything else:
// compressed or top-down images, unknown depths, and headers whose sizes do not fit the bytes.
bool ReadBmpHeader(const std::uint8_t* bytes, std::size_t size, BmpHeader& header);

}  // namespace runtime::images
