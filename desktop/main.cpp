// tessaly: the game on the desktop. The launcher and the pacing choice in their windows,
// then the full screen until the player quits; see the README.
#include <SDL.h>
#include <fcntl.h>
#include <glib-unix.h>
#include <glib.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "game/flow/program.hpp"
#include "launcher/launcher.hpp"
#include "runtime/gui/gtk/gtk_gui.hpp"
#include "runtime/gui/gui.hpp"
#include "runtime/gui/sdl/sdl_windows.hpp"
#include "runtime/input/sdl/gamepad.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/screen/sdl/sdl_display.hpp"
#include "runtime/sound/sdl/sdl_sound.hpp"
#include "runtime/support/program.hpp"

namespace {

const char kUsage[] =
    "usage: tessaly [--help | --version | [--] FILE.lvl]\n"
    "Starts the game in the current folder, which holds data/ and sfx/ (scores are kept in\n"
    "data/, screenshots land in screen.bmp). The launcher window picks the full game or a\n"
    "level file; FILE.lvl starts it with that file chosen.\n";

// A message window over nothing, for what the player has to know before the launcher:
// shown when there is a desktop to show it on, and closed by the player.
void ShowMessageWindow(const char* headline, const std::string& text) {
    gtk_disable_setlocale();  // as the launcher's windows start GTK
    if (!gtk_init_check(nullptr, nullptr)) return;
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                               GTK_BUTTONS_CLOSE, "%s", headline);
    // File names need not be UTF-8; the window shows what it can of them.
    gchar* shown = g_filename_display_name(text.c_str());
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", shown);
    g_free(shown);
    gtk_window_set_title(GTK_WINDOW(dialog), "Tessaly");
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_CLOSE);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}

// Started outside its game folder, the game would open its launcher and then a black,
// silent screen. It says instead where it looked and how it is started, on standard error
// and, when there is a desktop to show it on, in a message window; then it ends with 1.
[[noreturn]] void RefuseOutsideGameFolder(const std::vector<std::string>& missing) {
    std::error_code ec;
    const std::string here = std::filesystem::current_path(ec).string();
    std::string lacking = "no " + missing[0];
    for (std::size_t i = 1; i < missing.size(); ++i)
        lacking += " and no " + missing[i];
    lacking += " folder in " + (ec ? std::string("the current folder") : here);
    const std::string why =
        "The game runs in its game folder, which holds its pictures, sounds and scores in "
        "data/ and its music in sfx/.";
    // A built program lies in its game folder: name it. An installed one's folder is not
    // the player's to write scores in; its starter command goes to the player's own.
    std::string there;
    const std::filesystem::path own =
        std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
    if (!ec && game::flow::missingGameFolders(own.string()).empty() &&
        access(own.c_str(), W_OK) == 0)
        there = " (cd " + own.string() + " && ./tessaly)";
    const std::string how = "Start it there" + there +
                            ", with scripts/play from the source folder, or with the "
                            "installed tessaly command.";
    std::fprintf(stderr, "tessaly: %s\n%s\n%s\n", lacking.c_str(), why.c_str(), how.c_str());
    ShowMessageWindow("Tessaly cannot start here",
                      "There is " + lacking + ".\n\n" + why + " " + how);
    std::exit(1);
}

// Written to by the signal handler, read on the game's thread through GLib's main context.
int gSignalPipe[2] = {-1, -1};

// Differs: a quit signal cuts short the pause between two phases
// (docs/differences.md, The game on a Linux desktop)
// Runs on whichever thread the signal lands on, so it only does what is safe there: the
// pause between phases in progress ends, and the game's thread hears of it below.
void OnSignal(int) {
    const int saved = errno;
    runtime::support::CutWaitsShort();
    const char signalled = 1;
    if (::write(gSignalPipe[1], &signalled, 1) < 0) {
        // The pipe is full: a quit is on its way already.
    }
    errno = saved;
}

// Ctrl+C in a terminal, a logout or a kill asks the game to quit as closing its window
// does: the launcher closes, and the full screen ends after the frame in progress.
gboolean OnQuitSignal(gint fd, GIOCondition, gpointer) {
    char drained[64];
    while (::read(fd, drained, sizeof drained) > 0) {
    }
    runtime::screen::State().quitRequested = true;
    if (runtime::gui::WindowHandleOf(0)) runtime::gui::CloseNumberedWindow(0);
    return G_SOURCE_CONTINUE;
}

// A handler of our own rather than GLib's, whose signal sources only run when its main
// context turns: the fixed waits between phases have to end as soon as the signal comes.
void CatchQuitSignals() {
    if (::pipe2(gSignalPipe, O_NONBLOCK | O_CLOEXEC) != 0) return;  // default handling stays
    g_unix_fd_add(gSignalPipe[0], G_IO_IN, &OnQuitSignal, nullptr);
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

// The signals arrive through GLib's main context; the full-screen phases do not run it
// themselves, so each frame looks at it once without waiting.
void LookAtSignals() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

// The launcher window with its banner: the play mode of the game the player starts.
std::optional<game::flow::PlayChoice> RunLauncher() {
    launcher::loadLauncherBanner();
    const launcher::LauncherChoice choice = launcher::runLauncher();
    if (!choice.start) return std::nullopt;
    return game::flow::PlayChoice{choice.mode.kind, choice.mode.levelPath};
}

// The windows before the game, as the program's start-up asks for them.
const game::flow::LauncherSteps kLauncher = {
    .choosePlayMode = &RunLauncher,
    .closeLauncher = &launcher::closeLauncher,
    .choosePacing = &launcher::runPacingChoice,
    .openGameScreen = &launcher::openGameScreen,
};

// The level file handed in (by a file manager, or typed): the launcher starts with it
// chosen. A relative name is taken from the folder the program was started in, which is
// the game folder (the installed starter makes the name whole before it changes folder).
// A file that cannot be read is named in a message, and the launcher starts on the full
// game.
// Differs: a level file handed in is chosen in the launcher, or named when unreadable
// (docs/differences.md, Launcher)
void ChooseLevelFile(const std::string& file) {
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(file, ec);
    const std::string path = ec ? file : whole.string();
    if (const auto problem = launcher::levelFileProblem(path)) {
        std::fprintf(stderr, "tessaly: cannot play %s: %s; the launcher starts on the full game\n",
                     path.c_str(), problem->c_str());
        ShowMessageWindow("Tessaly cannot play this level file",
                          path + "\n\n" + "The level file cannot be read: " + *problem +
                              ".\nThe launcher starts on the full game.");
        return;
    }
    launcher::chooseLevelAtStart(path);
}

}  // namespace

int main(int argc, char** argv) {
    std::string levelFile;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        // "--" ends the options, so a level may be named "-x.lvl".
        if (options && std::strcmp(word, "--") == 0) {
            options = false;
            continue;
        }
        if (options && argc == 2 && std::strcmp(word, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (options && argc == 2 && std::strcmp(word, "--version") == 0) {
            std::printf("tessaly %s\n", TESSALY_VERSION);
            return 0;
        }
        if ((options && word[0] == '-') || !levelFile.empty() || word[0] == '\0') {
            std::fprintf(stderr, "tessaly: unexpected argument \"%s\"\n%s", word, kUsage);
            return 2;
        }
        levelFile = word;
    }
    // Differs: no data/ or sfx/ opens no launcher
    // (docs/differences.md, The game on a Linux desktop)
    if (const auto missing = game::flow::missingGameFolders("."); !missing.empty())
        RefuseOutsideGameFolder(missing);
    if (!levelFile.empty()) ChooseLevelFile(levelFile);

    // The game handles these signals itself, in every phase, through the one way out.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    CatchQuitSignals();
    game::flow::setFrameObserver(&LookAtSignals);

    runtime::screen::sdl::UseSdlDisplay();
    // Without SDL's game controllers the game is played with the mouse and keys alone.
    runtime::input::sdl::UseGamepads();
    runtime::sound::sdl::UseSdlSound();
    runtime::gui::gtk::UseGtkWindows();
    runtime::gui::sdl::UseSdlScreenWindows();
    if (!game::flow::startRuntime()) game::flow::failAndEnd("no display to show the game on");
    game::flow::runProgram(kLauncher);
}
