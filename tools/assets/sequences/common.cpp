#include "tools/assets/sequences/common.hpp"

#include <algorithm>

namespace tools::assets::sequences {

using namespace art;

void TextPage(Canvas& canvas, const Lines& lines, double top, double spacing) {
    double y = top;
    for (const std::string& line : lines) {
        if (line.empty()) {
            y += spacing * 0.6;
            continue;
        }
        if (line[0] == '#') {
            NeonText(canvas, line.substr(1), Font::SansBold, 30, canvas.width() / 2.0, y,
                     Align::Centre, palette::kNeonMagenta, 4);
            y += spacing * 1.2;
        } else if (line[0] == '*') {
            NeonText(canvas, line.substr(1), Font::SansBold, 24, canvas.width() / 2.0, y,
                     Align::Centre, palette::kNeonGold, 3);
            y += spacing;
        } else {
            NeonText(canvas, line, Font::Sans, 22, canvas.width() / 2.0, y, Align::Centre,
                     palette::kNeonCyan, 3);
            y += spacing;
        }
    }
}

void GlassButton(Canvas& canvas, const std::string& caption, bool lit) {
    cairo_t* cr = canvas.cr();
    double w = canvas.width(), h = canvas.height();
    Colour c = lit ? palette::kNeonGold : palette::kNeonCyan;
    if (lit) {
        // Lit: bright glass with a halo inside the picture's bounds.
        Canvas halo{canvas.width(), canvas.height()};
        RoundedRect(halo.cr(), 6, 6, w - 12, h - 12, (h - 12) / 2);
        SetColour(halo.cr(), c);
        cairo_fill(halo.cr());
        halo.Blur(4);
        canvas.Paint(halo, 0, 0, 0.9);
        GlassTile(cr, 6, 6, w - 12, h - 12, (h - 12) / 2, c);
    } else {
        RoundedRect(cr, 6.5, 6.5, w - 13, h - 13, (h - 13) / 2);
        cairo_pattern_t* g = cairo_pattern_create_linear(0, 6, 0, h - 6);
        Colour top = palette::kSpaceIndigo.Lighter(0.1), low = palette::kPanel;
        cairo_pattern_add_color_stop_rgb(g, 0, top.r, top.g, top.b);
        cairo_pattern_add_color_stop_rgb(g, 1, low.r, low.g, low.b);
        cairo_set_source(cr, g);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(g);
        SetColour(cr, c, 0.9);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
    UseFont(cr, Font::SansBold, h * 0.42);
    TextPath(cr, caption, w / 2, h / 2, Align::Centre);
    cairo_set_source_rgb(cr, lit ? 0.25 : 0.02, lit ? 0.12 : 0.10, lit ? 0.0 : 0.16);
    cairo_set_line_width(cr, 3);
    cairo_stroke_preserve(cr);
    if (lit)
        cairo_set_source_rgb(cr, 1, 1, 1);
    else
        SetColour(cr, c.Lighter(0.5));
    cairo_fill(cr);
}

void SpaceBackdrop(Canvas& canvas, std::uint64_t seed, Colour a, Colour b, double density,
                   int stars) {
    Nebula(canvas, seed, a, b, density);
    Rng rng(seed * 977 + 1);
    Stars(canvas.cr(), rng, stars, canvas.width(), canvas.height(), true, 1.0, true);
}

void NeonRail(Canvas& canvas, Colour neon) {
    cairo_t* cr = canvas.cr();
    double w = canvas.width(), h = canvas.height();
    cairo_pattern_t* m = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(m, 0, 0.85, 0.88, 0.95);
    cairo_pattern_add_color_stop_rgb(m, 0.5, 0.35, 0.38, 0.47);
    cairo_pattern_add_color_stop_rgb(m, 1, 0.15, 0.16, 0.22);
    cairo_set_source(cr, m);
    cairo_paint(cr);
    cairo_pattern_destroy(m);
    cairo_rectangle(cr, 0, h / 2 - 1, w, 2);
    SetColour(cr, neon);
    cairo_fill(cr);
}

}  // namespace tools::assets::sequences
