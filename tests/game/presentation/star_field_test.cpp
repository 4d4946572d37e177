// The star field: where a star lands on the screen, how bright it is, how stars wrap
// round the camera, and the camera's flight turning at +-1000.
#include "game/presentation/star_field.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "runtime/screen/screen.hpp"
#include "tests/game/presentation/headless_screen.hpp"

namespace {

using game::presentation::drawStarField;
using game::presentation::StarField;
using game::presentation::Stars;

// Every star far off to the left, where it is never drawn, and the camera at c.
void ParkStars(float c) {
    StarField& f = Stars();
    for (auto& star : f.stars)
        star = {-5000.0f, 0.0f, c + 1000.0f};
    f.cameraDepth = c;
    f.cameraSpeed = 1.0f;
    f.direction = 0;
}

TEST(StarField, ProjectsStarsWithDepthBrightness) {
    StartQuietScreen();
    ParkStars(250.0f);
    StarField& f = Stars();
    f.stars[0] = {100.0f, -50.0f, 1250.0f};  // 1000 in front: (410, 295), black
    f.stars[1] = {250.0f, 100.0f, 750.0f};   // 500 in front: (450, 320), 255 - 127.5
    f.stars[2] = {1.0f, -1.0f, 250.5f};      // just in front: (600, 100), nearly white
    f.stars[3] = {12.5f, 0.0f, 350.0f};      // 412.5 rounds to the even 412
    f.stars[4] = {37.5f, 0.0f, 350.0f};      // 437.5 rounds to the even 438
    f.stars[5] = {-400.0f, 20.0f, 350.0f};   // x 0: off the screen
    f.stars[6] = {5.0f, 5.0f, 250.0f};       // on the camera: not drawn
    f.stars[7] = {0.0f, 0.0f, 200.0f};       // behind the camera: moved to the far end
    f.stars[8] = {0.0f, 0.0f, 1300.0f};      // beyond the far end: moved onto the camera
    f.stars[9] = {-12.5f, 0.0f, 350.0f};     // 387.5 rounds to the even 388
    // The last star, which the field takes on its own: 362.5 rounds to the even 362.
    f.stars[game::presentation::kStars - 1] = {-37.5f, 0.0f, 350.0f};

    runtime::screen::FillTarget(255, 0, 0);
    drawStarField();
    EXPECT_EQ(ScreenColour(410, 295), Grey(0));
    EXPECT_EQ(ScreenColour(450, 320), Grey(127));
    EXPECT_EQ(ScreenColour(600, 100), Grey(254));
    EXPECT_EQ(ScreenColour(412, 300), Grey(229));
    EXPECT_EQ(ScreenColour(438, 300), Grey(229));
    EXPECT_EQ(ScreenColour(413, 300), 0x0000FFu);
    EXPECT_EQ(ScreenColour(437, 300), 0x0000FFu);
    EXPECT_EQ(ScreenColour(0, 320), 0x0000FFu);
    EXPECT_EQ(ScreenColour(388, 300), Grey(229));
    EXPECT_EQ(ScreenColour(387, 300), 0x0000FFu);
    EXPECT_EQ(ScreenColour(362, 300), Grey(229));
    EXPECT_EQ(ScreenColour(363, 300), 0x0000FFu);
    EXPECT_EQ(ScreenColour(400, 300), Grey(0));  // star 7 at the far end, centred
    EXPECT_EQ(f.stars[7].z, 1250.0f);
    EXPECT_EQ(f.stars[8].z, 250.0f);
    std::size_t plotted = 0;
    for (const std::uint32_t p : runtime::screen::BackBuffer().pixels)
        plotted += (p & 0xFFFFFFu) != 0xFF0000u;
    EXPECT_EQ(plotted, 8u);  // stars 0 to 4, 7, 9 and the last
    EXPECT_EQ(f.cameraDepth, 251.0f);
}

TEST(StarField, CameraTurnsBackPastPlusAndMinusOneThousand) {
    StartQuietScreen();
    ParkStars(999.5f);
    StarField& f = Stars();
    drawStarField();
    EXPECT_EQ(f.direction, 0);  // 999.5 is not past 1000 yet
    EXPECT_FLOAT_EQ(f.cameraSpeed, 1.0f);
    drawStarField();
    EXPECT_EQ(f.direction, -1);
    EXPECT_FLOAT_EQ(f.cameraSpeed, 0.99f);

    // Slowing down, the camera comes to about 1050 and flies back, still speeding up
    // when it passes -1000.
    float highest = f.cameraDepth, slowest = f.cameraSpeed;
    int frames = 0;
    while (f.cameraDepth >= -1000.0f && frames < 5000) {
        drawStarField();
        highest = std::max(highest, f.cameraDepth);
        slowest = std::min(slowest, f.cameraSpeed);
        ++frames;
    }
    EXPECT_NEAR(highest, 1050.0f, 2.0f);
    EXPECT_NEAR(slowest, -6.4f, 0.1f);
    EXPECT_EQ(f.direction, -1);  // noticed at the next frame
    const float speed = f.cameraSpeed;
    drawStarField();
    EXPECT_EQ(f.direction, 1);
    EXPECT_FLOAT_EQ(f.cameraSpeed, speed + 0.01f);

    // Turned round far beyond -1000, the camera comes back and turns again past 1000.
    float lowest = f.cameraDepth;
    for (frames = 0; f.direction == 1 && frames < 5000; ++frames) {
        drawStarField();
        lowest = std::min(lowest, f.cameraDepth);
    }
    EXPECT_LT(lowest, -3000.0f);
    EXPECT_GT(f.cameraDepth, 1000.0f);

    // The speed stops growing once it has reached 10 either way.
    for (const int d : {1, -1}) {
        f.cameraDepth = 0.0f;
        f.direction = d;
        f.cameraSpeed = float(d) * 9.995f;
        drawStarField();
        EXPECT_FLOAT_EQ(f.cameraSpeed, float(d) * 10.005f);
        drawStarField();
        EXPECT_FLOAT_EQ(f.cameraSpeed, float(d) * 10.005f);
    }
}

}  // namespace
