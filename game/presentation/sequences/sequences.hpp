#pragma once

// The full-screen phases around play: the logo, the flight through the star field with
// the turning dot clouds, the title menu, the sequence after each cleared level, the
// ending after the last level and the credits. Each runs its own frames and returns when
// it ends; the waits between phases are part of them.
namespace game::presentation {

enum class MenuChoice { Start, Credits, Quit };

// The logo fading in and out on black (about 508 frames), cut short by Space or Escape.
// Loads the introduction's pictures and its music, which the introduction starts.
void runLogo();

// The flight through the star field until Space or Escape is held; ends on the loading
// picture.
void runIntro();

// Before every title menu: the pointer, the menu's pictures, the font, the high-score
// table and its picture, and the theme music started afresh.
void enterMenu();

// The menu's pictures alone, the loading picture among them (which a game started from
// the menu shows, and which stays when the game frees the menu's other pictures).
void loadMenuPictures();

// The title menu until the player clicks a button, or holds Space (Start) or Escape
// (Quit).
MenuChoice runMenu();

// After a cleared level: the paddle's picture rises through the beam, ended by its own
// timer (333 frames) or by Space.
void runLevelComplete();

// After the fifteenth level, until Escape (then a 500 ms wait).
void runEnding();

// The credits with their ring of lights, until Escape.
void runCredits();

}  // namespace game::presentation
