#pragma once

#include <gtk/gtk.h>

// Gadget windows on GTK 3: a window is a GtkWindow holding a GtkFixed, gadgets are placed
// in it at their positions and sizes. Events come from the GLib main loop, which
// WaitEvent and PollEvent run.
namespace runtime::gui::gtk {

// Makes the window library open its gadget windows with GTK (connecting to the desktop
// when the first window opens).
void UseGtkWindows();

// The GTK window of window n, or null when it is not an open gadget window.
GtkWindow* WindowWidget(int n);

// What gadget g placed in its window (a scrolled window, a frame or the control itself),
// and the control that does the work: the folder or list tree view, the label, the button,
// the image's drawing area. Null when there is no such gadget.
GtkWidget* GadgetWidget(int g);
GtkWidget* GadgetControl(int g);

}  // namespace runtime::gui::gtk
