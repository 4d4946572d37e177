// Starting another program (the level editor) and ending the game.
#include "runtime/support/program.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "runtime/support/files.hpp"
#include "temp_folder.hpp"

namespace runtime::support {
namespace {

void WriteScript(const std::string& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    chmod(path.c_str(), 0755);
}

// Polls for up to ten seconds; the started program runs on its own time.
template <typename Condition>
bool Eventually(Condition condition) {
    for (int k = 0; k < 1000; ++k) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

std::string Contents(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// True while the process exists, zombie or not.
bool ProcessExists(int pid) {
    return std::filesystem::exists("/proc/" + std::to_string(pid));
}

TEST(StartProgram, RunsInItsOwnFolderWithoutWaitingAndIsReaped) {
    TempFolder folder;
    std::filesystem::create_directory(folder.path() / "tools");
    // The program writes where it runs and echoes a marker; the folder part of its name is
    // its working folder.
    WriteScript(folder / "tools/editor", "pwd > started.txt\n");
    const int pid = StartProgram(folder / "tools/editor");
    ASSERT_NE(pid, 0);
    const std::string marker = folder / "tools/started.txt";
    ASSERT_TRUE(Eventually(
        [&] { return std::filesystem::exists(marker) && std::filesystem::file_size(marker) > 0; }));
    // Nobody waits for it, yet once it ends no zombie process is left behind.
    EXPECT_TRUE(Eventually([&] { return !ProcessExists(pid); }));
}

TEST(StartProgram, BareAndBackslashNamesAreRelativeToTheCurrentFolder) {
    TempFolder folder;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    std::filesystem::create_directory("sub");
    WriteScript("editor", "touch bare.txt\n");
    WriteScript("sub/editor", "touch nested.txt\n");
    const int bare = StartProgram("editor");
    const int nested = StartProgram("sub\\editor");
    std::filesystem::current_path(previous);
    EXPECT_NE(bare, 0);
    EXPECT_NE(nested, 0);
    EXPECT_TRUE(Eventually([&] { return std::filesystem::exists(folder / "bare.txt"); }));
    EXPECT_TRUE(Eventually([&] { return std::filesystem::exists(folder / "sub/nested.txt"); }));
}

TEST(StartProgram, TakesArgumentsAndAFolderOfItsOwn) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "game");
    WriteScript(folder / "tessaly",
                "pwd > started.txt\nfor a; do echo \"$a\" >> started.txt; done\n");
    const int pid = StartProgramIn(folder / "game", folder / "tessaly", {"/a level.lvl", "--"});
    ASSERT_NE(pid, 0);
    const std::string marker = folder / "game/started.txt";
    ASSERT_TRUE(Eventually([&] { return Contents(marker).size() > 0 && !ProcessExists(pid); }));
    EXPECT_EQ(Contents(marker), (folder / "game") + "\n/a level.lvl\n--\n");
    EXPECT_EQ(StartProgramIn(folder / "game", folder / "missing", {}), 0);
}

TEST(StartProgram, ReportsProgramsThatCannotStart) {
    TempFolder folder;
    EXPECT_EQ(StartProgram(folder / "editor"), 0);  // missing
    std::ofstream(folder / "plain") << "#!/bin/sh\ntouch ran.txt\n";
    EXPECT_EQ(StartProgram(folder / "plain"), 0);        // not executable
    EXPECT_EQ(StartProgram(folder.path().string()), 0);  // a folder
    EXPECT_EQ(StartProgram(""), 0);
}

// Releases record themselves in order, so the tests can check the order they ran in.
std::string order;
constexpr const char* kNames[] = {"quads",  "sound",   "pack",   "media",   "mouse", "keyboard",
                                  "screen", "sprites", "images", "windows", "heap"};
template <int N>
void Release() {
    order += kNames[N];
    order += ',';
}

// Added in a muddled order, as services start in their own order.
void AddAllReleases() {
    AddShutdownRelease(ShutdownStage::Windows, Release<9>);
    AddShutdownRelease(ShutdownStage::ScreenAndSprites, Release<6>);
    AddShutdownRelease(ShutdownStage::FilesAndHeaps, Release<10>);
    AddShutdownRelease(ShutdownStage::Keyboard, Release<5>);
    AddShutdownRelease(ShutdownStage::Mouse, Release<4>);
    AddShutdownRelease(ShutdownStage::ImageObjects, Release<8>);
    AddShutdownRelease(ShutdownStage::MediaPlayer, Release<3>);
    AddShutdownRelease(ShutdownStage::ScreenAndSprites, Release<7>);
    AddShutdownRelease(ShutdownStage::ResourcePack, Release<2>);
    AddShutdownRelease(ShutdownStage::SoundOutput, Release<1>);
    AddShutdownRelease(ShutdownStage::QuadSprites, Release<0>);
    AddShutdownRelease(ShutdownStage::QuadSprites, Release<0>);  // added twice, runs once
    AddShutdownRelease(ShutdownStage::Mouse, nullptr);
}

constexpr const char* kShutdownOrder =
    "quads,sound,pack,media,mouse,keyboard,screen,sprites,images,windows,heap,";

TEST(EndProgram, ReleasesServicesInOrderAndClosesFiles) {
    TempFolder folder;
    order.clear();
    AddAllReleases();
    ASSERT_NE(CreateFileForWriting(7, folder / "scores.bin"), 0);
    ReleaseAllServices();
    EXPECT_EQ(order, kShutdownOrder);
    // Files are closed: there is no current file to write to.
    EXPECT_EQ(WriteTextLine("late"), 0);
    // Each release ran once and is gone.
    ReleaseAllServices();
    EXPECT_EQ(order, kShutdownOrder);
}

TEST(EndProgramDeathTest, ExitsWithCodeZeroAfterTheReleasesAndKeepsWrittenLines) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child runs this test again from the start, so the file needs a name both agree on.
    const std::string written = "end_program_written.txt";
    std::filesystem::remove(written);
    EXPECT_EXIT(
        {
            order.clear();
            AddAllReleases();
            AddShutdownRelease(ShutdownStage::FilesAndHeaps, [] {
                std::fputs(order.c_str(), stderr);
                std::fflush(stderr);
            });
            CreateFileForWriting(1, written);
            WriteTextLine("kept");
            EndProgram();
        },
        ::testing::ExitedWithCode(0), std::string("^") + kShutdownOrder + "$");
    std::ifstream in(written, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "kept\r\n");
    std::filesystem::remove(written);
}

TEST(WaitMillisecondsDeathTest, AQuitCutsTheWaitInProgressShort) {
    // In a child of its own: once cut short, waits stay short for the rest of the process.
    // A wait that went on would run into the test's time limit.
    EXPECT_EXIT(
        {
            std::thread quit([] { CutWaitsShort(); });
            WaitMilliseconds(24 * 60 * 60 * 1000);
            quit.join();
            WaitMilliseconds(24 * 60 * 60 * 1000);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace runtime::support
