// data/logo.pak: the logo that fades in and out on black, and the pictures of the
// introduction flight: a horizon strip between two scrolling rails, and the textures of
// the rotating dot clouds.
#include <cmath>

#include "tools/assets/sequences/sequence_packs.hpp"
#include "tools/assets/play/shapes.hpp"
#include "tools/assets/sequences/common.hpp"

namespace tools::assets::sequences {

using namespace art;

namespace {

// The strip between the rails (800 x 160, opaque at y 220): a nebula horizon with the
// name faint in the middle, seen through the dot clouds.
std::vector<std::uint8_t> Horizon() {
    return OpaqueBmp(800, 160, [](Canvas& c) {
        Nebula(c, 220, palette::kNebulaViolet, palette::kNebulaRose, 1.1);
        cairo_t* cr = c.cr();
        Rng rng(221);
        Stars(cr, rng, 220, 800, 160, false);
        cairo_pattern_t* glow = cairo_pattern_create_linear(0, 0, 0, 160);
        Colour n = palette::kNeonCyan;
        cairo_pattern_add_color_stop_rgba(glow, 0.0, n.r, n.g, n.b, 0.0);
        cairo_pattern_add_color_stop_rgba(glow, 0.5, n.r, n.g, n.b, 0.25);
        cairo_pattern_add_color_stop_rgba(glow, 1.0, n.r, n.g, n.b, 0.0);
        cairo_set_source(cr, glow);
        cairo_paint(cr);
        cairo_pattern_destroy(glow);
        cairo_rectangle(cr, 0, 79, 800, 2);
        SetColour(cr, palette::kWhite, 0.6);
        cairo_fill(cr);
        Canvas title(800, 160);
        ChromeText(title, "TESSALY", Font::SansBold, 96, 400, 80, Align::Centre, palette::kNeonCyan,
                   10);
        c.Paint(title, 0, 0, 0.35);
    });
}

// A rail (800 x 20) that turns left one pixel a frame: chevrons every 40 pixels.
std::vector<std::uint8_t> Rail() {
    return OpaqueBmp(800, 20, [](Canvas& c) {
        NeonRail(c, palette::kNeonCyan);
        cairo_t* cr = c.cr();
        for (int x = 0; x < 800; x += 40) {
            cairo_move_to(cr, x + 10, 4);
            cairo_line_to(cr, x + 18, 10);
            cairo_line_to(cr, x + 10, 16);
            cairo_line_to(cr, x + 14, 16);
            cairo_line_to(cr, x + 22, 10);
            cairo_line_to(cr, x + 14, 4);
            cairo_close_path(cr);
            SetColour(cr, palette::kNeonMagenta);
            cairo_fill(cr);
        }
    });
}

std::vector<std::uint8_t> Dot(Colour c) {
    return GlowBmp(64, 64, [c](Canvas& k) {
        RadialLight(k.cr(), 32, 32, 32, c, 1.0);
        RadialLight(k.cr(), 32, 32, 9, c.Lighter(0.7), 1.0);
    });
}

// The logo (256 x 256): a cluster of glass bricks with the name below.
std::vector<std::uint8_t> Logo() {
    return GlowBmp(256, 256, [](Canvas& c) {
        cairo_t* cr = c.cr();
        RadialLight(cr, 128, 100, 120, palette::kNebulaViolet, 0.8);
        const int codes[3][4] = {{100, 101, 104, 105}, {106, 102, 102, 100}, {105, 104, 101, 106}};
        for (int r = 0; r < 3; ++r)
            for (int col = 0; col < 4; ++col) {
                if ((r == 0 || r == 2) && (col == 0 || col == 3)) continue;
                Canvas brick(play::kBrickWidth, play::kBrickHeight);
                play::DrawBrick(brick, codes[r][col]);
                c.Paint(brick, 62 + col * 33, 40 + r * 32);
            }
        // The ball leaving the wall, with its trail.
        cairo_move_to(cr, 128, 210);
        cairo_line_to(cr, 178, 150);
        SetColour(cr, palette::kNeonCyan, 0.5);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
        RadialLight(cr, 180, 148, 16, palette::kNeonCyan, 1.0);
        Canvas ball(12, 12);
        play::DrawBall(ball, palette::kNeonCyan);
        c.Paint(ball, 174, 142);
        ChromeText(c, "TESSALY", Font::SansBold, 44, 128, 206, Align::Centre, palette::kNeonCyan,
                   6);
        NeonText(c, "a brick-breaking game", Font::Sans, 14, 128, 238, Align::Centre,
                 palette::kNeonMagenta, 2);
    });
}

}  // namespace

std::vector<EntrySpec> LogoEntries() {
    return {
        Sprite(0, Horizon),
        Sprite(1, Rail),
        Texture(2, [] { return Dot(palette::kNeonCyan); }),
        Texture(3, [] { return Dot(palette::kNeonMagenta); }),
        Texture(4, [] { return Dot(palette::kNeonGold); }),
        Sprite(900, LoadingPicture),
        Texture(5, Logo),
    };
}

}  // namespace tools::assets::sequences
