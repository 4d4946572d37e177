// Pictures and sounds of the game-over screen with its name entry.
#include "tools/assets/art/pictures.hpp"
#include "tools/assets/catalogue.hpp"

namespace tools::assets::sequences {

using namespace art;

std::vector<EntrySpec> GameOverEntries() {
    auto keyed = [](int w, int h, std::string text, Colour c) {
        return [=] { return KeyedBmp(w, h, [=](Canvas& k) { Card(k, text, c, false); }); };
    };
    auto opaque = [](int w, int h, Colour c) {
        return [=] { return OpaqueBmp(w, h, [=](Canvas& k) { Card(k, "", c, true); }); };
    };
    return {
        Sprite(0, keyed(800, 250, "GAME OVER", palette::kNeonRed)),
        Sprite(1, keyed(800, 140, "ENTER YOUR NAME", palette::kNeonCyan)),
        Sprite(2, keyed(32, 32, "_", palette::kNeonCyan)),
        Sprite(3, opaque(800, 268, palette::kNebulaViolet)),
        Sprite(4, opaque(800, 10, palette::kNeonCyan)),
        Sound(0, [] { return GameOverSound(0); }),
        Sound(1, [] { return GameOverSound(1); }),
    };
}

}  // namespace tools::assets::sequences
