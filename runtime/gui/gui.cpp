#include "runtime/gui/gui.hpp"

#include <algorithm>
#include <chrono>
#include <deque>
#include <memory>
#include <thread>
#include <vector>

#include "runtime/gui/backend.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/support/numbered_limits.hpp"
#include "runtime/support/numbered_table.hpp"
#include "runtime/support/program.hpp"

namespace runtime::gui {

enum class WindowKind { Waiting, Gadgets, Screen };

struct NumberedWindow {
    int number = 0;
    int x = 0;  // as requested; placed when the toolkit window is made
    int y = 0;
    int width = 0;
    int height = 0;
    WindowStyle style;
    std::string title;
    WindowKind kind = WindowKind::Waiting;
    void* native = nullptr;  // the toolkit's window
};

namespace {

using runtime::support::GrowToHold;
using runtime::support::UsableNumber;
namespace limits = runtime::support::limits;

struct GadgetRecord {
    void* native = nullptr;
    NumberedWindow* window = nullptr;
};

struct Event {
    int code = 0;
    int gadget = 0;
    int type = -1;
    NumberedWindow* window = nullptr;
};

GadgetToolkit* g_gadgetToolkit = nullptr;
ScreenWindowToolkit* g_screenToolkit = nullptr;

std::vector<std::unique_ptr<NumberedWindow>> g_windows(10);
std::vector<GadgetRecord> g_gadgets(30);
NumberedWindow* g_current = nullptr;
NumberedWindow* g_gadgetParent = nullptr;

std::deque<Event> g_queue;
int g_event = 0;
int g_eventGadget = 0;
int g_eventType = -1;

NumberedWindow* Live(const void* handle) {
    if (!handle) return nullptr;
    for (const auto& w : g_windows) {
        if (w.get() == handle) return w.get();
    }
    return nullptr;
}

NumberedWindow* ByNative(const void* native) {
    if (!native) return nullptr;
    for (const auto& w : g_windows) {
        if (w && w->native == native) return w.get();
    }
    return nullptr;
}

GadgetRecord* FindGadget(int g) {
    if (g < 0 || std::size_t(g) >= g_gadgets.size() || !g_gadgets[std::size_t(g)].native)
        return nullptr;
    return &g_gadgets[std::size_t(g)];
}

WindowSpec Placed(const NumberedWindow& w, WindowToolkit& toolkit) {
    WindowSpec spec;
    spec.number = w.number;
    spec.width = w.width;
    spec.height = w.height;
    spec.style = w.style;
    spec.title = w.title;
    // Before it is shown the frame the desktop adds is unknown: the client size stands in
    // for the outer size.
    const Rect at = PlaceWindow(w.style, w.x, w.y, w.width, w.height, toolkit.ScreenArea(),
                                toolkit.ActiveWindowArea());
    spec.x = at.x;
    spec.y = at.y;
    return spec;
}

bool MakeGadgetWindow(NumberedWindow& w) {
    if (w.kind == WindowKind::Gadgets) return true;
    if (w.kind != WindowKind::Waiting || !g_gadgetToolkit || !g_gadgetToolkit->Start())
        return false;
    void* native = g_gadgetToolkit->OpenWindow(Placed(w, *g_gadgetToolkit));
    if (!native) return false;
    w.native = native;
    w.kind = WindowKind::Gadgets;
    return true;
}

bool MakeScreenWindow(NumberedWindow& w) {
    if (w.kind == WindowKind::Screen) return true;
    if (w.kind != WindowKind::Waiting || !g_screenToolkit || !g_screenToolkit->Start())
        return false;
    void* native = g_screenToolkit->OpenWindow(Placed(w, *g_screenToolkit));
    if (!native) return false;
    w.native = native;
    w.kind = WindowKind::Screen;
    return true;
}

// OpenScreenInWindow is given this library's handles: the window becomes a screen window
// and the display gets the toolkit's window. Other handles pass through untouched.
void* ResolveScreenWindow(void* handle) {
    NumberedWindow* w = Live(handle);
    if (!w) return handle;
    return MakeScreenWindow(*w) ? w->native : nullptr;
}

void DestroyGadgetSlot(int g) {
    GadgetRecord* record = FindGadget(g);
    if (!record) return;
    if (g_gadgetToolkit) g_gadgetToolkit->DestroyGadget(record->native);
    *record = GadgetRecord{};
}

void CloseWindowRecord(std::unique_ptr<NumberedWindow>& slot) {
    NumberedWindow* w = slot.get();
    if (!w) return;
    for (std::size_t g = 0; g < g_gadgets.size(); ++g) {
        if (g_gadgets[g].window == w) DestroyGadgetSlot(int(g));
    }
    if (w->kind == WindowKind::Screen) {
        // The display must not keep drawing into a window that is going away.
        auto& screen = runtime::screen::State();
        if (screen.mode == runtime::screen::ScreenMode::Window && screen.screenWindow == w->native)
            runtime::screen::CloseScreenDisplay();
        if (g_screenToolkit) g_screenToolkit->CloseWindow(w->native);
    } else if (w->kind == WindowKind::Gadgets && g_gadgetToolkit) {
        g_gadgetToolkit->CloseWindow(w->native);
    }
    std::erase_if(g_queue, [w](const Event& e) { return e.window == w; });
    if (g_current == w) g_current = nullptr;
    if (g_gadgetParent == w) g_gadgetParent = nullptr;
    slot.reset();
}

bool AnyWindow(WindowKind kind) {
    return std::any_of(g_windows.begin(), g_windows.end(),
                       [kind](const auto& w) { return w && w->kind == kind; });
}

// A window nobody has put a screen in by the time events are read holds gadgets.
void ShowWaitingWindows() {
    for (const auto& w : g_windows) {
        if (w && w->kind == WindowKind::Waiting) MakeGadgetWindow(*w);
    }
}

int TakeEvent() {
    if (g_queue.empty()) return 0;
    const Event e = g_queue.front();
    g_queue.pop_front();
    g_event = e.code;
    if (e.code == EventGadget) {
        g_eventGadget = e.gadget;
        g_eventType = e.type;
    }
    return e.code;
}

int MakeGadget(const GadgetSpec& spec) {
    if (!UsableNumber(spec.number, limits::kHighestGadgetNumber) || !g_gadgetParent || !MakeGadgetWindow(*g_gadgetParent))
        return 0;
    GrowToHold(g_gadgets, spec.number);
    DestroyGadgetSlot(spec.number);
    void* native = g_gadgetToolkit->MakeGadget(g_gadgetParent->native, spec);
    if (!native) return 0;
    g_gadgets[std::size_t(spec.number)] = GadgetRecord{native, g_gadgetParent};
    return 1;
}

GadgetSpec Spec(GadgetKind kind, int g, int x, int y, int width, int height, const char* text) {
    GadgetSpec spec;
    spec.kind = kind;
    spec.number = g;
    spec.x = x;
    spec.y = y;
    spec.width = std::max(width, 0);
    spec.height = std::max(height, 0);
    spec.text = text ? text : "";
    return spec;
}

}  // namespace

WindowStyle StyleOfFlags(int flags) {
    WindowStyle s;
    s.centreOnScreen = (flags & WindowCentreOnScreen) != 0;
    s.centreOnActive = (flags & WindowCentreOnActive) != 0;
    int style = flags & ~(WindowCentreOnScreen | WindowCentreOnActive);
    if (style == 0 || style == WindowStartHidden) style |= WindowTitleBar;
    s.titleBar = (style & WindowTitleBar) == WindowTitleBar;
    s.closeBox = (style & WindowCloseBox) != 0;
    s.sizingBorder = (style & WindowSizingBorder) != 0;
    s.minimiseBox = (style & WindowMinimiseBox) != 0;
    s.maximiseBox = (style & WindowMaximiseBox) != 0;
    // The "visible" bit is turned around: given, the window starts hidden.
    s.visible = (style & WindowStartHidden) == 0;
    return s;
}

Rect PlaceWindow(const WindowStyle& style, int x, int y, int outerWidth, int outerHeight,
                 const Rect& screen, const std::optional<Rect>& active) {
    Rect at{x, y, outerWidth, outerHeight};
    const bool onActive = style.centreOnActive && active.has_value();
    if (onActive) {
        at.x = std::max(0, active->x + active->width / 2 - outerWidth / 2);
        at.y = std::max(0, active->y + active->height / 2 - outerHeight / 2);
    } else if (style.centreOnScreen || style.centreOnActive) {
        at.x = screen.x + screen.width / 2 - std::min(outerWidth, screen.width) / 2;
        at.y = screen.y + screen.height / 2 - std::min(outerHeight, screen.height) / 2;
    }
    return at;
}

void SetGadgetToolkit(GadgetToolkit* toolkit) {
    g_gadgetToolkit = toolkit;
}

void SetScreenWindowToolkit(ScreenWindowToolkit* toolkit) {
    g_screenToolkit = toolkit;
}

void* ToolkitGadgetWindow(int n) {
    const NumberedWindow* w = WindowHandleOf(n);
    return w && w->kind == WindowKind::Gadgets ? w->native : nullptr;
}

void* ToolkitGadget(int g) {
    const GadgetRecord* record = FindGadget(g);
    return record ? record->native : nullptr;
}

void PostGadgetEvent(int gadget, int type) {
    const GadgetRecord* record = FindGadget(gadget);
    g_queue.push_back(Event{EventGadget, gadget, type, record ? record->window : nullptr});
}

void PostWindowEvent(void* window, int code) {
    NumberedWindow* w = ByNative(window);
    if (!w) return;
    g_queue.push_back(Event{code, 0, -1, w});
}

int InitWindows() {
    ReleaseWindows();
    g_windows.resize(10);
    g_gadgets.resize(30);
    runtime::screen::SetWindowResolver(&ResolveScreenWindow);
    runtime::support::AddShutdownRelease(runtime::support::ShutdownStage::Windows, &ReleaseWindows);
    return 1;
}

void ReleaseWindows() {
    for (auto& w : g_windows)
        CloseWindowRecord(w);
    g_windows.clear();
    g_windows.resize(10);
    g_gadgets.assign(30, GadgetRecord{});
    g_queue.clear();
    g_current = g_gadgetParent = nullptr;
    g_event = g_eventGadget = 0;
    g_eventType = -1;
}

WindowHandle OpenNumberedWindow(int n, int x, int y, int width, int height, int flags,
                                const char* title) {
    if (!UsableNumber(n, limits::kHighestWindowNumber)) return nullptr;
    runtime::screen::SetWindowResolver(&ResolveScreenWindow);
    const bool gadgets = g_gadgetToolkit && g_gadgetToolkit->Start();
    const bool screens = g_screenToolkit && g_screenToolkit->Start();
    if (!gadgets && !screens) return nullptr;
    GrowToHold(g_windows, n);
    CloseWindowRecord(g_windows[std::size_t(n)]);
    auto w = std::make_unique<NumberedWindow>();
    w->number = n;
    w->x = x;
    w->y = y;
    w->width = std::clamp(width, 1, 32767);
    w->height = std::clamp(height, 1, 32767);
    w->style = StyleOfFlags(flags);
    w->title = title ? title : "";
    g_current = w.get();
    g_windows[std::size_t(n)] = std::move(w);
    return g_current;
}

WindowHandle CurrentWindowHandle() {
    return g_current;
}

WindowHandle WindowHandleOf(int n) {
    if (n < 0 || std::size_t(n) >= g_windows.size()) return nullptr;
    return g_windows[std::size_t(n)].get();
}

int CloseNumberedWindow(int n) {
    if (n < 0 || std::size_t(n) >= g_windows.size() || !g_windows[std::size_t(n)]) return 0;
    CloseWindowRecord(g_windows[std::size_t(n)]);
    return 1;
}

WindowHandle UseGadgetParent(WindowHandle window) {
    NumberedWindow* w = Live(window);
    if (!w || !MakeGadgetWindow(*w)) return nullptr;
    g_gadgetParent = w;
    return w;
}

int MakeFolderTree(int g, int x, int y, int width, int height, const char* rootPath, int flags) {
    GadgetSpec spec = Spec(GadgetKind::FolderTree, g, x, y, width, height, rootPath);
    spec.flags = flags;
    return MakeGadget(spec);
}

int MakeListBox(int g, int x, int y, int width, int height) {
    return MakeGadget(Spec(GadgetKind::ListBox, g, x, y, width, height, ""));
}

int MakeText(int g, int x, int y, int width, int height, const char* text) {
    return MakeGadget(Spec(GadgetKind::Text, g, x, y, width, height, text));
}

int MakeTextWithFlags(int g, int x, int y, int width, int height, const char* text, int flags) {
    GadgetSpec spec = Spec(GadgetKind::Text, g, x, y, width, height, text);
    spec.flags = flags;
    return MakeGadget(spec);
}

int MakeButton(int g, int x, int y, int width, int height, const char* text) {
    return MakeGadget(Spec(GadgetKind::Button, g, x, y, width, height, text));
}

int MakeImageBox(int g, int x, int y, int width, int height, const runtime::images::Image* image,
                 int extendedStyle) {
    GadgetSpec spec = Spec(GadgetKind::ImageBox, g, x, y, width, height, "");
    spec.image = image;
    spec.flags = extendedStyle;
    return MakeGadget(spec);
}

std::string GetGadgetTextOf(int g) {
    const GadgetRecord* record = FindGadget(g);
    return record ? g_gadgetToolkit->GadgetText(record->native) : std::string();
}

int SetGadgetTextOf(int g, std::string_view text) {
    const GadgetRecord* record = FindGadget(g);
    return record && g_gadgetToolkit->SetGadgetText(record->native, text) ? 1 : 0;
}

int AddGadgetItem(int g, int position, std::string_view text) {
    const GadgetRecord* record = FindGadget(g);
    return record && g_gadgetToolkit->AddItem(record->native, position, text) ? 1 : 0;
}

int ClearGadgetItems(int g) {
    const GadgetRecord* record = FindGadget(g);
    return record && g_gadgetToolkit->ClearItems(record->native) ? 1 : 0;
}

int PollEvent() {
    g_eventType = -1;
    if (const int code = TakeEvent()) return code;
    ShowWaitingWindows();
    if (g_screenToolkit && AnyWindow(WindowKind::Screen)) g_screenToolkit->Dispatch();
    if (g_gadgetToolkit && AnyWindow(WindowKind::Gadgets)) g_gadgetToolkit->Dispatch(false);
    return TakeEvent();
}

int WaitEvent() {
    g_eventType = -1;
    for (;;) {
        if (const int code = TakeEvent()) return code;
        ShowWaitingWindows();
        const bool screens = g_screenToolkit && AnyWindow(WindowKind::Screen);
        const bool gadgets = g_gadgetToolkit && AnyWindow(WindowKind::Gadgets);
        // Differs: waiting for an event with no window open returns at once
        // (docs/differences.md, Launcher)
        if (!screens && !gadgets) return 0;
        if (!screens) {
            g_gadgetToolkit->Dispatch(true);
            continue;
        }
        // Screen windows have no way to wake the gadget toolkit's wait: look at both in turn.
        g_screenToolkit->Dispatch();
        if (gadgets) g_gadgetToolkit->Dispatch(false);
        if (g_queue.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int EventGadgetNumber() {
    return g_eventGadget;
}

int EventType() {
    return g_eventType;
}

}  // namespace runtime::gui
