// Asks an X window to close the way a desktop does for its close box or Alt+F4: the
// WM_DELETE_WINDOW message of the window manager protocols.
// Usage: send_close_request WINDOW_ID (exit status 1 when the window is gone)
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The window may be gone by the time the request arrives (SDL remakes its window while the
// screen opens): that is a request not delivered, not the end of the helper.
bool g_failed = false;

int NoteError(Display*, XErrorEvent*) {
    g_failed = true;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: send_close_request WINDOW_ID\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "send_close_request: no X display\n");
        return 1;
    }
    XSetErrorHandler(&NoteError);
    const Window window = std::strtoul(argv[1], nullptr, 0);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return sent && !g_failed ? 0 : 1;
}
