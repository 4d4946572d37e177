#pragma once

#include "game/levels/bricks.hpp"
#include "game/play/play_state.hpp"

// The pieces the level frame loop calls in its fixed order. Each returns true where the
// level can end inside it (the last counted brick destroyed, or the last life lost).
namespace game::play {

// The pictures the balls are drawn and tested with.
inline constexpr int kMainBallSprite = play_pack::kBall;
inline constexpr int kExtraBallSprite = play_pack::kExtraBall;

// ---- Balls and paddle ----
void TickCooldown(Cooldown& cooldown, int frames);
bool PaddleBounce(Ball& ball, int ballSprite);
void UpdateExtraBalls();
bool UpdateMainBall();  // true when the last life is gone
void MovePaddle();
void Serve();
void DrawBallGlows();
void DrawGhost();
void DrawBalls();
// Limits the paddle's left edge, for the capsules that make it wider or armed.
void LimitPaddle(int limit);

// ---- Brick hits ----
// The sprite a brick is tested and drawn with, or -1 for a code that has no picture.
int BrickSprite(const game::levels::Brick& brick);
bool BallAgainstBricks(Ball& ball, int ballSprite);  // true when the level is cleared
// Destroys the brick list's current element. A ball's destruction scores and counts in
// the streak; a shot's or the rocket's does not. True when the level is cleared.
bool DestroyCurrentBrick(bool byBall);
// A shot's or the rocket's hit on the brick list's current element: the three-hit brick
// loses a hit (its third breaks it with the ball's points), steel rings, the others break
// without points. True when the level is cleared.
bool HitCurrentBrickWithoutBall();
// The slot it took, or null when all twenty are busy.
Effect* StartEffect(int x, int y);
void DrawEffects();
void TickBrickCooldowns();
void UpdateStreak();
void UpdateStreakAward();

// ---- Capsules and power-ups ----
void BonusRoll(int x, int y);
void UpdateCapsules();
bool UpdateGun();  // true when a shot cleared the level
void DrawShotGlows();
void DrawAmmunition();
bool UpdateFlyingRocket();  // true when the rocket cleared the level
void UpdateArmedRocket();
void DrawGauge();
void UpdateDoubleScore();
void StartParticle(Particle& particle);
void StartAllParticles();
void UpdateFountain();
void DrawLetterPanel();
void UpdateLetterAward();

// ---- Hazards ----
bool BarrierEnabled();
void UpdateBarrier();
void DrawBarrierGlow();
bool DescentEnabled();
void DrawLamp();
void UpdateDescent();
void UpdateBrickDrop();
bool BricksTooLow();

}  // namespace game::play
