#include <gtest/gtest.h>

#include "picture_files.hpp"
#include "runtime/images/images.hpp"

namespace {

using runtime::images::DecodeBmpIndexed;
using runtime::images::DecodePicture;
using runtime::screen::Surface;
using tessaly::testing::MakeBmp;
using tessaly::testing::PutU32;
using Pixels = std::vector<std::uint32_t>;  // store values read as 0xRRGGBB

TEST(BmpPalettes, IndicesGoThroughTheColourTableBottomRowLast) {
    std::vector<std::uint32_t> palette(16, 0x123456);
    palette[1] = 0xFF0000;
    palette[2] = 0x00FF00;
    palette[3] = 0x0000FF;
    // 4 bits, odd width: the high nibble is the left pixel, the last low nibble is unused.
    auto four = MakeBmp(3, 2, 4, {{0x12, 0x3F}, {0xF1, 0x2F}}, palette);
    Surface s;
    int bits = 0;
    ASSERT_TRUE(DecodePicture(four.data(), four.size(), s, &bits));
    EXPECT_EQ(bits, 4);
    EXPECT_EQ(s.pixels, (Pixels{0x123456, 0xFF0000, 0x00FF00, 0xFF0000, 0x00FF00, 0x0000FF}));

    // 8 bits behind a 124-byte info header, with a 3-entry table: index 200 is past it.
    auto eight = MakeBmp(2, 2, 8, {{1, 2}, {200, 0}}, {0x000000, 0xA0B0C0, 0x102030}, 3, 124);
    ASSERT_TRUE(DecodePicture(eight.data(), eight.size(), s, &bits));
    EXPECT_EQ(bits, 8);
    EXPECT_EQ(s.pixels, (Pixels{0, 0, 0xA0B0C0, 0x102030}));
    std::vector<std::uint8_t> indices;
    int w = 0, h = 0;
    ASSERT_TRUE(DecodeBmpIndexed(eight.data(), eight.size(), indices, w, h));
    EXPECT_EQ(w * 10 + h, 22);
    EXPECT_EQ(indices, (std::vector<std::uint8_t>{200, 0, 1, 2}));
    EXPECT_FALSE(DecodeBmpIndexed(four.data(), four.size(), indices, w, h));
}

TEST(BmpTrueColour, DepthsGiveBlueGreenRedAndSkipRowPadding) {
    // 5-5-5: full red, full green, full blue, and 16 of 31 in each component.
    auto b16 = MakeBmp(4, 1, 16, {{0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0x42}});
    Surface s;
    ASSERT_TRUE(DecodePicture(b16.data(), b16.size(), s, nullptr));
    EXPECT_EQ(s.pixels, (Pixels{0xFF0000, 0x00FF00, 0x0000FF, 0x848484}));
    // The fourth byte of a 32-bit pixel never reaches the store's unused top byte.
    auto b32 = MakeBmp(2, 1, 32, {{1, 2, 3, 0xFF, 0x10, 0x20, 0x30, 0x7F}});
    ASSERT_TRUE(DecodePicture(b32.data(), b32.size(), s, nullptr));
    EXPECT_EQ(s.pixels, (Pixels{0x030201, 0x302010}));

    for (int width = 1; width <= 4; ++width) {
        std::vector<std::vector<std::uint8_t>> rows(3);
        Pixels expected(std::size_t(width) * 3);
        for (int stored = 0; stored < 3; ++stored) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t b = std::uint8_t(stored * 16 + x), g = 0x40, r = 0x80;
                rows[std::size_t(stored)].insert(rows[std::size_t(stored)].end(), {b, g, r});
                expected[std::size_t((2 - stored) * width + x)] = b | g << 8 | r << 16;
            }
        }
        auto bmp = MakeBmp(width, 3, 24, rows);
        int bits = 0;
        ASSERT_TRUE(DecodePicture(bmp.data(), bmp.size(), s, &bits));
        EXPECT_EQ(bits, 24);
        EXPECT_EQ(s.pixels, expected) << "width " << width;
    }
}

TEST(BmpRefused, CompressedTopDownTruncatedAndHostileHeaders) {
    const auto good = MakeBmp(2, 2, 24, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}});
    struct Patch {
        std::size_t at;
        std::uint32_t value;
        const char* what;
    };
    const Patch patches[] = {
        {30, 1, "run-length encoded"},
        {30, 3, "bit fields"},
        {22, std::uint32_t(-2), "top-down"},
        {18, 0, "zero width"},
        {28, 2, "2 bits"},
        {28, 48, "48 bits"},
        {18, 0x7FFFFFFF, "huge width"},
        {22, 0x40000000, "huge height"},
        {10, 70, "pixel data past the end"},
        {10, 0xFFFFFFF0, "pixel offset wrapping"},
        {14, 12, "old small header"},
        {14, 4000, "header past the end"},
        {14, 0xFFFFFFFF, "header size wrapping"},
    };
    std::vector<std::vector<std::uint8_t>> cases;
    for (const Patch& p : patches) {
        cases.push_back(good);
        PutU32(cases.back(), p.at, p.value);
    }
    for (std::size_t cut : {1, 2, 53, 69})
        cases.emplace_back(good.begin(), good.begin() + cut);
    // A full 256-colour table promised, one entry given.
    cases.push_back(MakeBmp(1, 1, 8, {{0}}, {0xFFFFFF}));

    for (std::size_t i = 0; i < cases.size(); ++i) {
        Surface s(1, 1);
        s.pixels[0] = 0xABCDEF;
        int bits = -5;
        // An exact-size copy, so any read past the end is caught by the sanitizers.
        std::vector<std::uint8_t> bytes(cases[i]);
        EXPECT_FALSE(DecodePicture(bytes.data(), bytes.size(), s, &bits))
            << (i < std::size(patches) ? patches[i].what : "truncated");
        EXPECT_EQ(s.pixels, Pixels{0xABCDEF});
        EXPECT_EQ(bits, -5);
    }
    Surface s;
    EXPECT_FALSE(DecodePicture(nullptr, 100, s, nullptr));
    EXPECT_FALSE(DecodePicture(good.data(), 0, s, nullptr));
}

}  // namespace
