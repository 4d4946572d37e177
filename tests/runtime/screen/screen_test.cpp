#include "runtime/screen/screen.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/sprites/sprites.hpp"

namespace {

using namespace runtime::screen;

// A clock that only moves when read (by `step` ticks) or slept on.
class FakeClock final : public PacingClock {
  public:
    std::int64_t Frequency() override { return frequency; }
    std::int64_t Counter() override {
        ++reads;
        now += step;
        return now;
    }
    void SleepTicks(std::int64_t ticks) override { now += ticks; }
    void SleepUntil(std::int64_t counter) override {
        ++sleeps;
        sleptUntil = counter;
        now = std::max(now, counter) + oversleep;
    }
    std::int64_t frequency = 10'000'000;
    std::int64_t now = 0;
    std::int64_t step = 1;
    int reads = 0;
    int sleeps = 0;
    std::int64_t sleptUntil = 0;
    std::int64_t oversleep = 0;  // how late each sleep wakes
};

// A display that shows nothing and paces with the fake clock.
class FakeDisplay final : public DisplayBackend {
  public:
    bool Init() override { return true; }
    bool OpenFull(int, int, const char*, int, int& measured) override {
        measured = refresh;
        return true;
    }
    bool OpenInWindow(void*, int, int, int, int, WindowPlacement&) override { return true; }
    void Close() override {}
    void PumpEvents() override {}
    bool Present(const Surface&, bool) override {
        ++presents;
        return true;
    }
    bool RetraceSynced() const override { return synced; }
    PacingClock& Clock() override { return clock; }
    FakeClock clock;
    int refresh = 60;
    bool synced = true;
    int presents = 0;
};

TEST(Pacing, PeriodIsOneRatePlusOneThOfASecond) {
    FakeDisplay display;
    SetDisplayBackend(&display);
    State() = ScreenState{};
    ASSERT_TRUE(InitSpriteEngine());
    EXPECT_EQ(State().framePeriod, 0);
    ASSERT_TRUE(SetFrameRateLimit(60));
    EXPECT_EQ(State().framePeriod, 10'000'000 / 61);
    EXPECT_EQ(State().frameRate, 60);
    EXPECT_EQ(State().lastFrameStamp, 0);
    EXPECT_FALSE(SetFrameRateLimit(-1));
    display.clock.frequency = 0;
    EXPECT_FALSE(SetFrameRateLimit(30));
    EXPECT_EQ(State().frameRate, 60);
    SetDisplayBackend(nullptr);
}

TEST(Pacing, WaitEndsOnlyAfterMoreThanAPeriodAndRestartsWhenTheStampChangesSign) {
    ScreenState s;
    FakeClock clock;
    s.framePeriod = 100'000;  // 10 ms at 10 MHz
    s.lastFrameStamp = 5'000;
    clock.now = 5'000;
    PacingWait(s, clock);
    // Woken just after the deadline, the next frame counts from the deadline itself.
    EXPECT_EQ(s.lastFrameStamp, 105'001);

    // The low 32 bits went negative since the last frame: a full period from there.
    s.lastFrameStamp = 0x7FFF'0000;
    clock.now = 0x8000'0000LL - 1;
    PacingWait(s, clock);
    EXPECT_EQ(s.lastFrameStamp, std::int32_t(0x8000'0000u) + 100'001);

    // Without a limit the wait ends at the first reading past the stamp.
    s.framePeriod = 0;
    s.lastFrameStamp = 42;
    clock.now = 42;
    clock.step = 1;
    clock.reads = 0;
    PacingWait(s, clock);
    EXPECT_EQ(s.lastFrameStamp, 43);
    EXPECT_EQ(clock.reads, 1);
}

TEST(Pacing, WaitSleepsOnceToTheDeadlineAndReadsTheCounterTwice) {
    // Each reading takes 10 microseconds; the period is 1/61 s.
    ScreenState s;
    FakeClock clock;
    clock.step = 100;
    s.framePeriod = 10'000'000 / 61;
    // The counter's full value, past 32 bits, sets the deadline; its low bits the stamp.
    for (const std::int64_t start : {std::int64_t(1'000'000), std::int64_t(0x1'2345'0000)}) {
        SCOPED_TRACE(start);
        clock.now = start;
        s.lastFrameStamp = std::int32_t(std::uint32_t(start));
        clock.reads = 0;
        clock.sleeps = 0;
        PacingWait(s, clock);
        // One sleep, to the deadline itself, and one reading before and after it.
        EXPECT_EQ(clock.sleeps, 1);
        const std::int64_t deadline = start + s.framePeriod + 1;
        EXPECT_EQ(clock.sleptUntil, deadline);
        EXPECT_EQ(clock.reads, 2);
        EXPECT_EQ(s.lastFrameStamp, std::int32_t(std::uint32_t(deadline)));
    }
    // Woken late by the system, frames still average one period; woken very late, the next
    // frame counts from the wake-up.
    clock.oversleep = 500;
    clock.step = 1;
    clock.now = 2'000'000;
    s.lastFrameStamp = 2'000'000;
    for (int frame = 0; frame < 61; ++frame) PacingWait(s, clock);
    EXPECT_EQ(s.lastFrameStamp, 2'000'000 + 61 * (s.framePeriod + 1));
    clock.oversleep = s.framePeriod / 2;
    PacingWait(s, clock);
    EXPECT_EQ(s.lastFrameStamp, std::int32_t(clock.now));
    clock.oversleep = 0;
    clock.step = 100;
    // A wait that starts late sleeps no more.
    clock.now = 5'000'000;
    s.lastFrameStamp = 5'000'000 - std::int32_t(s.framePeriod) - 10;
    clock.sleeps = 0;
    PacingWait(s, clock);
    EXPECT_EQ(clock.sleeps, 0);
    EXPECT_EQ(s.lastFrameStamp, 5'000'100);
}

TEST(Pacing, TheRealClockNeverWakesBeforeItsDeadline) {
    PacingClock& clock = SteadyPacingClock();
    ASSERT_EQ(clock.Frequency(), 10'000'000);
    for (const std::int64_t ahead : {0, 1, 20'000, 33'333}) {
        const std::int64_t until = clock.Counter() + ahead;
        clock.SleepUntil(until);
        EXPECT_GE(clock.Counter(), until) << ahead;
        const std::int64_t from = clock.Counter();
        clock.SleepTicks(ahead);
        EXPECT_GE(clock.Counter(), from + ahead) << ahead;
    }
    clock.SleepUntil(clock.Counter() - 1'000'000);  // a moment gone: back at once
}

TEST(Pacing, FullScreenWaitsOnlyWhenTheRetraceCannotPace) {
    FakeDisplay display;
    SetDisplayBackend(&display);
    State() = ScreenState{};
    ASSERT_TRUE(InitSpriteEngine());
    auto frameTicks = [&] {
        const std::int64_t start = display.clock.now;
        PresentFrame(1);
        return display.clock.now - start;
    };
    // Refresh pacing on a 60 Hz display: the retrace alone paces, no wait.
    SetRefreshRateRequest(60);
    ASSERT_TRUE(OpenFullScreen(800, 600, 32, ""));
    EXPECT_EQ(State().measuredRefresh, 60);
    frameTicks();
    EXPECT_LT(frameTicks(), 10);
    CloseScreenDisplay();
    // The same on a display without a usable refresh: the timer takes over at 1/61 s.
    display.synced = false;
    display.refresh = 0;
    ASSERT_TRUE(OpenFullScreen(800, 600, 32, ""));
    frameTicks();
    EXPECT_GT(frameTicks(), 10'000'000 / 61);
    CloseScreenDisplay();
    // Timer pacing waits even where the display reports no rate at all.
    SetRefreshRateRequest(0);
    ASSERT_TRUE(OpenFullScreen(800, 600, 32, ""));
    ASSERT_TRUE(SetFrameRateLimit(60));
    frameTicks();
    EXPECT_GT(frameTicks(), 10'000'000 / 61);
    // No limit and no refresh request: nothing waits.
    State().frameRate = 0;
    State().framePeriod = 0;
    EXPECT_LT(frameTicks(), 10);
    EXPECT_EQ(display.presents, 2 + 2 + 3);
    CloseScreenDisplay();

    // A screen in a window brings its own 60 per second, and takes it away on closing.
    int window = 0;
    EXPECT_FALSE(OpenScreenInWindow(nullptr, 0, 0, 400, 200, 1, 0, 0));
    ASSERT_TRUE(OpenScreenInWindow(&window, 0, 0, 400, 200, 1, 0, 0));
    EXPECT_EQ(State().frameRate, 60);
    EXPECT_TRUE(State().frameRateIsDefault);
    EXPECT_EQ(BackBuffer().width, 400);
    frameTicks();
    EXPECT_GT(frameTicks(), 10'000'000 / 61);
    CloseScreenDisplay();
    EXPECT_EQ(State().frameRate, 0);
    EXPECT_EQ(State().width, 0);
    SetDisplayBackend(nullptr);
}

// Ticks of the display's clock that `frames` presented frames take.
std::int64_t TicksFor(int frames) {
    PacingClock& clock = CurrentDisplayBackend()->Clock();
    const std::int64_t start = clock.Counter();
    for (int f = 0; f < frames; ++f)
        PresentFrame(1);
    return clock.Counter() - start;
}

TEST(Pacing, SixtyFramesTakeASecondOnA60HzDisplayWithOrWithoutTheFocus) {
    // The headless display at 60 Hz holds each shown frame until its retrace; its virtual
    // clock moves a millisecond per reading, so a second is met within a few percent.
    const std::int64_t second = 10'000'000;
    headless::UseHeadlessDisplay();
    headless::SetHeadlessRefreshRate(60);
    for (const bool timerPacing : {false, true}) {
        SCOPED_TRACE(timerPacing ? "timer pacing" : "refresh pacing");
        State() = ScreenState{};
        ASSERT_TRUE(InitSpriteEngine());
        SetRefreshRateRequest(timerPacing ? 0 : 60);
        ASSERT_TRUE(OpenFullScreen(800, 600, 32, ""));
        if (timerPacing) {
            ASSERT_TRUE(SetFrameRateLimit(60));
        }
        EXPECT_EQ(State().measuredRefresh, 60);
        // In the background no frame reaches the display, so none waits for a retrace:
        // the timer keeps the pace instead of letting the game race.
        for (const bool focused : {true, false, true}) {
            headless::SetHeadlessFocus(focused);
            PresentFrame(1);
            ASSERT_EQ(State().active, focused ? 1 : 0);
            const std::int64_t ticks = TicksFor(60);
            EXPECT_GT(ticks, second * 95 / 100) << (focused ? "in focus" : "in the background");
            EXPECT_LT(ticks, second * 105 / 100) << (focused ? "in focus" : "in the background");
        }
        CloseScreenDisplay();
    }
    headless::SetHeadlessRefreshRate(0);
    headless::SetHeadlessFocus(true);
    State() = ScreenState{};
}

TEST(Drawing, RedFirstCopiesSwapRedAndBlueOfEveryPixelAndNothingBeyond) {
    // Lengths around the eight- and four-pixel steps, from places that are not aligned.
    std::vector<std::uint32_t> from(64), to(70);
    for (std::size_t i = 0; i < from.size(); ++i)
        from[i] = 0xA0000000u | std::uint32_t(i) << 16 | std::uint32_t(i + 100) << 8 |
                  std::uint32_t(i + 200);
    for (const std::size_t n : {0, 1, 3, 4, 5, 7, 8, 9, 31, 61}) {
        for (const std::size_t at : {0, 1, 2}) {
            std::fill(to.begin(), to.end(), 0x12345678u);
            CopyPixelsRedFirst(to.data() + at, from.data() + at, n);
            for (std::size_t i = 0; i < to.size(); ++i) {
                const bool inside = i >= at && i < at + n;
                const std::uint32_t p = inside ? from[i] : 0;
                const std::uint32_t want =
                    inside ? (p & 0xFFu) << 16 | (p & 0xFF00u) | (p >> 16 & 0xFFu) : 0x12345678u;
                ASSERT_EQ(to[i], want) << "n " << n << " at " << at << " pixel " << i;
            }
        }
    }
}

TEST(Drawing, FillAndPlotConvertColoursAndStayInsideTheBuffer) {
    EXPECT_EQ(PixelValue(Layout32Blue, 255, 0, 0), 0xFF0000u);
    EXPECT_EQ(PixelValue(Layout32Red, 255, 0, 0), 255u);
    EXPECT_EQ(PixelValue(Layout565, 255, 255, 255), 0xFFFFu);
    EXPECT_EQ(PixelValue(Layout555, 255, 255, 255), 0x7FFFu);

    headless::UseHeadlessDisplay();
    ASSERT_TRUE(InitSpriteEngine());
    EXPECT_EQ(OpenScreenDrawing(), nullptr);  // no screen yet
    ASSERT_TRUE(OpenFullScreen(800, 600, 32, ""));
    const std::uint32_t stamp = State().screenStamp;
    FillTarget(255, 0, 0);
    EXPECT_EQ(BackBuffer().At(799, 599), 0xFF0000u);

    DrawingOutput* out = OpenScreenDrawing();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(OpenScreenDrawing(), nullptr);  // already open
    EXPECT_EQ(out->pitch, 3200);
    ASSERT_TRUE(BeginDrawing(out));
    PlotPixel(3, 4, 0x0A0B0C);  // red 0x0C, green 0x0B, blue 0x0A
    PlotPixel(799, 599, 0x00FF00);
    PlotPixel(-1, 0, 0);
    PlotPixel(800, 0, 0);
    PlotPixel(0, 600, 0);
    EndDrawing();
    PlotPixel(5, 5, 0);  // after EndDrawing: ignored
    EXPECT_EQ(BackBuffer().At(3, 4), 0x0C0B0Au);
    EXPECT_EQ(BackBuffer().At(799, 599), 0x00FF00u);
    EXPECT_EQ(BackBuffer().At(5, 5), 0xFF0000u);
    EXPECT_EQ(BackBuffer().At(0, 0), 0xFF0000u);

    // Presenting ends open drawing and counts the frame.
    const auto frames = State().framesPresented;
    ASSERT_NE(OpenScreenDrawing(), nullptr);
    PresentFrame(1);
    EXPECT_EQ(State().framesPresented, frames + 1);
    EXPECT_NE(OpenScreenDrawing(), nullptr);
    EndDrawing();

    // A new screen is a new, black back buffer with a new stamp.
    ASSERT_TRUE(OpenFullScreen(640, 480, 32, ""));
    EXPECT_NE(State().screenStamp, stamp);
    EXPECT_EQ(BackBuffer().At(0, 0), 0u);
    EXPECT_EQ(State().targetWidth, 640);
    CloseScreenDisplay();
    EXPECT_FALSE(PresentFrame(1));
}

}  // namespace
