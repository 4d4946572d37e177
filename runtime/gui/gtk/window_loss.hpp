#pragma once

#include <gtk/gtk.h>

// A window's X window destroyed by another program (xdotool windowclose, a window manager
// that kills windows) while GTK still holds it. GTK only learns of it after requests for
// the window have already failed, and an X error it did not expect ends the program; so
// errors about these windows are let pass, and the window is hidden and unrealized as
// soon as its destruction arrives, before GTK tears down what it drew with.
namespace runtime::gui::gtk {

// Calls gone(data) once if the X window of toplevel (realized now or later) is destroyed
// by someone else. Nothing happens away from X11.
void WatchForLoss(GtkWidget* toplevel, void (*gone)(void*), void* data);

// The program closes the window itself: no more calls for it.
void StopWatchingForLoss(GtkWidget* toplevel);

}  // namespace runtime::gui::gtk
