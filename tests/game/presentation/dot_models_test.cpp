// The dot clouds: the shapes of the five models, their turning with rounding at every
// step, and the size, place and brightness of each drawn dot.
#include "game/presentation/dot_models.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "runtime/quads/quads.hpp"
#include "runtime/screen/screen.hpp"
#include "tests/game/presentation/headless_screen.hpp"

namespace {

using namespace game::presentation;

struct Box {
    int lo[3], hi[3];
};

double Length(double x, double y, double z) {
    return std::sqrt(x * x + y * y + z * z);
}

TEST(DotModels, ShapesKeepTheirBoundsAndOrder) {
    const Box boxes[kDotModels] = {
        {{-100, -100, -100}, {100, 100, 100}}, {{-100, -100, -100}, {100, 100, 100}},
        {{-51, -200, -80}, {127, 163, 80}},    {{-1, -1, -234}, {1, 1, 232}},
        {{-688, 0, 0}, {710, 0, 376}},
    };
    for (int m = 1; m <= kDotModels; ++m) {
        SCOPED_TRACE(m);
        SelectModel(m);
        EXPECT_EQ(Models().current, m);
        int lo[3] = {9999, 9999, 9999}, hi[3] = {-9999, -9999, -9999};
        for (int i = 0; i < kModelRecords; i += 2) {
            const ModelPoint& p = Models().points[i];
            const int v[3] = {p.fixedX, p.fixedY, p.fixedZ};
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::min(lo[a], v[a]);
                hi[a] = std::max(hi[a], v[a]);
            }
            if (m == 1) {
                EXPECT_NEAR(Length(v[0], v[1], v[2]), 100.0, 2.0);
            }
            if (m == 5) {
                EXPECT_LE(std::abs(v[0]), 1.9 * v[2] + 1);
            }
            if (m == 3) {
                // One closed path: every drawn point a small step from the next.
                const ModelPoint& q = Models().points[(i + 2) % kModelRecords];
                EXPECT_LE(std::max({std::abs(q.fixedX - v[0]), std::abs(q.fixedY - v[1]),
                                    std::abs(q.fixedZ - v[2])}),
                          5);
            }
        }
        for (int a = 0; a < 3; ++a) {
            EXPECT_EQ(lo[a], boxes[m - 1].lo[a]) << "axis " << a;
            EXPECT_EQ(hi[a], boxes[m - 1].hi[a]) << "axis " << a;
        }
    }
    SelectModel(1);
    EXPECT_EQ(Models().points[4].fixedX, -34);
    EXPECT_EQ(Models().points[4].fixedZ, 80);
    SelectModel(5);
    EXPECT_EQ(Models().points[2].fixedX, -1);
    EXPECT_EQ(Models().points[4].fixedX, -3);
}

// Puts one model point in place of the first record and turns it once.
ModelPoint TurnOne(int x, int y, int z, ModelAngles angles) {
    SelectModel(2);
    Models().angles[2] = angles;
    ModelPoint& p = Models().points[0];
    p.fixedX = x;
    p.fixedY = y;
    p.fixedZ = z;
    RotateModel(0, 0, 0);
    return p;
}

TEST(DotModels, TurnRoundsAtEveryStep) {
    // cos 60 comes out a little above 0.5, so its product rounds up to 1 before sin 60 is
    // added: 1 + 0.866 gives 2 where a single rounding of 1.366 would give 1.
    ModelPoint p = TurnOne(1, 1, 0, {0, 0, 60});
    EXPECT_EQ(p.x, 2);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(p.z, 0);
    p = TurnOne(0, 1, 1, {60, 0, 0});
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 2);
    EXPECT_EQ(p.z, 0);
    p = TurnOne(0, -1, 1, {60, 0, 0});
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(p.z, 2);
    p = TurnOne(7, -3, 5, {0, 0, 0});
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(p.y, -3);
    EXPECT_EQ(p.z, 5);
    // The factor 0.017453 falls short of pi / 180: at 90 degrees the cosine is not 0.
    EXPECT_GT(CosDeg(90.0f), 2.0e-5f);
    EXPECT_LT(CosDeg(90.0f), 3.0e-5f);
    EXPECT_FLOAT_EQ(SinDeg(30.0f), std::sin(30.0f * 0.017453f));
}

TEST(DotModels, TurnIsARotationAndAnglesStepModulo360) {
    for (int m = 1; m <= kDotModels; ++m) {
        SCOPED_TRACE(m);
        SelectModel(m);
        Models().angles[m] = {37, 123, 291};
        RotateModel(5, 300, 100);
        for (int i = 0; i < kModelRecords; i += 2) {
            const ModelPoint& p = Models().points[i];
            ASSERT_NEAR(Length(p.x, p.y, p.z), Length(p.fixedX, p.fixedY, p.fixedZ), 2.7) << i;
        }
        EXPECT_EQ(Models().angles[m].ax, 42);
        EXPECT_EQ(Models().angles[m].ay, 63);
        EXPECT_EQ(Models().angles[m].az, 31);
        EXPECT_EQ(Models().points[1].x, 0);  // odd records are never turned
    }
    // About z alone, a point turns within its plane: x' = X cos + Y sin, y' = Y cos - X sin.
    SelectModel(1);
    Models().angles[1] = {0, 0, 30};
    RotateModel(0, 0, 0);
    const double c = std::cos(30 * M_PI / 180), s = std::sin(30 * M_PI / 180);
    for (int i = 0; i < kModelRecords; i += 2) {
        const ModelPoint& p = Models().points[i];
        ASSERT_NEAR(p.x, p.fixedX * c + p.fixedY * s, 1.6) << i;
        ASSERT_NEAR(p.y, p.fixedY * c - p.fixedX * s, 1.6) << i;
        ASSERT_EQ(p.z, p.fixedZ) << i;
    }
}

TEST(DotModels, DotsGrowWithDepthAndZoomAboutTheCentre) {
    StartQuietScreen();
    MakeSolidSprite(995, 64, 64, 0xFFFFFF, runtime::sprites::Texture);
    ASSERT_NE(runtime::quads::MakeQuadSprite(40, 995), nullptr);
    SelectModel(1);
    for (ModelPoint& p : Models().points)
        p.x = p.y = p.z = 0;
    Models().points[0] = {10, -20, 41, 0, 0, 0};   // size 42: half 21, alpha 5 + base
    Models().points[2] = {-200, 0, 64, 0, 0, 0};   // size 1
    Models().points[4] = {100, 100, -5, 0, 0, 0};  // behind: not drawn

    auto lit = [] {
        std::size_t n = 0;
        for (const std::uint32_t p : runtime::screen::BackBuffer().pixels)
            n += (p & 0xFFFFFFu) != 0;
        return n;
    };
    runtime::screen::FillTarget(0, 0, 0);
    DrawModel(40, 400, 300, 1.0f, 100);
    EXPECT_EQ(ScreenColour(389, 259), Grey(105));
    EXPECT_EQ(ScreenColour(430, 300), Grey(105));
    EXPECT_EQ(ScreenColour(388, 259), 0u);
    EXPECT_EQ(ScreenColour(389, 258), 0u);
    EXPECT_EQ(ScreenColour(431, 300), 0u);
    EXPECT_EQ(ScreenColour(430, 301), 0u);
    EXPECT_EQ(ScreenColour(200, 300), Grey(100));
    EXPECT_EQ(lit(), 42u * 42u + 1u);

    // At 1.5 times: 63 pixels wide, half 31, placed at 15 + 400 - 31 and -30 + 300 - 31.
    runtime::screen::FillTarget(0, 0, 0);
    DrawModel(40, 400, 300, 1.5f, 100);
    EXPECT_EQ(ScreenColour(384, 239), Grey(115));
    EXPECT_EQ(ScreenColour(446, 301), Grey(115));
    EXPECT_EQ(ScreenColour(383, 239), 0u);
    EXPECT_EQ(ScreenColour(447, 301), 0u);
    EXPECT_EQ(lit(), 63u * 63u + 4u);  // the single dot is 2 x 2 now (nearest of 1.5)
    runtime::sprites::DiscardSprite(995);
}

}  // namespace
