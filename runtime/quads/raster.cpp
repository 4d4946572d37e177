#include "runtime/quads/raster.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <type_traits>
#include <utility>

namespace runtime::quads {
namespace {

using runtime::screen::Surface;

constexpr std::uint32_t kColourBits = 0x00FFFFFFu;
constexpr std::uint32_t kUnusedByte = 0xFF000000u;
constexpr std::uint32_t kRedBlue = 0x00FF00FFu;
// Texture coordinates step across a span in 32.32 fixed point: exact for unscaled quads,
// and far finer than a texel for anything the screen can show.
constexpr double kFixedOne = 4294967296.0;
constexpr std::int64_t kFixedHalf = std::int64_t(1) << 31;

// A corner in pixels, its texture coordinates already in texels.
struct Corner {
    double x, y, u, v;
};

struct TextureView {
    const std::uint32_t* pixels;
    int width;
    int height;

    const std::uint32_t* Row(int y) const { return pixels + std::size_t(y) * std::size_t(width); }
};

// Rounded x / 255 for x up to 255 * 255 (exact for every such x).
constexpr std::uint32_t Div255(std::uint32_t x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

// The same on the red and blue lanes of a pixel at once; each lane holds up to 255 * 255.
constexpr std::uint32_t Div255Lanes(std::uint32_t lanes) {
    lanes += 0x00800080u;
    return ((lanes + ((lanes >> 8) & kRedBlue)) >> 8) & kRedBlue;
}

// Colour times alpha / 255, rounded, per channel.
constexpr std::uint32_t ScaleColour(std::uint32_t colour, std::uint32_t alpha) {
    const std::uint32_t rb = Div255Lanes((colour & kRedBlue) * alpha);
    const std::uint32_t g = Div255(((colour >> 8) & 0xFFu) * alpha);
    return rb | (g << 8);
}

// a + (b - a) * f / 256 per channel, f from 0 to 255.
constexpr std::uint32_t LerpColour(std::uint32_t a, std::uint32_t b, std::uint32_t f) {
    const std::uint32_t keep = 256 - f;
    const std::uint32_t rb = (((a & kRedBlue) * keep + (b & kRedBlue) * f) >> 8) & kRedBlue;
    const std::uint32_t g = (((a >> 8) & 0xFFu) * keep + ((b >> 8) & 0xFFu) * f) >> 8;
    return rb | (g << 8);
}

int ClampIndex(std::int64_t fixed, int size) {
    const std::int64_t whole = fixed >> 32;
    if (whole < 0) return 0;
    if (whole >= size) return size - 1;
    return int(whole);
}

// --- Samplers: fetch the texel for a pixel, false where the colour key hides it. -----

struct NearestSampler {
    static bool Fetch(const TextureView& t, std::int64_t u, std::int64_t v, std::uint32_t& out) {
        out = t.Row(ClampIndex(v, t.height))[ClampIndex(u, t.width)];
        return (out & kColourBits) != 0;
    }
};

// Bilinear with clamped edges. A pixel is keyed out when the texel nearest to it is black,
// so the outline of a picture stays where nearest sampling puts it; black neighbours
// still darken the rim a little, as on the cards the game was made for.
struct BilinearSampler {
    static bool Fetch(const TextureView& t, std::int64_t u, std::int64_t v, std::uint32_t& out) {
        if ((t.Row(ClampIndex(v, t.height))[ClampIndex(u, t.width)] & kColourBits) == 0) {
            return false;
        }
        const std::int64_t bu = u - kFixedHalf;
        const std::int64_t bv = v - kFixedHalf;
        const std::uint32_t fu = std::uint32_t(bu >> 24) & 0xFFu;
        const std::uint32_t fv = std::uint32_t(bv >> 24) & 0xFFu;
        const int u0 = ClampIndex(bu, t.width);
        const int u1 = ClampIndex(bu + (std::int64_t(1) << 32), t.width);
        const std::uint32_t* r0 = t.Row(ClampIndex(bv, t.height));
        const std::uint32_t* r1 = t.Row(ClampIndex(bv + (std::int64_t(1) << 32), t.height));
        out = LerpColour(LerpColour(r0[u0], r0[u1], fu), LerpColour(r1[u0], r1[u1], fu), fv);
        return true;
    }
};

// --- Blenders: source texel and destination pixel in, new destination pixel out. -----
// The destination's unused top byte is left as it was.

// Source alpha, destination alpha: with an opaque target this adds the texel scaled by
// alpha, saturating. Every glow in the game is drawn this way.
struct AddBlend {
    std::uint32_t alpha;
    std::uint32_t operator()(std::uint32_t s, std::uint32_t d) const {
        const std::uint32_t add = ScaleColour(s, alpha);
        std::uint32_t rb = (d & kRedBlue) + (add & kRedBlue);
        rb = (rb | (((rb & 0x01000100u) >> 8) * 0xFFu)) & kRedBlue;
        const std::uint32_t g =
            std::min<std::uint32_t>(((d >> 8) & 0xFFu) + ((add >> 8) & 0xFFu), 255u);
        return (d & kUnusedByte) | rb | (g << 8);
    }
};

// Source alpha, one minus source alpha: ordinary translucency.
struct AlphaBlend {
    std::uint32_t alpha;
    std::uint32_t operator()(std::uint32_t s, std::uint32_t d) const {
        const std::uint32_t keep = 255 - alpha;
        const std::uint32_t rb = Div255Lanes((s & kRedBlue) * alpha + (d & kRedBlue) * keep);
        const std::uint32_t g = Div255(((s >> 8) & 0xFFu) * alpha + ((d >> 8) & 0xFFu) * keep);
        return (d & kUnusedByte) | rb | (g << 8);
    }
};

struct CopyBlend {
    std::uint32_t operator()(std::uint32_t s, std::uint32_t d) const {
        return (d & kUnusedByte) | (s & kColourBits);
    }
};

// Any pair of factors, channel by channel, in units of 1/255.
struct GenericBlend {
    int source;
    int dest;
    std::uint32_t alpha;

    std::uint32_t Factor(int factor, std::uint32_t s, std::uint32_t d) const {
        switch (factor) {
            case BlendOne:
            case BlendDestAlpha:  // the target has no alpha: it reads as opaque
                return 255;
            case BlendSourceColour:
                return s;
            case BlendOneMinusSourceColour:
                return 255 - s;
            case BlendSourceAlpha:
                return alpha;
            case BlendOneMinusSourceAlpha:
                return 255 - alpha;
            case BlendDestColour:
                return d;
            case BlendOneMinusDestColour:
                return 255 - d;
            default:  // zero, one minus destination alpha, and min(alpha, 1 - dest alpha)
                return 0;
        }
    }

    std::uint32_t operator()(std::uint32_t s, std::uint32_t d) const {
        std::uint32_t out = d & kUnusedByte;
        for (int shift = 0; shift < 24; shift += 8) {
            const std::uint32_t sc = (s >> shift) & 0xFFu;
            const std::uint32_t dc = (d >> shift) & 0xFFu;
            std::uint32_t x = sc * Factor(source, sc, dc) + dc * Factor(dest, sc, dc);
            x = std::min<std::uint32_t>(x, 255u * 255u);
            out |= Div255(x) << shift;
        }
        return out;
    }
};

// --- Spans ------------------------------------------------------------------------------

template <class Sampler, class Blender>
void DrawSpan(std::uint32_t* out, int count, std::int64_t u, std::int64_t v, std::int64_t du,
              std::int64_t dv, const TextureView& t, const Blender& blend) {
    if constexpr (std::is_same_v<Sampler, NearestSampler>) {
        // Axis-aligned quads keep one texture row per span; when the whole span stays
        // inside the texture the clamping can go too.
        if (dv == 0) {
            const std::uint32_t* row = t.Row(ClampIndex(v, t.height));
            const std::int64_t last = u + du * (count - 1);
            if ((u >> 32) >= 0 && (u >> 32) < t.width && (last >> 32) >= 0 &&
                (last >> 32) < t.width) {
                for (int i = 0; i < count; ++i, u += du) {
                    const std::uint32_t texel = row[u >> 32];
                    if ((texel & kColourBits) != 0) out[i] = blend(texel, out[i]);
                }
            } else {
                for (int i = 0; i < count; ++i, u += du) {
                    const std::uint32_t texel = row[ClampIndex(u, t.width)];
                    if ((texel & kColourBits) != 0) out[i] = blend(texel, out[i]);
                }
            }
            return;
        }
    }
    for (int i = 0; i < count; ++i, u += du, v += dv) {
        std::uint32_t texel;
        if (Sampler::Fetch(t, u, v, texel)) out[i] = blend(texel, out[i]);
    }
}

// NaN and anything outside [lo, hi] end up inside it.
double Confine(double value, double lo, double hi) {
    if (!(value >= lo)) return lo;
    if (!(value <= hi)) return hi;
    return value;
}

std::int64_t ToFixed(double texels) {
    return std::int64_t(std::floor(texels * kFixedOne + 0.5));
}

// Where an edge crosses the row centre cy. The edge is always walked from the same end,
// so the two triangles that share it get the very same answer and split its pixels
// between them exactly.
double EdgeX(const Corner& p, const Corner& q, double cy) {
    const Corner* a = &p;
    const Corner* b = &q;
    if (b->y < a->y || (b->y == a->y && b->x < a->x)) std::swap(a, b);
    return a->x + ((cy - a->y) * (b->x - a->x)) / (b->y - a->y);
}

template <class Sampler, class Blender>
void DrawTriangle(Surface& target, const TextureView& t, const Corner& p0, const Corner& p1,
                  const Corner& p2, const Blender& blend) {
    const double area = (p1.x - p0.x) * (p2.y - p0.y) - (p2.x - p0.x) * (p1.y - p0.y);
    if (area == 0.0 || !std::isfinite(area)) return;
    // Texture coordinates are affine over the triangle: one plane each for u and v.
    const double dudx = ((p1.u - p0.u) * (p2.y - p0.y) - (p2.u - p0.u) * (p1.y - p0.y)) / area;
    const double dudy = ((p2.u - p0.u) * (p1.x - p0.x) - (p1.u - p0.u) * (p2.x - p0.x)) / area;
    const double dvdx = ((p1.v - p0.v) * (p2.y - p0.y) - (p2.v - p0.v) * (p1.y - p0.y)) / area;
    const double dvdy = ((p2.v - p0.v) * (p1.x - p0.x) - (p1.v - p0.v) * (p2.x - p0.x)) / area;
    if (!std::isfinite(dudx) || !std::isfinite(dudy) || !std::isfinite(dvdx) ||
        !std::isfinite(dvdy)) {
        return;
    }

    const Corner* top = &p0;
    const Corner* mid = &p1;
    const Corner* bottom = &p2;
    if (mid->y < top->y) std::swap(mid, top);
    if (bottom->y < mid->y) std::swap(bottom, mid);
    if (mid->y < top->y) std::swap(mid, top);

    // Rows whose centre lies in [top, bottom): the top edge is in, the bottom edge out.
    const double width = target.width;
    const double height = target.height;
    const int firstRow = int(Confine(std::ceil(top->y - 0.5), 0.0, height));
    const int endRow = int(Confine(std::ceil(bottom->y - 0.5), 0.0, height));
    const double maxU = t.width + 1.0;
    const double maxV = t.height + 1.0;

    for (int py = firstRow; py < endRow; ++py) {
        const double cy = py + 0.5;
        double left = EdgeX(*top, *bottom, cy);
        double right = cy < mid->y ? EdgeX(*top, *mid, cy) : EdgeX(*mid, *bottom, cy);
        if (right < left) std::swap(left, right);
        // Columns whose centre lies in [left, right): the left edge is in, the right out.
        const int x0 = int(Confine(std::ceil(left - 0.5), 0.0, width));
        const int x1 = int(Confine(std::ceil(right - 0.5), 0.0, width));
        if (x0 >= x1) continue;

        const double rowU = p0.u + dudy * (cy - p0.y);
        const double rowV = p0.v + dvdy * (cy - p0.y);
        const double firstX = x0 + 0.5 - p0.x;
        const double lastX = x1 - 0.5 - p0.x;
        const std::int64_t u = ToFixed(Confine(rowU + dudx * firstX, -1.0, maxU));
        const std::int64_t v = ToFixed(Confine(rowV + dvdx * firstX, -1.0, maxV));
        const std::int64_t uEnd = ToFixed(Confine(rowU + dudx * lastX, -1.0, maxU));
        const std::int64_t vEnd = ToFixed(Confine(rowV + dvdx * lastX, -1.0, maxV));
        const int count = x1 - x0;
        const std::int64_t du = count > 1 ? (uEnd - u) / (count - 1) : 0;
        const std::int64_t dv = count > 1 ? (vEnd - v) / (count - 1) : 0;
        DrawSpan<Sampler>(target.Row(py) + x0, count, u, v, du, dv, t, blend);
    }
}

template <class Sampler, class Blender>
void DrawStrip(Surface& target, const TextureView& t, const Corner (&c)[4], const Blender& blend) {
    DrawTriangle<Sampler>(target, t, c[0], c[1], c[2], blend);
    DrawTriangle<Sampler>(target, t, c[1], c[3], c[2], blend);
}

template <class Blender>
void DrawWithSampler(Surface& target, const TextureView& t, const Corner (&c)[4], bool linear,
                     const Blender& blend) {
    if (linear) {
        DrawStrip<BilinearSampler>(target, t, c, blend);
    } else {
        DrawStrip<NearestSampler>(target, t, c, blend);
    }
}

}  // namespace

void RasteriseQuad(Surface& target, const Surface& texture, const QuadVertex (&corners)[4],
                   int alpha, const QuadRasterState& state) {
    if (target.width <= 0 || target.height <= 0 || texture.width <= 0 || texture.height <= 0) {
        return;
    }
    if (target.pixels.size() < std::size_t(target.width) * std::size_t(target.height) ||
        texture.pixels.size() < std::size_t(texture.width) * std::size_t(texture.height)) {
        return;
    }
    Corner c[4];
    for (int i = 0; i < 4; ++i) {
        const QuadVertex& q = corners[i];
        if (!std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.u) ||
            !std::isfinite(q.v)) {
            return;
        }
        c[i] = {q.x, q.y, double(q.u) * texture.width, double(q.v) * texture.height};
    }
    const TextureView t{texture.pixels.data(), texture.width, texture.height};
    const std::uint32_t a = std::uint32_t(alpha) & 0xFFu;
    const bool linear = state.linearFiltering;
    const int src = state.sourceFactor;
    const int dst = state.destFactor;

    if (src == BlendSourceAlpha && dst == BlendDestAlpha) {
        if (a != 0) DrawWithSampler(target, t, c, linear, AddBlend{a});
    } else if (src == BlendSourceAlpha && dst == BlendOneMinusSourceAlpha) {
        if (a == 255) {
            DrawWithSampler(target, t, c, linear, CopyBlend{});
        } else if (a != 0) {
            DrawWithSampler(target, t, c, linear, AlphaBlend{a});
        }
    } else if (src == BlendOne && dst == BlendZero) {
        DrawWithSampler(target, t, c, linear, CopyBlend{});
    } else {
        DrawWithSampler(target, t, c, linear, GenericBlend{src, dst, a});
    }
}

}  // namespace runtime::quads
