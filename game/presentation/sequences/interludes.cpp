// Between and after the levels: the paddle's picture rising through a beam after every
// cleared level, and the ending after the fifteenth, with its three scrolling layers.
#include "game/play/play_state.hpp"
#include "game/presentation/packs/pack_loading.hpp"
#include "game/presentation/packs/play_pack.hpp"
#include "game/presentation/sequences/phase_state.hpp"
#include "game/state/game_state.hpp"
#include "runtime/input/input.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/program.hpp"

namespace game::presentation {

namespace {

namespace quads = runtime::quads;
namespace sprites = runtime::sprites;
using runtime::support::WaitMilliseconds;

// "data\theend.pak", read into sprites 0 to 5: the three layers from far to near, the banner
// and the two pages of text.
constexpr int kFarLayer = 0;
constexpr int kMiddleLayer = 1;
constexpr int kNearLayer = 2;
constexpr int kEndBanner = 3;
constexpr int kFirstPage = 4;
constexpr int kSecondPage = 5;

LevelCompleteState g_complete;
EndingState g_ending;
int g_textCounter = 0;

// Layers that repeat every 800 pixels start again once they have moved a whole width.
void Wrap(int& offset) {
    if (offset <= -800) offset = 0;
}

}  // namespace

LevelCompleteState& LevelComplete() {
    return g_complete;
}

EndingState& Ending() {
    return g_ending;
}

int& TextCounter() {
    return g_textCounter;
}

bool levelCompleteFrame() {
    LevelCompleteState& s = g_complete;
    runtime::screen::FillTarget(0, 0, 0);
    sprites::DrawSpriteKeyed(play_pack::kPlayfieldFrame, 0, 0);
    s.rise -= 2;
    if (s.rise < -128) return false;

    // The light band turns two pixels to the left inside itself, leaving its clip set.
    sprites::DrawSpriteKeyed(play_pack::kIntroLattice, 0, 100);
    turnLeftInPlace(play_pack::kIntroLattice, 2, 600, 600);
    sprites::DrawSpriteKeyed(play_pack::kSidePost, 90, 0);
    sprites::DrawSpriteKeyed(play_pack::kSidePost, 690, 0);

    quads::BeginQuadScene();
    quads::SetQuadBlend(5, 7);
    quads::TurnQuadSprite(play_pack::kEmblemQuad, s.angle, 0);
    for (int y = 0; y <= 768; y += 128)
        quads::DrawQuadSprite(play_pack::kBeamQuad, 336, y, s.beamAlpha);
    quads::DrawQuadSprite(play_pack::kEmblemQuad, s.driftX, s.rise, 255);
    if (s.driftX < 336)
        ++s.driftX;
    else if (s.driftX > 336)
        --s.driftX;
    if (++s.angle > 360) s.angle = 0;
    quads::EndQuadScene();

    s.beamAlpha += s.beamDirection == 0 ? 2 : -2;
    if (s.beamAlpha > 130) s.beamDirection = 1;
    if (s.beamAlpha < 30) s.beamDirection = 0;

    sprites::DrawSpriteKeyed(play_pack::kLevelCompleteMedal, 325, -55);
    sprites::DrawSpriteKeyed(play_pack::kLevelCompleteBanner, 0, 150);
    game::state::drawHud();
    runtime::screen::PresentFrame();
    runtime::input::ReadKeyboard();
    return runtime::input::KeyIsDown(runtime::input::KeySpace) == 0 && !QuitRequested();
}

void runLevelComplete() {
    runtime::sound::StopMedia();
    runtime::sound::LoadMedia(0, "sfx\\win.mp3");  // played once
    runtime::sound::PlayMedia(0);
    g_complete = LevelCompleteState{};
    g_complete.driftX = game::play::Play().paddleX;
    WaitMilliseconds(50);
    while (levelCompleteFrame()) {
    }
}

bool endingFrame() {
    EndingState& s = g_ending;
    runtime::screen::FillTarget(0, 0, 0);
    sprites::DrawSprite(kFarLayer, s.far, 0);
    sprites::DrawSprite(kFarLayer, s.far + 800, 0);
    sprites::DrawSpriteKeyed(kMiddleLayer, s.middle, 0);
    sprites::DrawSpriteKeyed(kMiddleLayer, s.middle + 800, 0);
    // The far layer moves every fifth frame, the middle one every second, the near one
    // every frame.
    if (++s.farCount == 5) {
        s.farCount = 0;
        --s.far;
    }
    if (++s.middleCount == 2) {
        s.middleCount = 0;
        --s.middle;
    }
    --s.near;
    Wrap(s.far);
    Wrap(s.middle);
    Wrap(s.near);

    quads::BeginQuadScene();
    quads::TurnQuadSprite(play_pack::kEmblemQuad, s.angle, 0);
    quads::DrawQuadSprite(play_pack::kEmblemQuad, s.driftX, 250, 255);
    quads::EndQuadScene();
    if (++s.angle > 360) s.angle = 0;
    if (s.driftX < 400) ++s.driftX;

    sprites::DrawSpriteKeyed(kNearLayer, s.near, 0);
    sprites::DrawSpriteKeyed(kNearLayer, s.near + 800, 0);
    sprites::DrawSpriteKeyed(kEndBanner, 0, 100);
    sprites::DrawSpriteKeyed(kFirstPage, 0, s.textY);
    sprites::DrawSpriteKeyed(kSecondPage, 0, s.textY + 600);
    if (++g_textCounter == 5) {
        g_textCounter = 0;
        --s.textY;
    }
    if (s.textY < -1200) s.textY = 600;

    runtime::screen::PresentFrame();
    runtime::input::ReadKeyboard();
    return runtime::input::KeyIsDown(runtime::input::KeyEscape) == 0 && !QuitRequested();
}

void runEnding() {
    runtime::screen::FillTarget(0, 0, 0);
    runtime::screen::PresentFrame();
    WaitMilliseconds(500);
    runtime::sound::LoadMedia(0, "sfx\\high.mp3");  // played once
    runtime::sound::PlayMedia(0);
    LoadPackSprites("data\\theend.pak", kFarLayer, 6);
    g_ending = EndingState{};  // the text counter goes on from where it was
    while (endingFrame()) {
    }
    if (QuitRequested()) return;
    WaitMilliseconds(500);
}

}  // namespace game::presentation
