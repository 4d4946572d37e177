#include "game/state/game_state.hpp"

#include "game/presentation/packs/play_pack.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/text.hpp"

namespace game::state {
namespace {

namespace play_pack = game::presentation::play_pack;

GameState state;

}  // namespace

GameState& Game() {
    return state;
}

void AddScore(std::int32_t points) {
    state.score = std::int32_t(std::uint32_t(state.score) + std::uint32_t(points));
}

void DrawDigits(std::string_view text, int x, int y) {
    for (const char c : text) {
        const int sprite = kFirstScoreDigit - '0' + static_cast<unsigned char>(c);
        runtime::sprites::DrawSpriteKeyed(sprite, x, y);
        x += 32;
    }
}

void updateScoreText() {
    // Kept: padded by range, so from a billion on nothing matches and the last
    // nine-digit text stays on screen.
    static constexpr std::int32_t kLimits[] = {10,      100,      1000,      10000,     100000,
                                               1000000, 10000000, 100000000, 1000000000};
    const std::int32_t score = state.score;
    for (int i = 0; i < 9; ++i) {
        if (score < kLimits[i]) {
            state.scoreText =
                std::string(std::size_t(8 - i), '0') + runtime::support::NumberText(score);
            return;
        }
    }
}

void drawScore() {
    DrawDigits(state.scoreText, 20, 20);
}

void drawLives() {
    for (int i = 1; i <= state.lives; ++i)
        runtime::sprites::DrawSpriteKeyed(play_pack::kLifeIcon, 630 + 32 * i, 30);
}

void drawHud() {
    drawScore();
    drawLives();
}

}  // namespace game::state
