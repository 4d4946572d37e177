#include "game/play/steps.hpp"
#include "game/state/game_state.hpp"
#include "runtime/input/input.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/random.hpp"

namespace game::play {

using runtime::sound::PlaySoundOnce;
using runtime::sprites::DrawSpriteKeyed;

void TickCooldown(Cooldown& cooldown, int frames) {
    if (!cooldown.on) return;
    if (++cooldown.counter >= frames) {
        cooldown.on = false;
        cooldown.counter = 0;
    }
}

bool PaddleBounce(Ball& ball, int ballSprite) {
    PlayState& s = Play();
    if (ball.paddleCooldown.on) return false;
    if (runtime::sprites::SpritesOverlap(ballSprite, ball.x, ball.y, s.paddleSprite, s.paddleX,
                                         kPaddleY) != 1)
        return false;
    ball.paddleCooldown.on = true;
    PlaySoundOnce(play_pack::kPaddleBounceSound);
    // Kept: the old direction is not looked at; a ball coming in from the right can leave
    // straight up or to the right. Only a ball on the paddle's left end is sent back left.
    ball.dx = ball.dx + runtime::support::RandomUpTo(5) + 1;
    if (ball.dx > 6) ball.dx = 1;
    if (ball.x - 10 < s.paddleX) ball.dx = -ball.dx;
    ball.dy = -ball.dy;
    return true;
}

namespace {

// The side walls and the ceiling of an extra ball; 761 on the right, one pixel further
// than the main ball's test. Kept: extra balls turn that one pixel later.
void MoveExtraBall(Ball& ball) {
    if (ball.x >= 761) ball.dx = -ball.dx;
    if (ball.x < 23) ball.dx = -ball.dx;
    if (ball.y < 25) ball.dy = -ball.dy;
    if (ball.y > 600) ball.active = false;
    ball.x += ball.dx;
    ball.y += ball.dy;
}

void LoseMainBall() {
    PlayState& s = Play();
    s.ball.active = false;
    s.ghost.shown = 1;
    s.ghost.x = std::int16_t(s.ball.x - 10);
    s.ghost.y = 600;
    s.ghost.alpha = 170;
    PlaySoundOnce(play_pack::kBallLostSound);
    state::Game().lives -= 1;
    s.paddleSprite = play_pack::kPaddle;
    s.ammunition = 0;
    s.gunOn = false;
    s.rocket.state = RocketState::None;
    s.multiBall = false;
    s.reversedControls = false;
    s.extraA.active = false;
    s.extraB.active = false;
}

}  // namespace

void UpdateExtraBalls() {
    PlayState& s = Play();
    if (!s.multiBall) return;
    MoveExtraBall(s.extraA);
    MoveExtraBall(s.extraB);
    if (!s.extraA.active && !s.extraB.active) s.multiBall = false;
    PaddleBounce(s.extraA, kExtraBallSprite);
    PaddleBounce(s.extraB, kExtraBallSprite);
    TickCooldown(s.extraA.paddleCooldown, 10);
    TickCooldown(s.extraB.paddleCooldown, 10);
}

bool UpdateMainBall() {
    PlayState& s = Play();
    Ball& ball = s.ball;
    if (!ball.active) {
        // Rides on the paddle where it stood last frame; the paddle moves later.
        ball.x = s.paddleX + 20;
        ball.y = 560;
        return false;
    }
    if (ball.x > 760) ball.dx = -ball.dx;
    if (ball.x < 23) ball.dx = -ball.dx;
    if (ball.y < 25) ball.dy = -ball.dy;
    if (ball.y > 600) {
        const int lostX = ball.x;
        LoseMainBall();
        if (state::Game().lives < 0) return true;
        // Only the explosion and the flash show: the popup starts far below the screen.
        if (Effect* effect = StartEffect(lostX, 570)) effect->popupY = 3000;
    }
    ball.x += ball.dx;
    ball.y += ball.dy;
    PaddleBounce(ball, kMainBallSprite);
    return false;
}

void MovePaddle() {
    PlayState& s = Play();
    runtime::input::ReadMouse();
    const std::int64_t m = runtime::input::MouseMoveX();
    // Summed in 64 bits: a huge movement is simply out of range (as the wrapped 32-bit sum
    // was), instead of an overflow.
    const std::int64_t candidate = s.reversedControls ? s.paddleX - m : s.paddleX + m;
    // Out of range the paddle stays where it was instead of stopping at the edge.
    if (candidate > 0 && candidate < 726) s.paddleX = std::int32_t(candidate);
}

void Serve() {
    PlayState& s = Play();
    if (s.introCounter == 300 && !s.ball.active && runtime::input::MouseButtonDown(1) == 1 &&
        s.ghost.shown == 0)
        s.ball.active = true;
}

void DrawBallGlows() {
    PlayState& s = Play();
    using runtime::quads::DrawQuadSprite;
    DrawQuadSprite(play_pack::kBallGlowQuad, s.ball.x - 8, s.ball.y - 8, 80);
    if (s.extraA.active)
        DrawQuadSprite(play_pack::kBallGlowQuad, s.extraA.x - 8, s.extraA.y - 8, 80);
    if (s.extraB.active)
        DrawQuadSprite(play_pack::kBallGlowQuad, s.extraB.x - 8, s.extraB.y - 8, 80);
}

void DrawGhost() {
    Ghost& ghost = Play().ghost;
    if (ghost.shown == 0) return;
    runtime::quads::DrawQuadSprite(play_pack::kGhostQuad, ghost.x, ghost.y, ghost.alpha);
    ghost.y = std::int16_t(ghost.y - 2);
    ghost.alpha = std::int16_t(ghost.alpha - 2);
    if (ghost.alpha < 1) ghost.shown = 0;
}

void DrawBalls() {
    PlayState& s = Play();
    DrawSpriteKeyed(kMainBallSprite, s.ball.x, s.ball.y);
    if (!s.multiBall) return;
    if (s.extraA.active) DrawSpriteKeyed(kExtraBallSprite, s.extraA.x, s.extraA.y);
    if (s.extraB.active) DrawSpriteKeyed(kExtraBallSprite, s.extraB.x, s.extraB.y);
}

void LimitPaddle(int limit) {
    PlayState& s = Play();
    if (s.paddleX > limit) s.paddleX = limit;
}

}  // namespace game::play
