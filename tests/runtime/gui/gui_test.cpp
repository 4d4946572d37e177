// The window and gadget library: window flags and placement, and the gadgets' rules in
// real GTK windows.
#include "runtime/gui/gui.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "runtime/gui/backend.hpp"
#include "runtime/gui/gtk/folder_tree.hpp"
#include "runtime/gui/gtk/gtk_gui.hpp"
#include "runtime/screen/screen.hpp"
#include "tests/runtime/gui/gtk_test_support.hpp"

// Last: Xlib's macros (None, Bool, Status) would clash with names in the headers above.
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace {

namespace gui = runtime::gui;
namespace gtk = runtime::gui::gtk;

TEST(WindowFlags, TitleBarCentringAndVisibility) {
    const gui::WindowStyle launcher = gui::StyleOfFlags(0xCC0001);
    EXPECT_TRUE(launcher.centreOnScreen && launcher.titleBar && launcher.closeBox &&
                launcher.sizingBorder && launcher.visible);
    // Nothing but centring gives a plain window with a title bar and no close box.
    const gui::WindowStyle pacing = gui::StyleOfFlags(1);
    EXPECT_TRUE(pacing.titleBar && pacing.visible);
    EXPECT_FALSE(pacing.closeBox || pacing.sizingBorder);
    // The "visible" bit is turned around, and alone it still gets the title bar.
    const gui::WindowStyle hidden = gui::StyleOfFlags(0x10000002);
    EXPECT_TRUE(hidden.titleBar && hidden.centreOnActive);
    EXPECT_FALSE(hidden.visible);
    const gui::WindowStyle bare = gui::StyleOfFlags(0x80000);
    EXPECT_FALSE(bare.titleBar);
}

TEST(WindowFlags, PlacementOnTheScreenOrTheActiveWindow) {
    const gui::Rect screen{0, 0, 1280, 1024};
    const gui::WindowStyle centred = gui::StyleOfFlags(1);
    gui::Rect at = gui::PlaceWindow(centred, 216, 0, 600, 369, screen, std::nullopt);
    EXPECT_EQ(at.x, 340);
    EXPECT_EQ(at.y, 512 - 184);  // each half rounded down on its own
    // A window larger than the screen is centred as if it were the screen's size.
    at = gui::PlaceWindow(centred, 0, 0, 2000, 1100, screen, std::nullopt);
    EXPECT_EQ(at.x, 0);
    EXPECT_EQ(at.y, 0);
    // On a second monitor the monitor's own corner counts.
    at = gui::PlaceWindow(centred, 0, 0, 400, 200, gui::Rect{1280, 0, 1920, 1080}, std::nullopt);
    EXPECT_EQ(at.x, 1280 + 960 - 200);

    const gui::WindowStyle onActive = gui::StyleOfFlags(2);
    at = gui::PlaceWindow(onActive, 5, 5, 400, 200, screen, gui::Rect{100, 50, 300, 100});
    EXPECT_EQ(at.x, 50);
    EXPECT_EQ(at.y, 0);  // would be above the screen's top: kept at 0
    at = gui::PlaceWindow(onActive, 5, 5, 400, 200, screen, std::nullopt);
    EXPECT_EQ(at.x, 440);
    EXPECT_EQ(at.y, 412);

    at = gui::PlaceWindow(gui::StyleOfFlags(0), 216, 7, 600, 369, screen, std::nullopt);
    EXPECT_EQ(at.x, 216);
    EXPECT_EQ(at.y, 7);
}

TEST(WindowNumbers, OutOfRangeNumbersAreRefused) {
    EXPECT_EQ(gui::OpenNumberedWindow(-1, 0, 0, 10, 10, 0, ""), nullptr);
    EXPECT_EQ(gui::OpenNumberedWindow(1 << 20, 0, 0, 10, 10, 0, ""), nullptr);
    EXPECT_EQ(gui::MakeButton(-3, 0, 0, 10, 10, "x"), 0);
    EXPECT_EQ(gui::GetGadgetTextOf(12345), "");
    EXPECT_EQ(gui::CloseNumberedWindow(99), 0);
    EXPECT_EQ(gui::UseGadgetParent(nullptr), nullptr);
}

class Gadgets : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!tessaly_test::HaveDisplay()) GTEST_SKIP() << "no display to open a window on";
        gtk::UseGtkWindows();
        ASSERT_TRUE(gui::InitWindows());
        ASSERT_NE(gui::OpenNumberedWindow(3, 0, 0, 300, 200, 0xCC0001, "gadgets"), nullptr);
        ASSERT_NE(gui::UseGadgetParent(gui::CurrentWindowHandle()), nullptr);
    }
    void TearDown() override { gui::ReleaseWindows(); }

    static void SelectRow(int g, int row) {
        GtkTreeView* view = GTK_TREE_VIEW(gtk::GadgetControl(g));
        GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
        gtk_tree_selection_select_path(gtk_tree_view_get_selection(view), path);
        gtk_tree_path_free(path);
    }

    // A double click of the left button on a row, as the desktop delivers it.
    static void DoubleClickRow(int g, int row) {
        GtkTreeView* view = GTK_TREE_VIEW(gtk::GadgetControl(g));
        GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
        GdkRectangle cell{};
        gtk_tree_view_get_cell_area(view, path, nullptr, &cell);
        gtk_tree_path_free(path);
        GdkEvent* event = gdk_event_new(GDK_2BUTTON_PRESS);
        event->button.window = GDK_WINDOW(g_object_ref(gtk_tree_view_get_bin_window(view)));
        event->button.time = GDK_CURRENT_TIME;
        event->button.x = cell.x + 4;
        event->button.y = cell.y + cell.height / 2;
        event->button.button = GDK_BUTTON_PRIMARY;
        gdk_event_set_device(
            event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
        gtk_widget_event(GTK_WIDGET(view), event);
        gdk_event_free(event);
    }

    // Every event now pending, as (code, gadget, type).
    static std::vector<std::vector<int>> PendingEvents() {
        std::vector<std::vector<int>> events;
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        for (int code = gui::PollEvent(); code != 0; code = gui::PollEvent()) {
            if (code != gui::EventResized)
                events.push_back({code, gui::EventGadgetNumber(), gui::EventType()});
        }
        return events;
    }
};

TEST_F(Gadgets, CloseRequestLeavesTheWindowOpen) {
    ASSERT_TRUE(tessaly_test::WaitUntilShown(gtk::WindowWidget(3)));
    gtk_window_close(gtk::WindowWidget(3));
    EXPECT_EQ(tessaly_test::NextEvent(), gui::EventCloseRequest);
    EXPECT_EQ(gui::EventType(), -1);
    ASSERT_NE(gtk::WindowWidget(3), nullptr);
    EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(gtk::WindowWidget(3))));
    EXPECT_EQ(gui::WindowHandleOf(3), gui::CurrentWindowHandle());

    EXPECT_EQ(gui::CloseNumberedWindow(3), 1);
    EXPECT_EQ(gtk::WindowWidget(3), nullptr);
    EXPECT_EQ(gui::WindowHandleOf(3), nullptr);
    // Its gadgets went with it, and with no window left nothing can arrive.
    EXPECT_EQ(gui::WaitEvent(), 0);
}

TEST_F(Gadgets, AWindowDestroyedByAnotherProgramIsAQuitRequest) {
    ASSERT_TRUE(gui::MakeListBox(7, 10, 10, 150, 120));
    ASSERT_TRUE(gui::AddGadgetItem(7, -1, "one.lvl"));
    ASSERT_TRUE(gui::MakeButton(8, 170, 10, 100, 30, "Quit"));
    ASSERT_TRUE(gui::MakeFolderTree(9, 10, 140, 150, 50, "", 0));
    ASSERT_TRUE(tessaly_test::WaitUntilShown(gtk::WindowWidget(3)));
    runtime::screen::State().quitRequested = false;

    // The program closing a window of its own asks nothing, once the server has told of
    // its destruction.
    ASSERT_NE(gui::OpenNumberedWindow(4, 0, 0, 100, 100, 0xCC0001, "closed by the program"),
              nullptr);
    ASSERT_NE(gui::UseGadgetParent(gui::CurrentWindowHandle()), nullptr);
    ASSERT_TRUE(tessaly_test::WaitUntilShown(gtk::WindowWidget(4)));
    EXPECT_EQ(gui::CloseNumberedWindow(4), 1);
    gdk_display_sync(gdk_display_get_default());
    EXPECT_TRUE(PendingEvents().empty());
    EXPECT_FALSE(runtime::screen::State().quitRequested);

    // Another client destroys the X window itself, as xdotool windowclose does.
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    XDestroyWindow(other,
                   gdk_x11_window_get_xid(gtk_widget_get_window(GTK_WIDGET(gtk::WindowWidget(3)))));
    XSync(other, False);
    XCloseDisplay(other);
    EXPECT_EQ(tessaly_test::NextEvent(), gui::EventCloseRequest);
    EXPECT_TRUE(runtime::screen::State().quitRequested);

    // The program closes it as after the close box, gadgets and all, and goes on.
    EXPECT_EQ(gui::GetGadgetTextOf(7), "");
    EXPECT_EQ(gui::CloseNumberedWindow(3), 1);
    EXPECT_EQ(gui::WaitEvent(), 0);
    ASSERT_NE(gui::OpenNumberedWindow(3, 0, 0, 100, 100, 0xCC0001, "again"), nullptr);
    ASSERT_NE(gui::UseGadgetParent(gui::CurrentWindowHandle()), nullptr);
    EXPECT_TRUE(tessaly_test::WaitUntilShown(gtk::WindowWidget(3)));
    runtime::screen::State().quitRequested = false;
}

TEST_F(Gadgets, ListSelectionDoubleClickAndTexts) {
    ASSERT_TRUE(gui::MakeListBox(7, 10, 10, 150, 120));
    EXPECT_EQ(gui::GetGadgetTextOf(7), "");
    ASSERT_TRUE(gui::AddGadgetItem(7, -1, "beta"));
    ASSERT_TRUE(gui::AddGadgetItem(7, 0, "alpha"));
    ASSERT_TRUE(gui::AddGadgetItem(7, -1, "gamma"));
    ASSERT_TRUE(gui::AddGadgetItem(7, 3, "gamma"));
    EXPECT_FALSE(gui::AddGadgetItem(7, 9, "past the end"));
    EXPECT_FALSE(gui::AddGadgetItem(7, -2, "before the start"));
    EXPECT_EQ(tessaly_test::ListItems(7),
              (std::vector<std::string>{"alpha", "beta", "gamma", "gamma"}));
    ASSERT_TRUE(tessaly_test::WaitUntilShown(gtk::WindowWidget(3)));

    SelectRow(7, 1);
    EXPECT_EQ(PendingEvents(), (std::vector<std::vector<int>>{{gui::EventGadget, 7, 0}}));
    EXPECT_EQ(gui::GetGadgetTextOf(7), "beta");

    DoubleClickRow(7, 2);
    bool doubleClick = false;
    for (const auto& e : PendingEvents())
        doubleClick = doubleClick || (e[0] == gui::EventGadget && e[1] == 7 && e[2] == 2);
    EXPECT_TRUE(doubleClick);

    // The program's own choice is not an event; an unknown text leaves nothing selected.
    EXPECT_TRUE(gui::SetGadgetTextOf(7, "gamma"));
    EXPECT_EQ(gui::GetGadgetTextOf(7), "gamma");
    EXPECT_FALSE(gui::SetGadgetTextOf(7, "Gamma"));
    EXPECT_EQ(gui::GetGadgetTextOf(7), "");
    EXPECT_TRUE(PendingEvents().empty());

    // Items keep the bytes they were given, even when they are not UTF-8.
    const std::string latin1 = "caf\xe9.lvl";
    ASSERT_TRUE(gui::AddGadgetItem(7, -1, latin1));
    EXPECT_TRUE(gui::SetGadgetTextOf(7, latin1));
    EXPECT_EQ(gui::GetGadgetTextOf(7), latin1);

    ASSERT_TRUE(gui::ClearGadgetItems(7));
    EXPECT_TRUE(tessaly_test::ListItems(7).empty());
    EXPECT_EQ(gui::GetGadgetTextOf(7), "");
    EXPECT_TRUE(PendingEvents().empty());
}

TEST_F(Gadgets, ReusedNumberReplacesTheOldControl) {
    ASSERT_TRUE(gui::MakeButton(5, 10, 10, 100, 30, "old"));
    GtkWidget* old = gtk::GadgetControl(5);
    g_object_add_weak_pointer(G_OBJECT(old), reinterpret_cast<gpointer*>(&old));
    ASSERT_TRUE(gui::MakeText(5, 20, 50, 120, 20, "new"));
    EXPECT_EQ(old, nullptr);
    EXPECT_TRUE(GTK_IS_LABEL(gtk::GadgetControl(5)));
    EXPECT_EQ(gui::GetGadgetTextOf(5), "new");
    GList* children =
        gtk_container_get_children(GTK_CONTAINER(gtk_bin_get_child(GTK_BIN(gtk::WindowWidget(3)))));
    EXPECT_EQ(g_list_length(children), 1u);
    g_list_free(children);
}

TEST_F(Gadgets, FolderTreeShowsVisibleFoldersInNaturalOrder) {
    tessaly_test::TempFolder folder;
    for (const char* name : {"level10", "Level2", "level1", ".secret", "b"})
        ASSERT_EQ(mkdir((folder / name).c_str(), 0755), 0);
    std::ofstream(folder / "file.lvl") << "x";
    EXPECT_EQ(gtk::ShownSubfolders(folder.path()),
              (std::vector<std::string>{"b", "level1", "Level2", "level10"}));
    EXPECT_TRUE(gtk::ShownSubfolders(folder / "missing").empty());

    ASSERT_TRUE(gui::MakeFolderTree(1, 0, 0, 200, 200, "", 0));
    EXPECT_EQ(gui::GetGadgetTextOf(1), "");
    ASSERT_TRUE(gui::SetGadgetTextOf(1, folder / "level2/../Level2/"));
    EXPECT_EQ(gui::GetGadgetTextOf(1), folder / "Level2/");
    EXPECT_EQ(PendingEvents(), (std::vector<std::vector<int>>{{gui::EventGadget, 1, 768}}));
    // Hidden and missing folders cannot be picked; the selection stays.
    EXPECT_FALSE(gui::SetGadgetTextOf(1, folder / ".secret"));
    EXPECT_FALSE(gui::SetGadgetTextOf(1, "relative/path"));
    EXPECT_EQ(gui::GetGadgetTextOf(1), folder / "Level2/");

    // A tree of one folder has that folder alone on top.
    ASSERT_TRUE(gui::MakeFolderTree(1, 0, 0, 200, 200, folder.path().c_str(), 0));
    EXPECT_TRUE(gui::SetGadgetTextOf(1, folder / "b"));
    EXPECT_FALSE(gui::SetGadgetTextOf(1, "/"));
    EXPECT_EQ(gui::GetGadgetTextOf(1), folder / "b/");
}

}  // namespace
