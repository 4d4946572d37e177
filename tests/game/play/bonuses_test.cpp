// The bonus roll, the capsules and what each does when caught, the gun, the rocket and
// double-score mode.
#include <algorithm>

#include "play_fixture.hpp"
#include "runtime/support/random.hpp"

namespace game::play {
namespace {

using state::Game;
using Bonuses = tessaly_test::PlayTest;

// The picture of the capsule the roll put into slot 1 (0 for none), emptying the slots.
int Released() {
    const int picture = Play().capsules[1].active ? Play().capsules[1].picture : 0;
    std::fill(Play().capsules, Play().capsules + kCapsuleSlots + 1, Capsule{});
    return picture;
}

TEST_F(Bonuses, EachRollValueReleasesItsCapsuleWhenItMay) {
    const int pictures[22] = {19, 19, 19, 19, 19, 0,  0,  0,  0,  0,  21,
                              0,  23, 26, 34, 42, 43, 46, 69, 70, 71, 72};
    for (bool letterLevel : {false, true}) {
        Play().letterLevel = letterLevel;
        for (int r = 0; r <= 39; ++r) {
            ArrangeRandom(39, r);
            BonusRoll(120, 240);
            EXPECT_EQ(Released(), r < 22 && (r < 18 || letterLevel) ? pictures[r] : 0) << r;
        }
    }
    // No letter twice, and no rocket while one is armed or flying.
    Play().letters[2] = true;
    ArrangeRandom(39, 19);
    BonusRoll(120, 240);
    EXPECT_EQ(Released(), 0);
    for (RocketState rocket : {RocketState::Armed, RocketState::Flying}) {
        Play().rocket.state = rocket;
        ArrangeRandom(39, 17);
        BonusRoll(120, 240);
        EXPECT_EQ(Released(), 0);
    }
}

TEST_F(Bonuses, TheRollDrawsFromFortyLessTheLevelOrFromTwentySixForALevelFile) {
    struct Case {
        state::PlayMode mode;
        int level, max;
    };
    const Case cases[] = {{state::PlayMode::FullGame, 1, 39},
                          {state::PlayMode::FullGame, 8, 32},
                          {state::PlayMode::FullGame, 15, 25},
                          {state::PlayMode::SingleLevel, 1, 25}};
    for (const Case& c : cases) {
        Game().playMode = c.mode;
        Game().levelNumber = c.level;
        // A value that gives the wide paddle from this range and not from one a step off.
        for (int wrong : {c.max - 1, c.max + 1}) {
            while (PeekRandom(c.max) != 10 || PeekRandom(wrong) == 10)
                runtime::support::RandomUpTo(1);
            BonusRoll(120, 240);
            EXPECT_EQ(Released(), 21) << c.level << " against " << wrong;
        }
    }
}

TEST_F(Bonuses, AtMostFourCapsulesFallThreePixelsAFrame) {
    for (int i = 1; i <= 4; ++i)
        Play().capsules[i] = Capsule{true, 10 * i, 10, 21};
    ArrangeRandom(39, 0);
    BonusRoll(120, 240);
    Play().capsules[3] = Capsule{false, 0, 629, 0};
    ArrangeRandom(39, 0);
    BonusRoll(120, 240);
    EXPECT_EQ(std::tuple(Play().capsules[3].picture, Play().capsules[3].x, Play().capsules[3].y),
              std::tuple(19, 120, 240));
    Play().capsules[3].y = 629;
    UpdateCapsules();
    EXPECT_EQ(Play().capsules[3].y, 632);
    EXPECT_TRUE(Play().capsules[3].active);
    UpdateCapsules();
    EXPECT_FALSE(Play().capsules[3].active);  // gone below 632
    EXPECT_EQ(Play().capsules[1].picture + Play().capsules[2].picture, 42);
}

TEST_F(Bonuses, CaughtCapsulesChangeThePaddleAndItsPowerUps) {
    struct Case {
        int picture, paddleX, sprite;  // before: gun on, 7 shots, cooldown 5, reversed controls
        int newX, newSprite, ammunition, sound;
        bool gun, reversed;
    };
    const Case cases[] = {
        {19, 300, 1, 300, 1, 7, 6, true, true},    {21, 720, 1, 703, 22, 0, 6, false, false},
        {23, 760, 1, 752, 24, 0, 8, false, false}, {26, 740, 22, 735, 25, 15, 6, true, false},
        {42, 740, 22, 735, 22, 0, 8, false, true}, {43, 300, 1, 300, 1, 7, 8, true, true},
        {46, 740, 25, 735, 1, 0, 6, false, true},  {70, 300, 1, 300, 1, 7, 10, true, true},
        {34, 740, 1, 735, 1, 7, 6, true, false}};
    for (const Case& c : cases) {
        SetUp();
        PlayState& s = Play();
        s.paddleX = c.paddleX;
        s.paddleSprite = c.sprite;
        s.gunOn = s.reversedControls = true;
        s.ammunition = 7;
        s.gunCooldown = 5;
        s.ball = BallAt(400, 300);
        s.capsules[2] = Capsule{true, c.paddleX + 10, 562, c.picture};
        UpdateCapsules();
        EXPECT_FALSE(s.capsules[2].active) << c.picture;
        EXPECT_EQ(std::tuple(s.paddleX, s.paddleSprite, s.gunOn, s.ammunition, s.reversedControls),
                  std::tuple(c.newX, c.newSprite, c.gun, c.ammunition, c.reversed))
            << c.picture;
        EXPECT_EQ(s.gunCooldown, c.ammunition == 7 ? 5 : 0) << c.picture;
        EXPECT_EQ(TakeSounds(), std::vector<int>{c.sound}) << c.picture;
        EXPECT_EQ(s.gauge, c.picture == 19 ? 20 : 0);
        EXPECT_EQ(s.dropOn, c.picture == 43);
        EXPECT_EQ(s.letters[2], c.picture == 70);
        EXPECT_EQ(s.rocket.state, c.picture == 46 ? RocketState::Armed : RocketState::None);
        EXPECT_EQ(s.multiBall, c.picture == 34);
    }
    // Multi-ball: A to the right of the main ball, B to the left, both moving up.
    const PlayState& s = Play();
    EXPECT_EQ(std::tuple(s.extraA.active, s.extraA.x, s.extraA.y, s.extraA.dx, s.extraA.dy),
              std::tuple(true, 410, 300, 5, -5));
    EXPECT_EQ(std::tuple(s.extraB.active, s.extraB.x, s.extraB.y, s.extraB.dx, s.extraB.dy),
              std::tuple(true, 390, 300, -5, -5));
}

TEST_F(Bonuses, MultiBallCapsuleReplacesAMissingBallAndOtherwiseFallsOn) {
    PlayState& s = Play();
    s.multiBall = s.extraB.active = true;
    s.extraB.y = 100;
    s.ball = BallAt(400, 300);
    s.capsules[1] = Capsule{true, 210, 562, 34};
    UpdateCapsules();
    EXPECT_FALSE(s.capsules[1].active);
    EXPECT_EQ(std::tuple(s.extraA.active, s.extraA.x, s.extraB.y), std::tuple(true, 410, 100));
    EXPECT_EQ(TakeSounds(), std::vector<int>{6});
    s.capsules[1] = Capsule{true, 210, 562, 34};
    UpdateCapsules();
    UpdateCapsules();
    EXPECT_EQ(std::pair(s.capsules[1].active, s.capsules[1].y), std::pair(true, 568));
    EXPECT_TRUE(TakeSounds().empty());
}

TEST_F(Bonuses, GunFiresFifteenShotsOneEveryFifteenFramesWhileASlotIsFree) {
    PlayState& s = Play();
    s.gunOn = true;
    s.ammunition = 15;
    s.paddleSprite = 25;
    s.paddleX = 300;
    HoldButton();
    std::vector<int> fired;
    for (int frame = 1; frame <= 400; ++frame) {
        const int before = s.ammunition;
        UpdateGun();
        if (!TakeSounds().empty()) fired.push_back(frame);
        EXPECT_EQ(s.ammunition, before - int(!fired.empty() && fired.back() == frame));
        if (before == 1 && s.ammunition == 0) {
            EXPECT_EQ(std::pair(s.gunOn, s.paddleSprite), std::pair(false, 1));
            EXPECT_TRUE(std::any_of(s.shots + 1, s.shots + 7,
                                    [](const Shot& shot) { return shot.active && shot.y == 554; }));
        }
    }
    ASSERT_EQ(fired.size(), 15u);
    EXPECT_EQ(s.shots[1].x, 300);  // fired from the paddle's left end
    // Six slots, each busy for 97 frames: the seventh shot waits for the first to leave.
    EXPECT_EQ(std::vector<int>(fired.begin(), fired.begin() + 8),
              (std::vector<int>{1, 16, 31, 46, 61, 76, 98, 113}));
}

TEST_F(Bonuses, ArmedRocketFollowsThePaddleAndGoesWhileTheButtonIsHeld) {
    Play().rocket = Rocket{RocketState::Armed, 0, 555, 0, 0};
    Play().paddleX = 300;
    UpdateArmedRocket();
    EXPECT_EQ(std::pair(Play().rocket.x, Play().rocket.state), std::pair(323, RocketState::Armed));
    HoldButton();
    UpdateArmedRocket();
    EXPECT_EQ(Play().rocket.state, RocketState::Flying);
    EXPECT_EQ(TakeSounds(), std::vector<int>{7});
}

TEST_F(Bonuses, DoubleScoreRunsFromTheSecondFrameFor500Frames) {
    PlayState& s = Play();
    s.paddleX = 100;
    Game().bricksLeft = 100;
    s.gauge = 184;  // filled by a capsule caught in the frame before
    auto frameScore = [&](bool hit) {
        if (hit) {
            AddBrick(101, 600, 100);
            Aim(s.ball, 605, 105);
        }
        const int before = Game().score;
        EXPECT_EQ(playFrame(), LevelOutcome::None);
        s.ball.active = false;
        return Game().score - before;
    };
    EXPECT_EQ(frameScore(true), 50);
    EXPECT_EQ(Pixel(620, 150), tessaly_test::SpriteColour(17));  // the first banner at 620
    EXPECT_EQ(Pixel(619, 150), 0u);
    TakeSounds();
    EXPECT_EQ(frameScore(true), 100);
    EXPECT_EQ(TakeSounds(), (std::vector<int>{1, 4, 5}));
    for (int frame = 3; frame <= 499; ++frame)
        frameScore(false);
    EXPECT_EQ(frameScore(true), 100);
    EXPECT_EQ(s.gauge, 0);
    EXPECT_EQ(frameScore(true), 50);
    s.gauge = 200;
    frameScore(false);
    EXPECT_EQ(s.doubleScoreBannerX, 813);  // later banners start at 820
}

}  // namespace
}  // namespace game::play
