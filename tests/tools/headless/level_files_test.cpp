// Level files from anywhere: whatever a file holds, the level is played or the tool says
// clearly what is wrong, and nothing crashes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "game/levels/bricks.hpp"
#include "game/state/game_state.hpp"
#include "tests/command_run.hpp"
#include "tests/game_folder.hpp"
#include "tools/headless/runner.hpp"

namespace {

namespace fs = std::filesystem;

fs::path TempFolder() {
    const fs::path folder =
        fs::temp_directory_path() / ("tessaly-levels-" + std::to_string(getpid()));
    fs::create_directories(folder);
    return folder;
}

fs::path Write(const fs::path& folder, const std::string& name, const std::string& bytes) {
    const fs::path path = folder / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

tools::headless::PlayResult PlayFile(const fs::path& file, std::uint64_t frames = 600) {
    tools::headless::PlayOptions options;
    options.levelFile = file.string();
    options.frames = frames;
    options.autopilot = true;
    return tools::headless::Play(options);
}

TEST(HostileLevelFiles, PlayWithoutCrashing) {
    ENTER_PLAY_FOLDER();
    const fs::path folder = TempFolder();
    std::string binary;
    for (int i = 0; i < 5000; ++i)
        binary.push_back(char((i * 73 + 11) & 0xFF));
    std::string manyLines;
    for (int i = 0; i < 10000; ++i)
        manyLines += std::to_string(i * 7919) + "\r\n";
    std::string extremes = "-2147483649\r\n";
    const char* cells[] = {"99999999999999", "-100",   "255",         "356",  "65636",
                           "+102",           "  103x", "-2147483648", "0x64", "1e3"};
    for (int i = 0; i < 160; ++i)
        extremes += std::string(cells[i % 10]) + "\r\n";
    extremes += "4294967496\r\n-1\r\n99999999999\r\n";
    const std::string longLine = std::string(1 << 20, '7') + "\n" + std::string(1 << 20, 'x');

    const struct {
        const char* name;
        std::string bytes;
    } files[] = {{"empty.lvl", ""},
                 {"binary.lvl", binary},
                 {"many-lines.lvl", manyLines},
                 {"extremes.lvl", extremes},
                 {"long-lines.lvl", longLine}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const auto result = PlayFile(Write(folder, f.name, f.bytes));
        EXPECT_NE(result.outcome, "Paused");
        EXPECT_GT(result.frames, 0u);
    }
    // An empty file is a level with nothing to clear: the first destroyed brick would win
    // it, but there are no bricks, and 160 empty records never drawn.
    PlayFile(folder / "empty.lvl", 1);
    EXPECT_EQ(game::levels::Bricks().Count(), 160);
    EXPECT_EQ(game::state::Game().bricksLeft, 0);
    fs::remove_all(folder);
}

TEST(HostileLevelFiles, AWinnableFileIsClearedByTheFirstBrickWhenItSaysZero) {
    ENTER_PLAY_FOLDER();
    const fs::path folder = TempFolder();
    std::string level = "0\r\n";
    for (int i = 0; i < 160; ++i)
        level += (i >= 140 && i < 160) ? "100\r\n" : "000\r\n";  // one row at the bottom
    level += "205\r\n0\r\n0\r\n";
    const auto result = PlayFile(Write(folder, "zero.lvl", level), 20000);
    EXPECT_EQ(result.outcome, "Cleared");
    EXPECT_EQ(result.score, 50);
    fs::remove_all(folder);
}

// Runs the tool and returns its exit code; its error output lands in *error.
int RunTool(const std::string& arguments, std::string* error) {
    const fs::path errFile =
        fs::temp_directory_path() / ("tessaly-headless-" + std::to_string(getpid()));
    const std::string command = std::string("\"") + TESSALY_HEADLESS_TOOL + "\" " + arguments +
                                " >/dev/null 2>\"" + errFile.string() + "\"";
    const int status = std::system(command.c_str());
    std::ifstream in(errFile);
    error->assign(std::istreambuf_iterator<char>(in), {});
    fs::remove(errFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(HeadlessTool, RefusesBadArgumentsWithAMessage) {
    ENTER_PLAY_FOLDER();
    const std::string data = std::string("--data \"") + TESSALY_PLAY_DATA_DIR + "\" ";
    const fs::path folder = TempFolder();
    Write(folder, "bad.script", "10 mouse 5 0\n11 jump 3\n");
    std::string error;
    EXPECT_EQ(RunTool("play " + data + "--level 16", &error), 2);
    EXPECT_NE(error.find("--level"), std::string::npos) << error;
    EXPECT_EQ(RunTool("play " + data + "--file /no/such/level.lvl", &error), 2);
    EXPECT_NE(error.find("/no/such/level.lvl"), std::string::npos) << error;
    EXPECT_EQ(RunTool("play " + data + "--input " + (folder / "bad.script").string(), &error), 2);
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_EQ(RunTool("play --data /no/such/folder", &error), 2);
    EXPECT_NE(error.find("/no/such/folder"), std::string::npos) << error;
    EXPECT_EQ(RunTool("play " + data + "--frames 10 --seed 3", &error), 0) << error;
    EXPECT_EQ(RunTool("game " + data + "--single /no/such/level.lvl", &error), 2);
    EXPECT_NE(error.find("/no/such/level.lvl"), std::string::npos) << error;
    EXPECT_EQ(
        RunTool("game " + data + "--level 2 --single " + (folder / "bad.script").string(), &error),
        2);
    EXPECT_NE(error.find("together"), std::string::npos) << error;
    EXPECT_EQ(RunTool("game " + data + "--frames 0", &error), 2);
    EXPECT_EQ(RunTool("game " + data + "--frames 3 --seed 3", &error), 0) << error;
    fs::remove_all(folder);
}

// Runs the tool and returns its standard output (for --help).
std::string ToolOutput(const std::string& arguments) {
    return tessaly_test::RunCommand(std::string("\"") + TESSALY_HEADLESS_TOOL + "\" " + arguments)
        .output;
}

TEST(HeadlessTool, HelpSaysWhatEveryCommandAndOptionDoes) {
    // Asked for anywhere, as with the other tools.
    for (const char* arguments : {"--help", "game --help", "play --level 3 -h"}) {
        SCOPED_TRACE(arguments);
        const std::string help = ToolOutput(arguments);
        for (const char* word :
             {"\ngame ", "\nplay ", "\nbench ", "--data DIR ", "--level N ", "--single PATH.lvl ",
              "--file PATH.lvl ", "--seed S ", "--frames F ", "--input SCRIPT ", "--autopilot ",
              "--trace FILE ", "--shot FRAME:FILE.bmp ", "FRAME key K down|up", "FRAME close",
              "Exit status"})
            EXPECT_NE(help.find(word), std::string::npos) << word << " missing from\n" << help;
    }
}

TEST(HeadlessTool, NamesWhatItWasGivenInsteadOfALevelFileOrAGameFolder) {
    ENTER_PLAY_FOLDER();
    const std::string data = std::string("--data \"") + TESSALY_PLAY_DATA_DIR + "\" ";
    const fs::path folder = TempFolder();
    ASSERT_EQ(mkfifo((folder / "pipe.lvl").c_str(), 0600), 0);
    fs::create_symlink("loop-b.lvl", folder / "loop-a.lvl");
    fs::create_symlink("loop-a.lvl", folder / "loop-b.lvl");
    fs::create_directory(folder / "empty");
    const struct {
        std::string arguments;
        std::string said;
    } refusals[] = {
        {"play " + data + "--file " + folder.string(), folder.string() + ": is a folder"},
        // Read as a level, a pipe nobody writes into would wait for ever.
        {"game " + data + "--single " + (folder / "pipe.lvl").string(), "pipe.lvl: is a pipe"},
        {"play " + data + "--file /dev/zero", "/dev/zero: is a device"},
        {"play " + data + "--file " + (folder / "loop-a.lvl").string(),
         "loop-a.lvl: is a link that leads round in a loop"},
        {"play " + data + "--input " + folder.string(), folder.string() + ": is a folder"},
        // A folder that is no game folder: the game would run on nothing.
        {"game --data " + (folder / "empty").string(), "no data/ folder in " + folder.string()},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.arguments);
        std::string error;
        EXPECT_EQ(RunTool(refusal.arguments, &error), 2);
        EXPECT_NE(error.find(refusal.said), std::string::npos) << error;
        // Not wrong usage: the message is not buried under the usage lines.
        EXPECT_EQ(error.find("usage:"), std::string::npos) << error;
    }
    fs::remove_all(folder);
}

}  // namespace
