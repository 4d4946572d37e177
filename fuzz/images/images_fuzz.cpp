// Feeds arbitrary bytes to every way the game turns bytes into pictures: the sprite
// loader's decoder, the 8-bit index reader, the launcher's image table, and the decoder
// registry writing into a buffer of exactly the size it asked for.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/images/images.hpp"

using namespace runtime::images;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (RegisterJpegDecoder(), true);
    (void)ready;

    runtime::screen::Surface picture;
    int bits = 0;
    if (DecodePicture(data, size, picture, &bits)) {
        if (picture.pixels.size() != std::size_t(picture.width) * std::size_t(picture.height)) {
            __builtin_trap();
        }
    }

    std::vector<std::uint8_t> indices;
    int width = 0, height = 0;
    if (DecodeBmpIndexed(data, size, indices, width, height) &&
        indices.size() != std::size_t(width) * std::size_t(height)) {
        __builtin_trap();
    }

    LoadImageFromMemory(int(size % 3), data, size);

    if (FindDecoder(nullptr, data, size) != 0) {
        const int w = CurrentWidth();
        const int h = CurrentHeight();
        if (w <= 0 || h <= 0) __builtin_trap();
        // No spare row here: a decoder writing past its last row is caught at once.
        std::vector<std::uint8_t> rows(RowStride24(w) * std::size_t(h));
        DecodeWithCurrent(rows.data(), RowStride24(w), 0);
    }
    return 0;
}
