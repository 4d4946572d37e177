// data/fontes.pak: the bitmap font of the high-score table and name entry: "0" to "9" then
// "a" to "z", each glyph in a 32 x 32 cell (the pen always moves 32 pixels).
#include <string>

#include "tools/assets/catalogue.hpp"
#include "tools/assets/play/shapes.hpp"

namespace tools::assets::play {

using namespace art;

namespace {

std::vector<std::uint8_t> Glyph(char ch) {
    return KeyedBmp(32, 32, [ch](Canvas& c) {
        // Capitals read best at this size; the game types and stores names in lower case.
        std::string text(1, ch >= 'a' && ch <= 'z' ? char(ch - 'a' + 'A') : ch);
        NeonText(c, text, Font::SansBold, 27, 16, 16, Align::Centre, palette::kNeonCyan, 3);
    });
}

}  // namespace

std::vector<EntrySpec> FontEntries() {
    std::vector<EntrySpec> out;
    for (char ch = '0'; ch <= '9'; ++ch)
        out.push_back(Sprite(ch, [ch] { return Glyph(ch); }));
    for (char ch = 'a'; ch <= 'z'; ++ch)
        out.push_back(Sprite(ch, [ch] { return Glyph(ch); }));
    return out;
}

}  // namespace tools::assets::play
