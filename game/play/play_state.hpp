#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "game/presentation/packs/play_pack.hpp"

// Everything that moves during a level: the balls, the paddle, the capsules and power-ups,
// the effects and the hazards. One record for the whole game; the level frame loop and its
// pieces read and change it in a fixed order every frame.
namespace game::play {

// The pictures, quad sprites and sounds of play, by name.
namespace play_pack = game::presentation::play_pack;

// A flag with a frame counter: set by an event, cleared after a number of frames.
struct Cooldown {
    bool on = false;
    int counter = 0;
};

struct Ball {
    std::int32_t x = 0;  // top-left corner of the ball picture
    std::int32_t y = 0;
    std::int32_t dx = 0;  // pixels per frame
    std::int32_t dy = 0;
    bool active = false;  // main ball: in play (not riding on the paddle)
    Cooldown paddleCooldown;
    Cooldown brickCooldown;
};

// The fading picture where the main ball fell out. Kept: 16-bit fields, values wrap there.
struct Ghost {
    std::int16_t shown = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t alpha = 0;
};

struct Capsule {
    bool active = false;
    std::int32_t x = 0;
    std::int32_t y = 0;
    int picture = 0;  // its sprite number, which is also its kind
};

struct Shot {
    bool active = false;
    std::int32_t x = 0;
    std::int32_t y = 0;
};

enum class RocketState { None = 0, Armed = 1, Flying = 2 };

struct Rocket {
    RocketState state = RocketState::None;
    std::int32_t x = 0;
    std::int32_t y = 0;
    int flameOffset = 0;
    int flameTick = 0;
};

// One spark of the fountain beside the power gauge, in 32-bit floats.
struct Particle {
    float x = 0, y = 0, vx = 0, vy = 0, g = 0;
};

// The flash, explosion and rising score glow where a brick broke.
struct Effect {
    bool active = false;
    int popupX = 0, popupY = 0;
    int stripOffset = 0, frameTick = 0;
    int flashX = 0, flashY = 0;
    int alpha = 0;
    int flashSize = 0;
    int explosionX = 0, explosionY = 0;
};

inline constexpr int kEffectSlots = 20;
inline constexpr int kCapsuleSlots = 4;
inline constexpr int kShotSlots = 6;
inline constexpr int kParticles = 200;
inline constexpr int kPaddleY = 580;

struct PlayState {
    // Balls and paddle.
    Ball ball;  // the main ball; losing it costs a life
    Ball extraA;
    Ball extraB;
    bool multiBall = false;
    std::int32_t paddleX = 200;
    std::int32_t paddleY = kPaddleY;
    int paddleSprite = play_pack::kPaddle;
    bool reversedControls = false;
    Ghost ghost;

    // The level's first seconds and the level-2 decoration.
    int introCounter = 0;
    int introTitleY = 0;
    int decorationTick = 0;

    // Brick hits: slots 1..20 (index 0 unused, as the game numbers them).
    Effect effects[kEffectSlots + 1];
    bool streakShown = false;
    int streakTimer = 0;
    int streakCount = 0;
    bool streakAwardShown = false;
    int streakAwardX = 0;

    // Capsules and power-ups, slots numbered from 1.
    Capsule capsules[kCapsuleSlots + 1];
    bool gunOn = false;
    int ammunition = 0;
    int gunCooldown = 0;
    Shot shots[kShotSlots + 1];
    Rocket rocket;
    int gauge = 0;
    int doubleScoreCounter = 0;
    int doubleScoreBannerX = 620;
    Particle particles[kParticles + 1];
    float lift = 0.65f;
    float spread = 8.0f;
    bool letters[5] = {};  // 1..4
    bool letterLevel = false;
    int letterAwardState = 0;  // 0 not given, 1 banner running, 2 done
    int letterAwardX = 0;

    // Hazards.
    bool barrierUp = false;
    int barrierTimer = 0;  // carries over from level to level
    Cooldown barrierCooldown;
    int descentTimer = 0;
    int lampAlpha = 80;
    bool lampUp = true;
    bool dropOn = false;
    int dropCounter = 0;
};

PlayState& Play();

// The values every level starts from (the cooldowns and the barrier timer carry over).
void ResetLevelState();
// What a new game resets: the hit streak and the paddle picture.
void ResetGameState();

// What a game takes over from the one played before it in the same run of the program:
// the fields neither a game's start nor a level's set-up gives a value (the cooldowns of
// the three balls, the barrier timer and cooldown, the streak and award banners, the
// rocket, the level-2 decoration). A recording keeps them, so its game replays exactly.
inline constexpr std::size_t kCarriedValues = 33;
std::array<std::int32_t, kCarriedValues> CarriedOver();
void RestoreCarriedOver(const std::array<std::int32_t, kCarriedValues>& values);

}  // namespace game::play
