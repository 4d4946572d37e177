#include "runtime/sound/sdl/sdl_sound.hpp"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "runtime/sound/sound.hpp"
#include "runtime/support/program.hpp"
#include "tests/runtime/sound/test_waves.hpp"
#include "tests/runtime/support/idle_pipe.hpp"

// These tests run the real SDL2_mixer on SDL's disk audio driver, which writes what the
// mixer produced to a file, so the samples that reached the output can be checked.

namespace rs = runtime::sound;
using tessaly_test::Signature;
using tessaly_test::WaveRecipe;

namespace {

// Waits, polling, until done() holds; false after a generous time-out.
bool WaitFor(const std::function<bool()>& done, double seconds = 20) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

std::vector<std::int16_t> Samples(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// The largest change between two neighbouring frames, on either side.
int LargestStep(const std::vector<std::int16_t>& s) {
    int largest = 0;
    for (std::size_t i = 2; i < s.size(); ++i)
        largest = std::max(largest, std::abs(s[i] - s[i - 2]));
    return largest;
}

// The loudest sample of frames [from, to).
int Peak(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
    int peak = 0;
    for (std::size_t i = from * 2; i < to * 2 && i < s.size(); ++i)
        peak = std::max(peak, std::abs(int(s[i])));
    return peak;
}

// The first frame of every run of at least `frames` silent frames that follows sound.
std::vector<std::size_t> Silences(const std::vector<std::int16_t>& s, std::size_t frames) {
    std::vector<std::size_t> at;
    std::size_t run = 0;
    bool sounded = false;
    for (std::size_t f = 0; f < s.size() / 2; ++f) {
        if (s[2 * f] != 0 || s[2 * f + 1] != 0) {
            run = 0;
            sounded = true;
            continue;
        }
        if (++run == frames && sounded) at.push_back(f + 1 - frames);
    }
    return at;
}

std::vector<std::size_t> Occurrences(const std::vector<std::uint8_t>& haystack,
                                     const std::vector<std::uint8_t>& needle) {
    std::vector<std::size_t> at;
    auto it = haystack.begin();
    while ((it = std::search(it, haystack.end(), needle.begin(), needle.end())) != haystack.end()) {
        at.push_back(std::size_t(it - haystack.begin()));
        ++it;
    }
    return at;
}

class SdlSound : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = tessaly_test::TempFolder("sdl-sound");
        output_ = folder_ + "/output.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
        rs::sdl::UseSdlSound();
        ASSERT_EQ(rs::InitSoundOutput(), 1) << SDL_GetError();
        ASSERT_EQ(rs::InitMediaPlayer(), 1);
    }
    void TearDown() override {
        rs::ReleaseMediaPlayer();
        rs::ReleaseSoundOutput();
        std::filesystem::remove_all(folder_);
    }
    // Closes the output so everything mixed is in the file, and returns it.
    std::vector<std::uint8_t> Output() {
        rs::ReleaseMediaPlayer();
        rs::ReleaseSoundOutput();
        return ReadFile(output_);
    }
    std::uintmax_t OutputSize() {
        std::error_code error;
        const auto size = std::filesystem::file_size(output_, error);
        return error ? 0 : size;
    }

    std::string folder_;
    std::string output_;
};

}  // namespace

TEST_F(SdlSound, WaveFromMemoryPlaysItsSamples) {
    // A LIST chunk sits between "fmt " and "data"; only the samples may be heard.
    const auto frames = Signature(4000, 7);
    WaveRecipe recipe;
    recipe.data = tessaly_test::Pcm16(frames);
    recipe.extraId = "LIST";
    recipe.extraBody.assign(26, 0x55);
    const auto wave = tessaly_test::MakeWave(recipe);
    ASSERT_EQ(rs::LoadSoundFromMemory(5, wave.data(), wave.size()), 1);
    rs::PlaySoundOnce(5);
    ASSERT_TRUE(WaitFor([] { return Mix_Playing(5) == 0; }));

    const auto output = Output();
    const auto at = Occurrences(output, recipe.data);
    ASSERT_EQ(at.size(), 1u);
    EXPECT_EQ(at[0] % 4, 0u);
}

TEST_F(SdlSound, PlayingAgainCutsOffAndRestarts) {
    const auto frames = Signature(3 * 44100, 8);  // three seconds
    WaveRecipe recipe;
    recipe.data = tessaly_test::Pcm16(frames);
    const auto wave = tessaly_test::MakeWave(recipe);
    ASSERT_EQ(rs::LoadSoundFromMemory(2, wave.data(), wave.size()), 1);

    const auto before = OutputSize();
    rs::PlaySoundOnce(2);
    // Let a few mixer buffers of the sound reach the output, then start it again.
    ASSERT_TRUE(WaitFor([&] { return OutputSize() > before + 8 * 4096 * 4; }));
    rs::PlaySoundOnce(2);
    ASSERT_TRUE(WaitFor([] { return Mix_Playing(2) == 0; }));

    const auto output = Output();
    const std::vector<std::uint8_t> start(recipe.data.begin(), recipe.data.begin() + 4000);
    const auto at = Occurrences(output, start);
    ASSERT_EQ(at.size(), 2u);
    EXPECT_LT(at[1] - at[0], recipe.data.size());  // the first run was cut short
    ASSERT_LE(at[1] + recipe.data.size(), output.size());
    EXPECT_TRUE(
        std::equal(recipe.data.begin(), recipe.data.end(), output.begin() + std::ptrdiff_t(at[1])));
}

TEST_F(SdlSound, MusicStatusFollowsTheTune) {
    ASSERT_TRUE(tessaly_test::WriteMp3(folder_ + "/tune.mp3", 2.0));
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(folder_);

    EXPECT_EQ(rs::LoadMedia(0, "missing.mp3"), 0);
    EXPECT_EQ(rs::PlayMedia(0), 0);
    EXPECT_EQ(rs::MediaStatus(), 0);
    // The mixer is handed only a regular file: a pipe in the tune's place is refused at once.
    IdlePipe pipe(folder_ + "/introwin.mp3");
    ASSERT_TRUE(pipe.made());
    EXPECT_TRUE(pipe.ReturnsAtOnce([] { EXPECT_EQ(rs::LoadMedia(0, "introwin.mp3"), 0); }));

    ASSERT_EQ(rs::LoadMedia(0, "tune.mp3"), 1) << SDL_GetError();
    EXPECT_EQ(rs::MediaStatus(), 0);
    rs::SeekMedia(0);
    EXPECT_EQ(rs::MediaStatus(), 0);
    EXPECT_EQ(Mix_PlayingMusic(), 0);

    ASSERT_EQ(rs::PlayMedia(0), 1);
    int first = 0;
    ASSERT_TRUE(WaitFor([&] { return (first = rs::MediaStatus()) > 1; }));
    EXPECT_LT(first, 15'000'000);
    // At the end the status is 0, and stays 0: the tune was stopped and rewound.
    ASSERT_TRUE(WaitFor([] { return rs::MediaStatus() == 0; }));
    EXPECT_EQ(rs::MediaStatus(), 0);
    EXPECT_EQ(Mix_PlayingMusic(), 0);

    // The game's repeat: seek to 0 and play; it starts from the beginning again.
    rs::SeekMedia(0);
    ASSERT_EQ(rs::PlayMedia(0), 1);
    EXPECT_GT(rs::MediaStatus(), 0);
    int again = 0;
    ASSERT_TRUE(WaitFor([&] { return (again = rs::MediaStatus()) > 1; }));
    EXPECT_LT(again, 15'000'000);  // from the start, not its end
    rs::PauseMedia();
    EXPECT_EQ(rs::MediaStatus(), rs::MediaPaused);
    rs::StopMedia();
    EXPECT_EQ(rs::MediaStatus(), 0);
    // The mixer ends the tune after the buffer that fades it out.
    EXPECT_TRUE(WaitFor([] { return Mix_PlayingMusic() == 0; }));
    std::filesystem::current_path(cwd);
}

TEST_F(SdlSound, TunesFadeOutWhereverTheyStopMidNote) {
    // A loud tune and a quieter effect: every way the music ends, the output may change
    // between two samples by no more than the tones themselves do, plus 1/64 of full scale.
    constexpr int tunePeak = 16000;
    constexpr int effectPeak = 8000;
    const double ownStep = (tunePeak * 440.0 + effectPeak * 660.0) * 2 * M_PI / 44100 * 1.05;
    const int allowed = int(ownStep) + 32768 / 64;
    ASSERT_TRUE(tessaly_test::WriteMp3(folder_ + "/tune.mp3", 4.0, tunePeak));
    ASSERT_TRUE(tessaly_test::WriteMp3(folder_ + "/next.mp3", 4.0, tunePeak));
    WaveRecipe effect;
    effect.data = tessaly_test::Pcm16(tessaly_test::Tone(3 * 44100, 660, effectPeak));
    const auto effectWave = tessaly_test::MakeWave(effect);
    ASSERT_EQ(rs::LoadSoundFromMemory(1, effectWave.data(), effectWave.size()), 1);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    ASSERT_EQ(rs::LoadMedia(0, "tune.mp3"), 1);
    const auto playFor = [](int units) {
        return WaitFor([units] { return rs::MediaStatus() > units; });
    };

    // Stopped at three moments, each at another point of the note.
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(rs::PlayMedia(0), 1);
        ASSERT_TRUE(playFor(2'000'000 + i * 1'300'000));
        rs::StopMedia();
        EXPECT_EQ(rs::MediaStatus(), 0);  // at once: the game does not wait for the fade
        ASSERT_TRUE(WaitFor([] { return Mix_PlayingMusic() == 0; }));
    }
    // Paused, then stopped while silent.
    ASSERT_EQ(rs::PlayMedia(0), 1);
    ASSERT_TRUE(playFor(3'000'000));
    rs::PauseMedia();
    EXPECT_EQ(rs::MediaStatus(), rs::MediaPaused);
    ASSERT_TRUE(WaitFor([] { return Mix_PausedMusic() != 0; }));
    rs::StopMedia();
    // Replaced at once by the next tune, as a phase loads its own into slot 0.
    ASSERT_EQ(rs::PlayMedia(0), 1);
    ASSERT_TRUE(playFor(2'500'000));
    ASSERT_EQ(rs::LoadMedia(0, "next.mp3"), 1);
    ASSERT_EQ(rs::PlayMedia(0), 1);
    EXPECT_GT(rs::MediaStatus(), 0);
    ASSERT_TRUE(playFor(3'000'000));
    // The program's end, with an effect sounding as well.
    rs::PlaySoundOnce(1);
    ASSERT_TRUE(WaitFor([] { return Mix_Playing(1) != 0; }));
    const auto before = OutputSize();
    ASSERT_TRUE(WaitFor([&] { return OutputSize() > before + 44100; }));
    runtime::support::ReleaseAllServices();
    std::filesystem::current_path(cwd);

    const auto out = Samples(ReadFile(output_));
    ASSERT_GT(Peak(out, 0, out.size() / 2), tunePeak * 9 / 10);
    EXPECT_LE(LargestStep(out), allowed);
    // Each fall into silence comes from a fade: full 10 ms before, fading in the last 5 ms.
    const auto ends = Silences(out, 400);
    EXPECT_GE(ends.size(), 5u);
    for (std::size_t end : ends) {
        ASSERT_GT(end, 1000u);
        const int full = Peak(out, end - 441 - 250, end - 441);
        EXPECT_GT(full, tunePeak / 2) << "at frame " << end;
        EXPECT_LT(Peak(out, end - 220, end), full * 7 / 10) << "at frame " << end;
    }
}

TEST_F(SdlSound, EffectsPassAMusicFadeUntouched) {
    ASSERT_TRUE(tessaly_test::WriteMp3(folder_ + "/quiet.mp3", 4.0, 0));
    const auto frames = Signature(2 * 44100, 9);
    WaveRecipe recipe;
    recipe.data = tessaly_test::Pcm16(frames);
    const auto wave = tessaly_test::MakeWave(recipe);
    ASSERT_EQ(rs::LoadSoundFromMemory(4, wave.data(), wave.size()), 1);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    ASSERT_EQ(rs::LoadMedia(0, "quiet.mp3"), 1);
    ASSERT_EQ(rs::PlayMedia(0), 1);
    ASSERT_TRUE(WaitFor([] { return rs::MediaStatus() > 1'000'000; }));

    rs::PlaySoundOnce(4);
    const auto before = OutputSize();
    ASSERT_TRUE(WaitFor([&] { return OutputSize() > before + 44100 * 2; }));
    rs::StopMedia();  // the silent tune fades out under the effect
    ASSERT_TRUE(WaitFor([] { return Mix_PlayingMusic() == 0; }));
    rs::PlaySoundOnce(4);  // and it starts again while nothing else plays
    ASSERT_TRUE(WaitFor([] { return Mix_Playing(4) == 0; }));
    std::filesystem::current_path(cwd);

    const auto output = Output();
    const auto at = Occurrences(output, recipe.data);
    ASSERT_EQ(at.size(), 1u);  // the second run, whole
    const std::vector<std::uint8_t> start(recipe.data.begin(), recipe.data.begin() + 4000);
    const auto starts = Occurrences(output, start);
    ASSERT_EQ(starts.size(), 2u);
    // The first run, cut by the restart, passed the fade unchanged up to the cut.
    const std::size_t heard = starts[1] - starts[0];
    ASSERT_LT(heard, recipe.data.size());
    EXPECT_TRUE(std::equal(recipe.data.begin(), recipe.data.begin() + std::ptrdiff_t(heard),
                           output.begin() + std::ptrdiff_t(starts[0])));
}

// With no usable sound device the sound libraries say nothing and the game says one line:
// SDL forced onto ALSA with a card that does not exist, and onto a driver that does not.
TEST(SdlSoundDevice, NoDeviceIsOneLineOnStandardError) {
    const std::string folder = tessaly_test::TempFolder("sdl-no-device");
    const std::string errors = folder + "/stderr.txt";
    for (const char* driver : {"alsa", "no-such-driver"}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd < 0 || ::dup2(fd, 2) < 0) _exit(3);
            setenv("SDL_AUDIODRIVER", driver, 1);
            setenv("AUDIODEV", "hw:31", 1);
            rs::sdl::UseSdlSound();
            const bool silent = rs::InitMediaPlayer() == 1 && rs::InitSoundOutput() == 0 &&
                                rs::LoadMedia(0, "tune.mp3") == 0;
            rs::ReleaseMediaPlayer();
            rs::ReleaseSoundOutput();
            _exit(silent ? 0 : 4);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << driver << " " << status;
        const auto text = ReadFile(errors);
        EXPECT_EQ(std::string(text.begin(), text.end()), "no sound device: playing without sound\n")
            << driver;
    }
    std::filesystem::remove_all(folder);
}
