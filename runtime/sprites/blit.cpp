#include "runtime/sprites/blit.hpp"

#include <cstring>
#include <vector>

namespace runtime::sprites {

using runtime::screen::Surface;

namespace {

// True when the two rectangles of the same store share a pixel.
bool SameStoreOverlap(const Surface& target, int dx, int dy, const Surface& source, int sx, int sy,
                      int width, int height) {
    return &target == &source && dx < sx + width && sx < dx + width && dy < sy + height &&
           sy < dy + height;
}

// Copies the source rectangle out first, so a store copied onto itself reads only pixels
// from before the copy (the scrolls the game does inside one sprite rely on this).
const std::uint32_t* Snapshot(const Surface& source, int sx, int sy, int width, int height,
                              std::vector<std::uint32_t>& temp) {
    temp.resize(std::size_t(width) * std::size_t(height));
    for (int row = 0; row < height; ++row)
        std::memcpy(temp.data() + std::size_t(row) * width, source.Row(sy + row) + sx,
                    std::size_t(width) * 4);
    return temp.data();
}

// The keyed row copy: a branch-free select that the compiler turns into vector code.
inline void KeyedRow(std::uint32_t* __restrict d, const std::uint32_t* __restrict s, int n) {
    for (int i = 0; i < n; ++i) {
        const std::uint32_t p = s[i];
        d[i] = (p & 0x00FFFFFFu) != 0 ? p : d[i];
    }
}

}  // namespace

void CopyRect(Surface& target, int dx, int dy, const Surface& source, int sx, int sy, int width,
              int height) {
    if (width <= 0 || height <= 0) return;
    if (SameStoreOverlap(target, dx, dy, source, sx, sy, width, height)) {
        thread_local std::vector<std::uint32_t> temp;
        const std::uint32_t* from = Snapshot(source, sx, sy, width, height, temp);
        for (int row = 0; row < height; ++row)
            std::memcpy(target.Row(dy + row) + dx, from + std::size_t(row) * width,
                        std::size_t(width) * 4);
        return;
    }
    for (int row = 0; row < height; ++row)
        std::memcpy(target.Row(dy + row) + dx, source.Row(sy + row) + sx, std::size_t(width) * 4);
}

void CopyRectKeyed(Surface& target, int dx, int dy, const Surface& source, int sx, int sy,
                   int width, int height) {
    if (width <= 0 || height <= 0) return;
    if (SameStoreOverlap(target, dx, dy, source, sx, sy, width, height)) {
        thread_local std::vector<std::uint32_t> temp;
        const std::uint32_t* from = Snapshot(source, sx, sy, width, height, temp);
        for (int row = 0; row < height; ++row)
            KeyedRow(target.Row(dy + row) + dx, from + std::size_t(row) * width, width);
        return;
    }
    for (int row = 0; row < height; ++row)
        KeyedRow(target.Row(dy + row) + dx, source.Row(sy + row) + sx, width);
}

}  // namespace runtime::sprites
