// Pictures of the credits.
#include "tools/assets/art/pictures.hpp"
#include "tools/assets/catalogue.hpp"

namespace tools::assets::sequences {

using namespace art;

std::vector<EntrySpec> CreditsEntries() {
    auto keyed = [](int w, int h, std::string text, Colour c) {
        return [=] { return KeyedBmp(w, h, [=](Canvas& k) { Card(k, text, c, false); }); };
    };
    return {
        Sprite(0, keyed(800, 110, "CREDITS", palette::kNeonGold)),
        Sprite(2, keyed(800, 600, "the tessaly team", palette::kNeonCyan)),
        Texture(3,
                [] {
                    return GlowBmp(32, 32, [](Canvas& k) {
                        RadialLight(k.cr(), 16, 16, 16, palette::kNeonMagenta, 1.0);
                    });
                }),
        Sprite(
            4,
            [] {
                return OpaqueJpeg(800, 600,
                                  [](Canvas& k) { Card(k, "", palette::kNebulaViolet, true); });
            },
            EntryKind::Jpeg),
        Sprite(5, keyed(800, 600, "sdl2 cairo libjpeg lame", palette::kNeonCyan)),
    };
}

}  // namespace tools::assets::sequences
