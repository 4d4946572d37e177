#pragma once

#include <string>

#include "game/state/game_state.hpp"

// Starting a game and setting up each level: the pictures and sounds all of play uses,
// the game's start values, and a level's bricks and background.
namespace game::flow {

enum class SetUpResult { Ready, AllLevelsDone };

// After the launcher, before a game is started: the play mode it chose (a level file's
// path kept as given), and the game's state, score text, brick list and play tables at
// their start values, so that nothing of an earlier run carries over (the barrier timer
// would).
void prepareGame(state::PlayMode mode, const std::string& levelFilePath);

// The start of a game from the title menu: frees the earlier phases' pictures, shows the
// loading picture, and sets lives, score and the score text.
void startGameFromMenu();

// The part of a game start that both play modes run (a level file starts here): lives,
// level 1, the play pictures and sounds, the quad sprites and the score digits. The first
// level's set-up comes next.
void startGame();

// Sets up the level of the current level number: AllLevelsDone once the fifteenth is
// cleared. Otherwise the level state starts over and the bricks and background are read.
SetUpResult setUpLevel();

}  // namespace game::flow
