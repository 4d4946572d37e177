// Balls, shots and the rocket against the bricks: which way a ball turns, what a hit does,
// scoring, the hit streak and clearing the level.
#include <algorithm>
#include <cstring>

#include "play_fixture.hpp"
#include "runtime/support/random.hpp"

namespace game::play {
namespace {

using game::levels::Bricks;
using state::Game;
using tessaly_test::SpriteColour;
using BrickHits = tessaly_test::PlayTest;

TEST_F(BrickHits, HaloTestsTurnTheBallSidewaysFirstAndOnlyTheFirstBrickIsHit) {
    // The brick covers x 300..330 and y 200..229; the ball is 12 x 12.
    Game().bricksLeft = 100;
    struct Case {
        int x, y;
        char turns;
    };
    const Case cases[] = {{335, 210, 'x'}, {336, 210, '-'}, {284, 210, 'x'},
                          {283, 210, '-'}, {310, 184, 'y'}, {310, 183, '-'},
                          {310, 234, 'y'}, {310, 235, '-'}, {310, 190, 'x'}};
    for (const Case& c : cases) {
        runtime::support::NewList(Bricks());
        AddBrick(101, 300, 200);
        Ball ball = BallAt(c.x, c.y);
        EXPECT_FALSE(BallAgainstBricks(ball, kMainBallSprite));
        EXPECT_EQ(std::pair(ball.dx, ball.dy),
                  std::pair(c.turns == 'x' ? -3 : 3, c.turns == 'y' ? -5 : 5))
            << c.x << "," << c.y;
        EXPECT_EQ(Bricks().Count(), c.turns == '-' ? 1 : 0) << c.x << "," << c.y;
    }
    runtime::support::NewList(Bricks());
    AddBrick(101, 310, 200);
    AddBrick(104, 300, 200);
    Ball ball = BallAt(315, 210);
    ball.brickCooldown.on = true;  // no test counts during the cooldown
    BallAgainstBricks(ball, kMainBallSprite);
    EXPECT_EQ(Bricks().Count(), 2);
    ball.brickCooldown.on = false;
    BallAgainstBricks(ball, kMainBallSprite);
    ASSERT_EQ(Bricks().Count(), 1);
    EXPECT_EQ(Bricks().begin()->code, 104);
}

TEST_F(BrickHits, ABallDestructionScoresCountsStartsAnEffectAndRollsForACapsule) {
    AddBrick(101, 300, 200);
    Game().bricksLeft = 5;
    ArrangeRandom(39, 0);  // a gauge capsule
    Ball ball = BallAt(310, 210);
    EXPECT_FALSE(BallAgainstBricks(ball, kMainBallSprite));
    EXPECT_EQ(Game().score, 50);
    EXPECT_EQ(Game().bricksLeft, 4);
    EXPECT_EQ(TakeSounds(), std::vector<int>{1});
    EXPECT_EQ(std::tuple(Play().streakShown, Play().streakCount, Play().streakTimer),
              std::tuple(true, 1, 60));
    EXPECT_EQ(std::tuple(Play().effects[1].active, Play().effects[1].explosionX,
                         Play().effects[1].popupY),
              std::tuple(true, 300, 200));
    EXPECT_EQ(std::tuple(Play().capsules[1].active, Play().capsules[1].picture,
                         Play().capsules[1].x, Play().capsules[1].y),
              std::tuple(true, 19, 300, 200));

    // Double score gives 100; with every effect slot busy the rest still happens.
    for (Effect& effect : Play().effects)
        effect = Effect{true, -1};
    Play().doubleScoreCounter = 1;
    AddBrick(105, 300, 200);
    BallAgainstBricks(ball, kMainBallSprite);
    EXPECT_EQ(Game().score, 150);
    EXPECT_EQ(Game().bricksLeft, 3);
    EXPECT_TRUE(
        std::all_of(Play().effects, Play().effects + 21, [](auto& e) { return e.popupX == -1; }));
}

TEST_F(BrickHits, ThreeHitBrickCountsDownWithTwoQuietFramesAfterEachHit) {
    AddBrick(102, 300, 200, 3);
    Game().bricksLeft = 10;
    std::vector<std::vector<int>> sounds;
    for (int frame = 1; frame <= 9; ++frame) {
        Aim(Play().ball, 315, 215);
        ASSERT_EQ(playFrame(), LevelOutcome::None);
        sounds.push_back(TakeSounds());
        EXPECT_EQ(Game().score, frame < 7 ? 0 : 50);
        // The hits left show on the brick from the next frame's drawing on.
        if (frame == 2 || frame == 5) {
            EXPECT_EQ(Pixel(308, 208), SpriteColour(frame == 2 ? 350 : 349));
            EXPECT_EQ(Pixel(300, 200), SpriteColour(102));
        }
    }
    using V = std::vector<int>;
    EXPECT_EQ(sounds, (std::vector<V>{{2}, {}, {}, {2}, {}, {}, {1}, {}, {}}));
    EXPECT_EQ(Bricks().Count(), 0);
    EXPECT_EQ(Game().bricksLeft, 9);
}

TEST_F(BrickHits, SteelBricksAndEmptyCellsOnlyTurnTheBall) {
    AddBrick(103, 300, 200);
    Game().bricksLeft = 1;
    Ball ball = BallAt(310, 210);
    for (int hit = 1; hit <= 3; ++hit) {
        EXPECT_FALSE(BallAgainstBricks(ball, kMainBallSprite));
        EXPECT_EQ(ball.dx, hit % 2 ? -3 : 3);  // no cooldown: turned on every call
    }
    EXPECT_EQ(TakeSounds(), (std::vector<int>{2, 2, 2}));
    EXPECT_EQ(Game().bricksLeft + Game().score, 1);

    // An empty level-file cell at (0, 0) is tested with the ball's own picture.
    runtime::support::NewList(Bricks());
    AddBrick(0, 0, 0);
    ball = BallAt(10, 3);
    BallAgainstBricks(ball, kMainBallSprite);
    EXPECT_EQ(ball.dx, -3);
    EXPECT_TRUE(ball.brickCooldown.on);
    EXPECT_TRUE(TakeSounds().empty());
    EXPECT_EQ(Bricks().Count(), 1);
}

TEST_F(BrickHits, TheLastCountedBrickClearsTheLevelAtOnce) {
    AddBrick(103, 100, 100);
    AddBrick(101, 300, 200);
    Game().bricksLeft = 1;
    Aim(Play().ball, 310, 210);
    const auto random = runtime::support::CurrentRandomState();
    const auto shown = Presented();
    EXPECT_EQ(playFrame(), LevelOutcome::Cleared);
    EXPECT_EQ(Game().levelNumber, 2);
    EXPECT_EQ(Game().score, 50);
    EXPECT_EQ(Presented(), shown);  // nothing more of the frame is shown
    EXPECT_FALSE(Play().effects[1].active);
    // No bonus roll, and nothing later in the frame drew a random number.
    const auto after = runtime::support::CurrentRandomState();
    EXPECT_EQ(std::memcmp(&random, &after, sizeof random), 0);

    // The counter is 16 bits: from -32768 a destruction wraps it to 32767.
    for (const auto& [left, cleared] : {std::pair{0, true}, std::pair{-32768, false}}) {
        Game().bricksLeft = std::int16_t(left);
        runtime::support::NewList(Bricks());
        AddBrick(101, 300, 200);
        Ball ball = BallAt(310, 210);
        EXPECT_EQ(BallAgainstBricks(ball, kMainBallSprite), cleared) << left;
    }
    EXPECT_EQ(Game().bricksLeft, 32767);
}

TEST_F(BrickHits, ShotsAndTheRocketScoreOnlyForThreeHitBricks) {
    struct Case {
        int code, hits, score, sound, bricks;
        bool rocket;
    };
    const Case cases[] = {{101, 0, 0, 1, 0, false}, {102, 1, 50, 1, 0, false},
                          {102, 3, 0, 2, 1, false}, {103, 0, 0, 2, 1, false},
                          {0, 0, 0, -1, 1, false},  {101, 0, 0, 1, 1, true},
                          {102, 1, 50, 1, 1, true}, {103, 0, 0, 2, 2, true}};
    for (const Case& c : cases) {
        SetUp();
        Game().bricksLeft = 5;
        if (c.rocket) {
            AddBrick(0, 300, 200);  // the rocket ignores empty cells
            AddBrick(c.code, 300, 200, c.hits);
            Play().rocket = Rocket{RocketState::Flying, 305, 215, 0, 0};  // 12 x 28
            EXPECT_FALSE(UpdateFlyingRocket());
            EXPECT_EQ(Play().rocket.state, RocketState::Flying);  // it flies on
        } else {
            // A shot (4 x 12) meets the brick placed 5 pixels left of where it stands.
            AddBrick(c.code, 300, 200, c.hits);
            Play().shots[1] = Shot{true, 296, 216};
            EXPECT_FALSE(UpdateGun());
            EXPECT_FALSE(Play().shots[1].active) << c.code;
        }
        EXPECT_EQ(Game().score, c.score) << c.code;
        EXPECT_EQ(Play().streakCount, c.score / 50) << c.code;
        EXPECT_EQ(TakeSounds(), c.sound < 0 ? std::vector<int>{} : std::vector<int>{c.sound});
        EXPECT_EQ(Bricks().Count(), c.bricks) << c.code;
    }
    // The rocket damages a three-hit brick on every frame it overlaps it.
    SetUp();
    AddBrick(102, 300, 200, 3);
    Play().rocket = Rocket{RocketState::Flying, 305, 215, 0, 0};
    UpdateFlyingRocket();
    UpdateFlyingRocket();
    EXPECT_EQ(Bricks().begin()->hits, 1);
}

TEST_F(BrickHits, TenQuickDestructionsEarnTheAwardAndTheStreakPaysWhenItEnds) {
    Game().bricksLeft = 100;
    for (int k = 0; k < 10; ++k)
        AddBrick(101, 75 + 66 * k, 100);
    for (int k = 0; k < 10; ++k) {
        Aim(Play().ball, 85 + 66 * k, 110);
        ASSERT_EQ(playFrame(), LevelOutcome::None);
    }
    EXPECT_EQ(Game().score, 10 * 50 + 1000);
    const auto sounds = TakeSounds();
    EXPECT_EQ(
        std::count(sounds.begin(), sounds.end(), 4) + std::count(sounds.begin(), sounds.end(), 5),
        2);
    Play().ball.active = false;
    for (int frame = 1; frame <= 58; ++frame)
        playFrame();
    EXPECT_EQ(Game().score, 1500);
    playFrame();  // 60 frames after the tenth
    EXPECT_EQ(Game().score, 2000);

    // Only a count of exactly ten earns it.
    Play().streakAwardShown = false;
    Play().streakCount = 11;
    UpdateStreakAward();
    EXPECT_EQ(Game().score, 2000);
}

}  // namespace
}  // namespace game::play
