// The launcher in a real GTK window: its gadgets, and what the player's actions do.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "launcher/launcher.hpp"
#include "runtime/gui/gtk/gtk_gui.hpp"
#include "runtime/gui/gui.hpp"
#include "runtime/images/images.hpp"
#include "tests/runtime/gui/gtk_test_support.hpp"

namespace {

namespace gui = runtime::gui;
namespace gtk = runtime::gui::gtk;
using launcher::LauncherChoice;
using launcher::PlayMode;
using tessaly_test::TempFolder;

void Touch(const std::string& path) {
    std::ofstream(path) << "000\r\n";
}

class Launcher : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!tessaly_test::HaveDisplay()) GTEST_SKIP() << "no display to open a window on";
        gtk::UseGtkWindows();
        ASSERT_TRUE(gui::InitWindows());
        ASSERT_TRUE(launcher::loadLauncherBanner());
        ASSERT_TRUE(launcher::openLauncherWindow());
        ASSERT_TRUE(tessaly_test::WaitUntilShown(gtk::WindowWidget(0)));
    }
    void TearDown() override { gui::ReleaseWindows(); }

    // What the launcher does with the next event.
    static std::optional<LauncherChoice> Step() {
        return launcher::handleLauncherEvent(tessaly_test::NextEvent());
    }
    static std::optional<LauncherChoice> Click(int button) {
        gtk_button_clicked(GTK_BUTTON(gtk::GadgetControl(button)));
        return Step();
    }
    static void PickFolder(const std::string& path) {
        ASSERT_TRUE(gui::SetGadgetTextOf(0, path));
        ASSERT_EQ(tessaly_test::NextEvent(), gui::EventGadget);
        ASSERT_EQ(gui::EventGadgetNumber(), 0);
        ASSERT_EQ(launcher::handleLauncherEvent(gui::EventGadget), std::nullopt);
    }
    static void PickFile(int row) {
        GtkTreeView* list = GTK_TREE_VIEW(gtk::GadgetControl(1));
        GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
        gtk_tree_selection_select_path(gtk_tree_view_get_selection(list), path);
        gtk_tree_path_free(path);
        ASSERT_EQ(Step(), std::nullopt);
    }
    static std::string Selection() { return gui::GetGadgetTextOf(8); }
};

TEST_F(Launcher, WindowAndGadgetsAreLaidOutWithTheirNumbersAndTexts) {
    GtkWindow* window = gtk::WindowWidget(0);
    EXPECT_STREQ(gtk_window_get_title(window), "Tessaly version 1.1");
    EXPECT_TRUE(gtk_window_get_resizable(window));
    EXPECT_TRUE(gtk_window_get_deletable(window));
    EXPECT_EQ(gtk_widget_get_allocated_width(GTK_WIDGET(window)), 600);
    EXPECT_EQ(gtk_widget_get_allocated_height(GTK_WIDGET(window)), 369);

    // Centred on the screen by the client size.
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    GdkRectangle screen{};
    gdk_monitor_get_geometry(monitor, &screen);
    int x = 0, y = 0;
    gdk_window_get_origin(gtk_widget_get_window(GTK_WIDGET(window)), &x, &y);
    EXPECT_EQ(x, screen.x + screen.width / 2 - 300);
    EXPECT_EQ(y, screen.y + screen.height / 2 - 184);

    struct Expected {
        int gadget, x, y, width, height;
        const char* text;
    };
    const Expected gadgets[] = {
        {0, 10, 100, 180, 260, ""},
        {1, 200, 100, 170, 260, ""},
        {2, 10, 80, 180, 20, "Levels Directory"},
        {3, 200, 80, 170, 20, "Your Level files"},
        {4, 10, 10, 580, 61, ""},
        {5, 380, 320, 210, 20, "A game by the Tessaly team"},
        {6, 380, 340, 210, 20, "Tessaly project, 2026"},
        {7, 380, 250, 210, 20, "Level File System"},
        {8, 380, 270, 210, 20, "Full Game"},
        {9, 380, 100, 210, 40, "Start Game/Level"},
        {10, 380, 200, 210, 40, "Quit"},
        {11, 380, 150, 210, 40, "Launch Level Editor"},
        {12, 520, 290, 70, 20, "clear"},
    };
    for (const Expected& e : gadgets) {
        SCOPED_TRACE(e.gadget);
        GtkWidget* widget = gtk::GadgetWidget(e.gadget);
        ASSERT_NE(widget, nullptr);
        GtkAllocation at;
        gtk_widget_get_allocation(widget, &at);
        EXPECT_EQ(at.x, e.x);
        EXPECT_EQ(at.y, e.y);
        EXPECT_EQ(at.width, e.width);
        EXPECT_EQ(at.height, e.height);
        EXPECT_EQ(gui::GetGadgetTextOf(e.gadget), e.text);
    }
    // Nothing is picked when the launcher appears.
    EXPECT_EQ(gui::PollEvent(), 0);
    EXPECT_EQ(gui::GetGadgetTextOf(0), "");
    EXPECT_TRUE(GTK_IS_TREE_VIEW(gtk::GadgetControl(0)));
    EXPECT_TRUE(GTK_IS_TREE_VIEW(gtk::GadgetControl(1)));
    EXPECT_TRUE(tessaly_test::ListItems(1).empty());
    for (int label : {2, 3, 5, 6, 7, 8})
        EXPECT_TRUE(GTK_IS_LABEL(gtk::GadgetControl(label)));
    for (int button : {9, 10, 11, 12})
        EXPECT_TRUE(GTK_IS_BUTTON(gtk::GadgetControl(button)));
    // The picture as the player sees it, kept in the build folder; the banner shows
    // unscaled inside its sunken edge.
    cairo_surface_t* shot = tessaly_test::DrawWindow(window);
    EXPECT_EQ(cairo_surface_write_to_png(shot, TESSALY_BUILD_DIR "/launcher.png"),
              CAIRO_STATUS_SUCCESS);
    const runtime::images::Image* banner = runtime::images::FindImage(0);
    ASSERT_NE(banner, nullptr);
    int bx = 0, by = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(gtk::GadgetControl(4), GTK_WIDGET(window), 0, 0,
                                                 &bx, &by));
    const int shownWidth = gtk_widget_get_allocated_width(gtk::GadgetControl(4));
    const int shownHeight = gtk_widget_get_allocated_height(gtk::GadgetControl(4));
    EXPECT_GE(shownWidth, 576);
    EXPECT_GE(shownHeight, 57);
    const auto* pixels = cairo_image_surface_get_data(shot);
    const int stride = cairo_image_surface_get_stride(shot);
    int differing = 0;
    for (int j = 0; j < shownHeight; j += 3) {
        for (int i = 0; i < shownWidth; i += 7) {
            std::uint32_t shown = 0;
            std::memcpy(&shown, pixels + (by + j) * stride + (bx + i) * 4, 4);
            if ((shown & 0xFFFFFF) != (banner->pixels.At(i, j) & 0xFFFFFF)) ++differing;
        }
    }
    EXPECT_EQ(differing, 0);
    cairo_surface_destroy(shot);

    // The tree is headed by the home folder and the file-system root, nothing picked yet.
    GtkTreeModel* folders = gtk_tree_view_get_model(GTK_TREE_VIEW(gtk::GadgetControl(0)));
    EXPECT_EQ(gtk_tree_model_iter_n_children(folders, nullptr), 2);
    ASSERT_TRUE(gui::SetGadgetTextOf(0, "/"));
    EXPECT_EQ(gui::GetGadgetTextOf(0), "/");
    ASSERT_TRUE(gui::SetGadgetTextOf(0, g_get_home_dir()));
    EXPECT_EQ(gui::GetGadgetTextOf(0), std::string(g_get_home_dir()) + "/");
}

// The folder's level files as the file system lists them, up to the first folder named like
// a level file.
TEST_F(Launcher, FolderListsItsLevelFilesInNameOrderUpToASubfolder) {
    // Made in an order unlike the list's; the file system keeps its own.
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    for (const char* name : {"06.lvl", "SHOUT.LVL", "01.lvl", "level10.lvl", "04.lvl", "level2.lvl",
                             "notes.txt", "02.lvl", "level.lvl.bak", "Zebra.lvl"})
        Touch(folder / name);
    // A folder named like a level file ends the listing where it falls in the name order.
    ASSERT_EQ(mkdir((folder / "sub.lvl").c_str(), 0755), 0);

    PickFolder(folder.path());
    const std::vector<std::string> expected = {"01.lvl",      "02.lvl",     "04.lvl",   "06.lvl",
                                               "level10.lvl", "level2.lvl", "SHOUT.LVL"};
    EXPECT_EQ(tessaly_test::ListItems(1), expected);
    EXPECT_EQ(gui::GetGadgetTextOf(0), folder.path() + "/");

    // A folder with no level files empties the list.
    TempFolder empty;
    PickFolder(empty.path());
    EXPECT_TRUE(tessaly_test::ListItems(1).empty());
}

TEST_F(Launcher, PickedFileBecomesTheSelectionUntilCleared) {
    EXPECT_EQ(Selection(), "Full Game");
    TempFolder first, second;
    Touch(first / "alpha.lvl");
    Touch(second / "beta.lvl");

    PickFolder(first.path());
    ASSERT_EQ(tessaly_test::ListItems(1), std::vector<std::string>{"alpha.lvl"});
    PickFile(0);
    EXPECT_EQ(Selection(), first.path() + "/alpha.lvl");

    // Another folder lists its files but keeps the file picked before.
    PickFolder(second.path());
    EXPECT_EQ(tessaly_test::ListItems(1), std::vector<std::string>{"beta.lvl"});
    EXPECT_EQ(Selection(), first.path() + "/alpha.lvl");

    auto choice = Click(9);
    ASSERT_TRUE(choice.has_value());
    EXPECT_TRUE(choice->start);
    EXPECT_EQ(choice->mode.kind, PlayMode::SingleLevel);
    EXPECT_EQ(choice->mode.levelPath, first.path() + "/alpha.lvl");

    EXPECT_EQ(Click(12), std::nullopt);
    EXPECT_EQ(Selection(), "Full Game");
    EXPECT_TRUE(tessaly_test::ListItems(1).empty());
    choice = Click(9);
    ASSERT_TRUE(choice.has_value());
    EXPECT_TRUE(choice->start);
    EXPECT_EQ(choice->mode.kind, PlayMode::FullGame);
    EXPECT_EQ(choice->mode.levelPath, "");
}

TEST_F(Launcher, ALevelFileHandedInIsChosenAtTheStart) {
    TempFolder folder;
    Touch(folder / "handed in.lvl");
    ASSERT_EQ(launcher::levelFileProblem(folder / "handed in.lvl"), std::nullopt);
    gui::CloseNumberedWindow(0);
    launcher::chooseLevelAtStart(folder / "handed in.lvl");
    ASSERT_TRUE(launcher::openLauncherWindow());
    launcher::chooseLevelAtStart("");
    EXPECT_EQ(Selection(), folder / "handed in.lvl");
    auto choice = Click(9);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->mode.kind, PlayMode::SingleLevel);
    EXPECT_EQ(choice->mode.levelPath, folder / "handed in.lvl");
    EXPECT_EQ(Click(12), std::nullopt);
    EXPECT_EQ(Selection(), "Full Game");

    // What keeps a file from being played is said in words.
    mkfifo((folder / "pipe.lvl").c_str(), 0600);
    Touch(folder / "secret.lvl");
    chmod((folder / "secret.lvl").c_str(), 0);
    EXPECT_EQ(launcher::levelFileProblem(folder / "gone.lvl"), "there is no such file");
    EXPECT_EQ(launcher::levelFileProblem(""), "there is no such file");
    EXPECT_EQ(launcher::levelFileProblem(folder.path()), "it is a folder, not a level file");
    EXPECT_EQ(launcher::levelFileProblem(folder / "pipe.lvl"),
              "it is not a plain file (a pipe or a device)");
    EXPECT_EQ(launcher::levelFileProblem(folder / "handed in.lvl/x.lvl"),
              "a part of its path is not a folder");
    // Root reads every file.
    if (geteuid() != 0) {
        EXPECT_EQ(launcher::levelFileProblem(folder / "secret.lvl"),
                  "it may not be read (permission denied)");
    }
}

TEST_F(Launcher, StartQuitAndTheCloseBoxEndTheLauncher) {
    auto choice = Click(9);
    ASSERT_TRUE(choice.has_value());
    EXPECT_TRUE(choice->start);
    EXPECT_EQ(choice->mode.kind, PlayMode::FullGame);

    choice = Click(10);
    ASSERT_TRUE(choice.has_value());
    EXPECT_FALSE(choice->start);

    gtk_window_close(gtk::WindowWidget(0));
    choice = Step();
    ASSERT_TRUE(choice.has_value());
    EXPECT_FALSE(choice->start);
    // The window closes when the program closes it, not before.
    ASSERT_NE(gtk::WindowWidget(0), nullptr);
    EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(gtk::WindowWidget(0))));
    launcher::closeLauncher();
    EXPECT_EQ(gtk::WindowWidget(0), nullptr);
}

TEST_F(Launcher, EditorStartsEachTimeWithoutWaitingAndMayBeMissing) {
    const std::filesystem::path home = std::filesystem::current_path();
    TempFolder folder;
    {
        std::ofstream script(folder / "editor");
        script << "#!/bin/sh\necho $$ >> started\nexec sleep 60\n";
    }
    chmod((folder / "editor").c_str(), 0755);
    std::filesystem::current_path(folder.path());
    EXPECT_EQ(Click(11), std::nullopt);
    EXPECT_EQ(Click(11), std::nullopt);
    std::vector<pid_t> editors;
    EXPECT_TRUE(tessaly_test::WaitUntil([&] {
        editors.clear();
        std::ifstream log(folder / "started");
        for (pid_t pid = 0; log >> pid;)
            editors.push_back(pid);
        return editors.size() == 2;
    }));
    // Both are still running: the launcher went on without waiting for the first.
    for (pid_t pid : editors) {
        EXPECT_EQ(kill(pid, 0), 0);
        kill(pid, SIGTERM);
    }

    TempFolder none;
    std::filesystem::current_path(none.path());
    EXPECT_EQ(Click(11), std::nullopt);
    std::filesystem::current_path(home);
    EXPECT_EQ(Selection(), "Full Game");
    EXPECT_NE(gtk::WindowWidget(0), nullptr);
    EXPECT_EQ(gui::PollEvent(), 0);
}

TEST_F(Launcher, OpenFolderFollowsFoldersMadeAndRemovedInIt) {
    TempFolder folder;
    ASSERT_EQ(mkdir((folder / "alpha").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((folder / ".hidden").c_str(), 0755), 0);
    PickFolder(folder.path());
    GtkTreeView* tree = GTK_TREE_VIEW(gtk::GadgetControl(0));
    GtkTreePath* at = nullptr;
    gtk_tree_view_get_cursor(tree, &at, nullptr);
    ASSERT_NE(at, nullptr);
    ASSERT_TRUE(gtk_tree_view_expand_row(tree, at, FALSE));
    gtk_tree_path_free(at);
    using Names = std::vector<std::string>;
    EXPECT_EQ(tessaly_test::TreeChildren(0, folder.path()), Names{"alpha"});

    ASSERT_EQ(mkdir((folder / "fresh").c_str(), 0755), 0);
    EXPECT_TRUE(tessaly_test::WaitUntil([&] {
        return tessaly_test::TreeChildren(0, folder.path()) == Names{"alpha", "fresh"};
    }));
    std::filesystem::rename(folder / "alpha", folder / "zeta");
    EXPECT_TRUE(tessaly_test::WaitUntil([&] {
        return tessaly_test::TreeChildren(0, folder.path()) == Names{"fresh", "zeta"};
    }));

    // The selected folder going away hands the selection to the folder it was in.
    PickFolder(folder / "zeta");
    ASSERT_EQ(rmdir((folder / "zeta").c_str()), 0);
    EXPECT_TRUE(tessaly_test::WaitUntil(
        [&] { return tessaly_test::TreeChildren(0, folder.path()) == Names{"fresh"}; }));
    EXPECT_EQ(tessaly_test::NextEvent(), gui::EventGadget);
    EXPECT_EQ(gui::EventType(), gui::TypeFolderSelected);
    EXPECT_EQ(gui::GetGadgetTextOf(0), folder.path() + "/");
}

}  // namespace
