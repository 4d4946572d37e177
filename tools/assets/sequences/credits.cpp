// data/credits.pak: the credits. A backdrop scrolls up, the title sits at the top, a ring
// of lights turns in the middle and two text pages roll up through the screen.
#include "tools/assets/sequences/sequence_packs.hpp"
#include "tools/assets/sequences/common.hpp"

namespace tools::assets::sequences {

using namespace art;

namespace {

std::vector<std::uint8_t> Title() {
    return KeyedBmp(800, 110, [](Canvas& c) {
        ChromeText(c, "CREDITS", Font::SansBold, 80, 400, 55, Align::Centre, palette::kNeonGold,
                   10);
    });
}

std::vector<std::uint8_t> PageOne() {
    return KeyedBmp(800, 600, [](Canvas& c) {
        TextPage(c,
                 {"#TESSALY", "made by the Tessaly team", "", "#Game design and programming",
                  "the Tessaly team", "", "#Pictures", "drawn in code with Cairo",
                  "by the Tessaly team", "", "#Sound and music", "synthesised by the Tessaly team",
                  "", "#Levels", "the Tessaly team"},
                 80, 32);
    });
}

std::vector<std::uint8_t> PageTwo() {
    return KeyedBmp(800, 600, [](Canvas& c) {
        TextPage(c,
                 {"#Built with", "SDL2 and SDL2_mixer", "libjpeg", "GTK 3", "Cairo and FreeType",
                  "LAME", "DejaVu fonts", "GoogleTest", "", "#Thank you for playing",
                  "*Escape returns to the menu"},
                 80, 34);
    });
}

std::vector<std::uint8_t> RingLight() {
    return GlowBmp(32, 32, [](Canvas& c) {
        RadialLight(c.cr(), 16, 16, 16, palette::kNeonMagenta, 1.0);
        RadialLight(c.cr(), 16, 16, 5, palette::kWhite, 0.9);
    });
}

std::vector<std::uint8_t> Backdrop() {
    return OpaqueJpeg(800, 600, [](Canvas& c) {
        SpaceBackdrop(c, 2400, palette::kNebulaAmber, palette::kNebulaRose, 1.0, 700);
    });
}

}  // namespace

std::vector<EntrySpec> CreditsEntries() {
    return {
        Sprite(0, Title),      Sprite(2, PageOne),
        Texture(3, RingLight), Sprite(4, Backdrop, EntryKind::Jpeg),
        Sprite(5, PageTwo),
    };
}

}  // namespace tools::assets::sequences
