#pragma once

#include <string>
#include <string_view>

namespace runtime::images {
struct Image;
}

// Numbered windows with numbered controls ("gadgets") in them: a folder tree, a list of
// texts, labels, buttons and a picture, as the launcher uses them. Whatever the player does
// with them becomes a small event read with WaitEvent or PollEvent. The toolkit behind it
// (GTK for gadget windows, SDL or nothing for windows that only hold a screen) is chosen
// before InitWindows; this header includes neither.
namespace runtime::gui {

// A window of this library, as handed out by OpenNumberedWindow; null means none.
struct NumberedWindow;
using WindowHandle = NumberedWindow*;

// Event codes.
inline constexpr int EventGadget = 13100;     // EventGadgetNumber and EventType tell more
inline constexpr int EventMenu = 13101;       // never made here: there are no menus
inline constexpr int EventCloseRequest = 16;  // the window stays open until closed here
inline constexpr int EventResized = 5;

// Event types of gadget events.
inline constexpr int TypeLeftClick = 0;  // also a list's change of selection, a button's click
inline constexpr int TypeRightClick = 1;
inline constexpr int TypeLeftDoubleClick = 2;
inline constexpr int TypeRightDoubleClick = 3;
inline constexpr int TypeFolderSelected = 768;  // the folder tree's selected folder changed

// Window flags. Centring replaces the given position; without any other flag the window
// gets a title bar.
inline constexpr int WindowCentreOnScreen = 0x1;
inline constexpr int WindowCentreOnActive = 0x2;
inline constexpr int WindowMaximiseBox = 0x10000;
inline constexpr int WindowMinimiseBox = 0x20000;
inline constexpr int WindowSizingBorder = 0x40000;
inline constexpr int WindowCloseBox = 0x80000;  // the system menu, with the close box
inline constexpr int WindowTitleBar = 0xC00000;
inline constexpr int WindowStartHidden = 0x10000000;

// MakeTextWithFlags flags and the image box's sunken style.
inline constexpr int TextCentred = 0x1;
inline constexpr int TextSunken = 0x20000;
inline constexpr int ImageSunken = 0x200;

// Sets up the window and gadget tables and adds their release to the program's end.
// Nonzero on success.
int InitWindows();

// Closes every window and empties both tables.
void ReleaseWindows();

// Opens window n (closing an old window n first) with a client area of width x height; it
// becomes the current window. Null when no toolkit can show a window.
WindowHandle OpenNumberedWindow(int n, int x, int y, int width, int height, int flags,
                                const char* title);
WindowHandle CurrentWindowHandle();
WindowHandle WindowHandleOf(int n);
int CloseNumberedWindow(int n);

// Later gadgets are made in that window. Returns it, or null for a window that is not open.
WindowHandle UseGadgetParent(WindowHandle window);

// Gadget makers: a gadget number already in use has its old control replaced. Nonzero on
// success, 0 when there is no gadget window or the toolkit refuses.
//
// A tree of every folder, headed by the home folder and the file-system root (or only
// rootPath when it is given); flags are not used.
int MakeFolderTree(int g, int x, int y, int width, int height, const char* rootPath, int flags);
// A single-selection list of texts with scroll bars.
int MakeListBox(int g, int x, int y, int width, int height);
int MakeText(int g, int x, int y, int width, int height, const char* text);
int MakeTextWithFlags(int g, int x, int y, int width, int height, const char* text, int flags);
int MakeButton(int g, int x, int y, int width, int height, const char* text);
// Shows image (top-left aligned; null shows nothing); extendedStyle ImageSunken adds a
// sunken edge.
int MakeImageBox(int g, int x, int y, int width, int height, const runtime::images::Image* image,
                 int extendedStyle);

// Text of a gadget: a label's or button's text; a list's selected item (empty when none);
// the folder tree's selected folder as a full path ending with "/" (empty when none).
std::string GetGadgetTextOf(int g);
// A label or button shows the text. A list selects the first item equal to it, or nothing
// when no item is. The folder tree opens its way down to that folder and selects it, as if
// the player had picked it (an event follows).
int SetGadgetTextOf(int g, std::string_view text);
// Inserts an item into a list at position (-1 = the end).
int AddGadgetItem(int g, int position, std::string_view text);
int ClearGadgetItems(int g);

// Blocks until an event arrives and returns its code; 0 when no window is open, so
// nothing could ever arrive.
int WaitEvent();
// Returns the next event's code, or 0 when none is pending.
int PollEvent();
int EventGadgetNumber();
int EventType();  // -1 for events that are not gadget events

}  // namespace runtime::gui
