#include <gtest/gtest.h>

#include "picture_files.hpp"
#include "runtime/images/images.hpp"

namespace {

using namespace runtime::images;
using tessaly::testing::BmpLayout;
using tessaly::testing::Layout;
using tessaly::testing::MakeBmp;
using tessaly::testing::MakeJpeg;

// The launcher's banner: 580 x 61 at 24 bits, a pattern that tells every pixel apart.
std::vector<std::uint8_t> Banner() {
    std::vector<std::vector<std::uint8_t>> rows;
    for (int stored = 0; stored < 61; ++stored) {
        std::vector<std::uint8_t> row;
        const int y = 60 - stored;
        for (int x = 0; x < 580; ++x) {
            row.push_back(std::uint8_t(x));
            row.push_back(std::uint8_t(x >> 8));
            row.push_back(std::uint8_t(y));
        }
        rows.push_back(row);
    }
    return MakeBmp(Layout(580, 61, 24), rows);
}

TEST(ImageTable, BannerLoadsWithItsSizeAndPixels) {
    auto banner = Banner();
    const Image* image = LoadImageFromMemory(0, banner.data(), banner.size());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(FindImage(0), image);
    EXPECT_EQ(image->width, 580);
    EXPECT_EQ(image->height, 61);
    EXPECT_EQ(image->bitsPerPixel, 24);
    ASSERT_EQ(image->pixels.width, 580);
    ASSERT_EQ(image->pixels.height, 61);
    for (int y : {0, 1, 30, 60}) {
        for (int x : {0, 255, 256, 579}) {
            EXPECT_EQ(image->pixels.At(x, y),
                      std::uint32_t(x & 0xFF) | std::uint32_t(x >> 8) << 8 | std::uint32_t(y) << 16)
                << x << "," << y;
        }
    }
    ReleaseImages();
    EXPECT_EQ(FindImage(0), nullptr);
}

TEST(ImageTable, SlotsGrowAreReplacedAndSurviveFailedLoads) {
    RegisterJpegDecoder();
    auto banner = Banner();
    std::vector<std::uint8_t> gray(12 * 5, 128);
    auto jpeg = MakeJpeg(12, 5, 1, gray);

    EXPECT_EQ(FindImage(25), nullptr);
    const Image* far = LoadImageFromMemory(25, jpeg.data(), jpeg.size());
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(FindImage(25), far);
    EXPECT_EQ(far->width, 12);
    EXPECT_EQ(far->height, 5);
    EXPECT_EQ(far->bitsPerPixel, 24);

    // Icons, garbage and damaged BMPs fail and leave the slot's old picture alone.
    const std::uint8_t icon[] = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0};
    EXPECT_EQ(LoadImageFromMemory(25, icon, sizeof icon), nullptr);
    auto cut = banner;
    cut.resize(cut.size() / 2);
    EXPECT_EQ(LoadImageFromMemory(25, cut.data(), cut.size()), nullptr);
    EXPECT_EQ(LoadImageFromMemory(25, nullptr, 0), nullptr);
    EXPECT_EQ(FindImage(25), far);

    const Image* replaced = LoadImageFromMemory(25, banner.data(), banner.size());
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(FindImage(25)->width, 580);

    EXPECT_EQ(LoadImageFromMemory(-1, banner.data(), banner.size()), nullptr);
    EXPECT_EQ(FindImage(-1), nullptr);
    ReleaseImages();
    EXPECT_EQ(FindImage(25), nullptr);
}

}  // namespace
