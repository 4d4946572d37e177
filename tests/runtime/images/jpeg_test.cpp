#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "picture_files.hpp"
#include "runtime/images/images.hpp"
#include "tests/runtime/support/idle_pipe.hpp"

namespace {

using namespace runtime::images;
using runtime::screen::Surface;
using tessaly::testing::MakeJpeg;

TEST(JpegDecode, GrayIsEqualBlueGreenRedAndColourComesBlueFirst) {
    RegisterJpegDecoder();
    RegisterJpegDecoder();
    EXPECT_EQ(Decoders().decoders.size(), 1u);

    auto gray = MakeJpeg(8, 8, {90});
    Surface s;
    int bits = 0;
    ASSERT_TRUE(DecodePicture(gray.data(), gray.size(), s, &bits));
    EXPECT_EQ(bits, 24);
    ASSERT_EQ(s.width * 100 + s.height, 808);
    for (std::uint32_t p : s.pixels) {
        EXPECT_NEAR(int(p & 0xFF), 90, 2);
        EXPECT_EQ(p, (p & 0xFF) * 0x010101);
    }

    // A pure red picture: red is the third byte of each row-buffer pixel.
    auto red = MakeJpeg(3, 2, {255, 0, 0});
    ASSERT_EQ(FindDecoder(nullptr, red.data(), red.size()), 1);
    ASSERT_EQ(CurrentWidth() * 10 + CurrentHeight(), 32);
    std::vector<std::uint8_t> rows(12 * 3, 0x5A);
    DecodeWithCurrent(rows.data(), RowStride24(3), 0);
    EXPECT_EQ(RowStride24(3), 12u);
    for (int y = 0; y < 2; ++y) {
        for (int i = 0; i < 9; i += 3) {
            EXPECT_LT(rows[12 * y + i], 8);
            EXPECT_LT(rows[12 * y + i + 1], 8);
            EXPECT_GT(rows[12 * y + i + 2], 247);
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
    EXPECT_EQ(FindDecoder(nullptr, garbage.data(), 2), 0);

    // Cut in the header: refused. Cut in the picture data: what survives, at full size.
    auto jpeg = MakeJpeg(32, 32, {0, 255, 0});
    EXPECT_FALSE(DecodePicture(jpeg.data(), 100, s, nullptr));
    for (std::size_t cut = 200; cut < jpeg.size(); cut += 37) {
        std::vector<std::uint8_t> part(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(cut));
        if (DecodePicture(part.data(), part.size(), s, nullptr)) {
            EXPECT_EQ(s.width * 100 + s.height, 3232);
        }
    }

    // Four samples a pixel would be read as three: wrong colours, so refused.
    auto cmyk = MakeJpeg(8, 8, {0, 0, 0, 0});
    EXPECT_EQ(FindDecoder(nullptr, cmyk.data(), cmyk.size()), 0);
    std::vector<std::uint8_t> rows(16, 7);
    DecodeWithCurrent(rows.data(), 4, 0);
    EXPECT_EQ(rows, std::vector<std::uint8_t>(16, 7)) << "decoded with nothing prepared";
}

TEST(JpegDecode, NamedFilesTakeTheGamesBackslashNames) {
    RegisterJpegDecoder();
    std::filesystem::create_directories("images_test_files");
    auto jpeg = MakeJpeg(4, 4, {100});
    std::ofstream("images_test_files/gray.jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    std::ofstream("images_test_files/plain.txt") << "not a picture";

    EXPECT_EQ(FindDecoder("images_test_files\\plain.txt", nullptr, 0), 0);
    EXPECT_EQ(FindDecoder("images_test_files\\missing.jpg", nullptr, 0), 0);
    IdlePipe pipe("images_test_files/pipe.jpg");
    ASSERT_TRUE(pipe.made());
    EXPECT_TRUE(pipe.ReturnsAtOnce(
        [] { EXPECT_EQ(FindDecoder("images_test_files\\pipe.jpg", nullptr, 0), 0); }));
    ASSERT_EQ(FindDecoder("images_test_files\\gray.jpg", nullptr, 0), 1);
    std::vector<std::uint8_t> rows(RowStride24(4) * 5, 0);
    DecodeWithCurrent(rows.data(), RowStride24(4), 0);
    EXPECT_NEAR(rows[RowStride24(4) * 3 + 11], 100, 2);
    std::filesystem::remove_all("images_test_files");
}

}  // namespace
