#include "tools/assets/art/pictures.hpp"

#include <algorithm>
#include <cmath>

namespace tools::assets::art {

std::vector<std::uint8_t> KeyedBmp(int w, int h, const Painter& paint) {
    Canvas c(w, h);
    paint(c);
    return c.Bmp(Finish::Keyed);
}

std::vector<std::uint8_t> OpaqueBmp(int w, int h, const Painter& paint) {
    Canvas c(w, h);
    paint(c);
    return c.Bmp(Finish::Opaque);
}

std::vector<std::uint8_t> GlowBmp(int w, int h, const Painter& paint) {
    Canvas c(w, h);
    paint(c);
    return c.Bmp(Finish::Glow);
}

std::vector<std::uint8_t> OpaqueJpeg(int w, int h, const Painter& paint, int quality) {
    Canvas c(w, h);
    paint(c);
    return c.Jpeg(quality);
}

void Card(Canvas& canvas, const std::string& caption, Colour glow, bool panel) {
    cairo_t* cr = canvas.cr();
    double w = canvas.width(), h = canvas.height();
    if (panel) {
        cairo_pattern_t* bg = cairo_pattern_create_linear(0, 0, 0, h);
        Colour top = palette::kSpaceIndigo, low = palette::kPanel;
        cairo_pattern_add_color_stop_rgb(bg, 0, top.r, top.g, top.b);
        cairo_pattern_add_color_stop_rgb(bg, 1, low.r, low.g, low.b);
        cairo_set_source(cr, bg);
        cairo_paint(cr);
        cairo_pattern_destroy(bg);
        RoundedRect(cr, 3, 3, w - 6, h - 6, std::min(w, h) * 0.1);
        SetColour(cr, glow, 0.8);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
    if (!caption.empty()) {
        double size = std::min(h * 0.5, w * 1.6 / std::max<std::size_t>(caption.size(), 1));
        NeonText(canvas, caption, Font::SansBold, size, w / 2, h / 2, Align::Centre, glow,
                 std::max(2.0, size / 8));
    }
}

std::vector<std::uint8_t> LoadingPicture() {
    return OpaqueBmp(800, 180, [](Canvas& c) {
        cairo_t* cr = c.cr();
        SetColour(cr, palette::kSpaceDeep);
        cairo_paint(cr);
        Rng rng(900);
        Stars(cr, rng, 260, 800, 180, false, 0.7);
        // A thin neon rule above and below the word.
        for (double y : {38.0, 142.0}) {
            cairo_pattern_t* rule = cairo_pattern_create_linear(0, 0, 800, 0);
            Colour n = palette::kNeonCyan;
            cairo_pattern_add_color_stop_rgba(rule, 0.0, n.r, n.g, n.b, 0.0);
            cairo_pattern_add_color_stop_rgba(rule, 0.5, n.r, n.g, n.b, 0.9);
            cairo_pattern_add_color_stop_rgba(rule, 1.0, n.r, n.g, n.b, 0.0);
            cairo_set_source(cr, rule);
            cairo_rectangle(cr, 100, y, 600, 2);
            cairo_fill(cr);
            cairo_pattern_destroy(rule);
        }
        ChromeText(c, "LOADING", Font::SansBold, 58, 400, 90, Align::Centre, palette::kNeonCyan);
    });
}

}  // namespace tools::assets::art
