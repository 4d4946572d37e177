#include "runtime/quads/raster.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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
constexpr std::int64_t kFixedStep = std::int64_t(1) << 32;  // one texel

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

// --- Samplers --------------------------------------------------------------------------
// Each fetches the texel for a pixel, false where the colour key hides it. The Inside
// variants skip the clamping and serve the pixels known to sample inside the texture.

template <bool Inside>
std::uint32_t NearestTexel(const TextureView& t, std::int64_t u, std::int64_t v) {
    if constexpr (Inside) {
        return t.Row(int(v >> 32))[u >> 32];
    } else {
        return t.Row(ClampIndex(v, t.height))[ClampIndex(u, t.width)];
    }
}

// The four texels round a pixel, its weights, and whether the nearest texel is not black.
struct TexelSquare {
    std::uint32_t c00, c10, c01, c11, fu, fv, keep;
};

template <bool Inside>
TexelSquare BilinearTexels(const TextureView& t, std::int64_t u, std::int64_t v) {
    const std::int64_t bu = u - kFixedHalf;
    const std::int64_t bv = v - kFixedHalf;
    TexelSquare q;
    q.fu = std::uint32_t(bu >> 24) & 0xFFu;
    q.fv = std::uint32_t(bv >> 24) & 0xFFu;
    std::uint32_t nearest;
    if constexpr (Inside) {
        // The whole square lies in the texture; the nearest texel is one of its corners.
        const std::uint32_t* p = t.Row(int(bv >> 32)) + (bu >> 32);
        const std::size_t below = std::size_t(t.width);
        q.c00 = p[0];
        q.c10 = p[1];
        q.c01 = p[below];
        q.c11 = p[below + 1];
        nearest = p[(q.fv >> 7) * below + (q.fu >> 7)];
    } else {
        const std::uint32_t* r0 = t.Row(ClampIndex(bv, t.height));
        const std::uint32_t* r1 = t.Row(ClampIndex(bv + (std::int64_t(1) << 32), t.height));
        const int u0 = ClampIndex(bu, t.width);
        const int u1 = ClampIndex(bu + (std::int64_t(1) << 32), t.width);
        q.c00 = r0[u0];
        q.c10 = r0[u1];
        q.c01 = r1[u0];
        q.c11 = r1[u1];
        nearest = t.Row(ClampIndex(v, t.height))[ClampIndex(u, t.width)];
    }
    q.keep = (nearest & kColourBits) != 0 ? 0xFFFFFFFFu : 0u;
    return q;
}

// Narrows [lo, hi) to the pixels i of a span whose coordinate start + i * step lies in
// [0, limit). The coordinate is linear, so those pixels form one run.
void KeepInside(std::int64_t start, std::int64_t step, std::int64_t limit, int& lo, int& hi) {
    auto inside = [&](int i) {
        const std::int64_t x = start + step * i;
        return x >= 0 && x < limit;
    };
    if (step == 0) {
        if (!inside(0)) hi = lo;
        return;
    }
    // A first guess from floating point, then settled exactly.
    double from = -double(start) / double(step);
    double to = (double(limit) - double(start)) / double(step);
    if (step < 0) std::swap(from, to);
    int first = int(std::clamp(std::ceil(from), double(lo), double(hi)));
    int end = int(std::clamp(std::ceil(to), double(first), double(hi)));
    while (first < end && !inside(first))
        ++first;
    while (first > lo && inside(first - 1))
        --first;
    end = std::max(end, first);
    while (end > first && !inside(end - 1))
        --end;
    while (end < hi && inside(end))
        ++end;
    lo = first;
    hi = end;
}

struct NearestSampler {
    template <bool Inside>
    static bool Fetch(const TextureView& t, std::int64_t u, std::int64_t v, std::uint32_t& out) {
        out = NearestTexel<Inside>(t, u, v);
        return (out & kColourBits) != 0;
    }
    static void Interior(const TextureView& t, std::int64_t u, std::int64_t v, std::int64_t du,
                         std::int64_t dv, int& lo, int& hi) {
        KeepInside(u, du, std::int64_t(t.width) << 32, lo, hi);
        KeepInside(v, dv, std::int64_t(t.height) << 32, lo, hi);
    }
};

// Bilinear with clamped edges. A pixel is keyed out when the texel nearest to it is black,
// so the outline of a picture stays where nearest sampling puts it; black neighbours
// still darken the rim a little, as a 3D card's bilinear filter does.
struct BilinearSampler {
    template <bool Inside>
    static bool Fetch(const TextureView& t, std::int64_t u, std::int64_t v, std::uint32_t& out) {
        const TexelSquare q = BilinearTexels<Inside>(t, u, v);
        out = LerpColour(LerpColour(q.c00, q.c10, q.fu), LerpColour(q.c01, q.c11, q.fu), q.fv);
        return q.keep != 0;
    }
    static void Interior(const TextureView& t, std::int64_t u, std::int64_t v, std::int64_t du,
                         std::int64_t dv, int& lo, int& hi) {
        // All four texels of the square must be in the texture.
        KeepInside(u - kFixedHalf, du, std::int64_t(t.width - 1) << 32, lo, hi);
        KeepInside(v - kFixedHalf, dv, std::int64_t(t.height - 1) << 32, lo, hi);
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

// --- Vector spans, four pixels at a time -----------------------------------------------
// The game draws dozens of additive glows a frame and fades a large logo in with ordinary
// blending, so those blends get a vector path: each colour byte of four pixels in its own
// 16-bit lane. The unused top byte is weighted so that it keeps the target's value.

// These vectors never cross a public interface, so the compilers' notes about their
// calling convention do not apply.
#if defined(__clang__)
#if __has_warning("-Wpsabi")
#pragma clang diagnostic ignored "-Wpsabi"
#endif
#elif defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

typedef std::uint8_t Bytes16 __attribute__((vector_size(16)));
typedef std::uint16_t Lanes16 __attribute__((vector_size(32)));
typedef std::uint32_t Pixels4 __attribute__((vector_size(16)));

constexpr bool kVectorBlends = std::endian::native == std::endian::little;

Pixels4 Load4(const std::uint32_t* p) {
    Pixels4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void Store4(std::uint32_t* p, Pixels4 v) {
    std::memcpy(p, &v, sizeof v);
}

Lanes16 Widen(Pixels4 p) {
    return __builtin_convertvector((Bytes16)p, Lanes16);
}

Pixels4 Narrow(Lanes16 lanes) {
    return (Pixels4) __builtin_convertvector(lanes, Bytes16);
}

// Each pixel's weight (0..255) in all four of its lanes.
Lanes16 SpreadWeights(Pixels4 weights) {
    return Widen(weights * 0x01010101u);
}

// a + (b - a) * f / 256, lane by lane, as LerpColour does.
Lanes16 Lerp4(Lanes16 a, Lanes16 b, Lanes16 f) {
    return (a * (256 - f) + b * f) >> 8;
}

// dst + src * alpha / 255 rounded, saturating; alphaLanes holds 0 for the unused byte.
Pixels4 AddScaled4(Pixels4 dst, Lanes16 src, Lanes16 alphaLanes) {
    Lanes16 add = src * alphaLanes + 128;
    add = (add + (add >> 8)) >> 8;
    Lanes16 sum = Widen(dst) + add;
    sum |= 0 - (sum >> 8);  // past 255 every bit is set: the narrowing keeps 0xFF
    return Narrow(sum);
}

Lanes16 AlphaLanes(std::uint32_t alpha) {
    return Widen(Pixels4{} + (alpha * 0x00010101u));
}

// Source alpha, destination alpha: the glow.
struct AddVector {
    Lanes16 alphaLanes;
    explicit AddVector(std::uint32_t alpha) : alphaLanes(AlphaLanes(alpha)) {}
    Pixels4 Blend(Pixels4 dst, Lanes16 src) const { return AddScaled4(dst, src, alphaLanes); }
    Pixels4 Blend(Pixels4 dst, Pixels4 src) const { return Blend(dst, Widen(src)); }
};

// Full alpha with ordinary blending, or one and zero: the texel replaces the colour.
struct CopyVector {
    Pixels4 Blend(Pixels4 dst, Lanes16 src) const { return Blend(dst, Narrow(src)); }
    Pixels4 Blend(Pixels4 dst, Pixels4 src) const {
        return (src & kColourBits) | (dst & kUnusedByte);
    }
};

// Source alpha, one minus source alpha (alpha 255 is a plain copy).
struct MixVector {
    Lanes16 alphaLanes;
    Lanes16 restLanes;
    explicit MixVector(std::uint32_t alpha)
        : alphaLanes(AlphaLanes(alpha)),
          restLanes(Widen(Pixels4{} + (((255 - alpha) * 0x00010101u) | 0xFF000000u))) {}
    Pixels4 Blend(Pixels4 dst, Lanes16 src) const {
        Lanes16 mix = src * alphaLanes + Widen(dst) * restLanes + 128;
        mix = (mix + (mix >> 8)) >> 8;
        return Narrow(mix);
    }
    Pixels4 Blend(Pixels4 dst, Pixels4 src) const { return Blend(dst, Widen(src)); }
};

// True when some lane is set; two 64-bit halves are cheaper to test than four lanes.
bool Any(Pixels4 lanes) {
    std::uint64_t halves[2];
    std::memcpy(halves, &lanes, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

// Blends four pixels, leaving those whose keep lane is zero as they were.
template <class Vector, class Source>
void BlendKept(std::uint32_t* out, Source src, Pixels4 keep, const Vector& vector) {
    const Pixels4 dst = Load4(out);
    Store4(out, (vector.Blend(dst, src) & keep) | (dst & ~keep));
}

template <bool Inside, class Vector, class Blender>
void VectorNearest(std::uint32_t* out, int count, std::int64_t u, std::int64_t v, std::int64_t du,
                   std::int64_t dv, const TextureView& t, const Vector& vector,
                   const Blender& blend) {
    int i = 0;
    if (Inside && dv == 0 && du == kFixedStep) {
        // A picture at its own size: the texels of a span lie side by side.
        const std::uint32_t* texels = t.Row(int(v >> 32)) + (u >> 32);
        for (; i + 4 <= count; i += 4) {
            const Pixels4 src = Load4(texels + i);
            const Pixels4 keep = (Pixels4)((src & kColourBits) != 0);
            if (!Any(keep)) continue;
            BlendKept(out + i, src, keep, vector);
        }
        u += du * i;
    }
    for (; i + 4 <= count; i += 4) {
        Pixels4 src;
        if (Inside && dv == 0) {
            // Axis-aligned: one texture row for the whole span.
            const std::uint32_t* row = t.Row(int(v >> 32));
            for (int k = 0; k < 4; ++k, u += du)
                src[k] = row[u >> 32];
        } else {
            for (int k = 0; k < 4; ++k, u += du, v += dv)
                src[k] = NearestTexel<Inside>(t, u, v);
        }
        const Pixels4 keep = (Pixels4)((src & kColourBits) != 0);
        if (!Any(keep)) continue;
        BlendKept(out + i, src, keep, vector);
    }
    for (; i < count; ++i, u += du, v += dv) {
        const std::uint32_t texel = NearestTexel<Inside>(t, u, v);
        if ((texel & kColourBits) != 0) out[i] = blend(texel, out[i]);
    }
}

template <bool Inside, class Vector, class Blender>
void VectorBilinear(std::uint32_t* out, int count, std::int64_t u, std::int64_t v, std::int64_t du,
                    std::int64_t dv, const TextureView& t, const Vector& vector,
                    const Blender& blend) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        Pixels4 c00, c10, c01, c11, fu, fv, keep;
        for (int k = 0; k < 4; ++k, u += du, v += dv) {
            const TexelSquare q = BilinearTexels<Inside>(t, u, v);
            c00[k] = q.c00, c10[k] = q.c10, c01[k] = q.c01, c11[k] = q.c11;
            fu[k] = q.fu, fv[k] = q.fv, keep[k] = q.keep;
        }
        if (!Any(keep)) continue;
        const Lanes16 wu = SpreadWeights(fu);
        const Lanes16 src = Lerp4(Lerp4(Widen(c00), Widen(c10), wu),
                                  Lerp4(Widen(c01), Widen(c11), wu), SpreadWeights(fv));
        BlendKept(out + i, src, keep, vector);
    }
    for (; i < count; ++i, u += du, v += dv) {
        std::uint32_t texel;
        if (BilinearSampler::Fetch<Inside>(t, u, v, texel)) out[i] = blend(texel, out[i]);
    }
}

template <class Sampler, bool Inside, class Vector, class Blender>
void VectorRun(std::uint32_t* out, int count, std::int64_t u, std::int64_t v, std::int64_t du,
               std::int64_t dv, const TextureView& t, const Vector& vector, const Blender& blend) {
    if constexpr (std::is_same_v<Sampler, NearestSampler>) {
        VectorNearest<Inside>(out, count, u, v, du, dv, t, vector, blend);
    } else {
        VectorBilinear<Inside>(out, count, u, v, du, dv, t, vector, blend);
    }
}

// --- Spans ------------------------------------------------------------------------------

template <class Sampler, bool Inside, class Blender>
void DrawRun(std::uint32_t* out, int count, std::int64_t u, std::int64_t v, std::int64_t du,
             std::int64_t dv, const TextureView& t, const Blender& blend) {
    if constexpr (kVectorBlends && std::is_same_v<Blender, AddBlend>) {
        VectorRun<Sampler, Inside>(out, count, u, v, du, dv, t, AddVector(blend.alpha), blend);
    } else if constexpr (kVectorBlends && std::is_same_v<Blender, AlphaBlend>) {
        VectorRun<Sampler, Inside>(out, count, u, v, du, dv, t, MixVector(blend.alpha), blend);
    } else if constexpr (kVectorBlends && std::is_same_v<Blender, CopyBlend>) {
        VectorRun<Sampler, Inside>(out, count, u, v, du, dv, t, CopyVector{}, blend);
    } else {
        for (int i = 0; i < count; ++i, u += du, v += dv) {
            std::uint32_t texel;
            if (Sampler::template Fetch<Inside>(t, u, v, texel)) out[i] = blend(texel, out[i]);
        }
    }
}

// True when every pixel of the span samples a texel centre: bilinear weights are then all
// zero and it reads exactly the texel nearest sampling reads.
bool OnTexelCentres(std::int64_t u, std::int64_t v, std::int64_t du, std::int64_t dv) {
    constexpr std::int64_t kFraction = (std::int64_t(1) << 32) - 1;
    return (u & kFraction) == kFixedHalf && (v & kFraction) == kFixedHalf &&
           (du & kFraction) == 0 && (dv & kFraction) == 0;
}

// A span of a row: the pixels sampling inside the texture go through the unclamped run,
// the few at its ends (where a turned quad's edge meets the texture's) through the other.
template <class Sampler, class Blender>
void DrawSpan(std::uint32_t* out, int count, std::int64_t u, std::int64_t v, std::int64_t du,
              std::int64_t dv, const TextureView& t, const Blender& blend) {
    if constexpr (std::is_same_v<Sampler, BilinearSampler>) {
        // A picture drawn at its own size on whole pixels.
        if (OnTexelCentres(u, v, du, dv)) {
            DrawSpan<NearestSampler>(out, count, u, v, du, dv, t, blend);
            return;
        }
    }
    int lo = 0;
    int hi = count;
    Sampler::Interior(t, u, v, du, dv, lo, hi);
    if (lo >= hi) {
        DrawRun<Sampler, false>(out, count, u, v, du, dv, t, blend);
        return;
    }
    DrawRun<Sampler, false>(out, lo, u, v, du, dv, t, blend);
    DrawRun<Sampler, true>(out + lo, hi - lo, u + du * lo, v + dv * lo, du, dv, t, blend);
    DrawRun<Sampler, false>(out + hi, count - hi, u + du * hi, v + dv * hi, du, dv, t, blend);
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

// A triangle edge, always taken from the same end (the upper one, or the left one when
// level), so two triangles that share it find the very same crossing on every row and
// split its pixels between them exactly.
struct Edge {
    double x, y, slope;

    Edge(const Corner& p, const Corner& q) {
        const Corner* a = &p;
        const Corner* b = &q;
        if (b->y < a->y || (b->y == a->y && b->x < a->x)) std::swap(a, b);
        x = a->x;
        y = a->y;
        slope = b->y > a->y ? (b->x - a->x) / (b->y - a->y) : 0.0;
    }
    double At(double cy) const { return x + (cy - y) * slope; }
};

// Texture steps, in texels, for one pixel to the right (dudx, dvdx) and one down.
struct TexturePlane {
    double dudx, dudy, dvdx, dvdy;
};

// Texture coordinates are affine over a triangle: one plane each for u and v. False for
// a triangle with no area or with steps that are not numbers.
bool MakePlane(const Corner& p0, const Corner& p1, const Corner& p2, TexturePlane& plane) {
    const double area = (p1.x - p0.x) * (p2.y - p0.y) - (p2.x - p0.x) * (p1.y - p0.y);
    if (area == 0.0 || !std::isfinite(area)) return false;
    plane.dudx = ((p1.u - p0.u) * (p2.y - p0.y) - (p2.u - p0.u) * (p1.y - p0.y)) / area;
    plane.dudy = ((p2.u - p0.u) * (p1.x - p0.x) - (p1.u - p0.u) * (p2.x - p0.x)) / area;
    plane.dvdx = ((p1.v - p0.v) * (p2.y - p0.y) - (p2.v - p0.v) * (p1.y - p0.y)) / area;
    plane.dvdy = ((p2.v - p0.v) * (p1.x - p0.x) - (p1.v - p0.v) * (p2.x - p0.x)) / area;
    return std::isfinite(plane.dudx) && std::isfinite(plane.dudy) && std::isfinite(plane.dvdx) &&
           std::isfinite(plane.dvdy);
}

// Filtering smooths only magnified pixels, as a device with just a magnification filter set
// does. The footprint is constant over a triangle, so each triangle decides for its pixels.
// Rule: minified where one pixel step along x or along y spans more than 2^(1/64) texels.
// (That small margin lets rounding and a turned picture's slightly-off square corners pass.)
bool Minified(const TexturePlane& p) {
    const double alongX = p.dudx * p.dudx + p.dvdx * p.dvdx;
    const double alongY = p.dudy * p.dudy + p.dvdy * p.dvdy;
    static const double limit = std::exp2(2.0 / 64.0);  // squared lengths
    return std::max(alongX, alongY) > limit;
}

template <class Sampler, class Blender>
void DrawTriangle(Surface& target, const TextureView& t, const Corner& p0, const Corner& p1,
                  const Corner& p2, const TexturePlane& plane, const Blender& blend) {
    const double dudx = plane.dudx, dudy = plane.dudy, dvdx = plane.dvdx, dvdy = plane.dvdy;
    // Steps per pixel, bounded so a sliver of a triangle cannot run the sums away.
    const double maxStep = double(std::max(t.width, t.height)) + 2.0;
    const std::int64_t du = ToFixed(Confine(dudx, -maxStep, maxStep));
    const std::int64_t dv = ToFixed(Confine(dvdx, -maxStep, maxStep));

    const Corner* top = &p0;
    const Corner* mid = &p1;
    const Corner* bottom = &p2;
    if (mid->y < top->y) std::swap(mid, top);
    if (bottom->y < mid->y) std::swap(bottom, mid);
    if (mid->y < top->y) std::swap(mid, top);
    const Edge longEdge(*top, *bottom);
    const Edge upperEdge(*top, *mid);
    const Edge lowerEdge(*mid, *bottom);

    // Rows whose centre lies in [top, bottom): the top edge is in, the bottom edge out.
    const double width = target.width;
    const double height = target.height;
    const int firstRow = int(Confine(std::ceil(top->y - 0.5), 0.0, height));
    const int endRow = int(Confine(std::ceil(bottom->y - 0.5), 0.0, height));
    const double maxU = t.width + 1.0;
    const double maxV = t.height + 1.0;

    for (int py = firstRow; py < endRow; ++py) {
        const double cy = py + 0.5;
        double left = longEdge.At(cy);
        double right = cy < mid->y ? upperEdge.At(cy) : lowerEdge.At(cy);
        if (right < left) std::swap(left, right);
        // Columns whose centre lies in [left, right): the left edge is in, the right out.
        const int x0 = int(Confine(std::ceil(left - 0.5), 0.0, width));
        const int x1 = int(Confine(std::ceil(right - 0.5), 0.0, width));
        if (x0 >= x1) continue;

        const double dx = x0 + 0.5 - p0.x;
        const double dy = cy - p0.y;
        const std::int64_t u = ToFixed(Confine(p0.u + dudx * dx + dudy * dy, -1.0, maxU));
        const std::int64_t v = ToFixed(Confine(p0.v + dvdx * dx + dvdy * dy, -1.0, maxV));
        const int count = x1 - x0;
        // Only an absurdly large texture squeezed across a very wide target could carry
        // the sums out of range; such a span shows one texel instead.
        const bool tame = (std::abs(double(du)) + std::abs(double(dv))) * count < 0x1p60;
        DrawSpan<Sampler>(target.Row(py) + x0, count, u, v, tame ? du : 0, tame ? dv : 0, t, blend);
    }
}

template <class Blender>
void DrawTriangle(Surface& target, const TextureView& t, const Corner& p0, const Corner& p1,
                  const Corner& p2, bool linear, const Blender& blend) {
    TexturePlane plane;
    if (!MakePlane(p0, p1, p2, plane)) return;
    if (linear && !Minified(plane)) {
        DrawTriangle<BilinearSampler>(target, t, p0, p1, p2, plane, blend);
    } else {
        DrawTriangle<NearestSampler>(target, t, p0, p1, p2, plane, blend);
    }
}

// The whole picture upright at its own size with its corners on whole pixels: each pixel
// takes the texel under it, whichever the filter, and the two triangles make a rectangle.
bool UprightAtOwnSize(const TextureView& t, const Corner (&c)[4]) {
    const double x = c[0].x, y = c[0].y, w = t.width, h = t.height;
    auto is = [](const Corner& k, double kx, double ky, double ku, double kv) {
        return k.x == kx && k.y == ky && k.u == ku && k.v == kv;
    };
    return x == std::floor(x) && y == std::floor(y) && is(c[0], x, y, 0, 0) &&
           is(c[1], x + w, y, w, 0) && is(c[2], x, y + h, 0, h) && is(c[3], x + w, y + h, w, h);
}

template <class Blender>
void DrawUpright(Surface& target, const TextureView& t, double x, double y, const Blender& blend) {
    const double left = std::max(x, 0.0), right = std::min(x + t.width, double(target.width));
    const double top = std::max(y, 0.0), bottom = std::min(y + t.height, double(target.height));
    if (left >= right || top >= bottom) return;
    const int x0 = int(left), x1 = int(right), y0 = int(top), y1 = int(bottom);
    const std::int64_t u = (std::int64_t(x0 - x) << 32) + kFixedHalf;
    for (int py = y0; py < y1; ++py) {
        const std::int64_t v = (std::int64_t(py - y) << 32) + kFixedHalf;
        DrawRun<NearestSampler, true>(target.Row(py) + x0, x1 - x0, u, v, kFixedStep, 0, t, blend);
    }
}

template <class Blender>
void DrawWithSampler(Surface& target, const TextureView& t, const Corner (&c)[4], bool linear,
                     const Blender& blend) {
    if (UprightAtOwnSize(t, c)) {
        DrawUpright(target, t, c[0].x, c[0].y, blend);
        return;
    }
    DrawTriangle(target, t, c[0], c[1], c[2], linear, blend);
    DrawTriangle(target, t, c[1], c[3], c[2], linear, blend);
}

}  // namespace

void ScaleByAlpha(const std::uint32_t* texels, std::uint32_t* out, std::size_t count, int alpha) {
    const std::uint32_t a = std::uint32_t(alpha) & 0xFFu;
    for (std::size_t i = 0; i < count; ++i)
        out[i] = ScaleColour(texels[i], a);
}

namespace {

// One pixel's bytes added with saturation.
std::uint32_t AddBytes(std::uint32_t a, std::uint32_t b) {
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t sum = ((a >> shift) & 0xFFu) + ((b >> shift) & 0xFFu);
        result |= std::min<std::uint32_t>(sum, 255u) << shift;
    }
    return result;
}

// Where a picture's rows are added: each row's part that is not black, cut to the columns
// on the target. out is the target's first row, x the picture's left edge in it.
struct RowsToAdd {
    std::uint32_t* out;
    std::size_t outPitch;
    int x;
    const std::uint32_t* in;
    std::size_t inPitch;
    const PictureRow* spans;
    int lo, hi;  // the picture's columns on the target
    int rows;
};

using AddRowsFunction = void (*)(const RowsToAdd& r);

// Each row's part that lies on the target: where it starts in the target row and in the
// picture row, and how many pixels it has (0 for none).
struct RowPart {
    std::uint32_t* out;
    const std::uint32_t* in;
    int count;
};

inline RowPart PartOfRow(const RowsToAdd& r, int row) {
    std::uint32_t* out = r.out + std::size_t(row) * r.outPitch;
    const std::uint32_t* in = r.in + std::size_t(row) * r.inPitch;
    const int first = std::max<int>(r.spans[row].first, r.lo);
    const int end = std::min<int>(r.spans[row].end, r.hi);
    if (first >= end) return {out, in, 0};
    return {out + (r.x + first), in + first, end - first};
}

#if defined(__x86_64__)
// The processor's own saturating byte add: 32 bytes at a time with AVX2, 16 with SSE2,
// which every x86-64 processor has.
__attribute__((target("avx2"))) void AddRowsAvx2(const RowsToAdd& r) {
    for (int row = 0; row < r.rows; ++row) {
        const RowPart part = PartOfRow(r, row);
        int i = 0;
        for (; i + 8 <= part.count; i += 8) {
            const auto* d = reinterpret_cast<const __m256i*>(part.out + i);
            const auto* p = reinterpret_cast<const __m256i*>(part.in + i);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(part.out + i),
                                _mm256_adds_epu8(_mm256_loadu_si256(d), _mm256_loadu_si256(p)));
        }
        for (; i < part.count; ++i)
            part.out[i] = AddBytes(part.out[i], part.in[i]);
    }
}

void AddRowsSse2(const RowsToAdd& r) {
    for (int row = 0; row < r.rows; ++row) {
        const RowPart part = PartOfRow(r, row);
        int i = 0;
        for (; i + 4 <= part.count; i += 4) {
            const auto* d = reinterpret_cast<const __m128i*>(part.out + i);
            const auto* p = reinterpret_cast<const __m128i*>(part.in + i);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(part.out + i),
                             _mm_adds_epu8(_mm_loadu_si128(d), _mm_loadu_si128(p)));
        }
        for (; i < part.count; ++i)
            part.out[i] = AddBytes(part.out[i], part.in[i]);
    }
}

AddRowsFunction ChooseAddRows() {
    return __builtin_cpu_supports("avx2") ? AddRowsAvx2 : AddRowsSse2;
}
#else
void AddRowsPlain(const RowsToAdd& r) {
    for (int row = 0; row < r.rows; ++row) {
        const RowPart part = PartOfRow(r, row);
        for (int i = 0; i < part.count; ++i)
            part.out[i] = AddBytes(part.out[i], part.in[i]);
    }
}

AddRowsFunction ChooseAddRows() {
    return AddRowsPlain;
}
#endif

const AddRowsFunction AddRows = ChooseAddRows();

}  // namespace

void FindPictureRows(const std::uint32_t* picture, int width, int height, PictureRow* rows) {
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = picture + std::size_t(y) * std::size_t(width);
        int first = 0, end = width;
        while (first < end && row[first] == 0)
            ++first;
        while (end > first && row[end - 1] == 0)
            --end;
        rows[y] = {std::uint16_t(first), std::uint16_t(end)};
    }
}

void AddPicture(Surface& target, const std::uint32_t* picture, const PictureRow* rows, int width,
                int height, int x, int y) {
    const int x0 = std::max(x, 0), x1 = std::min(x + width, target.width);
    const int y0 = std::max(y, 0), y1 = std::min(y + height, target.height);
    if (x0 >= x1 || y0 >= y1) return;
    AddRows({target.Row(y0), std::size_t(target.width), x,
             picture + std::size_t(y0 - y) * std::size_t(width), std::size_t(width),
             rows + (y0 - y), x0 - x, x1 - x, y1 - y0});
}

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
