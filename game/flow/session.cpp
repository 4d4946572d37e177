#include "game/flow/session.hpp"

#include "game/levels/bricks.hpp"
#include "game/levels/level_file.hpp"
#include "game/levels/level_table.hpp"
#include "game/play/play_state.hpp"
#include "game/presentation/packs/pack_loading.hpp"
#include "game/presentation/packs/play_pack.hpp"
#include "game/state/game_state.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/program.hpp"

namespace game::flow {

using state::Game;

namespace {

using Target = game::presentation::PackTarget;
namespace play_pack = game::presentation::play_pack;

void LoadBackground(const char* pack) {
    if (pack == nullptr) return;
    Target targets[4] = {};
    for (int i = 0; i < 4; ++i)
        targets[i] = {Target::Sprite, game::levels::kBackgroundSprites[i]};
    game::presentation::LoadPackInto(pack, targets);
}

// Reads "data\level1.pak" into the play sprites and sounds.
void loadPlayPictures() {
    game::presentation::LoadPackInto("data\\level1.pak", play_pack::kEntries);
}

}  // namespace

void prepareGame(state::PlayMode mode, const std::string& levelFilePath) {
    state::GameState& game = Game();
    game = state::GameState{};
    game.scoreText = "0000000";
    game.playMode = mode;
    game.levelFilePath = mode == state::PlayMode::SingleLevel ? levelFilePath : std::string();
    runtime::support::NewList(game::levels::Bricks());
    game::play::Play() = game::play::PlayState{};
}

void startGameFromMenu() {
    // Every picture of the earlier phases goes; the loading picture stays.
    for (int n = 0; n <= 800; ++n)
        if (runtime::sprites::FindSprite(n) != nullptr) runtime::sprites::DiscardSprite(n);
    runtime::support::WaitMilliseconds(500);
    runtime::screen::FillTarget(0, 0, 0);
    runtime::sprites::DrawSpriteKeyed(game::presentation::kLoadingPicture, 0, 210);
    runtime::screen::PresentFrame();
    state::GameState& game = Game();
    game.lives = 3;
    game.score = 0;
    game.scoreText = "0000000";
}

void startGame() {
    state::GameState& game = Game();
    game.lives = 3;
    game.backgroundScroll = 0;
    runtime::sound::StopMedia();
    game::play::ResetGameState();
    game.levelNumber = 1;
    game.decorationHeight = -450;

    loadPlayPictures();
    runtime::sprites::MakeBlankSprite(play_pack::kNoHitsLeftMark, 32, 32);
    for (const play_pack::QuadSource& quad : play_pack::kQuads)
        runtime::quads::MakeQuadSprite(quad.quad, quad.texture);
    game::presentation::LoadPackSprites("data\\sc.pak", state::kFirstScoreDigit, 10);
}

SetUpResult setUpLevel() {
    state::GameState& game = Game();
    if (game.levelNumber == 16) return SetUpResult::AllLevelsDone;
    game::play::ResetLevelState();
    const bool levelFile = game.playMode == state::PlayMode::SingleLevel;
    if (!levelFile) LoadBackground(game::levels::backgroundPackFor(game.levelNumber));
    game.barrierFlag = 0;
    game.descentFlag = 0;
    runtime::support::NewList(game::levels::Bricks());
    if (levelFile) {
        game::levels::loadLevelFile(game.levelFilePath);
        LoadBackground(game::levels::backgroundForCode(game.backgroundCode).pack);
    } else {
        game::levels::loadBuiltInLevel(game.levelNumber);
    }
    return SetUpResult::Ready;
}

}  // namespace game::flow
