#pragma once

#include <string_view>

// The bitmap font of the high-score tables: one 32 x 32 glyph sprite per character, its
// sprite number the character's code (digits, lower-case letters and the space).
namespace game::presentation {

// Reads "data\fontes.pak" into the digit and letter sprites and makes the blank space.
// With a first sprite, each glyph's number is that plus its character's code, so the font
// can be shown where the play pack's pictures hold the character codes' own numbers.
void LoadFont(int firstSprite = 0);

// Draws each character as the sprite of its code (plus firstSprite), keyed, 32 pixels
// apart, on the current drawing target.
void DrawText(int x, int y, std::string_view text, int firstSprite = 0);

}  // namespace game::presentation
