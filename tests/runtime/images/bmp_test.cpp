#include <gtest/gtest.h>

#include "picture_files.hpp"
#include "runtime/images/images.hpp"

namespace {

using runtime::images::DecodeBmpIndexed;
using runtime::images::DecodePicture;
using runtime::screen::Surface;
using tessaly::testing::BmpLayout;
using tessaly::testing::Layout;
using tessaly::testing::MakeBmp;
using tessaly::testing::PutU32;

// Store values read as 0xRRGGBB, since blue is the lowest byte.
std::vector<std::uint32_t> Pixels(const Surface& s) {
    return s.pixels;
}

TEST(BmpPalettes, FourBitOddWidthReadsHighNibbleFirstAndBottomRowLast) {
    BmpLayout layout = Layout(3, 2, 4);
    layout.colorsUsed = 0;
    layout.palette.assign(16, 0);
    layout.palette[1] = 0xFF0000;
    layout.palette[2] = 0x00FF00;
    layout.palette[3] = 0x0000FF;
    layout.palette[15] = 0x123456;
    // Stored bottom row first; the low nibble of the last byte is past the width.
    auto bmp = MakeBmp(layout, {{0x12, 0x3F}, {0xF1, 0x2F}});
    Surface s;
    int bits = 0;
    ASSERT_TRUE(DecodePicture(bmp.data(), bmp.size(), s, &bits));
    EXPECT_EQ(bits, 4);
    ASSERT_EQ(s.width, 3);
    ASSERT_EQ(s.height, 2);
    EXPECT_EQ(Pixels(s), (std::vector<std::uint32_t>{0x123456, 0xFF0000, 0x00FF00, 0xFF0000,
                                                     0x00FF00, 0x0000FF}));
}

TEST(BmpPalettes, EightBitTableFollowsAnyInfoHeaderSize) {
    // A 124-byte header (the newest kind): the colour table starts at 14 + 124.
    for (std::uint32_t infoSize : {40u, 108u, 124u}) {
        BmpLayout layout = Layout(2, 2, 8);
        layout.infoSize = infoSize;
        layout.colorsUsed = 3;
        layout.palette = {0x000000, 0xA0B0C0, 0x102030};
        auto bmp = MakeBmp(layout, {{1, 2}, {2, 0}});
        Surface s;
        int bits = 0;
        ASSERT_TRUE(DecodePicture(bmp.data(), bmp.size(), s, &bits)) << infoSize;
        EXPECT_EQ(bits, 8);
        EXPECT_EQ(Pixels(s), (std::vector<std::uint32_t>{0x102030, 0, 0xA0B0C0, 0x102030}))
            << infoSize;

        std::vector<std::uint8_t> indices;
        int w = 0, h = 0;
        ASSERT_TRUE(DecodeBmpIndexed(bmp.data(), bmp.size(), indices, w, h));
        EXPECT_EQ(w, 2);
        EXPECT_EQ(h, 2);
        EXPECT_EQ(indices, (std::vector<std::uint8_t>{2, 0, 1, 2}));
    }
}

TEST(BmpPalettes, IndexPastAShortTableIsBlackAndOnlyEightBitGivesIndices) {
    BmpLayout layout = Layout(2, 1, 8);
    layout.colorsUsed = 1;
    layout.palette = {0xFFFFFF};
    auto bmp = MakeBmp(layout, {{0, 200}});
    Surface s;
    ASSERT_TRUE(DecodePicture(bmp.data(), bmp.size(), s, nullptr));
    EXPECT_EQ(Pixels(s), (std::vector<std::uint32_t>{0xFFFFFF, 0}));

    BmpLayout mono = Layout(9, 1, 1);
    mono.palette = {0x000000, 0xFFFFFF};
    auto one = MakeBmp(mono, {{0b10100000, 0b10000000}});
    ASSERT_TRUE(DecodePicture(one.data(), one.size(), s, nullptr));
    EXPECT_EQ(Pixels(s),
              (std::vector<std::uint32_t>{0xFFFFFF, 0, 0xFFFFFF, 0, 0, 0, 0, 0, 0xFFFFFF}));
    std::vector<std::uint8_t> indices;
    int w = 0, h = 0;
    EXPECT_FALSE(DecodeBmpIndexed(one.data(), one.size(), indices, w, h));
}

TEST(BmpTrueColour, SixteenTwentyFourAndThirtyTwoBitsGiveBlueGreenRed) {
    // 5-5-5: full red, full green, full blue, and a mid gray (16, 16, 16).
    BmpLayout l16 = Layout(4, 1, 16);
    auto b16 = MakeBmp(l16, {{0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0x42}});
    Surface s;
    int bits = 0;
    ASSERT_TRUE(DecodePicture(b16.data(), b16.size(), s, &bits));
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(Pixels(s), (std::vector<std::uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0x848484}));

    BmpLayout l24 = Layout(2, 1, 24);
    auto b24 = MakeBmp(l24, {{0x01, 0x02, 0x03, 0xFF, 0x00, 0x80}});
    ASSERT_TRUE(DecodePicture(b24.data(), b24.size(), s, &bits));
    EXPECT_EQ(bits, 24);
    EXPECT_EQ(Pixels(s), (std::vector<std::uint32_t>{0x030201, 0x8000FF}));

    // The fourth byte of a 32-bit pixel never reaches the store's unused top byte.
    BmpLayout l32 = Layout(2, 1, 32);
    auto b32 = MakeBmp(l32, {{0x01, 0x02, 0x03, 0xFF, 0x10, 0x20, 0x30, 0x7F}});
    ASSERT_TRUE(DecodePicture(b32.data(), b32.size(), s, &bits));
    EXPECT_EQ(bits, 32);
    EXPECT_EQ(Pixels(s), (std::vector<std::uint32_t>{0x030201, 0x302010}));
}

TEST(BmpTrueColour, RowPaddingIsSkippedForWidthsOneToFour) {
    for (int width = 1; width <= 4; ++width) {
        for (int bits : {8, 24}) {
            BmpLayout layout = Layout(width, 3, bits);
            if (bits == 8) {
                for (int i = 0; i < 256; ++i)
                    layout.palette.push_back(std::uint32_t(i) * 0x010101);
            }
            std::vector<std::vector<std::uint8_t>> rows;
            for (int stored = 0; stored < 3; ++stored) {
                std::vector<std::uint8_t> row;
                for (int x = 0; x < width * bits / 8; ++x)
                    row.push_back(std::uint8_t(stored * 16 + x));
                rows.push_back(row);
            }
            auto bmp = MakeBmp(layout, rows);
            Surface s;
            ASSERT_TRUE(DecodePicture(bmp.data(), bmp.size(), s, nullptr));
            for (int y = 0; y < 3; ++y) {
                const int stored = 2 - y;
                for (int x = 0; x < width; ++x) {
                    const std::uint32_t expected =
                        bits == 8 ? std::uint32_t(stored * 16 + x) * 0x010101
                                  : std::uint32_t(stored * 16 + 3 * x) |
                                        std::uint32_t(stored * 16 + 3 * x + 1) << 8 |
                                        std::uint32_t(stored * 16 + 3 * x + 2) << 16;
                    EXPECT_EQ(s.At(x, y), expected)
                        << "width " << width << " bits " << bits << " at " << x << "," << y;
                }
            }
        }
    }
}

// A valid 2 x 2, 24-bit BMP to damage in the refusal tests.
std::vector<std::uint8_t> GoodBmp() {
    return MakeBmp(Layout(2, 2, 24), {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}});
}

void ExpectRefused(const std::vector<std::uint8_t>& bytes, const char* what) {
    Surface s(1, 1);
    s.pixels[0] = 0xABCDEF;
    int bits = -5;
    EXPECT_FALSE(DecodePicture(bytes.data(), bytes.size(), s, &bits)) << what;
    EXPECT_EQ(s.width, 1) << what;
    EXPECT_EQ(s.pixels[0], 0xABCDEFu) << what;
    EXPECT_EQ(bits, -5) << what;
}

TEST(BmpRefused, CompressedTopDownAndOddDepths) {
    auto rle = GoodBmp();
    PutU32(rle, 30, 1);
    ExpectRefused(rle, "run-length encoded");
    auto fields = GoodBmp();
    PutU32(fields, 30, 3);
    ExpectRefused(fields, "bit fields");
    auto topDown = GoodBmp();
    PutU32(topDown, 22, std::uint32_t(-2));
    ExpectRefused(topDown, "top-down");
    auto empty = GoodBmp();
    PutU32(empty, 18, 0);
    ExpectRefused(empty, "zero width");
    for (int bits : {0, 2, 7, 15, 48}) {
        auto odd = GoodBmp();
        odd[28] = std::uint8_t(bits);
        ExpectRefused(odd, "depth");
    }
}

TEST(BmpRefused, TruncatedAndHostileHeadersNeverReadPastTheBytes) {
    const auto good = GoodBmp();
    for (std::size_t cut :
         {std::size_t(1), std::size_t(2), std::size_t(30), std::size_t(53), good.size() - 1}) {
        ExpectRefused(std::vector<std::uint8_t>(good.begin(), good.begin() + cut), "truncated");
    }
    auto wide = good;
    PutU32(wide, 18, 0x7FFFFFFF);
    ExpectRefused(wide, "huge width");
    auto tall = good;
    PutU32(tall, 22, 0x40000000);
    ExpectRefused(tall, "huge height");
    auto square = good;  // each side small enough, the product far too large
    PutU32(square, 18, 30000);
    PutU32(square, 22, 30000);
    ExpectRefused(square, "huge area");
    for (std::uint32_t offset : {std::uint32_t(good.size()), 0xFFFFFFF0u, 0xFFFFFFFFu}) {
        auto past = good;
        PutU32(past, 10, offset);
        ExpectRefused(past, "pixel offset past the end");
    }
    for (std::uint32_t infoSize : {0u, 12u, 39u, 4000u, 0xFFFFFFFFu}) {
        auto lying = good;
        PutU32(lying, 14, infoSize);
        ExpectRefused(lying, "header size");
    }
    // A palette whose table would run past the end of the bytes.
    BmpLayout layout = Layout(1, 1, 8);
    layout.colorsUsed = 0;
    layout.palette = {0xFFFFFF};
    ExpectRefused(MakeBmp(layout, {{0}}), "colour table past the end");

    Surface s;
    EXPECT_FALSE(DecodePicture(nullptr, 100, s, nullptr));
    EXPECT_FALSE(DecodePicture(good.data(), 0, s, nullptr));
}

}  // namespace
