#include "game/levels/bricks.hpp"
#include "game/play/steps.hpp"
#include "game/state/game_state.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/text.hpp"

namespace game::play {

using game::levels::Brick;
using game::levels::Bricks;
using runtime::sound::PlaySoundOnce;
using runtime::sprites::DrawSpriteKeyed;
using runtime::sprites::SpritesOverlap;

int BrickSprite(const Brick& brick) {
    if (brick.code == 0) return kMainBallSprite;  // an empty level-file cell uses the ball
    // A code with no brick picture is neither drawn nor hit.
    return game::levels::IsBrickCode(brick.code) ? brick.code : -1;
}

bool DestroyCurrentBrick(bool byBall) {
    PlayState& s = Play();
    state::GameState& game = state::Game();
    Brick& brick = *Bricks().Current();
    PlaySoundOnce(play_pack::kBrickDestroyedSound);
    if (byBall) {
        s.streakShown = true;
        s.streakTimer = 60;
        s.streakCount += 1;
        state::AddScore(s.doubleScoreCounter >= 1 ? 100 : 50);
    }
    // Kept: the counter is 16 bits and is never recounted from the list.
    game.bricksLeft = std::int16_t(game.bricksLeft - 1);
    if (game.bricksLeft < 1) {
        game.levelNumber += 1;
        return true;
    }
    StartEffect(brick.x, brick.y);
    BonusRoll(brick.x, brick.y);
    runtime::support::DeleteElement(Bricks());
    return false;
}

namespace {

// A hit that does not depend on what hit the brick: the three-hit brick loses a hit and
// breaks on the third, which scores as a ball's destruction whatever caused it.
// Returns true when the level is cleared.
bool DamageThreeHitBrick() {
    Brick& brick = *Bricks().Current();
    brick.hits -= 1;
    if (brick.hits >= 1) {
        PlaySoundOnce(play_pack::kBrickHitSound);
        return false;
    }
    return DestroyCurrentBrick(true);
}

}  // namespace

bool HitCurrentBrickWithoutBall() {
    switch (Bricks().Current()->code) {
        case 0:
            return false;  // an empty level-file cell only stops the shot
        case game::levels::kThreeHitBrick:
            return DamageThreeHitBrick();
        case game::levels::kSteelBrick:
            PlaySoundOnce(play_pack::kBrickHitSound);
            return false;
        default:
            return DestroyCurrentBrick(false);
    }
}

bool BallAgainstBricks(Ball& ball, int ballSprite) {
    // While the cooldown runs no halo test counts.
    if (ball.brickCooldown.on) return false;
    auto& bricks = Bricks();
    runtime::support::ResetList(bricks);
    while (Brick* brick = runtime::support::NextElement(bricks)) {
        const int sprite = BrickSprite(*brick);
        if (sprite < 0) continue;
        // The side tests come first: a ball already inside the brick's rows turns
        // sideways; only one within 5 pixels above or below turns vertically.
        bool horizontal;
        if (SpritesOverlap(ballSprite, ball.x, ball.y, sprite, brick->x - 5, brick->y) == 1 ||
            SpritesOverlap(ballSprite, ball.x, ball.y, sprite, brick->x + 5, brick->y) == 1)
            horizontal = true;
        else if (SpritesOverlap(ballSprite, ball.x, ball.y, sprite, brick->x, brick->y + 5) == 1 ||
                 SpritesOverlap(ballSprite, ball.x, ball.y, sprite, brick->x, brick->y - 5) == 1)
            horizontal = false;
        else
            continue;
        if (horizontal)
            ball.dx = -ball.dx;
        else
            ball.dy = -ball.dy;

        switch (brick->code) {
            case 0:
                ball.brickCooldown.on = true;
                return false;
            case game::levels::kThreeHitBrick:
                ball.brickCooldown.on = true;
                return DamageThreeHitBrick();
            case game::levels::kSteelBrick:
                PlaySoundOnce(play_pack::kBrickHitSound);
                return false;
            default:
                return DestroyCurrentBrick(true);
        }
    }
    return false;
}

Effect* StartEffect(int x, int y) {
    PlayState& s = Play();
    for (int i = 1; i <= kEffectSlots; ++i) {
        Effect& effect = s.effects[i];
        if (effect.active) continue;
        effect.active = true;
        effect.alpha = 255;
        effect.flashSize = 32;
        effect.stripOffset = 0;
        effect.frameTick = 0;
        effect.popupX = effect.flashX = effect.explosionX = x;
        effect.popupY = effect.flashY = effect.explosionY = y;
        return &effect;
    }
    return nullptr;
}

void DrawEffects() {
    PlayState& s = Play();
    for (int i = 1; i <= kEffectSlots; ++i) {
        Effect& effect = s.effects[i];
        if (!effect.active) continue;
        runtime::quads::ResizeQuadSprite(play_pack::kFlashQuad, effect.flashSize, effect.flashSize);
        effect.flashSize += 2;
        effect.flashX -= 1;
        effect.flashY -= 1;
        // Seventeen 30 x 27 frames of the explosion strip, three display frames each,
        // holding the last one.
        runtime::sprites::SetSpriteClip(play_pack::kExplosionStrip, effect.stripOffset, 0, 30, 27);
        DrawSpriteKeyed(play_pack::kExplosionStrip, effect.explosionX, effect.explosionY);
        if (++effect.frameTick == 3) {
            if (effect.stripOffset < 480) effect.stripOffset += 30;
            effect.frameTick = 0;
        }
        runtime::quads::DrawQuadSprite(play_pack::kFlashQuad, effect.flashX, effect.flashY,
                                       effect.alpha);
        effect.alpha -= 4;
        runtime::quads::DrawQuadSprite(play_pack::kPopupQuad, effect.popupX, effect.popupY,
                                       effect.alpha);
        effect.popupY -= 1;
        if (effect.alpha < 10) effect.active = false;
    }
}

void TickBrickCooldowns() {
    PlayState& s = Play();
    TickCooldown(s.ball.brickCooldown, 3);
    TickCooldown(s.extraA.brickCooldown, 3);
    TickCooldown(s.extraB.brickCooldown, 3);
}

void UpdateStreak() {
    PlayState& s = Play();
    if (!s.streakShown) return;
    DrawSpriteKeyed(play_pack::kStreakLabel, 630, 35);
    state::DrawDigits(runtime::support::NumberText(s.streakCount), 730, 40);
    // Paid out 60 frames after the last counted destruction.
    if (--s.streakTimer < 1) {
        state::AddScore(s.streakCount * 50);
        s.streakShown = false;
        s.streakCount = 0;
    }
}

void UpdateStreakAward() {
    PlayState& s = Play();
    if (s.streakCount == 10 && !s.streakAwardShown) {
        s.streakAwardShown = true;
        s.streakAwardX = 820;
        state::AddScore(1000);
        PlaySoundOnce(play_pack::kFanfareSound);
        PlaySoundOnce(play_pack::kFanfareSparkleSound);
    }
    if (!s.streakAwardShown) return;
    DrawSpriteKeyed(play_pack::kStreakOfTenBanner, s.streakAwardX, 150);
    s.streakAwardX -= 7;
    if (s.streakAwardX < -820) s.streakAwardShown = false;
}

}  // namespace game::play
