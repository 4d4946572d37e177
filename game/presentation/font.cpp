#include "game/presentation/font.hpp"

#include "game/presentation/packs/pack_loading.hpp"
#include "runtime/sprites/sprites.hpp"

namespace game::presentation {

void LoadFont(int firstSprite) {
    // The digits '0' to '9', then the letters 'a' to 'z': each glyph's sprite number is
    // its character's code.
    PackTarget glyphs[36];
    for (int i = 0; i < 36; ++i)
        glyphs[i] = {PackTarget::Sprite, firstSprite + (i < 10 ? '0' + i : 'a' + (i - 10))};
    LoadPackInto("data\\fontes.pak", glyphs);
    // The space is a blank glyph: all black, so it shows nothing.
    runtime::sprites::MakeBlankSprite(firstSprite + ' ', 32, 32);
}

void DrawText(int x, int y, std::string_view text, int firstSprite) {
    // Every byte names the sprite of its code; one with no sprite draws nothing but still
    // takes its 32 pixels.
    for (const char c : text) {
        runtime::sprites::DrawSpriteKeyed(firstSprite + static_cast<unsigned char>(c), x, y);
        x += 32;
    }
}

}  // namespace game::presentation
