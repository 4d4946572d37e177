#include "game/presentation/packs/pack.hpp"
#include "game/presentation/packs/pack_loading.hpp"
#include "launcher/launcher.hpp"
#include "runtime/gui/gui.hpp"
#include "runtime/input/input.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/program.hpp"

namespace launcher {

namespace {

namespace gui = runtime::gui;
namespace input = runtime::input;
namespace quads = runtime::quads;
namespace screen = runtime::screen;
namespace sprites = runtime::sprites;

constexpr int kPacingWindow = 1;

// Sprites of "data\win.pak": the scrolling background, the frame, the two choices, the
// flare and the highlight piece (textures for quads), the title, the loading picture.
enum Sprite {
    Frame = 0,
    Background = 1,
    RefreshChoice = 3,
    TimerChoice = 5,
    Flare = 7,
    Highlight = 8,
    Title = 9,
    Loading = game::presentation::kLoadingPicture
};

// The quad sprites made from the flare and the highlight piece.
enum Quad { FlareQuad = 0, HighlightQuad = 1 };

void loadPictures() {
    struct Entry {
        int sprite;
        int mode;
    };
    static constexpr Entry kEntries[] = {
        {Background, sprites::DisplayMemory},
        {Frame, sprites::DisplayMemory},
        {RefreshChoice, sprites::DisplayMemory},
        {TimerChoice, sprites::DisplayMemory},
        {Flare, sprites::Texture},
        {Highlight, sprites::Texture},
        {Title, sprites::DisplayMemory},
        {Loading, sprites::DisplayMemory},
    };
    if (!game::presentation::OpenPack("data\\win.pak")) return;
    for (const Entry& entry : kEntries) {
        const game::presentation::PackContent content = game::presentation::NextPackEntry();
        if (content)
            sprites::LoadSpriteFromMemory(entry.sprite, content.bytes, content.size, entry.mode);
    }
    game::presentation::ClosePack();
}

// Turns the background one column to the left inside itself. Column 0 lands on column 399
// before columns 1 to 399 move, so the old column 399 is lost and the clip stays on columns
// 1 to 399. Kept: this is how the picture scrolls.
void scrollBackground() {
    sprites::SelectTarget(Background);
    sprites::SetSpriteClip(Background, 0, 0, 1, 200);
    sprites::DrawSprite(Background, 399, 0);
    sprites::SetSpriteClip(Background, 1, 0, 400, 200);
    sprites::DrawSprite(Background, 0, 0);
    sprites::SelectTarget(-1);
}

void drawHighlight(int row) {
    quads::BeginQuadScene();
    quads::SetQuadBlend(5, 7);
    quads::DrawQuadSprite(FlareQuad, 10, -10, 150);
    for (int i = 0; i < 14; ++i)
        quads::DrawQuadSprite(HighlightQuad, i * 32, row == 0 ? 98 : 145, 70);
    quads::EndQuadScene();
}

}  // namespace

std::optional<PacingMode> runPacingChoice() {
    gui::OpenNumberedWindow(kPacingWindow, 0, 0, 400, 200, gui::WindowCentreOnScreen, "");
    // Without a window to ask in, the game goes on with the usual pacing.
    if (!screen::OpenScreenInWindow(gui::CurrentWindowHandle(), 0, 0, 400, 200, 1, 0, 0))
        return PacingMode::RefreshPacing;
    loadPictures();
    runtime::sound::LoadMedia(0, "sfx\\introwin.mp3");
    runtime::sound::PlayMedia(0, gui::CurrentWindowHandle());
    quads::MakeQuadSprite(FlareQuad, Flare);
    quads::MakeQuadSprite(HighlightQuad, Highlight);

    int titleX = 410;
    int frameCount = 0;
    int row = 0;
    for (;;) {
        const int event = gui::PollEvent();
        screen::FillTarget(0, 0, 0);
        sprites::DrawSprite(Background, 0, 0);
        if (++frameCount > 2) {
            frameCount = 0;
            scrollBackground();
        }
        sprites::DrawSpriteKeyed(Frame, 0, 0);
        sprites::DrawSpriteKeyed(Title, titleX, 70);
        if (titleX > 0) titleX -= 3;  // slides in from the right and rests at -1
        sprites::DrawSpriteKeyed(RefreshChoice, 75, 100);
        sprites::DrawSpriteKeyed(TimerChoice, 15, 150);

        // Down from the upper row first, then Up from the lower one: holding both keeps
        // the upper row.
        input::ReadKeyboard();
        if (row == 0 && input::KeyIsDown(input::KeyDown)) row = 1;
        if (row == 1 && input::KeyIsDown(input::KeyUp)) row = 0;
        drawHighlight(row);
        screen::PresentFrame(1);

        if (input::KeyIsDown(input::KeyReturn)) return PacingMode(row);
        if (input::KeyIsDown(input::KeyEscape)) return std::nullopt;
        // The close box leaves the pacing as it started, whatever row is lit.
        if (event == gui::EventCloseRequest) return PacingMode::RefreshPacing;
    }
}

void openGameScreen(PacingMode pacing) {
    screen::CloseScreenDisplay();
    // Differs: the pacing window closes when the full screen opens
    // (docs/differences.md, Launcher)
    // The pacing window has done its work; it does not linger behind the full screen.
    gui::CloseNumberedWindow(kPacingWindow);
    runtime::support::WaitMilliseconds(1000);
    if (pacing == PacingMode::RefreshPacing) screen::SetRefreshRateRequest(60);
    screen::OpenFullScreen(800, 600, 32, "");
    if (pacing == PacingMode::TimerPacing) screen::SetFrameRateLimit(60);
}

}  // namespace launcher
