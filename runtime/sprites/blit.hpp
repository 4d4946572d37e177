#pragma once

#include <cstdint>

#include "runtime/screen/surface.hpp"

// The copy kernels behind DrawSprite and DrawSpriteKeyed. Rectangles are already clipped
// and lie inside both stores; a copy within one store behaves as through a temporary.
namespace runtime::sprites {

void CopyRect(runtime::screen::Surface& target, int dx, int dy,
              const runtime::screen::Surface& source, int sx, int sy, int width, int height);

// Leaves target pixels where the source pixel is black (its low 24 bits are zero).
void CopyRectKeyed(runtime::screen::Surface& target, int dx, int dy,
                   const runtime::screen::Surface& source, int sx, int sy, int width, int height);

}  // namespace runtime::sprites
