// Games recorded by the game's own recorder (tessaly-headless game --replays) and played
// again by tessaly-headless replay: the same phases at the same frames, the same pictures
// and the same score; a tampered file fails its proof, and files that are cut short,
// damaged or hostile are refused with the line at fault, never crashing or hanging.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/command_run.hpp"
#include "tests/game_folder.hpp"
#include "tests/runtime/support/temp_folder.hpp"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    std::string output;
    std::vector<std::string> phases;  // "Name@frame score level", frames from the first
    std::string last;                 // the last line printed
};

// Runs the tool with the arguments; a run that hangs is ended after two minutes (124).
ToolRun Tool(const std::string& arguments) {
    const std::string command =
        std::string("timeout 120 \"") + TESSALY_HEADLESS_TOOL + "\" " + arguments + " 2>&1";
    ToolRun run;
    const tessaly_test::CommandRun ran = tessaly_test::RunCommand(command);
    run.status = ran.status;
    run.output = ran.output;
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        run.last = line;
        char name[64] = {};
        unsigned long long frame = 0;
        long score = 0;
        int level = 0;
        if (std::sscanf(line.c_str(), "phase=%63s f=%llu score=%ld level=%d", name, &frame, &score,
                        &level) != 4)
            continue;
        // A game's start shows what the game before it left; a replay starts afresh.
        const std::string values = std::string(name) == "GameStart"
                                       ? ""
                                       : " " + std::to_string(score) + " " + std::to_string(level);
        run.phases.push_back(std::string(name) + "@" + std::to_string(frame) + values);
    }
    return run;
}

std::string Quoted(const fs::path& path) {
    return "\"" + path.string() + "\"";
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

fs::path Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// The recorded games in the order they were played (their names start with the time).
std::vector<fs::path> Recorded(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The phases of the nth game of a run (from its GameStart to its way back to the menu),
// their frames counted from the game's start, as a replay prints them.
std::vector<std::string> GamePhases(const ToolRun& run, int nth) {
    std::vector<std::string> phases;
    unsigned long long start = 0;
    for (const std::string& phase : run.phases) {
        const std::string name = phase.substr(0, phase.find('@'));
        const unsigned long long frame = std::stoull(phase.substr(phase.find('@') + 1));
        if (name == "GameStart" && nth-- == 0) start = frame;
        if (nth != -1) continue;
        if (name == "Menu") break;  // the menu after the game belongs to the next
        const std::size_t values = phase.find(' ');
        phases.push_back(name + "@" + std::to_string(frame - start) +
                         (values == std::string::npos ? "" : phase.substr(values)));
    }
    return phases;
}

// The end line's score.
std::string RecordedScore(const fs::path& file) {
    const std::string text = ReadAll(file);
    const std::size_t at = text.rfind("score=");
    return text.substr(at + 6, text.find(' ', at) - at - 6);
}

class RecordedGames : public ::testing::Test {
  protected:
    void SetUp() override { NEED_GAME_FOLDER(TESSALY_PLAY_DATA_DIR); }
    std::string data = std::string(" --data \"") + TESSALY_PLAY_DATA_DIR + "\"";
    TempFolder scratch;
};

// Three games of one run: the first lost to the game-over screen, the second paused by
// another window taking the keyboard and left from the pause, the third ended by closing
// the window in the middle of its level. Mouse, buttons, the wheel and keys all count.
const char kThreeGames[] =
    "1 key 57 down\n6 key 57 up\n300 key 31 down\n301 key 31 up\n"
    "20 button 1 down\n22 button 1 up\n23 mouse 37 0\n50+1 mouse -20 0\n"
    "400 button 1 down\n402 button 1 up\n403 mouse 37 0\n430+1 mouse -20 0\n"
    "800 button 1 down\n802 button 1 up\n803 mouse 37 0\n830+1 mouse -20 0\n"
    "1200 button 1 down\n1202 button 1 up\n1203 mouse 37 0\n1230+1 mouse -20 0\n"
    "1600 button 1 down\n1602 button 1 up\n1603 mouse 37 0\n1630+1 mouse -20 0\n"
    "1800 key 1 down\n1801 key 1 up\n1850 key 57 down\n1852 key 57 up\n"
    "1900 button 1 down\n1901 button 1 up\n1920 mouse 55 0\n1950 focus out\n1960 mouse 100 0\n"
    "1990 focus in\n2000 key 28 down\n2001 key 28 up\n2010 wheel 3\n"
    "2050 button 3 down\n2050 button 3 up\n2100 key 1 down\n2101 key 57 down\n"
    "2103 key 1 up\n2104 key 57 up\n2300 mouse -30 0\n2301 button 1 down\n2302 button 1 up\n"
    "2400 close\n";

TEST_F(RecordedGames, ReplayAsTheyWerePlayed) {
    const fs::path replays = scratch.path() / "replays";
    const fs::path script = Write(scratch.path() / "player.script", kThreeGames);
    const ToolRun played =
        Tool("game" + data + " --seed 3 --frames 3000 --input " + Quoted(script) + " --replays " +
             Quoted(replays) + " --shot 1940:" + Quoted(scratch.path() / "played.bmp"));
    ASSERT_EQ(played.status, 0) << played.output;
    const std::vector<fs::path> games = Recorded(replays);
    ASSERT_EQ(games.size(), 3u) << played.output;
    const char* ends[] = {"by=menu", "by=menu", "by=quit"};
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE(games[std::size_t(n)].string());
        // The second game started at frame 1850; its frame 90 is the run's 1940.
        const std::string shot =
            n == 1 ? " --shot 90:" + Quoted(scratch.path() / "replayed.bmp") : "";
        const ToolRun replayed = Tool("replay " + Quoted(games[std::size_t(n)]) + data + shot);
        EXPECT_EQ(replayed.status, 0) << replayed.output;
        EXPECT_EQ(replayed.phases, GamePhases(played, n));
        const std::string score = RecordedScore(games[std::size_t(n)]);
        EXPECT_TRUE(replayed.last.starts_with("score=" + score + " level=1 frames="))
            << replayed.last;
        EXPECT_TRUE(replayed.last.ends_with(" recorded-score=" + score)) << replayed.last;
        EXPECT_NE(ReadAll(games[std::size_t(n)]).find(ends[n]), std::string::npos);
    }
    EXPECT_EQ(RecordedScore(games[0]), "350");  // the first game scored before it was lost
    const std::string picture = ReadAll(scratch.path() / "played.bmp");
    EXPECT_GT(picture.size(), 800u * 600u);
    EXPECT_TRUE(picture == ReadAll(scratch.path() / "replayed.bmp")) << "the pictures differ";

    // Changed by hand, a game fails its proof: a score that was never played, or input
    // taken out (the first game's serves: it scores nothing).
    std::string text = ReadAll(games[0]);
    const fs::path claimed =
        Write(scratch.path() / "claimed.replay",
              text.substr(0, text.rfind("score=")) + "score=99999 level=1 by=menu\n");
    const ToolRun boast = Tool("replay " + Quoted(claimed) + data);
    EXPECT_EQ(boast.status, 1) << boast.output;
    EXPECT_TRUE(boast.last.starts_with("score=350 ")) << boast.last;
    EXPECT_TRUE(boast.last.ends_with(" recorded-score=99999")) << boast.last;
    std::string unserved;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.find(" button 1 ") == std::string::npos) unserved += line + "\n";
    const ToolRun changed =
        Tool("replay " + Quoted(Write(scratch.path() / "x.replay", unserved)) + data);
    EXPECT_EQ(changed.status, 1) << changed.output;
    EXPECT_TRUE(changed.last.starts_with("score=0 ")) << changed.last;
}

// The autopilot's long game, with its mouse moving every frame, away from the window for a
// while (the level pauses and resumes), ended by the run's frame limit.
TEST_F(RecordedGames, LongGameReplaysToTheSameScoreAndPictures) {
    const fs::path replays = scratch.path() / "replays";
    const fs::path script =
        Write(scratch.path() / "away.script", "2000 focus out\n2100 focus in\n");
    const ToolRun played = Tool("game" + data + " --seed 5 --autopilot --frames 5000 --input " +
                                Quoted(script) + " --replays " + Quoted(replays) +
                                " --shot 4000:" + Quoted(scratch.path() / "played.bmp") +
                                " --shot 512:" + Quoted(scratch.path() / "loading.bmp"));
    ASSERT_EQ(played.status, 0) << played.output;
    const std::vector<fs::path> games = Recorded(replays);
    ASSERT_EQ(games.size(), 1u);
    const std::vector<std::string> phases = GamePhases(played, 0);
    ASSERT_FALSE(phases.empty());
    // The game started at frame 511, so the run's frame 4000 is the game's 3489.
    ASSERT_EQ(played.output.find("phase=GameStart f=511 "), played.output.find("phase=GameStart"));
    const ToolRun replayed = Tool("replay " + Quoted(games[0]) + data +
                                  " --shot 3489:" + Quoted(scratch.path() / "replayed.bmp") +
                                  " --shot 1:" + Quoted(scratch.path() / "replayed-loading.bmp"));
    EXPECT_EQ(replayed.status, 0) << replayed.output;
    EXPECT_EQ(replayed.phases, phases);
    EXPECT_EQ(replayed.last, "score=" + RecordedScore(games[0]) +
                                 " level=1 frames=4489 recorded-score=" + RecordedScore(games[0]));
    EXPECT_TRUE(ReadAll(scratch.path() / "played.bmp") == ReadAll(scratch.path() / "replayed.bmp"))
        << "the pictures differ";
    // The game's first frame shows the loading picture the menu brought.
    EXPECT_TRUE(ReadAll(scratch.path() / "loading.bmp") ==
                ReadAll(scratch.path() / "replayed-loading.bmp"))
        << "the loading pictures differ";
}

TEST_F(RecordedGames, DamagedAndHostileFilesAreRefused) {
    const fs::path replays = scratch.path() / "replays";
    const fs::path level = Write(scratch.path() / "one.lvl", [] {
        std::string text = "20\r\n";
        for (int i = 0; i < 160; ++i)
            text += std::string(i >= 140 ? "100" : "000") + "\r\n";
        return text + "205\r\n0\r\n0\r\n";
    }());
    const fs::path script = Write(scratch.path() / "s.script", "30 button 1 down\n200 close\n");
    ASSERT_EQ(Tool("game" + data + " --single " + Quoted(level) + " --input " + Quoted(script) +
                   " --replays " + Quoted(replays))
                  .status,
              0);
    const std::vector<fs::path> games = Recorded(replays);
    ASSERT_EQ(games.size(), 1u);
    const std::string good = ReadAll(games[0]);
    ASSERT_NE(good.find("mode level-file\n"), std::string::npos);
    ASSERT_EQ(Tool("replay " + Quoted(games[0]) + data).status, 0);

    const auto replace = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const std::size_t at = text.find(from);
        return at == std::string::npos ? "(missing " + from + ")"
                                       : text.replace(at, from.size(), to);
    };
    const std::size_t input = good.find("input\n") + 6;
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += char(i * 7);
    const struct {
        const char* name;
        std::string text;
        const char* message;  // what the refusal says, after the file's name
    } hostile[] = {
        {"empty", "", ": line 1: not a Tessaly replay"},
        {"junk", "hello there\nnothing to see\n", ": line 1: not a Tessaly replay"},
        {"binary", binary, ": line 1: not a Tessaly replay"},
        {"future", replace("tessaly-replay 1", "tessaly-replay 2"),
         ": line 1: format version 2 is newer than this game reads (1)"},
        {"header-cut", good.substr(0, good.find("pacing")), ": line 7: the replay is cut short"},
        {"input-cut", good.substr(0, input + 10), ": line "},
        {"no-end", good.substr(0, good.rfind("end ")), ": line "},
        {"huge-end", replace("end frames=", "end frames=99999999999999999999"), "end frames=N"},
        {"long-end", replace("end frames=", "end frames=1000001"), "at most 1000000"},
        {"huge-frame",
         good.substr(0, input) + "18446744073709551615 key 1 down\n" + good.substr(input),
         "the frame must be at most"},
        {"huge-read", good.substr(0, input) + "5+99999 key 1 down\n" + good.substr(input),
         "+R (R 1 to 1000)"},
        {"far-mouse", good.substr(0, input) + "5 mouse 100001 0\n" + good.substr(input),
         "mouse movement must be"},
        {"short-level", replace("level-line", "level-lines"), "not a level file"},
        {"few-levels",
         good.substr(0, good.find("level-line")) + "level-line 20\ninput\n" + good.substr(input),
         "not a level file"},
        {"long-line", replace("level-line 20", "level-line " + std::string(1001, '7')),
         "not a level file: a line holds at most 1000 characters"},
        {"bad-escape", replace("level-line 20", "level-line 2%G"), "not a level file"},
        {"random", replace("random ", "random 99 "), "random I J"},
        {"carry", replace("carry ", "carry 2147483647 "), "carry and 33 whole numbers"},
    };
    for (const auto& h : hostile) {
        const fs::path file = Write(scratch.path() / (std::string(h.name) + ".replay"), h.text);
        const ToolRun run = Tool("replay " + Quoted(file) + data);
        EXPECT_EQ(run.status, 2) << h.name << ": " << run.output;
        EXPECT_NE(run.output.find(file.string() + ":"), std::string::npos)
            << h.name << ": " << run.output;
        EXPECT_NE(run.output.find(h.message), std::string::npos) << h.name << ": " << run.output;
    }
    const ToolRun folder = Tool("replay " + Quoted(scratch.path()) + data);
    EXPECT_EQ(folder.status, 2);
    EXPECT_NE(folder.output.find("is a folder"), std::string::npos) << folder.output;
    // Far larger than any game: refused before it is read (the file is sparse).
    const fs::path huge = Write(scratch.path() / "huge.replay", good);
    fs::resize_file(huge, std::uintmax_t(65) << 20);
    const ToolRun large = Tool("replay " + Quoted(huge) + data);
    EXPECT_EQ(large.status, 2);
    EXPECT_NE(large.output.find("far too large"), std::string::npos) << large.output;
    const ToolRun missing = Tool("replay " + Quoted(scratch.path() / "none.replay") + data);
    EXPECT_EQ(missing.status, 2) << missing.output;
}

}  // namespace
