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
#include <cstring>

#include "game/flow/program.hpp"
#include "runtime/gui/gtk/gtk_gui.hpp"
#include "runtime/gui/gui.hpp"
#include "runtime/gui/sdl/sdl_windows.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/screen/sdl/sdl_display.hpp"
#include "runtime/sound/sdl/sdl_sound.hpp"
#include "runtime/support/program.hpp"

namespace {

const char kUsage[] =
    "usage: tessaly [--help | --version]\n"
    "Starts the game in the current folder, which holds data/ and sfx/ (scores are kept in\n"
    "data/, screenshots land in screen.bmp). The launcher window picks the full game or a\n"
    "level file.\n";

// Written to by the signal handler, read on the game's thread through GLib's main context.
int gSignalPipe[2] = {-1, -1};

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

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
            std::printf("tessaly %s\n", TESSALY_VERSION);
            return 0;
        }
        std::fprintf(stderr, "tessaly: unknown option %s\n%s", argv[1], kUsage);
        return 2;
    }

    // The game handles these signals itself, in every phase, through the one way out.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    CatchQuitSignals();
    game::flow::setFrameObserver(&LookAtSignals);

    runtime::screen::sdl::UseSdlDisplay();
    runtime::sound::sdl::UseSdlSound();
    runtime::gui::gtk::UseGtkWindows();
    runtime::gui::sdl::UseSdlScreenWindows();
    if (!game::flow::startRuntime()) game::flow::failAndEnd("no display to show the game on");
    game::flow::runProgram();
}
