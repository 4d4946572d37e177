// The score files, their order, what qualifies, saving that never loses the table, and
// the table picture with its scroller.
#include "game/scores/high_scores.hpp"

#include <sys/stat.h>

#include "runtime/screen/screen.hpp"
#include "runtime/sprites/sprites.hpp"
#include "score_folder.hpp"

namespace game::scores {
namespace {

namespace fs = std::filesystem;
using HighScores = ScoreFolder;

std::string Repeat(const std::string& line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += line;
    return text;
}

TEST_F(HighScores, MissingFilesStartEmptyAndSavingFillsTheTenthLine) {
    LoadHighScores();
    for (const HighScoreEntry& entry : orderedHighScores()) {
        EXPECT_EQ(entry.score, 0);
        EXPECT_EQ(entry.name, "");
    }
    EXPECT_TRUE(scoreQualifies(1));
    EXPECT_FALSE(scoreQualifies(0));

    SaveHighScore(1234, "ann");
    EXPECT_EQ(Read("data/number.bin"), Repeat("0\r\n", 9) + "1234\r\n");
    EXPECT_EQ(Read("data/name.bin"), Repeat("\r\n", 9) + "ann\r\n");
    EXPECT_FALSE(fs::exists("data/number.bin.tmp"));
    EXPECT_FALSE(fs::exists("data/name.bin.tmp"));

    // An empty name is saved as "unknown"; the table is read back in order.
    SaveHighScore(500, "");
    EXPECT_EQ(Read("data/name.bin"), "ann\r\n" + Repeat("\r\n", 8) + "unknown\r\n");
    EXPECT_EQ(orderedHighScores()[0].name, "ann");
    EXPECT_EQ(orderedHighScores()[1].score, 500);
    EXPECT_EQ(orderedHighScores()[1].name, "unknown");
}

TEST_F(HighScores, EqualScoresKeepTheirFileOrder) {
    Write("data/number.bin", "5\r\n70\r\n5\r\n70\r\n0012\r\n9\r\n8\r\n7\r\n6\r\n3\r\n");
    Write("data/name.bin", "e\r\nf\r\ng\r\nh\r\ni\r\nj\r\nk\r\nl\r\nm\r\nn\r\n");
    LoadHighScores();
    const auto& table = orderedHighScores();
    const char* order[] = {"f", "h", "i", "j", "k", "l", "m", "e", "g", "n"};
    for (int place = 0; place < 10; ++place)
        EXPECT_EQ(table[place].name, order[place]) << "place " << place + 1;
    EXPECT_EQ(table[2].score, 12);  // leading zeros are read past

    EXPECT_FALSE(scoreQualifies(3));  // equal to the tenth
    EXPECT_TRUE(scoreQualifies(4));
    EXPECT_FALSE(scoreQualifies(0));

    // A new score equal to one in the table is written last and so comes below it.
    SaveHighScore(70, "new");
    EXPECT_EQ(table[0].name, "f");
    EXPECT_EQ(table[1].name, "h");
    EXPECT_EQ(table[2].name, "new");
}

TEST_F(HighScores, DamagedAndHostileFilesReadWithoutHarm) {
    // Letters, a minus sign, a number past 32 bits, binary bytes, every line ending, and
    // only seven lines.
    Write("data/number.bin", "abc\n-17\r99999999999\r\n\x01\xff\x7f\n 42x\r\n\t5\n2000000000");
    // An endless name, capitals and punctuation, bytes that are sprite numbers.
    Write("data/name.bin",
          std::string(3'000'000, 'q') + "\r\nJean-Luc O'Brien\r\n" + "\x01\x02zed\xc3\xa9\r\n");
    LoadHighScores();
    const auto& table = orderedHighScores();
    EXPECT_EQ(table[0].score, 2000000000);
    EXPECT_EQ(table[1].score, 1215752191);  // wrapped around in 32 bits, as numbers read
    EXPECT_EQ(table[2].score, 42);
    for (int place = 3; place < 10; ++place)
        EXPECT_EQ(table[place].score, 0);  // the minus sign counts as damage
    EXPECT_FALSE(scoreQualifies(0));

    // Names keep the characters the font can show, at most ten of them.
    EXPECT_EQ(table[1].name, "zed");
    EXPECT_EQ(table[3].name, "qqqqqqqqqq");
    EXPECT_EQ(table[4].name, "jeanluc ob");

    // A pipe or a folder in place of a file reads as an empty table, without waiting.
    fs::remove("data/name.bin");
    ASSERT_EQ(mkfifo("data/name.bin", 0644), 0);
    fs::remove("data/number.bin");
    fs::create_directory("data/number.bin");
    LoadHighScores();
    EXPECT_EQ(table[0].score, 0);
    EXPECT_EQ(table[0].name, "");
}

TEST_F(HighScores, AFailedSaveLeavesTheTableWhole) {
    const std::string scores = Repeat("300\r\n", 10), names = Repeat("bea\r\n", 10);
    Write("data/number.bin", scores);
    Write("data/name.bin", names);
    LoadHighScores();

    // A full disk while writing.
    fs::create_symlink("/dev/full", "data/name.bin.tmp");
    SaveHighScore(900, "cal");
    EXPECT_EQ(Read("data/number.bin"), scores);
    EXPECT_EQ(Read("data/name.bin"), names);
    EXPECT_FALSE(fs::exists(fs::symlink_status("data/name.bin.tmp")));
    EXPECT_FALSE(fs::exists("data/number.bin.tmp"));
    EXPECT_EQ(orderedHighScores()[0].score, 300);

    // A file that cannot be replaced keeps the other one unchanged too.
    fs::rename("data/name.bin", "data/kept.bin");
    fs::create_directories("data/name.bin/inside");
    SaveHighScore(900, "cal");
    EXPECT_EQ(Read("data/number.bin"), scores);
    EXPECT_TRUE(fs::is_directory("data/name.bin/inside"));

    // No data folder at all: nothing is written and nothing breaks.
    fs::remove_all("data");
    SaveHighScore(900, "cal");
    EXPECT_FALSE(fs::exists("data"));
    EXPECT_EQ(orderedHighScores()[0].score, 0);
}

// A sprite of one colour, as a glyph or a picture the table must not draw.
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
    Solid(1, 800, 600, 255);  // a byte of a name must not draw this
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
    auto& screen = runtime::screen::BackBuffer();
    for (int frame = 1; frame <= 3; ++frame) {
        runtime::screen::FillTarget(0, 0, 0);
        StepHighScoreScroller();
        EXPECT_EQ(Pixel(201, 470, 269), frame < 3 ? 0u : one);
    }
    EXPECT_EQ(highScoreScrollerRow(), 183);
    EXPECT_EQ(screen.At(470, 265 + 268), one);  // shown from its second row on

    // Rows 600 and 601 lie below the picture; past 600 the scroller starts again at 0.
    restartHighScoreScroller(599);
    for (int frame = 1; frame <= 6; ++frame)
        StepHighScoreScroller();
    EXPECT_EQ(Pixel(201, 470, 267), one);
    EXPECT_EQ(Pixel(201, 470, 269), one);  // nothing came in
    EXPECT_EQ(highScoreScrollerRow(), 0);
}

}  // namespace
}  // namespace game::scores
