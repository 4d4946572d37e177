// The sound effects as the game's loader will see them: a RIFF WAVE with "fmt " at byte 12 and
// the samples chunk straight after, 16-bit mono PCM, clean at both ends and never clipping.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/assets/audio/audio.hpp"

namespace tools::assets::audio {
namespace {

std::uint32_t Read32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t Read16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::string Tag(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::string(b.begin() + at, b.begin() + at + 4);
}

struct Effect {
    std::string name;
    std::vector<std::uint8_t> wave;
};

std::vector<Effect> AllEffects() {
    std::vector<Effect> all;
    for (int n = 0; n <= 12; ++n)
        all.push_back({"level1 " + std::to_string(n), LevelSoundWave(n)});
    for (int n = 0; n <= 1; ++n)
        all.push_back({"gameover " + std::to_string(n), GameOverSoundWave(n)});
    return all;
}

TEST(SoundEffects, EveryEffectIsAWaveTheGameCanLoad) {
    for (const Effect& effect : AllEffects()) {
        SCOPED_TRACE(effect.name);
        const std::vector<std::uint8_t>& w = effect.wave;
        ASSERT_GE(w.size(), 46u);
        EXPECT_EQ(Tag(w, 0), "RIFF");
        EXPECT_EQ(Read32(w, 4), w.size() - 8);
        EXPECT_EQ(Tag(w, 8), "WAVE");
        EXPECT_EQ(Tag(w, 12), "fmt ");
        EXPECT_EQ(Read32(w, 16), 16u);
        EXPECT_EQ(Read16(w, 20), 1);  // PCM
        EXPECT_EQ(Read16(w, 22), 1);  // mono
        std::uint32_t rate = Read32(w, 24);
        EXPECT_TRUE(rate == 22050 || rate == 44100);
        EXPECT_EQ(Read32(w, 28), rate * 2);
        EXPECT_EQ(Read16(w, 32), 2);
        EXPECT_EQ(Read16(w, 34), 16);
        EXPECT_EQ(Tag(w, 36), "data");
        EXPECT_EQ(Read32(w, 40), w.size() - 44);
        EXPECT_EQ(w.size() % 2, 0u);
    }
}

TEST(SoundEffects, ShortCleanAndUnclipped) {
    for (const Effect& effect : AllEffects()) {
        SCOPED_TRACE(effect.name);
        const std::vector<std::uint8_t>& w = effect.wave;
        ASSERT_GE(w.size(), 46u);
        std::vector<int> s;
        for (std::size_t at = 44; at + 1 < w.size(); at += 2) {
            s.push_back(static_cast<std::int16_t>(Read16(w, at)));
        }
        double seconds = static_cast<double>(s.size()) / Read32(w, 24);
        EXPECT_GT(seconds, 0.02);
        EXPECT_LT(seconds, 4.0);
        int peak = 0;
        for (int v : s)
            peak = std::max(peak, std::abs(v));
        // Audible, with headroom: two effects at once or an effect over music must not clip.
        EXPECT_GT(peak, 32768 / 5);
        EXPECT_LT(peak, 32768 * 7 / 10);
        // No click when the sound starts or when it is cut off at its end.
        EXPECT_LT(std::abs(s.front()), 100);
        EXPECT_LT(std::abs(s.back()), 100);
        for (int i = 0; i < 4; ++i) {
            EXPECT_LT(std::abs(s[i]), 1500) << "sample " << i;
            EXPECT_LT(std::abs(s[s.size() - 1 - i]), 1500) << "sample from end " << i;
        }
    }
}

TEST(SoundEffects, SameBytesEveryTimeAndNothingForUnknownNumbers) {
    EXPECT_EQ(LevelSoundWave(1), LevelSoundWave(1));
    EXPECT_EQ(GameOverSoundWave(0), GameOverSoundWave(0));
    EXPECT_NE(LevelSoundWave(4), LevelSoundWave(5));
    EXPECT_TRUE(LevelSoundWave(-1).empty());
    EXPECT_TRUE(LevelSoundWave(13).empty());
    EXPECT_TRUE(GameOverSoundWave(2).empty());
}

}  // namespace
}  // namespace tools::assets::audio
