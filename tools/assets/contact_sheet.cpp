// The contact sheet: every picture of every pack on one PNG, grouped by pack, each with
// its entry number and target, so a reviewer sees the whole set at once.
#include <algorithm>
#include <cmath>
#include <string>

#include "game/presentation/packs/play_pack.hpp"
#include "tools/assets/art/canvas.hpp"
#include "tools/assets/art/theme.hpp"
#include "tools/assets/builder.hpp"
#include "tools/assets/catalogue.hpp"

namespace tools::assets {

namespace {

namespace play_pack = game::presentation::play_pack;

// The entry of "level1.pak" that the game reads into a picture.
std::size_t Play(int sprite) {
    return std::size_t(play_pack::PictureEntry(sprite));
}

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

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

// A picture as a Cairo surface with see-through black, the way keyed drawing shows it.
cairo_surface_t* KeyedSurface(const Picture& p) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, p.width, p.height);
    cairo_surface_flush(s);
    auto* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            std::uint32_t c = p.pixels[std::size_t(y) * p.width + x];
            reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride)[x] =
                c == 0 ? 0 : (0xFF000000u | c);
        }
    cairo_surface_mark_dirty(s);
    return s;
}

Picture Decode(const EntrySpec& entry) {
    Picture p;
    art::DecodePicture(entry.make(), p.width, p.height, p.pixels);
    return p;
}

// Draws packs' pictures onto an 800 x 600 area as the game would: keyed, opaque or added.
class Composer {
  public:
    Composer(cairo_t* cr, double x0, double y0) : cr_(cr), x0_(x0), y0_(y0), packs_(Catalogue()) {}

    Picture Get(const std::string& pack, std::size_t entry) {
        for (const PackSpec& p : packs_)
            if (p.name == pack && entry < p.entries.size()) return Decode(p.entries[entry]);
        return {};
    }

    void Draw(const Picture& p, double x, double y, double alpha = 1.0,
              cairo_operator_t op = CAIRO_OPERATOR_OVER) {
        if (p.pixels.empty()) return;
        cairo_surface_t* s = KeyedSurface(p);
        cairo_save(cr_);
        cairo_rectangle(cr_, x0_, y0_, 800, 600);
        cairo_clip(cr_);
        cairo_set_operator(cr_, op);
        cairo_set_source_surface(cr_, s, x0_ + x, y0_ + y);
        cairo_paint_with_alpha(cr_, alpha);
        cairo_restore(cr_);
        cairo_surface_destroy(s);
    }
    void Draw(const std::string& pack, std::size_t entry, double x, double y) {
        Draw(Get(pack, entry), x, y);
    }
    void Clip(double x, double y, double w, double h) {
        cairo_save(cr_);
        cairo_rectangle(cr_, x0_ + x, y0_ + y, w, h);
        cairo_clip(cr_);
    }
    void Unclip() { cairo_restore(cr_); }
    void Black() {
        cairo_rectangle(cr_, x0_, y0_, 800, 600);
        cairo_set_source_rgb(cr_, 0, 0, 0);
        cairo_fill(cr_);
    }
    // Text in the bitmap font (digits and lower-case letters, 32 pixels a character).
    void Text(const std::string& text, double x, double y) {
        for (char ch : text) {
            if (ch >= '0' && ch <= '9') Draw("fontes.pak", std::size_t(ch - '0'), x, y);
            if (ch >= 'a' && ch <= 'z') Draw("fontes.pak", std::size_t(10 + ch - 'a'), x, y);
            x += 32;
        }
    }

  private:
    cairo_t* cr_;
    double x0_, y0_;
    std::vector<PackSpec> packs_;
};

// A frame of play: level 4's layout on the first background.
void DrawPlayPreview(cairo_t* cr, double x0, double y0) {
    Composer c(cr, x0, y0);
    c.Black();
    c.Draw("lvl0105.pak", 0, 0, 0);
    c.Draw("level1.pak", Play(play_pack::kPlayfieldFrame), 0, 0);
    static const char* const kRows[] = {".ii.hhffffffffhh.ii.", "ii.hgghfjjjjfhggh.ii",
                                        "ii.hddhfjjjjfhddh.ii", "ii.heehfjjjjfheeh.ii",
                                        ".ii.hhffffffffhh.ii.", "..ii............ii..",
                                        "...iiiiiiiiiiiiii...", "i...iiiiiiiiiiii...i"};
    Picture bricks[7];
    for (int i = 0; i < 7; ++i)
        bricks[i] = c.Get("level1.pak", Play(play_pack::kFirstBrick + i));
    Picture mark = c.Get("level1.pak", Play(play_pack::HitsLeftMark(3)));
    for (int r = 0; r < 8; ++r)
        for (int col = 0; col < 20; ++col) {
            char ch = kRows[r][col];
            if (ch == '.') continue;
            double x = 75 + 33 * col, y = 75 + 32 * r;
            c.Draw(bricks[ch - 'd'], x, y);
            if (ch == 'f') c.Draw(mark, x + 8, y + 8);
        }
    c.Draw("level1.pak", Play(play_pack::kGaugeFrame), 5, 350);
    c.Clip(5, 534 - 110, 71, 110);
    c.Draw("level1.pak", Play(play_pack::kGaugeFill), 5, 350);
    c.Unclip();
    c.Draw("level1.pak", Play(play_pack::kPaddle), 300, 580);
    c.Draw(c.Get("level1.pak", Play(play_pack::kBallGlowTexture)), 340 - 8, 470 - 8, 80 / 255.0,
           CAIRO_OPERATOR_ADD);
    c.Draw("level1.pak", Play(play_pack::kBall), 340, 470);
    c.Draw("level1.pak", Play(play_pack::kPowerCapsule), 380, 250);
    std::string score = "000012450";
    for (std::size_t i = 0; i < score.size(); ++i)
        c.Draw("sc.pak", std::size_t(score[i] - '0'), 20 + 32 * double(i), 20);
    for (int i = 1; i <= 3; ++i)
        c.Draw("level1.pak", Play(play_pack::kLifeIcon), 630 + 32 * i, 30);
    c.Draw("level1.pak", Play(play_pack::kStreakLabel), 630, 35);
    c.Draw("sc.pak", 7, 730, 40);
}

// The title menu with the pointer over Credits and a few rows of the high-score table.
void DrawMenuPreview(cairo_t* cr, double x0, double y0) {
    Composer c(cr, x0, y0);
    c.Black();
    c.Draw("introduce.pak", 17, 0, 0);
    c.Draw("wat.pak", 0, 0, 150);
    c.Draw("introduce.pak", 9, 30, 190);
    c.Draw("introduce.pak", 15, 295, 190);
    c.Draw("introduce.pak", 11, 550, 190);
    c.Draw("introduce.pak", 0, 0, 40);
    c.Draw("introduce.pak", 1, 0, 265);
    c.Draw("introduce.pak", 6, 0, 270);
    c.Draw("introduce.pak", 7, 0, 270);
    const char* names[] = {"nova", "orion", "vega", "lyra", "tess", "sirius"};
    const char* scores[] = {"50000", "42150", "30200", "21000", "12500", "8000"};
    for (int i = 0; i < 6; ++i) {
        c.Text(names[i], 130, 285 + 38 * i);
        c.Text(scores[i], 470, 285 + 38 * i);
    }
    c.Draw("introduce.pak", 2, 0, 255);
    c.Draw("introduce.pak", 2, 0, 534);
    c.Draw("introduce.pak", 13, 380, 222);
}

// The start of a level: the lattice overlay between its posts and the title falling.
void DrawLevelStartPreview(cairo_t* cr, double x0, double y0) {
    Composer c(cr, x0, y0);
    c.Black();
    c.Draw("lvl0610.pak", 2, 0, 0);
    c.Draw("level1.pak", Play(play_pack::kPlayfieldFrame), 0, 0);
    c.Draw("level1.pak", Play(play_pack::kIntroLattice), 100, 0);
    c.Draw("level1.pak", Play(play_pack::kSidePost), 90, 0);
    c.Draw("level1.pak", Play(play_pack::kSidePost), 690, 0);
    c.Draw("level1.pak", Play(play_pack::kGetReadyTitle), 100, 220);
    c.Draw("level1.pak", Play(play_pack::kPaddle), 200, 580);
    c.Draw("level1.pak", Play(play_pack::kBall), 220, 560);
}

// The pause banner over a level, with the double-score banner passing.
void DrawPausePreview(cairo_t* cr, double x0, double y0) {
    Composer c(cr, x0, y0);
    c.Black();
    c.Draw("lvl1115.pak", 0, 0, 0);
    c.Draw("level1.pak", Play(play_pack::kPlayfieldFrame), 0, 0);
    for (int col = 0; col < 20; ++col)
        for (int r = 0; r < 3; ++r)
            c.Draw("level1.pak", Play(play_pack::kFirstBrick + (r == 1 ? 5 : 6)), 75 + 33 * col,
                   75 + 32 * r);
    c.Draw("level1.pak", Play(play_pack::kDoubleScoreBanner), 120, 420);
    c.Draw("level1.pak", Play(play_pack::kPauseBand), 0, 200);
    c.Draw("level1.pak", Play(play_pack::kPauseSparks), 0, 200);
    c.Draw("level1.pak", Play(play_pack::kPauseText), 0, 200);
    c.Draw("level1.pak", Play(play_pack::kBarrier), 0, 450);
    c.Draw("level1.pak", Play(play_pack::kLeftBarrierPost), 0, 443);
    c.Draw("level1.pak", Play(play_pack::kRightBarrierPost), 780, 443);
    c.Draw("level1.pak", Play(play_pack::kWidePaddle), 470, 580);
    for (int i = 0; i < 4; ++i)
        c.Draw("level1.pak",
               Play(i % 2 ? play_pack::DimLetter(i + 1) : play_pack::LitLetter(i + 1)), 690,
               380 + 46 * i);
}

// The level-complete screen: the lattice passing, the beam, the emblem rising, the banner.
void DrawLevelCompletePreview(cairo_t* cr, double x0, double y0) {
    Composer c(cr, x0, y0);
    c.Black();
    c.Draw("level1.pak", Play(play_pack::kPlayfieldFrame), 0, 0);
    c.Draw("level1.pak", Play(play_pack::kIntroLattice), 0, 100);
    c.Draw("level1.pak", Play(play_pack::kSidePost), 90, 0);
    c.Draw("level1.pak", Play(play_pack::kSidePost), 690, 0);
    Picture beam = c.Get("level1.pak", Play(play_pack::kBeamTexture));
    for (int k = 0; k < 7; ++k)
        c.Draw(beam, 336, 128 * k, 80 / 255.0, CAIRO_OPERATOR_ADD);
    c.Draw(c.Get("level1.pak", Play(play_pack::kEmblemTexture)), 336, 300, 1.0, CAIRO_OPERATOR_ADD);
    c.Draw("level1.pak", Play(play_pack::kLevelCompleteMedal), 325, -55);
    c.Draw("level1.pak", Play(play_pack::kLevelCompleteBanner), 0, 150);
    std::string score = "000031250";
    for (std::size_t i = 0; i < score.size(); ++i)
        c.Draw("sc.pak", std::size_t(score[i] - '0'), 20 + 32 * double(i), 20);
    for (int i = 1; i <= 2; ++i)
        c.Draw("level1.pak", Play(play_pack::kLifeIcon), 630 + 32 * i, 30);
}

// Game over with the name entry under way.
void DrawGameOverPreview(cairo_t* cr, double x0, double y0) {
    Composer c(cr, x0, y0);
    c.Black();
    c.Draw("gameover.pak", 0, 0, 0);
    c.Draw("gameover.pak", 3, 0, 265);
    c.Draw("gameover.pak", 4, 0, 256);
    c.Draw("gameover.pak", 4, 0, 533);
    c.Draw("gameover.pak", 1, 0, 320);
    c.Text("nova", 235, 470);
    for (int k = 4; k < 10; ++k)
        c.Draw("gameover.pak", 2, 235 + 32 * k, 470);
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

    // Lay out: the play mock-up first, then a title line per pack and its pictures left to
    // right, wrapping.
    const int previewY = kMargin + 34;
    int y = previewY + 3 * 620 + 40;
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
    art::UseFont(cr, art::Font::SansBold, 20);
    cairo_set_source_rgb(cr, 0.9, 0.92, 1.0);
    cairo_move_to(cr, kMargin, kMargin + 22);
    cairo_show_text(cr,
                    "put together from the packs: play, title menu, level start, pause, level "
                    "complete, game over");
    DrawPlayPreview(cr, kMargin, previewY);
    DrawMenuPreview(cr, kMargin + 820, previewY);
    DrawLevelStartPreview(cr, kMargin, previewY + 620);
    DrawPausePreview(cr, kMargin + 820, previewY + 620);
    DrawLevelCompletePreview(cr, kMargin, previewY + 1240);
    DrawGameOverPreview(cr, kMargin + 820, previewY + 1240);
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

bool WritePicturePng(const std::string& packName, int entry, const std::string& pngPath,
                     std::string* error) {
    for (const PackSpec& pack : Catalogue()) {
        if (pack.name != packName) continue;
        if (entry < 0 || std::size_t(entry) >= pack.entries.size() ||
            pack.entries[std::size_t(entry)].kind == EntryKind::Wave) {
            if (error) *error = packName + " has no picture at entry " + std::to_string(entry);
            return false;
        }
        int w = 0, h = 0;
        std::vector<std::uint32_t> pixels;
        if (!art::DecodePicture(pack.entries[std::size_t(entry)].make(), w, h, pixels)) {
            if (error) *error = "entry does not decode";
            return false;
        }
        cairo_surface_t* s = art::SurfaceFromPixels(w, h, pixels);
        bool ok = cairo_surface_write_to_png(s, pngPath.c_str()) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(s);
        if (!ok && error) *error = "cannot write " + pngPath;
        return ok;
    }
    if (error) *error = "no pack named " + packName;
    return false;
}

}  // namespace tools::assets
