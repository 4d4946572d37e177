// Gamepads through the input core on the headless display: what the buttons post in each
// meaning, and the stick's mouse motion frame by frame. The d-pad's ramp is checked frame
// by frame in the real game (tests/desktop/gamepad_play_check.cpp).
#include "runtime/input/gamepad.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"

namespace ri = runtime::input;
using ri::PadButton;

namespace {

const ri::PadMeaning kLevel{
    .movesPointer = true, .south = ri::kPadLeftButton, .start = ri::KeyEscape};
const ri::PadMeaning kBanner{.south = ri::KeyReturn, .start = ri::KeyReturn, .back = ri::KeySpace};

class Gamepad : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime::screen::headless::UseHeadlessDisplay();
        ASSERT_NE(runtime::screen::InitSpriteEngine(), 0);
        ASSERT_NE(runtime::screen::OpenFullScreen(800, 600, 32, ""), 0);
        ASSERT_EQ(ri::InitKeyboardInput(), 1);
        ASSERT_EQ(ri::InitMouseInput(), 1);
        ri::SetPadMeaning(kLevel);
        Frame();
    }
    void TearDown() override {
        ri::ForgetAllPads();
        ri::SetPadMeaning({});
        ri::ReleaseKeyboardInput();
        ri::ReleaseMouseInput();
        runtime::screen::CloseScreenDisplay();
    }
    // One turn of a game loop: the frame shown, then the devices read; the sideways motion.
    static int Frame() {
        runtime::screen::PresentFrame();
        ri::ReadKeyboard();
        ri::ReadMouse();
        return ri::MouseMoveX();
    }
    static std::vector<int> Frames(int count) {
        std::vector<int> moves;
        for (int f = 0; f < count; ++f)
            moves.push_back(Frame());
        return moves;
    }
};

TEST_F(Gamepad, ButtonsPostWhatTheyStandForAndAHeldButtonWaitsForANewPress) {
    // In a level A is the left mouse button, a tap inside one frame included.
    ri::PostPadButton(1, PadButton::South, true);
    Frame();
    EXPECT_EQ(ri::MouseButtonDown(1), 1);
    ri::PostPadButton(1, PadButton::South, false);
    Frame();
    EXPECT_EQ(ri::MouseButtonDown(1), 0);
    ri::PostPadButton(1, PadButton::Start, true);
    ri::PostPadButton(1, PadButton::Start, false);
    Frame();
    EXPECT_NE(ri::KeyIsDown(ri::KeyEscape), 0);
    Frame();
    EXPECT_EQ(ri::KeyIsDown(ri::KeyEscape), 0);
    EXPECT_EQ(ri::KeyIsDown(ri::KeySpace), 0) << "Back stands for nothing in a level";

    // A held as the banner comes lets go of the mouse button and is no Return until it is
    // pressed again; Start, held through the change, the same.
    ri::PostPadButton(1, PadButton::South, true);
    ri::PostPadButton(1, PadButton::Start, true);
    Frame();
    ri::SetPadMeaning(kBanner);
    Frame();
    EXPECT_EQ(ri::MouseButtonDown(1), 0);
    EXPECT_EQ(ri::KeyIsDown(ri::KeyEscape), 0);
    EXPECT_EQ(ri::KeyIsDown(ri::KeyReturn), 0);
    ri::PostPadButton(1, PadButton::South, false);
    ri::PostPadButton(1, PadButton::Start, false);
    ri::PostPadButton(1, PadButton::South, true);
    Frame();
    EXPECT_NE(ri::KeyIsDown(ri::KeyReturn), 0);

    // Two pads on one key: it stays down until both let go; a pad unplugged lets go of all.
    ri::PostPadButton(2, PadButton::Back, true);
    ri::PostPadButton(3, PadButton::Back, true);
    ri::PostPadButton(2, PadButton::Back, false);
    Frame();
    EXPECT_NE(ri::KeyIsDown(ri::KeySpace), 0);
    ri::ForgetPad(3);
    ri::ForgetPad(1);
    Frame();
    EXPECT_EQ(ri::KeyIsDown(ri::KeySpace), 0);
    EXPECT_EQ(ri::KeyIsDown(ri::KeyReturn), 0);
}

TEST_F(Gamepad, TheStickMovesInProportionEveryFrameWithFractionsCarried) {
    ri::PostPadStick(1, 32767, 0);
    EXPECT_EQ(Frames(3),
              (std::vector<int>{ri::kPadStickSpeed, ri::kPadStickSpeed, ri::kPadStickSpeed}));
    // Extra reads within a frame move nothing more: motion comes once per frame shown.
    ri::ReadKeyboard();
    ri::ReadMouse();
    EXPECT_EQ(ri::MouseMoveX(), 0);

    // A quarter of the way past the dead zone, to the left: 3.5 counts a frame, the halves
    // carried over.
    const int quarter = ri::kPadDeadZone + (32767 - ri::kPadDeadZone) / 4;
    ri::PostPadStick(1, -quarter - 1, 0);
    const auto slow = Frames(4);
    EXPECT_EQ(slow[0] + slow[1] + slow[2] + slow[3], -14);
    for (const int move : slow)
        EXPECT_TRUE(move == -3 || move == -4) << move;

    // Inside the dead zone and the extreme -32768 value.
    ri::PostPadStick(1, ri::kPadDeadZone, -ri::kPadDeadZone);
    EXPECT_EQ(Frames(2), (std::vector<int>{0, 0}));
    ri::PostPadStick(1, -32768, 0);
    EXPECT_EQ(Frames(1), (std::vector<int>{-ri::kPadStickSpeed}));

    // The vertical axis moves the pointer down and up too.
    ri::PostPadStick(1, 0, 32767);
    Frame();
    EXPECT_EQ(ri::MouseMoveY(), ri::kPadStickSpeed);

    // Where the pointer does not move, the stick does nothing.
    ri::SetPadMeaning(kBanner);
    EXPECT_EQ(Frames(2), (std::vector<int>{0, 0}));
}

}  // namespace
