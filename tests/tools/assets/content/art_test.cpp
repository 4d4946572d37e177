// The drawing helpers' exports and the pictures the game scrolls inside themselves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "game/presentation/packs/play_pack.hpp"
#include "tools/assets/art/canvas.hpp"
#include "tools/assets/art/theme.hpp"
#include "tools/assets/catalogue.hpp"

namespace art = tools::assets::art;
namespace play_pack = game::presentation::play_pack;

namespace {

struct Decoded {
    int width = 0, height = 0;
    std::vector<std::uint32_t> px;
    std::uint32_t At(int x, int y) const { return px[std::size_t(y) * width + x]; }
};

Decoded Decode(const std::vector<std::uint8_t>& bytes) {
    Decoded d;
    EXPECT_TRUE(art::DecodePicture(bytes, d.width, d.height, d.px));
    return d;
}

int Channel(std::uint32_t c, int shift) {
    return int((c >> shift) & 0xFF);
}

int ColourDistance(std::uint32_t a, std::uint32_t b) {
    return std::abs(Channel(a, 16) - Channel(b, 16)) + std::abs(Channel(a, 8) - Channel(b, 8)) +
           std::abs(Channel(a, 0) - Channel(b, 0));
}

TEST(CanvasExport, KeyedBmpKeepsSolidDarkPixelsAndCutsFaintEdges) {
    art::Canvas c(9, 5);
    cairo_t* cr = c.cr();
    cairo_rectangle(cr, 0, 0, 3, 5);  // solid black: must stay visible
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_fill(cr);
    cairo_rectangle(cr, 3, 0, 3, 5);  // 10% coverage: background
    cairo_set_source_rgba(cr, 1, 1, 1, 0.1);
    cairo_fill(cr);
    cairo_rectangle(cr, 6, 0, 3, 1);  // a red top row, to see the row order
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_fill(cr);

    std::vector<std::uint8_t> bmp = c.Bmp(art::Finish::Keyed);
    ASSERT_EQ(bmp.size(), 54u + 5u * 28u);  // 27 bytes a row, padded to 28
    EXPECT_EQ(bmp[28], 24);
    // Rows are stored bottom-up: the red row is the last one in the file.
    EXPECT_EQ(bmp[54 + 4 * 28 + 6 * 3 + 2], 255);
    EXPECT_EQ(bmp[54 + 0 * 28 + 6 * 3 + 2], 0);

    Decoded d = Decode(bmp);
    ASSERT_EQ(d.width, 9);
    EXPECT_EQ(d.At(1, 2), 0x010101u);  // near-black, not see-through
    EXPECT_EQ(d.At(4, 2), 0u);         // faint: see-through
    EXPECT_EQ(d.At(7, 3), 0u);         // untouched: see-through
    EXPECT_EQ(d.At(7, 0), 0xFF0101u);
}

TEST(CanvasExport, OpaqueJpegRoundTripsSizeAndColour) {
    art::Canvas c(40, 24);
    cairo_set_source_rgb(c.cr(), 0.2, 0.6, 0.9);
    cairo_paint(c.cr());
    std::vector<std::uint8_t> jpeg = c.Jpeg();
    ASSERT_GE(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    Decoded d = Decode(jpeg);
    EXPECT_EQ(d.width, 40);
    EXPECT_EQ(d.height, 24);
    EXPECT_LE(ColourDistance(d.At(20, 12), 0x3399E6u), 12);
    EXPECT_EQ(c.Jpeg(), jpeg);  // same picture, same bytes

    // Opaque pictures never hold pure black.
    art::Canvas black(4, 4);
    cairo_set_source_rgb(black.cr(), 0, 0, 0);
    cairo_paint(black.cr());
    for (std::uint32_t p : black.Pixels(art::Finish::Opaque))
        EXPECT_EQ(p, 0x010101u);
}

TEST(CanvasExport, DecodeRefusesDamagedPictures) {
    art::Canvas c(8, 8);
    std::vector<std::uint8_t> bmp = c.Bmp(art::Finish::Opaque);
    int w = 0, h = 0;
    std::vector<std::uint32_t> px;
    std::vector<std::uint8_t> cut(bmp.begin(), bmp.begin() + 80);
    EXPECT_FALSE(art::DecodePicture(cut, w, h, px));
    std::vector<std::uint8_t> noise = {'B', 'M', 1, 2, 3};
    EXPECT_FALSE(art::DecodePicture(noise, w, h, px));
    std::vector<std::uint8_t> badJpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0, 0};
    EXPECT_FALSE(art::DecodePicture(badJpeg, w, h, px));
}

// The pixel difference across a seam compared with the picture's own row-to-row change:
// a seamless picture changes no more across the seam than between the two most different
// neighbouring rows inside it.
double SeamRatio(const Decoded& d, bool vertical) {
    auto rowDiff = [&](int a, int b) {
        double sum = 0;
        int n = vertical ? d.width : d.height;
        for (int i = 0; i < n; ++i)
            sum += vertical ? ColourDistance(d.At(i, a), d.At(i, b))
                            : ColourDistance(d.At(a, i), d.At(b, i));
        return sum / n;
    };
    int len = vertical ? d.height : d.width;
    double largest = 0;
    for (int i = 0; i + 1 < len; ++i)
        largest = std::max(largest, rowDiff(i, i + 1));
    return rowDiff(len - 1, 0) / std::max(largest, 0.5);
}

const tools::assets::EntrySpec& Entry(const std::vector<tools::assets::PackSpec>& packs,
                                      const std::string& pack, std::size_t entry) {
    for (const auto& p : packs)
        if (p.name == pack) return p.entries.at(entry);
    throw std::runtime_error("no pack " + pack);
}

TEST(ScrollingPictures, RepeatWithoutASeam) {
    auto packs = tools::assets::Catalogue();
    struct Case {
        const char* pack;
        std::size_t entry;
        bool vertical, horizontal;
    };
    // Backgrounds scroll down; the intro lattice scrolls up and turns left; the barrier,
    // the pause band, the rails and the window panels turn inside themselves.
    const auto play = [](int sprite) { return std::size_t(play_pack::PictureEntry(sprite)); };
    const Case cases[] = {
        {"lvl0105.pak", 0, true, false},
        {"lvl1115.pak", 2, true, false},
        {"level1.pak", play(play_pack::kIntroLattice), true, true},
        {"level1.pak", play(play_pack::kBarrier), false, true},
        {"level1.pak", play(play_pack::kPauseBand), false, true},
        {"logo.pak", 1, false, true},
        {"introduce.pak", 1, true, true},
        {"introduce.pak", 17, true, false},
        {"win.pak", 0, false, true},
        {"gameover.pak", 3, true, true},
    };
    for (const Case& c : cases) {
        Decoded d = Decode(Entry(packs, c.pack, c.entry).make());
        ASSERT_GT(d.width, 1) << c.pack << " " << c.entry;
        if (c.vertical) {
            EXPECT_LE(SeamRatio(d, true), 1.1) << c.pack << " entry " << c.entry << " top/bottom";
        }
        if (c.horizontal) {
            EXPECT_LE(SeamRatio(d, false), 1.1) << c.pack << " entry " << c.entry << " left/right";
        }
    }
}

TEST(ScrollingPictures, ExplosionStripEndsOnAnEmptyFrame) {
    // The effect holds the strip's last frame until it ends, so that frame must be empty,
    // while the first frames show the burst.
    auto packs = tools::assets::Catalogue();
    const int strip = play_pack::PictureEntry(play_pack::kExplosionStrip);
    Decoded d = Decode(Entry(packs, "level1.pak", std::size_t(strip)).make());
    ASSERT_EQ(d.width, 510);
    auto lit = [&](int frame) {
        int n = 0;
        for (int y = 0; y < d.height; ++y)
            for (int x = frame * 30; x < frame * 30 + 30; ++x)
                n += d.At(x, y) != 0;
        return n;
    };
    EXPECT_EQ(lit(16), 0);
    EXPECT_GT(lit(0), 20);
}

// A fresh machine set up by scripts/deps must have every face the builder draws with, and a
// missing face must name the package that brings it.
TEST(Fonts, EveryFaceComesFromAPackageTheDepsScriptInstalls) {
    if (std::system("command -v dpkg-query >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "not a Debian system";
    }
    std::ifstream script(std::string(TESSALY_SOURCE_DIR) + "/scripts/deps");
    const std::set<std::string> deps{std::istream_iterator<std::string>(script), {}};
    ASSERT_TRUE(deps.count("fonts-dejavu-core"));
    for (art::Font font : art::kAllFonts) {
        const art::FontSource source = art::FontSourceOf(font);
        const std::string path = art::FindFontFile(font);
        ASSERT_FALSE(path.empty()) << source.file;
        // dpkg-query -S prints "package: path" for the package that owns the file.
        std::string owner;
        if (FILE* query = ::popen(("dpkg-query -S '" + path + "' 2>/dev/null").c_str(), "r")) {
            char line[512];
            if (std::fgets(line, sizeof line, query)) owner = line;
            ::pclose(query);
        }
        if (owner.empty()) continue;  // installed by hand, not from a package
        EXPECT_EQ(owner.substr(0, owner.find(':')), source.package) << source.file;
        EXPECT_TRUE(deps.count(source.package)) << source.package << " is not in scripts/deps";
    }
}

}  // namespace
