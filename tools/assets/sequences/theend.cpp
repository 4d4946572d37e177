// Pictures of the ending after the last level.
#include "tools/assets/art/pictures.hpp"
#include "tools/assets/catalogue.hpp"

namespace tools::assets::sequences {

using namespace art;

std::vector<EntrySpec> TheEndEntries() {
    auto keyed = [](int w, int h, std::string text, Colour c) {
        return [=] { return KeyedBmp(w, h, [=](Canvas& k) { Card(k, text, c, false); }); };
    };
    return {
        Sprite(
            0,
            [] {
                return OpaqueJpeg(800, 600,
                                  [](Canvas& k) { Card(k, "", palette::kNebulaViolet, true); });
            },
            EntryKind::Jpeg),
        Sprite(1, keyed(800, 600, "", palette::kNeonCyan)),
        Sprite(2, keyed(800, 600, "", palette::kNeonCyan)),
        Sprite(3, keyed(800, 200, "THE END", palette::kNeonGold)),
        Sprite(4, keyed(800, 600, "well played", palette::kNeonCyan)),
        Sprite(5, keyed(800, 600, "thank you", palette::kNeonCyan)),
    };
}

}  // namespace tools::assets::sequences
