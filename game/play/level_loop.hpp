#pragma once

// A level being played: the level start, one frame after the other until the level is
// cleared, the game is lost or the player pauses, and the pause banner.
namespace game::play {

enum class LevelOutcome { None, Cleared, Lost, Paused };
enum class PauseOutcome { Resume, QuitToMenu };

// Runs once before a level's first frame: sparks, paddle, music, effects, intro, gauge.
void levelStart();

// One frame of play. None means the frame was shown and play goes on. A frame that ends
// in Cleared or Lost stops where that was decided: nothing more is drawn or shown.
LevelOutcome playFrame();

// Runs frames until one ends the level, or the full screen loses the focus (Paused). From
// the level set-up (fromSetUp) the level start runs first; after a pause play continues
// with all state kept.
LevelOutcome playLevel(bool fromSetUp);

// The pause banner, until Enter (Resume) or Space (QuitToMenu). overBanner, when given, is
// called on every frame once the banner is drawn and before it is shown, with the frames
// the banner has shown so far (0 first).
PauseOutcome runPause(void (*overBanner)(int frame) = nullptr);

}  // namespace game::play
