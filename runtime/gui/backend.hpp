#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/gui/gui.hpp"

// What the window library needs from a toolkit. A window starts without a toolkit window:
// the first gadget or event wait makes it a gadget window (GTK), opening a screen in it
// makes it a screen window (SDL, or the headless stand-in).
namespace runtime::gui {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The window flags taken apart.
struct WindowStyle {
    bool centreOnScreen = false;
    bool centreOnActive = false;
    bool titleBar = false;
    bool closeBox = false;
    bool sizingBorder = false;
    bool minimiseBox = false;
    bool maximiseBox = false;
    bool visible = true;
};

WindowStyle StyleOfFlags(int flags);

// Top-left corner of a window of the given outer size: the requested corner, or centred on
// the screen area or on the active window (on the screen when there is none).
Rect PlaceWindow(const WindowStyle& style, int x, int y, int outerWidth, int outerHeight,
                 const Rect& screen, const std::optional<Rect>& active);

struct WindowSpec {
    int number = 0;
    int x = 0;  // already placed
    int y = 0;
    int width = 0;  // client area
    int height = 0;
    WindowStyle style;
    std::string title;
};

enum class GadgetKind { FolderTree, ListBox, Text, Button, ImageBox };

struct GadgetSpec {
    GadgetKind kind = GadgetKind::Text;
    int number = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string text;  // label and button text; the folder tree's root path
    int flags = 0;     // MakeTextWithFlags flags, or the image box's extended style
    const runtime::images::Image* image = nullptr;
};

// Shared by both kinds of toolkit: where windows go.
class WindowToolkit {
  public:
    virtual ~WindowToolkit() = default;
    // Connects to the desktop; false when there is none. Called before every use.
    virtual bool Start() = 0;
    virtual Rect ScreenArea() = 0;
    virtual std::optional<Rect> ActiveWindowArea() = 0;
    // Null on failure.
    virtual void* OpenWindow(const WindowSpec& spec) = 0;
    virtual void CloseWindow(void* window) = 0;
};

// Windows with gadgets (GTK).
class GadgetToolkit : public WindowToolkit {
  public:
    virtual void* MakeGadget(void* window, const GadgetSpec& spec) = 0;
    virtual void DestroyGadget(void* gadget) = 0;
    virtual std::string GadgetText(void* gadget) = 0;
    virtual bool SetGadgetText(void* gadget, std::string_view text) = 0;
    virtual bool AddItem(void* gadget, int position, std::string_view text) = 0;
    virtual bool ClearItems(void* gadget) = 0;
    // Handles what the desktop has sent; with wait, blocks until something arrives.
    virtual void Dispatch(bool wait) = 0;
};

// Windows that only show a screen (OpenScreenInWindow receives what OpenWindow made).
class ScreenWindowToolkit : public WindowToolkit {
  public:
    // Handles what the desktop has sent, without waiting.
    virtual void Dispatch() = 0;
};

void SetGadgetToolkit(GadgetToolkit* toolkit);
void SetScreenWindowToolkit(ScreenWindowToolkit* toolkit);

// The gadget toolkit's window behind window n (null unless it is an open gadget window),
// and its gadget behind gadget number g (null when there is none).
void* ToolkitGadgetWindow(int n);
void* ToolkitGadget(int g);

// Called by a toolkit while it dispatches.
void PostGadgetEvent(int gadget, int type);
// code is EventCloseRequest or EventResized; window is the toolkit's own window.
void PostWindowEvent(void* window, int code);

}  // namespace runtime::gui
