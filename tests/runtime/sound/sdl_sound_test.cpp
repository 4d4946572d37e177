#include "runtime/sound/sdl/sdl_sound.hpp"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "runtime/sound/sound.hpp"
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
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    std::filesystem::current_path(cwd);
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
