#include <gtest/gtest.h>

#include "picture_files.hpp"
#include "runtime/images/images.hpp"

namespace {

using namespace runtime::images;

TEST(ImageTable, BannerLoadsGrowsReplacesAndSurvivesFailedLoads) {
    RegisterJpegDecoder();
    // The launcher's banner: 580 x 61 at 24 bits, every pixel told apart by its bytes.
    std::vector<std::vector<std::uint8_t>> rows;
    for (int stored = 0; stored < 61; ++stored) {
        rows.emplace_back();
        for (int x = 0; x < 580; ++x)
            rows.back().insert(rows.back().end(),
                               {std::uint8_t(x), std::uint8_t(x >> 8), std::uint8_t(60 - stored)});
    }
    const auto banner = tessaly::testing::MakeBmp(580, 61, 24, rows);
    const Image* image = LoadImageFromMemory(0, banner.data(), banner.size());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(FindImage(0), image);
    EXPECT_EQ(image->width * 100 + image->height, 58061);
    EXPECT_EQ(image->bitsPerPixel, 24);
    for (int y : {0, 30, 60}) {
        for (int x : {0, 256, 579}) {
            EXPECT_EQ(image->pixels.At(x, y), std::uint32_t(x | y << 16)) << x << "," << y;
        }
    }

    auto jpeg = tessaly::testing::MakeJpeg(12, 5, {128});
    const Image* far = LoadImageFromMemory(25, jpeg.data(), jpeg.size());
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(FindImage(25), far);
    EXPECT_EQ(far->width * 100 + far->height, 1205);
    EXPECT_EQ(far->bitsPerPixel, 24);

    // An icon file, a cut-off BMP and nothing at all fail and keep the slot's old picture.
    const std::uint8_t icon[] = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0};
    EXPECT_EQ(LoadImageFromMemory(25, icon, sizeof icon), nullptr);
    EXPECT_EQ(LoadImageFromMemory(25, banner.data(), banner.size() / 2), nullptr);
    EXPECT_EQ(LoadImageFromMemory(25, nullptr, 0), nullptr);
    EXPECT_EQ(LoadImageFromMemory(-1, banner.data(), banner.size()), nullptr);
    EXPECT_EQ(FindImage(25), far);
    ASSERT_NE(LoadImageFromMemory(25, banner.data(), banner.size()), nullptr);
    EXPECT_EQ(FindImage(25)->width, 580);

    ReleaseImages();
    EXPECT_EQ(FindImage(0), nullptr);
    EXPECT_EQ(FindImage(25), nullptr);
}

}  // namespace
