#include "game/play/level_loop.hpp"

#include "game/levels/bricks.hpp"
#include "game/levels/level_table.hpp"
#include "game/play/steps.hpp"
#include "game/presentation/packs/pack_loading.hpp"
#include "game/state/game_state.hpp"
#include "runtime/input/input.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/program.hpp"

namespace game::play {

using runtime::sprites::DrawSprite;
using runtime::sprites::DrawSpriteKeyed;
using runtime::sprites::SetSpriteClip;
using state::Game;

namespace {

// The sprite the screen is copied into for "screen.bmp".
constexpr int kScreenshot = 500;

// The picture behind the level: by the level's place in its group of five in the full
// game, by the file's background code for a level file.
int BackgroundSprite() {
    const state::GameState& game = Game();
    if (game.playMode == state::PlayMode::SingleLevel)
        return game::levels::backgroundForCode(game.backgroundCode).sprite;
    return game::levels::backgroundSpriteFor(game.levelNumber);
}

void DrawBackground() {
    state::GameState& game = Game();
    PlayState& s = Play();
    const int background = BackgroundSprite();
    if (background != 0) {
        DrawSprite(background, 0, game.backgroundScroll);
        DrawSprite(background, 0, game.backgroundScroll - 600);
    }
    // The level-2 decoration sinks one pixel every six frames until it is out of sight.
    if (game.levelNumber == 2 && game.playMode == state::PlayMode::FullGame &&
        game.decorationHeight < 700) {
        DrawSpriteKeyed(play_pack::kPlanet, 450, game.decorationHeight);
        if (++s.decorationTick > 5) {
            game.decorationHeight += 1;
            s.decorationTick = 0;
        }
    }
    if (++game.backgroundScroll == 600) game.backgroundScroll = 0;
}

void DrawBricks() {
    for (const game::levels::Brick& brick : game::levels::Bricks()) {
        if (!game::levels::IsBrickCode(brick.code)) continue;
        DrawSpriteKeyed(brick.code, brick.x, brick.y);
        if (brick.hits >= 1)
            DrawSpriteKeyed(play_pack::HitsLeftMark(brick.hits), brick.x + 8, brick.y + 8);
    }
}

void GlowPass() {
    runtime::quads::BeginQuadScene();
    runtime::quads::SetQuadBlend(5, 7);
    DrawLamp();
    DrawBarrierGlow();
    DrawBallGlows();
    DrawGhost();
    DrawEffects();
    UpdateFountain();
    DrawShotGlows();
    runtime::quads::EndQuadScene();
}

// The level's opening: a lattice scrolling up between two posts and the title sliding
// down, for 300 frames; the ball cannot be served until it is over.
void DrawIntroOverlay() {
    PlayState& s = Play();
    if (s.introCounter >= 300) return;
    constexpr int kLattice = play_pack::kIntroLattice;
    DrawSpriteKeyed(kLattice, 100, 0);
    runtime::sprites::SelectTarget(kLattice);
    SetSpriteClip(kLattice, 0, 0, 600, 2);
    DrawSprite(kLattice, 0, 598);
    SetSpriteClip(kLattice, 0, 2, 600, 600);
    DrawSprite(kLattice, 0, 0);
    runtime::sprites::SelectTarget(-1);
    DrawSpriteKeyed(play_pack::kSidePost, 90, 0);
    DrawSpriteKeyed(play_pack::kSidePost, 690, 0);
    DrawSpriteKeyed(play_pack::kGetReadyTitle, 100, s.introTitleY);
    s.introTitleY += 3;
    if (++s.introCounter == 20) runtime::sound::PlaySoundOnce(play_pack::kGetReadySound);
}

}  // namespace

void levelStart() {
    PlayState& s = Play();
    StartAllParticles();
    s.paddleX = 200;
    s.paddleY = kPaddleY;
    runtime::sound::LoadMedia(0, "sfx\\level00.mp3");
    runtime::sound::PlayMedia(0);
    s.ball.active = false;
    for (Effect& effect : s.effects)
        effect.active = false;
    Game().backgroundScroll = 0;
    s.introCounter = 0;
    s.introTitleY = -200;
    s.gauge = 0;
    s.doubleScoreCounter = 0;
    s.doubleScoreBannerX = 620;
    runtime::support::WaitMilliseconds(1000);
}

LevelOutcome playFrame() {
    PlayState& s = Play();
    // The scrolling background, drawn twice, writes every pixel when its picture is as
    // large as the screen; black shows only without one.
    const int background = BackgroundSprite();
    if (background == 0 || !runtime::sprites::SpriteCoversTarget(background))
        runtime::screen::FillTarget(0, 0, 0);
    if (runtime::sound::MediaStatus() == 0) {
        runtime::sound::SeekMedia(0);
        runtime::sound::PlayMedia(0);
    }
    DrawBackground();
    DrawSpriteKeyed(play_pack::kPlayfieldFrame, 0, 0);
    DrawLetterPanel();
    UpdateBarrier();
    UpdateExtraBalls();
    if (UpdateMainBall()) return LevelOutcome::Lost;
    TickCooldown(s.ball.paddleCooldown, 10);
    MovePaddle();
    Serve();
    if (UpdateFlyingRocket()) return LevelOutcome::Cleared;
    DrawBricks();
    if (BallAgainstBricks(s.ball, kMainBallSprite)) return LevelOutcome::Cleared;
    if (s.extraA.active && BallAgainstBricks(s.extraA, kExtraBallSprite))
        return LevelOutcome::Cleared;
    if (s.extraB.active && BallAgainstBricks(s.extraB, kExtraBallSprite))
        return LevelOutcome::Cleared;
    if (UpdateGun()) return LevelOutcome::Cleared;
    TickBrickCooldowns();
    DrawSpriteKeyed(s.paddleSprite, s.paddleX, s.paddleY);
    DrawGauge();
    GlowPass();
    DrawBalls();
    state::updateScoreText();
    state::drawScore();
    UpdateDoubleScore();
    DrawIntroOverlay();
    state::drawLives();
    UpdateCapsules();
    UpdateBrickDrop();
    UpdateStreak();
    DrawAmmunition();
    UpdateStreakAward();
    UpdateArmedRocket();
    UpdateLetterAward();
    UpdateDescent();
    if (BricksTooLow()) return LevelOutcome::Lost;

    runtime::screen::PresentFrame();
    runtime::input::ReadKeyboard();
    if (runtime::input::KeyIsDown(runtime::input::KeyS)) {
        // Held down, it saves the screen on every frame.
        runtime::sprites::CaptureSprite(kScreenshot, 0, 0, 800, 600);
        runtime::sprites::SaveSpriteBitmap(kScreenshot, "screen.bmp");
    }
    if (runtime::input::KeyIsDown(runtime::input::KeyEscape)) return LevelOutcome::Paused;
    return LevelOutcome::None;
}

LevelOutcome playLevel(bool fromSetUp) {
    if (fromSetUp) levelStart();
    for (;;) {
        const LevelOutcome outcome = playFrame();
        if (outcome != LevelOutcome::None) return outcome;
        // Differs: losing the focus during a level pauses it
        // (docs/differences.md, The game on a Linux desktop)
        // A full screen that has lost the focus pauses as Escape would, so the player loses
        // nothing while in another window.
        if (runtime::screen::State().active == 0) return LevelOutcome::Paused;
    }
}

PauseOutcome runPause(void (*overBanner)(int frame)) {
    int p = 0;
    int q = 0;
    for (int frame = 0;; ++frame) {
        // Drawn over the last frame of play, which stays on screen behind the banner.
        DrawSprite(play_pack::kPauseBand, p, 200);
        DrawSprite(play_pack::kPauseBand, p + 800, 200);
        DrawSpriteKeyed(play_pack::kPauseSparks, q, 200);
        DrawSpriteKeyed(play_pack::kPauseSparks, q + 800, 200);
        DrawSpriteKeyed(play_pack::kPauseText, 0, 200);
        p -= 2;
        q -= 1;
        if (p <= -800) p = 0;
        if (q <= -800) q = 0;
        if (overBanner) overBanner(frame);
        runtime::screen::PresentFrame();
        runtime::input::ReadKeyboard();
        if (runtime::input::KeyIsDown(runtime::input::KeySpace)) {
            runtime::screen::FillTarget(0, 0, 0);
            if (Game().playMode == state::PlayMode::FullGame)
                DrawSprite(game::presentation::kLoadingPicture, 0, 210);
            runtime::screen::PresentFrame();
            return PauseOutcome::QuitToMenu;
        }
        if (runtime::input::KeyIsDown(runtime::input::KeyReturn)) return PauseOutcome::Resume;
    }
}

}  // namespace game::play
