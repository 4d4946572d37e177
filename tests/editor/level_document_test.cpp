// The level being edited: painting, the bricks-left value and its warnings, undo and redo.
#include "editor/level_document.hpp"

#include <gtest/gtest.h>

namespace editor {
namespace {

TEST(LevelDocument, BricksLeftIsCountedWithoutSteelUnlessSetByHand) {
    LevelDocument doc;
    EXPECT_EQ(doc.BricksLeftWarning(), Warning::CannotBeWon);  // nothing to destroy
    doc.Paint(0, 0, 100);
    doc.Paint(0, 1, 102);  // three hits, counted once
    doc.Paint(0, 2, 103);  // never destroyed
    doc.Paint(7, 19, 106);
    EXPECT_EQ(doc.BricksLeft(), 3);
    EXPECT_EQ(doc.BricksLeftWarning(), Warning::None);
    const BrickCounts counts = doc.Counts();
    EXPECT_EQ(counts.perCode[0], 1);
    EXPECT_EQ(counts.perCode[3], 1);
    EXPECT_EQ(counts.destructible, 3);

    doc.SetBricksLeft(4);
    EXPECT_EQ(doc.BricksLeftWarning(), Warning::CannotBeWon);
    doc.Paint(1, 0, 104);  // a value set by hand stays
    EXPECT_EQ(doc.BricksLeft(), 4);
    EXPECT_EQ(doc.BricksLeftWarning(), Warning::None);
    doc.SetBricksLeft(0);
    EXPECT_EQ(doc.BricksLeftWarning(), Warning::WonByFirstBrick);
    doc.SetBricksLeft(-3);
    EXPECT_EQ(doc.BricksLeftWarning(), Warning::WonByFirstBrick);
    doc.CountBricksLeft();
    EXPECT_FALSE(doc.BricksLeftByHand());
    EXPECT_EQ(doc.BricksLeft(), 4);
}

TEST(LevelDocument, OddCellsCountAsTheGamePlaysThem) {
    Level level;
    level.cells[0] = Cell::Odd(" 101");  // a real one-hit brick
    level.cells[1] = Cell::Odd("103x");  // steel
    level.cells[2] = Cell::Odd("");      // a code-0 record
    level.cells[3] = Cell::Odd("358");   // 8 bits of it: 102
    const LevelDocument doc(level);
    EXPECT_EQ(doc.Counts().odd, 4);
    EXPECT_EQ(doc.BricksLeft(), 2);
}

TEST(LevelDocument, MirrorPaintAndStrokesUndoAsOneStep) {
    LevelDocument doc;
    doc.MirrorPaint(2, 3, 105);
    EXPECT_EQ(doc.cell(2, 3), Cell::Brick(105));
    EXPECT_EQ(doc.cell(2, 16), Cell::Brick(105));
    doc.MirrorPaint(4, 19, 101);  // the edge mirrors onto the other edge
    EXPECT_EQ(doc.cell(4, 0), Cell::Brick(101));

    doc.BeginStroke();
    doc.Paint(5, 5, 100);
    doc.Paint(5, 6, 100);
    doc.Empty(2, 3);
    doc.EndStroke();
    doc.Undo();
    EXPECT_EQ(doc.cell(5, 5), Cell::Empty());
    EXPECT_EQ(doc.cell(2, 3), Cell::Brick(105));
    doc.Undo();
    EXPECT_EQ(doc.cell(4, 0), Cell::Empty());
    EXPECT_EQ(doc.cell(4, 19), Cell::Empty());
    EXPECT_EQ(doc.cell(2, 16), Cell::Brick(105));
    doc.Redo();
    EXPECT_EQ(doc.cell(4, 0), Cell::Brick(101));
    doc.Undo();
    doc.Undo();
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_EQ(doc.level(), Level{});
}

TEST(LevelDocument, EveryChangeUndoesAndANewChangeDropsRedo) {
    LevelDocument doc;
    doc.SetBackground(203);
    doc.SetBarrier(true);
    doc.SetDescent(true);
    doc.SetBricksLeft(9);
    doc.Paint(0, 0, 100);
    doc.Paint(0, 0, 100);  // no change, no step
    doc.Paint(0, 1, 99);   // not a brick code
    doc.Paint(8, 0, 100);  // outside the grid
    EXPECT_TRUE(doc.Modified());
    doc.MarkSaved();
    for (int i = 0; i < 5; ++i)
        doc.Undo();
    EXPECT_EQ(doc.level(), Level{});
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_TRUE(doc.Modified());
    for (int i = 0; i < 5; ++i)
        doc.Redo();
    EXPECT_FALSE(doc.Modified());  // back where it was saved
    EXPECT_EQ(doc.level().background, 203);
    EXPECT_EQ(doc.cell(0, 0), Cell::Brick(100));
    doc.Undo();
    doc.Paint(3, 3, 101);
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_TRUE(doc.Modified());
}

}  // namespace
}  // namespace editor
