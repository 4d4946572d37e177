#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/quads/raster.hpp"
#include "runtime/screen/surface.hpp"

// Quad sprites: a texture sprite's picture drawn as a rectangle with constant
// transparency, resized or turned, blended onto the back buffer. The game draws its
// glows, flashes and turning pictures with them, between BeginQuadScene and EndQuadScene.
namespace runtime::quads {

struct QuadSpriteRecord {
    const runtime::screen::Surface* texture = nullptr;  // the sprite's pixels, not owned
    // Top-left, top-right, bottom-left, bottom-right: the order of a triangle strip.
    QuadVertex vertices[4];
    std::int16_t width = 0;  // current quad size
    std::int16_t height = 0;
    std::int16_t angle = 0;  // accumulated turn in degrees
    // The sprite the texture came from, checked before each draw so a quad whose sprite
    // has been discarded or replaced never reads released pixels.
    int sprite = 0;
};

// Creates the quad table (50 empty slots) and resets the scene state. Nonzero on success.
int InitQuadSprites();

// Empties the table at program end; quads never own their textures.
void ReleaseQuadSprites();

// Makes quad q show sprite s, which must be a texture sprite. Returns the record, or null
// when the sprite is missing or not a texture (the slot is then left empty). q = -1 makes
// a quad outside the table.
QuadSpriteRecord* MakeQuadSprite(int q, int s);

// Places the corners of an unrotated width x height rectangle (the angle is kept).
int ResizeQuadSprite(int q, int width, int height);

// Turns the quad to an angle in degrees, or by it when relative is nonzero.
int TurnQuadSprite(int q, int angle, int relative);

// 0 = nearest texel, anything else = bilinear where magnified; for later draws.
int SetQuadFiltering(int mode);
// The filtering set last: 1 bilinear, 0 nearest.
int QuadFiltering();

// Binds the back buffer and opens a scene with the default blend (5, 6). 1 on success,
// 0 when no screen is open or a scene is already open.
int BeginQuadScene();

// Blend factors for later draws (numbers of BlendFactor). Unknown numbers are ignored.
int SetQuadBlend(int sourceFactor, int destFactor);

// Draws quad q offset by (x, y) at constant alpha (low 8 bits) onto the back buffer.
int DrawQuadSprite(int q, int x, int y, int alpha);

// Closes the scene.
int EndQuadScene();

// The record in slot q, or null if the slot is empty or out of range.
QuadSpriteRecord* FindQuadSprite(int q);

// Current number of slots.
std::size_t QuadSpriteTableSize();

}  // namespace runtime::quads
