#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/images/bmp.hpp"
#include "runtime/images/decoders.hpp"
#include "runtime/screen/surface.hpp"

namespace runtime::images {

// Decodes a BMP (1, 4, 8, 16, 24 or 32 bits, uncompressed, bottom-up) or any format a
// registered decoder accepts into a 32-bit store: blue, green, red in the low three bytes,
// top byte 0, the top image row in row 0. sourceBits (if not null) receives the BMP's bits
// per pixel, or 24 for decoded formats. False, with out left as it was, when the bytes are
// not a picture the game can read.
bool DecodePicture(const std::uint8_t* bytes, std::size_t size, runtime::screen::Surface& out,
                   int* sourceBits);

// The colour indices of an 8-bit BMP, width x height bytes, top row first. False for any
// other kind of picture.
bool DecodeBmpIndexed(const std::uint8_t* bytes, std::size_t size, std::vector<std::uint8_t>& out,
                      int& width, int& height);

// A picture for the launcher's image box.
struct Image {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;  // the source's: the BMP's own depth, 24 for decoded formats
    runtime::screen::Surface pixels;
};

// Decodes the bytes into image slot imageNumber, replacing what it held, and returns the
// image (non-null) or null. The table starts with 10 slots and grows to n + 10 when a number
// n beyond it is used. Icon files are not supported: the game never loads one.
const Image* LoadImageFromMemory(int imageNumber, const std::uint8_t* bytes, std::size_t size);

// The image in slot imageNumber, or null.
const Image* FindImage(int imageNumber);

// Frees every image; the program calls this on its way out.
void ReleaseImages();

}  // namespace runtime::images
