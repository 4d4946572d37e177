#include "runtime/gui/gtk/window_loss.hpp"

#include <algorithm>
#include <memory>
#include <vector>

// Last: Xlib's macros (None, Bool, Status) would clash with names in the headers above.
#include <gdk/gdkx.h>

namespace runtime::gui::gtk {

namespace {

struct Watch {
    GtkWidget* toplevel = nullptr;
    void (*gone)(void*) = nullptr;
    void* data = nullptr;
};

std::vector<std::unique_ptr<Watch>> g_watches;
// X windows other programs destroyed: errors about them may still come in for a while.
std::vector<XID> g_lost;
Display* g_display = nullptr;
XErrorHandler g_previousHandler = nullptr;

XID XidOf(const Watch& w) {
    GdkWindow* window = gtk_widget_get_window(w.toplevel);
    return window && GDK_IS_X11_WINDOW(window) ? gdk_x11_window_get_xid(window) : 0;
}

bool Ours(XID xid) {
    return std::find(g_lost.begin(), g_lost.end(), xid) != g_lost.end() ||
           std::any_of(g_watches.begin(), g_watches.end(),
                       [xid](const auto& w) { return XidOf(*w) == xid; });
}

// Requests GTK made for a window before it heard of its destruction fail; the window is
// gone, and that is no reason to end the program.
int OnXError(Display* display, XErrorEvent* error) {
    if (display == g_display &&
        (error->error_code == BadWindow || error->error_code == BadDrawable) &&
        Ours(error->resourceid))
        return 0;
    return g_previousHandler ? g_previousHandler(display, error) : 0;
}

struct Search {
    XID xid;
    bool found;
};

Bool IsDestroyNotify(Display*, XEvent* event, XPointer arg) {
    auto& search = *reinterpret_cast<Search*>(arg);
    if (event->type == DestroyNotify && event->xdestroywindow.window == search.xid)
        search.found = true;
    return False;  // looks at the whole queue and takes nothing from it
}

// Whether the destruction of the X window is this event or already waits in the queue.
bool DestructionArrived(XEvent* event, XID xid) {
    if (event->type == DestroyNotify && event->xdestroywindow.window == xid) return true;
    Search search{xid, false};
    XEvent unused;
    XCheckIfEvent(g_display, &unused, &IsDestroyNotify, reinterpret_cast<XPointer>(&search));
    return search.found;
}

// Looks ahead at every event: the window is let go before GTK reacts to what came just
// before its destruction (unmapping, losing the focus) with requests that would fail.
GdkFilterReturn OnXEvent(GdkXEvent* native, GdkEvent*, gpointer) {
    auto* event = static_cast<XEvent*>(native);
    for (const auto& watch : g_watches) {
        Watch& w = *watch;
        const XID xid = XidOf(w);
        if (xid == 0 || !DestructionArrived(event, xid)) continue;
        g_lost.push_back(xid);
        // Done while GTK still has the frame clock it drew with, so it lets go of the
        // window cleanly; the requests this makes for the dead window are expected to fail.
        GdkDisplay* display = gtk_widget_get_display(w.toplevel);
        gdk_x11_display_error_trap_push(display);
        gtk_widget_hide(w.toplevel);
        gtk_widget_unrealize(w.toplevel);
        gdk_x11_display_error_trap_pop_ignored(display);
        w.gone(w.data);
        if (event->xany.window == xid) return GDK_FILTER_REMOVE;
    }
    return GDK_FILTER_CONTINUE;
}

}  // namespace

void WatchForLoss(GtkWidget* toplevel, void (*gone)(void*), void* data) {
    GdkDisplay* display = gtk_widget_get_display(toplevel);
    if (!GDK_IS_X11_DISPLAY(display)) return;
    if (!g_display) {
        g_display = gdk_x11_display_get_xdisplay(display);
        g_previousHandler = XSetErrorHandler(&OnXError);
        gdk_window_add_filter(nullptr, &OnXEvent, nullptr);
    }
    g_watches.push_back(std::make_unique<Watch>(Watch{toplevel, gone, data}));
}

void StopWatchingForLoss(GtkWidget* toplevel) {
    std::erase_if(g_watches, [toplevel](const auto& w) { return w->toplevel == toplevel; });
}

}  // namespace runtime::gui::gtk
