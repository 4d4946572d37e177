#include "tools/pack/pack_writer.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "game/presentation/packs/pack.hpp"

namespace tools::pack {
namespace {

using Bytes = std::vector<std::uint8_t>;
using game::presentation::PackChecksum;
using game::presentation::UnpackBlock;

void PutLe(Bytes* out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out->push_back(std::uint8_t(v >> (8 * i)));
}

// A 24-bit picture like the game's: a smooth gradient, a bevelled panel and a round glow.
Bytes GradientBmp(int width, int height) {
    const int row = (width * 3 + 3) & ~3;
    Bytes bmp = {'B', 'M'};
    PutLe(&bmp, 54 + row * height, 4);
    PutLe(&bmp, 0, 4);
    PutLe(&bmp, 54, 4);
    PutLe(&bmp, 40, 4);
    PutLe(&bmp, width, 4);
    PutLe(&bmp, height, 4);
    PutLe(&bmp, 1 | 24 << 16, 4);
    for (int i = 0; i < 6; ++i)
        PutLe(&bmp, 0, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double glow = std::max(0.0, 1.0 - std::hypot(x - width / 2, y - height / 2) / 120.0);
            int b = 40 + y * 150 / height, g = 30 + int(200 * glow), r = 20 + x * 60 / width;
            if (x > width / 5 && x < width / 2 && y > height / 5 && y < height / 3) {
                b = g = r = (x == width / 5 + 1 || y == height / 5 + 1) ? 230 : 150;
            }
            bmp.push_back(std::uint8_t(b));
            bmp.push_back(std::uint8_t(g));
            bmp.push_back(std::uint8_t(r));
        }
        for (int pad = width * 3; pad < row; ++pad)
            bmp.push_back(0);
    }
    return bmp;
}

Bytes Wave(int samples) {
    Bytes wave = {'R', 'I', 'F', 'F'};
    PutLe(&wave, 36 + samples * 2, 4);
    for (char c : std::string("WAVEfmt "))
        wave.push_back(std::uint8_t(c));
    PutLe(&wave, 16, 4);
    PutLe(&wave, 1 | 1 << 16, 4);
    PutLe(&wave, 22050, 4);
    PutLe(&wave, 44100, 4);
    PutLe(&wave, 2 | 16 << 16, 4);
    for (char c : std::string("data"))
        wave.push_back(std::uint8_t(c));
    PutLe(&wave, samples * 2, 4);
    std::mt19937 noise(7);
    for (int i = 0; i < samples; ++i) {
        double decay = std::exp(-i / 4000.0);
        int s = int(9000 * decay * std::sin(i * 0.07) + int(noise() % 200) - 100);
        PutLe(&wave, std::uint32_t(std::int16_t(s)) & 0xFFFF, 2);
    }
    return wave;
}

Bytes RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = std::uint8_t(random());
    return bytes;
}

// Unpacks a block the way the game does and checks it gives back exactly the content.
void ExpectRoundTrip(const Bytes& content, const std::string& what) {
    Bytes block = CompressBlock(content);
    ASSERT_GE(block.size(), 14u) << what;
    EXPECT_EQ(block[0], 'J');
    EXPECT_EQ(block[1], 'C');
    Bytes back(content.size());
    EXPECT_EQ(UnpackBlock(block.data(), block.size(), back.data(), back.size()), content.size())
        << what;
    EXPECT_EQ(back, content) << what;
    // A checksum is always stored (0 only where the content's checksum is 0).
    std::uint32_t stored = std::uint32_t(block[6]) | std::uint32_t(block[7]) << 8 |
                           std::uint32_t(block[8]) << 16 | std::uint32_t(block[9]) << 24;
    EXPECT_EQ(stored, PackChecksum(content.data(), content.size())) << what;
}

TEST(CompressBlock, RoundTripsEveryKindOfContent) {
    ExpectRoundTrip({}, "empty");
    ExpectRoundTrip({0x42}, "one byte");
    ExpectRoundTrip({0, 0, 0, 0, 0}, "few zeros");
    ExpectRoundTrip(GradientBmp(160, 90), "picture");
    ExpectRoundTrip(Wave(20000), "wave");
    ExpectRoundTrip(RandomBytes(5000, 1), "random");
    ExpectRoundTrip(Bytes(300000, 0), "long run of zeros");
    Bytes pattern;
    for (int i = 0; i < 100000; ++i)
        pattern.push_back(std::uint8_t("abc"[i % 3] + (i / 997) % 2));
    ExpectRoundTrip(pattern, "repeating pattern");
    // The same random stretch twice, 70000 and more bytes apart: offsets past 64 KiB.
    Bytes far = RandomBytes(70000, 2);
    Bytes gap = RandomBytes(3000, 3);
    Bytes again(far.begin(), far.begin() + 20000);
    far.insert(far.end(), gap.begin(), gap.end());
    far.insert(far.end(), again.begin(), again.end());
    ExpectRoundTrip(far, "far matches");
    // Every width of literal: dark bytes, bright bytes and both mixed in stretches.
    Bytes literals;
    std::mt19937 random(4);
    for (int stretch = 0; stretch < 40; ++stretch) {
        int base = int(random() % 256), spread = stretch % 3 == 0 ? 256 : 100;
        for (int i = 0; i < 500; ++i)
            literals.push_back(std::uint8_t(base + random() % spread));
    }
    ExpectRoundTrip(literals, "literal stretches");
}

TEST(CompressBlock, CompressesPicturesAndLeavesNoiseRaw) {
    Bytes picture = GradientBmp(400, 300);
    EXPECT_LT(CompressBlock(picture).size(), picture.size() / 3);
    Bytes zeros(100000, 0);
    EXPECT_LT(CompressBlock(zeros).size(), 64u);

    // Noise does not get smaller, so its entry is stored raw: stored size equals unpacked.
    Bytes noise = RandomBytes(4096, 5);
    Bytes entry = PackEntry(noise);
    ASSERT_EQ(entry.size(), 8 + noise.size());
    EXPECT_TRUE(std::equal(entry.begin() + 4, entry.begin() + 8, entry.begin()));
    EXPECT_TRUE(std::equal(noise.begin(), noise.end(), entry.begin() + 8));

    // A compressible entry is stored compressed, strictly smaller, unless raw is asked for.
    Bytes packed = PackEntry(picture);
    EXPECT_LT(packed.size(), 8 + picture.size());
    EXPECT_EQ(PackEntry(picture, true).size(), 8 + picture.size());
    EXPECT_EQ(PackEntry({}).size(), 8u);
}

TEST(WritePack, WritesEntriesTheReaderGivesBackInOrder) {
    namespace fs = std::filesystem;
    fs::path folder = fs::temp_directory_path() / ("tessaly-writer-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::string path = (folder / "test.pak").string();
    std::vector<Bytes> contents = {
        GradientBmp(64, 32), {}, RandomBytes(700, 6), {'J', 'C', 1}, Wave(3000)};
    for (bool raw : {false, true}) {
        std::string error;
        ASSERT_TRUE(WritePack(path, contents, raw, &error)) << error;
        ASSERT_TRUE(game::presentation::OpenPack(path));
        for (const Bytes& expected : contents) {
            game::presentation::PackContent content = game::presentation::NextPackEntry();
            ASSERT_TRUE(content);
            EXPECT_EQ(Bytes(content.bytes, content.bytes + content.size), expected);
        }
        EXPECT_FALSE(game::presentation::NextPackEntry());
        game::presentation::ClosePack();
    }
    // A pack that cannot be written leaves the old one as it was and says why.
    std::string error;
    EXPECT_FALSE(WritePack((folder / "missing" / "x.pak").string(), contents, false, &error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace tools::pack
