// The title animation: 30 frames shown one per display frame under the title.
#include "tools/assets/art/pictures.hpp"
#include "tools/assets/catalogue.hpp"

namespace tools::assets::sequences {

using namespace art;

std::vector<EntrySpec> WatEntries() {
    std::vector<EntrySpec> out;
    for (int i = 0; i < 30; ++i) {
        out.push_back(Sprite(300 + i, [i] {
            return KeyedBmp(800, 100, [i](Canvas& c) {
                RadialLight(c.cr(), 40 + i * 24, 50, 30, palette::kNeonCyan, 1.0);
            });
        }));
    }
    return out;
}

}  // namespace tools::assets::sequences
