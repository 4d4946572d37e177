#include "runtime/sprites/sprites.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"
#include "tests/runtime/support/idle_pipe.hpp"

namespace {

using namespace runtime::sprites;
using runtime::screen::BackBuffer;
using runtime::screen::State;
using runtime::screen::Surface;

// A distinct, never-black pixel for every position, so copies can be traced.
std::uint32_t Mark(int x, int y) {
    return 0x010000u | std::uint32_t(x) << 8 | std::uint32_t(y);
}

class Sprites : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime::screen::headless::UseHeadlessDisplay();
        ASSERT_TRUE(runtime::screen::InitSpriteEngine());
        ASSERT_TRUE(runtime::screen::OpenFullScreen(800, 600, 32, ""));
    }
    void TearDown() override { runtime::screen::CloseScreenDisplay(); }

    // Sprite n of width x height filled with Mark(x, y).
    static void MakeMarked(int n, int width, int height) {
        ASSERT_TRUE(MakeBlankSprite(n, width, height));
        Surface& s = *FindSprite(n)->surface;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                s.At(x, y) = Mark(x, y);
    }
};

// A 24-bit bottom-up BMP whose pixel (x, y) is colour(x, y) as 0xRRGGBB.
template <class F>
std::vector<std::uint8_t> Bmp24(int w, int h, F colour) {
    const int row = (w * 3 + 3) & ~3;
    std::vector<std::uint8_t> b(54 + std::size_t(row) * h, 0);
    auto put = [&](int at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b[std::size_t(at + i)] = std::uint8_t(v >> (8 * i));
    };
    b[0] = 'B', b[1] = 'M';
    put(2, std::uint32_t(b.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, std::uint32_t(w), 4);
    put(22, std::uint32_t(h), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            put(54 + (h - 1 - y) * row + x * 3, colour(x, y), 3);
    return b;
}

TEST_F(Sprites, OpaqueCopiesClipAtEveryEdgeOfTheTarget) {
    MakeMarked(1, 20, 10);
    // Left edge: the rightmost 15 columns land at x = 0.
    EXPECT_TRUE(DrawSprite(1, -5, 0));
    EXPECT_EQ(BackBuffer().At(0, 0), Mark(5, 0));
    EXPECT_EQ(BackBuffer().At(14, 9), Mark(19, 9));
    EXPECT_EQ(BackBuffer().At(15, 0), 0u);
    // Right edge: the leftmost 5 columns.
    EXPECT_TRUE(DrawSprite(1, 795, 100));
    EXPECT_EQ(BackBuffer().At(795, 100), Mark(0, 0));
    EXPECT_EQ(BackBuffer().At(799, 109), Mark(4, 9));
    // Top and bottom edges.
    EXPECT_TRUE(DrawSprite(1, 300, -7));
    EXPECT_EQ(BackBuffer().At(300, 0), Mark(0, 7));
    EXPECT_EQ(BackBuffer().At(300, 3), 0u);
    EXPECT_TRUE(DrawSprite(1, 400, 596));
    EXPECT_EQ(BackBuffer().At(419, 599), Mark(19, 3));
    // Wholly outside: nothing at all.
    const std::vector<std::uint32_t> before = BackBuffer().pixels;
    EXPECT_FALSE(DrawSprite(1, -20, 0));
    EXPECT_FALSE(DrawSprite(1, 800, 0));
    EXPECT_FALSE(DrawSprite(1, 0, -10));
    EXPECT_FALSE(DrawSprite(1, 0, 600));
    EXPECT_FALSE(DrawSprite(77, 0, 0));
    EXPECT_EQ(BackBuffer().pixels, before);
}

// A frame skips its black fill when its first picture covers the target, so the answer
// must be no wherever some pixel would keep the last frame's colour.
TEST_F(Sprites, OnlyAWholeScreenPictureCoversTheTarget) {
    MakeMarked(1, 800, 600);
    EXPECT_TRUE(SpriteCoversTarget(1));
    MakeMarked(2, 800, 599);
    MakeMarked(3, 799, 600);
    EXPECT_FALSE(SpriteCoversTarget(2));
    EXPECT_FALSE(SpriteCoversTarget(3));
    EXPECT_FALSE(SpriteCoversTarget(77));
    // A clip rectangle inside a larger picture covers; one cut short by its right edge not.
    MakeMarked(4, 900, 700);
    EXPECT_TRUE(SpriteCoversTarget(4));
    ASSERT_TRUE(SetSpriteClip(4, 100, 100, 800, 600));
    EXPECT_TRUE(SpriteCoversTarget(4));
    ASSERT_TRUE(SetSpriteClip(4, 200, 0, 800, 600));
    EXPECT_FALSE(SpriteCoversTarget(4));
    // Into a smaller sprite as the target, a smaller picture covers.
    MakeMarked(5, 50, 40);
    ASSERT_TRUE(SelectTarget(5));
    EXPECT_TRUE(SpriteCoversTarget(2));
    EXPECT_FALSE(SpriteCoversTarget(77));
    SelectTarget(-1);
}

TEST_F(Sprites, KeyedCopiesSkipBlackAndClipRectanglesPickTheDrawnPart) {
    MakeMarked(2, 32, 32);
    Surface& s = *FindSprite(2)->surface;
    for (int y = 0; y < 32; ++y)
        s.At(3, y) = 0;        // a black column
    s.At(4, 0) = 0xFF000000u;  // black with the unused byte set
    runtime::screen::FillTarget(0, 0, 255);
    const std::uint32_t blue = 0x0000FFu;
    EXPECT_TRUE(DrawSpriteKeyed(2, 10, 10));
    EXPECT_EQ(BackBuffer().At(13, 20), blue);
    EXPECT_EQ(BackBuffer().At(14, 10), blue);
    EXPECT_EQ(BackBuffer().At(12, 20), Mark(2, 10));
    // The opaque copy takes black too.
    EXPECT_TRUE(DrawSprite(2, 100, 10));
    EXPECT_EQ(BackBuffer().At(103, 20), 0u);

    // An all-black sprite drawn keyed changes nothing.
    ASSERT_TRUE(MakeBlankSprite(3, 40, 40));
    const std::vector<std::uint32_t> before = BackBuffer().pixels;
    EXPECT_TRUE(DrawSpriteKeyed(3, 5, 5));
    EXPECT_EQ(BackBuffer().pixels, before);

    // The clip shrinks to the image; -1 brings the whole image back.
    EXPECT_TRUE(SetSpriteClip(2, 30, 0, 10, 32));
    EXPECT_EQ(FindSprite(2)->shownWidth, 2);
    EXPECT_TRUE(DrawSprite(2, 200, 0));
    EXPECT_EQ(BackBuffer().At(200, 5), Mark(30, 5));
    EXPECT_EQ(BackBuffer().At(201, 31), Mark(31, 31));
    EXPECT_EQ(BackBuffer().At(202, 5), blue);
    SetSpriteClip(2, 5, 6, 4, 3);
    EXPECT_TRUE(DrawSprite(2, -1, 300));  // clipped on the left inside the clip
    EXPECT_EQ(BackBuffer().At(0, 300), Mark(6, 6));
    EXPECT_EQ(BackBuffer().At(2, 302), Mark(8, 8));
    EXPECT_EQ(BackBuffer().At(3, 300), blue);
    SetSpriteClip(2, -1, 0, 0, 0);
    EXPECT_EQ(FindSprite(2)->shownWidth, 32);
    EXPECT_EQ(FindSprite(2)->clipX, 0);
    // A clip below the picture copies nothing (the high-score scroller relies on it).
    SetSpriteClip(2, 0, 32, 32, 1);
    EXPECT_EQ(FindSprite(2)->shownHeight, 0);
    EXPECT_FALSE(DrawSprite(2, 0, 500));
    SetSpriteClip(2, 0, 33, 32, 1);
    EXPECT_FALSE(DrawSprite(2, 0, 500));
}

// What a keyed copy of sprite n at (x, y) must leave on a target filled with `ground`,
// worked out pixel by pixel from the sprite as it is now.
Surface KeyedExpectation(int n, int x, int y, const Surface& target, std::uint32_t ground) {
    Surface want = target;
    std::fill(want.pixels.begin(), want.pixels.end(), ground);
    const SpriteRecord& r = *FindSprite(n);
    for (int j = 0; j < r.shownHeight; ++j)
        for (int i = 0; i < r.shownWidth; ++i) {
            const int tx = x + i, ty = y + j;
            if (tx < 0 || ty < 0 || tx >= want.width || ty >= want.height) continue;
            const std::uint32_t p = r.surface->At(r.clipX + i, r.clipY + j);
            if (p & 0xFFFFFFu) want.At(tx, ty) = p;
        }
    return want;
}

// Draws sprite n keyed onto the current target, each time on a fresh fill, until the
// copies go the fast way, which must show the same.
void ExpectKeyedCopies(int n, int x, int y, const char* what) {
    Surface& target = *State().target;
    for (int copy = 0; copy <= KeyRuns::kCopiesBeforeRuns; ++copy) {
        runtime::screen::FillTarget(9, 9, 9);
        DrawSpriteKeyed(n, x, y);
        ASSERT_EQ(target.pixels, KeyedExpectation(n, x, y, target, 0x090909u).pixels)
            << what << ", copy " << copy;
    }
}

TEST_F(Sprites, KeyedCopiesOfAnyPartMatchThePixels) {
    // Rows of runs and gaps of many lengths: single pixels, short and long runs, black
    // gaps of one to a few pixels inside colour, rows with no colour at all.
    ASSERT_TRUE(MakeBlankSprite(1, 150, 40));
    Surface& s = *FindSprite(1)->surface;
    std::uint32_t seed = 7;
    auto next = [&seed](std::uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    const int runs[] = {1, 2, 3, 4, 7, 8, 9, 15, 16, 17, 40, 64, 65, 100};
    const int gaps[] = {1, 2, 3, 4, 5, 9, 70};
    for (int y = 0; y < 40; y += 1 + (y % 13 == 12)) {
        int x = int(next(4));
        while (x < 150) {
            for (int n = runs[next(14)]; n > 0 && x < 150; --n, ++x)
                s.At(x, y) = Mark(x, y);
            x += gaps[next(7)];
        }
    }
    ASSERT_TRUE(SpritePixelsChanged(1));
    ASSERT_TRUE(MakeBlankSprite(2, 97, 33));  // a target narrower than the picture

    for (int trial = 0; trial < 120; ++trial) {
        const int cx = int(next(150)), cy = int(next(40));
        SetSpriteClip(1, cx, cy, 1 + int(next(150)), 1 + int(next(40)));
        if (trial % 10 == 0) SetSpriteClip(1, -1, 0, 0, 0);
        const bool intoSprite = trial % 3 == 0;
        SelectTarget(intoSprite ? 2 : -1);
        const int w = State().targetWidth, h = State().targetHeight;
        const int x = int(next(std::uint32_t(w) + 300)) - 150;
        const int y = int(next(std::uint32_t(h) + 80)) - 40;
        ExpectKeyedCopies(1, x, y, "clipped");
        if (HasFatalFailure()) return;
    }
}

TEST_F(Sprites, KeyedCopiesFollowEveryChangeOfThePicture) {
    MakeMarked(1, 40, 30);
    MakeMarked(2, 12, 12);
    const auto bmp = Bmp24(40, 30, [](int x, int y) { return (x + y) % 3 ? 0x405060u : 0u; });
    // Each way of changing sprite 1's pixels, after its copies have gone the fast way.
    struct Change {
        const char* what;
        std::function<void()> apply;
    };
    const Change changes[] = {
        {"drawn into", [] { SelectTarget(1), DrawSprite(2, 3, 4); }},
        {"drawn into keyed", [] { SelectTarget(1), DrawSpriteKeyed(2, 20, 10); }},
        {"filled", [] { SelectTarget(1), runtime::screen::FillTarget(0, 0, 0); }},
        {"filled with colour", [] { SelectTarget(1), runtime::screen::FillTarget(1, 2, 3); }},
        {"scrolled inside itself",
         [] {
             SelectTarget(1);
             SetSpriteClip(1, 5, 0, 40, 30);
             DrawSprite(1, 0, 0);
             SetSpriteClip(1, -1, 0, 0, 0);
         }},
        {"captured", [] { SelectTarget(-1), CaptureSprite(1, 100, 100, 40, 30); }},
        {"loaded", [&bmp] { LoadSpriteFromMemory(1, bmp.data(), bmp.size()); }},
        {"made blank", [] { MakeBlankSprite(1, 40, 30); }},
        {"written directly",
         [] {
             FindSprite(1)->surface->At(0, 0) = 0;
             FindSprite(1)->surface->At(30, 20) = 0x777777u;
             SpritePixelsChanged(1);
         }},
    };
    std::uint32_t colour = 0x102030u;
    for (const Change& change : changes) {
        // Something to capture, and a fresh picture with black holes in sprite 1.
        SelectTarget(-1);
        runtime::screen::FillTarget(0, 0, 0);
        DrawSprite(2, 105, 103);
        ASSERT_TRUE(SelectTarget(1));
        runtime::screen::FillTarget(int(colour & 0xFF), 40, 50);
        colour += 0x11;
        DrawSprite(2, 10, 10);
        SelectTarget(-1);
        ExpectKeyedCopies(1, 100, 200, change.what);
        change.apply();
        SelectTarget(-1);
        ExpectKeyedCopies(1, 100, 200, change.what);
        if (HasFatalFailure()) return;
    }

    // Drawn into itself again and again while it stays the target: each copy reads the
    // picture as the previous copy left it.
    MakeMarked(3, 30, 1);
    for (int x = 4; x < 10; ++x)
        FindSprite(3)->surface->At(x, 0) = 0;
    SpritePixelsChanged(3);
    Surface expected = *FindSprite(3)->surface;
    ASSERT_TRUE(SelectTarget(3));
    for (int step = 1; step <= 4; ++step) {
        // Every colour moves one step right over what was there; black moves nothing.
        const Surface before = expected;
        for (int x = 1; x < 30; ++x)
            if (before.At(x - 1, 0) != 0) expected.At(x, 0) = before.At(x - 1, 0);
        DrawSpriteKeyed(3, 1, 0);
        ASSERT_EQ(FindSprite(3)->surface->pixels, expected.pixels) << step;
    }
}

TEST_F(Sprites, OnlyAPictureDrawnUnchangedAFewTimesKeepsItsRuns) {
    MakeMarked(1, 64, 16);
    MakeMarked(2, 8, 8);
    auto ready = [] { return FindSprite(1)->keyRuns.Ready(); };
    // Drawn into before every copy, or every third one, as the game's scrolling windows
    // are: no runs are made, only to be thrown away.
    for (const int every : {1, 2, 3}) {
        for (int frame = 0; frame < 12; ++frame) {
            if (frame % every == 0) {
                SelectTarget(1);
                DrawSprite(2, frame, 4);
                SelectTarget(-1);
            }
            DrawSpriteKeyed(1, 10, 10);
            EXPECT_FALSE(ready()) << "changed every " << every << ", frame " << frame;
        }
    }
    // Left as it is from now on, it gets them within a few copies and keeps them.
    SelectTarget(1);
    SelectTarget(-1);
    for (int copy = 1; copy <= KeyRuns::kCopiesBeforeRuns + 2; ++copy) {
        DrawSpriteKeyed(1, 10, 10);
        EXPECT_EQ(ready(), copy >= KeyRuns::kCopiesBeforeRuns) << copy;
    }
    EXPECT_LE(KeyRuns::kCopiesBeforeRuns, 6);
}

TEST_F(Sprites, DrawingIntoASpriteAndIntoItselfScrollsAsTheGameExpects) {
    // The band scroll: clip to the first column and draw it at the right end, then clip
    // from column 1 on and draw at 0. Columns 0..398 turn one step left; column 399 then
    // repeats the column that came round.
    MakeMarked(1, 400, 200);
    Surface start = *FindSprite(1)->surface;
    Surface expected = start;
    for (int step = 0; step < 3; ++step) {
        Surface next = expected;
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 398; ++x)
                next.At(x, y) = expected.At(x + 1, y);
            next.At(398, y) = next.At(399, y) = expected.At(0, y);
        }
        expected = next;

        ASSERT_TRUE(SelectTarget(1));
        SetSpriteClip(1, 0, 0, 1, 200);
        DrawSprite(1, 399, 0);
        SetSpriteClip(1, 1, 0, 400, 200);
        EXPECT_EQ(FindSprite(1)->shownWidth, 399);
        DrawSprite(1, 0, 0);
        SelectTarget(-1);
        ASSERT_EQ(FindSprite(1)->surface->pixels, expected.pixels) << "step " << step;
    }
    // After the first step the 399 leftmost columns are a plain rotation of the start.
    for (int x = 0; x < 399; ++x)
        EXPECT_EQ(FindSprite(1)->surface->At(x, 7), start.At((x + 3) % 399, 7));

    // The intro picture scroll: up by two rows inside itself, keyed this time.
    MakeMarked(5, 60, 60);
    SelectTarget(5);
    SetSpriteClip(5, 0, 0, 60, 2);
    DrawSpriteKeyed(5, 0, 58);
    SetSpriteClip(5, 0, 2, 60, 60);
    DrawSpriteKeyed(5, 0, 0);
    SelectTarget(-1);
    const Surface& s = *FindSprite(5)->surface;
    // Rows 0..55 moved up by two; the two rows that came round sit at 56, 57 and again
    // at 58, 59.
    EXPECT_EQ(s.At(7, 0), Mark(7, 2));
    EXPECT_EQ(s.At(7, 55), Mark(7, 57));
    EXPECT_EQ(s.At(7, 56), Mark(7, 0));
    EXPECT_EQ(s.At(7, 57), Mark(7, 1));
    EXPECT_EQ(s.At(7, 58), Mark(7, 0));
    EXPECT_EQ(s.At(59, 59), Mark(59, 1));

    // Drawing another sprite into a sprite clips to the sprite, not to the screen.
    MakeMarked(6, 10, 10);
    ASSERT_TRUE(SelectTarget(5));
    EXPECT_EQ(State().targetWidth, 60);
    EXPECT_TRUE(DrawSprite(6, 55, -3));
    EXPECT_EQ(FindSprite(5)->surface->At(55, 0), Mark(0, 3));
    EXPECT_EQ(FindSprite(5)->surface->At(59, 6), Mark(4, 9));
    EXPECT_TRUE(runtime::screen::FillTarget(1, 2, 3));
    EXPECT_EQ(FindSprite(5)->surface->At(0, 0), 0x010203u);
    // Presenting makes the back buffer the target again.
    runtime::screen::PresentFrame(1);
    EXPECT_EQ(State().target, &BackBuffer());
}

TEST_F(Sprites, CaptureClipsToTheTargetAndDiscardingTheTargetFallsBackToTheScreen) {
    MakeMarked(1, 800, 600);
    DrawSprite(1, 0, 0);
    ASSERT_TRUE(CaptureSprite(2, 790, 595, 20, 10));
    const Surface& c = *FindSprite(2)->surface;
    EXPECT_EQ(c.width, 20);
    EXPECT_EQ(c.At(0, 0), Mark(790, 595));
    EXPECT_EQ(c.At(9, 4), Mark(799, 599));
    EXPECT_EQ(c.At(10, 4), 0u);
    EXPECT_EQ(c.At(0, 5), 0u);
    ASSERT_TRUE(CaptureSprite(3, -2, -1, 4, 4));
    EXPECT_EQ(FindSprite(3)->surface->At(2, 1), Mark(0, 0));
    EXPECT_EQ(FindSprite(3)->surface->At(1, 1), 0u);

    // A sprite may capture from itself while it is the target.
    SelectTarget(2);
    ASSERT_TRUE(CaptureSprite(2, 1, 0, 4, 4));
    EXPECT_EQ(FindSprite(2)->surface->At(0, 0), Mark(791, 595));
    // Once the target sprite is gone, drawing goes to the screen, never to freed memory.
    SelectTarget(3);
    DiscardSprite(3);
    EXPECT_EQ(State().target, &BackBuffer());
    EXPECT_EQ(State().targetWidth, 800);
    EXPECT_TRUE(DrawSprite(2, 0, 0));

    // While the full screen is in the background, sprites are not drawn.
    runtime::screen::FillTarget(0, 0, 0);
    runtime::screen::headless::SetHeadlessFocus(false);
    runtime::screen::PresentFrame(1);
    EXPECT_EQ(State().active, 0);
    EXPECT_FALSE(DrawSprite(2, 0, 0));
    EXPECT_EQ(BackBuffer().At(0, 0), 0u);
    runtime::screen::headless::SetHeadlessFocus(true);
    runtime::screen::PresentFrame(1);
    EXPECT_TRUE(DrawSprite(2, 0, 0));
}

TEST_F(Sprites, RectangleAndPixelCollisions) {
    MakeMarked(1, 32, 32);
    MakeMarked(2, 20, 20);
    // Touching edges do not collide; one pixel of overlap does.
    EXPECT_EQ(SpritesOverlap(1, 100, 100, 2, 132, 100), 0);
    EXPECT_EQ(SpritesOverlap(1, 100, 100, 2, 131, 100), 1);
    EXPECT_EQ(SpritesOverlap(1, 100, 100, 2, 80, 100), 0);
    EXPECT_EQ(SpritesOverlap(1, 100, 100, 2, 81, 100), 1);
    EXPECT_EQ(SpritesOverlap(1, 100, 100, 2, 100, 132), 0);
    EXPECT_EQ(SpritesOverlap(1, 100, 100, 2, 100, 131), 1);
    EXPECT_EQ(SpritesOverlap(1, 100, 100, 2, 100, 80), 0);
    EXPECT_EQ(SpritesOverlap(1, 100, 100, 9, 100, 100), 0);
    // The clipped size counts.
    SetSpriteClip(1, 0, 0, 10, 10);
    EXPECT_EQ(SpritesOverlap(1, 100, 100, 2, 110, 100), 0);
    EXPECT_EQ(SpritePixelsOverlap(1, 100, 100, 2, 110, 100), 0);
    EXPECT_EQ(SpritePixelsOverlap(1, 100, 100, 2, 109, 109), 1);
    SetSpriteClip(1, -1, 0, 0, 0);

    // Overlap in black only: no collision. One shared non-black pixel: collision.
    ASSERT_TRUE(MakeBlankSprite(3, 10, 10));
    ASSERT_TRUE(MakeBlankSprite(4, 10, 10));
    FindSprite(3)->surface->At(9, 9) = 0x00FF00;
    FindSprite(4)->surface->At(0, 0) = 0xFF000000u;  // only the unused byte set: black
    EXPECT_EQ(SpritePixelsOverlap(3, 0, 0, 4, 9, 9), 0);
    FindSprite(4)->surface->At(0, 0) = 0x000001;
    EXPECT_EQ(SpritePixelsOverlap(3, 0, 0, 4, 9, 9), 1);
    EXPECT_EQ(SpritePixelsOverlap(4, 9, 9, 3, 0, 0), 1);
    EXPECT_EQ(SpritePixelsOverlap(3, 0, 0, 4, 8, 8), 0);
    // Against itself: a hit when it holds any colour.
    EXPECT_EQ(SpritePixelsOverlap(3, 5, 5, 3, 5, 5), 1);
    FindSprite(3)->surface->At(9, 9) = 0;
    EXPECT_EQ(SpritePixelsOverlap(3, 5, 5, 3, 5, 5), 0);
    // Positions at the ends of the integer range are compared without overflowing.
    EXPECT_EQ(SpritesOverlap(1, INT_MAX, INT_MAX, 2, INT_MAX - 5, INT_MAX), 1);
    EXPECT_EQ(SpritePixelsOverlap(1, INT_MIN, 0, 2, INT_MAX, 0), 0);
    EXPECT_FALSE(DrawSprite(1, INT_MIN, INT_MAX));
    EXPECT_TRUE(CaptureSprite(8, INT_MIN, INT_MAX, 4, 4));
    // A clip that points outside the image never reads outside it.
    SetSpriteClip(2, -5, -5, 20, 20);
    EXPECT_EQ(SpritePixelsOverlap(2, 0, 0, 1, 0, 0), 1);
    EXPECT_EQ(SpritesOverlap(2, 0, 0, 1, -30, -30), 1);
    EXPECT_EQ(SpritePixelsOverlap(2, 0, 0, 1, -30, -30), 0);
}

TEST_F(Sprites, PixelCollisionsAgreeWithWhatDrawingShowsWhenBothSpritesAreClipped) {
    // Each picture is solid colour outside its clip and sparse dots inside, so a test that
    // read either sprite from its image corner instead of its clip corner would collide
    // where the drawn sprites do not.
    auto make = [](int n, int width, int height, int cx, int cy, int cw, int ch, int seed) {
        ASSERT_TRUE(MakeBlankSprite(n, width, height));
        Surface& s = *FindSprite(n)->surface;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool inClip = x >= cx && x < cx + cw && y >= cy && y < cy + ch;
                const bool dot = (x * 7 + y * 13 + seed) % 11 == 0;
                s.At(x, y) = !inClip || dot ? 0x808080u : 0u;
            }
        SetSpriteClip(n, cx, cy, cw, ch);
    };
    make(1, 24, 20, 9, 6, 10, 8, 0);
    make(2, 30, 26, 14, 11, 12, 9, 5);
    ASSERT_TRUE(MakeBlankSprite(10, 64, 64));
    ASSERT_TRUE(MakeBlankSprite(11, 64, 64));
    auto drawAlone = [](int canvas, int n, int x, int y) {
        SelectTarget(canvas);
        runtime::screen::FillTarget(0, 0, 0);
        DrawSprite(n, x, y);
    };
    int hits = 0, nearMisses = 0;
    for (int dy = -10; dy <= 9; ++dy)
        for (int dx = -13; dx <= 11; ++dx) {
            drawAlone(10, 1, 24, 24);
            drawAlone(11, 2, 24 + dx, 24 + dy);
            SelectTarget(-1);
            const auto& a = FindSprite(10)->surface->pixels;
            const auto& b = FindSprite(11)->surface->pixels;
            int shown = 0;
            for (std::size_t i = 0; i < a.size(); ++i)
                shown |= (a[i] & 0xFFFFFFu) != 0 && (b[i] & 0xFFFFFFu) != 0;
            ASSERT_EQ(SpritePixelsOverlap(1, 24, 24, 2, 24 + dx, 24 + dy), shown)
                << dx << ", " << dy;
            ASSERT_EQ(SpritePixelsOverlap(2, 24 + dx, 24 + dy, 1, 24, 24), shown)
                << dx << ", " << dy;
            hits += shown;
            nearMisses += !shown && SpritesOverlap(1, 24, 24, 2, 24 + dx, 24 + dy);
        }
    EXPECT_GT(hits, 10);
    EXPECT_GT(nearMisses, 10);
}

TEST_F(Sprites, BitmapFilesHaveTheExactLayout) {
    for (int w = 1; w <= 4; ++w) {
        MakeMarked(7, w, 2);
        const std::vector<std::uint8_t> b = SpriteBitmapBytes(7);
        const std::size_t row = std::size_t(3 * w + w % 4);
        ASSERT_EQ(b.size(), 54 + row * 2) << w;
        auto le = [&](int at, int n) {
            std::uint32_t v = 0;
            for (int i = n - 1; i >= 0; --i)
                v = v << 8 | b[std::size_t(at + i)];
            return v;
        };
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(le(2, 4), b.size());
        EXPECT_EQ(le(6, 4), 0u);
        EXPECT_EQ(le(10, 4), 54u);
        EXPECT_EQ(le(14, 4), 40u);
        EXPECT_EQ(le(18, 4), std::uint32_t(w));
        EXPECT_EQ(le(22, 4), 2u);
        EXPECT_EQ(le(26, 2), 1u);
        EXPECT_EQ(le(28, 2), 24u);
        for (int at = 30; at < 54; at += 4)
            EXPECT_EQ(le(at, 4), 0u);
        // The first row is the bottom one, blue, green, red.
        EXPECT_EQ(b[54], std::uint8_t(Mark(0, 1)));
        EXPECT_EQ(b[55], std::uint8_t(Mark(0, 1) >> 8));
        EXPECT_EQ(b[56], std::uint8_t(Mark(0, 1) >> 16));
        EXPECT_EQ(b[54 + row + 3 * (w - 1) + 1], std::uint8_t(Mark(w - 1, 0) >> 8));
    }
    // The screenshot: 800 x 600 gives 54 + 2400 x 600 bytes with the bottom row first,
    // taken from the image's corner whatever the clip.
    MakeMarked(500, 800, 600);
    SetSpriteClip(500, 0, 10, 800, 600);
    const std::string path =
        (std::filesystem::temp_directory_path() / "tessaly_sprite_shot.bmp").string();
    ASSERT_EQ(SaveSpriteBitmap(500, path.c_str()), 1);
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(file.size(), 54u + 2400u * 590u);
    EXPECT_EQ(file, SpriteBitmapBytes(500));
    EXPECT_EQ(file[54 + 1], std::uint8_t(Mark(0, 589) >> 8));
    std::remove(path.c_str());

    EXPECT_EQ(SaveSpriteBitmap(500, nullptr), 0);
    EXPECT_EQ(SaveSpriteBitmap(501, path.c_str()), 0);
    EXPECT_EQ(SaveSpriteBitmap(500, "/nonexistent-folder/shot.bmp"), 0);

    // A pipe or a device in the screenshot's place is left alone at once.
    const std::string pipePath =
        (std::filesystem::temp_directory_path() / "tessaly_sprite_pipe.bmp").string();
    std::remove(pipePath.c_str());
    IdlePipe pipe(pipePath);
    ASSERT_TRUE(pipe.made());
    EXPECT_TRUE(pipe.ReturnsAtOnce([&] { EXPECT_EQ(SaveSpriteBitmap(500, pipePath.c_str()), 0); }));
    EXPECT_TRUE(std::filesystem::is_fifo(pipePath));
    std::remove(pipePath.c_str());
    EXPECT_EQ(SaveSpriteBitmap(500, "/dev/null"), 0);
}

TEST_F(Sprites, TableGrowsAndLoadsReplaceOrFailCleanly) {
    EXPECT_EQ(SpriteTableSize(), 50u);
    ASSERT_TRUE(MakeBlankSprite(800, 4, 4));
    EXPECT_EQ(SpriteTableSize(), 810u);
    EXPECT_EQ(FindSprite(799), nullptr);
    EXPECT_EQ(FindSprite(809), nullptr);
    EXPECT_EQ(FindSprite(810), nullptr);
    SpriteRecord* record = FindSprite(800);
    ASSERT_NE(record, nullptr);
    EXPECT_NE(reinterpret_cast<std::uintptr_t>(record), 1u);
    // Growing again keeps existing records where they are.
    ASSERT_TRUE(MakeBlankSprite(5000, 1, 1));
    EXPECT_EQ(FindSprite(800), record);
    EXPECT_FALSE(MakeBlankSprite(2'000'000'000, 1, 1));
    EXPECT_FALSE(MakeBlankSprite(-7, 1, 1));

    const auto bmp = Bmp24(3, 2, [](int x, int y) { return 0x102030u + x + 16 * y; });
    ASSERT_TRUE(LoadSpriteFromMemory(10, bmp.data(), bmp.size()));
    record = FindSprite(10);
    EXPECT_EQ(record->fullWidth, 3);
    EXPECT_EQ(record->kind, 24);
    EXPECT_EQ(record->surface->At(2, 1), 0x102030u + 2 + 16);
    ASSERT_TRUE(LoadSpriteFromMemory(11, bmp.data(), bmp.size(), Texture));
    EXPECT_EQ(FindSprite(11)->mode, Texture);
    // Damaged bytes leave the slot empty, even when it held a sprite.
    const std::uint8_t junk[] = {'B', 'M', 1, 2, 3};
    EXPECT_FALSE(LoadSpriteFromMemory(10, junk, sizeof junk));
    EXPECT_EQ(FindSprite(10), nullptr);
    ASSERT_TRUE(LoadSpriteFromMemory(10, bmp.data(), bmp.size()));
    EXPECT_FALSE(LoadSpriteFromMemory(10, nullptr, 0));
    EXPECT_EQ(FindSprite(10), nullptr);

    // A plain 8-bit buffer cannot be drawn, selected or saved; a 24-bit picture cannot
    // become one.
    EXPECT_FALSE(LoadSpriteFromMemory(12, bmp.data(), bmp.size(), PlainBuffer));
    ASSERT_TRUE(MakeBlankSprite(12, 8, 8, PlainBuffer));
    EXPECT_EQ(FindSprite(12)->kind, -2);
    EXPECT_FALSE(DrawSprite(12, 0, 0));
    EXPECT_FALSE(DrawSpriteKeyed(12, 0, 0));
    EXPECT_FALSE(SelectTarget(12));
    EXPECT_EQ(SaveSpriteBitmap(12, "never.bmp"), 0);
    EXPECT_EQ(SpritePixelsOverlap(12, 0, 0, 12, 0, 0), 0);

    // Number -1 makes a sprite outside the table, named by the handle it returns.
    const int handle = MakeBlankSprite(-1, 5, 5);
    ASSERT_LT(handle, -1);
    ASSERT_NE(FindSprite(handle), nullptr);
    EXPECT_TRUE(DiscardSprite(handle));
    EXPECT_EQ(FindSprite(handle), nullptr);

    // Closing the screen discards every sprite.
    MakeBlankSprite(-1, 5, 5);
    runtime::screen::CloseScreenDisplay();
    EXPECT_EQ(FindSprite(800), nullptr);
    EXPECT_EQ(FindSprite(11), nullptr);
}

}  // namespace
