// The editor's window, real GTK on an X server of the test's own, driven with real X input
// made by XTest: clicks and drags paint, keys pick bricks, undo and save.
#include "editor/editor_window.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "editor/level_files.hpp"
#include "tests/game_folder.hpp"
#include "tests/runtime/gui/gtk_test_support.hpp"
#include "tests/runtime/screen/private_x_server.hpp"

// Last: Xlib's macros (None, Bool, Status) would clash with names in the headers above.
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace editor {
namespace {

namespace fs = std::filesystem;
using tessaly_test::WaitUntil;

// One X server and GTK for the whole program: GTK opens its display only once.
class XEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        // The file chooser keeps its settings; here they stay in memory.
        setenv("GSETTINGS_BACKEND", "memory", 1);
        if (server.Start(1280, 1024) && gtk_init_check(nullptr, nullptr))
            input = XOpenDisplay(server.Name().c_str());
    }
    void TearDown() override {
        if (input) XCloseDisplay(input);
    }
    PrivateXServer server;
    Display* input = nullptr;
};
XEnvironment* const g_x =
    static_cast<XEnvironment*>(::testing::AddGlobalTestEnvironment(new XEnvironment));

std::string Bytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A level file as the editor writes it: bricks left, 160 cells, background and two flags.
std::string LevelFileText(int bricksLeft, std::vector<std::string> cells, int background) {
    cells.resize(160, "000");
    std::string text = std::to_string(bricksLeft) + "\r\n";
    for (const std::string& cell : cells)
        text += cell + "\r\n";
    return text + std::to_string(background) + "\r\n0\r\n0\r\n";
}

class EditorWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (g_x->input == nullptr) GTEST_SKIP() << "no X server for the window";
        window_ = std::make_unique<EditorWindow>(TESSALY_PLAY_DATA_DIR,
                                                 LoadLevelPictures(TESSALY_PLAY_DATA_DIR));
        window_->OnClosed([this] { closed_ = true; });
    }

    void Show() {
        window_->Show();
        ASSERT_TRUE(tessaly_test::WaitUntilShown(window_->window()));
        // No window manager: the keyboard goes where the test says.
        const Window xid = gdk_x11_window_get_xid(gtk_widget_get_window(GTK_WIDGET(window_->window())));
        XSetInputFocus(g_x->input, xid, RevertToParent, CurrentTime);
        XSync(g_x->input, False);
    }

    // The screen position of a cell's middle.
    void PointAtCell(int row, int column) {
        double x = 0, y = 0;
        window_->CellCentre(row, column, x, y);
        int left = 0, top = 0;
        gdk_window_get_origin(gtk_widget_get_window(window_->canvas()), &left, &top);
        XTestFakeMotionEvent(g_x->input, -1, left + int(x), top + int(y), CurrentTime);
    }
    void Button(unsigned button, bool down) {
        XTestFakeButtonEvent(g_x->input, button, down, CurrentTime);
        XFlush(g_x->input);
    }
    void Click(int row, int column, unsigned button = 1) {
        PointAtCell(row, column);
        Button(button, true);
        Button(button, false);
    }
    void Key(KeySym key, bool control = false, bool shift = false) {
        Display* d = g_x->input;
        const KeyCode ctrl = XKeysymToKeycode(d, XK_Control_L);
        const KeyCode sh = XKeysymToKeycode(d, XK_Shift_L);
        if (control) XTestFakeKeyEvent(d, ctrl, True, CurrentTime);
        if (shift) XTestFakeKeyEvent(d, sh, True, CurrentTime);
        XTestFakeKeyEvent(d, XKeysymToKeycode(d, key), True, CurrentTime);
        XTestFakeKeyEvent(d, XKeysymToKeycode(d, key), False, CurrentTime);
        if (shift) XTestFakeKeyEvent(d, sh, False, CurrentTime);
        if (control) XTestFakeKeyEvent(d, ctrl, False, CurrentTime);
        XFlush(d);
    }
    int Code(int row, int column) const { return window_->document().cell(row, column).code; }

    // The dialog the window opened last, or null.
    static GtkDialog* OpenDialog() {
        GtkDialog* found = nullptr;
        GList* windows = gtk_window_list_toplevels();
        for (GList* w = windows; w; w = w->next)
            if (GTK_IS_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data)))
                found = GTK_DIALOG(w->data);
        g_list_free(windows);
        return found;
    }

    tessaly_test::TempFolder folder_;
    std::unique_ptr<EditorWindow> window_;
    bool closed_ = false;
};

TEST_F(EditorWindowTest, ClicksPaintUndoRevertsAndSaveWritesTheFile) {
    const std::string file = folder_ / "mine.lvl";
    std::vector<std::string> cells(20, "101");
    std::ofstream(file, std::ios::binary) << LevelFileText(20, cells, 205);
    ASSERT_TRUE(window_->Open(file));
    Show();
    EXPECT_EQ(window_->Title(), "mine.lvl \u2013 Tessaly Level Editor");

    // Key 3 picks the three-hit brick; a click paints it.
    Key(XK_3);
    Click(2, 4);
    ASSERT_TRUE(WaitUntil([&] { return Code(2, 4) == 102; }));
    EXPECT_EQ(window_->Title(), "*mine.lvl \u2013 Tessaly Level Editor");
    EXPECT_EQ(window_->document().BricksLeft(), 21);

    Key(XK_z, true);
    ASSERT_TRUE(WaitUntil([&] { return Code(2, 4) == 0; }));
    EXPECT_FALSE(window_->document().Modified());

    // A drag with the right button empties a run of cells, and undoes as one step.
    PointAtCell(0, 2);
    Button(3, true);
    for (int column = 3; column <= 7; ++column)
        PointAtCell(0, column);
    Button(3, false);
    ASSERT_TRUE(WaitUntil([&] { return Code(0, 7) == 0; }));
    for (int column = 2; column <= 7; ++column)
        EXPECT_EQ(Code(0, column), 0) << column;
    EXPECT_EQ(Code(0, 1), 101);
    EXPECT_EQ(Code(0, 8), 101);
    Key(XK_z, true);
    ASSERT_TRUE(WaitUntil([&] { return Code(0, 2) == 101; }));
    for (int column = 2; column <= 7; ++column)
        EXPECT_EQ(Code(0, column), 101) << column;

    // Mirror mode paints the cell across the middle too.
    Key(XK_m);
    Key(XK_7);
    Click(7, 1);
    ASSERT_TRUE(WaitUntil([&] { return Code(7, 18) == 106; }));
    EXPECT_EQ(Code(7, 1), 106);
    Key(XK_m);

    Key(XK_3);
    Click(2, 4);
    ASSERT_TRUE(WaitUntil([&] { return Code(2, 4) == 102; }));
    Key(XK_s, true);
    cells.resize(160, "000");
    cells[2 * 20 + 4] = "102";
    cells[7 * 20 + 1] = cells[7 * 20 + 18] = "106";
    const std::string expected = LevelFileText(23, cells, 205);
    ASSERT_TRUE(WaitUntil([&] { return Bytes(file) == expected; })) << Bytes(file);
    EXPECT_FALSE(window_->document().Modified());
    EXPECT_EQ(window_->Title(), "mine.lvl \u2013 Tessaly Level Editor");
    EXPECT_EQ(window_->StatusText(),
              "d 100: 0   e 101: 20   f 102: 1   g 103: 0   h 104: 0   i 105: 0   j 106: 2"
              "      23 bricks to destroy");
}

TEST_F(EditorWindowTest, UnsavedChangesAreAskedAboutBeforeTheWindowCloses) {
    Show();
    EXPECT_EQ(window_->Title(), "Untitled level \u2013 Tessaly Level Editor");
    Click(0, 0);
    ASSERT_TRUE(WaitUntil([&] { return Code(0, 0) == 100; }));

    // Cancel keeps the window and the change.
    window_->RequestClose();
    ASSERT_TRUE(WaitUntil([] { return OpenDialog() != nullptr; }));
    gtk_dialog_response(OpenDialog(), GTK_RESPONSE_CANCEL);
    EXPECT_FALSE(closed_);
    EXPECT_EQ(Code(0, 0), 100);

    // Save asks for a name (the ending is added) and then the window closes.
    window_->RequestClose();
    ASSERT_TRUE(WaitUntil([] { return OpenDialog() != nullptr; }));
    gtk_dialog_response(OpenDialog(), GTK_RESPONSE_ACCEPT);
    ASSERT_TRUE(WaitUntil([] { return GTK_IS_FILE_CHOOSER(OpenDialog()); }));
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(OpenDialog());
    gtk_file_chooser_set_current_folder(chooser, folder_.path().c_str());
    gtk_file_chooser_set_current_name(chooser, "made");
    // The chooser knows the file once it has loaded the folder.
    ASSERT_TRUE(WaitUntil([&] {
        gchar* name = gtk_file_chooser_get_filename(chooser);
        const bool there = name != nullptr && name == folder_ / "made";
        g_free(name);
        return there;
    }));
    gtk_dialog_response(OpenDialog(), GTK_RESPONSE_ACCEPT);
    EXPECT_TRUE(WaitUntil([&] { return closed_; }));
    EXPECT_EQ(Bytes(folder_ / "made.lvl"), LevelFileText(1, {"100"}, 0));
}

TEST_F(EditorWindowTest, ClosingWithoutSavingLetsTheChangesGo) {
    const std::string file = folder_ / "kept.lvl";
    std::ofstream(file, std::ios::binary) << LevelFileText(0, {}, 0);
    ASSERT_TRUE(window_->Open(file));
    Show();
    Click(0, 0);
    ASSERT_TRUE(WaitUntil([&] { return Code(0, 0) == 100; }));
    window_->RequestClose();
    ASSERT_TRUE(WaitUntil([] { return OpenDialog() != nullptr; }));
    gtk_dialog_response(OpenDialog(), GTK_RESPONSE_REJECT);
    EXPECT_TRUE(WaitUntil([&] { return closed_; }));
    EXPECT_EQ(Bytes(file), LevelFileText(0, {}, 0));
}

TEST_F(EditorWindowTest, AFileThatCannotBeReadIsToldAndTheLevelShownStays) {
    const std::string file = folder_ / "first.lvl";
    std::ofstream(file, std::ios::binary) << LevelFileText(1, {"104"}, 0);
    ASSERT_TRUE(window_->Open(file));
    Show();

    fs::create_directory(folder_ / "folder.lvl");
    EXPECT_FALSE(window_->Open(folder_ / "folder.lvl"));
    ASSERT_TRUE(WaitUntil([] { return OpenDialog() != nullptr; }));
    gchar* detail = nullptr;
    g_object_get(OpenDialog(), "secondary-text", &detail, nullptr);
    EXPECT_EQ(std::string(detail), "\"" + (folder_ / "folder.lvl") + "\": is a folder, not a level file");
    g_free(detail);
    gtk_dialog_response(OpenDialog(), GTK_RESPONSE_CLOSE);
    EXPECT_EQ(window_->path(), file);
    EXPECT_EQ(Code(0, 0), 104);

    // A name with no file behind it is a new level, saved under that name.
    const std::string fresh = folder_ / "fresh.lvl";
    ASSERT_TRUE(window_->Open(fresh));
    EXPECT_EQ(window_->path(), fresh);
    EXPECT_EQ(Code(0, 0), 0);
    EXPECT_FALSE(fs::exists(fresh));
    window_->Save();
    EXPECT_EQ(Bytes(fresh), LevelFileText(0, {}, 0));
}

TEST_F(EditorWindowTest, AnUnusualLineShowsAShortBeginningInTheStatusLine) {
    // Ten megabytes of a line the editor keeps as it is, with bytes that are not UTF-8.
    const std::string file = folder_ / "odd.lvl";
    const std::string odd = " 101\xff\xfe" + std::string(10 << 20, 'q');
    std::ofstream(file, std::ios::binary) << LevelFileText(1, {"000", odd}, 0);
    ASSERT_TRUE(window_->Open(file));
    Show();
    PointAtCell(0, 1);
    XFlush(g_x->input);
    ASSERT_TRUE(WaitUntil([&] { return !window_->CellText().empty(); }));
    const std::string text = window_->CellText();
    EXPECT_EQ(text, "Row 1, column 2: line \" 101\\xFF\\xFE" + std::string(34, 'q') +
                        "\u2026\", kept as it is (plays as brick e 101)");
    EXPECT_TRUE(g_utf8_validate(text.data(), gssize(text.size()), nullptr));
}

TEST(ShownLine, KeepsFortyCharactersAndEscapesWhatIsNotText) {
    EXPECT_EQ(ShownLine(""), "");
    EXPECT_EQ(ShownLine(std::string(40, 'a')), std::string(40, 'a'));
    EXPECT_EQ(ShownLine(std::string(41, 'a')), std::string(40, 'a') + "\u2026");
    // A character of several bytes counts once and is never cut in two.
    EXPECT_EQ(ShownLine(std::string(39, 'a') + "\u00e9\u00e9"),
              std::string(39, 'a') + "\u00e9\u2026");
    // Stray and cut-short sequences, and control characters, become escapes.
    EXPECT_EQ(ShownLine("a\xc3\tb\x80\xe2\x82"), "a\\xC3\\x09b\\x80\\xE2\\x82");
}

// The picture in the README: a sample level on its background.
TEST_F(EditorWindowTest, PictureOfTheWindow) {
    NEED_GAME_FOLDER(TESSALY_PLAY_DATA_DIR);
    const std::string sample = std::string(TESSALY_PLAY_DATA_DIR) + "/levels/04_glass_hive.lvl";
    ASSERT_TRUE(window_->Open(sample));
    Show();
    cairo_surface_t* shot = tessaly_test::DrawWindow(window_->window());
    EXPECT_EQ(cairo_surface_write_to_png(shot, TESSALY_BUILD_DIR "/editor.png"),
              CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(shot);
}

}  // namespace
}  // namespace editor
