#include <string>

#include "game/presentation/font.hpp"
#include "game/presentation/packs/pack_loading.hpp"
#include "game/presentation/star_field.hpp"
#include "game/scores/high_scores.hpp"
#include "game/state/game_state.hpp"
#include "runtime/input/input.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"

namespace game::scores {

using runtime::input::KeyWentUp;
using runtime::sprites::DrawSprite;
using runtime::sprites::DrawSpriteKeyed;

namespace {

// The letter keys in the order they are asked, with the letter each types.
struct LetterKey {
    runtime::input::KeyCode key;
    char letter;
};
constexpr LetterKey kLetterKeys[] = {
    {0x1E, 'a'}, {0x30, 'b'}, {0x2E, 'c'}, {0x20, 'd'}, {0x12, 'e'}, {0x21, 'f'}, {0x22, 'g'},
    {0x23, 'h'}, {0x17, 'i'}, {0x24, 'j'}, {0x25, 'k'}, {0x26, 'l'}, {0x32, 'm'}, {0x31, 'n'},
    {0x18, 'o'}, {0x19, 'p'}, {0x10, 'q'}, {0x13, 'r'}, {0x1F, 's'}, {0x14, 't'}, {0x16, 'u'},
    {0x2F, 'v'}, {0x11, 'w'}, {0x2D, 'x'}, {0x15, 'y'}, {0x2C, 'z'},
};

constexpr int kNameSlots = 10;

// Sprites and sounds of "data\gameover.pak".
constexpr int kTitle = 0;
constexpr int kNamePrompt = 1;
constexpr int kEmptySlot = 2;
constexpr int kWindowBackground = 3;  // 800 x 268, turned inside itself every frame
constexpr int kWindowBorder = 4;
constexpr int kGameOverSound = 0;
constexpr int kKeySound = 1;

bool qualified = false;
std::optional<std::string> enteredName;
std::string typedName;

void LoadGameOverPack() {
    using game::presentation::PackTarget;
    constexpr PackTarget kPack[] = {
        {PackTarget::Sprite, kTitle},        {PackTarget::Sprite, kNamePrompt},
        {PackTarget::Sprite, kEmptySlot},    {PackTarget::Sprite, kWindowBackground},
        {PackTarget::Sprite, kWindowBorder}, {PackTarget::Sound, kGameOverSound},
        {PackTarget::Sound, kKeySound},
    };
    game::presentation::LoadPackInto("data\\gameover.pak", kPack);
}

// One frame of the name entry: the prompt, the ten slots, and the keys let go since the
// last frame.
void stepNameEntry() {
    DrawSpriteKeyed(kNamePrompt, 0, 320);
    for (int k = 0; k < kNameSlots; ++k) {
        const int x = 235 + 32 * k;
        if (std::size_t(k) < typedName.size())
            DrawSpriteKeyed(static_cast<unsigned char>(typedName[std::size_t(k)]), x, 470);
        else
            DrawSpriteKeyed(kEmptySlot, x, 470);
    }
    runtime::input::ReadKeyboard();
    // Kept: the length is checked once, so letters let go in the same frame are all
    // taken, even past the tenth; the table saves the first ten.
    if (typedName.size() < kNameSlots) {
        for (const LetterKey& letter : kLetterKeys) {
            if (KeyWentUp(letter.key)) {
                typedName.push_back(letter.letter);
                runtime::sound::PlaySoundOnce(kKeySound);
            }
        }
    }
    if (!typedName.empty() && KeyWentUp(runtime::input::KeyBackspace)) typedName.pop_back();
    if (KeyWentUp(runtime::input::KeyReturn)) {
        SaveHighScore(game::state::Game().score, typedName);
        enteredName = typedName;
        qualified = false;
    }
}

}  // namespace

void runGameOver() {
    resetWindowPhase();
    qualified = false;
    enteredName.reset();
    typedName.clear();
    runtime::sound::StopMedia();
    restartHighScoreScroller(100);

    runtime::screen::FillTarget(0, 0, 0);
    runtime::screen::PresentFrame();
    runtime::sound::LoadMedia(0, "sfx\\credits.mp3");
    runtime::sound::PlayMedia(0);
    LoadGameOverPack();
    game::presentation::LoadFont();
    runtime::sound::PlaySoundOnce(kGameOverSound);
    LoadHighScores();
    qualified = scoreQualifies(game::state::Game().score);
    makeHighScorePictures();

    for (;;) {
        runtime::screen::FillTarget(0, 0, 0);
        if (runtime::sound::MediaStatus() == 0) {
            runtime::sound::SeekMedia(0);
            runtime::sound::PlayMedia(0);
        }
        DrawSpriteKeyed(kTitle, 0, 0);
        DrawSprite(kWindowBackground, 0, 265);
        DrawSprite(kWindowBorder, 0, 256);
        DrawSprite(kWindowBorder, 0, 533);
        if (qualified)
            stepNameEntry();
        else
            StepHighScoreScroller();
        game::presentation::drawStarField();
        scrollWindowBackground(kWindowBackground);
        runtime::screen::PresentFrame();
        runtime::input::ReadKeyboard();
        // Escape drops an unfinished name. Closing the window ends the phase too, with
        // nothing saved; the program then ends.
        if (runtime::input::KeyIsDown(runtime::input::KeyEscape)) {
            setHighScoreScrollerRow(0);
            return;
        }
        if (runtime::screen::State().quitRequested) return;
    }
}

const std::optional<std::string>& enteredHighScoreName() {
    return enteredName;
}

}  // namespace game::scores
