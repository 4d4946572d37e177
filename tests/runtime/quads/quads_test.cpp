#include "runtime/quads/quads.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sprites/sprites.hpp"

namespace {

using namespace runtime::quads;
using runtime::screen::BackBuffer;
using runtime::screen::Surface;
using runtime::sprites::FindSprite;
using runtime::sprites::MakeBlankSprite;

constexpr std::uint32_t kRed = 0xFF0000u, kGreen = 0x00FF00u, kBlue = 0x0000FFu, kGrey = 0x808080u;

class Quads : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime::screen::headless::UseHeadlessDisplay();
        ASSERT_TRUE(runtime::screen::InitSpriteEngine());
        ASSERT_TRUE(runtime::screen::OpenFullScreen(800, 600, 32, ""));
        ASSERT_TRUE(InitQuadSprites());
    }
    void TearDown() override {
        EndQuadScene();
        runtime::screen::CloseScreenDisplay();
    }

    // A texture sprite whose quadrants are red, green (top) and blue, grey (bottom).
    static void MakeQuadrants(int n, int size, int mode = 4) {
        ASSERT_TRUE(MakeBlankSprite(n, size, size, mode));
        Surface& s = *FindSprite(n)->surface;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const bool right = x >= size / 2, bottom = y >= size / 2;
                s.At(x, y) = bottom ? (right ? kGrey : kBlue) : (right ? kGreen : kRed);
            }
        }
    }

    // Corners in record order: top-left, top-right, bottom-left, bottom-right.
    static void ExpectCorners(int q, const std::array<float, 8>& xy) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(FindQuadSprite(q)->vertices[i].x, xy[2 * i], 2e-3) << "corner " << i;
            EXPECT_NEAR(FindQuadSprite(q)->vertices[i].y, xy[2 * i + 1], 2e-3) << "corner " << i;
        }
    }
};

TEST_F(Quads, TableGrowsAndQuadsComeOnlyFromTextures) {
    MakeQuadrants(5, 16);
    MakeQuadrants(6, 16, 0);  // an ordinary display sprite
    EXPECT_EQ(QuadSpriteTableSize(), 50u);
    ASSERT_NE(MakeQuadSprite(60, 5), nullptr);
    EXPECT_EQ(QuadSpriteTableSize(), 110u);

    ASSERT_NE(MakeQuadSprite(3, 5), nullptr);
    EXPECT_EQ(MakeQuadSprite(3, 6), nullptr);  // not a texture: the slot is emptied
    EXPECT_EQ(FindQuadSprite(3), nullptr);
    EXPECT_EQ(MakeQuadSprite(4, 40), nullptr);  // no such sprite
    EXPECT_EQ(ResizeQuadSprite(3, 8, 8), 0);
    EXPECT_EQ(TurnQuadSprite(3, 10, 0), 0);

    // A number far beyond any the game uses is refused instead of growing the table.
    EXPECT_EQ(MakeQuadSprite(2000000000, 5), nullptr);
    EXPECT_EQ(MakeQuadSprite(-5, 5), nullptr);
    EXPECT_EQ(QuadSpriteTableSize(), 110u);

    // The quad takes the sprite's shown size but always the whole texture.
    ASSERT_TRUE(runtime::sprites::SetSpriteClip(5, 0, 0, 10, 6));
    const QuadSpriteRecord* rec = MakeQuadSprite(7, 5);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->width, 10);
    EXPECT_EQ(rec->height, 6);
    EXPECT_EQ(rec->vertices[3].x, 10.0f);
    EXPECT_EQ(rec->vertices[3].y, 6.0f);
    EXPECT_EQ(rec->vertices[3].u, 1.0f);
    EXPECT_EQ(rec->vertices[3].v, 1.0f);
}

TEST_F(Quads, ScenesBlendOntoTheBackBuffer) {
    MakeQuadrants(5, 16);
    ASSERT_NE(MakeQuadSprite(0, 5), nullptr);
    Surface& back = BackBuffer();

    // Outside a scene nothing is drawn.
    EXPECT_EQ(DrawQuadSprite(0, 100, 50, 255), 0);
    EXPECT_EQ(back.At(100, 50), 0u);

    ASSERT_EQ(BeginQuadScene(), 1);
    EXPECT_EQ(BeginQuadScene(), 0);  // already open
    DrawQuadSprite(0, 100, 50, 255);
    EXPECT_EQ(back.At(100, 50), kRed);
    EXPECT_EQ(back.At(115, 65), kGrey);
    EXPECT_EQ(back.At(116, 65), 0u);

    // The glow blend adds: grey plus half grey twice over saturates.
    SetQuadBlend(5, 7);
    DrawQuadSprite(0, 100, 50, 128);
    EXPECT_EQ(back.At(115, 65), 0xC0C0C0u);
    DrawQuadSprite(0, 100, 50, 128);
    EXPECT_EQ(back.At(115, 65), 0xFFFFFFu);
    EXPECT_EQ(EndQuadScene(), 1);

    // A new scene starts from the ordinary blend again: opaque grey replaces the white.
    ASSERT_EQ(BeginQuadScene(), 1);
    DrawQuadSprite(0, 100, 50, 255);
    EXPECT_EQ(back.At(115, 65), kGrey);
    EndQuadScene();

    // Reopening the screen makes a new back buffer; the next scene draws on it.
    runtime::screen::CloseScreenDisplay();
    EXPECT_EQ(BeginQuadScene(), 0);  // no screen
    ASSERT_TRUE(runtime::screen::OpenFullScreen(800, 600, 32, ""));
    MakeQuadrants(5, 16);
    ASSERT_NE(MakeQuadSprite(0, 5), nullptr);
    ASSERT_EQ(BeginQuadScene(), 1);
    DrawQuadSprite(0, 10, 10, 255);
    EXPECT_EQ(BackBuffer().At(10, 10), kRed);
}

TEST_F(Quads, FilteringSmoothsTurnedPicturesAtTheirOwnSizeButNotShrunkOnes) {
    ASSERT_TRUE(MakeBlankSprite(5, 32, 32, 4));
    Surface& s = *FindSprite(5)->surface;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            s.At(x, y) = std::uint32_t(x * 8) << 16 | std::uint32_t(y * 8) << 8 | 0x40u;
    ASSERT_NE(MakeQuadSprite(0, 5), nullptr);
    auto draw = [](int filtering) {
        runtime::screen::FillTarget(0, 0, 0);
        SetQuadFiltering(filtering);
        BeginQuadScene();
        DrawQuadSprite(0, 100, 100, 255);
        EndQuadScene();
        return BackBuffer();
    };
    // Differences between nearest and bilinear on either side of the strip's shared edge.
    auto smoothed = [&](int& first, int& second) {
        const Surface nearest = draw(0), linear = draw(1);
        const QuadVertex* v = FindQuadSprite(0)->vertices;
        first = second = 0;
        for (int y = 80; y < 160; ++y) {
            for (int x = 80; x < 160; ++x) {
                if (nearest.At(x, y) == linear.At(x, y)) continue;
                const double side = (v[2].x - v[1].x) * (y + 0.5 - 100 - v[1].y) -
                                    (v[2].y - v[1].y) * (x + 0.5 - 100 - v[1].x);
                ++(side < 0 ? first : second);
            }
        }
    };
    // The turn leaves the corners slightly off a square; at its own size the picture is
    // still smoothed all over, not on one triangle only.
    int first = 0, second = 0;
    TurnQuadSprite(0, 30, 0);
    smoothed(first, second);
    EXPECT_GT(first, 100);
    EXPECT_GT(second, 100);
    // Shrunk, it samples the nearest texel everywhere.
    ResizeQuadSprite(0, 24, 24);
    TurnQuadSprite(0, 30, 0);
    smoothed(first, second);
    EXPECT_EQ(first + second, 0);
}

TEST_F(Quads, ReleasedSpritesAreNeverRead) {
    MakeQuadrants(5, 16);
    ASSERT_NE(MakeQuadSprite(0, 5), nullptr);
    ASSERT_EQ(BeginQuadScene(), 1);
    runtime::sprites::DiscardSprite(5);
    EXPECT_EQ(DrawQuadSprite(0, 10, 10, 255), 0);
    EXPECT_EQ(BackBuffer().At(10, 10), 0u);
    // Loaded anew as a texture, the quad shows the new picture.
    ASSERT_TRUE(MakeBlankSprite(5, 16, 16, 4));
    FindSprite(5)->surface->At(0, 0) = kBlue;
    DrawQuadSprite(0, 10, 10, 255);
    EXPECT_EQ(BackBuffer().At(10, 10), kBlue);
}

TEST_F(Quads, TurningPlacesTheCorners) {
    MakeQuadrants(5, 32);
    ASSERT_NE(MakeQuadSprite(0, 5), nullptr);

    // Angle 0 already shows a quarter turn: the picture's top-left corner at top-right.
    TurnQuadSprite(0, 0, 0);
    ExpectCorners(0, {32, 0, 31.9326f, 32.0671f, 0.2030f, -0.2005f, -0.1340f, 31.8649f});
    ASSERT_EQ(BeginQuadScene(), 1);
    DrawQuadSprite(0, 200, 100, 255);
    EXPECT_EQ(BackBuffer().At(229, 102), kRed);
    EXPECT_EQ(BackBuffer().At(229, 129), kGreen);
    EXPECT_EQ(BackBuffer().At(202, 102), kBlue);
    EXPECT_EQ(BackBuffer().At(202, 129), kGrey);

    const std::array<float, 8> at90 = {31.9326f, 32.0671f, -0.1340f, 31.8649f,
                                       32.2668f, 0.2713f,  0.2030f,  -0.2005f};
    TurnQuadSprite(0, 90, 0);
    ExpectCorners(0, at90);
    TurnQuadSprite(0, 45, 0);
    ExpectCorners(0,
                  {38.6274f, 16.0476f, 15.8573f, 38.6270f, 16.3329f, -6.6250f, -6.6262f, 15.7622f});

    // An absolute turn stores 0, so a relative 90 afterwards turns to 90, not 180.
    TurnQuadSprite(0, 90, 0);
    TurnQuadSprite(0, 90, 1);
    EXPECT_EQ(FindQuadSprite(0)->angle, 90);
    ExpectCorners(0, at90);

    // Relative turns keep the remainder with its sign: 200 and 200 more is 400, not 40.
    TurnQuadSprite(0, 0, 0);
    TurnQuadSprite(0, 200, 1);
    TurnQuadSprite(0, 200, 1);
    EXPECT_EQ(FindQuadSprite(0)->angle, 400);
    EXPECT_NEAR(FindQuadSprite(0)->vertices[0].y, 14.4493f, 2e-3);  // 14.07 at 40
    TurnQuadSprite(0, -30, 1);                                      // 400 rem 360 = 40, minus 30
    EXPECT_EQ(FindQuadSprite(0)->angle, 10);

    // Resizing puts the corners back unrotated, keeping the angle.
    ResizeQuadSprite(0, 20, 12);
    EXPECT_EQ(FindQuadSprite(0)->angle, 10);
    ExpectCorners(0, {0, 0, 20, 0, 0, 12, 20, 12});

    // A non-square quad turns about its own half sizes.
    ResizeQuadSprite(0, 64, 32);
    TurnQuadSprite(0, 0, 0);
    ExpectCorners(0, {64, 0, 47.8653f, 48.0670f, 16.4048f, -16.1992f, -0.1334f, 31.7304f});
}

// Resized glows are added from pictures kept between draws; each must show exactly what
// the rasteriser draws in place, and a texture drawn into must not show its old picture.
TEST_F(Quads, KeptGlowPicturesMatchTheRasteriserAndFollowTheirSprite) {
    // A round glow with black corners, and an odd-sized pattern with black specks.
    ASSERT_TRUE(MakeBlankSprite(5, 64, 64, 4));
    ASSERT_TRUE(MakeBlankSprite(6, 7, 5, 4));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double d = std::hypot(x - 31.5, y - 31.5);
            const std::uint32_t g = d < 32 ? std::uint32_t(255 * (1 - d / 32)) : 0;
            FindSprite(5)->surface->At(x, y) = g << 16 | (g * 3 / 4) << 8 | g / 2;
        }
    for (int i = 0; i < 35; ++i)
        FindSprite(6)->surface->pixels[i] = i % 6 == 0 ? 0u : 0x010101u * std::uint32_t(i * 7);
    Surface background(800, 600);
    for (std::size_t i = 0; i < background.pixels.size(); ++i)
        background.pixels[i] = std::uint32_t(i * 2654435761u) & 0xC03F7F3Fu;

    struct Case {
        int sprite, width, height, x, y, alpha;
        bool linear;
    };
    const Case cases[] = {
        {5, 64, 64, 100, 100, 255, false}, {5, 64, 64, 100, 100, 255, true},
        {5, 1, 1, 0, 0, 100, true},        {5, 2, 2, 798, 598, 77, true},
        {5, 37, 37, 401, 299, 109, true},  {5, 128, 128, 672, 472, 19, true},
        {5, 93, 93, 3, 500, 46, true},     {5, 50, 20, 250, 250, 200, false},
        {6, 31, 40, 17, 33, 255, true},    {6, 3, 3, 500, 5, 130, true},
        {6, 100, 9, 700, 591, 66, false},  {5, 64, 64, 750, 580, 90, true},  // over the edges
        {5, 70, 70, 200, -30, 90, true},   {5, 20, 20, -20, 100, 90, true},  // just outside
        {5, 20, 20, 100, 600, 90, true},
    };
    ASSERT_NE(MakeQuadSprite(0, 5), nullptr);
    ASSERT_NE(MakeQuadSprite(1, 6), nullptr);
    for (int pass = 0; pass < 2; ++pass) {  // the second pass draws from kept pictures
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.sprite << " " << c.width << "x" << c.height
                                            << " at " << c.x << "," << c.y << " pass " << pass);
            const int q = c.sprite - 5;
            ResizeQuadSprite(q, c.width, c.height);
            SetQuadFiltering(c.linear ? 1 : 0);
            BackBuffer() = background;
            ASSERT_EQ(BeginQuadScene(), 1);
            SetQuadBlend(5, 7);
            DrawQuadSprite(q, c.x, c.y, c.alpha);
            EndQuadScene();

            Surface expected = background;
            QuadVertex corners[4];
            for (int i = 0; i < 4; ++i) {
                corners[i] = FindQuadSprite(q)->vertices[i];
                corners[i].x += float(c.x);
                corners[i].y += float(c.y);
            }
            RasteriseQuad(expected, *FindSprite(c.sprite)->surface, corners, c.alpha,
                          {5, 7, c.linear});
            ASSERT_EQ(BackBuffer().pixels, expected.pixels);
        }
    }

    // Cut by the left edge, a glow shows the columns of its picture that are on the screen.
    ResizeQuadSprite(0, 70, 70);
    runtime::screen::FillTarget(0, 0, 0);
    ASSERT_EQ(BeginQuadScene(), 1);
    SetQuadBlend(5, 7);
    DrawQuadSprite(0, -30, 200, 90);
    DrawQuadSprite(0, 370, 200, 90);
    EndQuadScene();
    for (int y = 190; y < 280; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(BackBuffer().At(x, y), BackBuffer().At(x + 400, y)) << x << "," << y;

    // Drawn into, the texture shows its new picture at once.
    SetQuadFiltering(1);
    ResizeQuadSprite(0, 40, 40);
    auto drawGlow = [] {
        runtime::screen::FillTarget(0, 0, 0);
        ASSERT_EQ(BeginQuadScene(), 1);
        SetQuadBlend(5, 7);
        DrawQuadSprite(0, 10, 10, 255);
        EndQuadScene();
    };
    drawGlow();
    EXPECT_NE(BackBuffer().At(30, 30), 0u);
    runtime::sprites::SelectTarget(5);
    runtime::screen::FillTarget(0, 0, 255);
    runtime::sprites::SelectTarget(-1);
    drawGlow();
    EXPECT_EQ(BackBuffer().At(30, 30), kBlue);
    EXPECT_EQ(BackBuffer().At(10, 10), kBlue);
}

}  // namespace
