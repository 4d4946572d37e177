#include <cmath>

#include "game/levels/bricks.hpp"
#include "game/play/steps.hpp"
#include "game/state/game_state.hpp"
#include "runtime/input/input.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/random.hpp"
#include "runtime/support/text.hpp"

namespace game::play {

using game::levels::Brick;
using game::levels::Bricks;
using runtime::sound::PlaySoundOnce;
using runtime::sprites::DrawSpriteKeyed;
using runtime::sprites::SpritePixelsOverlap;
using runtime::support::RandomUpTo;

// Capsule pictures, which are also their kinds.
using play_pack::kDropCapsule;
using play_pack::kFirstLetterCapsule;
using play_pack::kGunCapsule;
using play_pack::kMultiBallCapsule;
using play_pack::kPowerCapsule;
using play_pack::kReverseCapsule;
using play_pack::kRocketCapsule;
using play_pack::kSmallCapsule;
using play_pack::kWideCapsule;

inline constexpr int kGaugeFull = 184;

void BonusRoll(int x, int y) {
    PlayState& s = Play();
    const state::GameState& game = state::Game();
    const int r = game.playMode == state::PlayMode::SingleLevel ? RandomUpTo(25)
                                                                : RandomUpTo(40 - game.levelNumber);
    int picture = 0;
    if (r >= 0 && r <= 4) {
        picture = kPowerCapsule;
    } else {
        switch (r) {
            case 10:
                picture = kWideCapsule;
                break;
            case 12:
                picture = kSmallCapsule;
                break;
            case 13:
                picture = kGunCapsule;
                break;
            case 14:
                picture = kMultiBallCapsule;
                break;
            case 15:
                picture = kReverseCapsule;
                break;
            case 16:
                picture = kDropCapsule;
                break;
            case 17:
                if (s.rocket.state == RocketState::None) picture = kRocketCapsule;
                break;
            case 18:
            case 19:
            case 20:
            case 21:
                if (s.letterLevel && !s.letters[r - 17]) picture = play_pack::LetterCapsule(r - 17);
                break;
            default:
                break;
        }
    }
    if (picture == 0) return;
    for (int i = 1; i <= kCapsuleSlots; ++i) {
        Capsule& capsule = s.capsules[i];
        if (capsule.active) continue;
        capsule.active = true;
        capsule.x = x;
        capsule.y = y;
        capsule.picture = picture;
        return;
    }
}

namespace {

// Gun, reversal and cooldown as the paddle-changing capsules leave them.
void DisarmGun(PlayState& s) {
    s.gunOn = false;
    s.ammunition = 0;
    s.gunCooldown = 0;
}

// Puts an extra ball beside the main ball, moving up. Its dx is kept.
void LaunchExtraBall(Ball& extra, int xOffset) {
    const Ball& main = Play().ball;
    extra.active = true;
    extra.x = main.x + xOffset;
    extra.y = main.y;
    extra.dy = -5;
}

// Applies a caught capsule; false when it is not used up and keeps falling.
bool Catch(Capsule& capsule) {
    PlayState& s = Play();
    switch (capsule.picture) {
        case kPowerCapsule:
            s.gauge += 20;
            PlaySoundOnce(play_pack::kGoodCapsuleSound);
            return true;
        case kWideCapsule:
        case kSmallCapsule:
            DisarmGun(s);
            s.reversedControls = false;
            if (capsule.picture == kWideCapsule) {
                s.paddleSprite = play_pack::kWidePaddle;
                LimitPaddle(703);
                PlaySoundOnce(play_pack::kGoodCapsuleSound);
            } else {
                s.paddleSprite = play_pack::kSmallPaddle;
                LimitPaddle(752);
                PlaySoundOnce(play_pack::kBadCapsuleSound);
            }
            return true;
        case kGunCapsule:
            s.paddleSprite = play_pack::kGunPaddle;
            s.reversedControls = false;
            s.ammunition = 15;
            s.gunOn = true;
            s.gunCooldown = 0;
            LimitPaddle(735);
            PlaySoundOnce(play_pack::kGoodCapsuleSound);
            return true;
        case kReverseCapsule:
            s.reversedControls = true;
            DisarmGun(s);
            LimitPaddle(735);
            PlaySoundOnce(play_pack::kBadCapsuleSound);
            return true;
        case kDropCapsule:
            s.dropOn = true;
            s.dropCounter = 0;
            capsule.picture = 0;
            PlaySoundOnce(play_pack::kBadCapsuleSound);
            return true;
        case kRocketCapsule:
            s.rocket.state = RocketState::Armed;
            s.rocket.flameOffset = 0;
            s.rocket.flameTick = 0;
            s.rocket.x = s.paddleX + 23;
            s.rocket.y = 555;
            s.paddleSprite = play_pack::kPaddle;
            DisarmGun(s);
            LimitPaddle(735);
            PlaySoundOnce(play_pack::kGoodCapsuleSound);
            return true;
        case kMultiBallCapsule:
            if (!s.multiBall) {
                s.reversedControls = false;
                s.multiBall = true;
                LaunchExtraBall(s.extraA, 10);
                LaunchExtraBall(s.extraB, -10);
                LimitPaddle(735);
            } else if (!s.extraA.active) {
                LaunchExtraBall(s.extraA, 10);
            } else if (!s.extraB.active) {
                LaunchExtraBall(s.extraB, -10);
            } else {
                return false;  // both extra balls in play: it falls on
            }
            PlaySoundOnce(play_pack::kGoodCapsuleSound);
            return true;
        default:
            if (capsule.picture >= kFirstLetterCapsule &&
                capsule.picture < kFirstLetterCapsule + 4) {
                s.letters[capsule.picture - kFirstLetterCapsule + 1] = true;
                capsule.picture = 0;
                PlaySoundOnce(play_pack::kLetterSound);
            }
            return true;
    }
}

}  // namespace

void UpdateCapsules() {
    PlayState& s = Play();
    for (int i = 1; i <= kCapsuleSlots; ++i) {
        Capsule& capsule = s.capsules[i];
        if (!capsule.active) continue;
        DrawSpriteKeyed(capsule.picture, capsule.x, capsule.y);
        capsule.y += 3;
        if (capsule.y > 632) capsule.active = false;
        if (SpritePixelsOverlap(capsule.picture, capsule.x, capsule.y, s.paddleSprite, s.paddleX,
                                s.paddleY) == 1 &&
            Catch(capsule))
            capsule.active = false;
    }
}

bool UpdateGun() {
    PlayState& s = Play();
    if (s.gunOn && runtime::input::MouseButtonDown(1) == 1 && s.gunCooldown == 0) {
        for (int i = 1; i <= kShotSlots; ++i) {
            Shot& shot = s.shots[i];
            if (shot.active) continue;
            s.gunCooldown = 15;
            s.ammunition -= 1;
            if (s.ammunition < 1) {
                s.gunOn = false;
                s.paddleSprite = play_pack::kPaddle;
            }
            PlaySoundOnce(play_pack::kShotSound);
            shot.active = true;
            shot.x = s.paddleX;
            shot.y = 560;
            break;
        }
    }
    for (int i = 1; i <= kShotSlots; ++i) {
        Shot& shot = s.shots[i];
        if (!shot.active) continue;
        DrawSpriteKeyed(play_pack::kShot, shot.x, shot.y);
        shot.y -= 6;
        if (shot.y < -20) shot.active = false;
    }
    if (s.gunCooldown > 0) s.gunCooldown -= 1;

    auto& bricks = Bricks();
    for (int i = 1; i <= kShotSlots; ++i) {
        Shot& shot = s.shots[i];
        if (!shot.active) continue;
        runtime::support::ResetList(bricks);
        while (Brick* brick = runtime::support::NextElement(bricks)) {
            const int sprite = BrickSprite(*brick);
            if (sprite < 0 || SpritePixelsOverlap(play_pack::kShot, shot.x, shot.y, sprite,
                                                  brick->x - 5, brick->y) != 1)
                continue;
            shot.active = false;
            if (HitCurrentBrickWithoutBall()) return true;
            break;
        }
    }
    return false;
}

void DrawShotGlows() {
    PlayState& s = Play();
    for (int i = 1; i <= kShotSlots; ++i) {
        const Shot& shot = s.shots[i];
        if (shot.active)
            runtime::quads::DrawQuadSprite(play_pack::kShotGlowQuad, shot.x, shot.y - 21, 60);
    }
}

void DrawAmmunition() {
    PlayState& s = Play();
    if (s.ammunition < 1) return;
    DrawSpriteKeyed(play_pack::kAmmunitionPanel, 700, 350);
    state::DrawDigits(runtime::support::NumberText(s.ammunition), s.ammunition < 10 ? 730 : 710,
                      413);
}

bool UpdateFlyingRocket() {
    PlayState& s = Play();
    Rocket& rocket = s.rocket;
    if (rocket.state != RocketState::Flying) return false;
    DrawSpriteKeyed(play_pack::kRocket, rocket.x, rocket.y);
    runtime::sprites::SetSpriteClip(play_pack::kRocketFlame, rocket.flameOffset, 0, 16, 28);
    DrawSpriteKeyed(play_pack::kRocketFlame, rocket.x + 1, rocket.y + 28);
    if (++rocket.flameTick == 2) {
        rocket.flameOffset += 16;
        rocket.flameTick = 0;
    }
    if (rocket.flameOffset >= 513) rocket.flameOffset = 0;
    rocket.y -= 5;
    if (rocket.y < -40) rocket.state = RocketState::None;
    if (rocket.state != RocketState::Flying) return false;

    // It flies through: the first brick it touches is hit again every frame it overlaps.
    auto& bricks = Bricks();
    runtime::support::ResetList(bricks);
    while (Brick* brick = runtime::support::NextElement(bricks)) {
        if (!game::levels::IsBrickCode(brick->code)) continue;
        if (SpritePixelsOverlap(play_pack::kRocket, rocket.x, rocket.y, brick->code, brick->x,
                                brick->y) != 1)
            continue;
        return HitCurrentBrickWithoutBall();
    }
    return false;
}

void UpdateArmedRocket() {
    PlayState& s = Play();
    Rocket& rocket = s.rocket;
    if (rocket.state != RocketState::Armed) return;
    rocket.x = s.paddleX + 23;
    DrawSpriteKeyed(play_pack::kRocket, rocket.x, rocket.y);
    // Held, not pressed: a rocket armed while the button is down goes at once.
    if (runtime::input::MouseButtonDown(1) == 1) {
        PlaySoundOnce(play_pack::kShotSound);
        rocket.state = RocketState::Flying;
    }
}

void DrawGauge() {
    PlayState& s = Play();
    DrawSpriteKeyed(play_pack::kGaugeFrame, 5, 350);
    const int g = s.gauge;
    if (g >= 185) {
        runtime::sprites::SetSpriteClip(play_pack::kGaugeFill, 0, 0, 71, 184);
        DrawSpriteKeyed(play_pack::kGaugeFill, 5, 350);
    } else {
        // The fill rises from y 534.
        runtime::sprites::SetSpriteClip(play_pack::kGaugeFill, 0, 184 - g, 71, g);
        DrawSpriteKeyed(play_pack::kGaugeFill, 5, 534 - g);
    }
}

void UpdateDoubleScore() {
    PlayState& s = Play();
    if (s.doubleScoreCounter == 1) {
        PlaySoundOnce(play_pack::kFanfareSound);
        PlaySoundOnce(play_pack::kFanfareSparkleSound);
    }
    if (s.gauge >= kGaugeFull) {
        s.doubleScoreCounter += 1;
        if (s.doubleScoreBannerX >= -599) {
            DrawSpriteKeyed(play_pack::kDoubleScoreBanner, s.doubleScoreBannerX, 150);
            s.doubleScoreBannerX -= 7;
        }
        DrawSpriteKeyed(play_pack::kDoubleScoreBadge, 315, 20);
    }
    if (s.doubleScoreCounter == 500) {
        s.doubleScoreCounter = 0;
        s.gauge = 0;
        s.doubleScoreBannerX = 820;
    }
}

void StartParticle(Particle& particle) {
    const PlayState& s = Play();
    const float a = float(RandomUpTo(100));
    const float b = float(RandomUpTo(100));
    const float c = float(RandomUpTo(100));
    particle.x = 30.0f;
    particle.y = 500.0f;
    particle.vx = (-a / 400.0f + b / 400.0f) * s.spread;
    particle.g = 0.2f;
    particle.vy = c / 100.0f * 10.0f;
}

void StartAllParticles() {
    PlayState& s = Play();
    for (int i = 1; i <= kParticles; ++i)
        StartParticle(s.particles[i]);
}

void UpdateFountain() {
    PlayState& s = Play();
    const bool shown = s.gauge >= kGaugeFull;
    for (int i = 1; i <= kParticles; ++i) {
        Particle& p = s.particles[i];
        p.vy = p.vy - p.g + s.lift;
        p.x = p.x + p.vx;
        p.y = p.y - p.vy;
        if (p.y < -32.0f || p.x < -32.0f || p.x > 832.0f) StartParticle(p);
        if (shown && i <= 150) {
            // Rounded to the nearest integer, halves to even, as the processor's rounding does.
            runtime::quads::DrawQuadSprite(play_pack::kFountainQuad, int(std::nearbyint(p.x)),
                                           int(std::nearbyint(p.y - 10.0f)), 50);
        }
    }
}

void DrawLetterPanel() {
    PlayState& s = Play();
    const int level = state::Game().levelNumber;
    if (level != 2 && level != 5 && level != 8 && level != 13) return;
    if (s.letterAwardState != 0) return;
    s.letterLevel = true;
    DrawSpriteKeyed(play_pack::kLetterPanel, 640, 340);
    static constexpr int kLetterY[5] = {0, 380, 427, 472, 517};
    for (int i = 1; i <= 4; ++i)
        DrawSpriteKeyed(s.letters[i] ? play_pack::LitLetter(i) : play_pack::DimLetter(i), 690,
                        kLetterY[i]);
}

void UpdateLetterAward() {
    PlayState& s = Play();
    if (s.letters[1] && s.letters[2] && s.letters[3] && s.letters[4] && s.letterAwardState == 0) {
        s.letterAwardState = 1;
        s.letterAwardX = 800;
        state::AddScore(2000);
        PlaySoundOnce(play_pack::kLetterSetSound);
    }
    if (s.letterAwardState != 1) return;
    DrawSpriteKeyed(play_pack::kLetterSetBanner, s.letterAwardX, 130);
    s.letterAwardX -= 7;
    if (s.letterAwardX < -800) s.letterAwardState = 2;
}

}  // namespace game::play
