#pragma once

#include <array>
#include <optional>

#include "game/presentation/sequences/sequences.hpp"
#include "runtime/screen/screen.hpp"

// What the phases around play keep from frame to frame, and their single frames: the
// phases run these in their loops, and the tests step them one at a time.
namespace game::presentation {

struct IntroState {
    int logoAlpha = 0;  // 0 to 255
    bool logoRising = true;
    float zoom = 1.0f;  // the dot clouds swing between 1 and 2 times their size
    float zoomStep = 0.005f;
};

// "data\wat.pak", the title animation: its 30 frames become sprites 300 to 329 for the menu
// and again for the credits. Both show 300 to 328 in turn; 329 is read but never shown.
inline constexpr int kFirstAnimationFrame = 300;
inline constexpr int kAnimationFrames = 30;
inline constexpr int kAnimationEnd = kFirstAnimationFrame + kAnimationFrames - 1;  // turns back

struct MenuState {
    int pointerX = 200, pointerY = 200;  // the pointer never reaches 0, 800 or 600
    int backgroundY = 0;                 // carried over from one menu to the next
    int band1 = 0, band2 = 0;            // x offsets of the two layers over the window
    int frame = kFirstAnimationFrame;    // animation sprite; the credits go on with it
    bool mouseRead = false;              // the menu has read the mouse since it was entered
};

struct LevelCompleteState {
    int rise = 538;  // y of the paddle's picture, 2 up per frame
    int driftX = 0;  // its x, one step a frame towards the beam at 336
    int angle = 0;
    int beamAlpha = 80;
    int beamDirection = 0;  // 0 brightening, 1 dimming
};

struct EndingState {
    int far = 0, middle = 0, near = 0;  // x offsets of the three layers
    int farCount = 0, middleCount = 0;
    int driftX = 0, angle = 0;
    int textY = 600;
};

// One light of the credits' ring: where it is and where it is going, one unit a frame on
// every axis.
struct RingPoint {
    int x = 0, y = 0, z = 0;
    int targetX = 0, targetY = 0, targetZ = 0;
};

struct CreditsState {
    int backdropY = 0;
    int textY = 610;
    std::array<RingPoint, 24> ring{};  // points 1 to 23; kept for the whole run
    float a1 = 0.0f, a2 = 0.0f, a3 = 0.0f;
};

// The player closed the window or the desktop asked the game to quit: every phase ends at
// once, skipping its closing waits, and the program ends.
inline bool QuitRequested() {
    return runtime::screen::State().quitRequested;
}

IntroState& Intro();
MenuState& Menu();
LevelCompleteState& LevelComplete();
EndingState& Ending();
CreditsState& Credits();

// The frame counter of the scrolling text pages (0 to 4): the ending goes on with the
// value it finds, the credits start it at 0.
int& TextCounter();

// Turns a width x height sprite's picture the given number of columns to the left inside
// itself. The clip of the last copy stays set on the sprite, so it is drawn without its
// first columns until the clip is set again.
void turnLeftInPlace(int sprite, int columns, int width, int height);

// One frame of the logo: false when the phase ends (faded out, unshown, or Space or
// Escape held after the frame was shown).
bool logoFrame();
// One frame of the introduction: false once Space or Escape is held.
bool introFrame();
// One frame of the title menu: the choice once one is made.
std::optional<MenuChoice> menuFrame();
// One frame after a cleared level: false when the sequence ends (its timer ran out before
// the frame was drawn, or Space held after it was shown).
bool levelCompleteFrame();
// One frame of the ending: false once Escape is held.
bool endingFrame();
// One frame of the credits: false once Escape is held.
bool creditsFrame();
// The ring of lights: moves its points, turns it and draws it twice (inside a scene).
void ringStep();

}  // namespace game::presentation
