// data/level1.pak: everything a game needs in play, read once at the start of a game.
// Sizes follow the play rules: a 12 x 12 ball served at paddle x + 20 from a 52-pixel
// paddle, bricks filling the 33 x 32 grid, a 28 x 28 ball glow drawn 8 pixels up and left.
#include <cmath>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>

#include "game/presentation/packs/play_pack.hpp"
#include "tools/assets/play/play_packs.hpp"
#include "tools/assets/play/shapes.hpp"

namespace tools::assets::play {

using namespace art;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kBall = 12;
constexpr int kPaddleWidth = 52;
constexpr int kWidePaddleWidth = 75;   // pulled back to x 703 at the right wall
constexpr int kSmallPaddleWidth = 26;  // pulled back to x 752
constexpr int kPaddleHeight = 16;

Bytes Ball() {
    return KeyedBmp(kBall, kBall, [](Canvas& c) { DrawBall(c, palette::kNeonCyan); });
}

Bytes ExtraBall() {
    return KeyedBmp(kBall, kBall, [](Canvas& c) { DrawBall(c, palette::kNeonMagenta); });
}

Bytes Paddle(int width, Colour accent, bool cannons) {
    return KeyedBmp(width, kPaddleHeight, [=](Canvas& c) { DrawPaddle(c, accent, cannons); });
}

Bytes Brick(int code) {
    return KeyedBmp(kBrickWidth, kBrickHeight, [code](Canvas& c) { DrawBrick(c, code); });
}

// Soft round light for the quad textures: black at the rim so nothing shows past it.
Bytes GlowDisc(int size, Colour c, double alpha) {
    return GlowBmp(size, size, [=](Canvas& k) {
        RadialLight(k.cr(), size / 2.0, size / 2.0, size / 2.0, c, alpha);
    });
}

Bytes Flash() {
    return GlowBmp(32, 32, [](Canvas& c) {
        RadialLight(c.cr(), 16, 16, 16, palette::kWhite, 1.0);
        RadialLight(c.cr(), 16, 16, 10, palette::kNeonCyan.Lighter(0.5), 0.8);
    });
}

Bytes Popup() {
    return GlowBmp(32, 32, [](Canvas& c) { Sparkle(c.cr(), 16, 16, 15, palette::kNeonGold, 1.0); });
}

Bytes Ring(int size, Colour colour) {
    return GlowBmp(size, size, [=](Canvas& c) {
        cairo_t* cr = c.cr();
        cairo_arc(cr, size / 2.0, size / 2.0, size * 0.36, 0, 2 * M_PI);
        SetColour(cr, colour);
        cairo_set_line_width(cr, size * 0.1);
        cairo_stroke(cr);
        c.Blur(std::max(1, size / 16));
        cairo_arc(cr, size / 2.0, size / 2.0, size * 0.36, 0, 2 * M_PI);
        SetColour(cr, colour.Lighter(0.6), 0.9);
        cairo_set_line_width(cr, size * 0.04);
        cairo_stroke(cr);
    });
}

Bytes Spark() {
    return KeyedBmp(16, 16, [](Canvas& c) { Sparkle(c.cr(), 8, 8, 7.5, palette::kNeonCyan, 1.0); });
}

// 17 frames of 30 x 27: a burst of glass shards and fire that expands and dies out; the
// last frame is empty because the strip holds it until the effect ends.
Bytes ExplosionStrip() {
    return KeyedBmp(17 * 30, 27, [](Canvas& c) {
        cairo_t* cr = c.cr();
        Rng rng(11);
        struct Shard {
            double angle, speed, size;
            int hue;
        };
        std::vector<Shard> shards;
        for (int i = 0; i < 14; ++i)
            shards.push_back(
                {rng.Range(0, 2 * M_PI), rng.Range(0.6, 1.0), rng.Range(1.2, 2.6), rng.Int(0, 2)});
        for (int f = 0; f < 16; ++f) {
            double t = f / 15.0;
            double cx = f * 30 + 15, cy = 13.5;
            cairo_save(cr);
            cairo_rectangle(cr, f * 30, 0, 30, 27);
            cairo_clip(cr);
            double fade = 1 - t;
            RadialLight(cr, cx, cy, 4 + 10 * std::sqrt(t), Colour{1.0, 0.75, 0.35},
                        0.95 * fade * fade);
            if (f < 6) RadialLight(cr, cx, cy, 3 + f, palette::kWhite, 1.0 - f / 6.0);
            for (const Shard& s : shards) {
                double d = 2 + 12 * s.speed * std::sqrt(t);
                double x = cx + std::cos(s.angle) * d, y = cy + std::sin(s.angle) * d * 0.9;
                Colour col = s.hue == 0 ? palette::kNeonCyan
                                        : (s.hue == 1 ? palette::kNeonGold : palette::kWhite);
                SetColour(cr, col, fade);
                cairo_arc(cr, x, y, s.size * (1 - 0.5 * t), 0, 2 * M_PI);
                cairo_fill(cr);
            }
            cairo_restore(cr);
        }
    });
}

Bytes GaugeFrame() {
    return KeyedBmp(71, 200, [](Canvas& c) {
        cairo_t* cr = c.cr();
        // The glass tube outline (its inside stays see-through for the fill and the field).
        RoundedRect(cr, 16.5, 0.5, 38, 186, 12);
        SetColour(cr, palette::kChrome);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
        RoundedRect(cr, 14, -2, 43, 191, 14);
        SetColour(cr, palette::kSteel.Darker(0.3));
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
        // Scale ticks, a long one at the double-score mark (the top).
        for (int i = 0; i <= 8; ++i) {
            double y = 184 - i * 23;
            cairo_move_to(cr, 58, y);
            cairo_line_to(cr, i % 4 == 0 ? 70 : 64, y);
        }
        SetColour(cr, palette::kNeonGold, 0.9);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
        // Base plate with its label.
        RoundedRect(cr, 2, 186, 67, 14, 4);
        cairo_pattern_t* plate = cairo_pattern_create_linear(0, 186, 0, 200);
        cairo_pattern_add_color_stop_rgb(plate, 0, 0.75, 0.78, 0.86);
        cairo_pattern_add_color_stop_rgb(plate, 1, 0.25, 0.27, 0.34);
        cairo_set_source(cr, plate);
        cairo_fill(cr);
        cairo_pattern_destroy(plate);
        UseFont(cr, Font::SansBold, 10);
        TextPath(cr, "POWER", 35.5, 193, Align::Centre);
        cairo_set_source_rgb(cr, 0.06, 0.06, 0.12);
        cairo_fill(cr);
    });
}

// The gauge fill, revealed from the bottom as the gauge rises: hot at the top.
Bytes GaugeFill() {
    return KeyedBmp(71, 184, [](Canvas& c) {
        cairo_t* cr = c.cr();
        RoundedRect(cr, 19, 2, 33, 183, 10);
        cairo_pattern_t* liquid = cairo_pattern_create_linear(0, 0, 0, 184);
        cairo_pattern_add_color_stop_rgb(liquid, 0.0, 1.0, 0.98, 0.80);
        cairo_pattern_add_color_stop_rgb(liquid, 0.2, 1.0, 0.80, 0.28);
        cairo_pattern_add_color_stop_rgb(liquid, 0.6, 1.0, 0.35, 0.55);
        cairo_pattern_add_color_stop_rgb(liquid, 1.0, 0.55, 0.12, 0.70);
        cairo_set_source(cr, liquid);
        cairo_fill(cr);
        cairo_pattern_destroy(liquid);
        // A glassy highlight down the left and a few rising bubbles.
        cairo_rectangle(cr, 23, 6, 4, 174);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.45);
        cairo_fill(cr);
        Rng rng(16);
        for (int i = 0; i < 18; ++i) {
            cairo_arc(cr, rng.Range(28, 46), rng.Range(10, 178), rng.Range(1.0, 2.2), 0, 2 * M_PI);
            cairo_set_source_rgba(cr, 1, 1, 0.9, 0.7);
            cairo_fill(cr);
        }
    });
}

Bytes LifeIcon() {
    return KeyedBmp(28, 10, [](Canvas& c) { DrawPaddle(c, palette::kNeonCyan, false); });
}

Bytes IntroTitle() {
    return KeyedBmp(600, 150, [](Canvas& c) {
        ChromeText(c, "GET READY", Font::SansBold, 74, 300, 62, Align::Centre, palette::kNeonCyan,
                   10);
        NeonText(c, "click to launch the ball", Font::Sans, 24, 300, 124, Align::Centre,
                 palette::kNeonMagenta, 4);
    });
}

Bytes DoubleScoreBanner() {
    return KeyedBmp(600, 90, [](Canvas& c) {
        DrawSweepBanner(c, "DOUBLE SCORE", "every brick scores 100", palette::kNeonGold);
    });
}

Bytes DoubleBadge() {
    return KeyedBmp(64, 32, [](Canvas& c) {
        cairo_t* cr = c.cr();
        RoundedRect(cr, 1, 3, 62, 26, 8);
        SetColour(cr, palette::kNeonGold.Darker(0.7));
        cairo_fill_preserve(cr);
        SetColour(cr, palette::kNeonGold);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        NeonText(c, "x2", Font::SansBold, 22, 32, 16, Align::Centre, palette::kNeonGold, 3);
    });
}

Bytes StreakLabel() {
    return KeyedBmp(98, 32, [](Canvas& c) {
        NeonText(c, "STREAK", Font::CondensedBold, 22, 94, 17, Align::Right, palette::kNeonGreen,
                 3);
    });
}

Bytes Shot() {
    // Twin bolts from the cannons at both ends of the gun paddle.
    return KeyedBmp(kPaddleWidth, 12, [](Canvas& c) {
        cairo_t* cr = c.cr();
        for (double x : {5.0, kPaddleWidth - 5.0}) {
            RoundedRect(cr, x - 2, 0, 4, 12, 2);
            cairo_pattern_t* bolt = cairo_pattern_create_linear(0, 0, 0, 12);
            cairo_pattern_add_color_stop_rgb(bolt, 0, 1, 1, 1);
            cairo_pattern_add_color_stop_rgb(bolt, 1, 1.0, 0.4, 0.2);
            cairo_set_source(cr, bolt);
            cairo_fill(cr);
            cairo_pattern_destroy(bolt);
        }
    });
}

Bytes ShotGlow() {
    return GlowBmp(kPaddleWidth, 40, [](Canvas& c) {
        cairo_t* cr = c.cr();
        for (double x : {5.0, kPaddleWidth - 5.0}) {
            cairo_save(cr);
            cairo_translate(cr, x, 27);
            cairo_scale(cr, 0.45, 1.0);
            RadialLight(cr, 0, 0, 13, Colour{1.0, 0.5, 0.25}, 1.0);
            cairo_restore(cr);
        }
    });
}

Bytes AmmoPanel() {
    return KeyedBmp(80, 60, [](Canvas& c) {
        cairo_t* cr = c.cr();
        // Three cartridges above the label.
        for (int i = 0; i < 3; ++i) {
            double x = 22 + i * 14;
            RoundedRect(cr, x, 6, 8, 26, 4);
            cairo_pattern_t* brass = cairo_pattern_create_linear(x, 0, x + 8, 0);
            cairo_pattern_add_color_stop_rgb(brass, 0, 0.55, 0.35, 0.08);
            cairo_pattern_add_color_stop_rgb(brass, 0.45, 1.0, 0.88, 0.5);
            cairo_pattern_add_color_stop_rgb(brass, 1, 0.45, 0.28, 0.06);
            cairo_set_source(cr, brass);
            cairo_fill(cr);
            cairo_pattern_destroy(brass);
            cairo_rectangle(cr, x, 8, 8, 6);
            SetColour(cr, palette::kNeonRed);
            cairo_fill(cr);
        }
        NeonText(c, "AMMO", Font::CondensedBold, 18, 40, 47, Align::Centre, palette::kNeonRed, 3);
    });
}

Bytes StreakOfTenBanner() {
    return KeyedBmp(800, 100, [](Canvas& c) {
        DrawSweepBanner(c, "STREAK OF TEN", "+1000 bonus", palette::kNeonGreen);
    });
}

Bytes LetterSetBanner() {
    return KeyedBmp(800, 100, [](Canvas& c) {
        DrawSweepBanner(c, "N O V A  COMPLETE", "letter set  +2000", palette::kNeonMagenta);
    });
}

Bytes Ghost() {
    return GlowBmp(32, 32, [](Canvas& c) {
        RadialLight(c.cr(), 16, 16, 16, palette::kNeonCyan, 0.8);
        cairo_arc(c.cr(), 16, 16, 9, 0, 2 * M_PI);
        SetColour(c.cr(), palette::kWhite, 0.5);
        cairo_set_line_width(c.cr(), 2);
        cairo_stroke(c.cr());
    });
}

// The play-field frame: chrome walls left and right and a ceiling, open at the bottom.
// The ball turns at x 23 and 760 (its right edge near 778) and at y 25.
Bytes PlayfieldFrame() {
    return KeyedBmp(800, 600, [](Canvas& c) {
        cairo_t* cr = c.cr();
        auto wall = [&](double x, double y, double w, double h, bool vertical) {
            cairo_rectangle(cr, x, y, w, h);
            cairo_pattern_t* m = vertical ? cairo_pattern_create_linear(x, 0, x + w, 0)
                                          : cairo_pattern_create_linear(0, y, 0, y + h);
            cairo_pattern_add_color_stop_rgb(m, 0.0, 0.20, 0.22, 0.30);
            cairo_pattern_add_color_stop_rgb(m, 0.3, 0.85, 0.88, 0.95);
            cairo_pattern_add_color_stop_rgb(m, 0.55, 0.40, 0.43, 0.52);
            cairo_pattern_add_color_stop_rgb(m, 1.0, 0.12, 0.13, 0.20);
            cairo_set_source(cr, m);
            cairo_fill(cr);
            cairo_pattern_destroy(m);
        };
        wall(0, 0, 18, 600, true);
        wall(782, 0, 18, 600, true);
        wall(0, 0, 800, 16, false);
        // Neon inner edges.
        Canvas neon(800, 600);
        cairo_t* n = neon.cr();
        SetColour(n, palette::kNeonCyan);
        cairo_rectangle(n, 17, 15, 2, 585);
        cairo_rectangle(n, 781, 15, 2, 585);
        cairo_rectangle(n, 17, 15, 766, 2);
        cairo_fill(n);
        GlowUnder(neon, palette::kNeonCyan, 3, 1.4);
        c.Paint(neon, 0, 0);
        // Corner plates with bolts.
        for (double x : {0.0, 752.0}) {
            RoundedRect(cr, x, 0, 48, 24, 5);
            cairo_pattern_t* plate = cairo_pattern_create_linear(0, 0, 0, 24);
            cairo_pattern_add_color_stop_rgb(plate, 0, 0.9, 0.92, 0.98);
            cairo_pattern_add_color_stop_rgb(plate, 1, 0.30, 0.32, 0.40);
            cairo_set_source(cr, plate);
            cairo_fill(cr);
            cairo_pattern_destroy(plate);
            for (double bx : {x + 8, x + 40}) {
                cairo_arc(cr, bx, 12, 2.5, 0, 2 * M_PI);
                SetColour(cr, palette::kNeonCyan);
                cairo_fill(cr);
            }
        }
        // Rivets down the walls.
        for (int y = 60; y < 600; y += 60)
            for (double x : {9.0, 791.0}) {
                cairo_arc(cr, x, y, 2, 0, 2 * M_PI);
                cairo_set_source_rgb(cr, 0.95, 0.97, 1.0);
                cairo_fill(cr);
            }
    });
}

// A ringed gas giant that drifts slowly down through the second level.
Bytes Planet() {
    return KeyedBmp(300, 300, [](Canvas& c) {
        cairo_t* cr = c.cr();
        double cx = 150, cy = 150, r = 92;
        auto ring = [&](bool front) {
            cairo_save(cr);
            if (front) {
                cairo_rectangle(cr, 0, cy, 300, 150);
                cairo_clip(cr);
            }
            cairo_translate(cr, cx, cy);
            cairo_rotate(cr, -0.35);
            cairo_scale(cr, 1.0, 0.28);
            for (int i = 0; i < 5; ++i) {
                cairo_arc(cr, 0, 0, 120 + i * 6, 0, 2 * M_PI);
                SetColour(cr, Colour{0.85, 0.75, 0.95}, 0.55 - i * 0.08);
                cairo_set_line_width(cr, 4.5);
                cairo_stroke(cr);
            }
            cairo_restore(cr);
        };
        ring(false);
        // The planet body: banded, lit from the upper left, night side near-black.
        cairo_save(cr);
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        cairo_clip(cr);
        for (int band = 0; band < 14; ++band) {
            double y = cy - r + band * (2 * r / 14);
            Colour col = band % 2 ? Colour{0.55, 0.30, 0.65} : Colour{0.80, 0.45, 0.55};
            if (band % 5 == 2) col = Colour{0.95, 0.70, 0.55};
            SetColour(cr, col);
            cairo_rectangle(cr, cx - r, y, 2 * r, 2 * r / 14 + 1);
            cairo_fill(cr);
        }
        cairo_pattern_t* shade =
            cairo_pattern_create_radial(cx - 35, cy - 35, 10, cx, cy, r * 1.25);
        cairo_pattern_add_color_stop_rgba(shade, 0, 1, 1, 1, 0.35);
        cairo_pattern_add_color_stop_rgba(shade, 0.45, 0, 0, 0, 0.0);
        cairo_pattern_add_color_stop_rgba(shade, 1, 0.01, 0.01, 0.03, 0.95);
        cairo_set_source(cr, shade);
        cairo_paint(cr);
        cairo_pattern_destroy(shade);
        cairo_restore(cr);
        // Thin atmosphere rim.
        cairo_arc(cr, cx, cy, r, M_PI * 0.8, M_PI * 1.7);
        SetColour(cr, Colour{0.9, 0.7, 1.0}, 0.8);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        ring(true);
    });
}

// The intro overlay: a 600 x 600 hexagonal energy lattice that tiles in both directions,
// because the game scrolls it up inside itself and turns it left during level complete.
Bytes IntroLattice() {
    return KeyedBmp(600, 600, [](Canvas& c) {
        cairo_t* cr = c.cr();
        const double side = 25;  // 600 / (2 * 25 * 1.5) = 8 columns of pairs
        const double dx = side * 1.5, dy = side * std::sqrt(3.0);
        int rows = int(600 / dy) + 2;
        // Vertical period must divide 600: stretch the lattice slightly to fit.
        double sy = 600.0 / (std::round(600 / dy) * dy);
        cairo_save(cr);
        cairo_scale(cr, 1.0, sy);
        for (int col = -1; col <= 16; ++col)
            for (int row = -1; row <= rows; ++row) {
                double x = col * dx, y = row * dy + (col % 2 ? dy / 2 : 0);
                cairo_new_sub_path(cr);
                for (int k = 0; k < 6; ++k) {
                    double a = k * M_PI / 3;
                    cairo_line_to(cr, x + (side - 2) * std::cos(a), y + (side - 2) * std::sin(a));
                }
                cairo_close_path(cr);
            }
        cairo_restore(cr);
        SetColour(cr, palette::kNeonCyan, 0.55);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
        c.Blur(2);
        cairo_save(cr);
        cairo_scale(cr, 1.0, sy);
        Rng rng(36);
        auto hexagon = [&](double x, double y, double r) {
            cairo_new_sub_path(cr);
            for (int k = 0; k < 6; ++k) {
                double a = k * M_PI / 3;
                cairo_line_to(cr, x + r * std::cos(a), y + r * std::sin(a));
            }
            cairo_close_path(cr);
        };
        // A few cells lit faintly; the columns of lit cells repeat across the seams.
        for (int col = 0; col < 16; ++col)
            for (int row = 0; row < int(std::round(600 / dy)); ++row) {
                if (rng.Uniform() >= 0.1) continue;
                Colour tint = rng.Uniform() < 0.5 ? palette::kNeonCyan : palette::kNeonMagenta;
                double x = col * dx, y = row * dy + (col % 2 ? dy / 2 : 0);
                for (double ox : {0.0, 600.0, -600.0})
                    for (double oy : {0.0, 600.0 / sy, -600.0 / sy})
                        hexagon(x + ox, y + oy, side - 5);
                SetColour(cr, tint, 0.38);
                cairo_fill(cr);
            }
        for (int col = -1; col <= 16; ++col)
            for (int row = -1; row <= rows; ++row)
                hexagon(col * dx, row * dy + (col % 2 ? dy / 2 : 0), side - 2);
        cairo_restore(cr);
        SetColour(cr, palette::kNeonCyan.Lighter(0.5), 0.9);
        cairo_set_line_width(cr, 1.1);
        cairo_stroke(cr);
    });
}

Bytes SidePost() {
    return KeyedBmp(20, 600, [](Canvas& c) {
        cairo_t* cr = c.cr();
        cairo_rectangle(cr, 3, 0, 14, 600);
        cairo_pattern_t* m = cairo_pattern_create_linear(3, 0, 17, 0);
        cairo_pattern_add_color_stop_rgb(m, 0, 0.25, 0.27, 0.35);
        cairo_pattern_add_color_stop_rgb(m, 0.4, 0.95, 0.97, 1.0);
        cairo_pattern_add_color_stop_rgb(m, 1, 0.18, 0.20, 0.28);
        cairo_set_source(cr, m);
        cairo_fill(cr);
        for (int y = 20; y < 600; y += 40) {
            RoundedRect(cr, 6, y, 8, 18, 3);
            SetColour(cr, y % 80 == 20 ? palette::kNeonCyan : palette::kNeonMagenta);
            cairo_fill(cr);
        }
    });
}

Bytes Emblem() {
    return GlowBmp(128, 128, [](Canvas& c) {
        cairo_t* cr = c.cr();
        RadialLight(cr, 64, 64, 64, palette::kNeonCyan, 0.7);
        for (int k = 0; k < 2; ++k) {
            cairo_save(cr);
            cairo_translate(cr, 64, 64);
            cairo_rotate(cr, k * M_PI / 4);
            Sparkle(cr, 0, 0, 56 - k * 18, k ? palette::kNeonMagenta : palette::kNeonCyan, 1.0);
            cairo_restore(cr);
        }
        cairo_arc(cr, 64, 64, 40, 0, 2 * M_PI);
        SetColour(cr, palette::kWhite, 0.7);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    });
}

// A vertical beam segment that repeats every 128 pixels.
Bytes Beam() {
    return GlowBmp(128, 128, [](Canvas& c) {
        cairo_t* cr = c.cr();
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 128, 0);
        Colour b = palette::kNeonCyan;
        cairo_pattern_add_color_stop_rgba(p, 0.0, b.r, b.g, b.b, 0.0);
        cairo_pattern_add_color_stop_rgba(p, 0.3, b.r, b.g, b.b, 0.35);
        cairo_pattern_add_color_stop_rgba(p, 0.5, 1, 1, 1, 1.0);
        cairo_pattern_add_color_stop_rgba(p, 0.7, b.r, b.g, b.b, 0.35);
        cairo_pattern_add_color_stop_rgba(p, 1.0, b.r, b.g, b.b, 0.0);
        cairo_set_source(cr, p);
        cairo_paint(cr);
        cairo_pattern_destroy(p);
        for (int y = 8; y < 128; y += 32)
            Sparkle(cr, 64, y, 10, palette::kWhite, 0.8);
    });
}

Bytes LevelCompleteEmblem() {
    // A medal hanging from the top edge; its upper part stays above the screen.
    return KeyedBmp(150, 150, [](Canvas& c) {
        cairo_t* cr = c.cr();
        for (double x : {52.0, 84.0}) {
            cairo_rectangle(cr, x, 0, 14, 90);
            SetColour(cr,
                      x < 60 ? palette::kNeonMagenta.Darker(0.2) : palette::kNeonCyan.Darker(0.2));
            cairo_fill(cr);
        }
        Canvas medal(150, 150);
        cairo_t* m = medal.cr();
        cairo_arc(m, 75, 104, 38, 0, 2 * M_PI);
        cairo_pattern_t* gold = cairo_pattern_create_linear(40, 70, 110, 140);
        cairo_pattern_add_color_stop_rgb(gold, 0, 1.0, 0.95, 0.7);
        cairo_pattern_add_color_stop_rgb(gold, 0.5, 1.0, 0.72, 0.2);
        cairo_pattern_add_color_stop_rgb(gold, 1, 0.55, 0.32, 0.05);
        cairo_set_source(m, gold);
        cairo_fill(m);
        cairo_pattern_destroy(gold);
        Sparkle(m, 75, 104, 26, palette::kWhite, 1.0);
        GlowUnder(medal, palette::kNeonGold, 6, 1.2);
        c.Paint(medal, 0, 0);
    });
}

Bytes LevelCompleteBanner() {
    return KeyedBmp(800, 130, [](Canvas& c) {
        ChromeText(c, "LEVEL COMPLETE", Font::SansBold, 76, 400, 56, Align::Centre,
                   palette::kNeonCyan, 12);
        NeonText(c, "space to continue", Font::Sans, 22, 400, 114, Align::Centre,
                 palette::kNeonMagenta, 3);
    });
}

Bytes Rocket() {
    return KeyedBmp(18, 28, [](Canvas& c) {
        cairo_t* cr = c.cr();
        // Fins.
        cairo_move_to(cr, 1, 27);
        cairo_line_to(cr, 5, 15);
        cairo_line_to(cr, 13, 15);
        cairo_line_to(cr, 17, 27);
        cairo_close_path(cr);
        SetColour(cr, palette::kNeonRed);
        cairo_fill(cr);
        // Body with a nose cone.
        cairo_move_to(cr, 9, 0);
        cairo_curve_to(cr, 14, 5, 13.5, 10, 13.5, 14);
        cairo_line_to(cr, 13.5, 27);
        cairo_line_to(cr, 4.5, 27);
        cairo_line_to(cr, 4.5, 14);
        cairo_curve_to(cr, 4.5, 10, 4, 5, 9, 0);
        cairo_close_path(cr);
        cairo_pattern_t* m = cairo_pattern_create_linear(4, 0, 14, 0);
        cairo_pattern_add_color_stop_rgb(m, 0, 0.35, 0.37, 0.45);
        cairo_pattern_add_color_stop_rgb(m, 0.4, 1.0, 1.0, 1.0);
        cairo_pattern_add_color_stop_rgb(m, 1, 0.30, 0.32, 0.40);
        cairo_set_source(cr, m);
        cairo_fill(cr);
        cairo_pattern_destroy(m);
        cairo_arc(cr, 9, 11, 2.2, 0, 2 * M_PI);
        SetColour(cr, palette::kNeonCyan);
        cairo_fill(cr);
    });
}

// 33 frames of 16 x 28 flame, flickering, hot at the nozzle.
Bytes FlameStrip() {
    return KeyedBmp(33 * 16, 28, [](Canvas& c) {
        cairo_t* cr = c.cr();
        Rng rng(45);
        for (int f = 0; f < 33; ++f) {
            double x = f * 16 + 8;
            double len = 18 + 8 * (0.5 + 0.5 * std::sin(f * 0.9)) + rng.Range(-2, 2);
            double wobble = rng.Range(-1.2, 1.2);
            cairo_save(cr);
            cairo_rectangle(cr, f * 16, 0, 16, 28);
            cairo_clip(cr);
            for (int layer = 0; layer < 3; ++layer) {
                double s = 1.0 - layer * 0.3;
                cairo_move_to(cr, x - 5 * s, 0);
                cairo_curve_to(cr, x - 6 * s, len * 0.5 * s, x + wobble, len * 0.8 * s, x + wobble,
                               len * s);
                cairo_curve_to(cr, x + wobble, len * 0.8 * s, x + 6 * s, len * 0.5 * s, x + 5 * s,
                               0);
                cairo_close_path(cr);
                Colour col = layer == 0 ? Colour{1.0, 0.35, 0.1}
                                        : (layer == 1 ? Colour{1.0, 0.75, 0.2} : palette::kWhite);
                SetColour(cr, col, 0.95);
                cairo_fill(cr);
            }
            cairo_restore(cr);
        }
    });
}

// The marks on a three-hit brick: 1, 2 or 3 hits still needed.
Bytes HitMark(int hits) {
    return KeyedBmp(15, 14, [hits](Canvas& c) {
        cairo_t* cr = c.cr();
        cairo_arc(cr, 7.5, 7, 6.8, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 0.16, 0.08, 0.02);
        cairo_fill_preserve(cr);
        SetColour(cr, palette::kNeonGold.Lighter(0.4));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        UseFont(cr, Font::SansBold, 11);
        TextPath(cr, std::to_string(hits), 7.5, 7, Align::Centre);
        cairo_set_source_rgb(cr, 1, 0.97, 0.85);
        cairo_fill(cr);
    });
}

// The pause banner: a band of dark glass (opaque), a drifting layer of sparks, the text.
Bytes PauseBand() {
    return OpaqueBmp(800, 200, [](Canvas& c) {
        cairo_t* cr = c.cr();
        cairo_pattern_t* bg = cairo_pattern_create_linear(0, 0, 0, 200);
        Colour a = palette::kSpaceIndigo, b = palette::kPanel;
        cairo_pattern_add_color_stop_rgb(bg, 0, a.r, a.g, a.b);
        cairo_pattern_add_color_stop_rgb(bg, 0.5, b.r, b.g, b.b);
        cairo_pattern_add_color_stop_rgb(bg, 1, a.r, a.g, a.b);
        cairo_set_source(cr, bg);
        cairo_paint(cr);
        cairo_pattern_destroy(bg);
        // Diagonal stripes every 40 pixels: 800 is a multiple, so the band repeats cleanly.
        for (double x = -200; x < 1000; x += 40) {
            cairo_move_to(cr, x, 0);
            cairo_line_to(cr, x + 20, 0);
            cairo_line_to(cr, x + 20 + 200, 200);
            cairo_line_to(cr, x + 200, 200);
            cairo_close_path(cr);
        }
        SetColour(cr, palette::kNebulaViolet, 0.12);
        cairo_fill(cr);
        for (double y : {3.0, 195.0}) {
            cairo_rectangle(cr, 0, y, 800, 2);
            SetColour(cr, palette::kNeonCyan, 0.9);
            cairo_fill(cr);
        }
    });
}

Bytes PauseText() {
    return KeyedBmp(800, 200, [](Canvas& c) {
        ChromeText(c, "PAUSED", Font::SansBold, 80, 400, 72, Align::Centre, palette::kNeonCyan, 10);
        NeonText(c, "Enter  resume        Space  quit to menu", Font::SansBold, 26, 400, 150,
                 Align::Centre, palette::kNeonMagenta, 4);
    });
}

Bytes PauseSparks() {
    return KeyedBmp(800, 200, [](Canvas& c) {
        Rng rng(49);
        for (int i = 0; i < 40; ++i) {
            double x = rng.Range(0, 800), y = rng.Range(12, 188);
            Sparkle(c.cr(), x, y, rng.Range(3, 7),
                    i % 2 ? palette::kNeonCyan : palette::kNeonMagenta, 0.9);
            // Draw the wrapped twin near the seam so the layer repeats every 800 pixels.
            if (x < 10) Sparkle(c.cr(), x + 800, y, 7, palette::kNeonCyan, 0.9);
            if (x > 790) Sparkle(c.cr(), x - 800, y, 7, palette::kNeonCyan, 0.9);
        }
    });
}

// The four letters of the bonus word, collected (lit) or still missing (dim).
constexpr const char* kLetters[] = {"N", "O", "V", "A"};

Bytes LetterTile(int index, bool collected) {
    return KeyedBmp(40, 40, [=](Canvas& c) {
        cairo_t* cr = c.cr();
        if (collected) {
            GlassTile(cr, 1, 1, 38, 38, 7, palette::kNeonMagenta);
            UseFont(cr, Font::SansBold, 28);
            TextPath(cr, kLetters[index], 20, 20, Align::Centre);
            cairo_set_source_rgb(cr, 0.15, 0.02, 0.15);
            cairo_set_line_width(cr, 3);
            cairo_stroke_preserve(cr);
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_fill(cr);
        } else {
            RoundedRect(cr, 1.5, 1.5, 37, 37, 7);
            cairo_set_source_rgb(cr, 0.05, 0.04, 0.09);
            cairo_fill_preserve(cr);
            SetColour(cr, palette::kNeonMagenta.Darker(0.45));
            cairo_set_line_width(cr, 1.5);
            cairo_stroke(cr);
            UseFont(cr, Font::SansBold, 28);
            TextPath(cr, kLetters[index], 20, 20, Align::Centre);
            SetColour(cr, palette::kNeonMagenta.Darker(0.55));
            cairo_fill(cr);
        }
    });
}

Bytes LetterPanel() {
    // Drawn at (640, 340); the tiles sit at x 690 and y 380 to 557 inside its frame.
    return KeyedBmp(138, 230, [](Canvas& c) {
        cairo_t* cr = c.cr();
        RoundedRect(cr, 40.5, 30.5, 58, 196, 10);
        SetColour(cr, palette::kNeonMagenta, 0.9);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        NeonText(c, "LETTERS", Font::CondensedBold, 17, 69.5, 14, Align::Centre,
                 palette::kNeonMagenta, 3);
    });
}

Bytes LetterCapsule(int index) {
    return KeyedBmp(32, 18, [index](Canvas& c) {
        DrawCapsule(c, palette::kNebulaViolet.Lighter(0.2), kLetters[index]);
    });
}

Bytes Capsule(Colour colour, const char* caption) {
    return KeyedBmp(32, 18, [=](Canvas& c) { DrawCapsule(c, colour, caption); });
}

Bytes Lamp() {
    return GlowBmp(100, 40, [](Canvas& c) {
        cairo_t* cr = c.cr();
        cairo_save(cr);
        cairo_translate(cr, 50, 20);
        cairo_scale(cr, 2.5, 1.0);
        RadialLight(cr, 0, 0, 20, palette::kNeonRed, 1.0);
        cairo_restore(cr);
        RadialLight(cr, 50, 20, 9, Colour{1.0, 0.85, 0.6}, 1.0);
    });
}

// The barrier: an energy beam that repeats every 800 pixels as it scrolls left.
Bytes Barrier() {
    return KeyedBmp(800, 20, [](Canvas& c) {
        cairo_t* cr = c.cr();
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, 20);
        Colour m = palette::kNeonMagenta;
        cairo_pattern_add_color_stop_rgba(p, 0.0, m.r, m.g, m.b, 0.35);
        cairo_pattern_add_color_stop_rgba(p, 0.5, 1, 0.9, 1, 1.0);
        cairo_pattern_add_color_stop_rgba(p, 1.0, m.r, m.g, m.b, 0.35);
        cairo_set_source(cr, p);
        cairo_rectangle(cr, 0, 3, 800, 14);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        // Energy knots every 50 pixels.
        for (int x = 0; x <= 800; x += 50) {
            cairo_move_to(cr, x - 10, 10);
            cairo_line_to(cr, x, 1);
            cairo_line_to(cr, x + 10, 10);
            cairo_line_to(cr, x, 19);
            cairo_close_path(cr);
            SetColour(cr, palette::kWhite, 0.85);
            cairo_fill(cr);
        }
    });
}

Bytes BarrierPost(bool left) {
    return KeyedBmp(20, 34, [left](Canvas& c) {
        cairo_t* cr = c.cr();
        RoundedRect(cr, 1, 1, 18, 32, 4);
        cairo_pattern_t* m = cairo_pattern_create_linear(0, 0, 20, 0);
        cairo_pattern_add_color_stop_rgb(m, 0, 0.3, 0.32, 0.4);
        cairo_pattern_add_color_stop_rgb(m, 0.5, 0.95, 0.96, 1.0);
        cairo_pattern_add_color_stop_rgb(m, 1, 0.25, 0.27, 0.35);
        cairo_set_source(cr, m);
        cairo_fill(cr);
        double ex = left ? 14 : 2;
        cairo_rectangle(cr, ex, 10, 4, 14);
        SetColour(cr, palette::kNeonMagenta);
        cairo_fill(cr);
    });
}

Bytes BarrierGlow() {
    return GlowBmp(32, 30, [](Canvas& c) {
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, 30);
        Colour m = palette::kNeonMagenta;
        cairo_pattern_add_color_stop_rgba(p, 0.0, m.r, m.g, m.b, 0.0);
        cairo_pattern_add_color_stop_rgba(p, 0.5, m.r, m.g, m.b, 1.0);
        cairo_pattern_add_color_stop_rgba(p, 1.0, m.r, m.g, m.b, 0.0);
        cairo_set_source(c.cr(), p);
        cairo_paint(c.cr());
        cairo_pattern_destroy(p);
    });
}

}  // namespace

std::vector<EntrySpec> Level1Entries() {
    namespace play_pack = game::presentation::play_pack;
    using Make = std::function<Bytes()>;
    const Colour good = palette::kNeonCyan, bad = palette::kNeonRed;
    const Colour orange{1.0, 0.55, 0.15};
    // What each picture of the pack looks like; the game's catalogue gives the order.
    std::map<int, Make> pictures = {
        {play_pack::kBall, Ball},
        {play_pack::kExtraBall, ExtraBall},
        {play_pack::kPaddle, [] { return Paddle(kPaddleWidth, palette::kNeonCyan, false); }},
        {play_pack::kWidePaddle,
         [] { return Paddle(kWidePaddleWidth, palette::kNeonGreen, false); }},
        {play_pack::kSmallPaddle,
         [] { return Paddle(kSmallPaddleWidth, palette::kNeonRed, false); }},
        {play_pack::kGunPaddle, [=] { return Paddle(kPaddleWidth, orange, true); }},
        {play_pack::kBallGlowTexture, [] { return GlowDisc(kBall + 16, palette::kNeonCyan, 1.0); }},
        {play_pack::kSpark, Spark},
        {play_pack::kSmallRingTexture, [] { return Ring(32, palette::kNeonCyan); }},
        {play_pack::kFlashTexture, Flash},
        {play_pack::kPopupTexture, Popup},
        {play_pack::kExplosionStrip, ExplosionStrip},
        {play_pack::kLargeRingTexture, [] { return Ring(64, palette::kNeonMagenta); }},
        {play_pack::kGaugeFrame, GaugeFrame},
        {play_pack::kGetReadyTitle, IntroTitle},
        {play_pack::kLifeIcon, LifeIcon},
        {play_pack::kGaugeFill, GaugeFill},
        {play_pack::kDoubleScoreBanner, DoubleScoreBanner},
        {play_pack::kDoubleScoreBadge, DoubleBadge},
        {play_pack::kStreakLabel, StreakLabel},
        {play_pack::kShot, Shot},
        {play_pack::kShotGlowTexture, ShotGlow},
        {play_pack::kAmmunitionPanel, AmmoPanel},
        {play_pack::kPlanet, Planet},
        {play_pack::kStreakOfTenBanner, StreakOfTenBanner},
        {play_pack::kGhostTexture, Ghost},
        {play_pack::kPlayfieldFrame, PlayfieldFrame},
        {play_pack::kIntroLattice, IntroLattice},
        {play_pack::kSidePost, SidePost},
        {play_pack::kEmblemTexture, Emblem},
        {play_pack::kBeamTexture, Beam},
        {play_pack::kLevelCompleteMedal, LevelCompleteEmblem},
        {play_pack::kLevelCompleteBanner, LevelCompleteBanner},
        {play_pack::kRocket, Rocket},
        {play_pack::kRocketFlame, FlameStrip},
        {play_pack::kPauseBand, PauseBand},
        {play_pack::kPauseText, PauseText},
        {play_pack::kPauseSparks, PauseSparks},
        {play_pack::kLetterPanel, LetterPanel},
        {play_pack::kLetterSetBanner, LetterSetBanner},
        {play_pack::kLampTexture, Lamp},
        {play_pack::kBarrier, Barrier},
        {play_pack::kLeftBarrierPost, [] { return BarrierPost(true); }},
        {play_pack::kRightBarrierPost, [] { return BarrierPost(false); }},
        {play_pack::kBarrierGlowTexture, BarrierGlow},
        {play_pack::kPowerCapsule, [] { return Capsule(palette::kNeonGold, "P"); }},
        {play_pack::kWideCapsule, [=] { return Capsule(palette::kNeonGreen, "W"); }},
        {play_pack::kSmallCapsule, [=] { return Capsule(bad, "S"); }},
        {play_pack::kGunCapsule, [=] { return Capsule(orange, "G"); }},
        {play_pack::kMultiBallCapsule, [=] { return Capsule(good, "M"); }},
        {play_pack::kReverseCapsule, [=] { return Capsule(bad, "R"); }},
        {play_pack::kDropCapsule, [=] { return Capsule(bad.Darker(0.25), "D"); }},
        {play_pack::kRocketCapsule, [] { return Capsule(palette::kNeonBlue, "^"); }},
    };
    for (int code = play_pack::kFirstBrick; code <= play_pack::kLastBrick; ++code)
        pictures[code] = [code] { return Brick(code); };
    for (int hits = 1; hits <= 3; ++hits)
        pictures[play_pack::HitsLeftMark(hits)] = [hits] { return HitMark(hits); };
    for (int letter = 1; letter <= 4; ++letter) {
        pictures[play_pack::LitLetter(letter)] = [letter] { return LetterTile(letter - 1, true); };
        pictures[play_pack::DimLetter(letter)] = [letter] { return LetterTile(letter - 1, false); };
        pictures[play_pack::LetterCapsule(letter)] = [letter] { return LetterCapsule(letter - 1); };
    }

    std::vector<EntrySpec> entries;
    for (const game::presentation::PackTarget& target : play_pack::kEntries) {
        const int n = target.number;
        switch (target.kind) {
            case game::presentation::PackTarget::Sprite:
                entries.push_back(Sprite(n, pictures.at(n)));
                break;
            case game::presentation::PackTarget::Texture:
                entries.push_back(Texture(n, pictures.at(n)));
                break;
            case game::presentation::PackTarget::Sound:
                entries.push_back(Sound(n, [n] { return LevelSound(n); }));
                break;
        }
        pictures.erase(n);
    }
    // A picture drawn here that the game never reads would be a mistake in one of the two.
    if (!pictures.empty())
        throw std::logic_error("level1.pak: sprite " + std::to_string(pictures.begin()->first) +
                               " is not in the game's catalogue");
    return entries;
}

}  // namespace tools::assets::play
