// How evenly timer pacing shows frames on the real SDL display, and what a frame costs the
// game's thread: 1000 frames of a full-screen picture on an Xvfb server of the benchmark's
// own (1280 x 1024, the renderer SDL picks there), timed at the moment each frame is handed
// to the display. Printed: the median interval, the median and 99th percentile of its
// distance from a 60 Hz frame (16.67 ms) and from the wait's own period (1/61 s), and the
// processor time of the game's thread per frame (drawing, handing the frame to SDL and the
// wait). A report to read, not a test: nothing is asserted.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "runtime/screen/screen.hpp"
#include "runtime/screen/sdl/sdl_display.hpp"
#include "runtime/sprites/sprites.hpp"
#include "tests/runtime/screen/private_x_server.hpp"

namespace {

namespace screen = runtime::screen;
namespace sprites = runtime::sprites;

double Milliseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The SDL display with a stopwatch on Present: everything else passes straight through.
class TimedDisplay final : public screen::DisplayBackend {
  public:
    explicit TimedDisplay(screen::DisplayBackend& inner) : inner_(inner) {}
    bool Init() override { return inner_.Init(); }
    bool OpenFull(int width, int height, const char* title, int refreshRequest,
                  int& measuredRefresh) override {
        return inner_.OpenFull(width, height, title, refreshRequest, measuredRefresh);
    }
    bool OpenInWindow(void* window, int x, int y, int width, int height,
                      screen::WindowPlacement& placement) override {
        return inner_.OpenInWindow(window, x, y, width, height, placement);
    }
    void Close() override { inner_.Close(); }
    void PumpEvents() override { inner_.PumpEvents(); }
    bool Present(const screen::Surface& backBuffer, bool waitRetrace) override {
        presents.push_back(Milliseconds(CLOCK_MONOTONIC));
        return inner_.Present(backBuffer, waitRetrace);
    }
    bool RetraceSynced() const override { return inner_.RetraceSynced(); }
    screen::PacingClock& Clock() override { return inner_.Clock(); }

    std::vector<double> presents;

  private:
    screen::DisplayBackend& inner_;
};

// The value below which `share` of the sorted values lie.
double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const std::size_t at = std::min(values.size() - 1, std::size_t(share * double(values.size())));
    return values[at];
}

void TimerPacing(benchmark::State& state) {
    constexpr int kWarmUp = 60;  // the window is mapped and settles first
    constexpr int kFrames = 1000;
    PrivateXServer server;
    if (!server.Start(1280, 1024)) {
        state.SkipWithError("no Xvfb to start");
        return;
    }
    screen::sdl::UseSdlDisplay();
    TimedDisplay display(*screen::CurrentDisplayBackend());
    screen::SetDisplayBackend(&display);
    if (!screen::InitSpriteEngine() || !screen::OpenFullScreen(800, 600, 32, "") ||
        !screen::SetFrameRateLimit(60)) {
        state.SkipWithError(SDL_GetError());
        SDL_Quit();
        return;
    }
    // A full-screen picture, as most phases draw first.
    sprites::MakeBlankSprite(1, 800, 600);
    screen::Surface& picture = *sprites::FindSprite(1)->surface;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            picture.At(x, y) = std::uint32_t((x * 5 + y * 3) & 0xFF) << 8 | std::uint32_t(y & 0x7F);
    sprites::SpritePixelsChanged(1);
    auto frame = [] {
        screen::FillTarget(0, 0, 0);
        sprites::DrawSprite(1, 0, 0);
        screen::PresentFrame(1);
    };

    std::vector<double> intervals;
    double cpu = 0;
    for (auto _ : state) {
        for (int f = 0; f < kWarmUp; ++f)
            frame();
        display.presents.clear();
        const double cpuStart = Milliseconds(CLOCK_THREAD_CPUTIME_ID);
        for (int f = 0; f <= kFrames; ++f)
            frame();
        cpu = Milliseconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
    }
    for (std::size_t i = 1; i < display.presents.size(); ++i)
        intervals.push_back(display.presents[i] - display.presents[i - 1]);
    screen::CloseScreenDisplay();
    screen::SetDisplayBackend(nullptr);
    SDL_Quit();
    server.Stop();
    if (intervals.size() < std::size_t(kFrames)) {
        state.SkipWithError("frames were not shown");
        return;
    }

    const double sixtieth = 1000.0 / 60, period = 1000.0 / 61;
    auto distances = [&intervals](double from) {
        std::vector<double> d;
        for (double i : intervals)
            d.push_back(std::fabs(i - from));
        return d;
    };
    const double median = Percentile(intervals, 0.5);
    const double cpuShare = cpu / (display.presents.back() - display.presents.front());
    state.counters["interval_ms"] = median;
    state.counters["dev60_med_ms"] = Percentile(distances(sixtieth), 0.5);
    state.counters["dev60_p99_ms"] = Percentile(distances(sixtieth), 0.99);
    state.counters["devPeriod_p99_ms"] = Percentile(distances(period), 0.99);
    state.counters["thread_cpu_ms_per_frame"] = cpu / double(kFrames);
    state.counters["thread_cpu_share_pct"] = 100 * cpuShare;
    std::printf("timer pacing, %zu intervals: median %.3f ms (min %.3f, max %.3f)\n",
                intervals.size(), median, Percentile(intervals, 0), Percentile(intervals, 1));
    std::printf(
        "  from 16.67 ms: median %.3f ms, p99 %.3f ms; from 1/61 s: median %.3f ms, "
        "p99 %.3f ms\n",
        Percentile(distances(sixtieth), 0.5), Percentile(distances(sixtieth), 0.99),
        Percentile(distances(period), 0.5), Percentile(distances(period), 0.99));
    std::printf("  game thread: %.3f ms of processor time a frame, %.1f %% of a core\n",
                cpu / double(kFrames), 100 * cpuShare);
}

BENCHMARK(TimerPacing)
    ->Name("Tessaly/timer_pacing_1000_frames")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
