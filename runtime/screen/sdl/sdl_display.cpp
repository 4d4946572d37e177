#include "runtime/screen/sdl/sdl_display.hpp"

#include <SDL_opengl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "runtime/input/input.hpp"
#include "runtime/input/sdl/sdl_input.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/screen/sdl/window_loss.hpp"

namespace runtime::screen::sdl {

namespace {

void (*g_windowEventHandler)(const SDL_Event&) = nullptr;
void (*g_switchHandler)(bool window) = nullptr;
ScreenOptions g_options;

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
// The shortest time between two fetches of the desktop's events: well under a frame.
constexpr std::chrono::microseconds kFetchGap{1000};

// Alt+Enter or F11: the switch between the full screen and a window.
bool IsDisplaySwitch(const SDL_KeyboardEvent& key) {
    const SDL_Scancode code = key.keysym.scancode;
    if (code == SDL_SCANCODE_F11) return true;
    return (code == SDL_SCANCODE_RETURN || code == SDL_SCANCODE_KP_ENTER) &&
           (key.keysym.mod & KMOD_ALT) != 0;
}

class SdlDisplay final : public DisplayBackend {
  public:
    bool Init() override {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
        videoUp_ = true;
        // The destruction of a window by another program comes only as a system event.
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
        // Reading the keyboard or the mouse drains the event queue first.
        runtime::input::SetEventPump(&Pump);
        return true;
    }

    bool OpenFull(int width, int height, const char* title, int, int& measuredRefresh) override {
        if (!videoUp_ && !Init()) return false;
        // Desktop full screen: no mode switch; the picture is scaled to fit, with bars.
        // The window is made as large as the display from the start, so it covers it even
        // where no window manager acts on the full-screen request.
        windowed_ = g_options.window;
        if (windowed_) {
            const SDL_Rect size = WindowSize(0);
            ownWindow_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          size.w, size.h, SDL_WINDOW_RESIZABLE);
        } else {
            const SDL_Rect bounds = DisplayBounds(0, width, height);
            ownWindow_ = SDL_CreateWindow(title, bounds.x, bounds.y, bounds.w, bounds.h,
                                          SDL_WINDOW_FULLSCREEN_DESKTOP);
        }
        if (!ownWindow_) return false;
        SDL_DisplayMode mode{};
        const int display = SDL_GetWindowDisplayIndex(ownWindow_);
        if (display < 0 || SDL_GetDesktopDisplayMode(display, &mode) != 0) mode.refresh_rate = 0;
        measuredRefresh = mode.refresh_rate;
        // The retrace paces the game only on a display that runs at about 60 Hz; anything
        // else is paced by the timer.
        vsync_ = mode.refresh_rate >= 59 && mode.refresh_rate <= 61;
        // Differs: the paddle moves alike for the same mouse movement on every monitor
        // (docs/differences.md, Keyboard and mouse)
        // The paddle moves by the mouse's own counts, as on an 800 x 600 screen;
        // by default SDL would shrink them by the scale of the logical size, so the paddle
        // would be slower the larger the monitor. The renderer reads this when it is made.
        SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_SCALING, "0");
        renderer_ = MakeRenderer(ownWindow_, vsync_);
        ownRenderer_ = true;
        // A renderer that could not get vsync leaves the pacing to the timer.
        SDL_RendererInfo info{};
        if (renderer_ && SDL_GetRendererInfo(renderer_, &info) == 0)
            vsync_ = vsync_ && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
        if (!renderer_ || SDL_RenderSetLogicalSize(renderer_, width, height) != 0 ||
            !MakeTexture(width, height)) {
            Close();
            return false;
        }
        SDL_RenderSetIntegerScale(renderer_, g_options.crispPixels ? SDL_TRUE : SDL_FALSE);
        // Watched only now: making the renderer may replace the X window, and the old one's
        // end is SDL's own doing, not a loss.
        WatchForLoss(ownWindow_);
        window_ = ownWindow_;
        ownScreen_ = true;
        focused_ = true;
        minimised_ = false;
        readsSeen_ = runtime::input::MouseReads();
        readingMouse_ = false;
        held_ = !windowed_;
        HoldMouse(held_);
        SDL_RaiseWindow(ownWindow_);
        ShowBlack();
        return true;
    }

    bool OpenInWindow(void* window, int x, int y, int width, int height,
                      WindowPlacement& placement) override {
        if (!videoUp_ && !Init()) return false;
        window_ = static_cast<SDL_Window*>(window);
        // A renderer the window already has (made by its owner) is shared, not replaced.
        renderer_ = SDL_GetRenderer(window_);
        ownRenderer_ = renderer_ == nullptr;
        if (!renderer_) renderer_ = MakeRenderer(window_, false);
        if (!renderer_ || !MakeTexture(width, height)) {
            Close();
            return false;
        }
        // Watched only now, as the full screen is: destroyed by another program, the window
        // arrives as its close request and the program is asked to quit.
        if (ownRenderer_) WatchForLoss(window_);
        SDL_RenderSetLogicalSize(renderer_, 0, 0);
        vsync_ = false;
        ownScreen_ = false;
        placement.xOffset = x;
        placement.yOffset = y;
        placement_ = placement;
        SDL_ShowWindow(window_);
        ShowBlack();
        return true;
    }

    void Close() override {
        if (texture_) SDL_DestroyTexture(texture_);
        texture_ = nullptr;
        if (renderer_ && ownRenderer_) SDL_DestroyRenderer(renderer_);
        renderer_ = nullptr;
        if (ownScreen_) HoldMouse(false);
        held_ = false;
        windowed_ = false;
        if (ownWindow_) {
            SDL_DestroyWindow(ownWindow_);
            WindowDestroyed(ownWindow_);
        }
        ownWindow_ = nullptr;
        window_ = nullptr;
        ownScreen_ = false;
        vsync_ = false;
    }

    void PumpEvents() override {
        Pump();
        FrameEnded();
    }

    bool Present(const Surface& backBuffer, bool) override {
        if (!renderer_ || !texture_ || backBuffer.width != textureWidth_ ||
            backBuffer.height != textureHeight_)
            return false;
        // SDL neither draws nor waits for the retrace while the window is hidden or
        // minimised, and there is nothing to draw in once another program destroyed it.
        if (SDL_GetWindowFlags(window_) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED) ||
            WindowLost(window_))
            return false;
        Upload(backBuffer);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        if (ownScreen_) {
            SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        } else {
            SDL_Rect dst = WindowDestination();
            SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
        }
        SDL_RenderPresent(renderer_);
        return true;
    }

    // Once a frame, shown or not: whether the game read the mouse since the last frame.
    void FrameEnded() {
        const std::uint64_t reads = runtime::input::MouseReads();
        readingMouse_ = reads != readsSeen_;
        readsSeen_ = reads;
        UpdateHold();
    }

    // Differs: in a window the mouse is held only while the game reads it
    // (docs/differences.md, The game on a Linux desktop)
    // The full screen holds the mouse while it has the focus. A window holds it only while
    // the game reads it (the menu, a level): paused, between phases, minimised or in the
    // background the desktop's pointer is free to leave the window.
    void UpdateHold() {
        if (!ownScreen_) return;
        const bool hold = focused_ && !minimised_ && (!windowed_ || readingMouse_);
        if (hold == held_) return;
        held_ = hold;
        HoldMouse(hold);
    }

    // Differs: a window instead of the full screen
    // (docs/differences.md, The game on a Linux desktop)
    // Between the full screen and a window of the chosen scale, the same picture in both.
    void SwitchDisplay() {
        if (!ownWindow_) return;
        const int display = std::max(0, SDL_GetWindowDisplayIndex(ownWindow_));
        if (windowed_) {
            // As large as the display before the request, for a desktop with no window
            // manager to act on it.
            const SDL_Rect bounds = DisplayBounds(display, kScreenWidth, kScreenHeight);
            SDL_SetWindowPosition(ownWindow_, bounds.x, bounds.y);
            SDL_SetWindowSize(ownWindow_, bounds.w, bounds.h);
            SDL_SetWindowFullscreen(ownWindow_, SDL_WINDOW_FULLSCREEN_DESKTOP);
        } else {
            SDL_SetWindowFullscreen(ownWindow_, 0);
            const SDL_Rect size = WindowSize(display);
            SDL_SetWindowResizable(ownWindow_, SDL_TRUE);
            SDL_SetWindowSize(ownWindow_, size.w, size.h);
            SDL_SetWindowPosition(ownWindow_, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                                  SDL_WINDOWPOS_CENTERED_DISPLAY(display));
        }
        windowed_ = !windowed_;
        UpdateHold();
        if (g_switchHandler) g_switchHandler(windowed_);
    }

    bool windowed() const { return ownScreen_ && windowed_; }
    bool held() const { return held_; }

    bool RetraceSynced() const override { return vsync_; }
    PacingClock& Clock() override { return SteadyPacingClock(); }

    SDL_Renderer* renderer() const { return renderer_; }
    SDL_Window* ownWindow() const { return ownWindow_; }

    // Differs: without the focus the mouse pointer is free and shown
    // (docs/differences.md, The game on a Linux desktop)
    // The game holds the mouse only while its full screen has the focus: relative mode
    // moves the paddle alike on X11 and Wayland and keeps the pointer in; in another
    // window the player gets the pointer back.
    static void HoldMouse(bool hold) {
        SDL_ShowCursor(hold ? SDL_DISABLE : SDL_ENABLE);
        SDL_SetRelativeMouseMode(hold ? SDL_TRUE : SDL_FALSE);
    }

    // Every pending event: keyboard and mouse go to the input state, focus changes of the
    // full screen set `active`, other windows' events go to their owner.
    static void Pump();
    static void HandleWindowEvent(const SDL_Event& event);

  private:
    static SDL_Rect DisplayBounds(int display, int width, int height) {
        SDL_Rect bounds{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height};
        if (SDL_GetDisplayBounds(display, &bounds) != 0)
            bounds = {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height};
        return bounds;
    }

    // The window's size: 800 x 600 times the chosen scale, no larger than fits the
    // desktop's usable area (at least 1).
    static SDL_Rect WindowSize(int display) {
        SDL_Rect usable{0, 0, kScreenWidth, kScreenHeight};
        if (SDL_GetDisplayUsableBounds(display, &usable) != 0) usable = {0, 0, 0, 0};
        const int fits = std::max(1, std::min(usable.w / kScreenWidth, usable.h / kScreenHeight));
        const int scale = g_options.windowScale > 0 ? std::min(g_options.windowScale, fits) : fits;
        return {0, 0, kScreenWidth * scale, kScreenHeight * scale};
    }

    static SDL_Renderer* MakeRenderer(SDL_Window* window, bool vsync) {
        const Uint32 flags = vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
        SDL_Renderer* r = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | flags);
        if (!r) r = SDL_CreateRenderer(window, -1, flags);
        if (!r) r = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
        return r;
    }

    // XRGB8888: blue in the lowest byte, the top byte ignored, as the back buffer.
    bool MakeTexture(int width, int height) {
        textureWidth_ = width;
        textureHeight_ = height;
        redFirst_ = false;
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                     width, height);
        if (!texture_) return false;
        SDL_RendererInfo info{};
        if (SDL_GetRendererInfo(renderer_, &info) != 0 || !info.name ||
            std::strcmp(info.name, "opengl") != 0 || StoreBlueFirst())
            return true;
        // A driver that refuses gets a red-first texture instead: the back buffer is turned
        // round into SDL's own buffer for it, one pass of CopyPixelsRedFirst a frame.
        SDL_DestroyTexture(texture_);
        redFirst_ = true;
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_BGR888, SDL_TEXTUREACCESS_STREAMING,
                                     width, height);
        return texture_ != nullptr;
    }

    // SDL's OpenGL renderer asks for the texture's storage by a sized format, for which
    // Mesa keeps it red first and turns every blue-first upload round a pixel at a time.
    // Asked again by the unsized format in the back buffer's own order, the driver keeps
    // it blue first, as sent: each frame's upload is then one plain copy, with nothing
    // turned round on the way. The texture's settings (its scaling filter) belong to the
    // texture object and stay.
    bool StoreBlueFirst() {
        using TexImage2D = void(APIENTRY*)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum,
                                           GLenum, const void*);
        using GetIntegerv = void(APIENTRY*)(GLenum, GLint*);
        using GetLevelParameter = void(APIENTRY*)(GLenum, GLint, GLenum, GLint*);
        using GetError = GLenum(APIENTRY*)();
        auto texImage2D = reinterpret_cast<TexImage2D>(SDL_GL_GetProcAddress("glTexImage2D"));
        auto getIntegerv = reinterpret_cast<GetIntegerv>(SDL_GL_GetProcAddress("glGetIntegerv"));
        auto getLevelParameter =
            reinterpret_cast<GetLevelParameter>(SDL_GL_GetProcAddress("glGetTexLevelParameteriv"));
        auto getError = reinterpret_cast<GetError>(SDL_GL_GetProcAddress("glGetError"));
        if (!texImage2D || !getIntegerv || !getLevelParameter || !getError) return false;
        if (SDL_GL_BindTexture(texture_, nullptr, nullptr) != 0) return false;
        for (int i = 0; i < 16 && getError() != GL_NO_ERROR; ++i) {
        }
        // SDL binds a rectangle texture where the driver has only powers of 2 for other
        // textures, or rounds the size up to them: the storage keeps the size SDL gave it.
        GLint bound2d = 0;
        getIntegerv(GL_TEXTURE_BINDING_2D, &bound2d);
        const GLenum target = bound2d != 0 ? GL_TEXTURE_2D : GL_TEXTURE_RECTANGLE_ARB;
        GLint width = 0, height = 0;
        getLevelParameter(target, 0, GL_TEXTURE_WIDTH, &width);
        getLevelParameter(target, 0, GL_TEXTURE_HEIGHT, &height);
        bool stored = false;
        if (getError() == GL_NO_ERROR && width > 0 && height > 0) {
            texImage2D(target, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                       nullptr);
            stored = getError() == GL_NO_ERROR;
        }
        SDL_GL_UnbindTexture(texture_);
        return stored;
    }

    // The back buffer into the texture: as it is, or turned round into SDL's own buffer for
    // a red-first texture, with no copy between.
    void Upload(const Surface& backBuffer) {
        if (!redFirst_) {
            SDL_UpdateTexture(texture_, nullptr, backBuffer.pixels.data(), backBuffer.width * 4);
            return;
        }
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0) return;
        auto* row = static_cast<std::uint8_t*>(pixels);
        for (int y = 0; y < backBuffer.height; ++y, row += pitch)
            CopyPixelsRedFirst(reinterpret_cast<std::uint32_t*>(row), backBuffer.Row(y),
                               std::size_t(backBuffer.width));
        SDL_UnlockTexture(texture_);
    }

    // Where the back buffer goes inside the caller's window: at the requested offset, its
    // own size, or stretched to the window's edges less the margins.
    SDL_Rect WindowDestination() const {
        SDL_Rect dst{placement_.xOffset, placement_.yOffset, textureWidth_, textureHeight_};
        if (placement_.autoStretch) {
            int w = 0, h = 0;
            SDL_GetRendererOutputSize(renderer_, &w, &h);
            dst.w = w - placement_.rightMargin - dst.x;
            dst.h = h - placement_.bottomMargin - dst.y;
        }
        return dst;
    }

    void ShowBlack() {
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderPresent(renderer_);
    }

    bool videoUp_ = false;
    SDL_Window* ownWindow_ = nullptr;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    bool ownRenderer_ = false;
    SDL_Texture* texture_ = nullptr;
    bool redFirst_ = false;  // the texture holds red in the lowest byte
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    bool vsync_ = false;
    bool ownScreen_ = false;  // the screen is in the display's own window
    bool windowed_ = false;   // that window is a window on the desktop, not the full screen
    bool focused_ = false;
    bool minimised_ = false;
    bool held_ = false;          // the mouse is held (relative mode, no pointer)
    bool readingMouse_ = false;  // the game read the mouse during the last frame
    std::uint64_t readsSeen_ = 0;
    WindowPlacement placement_;
};

SdlDisplay g_display;

void SdlDisplay::Pump() {
    // The game reads the keyboard and the mouse several times a frame, and fetching what the
    // desktop sent is a round of system calls each time: it is fetched at most once in
    // kFetchGap. What is already in SDL's queue is taken at every read.
    static std::chrono::steady_clock::time_point lastFetch;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastFetch >= kFetchGap) {
        lastFetch = now;
        SDL_PumpEvents();
    }
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
        switch (event.type) {
            case SDL_KEYDOWN:
                if (g_display.ownWindow_ && IsDisplaySwitch(event.key)) {
                    // The switch is the display's own: the game never sees the key.
                    if (!event.key.repeat) g_display.SwitchDisplay();
                    break;
                }
                runtime::input::sdl::HandleEvent(event);
                break;
            case SDL_MOUSEMOTION:
                // Moving the desktop's free pointer is not moving the paddle.
                if (!g_display.ownWindow_ || g_display.held_)
                    runtime::input::sdl::HandleEvent(event);
                break;
            case SDL_KEYUP:
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
            case SDL_MOUSEWHEEL:
            case SDL_CONTROLLERDEVICEADDED:
            case SDL_CONTROLLERDEVICEREMOVED:
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP:
            case SDL_CONTROLLERAXISMOTION:
                runtime::input::sdl::HandleEvent(event);
                break;
            case SDL_WINDOWEVENT:
                HandleWindowEvent(event);
                break;
            // Differs: closing the full screen or a desktop quit is a request to quit
            // (docs/differences.md, Screen, sprites and quads)
            case SDL_QUIT:
                State().quitRequested = true;
                if (g_windowEventHandler) g_windowEventHandler(event);
                break;
            case SDL_SYSWMEVENT:
                // Differs: a window destroyed by another program ends the game
                // (docs/differences.md, The game on a Linux desktop)
                // A window of the program destroyed by another program: the program cannot
                // go on in it, so this is a quit request, and the window's close box event.
                if (SDL_Window* lost = LostWindowOf(*event.syswm.msg)) {
                    State().quitRequested = true;
                    SDL_Event close{};
                    close.type = SDL_WINDOWEVENT;
                    close.window.windowID = SDL_GetWindowID(lost);
                    close.window.event = SDL_WINDOWEVENT_CLOSE;
                    HandleWindowEvent(close);
                }
                break;
            default:
                break;
        }
    }
}

void SdlDisplay::HandleWindowEvent(const SDL_Event& event) {
    // A window that loses the keyboard lets go of every key.
    runtime::input::sdl::HandleEvent(event);
    SDL_Window* own = g_display.ownWindow_;
    if (own && g_display.ownScreen_ && event.window.windowID == SDL_GetWindowID(own)) {
        switch (event.window.event) {
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                g_display.focused_ = true;
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                g_display.focused_ = false;
                break;
            // Differs: minimising the window pauses a level
            // (docs/differences.md, The game on a Linux desktop)
            case SDL_WINDOWEVENT_MINIMIZED:
                g_display.minimised_ = true;
                break;
            case SDL_WINDOWEVENT_RESTORED:
            case SDL_WINDOWEVENT_MAXIMIZED:
            case SDL_WINDOWEVENT_SHOWN:
                g_display.minimised_ = false;
                break;
            default:
                break;
        }
        // Minimised, the screen is in the background as it is without the focus.
        State().active = g_display.focused_ && !g_display.minimised_ ? 1 : 0;
        g_display.UpdateHold();
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) State().quitRequested = true;
    } else if (g_windowEventHandler) {
        g_windowEventHandler(event);
    }
}

}  // namespace

void UseSdlDisplay() {
    SetDisplayBackend(&g_display);
}

void SetScreenOptions(const ScreenOptions& options) {
    g_options = options;
}

void SetDisplaySwitchHandler(void (*handler)(bool window)) {
    g_switchHandler = handler;
}

bool ShowsWindow() {
    return g_display.windowed();
}

bool HoldsMouse() {
    return g_display.held();
}

SDL_Renderer* Renderer() {
    return g_display.renderer();
}

SDL_Window* ScreenWindow() {
    return g_display.ownWindow();
}

void SetWindowEventHandler(void (*handler)(const SDL_Event&)) {
    g_windowEventHandler = handler;
}

bool QuitRequested() {
    return State().quitRequested;
}

}  // namespace runtime::screen::sdl
