// Pictures of the title menu.
#include "tools/assets/art/pictures.hpp"
#include "tools/assets/catalogue.hpp"

namespace tools::assets::sequences {

using namespace art;

std::vector<EntrySpec> IntroduceEntries() {
    auto keyed = [](int w, int h, std::string text, Colour c) {
        return [=] { return KeyedBmp(w, h, [=](Canvas& k) { Card(k, text, c, false); }); };
    };
    auto opaque = [](int w, int h, std::string text, Colour c) {
        return [=] { return OpaqueBmp(w, h, [=](Canvas& k) { Card(k, text, c, true); }); };
    };
    auto glow = [] {
        return GlowBmp(32, 32,
                       [](Canvas& k) { RadialLight(k.cr(), 16, 16, 16, palette::kNeonCyan, 1.0); });
    };
    return {
        Sprite(0, keyed(800, 110, "TESSALY", palette::kNeonCyan)),
        Sprite(1, opaque(800, 268, "", palette::kNebulaViolet)),
        Sprite(2, opaque(800, 10, "", palette::kNeonCyan)),
        Sprite(3, keyed(64, 64, "", palette::kNeonCyan)),
        Texture(4, glow),
        Sprite(5, keyed(64, 64, "", palette::kNeonCyan)),
        Sprite(6, keyed(800, 260, "", palette::kNeonCyan)),
        Sprite(7, keyed(800, 260, "", palette::kNeonMagenta)),
        Texture(8, glow),
        Sprite(9, keyed(220, 60, "Start", palette::kNeonCyan)),
        Sprite(10, keyed(220, 60, "Credits", palette::kNeonCyan)),
        Sprite(11, keyed(220, 60, "Quit", palette::kNeonCyan)),
        Sprite(12, keyed(64, 64, "", palette::kNeonCyan)),
        Sprite(13, keyed(24, 24, "+", palette::kNeonGold)),
        Sprite(14, keyed(220, 60, "Start", palette::kNeonGold)),
        Sprite(15, keyed(220, 60, "Credits", palette::kNeonGold)),
        Sprite(16, keyed(220, 60, "Quit", palette::kNeonGold)),
        Sprite(
            17,
            [] {
                return OpaqueJpeg(800, 600,
                                  [](Canvas& k) { Card(k, "", palette::kNebulaViolet, true); });
            },
            EntryKind::Jpeg),
        Sprite(18, keyed(64, 64, "", palette::kNeonCyan)),
        Sprite(900, [] { return LoadingPicture(); }),
    };
}

}  // namespace tools::assets::sequences
