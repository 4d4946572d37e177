// The title menu: a scrolling background, the animation, three buttons hit pixel by pixel
// under a pointer moved with the mouse, and the high-score table rolling through a window
// over a drifting panel, with the star field plotted over the lot.
#include <algorithm>

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

// Sprites of "data\introduce.pak". The spares and the two glows (textures of quad sprites 0
// and 1) are read but not drawn by the menu.
constexpr int kTitle = 0;
constexpr int kWindowBackground = 1;  // 800 x 268, turned inside itself every frame
constexpr int kWindowBorder = 2;
constexpr int kSpare1 = 3;
constexpr int kCyanGlow = 4;
constexpr int kSpare2 = 5;
constexpr int kDustLayer = 6;
constexpr int kSparkLayer = 7;
constexpr int kMagentaGlow = 8;
constexpr int kStartButton = 9;
constexpr int kCreditsButton = 10;
constexpr int kQuitButton = 11;
constexpr int kSpare3 = 12;
constexpr int kPointer = 13;
constexpr int kLitStartButton = 14;
constexpr int kLitCreditsButton = 15;
constexpr int kLitQuitButton = 16;
constexpr int kBackground = 17;  // 800 x 600, scrolled up
constexpr int kSpare4 = 18;
constexpr int kCyanGlowQuad = 0;
constexpr int kMagentaGlowQuad = 1;

constexpr PackTarget kMenuPack[] = {
    {PackTarget::Sprite, kTitle},          {PackTarget::Sprite, kWindowBackground},
    {PackTarget::Sprite, kWindowBorder},   {PackTarget::Sprite, kSpare1},
    {PackTarget::Texture, kCyanGlow},      {PackTarget::Sprite, kSpare2},
    {PackTarget::Sprite, kDustLayer},      {PackTarget::Sprite, kSparkLayer},
    {PackTarget::Texture, kMagentaGlow},   {PackTarget::Sprite, kStartButton},
    {PackTarget::Sprite, kCreditsButton},  {PackTarget::Sprite, kQuitButton},
    {PackTarget::Sprite, kSpare3},         {PackTarget::Sprite, kPointer},
    {PackTarget::Sprite, kLitStartButton}, {PackTarget::Sprite, kLitCreditsButton},
    {PackTarget::Sprite, kLitQuitButton},  {PackTarget::Sprite, kBackground},
    {PackTarget::Sprite, kSpare4},         {PackTarget::Sprite, kLoadingPicture},
};

constexpr int kButtonY = 190;
constexpr int kPanelY = 265;  // the window's panel, under its borders at 255 and 534
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

struct Button {
    int x;
    int sprite;
    int lit;
};
constexpr Button kStart{30, kStartButton, kLitStartButton};
constexpr Button kCredits{295, kCreditsButton, kLitCreditsButton};
constexpr Button kQuit{550, kQuitButton, kLitQuitButton};

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

// The part of the background picture, drawn with its top at row top, that falls inside
// the screen rectangle [left, right) x [from, to).
void DrawBackgroundPart(int top, int left, int right, int from, int to) {
    from = std::max(from, top);
    to = std::min(to, top + kScreenHeight);
    if (left >= right || from >= to) return;
    sprites::SetSpriteClip(kBackground, left, from - top, right - left, to - from);
    sprites::DrawSprite(kBackground, left, from);
}

// The scrolling background, in two copies of the screen-sized picture, but for where the
// window's panel goes later in the frame: the panel is drawn opaque over it, so nothing
// there would be seen, and the frame copies a third less.
void DrawBackgroundAroundPanel(int y) {
    // The panel's shown part, as its copy will find it: one reaching outside the picture is
    // not drawn at all.
    const sprites::SpriteRecord* panel = sprites::FindSprite(kWindowBackground);
    const bool covers = panel && panel->surface && panel->shownWidth > 0 &&
                        panel->shownHeight > 0 && panel->clipX >= 0 && panel->clipY >= 0 &&
                        panel->clipX + panel->shownWidth <= panel->surface->width &&
                        panel->clipY + panel->shownHeight <= panel->surface->height;
    const int right = covers ? std::clamp<int>(panel->shownWidth, 0, kScreenWidth) : 0;
    const int bottom =
        covers ? std::clamp(kPanelY + panel->shownHeight, kPanelY, kScreenHeight) : kPanelY;
    for (const int top : {y, y + kScreenHeight}) {
        DrawBackgroundPart(top, 0, kScreenWidth, 0, kPanelY);
        DrawBackgroundPart(top, right, kScreenWidth, kPanelY, bottom);
        DrawBackgroundPart(top, 0, kScreenWidth, bottom, kScreenHeight);
    }
    sprites::SetSpriteClip(kBackground, -1, 0, 0, 0);
}

// A move that would take the pointer onto or past an edge is dropped for that axis.
void MovePointer(int& position, int move, int limit) {
    if (0 < position + move && position + move < limit) position += move;
}

}  // namespace

MenuState& Menu() {
    return g_menu;
}

void loadMenuPictures() {
    LoadPackInto("data\\introduce.pak", kMenuPack);
}

void enterMenu() {
    g_menu.pointerX = 200;
    g_menu.pointerY = 200;
    g_menu.band1 = 0;
    g_menu.band2 = 0;
    g_menu.mouseRead = false;
    loadMenuPictures();
    LoadPackSprites("data\\wat.pak", kFirstAnimationFrame, kAnimationFrames);
    g_menu.frame = kFirstAnimationFrame;
    runtime::quads::MakeQuadSprite(kCyanGlowQuad, kCyanGlow);
    runtime::quads::MakeQuadSprite(kMagentaGlowQuad, kMagentaGlow);
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
    // The two copies of the scrolling background write every pixel when its picture is as
    // large as the screen; black shows only where it is smaller or missing.
    if (sprites::SpriteCoversTarget(kBackground)) {
        DrawBackgroundAroundPanel(s.backgroundY);
    } else {
        runtime::screen::FillTarget(0, 0, 0);
        sprites::DrawSprite(kBackground, 0, s.backgroundY);
        sprites::DrawSprite(kBackground, 0, s.backgroundY + 600);
    }
    if (--s.backgroundY < -600) s.backgroundY = 0;
    if (runtime::sound::MediaStatus() == 0) {
        runtime::sound::SeekMedia(0);
        runtime::sound::PlayMedia(0);
    }
    sprites::DrawSpriteKeyed(s.frame, 0, 150);
    if (++s.frame == kAnimationEnd) s.frame = kFirstAnimationFrame;

    for (const Button& b : {kStart, kCredits, kQuit})
        sprites::DrawSpriteKeyed(PointerOn(b.sprite, b.x) ? b.lit : b.sprite, b.x, kButtonY);
    // Differs: a button still held from a level does not click in the menu
    // (docs/differences.md, Keyboard and mouse)
    // A click is the left button as the menu's last mouse read left it, tested against the
    // lit pictures, Quit first. A button still held from a level counts only once the menu
    // has read it itself, so firing as the last ball falls does not start a new game.
    if (s.mouseRead && input::MouseButtonDown(1) == 1) {
        if (PointerOn(kQuit.lit, kQuit.x)) return MenuChoice::Quit;
        if (PointerOn(kStart.lit, kStart.x)) return MenuChoice::Start;
        if (PointerOn(kCredits.lit, kCredits.x)) return MenuChoice::Credits;
    }

    sprites::DrawSpriteKeyed(kTitle, 0, 40);
    sprites::DrawSprite(kWindowBackground, 0, kPanelY);
    DrawBand(kDustLayer, s.band1, 1);
    DrawBand(kSparkLayer, s.band2, 2);
    game::scores::scrollWindowBackground(kWindowBackground);
    drawStarField();
    game::scores::StepHighScoreScroller();
    sprites::DrawSprite(kWindowBorder, 0, 255);
    sprites::DrawSprite(kWindowBorder, 0, 534);

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
