#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "picture_files.hpp"
#include "runtime/images/images.hpp"

namespace {

using namespace runtime::images;
using runtime::screen::Surface;
using tessaly::testing::MakeJpeg;

std::vector<std::uint8_t> Solid(int width, int height, std::vector<std::uint8_t> sample) {
    std::vector<std::uint8_t> samples;
    for (int i = 0; i < width * height; ++i)
        samples.insert(samples.end(), sample.begin(), sample.end());
    return samples;
}

// Gray ramps down the rows: row y has value 40 + 20y.
std::vector<std::uint8_t> GrayRows(int width, int height) {
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < height; ++y)
        samples.insert(samples.end(), std::size_t(width), std::uint8_t(40 + 20 * y));
    return samples;
}

TEST(JpegRegistry, RegisteringTwiceKeepsOneDecoder) {
    RegisterJpegDecoder();
    RegisterJpegDecoder();
    EXPECT_EQ(Decoders().decoders.size(), 1u);
}

TEST(JpegDecode, GrayscaleComesOutAsEqualBlueGreenRed) {
    RegisterJpegDecoder();
    auto jpeg = MakeJpeg(8, 8, 1, GrayRows(8, 8), 100);
    Surface s;
    int bits = 0;
    ASSERT_TRUE(DecodePicture(jpeg.data(), jpeg.size(), s, &bits));
    EXPECT_EQ(bits, 24);
    ASSERT_EQ(s.width, 8);
    ASSERT_EQ(s.height, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const std::uint32_t p = s.At(x, y);
            const int blue = int(p & 0xFF);
            EXPECT_EQ(p >> 24, 0u);
            EXPECT_EQ((p >> 8) & 0xFF, p & 0xFF);
            EXPECT_EQ((p >> 16) & 0xFF, p & 0xFF);
            EXPECT_NEAR(blue, 40 + 20 * y, 3) << "top row first";
        }
    }
}

TEST(JpegDecode, ColourArrivesAsBlueGreenRed) {
    RegisterJpegDecoder();
    auto red = MakeJpeg(16, 16, 3, Solid(16, 16, {255, 0, 0}), 100);
    ASSERT_EQ(FindDecoder(nullptr, red.data(), red.size()), 1);
    ASSERT_EQ(CurrentWidth(), 16);
    std::vector<std::uint8_t> rows(RowStride24(16) * 17, 0);
    DecodeWithCurrent(rows.data(), RowStride24(16), 0);
    EXPECT_LT(rows[0], 16);
    EXPECT_LT(rows[1], 16);
    EXPECT_GT(rows[2], 240);

    auto blue = MakeJpeg(16, 16, 3, Solid(16, 16, {0, 0, 255}), 100);
    Surface s;
    ASSERT_TRUE(DecodePicture(blue.data(), blue.size(), s, nullptr));
    EXPECT_GT(s.At(5, 5) & 0xFF, 240u);
    EXPECT_LT((s.At(5, 5) >> 16) & 0xFF, 16u);
}

TEST(JpegDecode, RowsOfWidthThreeFillNineBytesOfTwelve) {
    RegisterJpegDecoder();
    EXPECT_EQ(RowStride24(1), 4u);
    EXPECT_EQ(RowStride24(3), 12u);
    EXPECT_EQ(RowStride24(4), 12u);
    EXPECT_EQ(RowStride24(5), 16u);

    auto jpeg = MakeJpeg(3, 2, 3, Solid(3, 2, {10, 200, 90}), 100);
    ASSERT_EQ(FindDecoder(nullptr, jpeg.data(), jpeg.size()), 1);
    ASSERT_EQ(CurrentWidth(), 3);
    ASSERT_EQ(CurrentHeight(), 2);
    std::vector<std::uint8_t> rows(12 * 3, 0x5A);
    DecodeWithCurrent(rows.data(), 12, 0);
    for (int y = 0; y < 2; ++y) {
        for (int i = 0; i < 9; i += 3) {
            EXPECT_NEAR(rows[12 * y + i], 90, 4);
            EXPECT_NEAR(rows[12 * y + i + 1], 200, 4);
            EXPECT_NEAR(rows[12 * y + i + 2], 10, 4);
        }
        for (int i = 9; i < 12; ++i)
            EXPECT_EQ(rows[12 * y + i], 0x5A) << "padding written";
    }
    for (int i = 24; i < 36; ++i)
        EXPECT_EQ(rows[i], 0x5A) << "spare row written";
}

TEST(JpegDamaged, GarbageTruncationAndCmykNeverCrash) {
    RegisterJpegDecoder();
    Surface s;
    std::vector<std::uint8_t> garbage = {0xFF, 0xD8};
    for (int i = 0; i < 200; ++i)
        garbage.push_back(std::uint8_t(i * 37 + 11));
    EXPECT_FALSE(DecodePicture(garbage.data(), garbage.size(), s, nullptr));
    const std::uint8_t two[] = {0xFF, 0xD8};
    EXPECT_EQ(FindDecoder(nullptr, two, 2), 0);
    EXPECT_EQ(FindDecoder(nullptr, two, 1), 0);

    // Cut inside the header: refused. Cut inside the picture data: decodes what it can,
    // and the picture keeps its full size.
    auto jpeg = MakeJpeg(32, 32, 3, Solid(32, 32, {0, 255, 0}));
    EXPECT_FALSE(DecodePicture(jpeg.data(), 100, s, nullptr));
    for (std::size_t cut = 200; cut < jpeg.size(); cut += 37) {
        Surface part;
        if (DecodePicture(jpeg.data(), cut, part, nullptr)) {
            EXPECT_EQ(part.width, 32);
            EXPECT_EQ(part.height, 32);
        }
    }

    // Four-component pictures would come out as wrong colours; they are refused instead.
    auto cmyk = MakeJpeg(8, 8, 4, Solid(8, 8, {0, 0, 0, 0}));
    EXPECT_EQ(FindDecoder(nullptr, cmyk.data(), cmyk.size()), 0);

    // A decode with nothing prepared writes nothing.
    std::vector<std::uint8_t> rows(16, 7);
    DecodeWithCurrent(rows.data(), 4, 0);
    EXPECT_EQ(rows, std::vector<std::uint8_t>(16, 7));
}

TEST(JpegDecode, FromANamedFileThenNextImageFromMemory) {
    RegisterJpegDecoder();
    std::filesystem::create_directories("images_test_files");
    auto jpeg = MakeJpeg(4, 4, 1, GrayRows(4, 4), 100);
    std::ofstream("images_test_files/gray.jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    std::ofstream("images_test_files/plain.txt") << "not a picture";

    EXPECT_EQ(FindDecoder("images_test_files\\plain.txt", nullptr, 0), 0);
    EXPECT_EQ(FindDecoder("images_test_files\\missing.jpg", nullptr, 0), 0);
    // The game's backslash names reach the file.
    ASSERT_EQ(FindDecoder("images_test_files\\gray.jpg", nullptr, 0), 1);
    EXPECT_EQ(CurrentWidth(), 4);
    std::vector<std::uint8_t> rows(RowStride24(4) * 5, 0);
    DecodeWithCurrent(rows.data(), RowStride24(4), 0);
    EXPECT_NEAR(rows[RowStride24(4) * 3], 100, 3);

    // A find left without its decode is dropped by the next one.
    ASSERT_EQ(FindDecoder("images_test_files\\gray.jpg", nullptr, 0), 1);
    auto wide = MakeJpeg(9, 2, 3, Solid(9, 2, {1, 2, 3}));
    Surface s;
    ASSERT_TRUE(DecodePicture(wide.data(), wide.size(), s, nullptr));
    EXPECT_EQ(s.width, 9);
    std::filesystem::remove_all("images_test_files");
}

}  // namespace
