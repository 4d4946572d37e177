#include "game/flow/pad_meaning.hpp"

namespace game::flow {

namespace input = runtime::input;

runtime::input::PadMeaning padMeaningOf(Phase phase) {
    switch (phase) {
        case Phase::Logo:
        case Phase::Intro:
            // Space and Escape both skip.
            return {.south = input::KeySpace, .start = input::KeyEscape, .back = input::KeySpace};
        case Phase::MenuEntry:
        case Phase::Menu:
            // A clicks with the pointer; Start starts a game (Escape would quit the program).
            return {.movesPointer = true, .south = input::kPadLeftButton, .start = input::KeySpace};
        case Phase::GameStart:
        case Phase::LevelSetup:
        case Phase::LevelPlay:
            // A serves and fires, Start pauses.
            return {
                .movesPointer = true, .south = input::kPadLeftButton, .start = input::KeyEscape};
        case Phase::Pause:
            // A and Start go on (Return), Back goes to the menu (Space).
            return {.south = input::KeyReturn, .start = input::KeyReturn, .back = input::KeySpace};
        case Phase::LevelComplete:
            return {.south = input::KeySpace, .back = input::KeySpace};
        case Phase::Ending:
        case Phase::Credits:
            return {.south = input::KeyEscape, .start = input::KeyEscape, .back = input::KeySpace};
        case Phase::GameOver:
            // The name is typed; Start leaves as Escape does (an unfinished name is dropped).
            return {.start = input::KeyEscape};
        case Phase::Launcher:
        case Phase::PacingChoice:
        case Phase::ScreenOpen:
        case Phase::Exit:
            break;
    }
    return {};
}

}  // namespace game::flow
