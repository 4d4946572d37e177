#include "runtime/quads/raster.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using runtime::quads::QuadRasterState;
using runtime::quads::QuadVertex;
using runtime::quads::RasteriseQuad;
using runtime::screen::Surface;

constexpr std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (r << 16) | (g << 8) | b;
}

// Corners of a w x h rectangle centred on (cx, cy) and turned, texture over all of it.
void Turned(QuadVertex (&q)[4], double cx, double cy, double w, double h, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    for (int i = 0; i < 4; ++i) {
        const double px = ((i & 1) - 0.5) * w, py = ((i >> 1) - 0.5) * h;
        q[i] = {float(cx + px * c - py * s),
                float(cy + px * s + py * c),
                0,
                1,
                0xFFFFFFFFu,
                0,
                float(i & 1),
                float(i >> 1)};
    }
}

void Rect(QuadVertex (&q)[4], double x, double y, double w, double h) {
    Turned(q, x + w / 2, y + h / 2, w, h, 0);
}

// A picture with every texel different, black in one corner to be keyed out.
Surface Picture(int w, int h) {
    Surface s(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            s.At(x, y) = Rgb(20 + 7 * x, 30 + 5 * y, (x * y) & 0xFF);
    }
    s.At(0, 0) = 0;
    s.At(w - 1, h - 1) = 0xFF000000u;  // only the colour bits decide what is black
    return s;
}

Surface Filled(int w, int h, std::uint32_t pixel) {
    Surface s(w, h);
    std::fill(s.pixels.begin(), s.pixels.end(), pixel);
    return s;
}

QuadRasterState Blend(int source, int dest, bool linear = false) {
    return QuadRasterState{source, dest, linear};
}

TEST(QuadRaster, UnscaledQuadReproducesItsTextureExceptBlack) {
    const Surface tex = Picture(13, 9);
    // Inside the target, and hanging over its top-left and bottom-right corners.
    for (auto [px, py] : {std::pair{5, 7}, std::pair{-3, -2}, std::pair{33, 25}}) {
        for (bool linear : {false, true}) {
            for (auto [source, dest] : {std::pair{5, 6}, std::pair{2, 1}}) {
                Surface back = Filled(40, 30, Rgb(1, 2, 3));
                QuadVertex q[4];
                Rect(q, px, py, 13, 9);
                RasteriseQuad(back, tex, q, 255, Blend(source, dest, linear));
                for (int y = 0; y < back.height; ++y) {
                    for (int x = 0; x < back.width; ++x) {
                        const bool inside = x >= px && x < px + 13 && y >= py && y < py + 9;
                        std::uint32_t want = Rgb(1, 2, 3);
                        if (inside && (tex.At(x - px, y - py) & 0xFFFFFF) != 0) {
                            want = tex.At(x - px, y - py);
                        }
                        ASSERT_EQ(back.At(x, y), want)
                            << "at " << x << "," << y << " placed " << px << "," << py << " linear "
                            << linear << " blend " << source << "," << dest;
                    }
                }
            }
        }
    }
}

TEST(QuadRaster, AlphaBlendsAndAddsSaturating) {
    // Seven pixels a row: four at a time, then one by one, with the same result. The
    // target's unused top byte is kept.
    const Surface tex = Filled(7, 3, Rgb(200, 100, 50));
    QuadVertex q[4];
    Rect(q, 0, 0, 7, 3);
    auto expectAll = [](const Surface& s, std::uint32_t want, const char* what) {
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                ASSERT_EQ(s.At(x, y), want) << what << " at " << x << "," << y;
    };

    // Source alpha over one minus source alpha: alpha 0 leaves the target alone.
    Surface back = Filled(7, 3, 0x55000000u | Rgb(10, 20, 30));
    RasteriseQuad(back, tex, q, 0, Blend(5, 6));
    expectAll(back, 0x55000000u | Rgb(10, 20, 30), "alpha 0");
    RasteriseQuad(back, tex, q, 128, Blend(5, 6));
    expectAll(back, 0x55000000u | Rgb(105, 60, 40), "alpha 128");

    // The game's glow blend adds the texel times alpha and stops at full brightness.
    back = Filled(7, 3, 0x55000000u | Rgb(10, 200, 250));
    RasteriseQuad(back, tex, q, 128, Blend(5, 7));
    expectAll(back, 0x55000000u | Rgb(110, 250, 255), "glow 128");
    RasteriseQuad(back, tex, q, 255, Blend(5, 7));
    expectAll(back, 0x55FFFFFFu, "glow 255");
    // Only the alpha's low byte counts.
    back = Filled(7, 3, Rgb(10, 200, 250));
    RasteriseQuad(back, tex, q, 0x100 + 128, Blend(5, 7));
    expectAll(back, Rgb(110, 250, 255), "alpha 0x180");
}

TEST(QuadRaster, OtherFactorsFollowTheTable) {
    // Source (200, 100, 50) at alpha 128 onto (100, 100, 100).
    const Surface tex = Filled(2, 2, Rgb(200, 100, 50));
    QuadVertex q[4];
    Rect(q, 0, 0, 2, 2);
    struct Case {
        int source, dest;
        std::uint32_t want;
    };
    const Case cases[] = {
        {1, 2, Rgb(100, 100, 100)},   // zero, one: nothing changes
        {2, 2, Rgb(255, 200, 150)},   // one, one: saturating add
        {9, 1, Rgb(78, 39, 20)},      // destination colour, zero: multiply
        {2, 10, Rgb(255, 161, 111)},  // one, one minus destination colour
        {8, 11, Rgb(0, 0, 0)},        // nothing survives
        {4, 9, Rgb(82, 100, 79)},     // one minus source colour, destination colour
    };
    for (const Case& c : cases) {
        Surface back = Filled(2, 2, Rgb(100, 100, 100));
        RasteriseQuad(back, tex, q, 128, Blend(c.source, c.dest));
        EXPECT_EQ(back.At(1, 1), c.want) << c.source << "," << c.dest;
    }
}

TEST(QuadRaster, GlowBlendAgreesWithTheGeneralBlendWhenScaledAndTurned) {
    // (5, 7) has its own fast path; (5, 2) means the same on a target without alpha and
    // goes the general way. Turned, stretched and squeezed, both must give the same pixels.
    const Surface tex = Picture(23, 17);
    Surface background(90, 70);
    for (std::size_t i = 0; i < background.pixels.size(); ++i) {
        background.pixels[i] = std::uint32_t(i * 2654435761u) & 0x7F7F7Fu;
    }
    for (bool linear : {false, true}) {
        for (double angle : {0.0, 0.4, 2.2}) {
            for (double scale : {0.6, 1.0, 2.7}) {
                QuadVertex q[4];
                Turned(q, 45.3, 35.1, 23 * scale, 17 * scale, angle);
                Surface fast = background, general = background;
                RasteriseQuad(fast, tex, q, 77, Blend(5, 7, linear));
                RasteriseQuad(general, tex, q, 77, Blend(5, 2, linear));
                ASSERT_EQ(fast.pixels, general.pixels)
                    << "linear " << linear << " angle " << angle << " scale " << scale;
                EXPECT_NE(fast.pixels, background.pixels);
            }
        }
    }
}

TEST(QuadRaster, SharedEdgesAreDrawnOnceWithoutGaps) {
    // White texels added at alpha 40 onto black: a pixel drawn twice would read 80.
    const Surface tex = Filled(16, 16, Rgb(255, 255, 255));
    for (double angle : {0.0, 0.3, 0.7853981, 1.2, 2.9}) {
        Surface back(64, 64);
        QuadVertex q[4];
        Turned(q, 32.25, 31.5, 20, 14, angle);
        const double c = std::cos(angle), s = std::sin(angle);
        // And a second quad sharing the first one's right edge.
        QuadVertex r[4] = {q[1], q[1], q[3], q[3]};
        r[1].x += float(12 * c), r[1].y += float(12 * s);
        r[3].x += float(12 * c), r[3].y += float(12 * s);
        RasteriseQuad(back, tex, q, 40, Blend(5, 7));
        RasteriseQuad(back, tex, r, 40, Blend(5, 7));

        int covered = 0;
        for (int y = 0; y < back.height; ++y) {
            int first = -1, last = -1;
            for (int x = 0; x < back.width; ++x) {
                const std::uint32_t p = back.At(x, y);
                ASSERT_TRUE(p == 0 || p == Rgb(40, 40, 40)) << x << "," << y << " " << angle;
                if (p != 0) {
                    if (first < 0) first = x;
                    last = x;
                    ++covered;
                }
            }
            // Both quads together are one convex shape: no holes along a row.
            for (int x = first; first >= 0 && x <= last; ++x) {
                ASSERT_NE(back.At(x, y), 0u) << "gap at " << x << "," << y << " " << angle;
            }
        }
        // 32 x 14 pixels of area; the pixel count may differ only along the outline.
        EXPECT_NEAR(covered, 32 * 14, 30) << angle;
    }
}

TEST(QuadRaster, MirroredAndTurnedQuadsAreDrawnWhateverTheWinding) {
    Surface tex(2, 1);
    tex.At(0, 0) = Rgb(255, 0, 0);
    tex.At(1, 0) = Rgb(0, 0, 255);
    Surface back(8, 4);
    QuadVertex q[4];
    Rect(q, 0, 0, 8, 4);
    std::swap(q[0].x, q[1].x);  // left and right exchanged: both triangles turn over
    std::swap(q[2].x, q[3].x);
    RasteriseQuad(back, tex, q, 255, Blend(2, 1));
    EXPECT_EQ(back.At(0, 0), Rgb(0, 0, 255));
    EXPECT_EQ(back.At(7, 3), Rgb(255, 0, 0));
}

TEST(QuadRaster, BilinearBlendsNeighboursAndClampsAtTheEdges) {
    Surface tex(2, 1);
    tex.At(0, 0) = Rgb(200, 0, 0);
    tex.At(1, 0) = Rgb(0, 0, 200);
    QuadVertex q[4];
    Rect(q, 0, 0, 8, 2);

    Surface nearest(8, 2);
    RasteriseQuad(nearest, tex, q, 255, Blend(2, 1, false));
    Surface linear(8, 2);
    RasteriseQuad(linear, tex, q, 255, Blend(2, 1, true));
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(nearest.At(x, 1), x < 4 ? Rgb(200, 0, 0) : Rgb(0, 0, 200)) << x;
    }
    // The outer pixels lie beyond the texel centres: clamped, not wrapped round.
    EXPECT_EQ(linear.At(0, 0), Rgb(200, 0, 0));
    EXPECT_EQ(linear.At(1, 0), Rgb(200, 0, 0));
    EXPECT_EQ(linear.At(7, 1), Rgb(0, 0, 200));
    // In between, red fades into blue step by step.
    for (int x = 2; x < 6; ++x) {
        const std::uint32_t red = (linear.At(x, 0) >> 16) & 0xFF;
        const std::uint32_t prev = (linear.At(x - 1, 0) >> 16) & 0xFF;
        EXPECT_LT(red, prev) << x;
        EXPECT_GT(red, 0u) << x;
        EXPECT_EQ(red + (linear.At(x, 0) & 0xFF), 200u) << x;
    }
}

TEST(QuadRaster, BilinearSmoothsOnlyWhereThePictureIsMagnified) {
    const Surface tex = Picture(16, 12);
    auto draw = [&](const QuadVertex(&q)[4], bool linear) {
        Surface back = Filled(64, 48, Rgb(9, 9, 9));
        RasteriseQuad(back, tex, q, 200, Blend(5, 6, linear));
        return back;
    };
    struct Case {
        const char* what;
        double w, h, angle;
        bool smoothed;
    };
    const Case cases[] = {
        {"half size", 8, 6, 0, false},
        {"turned and shrunk", 11, 8.4, 0.5, false},
        {"wider but flatter", 32, 6, 0, false},  // squeezed along y: minified
        {"narrower but taller", 12, 24, 0.3, false},
        {"twice the size", 32, 24, 0, true},
        {"own size, turned", 16, 12, 0.5, true},
        {"own size between pixels", 16, 12, 0, true},
    };
    for (const Case& c : cases) {
        QuadVertex q[4];
        Turned(q, 30.5, 22.5, c.w, c.h, c.angle);
        const Surface nearest = draw(q, false), linear = draw(q, true);
        EXPECT_NE(nearest.pixels, Filled(64, 48, Rgb(9, 9, 9)).pixels) << c.what;
        if (c.smoothed) {
            EXPECT_NE(linear.pixels, nearest.pixels) << c.what;
        } else {
            EXPECT_EQ(linear.pixels, nearest.pixels) << c.what;
        }
    }

    // The choice is made where the pixels are: in a lopsided quad whose lower triangle is
    // squeezed, only the upper one is smoothed.
    QuadVertex q[4];
    Rect(q, 0.5, 0.5, 24, 18);
    q[3].x = 10.5f, q[3].y = 8.5f;
    const Surface nearest = draw(q, false), linear = draw(q, true);
    int smoothedUpper = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            // Which side of the shared edge from top-right (24.5, 0.5) to bottom-left
            // (0.5, 18.5) the pixel centre lies on; the lower triangle is on the far side.
            const double side = (x + 0.5 - 24.5) * 18.0 - (y + 0.5 - 0.5) * -24.0;
            if (side > 1.0) {
                ASSERT_EQ(linear.At(x, y), nearest.At(x, y)) << x << "," << y;
            } else if (side < -1.0 && linear.At(x, y) != nearest.At(x, y)) {
                ++smoothedUpper;
            }
        }
    }
    EXPECT_GT(smoothedUpper, 100);
}

TEST(QuadRaster, ClipsToTheTargetWithoutWritingOutside) {
    const Surface tex = Filled(20, 20, Rgb(90, 90, 90));
    const double c = std::cos(0.5), s = std::sin(0.5);
    // Turned squares over each edge and corner, and far outside.
    const double centres[][2] = {{0, 15},  {31, 15},  {15, 0},    {15, 23},
                                 {31, 23}, {-40, 10}, {1e9, 1e9}, {-3e38, 5}};
    for (const auto& centre : centres) {
        Surface back(32, 24);
        QuadVertex q[4];
        Turned(q, centre[0], centre[1], 28, 28, 0.5);
        RasteriseQuad(back, tex, q, 255, Blend(5, 6, true));
        // Every pixel drawn lies inside the square: nothing wrapped round a row's end.
        for (int y = 0; y < back.height; ++y) {
            for (int x = 0; x < back.width; ++x) {
                if (back.At(x, y) == 0) continue;
                const double dx = x + 0.5 - centre[0], dy = y + 0.5 - centre[1];
                ASSERT_LE(std::abs(dx * c + dy * s), 14.01) << x << "," << y;
                ASSERT_LE(std::abs(-dx * s + dy * c), 14.01) << x << "," << y;
            }
        }
    }
    // An empty target or texture draws nothing and does not fail.
    Surface none, back(4, 4);
    QuadVertex q[4];
    Rect(q, 0, 0, 4, 4);
    RasteriseQuad(none, tex, q, 255, Blend(5, 6));
    RasteriseQuad(back, none, q, 255, Blend(5, 6));
    EXPECT_EQ(back.At(1, 1), 0u);
}

}  // namespace
