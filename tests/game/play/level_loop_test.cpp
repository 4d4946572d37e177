// Pausing: Escape ends a frame with Paused, as does a full screen without the focus; the
// pause banner's two ways out.
#include "play_fixture.hpp"
#include "runtime/input/input.hpp"
#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"

namespace game::play {
namespace {

using tessaly_test::SpriteColour;
using LevelLoop = tessaly_test::PlayTest;

TEST_F(LevelLoop, EscapePausesAndTheBannerResumesOnEnterOrQuitsOnSpace) {
    const auto shown = Presented();
    EXPECT_EQ(playFrame(), LevelOutcome::None);
    runtime::input::PostKey(runtime::input::KeyEscape, true);
    EXPECT_EQ(playFrame(), LevelOutcome::Paused);
    EXPECT_EQ(Presented(), shown + 2);  // the paused frame is shown

    runtime::input::PostKey(runtime::input::KeyReturn, true);
    EXPECT_EQ(runPause(), PauseOutcome::Resume);
    EXPECT_EQ(Pixel(0, 200), SpriteColour(48));
    runtime::input::PostKey(runtime::input::KeyReturn, false);

    // Quitting shows the loading picture, but only in the full game.
    runtime::input::PostKey(runtime::input::KeySpace, true);
    for (auto mode : {state::PlayMode::FullGame, state::PlayMode::SingleLevel}) {
        state::Game().playMode = mode;
        const auto before = Presented();
        EXPECT_EQ(runPause(), PauseOutcome::QuitToMenu);
        EXPECT_EQ(Presented(), before + 2);
        EXPECT_EQ(Pixel(0, 200), 0u);
        EXPECT_EQ(Pixel(0, 210), mode == state::PlayMode::FullGame ? SpriteColour(900) : 0u);
    }
}

// Stops a driver that would run on: Escape from the second frame shown.
int g_framesShown = 0;
void EscapeFromTheSecondFrame() {
    if (++g_framesShown >= 2) runtime::input::PostKey(runtime::input::KeyEscape, true);
}

// The level driver shows frames until one ends the level; a full screen that has lost the
// focus pauses after the frame it has shown.
TEST_F(LevelLoop, PlayLevelPausesOnEscapeOrWithoutTheFocus) {
    runtime::screen::headless::SetHeadlessFocus(false);
    runtime::screen::SetFrameHook(&EscapeFromTheSecondFrame);
    auto shown = Presented();
    EXPECT_EQ(playLevel(false), LevelOutcome::Paused);
    EXPECT_EQ(Presented(), shown + 1);
    runtime::screen::SetFrameHook(nullptr);
    runtime::screen::headless::SetHeadlessFocus(true);

    runtime::input::PostKey(runtime::input::KeyEscape, true);
    shown = Presented();
    EXPECT_EQ(playLevel(false), LevelOutcome::Paused);
    EXPECT_EQ(Presented(), shown + 1);
}

}  // namespace
}  // namespace game::play
