// data/gameover.pak: the game-over screen with the high-score window and the name entry.
#include <cmath>

#include "tools/assets/sequences/sequence_packs.hpp"
#include "tools/assets/sequences/common.hpp"

namespace tools::assets::sequences {

using namespace art;

namespace {

std::vector<std::uint8_t> Heading() {
    return KeyedBmp(800, 250, [](Canvas& c) {
        Canvas glow(800, 250);
        RadialLight(glow.cr(), 400, 110, 260, palette::kNeonRed, 0.35);
        c.Paint(glow, 0, 0);
        ChromeText(c, "GAME OVER", Font::SansBold, 100, 400, 105, Align::Centre, palette::kNeonRed,
                   14);
        NeonText(c, "Escape returns to the menu", Font::Sans, 20, 400, 200, Align::Centre,
                 palette::kNeonCyan, 3);
    });
}

// The prompt above the ten name slots (slots at y 470, x 235 to 555).
std::vector<std::uint8_t> NamePrompt() {
    return KeyedBmp(800, 140, [](Canvas& c) {
        cairo_t* cr = c.cr();
        RoundedRect(cr, 150.5, 6.5, 499, 126, 14);
        cairo_set_source_rgb(cr, 0.04, 0.04, 0.11);
        cairo_fill_preserve(cr);
        SetColour(cr, palette::kNeonGold);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        ChromeText(c, "NEW HIGH SCORE", Font::SansBold, 44, 400, 44, Align::Centre,
                   palette::kNeonGold, 6);
        NeonText(c, "type your name, Enter to save", Font::Sans, 20, 400, 100, Align::Centre,
                 palette::kNeonCyan, 3);
    });
}

std::vector<std::uint8_t> EmptySlot() {
    return KeyedBmp(32, 32, [](Canvas& c) {
        cairo_t* cr = c.cr();
        RoundedRect(cr, 5, 24, 22, 4, 2);
        SetColour(cr, palette::kNeonCyan);
        cairo_fill(cr);
        RoundedRect(cr, 4.5, 4.5, 23, 23, 4);
        SetColour(cr, palette::kNeonCyan.Darker(0.5), 0.9);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    });
}

// The panel behind the table (800 x 268); it drifts in both directions, so it repeats.
std::vector<std::uint8_t> Panel() {
    return OpaqueBmp(800, 268, [](Canvas& c) {
        Nebula(c, 1268, palette::kNebulaRose.Darker(0.45), palette::kNebulaViolet.Darker(0.45),
               0.9);
        cairo_t* cr = c.cr();
        for (int x = 0; x < 800; x += 40)
            cairo_rectangle(cr, x, 0, 1, 268);
        for (int y = 0; y < 268; y += 67)
            cairo_rectangle(cr, 0, y, 800, 1);
        SetColour(cr, palette::kNeonRed, 0.22);
        cairo_fill(cr);
    });
}

std::vector<std::uint8_t> Border() {
    return OpaqueBmp(800, 10, [](Canvas& c) { NeonRail(c, palette::kNeonRed); });
}

}  // namespace

std::vector<EntrySpec> GameOverEntries() {
    return {
        Sprite(0, Heading),
        Sprite(1, NamePrompt),
        Sprite(2, EmptySlot),
        Sprite(3, Panel),
        Sprite(4, Border),
        Sound(0, [] { return GameOverSound(0); }),
        Sound(1, [] { return GameOverSound(1); }),
    };
}

}  // namespace tools::assets::sequences
