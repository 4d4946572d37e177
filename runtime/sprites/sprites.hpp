#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/screen/surface.hpp"
#include "runtime/sprites/blit.hpp"

// The sprite table: numbered rectangular pictures, loaded from image bytes, made blank or
// captured from the drawing target, copied opaque or black-keyed onto the current target
// (the back buffer or another sprite), tested for overlap and saved as BMP. Black (0) is
// the transparent colour of every sprite.
namespace runtime::sprites {

// How a sprite was created. Plain buffers hold 8-bit bytes and cannot be drawn; textures
// can feed a quad sprite.
enum SpriteMode : std::uint16_t {
    DisplayMemory = 0,
    SystemMemory = 1,
    PlainBuffer = 2,
    Texture = 4,
};

struct SpriteRecord {
    runtime::screen::Surface* surface = nullptr;  // the pixels; null for a plain buffer
    std::int16_t shownWidth = 0;                  // size of the drawn part (SetSpriteClip)
    std::int16_t shownHeight = 0;
    std::int16_t kind = 0;  // depth asked for at creation, -2 for a plain buffer
    std::uint16_t mode = DisplayMemory;
    std::string sourceNote;  // file the sprite came from; empty for memory loads
    std::int16_t fullWidth = 0;
    std::int16_t fullHeight = 0;
    std::int16_t clipX = 0;  // top-left of the drawn part inside the image
    std::int16_t clipY = 0;
    std::vector<std::uint8_t> plain;  // a plain buffer's width x height bytes, top row first
    // A number no other picture had: new whenever the sprite is made, loaded or chosen as
    // the drawing target, so what others keep prepared from its pixels can tell it is old.
    std::uint64_t pictureVersion = 0;
    // Where the picture is not black, made for keyed copies of a sprite drawn again and
    // again. Its pixels change only by drawing into it as the target, so selecting it as
    // the target drops them (see also SpritePixelsChanged).
    KeyRuns keyRuns;

    std::unique_ptr<runtime::screen::Surface> store;  // owns *surface
};

// The record of sprite n, or null if the slot is empty. Records keep their address while
// they exist (growing the table does not move them).
SpriteRecord* FindSprite(int n);

// Code that writes a sprite's pixels through its record, not by drawing into it as the
// target, calls this afterwards so keyed copies do not follow the old picture.
int SpritePixelsChanged(int n);

// Current number of slots.
std::size_t SpriteTableSize();

// Empties the table and makes it 50 slots again.
void ResetSpriteTable();

// Discards every sprite, numbered and unnumbered.
void DiscardAllSprites();

// Makes sprite n (or the back buffer for -1) the drawing target. Nonzero if selected.
int SelectTarget(int n);

// Creating operations: n = -1 makes a sprite outside the table and returns its handle (a
// negative number below -1 that stands for it later); otherwise nonzero on success.
int LoadSpriteFromMemory(int n, const std::uint8_t* bytes, std::size_t size, int mode = 0);
int MakeBlankSprite(int n, int width, int height, int mode = 0);
int CaptureSprite(int n, int x, int y, int width, int height, int mode = 0);

// Writes the sprite's shown size as a 24-bit bottom-up BMP. 1 on success, 0 on failure.
int SaveSpriteBitmap(int n, const char* fileName);

// The BMP file SaveSpriteBitmap writes, as bytes (empty when the sprite cannot be saved).
std::vector<std::uint8_t> SpriteBitmapBytes(int n);

int DiscardSprite(int n);
int SetSpriteClip(int n, int x, int y, int width, int height);
int DrawSprite(int n, int x, int y);
int DrawSpriteKeyed(int n, int x, int y);
// True when an opaque copy of sprite n as tall and as wide as it is shown would write every
// pixel of the current target: a frame that starts with such a picture need not be
// filled black first.
bool SpriteCoversTarget(int n);
int SpritesOverlap(int s1, int x1, int y1, int s2, int x2, int y2);
int SpritePixelsOverlap(int s1, int x1, int y1, int s2, int x2, int y2);

}  // namespace runtime::sprites
