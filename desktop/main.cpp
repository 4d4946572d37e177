// tessaly: the game on the desktop. The launcher and the pacing choice in their windows,
// then the full screen until the player quits; see the README.
#include <SDL.h>
#include <fcntl.h>
#include <glib-unix.h>
#include <glib.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "game/flow/game_copy.hpp"
#include "game/flow/program.hpp"
#include "game/flow/recording.hpp"
#include "game/replays/replay_file.hpp"
#include "launcher/launcher.hpp"
#include "runtime/gui/gtk/gtk_gui.hpp"
#include "runtime/gui/gui.hpp"
#include "runtime/gui/sdl/sdl_windows.hpp"
#include "runtime/input/headless/script_input.hpp"
#include "runtime/input/input.hpp"
#include "runtime/input/sdl/gamepad.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/screen/sdl/sdl_display.hpp"
#include "runtime/sound/sdl/sdl_sound.hpp"
#include "runtime/support/path.hpp"
#include "runtime/support/program.hpp"
#include "runtime/support/settings_file.hpp"

namespace {

const char kUsage[] =
    "usage: tessaly [--help | --version | [--] FILE.lvl | --replay FILE]\n"
    "Starts the game in the current folder, which holds data/ and sfx/ (scores are kept in\n"
    "data/, screenshots land in screen.bmp, every game is recorded into replays/). The\n"
    "launcher window picks the full game or a level file; FILE.lvl starts it with that file\n"
    "chosen. --replay FILE plays a recorded game again on the full screen (or the window\n"
    "the settings ask for), without the launcher: Space held fast-forwards, Escape ends.\n"
    "Settings (display, window_scale, mouse_speed, crisp_pixels) are kept in\n"
    "$XDG_CONFIG_HOME/tessaly/settings.ini (~/.config/tessaly/settings.ini).\n";

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
// Set by the signal handler, so the game's frames know to look at once.
volatile std::sig_atomic_t gSignalled = 0;

// Differs: a quit signal cuts short the pause between two phases
// (docs/differences.md, The game on a Linux desktop)
// Runs on whichever thread the signal lands on, so it only does what is safe there: the
// pause between phases in progress ends, and the game's thread hears of it below.
void OnSignal(int) {
    const int saved = errno;
    runtime::support::CutWaitsShort();
    gSignalled = 1;
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
// themselves, so the frames turn it without waiting: at once after a signal, and otherwise
// every kFramesBetweenLooks frames for the toolkit's other sources (a look costs a round of
// system calls, and most frames have nothing for it).
constexpr unsigned kFramesBetweenLooks = 8;

void LookAtSignals() {
    static unsigned frames = 0;
    if (!gSignalled && ++frames % kFramesBetweenLooks != 0) return;
    gSignalled = 0;
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

// The player's settings file, read at start-up and written whenever a setting changes in
// the game.
std::string gSettingsPath;

void SaveSetting(const char* key, const std::string& value) {
    std::string error;
    if (!runtime::support::WriteSetting(gSettingsPath, key, value, error))
        std::fprintf(stderr, "tessaly: %s\n", error.c_str());
}

void SaveDisplay(bool window) {
    SaveSetting("display", runtime::support::DisplayValue(window));
}

void SaveMouseSpeed(double speed) {
    SaveSetting("mouse_speed", runtime::support::MouseSpeedValue(speed));
}

// The player's settings; a bad line is named on standard error and passed by. The screen
// opens as they ask, a window or the full screen.
runtime::support::Settings ReadSettingsForScreen() {
    gSettingsPath = runtime::support::SettingsPath();
    std::vector<std::string> problems;
    runtime::support::Settings settings;
    if (!gSettingsPath.empty()) settings = runtime::support::ReadSettings(gSettingsPath, problems);
    for (const std::string& problem : problems)
        std::fprintf(stderr, "tessaly: %s\n", problem.c_str());
    runtime::screen::sdl::SetScreenOptions({.window = settings.window,
                                            .windowScale = settings.windowScale,
                                            .crispPixels = settings.crispPixels});
    return settings;
}

// The settings the game starts with, and the steps that save each change made in the game.
void ApplySettings() {
    const runtime::support::Settings settings = ReadSettingsForScreen();
    runtime::screen::sdl::SetDisplaySwitchHandler(&SaveDisplay);
    runtime::input::SetMouseSpeed(settings.mouseSpeed);
    game::flow::setSettingsSteps({.mouseSpeedChanged = &SaveMouseSpeed});
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

// ---- Watching a recorded game ----

game::replays::Replay g_replay;
std::vector<runtime::input::headless::ScriptEvent> g_replayInput;
game::flow::RecordedGame g_recorded;
std::uint64_t g_replayStart = 0;  // frames shown before the game's start
std::atomic<bool> g_fastForward = false;
std::atomic<bool> g_stopWatching = false;

// The recording's own window events, as the desktop would have handed them in.
void ApplyWindowLine(const runtime::input::headless::ScriptEvent& event) {
    namespace script = runtime::input::headless;
    auto& screen = runtime::screen::State();
    if (event.a == script::kCloseLine) {
        screen.quitRequested = true;
        return;
    }
    const bool focused = event.b == script::kFocusIn;
    if (screen.mode == runtime::screen::ScreenMode::FullScreen) screen.active = focused ? 1 : 0;
    if (!focused) runtime::input::PostAllKeysUp();
}

// While a recording plays, the keyboard, the mouse and the focus are not the game's: Space
// and Escape are the watcher's, everything else of them is dropped before the display
// sees it. Closing the window still ends the program.
int WatcherEvents(void*, SDL_Event* event) {
    switch (event->type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (event->key.keysym.scancode == SDL_SCANCODE_SPACE)
                g_fastForward = event->type == SDL_KEYDOWN;
            if (event->key.keysym.scancode == SDL_SCANCODE_ESCAPE && event->type == SDL_KEYDOWN)
                g_stopWatching = true;
            return 0;
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEWHEEL:
            return 0;
        case SDL_WINDOWEVENT:
            return event->window.event != SDL_WINDOWEVENT_FOCUS_GAINED &&
                   event->window.event != SDL_WINDOWEVENT_FOCUS_LOST;
        default:
            return 1;
    }
}

void ReplayStarted() {
    g_replayStart = runtime::screen::State().framesPresented;
    runtime::input::headless::UseScript(g_replayInput, g_replayStart, &ApplyWindowLine);
}

void ReplayEnded(game::flow::Phase phase) {
    // Back at the menu the recorded game is over; the program ends as it always does.
    if (phase != game::flow::Phase::Exit) game::flow::shutDown();
}

void WatchedFrameShown() {
    LookAtSignals();
    auto& screen = runtime::screen::State();
    runtime::screen::ShowOneFrameIn(g_fastForward ? 4 : 1);
    if (g_stopWatching) screen.quitRequested = true;
    // The recording ends here: the program was asked to quit after this frame, or the
    // game, played differently, missed its way back to the menu.
    const std::uint64_t frame = screen.framesPresented - g_replayStart;
    const auto& end = g_replay.end;
    if (g_recorded.header != nullptr && screen.framesPresented >= g_replayStart &&
        (frame > end.frames || (frame == end.frames && end.by == game::replays::GameEnd::Quit)))
        screen.quitRequested = true;
}

// A recorded game cannot be read: the file, the line and what is wrong, exit code 2.
int RefuseReplay(const std::string& what) {
    std::fprintf(stderr, "tessaly: %s\n", what.c_str());
    return 2;
}

// Reads the recording, then plays it in a copy of the game folder (a game that entered
// the high-score table would enter it again), paced as it was recorded.
int WatchReplay(const std::string& path) {
    std::error_code ec;
    if (const auto size = std::filesystem::file_size(path, ec);
        !ec && size > game::replays::kLargestReplayFile)
        return RefuseReplay(path + ": not a replay (far too large)");
    if (const auto kind = runtime::support::KindOfPath(path); runtime::support::NothingToRead(kind))
        return RefuseReplay(path + ": " + runtime::support::PathKindWords(kind));
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    if (!in && !in.eof()) return RefuseReplay(path + ": cannot read: " + std::strerror(errno));
    static std::string text;
    text = all.str();
    game::replays::ReplayError why;
    if (!game::replays::ReadReplay(text, g_replay, why))
        return RefuseReplay(path + ": line " + std::to_string(why.line) + ": " + why.what);
    runtime::input::headless::ScriptError bad;
    if (!runtime::input::headless::ReadScript(g_replay.input, g_replayInput, bad,
                                              runtime::input::headless::WindowLines(),
                                              {0, g_replay.end.frames, g_replay.inputFirstLine}))
        return RefuseReplay(path + ": line " + std::to_string(bad.line) + ": " + bad.expected);
    std::string error;
    if (!game::flow::enterGameCopy(".", error)) return RefuseReplay(error), 1;
    g_recorded.header = &g_replay.header;
    if (g_replay.header.mode == game::state::PlayMode::SingleLevel) {
        g_recorded.levelFilePath = (std::filesystem::current_path(ec) / "replayed.lvl").string();
        std::ofstream level(g_recorded.levelFilePath, std::ios::binary | std::ios::trunc);
        level << game::replays::LevelFileText(g_replay.header.levelLines);
        if (!level.flush()) return RefuseReplay(g_recorded.levelFilePath + ": cannot write"), 1;
    }
    g_recorded.started = &ReplayStarted;
    g_recorded.ended = &ReplayEnded;

    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    CatchQuitSignals();
    game::flow::setFrameObserver(&WatchedFrameShown);
    // No gamepads either: only the recording moves the paddle.
    runtime::screen::sdl::UseSdlDisplay();
    runtime::sound::sdl::UseSdlSound();
    runtime::gui::gtk::UseGtkWindows();
    runtime::gui::sdl::UseSdlScreenWindows();
    if (!game::flow::startRuntime()) game::flow::failAndEnd("no display to show the game on");
    SDL_SetEventFilter(&WatcherEvents, nullptr);
    launcher::openGameScreen(g_replay.header.pacing);
    if (runtime::screen::State().mode != runtime::screen::ScreenMode::FullScreen)
        game::flow::failAndEnd("the game's full screen could not be opened");
    game::flow::runRecordedGame(g_recorded);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--replay") == 0) {
        if (const auto missing = game::flow::missingGameFolders("."); !missing.empty())
            RefuseOutsideGameFolder(missing);
        // A replay is shown where the player plays, but changes no setting: its mouse
        // counts are played as recorded, and nothing it does is saved.
        ReadSettingsForScreen();
        return WatchReplay(argv[2]);
    }
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
    game::flow::recordGames("replays");

    runtime::screen::sdl::UseSdlDisplay();
    ApplySettings();
    // Without SDL's game controllers the game is played with the mouse and keys alone.
    runtime::input::sdl::UseGamepads();
    runtime::sound::sdl::UseSdlSound();
    runtime::gui::gtk::UseGtkWindows();
    runtime::gui::sdl::UseSdlScreenWindows();
    if (!game::flow::startRuntime()) game::flow::failAndEnd("no display to show the game on");
    game::flow::runProgram(kLauncher);
}
