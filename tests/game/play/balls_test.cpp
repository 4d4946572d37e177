// The paddle, the balls' walls and bounces, losing the main ball and serving it again.
#include <climits>

#include "play_fixture.hpp"
#include "runtime/input/input.hpp"

namespace game::play {
namespace {

using state::Game;
using Balls = tessaly_test::PlayTest;

TEST_F(Balls, PaddleMovesOnlyToPositionsInsideItsLimits) {
    struct Case {
        int from, move;
        bool reversed;
        int to;
    };
    const Case cases[] = {{200, 100, false, 300},     {700, 25, false, 725},
                          {700, 26, false, 700},      {10, -9, false, 1},
                          {10, -10, false, 10},       {300, 50, true, 250},
                          {300, -425, true, 725},     {300, -426, true, 300},
                          {300, INT_MAX, false, 300}, {300, INT_MIN, true, 300}};
    for (const Case& c : cases) {
        Play().paddleX = c.from;
        Play().reversedControls = c.reversed;
        runtime::input::PostMouseMotion(c.move, 0);
        MovePaddle();
        EXPECT_EQ(Play().paddleX, c.to) << c.from << " moved by " << c.move;
    }
}

TEST_F(Balls, PaddleBounceTakesTheRandomStepAndFlipsOnlyOnThePaddlesLeftEnd) {
    struct Case {
        int dx, r, x, newDx;
    };
    Play().paddleX = 300;
    const Case cases[] = {{6, 0, 330, 1}, {6, 5, 330, 1},  {-3, 2, 330, 0},  {5, 0, 309, -6},
                          {5, 0, 310, 6}, {-5, 0, 300, 4}, {-6, 1, 330, -4}, {2, 4, 289, -1}};
    for (const Case& c : cases) {
        Ball ball = BallAt(c.x, 575, c.dx);
        ArrangeRandom(5, c.r);
        EXPECT_TRUE(PaddleBounce(ball, kMainBallSprite));
        EXPECT_EQ(ball.dx, c.newDx) << c.dx << " with " << c.r << " at " << c.x;
        EXPECT_EQ(ball.dy, -5);
        EXPECT_EQ(TakeSounds(), std::vector<int>{0});
    }
    Ball ball = BallAt(320, 568);  // touching the top edge is no contact
    EXPECT_FALSE(PaddleBounce(ball, kMainBallSprite));

    // Once bounced, the ball passes through the paddle for the next nine frames.
    std::vector<int> bounceFrames;
    for (int frame = 1; frame <= 21; ++frame) {
        Aim(Play().ball, 330, 575);
        ASSERT_EQ(playFrame(), LevelOutcome::None);
        if (TakeSounds() == std::vector<int>{0}) bounceFrames.push_back(frame);
    }
    EXPECT_EQ(bounceFrames, (std::vector<int>{1, 11, 21}));
}

TEST_F(Balls, WallsTurnTheBallsBeforeTheyMove) {
    struct Case {
        int x, y, dx, dy, newX, newY;
    };
    const Case cases[] = {{760, 300, 3, 5, 763, 305}, {761, 300, 3, 5, 758, 305},
                          {23, 300, -3, 5, 20, 305},  {22, 300, -3, 5, 25, 305},
                          {400, 25, 2, -5, 402, 20},  {400, 24, 2, -5, 402, 29}};
    for (const Case& c : cases) {
        Play().ball = Play().extraA = BallAt(c.x, c.y, c.dx, c.dy);
        Play().multiBall = true;
        EXPECT_FALSE(UpdateMainBall());
        UpdateExtraBalls();
        for (const Ball* ball : {&Play().ball, &Play().extraA})
            EXPECT_EQ(std::pair(ball->x, ball->y), std::pair(c.newX, c.newY)) << c.x << "," << c.y;
    }
}

TEST_F(Balls, LosingTheMainBallCostsALifeAndThePowerUpsAndTheLastOneEndsTheGame) {
    PlayState& s = Play();
    s.gunOn = s.multiBall = s.extraA.active = s.extraB.active = s.reversedControls = true;
    s.ammunition = 5;
    s.paddleSprite = 25;
    s.rocket.state = RocketState::Armed;
    s.gauge = 100;
    s.doubleScoreCounter = 7;
    Game().lives = 1;
    s.ball = BallAt(400, 601);
    EXPECT_FALSE(UpdateMainBall());
    EXPECT_EQ(Game().lives, 0);
    EXPECT_FALSE(s.ball.active);
    EXPECT_EQ(s.ghost.shown, 1);
    EXPECT_EQ(s.ghost.x, 390);
    EXPECT_EQ(s.ghost.alpha, 170);
    EXPECT_EQ(TakeSounds(), std::vector<int>{9});
    EXPECT_EQ(s.paddleSprite, 1);
    EXPECT_FALSE(s.gunOn || s.ammunition || s.multiBall || s.extraA.active || s.extraB.active ||
                 s.reversedControls || s.rocket.state != RocketState::None);
    EXPECT_EQ(s.gauge + s.doubleScoreCounter, 107);  // these survive a lost ball
    // Only the explosion and the flash show where the ball fell out.
    EXPECT_EQ(std::tuple(s.effects[1].active, s.effects[1].explosionX, s.effects[1].explosionY,
                         s.effects[1].popupY),
              std::tuple(true, 400, 570, 3000));

    s.ball = BallAt(400, 596);
    const auto shown = Presented();
    EXPECT_EQ(playFrame(), LevelOutcome::None);
    EXPECT_EQ(playFrame(), LevelOutcome::Lost);  // and shows nothing more
    EXPECT_EQ(Game().lives, -1);
    EXPECT_EQ(Presented(), shown + 1);
}

TEST_F(Balls, ServedFromThe301stFrameAndAgainOnceTheGhostHasFaded) {
    levelStart();
    HoldButton();
    for (int frame = 1; frame <= 300; ++frame) {
        ASSERT_EQ(playFrame(), LevelOutcome::None);
        ASSERT_FALSE(Play().ball.active) << frame;
        EXPECT_EQ(TakeSounds() == std::vector<int>{3}, frame == 20) << frame;  // intro sound
    }
    // The waiting ball stands where the paddle stood in the frame before.
    runtime::input::PostMouseMotion(50, 0);
    playFrame();
    EXPECT_TRUE(Play().ball.active);
    EXPECT_EQ(std::pair(Play().ball.x, Play().ball.y), std::pair(220, 560));
    EXPECT_EQ(Play().paddleX, 250);

    Play().ball = BallAt(400, 601);
    for (int frame = 0; frame <= 84; ++frame) {
        playFrame();
        ASSERT_FALSE(Play().ball.active) << frame;
    }
    playFrame();
    EXPECT_TRUE(Play().ball.active);
    EXPECT_EQ(Game().lives, 2);
}

}  // namespace
}  // namespace game::play
