// data/wat.pak: the title animation, 30 frames of 800 x 40 drawn under the title (and in
// the credits). The menu shows frames 0 to 28 in turn, so the loop has 29 steps; the 30th
// frame is loaded but never shown and simply repeats the first.
#include <cmath>

#include "tools/assets/sequences/sequence_packs.hpp"
#include "tools/assets/sequences/common.hpp"

namespace tools::assets::sequences {

using namespace art;

namespace {

// Two ribbons of light swinging across the screen, with sparks riding them.
std::vector<std::uint8_t> Frame(int frame) {
    return KeyedBmp(800, 40, [frame](Canvas& c) {
        cairo_t* cr = c.cr();
        double phase = 2 * M_PI * (frame % 29) / 29.0;
        for (int ribbon = 0; ribbon < 2; ++ribbon) {
            Colour col = ribbon == 0 ? palette::kNeonCyan : palette::kNeonMagenta;
            double shift = ribbon * M_PI;
            for (int x = 0; x <= 800; x += 4) {
                double y = 20 + 12 * std::sin(x * 2 * M_PI / 400 + phase + shift);
                if (x == 0)
                    cairo_move_to(cr, x, y);
                else
                    cairo_line_to(cr, x, y);
            }
            SetColour(cr, col, 0.9);
            cairo_set_line_width(cr, 2.2);
            cairo_stroke(cr);
            for (int k = 0; k < 4; ++k) {
                double x = std::fmod(k * 200 + (frame % 29) * 200.0 / 29 + ribbon * 100, 800);
                double y = 20 + 12 * std::sin(x * 2 * M_PI / 400 + phase + shift);
                Sparkle(cr, x, y, 7, col, 1.0);
            }
        }
    });
}

}  // namespace

std::vector<EntrySpec> WatEntries() {
    std::vector<EntrySpec> out;
    for (int i = 0; i < 30; ++i)
        out.push_back(Sprite(300 + i, [i] { return Frame(i); }));
    return out;
}

}  // namespace tools::assets::sequences
