#include "runtime/sound/sound.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/device.hpp"
#include "runtime/sound/headless/headless_sound.hpp"
#include "tests/runtime/sound/test_waves.hpp"
#include "tests/runtime/support/idle_pipe.hpp"

namespace rs = runtime::sound;
namespace rh = runtime::sound::headless;
using tessaly_test::MakeWave;
using tessaly_test::Signature;
using tessaly_test::WaveRecipe;

namespace {

class HeadlessSound : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime::screen::headless::UseHeadlessDisplay();
        ASSERT_NE(runtime::screen::InitSpriteEngine(), 0);
        ASSERT_NE(runtime::screen::OpenFullScreen(800, 600, 32, ""), 0);
        rh::UseHeadlessSound();
        ASSERT_EQ(rs::InitSoundOutput(), 1);
        ASSERT_EQ(rs::InitMediaPlayer(), 1);
    }
    void TearDown() override {
        rs::ReleaseMediaPlayer();
        rs::ReleaseSoundOutput();
        runtime::screen::CloseScreenDisplay();
    }

    static std::vector<std::uint8_t> WaveOf(const std::vector<std::int16_t>& frames) {
        WaveRecipe recipe;
        recipe.data = tessaly_test::Pcm16(frames);
        return MakeWave(recipe);
    }
    static std::vector<std::int16_t> Mix(std::size_t frames) {
        std::vector<std::int16_t> out(frames * 2);
        rh::MixSound(out.data(), frames);
        return out;
    }
    static void Frames(int count) {
        for (int i = 0; i < count; ++i)
            runtime::screen::PresentFrame();
    }
};

std::vector<std::int16_t> Slice(const std::vector<std::int16_t>& v, std::size_t from,
                                std::size_t frames) {
    return {v.begin() + std::ptrdiff_t(from * 2), v.begin() + std::ptrdiff_t((from + frames) * 2)};
}

}  // namespace

TEST_F(HeadlessSound, PlayingAgainRestartsOnlyThatSound) {
    const auto first = Signature(400, 1);
    const auto second = Signature(400, 2);
    ASSERT_EQ(rs::LoadSoundFromMemory(3, WaveOf(first).data(), WaveOf(first).size()), 1);
    ASSERT_EQ(rs::LoadSoundFromMemory(60, WaveOf(second).data(), WaveOf(second).size()), 1);

    rs::PlaySoundOnce(3);
    EXPECT_EQ(Mix(100), Slice(first, 0, 100));
    rs::PlaySoundOnce(60);  // a number beyond the first 50 slots works as well
    rs::PlaySoundOnce(3);   // cut off and begun anew
    const auto both = Mix(100);
    for (std::size_t i = 0; i < 200; ++i) {
        const int sum = first[i] + second[i];
        ASSERT_EQ(both[i], std::int16_t(std::clamp(sum, -32768, 32767))) << i;
    }
    Mix(300);
    EXPECT_FALSE(rh::SoundIsPlaying(3));
    EXPECT_EQ(Mix(10), std::vector<std::int16_t>(20, 0));

    ASSERT_EQ(rh::SoundStarts().size(), 3u);
    EXPECT_EQ(rh::SoundStarts()[0].sound, 3);
    EXPECT_EQ(rh::SoundStarts()[1].sound, 60);

    // Flag 1 loops.
    rs::StartSound(3, 1);
    Mix(400);
    EXPECT_EQ(Mix(5), Slice(first, 0, 5));
}

TEST_F(HeadlessSound, ARefusedWaveKeepsTheSoundThatWasThere) {
    const auto frames = Signature(50, 3);
    const auto good = WaveOf(frames);
    ASSERT_EQ(rs::LoadSoundFromMemory(7, good.data(), good.size()), 1);
    auto cut = good;
    cut.resize(cut.size() - 3);
    EXPECT_EQ(rs::LoadSoundFromMemory(7, cut.data(), cut.size()), 0);
    EXPECT_EQ(rs::LoadSoundFromMemory(7, nullptr, 0), 0);
    EXPECT_EQ(rs::LoadSoundFromMemory(-1, good.data(), good.size()), 0);
    rs::PlaySoundOnce(7);
    EXPECT_EQ(Mix(50), frames);
    rs::PlaySoundOnce(8);  // empty slot
    rs::PlaySoundOnce(-5);
    rs::PlaySoundOnce(1 << 30);
    EXPECT_EQ(rh::SoundStarts().size(), 1u);
}

TEST_F(HeadlessSound, WithoutAnAudioDeviceNothingFails) {
    rs::ReleaseMediaPlayer();
    rs::ReleaseSoundOutput();
    rh::UseHeadlessSound(false);
    EXPECT_EQ(rs::InitSoundOutput(), 0);
    EXPECT_EQ(rs::InitMediaPlayer(), 1);
    const auto wave = WaveOf(Signature(10, 4));
    EXPECT_EQ(rs::LoadSoundFromMemory(1, wave.data(), wave.size()), 0);
    rs::PlaySoundOnce(1);
    EXPECT_TRUE(rh::SoundStarts().empty());
    EXPECT_EQ(rs::LoadMedia(0, "sfx\\theme.mp3"), 0);
    EXPECT_EQ(rs::PlayMedia(0), 0);
    EXPECT_EQ(rs::MediaStatus(), 0);
}

TEST_F(HeadlessSound, TuneRepeatsByTheGamesPattern) {
    const std::string folder = tessaly_test::TempFolder("headless-media");
    std::filesystem::create_directories(folder + "/sfx");
    ASSERT_TRUE(tessaly_test::WriteMp3(folder + "/sfx/tune.mp3", 1.0));
    std::ifstream file(folder + "/sfx/tune.mp3", std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    // LAME pads the start and the end a little; the frames hold about a second.
    const std::int64_t length = rh::Mp3Length(bytes.data(), bytes.size());
    EXPECT_NEAR(double(length), 1e7, 0.15e7);
    EXPECT_EQ(rh::Mp3Length(bytes.data(), 100), 0);

    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    ASSERT_EQ(rs::LoadMedia(0, "sfx\\tune.mp3"), 1);
    EXPECT_EQ(rs::MediaStatus(), 0);  // loaded, stopped
    rs::SeekMedia(0);
    Frames(10);
    EXPECT_EQ(rs::MediaStatus(), 0);  // seeking a stopped tune does not start it

    ASSERT_EQ(rs::PlayMedia(0), 1);
    Frames(30);
    EXPECT_EQ(rs::MediaStatus(), 5'000'000);  // half a second in 100 ns units
    rs::PauseMedia();
    Frames(30);
    EXPECT_EQ(rs::MediaStatus(), rs::MediaPaused);
    rs::ResumeMedia();
    Frames(int(length / 1e7 * 60) + 1);
    EXPECT_EQ(rs::MediaStatus(), 0);  // at its end: stopped and rewound
    Frames(5);
    EXPECT_EQ(rs::MediaStatus(), 0);

    // The looping phases: whenever the status is 0, seek to the start and play again.
    int restarts = 0;
    for (int frame = 0; frame < 3 * 60; ++frame) {
        if (rs::MediaStatus() == 0) {
            rs::SeekMedia(0);
            rs::PlayMedia(0);
            ++restarts;
            EXPECT_EQ(rs::MediaStatus(), 1);  // just started: playing, not finished
        }
        Frames(1);
    }
    EXPECT_EQ(restarts, 3);

    rs::SeekMedia(2'000'000);  // a playing tune keeps playing from there
    Frames(6);
    EXPECT_EQ(rs::MediaStatus(), 3'000'000);
    rs::StopMedia();
    EXPECT_EQ(rs::MediaStatus(), 0);

    // A missing file leaves the slot empty; the game's calls then do nothing.
    EXPECT_EQ(rs::LoadMedia(0, "sfx\\missing.mp3"), 0);
    EXPECT_EQ(rs::PlayMedia(0), 0);
    EXPECT_EQ(rs::MediaStatus(), 0);
    // So does a pipe in a tune's place, at once.
    IdlePipe pipe(folder + "/sfx/introwin.mp3");
    ASSERT_TRUE(pipe.made());
    EXPECT_TRUE(pipe.ReturnsAtOnce([] { EXPECT_EQ(rs::LoadMedia(0, "sfx\\introwin.mp3"), 0); }));
    EXPECT_EQ(rs::LoadMedia(0, ""), 0);
    EXPECT_EQ(rs::LoadMedia(0, nullptr), 0);
    std::filesystem::current_path(cwd);
    std::filesystem::remove_all(folder);
}
