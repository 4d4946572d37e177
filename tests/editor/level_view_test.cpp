// How the editor places the level in its drawing, finds the cell under the pointer, and
// draws bricks and backgrounds as the game does.
#include "editor/level_view.hpp"

#include <gtest/gtest.h>

#include <cstdint>

namespace editor {
namespace {

using runtime::screen::Surface;

TEST(LevelView, EveryCellIsFoundUnderItsMiddleAtAnySizeAndNothingOutsideTheGrid) {
    // The game's size, larger, wider and taller, and half size on a small screen.
    for (const auto& [width, height] : {std::pair{707.0, 302.0}, std::pair{1060.0, 453.0},
                                       std::pair{1400.0, 400.0}, std::pair{700.0, 900.0},
                                       std::pair{354.0, 151.0}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const ViewPlacement view = PlaceView(width, height);
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                double x = 0, y = 0;
                CellCentre(view, row, column, x, y);
                EXPECT_GE(x, 0);
                EXPECT_LT(x, width);
                EXPECT_GE(y, 0);
                EXPECT_LT(y, height);
                // The middle, the top-left corner and the far end of the gap after the
                // brick (the grid's pitch is 33 x 32) all belong to the cell.
                for (const auto& [dx, dy] : {std::pair{0.0, 0.0}, std::pair{-15.25, -14.75},
                                             std::pair{17.25, 16.75}}) {
                    int r = -1, c = -1;
                    ASSERT_TRUE(CellAt(view, x + dx * view.scale, y + dy * view.scale, r, c));
                    EXPECT_EQ(r, row) << dx;
                    EXPECT_EQ(c, column) << dx;
                }
            }
        }
        // Just left of the first column and just below the last row.
        double x = 0, y = 0;
        CellCentre(view, 0, 0, x, y);
        int r = 0, c = 0;
        EXPECT_FALSE(CellAt(view, x - 16 * view.scale, y, r, c));
        CellCentre(view, kRows - 1, 0, x, y);
        EXPECT_FALSE(CellAt(view, x, y + 18 * view.scale, r, c));
    }
    // At the game's size a cell's middle is its own: the grid starts 24 pixels in.
    double x = 0, y = 0;
    CellCentre(PlaceView(kViewWidth, kViewHeight), 0, 0, x, y);
    EXPECT_DOUBLE_EQ(x, 24 + 15.5);
    EXPECT_DOUBLE_EQ(y, 24 + 15);
    // A tall drawing starts at the top of the screen and shows the play area below.
    const ViewPlacement tall = PlaceView(kViewWidth, 900);
    EXPECT_DOUBLE_EQ(tall.scale, 1);
    EXPECT_DOUBLE_EQ(tall.top, kViewTop);
}

// Pixels of a drawing made at the game's size, by screen position.
class LevelDrawing : public ::testing::Test {
  protected:
    LevelDrawing() {
        // Brick 100: red with a black (see-through) top-left corner; 101 has no picture.
        Surface brick(kBrickWidth, kBrickHeight);
        for (auto& pixel : brick.pixels)
            pixel = runtime::screen::PixelOfColour(0x0000FF);
        brick.At(0, 0) = 0;
        pictures_.bricks[0] = brick;
        Surface background(800, 600);
        for (auto& pixel : background.pixels)
            pixel = runtime::screen::PixelOfColour(0xFF0000);
        pictures_.backgrounds[5] = background;  // code 205, blue
    }
    std::uint32_t At(int screenX, int screenY) {
        const auto* data = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface_));
        const int stride = cairo_image_surface_get_stride(surface_) / 4;
        return data[(screenY - kViewTop) * stride + (screenX - kViewLeft)] & 0xFFFFFF;
    }
    void Draw(const Level& level) {
        LevelPainter painter(pictures_);
        cairo_t* cr = cairo_create(surface_);
        painter.DrawLevel(cr, kViewWidth, kViewHeight, level, {});
        cairo_destroy(cr);
        cairo_surface_flush(surface_);
    }
    ~LevelDrawing() override { cairo_surface_destroy(surface_); }

    LevelPictures pictures_;
    cairo_surface_t* surface_ =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kViewWidth, kViewHeight);
};

TEST_F(LevelDrawing, BricksAreKeyedOverTheBackgroundAndMissingPicturesArePlain) {
    Level level;
    level.background = 205;
    level.cells[0] = Cell::Brick(100);
    level.cells[1] = Cell::Brick(101);
    level.cells[2] = Cell::Odd(" 100");  // played as brick 100
    Draw(level);
    constexpr std::uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;
    EXPECT_EQ(At(75 + 15, 75 + 15), kRed);
    EXPECT_EQ(At(75, 75), kBlue) << "black is see-through";
    EXPECT_EQ(At(75 + 33 * 2 + 20, 75 + 20), kRed) << "an odd line draws what the game reads";
    const std::uint32_t plain = At(108 + 15, 75 + 15);
    EXPECT_NE(plain, kBlue) << "a brick without a picture is still drawn";
    EXPECT_NE(plain, kRed);
    EXPECT_EQ(At(75 + 33 * 5 + 15, 75 + 15), kBlue) << "an empty cell shows the background";
    EXPECT_EQ(At(75 + 15, 75 + 32 * 7 + 15), kBlue);

    // Codes with no picture of their own show no background: black, as in the game.
    level.background = 206;
    Draw(level);
    EXPECT_EQ(At(75 + 33 * 5 + 15, 75 + 15), 0u);
    EXPECT_EQ(At(75, 75), 0u);
}

}  // namespace
}  // namespace editor
