// The phases in their order, with the conditions and the frames between them, through the
// real program on the headless backend: each run is a fresh program from the opened full
// screen to its exit, with a scripted player.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/command_run.hpp"
#include "tests/game_folder.hpp"

namespace {

namespace fs = std::filesystem;

struct PhaseEntry {
    std::string name;
    std::uint64_t frame = 0;
    long score = 0;
    int level = 0;
};

struct GameRun {
    int status = -1;
    std::vector<PhaseEntry> phases;
    std::string exitLine;  // "exit=0 frames=N"
    std::string output;

    // "Name@frame" of every phase entered, in order.
    std::string Trail() const {
        std::string trail;
        for (const PhaseEntry& p : phases)
            trail += (trail.empty() ? "" : " ") + p.name + "@" + std::to_string(p.frame);
        return trail;
    }
    const PhaseEntry* Find(const std::string& name, int nth = 1) const {
        for (const PhaseEntry& p : phases)
            if (p.name == name && --nth == 0) return &p;
        return nullptr;
    }
};

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

fs::path Scratch() {
    const fs::path folder =
        fs::temp_directory_path() / ("tessaly-phases-" + std::to_string(getpid()));
    fs::create_directories(folder);
    return folder;
}

fs::path Write(const std::string& name, const std::string& text) {
    const fs::path path = Scratch() / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// Runs `tessaly-headless game` on the game folder with the script as its player.
GameRun RunGame(const std::string& arguments, const std::string& script = "") {
    std::string command = std::string("\"") + TESSALY_HEADLESS_TOOL + "\" game --data \"" +
                          TESSALY_PLAY_DATA_DIR + "\" " + arguments;
    if (!script.empty()) command += " --input \"" + Write("player.script", script).string() + "\"";
    GameRun run;
    const tessaly_test::CommandRun ran = tessaly_test::RunCommand(command + " 2>&1");
    run.status = ran.status;
    run.output = ran.output;
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("exit=", 0) == 0) run.exitLine = line;
        char name[64] = {};
        PhaseEntry p;
        unsigned long long frame = 0;
        if (std::sscanf(line.c_str(), "phase=%63s f=%llu score=%ld level=%d", name, &frame,
                        &p.score, &p.level) == 4) {
            p.name = name;
            p.frame = frame;
            run.phases.push_back(p);
        }
    }
    return run;
}

// A level file: the bricks-left count, then 160 brick codes (the bottom row given), the
// background code and the two hazard flags.
fs::path LevelFile(const std::string& name, int bricksLeft, const char* bottomRow) {
    std::string level = std::to_string(bricksLeft) + "\r\n";
    for (int i = 0; i < 160; ++i)
        level += std::string(i >= 140 ? bottomRow : "000") + "\r\n";
    return Write(name, level + "205\r\n0\r\n0\r\n");
}

class PhaseSequence : public ::testing::Test {
  protected:
    void SetUp() override { NEED_GAME_FOLDER(TESSALY_PLAY_DATA_DIR); }
    static void TearDownTestSuite() { fs::remove_all(Scratch()); }
};

// Space and Escape are keys held, not presses: the logo and the introduction each end
// after their first frame (the introduction shows the loading picture as its second), and
// the menu acts on the key still held.
TEST_F(PhaseSequence, KeysHeldFromTheLogo) {
    const GameRun space = RunGame("--frames 400", "1 key 57 down\n");
    EXPECT_EQ(space.Trail(),
              "ScreenOpen@0 Logo@0 Intro@1 MenuEntry@3 Menu@3 GameStart@4 LevelSetup@5 "
              "LevelPlay@5");
    EXPECT_EQ(space.exitLine, "exit=0 frames=400");
    EXPECT_EQ(space.status, 0);

    // Escape only skips the logo and the introduction; in the menu it ends the program.
    const GameRun escape = RunGame("--frames 400", "1 key 1 down\n");
    EXPECT_EQ(escape.Trail(), "ScreenOpen@0 Logo@0 Intro@1 MenuEntry@3 Menu@3");
    EXPECT_EQ(escape.exitLine, "exit=0 frames=4");
    EXPECT_EQ(escape.status, 0);

    // Untouched, the logo fades in and out by itself.
    const GameRun untouched = RunGame("--frames 520");
    EXPECT_EQ(untouched.Trail(), "ScreenOpen@0 Logo@0 Intro@508");
}

TEST_F(PhaseSequence, PauseResumesOrLeavesForTheMenu) {
    // Enter resumes; Enter while Escape is still held goes to the menu, where Escape ends it.
    const GameRun held = RunGame("--frames 400",
                                 "1 key 57 down\n6 key 57 up\n"
                                 "20 key 1 down\n25 key 1 up\n30 key 28 down\n35 key 28 up\n"
                                 "40 key 1 down\n45 key 28 down\n");
    EXPECT_EQ(held.Trail(),
              "ScreenOpen@0 Logo@0 Intro@1 MenuEntry@3 Menu@3 GameStart@4 LevelSetup@5 "
              "LevelPlay@5 Pause@20 LevelPlay@30 Pause@40 MenuEntry@45 Menu@45");
    EXPECT_EQ(held.exitLine, "exit=0 frames=46");

    // Space quits to the menu behind the loading picture (one frame), and the menu starts
    // a new game on the Space still held.
    const GameRun space = RunGame("--frames 60",
                                  "1 key 57 down\n6 key 57 up\n20 key 1 down\n25 key 1 up\n"
                                  "30 key 57 down\n");
    EXPECT_EQ(space.Trail(),
              "ScreenOpen@0 Logo@0 Intro@1 MenuEntry@3 Menu@3 GameStart@4 LevelSetup@5 "
              "LevelPlay@5 Pause@20 MenuEntry@31 Menu@31 GameStart@32 LevelSetup@33 "
              "LevelPlay@33");
}

// The desktop's part: another window taking the keyboard pauses play as Escape would, and
// closing the window ends the program from any phase, at the end of the frame.
TEST_F(PhaseSequence, FocusLossPausesAndAClosedWindowEndsEveryPhase) {
    const GameRun focus = RunGame("--frames 200",
                                  "1 key 57 down\n6 key 57 up\n50 focus out\n60 focus in\n"
                                  "70 key 28 down\n");
    EXPECT_EQ(focus.Trail(),
              "ScreenOpen@0 Logo@0 Intro@1 MenuEntry@3 Menu@3 GameStart@4 LevelSetup@5 "
              "LevelPlay@5 Pause@50 LevelPlay@70");

    const struct {
        const char* phase;
        const char* script;
        const char* exitLine;
    } closes[] = {
        {"Logo", "100 close\n", "exit=0 frames=101"},
        {"Menu", "1 key 1 down\n2 key 1 up\n3 close\n", "exit=0 frames=4"},
        {"LevelPlay", "1 key 57 down\n6 key 57 up\n50 close\n", "exit=0 frames=51"},
        {"Pause", "1 key 57 down\n6 key 57 up\n20 key 1 down\n50 close\n", "exit=0 frames=51"},
    };
    for (const auto& c : closes) {
        SCOPED_TRACE(c.phase);
        const GameRun run = RunGame("--frames 400", c.script);
        EXPECT_EQ(run.exitLine, c.exitLine);
        EXPECT_EQ(run.status, 0);
        ASSERT_FALSE(run.phases.empty());
        EXPECT_EQ(run.phases.back().name, c.phase == std::string("Logo") ? "Intro" : c.phase)
            << run.Trail();
    }
}

// A level file is played straight from the opened screen, with no logo, introduction,
// menu or loading picture; cleared, it leads to the menu, whose Start plays it again from
// a score of 0 after the menu's half of the game start. The autopilot's button, still
// held from play, clicks Start once the menu has read it, on the menu's second frame.
TEST_F(PhaseSequence, ALevelFileGoesStraightToPlayAndBackToTheMenu) {
    const fs::path level = LevelFile("one-row.lvl", 0, "100");
    const GameRun run = RunGame("--autopilot --frames 700 --single \"" + level.string() + "\"");
    EXPECT_EQ(run.Trail(),
              "ScreenOpen@0 GameStart@0 LevelSetup@0 LevelPlay@0 LevelComplete@350 "
              "MenuEntry@683 Menu@683 GameStart@684 LevelSetup@685 LevelPlay@685");
    ASSERT_NE(run.Find("LevelComplete"), nullptr);
    EXPECT_EQ(run.Find("LevelComplete")->score, 50);
    EXPECT_EQ(run.Find("LevelSetup", 2)->score, 0);
    EXPECT_EQ(run.Find("LevelSetup", 2)->level, 1);
}

// The frame in which the last life goes is not shown: game over follows the 979 frames
// shown, with the score they showed, and the score stands on into the menu.
TEST_F(PhaseSequence, LosingTheLastLifeEndsTheFrameUnshown) {
    const fs::path level = LevelFile("unclearable.lvl", 100, "100");
    const GameRun run = RunGame("--frames 1100 --single \"" + level.string() + "\"",
                                "1 button 1 down\n1000 key 1 down\n");
    EXPECT_TRUE(StartsWith(run.Trail(),
                           "ScreenOpen@0 GameStart@0 LevelSetup@0 LevelPlay@0 "
                           "GameOver@979 MenuEntry@1000 Menu@1000"))
        << run.Trail();
    ASSERT_NE(run.Find("GameOver"), nullptr);
    EXPECT_EQ(run.Find("GameOver")->score, 350);
    EXPECT_EQ(run.Find("MenuEntry")->score, 350);
}

// The button held to fire as the last ball falls, let go on the game-over screen (which
// never reads the mouse): the menu, whose pointer starts on Start, clicks only with a
// button it has read itself, so no new game starts; a click made in the menu still does.
TEST_F(PhaseSequence, AButtonHeldInPlayDoesNotClickInTheMenu) {
    const fs::path level = LevelFile("unclearable.lvl", 100, "100");
    const GameRun run = RunGame("--frames 1100 --single \"" + level.string() + "\"",
                                "1 button 1 down\n990 button 1 up\n"
                                "1000 key 1 down\n1001 key 1 up\n"
                                "1050 button 1 down\n1051 button 1 up\n");
    ASSERT_TRUE(StartsWith(run.Trail(),
                           "ScreenOpen@0 GameStart@0 LevelSetup@0 LevelPlay@0 "
                           "GameOver@979 MenuEntry@1000 Menu@1000"))
        << run.Trail();
    const PhaseEntry* start = run.Find("GameStart", 2);
    ASSERT_NE(start, nullptr) << run.Trail();
    EXPECT_GE(start->frame, 1050u) << run.Trail();
}

// After the fifteenth level the level-complete sequence still runs; the next set-up
// finds level 16 and goes to the ending, and game over sees the score unchanged.
TEST_F(PhaseSequence, ClearingTheLastLevelLeadsToTheEndingAndGameOver) {
    const GameRun run = RunGame("--level 15 --autopilot --frames 8500", "1 key 57 down\n");
    const PhaseEntry* complete = run.Find("LevelComplete");
    ASSERT_NE(complete, nullptr) << run.output;
    EXPECT_GT(complete->score, 0);
    EXPECT_EQ(complete->level, 16);
    EXPECT_EQ(complete[-1].name, "LevelPlay");
    const char* const after[] = {"LevelSetup", "Ending", "GameOver", "MenuEntry"};
    ASSERT_GE(run.phases.size(), std::size_t(complete - run.phases.data()) + 5) << run.Trail();
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(after[i]);
        EXPECT_EQ(complete[i + 1].name, after[i]);
        EXPECT_EQ(complete[i + 1].score, complete->score);
        EXPECT_EQ(complete[i + 1].level, 16);
    }
}

TEST_F(PhaseSequence, CreditsFromTheMenuAndBack) {
    // Space skips the logo and the introduction and is let go before the menu reads it;
    // the pointer goes onto the Credits button and clicks; Escape leaves the credits.
    const GameRun run = RunGame("--frames 45",
                                "1 key 57 down\n3 key 57 up\n3 mouse 150 20\n5 button 1 down\n"
                                "6 button 1 up\n40 key 1 down\n");
    EXPECT_TRUE(StartsWith(run.Trail(),
                           "ScreenOpen@0 Logo@0 Intro@1 MenuEntry@3 Menu@3 Credits@6 MenuEntry@40"))
        << run.Trail();
}

}  // namespace
