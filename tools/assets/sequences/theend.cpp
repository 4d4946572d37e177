// data/theend.pak: the ending after level 15. Three layers scroll left at different
// speeds (far nebula, middle planets, near debris), a banner hangs at the top and two text
// pages scroll up through the screen.
#include <cmath>

#include "tools/assets/sequences/sequence_packs.hpp"
#include "tools/assets/play/shapes.hpp"
#include "tools/assets/sequences/common.hpp"

namespace tools::assets::sequences {

using namespace art;

namespace {

std::vector<std::uint8_t> FarLayer() {
    return OpaqueJpeg(800, 600, [](Canvas& c) {
        SpaceBackdrop(c, 1500, palette::kNebulaRose, palette::kNebulaViolet, 1.05, 800);
    });
}

void Planet(cairo_t* cr, double cx, double cy, double r, Colour tint, bool ring) {
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_pattern_t* p =
        cairo_pattern_create_radial(cx - r * 0.4, cy - r * 0.4, r * 0.1, cx, cy, r);
    Colour lit = tint.Lighter(0.35), dark = tint.Darker(0.88);
    cairo_pattern_add_color_stop_rgb(p, 0, lit.r, lit.g, lit.b);
    cairo_pattern_add_color_stop_rgb(p, 1, dark.r, dark.g, dark.b);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    if (ring) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_rotate(cr, 0.3);
        cairo_scale(cr, 1.0, 0.25);
        cairo_arc(cr, 0, 0, r * 1.6, 0, 2 * M_PI);
        cairo_restore(cr);
        SetColour(cr, tint.Lighter(0.6), 0.8);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
    }
}

// Planets and moons, kept clear of the left and right edges so the layer repeats.
std::vector<std::uint8_t> MiddleLayer() {
    return KeyedBmp(800, 600, [](Canvas& c) {
        cairo_t* cr = c.cr();
        Planet(cr, 170, 470, 70, palette::kNebulaTeal.Lighter(0.2), true);
        Planet(cr, 300, 420, 14, palette::kChrome, false);
        Planet(cr, 620, 120, 38, palette::kNebulaAmber, false);
        Planet(cr, 690, 90, 9, palette::kNebulaRose.Lighter(0.3), false);
    });
}

// Drifting glass shards from the last wall, along the top and bottom edges.
std::vector<std::uint8_t> NearLayer() {
    return KeyedBmp(800, 600, [](Canvas& c) {
        cairo_t* cr = c.cr();
        Rng rng(1502);
        const int codes[] = {100, 101, 104, 105, 106};
        for (int i = 0; i < 14; ++i) {
            double x = 40 + i * 55 + rng.Range(-10, 10);
            double y = i % 2 ? rng.Range(25, 85) : rng.Range(515, 570);
            double size = rng.Range(12, 24);
            cairo_save(cr);
            cairo_translate(cr, x, y);
            cairo_rotate(cr, rng.Range(0, M_PI));
            cairo_move_to(cr, -size, -size * 0.4);
            cairo_line_to(cr, size * 0.6, -size * 0.7);
            cairo_line_to(cr, size, size * 0.5);
            cairo_line_to(cr, -size * 0.3, size * 0.6);
            cairo_close_path(cr);
            Colour col = play::BrickColour(codes[i % 5]);
            cairo_pattern_t* g = cairo_pattern_create_linear(-size, -size, size, size);
            cairo_pattern_add_color_stop_rgb(g, 0, col.Lighter(0.6).r, col.Lighter(0.6).g,
                                             col.Lighter(0.6).b);
            cairo_pattern_add_color_stop_rgb(g, 1, col.Darker(0.5).r, col.Darker(0.5).g,
                                             col.Darker(0.5).b);
            cairo_set_source(cr, g);
            cairo_fill(cr);
            cairo_pattern_destroy(g);
            cairo_restore(cr);
        }
    });
}

std::vector<std::uint8_t> Banner() {
    return KeyedBmp(800, 180, [](Canvas& c) {
        NeonText(c, "ALL FIFTEEN WALLS ARE DOWN", Font::SansBold, 26, 400, 24, Align::Centre,
                 palette::kNeonMagenta, 4);
        ChromeText(c, "CONGRATULATIONS", Font::SansBold, 72, 400, 90, Align::Centre,
                   palette::kNeonGold, 12);
        NeonText(c, "Escape to enter the hall of fame", Font::Sans, 20, 400, 150, Align::Centre,
                 palette::kNeonCyan, 3);
    });
}

std::vector<std::uint8_t> PageOne() {
    return KeyedBmp(800, 600, [](Canvas& c) {
        TextPage(c,
                 {"#The last wall has fallen", "", "Fifteen walls of glass and steel",
                  "stood between the nebulae,", "and one small paddle brought them down.", "",
                  "The gold bricks took three blows,", "the steel ones never broke,",
                  "and the barrier never stopped you.", "", "*The stars are quiet again."},
                 120, 36);
    });
}

std::vector<std::uint8_t> PageTwo() {
    return KeyedBmp(800, 600, [](Canvas& c) {
        TextPage(
            c,
            {"#Thank you for playing", "", "Your score goes on to the hall of fame.", "",
             "Try again for a longer streak,", "a fuller gauge, all four letters:", "*N  O  V  A",
             "", "or build your own walls", "in the level editor.", "", "#TESSALY"},
            120, 36);
    });
}

}  // namespace

std::vector<EntrySpec> TheEndEntries() {
    return {
        Sprite(0, FarLayer, EntryKind::Jpeg),
        Sprite(1, MiddleLayer),
        Sprite(2, NearLayer),
        Sprite(3, Banner),
        Sprite(4, PageOne),
        Sprite(5, PageTwo),
    };
}

}  // namespace tools::assets::sequences
