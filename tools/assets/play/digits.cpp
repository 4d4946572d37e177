// data/sc.pak: the score digits "0" to "9", 32 x 32 cells drawn side by side at the top
// left of the play field.
#include <string>

#include "tools/assets/play/play_packs.hpp"
#include "tools/assets/play/shapes.hpp"

namespace tools::assets::play {

using namespace art;

std::vector<EntrySpec> ScoreDigitEntries() {
    std::vector<EntrySpec> out;
    for (int d = 0; d < 10; ++d) {
        out.push_back(Sprite(300 + d, [d] {
            return KeyedBmp(32, 32, [d](Canvas& c) {
                // Amber instrument digits: a chrome face with a warm glow, monospaced.
                ChromeText(c, std::to_string(d), Font::MonoBold, 30, 16, 16, Align::Centre,
                           palette::kNeonGold, 3);
            });
        }));
    }
    return out;
}

}  // namespace tools::assets::play
