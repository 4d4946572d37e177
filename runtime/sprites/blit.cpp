#include "runtime/sprites/blit.hpp"

#include <algorithm>
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

constexpr std::uint32_t kColourBits = 0x00FFFFFFu;

// The keyed row copy: a branch-free select that the compiler turns into vector code.
inline void KeyedRow(std::uint32_t* __restrict d, const std::uint32_t* __restrict s, int n) {
    for (int i = 0; i < n; ++i) {
        const std::uint32_t p = s[i];
        d[i] = (p & kColourBits) != 0 ? p : d[i];
    }
}

// Runs of one row closer than this many black pixels become one mixed stretch: reading a
// few black pixels through the select costs less than starting another copy.
constexpr int kJoinGap = 4;

// A copy of n >= 1 pixels with no call for the short runs most pictures are made of: two
// overlapping fixed-size moves cover any length between one size and the next.
inline void CopySolid(std::uint32_t* __restrict d, const std::uint32_t* __restrict s, int n) {
    if (n > 64) {
        std::memcpy(d, s, std::size_t(n) * 4);
    } else if (n >= 16) {
        for (int i = 0; i < n - 8; i += 8)
            std::memcpy(d + i, s + i, 32);
        std::memcpy(d + n - 8, s + n - 8, 32);
    } else if (n >= 8) {
        std::memcpy(d, s, 32);
        std::memcpy(d + n - 8, s + n - 8, 32);
    } else if (n >= 4) {
        std::memcpy(d, s, 16);
        std::memcpy(d + n - 4, s + n - 4, 16);
    } else if (n >= 2) {
        std::memcpy(d, s, 8);
        std::memcpy(d + n - 2, s + n - 2, 8);
    } else {
        d[0] = s[0];
    }
}

inline void CopyRun(std::uint32_t* d, const std::uint32_t* s, int n, bool mixed) {
    if (mixed)
        KeyedRow(d, s, n);
    else
        CopySolid(d, s, n);
}

}  // namespace

void CopyRect(Surface& target, int dx, int dy, const Surface& source, int sx, int sy, int width,
              int height) {
    if (width <= 0 || height <= 0) return;
    if (SameStoreOverlap(target, dx, dy, source, sx, sy, width, height)) {
        // Rows go in the order that reads each one before it is written over, and memmove
        // takes care of a row moved along itself: the same as a copy through a temporary,
        // with half the memory traffic (the game scrolls pictures this way every frame).
        const std::size_t bytes = std::size_t(width) * 4;
        if (dy <= sy) {
            for (int row = 0; row < height; ++row)
                std::memmove(target.Row(dy + row) + dx, source.Row(sy + row) + sx, bytes);
        } else {
            for (int row = height - 1; row >= 0; --row)
                std::memmove(target.Row(dy + row) + dx, source.Row(sy + row) + sx, bytes);
        }
        return;
    }
    // Plain stores, even for a whole screen: streaming stores, which skip the cache, copy no
    // faster here and leave the back buffer out of it for the draws and the upload after.
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

void MakeKeyRuns(const Surface& source, KeyRuns& k) {
    k.rows.clear();
    k.runs.clear();
    k.pixels.clear();
    k.rows.reserve(std::size_t(source.height) + 1);
    const int w = source.width;
    k.width = w;
    for (int y = 0; y < source.height; ++y) {
        k.rows.push_back({std::uint32_t(k.runs.size()), std::uint32_t(k.pixels.size())});
        const std::uint32_t* p = source.Row(y);
        const std::size_t rowFirst = k.runs.size();
        int x = 0;
        while (x < w) {
            while (x < w && (p[x] & kColourBits) == 0)
                ++x;
            if (x == w) break;
            const int start = x;
            while (x < w && (p[x] & kColourBits) != 0)
                ++x;
            KeyRuns::Run* last = k.runs.size() > rowFirst ? &k.runs.back() : nullptr;
            if (last && start - (last->x + last->Length()) < kJoinGap) {
                // The black gap goes into the stretch too; the select skips it.
                const int lastEnd = last->x + last->Length();
                k.pixels.insert(k.pixels.end(), p + lastEnd, p + x);
                last->length = std::uint16_t((x - last->x) | KeyRuns::kMixed);
                continue;
            }
            k.runs.push_back({std::uint16_t(start), std::uint16_t(x - start)});
            k.pixels.insert(k.pixels.end(), p + start, p + x);
        }
    }
    k.rows.push_back({std::uint32_t(k.runs.size()), std::uint32_t(k.pixels.size())});
    k.keyedCopiesWithout = 0;
}

void CopyRectKeyedRuns(Surface& target, int dx, int dy, const KeyRuns& k, int sx, int sy, int width,
                       int height) {
    if (width <= 0 || height <= 0) return;
    const KeyRuns::Run* runs = k.runs.data();
    const KeyRuns::Row* rows = k.rows.data() + sy;
    const std::uint32_t* pixels = k.pixels.data();
    const std::size_t targetPitch = std::size_t(target.width);
    std::uint32_t* d = target.Row(dy) + dx;  // d[i] takes column sx + i
    if (sx == 0 && width == k.width) {
        // Whole rows: the runs and their pixels follow each other.
        const KeyRuns::Run* r = runs + rows[0].firstRun;
        const KeyRuns::Run* last = runs + rows[height].firstRun;
        const std::uint32_t* s = pixels + rows[0].firstPixel;
        for (int row = 0; r != last; ++row, d += targetPitch) {
            for (const KeyRuns::Run* end = runs + rows[row + 1].firstRun; r != end; ++r) {
                const int n = r->Length();
                CopyRun(d + r->x, s, n, r->Mixed());
                s += n;
            }
        }
        return;
    }
    const int ex = sx + width;
    for (int row = 0; row < height; ++row, d += targetPitch) {
        const std::uint32_t* s = pixels + rows[row].firstPixel;
        const KeyRuns::Run* end = runs + rows[row + 1].firstRun;
        const KeyRuns::Run* r = runs + rows[row].firstRun;
        // Runs that end left of the part shown, then those wholly inside it, then the one
        // cut by its right edge.
        for (; r != end && r->x + r->Length() <= sx; ++r)
            s += r->Length();
        if (r != end && r->x < sx) {
            const int n = r->Length();
            CopyRun(d, s + (sx - r->x), std::min(r->x + n, ex) - sx, r->Mixed());
            s += n;
            ++r;
        }
        for (; r != end && r->x + r->Length() <= ex; ++r) {
            const int n = r->Length();
            CopyRun(d + (r->x - sx), s, n, r->Mixed());
            s += n;
        }
        if (r != end && r->x < ex) CopyRun(d + (r->x - sx), s, ex - r->x, r->Mixed());
    }
}

}  // namespace runtime::sprites
