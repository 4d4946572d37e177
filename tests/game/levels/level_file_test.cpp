// Custom level files: the 164 lines, the cell rules, and files that are not what they claim.
#include "game/levels/level_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "../../runtime/support/temp_folder.hpp"
#include "game/levels/bricks.hpp"
#include "game/state/game_state.hpp"

namespace game::levels {
namespace {

using Record = std::tuple<int, int, int, int>;  // code, x, y, hits

class LevelFile : public ::testing::Test {
  protected:
    std::vector<Record> LoadBytes(const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
        return LoadPath(path);
    }
    static std::vector<Record> LoadPath(const std::string& file) {
        state::Game() = state::GameState{};
        loadLevelFile(file);
        std::vector<Record> records;
        for (const Brick& b : Bricks())
            records.emplace_back(b.code, b.x, b.y, b.hits);
        return records;
    }
    // A whole file: bricks left, the given first cells (the rest "000"), background, flags.
    std::vector<Record> Load(std::vector<std::string> cells, const char* left = "10",
                             const char* barrier = "1", const char* descent = "0",
                             const char* ending = "\r\n") {
        cells.resize(160, "000");
        std::string text = std::string(left) + ending;
        for (const std::string& cell : cells)
            text += cell + ending;
        return LoadBytes(text + "203" + ending + barrier + ending + descent + ending);
    }
    static Record EmptyCell(int i) { return {0, CellX(1 + i % 20), CellY(1 + i / 20), 0}; }

    TempFolder folder;
    std::string path = folder / "level.lvl";
};

TEST_F(LevelFile, EveryCellLineMakesARecordAtItsOwnCell) {
    std::vector<std::string> cells = {"000", "101",  "",    "0",  "  101xyz",
                                      "102", " 102", "356", "70", "-154"};
    cells.resize(40, "000");
    cells[20] = "106";
    const auto records = Load(cells);
    ASSERT_EQ(records.size(), 160u);
    EXPECT_EQ(records[0], Record(0, 0, 0, 0));       // "000" stays at (0, 0)
    EXPECT_EQ(records[1], Record(101, 108, 75, 0));  // and the next line takes the next cell
    EXPECT_EQ(records[2], EmptyCell(2));             // an empty line is a code-0 cell
    EXPECT_EQ(records[3], EmptyCell(3));
    EXPECT_EQ(records[4], Record(101, 207, 75, 0));  // blanks before, letters after
    EXPECT_EQ(records[5], Record(102, 240, 75, 3));  // only exactly "102" needs three hits
    EXPECT_EQ(records[6], Record(102, 273, 75, 0));
    EXPECT_EQ(records[7], Record(100, 306, 75, 0));  // codes are kept in 8 bits
    EXPECT_EQ(records[8], Record(70, 339, 75, 0));
    EXPECT_EQ(records[9], Record(102, 372, 75, 0));
    EXPECT_EQ(records[20], Record(106, 75, 107, 0));  // row 2
    EXPECT_EQ(state::Game().bricksLeft, 10);
    EXPECT_EQ(state::Game().backgroundCode, 203);

    // Any line ending reads the same.
    for (const char* ending : {"\n", "\r"})
        EXPECT_EQ(Load(cells, "10", "1", "0", ending), records);
}

TEST_F(LevelFile, BricksLeftKeepsItsLow16BitsAndOnlyTheValue1SwitchesAHazardOn) {
    struct Case {
        const char *left, *barrier, *descent;
        int bricksLeft, barrierFlag, descentFlag;
    };
    for (const Case& c :
         {Case{"70000", "1", "1", 4464, 1, 1}, Case{"32768", "2", "-1", -32768, 0, 0},
          Case{"-1", " +1", "1x", -1, 1, 1}, Case{"65536", "01", "11", 0, 1, 0},
          Case{"99999999999", "257", "", -6145, 0, 0}}) {
        Load({}, c.left, c.barrier, c.descent);
        EXPECT_EQ(state::Game().bricksLeft, c.bricksLeft) << c.left;
        EXPECT_EQ(state::Game().barrierFlag, c.barrierFlag) << c.barrier;
        EXPECT_EQ(state::Game().descentFlag, c.descentFlag) << c.descent;
    }
}

TEST_F(LevelFile, ShortMissingAndHostileFilesLoad160RecordsWithoutHarm) {
    auto records = LoadBytes("5\n105\n000");
    EXPECT_EQ(records[0], Record(105, 75, 75, 0));
    EXPECT_EQ(records[1], Record(0, 0, 0, 0));
    EXPECT_EQ(records[2], EmptyCell(2));
    EXPECT_EQ(state::Game().bricksLeft, 5);

    // A missing file, an empty one and a folder read as empty lines; nothing is created.
    const std::string missing = folder / "missing.lvl";
    std::filesystem::create_directory(folder / "folder.lvl");
    for (const auto& empty : {LoadPath(missing), LoadBytes(""), LoadPath(folder / "folder.lvl")}) {
        ASSERT_EQ(empty.size(), 160u);
        for (int i = 0; i < 160; ++i)
            EXPECT_EQ(empty[std::size_t(i)], EmptyCell(i));
        EXPECT_EQ(state::Game().backgroundCode | state::Game().barrierFlag, 0);
    }
    EXPECT_FALSE(std::filesystem::exists(missing));

    std::string binary, manyLines, outOfRange = "-2147483649\n";
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 37 + 11) & 0xFF);
    for (int i = 0; i < 10000; ++i)
        manyLines += std::to_string(100 + i % 7) + "\n";
    for (int i = 0; i < 163; ++i)
        outOfRange += i % 2 ? "4294967396\n" : "-99999999999999999999\n";
    for (const std::string& bytes : {binary, manyLines, outOfRange})
        EXPECT_EQ(LoadBytes(bytes).size(), 160u);
    EXPECT_EQ(std::get<0>(LoadBytes(manyLines)[159]), 100 + 160 % 7);  // line 161
    EXPECT_EQ(std::get<0>(LoadBytes(std::string(1 << 20, '7') + "\r\n103")[0]), 103);
}

TEST_F(LevelFile, ALongLineKeepsItsFirstThousandCharactersAndTheLinesAfterItCount) {
    // Megabytes on one line: the bricks-left line, a cell and the background line, each
    // ended another way; the cells after them still take their own places.
    const std::string tail(3 << 20, 'z');
    std::string text = "12" + tail + "\r";
    text += "\n101" + tail + "\n";
    for (int i = 1; i < 160; ++i)
        text += i == 1 ? std::string(5000, ' ') + "105\r" : "000\r\n";
    text += "204" + std::string(2000, '9') + tail + "\r\n1\r\n1";
    std::ofstream(path, std::ios::binary) << text;

    const auto lines = ReadLevelFileLines(path);
    for (const std::string& line : lines)
        EXPECT_LE(line.size(), kLevelLineKeep);
    EXPECT_EQ(lines[0], "12" + tail.substr(0, kLevelLineKeep - 2));
    EXPECT_EQ(lines[1].substr(0, 4), "101z");
    EXPECT_EQ(lines[2], std::string(kLevelLineKeep, ' '));  // the code lies past the kept part
    EXPECT_EQ(lines[3], "000");
    EXPECT_EQ(lines[163], "1");

    const auto records = LoadPath(path);
    EXPECT_EQ(state::Game().bricksLeft, 12);
    EXPECT_EQ(records[0], Record(101, 75, 75, 0));
    EXPECT_EQ(records[1], EmptyCell(1));
    EXPECT_EQ(records[2], Record(0, 0, 0, 0));
    EXPECT_EQ(state::Game().barrierFlag + state::Game().descentFlag, 2);
}

}  // namespace
}  // namespace game::levels
