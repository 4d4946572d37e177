// data/introduce.pak: the title menu. A starry background scrolls up, the title and an
// animation sit above three buttons, and a window below shows the high-score table over
// a slowly drifting panel with two parallax layers.
#include <cmath>

#include "tools/assets/sequences/sequence_packs.hpp"
#include "tools/assets/play/shapes.hpp"
#include "tools/assets/sequences/common.hpp"

namespace tools::assets::sequences {

using namespace art;

namespace {

std::vector<std::uint8_t> Title() {
    return KeyedBmp(800, 110, [](Canvas& c) {
        ChromeText(c, "TESSALY", Font::SansBold, 92, 400, 52, Align::Centre, palette::kNeonCyan,
                   12);
        NeonText(c, "brick breaking among the stars", Font::Sans, 17, 400, 100, Align::Centre,
                 palette::kNeonMagenta, 3);
    });
}

// The panel behind the high scores (800 x 268). It drifts inside itself in both
// directions, so its grid and nebula repeat every 800 x 268 pixels.
std::vector<std::uint8_t> WindowPanel(Colour a, Colour b, Colour grid, std::uint64_t seed) {
    return OpaqueBmp(800, 268, [=](Canvas& c) {
        Nebula(c, seed, a.Darker(0.45), b.Darker(0.45), 0.9);
        cairo_t* cr = c.cr();
        for (int x = 0; x < 800; x += 40)
            cairo_rectangle(cr, x, 0, 1, 268);
        for (int y = 0; y < 268; y += 67)
            cairo_rectangle(cr, 0, y, 800, 1);
        SetColour(cr, grid, 0.25);
        cairo_fill(cr);
    });
}

std::vector<std::uint8_t> Border() {
    return OpaqueBmp(800, 10, [](Canvas& c) { NeonRail(c, palette::kNeonCyan); });
}

// The two layers that slide left over the panel (800 x 260, repeating every 800 pixels):
// far, slow dust; near, faster sparks. Sparse, so the table stays readable.
std::vector<std::uint8_t> DustLayer() {
    return KeyedBmp(800, 260, [](Canvas& c) {
        Rng rng(6);
        for (int i = 0; i < 70; ++i) {
            double x = rng.Range(0, 800), y = rng.Range(4, 256), r = rng.Range(0.7, 1.6);
            for (double ox : {0.0, -800.0, 800.0}) {
                SetColour(c.cr(), palette::kNeonBlue.Lighter(0.5), 0.8);
                cairo_arc(c.cr(), x + ox, y, r, 0, 2 * M_PI);
                cairo_fill(c.cr());
            }
        }
    });
}

std::vector<std::uint8_t> SparkLayer() {
    return KeyedBmp(800, 260, [](Canvas& c) {
        Rng rng(7);
        for (int i = 0; i < 16; ++i) {
            double x = rng.Range(0, 800), y = rng.Range(10, 250), s = rng.Range(3, 6);
            Colour col = i % 2 ? palette::kNeonCyan : palette::kNeonMagenta;
            for (double ox : {0.0, -800.0, 800.0})
                Sparkle(c.cr(), x + ox, y, s, col, 0.9);
        }
    });
}

std::vector<std::uint8_t> Button(const std::string& caption, bool lit) {
    return KeyedBmp(220, 60, [=](Canvas& c) { GlassButton(c, caption, lit); });
}

// The pointer: an arrow whose tip is its top-left pixel.
std::vector<std::uint8_t> Pointer() {
    return KeyedBmp(24, 24, [](Canvas& c) {
        cairo_t* cr = c.cr();
        cairo_move_to(cr, 1, 1);
        cairo_line_to(cr, 1, 20);
        cairo_line_to(cr, 6, 15);
        cairo_line_to(cr, 10, 23);
        cairo_line_to(cr, 13, 21.5);
        cairo_line_to(cr, 9.5, 14);
        cairo_line_to(cr, 16, 14);
        cairo_close_path(cr);
        cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 16, 23);
        cairo_pattern_add_color_stop_rgb(g, 0, 1, 1, 1);
        cairo_pattern_add_color_stop_rgb(g, 1, 0.55, 0.85, 1.0);
        cairo_set_source(cr, g);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(g);
        SetColour(cr, palette::kSpaceIndigo);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    });
}

std::vector<std::uint8_t> Background() {
    return OpaqueJpeg(800, 600, [](Canvas& c) {
        SpaceBackdrop(c, 17, palette::kNebulaTeal, palette::kNebulaViolet, 1.0, 650);
    });
}

// Pictures the menu loads but does not draw: a brick, a ball, a star and a planet icon.
std::vector<std::uint8_t> Spare(int kind) {
    return KeyedBmp(64, 64, [kind](Canvas& c) {
        cairo_t* cr = c.cr();
        switch (kind) {
            case 0: {
                Canvas brick(play::kBrickWidth, play::kBrickHeight);
                play::DrawBrick(brick, 100);
                c.Paint(brick, 16, 17);
                break;
            }
            case 1:
                Sparkle(cr, 32, 32, 28, palette::kNeonGold, 1.0);
                break;
            case 2: {
                Canvas ball(24, 24);
                play::DrawBall(ball, palette::kNeonMagenta);
                c.Paint(ball, 20, 20);
                break;
            }
            default:
                cairo_arc(cr, 32, 32, 18, 0, 2 * M_PI);
                SetColour(cr, palette::kNebulaRose);
                cairo_fill(cr);
                cairo_save(cr);
                cairo_translate(cr, 32, 32);
                cairo_scale(cr, 1.0, 0.3);
                cairo_arc(cr, 0, 0, 28, 0, 2 * M_PI);
                cairo_restore(cr);
                SetColour(cr, palette::kChrome);
                cairo_set_line_width(cr, 2);
                cairo_stroke(cr);
                break;
        }
    });
}

std::vector<std::uint8_t> Glow(Colour c) {
    return GlowBmp(32, 32, [c](Canvas& k) { RadialLight(k.cr(), 16, 16, 16, c, 1.0); });
}

}  // namespace

std::vector<EntrySpec> IntroduceEntries() {
    return {
        Sprite(0, Title),
        Sprite(1,
               [] {
                   return WindowPanel(palette::kNebulaViolet, palette::kNebulaTeal,
                                      palette::kNeonCyan, 265);
               }),
        Sprite(2, Border),
        Sprite(3, [] { return Spare(0); }),
        Texture(4, [] { return Glow(palette::kNeonCyan); }),
        Sprite(5, [] { return Spare(1); }),
        Sprite(6, DustLayer),
        Sprite(7, SparkLayer),
        Texture(8, [] { return Glow(palette::kNeonMagenta); }),
        Sprite(9, [] { return Button("Start", false); }),
        Sprite(10, [] { return Button("Credits", false); }),
        Sprite(11, [] { return Button("Quit", false); }),
        Sprite(12, [] { return Spare(2); }),
        Sprite(13, Pointer),
        Sprite(14, [] { return Button("Start", true); }),
        Sprite(15, [] { return Button("Credits", true); }),
        Sprite(16, [] { return Button("Quit", true); }),
        Sprite(17, Background, EntryKind::Jpeg),
        Sprite(18, [] { return Spare(3); }),
        Sprite(900, LoadingPicture),
    };
}

}  // namespace tools::assets::sequences
