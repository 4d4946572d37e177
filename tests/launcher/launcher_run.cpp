// Runs the windows before the game on the real desktop backends, as the game will: the
// launcher, the pacing choice and the opening of the full screen, then shows a few frames,
// prints what was chosen and ends. The end-to-end test drives it with real X input.
#include <cstdio>

#include "launcher/launcher.hpp"
#include "runtime/gui/gtk/gtk_gui.hpp"
#include "runtime/gui/gui.hpp"
#include "runtime/gui/sdl/sdl_windows.hpp"
#include "runtime/input/input.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/screen/sdl/sdl_display.hpp"
#include "runtime/sound/sdl/sdl_sound.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/support/program.hpp"

namespace {

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

}  // namespace

int main() {
    runtime::screen::sdl::UseSdlDisplay();
    runtime::sound::sdl::UseSdlSound();
    runtime::gui::gtk::UseGtkWindows();
    runtime::gui::sdl::UseSdlScreenWindows();
    runtime::screen::InitSpriteEngine();
    runtime::quads::InitQuadSprites();
    runtime::input::InitKeyboardInput();
    runtime::sound::InitMediaPlayer();
    runtime::sound::InitSoundOutput();
    runtime::gui::InitWindows();
    launcher::loadLauncherBanner();

    const launcher::LauncherChoice choice = launcher::runLauncher();
    if (!choice.start) {
        Say("launcher=quit");
        runtime::support::EndProgram();
    }
    launcher::closeLauncher();
    const auto pacing = launcher::runPacingChoice();
    if (!pacing) {
        Say("pacing=quit");
        runtime::support::EndProgram();
    }
    launcher::openGameScreen(*pacing);
    for (int frame = 0; frame < 5; ++frame) {
        runtime::screen::FillTarget(0, 0, 96);
        runtime::screen::PresentFrame(1);
    }
    const auto& screen = runtime::screen::State();
    std::printf("mode=%s path=%s pacing=%s screen=%dx%d%s music=%s\n",
                choice.mode.kind == launcher::PlayMode::FullGame ? "FullGame" : "SingleLevel",
                choice.mode.levelPath.c_str(),
                *pacing == launcher::PacingMode::RefreshPacing ? "RefreshPacing" : "TimerPacing",
                screen.width, screen.height,
                screen.mode == runtime::screen::ScreenMode::FullScreen ? " full" : "",
                runtime::sound::MediaStatus() != 0 ? "playing" : "stopped");
    std::fflush(stdout);
    runtime::support::EndProgram();
}
