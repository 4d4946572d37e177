#pragma once

// The star field behind the introduction, the title menu, the game-over screen and the
// credits: 5001 stars flying towards the viewer, plotted as single pixels.
namespace game::presentation {

// Made once when the full screen opens.
void createStarField();

// Moves the stars one frame and plots them onto the back buffer.
void drawStarField();

}  // namespace game::presentation
