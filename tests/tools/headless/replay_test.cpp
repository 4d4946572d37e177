// Seeded replays through the real game code: the state and the pictures of chosen frames
// must come out exactly as recorded. A change that alters play shows up here first; when a
// change is meant to alter it, run the test, check the new values by eye and record them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "tests/game_folder.hpp"
#include "tools/headless/runner.hpp"

namespace {

using tools::headless::PlayOptions;

// What a replay records at its chosen frames: the trace line and the back buffer.
struct Checkpoint {
    std::uint64_t frame;
    const char* trace;
    std::uint64_t pixels;  // checksum of the back buffer after that frame; 0: not checked
};

std::map<std::uint64_t, std::pair<std::string, std::uint64_t>> seen;
std::vector<std::uint64_t> wanted;

void Record(std::uint64_t frame) {
    for (const std::uint64_t f : wanted)
        if (f == frame)
            seen[frame] = {tools::headless::TraceLine(frame),
                           tools::headless::BackBufferChecksum()};
}

tools::headless::PlayResult Replay(PlayOptions options,
                                   const std::vector<Checkpoint>& checkpoints) {
    seen.clear();
    wanted.clear();
    for (const auto& c : checkpoints)
        wanted.push_back(c.frame);
    options.afterFrame = Record;
    const auto result = tools::headless::Play(options);
    for (const auto& c : checkpoints) {
        SCOPED_TRACE("frame " + std::to_string(c.frame));
        EXPECT_TRUE(seen.count(c.frame)) << "the replay ended at frame " << result.frames;
        EXPECT_EQ(seen[c.frame].first, c.trace);
        if (c.pixels != 0) {
            EXPECT_EQ(seen[c.frame].second, c.pixels) << std::hex << seen[c.frame].second;
        }
    }
    return result;
}

std::vector<tools::headless::InputEvent> Script(const char* text) {
    std::vector<tools::headless::InputEvent> events;
    std::string error;
    EXPECT_TRUE(tools::headless::ParseInput(text, events, error)) << error;
    return events;
}

TEST(Replay, ScriptedPlayerServesMissesAndLosesALife) {
    ENTER_PLAY_FOLDER();
    PlayOptions options;
    options.seed = 7;
    options.frames = 900;
    options.input = Script(
        "# move right during the intro, serve as early as possible, then stand still\n"
        "10 mouse 120 3\n"
        "200 button 1 down\n"
        "300 mouse -40 0\n"
        "305 button 1 up\n"
        "420 mouse 35 0\n");
    const auto result = Replay(
        options,
        {
            {300,
             "f=300 score=0 lives=3 bricks=120 level=1 ball=340,560,5,5,0 paddle=280 capsules=0",
             0},
            {301,
             "f=301 score=0 lives=3 bricks=120 level=1 ball=300,560,5,5,1 paddle=280 capsules=0",
             0},
            {302,
             "f=302 score=0 lives=3 bricks=120 level=1 ball=305,565,5,5,1 paddle=280 capsules=0",
             0},
            {450,
             "f=450 score=100 lives=2 bricks=119 level=1 ball=335,560,1,5,0 paddle=315 capsules=0",
             0xadef4baad8031065ull},
            {900,
             "f=900 score=100 lives=2 bricks=119 level=1 ball=335,560,1,5,0 paddle=315 capsules=0",
             0},
        });
    EXPECT_EQ(result.outcome, "None");
}

TEST(Replay, AutopilotOnTheBarrierAndDescentLevels) {
    ENTER_PLAY_FOLDER();
    PlayOptions barrier;
    barrier.level = 7;
    barrier.seed = 3;
    barrier.frames = 2000;
    barrier.autopilot = true;
    Replay(
        barrier,
        {{1000,
          "f=1000 score=1500 lives=3 bricks=89 level=7 ball=483,375,4,-5,1 paddle=479 capsules=0",
          0},
         {2000,
          "f=2000 score=4500 lives=3 bricks=68 level=7 ball=700,365,1,5,1 paddle=696 capsules=0",
          0x2de04cfb5359334bull}});

    PlayOptions descent;
    descent.level = 12;
    descent.seed = 5;
    descent.frames = 2000;
    descent.autopilot = true;
    Replay(
        descent,
        {{1000,
          "f=1000 score=850 lives=3 bricks=128 level=12 ball=520,395,-3,5,1 paddle=516 capsules=1",
          0x39aa99fa7f0e58e5ull},
         {2000,
          "f=2000 score=2250 lives=3 bricks=101 level=12 ball=427,525,2,5,1 paddle=423 capsules=0",
          0}});
}

TEST(Replay, LevelFileWithBothHazards) {
    ENTER_PLAY_FOLDER();
    PlayOptions options;
    options.levelFile =
        (std::filesystem::current_path() / "levels" / "05_event_horizon.lvl").string();
    options.seed = 11;
    options.frames = 1500;
    options.autopilot = true;
    Replay(
        options,
        {{400, "f=400 score=0 lives=3 bricks=108 level=1 ball=670,535,-1,5,1 paddle=666 capsules=0",
          0},
         {1500,
          "f=1500 score=550 lives=3 bricks=102 level=1 ball=618,415,-1,-5,1 paddle=614 capsules=1",
          0xf48e6eba3c2d1630ull}});
}

TEST(Replay, EscapePausesAndSSavesTheScreen) {
    ENTER_PLAY_FOLDER();
    std::filesystem::remove("screen.bmp");
    PlayOptions options;
    options.seed = 2;
    options.input = Script("40 key 31 down\n41 key 31 up\n350 key 1 down\n");
    const auto result = tools::headless::Play(options);
    EXPECT_EQ(result.outcome, "Paused");
    EXPECT_EQ(result.frames, 350u);
    // The screenshot is the 800 x 600 screen as a 24-bit BMP.
    std::error_code ec;
    EXPECT_EQ(std::filesystem::file_size("screen.bmp", ec), 54u + 800u * 600u * 3u);
    std::filesystem::remove("screen.bmp");
}

// The phases around play, through the tool's game command: the introduction's star field
// and dot clouds, then the title menu's background, panel and stars as the panel turns up
// and then down, must come out as recorded (checksums of the saved pictures).
TEST(Replay, IntroductionAndTitleMenuPictures) {
    ENTER_PLAY_FOLDER();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tessaly-phases-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    { std::ofstream(folder / "skip.script") << "700 key 57 down\n701 key 57 up\n"; }
    const std::uint64_t frames[] = {600, 702, 703, 1000, 1300, 1700};
    std::string command = std::string("\"") + TESSALY_HEADLESS_TOOL + "\" game --frames 1800" +
                          " --input \"" + (folder / "skip.script").string() + "\"";
    for (const std::uint64_t frame : frames)
        command += " --shot " + std::to_string(frame) + ":\"" +
                   (folder / (std::to_string(frame) + ".bmp")).string() + "\"";
    ASSERT_EQ(std::system((command + " >/dev/null").c_str()), 0) << command;
    const std::map<std::uint64_t, std::uint64_t> recorded = {
        {600, 0xc3635b134a827a85ull},  {702, 0xc5baf5161ab36867ull},
        {703, 0xcc990815249c86e3ull},  {1000, 0x8432ee9dbea11576ull},
        {1300, 0xb831ed3d9abf3bdeull}, {1700, 0xb65bdcbbe7c168d7ull}};
    for (const std::uint64_t frame : frames) {
        std::ifstream in(folder / (std::to_string(frame) + ".bmp"), std::ios::binary);
        std::uint64_t hash = 1469598103934665603ull;
        for (std::istreambuf_iterator<char> it(in), end; it != end; ++it) {
            hash ^= std::uint8_t(*it);
            hash *= 1099511628211ull;
        }
        EXPECT_EQ(hash, recorded.at(frame)) << "frame " << frame << ": " << std::hex << hash;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
