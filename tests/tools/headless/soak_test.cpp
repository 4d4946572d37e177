// The autopilot plays every built-in level for thousands of frames; the state stays
// within the game's rules on every frame.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/play/play_state.hpp"
#include "game/state/game_state.hpp"
#include "tests/game_folder.hpp"
#include "tools/headless/runner.hpp"

namespace {

struct Watch {
    int level = -1;
    std::int32_t score = 0;
    std::int32_t lives = 0;
    std::int16_t bricksLeft = 0;
    std::uint64_t faults = 0;
    std::string firstFault;
};
Watch watch;

void Fault(std::uint64_t frame, const char* what) {
    if (watch.faults++ == 0)
        watch.firstFault = std::string(what) + " at " + tools::headless::TraceLine(frame);
}

void CheckBall(std::uint64_t frame, const game::play::Ball& ball) {
    if (ball.dy != 5 && ball.dy != -5) Fault(frame, "vertical speed not 5");
    if (ball.dx < -6 || ball.dx > 6) Fault(frame, "horizontal speed beyond 6");
}

void AfterFrame(std::uint64_t frame) {
    const auto& game = game::state::Game();
    const auto& play = game::play::Play();
    CheckBall(frame, play.ball);
    if (play.extraA.active) CheckBall(frame, play.extraA);
    if (play.extraB.active) CheckBall(frame, play.extraB);
    if (game.score < watch.score) Fault(frame, "score fell");
    // The frame that clears a level has already raised the level number.
    if (game.levelNumber == watch.level && watch.bricksLeft >= 1) {
        if (game.lives > watch.lives) Fault(frame, "lives rose");
        if (game.bricksLeft > watch.bricksLeft) Fault(frame, "bricks left rose");
    }
    watch.level = game.levelNumber;
    watch.score = game.score;
    watch.lives = game.lives;
    watch.bricksLeft = game.bricksLeft;
}

class Soak : public ::testing::TestWithParam<int> {};

TEST_P(Soak, AutopilotKeepsTheRules) {
    ENTER_PLAY_FOLDER();
    const std::uint64_t budget = TESSALY_SOAK_FRAMES;
    std::uint64_t played = 0;
    std::uint32_t seed = std::uint32_t(GetParam()) * 101u;
    // A lost game starts the level again with another seed until the frames are played.
    while (played < budget) {
        watch = Watch{};
        tools::headless::PlayOptions options;
        options.level = GetParam();
        options.seed = seed++;
        options.frames = budget - played;
        options.autopilot = true;
        options.afterFrame = AfterFrame;
        const auto result = tools::headless::Play(options);
        ASSERT_EQ(watch.faults, 0u) << watch.firstFault;
        ASSERT_GT(result.frames, 0u);
        played += result.frames;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLevel, Soak, ::testing::Range(1, 16));

}  // namespace
