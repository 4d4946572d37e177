// tessaly: the game on the desktop. The launcher and the pacing choice in their windows,
// then the full screen until the player quits; see the README.
#include <SDL.h>
#include <glib-unix.h>
#include <glib.h>
#include <signal.h>

#include <cstdio>
#include <cstring>

#include "game/flow/program.hpp"
#include "runtime/gui/gtk/gtk_gui.hpp"
#include "runtime/gui/gui.hpp"
#include "runtime/gui/sdl/sdl_windows.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/screen/sdl/sdl_display.hpp"
#include "runtime/sound/sdl/sdl_sound.hpp"

namespace {

const char kUsage[] =
    "usage: tessaly [--help | --version]\n"
    "Starts the game in the current folder, which holds data/ and sfx/ (scores are kept in\n"
    "data/, screenshots land in screen.bmp). The launcher window picks the full game or a\n"
    "level file.\n";

// Ctrl+C in a terminal, a logout or a kill asks the game to quit as closing its window
// does: the launcher closes, and the full screen ends after the frame in progress.
gboolean OnQuitSignal(gpointer) {
    runtime::screen::State().quitRequested = true;
    if (runtime::gui::WindowHandleOf(0)) runtime::gui::CloseNumberedWindow(0);
    return G_SOURCE_CONTINUE;
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
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        g_unix_signal_add(signal, &OnQuitSignal, nullptr);
    game::flow::setFrameObserver(&LookAtSignals);

    runtime::screen::sdl::UseSdlDisplay();
    runtime::sound::sdl::UseSdlSound();
    runtime::gui::gtk::UseGtkWindows();
    runtime::gui::sdl::UseSdlScreenWindows();
    if (!game::flow::startRuntime()) game::flow::failAndEnd("no display to show the game on");
    game::flow::runProgram();
}
