#pragma once

#include <array>

// The star field behind the introduction, the title menu, the game-over screen and the
// credits: 5001 stars flying towards the viewer, plotted as single pixels.
namespace game::presentation {

// Made once when the full screen opens.
void createStarField();

// Moves the stars one frame and plots them onto the back buffer.
void drawStarField();

inline constexpr int kStars = 5001;

struct Star {
    float x = 0, y = 0, z = 0;
};

// One flight for the whole run: every phase that shows the stars carries it on.
struct StarField {
    std::array<Star, kStars> stars{};
    float cameraDepth = 0.0f;  // c: the stars lie between c and c + 1000
    float cameraSpeed = 1.0f;  // v: added to c every frame, -10 to 10
    int direction = 0;         // d: +1 speeds up, -1 slows down and reverses; 0 at first
};

StarField& Stars();

}  // namespace game::presentation
