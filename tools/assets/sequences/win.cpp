// data/win.pak: the pacing-choice window (400 x 200) shown after the launcher. The
// background turns left inside itself, the title slides in from the right, and a band of
// light marks the highlighted choice (row 0 at y 98, row 1 at y 145).
#include <cmath>

#include "tools/assets/sequences/sequence_packs.hpp"
#include "tools/assets/sequences/common.hpp"

namespace tools::assets::sequences {

using namespace art;

namespace {

std::vector<std::uint8_t> Background() {
    return OpaqueBmp(400, 200, [](Canvas& c) {
        SpaceBackdrop(c, 401, palette::kNebulaViolet, palette::kNebulaTeal, 1.0, 160);
    });
}

// The frame over everything: chrome edges, the name, and how to choose.
std::vector<std::uint8_t> Frame() {
    return KeyedBmp(400, 200, [](Canvas& c) {
        cairo_t* cr = c.cr();
        RoundedRect(cr, 2, 2, 396, 196, 10);
        SetColour(cr, palette::kChrome);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
        RoundedRect(cr, 5.5, 5.5, 389, 189, 8);
        SetColour(cr, palette::kNeonCyan, 0.9);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        ChromeText(c, "TESSALY", Font::SansBold, 24, 20, 32, Align::Left, palette::kNeonCyan, 4);
        NeonText(c, "Up / Down to choose,  Enter to play", Font::Sans, 11, 384, 34, Align::Right,
                 palette::kNeonMagenta, 2);
    });
}

std::vector<std::uint8_t> Choice(int w, const std::string& text, const std::string& detail) {
    return KeyedBmp(w, 40, [=](Canvas& c) {
        NeonText(c, text, Font::SansBold, 19, 4, 13, Align::Left, palette::kNeonCyan, 3);
        NeonText(c, detail, Font::Sans, 12, 4, 32, Align::Left, palette::kNeonMagenta, 2);
    });
}

std::vector<std::uint8_t> Title() {
    return KeyedBmp(400, 28, [](Canvas& c) {
        NeonText(c, "HOW SHOULD FRAMES BE PACED?", Font::CondensedBold, 19, 200, 14, Align::Centre,
                 palette::kNeonGold, 3);
    });
}

// A flare in the top-left corner, behind the name.
std::vector<std::uint8_t> Flare() {
    return GlowBmp(64, 64, [](Canvas& c) {
        RadialLight(c.cr(), 32, 32, 32, palette::kNeonCyan, 0.9);
        Sparkle(c.cr(), 32, 32, 30, palette::kWhite, 0.9);
    });
}

// One 32-pixel piece of the highlight band; fourteen of them span the window.
std::vector<std::uint8_t> HighlightPiece() {
    return GlowBmp(32, 44, [](Canvas& c) {
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, 44);
        Colour n = palette::kNeonCyan;
        cairo_pattern_add_color_stop_rgba(p, 0.0, n.r, n.g, n.b, 0.0);
        cairo_pattern_add_color_stop_rgba(p, 0.2, n.r, n.g, n.b, 0.8);
        cairo_pattern_add_color_stop_rgba(p, 0.5, n.r, n.g, n.b, 0.45);
        cairo_pattern_add_color_stop_rgba(p, 0.8, n.r, n.g, n.b, 0.8);
        cairo_pattern_add_color_stop_rgba(p, 1.0, n.r, n.g, n.b, 0.0);
        cairo_set_source(c.cr(), p);
        cairo_paint(c.cr());
        cairo_pattern_destroy(p);
    });
}

}  // namespace

std::vector<EntrySpec> WinEntries() {
    return {
        Sprite(1, Background),
        Sprite(0, Frame),
        Sprite(3, [] { return Choice(250, "Sync to the display", "smoothest on a 60 Hz screen"); }),
        Sprite(5,
               [] {
                   return Choice(370, "Steady 60 frames a second",
                                 "a timer keeps the pace on any screen");
               }),
        Texture(7, Flare),
        Texture(8, HighlightPiece),
        Sprite(9, Title),
        Sprite(900, LoadingPicture),
    };
}

}  // namespace tools::assets::sequences
