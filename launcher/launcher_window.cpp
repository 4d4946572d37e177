#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "launcher/banner.hpp"
#include "launcher/launcher.hpp"
#include "runtime/gui/gui.hpp"
#include "runtime/images/images.hpp"
#include "runtime/support/directory.hpp"
#include "runtime/support/program.hpp"

namespace launcher {

namespace {

namespace gui = runtime::gui;

// Gadget numbers: events are told apart by them.
enum Gadget {
    FolderTree = 0,
    LevelList = 1,
    FoldersCaption = 2,
    FilesCaption = 3,
    Banner = 4,
    AuthorCredit = 5,
    MakerCredit = 6,
    SelectionCaption = 7,
    Selection = 8,
    StartButton = 9,
    QuitButton = 10,
    EditorButton = 11,
    ClearButton = 12,
};

constexpr const char* kFullGame = "Full Game";

// The folder whose level files the list shows: the tree's text at its last event.
std::string g_levelFolder;
// The selection the window opens with: the full game, or the level file handed in.
std::string g_startSelection = kFullGame;

void listLevelFiles() {
    g_levelFolder = gui::GetGadgetTextOf(FolderTree);
    gui::ClearGadgetItems(LevelList);
    runtime::support::StartDirectoryScan(0, g_levelFolder, "*.lvl");
    // The listing stops at the first folder the scan meets, even one named like a level.
    while (runtime::support::NextDirectoryEntry() == 1)
        gui::AddGadgetItem(LevelList, -1, runtime::support::DirectoryEntryName());
}

}  // namespace

bool loadLauncherBanner() {
    const auto banner = bannerBmp();
    return runtime::images::LoadImageFromMemory(0, banner.data(), banner.size()) != nullptr;
}

void chooseLevelAtStart(const std::string& path) {
    g_startSelection = path.empty() ? kFullGame : path;
}

std::optional<std::string> levelFileProblem(const std::string& path) {
    // Opened without waiting, so a pipe in the file's place is told apart, not waited on.
    const int fd =
        path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        switch (path.empty() ? ENOENT : errno) {
            case ENOENT:
                return "there is no such file";
            case EACCES:
                return "it may not be read (permission denied)";
            case ENOTDIR:
                return "a part of its path is not a folder";
            case ELOOP:
                return "its links go round in a loop";
            default:
                return std::string("it cannot be opened (") + std::strerror(errno) + ")";
        }
    }
    struct stat status {};
    const bool known = fstat(fd, &status) == 0;
    close(fd);
    if (!known) return "it cannot be read";
    if (S_ISDIR(status.st_mode)) return "it is a folder, not a level file";
    if (!S_ISREG(status.st_mode)) return "it is not a plain file (a pipe or a device)";
    return std::nullopt;
}

bool openLauncherWindow() {
    g_levelFolder.clear();
    constexpr int flags = gui::WindowTitleBar | gui::WindowCloseBox | gui::WindowSizingBorder |
                          gui::WindowCentreOnScreen;
    if (!gui::OpenNumberedWindow(0, 216, 0, 600, 369, flags, "Tessaly version " TESSALY_VERSION_SHORT)) return false;
    if (!gui::UseGadgetParent(gui::CurrentWindowHandle())) return false;
    gui::MakeFolderTree(FolderTree, 10, 100, 180, 260, "", 0);
    gui::MakeListBox(LevelList, 200, 100, 170, 260);
    gui::MakeText(FoldersCaption, 10, 80, 180, 20, "Levels Directory");
    gui::MakeText(FilesCaption, 200, 80, 170, 20, "Your Level files");
    gui::MakeImageBox(Banner, 10, 10, 580, 61, runtime::images::FindImage(0), gui::ImageSunken);
    gui::MakeTextWithFlags(AuthorCredit, 380, 320, 210, 20, "A game by the Tessaly team",
                           gui::TextCentred);
    gui::MakeTextWithFlags(MakerCredit, 380, 340, 210, 20, "Tessaly project, 2026",
                           gui::TextCentred);
    gui::MakeButton(StartButton, 380, 100, 210, 40, "Start Game/Level");
    gui::MakeButton(QuitButton, 380, 200, 210, 40, "Quit");
    gui::MakeButton(EditorButton, 380, 150, 210, 40, "Launch Level Editor");
    gui::MakeTextWithFlags(SelectionCaption, 380, 250, 210, 20, "Level File System",
                           gui::TextCentred);
    gui::MakeTextWithFlags(Selection, 380, 270, 210, 20, "", gui::TextCentred | gui::TextSunken);
    gui::MakeButton(ClearButton, 520, 290, 70, 20, "clear");
    gui::SetGadgetTextOf(Selection, g_startSelection);
    return true;
}

std::optional<LauncherChoice> handleLauncherEvent(int event) {
    if (event == gui::EventCloseRequest) return LauncherChoice{};
    if (event != gui::EventGadget) return std::nullopt;
    switch (gui::EventGadgetNumber()) {
        case FolderTree:
            listLevelFiles();
            break;
        case LevelList:
            gui::SetGadgetTextOf(Selection, g_levelFolder + gui::GetGadgetTextOf(LevelList));
            break;
        case ClearButton:
            // The level folder stays: a file picked next joins the folder listed last.
            gui::ClearGadgetItems(LevelList);
            gui::SetGadgetTextOf(Selection, kFullGame);
            break;
        case QuitButton:
            return LauncherChoice{};
        case EditorButton:
            // Started beside the game, not waited for; if it is missing nothing happens.
            runtime::support::StartProgram("editor");
            break;
        case StartButton: {
            const std::string selection = gui::GetGadgetTextOf(Selection);
            if (selection == kFullGame) return LauncherChoice{true, PlayMode{}};
            return LauncherChoice{true, PlayMode{PlayMode::SingleLevel, selection}};
        }
        default:
            break;
    }
    return std::nullopt;
}

LauncherChoice runLauncher() {
    if (!openLauncherWindow()) {
        std::fprintf(stderr, "tessaly: cannot open the launcher window\n");
        return LauncherChoice{};
    }
    for (;;) {
        const int event = gui::WaitEvent();
        // No window left means no event can come any more.
        if (event == 0 && !gui::WindowHandleOf(0)) return LauncherChoice{};
        if (auto choice = handleLauncherEvent(event)) return *choice;
    }
}

void closeLauncher() {
    gui::CloseNumberedWindow(0);
    runtime::support::WaitMilliseconds(1000);
}

}  // namespace launcher
