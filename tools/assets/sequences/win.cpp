// Pictures of the pacing-choice window (400 x 200) shown after the launcher.
#include "tools/assets/art/pictures.hpp"
#include "tools/assets/catalogue.hpp"

namespace tools::assets::sequences {

using namespace art;

std::vector<EntrySpec> WinEntries() {
    return {
        Sprite(1,
               [] {
                   return OpaqueBmp(400, 200,
                                    [](Canvas& c) { Card(c, "", palette::kNeonCyan, true); });
               }),
        Sprite(0,
               [] {
                   return KeyedBmp(400, 200,
                                   [](Canvas& c) { Card(c, "", palette::kNeonCyan, false); });
               }),
        Sprite(3,
               [] {
                   return KeyedBmp(250, 40, [](Canvas& c) {
                       Card(c, "display refresh", palette::kNeonCyan, false);
                   });
               }),
        Sprite(5,
               [] {
                   return KeyedBmp(370, 40, [](Canvas& c) {
                       Card(c, "steady timer", palette::kNeonMagenta, false);
                   });
               }),
        Texture(7,
                [] {
                    return GlowBmp(64, 64, [](Canvas& c) {
                        RadialLight(c.cr(), 32, 32, 32, palette::kNeonCyan, 1.0);
                    });
                }),
        Texture(8,
                [] {
                    return GlowBmp(32, 44, [](Canvas& c) {
                        RadialLight(c.cr(), 16, 22, 22, palette::kNeonCyan, 0.8);
                    });
                }),
        Sprite(9,
               [] {
                   return KeyedBmp(400, 28, [](Canvas& c) {
                       Card(c, "choose frame pacing", palette::kNeonGold, false);
                   });
               }),
        Sprite(900, [] { return LoadingPicture(); }),
    };
}

}  // namespace tools::assets::sequences
