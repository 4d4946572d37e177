#include "tools/assets/art/theme.hpp"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <stdexcept>
#include <vector>

namespace tools::assets::art {

Colour Colour::Lighter(double amount) const {
    return {r + (1 - r) * amount, g + (1 - g) * amount, b + (1 - b) * amount};
}

Colour Colour::Darker(double amount) const {
    return {r * (1 - amount), g * (1 - amount), b * (1 - amount)};
}

void SetColour(cairo_t* cr, Colour c, double alpha) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

std::uint64_t Rng::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::Uniform() {
    return double(Next() >> 11) * (1.0 / 9007199254740992.0);
}

double Rng::Range(double lo, double hi) {
    return lo + (hi - lo) * Uniform();
}

int Rng::Int(int lo, int hi) {
    return lo + int(Next() % std::uint64_t(hi - lo + 1));
}

FontSource FontSourceOf(Font font) {
    // The condensed faces are not in Debian's core DejaVu package.
    switch (font) {
        case Font::Sans:
            return {"DejaVuSans.ttf", "fonts-dejavu-core"};
        case Font::SansBold:
            return {"DejaVuSans-Bold.ttf", "fonts-dejavu-core"};
        case Font::Condensed:
            return {"DejaVuSansCondensed.ttf", "fonts-dejavu-extra"};
        case Font::CondensedBold:
            return {"DejaVuSansCondensed-Bold.ttf", "fonts-dejavu-extra"};
        case Font::Mono:
            return {"DejaVuSansMono.ttf", "fonts-dejavu-core"};
        case Font::MonoBold:
            return {"DejaVuSansMono-Bold.ttf", "fonts-dejavu-core"};
        case Font::Serif:
            return {"DejaVuSerif.ttf", "fonts-dejavu-core"};
    }
    return {"DejaVuSans.ttf", "fonts-dejavu-core"};
}

std::string FindFontFile(Font font) {
    static const char* const kFolders[] = {"/usr/share/fonts/truetype/dejavu/",
                                           "/usr/share/fonts/TTF/", "/usr/share/fonts/dejavu/"};
    for (const char* folder : kFolders) {
        std::string path = std::string(folder) + FontSourceOf(font).file;
        if (::access(path.c_str(), R_OK) == 0) return path;
    }
    return {};
}

namespace {

// Faces are loaded once and kept for the life of the builder.
cairo_font_face_t* FaceFor(Font font) {
    static FT_Library library = nullptr;
    static std::map<Font, cairo_font_face_t*> faces;
    auto it = faces.find(font);
    if (it != faces.end()) return it->second;
    if (!library && FT_Init_FreeType(&library) != 0)
        throw std::runtime_error("FreeType could not start");
    const FontSource source = FontSourceOf(font);
    const std::string path = FindFontFile(font);
    FT_Face face = nullptr;
    if (path.empty() || FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        throw std::runtime_error(std::string("font not found: ") + source.file + " (install " +
                                 source.package + ")");
    }
    cairo_font_face_t* cf = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING);
    faces[font] = cf;
    return cf;
}

// Value noise on a lattice that wraps every `cellsX` x `cellsY` cells.
double LatticeValue(std::uint64_t seed, int x, int y) {
    std::uint64_t h = seed ^ (std::uint64_t(std::uint32_t(x)) * 0x9E3779B97F4A7C15ull) ^
                      (std::uint64_t(std::uint32_t(y)) * 0xC2B2AE3D27D4EB4Full);
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return double(h >> 11) * (1.0 / 9007199254740992.0);
}

double Smooth(double t) {
    return t * t * (3 - 2 * t);
}

double PeriodicNoise(std::uint64_t seed, double u, double v, int cellsX, int cellsY) {
    double fx = u * cellsX, fy = v * cellsY;
    int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
    double tx = Smooth(fx - x0), ty = Smooth(fy - y0);
    auto wrap = [](int a, int n) { return ((a % n) + n) % n; };
    int xa = wrap(x0, cellsX), xb = wrap(x0 + 1, cellsX);
    int ya = wrap(y0, cellsY), yb = wrap(y0 + 1, cellsY);
    double a = LatticeValue(seed, xa, ya), b = LatticeValue(seed, xb, ya);
    double c = LatticeValue(seed, xa, yb), d = LatticeValue(seed, xb, yb);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double Fractal(std::uint64_t seed, double u, double v, int baseX, int baseY, int octaves) {
    double sum = 0, amp = 0.5, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * PeriodicNoise(seed + std::uint64_t(o) * 7919, u, v, baseX << o, baseY << o);
        norm += amp;
        amp *= 0.5;
    }
    return sum / norm;
}

}  // namespace

void UseFont(cairo_t* cr, Font font, double size) {
    cairo_set_font_face(cr, FaceFor(font));
    cairo_set_font_size(cr, size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

TextBox MeasureText(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return {e.width, e.height, e.x_bearing, e.y_bearing};
}

void TextPath(cairo_t* cr, const std::string& text, double x, double y, Align align) {
    TextBox box = MeasureText(cr, text);
    double left = x;
    if (align == Align::Centre) left = x - box.width / 2;
    if (align == Align::Right) left = x - box.width;
    cairo_move_to(cr, left - box.xBearing, y - box.height / 2 - box.yBearing);
    cairo_text_path(cr, text.c_str());
}

void NeonText(Canvas& canvas, const std::string& text, Font font, double size, double x, double y,
              Align align, Colour glow, double glowRadius) {
    Canvas halo(canvas.width(), canvas.height());
    UseFont(halo.cr(), font, size);
    TextPath(halo.cr(), text, x, y, align);
    SetColour(halo.cr(), glow);
    cairo_set_line_width(halo.cr(), size * 0.12);
    cairo_stroke_preserve(halo.cr());
    cairo_fill(halo.cr());
    halo.Blur(int(glowRadius));
    // Gentle: on keyed pictures a strong halo would turn into a solid slab of colour.
    canvas.Paint(halo, 0, 0, 0.6);

    cairo_t* cr = canvas.cr();
    UseFont(cr, font, size);
    TextPath(cr, text, x, y, align);
    SetColour(cr, glow.Darker(0.55));
    cairo_set_line_width(cr, std::max(1.0, size * 0.07));
    cairo_stroke_preserve(cr);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, y - size / 2, 0, y + size / 2);
    Colour core = glow.Lighter(0.75);
    cairo_pattern_add_color_stop_rgb(fill, 0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(fill, 0.55, core.r, core.g, core.b);
    cairo_pattern_add_color_stop_rgb(fill, 1, glow.Lighter(0.3).r, glow.Lighter(0.3).g,
                                     glow.Lighter(0.3).b);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
}

void ChromeText(Canvas& canvas, const std::string& text, Font font, double size, double x, double y,
                Align align, Colour glow, double glowRadius) {
    Canvas halo(canvas.width(), canvas.height());
    UseFont(halo.cr(), font, size);
    TextPath(halo.cr(), text, x, y, align);
    SetColour(halo.cr(), glow);
    cairo_set_line_width(halo.cr(), size * 0.16);
    cairo_stroke_preserve(halo.cr());
    cairo_fill(halo.cr());
    halo.Blur(int(glowRadius));
    canvas.Paint(halo, 0, 0, 0.55);

    cairo_t* cr = canvas.cr();
    UseFont(cr, font, size);
    TextPath(cr, text, x, y, align);
    SetColour(cr, Colour{0.06, 0.07, 0.12});
    cairo_set_line_width(cr, std::max(1.5, size * 0.09));
    cairo_stroke_preserve(cr);
    TextBox box = MeasureText(cr, text);
    double top = y - box.height / 2, bottom = y + box.height / 2;
    cairo_pattern_t* metal = cairo_pattern_create_linear(0, top, 0, bottom);
    cairo_pattern_add_color_stop_rgb(metal, 0.0, 1.0, 1.0, 1.0);
    cairo_pattern_add_color_stop_rgb(metal, 0.45, 0.80, 0.86, 0.95);
    cairo_pattern_add_color_stop_rgb(metal, 0.50, 0.38, 0.42, 0.55);
    cairo_pattern_add_color_stop_rgb(metal, 0.75, 0.62, 0.68, 0.82);
    Colour tint = glow.Lighter(0.4);
    cairo_pattern_add_color_stop_rgb(metal, 1.0, tint.r, tint.g, tint.b);
    cairo_set_source(cr, metal);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void GlassTile(cairo_t* cr, double x, double y, double w, double h, double radius, Colour c) {
    cairo_save(cr);
    // Body: deep coloured glass at the rim, lit from within at the centre.
    RoundedRect(cr, x, y, w, h, radius);
    Colour rim = c.Darker(0.62), mid = c.Darker(0.1);
    cairo_pattern_t* body = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(body, 0.0, mid.r, mid.g, mid.b);
    cairo_pattern_add_color_stop_rgb(body, 1.0, rim.r, rim.g, rim.b);
    cairo_set_source(cr, body);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(body);
    cairo_clip(cr);

    double cx = x + w / 2, cy = y + h * 0.58;
    cairo_pattern_t* core = cairo_pattern_create_radial(cx, cy, 0, cx, cy, std::max(w, h) * 0.55);
    Colour hot = c.Lighter(0.45);
    cairo_pattern_add_color_stop_rgba(core, 0, hot.r, hot.g, hot.b, 0.85);
    cairo_pattern_add_color_stop_rgba(core, 0.6, c.r, c.g, c.b, 0.35);
    cairo_pattern_add_color_stop_rgba(core, 1, c.r, c.g, c.b, 0.0);
    cairo_set_source(cr, core);
    cairo_paint(cr);
    cairo_pattern_destroy(core);

    // Bevels: a bright band along the top and left, a dark band along the bottom and right.
    double bevel = std::max(2.0, std::min(w, h) * 0.1);
    cairo_move_to(cr, x, y + h);
    cairo_line_to(cr, x, y);
    cairo_line_to(cr, x + w, y);
    cairo_line_to(cr, x + w - bevel, y + bevel);
    cairo_line_to(cr, x + bevel, y + bevel);
    cairo_line_to(cr, x + bevel, y + h - bevel);
    cairo_close_path(cr);
    SetColour(cr, c.Lighter(0.7), 0.8);
    cairo_fill(cr);
    cairo_move_to(cr, x + w, y);
    cairo_line_to(cr, x + w, y + h);
    cairo_line_to(cr, x, y + h);
    cairo_line_to(cr, x + bevel, y + h - bevel);
    cairo_line_to(cr, x + w - bevel, y + h - bevel);
    cairo_line_to(cr, x + w - bevel, y + bevel);
    cairo_close_path(cr);
    SetColour(cr, c.Darker(0.82), 0.85);
    cairo_fill(cr);

    // Specular reflection on the upper part of the face.
    RoundedRect(cr, x + bevel + 1, y + bevel + 0.5, w - 2 * bevel - 2, (h - 2 * bevel) * 0.42,
                radius * 0.6);
    cairo_pattern_t* shine = cairo_pattern_create_linear(0, y + bevel, 0, y + h * 0.5);
    cairo_pattern_add_color_stop_rgba(shine, 0, 1, 1, 1, 0.55);
    cairo_pattern_add_color_stop_rgba(shine, 1, 1, 1, 1, 0.0);
    cairo_set_source(cr, shine);
    cairo_fill(cr);
    cairo_pattern_destroy(shine);
    cairo_restore(cr);

    // A thin bright rim so neighbouring tiles stay apart.
    cairo_save(cr);
    RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, radius);
    SetColour(cr, c.Lighter(0.55), 0.7);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void GlowUnder(Canvas& canvas, Colour c, int radius, double strength) {
    Canvas halo(canvas.width(), canvas.height());
    cairo_t* cr = halo.cr();
    // Take the shape's coverage, tinted.
    SetColour(cr, c);
    cairo_mask_surface(cr, canvas.surface(), 0, 0);
    halo.Blur(radius);
    Canvas base(canvas.width(), canvas.height());
    base.Paint(halo, 0, 0, std::min(1.0, strength));
    if (strength > 1.0) base.Paint(halo, 0, 0, strength - 1.0);
    base.Paint(canvas, 0, 0);
    cairo_t* out = canvas.cr();
    cairo_save(out);
    cairo_set_operator(out, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(out, base.surface(), 0, 0);
    cairo_paint(out);
    cairo_restore(out);
}

void RadialLight(cairo_t* cr, double cx, double cy, double radius, Colour c, double alpha) {
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, radius);
    cairo_pattern_add_color_stop_rgba(p, 0.0, c.r, c.g, c.b, alpha);
    cairo_pattern_add_color_stop_rgba(p, 0.35, c.r, c.g, c.b, alpha * 0.45);
    cairo_pattern_add_color_stop_rgba(p, 1.0, c.r, c.g, c.b, 0.0);
    cairo_set_source(cr, p);
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void Sparkle(cairo_t* cr, double cx, double cy, double size, Colour c, double alpha) {
    RadialLight(cr, cx, cy, size * 0.6, c, alpha * 0.8);
    double t = size * 0.12;
    cairo_save(cr);
    SetColour(cr, c.Lighter(0.6), alpha);
    cairo_move_to(cr, cx, cy - size);
    cairo_curve_to(cr, cx + t, cy - t, cx + t, cy - t, cx + size, cy);
    cairo_curve_to(cr, cx + t, cy + t, cx + t, cy + t, cx, cy + size);
    cairo_curve_to(cr, cx - t, cy + t, cx - t, cy + t, cx - size, cy);
    cairo_curve_to(cr, cx - t, cy - t, cx - t, cy - t, cx, cy - size);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_restore(cr);
}

void Stars(cairo_t* cr, Rng& rng, int count, int w, int h, bool wrapY, double brightness,
           bool wrapX) {
    static constexpr std::array<Colour, 4> kTints = {Colour{1.0, 1.0, 1.0}, Colour{0.75, 0.85, 1.0},
                                                     Colour{1.0, 0.92, 0.78},
                                                     Colour{0.85, 0.8, 1.0}};
    for (int i = 0; i < count; ++i) {
        double x = rng.Range(0, w), y = rng.Range(0, h);
        double m = rng.Uniform();
        double radius = m < 0.85 ? rng.Range(0.35, 0.8)
                                 : (m < 0.98 ? rng.Range(0.8, 1.4) : rng.Range(1.4, 2.2));
        double a = rng.Range(0.35, 1.0) * brightness;
        Colour tint = kTints[std::size_t(rng.Int(0, 3))];
        for (int copy = -1; copy <= 1; ++copy) {
            for (int across = -1; across <= 1; ++across) {
                if ((!wrapY && copy != 0) || (!wrapX && across != 0)) continue;
                double yy = y + copy * h, xx = x + across * w;
                if (yy < -10 || yy > h + 10 || xx < -10 || xx > w + 10) continue;
                if (radius > 1.3) {
                    RadialLight(cr, xx, yy, radius * 4, tint, a * 0.35);
                    if (m > 0.995) Sparkle(cr, xx, yy, radius * 5, tint, a * 0.8);
                }
                SetColour(cr, tint, std::min(1.0, a));
                cairo_arc(cr, xx, yy, radius, 0, 2 * M_PI);
                cairo_fill(cr);
            }
        }
    }
}

void Nebula(Canvas& canvas, std::uint64_t seed, Colour tintA, Colour tintB, double density) {
    int w = canvas.width(), h = canvas.height();
    cairo_surface_t* s = canvas.surface();
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    // Lattice of roughly 200-pixel cells that divides the picture so it tiles.
    // At least two cells each way: with one, the widest octave would not vary at all.
    int baseX = std::max(2, (w + 100) / 200), baseY = std::max(2, (h + 100) / 200);
    Colour deep = palette::kSpaceDeep;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
        double v = double(y) / h;
        for (int x = 0; x < w; ++x) {
            double u = double(x) / w;
            // Domain warping turns round blobs into wisps; the warp is periodic as well.
            double wu = u + 0.10 * (Fractal(seed + 303, u, v, baseX, baseY, 3) - 0.5);
            double wv = v + 0.10 * (Fractal(seed + 404, u, v, baseX, baseY, 3) - 0.5);
            double n1 = Fractal(seed, wu, wv, baseX, baseY, 5);
            double n2 = Fractal(seed + 101, wu, wv, baseX, baseY, 5);
            double n3 = Fractal(seed + 202, u, v, baseX * 2, baseY * 2, 3);
            // Clouds: contrast-shaped noise, with dark dust lanes cut through them.
            double cloudA = std::clamp((n1 - 0.40) * 2.6 * density, 0.0, 1.0);
            double cloudB = std::clamp((n2 - 0.45) * 2.6 * density, 0.0, 1.0);
            double dust = std::clamp((n3 - 0.52) * 2.5, 0.0, 0.75);
            cloudA *= cloudA * (1 - dust);
            cloudB *= cloudB * (1 - dust * 0.7);
            double r = deep.r + tintA.r * cloudA + tintB.r * cloudB * 0.9;
            double g = deep.g + tintA.g * cloudA + tintB.g * cloudB * 0.9;
            double b = deep.b + tintA.b * cloudA + tintB.b * cloudB * 0.9;
            // Bright filaments where both clouds meet.
            double hot = cloudA * cloudB * 1.2;
            r += hot * 0.5;
            g += hot * 0.45;
            b += hot * 0.55;
            auto px = [](double c) { return std::uint32_t(std::clamp(c, 0.0, 1.0) * 255 + 0.5); };
            row[x] = 0xFF000000u | (px(r) << 16) | (px(g) << 8) | px(b);
        }
    }
    cairo_surface_mark_dirty(s);
}

}  // namespace tools::assets::art
