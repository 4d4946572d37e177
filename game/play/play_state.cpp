#include "game/play/play_state.hpp"

#include <type_traits>

namespace game::play {
namespace {

PlayState state;

}  // namespace

PlayState& Play() {
    return state;
}

void ResetLevelState() {
    PlayState& s = state;
    // Velocities start over every level; the cooldowns keep whatever they held.
    s.ball.active = false;
    s.ball.dx = 5;
    s.ball.dy = 5;
    s.extraA.active = false;
    s.extraA.dx = 5;
    s.extraA.dy = 5;
    s.extraB.active = false;
    s.extraB.dx = -5;
    s.extraB.dy = 5;
    s.multiBall = false;
    s.ghost = Ghost{};
    s.paddleX = 200;
    s.paddleY = kPaddleY;
    s.paddleSprite = play_pack::kPaddle;
    s.reversedControls = false;

    for (Effect& effect : s.effects)
        effect = Effect{};
    s.streakAwardShown = false;

    for (Capsule& capsule : s.capsules)
        capsule = Capsule{};
    s.gunOn = false;
    s.ammunition = 0;
    s.gunCooldown = 0;
    for (Shot& shot : s.shots)
        shot = Shot{};
    s.rocket.state = RocketState::None;
    s.gauge = 0;
    s.doubleScoreCounter = 0;
    s.doubleScoreBannerX = 620;
    for (bool& letter : s.letters)
        letter = false;
    s.letterLevel = false;
    s.letterAwardState = 0;

    // The barrier timer is left alone: it runs on from the last level.
    s.barrierUp = false;
    s.descentTimer = 0;
    s.lampAlpha = 80;
    s.lampUp = true;
    s.dropOn = false;
    s.dropCounter = 0;
}

void ResetGameState() {
    state.streakShown = false;
    state.streakCount = 0;
    state.paddleSprite = play_pack::kPaddle;
}

namespace {

// Every carried field, in the order of the recorded values.
template <typename Visit>
void VisitCarried(PlayState& s, Visit&& visit) {
    for (Ball* ball : {&s.ball, &s.extraA, &s.extraB}) {
        visit(ball->x);
        visit(ball->y);
        visit(ball->paddleCooldown.on);
        visit(ball->paddleCooldown.counter);
        visit(ball->brickCooldown.on);
        visit(ball->brickCooldown.counter);
    }
    visit(s.introCounter);
    visit(s.introTitleY);
    visit(s.decorationTick);
    visit(s.streakShown);
    visit(s.streakTimer);
    visit(s.streakCount);
    visit(s.streakAwardX);
    visit(s.rocket.x);
    visit(s.rocket.y);
    visit(s.rocket.flameOffset);
    visit(s.rocket.flameTick);
    visit(s.letterAwardX);
    visit(s.barrierTimer);
    visit(s.barrierCooldown.on);
    visit(s.barrierCooldown.counter);
}

}  // namespace

std::array<std::int32_t, kCarriedValues> CarriedOver() {
    std::array<std::int32_t, kCarriedValues> values{};
    std::size_t n = 0;
    VisitCarried(state, [&](auto& field) { values[n++] = std::int32_t(field); });
    return values;
}

void RestoreCarriedOver(const std::array<std::int32_t, kCarriedValues>& values) {
    std::size_t n = 0;
    VisitCarried(state, [&](auto& field) {
        using Field = std::remove_reference_t<decltype(field)>;
        if constexpr (std::is_same_v<Field, bool>)
            field = values[n++] != 0;
        else
            field = Field(values[n++]);
    });
}

}  // namespace game::play
