// Level files the editor opens and saves, read back through the game's own loader.
#include "editor/level_files.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../runtime/support/temp_folder.hpp"
#include "game/levels/bricks.hpp"
#include "game/levels/level_file.hpp"
#include "game/state/game_state.hpp"

namespace editor {
namespace {

class LevelFiles : public ::testing::Test {
  protected:
    static std::string Bytes(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    Level Open(const std::string& file) {
        std::string error;
        const auto level = OpenLevel(file, error);
        EXPECT_TRUE(level) << error;
        return level.value_or(Level{});
    }
    // A level file in the given line ending: bricks left, the first cells, the rest "000".
    static std::string Text(std::vector<std::string> cells, const std::string& end) {
        cells.resize(160, "000");
        std::string text = "7" + end;
        for (const std::string& cell : cells)
            text += cell + end;
        return text + "201" + end + "1" + end + "0" + end;
    }

    TempFolder folder;
    std::string path = folder / "level.lvl";
};

TEST_F(LevelFiles, SavedLevelReadsBackInTheEditorAndInTheGame) {
    LevelDocument doc;
    doc.Paint(0, 0, 100);
    doc.Paint(0, 19, 102);
    doc.Paint(3, 7, 103);
    doc.Paint(7, 19, 106);
    doc.SetBackground(204);
    doc.SetDescent(true);
    std::string error;
    ASSERT_TRUE(SaveLevel(doc, path, error)) << error;

    const std::string bytes = Bytes(path);
    EXPECT_EQ(bytes.substr(0, 13), "3\r\n100\r\n000\r\n");
    EXPECT_EQ(bytes.size(), LevelText(doc).size());
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 164);
    EXPECT_EQ(Open(path), doc.level());

    game::state::Game() = game::state::GameState{};
    game::levels::loadLevelFile(path);
    const auto& game = game::state::Game();
    EXPECT_EQ(game.bricksLeft, 3);
    EXPECT_EQ(game.backgroundCode, 204);
    EXPECT_EQ(game.barrierFlag, 0);
    EXPECT_EQ(game.descentFlag, 1);
    int bricks = 0;
    for (const game::levels::Brick& b : game::levels::Bricks()) {
        if (b.code == 0) continue;
        ++bricks;
        if (b.code == 102) {
            EXPECT_EQ(std::tuple(b.x, b.y, b.hits), std::tuple(702, 75, 3));
        }
        if (b.code == 103) {
            EXPECT_EQ(std::tuple(b.x, b.y), std::tuple(75 + 33 * 7, 75 + 32 * 3));
        }
    }
    EXPECT_EQ(bricks, 4);
}

TEST_F(LevelFiles, OpenAndSaveGivesTheSameBytes) {
    LevelDocument doc;
    doc.MirrorPaint(1, 2, 105);
    doc.SetBricksLeft(-5);
    doc.SetBarrier(true);
    std::string error;
    ASSERT_TRUE(SaveLevel(doc, path, error)) << error;
    const std::string first = Bytes(path);

    const LevelDocument reopened(Open(path));
    EXPECT_TRUE(reopened.BricksLeftByHand());
    ASSERT_TRUE(SaveLevel(reopened, folder / "again.lvl", error)) << error;
    EXPECT_EQ(Bytes(folder / "again.lvl"), first);
}

TEST_F(LevelFiles, OtherLineEndingsShortFilesAndOddCellsKeepTheirMeaning) {
    const std::vector<std::string> cells = {"101", " 101", "", "0", "356", "102x", "000"};
    const Level crlf = Open((Write(Text(cells, "\r\n")), path));
    for (const char* end : {"\n", "\r"}) {
        Write(Text(cells, end));
        EXPECT_EQ(Open(path), crlf) << "line end " << int(end[0]);
    }
    EXPECT_EQ(crlf.cells[0], Cell::Brick(101));
    EXPECT_EQ(crlf.cells[1], Cell::Odd(" 101"));
    EXPECT_EQ(crlf.cells[2], Cell::Odd(""));
    EXPECT_EQ(crlf.cells[6], Cell::Empty());
    EXPECT_EQ(crlf.background, 201);
    EXPECT_TRUE(crlf.barrier);
    // 7 was written, the grid holds 4 destructible bricks: the value was chosen by hand.
    EXPECT_EQ(LevelDocument(crlf).BricksLeft(), 7);

    // Odd lines are written back as they were, so the game still reads them the same way.
    std::string error;
    ASSERT_TRUE(SaveLevel(LevelDocument(crlf), path, error)) << error;
    EXPECT_EQ(Bytes(path), Text(cells, "\r\n"));

    // A line longer than the game reads keeps what the game reads of it, and is saved so.
    const std::string endless = "  104" + std::string(1 << 20, '#');
    Write(Text({endless}, "\r\n"));
    const Level longLine = Open(path);
    EXPECT_EQ(longLine.cells[0], Cell::Odd(endless.substr(0, game::levels::kLevelLineKeep)));
    ASSERT_TRUE(SaveLevel(LevelDocument(longLine), path, error)) << error;
    EXPECT_EQ(Bytes(path), Text({endless.substr(0, game::levels::kLevelLineKeep)}, "\r\n"));

    Write("2\n104\n104");  // short: the missing lines read as empty
    const Level shortLevel = Open(path);
    EXPECT_EQ(shortLevel.cells[1], Cell::Brick(104));
    EXPECT_EQ(shortLevel.cells[2], Cell::Odd(""));
    EXPECT_EQ(shortLevel.background, 0);
    EXPECT_FALSE(LevelDocument(shortLevel).BricksLeftByHand());
}

TEST_F(LevelFiles, WhatCannotBeReadIsNamedInTheMessage) {
    std::string error;
    EXPECT_FALSE(OpenLevel(folder / "missing.lvl", error));
    EXPECT_NE(error.find("missing.lvl"), std::string::npos);
    EXPECT_NE(error.find("no such file"), std::string::npos);
    EXPECT_FALSE(OpenLevel(folder.path().string(), error));
    EXPECT_NE(error.find("folder"), std::string::npos);
    EXPECT_FALSE(SaveLevel(LevelDocument{}, folder / "no/such/folder.lvl", error));
    EXPECT_NE(error.find("folder.lvl"), std::string::npos);
}

TEST_F(LevelFiles, AFailedSaveLeavesTheOldFileWhole) {
    Write(Text({"100", "101"}, "\r\n"));
    const std::string before = Bytes(path);
    LevelDocument doc;
    doc.Paint(0, 0, 106);

    // The disk refuses more than a few bytes in a file.
    signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool saved = SaveLevel(doc, path, error);
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_FALSE(saved);
    EXPECT_NE(error.find("level.lvl"), std::string::npos);
    EXPECT_EQ(Bytes(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

}  // namespace
}  // namespace editor
