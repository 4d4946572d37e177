#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tools::assets::art {

// How a picture will be drawn by the game decides how its soft edges are flattened
// when it is written out, because the game has no alpha channel: black is see-through.
enum class Finish {
    // Drawn with the transparent colour (keyed sprites, collision pictures): faint edges
    // become pure black, everything that shows is lifted to at least (1, 1, 1).
    Keyed,
    // Drawn opaque: composited over black, with pure black lifted to (1, 1, 1) so that the
    // same picture stays solid if it is ever drawn keyed.
    Opaque,
    // Quad textures drawn additively: composited over black as they are, so a glow fades
    // smoothly into the black (skipped) texels.
    Glow,
};

// A Cairo drawing surface (ARGB32) that the asset builder paints a picture on and then
// exports as the game's file formats. Rendering only depends on the drawing calls, so the
// same calls give the same bytes on every build.
class Canvas {
  public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surface_; }

    // 24-bit, bottom-up, uncompressed BMP file bytes.
    std::vector<std::uint8_t> Bmp(Finish finish) const;
    // Baseline JPEG file bytes at a fixed quality (for opaque pictures only).
    std::vector<std::uint8_t> Jpeg(int quality = 90) const;
    // Final colours as the game would hold them: 0x00RRGGBB per pixel, top row first.
    std::vector<std::uint32_t> Pixels(Finish finish) const;

    // Blurs the whole canvas in place (three box passes, roughly a Gaussian of the radius).
    void Blur(int radius);
    // Paints another canvas onto this one at (x, y) with the given opacity and operator.
    void Paint(const Canvas& other, double x, double y, double alpha = 1.0,
               cairo_operator_t op = CAIRO_OPERATOR_OVER);

  private:
    int width_;
    int height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// Reads back a picture the builder wrote (its own 24-bit BMPs and JPEGs) as 0x00RRGGBB
// pixels; used for the contact sheet. Returns false for anything else.
bool DecodePicture(const std::vector<std::uint8_t>& bytes, int& width, int& height,
                   std::vector<std::uint32_t>& pixels);

// Puts decoded 0x00RRGGBB pixels onto a new Cairo surface (the caller destroys it).
cairo_surface_t* SurfaceFromPixels(int width, int height, const std::vector<std::uint32_t>& pixels);

}  // namespace tools::assets::art
