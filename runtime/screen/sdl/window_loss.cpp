#include "runtime/screen/sdl/window_loss.hpp"

#include <algorithm>
#include <vector>

// Last: Xlib's macros (None, Bool, Status) would clash with names in the headers above.
#include <SDL_syswm.h>

namespace runtime::screen::sdl {

namespace {

struct Watched {
    SDL_Window* window = nullptr;  // null once the program destroyed it
    Display* display = nullptr;
    Window xid = 0;         // as last seen: a renderer can make SDL replace it
    bool lost = false;      // seen destroyed as SDL read the event
    bool reported = false;  // handed to the event pump
};

// Lost windows stay listed while their X connection lasts: errors about them and what SDL
// made for them may still come in.
std::vector<Watched> g_watched;
XErrorHandler g_previousHandler = nullptr;
bool g_inPreviousHandler = false;

// The X window the SDL window has now.
Window XidOf(Watched& w) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (w.window && SDL_GetWindowWMInfo(w.window, &info) && info.subsystem == SDL_SYSWM_X11)
        w.xid = info.info.x11.window;
    return w.xid;
}

// Requests SDL makes for a window before it reads of its destruction fail, and so do
// those for the picture buffers it made for the window. Neither is a reason to end the
// program: it is on its way out already.
int OnXError(Display* display, XErrorEvent* error) {
    for (Watched& w : g_watched) {
        if (w.display != display) continue;
        if (w.lost) return 0;
        if (XidOf(w) == error->resourceid &&
            (error->error_code == BadWindow || error->error_code == BadDrawable))
            return 0;
    }
    // A handler that was installed over this one and hands errors back to it (SDL's, when
    // its video starts again) must not send the error round in a circle.
    if (g_inPreviousHandler || !g_previousHandler) return 0;
    g_inPreviousHandler = true;
    const int result = g_previousHandler(display, error);
    g_inPreviousHandler = false;
    return result;
}

Watched* Destroyed(const SDL_SysWMmsg& message) {
    if (message.subsystem != SDL_SYSWM_X11) return nullptr;
    const XEvent& event = message.msg.x11.event;
    if (event.type != DestroyNotify) return nullptr;
    for (Watched& w : g_watched) {
        if (w.window && w.display == event.xdestroywindow.display &&
            XidOf(w) == event.xdestroywindow.window)
            return &w;
    }
    return nullptr;
}

Bool MarkDestroyed(Display* display, XEvent* event, XPointer) {
    if (event->type != DestroyNotify) return False;
    for (Watched& w : g_watched) {
        if (w.window && w.display == display && XidOf(w) == event->xdestroywindow.window)
            w.lost = true;
    }
    return False;  // looks at the whole queue and takes nothing from it
}

// Runs as SDL takes each X event, before it acts on it. The destruction is looked for in
// the events still queued too: SDL's answers to what comes just before it (unmapping,
// moving) already fail, and from here on every error of the connection is expected.
int OnQueued(void*, SDL_Event* event) {
    if (event->type != SDL_SYSWMEVENT) return 1;
    const SDL_SysWMmsg& message = *event->syswm.msg;
    if (message.subsystem != SDL_SYSWM_X11) return 1;
    if (Watched* w = Destroyed(message)) w->lost = true;
    Display* display = message.msg.x11.event.xany.display;
    XEvent unused;
    XCheckIfEvent(display, &unused, &MarkDestroyed, nullptr);
    return 1;
}

}  // namespace

void WatchForLoss(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    // Windows of an earlier connection (SDL's video was shut down since) are forgotten.
    std::erase_if(g_watched, [display](const Watched& w) { return w.display != display; });
    // Put back on top each time: SDL sets its own handler, and forgets its event watches,
    // whenever its video starts again.
    const XErrorHandler previous = XSetErrorHandler(&OnXError);
    if (previous != &OnXError) g_previousHandler = previous;
    SDL_DelEventWatch(&OnQueued, nullptr);
    SDL_AddEventWatch(&OnQueued, nullptr);
    g_watched.push_back(Watched{window, display, info.info.x11.window});
}

void WindowDestroyed(SDL_Window* window) {
    std::erase_if(g_watched, [window](const Watched& w) { return w.window == window && !w.lost; });
    for (Watched& w : g_watched) {
        if (w.window != window) continue;
        w.window = nullptr;
        // The errors of destroying what was already gone arrive now, while they are
        // expected, not when SDL closes its connection with its own handler back.
        XSync(w.display, False);
    }
}

SDL_Window* LostWindowOf(const SDL_SysWMmsg& message) {
    Watched* w = Destroyed(message);
    if (!w || !w->lost || w->reported) return nullptr;
    w->reported = true;
    return w->window;
}

bool WindowLost(SDL_Window* window) {
    return window && std::any_of(g_watched.begin(), g_watched.end(), [window](const Watched& w) {
               return w.window == window && w.lost;
           });
}

}  // namespace runtime::screen::sdl
