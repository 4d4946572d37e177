// A game killed at any moment of saving its high-score table leaves the old table or the
// new one: the save is stopped at each of its system calls in turn (traced with ptrace),
// and a fresh game then reads the table.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/game/scores/folder_listing.hpp"
#include "tests/kill_at_system_call.hpp"
#include "tests/runtime/support/temp_folder.hpp"

namespace {

namespace fs = std::filesystem;
using tessaly_test::Arguments;
using tessaly_test::Outcome;

// Runs the probe to its end and returns what it printed; "exit N" when it failed.
std::string RunProbe(std::vector<std::string> words) {
    words.insert(words.begin(), SCORE_SAVE_PROBE);
    int out[2];
    if (pipe(out) != 0) return "no pipe";
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        execv(SCORE_SAVE_PROBE, Arguments(words).data());
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[512];
    ssize_t got;
    while ((got = read(out[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, std::size_t(got));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "exit " + std::to_string(status);
    return text;
}

// Runs the probe under ptrace and kills it on entering the nth system call after it marks
// the start of its save; Finished when it ends before that.
Outcome RunKilledAt(std::vector<std::string> words, long n) {
    words.insert(words.begin(), SCORE_SAVE_PROBE);
    return tessaly_test::RunKilledAt(words, n);
}

std::string ReadRaw(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Table {
    std::string scores, names, shown;
    bool operator==(const Table&) const = default;
};

// A game folder holding the old table.
fs::path OldGame(const TempFolder& root, const std::string& name) {
    const fs::path game = root.path() / name;
    fs::create_directories(game / "data");
    std::string scores, names;
    for (int place = 1; place <= 10; ++place) {
        scores += std::to_string(1100 - 100 * place) + "\r\n";
        names += std::string(std::size_t(place), char('a' + place)) + "\r\n";
    }
    std::ofstream(game / "data" / "number.bin", std::ios::binary) << scores;
    std::ofstream(game / "data" / "name.bin", std::ios::binary) << names;
    return game;
}

Table Read(const fs::path& game) {
    Table table;
    table.shown = RunProbe({game.string(), "show"});  // completes a save cut short
    table.scores = ReadRaw(game / "data" / "number.bin");
    table.names = ReadRaw(game / "data" / "name.bin");
    return table;
}

TEST(SaveKilled, EveryStopLeavesTheOldTableOrTheNew) {
    TempFolder root;
    const std::vector<std::string> save = {"save", "5000", "zed"};
    const Table old = Read(OldGame(root, "old"));
    const fs::path finished = OldGame(root, "finished");
    std::vector<std::string> words = save;
    words.insert(words.begin(), finished.string());
    ASSERT_EQ(RunProbe(words), "");
    const Table saved = Read(finished);
    ASSERT_NE(saved.scores, old.scores);
    ASSERT_NE(saved.names, old.names);
    ASSERT_EQ(saved.shown.substr(0, 9), "5000 zed\n");

    int olds = 0, news = 0;
    for (long n = 1;; ++n) {
        ASSERT_LT(n, 5000) << "the save never ends";
        const fs::path game = OldGame(root, "killed" + std::to_string(n));
        words = save;
        words.insert(words.begin(), game.string());
        const Outcome outcome = RunKilledAt(words, n);
        if (outcome == Outcome::NoTracing) GTEST_SKIP() << "ptrace is not allowed here";
        ASSERT_NE(outcome, Outcome::Failed) << "at system call " << n;
        const Table after = Read(game);
        if (after == old)
            ++olds;
        else if (after == saved)
            ++news;
        else
            ADD_FAILURE() << "killed at system call " << n << ", the table reads\n"
                          << after.shown << "with the names\n"
                          << after.names;
        // Whatever the save left behind is gone once the table has been read.
        EXPECT_EQ(FolderListing(game / "data"), "name.bin number.bin") << "at system call " << n;
        fs::remove_all(game);
        if (outcome == Outcome::Finished) break;
    }
    EXPECT_GT(olds, 10);
    EXPECT_GT(news, 1);
}

}  // namespace
