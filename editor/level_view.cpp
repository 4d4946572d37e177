#include "editor/level_view.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "game/levels/level_file.hpp"

namespace editor {

namespace levels = game::levels;
using runtime::screen::Surface;

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
// The mirror line lies halfway between the first column's left edge and the last one's right.
constexpr double kMirrorX = (levels::CellX(1) + levels::CellX(kColumns) + kBrickWidth) / 2.0;

// Plain colours for bricks whose picture could not be read.
void PlainBrickColour(cairo_t* cr, int code) {
    static constexpr double kColours[7][3] = {{0.85, 0.25, 0.25}, {0.25, 0.55, 0.9},
                                              {0.6, 0.6, 0.65},   {0.45, 0.45, 0.45},
                                              {0.95, 0.75, 0.2},  {0.3, 0.8, 0.4},
                                              {0.75, 0.35, 0.85}};
    const auto& c = kColours[code - levels::kFirstBrickCode];
    cairo_set_source_rgb(cr, c[0], c[1], c[2]);
}

// A picture as cairo draws it. Bricks are keyed, as the game draws them: black shows what
// lies behind.
cairo_surface_t* CairoSurfaceOf(const Surface& picture, bool keyed) {
    cairo_surface_t* surface = cairo_image_surface_create(
        keyed ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, picture.width, picture.height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < picture.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
        const std::uint32_t* source = picture.Row(y);
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t rgb = source[x] & 0xFFFFFFu;
            row[x] = keyed ? (rgb == 0 ? 0u : (0xFF000000u | rgb)) : rgb;
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

void CellOutline(cairo_t* cr, int row, int column, double r, double g, double b, double a,
                 double width) {
    cairo_set_source_rgba(cr, r, g, b, a);
    cairo_set_line_width(cr, width);
    cairo_rectangle(cr, levels::CellX(column + 1) + 0.5, levels::CellY(row + 1) + 0.5,
                    kBrickWidth - 1, kBrickHeight - 1);
    cairo_stroke(cr);
}

}  // namespace

ViewPlacement PlaceView(double width, double height) {
    const double scale = std::max(0.1, std::min(width / kViewWidth, height / kViewHeight));
    const double top = std::min((height - kViewHeight * scale) / 2, kViewTop * scale);
    return {scale, (width - kViewWidth * scale) / 2, top};
}

bool CellAt(const ViewPlacement& view, double x, double y, int& row, int& column) {
    const double sx = (x - view.left) / view.scale + kViewLeft;
    const double sy = (y - view.top) / view.scale + kViewTop;
    // The gap after a brick belongs to its cell, as the grid's pitch does.
    column = int(std::floor((sx - levels::CellX(1)) / 33));
    row = int(std::floor((sy - levels::CellY(1)) / 32));
    return row >= 0 && row < kRows && column >= 0 && column < kColumns;
}

void CellCentre(const ViewPlacement& view, int row, int column, double& x, double& y) {
    x = view.left + (levels::CellX(column + 1) + kBrickWidth / 2.0 - kViewLeft) * view.scale;
    y = view.top + (levels::CellY(row + 1) + kBrickHeight / 2.0 - kViewTop) * view.scale;
}

LevelPainter::LevelPainter(const LevelPictures& pictures) {
    for (int i = 0; i < 7; ++i)
        if (const Surface* brick = BrickPicture(pictures, levels::kFirstBrickCode + i))
            bricks_[std::size_t(i)] = CairoSurfaceOf(*brick, true);
    for (int i = 0; i < 6; ++i)
        if (const Surface* background = BackgroundPicture(pictures, kFirstBackground + i))
            backgrounds_[std::size_t(i)] = CairoSurfaceOf(*background, false);
}

LevelPainter::~LevelPainter() {
    for (cairo_surface_t* surface : bricks_)
        if (surface) cairo_surface_destroy(surface);
    for (cairo_surface_t* surface : backgrounds_)
        if (surface) cairo_surface_destroy(surface);
}

cairo_surface_t* LevelPainter::Background(int code) const {
    if (code < kFirstBackground || code > kLastBackground) return nullptr;
    return backgrounds_[std::size_t(code - kFirstBackground)];
}

void LevelPainter::DrawBrick(cairo_t* cr, int code, double x, double y) const {
    if (!levels::IsBrickCode(code)) return;
    if (cairo_surface_t* brick = bricks_[std::size_t(code - levels::kFirstBrickCode)]) {
        cairo_set_source_surface(cr, brick, x, y);
        cairo_paint(cr);
        return;
    }
    PlainBrickColour(cr, code);
    cairo_rectangle(cr, x + 1, y + 1, kBrickWidth - 2, kBrickHeight - 2);
    cairo_fill(cr);
}

void LevelPainter::DrawLevel(cairo_t* cr, double width, double height, const Level& level,
                             const ViewMarks& marks) const {
    cairo_save(cr);
    cairo_set_source_rgb(cr, 0.13, 0.13, 0.15);
    cairo_paint(cr);
    const ViewPlacement view = PlaceView(width, height);
    cairo_translate(cr, view.left, view.top);
    cairo_scale(cr, view.scale, view.scale);
    cairo_translate(cr, -kViewLeft, -kViewTop);
    cairo_rectangle(cr, 0, 0, kScreenWidth, kScreenHeight);
    cairo_clip(cr);

    // The screen behind the bricks: black, or the background picture at its place.
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    if (cairo_surface_t* picture = Background(level.background)) {
        cairo_set_source_surface(cr, picture, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
    }

    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const Cell& cell = level.cells[std::size_t(row * kColumns + column)];
            const double x = levels::CellX(column + 1), y = levels::CellY(row + 1);
            if (cell.odd) {
                // A line the editor would not write: drawn as the game reads it, with an
                // orange frame and corner so the player sees it is kept as it was.
                const levels::LevelCell read = levels::ReadLevelCell(*cell.odd);
                if (!read.empty) DrawBrick(cr, read.code, x, y);
                const double dash = 3;
                cairo_set_dash(cr, &dash, 1, 0);
                CellOutline(cr, row, column, 1, 0.55, 0.1, 1, 1.5);
                cairo_set_dash(cr, nullptr, 0, 0);
                cairo_move_to(cr, x, y);
                cairo_line_to(cr, x + 10, y);
                cairo_line_to(cr, x, y + 10);
                cairo_close_path(cr);
                cairo_fill(cr);
            } else if (cell.code == 0) {
                CellOutline(cr, row, column, 1, 1, 1, 0.14, 1);
            } else {
                DrawBrick(cr, cell.code, x, y);
            }
        }
    }

    if (marks.mirror) {
        const double dashes[2] = {6, 4};
        cairo_set_dash(cr, dashes, 2, 0);
        cairo_set_source_rgba(cr, 0.4, 0.85, 1, 0.8);
        cairo_set_line_width(cr, 1);
        cairo_move_to(cr, kMirrorX, kViewTop + 8);
        cairo_line_to(cr, kMirrorX, kViewTop + kViewHeight - 8);
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0);
    }
    if (marks.hoverRow >= 0) {
        CellOutline(cr, marks.hoverRow, marks.hoverColumn, 1, 1, 1, 0.9, 2);
        if (marks.mirror)
            CellOutline(cr, marks.hoverRow, kColumns - 1 - marks.hoverColumn, 0.4, 0.85, 1, 0.9,
                        2);
    }
    cairo_restore(cr);
}

}  // namespace editor
