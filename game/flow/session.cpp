#include "game/flow/session.hpp"

#include "game/levels/bricks.hpp"
#include "game/levels/level_file.hpp"
#include "game/levels/level_table.hpp"
#include "game/play/play_state.hpp"
#include "game/presentation/packs/pack_loading.hpp"
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

// Where each entry of the play pack goes: a picture (mode 0), a quad texture (mode 4) or
// a sound.
constexpr Target S(int n) {
    return {Target::Sprite, n};
}
constexpr Target T(int n) {
    return {Target::Texture, n};
}
constexpr Target W(int n) {
    return {Target::Sound, n};
}

// "data\level1.pak", entry by entry.
constexpr Target kPlayPack[] = {
    S(0),  S(1),  S(100), S(101), S(102), S(103), S(104), T(6),   S(7),   T(9),  T(8),
    T(10), S(11), T(12),  S(13),  S(14),  S(15),  S(16),  S(17),  S(18),  S(19), W(0),
    W(1),  W(2),  W(3),   W(4),   W(5),   W(6),   S(20),  S(21),  S(22),  S(24), S(23),
    S(25), S(26), S(27),  T(28),  S(29),  W(7),   W(8),   S(105), S(106), S(53), S(30),
    T(31), W(9),  S(33),  S(34),  S(35),  S(36),  S(37),  T(38),  T(39),  S(40), S(41),
    S(42), S(43), S(44),  S(45),  S(46),  S(349), S(350), S(351), S(47),  S(48), S(49),
    S(60), S(61), S(62),  S(63),  S(64),  S(65),  S(66),  S(67),  S(68),  S(69), S(70),
    S(71), S(72), S(73),  T(74),  S(75),  S(76),  S(77),  T(78),  W(10),  W(11), W(12),
};
static_assert(std::size(kPlayPack) == 88);

// The quad sprites of play (glows, flash, popup, sparks, ghost, lamp, barrier light) and
// the texture sprites they show.
constexpr int kQuadSources[12] = {6, 8, 9, 10, 12, 8, 28, 31, 38, 39, 74, 78};

void LoadBackground(const char* pack) {
    if (pack == nullptr) return;
    const Target targets[4] = {
        S(game::levels::kBackgroundSprites[0]), S(game::levels::kBackgroundSprites[1]),
        S(game::levels::kBackgroundSprites[2]), S(game::levels::kBackgroundSprites[3])};
    game::presentation::LoadPackInto(pack, targets);
}

// Reads "data\level1.pak" into the play sprites and sounds.
void loadPlayPictures() {
    game::presentation::LoadPackInto("data\\level1.pak", kPlayPack);
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
    runtime::sprites::DrawSpriteKeyed(900, 0, 210);
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
    runtime::sprites::MakeBlankSprite(348, 32, 32);
    for (int q = 0; q < 12; ++q)
        runtime::quads::MakeQuadSprite(q, kQuadSources[q]);
    game::presentation::LoadPackSprites("data\\sc.pak", 300, 10);
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
