#pragma once

#include <cstdint>

#include "runtime/screen/surface.hpp"

namespace runtime::quads {

// One corner of a quad as the 3D device takes it: a pre-transformed screen position
// (z unused, rhw always 1), a diffuse colour whose top byte is the alpha, a specular colour
// nobody looks at, and texture coordinates from 0 to 1 across the whole texture.
struct QuadVertex {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float rhw = 1.0f;
    std::uint32_t diffuse = 0xFFFFFFFFu;
    std::uint32_t specular = 0;
    float u = 0.0f;
    float v = 0.0f;
};

// Blend factors, numbered the way the game asks for them.
enum BlendFactor : int {
    BlendZero = 1,
    BlendOne = 2,
    BlendSourceColour = 3,
    BlendOneMinusSourceColour = 4,
    BlendSourceAlpha = 5,
    BlendOneMinusSourceAlpha = 6,
    BlendDestAlpha = 7,
    BlendOneMinusDestAlpha = 8,
    BlendDestColour = 9,
    BlendOneMinusDestColour = 10,
    BlendSourceAlphaSaturated = 11,
};

constexpr bool IsBlendFactor(int factor) {
    return factor >= BlendZero && factor <= BlendSourceAlphaSaturated;
}

// How a quad is put on the target: blend = source x sourceFactor + dest x destFactor,
// nearest texel sampling, or bilinear where the picture is magnified (nearest where it is
// drawn smaller than its texture).
struct QuadRasterState {
    int sourceFactor = BlendSourceAlpha;
    int destFactor = BlendOneMinusSourceAlpha;
    bool linearFiltering = false;
};

// Draws the four corners (top-left, top-right, bottom-left, bottom-right) as the strip of
// triangles (0, 1, 2) and (1, 3, 2) onto the target, clipped to it. Both triangles are
// drawn whatever their winding. Pixel and texel centres sit at +0.5; a pixel whose centre
// lies on an edge belongs to the triangle on its right or below it, so neighbouring
// triangles never draw a pixel twice nor leave a gap. Texels whose colour is black are
// not drawn. The alpha (0..255) is the source alpha for the blend; the target has no
// alpha of its own, so destination alpha counts as fully opaque.
void RasteriseQuad(runtime::screen::Surface& target, const runtime::screen::Surface& texture,
                   const QuadVertex (&corners)[4], int alpha, const QuadRasterState& state);

// Prepared glows. Scales texels (as a glow-blended quad at alpha 255 leaves them on black)
// by an alpha, exactly as the glow blend does.
void ScaleByAlpha(const std::uint32_t* texels, std::uint32_t* out, std::size_t count, int alpha);

// The columns [first, end) of a picture row that hold anything but black.
struct PictureRow {
    std::uint16_t first = 0;
    std::uint16_t end = 0;
};

// Finds each row's PictureRow (first = end for a black row). Sides up to 65535.
void FindPictureRows(const std::uint32_t* picture, int width, int height, PictureRow* rows);

// Adds a width x height picture at (x, y) onto the target byte by byte, saturating at 255:
// the glow blend of texels already scaled by their alpha. A picture whose top bytes are 0
// leaves the target's unused byte as it was, and its black pixels change nothing, so only
// each row's part from FindPictureRows is added. What lies outside the target is skipped.
void AddPicture(runtime::screen::Surface& target, const std::uint32_t* picture,
                const PictureRow* rows, int width, int height, int x, int y);

}  // namespace runtime::quads
