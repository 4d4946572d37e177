#include "game/levels/bricks.hpp"
#include "game/play/steps.hpp"
#include "game/state/game_state.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"

namespace game::play {

using game::levels::Brick;
using game::levels::Bricks;
using runtime::sprites::DrawSprite;
using runtime::sprites::DrawSpriteKeyed;
using runtime::sprites::SetSpriteClip;

namespace {

constexpr int kBarrierSprite = play_pack::kBarrier;
constexpr int kBarrierY = 450;

void MoveAllBricks(int pixels) {
    for (Brick& brick : Bricks())
        brick.y += pixels;
}

// A ball meeting the raised barrier turns back; the cooldown, shared by all balls, lets a
// second ball through for the next ten frames.
void BarrierTest(Ball& ball, int ballSprite) {
    PlayState& s = Play();
    if (!s.barrierUp || s.barrierCooldown.on) return;
    if (runtime::sprites::SpritePixelsOverlap(ballSprite, ball.x, ball.y, kBarrierSprite, 0,
                                              kBarrierY) != 1)
        return;
    s.barrierCooldown.on = true;
    s.barrierCooldown.counter = 0;
    ball.dy = -ball.dy;
}

}  // namespace

bool BarrierEnabled() {
    const state::GameState& game = state::Game();
    return game.levelNumber == 7 || game.levelNumber == 9 || game.barrierFlag == 1;
}

void UpdateBarrier() {
    if (!BarrierEnabled()) return;
    PlayState& s = Play();
    if (s.barrierUp) {
        // The stripes run left by one pixel inside the picture. The last clip stays, so
        // the barrier shown and tested is 799 pixels wide.
        runtime::sprites::SelectTarget(kBarrierSprite);
        SetSpriteClip(kBarrierSprite, 0, 0, 1, 20);
        DrawSprite(kBarrierSprite, 799, 0);
        SetSpriteClip(kBarrierSprite, 1, 0, 799, 20);
        DrawSprite(kBarrierSprite, 0, 0);
        runtime::sprites::SelectTarget(-1);
        DrawSpriteKeyed(kBarrierSprite, 0, kBarrierY);
    }
    s.barrierTimer += 1;
    if (s.barrierTimer == 150) s.barrierUp = true;
    if (s.barrierTimer == 300) {
        s.barrierUp = false;
        s.barrierTimer = 0;
    }
    BarrierTest(s.ball, kMainBallSprite);
    // The extra balls are tested where they were last, in play or not.
    BarrierTest(s.extraA, kExtraBallSprite);
    BarrierTest(s.extraB, kExtraBallSprite);
    TickCooldown(s.barrierCooldown, 10);
    DrawSpriteKeyed(play_pack::kLeftBarrierPost, 0, 443);
    DrawSpriteKeyed(play_pack::kRightBarrierPost, 780, 443);
}

void DrawBarrierGlow() {
    if (!BarrierEnabled() || !Play().barrierUp) return;
    for (int k = 0; k <= 25; ++k)
        runtime::quads::DrawQuadSprite(play_pack::kBarrierGlowQuad, 32 * k, 445, 60);
}

bool DescentEnabled() {
    const state::GameState& game = state::Game();
    return game.levelNumber == 6 || game.levelNumber == 12 || game.descentFlag == 1;
}

void DrawLamp() {
    if (!DescentEnabled()) return;
    PlayState& s = Play();
    runtime::quads::DrawQuadSprite(play_pack::kLampQuad, 350, 15, s.lampAlpha);
    s.lampAlpha += s.lampUp ? 2 : -2;
    if (s.lampAlpha >= 251) s.lampUp = false;
    if (s.lampAlpha < 5) s.lampUp = true;
}

void UpdateDescent() {
    if (!DescentEnabled()) return;
    PlayState& s = Play();
    if (++s.descentTimer < 100) return;
    const state::GameState& game = state::Game();
    // 1 pixel on level 6, 3 on level 12, both (4) in a level file.
    int step = 0;
    if (game.levelNumber == 6 || game.descentFlag == 1) step += 1;
    if (game.levelNumber == 12 || game.descentFlag == 1) step += 3;
    MoveAllBricks(step);
    runtime::sound::PlaySoundOnce(play_pack::kDescentSound);
    s.descentTimer = 0;
}

void UpdateBrickDrop() {
    PlayState& s = Play();
    if (!s.dropOn) return;
    MoveAllBricks(1);
    if (++s.dropCounter == 33) {
        s.dropOn = false;
        runtime::sound::PlaySoundOnce(play_pack::kBrickDestroyedSound);
    }
}

bool BricksTooLow() {
    for (const Brick& brick : Bricks())
        if (brick.y > 568) return true;
    return false;
}

}  // namespace game::play
