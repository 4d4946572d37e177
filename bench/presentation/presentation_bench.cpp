// One frame of each phase around play on the headless screen, with the real game folder,
// beside the floor every frame pays (clearing and presenting the screen), as the median
// and 99th percentile of the frames' processor time. The introduction is the heavy one:
// 5001 stars and up to 1800 resized glow quads a frame.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "game/presentation/dot_models.hpp"
#include "game/presentation/sequences/phase_state.hpp"
#include "game/presentation/star_field.hpp"
#include "runtime/input/input.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/support/random.hpp"
#include "tools/headless/runner.hpp"

namespace {

using namespace game::presentation;

// Runs a phase's set-up with Escape held, so that it loads its pictures and ends after
// one frame.
template <class Phase>
void LoadWithEscape(Phase phase) {
    runtime::input::PostKey(runtime::input::KeyEscape, true);
    phase();
    runtime::input::PostKey(runtime::input::KeyEscape, false);
    runtime::input::ReadKeyboard();
}

double ThreadMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// Runs the frame once per iteration and reports the median and the 99th percentile of
// the frames' processor time, which a busy machine disturbs less than the mean.
template <class Frame>
void TimeFrames(benchmark::State& state, Frame frame) {
    std::vector<double> times;
    for (auto _ : state) {
        const double start = ThreadMicroseconds();
        frame();
        times.push_back(ThreadMicroseconds() - start);
    }
    std::sort(times.begin(), times.end());
    if (times.empty()) return;
    state.counters["median_us"] = times[times.size() / 2];
    state.counters["p99_us"] = times[std::min(times.size() - 1, times.size() * 99 / 100)];
}

bool Setup() {
    static const bool ready = [] {
        std::error_code ec;
        std::filesystem::current_path(TESSALY_GAME_DIR, ec);
        if (ec) return false;
        tools::headless::StartHeadlessRuntime();
        runtime::support::SeedRandom(5);
        createStarField();
        createDotModels();
        return true;
    }();
    return ready;
}

void Floor(benchmark::State& state) {
    Setup();
    TimeFrames(state, [] {
        runtime::screen::FillTarget(0, 0, 0);
        runtime::screen::PresentFrame();
    });
}

void StarFieldFrame(benchmark::State& state) {
    Setup();
    TimeFrames(state, drawStarField);
}

void IntroFrame(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no game folder");
    LoadWithEscape(runLogo);
    Intro().zoom = 1.0f;
    Intro().zoomStep = 0.005f;
    TimeFrames(state, introFrame);
}

// The five clouds alone, at the zoom the swing reaches in a frame, with the dots drawn
// counted as pixels per frame.
void DotClouds(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no game folder");
    LoadWithEscape(runLogo);
    const float zoom = float(state.range(0)) / 100.0f;
    double pixels = 0;
    std::int64_t frames = 0;
    for (auto _ : state) {
        for (int model = 1; model <= 5; ++model) {
            SelectModel(model);
            RotateModel(1, 2, 3);
            DrawModel(1, 400, 300, zoom, 10);
            for (int i = 0; i < kModelRecords; i += 2) {
                const int z = Models().points[i].z;
                if (z > 0) {
                    const double w = std::nearbyint(float(z % 64 + 1) * zoom);
                    pixels += w * w;
                }
            }
        }
        ++frames;
    }
    state.counters["pixels"] = pixels / double(frames);
}

void MenuFrame(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no game folder");
    enterMenu();
    TimeFrames(state, menuFrame);
}

void CreditsFrame(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no game folder");
    LoadWithEscape(runCredits);
    TimeFrames(state, creditsFrame);
}

void AfterPlay() {
    tools::headless::PlayOptions options;
    options.frames = 0;
    tools::headless::Play(options);
}

void LevelCompleteFrame(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no game folder");
    AfterPlay();
    TimeFrames(state, [] {
        if (!levelCompleteFrame()) LevelComplete() = LevelCompleteState{};
    });
}

void EndingFrame(benchmark::State& state) {
    if (!Setup()) return state.SkipWithError("no game folder");
    AfterPlay();
    LoadWithEscape(runEnding);
    TimeFrames(state, endingFrame);
}

BENCHMARK(Floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(StarFieldFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(DotClouds)->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMicrosecond);
// Two swings of the zoom, from the first frame on.
BENCHMARK(IntroFrame)->Iterations(800)->Unit(benchmark::kMicrosecond);
BENCHMARK(MenuFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(CreditsFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(LevelCompleteFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(EndingFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
