#include "runtime/gui/sdl/sdl_windows.hpp"

#include <SDL.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/gui/backend.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/screen/sdl/sdl_display.hpp"
#include "runtime/screen/sdl/window_loss.hpp"

namespace runtime::gui::sdl {

namespace {

std::vector<SDL_Window*> g_open;

void OnWindowEvent(const SDL_Event& event) {
    if (event.type != SDL_WINDOWEVENT) return;
    SDL_Window* window = SDL_GetWindowFromID(event.window.windowID);
    if (std::find(g_open.begin(), g_open.end(), window) == g_open.end()) return;
    if (event.window.event == SDL_WINDOWEVENT_CLOSE) PostWindowEvent(window, EventCloseRequest);
    if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) PostWindowEvent(window, EventResized);
}

class SdlScreenWindows final : public ScreenWindowToolkit {
  public:
    bool Start() override {
        if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        runtime::screen::sdl::SetWindowEventHandler(&OnWindowEvent);
        return true;
    }

    Rect ScreenArea() override {
        SDL_Rect area{0, 0, 0, 0};
        if (SDL_GetDisplayBounds(0, &area) != 0) return Rect{};
        return Rect{area.x, area.y, area.w, area.h};
    }

    std::optional<Rect> ActiveWindowArea() override {
        SDL_Window* active = SDL_GetKeyboardFocus();
        if (!active) return std::nullopt;
        Rect area;
        SDL_GetWindowPosition(active, &area.x, &area.y);
        SDL_GetWindowSize(active, &area.width, &area.height);
        return area;
    }

    void* OpenWindow(const WindowSpec& spec) override {
        // Closing the only window is this window's close request, not the end of the
        // program: the game decides what it means.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        Uint32 flags = spec.style.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
        if (!spec.style.titleBar) flags |= SDL_WINDOW_BORDERLESS;
        if (spec.style.sizingBorder) flags |= SDL_WINDOW_RESIZABLE;
        SDL_Window* window =
            SDL_CreateWindow(spec.title.c_str(), spec.x, spec.y, spec.width, spec.height, flags);
        if (!window) return nullptr;
        if (spec.style.visible) SDL_RaiseWindow(window);
        // Watched for loss by the display once a screen is opened in it: making the
        // renderer may replace the X window, and the old one's end is SDL's own doing.
        g_open.push_back(window);
        return window;
    }

    void CloseWindow(void* native) override {
        auto* window = static_cast<SDL_Window*>(native);
        std::erase(g_open, window);
        SDL_DestroyWindow(window);
        runtime::screen::sdl::WindowDestroyed(window);
    }

    void Dispatch() override {
        if (auto* display = runtime::screen::CurrentDisplayBackend()) display->PumpEvents();
    }
};

SdlScreenWindows g_windows;

}  // namespace

void UseSdlScreenWindows() {
    SetScreenWindowToolkit(&g_windows);
}

}  // namespace runtime::gui::sdl
