#pragma once

#include <string>

#include "tools/assets/art/pictures.hpp"

// Shapes the play pictures share: glass bricks, chrome paddles, capsules, banners.
namespace tools::assets::play {

// Brick size: the 33 x 32 grid cell less a small gap, so neighbours read as separate tiles.
inline constexpr int kBrickWidth = 31;
inline constexpr int kBrickHeight = 30;

// The brick codes 100 to 106 ('d' to 'j'): their glass colour.
art::Colour BrickColour(int code);

// A brick picture of the given code (kBrickWidth x kBrickHeight), keyed.
void DrawBrick(art::Canvas& canvas, int code);

// A chrome paddle with neon end caps filling a w x h canvas; with cannons for the gun.
void DrawPaddle(art::Canvas& canvas, art::Colour accent, bool cannons);

// A falling capsule: a glass pill in its colour with a caption (letter or short symbol).
void DrawCapsule(art::Canvas& canvas, art::Colour colour, const std::string& caption);

// A banner that sweeps across the screen: a caption and a smaller line, with light streaks.
void DrawSweepBanner(art::Canvas& canvas, const std::string& caption, const std::string& line,
                     art::Colour glow);

// A glowing ball of the given hue (a sphere with a hot core).
void DrawBall(art::Canvas& canvas, art::Colour hue);

}  // namespace tools::assets::play
