#include "runtime/screen/headless/headless_display.hpp"

#include <algorithm>

#include "runtime/screen/screen.hpp"

namespace runtime::screen::headless {

namespace {

constexpr std::int64_t kFrequency = 10'000'000;  // ticks per second, as a PC's counter

// Virtual time: every reading moves it on by a millisecond and a sleep jumps ahead at once,
// so the frame wait runs its usual course without taking any real time.
class VirtualClock final : public PacingClock {
  public:
    std::int64_t Frequency() override { return kFrequency; }
    std::int64_t Counter() override {
        now_ += kFrequency / 1000;
        return now_;
    }
    void SleepTicks(std::int64_t ticks) override {
        if (ticks > 0) now_ += ticks;
    }
    void SleepUntil(std::int64_t counter) override { now_ = std::max(now_, counter); }

  private:
    std::int64_t now_ = 0;
};

class HeadlessDisplay final : public DisplayBackend {
  public:
    bool Init() override { return true; }
    bool OpenFull(int, int, const char*, int, int& measuredRefresh) override {
        measuredRefresh = refreshRate;
        fullScreen = true;
        return true;
    }
    bool OpenInWindow(void*, int, int, int, int, WindowPlacement&) override {
        fullScreen = false;
        return true;
    }
    void Close() override { fullScreen = false; }
    void PumpEvents() override {
        if (fullScreen) State().active = focused ? 1 : 0;
    }
    bool Present(const Surface&, bool waitRetrace) override {
        // A display at about 60 Hz holds a frame until its next retrace, as vsync does.
        if (waitRetrace && RetraceSynced()) {
            PacingClock& clock = Clock();
            const std::int64_t retrace = clock.Frequency() / refreshRate;
            clock.SleepTicks(retrace - clock.Counter() % retrace);
        }
        return true;
    }
    bool RetraceSynced() const override { return refreshRate >= 59 && refreshRate <= 61; }
    // Real time, for runs that should look like the game, paces as the SDL display does.
    PacingClock& Clock() override { return realTime ? SteadyPacingClock() : virt; }

    bool realTime = false;
    bool focused = true;
    bool fullScreen = false;
    int refreshRate = 0;
    VirtualClock virt;
};

HeadlessDisplay g_display;

}  // namespace

void UseHeadlessDisplay(bool realTimePacing) {
    g_display.realTime = realTimePacing;
    g_display.focused = true;
    SetDisplayBackend(&g_display);
}

void SetHeadlessPacing(bool realTime) {
    // The two clocks do not agree, so the next wait starts afresh.
    if (g_display.realTime != realTime) State().lastFrameStamp = 0;
    g_display.realTime = realTime;
}

void SetHeadlessFocus(bool focused) {
    g_display.focused = focused;
}

void SetHeadlessRefreshRate(int hertz) {
    g_display.refreshRate = hertz;
}

}  // namespace runtime::screen::headless
