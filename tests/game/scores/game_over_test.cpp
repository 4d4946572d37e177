// The game-over screen played with scripted keys: the name entry and what it saves.
#include "game/scores/high_scores.hpp"
#include "game/state/game_state.hpp"
#include "runtime/input/headless/script_input.hpp"
#include "runtime/input/input.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/headless/headless_sound.hpp"
#include "runtime/sound/sound.hpp"
#include "score_folder.hpp"
#include "tests/runtime/sound/test_waves.hpp"

namespace game::scores {
namespace {

using Kind = runtime::input::headless::ScriptEvent::Kind;

class GameOver : public ScoreFolder {
  protected:
    // The key click, standing in for the one of the game's pack, which this folder lacks.
    void SetUp() override {
        ScoreFolder::SetUp();
        tessaly_test::WaveRecipe recipe;
        recipe.data = tessaly_test::Pcm16({1, 2, 3, 4});
        const auto click = tessaly_test::MakeWave(recipe);
        runtime::sound::LoadSoundFromMemory(1, click.data(), click.size());
    }

    // Taps the keys one after the other, each held for two frames, then holds Escape.
    void Run(std::int32_t score, std::initializer_list<int> keys) {
        std::vector<runtime::input::headless::ScriptEvent> script;
        std::uint64_t frame = runtime::screen::State().framesPresented + 3;
        for (const int key : keys) {
            script.push_back({frame, Kind::KeyDown, key});
            script.push_back({frame + 2, Kind::KeyUp, key});
            frame += 3;
        }
        script.push_back({frame, Kind::KeyDown, runtime::input::KeyEscape});
        runtime::input::headless::UseScript(std::move(script));
        runtime::sound::headless::ClearSoundStarts();
        game::state::Game().score = score;
        runGameOver();
        runtime::input::PostAllKeysUp();  // Escape goes up before the next run
        runtime::input::ReadKeyboard();
    }

    static int KeyClicks() {
        int clicks = 0;
        for (const auto& start : runtime::sound::headless::SoundStarts())
            clicks += start.sound == 1 ? 1 : 0;
        return clicks;
    }
};

constexpr int kA = 0x1E, kB = 0x30, kC = 0x2E, kD = 0x20, kE = 0x12, kF = 0x21, kG = 0x22,
              kH = 0x23, kI = 0x17, kJ = 0x24, kK = 0x25, kZ = 0x2C;
constexpr int kBackspace = runtime::input::KeyBackspace, kReturn = runtime::input::KeyReturn;

TEST_F(GameOver, TenLettersThenBackspaceAndReturnSaveTheName) {
    // The eleventh letter is ignored; Backspace takes back the tenth.
    Run(4321, {kA, kB, kC, kD, kE, kF, kG, kH, kI, kJ, kK, kBackspace, kZ, kReturn});
    EXPECT_EQ(Read("data/number.bin").substr(27), "4321\r\n");
    EXPECT_EQ(Read("data/name.bin").substr(18), "abcdefghiz\r\n");
    EXPECT_EQ(KeyClicks(), 11);
    EXPECT_EQ(highScoreScrollerRow(), 0);  // Escape hands the scroller back at its top

    // Return with no letters saves "unknown" below the first entry.
    Run(4000, {kReturn});
    EXPECT_EQ(orderedHighScores()[1].name, "unknown");
}

TEST_F(GameOver, NothingIsSavedWithoutReturn) {
    Run(0, {kA, kReturn});  // a score of 0 takes no name
    Run(50, {kA, kB});      // Escape drops an unfinished name
    EXPECT_FALSE(std::filesystem::exists("data/number.bin"));
    EXPECT_FALSE(std::filesystem::exists("data/name.bin"));

    // Closing the window ends the screen too, with nothing saved.
    runtime::input::headless::UseScript({});
    runtime::screen::State().quitRequested = true;
    runGameOver();
    runtime::screen::State().quitRequested = false;
    EXPECT_FALSE(std::filesystem::exists("data/number.bin"));
}

}  // namespace
}  // namespace game::scores
