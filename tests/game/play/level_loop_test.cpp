// Pausing: Escape ends a frame with Paused, as does a full screen without the focus; the
// pause banner's two ways out.
#include "game/flow/mouse_speed.hpp"
#include "game/flow/program.hpp"
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

std::vector<double> g_savedSpeeds;
void SaveSpeed(double speed) {
    g_savedSpeeds.push_back(speed);
}

// The pause banner leaves the mouse alone (the display lets the pointer go), while a level
// frame reads it; + and - (keypad too) and the wheel change the speed by quarters, each
// change handed on to be saved, and the banner shows it.
TEST_F(LevelLoop, ThePauseBannerChangesTheMouseSpeedWithoutReadingTheMouse) {
    namespace ri = runtime::input;
    struct Restore {
        ~Restore() {
            ri::SetMouseSpeed(1.0);
            game::flow::setSettingsSteps({});
        }
    } restore;
    game::flow::setSettingsSteps({.mouseSpeedChanged = &SaveSpeed});
    g_savedSpeeds.clear();
    auto reads = ri::MouseReads();
    playFrame();
    EXPECT_GT(ri::MouseReads(), reads);

    // Held into the banner, + changes nothing; pressed in it, it does once.
    ri::PostKey(ri::KeyEquals, true);
    ri::ReadKeyboard();
    static int s_frames = 0;
    s_frames = 0;
    runtime::screen::SetFrameHook(+[] {
        ++s_frames;
        if (s_frames == 2) ri::PostKey(ri::KeyEquals, false);
        if (s_frames == 3) ri::PostKey(ri::KeyEquals, true);  // 1.25
        if (s_frames == 4) ri::PostKey(ri::KeyEquals, false);
        if (s_frames == 5) ri::PostKey(ri::KeyPadPlus, true);  // 1.5
        if (s_frames == 7) ri::PostMouseWheel(-1);             // 1.25
        if (s_frames == 9) ri::PostKey(ri::KeyMinus, true);    // 1.0
        if (s_frames == 11) ri::PostMouseWheel(40);            // all the way: 4.0
        if (s_frames == 13) ri::PostKey(ri::KeyReturn, true);
    });
    reads = ri::MouseReads();
    EXPECT_EQ(runPause(&game::flow::mouseSpeedOverBanner), PauseOutcome::Resume);
    runtime::screen::SetFrameHook(nullptr);
    EXPECT_EQ(ri::MouseReads(), reads);
    EXPECT_EQ(g_savedSpeeds, (std::vector<double>{1.25, 1.5, 1.25, 1.0, 4.0}));
    EXPECT_EQ(ri::MouseSpeed(), 4.0);
    for (const int key : {ri::KeyEquals, ri::KeyPadPlus, ri::KeyMinus, ri::KeyReturn})
        ri::PostKey(key, false);

    // The decimal point of "mouse speed 1.25", in the band below the banner's own lines.
    ri::SetMouseSpeed(1.25);
    ri::PostKey(ri::KeyReturn, true);
    runPause(&game::flow::mouseSpeedOverBanner);
    ri::PostKey(ri::KeyReturn, false);
    EXPECT_EQ(Pixel(575, 386), 0x8CE6FFu);
}

TEST(MouseSpeed, StepsGoByQuartersBetweenAQuarterAndFour) {
    using game::flow::steppedMouseSpeed;
    EXPECT_EQ(steppedMouseSpeed(1.0, 1), 1.25);
    EXPECT_EQ(steppedMouseSpeed(1.0, -1), 0.75);
    EXPECT_EQ(steppedMouseSpeed(0.25, -1), 0.25);
    EXPECT_EQ(steppedMouseSpeed(4.0, 1), 4.0);
    // From the settings file a speed may lie between quarters: the next one either way.
    EXPECT_EQ(steppedMouseSpeed(1.3, 1), 1.5);
    EXPECT_EQ(steppedMouseSpeed(1.3, -1), 1.25);
}

}  // namespace
}  // namespace game::play
