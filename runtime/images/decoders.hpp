#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace runtime::images {

// One image format the game can read besides BMP. recognise looks at an open file (at its
// start) or at bytes in memory and, when it accepts them, keeps the image prepared for the
// decode that follows; decode writes 24-bit rows (blue, green, red; top row first), each
// rowStride bytes after the previous one, and releases the prepared state.
struct ImageDecoder {
    int (*recognise)(std::FILE* file, const std::uint8_t* bytes, std::size_t size);
    void (*decode)(std::uint8_t* destination, std::size_t rowStride, int flags);
    int (*width)();
    int (*height)();
};

// The decoders in the order they were registered; the current one recognised the last image.
struct DecoderRegistry {
    std::vector<ImageDecoder> decoders;
    int current = -1;
};

const DecoderRegistry& Decoders();

// Appends a decoder to the registry.
void RegisterDecoder(const ImageDecoder& decoder);

// Appends the JPEG decoder; only the first call does anything.
void RegisterJpegDecoder();

// Asks each decoder in turn about the named file (rewound before each) or, with a null name,
// about the bytes. The first that accepts becomes current and, for a file, keeps it open
// until DecodeWithCurrent. Returns 1 if a decoder was found, else 0.
int FindDecoder(const char* fileName, const std::uint8_t* bytes, std::size_t size);

// Decodes the image the current decoder prepared, then closes the file FindDecoder opened.
// Rows a damaged image never reached keep what the destination held.
void DecodeWithCurrent(std::uint8_t* destination, std::size_t rowStride, int flags);

// Width and height of the image the current decoder prepared (0 without one).
int CurrentWidth();
int CurrentHeight();

// Bytes in one row of a 24-bit row buffer of the given width: 3w + (w mod 4), a multiple of 4.
constexpr std::size_t RowStride24(int width) {
    return std::size_t(width) * 3 + std::size_t(width) % 4;
}

// Differs: pictures over 32767 pixels a side or 16 million pixels are refused
// (docs/differences.md, Pictures)
// The largest picture any loader accepts. The game's own pictures are at most 800 x 600;
// the limit stops a tiny hostile file from asking for gigabytes.
inline constexpr int kMaxImageSide = 32767;
inline constexpr std::size_t kMaxImagePixels = std::size_t(1) << 24;

}  // namespace runtime::images
