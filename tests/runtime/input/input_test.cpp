#include "runtime/input/input.hpp"

#include <gtest/gtest.h>

#include "runtime/input/headless/script_input.hpp"
#include "runtime/input/read_log.hpp"
#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"

namespace ri = runtime::input;
using Event = runtime::input::headless::ScriptEvent;
using Kind = Event::Kind;

namespace {

class Input : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime::screen::headless::UseHeadlessDisplay();
        ASSERT_NE(runtime::screen::InitSpriteEngine(), 0);
        ASSERT_NE(runtime::screen::OpenFullScreen(800, 600, 32, ""), 0);
        ASSERT_EQ(ri::InitKeyboardInput(), 1);
        ASSERT_EQ(ri::InitMouseInput(), 1);
    }
    void TearDown() override {
        ri::ReleaseKeyboardInput();
        ri::ReleaseMouseInput();
        runtime::screen::CloseScreenDisplay();
    }
    // One turn of a game loop: present, then read the devices.
    static void Frame() {
        runtime::screen::PresentFrame();
        ri::ReadKeyboard();
        ri::ReadMouse();
    }
    static std::uint64_t Now() { return runtime::screen::State().framesPresented; }
};

}  // namespace

TEST_F(Input, HeldKeyIsDownEachFrameAndWentUpOnceAfterRelease) {
    const auto start = Now();
    ri::headless::UseScript(
        {{start + 1, Kind::KeyDown, ri::KeySpace}, {start + 4, Kind::KeyUp, ri::KeySpace}});
    std::vector<int> down, wentUp, anyUp;
    for (int f = 0; f < 6; ++f) {
        Frame();
        down.push_back(ri::KeyIsDown(ri::KeySpace));
        wentUp.push_back(ri::KeyWentUp(ri::KeySpace));
    }
    EXPECT_EQ(down, (std::vector<int>{0x80, 0x80, 0x80, 0, 0, 0}));
    EXPECT_EQ(wentUp, (std::vector<int>{0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(ri::headless::PendingScriptEvents(), 0u);
}

TEST_F(Input, AKeyTappedBetweenTwoReadsIsDownOnceThenUp) {
    Frame();
    ri::PostKey(ri::KeyReturn, true);
    ri::PostKey(ri::KeyReturn, false);
    std::vector<int> down, wentUp;
    for (int f = 0; f < 3; ++f) {
        Frame();
        down.push_back(ri::KeyIsDown(ri::KeyReturn));
        wentUp.push_back(ri::KeyWentUp(ri::KeyReturn));
    }
    EXPECT_EQ(down, (std::vector<int>{0x80, 0, 0}));
    EXPECT_EQ(wentUp, (std::vector<int>{0, 1, 0}));

    // The repeats of a held key are no new presses: its release shows at the next read.
    ri::PostKey(ri::KeySpace, true);
    Frame();
    ri::PostKey(ri::KeySpace, true);
    ri::PostKey(ri::KeySpace, false);
    Frame();
    EXPECT_EQ(ri::KeyIsDown(ri::KeySpace), 0);

    // A tap just before the window lost the keyboard is gone with every other key.
    ri::PostKey(ri::KeyEscape, true);
    ri::PostKey(ri::KeyEscape, false);
    ri::PostAllKeysUp();
    Frame();
    EXPECT_EQ(ri::KeyIsDown(-1), 0);
}

TEST_F(Input, AnyKeyQuestions) {
    // Key 255 does not count as "any key".
    ri::PostKey(255, true);
    Frame();
    EXPECT_EQ(ri::KeyIsDown(255), 0x80);
    EXPECT_EQ(ri::KeyIsDown(-1), 0);
    ri::PostKey(0, true);
    Frame();
    EXPECT_EQ(ri::KeyIsDown(-1), 1);

    // KeyWentUp(-1) takes its step on every key: two releases are both used up at once.
    ri::PostKey(0x10, true);
    ri::PostKey(0x32, true);
    Frame();
    EXPECT_EQ(ri::KeyWentUp(-1), 0);
    ri::PostKey(0x10, false);
    ri::PostKey(0x32, false);
    Frame();
    EXPECT_EQ(ri::KeyWentUp(-1), 1);
    EXPECT_EQ(ri::KeyWentUp(0x32), 0);
    EXPECT_EQ(ri::KeyWentUp(-1), 0);

    // Numbers outside the keyboard are never down, and posting them changes no key.
    EXPECT_EQ(ri::KeyIsDown(256), 0);
    EXPECT_EQ(ri::KeyWentUp(-7), 0);
    const auto keys = ri::Keyboard().keys;
    ri::PostKey(999, true);
    ri::PostKey(-3, true);
    Frame();
    EXPECT_EQ(ri::Keyboard().keys, keys);
}

TEST_F(Input, MouseMotionIsSummedAndThePositionKeptOnScreen) {
    Frame();
    ri::PostMouseMotion(-30, 5);
    ri::PostMouseMotion(10, -2);
    EXPECT_EQ(ri::ReadMouse(), 1);
    EXPECT_EQ(ri::MouseMoveX(), -20);
    EXPECT_EQ(ri::MouseMoveY(), 3);
    EXPECT_EQ(ri::MouseX(), 0);  // started at 0, 0 and cannot go left of it
    EXPECT_EQ(ri::MouseY(), 3);

    ri::PostMouseMotion(5000, 5000);
    ri::ReadMouse();
    EXPECT_EQ(ri::MouseX(), 799);
    EXPECT_EQ(ri::MouseY(), 599);
    ri::ReadMouse();
    EXPECT_EQ(ri::MouseMoveX(), 0);  // movement is only since the last read

    // Buttons keep the state of their last event; a click inside one frame is down for
    // one read.
    ri::PostMouseButton(1, true);
    ri::PostMouseButton(3, true);
    ri::ReadMouse();
    EXPECT_EQ(ri::MouseButtonDown(1), 1);
    EXPECT_EQ(ri::MouseButtonDown(2), 0);
    EXPECT_EQ(ri::MouseButtonDown(3), 1);
    ri::PostMouseButton(2, true);
    ri::PostMouseButton(2, false);
    ri::PostMouseButton(1, false);
    ri::ReadMouse();
    EXPECT_EQ(ri::MouseButtonDown(1), 0);
    EXPECT_EQ(ri::MouseButtonDown(2), 1);
    EXPECT_EQ(ri::MouseButtonDown(3), 1);
    ri::ReadMouse();
    EXPECT_EQ(ri::MouseButtonDown(2), 0);
    EXPECT_EQ(ri::MouseButtonDown(3), 1);

    // Up, down and up again inside one frame, then down once more: a click, then held.
    ri::PostMouseButton(3, false);
    ri::PostMouseButton(3, true);
    ri::PostMouseButton(3, false);
    ri::PostMouseButton(3, true);
    ri::ReadMouse();
    ri::ReadMouse();
    EXPECT_EQ(ri::MouseButtonDown(3), 1);
}

TEST_F(Input, MouseIsNotReadWhileTheScreenIsInactive) {
    Frame();
    runtime::screen::headless::SetHeadlessFocus(false);
    runtime::screen::PresentFrame();
    ri::PostMouseMotion(40, 0);
    ri::PostMouseButton(1, true);
    EXPECT_EQ(ri::ReadMouse(), 0);
    EXPECT_EQ(ri::MouseMoveX(), 0);
    EXPECT_EQ(ri::MouseButtonDown(1), 0);

    // Back in focus the first read takes the mouse again without using what happened in
    // between; from then on it reads as before.
    runtime::screen::headless::SetHeadlessFocus(true);
    runtime::screen::PresentFrame();
    ri::PostMouseMotion(40, 0);
    EXPECT_EQ(ri::ReadMouse(), 0);
    EXPECT_EQ(ri::MouseMoveX(), 0);
    ri::PostMouseMotion(12, 0);
    EXPECT_EQ(ri::ReadMouse(), 1);
    EXPECT_EQ(ri::MouseMoveX(), 12);
    EXPECT_EQ(ri::MouseX(), 12);

    // A click read just before the screen went to the background is let go after it
    // comes back, though its release came while the game was not reading.
    ri::PostMouseButton(2, true);
    ri::PostMouseButton(2, false);
    EXPECT_EQ(ri::ReadMouse(), 1);
    EXPECT_EQ(ri::MouseButtonDown(2), 1);
    runtime::screen::headless::SetHeadlessFocus(false);
    runtime::screen::PresentFrame();
    EXPECT_EQ(ri::ReadMouse(), 0);
    runtime::screen::headless::SetHeadlessFocus(true);
    runtime::screen::PresentFrame();
    EXPECT_EQ(ri::ReadMouse(), 0);
    EXPECT_EQ(ri::ReadMouse(), 1);
    EXPECT_EQ(ri::MouseButtonDown(2), 0);
}

// A program's own words on top of the script's: read by the same reader, in frame order
// with the rest, and each bad line named with what it should have been.
TEST_F(Input, TheMouseSpeedScalesCountsAndCarriesTheFractions) {
    struct Restore {
        ~Restore() { ri::SetMouseSpeed(1.0); }
    } restore;
    Frame();
    // Twice as fast: every count is two; a quarter: one count a frame moves every fourth
    // frame, and the same backwards.
    ri::SetMouseSpeed(2.0);
    ri::PostMouseMotion(37, -5);
    Frame();
    EXPECT_EQ(ri::MouseMoveX(), 74);
    EXPECT_EQ(ri::MouseMoveY(), -10);
    ri::SetMouseSpeed(0.25);
    EXPECT_EQ(ri::MouseSpeed(), 0.25);
    std::vector<int> moved;
    for (int f = 0; f < 8; ++f) {
        ri::PostMouseMotion(f < 4 ? 1 : -1, 0);
        Frame();
        moved.push_back(ri::MouseMoveX());
    }
    EXPECT_EQ(moved, (std::vector<int>{0, 0, 0, 1, 0, 0, 0, -1}));
    ri::SetMouseSpeed(1.5);
    ri::PostMouseMotion(3, 0);
    Frame();
    EXPECT_EQ(ri::MouseMoveX(), 4);
    ri::PostMouseMotion(1, 0);
    Frame();
    EXPECT_EQ(ri::MouseMoveX(), 2);  // 1.5 with the half left over
    // A gamepad's motion (or a replay's, which holds what the reads returned) is not the
    // mouse's: it is not sped up again.
    ri::PostUnscaledMotion(10, -3);
    ri::PostMouseMotion(2, 0);
    Frame();
    EXPECT_EQ(ri::MouseMoveX(), 13);
    EXPECT_EQ(ri::MouseMoveY(), -3);
    // Speeds that mean nothing are refused; the wheel is not scaled.
    ri::SetMouseSpeed(0.0);
    ri::SetMouseSpeed(-1.0);
    EXPECT_EQ(ri::MouseSpeed(), 1.5);
    ri::PostMouseWheel(2);
    Frame();
    EXPECT_EQ(ri::MouseWheelSteps(), 2);
    // A huge movement saturates instead of overflowing.
    ri::SetMouseSpeed(4.0);
    ri::PostMouseMotion(INT32_MAX, INT32_MIN);
    Frame();
    EXPECT_EQ(ri::MouseMoveX(), INT32_MAX);
    EXPECT_EQ(ri::MouseMoveY(), INT32_MIN);
}

TEST_F(Input, TheWheelReadsWithoutTheMouseAndReadsAreCounted) {
    Frame();
    const std::uint64_t reads = ri::MouseReads();
    ri::PostMouseWheel(-3);
    ri::PostMouseMotion(10, 0);
    EXPECT_EQ(ri::ReadMouseWheel(), -3);
    EXPECT_EQ(ri::ReadMouseWheel(), 0);
    EXPECT_EQ(ri::MouseReads(), reads);
    // The movement is still there for the next read of the mouse.
    EXPECT_EQ(ri::ReadMouse(), 1);
    EXPECT_EQ(ri::MouseMoveX(), 10);
    EXPECT_EQ(ri::MouseWheelSteps(), 0);
    EXPECT_EQ(ri::MouseReads(), reads + 1);
}

TEST(InputScript, ExtraWordsJoinTheScriptsOwnAndBadLinesSayWhy) {
    const ri::headless::ExtraWord extra[] = {{"focus", {"out", "in"}}, {"close", {}}};
    std::vector<Event> events;
    ri::headless::ScriptError error;
    ASSERT_TRUE(ri::headless::ReadScript(
        "9 close\n3 focus in # back\n3 mouse 5 -6\n3 move -5 6\n1 focus out\n", events, error,
        extra, {1}));
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].frame, 1u);
    EXPECT_EQ(events[0].kind, Kind::Extra);
    EXPECT_EQ(events[0].a, 0);  // focus
    EXPECT_EQ(events[0].b, 0);  // out
    EXPECT_EQ(events[1].b, 1);  // in, before the movements of the same frame
    EXPECT_EQ(events[2].kind, Kind::MouseMove);
    EXPECT_EQ(events[2].a, 5);
    EXPECT_EQ(events[3].a, -5);
    EXPECT_EQ(events[4].a, 1);  // close
    EXPECT_EQ(events[4].frame, 9u);

    const struct {
        const char* line;
        const char* expected;
    } bad[] = {
        {"0 key 1 down", "the frame must be 1 or more"},
        {"4+0 close", "expected a frame number, with +R (R 1 to 1000) for a later read"},
        {"4+1001 close", "expected a frame number, with +R (R 1 to 1000) for a later read"},
        {"4 focus sideways", "expected FRAME focus out|in"},
        {"4 close now", "expected FRAME close"},
        {"4 mouse 100001 0", "mouse movement must be two numbers from -100000 to 100000"},
        {"4 key 300 up", "a key number is 0 to 255"},
        {"4 jump 3",
         "expected FRAME key K down|up, FRAME mouse DX DY, FRAME button B down|up, FRAME wheel "
         "STEPS, FRAME focus out|in or FRAME close"},
    };
    for (const auto& b : bad) {
        std::vector<Event> kept(1);
        EXPECT_FALSE(
            ri::headless::ReadScript(std::string("2 close\n\n") + b.line, kept, error, extra, {1}))
            << b.line;
        EXPECT_EQ(error.line, 3u) << b.line;
        EXPECT_EQ(error.expected, b.expected);
        EXPECT_EQ(kept.size(), 1u);
    }
    // Without them, the program's words are not the script's.
    EXPECT_FALSE(ri::headless::ReadScript("2 close\n", events, error));
}

TEST(InputScript, ReadsEventsAndRejectsBadLines) {
    std::vector<Event> events;
    std::string error;
    ASSERT_TRUE(ri::headless::ParseScript(
        "# serve and move\n10 button 1 down\r\n11 button 1 up\n\n12 move -30 4  # left\n"
        "20 key 57 down\n21 key 57 up\n30 wheel -2\n",
        events, &error));
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].frame, 10u);
    EXPECT_EQ(events[0].kind, Kind::ButtonDown);
    EXPECT_EQ(events[2].kind, Kind::MouseMove);
    EXPECT_EQ(events[2].a, -30);
    EXPECT_EQ(events[2].b, 4);
    EXPECT_EQ(events[4].kind, Kind::KeyUp);
    EXPECT_EQ(events[5].a, -2);

    for (const char* bad :
         {"5 key 256 down\n", "5 key 12 pressed\n", "x move 1 1\n", "5 button 4 down\n",
          "5 move 1\n", "5 teleport 3 3\n", "-1 key 1 down\n", "5 move 99999999999 0\n"}) {
        std::vector<Event> kept(1);
        EXPECT_FALSE(ri::headless::ParseScript(std::string("1 key 1 down\n") + bad, kept, &error))
            << bad;
        EXPECT_EQ(error, "bad input script line 2");
        EXPECT_EQ(kept.size(), 1u);
    }
}

namespace {

// What one read returned.
struct Seen {
    std::vector<int> keys;  // those down
    int result = 0;
    int moveX = 0, moveY = 0, wheel = 0, button1 = 0, button2 = 0, button3 = 0;
    bool operator==(const Seen&) const = default;
};

Seen KeyboardRead() {
    Seen seen;
    seen.result = ri::ReadKeyboard();
    for (int k = 0; k < 256; ++k)
        if (ri::Keyboard().keys[std::size_t(k)] & 0x80) seen.keys.push_back(k);
    return seen;
}

Seen MouseRead() {
    Seen seen;
    seen.result = ri::ReadMouse();
    const ri::MouseState& m = ri::Mouse();
    seen = {{}, seen.result, m.moveX, m.moveY, m.moveWheel, m.button1, m.button2, m.button3};
    return seen;
}

// As the headless tool does: the display keeps the focus, the screen follows it.
void SetFocus(bool focused) {
    runtime::screen::headless::SetHeadlessFocus(focused);
    runtime::screen::State().active = focused ? 1 : 0;
    if (!focused) ri::PostAllKeysUp();
}

void ApplyWindowLine(const Event& e) {
    if (e.a == ri::headless::kFocusLine) SetFocus(e.b == ri::headless::kFocusIn);
}

// Nine frames of a player, with what happens before each frame's reads and, in frame 3,
// between a second keyboard read and the mouse's; every read's result.
std::vector<Seen> PlayFrames(bool withPlayer) {
    std::vector<Seen> seen;
    for (int f = 1; f <= 9; ++f) {
        runtime::screen::PresentFrame();
        if (withPlayer) {
            if (f == 1) ri::PostKey(ri::KeySpace, true), ri::PostKey(ri::KeySpace, false);
            if (f == 2) {
                ri::PostMouseMotion(250000, -3);  // more than one script line moves
                ri::PostMouseButton(1, true);
                ri::PostMouseButton(1, false);
            }
            if (f == 3) ri::PostKey(ri::KeyReturn, true), ri::PostMouseWheel(2);
            if (f == 4) SetFocus(false), ri::PostMouseMotion(5, 5);
            if (f == 5) ri::PostMouseMotion(7, 0), ri::PostKey(ri::KeyUp, true);
            if (f == 6) SetFocus(true);
            if (f == 7) ri::PostMouseMotion(1, 2), ri::PostMouseButton(3, true);
        }
        seen.push_back(KeyboardRead());
        if (f == 3) {
            if (withPlayer) ri::PostKey(ri::KeyS, true), ri::PostKey(ri::KeyReturn, false);
            seen.push_back(KeyboardRead());
        }
        seen.push_back(MouseRead());
    }
    return seen;
}

}  // namespace

// The read log writes what each read returned; read back by the script reader and handed
// to a fresh input, every read returns the same: taps and clicks shorter than a frame,
// movement larger than a script line holds, the wheel, the focus going and coming back
// (the mouse is not the game's meanwhile), and a key that came between two reads of one
// frame.
TEST_F(Input, ReadLogPlaysBackTheSameReads) {
    ri::SetEventPump(nullptr);
    std::string log;
    ri::StartReadLog(log);
    const std::vector<Seen> played = PlayFrames(true);
    EXPECT_EQ(ri::ReadLogFrames(), 9u);
    ri::StopReadLog();
    EXPECT_NE(log.find("2+1 mouse 100000 -3\n2+1 mouse 100000 0\n2+1 mouse 50000 0\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("3+1 key 31 down\n"), std::string::npos) << log;
    EXPECT_NE(log.find("4 focus out\n"), std::string::npos) << log;
    EXPECT_NE(log.find("6 focus in\n"), std::string::npos) << log;

    TearDown();
    SetUp();
    std::vector<Event> events;
    ri::headless::ScriptError error;
    ASSERT_TRUE(ri::headless::ReadScript(log, events, error, ri::headless::WindowLines()))
        << error.line << ": " << error.expected << "\n"
        << log;
    ri::headless::UseScript(events, Now(), &ApplyWindowLine);
    EXPECT_EQ(PlayFrames(false), played) << log;
    EXPECT_EQ(ri::headless::PendingScriptEvents(), 0u);
    ri::SetEventPump(nullptr);

    // The log holds what the reads returned, the mouse speed applied: played back by a
    // program with another speed (the pause banner's + pressed in the recorded game), the
    // reads are the same.
    TearDown();
    SetUp();
    ri::SetMouseSpeed(2.0);
    ri::headless::UseScript(events, Now(), &ApplyWindowLine);
    EXPECT_EQ(PlayFrames(false), played) << log;
    ri::SetMouseSpeed(1.0);
    ri::SetEventPump(nullptr);
}
