#include "runtime/screen/screen.hpp"

#include <sys/prctl.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "runtime/support/program.hpp"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace runtime::screen {

namespace {

Surface g_backBuffer;
// Filled in before main by the sprite library, so constant-initialised here.
constinit SpriteTableHooks g_spriteTable;

ScreenState MakeInitialState() {
    ScreenState s;
    s.target = &g_backBuffer;
    return s;
}

ScreenState g_state = MakeInitialState();
DisplayBackend* g_backend = nullptr;
void* (*g_windowResolver)(void*) = nullptr;
void (*g_frameHook)() = nullptr;
int g_showEvery = 1;  // ShowOneFrameIn

// The one drawing output OpenScreenDrawing hands out, and the destination PlotPixel writes
// to (a copy taken by BeginDrawing; null while no drawing is going on).
DrawingOutput g_output;
DrawingOutput g_destinationStore;
DrawingOutput* g_destination = nullptr;

// Bumped by every open so the quad renderer can tell that the back buffer was remade.
std::uint32_t g_stampSequence = 0;

PacingClock& Clock() {
    return g_backend ? g_backend->Clock() : SteadyPacingClock();
}

void TargetBackBuffer() {
    g_state.target = &g_backBuffer;
    g_state.targetWidth = g_state.width;
    g_state.targetHeight = g_state.height;
}

// Makes a fresh black back buffer of the screen size; false if memory runs out.
bool MakeBackBuffer(int width, int height) {
    try {
        g_backBuffer = Surface(width, height);
    } catch (const std::bad_alloc&) {
        g_backBuffer = Surface();
        return false;
    }
    g_state.width = width;
    g_state.height = height;
    TargetBackBuffer();
    g_state.screenStamp = ++g_stampSequence;
    return true;
}

void ReleaseScreenDrawing() {
    EndDrawing();
}

// Differs: the timer paces displays at no or another refresh rate
// (docs/differences.md, Screen, sprites and quads)
// Full screen: the wait period for this frame, or -1 when the display's retrace alone
// paces it. A display that cannot pace at 60 Hz (another refresh rate, or none reported)
// falls back to the timer so the game never runs fast.
std::int64_t FullScreenWaitPeriod(const ScreenState& s, bool retraceSynced,
                                  std::int64_t frequency) {
    if (s.frameRate != 0 && (s.measuredRefresh != s.refreshRequest || !retraceSynced))
        return s.framePeriod;
    if (s.frameRate == 0 && s.refreshRequest > 0 && !retraceSynced)
        return frequency / (std::int64_t(s.refreshRequest) + 1);
    return -1;
}

}  // namespace

ScreenState& State() {
    return g_state;
}

Surface& BackBuffer() {
    return g_backBuffer;
}

void SetDisplayBackend(DisplayBackend* backend) {
    g_backend = backend;
}

DisplayBackend* CurrentDisplayBackend() {
    return g_backend;
}

void SetSpriteTableHooks(SpriteTableHooks hooks) {
    g_spriteTable = hooks;
}

int InitSpriteEngine() {
    if (g_spriteTable.reset) g_spriteTable.reset();
    TargetBackBuffer();
    runtime::support::AddShutdownRelease(runtime::support::ShutdownStage::ScreenAndSprites,
                                         [] { CloseScreenDisplay(); });
    if (!g_backend) return 0;
    return g_backend->Init() ? 1 : 0;
}

int SetRefreshRateRequest(int hertz) {
    g_state.refreshRequest = hertz;
    return 1;
}

namespace {

// Both open operations first let go of the screen that is open now.
void LeaveCurrentScreen() {
    EndDrawing();
    if (g_backend && g_state.mode != ScreenMode::None) g_backend->Close();
    g_state.mode = ScreenMode::None;
}

// A screen that opened is always 32-bit with blue in the lowest byte, and drawable at once.
int MarkScreenOpen(ScreenMode mode, void* window) {
    g_state.mode = mode;
    g_state.depth = 32;
    g_state.pixelLayout = Layout32Blue;
    g_state.screenWindow = window;
    g_state.active = 1;
    return 1;
}

}  // namespace

int OpenFullScreen(int width, int height, int /*depth: always 32 here*/, const char* title) {
    // The open operations keep only the low 16 bits of the sizes.
    width = std::int16_t(width);
    height = std::int16_t(height);
    LeaveCurrentScreen();
    int measured = 0;
    if (!g_backend || width <= 0 || height <= 0 ||
        !g_backend->OpenFull(width, height, title ? title : "", g_state.refreshRequest, measured) ||
        !MakeBackBuffer(width, height)) {
        CloseScreenDisplay();
        return 0;
    }
    g_state.measuredRefresh = measured;
    return MarkScreenOpen(ScreenMode::FullScreen, nullptr);
}

void SetWindowResolver(void* (*resolve)(void* window)) {
    g_windowResolver = resolve;
}

int OpenScreenInWindow(void* window, int x, int y, int width, int height, int autoStretch,
                       int rightMargin, int bottomMargin) {
    if (window && g_windowResolver) window = g_windowResolver(window);
    if (!window) return 0;
    width = std::int16_t(width);
    height = std::int16_t(height);
    LeaveCurrentScreen();
    // A windowed screen is always paced: it brings its own 60 frames per second.
    if (g_state.frameRate == 0 && SetFrameRateLimit(60)) g_state.frameRateIsDefault = true;
    WindowPlacement placement;
    placement.xOffset = x;
    placement.yOffset = y;
    placement.autoStretch = autoStretch;
    placement.rightMargin = rightMargin;
    placement.bottomMargin = bottomMargin;
    if (!g_backend || width <= 0 || height <= 0 ||
        !g_backend->OpenInWindow(window, x, y, width, height, placement) ||
        !MakeBackBuffer(width, height)) {
        CloseScreenDisplay();
        return 0;
    }
    g_state.windowPlacement = placement;
    return MarkScreenOpen(ScreenMode::Window, window);
}

int CloseScreenDisplay() {
    if (g_state.frameRateIsDefault) {
        g_state.frameRate = 0;
        g_state.framePeriod = 0;
        g_state.frameRateIsDefault = false;
    }
    EndDrawing();
    if (g_spriteTable.discardAll) g_spriteTable.discardAll();
    if (g_backend && g_state.mode != ScreenMode::None) g_backend->Close();
    g_state.mode = ScreenMode::None;
    g_state.screenWindow = nullptr;
    g_state.active = 0;
    g_state.width = 0;
    g_state.height = 0;
    g_backBuffer = Surface();
    TargetBackBuffer();
    return 1;
}

int SetFrameRateLimit(int framesPerSecond) {
    const std::int64_t frequency = Clock().Frequency();
    // A rate of -1 would divide by zero; such a limit is refused like a missing counter.
    if (frequency <= 0 || framesPerSecond == -1) return 0;
    g_state.frameRate = framesPerSecond;
    // Kept: one (rate + 1)-th of a second, not one rate-th; the game's 60 frames per
    // second are timed with a period of frequency / 61.
    g_state.framePeriod = frequency / (std::int64_t(framesPerSecond) + 1);
    g_state.lastFrameStamp = 0;
    g_state.frameRateIsDefault = false;
    return 1;
}

void PacingWait(ScreenState& state, PacingClock& clock) {
    // Differs: the timer sleeps between frames instead of polling the clock
    // (docs/differences.md, Screen, sprites and quads)
    // One sleep to the deadline: Linux wakes a sleeper within tens of microseconds of it,
    // far inside a frame, and reading the clock until then would cost about 1 % of a core.
    std::int32_t now = 0;
    bool slept = false;
    for (;;) {
        const std::int64_t counter = clock.Counter();
        now = std::int32_t(std::uint32_t(std::uint64_t(counter) & 0xFFFFFFFFu));
        // The low 32 bits wrap; when their sign changes the stamp starts again from now,
        // so that frame waits a full period. Kept: at 10 MHz, one frame in about 3.5
        // minutes.
        if ((now < 0 && state.lastFrameStamp >= 0) || (now > 0 && state.lastFrameStamp <= 0))
            state.lastFrameStamp = now;
        const std::int64_t elapsed = std::int64_t(now) - state.lastFrameStamp;
        if (elapsed > state.framePeriod) {
            // A sleeper wakes some tens of microseconds after its deadline. The next frame is
            // counted from the deadline, not from the wake-up, so frames keep to exactly one
            // period on average; a frame that ran late starts the count from now.
            if (slept && elapsed - state.framePeriod - 1 <= state.framePeriod / 4)
                now = std::int32_t(std::int64_t(state.lastFrameStamp) + state.framePeriod + 1);
            break;
        }
        // The wait ends at the first reading more than a period after the stamp.
        const std::int64_t remaining = state.framePeriod - elapsed + 1;
        clock.SleepUntil(counter + remaining);
        slept = true;
    }
    state.lastFrameStamp = now;
}

int PresentFrame(int waitRetrace) {
    ReleaseScreenDrawing();
    TargetBackBuffer();
    if (g_state.mode == ScreenMode::None || !g_backend) return 0;
    const bool skipped = g_showEvery > 1 && (g_state.framesPresented + 1) % g_showEvery != 0;
    if (g_state.mode == ScreenMode::FullScreen && skipped) {
        g_backend->PumpEvents();
    } else if (g_state.mode == ScreenMode::FullScreen) {
        g_backend->PumpEvents();
        // Differs: in the background frames stay paced at 60 a second
        // (docs/differences.md, Screen, sprites and quads)
        // While another application has the focus nothing is shown, but frames keep
        // their pace: only a frame that is shown waits for the retrace, any other one is
        // paced by the timer.
        const bool retrace = (waitRetrace & 1) != 0;
        const bool shown = g_state.active && g_backend->Present(g_backBuffer, retrace);
        const bool synced = shown && retrace && g_backend->RetraceSynced();
        const std::int64_t period =
            FullScreenWaitPeriod(g_state, synced, g_backend->Clock().Frequency());
        if (period >= 0) {
            const std::int64_t kept = g_state.framePeriod;
            g_state.framePeriod = period;
            PacingWait(g_state, g_backend->Clock());
            g_state.framePeriod = kept;
        }
    } else {
        g_backend->Present(g_backBuffer, (waitRetrace & 1) != 0);
        PacingWait(g_state, g_backend->Clock());
    }
    ++g_state.framesPresented;
    TargetBackBuffer();
    if (g_frameHook) g_frameHook();
    return 1;
}

void ShowOneFrameIn(int n) {
    g_showEvery = n < 1 ? 1 : n;
}

void SetFrameHook(void (*hook)()) {
    g_frameHook = hook;
}

std::uint32_t PixelValue(int layout, int red, int green, int blue) {
    const std::uint32_t r = std::uint32_t(red), g = std::uint32_t(green), b = std::uint32_t(blue);
    switch (layout) {
        case Layout24Red:
        case Layout32Red:
            return r + g * 256u + b * 65536u;
        case Layout24Blue:
        case Layout32Blue:
            return b + g * 256u + r * 65536u;
        case Layout565:
            return (b / 8u) + (g / 4u) * 32u + (r / 8u) * 2048u;
        case Layout555:
            return (b / 8u) + (g / 8u) * 32u + (r / 8u) * 1024u;
        default:
            return 0;
    }
}

std::uint32_t PixelOfColourValue(int layout, std::uint32_t colour) {
    return PixelValue(layout, int(colour & 0xFFu), int((colour >> 8) & 0xFFu),
                      int((colour >> 16) & 0xFFu));
}

#if defined(__x86_64__) && defined(__GNUC__)
namespace {

// Eight pixels at a time with one byte shuffle each, on processors that have AVX2 (nearly
// every one since 2013): about three times as fast as the four-pixel SSE2 loop.
__attribute__((target("avx2"))) std::size_t CopyPixelsRedFirstAvx2(std::uint32_t* to,
                                                                   const std::uint32_t* from,
                                                                   std::size_t n) {
    const __m256i order =
        _mm256_setr_epi8(2, 1, 0, -128, 6, 5, 4, -128, 10, 9, 8, -128, 14, 13, 12, -128, 2, 1, 0,
                         -128, 6, 5, 4, -128, 10, 9, 8, -128, 14, 13, 12, -128);
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + i), _mm256_shuffle_epi8(p, order));
    }
    return i;
}

// Asked while the program starts, which may be before the compiler's own start-up code has
// looked at the processor: hence the explicit init.
const bool g_hasAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();

}  // namespace
#endif

void CopyPixelsRedFirst(std::uint32_t* to, const std::uint32_t* from, std::size_t n) {
    std::size_t i = 0;
#if defined(__x86_64__) && defined(__GNUC__)
    if (g_hasAvx2) i = CopyPixelsRedFirstAvx2(to, from, n);
#endif
#if defined(__SSE2__)
    // Four pixels at a time: a whole screen a frame goes through here.
    const __m128i green = _mm_set1_epi32(0x0000FF00);
    const __m128i redBlue = _mm_set1_epi32(0x00FF00FF);
    for (; i + 4 <= n; i += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        const __m128i rb = _mm_and_si128(p, redBlue);
        const __m128i swapped = _mm_or_si128(_mm_slli_epi32(rb, 16), _mm_srli_epi32(rb, 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i),
                         _mm_or_si128(_mm_and_si128(p, green), swapped));
    }
#endif
    for (; i < n; ++i) {
        const std::uint32_t p = from[i];
        to[i] = ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
    }
}

int FillTarget(int red, int green, int blue) {
    Surface* target = g_state.target;
    if (!target) return 0;
    const std::uint32_t value = PixelValue(g_state.pixelLayout, red, green, blue);
    // Every frame starts with a black fill: a byte fill is the fastest way to clear.
    if ((value & 0xFFu) * 0x01010101u == value)
        std::memset(target->pixels.data(), int(value & 0xFFu), target->pixels.size() * 4);
    else
        std::fill(target->pixels.begin(), target->pixels.end(), value);
    return 1;
}

DrawingOutput* OpenScreenDrawing() {
    if (g_state.drawingOpen || g_state.mode == ScreenMode::None || g_backBuffer.width <= 0)
        return nullptr;
    g_output = DrawingOutput{};
    g_output.kind = 7;
    g_output.deviceContext = &g_backBuffer;
    g_output.release = &ReleaseScreenDrawing;
    g_output.pixels = reinterpret_cast<std::uint8_t*>(g_backBuffer.pixels.data());
    g_output.pitch = g_backBuffer.width * 4;
    g_output.width = g_backBuffer.width;
    g_output.height = g_backBuffer.height;
    g_output.depth = 32;
    g_output.pixelLayout = g_state.pixelLayout;
    g_state.drawingOpen = true;
    return &g_output;
}

int BeginDrawing(DrawingOutput* output) {
    if (g_destination) EndDrawing();
    // Only the back buffer's own output, made for the back buffer as it is now, can be
    // drawn on; anything else would point at memory this screen no longer owns.
    if (!output || output != &g_output || output->kind != 7 ||
        output->pixels != reinterpret_cast<std::uint8_t*>(g_backBuffer.pixels.data()) ||
        output->width != g_backBuffer.width || output->height != g_backBuffer.height)
        return 0;
    g_destinationStore = *output;
    g_destination = &g_destinationStore;
    return 1;
}

void PlotPixel(int x, int y, std::uint32_t colour) {
    const DrawingOutput* d = g_destination;
    if (!d) return;
    // Differs: points and captures outside the screen are ignored
    // (docs/differences.md, Screen, sprites and quads)
    // Points outside the back buffer are dropped rather than written past its end.
    if (unsigned(x) >= unsigned(d->width) || unsigned(y) >= unsigned(d->height)) return;
    auto* row = reinterpret_cast<std::uint32_t*>(d->pixels + std::size_t(y) * d->pitch);
    // The usual layout is converted inline: the star field plots thousands of points.
    row[x] = d->pixelLayout == Layout32Blue
                 ? ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu)
                 : PixelOfColourValue(d->pixelLayout, colour);
}

int EndDrawing() {
    const bool wasDrawing = g_destination != nullptr || g_state.drawingOpen;
    g_destination = nullptr;
    g_state.drawingOpen = false;
    return wasDrawing ? 1 : 0;
}

// The clock used by the SDL display, the headless display in real time, and the screen
// when no display is installed.
PacingClock& SteadyPacingClock() {
    class SteadyClock final : public PacingClock {
      public:
        std::int64_t Frequency() override { return 10'000'000; }
        std::int64_t Counter() override {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            return std::int64_t(now.tv_sec) * 10'000'000 + now.tv_nsec / 100;
        }
        void SleepTicks(std::int64_t ticks) override {
            if (ticks > 0) SleepUntil(Counter() + ticks);
        }
        void SleepUntil(std::int64_t counter) override {
            if (counter <= 0) return;
            // Linux lets a sleeper wake up to 50 microseconds late by default, to gather
            // wake-ups; the frame wait ends at the first reading past its deadline, so that
            // lateness would lengthen every frame. One microsecond keeps frames at 1/61 s.
            thread_local const bool precise = prctl(PR_SET_TIMERSLACK, 1000UL, 0, 0, 0) == 0;
            (void)precise;
            const timespec until{time_t(counter / 10'000'000), long(counter % 10'000'000) * 100};
            // A signal cuts the sleep short; the deadline stays, so sleeping again is exact.
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
            }
        }
    };
    static SteadyClock clock;
    return clock;
}

}  // namespace runtime::screen
