// The replay file's header and end read back as written, whatever the level file held;
// the folder keeps the most recent games and every high-score game; and a save killed at
// any of its system calls leaves every replay in the folder whole.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "game/replays/replay_file.hpp"
#include "game/replays/replay_folder.hpp"
#include "tests/game/scores/folder_listing.hpp"
#include "tests/kill_at_system_call.hpp"
#include "tests/runtime/support/player_permissions.hpp"
#include "tests/runtime/support/temp_folder.hpp"

namespace {

namespace fs = std::filesystem;
using game::replays::ReplayHeader;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

ReplayHeader LevelFileHeader() {
    ReplayHeader h;
    h.gameVersion = "0.1";
    h.date = "2026-12-08T17:06:38Z";
    h.mode = game::state::PlayMode::SingleLevel;
    h.fromMenu = false;
    h.startLevel = 1;
    h.pacing = game::state::PacingMode::TimerPacing;
    h.random.i = 16;
    h.random.j = 0;
    for (std::uint32_t k = 0; k < 17; ++k) {
        h.random.low[k] = 0xFFFFFFFFu - k;
        h.random.high[k] = k * 0x01010101u;
    }
    for (std::size_t k = 0; k < h.carried.size(); ++k)
        h.carried[k] = std::int32_t(k) * 1000 - 7000;
    h.smoothGlows = true;
    // Lines a level file may hold: blanks, a percent sign, bytes of any value, none at all.
    h.levelLines.assign(game::levels::kLevelFileLines, "000");
    h.levelLines[0] = " 20 ";
    h.levelLines[1] = "100%";
    h.levelLines[2] = std::string("\x01\x7f\xff\t", 4);
    h.levelLines[3] = "";
    h.levelLines[163] = std::string(game::levels::kLevelLineKeep, '9');
    return h;
}

TEST(ReplayFile, ReadsBackWhatWasWritten) {
    const ReplayHeader h = LevelFileHeader();
    const std::string input = "0 key 57 down\n12+1 mouse -3 4\n";
    const game::replays::ReplayEnd end{12, 4500, 1, game::replays::GameEnd::Quit};
    const std::string text = game::replays::ReplayText(h, input, end);
    game::replays::Replay r;
    game::replays::ReplayError error;
    ASSERT_TRUE(game::replays::ReadReplay(text, r, error)) << error.line << ": " << error.what;
    EXPECT_EQ(r.header.gameVersion, h.gameVersion);
    EXPECT_EQ(r.header.date, h.date);
    EXPECT_EQ(r.header.mode, h.mode);
    EXPECT_EQ(r.header.fromMenu, false);
    EXPECT_EQ(r.header.pacing, h.pacing);
    EXPECT_EQ(r.header.random.i, 16);
    EXPECT_EQ(r.header.random.j, 0);
    EXPECT_EQ(r.header.random.low[16], 0xFFFFFFFFu - 16);
    EXPECT_EQ(r.header.random.high[16], 16 * 0x01010101u);
    EXPECT_EQ(r.header.carried, h.carried);
    EXPECT_TRUE(r.header.smoothGlows);
    EXPECT_EQ(r.header.levelLines, h.levelLines);
    EXPECT_EQ(r.input, input);
    EXPECT_EQ(r.inputFirstLine, 12u + game::levels::kLevelFileLines);
    EXPECT_EQ(r.end.frames, 12u);
    EXPECT_EQ(r.end.score, 4500);
    EXPECT_EQ(r.end.by, game::replays::GameEnd::Quit);
    // Every line holds words only: the level's odd bytes are written as %XX.
    for (const char c : text)
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << int(c);

    // A file whose lines end in CR LF (copied through another system) reads the same.
    std::string crlf;
    for (const char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ASSERT_TRUE(game::replays::ReadReplay(crlf, r, error)) << error.line << ": " << error.what;
    EXPECT_EQ(r.header.levelLines, h.levelLines);
    EXPECT_EQ(r.end.score, 4500);
}

TEST(ReplayFolder, KeepsTheRecentGamesAndEveryHighScore) {
    TempFolder root;
    const std::string folder = root / "replays";  // made by the first save
    std::string error;
    for (int k = 0; k < game::replays::kRecentGamesKept + 3; ++k) {
        char date[32];
        std::snprintf(date, sizeof date, "2026-12-08T10:%02d:00Z", k);
        const bool high = k == 0 || k == 20;
        const std::string name = game::replays::ReplayFileName(
            date, high ? std::optional<std::string_view>("ann/../x") : std::nullopt, 12500 + k);
        ASSERT_TRUE(game::replays::SaveReplay(folder, name, "game " + std::to_string(k), error))
            << error;
    }
    const std::string listing = FolderListing(folder);
    // The oldest ordinary game went; the two high-score games stay, named safely.
    EXPECT_EQ(listing.find("2026-12-08_100100.replay"), std::string::npos);
    EXPECT_NE(listing.find("2026-12-08_100200.replay"), std::string::npos);
    EXPECT_NE(listing.find("2026-12-08_100000_high_12500_ann----x.replay"), std::string::npos);
    EXPECT_NE(listing.find("2026-12-08_102000_high_12520_ann----x.replay"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
              game::replays::kRecentGamesKept + 2);
    EXPECT_EQ(ReadAll(fs::path(folder) / "2026-12-08_105200.replay"), "game 52");

    // A second game of the same second keeps the first.
    ASSERT_TRUE(game::replays::SaveReplay(folder, "2026-12-08_105200", "again", error));
    EXPECT_EQ(ReadAll(fs::path(folder) / "2026-12-08_105200.replay"), "game 52");
    EXPECT_EQ(ReadAll(fs::path(folder) / "2026-12-08_105200_2.replay"), "again");

    // A folder the player cannot write in: refused with a message, nothing left behind.
    chmod(folder.c_str(), 0555);
    {
        PlayerPermissions player;
        EXPECT_FALSE(game::replays::SaveReplay(folder, "2026-12-08_110000", "no", error));
    }
    chmod(folder.c_str(), 0755);
    EXPECT_NE(error.find(folder), std::string::npos) << error;
    EXPECT_EQ(listing.find(".tmp"), std::string::npos);
}

TEST(ReplayFolder, AKilledSaveLeavesEveryReplayWhole) {
    TempFolder root;
    // A folder already full: the save also lets the oldest ordinary game go.
    std::map<std::string, std::string> whole;
    const auto fill = [&](const fs::path& folder) {
        fs::create_directories(folder);
        for (int k = 0; k < game::replays::kRecentGamesKept; ++k) {
            const std::string name =
                "2026-12-08_09" + std::to_string(1000 + k).substr(2) + "00.replay";
            whole[name] = "old game " + std::to_string(k) + "\n";
            std::ofstream(folder / name, std::ios::binary) << whole[name];
        }
    };
    const std::string text(100000, 'x');  // a 20-minute game; one argument holds 128 KiB
    whole["2026-12-08_120000.replay"] = text;
    int before = 0, after = 0;  // kills that left the new game out, and that found it kept
    for (long n = 1;; ++n) {
        ASSERT_LT(n, 5000) << "the save never ends";
        const fs::path folder = root.path() / ("killed" + std::to_string(n));
        fill(folder);
        const tessaly_test::Outcome outcome = tessaly_test::RunKilledAt(
            {REPLAY_SAVE_PROBE, folder.string(), "2026-12-08_120000", text}, n);
        if (outcome == tessaly_test::Outcome::NoTracing)
            GTEST_SKIP() << "ptrace is not allowed here";
        ASSERT_NE(outcome, tessaly_test::Outcome::Failed) << "at system call " << n;
        int replays = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (!name.ends_with(".replay")) continue;  // a temporary file left by the kill
            ++replays;
            ASSERT_TRUE(whole.count(name)) << name << " at system call " << n;
            EXPECT_TRUE(ReadAll(entry.path()) == whole[name]) << name << " at system call " << n;
        }
        (fs::exists(folder / "2026-12-08_120000.replay") ? after : before) += 1;
        EXPECT_GE(replays, game::replays::kRecentGamesKept) << "at system call " << n;
        EXPECT_LE(replays, game::replays::kRecentGamesKept + 1) << "at system call " << n;
        fs::remove_all(folder);
        if (outcome == tessaly_test::Outcome::Finished) break;
    }
    EXPECT_GT(before, 5);
    EXPECT_GT(after, 1);
}

}  // namespace
