#pragma once

#include <cairo.h>

#include <array>

#include "editor/level_document.hpp"
#include "editor/level_pictures.hpp"
#include "game/levels/bricks.hpp"

// How the editor shows a level: the part of the game's 800 x 600 screen around the grid,
// scaled to fit the drawing, with the background and the bricks as the game draws them.
namespace editor {

// The game's brick pictures, and the part of the screen always shown: the grid and a margin.
inline constexpr int kBrickWidth = 31;
inline constexpr int kBrickHeight = 30;
inline constexpr int kViewMargin = 24;
inline constexpr int kViewLeft = game::levels::CellX(1) - kViewMargin;
inline constexpr int kViewTop = game::levels::CellY(1) - kViewMargin;
inline constexpr int kViewWidth =
    game::levels::CellX(kColumns) + kBrickWidth + kViewMargin - kViewLeft;
inline constexpr int kViewHeight =
    game::levels::CellY(kRows) + kBrickHeight + kViewMargin - kViewTop;

// Where the view lands in a drawing: its scale, and where its top-left corner lies.
struct ViewPlacement {
    double scale = 1;
    double left = 0;
    double top = 0;
};

// The view as large as the drawing allows, centred across; room to spare below shows more
// of the screen under the grid, as in play.
ViewPlacement PlaceView(double width, double height);
// The cell (row and column from 0) under a point of the drawing; false outside the grid.
bool CellAt(const ViewPlacement& view, double x, double y, int& row, int& column);
// The middle of a cell, in the drawing's pixels.
void CellCentre(const ViewPlacement& view, int row, int column, double& x, double& y);

// What is marked on top of the level: the mirror line and the cell under the pointer.
struct ViewMarks {
    bool mirror = false;
    int hoverRow = -1;  // -1: the pointer is over no cell
    int hoverColumn = -1;
};

// Draws levels with the pictures read from the game folder, made into cairo surfaces once.
class LevelPainter {
  public:
    explicit LevelPainter(const LevelPictures& pictures);
    ~LevelPainter();
    LevelPainter(const LevelPainter&) = delete;
    LevelPainter& operator=(const LevelPainter&) = delete;

    // The whole drawing of width x height: the level where PlaceView puts it.
    void DrawLevel(cairo_t* cr, double width, double height, const Level& level,
                   const ViewMarks& marks) const;
    // One brick with its top-left corner at (x, y), keyed as the game draws it; a brick
    // without a picture as a plain block of its colour. Codes that are no brick draw nothing.
    void DrawBrick(cairo_t* cr, int code, double x, double y) const;
    // The background picture of a code (200 to 205), or null.
    cairo_surface_t* Background(int code) const;

  private:
    std::array<cairo_surface_t*, 7> bricks_{};
    std::array<cairo_surface_t*, 6> backgrounds_{};
};

}  // namespace editor
