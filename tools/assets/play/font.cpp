// data/fontes.pak: the bitmap font of the high-score table and name entry: "0" to "9" then
// "a" to "z", each glyph in a 32 x 32 cell (the pen always moves 32 pixels).
#include <string>

#include "tools/assets/play/play_packs.hpp"
#include "tools/assets/play/shapes.hpp"

namespace tools::assets::play {

using namespace art;

namespace {

// Adds the glyph's outline to the path: on a common baseline, centred across the cell,
// squeezed when a wide letter would not fit.
void GlyphPath(cairo_t* cr, const std::string& text) {
    UseFont(cr, Font::SansBold, 27);
    TextBox capital = MeasureText(cr, "H");
    TextBox box = MeasureText(cr, text);
    double baseline = 16 + capital.height / 2;
    double squeeze = box.width > 27 ? 27 / box.width : 1.0;
    cairo_save(cr);
    cairo_translate(cr, 16, baseline);
    cairo_scale(cr, squeeze, 1.0);
    cairo_move_to(cr, -box.width / 2 - box.xBearing, 0);
    cairo_text_path(cr, text.c_str());
    cairo_restore(cr);
}

std::vector<std::uint8_t> Glyph(char ch) {
    return KeyedBmp(32, 32, [ch](Canvas& c) {
        // Capitals read best at this size; the game types and stores names in lower case.
        std::string text(1, ch >= 'a' && ch <= 'z' ? char(ch - 'a' + 'A') : ch);
        Canvas halo(32, 32);
        GlyphPath(halo.cr(), text);
        SetColour(halo.cr(), palette::kNeonCyan);
        cairo_set_line_width(halo.cr(), 3);
        cairo_stroke_preserve(halo.cr());
        cairo_fill(halo.cr());
        halo.Blur(2);
        c.Paint(halo, 0, 0, 0.6);
        cairo_t* cr = c.cr();
        GlyphPath(cr, text);
        SetColour(cr, palette::kNeonCyan.Darker(0.55));
        cairo_set_line_width(cr, 1.8);
        cairo_stroke_preserve(cr);
        cairo_pattern_t* fill = cairo_pattern_create_linear(0, 4, 0, 28);
        Colour core = palette::kNeonCyan.Lighter(0.75);
        cairo_pattern_add_color_stop_rgb(fill, 0, 1, 1, 1);
        cairo_pattern_add_color_stop_rgb(fill, 0.55, core.r, core.g, core.b);
        cairo_pattern_add_color_stop_rgb(fill, 1, 0.55, 0.9, 1.0);
        cairo_set_source(cr, fill);
        cairo_fill(cr);
        cairo_pattern_destroy(fill);
    });
}

}  // namespace

std::vector<EntrySpec> FontEntries() {
    std::vector<EntrySpec> out;
    for (char ch = '0'; ch <= '9'; ++ch)
        out.push_back(Sprite(ch, [ch] { return Glyph(ch); }));
    for (char ch = 'a'; ch <= 'z'; ++ch)
        out.push_back(Sprite(ch, [ch] { return Glyph(ch); }));
    return out;
}

}  // namespace tools::assets::play
