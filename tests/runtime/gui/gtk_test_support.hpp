#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

// Helpers for tests that run real GTK windows under an X server.
namespace tessaly_test {

// True when there is an X display to open windows on.
bool HaveDisplay();

// Runs the GLib main loop until done() holds; false if it still does not after a
// generous deadline (so a broken test fails instead of hanging).
bool WaitUntil(const std::function<bool()>& done);

// The next event of the window library that is not a resize; 0 if none came.
int NextEvent();

// Runs the main loop until the window is on screen and everything in it is laid out.
bool WaitUntilShown(GtkWindow* window);

// The texts of list gadget g as given, top to bottom.
std::vector<std::string> ListItems(int g);

// The file names of the folders the folder tree gadget g shows below the node for path
// (an open or loaded node); empty when there is no such node.
std::vector<std::string> TreeChildren(int g, const std::string& path);

// Draws the window's content as it shows it; the caller destroys the surface.
cairo_surface_t* DrawWindow(GtkWindow* window);

// A fresh empty folder under the system's temporary folder; removed with its content by
// the destructor.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

}  // namespace tessaly_test
