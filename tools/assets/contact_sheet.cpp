// The contact sheet: every picture of every pack on one PNG, grouped by pack, each with
// its entry number and target, so a reviewer sees the whole set at once.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/assets/art/canvas.hpp"
#include "tools/assets/art/theme.hpp"
#include "tools/assets/builder.hpp"
#include "tools/assets/catalogue.hpp"

namespace tools::assets {

namespace {

constexpr int kSheetWidth = 1900;
constexpr int kMargin = 16;
constexpr int kLabelHeight = 18;
constexpr int kMaxThumbWidth = 420;
constexpr int kMaxThumbHeight = 320;

struct Thumb {
    std::string label;
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    double scale = 1;
    int x = 0, y = 0;  // placement of the framed cell
};

struct Group {
    std::string title;
    int y = 0;
    std::vector<Thumb> thumbs;
};

// Small pictures are enlarged so their detail shows; big ones shrink to fit a cell.
double ScaleFor(int w, int h) {
    double s = std::min(double(kMaxThumbWidth) / w, double(kMaxThumbHeight) / h);
    if (s >= 4) return 4;
    if (s >= 2) return 2;
    return std::min(1.0, s);
}

// A dark checker shows where a picture is see-through black.
void Checker(cairo_t* cr, double x, double y, double w, double h) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    for (int j = 0; j * 8 < h; ++j)
        for (int i = 0; i * 8 < w; ++i) {
            double v = ((i + j) % 2) ? 0.16 : 0.22;
            cairo_set_source_rgb(cr, v, v * 0.9, v * 1.1);
            cairo_rectangle(cr, x + i * 8, y + j * 8, 8, 8);
            cairo_fill(cr);
        }
    cairo_restore(cr);
}

}  // namespace

bool WriteContactSheet(const std::string& pngPath, std::string* error) {
    std::vector<Group> groups;
    for (const PackSpec& pack : Catalogue()) {
        Group group{pack.name + "  (" + std::to_string(pack.entries.size()) + " entries)", 0, {}};
        for (std::size_t i = 0; i < pack.entries.size(); ++i) {
            const EntrySpec& entry = pack.entries[i];
            if (entry.kind == EntryKind::Wave) continue;
            Thumb t;
            if (!art::DecodePicture(entry.make(), t.width, t.height, t.pixels)) {
                if (error) *error = pack.name + " entry " + std::to_string(i) + " does not decode";
                return false;
            }
            t.label = std::to_string(i) + ": " + entry.target + "  " + std::to_string(t.width) +
                      "x" + std::to_string(t.height);
            t.scale = ScaleFor(t.width, t.height);
            group.thumbs.push_back(std::move(t));
        }
        if (!group.thumbs.empty()) groups.push_back(std::move(group));
    }

    // Lay out: a title line per pack, then its pictures left to right, wrapping.
    int y = kMargin;
    for (Group& g : groups) {
        g.y = y;
        y += 34;
        int x = kMargin, rowHeight = 0;
        for (Thumb& t : g.thumbs) {
            int w = std::max(int(std::ceil(t.width * t.scale)), 150) + 8;
            int h = int(std::ceil(t.height * t.scale)) + 8 + kLabelHeight;
            if (x + w > kSheetWidth - kMargin && x > kMargin) {
                x = kMargin;
                y += rowHeight + 10;
                rowHeight = 0;
            }
            t.x = x;
            t.y = y;
            x += w + 10;
            rowHeight = std::max(rowHeight, h);
        }
        y += rowHeight + 24;
    }
    int height = y + kMargin;

    art::Canvas sheet(kSheetWidth, height);
    cairo_t* cr = sheet.cr();
    cairo_set_source_rgb(cr, 0.09, 0.09, 0.11);
    cairo_paint(cr);
    for (const Group& g : groups) {
        art::UseFont(cr, art::Font::SansBold, 20);
        cairo_set_source_rgb(cr, 0.9, 0.92, 1.0);
        cairo_move_to(cr, kMargin, g.y + 22);
        cairo_show_text(cr, g.title.c_str());
        for (const Thumb& t : g.thumbs) {
            double w = t.width * t.scale, h = t.height * t.scale;
            art::UseFont(cr, art::Font::Sans, 12);
            cairo_set_source_rgb(cr, 0.75, 0.8, 0.9);
            cairo_move_to(cr, t.x, t.y + 13);
            cairo_show_text(cr, t.label.c_str());
            double px = t.x + 4, py = t.y + kLabelHeight + 4;
            Checker(cr, px - 4, py - 4, w + 8, h + 8);
            // Black is see-through in the game: show it as the checker.
            cairo_surface_t* keyed =
                cairo_image_surface_create(CAIRO_FORMAT_ARGB32, t.width, t.height);
            cairo_surface_flush(keyed);
            auto* data = cairo_image_surface_get_data(keyed);
            int stride = cairo_image_surface_get_stride(keyed);
            for (int yy = 0; yy < t.height; ++yy)
                for (int xx = 0; xx < t.width; ++xx) {
                    std::uint32_t c = t.pixels[std::size_t(yy) * t.width + xx];
                    reinterpret_cast<std::uint32_t*>(data + std::size_t(yy) * stride)[xx] =
                        c == 0 ? 0 : (0xFF000000u | c);
                }
            cairo_surface_mark_dirty(keyed);
            cairo_save(cr);
            cairo_translate(cr, px, py);
            cairo_scale(cr, t.scale, t.scale);
            cairo_set_source_surface(cr, keyed, 0, 0);
            cairo_pattern_set_filter(cairo_get_source(cr),
                                     t.scale >= 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
            cairo_paint(cr);
            cairo_restore(cr);
            cairo_surface_destroy(keyed);
        }
    }
    cairo_surface_flush(sheet.surface());
    if (cairo_surface_write_to_png(sheet.surface(), pngPath.c_str()) != CAIRO_STATUS_SUCCESS) {
        if (error) *error = "cannot write " + pngPath;
        return false;
    }
    return true;
}

}  // namespace tools::assets
