// What the editor says about a level, from the document alone: no window is opened.
#include "editor/status_text.hpp"

#include <gtest/gtest.h>

namespace editor {
namespace {

TEST(StatusText, CellsSayWhatTheyHoldAndHowTheGamePlaysThem) {
    Level level;
    level.cells[0] = Cell::Brick(100);
    level.cells[1] = Cell::Brick(102);
    level.cells[2] = Cell::Brick(103);
    level.cells[3] = Cell::Odd("358");  // 8 bits of it: 102
    level.cells[4] = Cell::Odd("");     // a code-0 record
    level.cells[5] = Cell::Odd("050");
    level.cells[159] = Cell::Brick(106);
    const LevelDocument doc(level);
    EXPECT_EQ(CellText(doc, 0, 0), "Row 1, column 1: brick d 100, one hit");
    EXPECT_EQ(CellText(doc, 0, 1), "Row 1, column 2: brick f 102, three hits");
    EXPECT_EQ(CellText(doc, 0, 2), "Row 1, column 3: brick g 103, indestructible");
    EXPECT_EQ(CellText(doc, 0, 3),
              "Row 1, column 4: line \"358\", kept as it is (plays as brick f 102)");
    EXPECT_EQ(CellText(doc, 0, 4),
              "Row 1, column 5: line \"\", kept as it is (plays as an "
              "empty cell)");
    EXPECT_EQ(CellText(doc, 0, 5),
              "Row 1, column 6: line \"050\", kept as it is (code 50, no brick the game knows)");
    EXPECT_EQ(CellText(doc, 0, 6), "Row 1, column 7: empty");
    EXPECT_EQ(CellText(doc, 7, 19), "Row 8, column 20: brick j 106, one hit");
}

TEST(StatusText, CountsNameEveryCodeAndTheKeptLinesOnlyWhenThereAreAny) {
    LevelDocument doc;
    EXPECT_EQ(CountsText(doc),
              "d 100: 0   e 101: 0   f 102: 0   g 103: 0   h 104: 0   i 105: 0   j 106: 0"
              "      0 bricks to destroy");
    Level level;
    level.cells[0] = Cell::Brick(103);
    level.cells[1] = Cell::Brick(104);
    level.cells[2] = Cell::Odd(" 101");
    doc = LevelDocument(level);
    EXPECT_EQ(CountsText(doc),
              "d 100: 0   e 101: 0   f 102: 0   g 103: 1   h 104: 1   i 105: 0   j 106: 0   "
              "kept lines: 1      2 bricks to destroy");
}

TEST(StatusText, WarningsAboutTheBricksToClear) {
    LevelDocument doc;
    EXPECT_EQ(WarningText(doc), "This level cannot be won: it has no brick to destroy.");
    doc.Paint(0, 0, 100);
    doc.Paint(0, 1, 103);
    EXPECT_EQ(WarningText(doc), "");
    doc.SetBricksLeft(3);
    EXPECT_EQ(WarningText(doc),
              "This level cannot be won: it asks for 3 bricks, but only 1 can be destroyed.");
    doc.SetBricksLeft(-2);
    EXPECT_EQ(WarningText(doc),
              "With -2 bricks to clear, the first brick destroyed wins the level.");
}

TEST(StatusText, TitleNamesTheFileAndMarksUnsavedChanges) {
    LevelDocument doc;
    EXPECT_EQ(WindowTitle("", doc), "Untitled level \u2013 Tessaly Level Editor");
    EXPECT_EQ(WindowTitle("/home/player/levels/hive.lvl", doc),
              "hive.lvl \u2013 Tessaly Level Editor");
    doc.Paint(0, 0, 100);
    EXPECT_EQ(WindowTitle("hive.lvl", doc), "*hive.lvl \u2013 Tessaly Level Editor");
    doc.MarkSaved();
    EXPECT_EQ(WindowTitle("hive.lvl", doc), "hive.lvl \u2013 Tessaly Level Editor");
}

}  // namespace
}  // namespace editor
