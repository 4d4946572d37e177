// The moving barrier, the periodic descent, the brick drop and bricks that come too low.
#include <iterator>

#include "game/flow/session.hpp"
#include "play_fixture.hpp"

namespace game::play {
namespace {

using game::levels::Bricks;
using state::Game;
using Hazards = tessaly_test::PlayTest;

// Frames until the barrier next goes up or down (0: not within 400).
int FramesUntilBarrierChanges() {
    const bool was = Play().barrierUp;
    for (int frame = 1; frame <= 400; ++frame) {
        UpdateBarrier();
        if (Play().barrierUp != was) return frame;
    }
    return 0;
}

TEST_F(Hazards, BarrierRisesAt150FallsAt300AndItsTimerRunsOnIntoTheNextLevel) {
    Game().levelNumber = 7;
    EXPECT_EQ(FramesUntilBarrierChanges(), 150);
    EXPECT_EQ(FramesUntilBarrierChanges(), 150);
    Game().levelNumber = 1;  // no barrier unless a level file asks for one
    EXPECT_EQ(FramesUntilBarrierChanges(), 0);
    Game().barrierFlag = 1;
    EXPECT_EQ(FramesUntilBarrierChanges(), 150);

    // A new level takes the barrier down but keeps its timer: the next rise comes sooner.
    Play().barrierTimer = 120;
    Game().levelNumber = 9;
    ASSERT_EQ(game::flow::setUpLevel(), game::flow::SetUpResult::Ready);
    EXPECT_FALSE(Play().barrierUp);
    EXPECT_EQ(FramesUntilBarrierChanges(), 30);
}

TEST_F(Hazards, RaisedBarrierTurnsOneBallAndLetsOthersThroughForTenFrames) {
    Game().levelNumber = 7;
    PlayState& s = Play();
    s.barrierUp = s.multiBall = true;
    s.barrierTimer = 200;
    std::vector<int> extraTurns;
    for (int frame = 1; frame <= 12; ++frame) {
        s.ball = BallAt(300, frame == 1 ? 445 : 100);
        s.extraA = BallAt(500, 445);  // in the barrier's band every frame
        UpdateBarrier();
        EXPECT_EQ(s.ball.dy, frame == 1 ? -5 : 5);
        if (s.extraA.dy == -5) extraTurns.push_back(frame);
    }
    EXPECT_EQ(extraTurns, (std::vector<int>{11}));
    // Once it has scrolled it is drawn 799 pixels wide.
    EXPECT_EQ(Pixel(798, 469), tessaly_test::SpriteColour(75));
    EXPECT_EQ(Pixel(799, 450), 0u);

    s.barrierUp = false;  // down, it lets every ball through
    s.barrierTimer = 10;
    s.ball = BallAt(300, 445);
    for (int frame = 1; frame <= 20; ++frame)
        UpdateBarrier();
    EXPECT_EQ(s.ball.dy, 5);
}

TEST_F(Hazards, DescentMovesEveryBrickEvery100Frames) {
    struct Case {
        int level, flag, pixels;
    };
    const Case cases[] = {{6, 0, 1}, {12, 0, 3}, {1, 1, 4}, {1, 0, 0}};
    for (const Case& c : cases) {
        SetUp();
        Game().levelNumber = c.level;
        Game().descentFlag = c.flag;
        AddBrick(101, 75, 100);
        AddBrick(0, 0, 0);
        for (int frame = 1; frame <= 99; ++frame)
            UpdateDescent();
        EXPECT_EQ(Bricks().begin()->y, 100);
        UpdateDescent();
        EXPECT_EQ(Bricks().begin()->y, 100 + c.pixels) << c.level;
        EXPECT_EQ(std::next(Bricks().begin())->y, c.pixels);
        EXPECT_EQ(TakeSounds(), c.pixels ? std::vector<int>{11} : std::vector<int>{});
    }
}

TEST_F(Hazards, BrickDropTakes33FramesAndBricksBelow568EndTheGame) {
    AddBrick(101, 75, 100);
    Play().dropOn = true;
    for (int frame = 1; frame <= 34; ++frame) {
        UpdateBrickDrop();
        EXPECT_EQ(TakeSounds().size(), frame == 33 ? 1u : 0u);
    }
    EXPECT_EQ(Bricks().begin()->y, 133);
    Bricks().begin()->y = 568;
    EXPECT_FALSE(BricksTooLow());
    Bricks().begin()->y = 569;
    EXPECT_TRUE(BricksTooLow());

    // A drop from 540 ends the game as the brick passes 568, and that frame is not shown.
    Bricks().begin()->y = 540;
    Play().dropOn = true;
    for (int frame = 1; frame <= 28; ++frame)
        ASSERT_EQ(playFrame(), LevelOutcome::None) << frame;
    const auto shown = Presented();
    EXPECT_EQ(playFrame(), LevelOutcome::Lost);
    EXPECT_EQ(Presented(), shown);
}

}  // namespace
}  // namespace game::play
