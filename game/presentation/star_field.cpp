#include "game/presentation/star_field.hpp"

#include <cmath>

#include "runtime/screen/screen.hpp"
#include "runtime/support/random.hpp"

namespace game::presentation {

namespace {

StarField g_field;

}  // namespace

StarField& Stars() {
    return g_field;
}

void createStarField() {
    using runtime::support::RandomUpTo;
    for (Star& star : g_field.stars) {
        star.x = float(RandomUpTo(10000) - 5000);
        star.y = float(RandomUpTo(10000) - 5000);
        star.z = float(RandomUpTo(1000) + 100);
    }
    g_field.cameraDepth = 0.0f;
    g_field.cameraSpeed = 1.0f;
    g_field.direction = 0;
}

void drawStarField() {
    StarField& f = g_field;
    const float c = f.cameraDepth;
    runtime::screen::BeginDrawing(runtime::screen::OpenScreenDrawing());
    for (Star& star : f.stars) {
        // A star that falls behind the camera comes back at the far end, and one beyond
        // the far end comes back right in front of the camera.
        if (star.z < c)
            star.z = c + 1000.0f;
        else if (star.z > c + 1000.0f)
            star.z = c;
        const float depth = star.z - c;
        if (depth == 0.0f) continue;  // on the camera itself: nowhere on the screen
        // The screen position rounds half to even (the default rounding mode), in floats;
        // it is compared before it becomes an integer, so a star close to the camera
        // cannot overflow one.
        const float sx = std::nearbyint(star.x / depth * 100.0f + 400.0f);
        const float sy = std::nearbyint(star.y / depth * 100.0f + 300.0f);
        if (!(sx > 0.0f && sx < 800.0f && sy > 0.0f && sy < 600.0f)) continue;
        const auto g = std::uint32_t(int(255.0f - depth * 0.255f));
        runtime::screen::PlotPixel(int(sx), int(sy), g | g << 8 | g << 16);
    }
    runtime::screen::EndDrawing();

    // The flight: forwards until the camera passes 1000, then slowing and reversing to
    // full speed backwards until it passes -1000, and round again.
    if (c > 1000.0f)
        f.direction = -1;
    else if (c < -1000.0f)
        f.direction = 1;
    if (f.direction == 1 && f.cameraSpeed < 10.0f)
        f.cameraSpeed += 0.01f;
    else if (f.direction == -1 && f.cameraSpeed > -10.0f)
        f.cameraSpeed -= 0.01f;
    f.cameraDepth += f.cameraSpeed;
}

}  // namespace game::presentation
