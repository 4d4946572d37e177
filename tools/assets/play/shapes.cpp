#include "tools/assets/play/shapes.hpp"

#include <algorithm>
#include <cmath>

namespace tools::assets::play {

using namespace art;

Colour BrickColour(int code) {
    switch (code) {
        case 100:
            return palette::kNeonCyan;
        case 101:
            return palette::kNeonMagenta;
        case 102:
            return palette::kNeonGold;
        case 103:
            return palette::kSteel;
        case 104:
            return palette::kNeonGreen;
        case 105:
            return palette::kNeonBlue;
        case 106:
            return Colour{1.0, 0.45, 0.15};
    }
    return palette::kWhite;
}

namespace {

// The steel brick that never breaks: brushed metal with rivets and a hazard hatch, no glow.
void SteelBrick(cairo_t* cr, double w, double h) {
    RoundedRect(cr, 0, 0, w, h, 3);
    cairo_pattern_t* metal = cairo_pattern_create_linear(0, 0, w, h);
    cairo_pattern_add_color_stop_rgb(metal, 0.0, 0.80, 0.83, 0.88);
    cairo_pattern_add_color_stop_rgb(metal, 0.45, 0.42, 0.45, 0.52);
    cairo_pattern_add_color_stop_rgb(metal, 0.55, 0.55, 0.58, 0.65);
    cairo_pattern_add_color_stop_rgb(metal, 1.0, 0.22, 0.24, 0.30);
    cairo_set_source(cr, metal);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);
    // Recessed centre plate with diagonal hatching.
    cairo_save(cr);
    cairo_rectangle(cr, 6, 6, w - 12, h - 12);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 0.16, 0.17, 0.21);
    cairo_paint(cr);
    cairo_set_line_width(cr, 2.2);
    for (double d = -h; d < w + h; d += 6) {
        cairo_move_to(cr, d, 0);
        cairo_line_to(cr, d + h, h);
    }
    cairo_set_source_rgb(cr, 0.45, 0.48, 0.55);
    cairo_stroke(cr);
    cairo_restore(cr);
    cairo_rectangle(cr, 5.5, 5.5, w - 11, h - 11);
    cairo_set_source_rgb(cr, 0.08, 0.08, 0.11);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // Rivets in the corners.
    for (double rx : {3.0, w - 3.0})
        for (double ry : {3.0, h - 3.0}) {
            cairo_arc(cr, rx, ry, 1.6, 0, 2 * M_PI);
            cairo_set_source_rgb(cr, 0.95, 0.96, 1.0);
            cairo_fill(cr);
        }
    // Bevel.
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, 0.75, h);
    cairo_line_to(cr, 0.75, 0.75);
    cairo_line_to(cr, w, 0.75);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.8);
    cairo_stroke(cr);
    cairo_move_to(cr, w - 0.75, 0);
    cairo_line_to(cr, w - 0.75, h - 0.75);
    cairo_line_to(cr, 0, h - 0.75);
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.08, 0.9);
    cairo_stroke(cr);
}

// The three-hit brick: gold glass held in a heavy dark frame with corner studs.
void ArmouredBrick(cairo_t* cr, double w, double h) {
    RoundedRect(cr, 0, 0, w, h, 2);
    cairo_pattern_t* frame = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(frame, 0, 0.62, 0.46, 0.16);
    cairo_pattern_add_color_stop_rgb(frame, 1, 0.25, 0.15, 0.04);
    cairo_set_source(cr, frame);
    cairo_fill(cr);
    cairo_pattern_destroy(frame);
    GlassTile(cr, 3, 3, w - 6, h - 6, 2, palette::kNeonGold);
    for (double rx : {2.0, w - 2.0})
        for (double ry : {2.0, h - 2.0}) {
            cairo_arc(cr, rx, ry, 1.4, 0, 2 * M_PI);
            cairo_set_source_rgb(cr, 1.0, 0.93, 0.7);
            cairo_fill(cr);
        }
}

}  // namespace

void DrawBrick(Canvas& canvas, int code) {
    cairo_t* cr = canvas.cr();
    double w = canvas.width(), h = canvas.height();
    if (code == 103) {
        SteelBrick(cr, w, h);
        return;
    }
    if (code == 102) {
        ArmouredBrick(cr, w, h);
        return;
    }
    Colour c = BrickColour(code);
    GlassTile(cr, 0, 0, w, h, 4, c);
    // A facet pattern per colour, so bricks differ by more than hue.
    cairo_save(cr);
    RoundedRect(cr, 2, 2, w - 4, h - 4, 3);
    cairo_clip(cr);
    SetColour(cr, c.Lighter(0.85), 0.6);
    cairo_set_line_width(cr, 1.2);
    switch (code) {
        case 100:  // a diamond facet
            cairo_move_to(cr, w / 2, 5);
            cairo_line_to(cr, w - 6, h / 2);
            cairo_line_to(cr, w / 2, h - 5);
            cairo_line_to(cr, 6, h / 2);
            cairo_close_path(cr);
            cairo_stroke(cr);
            break;
        case 101:  // a ring
            cairo_arc(cr, w / 2, h / 2 + 1, 7, 0, 2 * M_PI);
            cairo_stroke(cr);
            break;
        case 104:  // three vertical ribs
            for (double x : {w / 2 - 7, w / 2, w / 2 + 7}) {
                cairo_move_to(cr, x + 0.5, 7);
                cairo_line_to(cr, x + 0.5, h - 6);
            }
            cairo_stroke(cr);
            break;
        case 105:  // a cross of light
            cairo_move_to(cr, 6, h / 2 + 0.5);
            cairo_line_to(cr, w - 6, h / 2 + 0.5);
            cairo_move_to(cr, w / 2 + 0.5, 6);
            cairo_line_to(cr, w / 2 + 0.5, h - 6);
            cairo_stroke(cr);
            break;
        case 106:  // chevrons
            for (double dy : {-4.0, 3.0}) {
                cairo_move_to(cr, 8, h / 2 + dy - 3);
                cairo_line_to(cr, w / 2, h / 2 + dy + 3);
                cairo_line_to(cr, w - 8, h / 2 + dy - 3);
            }
            cairo_stroke(cr);
            break;
        default:
            break;
    }
    cairo_restore(cr);
}

void DrawPaddle(Canvas& canvas, Colour accent, bool cannons) {
    cairo_t* cr = canvas.cr();
    double w = canvas.width(), h = canvas.height();
    double cap = std::min(9.0, w * 0.2);
    double top = cannons ? 3 : 1, bodyH = h - top - 1;
    // Chrome body.
    RoundedRect(cr, 0.5, top, w - 1, bodyH, bodyH / 2);
    cairo_pattern_t* chrome = cairo_pattern_create_linear(0, top, 0, top + bodyH);
    cairo_pattern_add_color_stop_rgb(chrome, 0.0, 0.98, 0.99, 1.0);
    cairo_pattern_add_color_stop_rgb(chrome, 0.35, 0.70, 0.75, 0.85);
    cairo_pattern_add_color_stop_rgb(chrome, 0.5, 0.30, 0.33, 0.42);
    cairo_pattern_add_color_stop_rgb(chrome, 0.75, 0.55, 0.60, 0.72);
    cairo_pattern_add_color_stop_rgb(chrome, 1.0, 0.20, 0.22, 0.30);
    cairo_set_source(cr, chrome);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(chrome);
    cairo_set_source_rgb(cr, 0.10, 0.11, 0.16);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // Neon end caps.
    for (int side = 0; side < 2; ++side) {
        double x = side == 0 ? 0.5 : w - cap - 0.5;
        cairo_save(cr);
        RoundedRect(cr, 0.5, top, w - 1, bodyH, bodyH / 2);
        cairo_clip(cr);
        cairo_rectangle(cr, x, top, cap, bodyH);
        cairo_pattern_t* glow = cairo_pattern_create_linear(0, top, 0, top + bodyH);
        Colour hi = accent.Lighter(0.6), lo = accent.Darker(0.35);
        cairo_pattern_add_color_stop_rgb(glow, 0, hi.r, hi.g, hi.b);
        cairo_pattern_add_color_stop_rgb(glow, 0.5, accent.r, accent.g, accent.b);
        cairo_pattern_add_color_stop_rgb(glow, 1, lo.r, lo.g, lo.b);
        cairo_set_source(cr, glow);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
        cairo_restore(cr);
    }
    // A light strip along the middle.
    if (w > 2 * cap + 6) {
        RoundedRect(cr, cap + 3, top + bodyH / 2 - 1.5, w - 2 * cap - 6, 3, 1.5);
        SetColour(cr, accent.Lighter(0.5), 0.9);
        cairo_fill(cr);
    }
    if (cannons) {
        for (double x : {2.0, w - 8.0}) {
            RoundedRect(cr, x, 0, 6, 7, 1.5);
            cairo_pattern_t* gun = cairo_pattern_create_linear(x, 0, x + 6, 0);
            cairo_pattern_add_color_stop_rgb(gun, 0, 0.35, 0.36, 0.42);
            cairo_pattern_add_color_stop_rgb(gun, 0.5, 0.95, 0.95, 1.0);
            cairo_pattern_add_color_stop_rgb(gun, 1, 0.30, 0.31, 0.38);
            cairo_set_source(cr, gun);
            cairo_fill(cr);
            cairo_pattern_destroy(gun);
            cairo_rectangle(cr, x + 1.5, 0, 3, 1.5);
            SetColour(cr, palette::kNeonRed);
            cairo_fill(cr);
        }
    }
}

void DrawCapsule(Canvas& canvas, Colour colour, const std::string& caption) {
    cairo_t* cr = canvas.cr();
    double w = canvas.width(), h = canvas.height();
    GlassTile(cr, 0.5, 0.5, w - 1, h - 1, (h - 1) / 2, colour);
    // Chrome bands at both ends, as on a pill.
    for (double x : {4.0, w - 6.0}) {
        cairo_save(cr);
        RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, (h - 1) / 2);
        cairo_clip(cr);
        cairo_rectangle(cr, x, 0, 2, h);
        SetColour(cr, palette::kChrome, 0.85);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    if (caption == "^") {
        // The rocket: a small upward arrow with fins.
        double cx = w / 2, top = h * 0.12, bottom = h * 0.88;
        cairo_move_to(cr, cx, top);
        cairo_line_to(cr, cx + 4.5, top + 6);
        cairo_line_to(cr, cx + 2, top + 6);
        cairo_line_to(cr, cx + 2, bottom - 3);
        cairo_line_to(cr, cx + 5, bottom);
        cairo_line_to(cr, cx - 5, bottom);
        cairo_line_to(cr, cx - 2, bottom - 3);
        cairo_line_to(cr, cx - 2, top + 6);
        cairo_line_to(cr, cx - 4.5, top + 6);
        cairo_close_path(cr);
    } else {
        UseFont(cr, Font::SansBold, h * 0.78);
        TextPath(cr, caption, w / 2, h / 2, Align::Centre);
    }
    cairo_set_source_rgb(cr, 0.04, 0.04, 0.08);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
}

void DrawSweepBanner(Canvas& canvas, const std::string& caption, const std::string& line,
                     Colour glow) {
    cairo_t* cr = canvas.cr();
    double w = canvas.width(), h = canvas.height();
    // Light streaks trailing to the right, as the banner flies left.
    Rng rng(std::uint64_t(caption.size()) * 131 + std::uint64_t(h));
    for (int i = 0; i < 14; ++i) {
        double y = rng.Range(h * 0.15, h * 0.85), len = rng.Range(w * 0.2, w * 0.5);
        double x = rng.Range(w * 0.45, w - len);
        cairo_pattern_t* streak = cairo_pattern_create_linear(x, 0, x + len, 0);
        cairo_pattern_add_color_stop_rgba(streak, 0, glow.r, glow.g, glow.b, 0.7);
        cairo_pattern_add_color_stop_rgba(streak, 1, glow.r, glow.g, glow.b, 0.0);
        cairo_set_source(cr, streak);
        cairo_rectangle(cr, x, y, len, rng.Range(1.0, 2.5));
        cairo_fill(cr);
        cairo_pattern_destroy(streak);
    }
    double size = line.empty() ? h * 0.62 : h * 0.5;
    double captionY = line.empty() ? h / 2 : h * 0.38;
    ChromeText(canvas, caption, Font::SansBold, size, w * 0.42, captionY, Align::Centre, glow,
               h / 12);
    if (!line.empty())
        NeonText(canvas, line, Font::SansBold, h * 0.26, w * 0.42, h * 0.80, Align::Centre, glow,
                 3);
}

void DrawBall(Canvas& canvas, Colour hue) {
    cairo_t* cr = canvas.cr();
    double w = canvas.width(), h = canvas.height();
    double r = std::min(w, h) / 2;
    cairo_pattern_t* p = cairo_pattern_create_radial(w * 0.38, h * 0.36, 0, w / 2, h / 2, r);
    Colour mid = hue.Lighter(0.45);
    cairo_pattern_add_color_stop_rgb(p, 0.0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(p, 0.35, mid.r, mid.g, mid.b);
    cairo_pattern_add_color_stop_rgb(p, 0.85, hue.r, hue.g, hue.b);
    Colour rim = hue.Darker(0.3);
    cairo_pattern_add_color_stop_rgb(p, 1.0, rim.r, rim.g, rim.b);
    cairo_set_source(cr, p);
    cairo_arc(cr, w / 2, h / 2, r - 0.2, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

}  // namespace tools::assets::play
