#pragma once

#include <cstdint>
#include <vector>

#include "runtime/screen/surface.hpp"

// The copy kernels behind DrawSprite and DrawSpriteKeyed. Rectangles are already clipped
// and lie inside both stores; a copy within one store behaves as through a temporary.
namespace runtime::sprites {

void CopyRect(runtime::screen::Surface& target, int dx, int dy,
              const runtime::screen::Surface& source, int sx, int sy, int width, int height);

// Leaves target pixels where the source pixel is black (its low 24 bits are zero).
void CopyRectKeyed(runtime::screen::Surface& target, int dx, int dy,
                   const runtime::screen::Surface& source, int sx, int sy, int width, int height);

// Where a picture is not black, row by row, with those pixels packed one after the other:
// what a keyed copy has to write. Most of the game's keyed pictures are largely black; a
// copy that follows these reads no black and nothing it does not write. They hold the
// picture as it was when they were made, so they are dropped whenever it may change.
struct KeyRuns {
    struct Run {
        std::uint16_t x;       // first column
        std::uint16_t length;  // columns in the low 15 bits; the top bit marks a mixed stretch

        int Length() const { return length & 0x7FFF; }
        // Short runs with short black gaps between them make one mixed stretch, copied
        // pixel by pixel through the key: cheaper than starting a copy for each.
        bool Mixed() const { return (length & kMixed) != 0; }
    };
    static constexpr std::uint16_t kMixed = 0x8000u;
    struct Row {
        std::uint32_t firstRun;
        std::uint32_t firstPixel;
    };

    // Runs are made on this many keyed copies of an unchanged picture: a picture that is
    // drawn into every frame, or every other or third one, never pays for runs it would
    // throw away after a copy or two.
    static constexpr int kCopiesBeforeRuns = 4;

    int width = 0;                      // of the picture
    std::vector<Row> rows;              // one per picture row, and one past the last
    std::vector<Run> runs;              // row y's are [rows[y].firstRun, rows[y + 1].firstRun)
    std::vector<std::uint32_t> pixels;  // the runs' pixels in order
    int keyedCopiesWithout = 0;         // keyed copies since the pixels last changed

    bool Ready() const { return !rows.empty(); }
    void Drop() {
        width = 0;
        rows = {};
        runs = {};
        pixels = {};
        keyedCopiesWithout = 0;
    }
};

// Makes the runs of the whole picture (widths up to 32767).
void MakeKeyRuns(const runtime::screen::Surface& source, KeyRuns& runs);

// CopyRectKeyed from the picture the runs were made of, to another store: columns
// sx..sx + width - 1 of rows sy..sy + height - 1 to (dx, dy).
void CopyRectKeyedRuns(runtime::screen::Surface& target, int dx, int dy, const KeyRuns& runs,
                       int sx, int sy, int width, int height);

}  // namespace runtime::sprites
