#pragma once

#include <string_view>

// The bitmap font of the high-score tables: one 32 x 32 glyph sprite per character, its
// sprite number the character's code (digits, lower-case letters and the space).
namespace game::presentation {

// Reads "data\fontes.pak" into the digit and letter sprites and makes the blank space.
void LoadFont();

// Draws each character as the sprite of its code, keyed, 32 pixels apart, on the current
// drawing target.
void DrawText(int x, int y, std::string_view text);

}  // namespace game::presentation
