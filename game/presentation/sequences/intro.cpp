// The logo fading in and out on black, then the flight through the star field with the
// five turning dot clouds between two scrolling bands.
#include <cmath>

#include "game/presentation/dot_models.hpp"
#include "game/presentation/packs/pack_loading.hpp"
#include "game/presentation/sequences/phase_state.hpp"
#include "game/presentation/sequences/sequences.hpp"
#include "game/presentation/star_field.hpp"
#include "runtime/input/input.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/program.hpp"

namespace game::presentation {

namespace {

using runtime::support::WaitMilliseconds;

IntroState g_intro;

bool SkippedOrClosed() {
    return QuitRequested() || runtime::input::KeyIsDown(runtime::input::KeySpace) != 0 ||
           runtime::input::KeyIsDown(runtime::input::KeyEscape) != 0;
}

// Sprites of "data\logo.pak": the intro's middle picture and band, the three dot textures,
// the loading picture and the logo; the dots and the logo become quad sprites 0 to 3.
constexpr int kMiddlePicture = 0;
constexpr int kBand = 1;  // 800 x 20, turned inside itself every frame
constexpr int kCyanDot = 2;
constexpr int kMagentaDot = 3;
constexpr int kGoldDot = 4;
constexpr int kLogo = 5;  // 256 x 256
constexpr int kCyanDotQuad = 0;
constexpr int kMagentaDotQuad = 1;
constexpr int kGoldDotQuad = 2;
constexpr int kLogoQuad = 3;

constexpr PackTarget kLogoPack[] = {
    {PackTarget::Sprite, kMiddlePicture}, {PackTarget::Sprite, kBand},
    {PackTarget::Texture, kCyanDot},      {PackTarget::Texture, kMagentaDot},
    {PackTarget::Texture, kGoldDot},      {PackTarget::Sprite, kLoadingPicture},
    {PackTarget::Texture, kLogo},
};

// Which quad sprite draws which cloud, how fast each turns and how bright its dots are.
struct CloudStyle {
    int model;
    int dax, day, daz;
    int quad;
    int alphaBase;  // -1: follows the zoom
};
constexpr CloudStyle kClouds[] = {
    {1, 0, 0, 2, kGoldDotQuad, 100},   {2, 2, 0, 4, kCyanDotQuad, 10},
    {3, 0, 5, 0, kMagentaDotQuad, 5},  {4, 5, 5, 0, kMagentaDotQuad, 4},
    {5, 1, 1, 3, kMagentaDotQuad, -1},
};

}  // namespace

IntroState& Intro() {
    return g_intro;
}

void turnLeftInPlace(int sprite, int columns, int width, int height) {
    namespace sprites = runtime::sprites;
    sprites::SelectTarget(sprite);
    sprites::SetSpriteClip(sprite, 0, 0, columns, height);
    sprites::DrawSprite(sprite, width - columns, 0);
    sprites::SetSpriteClip(sprite, columns, 0, width, height);
    sprites::DrawSprite(sprite, 0, 0);
    sprites::SelectTarget(-1);
}

bool logoFrame() {
    namespace quads = runtime::quads;
    IntroState& s = g_intro;
    runtime::screen::FillTarget(0, 0, 0);
    quads::BeginQuadScene();
    quads::DrawQuadSprite(kLogoQuad, 272, 172, s.logoAlpha);  // centres the 256 x 256 logo
    quads::EndQuadScene();
    // Both steps run in one frame, so the turn at 255 already steps back to 254.
    if (s.logoRising) {
        if (s.logoAlpha < 255) ++s.logoAlpha;
        if (s.logoAlpha == 255) s.logoRising = false;
    }
    if (!s.logoRising) {
        if (s.logoAlpha > 0) --s.logoAlpha;
        if (s.logoAlpha == 0) return false;  // faded out: this frame is not shown
    }
    runtime::screen::PresentFrame();
    WaitMilliseconds(1);
    runtime::input::ReadKeyboard();
    return !SkippedOrClosed();
}

void runLogo() {
    LoadPackInto("data\\logo.pak", kLogoPack);
    runtime::sound::LoadMedia(0, "sfx\\logo.mp3");  // started by the introduction
    runtime::quads::MakeQuadSprite(kCyanDotQuad, kCyanDot);
    runtime::quads::MakeQuadSprite(kMagentaDotQuad, kMagentaDot);
    runtime::quads::MakeQuadSprite(kGoldDotQuad, kGoldDot);
    runtime::quads::MakeQuadSprite(kLogoQuad, kLogo);
    g_intro.logoAlpha = 0;
    g_intro.logoRising = true;
    while (logoFrame()) {
    }
    if (QuitRequested()) return;
    WaitMilliseconds(1000);
    runtime::screen::FillTarget(0, 0, 0);
}

bool introFrame() {
    namespace sprites = runtime::sprites;
    IntroState& s = g_intro;
    runtime::screen::FillTarget(0, 0, 0);
    drawStarField();
    sprites::DrawSprite(kMiddlePicture, 0, 220);
    sprites::DrawSprite(kBand, 0, 380);
    sprites::DrawSprite(kBand, 0, 200);
    // The band turns one pixel to the left; from the second frame on the bands above are
    // drawn from its second column, by the clip the turn leaves.
    turnLeftInPlace(kBand, 1, 800, 20);

    for (const CloudStyle& cloud : kClouds) {
        SelectModel(cloud.model);
        RotateModel(cloud.dax, cloud.day, cloud.daz);
        const int base =
            cloud.alphaBase >= 0 ? cloud.alphaBase : int(std::nearbyint(50.0f - 4.0f * s.zoom));
        DrawModel(cloud.quad, 400, 300, s.zoom, base);
    }

    runtime::screen::PresentFrame();
    WaitMilliseconds(1);
    runtime::input::ReadKeyboard();
    s.zoom += s.zoomStep;
    if (s.zoom > 2.0f || s.zoom < 1.0f) s.zoomStep = -s.zoomStep;
    return !SkippedOrClosed();
}

void runIntro() {
    g_intro.zoom = 1.0f;
    g_intro.zoomStep = 0.005f;
    runtime::sound::PlayMedia(0);
    while (introFrame()) {
    }
    if (QuitRequested()) return;
    runtime::screen::FillTarget(0, 0, 0);
    runtime::sprites::DrawSprite(kLoadingPicture, 0, 210);
    runtime::screen::PresentFrame();
    WaitMilliseconds(1000);
}

}  // namespace game::presentation
