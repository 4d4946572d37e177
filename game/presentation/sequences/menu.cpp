// The title menu: a scrolling background, the animation, three buttons hit pixel by pixel
// under a pointer moved with the mouse, and the high-score table rolling through a window
// over a drifting panel, with the star field plotted over the lot.
#include "game/presentation/font.hpp"
#include "game/presentation/packs/pack_loading.hpp"
#include "game/presentation/sequences/phase_state.hpp"
#include "game/presentation/star_field.hpp"
#include "game/scores/high_scores.hpp"
#include "runtime/input/input.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/program.hpp"

namespace game::presentation {

namespace {

namespace sprites = runtime::sprites;
namespace input = runtime::input;

MenuState g_menu;

// "data\introduce.pak", entry by entry; entries 4 and 8 are textures for quad sprites.
constexpr PackTarget kMenuPack[] = {
    {PackTarget::Sprite, 0},  {PackTarget::Sprite, 1},   {PackTarget::Sprite, 2},
    {PackTarget::Sprite, 3},  {PackTarget::Texture, 4},  {PackTarget::Sprite, 5},
    {PackTarget::Sprite, 6},  {PackTarget::Sprite, 7},   {PackTarget::Texture, 8},
    {PackTarget::Sprite, 9},  {PackTarget::Sprite, 10},  {PackTarget::Sprite, 11},
    {PackTarget::Sprite, 12}, {PackTarget::Sprite, 13},  {PackTarget::Sprite, 14},
    {PackTarget::Sprite, 15}, {PackTarget::Sprite, 16},  {PackTarget::Sprite, 17},
    {PackTarget::Sprite, 18}, {PackTarget::Sprite, 900},
};

constexpr int kPointer = 13;
constexpr int kButtonY = 190;

struct Button {
    int x;
    int sprite;
    int lit;
};
constexpr Button kStart{30, 9, 14};
constexpr Button kCredits{295, 10, 15};
constexpr Button kQuit{550, 11, 16};

// The pointer's picture touches a non-black pixel of the button's picture.
bool PointerOn(int sprite, int x) {
    return sprites::SpritePixelsOverlap(sprite, x, kButtonY, kPointer, g_menu.pointerX,
                                        g_menu.pointerY) != 0;
}

// The layers over the window repeat every 800 pixels.
void DrawBand(int sprite, int& offset, int step) {
    sprites::DrawSpriteKeyed(sprite, offset, 270);
    sprites::DrawSpriteKeyed(sprite, offset + 800, 270);
    offset -= step;
    if (offset <= -800) offset = 0;
}

// A move that would take the pointer onto or past an edge is dropped for that axis.
void MovePointer(int& position, int move, int limit) {
    if (0 < position + move && position + move < limit) position += move;
}

}  // namespace

MenuState& Menu() {
    return g_menu;
}

void enterMenu() {
    g_menu.pointerX = 200;
    g_menu.pointerY = 200;
    g_menu.band1 = 0;
    g_menu.band2 = 0;
    g_menu.mouseRead = false;
    LoadPackInto("data\\introduce.pak", kMenuPack);
    LoadPackSprites("data\\wat.pak", 300, 30);
    g_menu.frame = 300;
    runtime::quads::MakeQuadSprite(0, 4);
    runtime::quads::MakeQuadSprite(1, 8);
    LoadFont();
    game::scores::LoadHighScores();
    game::scores::makeHighScorePictures();
    runtime::sound::StopMedia();
    runtime::support::WaitMilliseconds(500);
    game::scores::setHighScoreScrollerRow(0);
    runtime::sound::LoadMedia(0, "sfx\\theme.mp3");
    runtime::sound::PlayMedia(0);
    runtime::support::WaitMilliseconds(500);
}

std::optional<MenuChoice> menuFrame() {
    MenuState& s = g_menu;
    runtime::screen::FillTarget(0, 0, 0);
    sprites::DrawSprite(17, 0, s.backgroundY);
    sprites::DrawSprite(17, 0, s.backgroundY + 600);
    if (--s.backgroundY < -600) s.backgroundY = 0;
    if (runtime::sound::MediaStatus() == 0) {
        runtime::sound::SeekMedia(0);
        runtime::sound::PlayMedia(0);
    }
    sprites::DrawSpriteKeyed(s.frame, 0, 150);
    if (++s.frame == 329) s.frame = 300;  // sprite 329 is loaded but never shown

    for (const Button& b : {kStart, kCredits, kQuit})
        sprites::DrawSpriteKeyed(PointerOn(b.sprite, b.x) ? b.lit : b.sprite, b.x, kButtonY);
    // A click is the left button as the menu's last mouse read left it, tested against the
    // lit pictures, Quit first. A button still held from a level counts only once the menu
    // has read it itself, so firing as the last ball falls does not start a new game.
    if (s.mouseRead && input::MouseButtonDown(1) == 1) {
        if (PointerOn(kQuit.lit, kQuit.x)) return MenuChoice::Quit;
        if (PointerOn(kStart.lit, kStart.x)) return MenuChoice::Start;
        if (PointerOn(kCredits.lit, kCredits.x)) return MenuChoice::Credits;
    }

    sprites::DrawSpriteKeyed(0, 0, 40);
    sprites::DrawSprite(1, 0, 265);
    DrawBand(6, s.band1, 1);
    DrawBand(7, s.band2, 2);
    game::scores::scrollWindowBackground(1);
    drawStarField();
    game::scores::StepHighScoreScroller();
    sprites::DrawSprite(2, 0, 255);
    sprites::DrawSprite(2, 0, 534);

    input::ReadMouse();
    s.mouseRead = true;
    sprites::DrawSpriteKeyed(kPointer, s.pointerX, s.pointerY);
    MovePointer(s.pointerX, input::MouseMoveX(), 800);
    MovePointer(s.pointerY, input::MouseMoveY(), 600);

    runtime::screen::PresentFrame();
    input::ReadKeyboard();
    if (input::KeyIsDown(input::KeyEscape) || QuitRequested()) return MenuChoice::Quit;
    if (input::KeyIsDown(input::KeySpace)) return MenuChoice::Start;
    return std::nullopt;
}

MenuChoice runMenu() {
    for (;;)
        if (const std::optional<MenuChoice> choice = menuFrame()) return *choice;
}

}  // namespace game::presentation
