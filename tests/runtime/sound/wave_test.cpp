#include "runtime/sound/wave.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/runtime/sound/test_waves.hpp"

using runtime::sound::ConvertWave;
using runtime::sound::ParseWave;
using runtime::sound::Wave;
using tessaly_test::MakeWave;
using tessaly_test::WaveRecipe;

namespace {

WaveRecipe StereoRecipe(std::size_t frames) {
    WaveRecipe recipe;
    recipe.data = tessaly_test::Pcm16(tessaly_test::Signature(frames, 1));
    return recipe;
}

}  // namespace

TEST(Wave, RefusesWhatIsNotAPcmWave) {
    const auto good = MakeWave(StereoRecipe(16));
    Wave wave;
    ASSERT_TRUE(ParseWave(good.data(), good.size(), wave));

    auto renamed = good;
    std::memcpy(renamed.data(), "RIFX", 4);
    EXPECT_FALSE(ParseWave(renamed.data(), renamed.size(), wave));

    // "fmt " must be the first chunk, at byte 12.
    WaveRecipe late = StereoRecipe(16);
    auto moved = MakeWave(late);
    std::memcpy(moved.data() + 12, "junk", 4);
    EXPECT_FALSE(ParseWave(moved.data(), moved.size(), wave));

    auto odd = [&](std::size_t offset, std::uint16_t value) {
        auto bytes = good;
        bytes[offset] = std::uint8_t(value);
        bytes[offset + 1] = std::uint8_t(value >> 8);
        return !ParseWave(bytes.data(), bytes.size(), wave);
    };
    EXPECT_TRUE(odd(20, 3));   // floating point samples
    EXPECT_TRUE(odd(22, 0));   // no channels
    EXPECT_TRUE(odd(22, 6));   // surround
    EXPECT_TRUE(odd(34, 24));  // 24-bit samples
    EXPECT_TRUE(odd(24, 0));   // rate 0

    WaveRecipe empty;
    const auto silent = MakeWave(empty);
    EXPECT_FALSE(ParseWave(silent.data(), silent.size(), wave));
    EXPECT_FALSE(ParseWave(nullptr, 0, wave));
}

TEST(Wave, RefusesSizesPastTheEnd) {
    const auto good = MakeWave(StereoRecipe(16));
    Wave wave;
    // Every cut through the header or the samples is refused (the data chunk then claims
    // more than is there), and nothing is read outside the bytes given.
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        std::vector<std::uint8_t> bytes(good.begin(), good.begin() + std::ptrdiff_t(cut));
        EXPECT_FALSE(ParseWave(bytes.data(), bytes.size(), wave)) << cut;
    }
    auto hugeFmt = good;
    hugeFmt[16] = hugeFmt[17] = hugeFmt[18] = hugeFmt[19] = 0xFF;
    EXPECT_FALSE(ParseWave(hugeFmt.data(), hugeFmt.size(), wave));

    WaveRecipe recipe = StereoRecipe(16);
    recipe.extraId = "LIST";
    recipe.extraBody.assign(8, 0);
    auto hugeList = MakeWave(recipe);
    hugeList[40] = hugeList[41] = hugeList[42] = hugeList[43] = 0xFF;  // LIST size
    EXPECT_FALSE(ParseWave(hugeList.data(), hugeList.size(), wave));
}

TEST(Wave, ConvertsToSixteenBitStereoAtTheOutputRate) {
    // 8-bit mono at half the rate: unsigned 128 is silence, each frame doubles, the new
    // frames in between lie halfway.
    WaveRecipe recipe;
    recipe.channels = 1;
    recipe.bits = 8;
    recipe.rate = 22050;
    recipe.data = {128, 192, 0, 255};
    const auto bytes = MakeWave(recipe);
    Wave wave;
    ASSERT_TRUE(ParseWave(bytes.data(), bytes.size(), wave));
    const auto out = ConvertWave(wave, 44100);
    const std::vector<std::int16_t> expected = {0,     0,     8192,   8192,   16384, 16384,
                                                -8192, -8192, -32768, -32768, -128,  -128,
                                                32512, 32512, 32512,  32512};
    EXPECT_EQ(out, expected);

    // Same rate, stereo 16-bit: untouched.
    const auto stereo = StereoRecipe(10);
    const auto stereoBytes = MakeWave(stereo);
    ASSERT_TRUE(ParseWave(stereoBytes.data(), stereoBytes.size(), wave));
    EXPECT_EQ(ConvertWave(wave, 44100), tessaly_test::Signature(10, 1));

    // A higher rate is thinned out: 48000 -> 44100 keeps the length in time.
    WaveRecipe fast = StereoRecipe(4800);
    fast.rate = 48000;
    const auto fastBytes = MakeWave(fast);
    ASSERT_TRUE(ParseWave(fastBytes.data(), fastBytes.size(), wave));
    EXPECT_EQ(ConvertWave(wave, 44100).size(), 4410u * 2);
}
