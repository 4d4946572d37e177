#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace runtime::screen {

// A pixel store in the one format the game draws in: 32 bits per pixel, blue in the
// lowest byte, then green and red, the top byte unused. Rows follow each other with no
// gap, so the pitch is the width. The back buffer, every sprite and every quad texture
// is one of these.
struct Surface {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Surface() = default;
    Surface(int w, int h) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h), 0) {}

    std::uint32_t* Row(int y) { return pixels.data() + std::size_t(y) * std::size_t(width); }
    const std::uint32_t* Row(int y) const {
        return pixels.data() + std::size_t(y) * std::size_t(width);
    }
    std::uint32_t& At(int x, int y) { return Row(y)[x]; }
    std::uint32_t At(int x, int y) const { return Row(y)[x]; }
};

// Pixel value of a colour (red + green * 256 + blue * 65536) in the store's layout.
constexpr std::uint32_t PixelOfColour(std::uint32_t colour) {
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

}  // namespace runtime::screen
