// Pictures of the logo and the introduction flight.
#include "tools/assets/art/pictures.hpp"
#include "tools/assets/catalogue.hpp"

namespace tools::assets::sequences {

using namespace art;

std::vector<EntrySpec> LogoEntries() {
    auto dot = [](Colour c) {
        return [c] {
            return GlowBmp(64, 64, [c](Canvas& k) { RadialLight(k.cr(), 32, 32, 32, c, 1.0); });
        };
    };
    return {
        Sprite(0,
               [] {
                   return OpaqueBmp(
                       800, 160, [](Canvas& c) { Card(c, "TESSALY", palette::kNeonCyan, true); });
               }),
        Sprite(1,
               [] {
                   return OpaqueBmp(800, 20,
                                    [](Canvas& c) { Card(c, "", palette::kNeonMagenta, true); });
               }),
        Texture(2, dot(palette::kNeonCyan)),
        Texture(3, dot(palette::kNeonMagenta)),
        Texture(4, dot(palette::kNeonGold)),
        Sprite(900, [] { return LoadingPicture(); }),
        Texture(5,
                [] {
                    return GlowBmp(
                        256, 256, [](Canvas& c) { Card(c, "TESSALY", palette::kNeonCyan, false); });
                }),
    };
}

}  // namespace tools::assets::sequences
