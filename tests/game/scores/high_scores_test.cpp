// The score files, their order, what qualifies, saves that never lose the table, the
// table picture with its scroller, and the game-over screen's name entry with scripted
// keys. Each test runs in a game folder of its own with an empty data folder.
#include "game/scores/high_scores.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>

#include "game/presentation/star_field.hpp"
#include "game/state/game_state.hpp"
#include "runtime/input/headless/script_input.hpp"
#include "runtime/input/input.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/headless/headless_sound.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/files.hpp"
#include "tests/game/scores/folder_listing.hpp"
#include "tests/runtime/sound/test_waves.hpp"
#include "tests/runtime/support/player_permissions.hpp"
#include "tests/runtime/support/temp_folder.hpp"
#include "tools/headless/runner.hpp"

namespace game::scores {
namespace {

namespace fs = std::filesystem;

class HighScores : public ::testing::Test {
  protected:
    void SetUp() override {
        tools::headless::StartHeadlessRuntime();
        static const bool stars = (game::presentation::createStarField(), true);
        (void)stars;
        fs::create_directory(folder.path() / "data");
        fs::current_path(folder.path());
    }
    void TearDown() override {
        runtime::support::CloseAllFiles();
        fs::current_path(home);
    }
    static void Write(const char* name, const std::string& bytes) {
        std::ofstream(name, std::ios::binary) << bytes;
    }
    static std::string Read(const char* name) {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The data folder's names, sorted.
    static std::string DataFiles() { return FolderListing("data"); }
    static unsigned Mode(const char* name) {
        struct stat info {};
        return ::stat(name, &info) == 0 ? info.st_mode & 0777 : 0u;
    }
    const fs::path home = fs::current_path();
    TempFolder folder;
};

std::string Repeat(const std::string& line, int times) {
    std::string text;
    while (times-- > 0)
        text += line;
    return text;
}

TEST_F(HighScores, MissingFilesStartEmptyAndSavingFillsTheTenthLine) {
    LoadHighScores();
    EXPECT_EQ(orderedHighScores()[0].score, 0);
    EXPECT_TRUE(scoreQualifies(1));
    EXPECT_FALSE(scoreQualifies(0));
    SaveHighScore(1234, "ann");
    EXPECT_EQ(Read("data/number.bin"), Repeat("0\r\n", 9) + "1234\r\n");
    EXPECT_EQ(Read("data/name.bin"), Repeat("\r\n", 9) + "ann\r\n");
    EXPECT_EQ(DataFiles(), "name.bin number.bin");

    SaveHighScore(500, "");  // read back in order, the empty name as "unknown"
    EXPECT_EQ(orderedHighScores()[0].name, "ann");
    EXPECT_EQ(orderedHighScores()[1].name, "unknown");
}

TEST_F(HighScores, EqualScoresKeepTheirFileOrder) {
    Write("data/number.bin", "5\r\n70\r\n5\r\n70\r\n0012\r\n9\r\n8\r\n7\r\n6\r\n3\r\n");
    Write("data/name.bin", "e\r\nf\r\ng\r\nh\r\ni\r\nj\r\nk\r\nl\r\nm\r\nn\r\n");
    LoadHighScores();
    const auto& table = orderedHighScores();
    std::string order;
    for (const HighScoreEntry& entry : table)
        order += entry.name;
    EXPECT_EQ(order, "fhijklmegn");
    EXPECT_EQ(table[2].score, 12);
    EXPECT_FALSE(scoreQualifies(3));  // equal to the tenth
    EXPECT_TRUE(scoreQualifies(4));

    SaveHighScore(70, "new");  // written last, so below the equal scores
    EXPECT_EQ(table[2].name, "new");
}

TEST_F(HighScores, DamagedAndHostileFilesReadWithoutHarm) {
    // Letters, a minus sign, a number past 32 bits, binary bytes, every line ending, and
    // only seven lines; an endless name, punctuation and bytes that are sprite numbers.
    Write("data/number.bin", "abc\n-17\r99999999999\r\n\x01\xff\x7f\n 42x\r\n\t5\n2000000000");
    Write("data/name.bin",
          std::string(3'000'000, 'q') + "\r\nJean-Luc O'Brien\r\n" + "\x01\x02zed\xc3\xa9\r\n");
    LoadHighScores();
    const auto& table = orderedHighScores();
    EXPECT_EQ(table[0].score, 2000000000);
    EXPECT_EQ(table[1].score, 1215752191);  // wrapped around in 32 bits
    EXPECT_EQ(table[1].name, "zed");
    EXPECT_EQ(table[2].score, 42);
    EXPECT_EQ(table[3].name, "qqqqqqqqqq");
    EXPECT_EQ(table[4].score, 0);  // the negative score
    EXPECT_EQ(table[4].name, "jeanluc ob");
    EXPECT_FALSE(scoreQualifies(0));

    // A pipe or a folder in place of a file reads as empty, without waiting.
    fs::remove("data/name.bin");
    ASSERT_EQ(mkfifo("data/name.bin", 0644), 0);
    fs::remove("data/number.bin");
    fs::create_directory("data/number.bin");
    LoadHighScores();
    EXPECT_EQ(table[0].score, 0);
    EXPECT_EQ(table[0].name, "");
}

// Files may grow to `bytes` only while this lives, as on a disk that fills up: a write
// beyond fails instead of ending the program.
class DiskFullAfter {
  public:
    explicit DiskFullAfter(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~DiskFullAfter() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }

  private:
    rlimit saved_{};
    void (*handler_)(int) = nullptr;
};

TEST_F(HighScores, AFailedSaveLeavesTheTableWhole) {
    // The new scores fit on the disk, the longer names do not.
    const std::string scores = Repeat("300\r\n", 10), names = Repeat("beatrice\r\n", 10);
    Write("data/number.bin", scores);
    Write("data/name.bin", names);
    LoadHighScores();
    {
        DiskFullAfter full(60);
        SaveHighScore(900, "cal");
    }
    EXPECT_EQ(Read("data/number.bin"), scores);
    EXPECT_EQ(Read("data/name.bin"), names);
    EXPECT_EQ(DataFiles(), "name.bin number.bin");
    EXPECT_EQ(orderedHighScores()[0].score, 300);

    // A file that cannot be replaced keeps the other one unchanged too.
    fs::rename("data/name.bin", "data/kept.bin");
    fs::create_directories("data/name.bin/inside");
    SaveHighScore(900, "cal");
    EXPECT_EQ(Read("data/number.bin"), scores);

    fs::remove_all("data");  // no data folder at all
    SaveHighScore(900, "cal");
    EXPECT_FALSE(fs::exists("data"));
}

TEST_F(HighScores, SavesKeepThePlayersFilesAsTheyAre) {
    const std::string scores = Repeat("300\r\n", 10), names = Repeat("bea\r\n", 10);
    const auto reset = [&] {
        Write("data/number.bin", scores);
        Write("data/name.bin", names);
        fs::permissions("data/number.bin", fs::perms(0600));
        fs::permissions("data/name.bin", fs::perms(0640));
    };
    reset();
    LoadHighScores();
    SaveHighScore(900, "cal");
    EXPECT_EQ(orderedHighScores()[0].name, "cal");
    EXPECT_EQ(Mode("data/number.bin"), 0600u);
    EXPECT_EQ(Mode("data/name.bin"), 0640u);

    // A read-only file keeps the whole table as it is.
    for (const char* kept : {"data/number.bin", "data/name.bin"}) {
        reset();
        fs::permissions(kept, fs::perms(0444));
        LoadHighScores();
        SaveHighScore(900, "cal");
        EXPECT_EQ(Read("data/number.bin") + Read("data/name.bin"), scores + names) << kept;
        EXPECT_EQ(Mode(kept), 0444u);
        EXPECT_EQ(DataFiles(), "name.bin number.bin");
    }

    // A score file that cannot be read shows an empty table, and is never replaced by it.
    for (const unsigned mode : {0000u, 0200u}) {
        reset();
        fs::permissions("data/number.bin", fs::perms(mode));
        {
            PlayerPermissions player;
            LoadHighScores();
            EXPECT_EQ(orderedHighScores()[0].score, 0);
            EXPECT_EQ(orderedHighScores()[0].name, "");
            SaveHighScore(900, "cal");
        }
        fs::permissions("data/number.bin", fs::perms(0600));
        EXPECT_EQ(Read("data/number.bin") + Read("data/name.bin"), scores + names) << mode;
        EXPECT_EQ(DataFiles(), "name.bin number.bin");
    }
}

TEST_F(HighScores, SavesNeverWriteThroughLinks) {
    TempFolder outside;
    const fs::path precious = outside.path() / "precious";
    Write(precious.c_str(), "keep me");
    fs::permissions(precious, fs::perms(0640));
    // Where a save might put its new files or its mark, and where older games put them.
    for (const char* name :
         {"number.bin.tmp", "name.bin.tmp", "highscores.commit", "highscores.commit.tmp",
          "number.bin.tmp.AAAAAA", "name.bin.tmp.zzzzzz", "highscores.commit.tmp.000000"})
        fs::create_symlink(precious, fs::path("data") / name);
    LoadHighScores();
    SaveHighScore(900, "cal");
    EXPECT_EQ(Read(precious.c_str()), "keep me");
    EXPECT_EQ(fs::status(precious).permissions(), fs::perms(0640));
    EXPECT_EQ(Read("data/number.bin"), Repeat("0\r\n", 9) + "900\r\n");
    EXPECT_EQ(Read("data/name.bin"), Repeat("\r\n", 9) + "cal\r\n");
    // The links of the new files' shape are taken for leftovers of a save and removed.
    EXPECT_EQ(DataFiles(), "highscores.commit.tmp name.bin name.bin.tmp number.bin number.bin.tmp");
}

// A sprite of one colour: a glyph, or a picture the table must not draw.
std::uint32_t Solid(int sprite, int width, int height, int red) {
    runtime::sprites::MakeBlankSprite(sprite, width, height);
    runtime::sprites::SelectTarget(sprite);
    runtime::screen::FillTarget(red, 0, 0);
    runtime::sprites::SelectTarget(-1);
    return runtime::screen::PixelOfColour(std::uint32_t(red));
}

std::uint32_t Pixel(int sprite, int x, int y) {
    return runtime::sprites::FindSprite(sprite)->surface->At(x, y);
}

TEST_F(HighScores, TheTablePictureScrollsThroughItsWindow) {
    const std::uint32_t one = Solid('1', 32, 32, 10), seven = Solid('7', 32, 32, 70),
                        a = Solid('a', 32, 32, 97);
    Solid(1, 800, 600, 255);
    Write("data/number.bin", "17\r\n");
    Write("data/name.bin", "\x01\x61\r\n");
    LoadHighScores();
    makeHighScorePictures();
    EXPECT_EQ(Pixel(200, 470, 183), one);
    EXPECT_EQ(Pixel(200, 502, 214), seven);
    EXPECT_EQ(Pixel(200, 130, 183), a);
    EXPECT_EQ(Pixel(200, 162, 183), 0u);

    // Every third frame the window moves up a row and takes the picture's next row.
    restartHighScoreScroller(182);
    for (int frame = 1; frame <= 3; ++frame) {
        StepHighScoreScroller();
        EXPECT_EQ(Pixel(201, 470, 269), frame < 3 ? 0u : one);
    }
    EXPECT_EQ(runtime::screen::BackBuffer().At(470, 265 + 268), one);  // from its row 1

    // Rows 600 and 601 lie below the picture; past 600 the scroller starts again at 0.
    restartHighScoreScroller(599);
    for (int frame = 1; frame <= 6; ++frame)
        StepHighScoreScroller();
    EXPECT_EQ(Pixel(201, 470, 267), one);
    EXPECT_EQ(Pixel(201, 470, 269), one);  // nothing came in
    EXPECT_EQ(highScoreScrollerRow(), 0);
}

// The window's panel turns in one pass; it must come out as from the four copies of the
// sprite onto itself that describe the turn, over a whole cycle of the window phase.
TEST_F(HighScores, TheWindowPanelTurnsAsItsCopiesOntoItselfWould) {
    namespace sprites = runtime::sprites;
    constexpr int kTurned = 300, kCopied = 301;
    ASSERT_NE(sprites::MakeBlankSprite(kTurned, 800, 268), 0);
    ASSERT_NE(sprites::MakeBlankSprite(kCopied, 800, 268), 0);
    auto& turned = sprites::FindSprite(kTurned)->surface->pixels;
    auto& copied = sprites::FindSprite(kCopied)->surface->pixels;
    std::uint32_t seed = 12345;
    for (auto& pixel : turned)
        pixel = (seed = seed * 1664525u + 1013904223u) >> 8;
    copied = turned;
    sprites::SpritePixelsChanged(kTurned);
    sprites::SpritePixelsChanged(kCopied);

    auto copyOntoItself = [](int n, int x, int y, int width, int height, int toX, int toY) {
        sprites::SetSpriteClip(n, x, y, width, height);
        sprites::DrawSprite(n, toX, toY);
    };
    resetWindowPhase();
    for (int step = 0; step <= 501; ++step) {
        scrollWindowBackground(kTurned);
        sprites::SelectTarget(kCopied);
        if (step < 250) {
            copyOntoItself(kCopied, 0, 0, 800, 1, 0, 267);
            copyOntoItself(kCopied, 0, 1, 800, 268, 0, 0);
        } else if (step <= 500) {
            copyOntoItself(kCopied, 0, 267, 800, 1, 0, 0);
            copyOntoItself(kCopied, 0, 0, 800, 267, 0, 1);
        } else {  // the phase started again
            copyOntoItself(kCopied, 0, 0, 800, 1, 0, 267);
            copyOntoItself(kCopied, 0, 1, 800, 268, 0, 0);
        }
        copyOntoItself(kCopied, 0, 0, 1, 268, 799, 0);
        copyOntoItself(kCopied, 1, 0, 800, 268, 0, 0);
        sprites::SelectTarget(-1);
        ASSERT_TRUE(turned == copied) << "step " << step;
    }
    // Both leave the same part shown, and the back buffer as the target.
    const sprites::SpriteRecord* t = sprites::FindSprite(kTurned);
    EXPECT_EQ(t->clipX, 1);
    EXPECT_EQ(t->shownWidth, 799);
    EXPECT_EQ(t->shownHeight, 268);
    EXPECT_EQ(runtime::screen::State().target, &runtime::screen::BackBuffer());
}

// Plays the game-over screen with the score, tapping the keys one after the other, then
// holding Escape. Returns how often the key click sounded.
int PlayGameOver(std::int32_t score, std::initializer_list<int> keys) {
    using Event = runtime::input::headless::ScriptEvent;
    std::vector<Event> script;
    std::uint64_t frame = runtime::screen::State().framesPresented + 3;
    for (const int key : keys) {
        script.push_back({frame, Event::Kind::KeyDown, key});
        script.push_back({frame + 2, Event::Kind::KeyUp, key});
        frame += 3;
    }
    script.push_back({frame, Event::Kind::KeyDown, runtime::input::KeyEscape});
    runtime::input::headless::UseScript(std::move(script));
    // The click of the game's pack, which the test folder lacks.
    tessaly_test::WaveRecipe click;
    click.data = tessaly_test::Pcm16({1, 2, 3, 4});
    const auto wave = tessaly_test::MakeWave(click);
    runtime::sound::LoadSoundFromMemory(1, wave.data(), wave.size());
    runtime::sound::headless::ClearSoundStarts();
    game::state::Game().score = score;
    runGameOver();
    runtime::input::PostAllKeysUp();
    runtime::input::ReadKeyboard();
    int clicks = 0;
    for (const auto& start : runtime::sound::headless::SoundStarts())
        clicks += start.sound == 1 ? 1 : 0;
    return clicks;
}

TEST_F(HighScores, TheNameEntryTakesTenLettersBackspaceAndReturn) {
    constexpr int a = 0x1E, b = 0x30, c = 0x2E, d = 0x20, e = 0x12, f = 0x21, g = 0x22, h = 0x23,
                  i = 0x17, j = 0x24, k = 0x25, z = 0x2C;
    constexpr int backspace = runtime::input::KeyBackspace, enter = runtime::input::KeyReturn;
    EXPECT_EQ(PlayGameOver(0, {a, enter}), 0);  // a score of 0 takes no name
    EXPECT_EQ(PlayGameOver(50, {a, b}), 2);     // Escape drops an unfinished name
    EXPECT_FALSE(fs::exists("data/number.bin"));

    // The eleventh letter is ignored; Backspace takes back the tenth.
    EXPECT_EQ(PlayGameOver(4321, {a, b, c, d, e, f, g, h, i, j, k, backspace, z, enter}), 11);
    EXPECT_EQ(Read("data/number.bin").substr(27), "4321\r\n");
    EXPECT_EQ(Read("data/name.bin").substr(18), "abcdefghiz\r\n");
    EXPECT_EQ(highScoreScrollerRow(), 0);  // Escape hands the scroller back at its top

    // Closing the window ends the screen too, with nothing saved.
    runtime::screen::State().quitRequested = true;
    PlayGameOver(5000, {enter});
    runtime::screen::State().quitRequested = false;
    EXPECT_EQ(orderedHighScores()[0].score, 4321);
}

}  // namespace
}  // namespace game::scores
