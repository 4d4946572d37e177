#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/screen/surface.hpp"

// The double-buffered screen every phase draws on: a full screen or a screen inside a
// window, frame presentation with pacing, filling the drawing target and plotting pixels.
// The drawing itself happens in memory (the back buffer is a Surface); a display backend
// (SDL, or headless for tests and replays) shows it.
namespace runtime::screen {

enum class ScreenMode { None, FullScreen, Window };

// Pixel layouts: 1 8-bit palettised; 2 16-bit 5-5-5; 3 16-bit 5-6-5; 4 24-bit red first;
// 5 24-bit blue first; 6 32-bit red first; 7 32-bit blue first. Every store here uses 7.
enum PixelLayout : int {
    LayoutPalettised = 1,
    Layout555 = 2,
    Layout565 = 3,
    Layout24Red = 4,
    Layout24Blue = 5,
    Layout32Red = 6,
    Layout32Blue = 7,
};

// Where a screen in a window sits inside its window, measured from the outer corner.
struct WindowPlacement {
    int xOffset = 0;
    int yOffset = 0;
    int autoStretch = 0;
    int rightMargin = 0;
    int bottomMargin = 0;
};

struct ScreenState {
    ScreenMode mode = ScreenMode::None;
    int width = 0;  // back buffer size; 0 x 0 while no screen is open
    int height = 0;
    int depth = 32;  // always 32 here
    int pixelLayout = Layout32Blue;
    int refreshRequest = 0;   // Hz asked for the next full screen, 0 = the display's own
    int measuredRefresh = 0;  // what the display reported at the last full-screen open
    int active = 0;           // 1 while the screen may be drawn and presented
    void* screenWindow = nullptr;
    WindowPlacement windowPlacement;

    Surface* target = nullptr;  // what drawing writes to: the back buffer or a sprite
    int targetWidth = 0;        // clipping size of the target
    int targetHeight = 0;

    std::int64_t framePeriod = 0;  // pacing-clock ticks per frame, 0 = no limit
    int frameRate = 0;
    bool frameRateIsDefault = false;  // a screen in a window installed 60 by itself
    std::int32_t lastFrameStamp = 0;  // low 32 bits of the pacing clock, signed

    std::uint32_t screenStamp = 0;  // changes whenever an open clears the back buffer
    bool drawingOpen = false;       // between OpenScreenDrawing and EndDrawing
    std::uint64_t framesPresented = 0;
    // Set by a backend when the player closes the full-screen window or the desktop asks
    // the program to quit; the game flow decides what to do with it.
    bool quitRequested = false;
};

ScreenState& State();

// The back buffer (0 x 0 while no screen is open).
Surface& BackBuffer();

// Creates the sprite table and connects the chosen display backend. Nonzero on success.
int InitSpriteEngine();

// The sprite table lives in its own library above the screen and hands the screen these
// two operations when it loads: starting the engine empties the table, and closing the
// screen discards every sprite. Without a sprite table both are skipped.
struct SpriteTableHooks {
    void (*reset)() = nullptr;
    void (*discardAll)() = nullptr;
};
void SetSpriteTableHooks(SpriteTableHooks hooks);

// Refresh rate in Hz for the next full-screen open (0 = the display's default).
int SetRefreshRateRequest(int hertz);

// Opens the width x height full screen (depth is always 32 here). Nonzero on success.
int OpenFullScreen(int width, int height, int depth, const char* title);

// Shows a width x height back buffer inside the caller's window (for the SDL backend an
// SDL_Window*). Nonzero on success; 0 for a null window.
int OpenScreenInWindow(void* window, int x, int y, int width, int height, int autoStretch,
                       int rightMargin, int bottomMargin);

// The window library hands out handles of its own; it installs this to turn one into the
// window the display backend shows the screen in. Handles it does not know pass unchanged.
void SetWindowResolver(void* (*resolve)(void* window));

// Discards every sprite, closes the screen; the size becomes 0 x 0.
int CloseScreenDisplay();

// Frames per second for the pacing wait: period = frequency / (rate + 1).
int SetFrameRateLimit(int framesPerSecond);

// Shows the back buffer, pumps events, paces, makes the back buffer the target again.
int PresentFrame(int waitRetrace = 1);

// Fast forward: of every n frames presented in full screen only the last is shown and
// paced, the others are counted and go by at once (1, the default, shows every frame).
void ShowOneFrameIn(int n);

// Called at the end of every presented frame, once it is counted: the game flow ends the
// program there when a quit was requested, and tools step their scripts. Null removes it.
void SetFrameHook(void (*hook)());

// Fills the whole current target with the colour.
int FillTarget(int red, int green, int blue);

// Pixel value of a colour in a pixel layout (the conversion every colour write uses).
std::uint32_t PixelValue(int layout, int red, int green, int blue);

// Pixel value of a colour value (red + green * 256 + blue * 65536) in a layout.
std::uint32_t PixelOfColourValue(int layout, std::uint32_t colour);

// Copies n pixels of the back buffer's layout (blue in the lowest byte) into red-first
// order (red in the lowest byte, the top byte 0), for a display that keeps pictures so.
void CopyPixelsRedFirst(std::uint32_t* to, const std::uint32_t* from, std::size_t n);

// Direct pixel access to the back buffer, as handed out by OpenScreenDrawing.
struct DrawingOutput {
    int kind = 7;  // 7 = direct pixel access, the only kind made here
    void* deviceContext = nullptr;
    void (*release)() = nullptr;
    std::uint8_t* pixels = nullptr;
    int pitch = 0;  // bytes per row
    int width = 0;
    int height = 0;
    int depth = 32;
    int pixelLayout = Layout32Blue;
};

// Starts pixel drawing on the back buffer; null if already open or no screen is open.
DrawingOutput* OpenScreenDrawing();

// Makes the output the drawing destination. Nonzero on success.
int BeginDrawing(DrawingOutput* output);

// Sets one pixel of the drawing destination to a colour value; points outside are ignored.
void PlotPixel(int x, int y, std::uint32_t colour);

// Ends pixel drawing.
int EndDrawing();

// The pacing clock: a high-resolution counter the frame wait reads.
class PacingClock {
  public:
    virtual ~PacingClock() = default;
    virtual std::int64_t Frequency() = 0;  // ticks per second, 0 if unavailable
    virtual std::int64_t Counter() = 0;
    virtual void SleepTicks(std::int64_t ticks) = 0;
    // Sleeps until Counter() reaches the value (returns at once if it has). A clock that
    // can wake at a set time overrides this: a deadline does not drift as a length does.
    virtual void SleepUntil(std::int64_t counter) { SleepTicks(counter - Counter()); }
};

// The real clock: the monotonic clock at 10 MHz, the usual rate of a PC's performance
// counter, so the 32-bit stamps of the frame wait wrap as rarely as the game expects. It
// sleeps to an absolute time, which Linux keeps to within tens of microseconds.
PacingClock& SteadyPacingClock();

// The frame wait: until more than framePeriod ticks have passed since lastFrameStamp. It
// sleeps to that moment, so a frame costs the processor next to nothing while it waits.
void PacingWait(ScreenState& state, PacingClock& clock);

// The display behind the screen: it shows the back buffer and owns the pacing clock.
class DisplayBackend {
  public:
    virtual ~DisplayBackend() = default;
    virtual bool Init() = 0;
    // measuredRefresh receives the display's refresh rate (0 if it reports none).
    virtual bool OpenFull(int width, int height, const char* title, int refreshRequest,
                          int& measuredRefresh) = 0;
    virtual bool OpenInWindow(void* window, int x, int y, int width, int height,
                              WindowPlacement& placement) = 0;
    virtual void Close() = 0;
    // Handles pending events; may change State().active in full screen.
    virtual void PumpEvents() = 0;
    // False when the frame did not reach the display (a hidden or minimised window).
    virtual bool Present(const Surface& backBuffer, bool waitRetrace) = 0;
    // True when a presented frame waits for the display's retrace at about 60 Hz.
    virtual bool RetraceSynced() const = 0;
    virtual PacingClock& Clock() = 0;
};

// Chooses the backend used by InitSpriteEngine and the open operations. The SDL and the
// headless libraries install theirs (UseSdlDisplay, UseHeadlessDisplay).
void SetDisplayBackend(DisplayBackend* backend);
DisplayBackend* CurrentDisplayBackend();

}  // namespace runtime::screen
