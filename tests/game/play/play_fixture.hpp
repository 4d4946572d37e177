#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/levels/bricks.hpp"
#include "game/play/level_loop.hpp"
#include "game/play/steps.hpp"
#include "game/state/game_state.hpp"

namespace tessaly_test {

// The solid colour of synthetic sprite n on the back buffer: never black, one per number.
std::uint32_t SpriteColour(int n);

// Play on the headless runtime with synthetic pictures of known sizes, so every contact is
// exact: balls 12 x 12, paddles 52 / 75 / 26 / 52 x 16, bricks 31 x 30, capsules 16 x 16,
// the barrier 800 x 20, the shot 4 x 12, the rocket 12 x 28. Each test starts on level 1
// of the full game with 3 lives, the intro over, no bricks and the generator seeded.
class PlayTest : public ::testing::Test {
  protected:
    void SetUp() override;

    static void AddBrick(int code, int x, int y, int hits = 0);
    // Puts a ball in play so that its next move takes it to (x, y); BallAt makes a fresh one.
    static void Aim(game::play::Ball& ball, int x, int y, int dx = 1, int dy = 5);
    static game::play::Ball BallAt(int x, int y, int dx = 3, int dy = 5);
    // Sound numbers started since the last call.
    static std::vector<int> TakeSounds();
    // Advances the generator until its next RandomUpTo(max) gives value.
    static void ArrangeRandom(int max, int value);
    static int PeekRandom(int max);
    static std::uint64_t Presented();
    static std::uint32_t Pixel(int x, int y);
    static void HoldButton();
};

}  // namespace tessaly_test
