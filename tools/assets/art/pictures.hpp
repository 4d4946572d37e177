#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/assets/art/canvas.hpp"
#include "tools/assets/art/theme.hpp"

// Shortcuts for the picture makers: draw on a fresh canvas, write it out.
namespace tools::assets::art {

using Painter = std::function<void(Canvas&)>;

// A keyed BMP (black is see-through), an opaque BMP, a quad texture BMP, an opaque JPEG.
std::vector<std::uint8_t> KeyedBmp(int w, int h, const Painter& paint);
std::vector<std::uint8_t> OpaqueBmp(int w, int h, const Painter& paint);
std::vector<std::uint8_t> GlowBmp(int w, int h, const Painter& paint);
std::vector<std::uint8_t> OpaqueJpeg(int w, int h, const Painter& paint, int quality = 90);

// A title card in the theme: a dark glass panel (opaque) or nothing (keyed) behind a neon
// caption. Used for simple pictures and as the stand-in for pictures still to be drawn.
void Card(Canvas& canvas, const std::string& caption, Colour glow, bool panel);

// The loading picture (800 x 180, shown opaque at (0, 210) before long loads).
std::vector<std::uint8_t> LoadingPicture();

}  // namespace tools::assets::art
