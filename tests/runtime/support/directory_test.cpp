// Directory scans as the launcher lists level files and folders.
#include "runtime/support/directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "temp_folder.hpp"

namespace runtime::support {
namespace {

// Every entry of the current scan, name to kind.
std::map<std::string, int> Drain() {
    std::map<std::string, int> entries;
    for (int kind = NextDirectoryEntry(); kind != 0; kind = NextDirectoryEntry()) {
        EXPECT_TRUE(entries.emplace(DirectoryEntryName(), kind).second)
            << "delivered twice: " << DirectoryEntryName();
    }
    return entries;
}

class DirectoryScan : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directory(folder.path() / "sub");
        std::filesystem::create_directory(folder.path() / "more.lvl");  // a folder named so
        for (const char* name : {"one.lvl", "TWO.LVL", "three.txt", "readme", "a.lvlx"}) {
            std::ofstream(folder / name) << "x";
        }
        std::filesystem::create_symlink(folder.path() / "sub", folder.path() / "link");
    }
    void TearDown() override { CloseAllDirectoryScans(); }
    TempFolder folder;
};

TEST_F(DirectoryScan, ListsEveryEntryWithItsKind) {
    // An empty pattern means "*.*", which takes every name, even one without a dot.
    ASSERT_NE(StartDirectoryScan(0, folder.path().string(), ""), 0);
    const std::map<std::string, int> expected = {
        {".", 2},       {"..", 2},      {"sub", 2},       {"more.lvl", 2}, {"link", 2},
        {"one.lvl", 1}, {"TWO.LVL", 1}, {"three.txt", 1}, {"readme", 1},   {"a.lvlx", 1}};
    EXPECT_EQ(Drain(), expected);
    // The scan is finished and freed: further calls keep answering 0.
    EXPECT_EQ(NextDirectoryEntry(), 0);
}

TEST_F(DirectoryScan, PatternsMatchStarsAndQuestionMarksWithoutRegardToCase) {
    ASSERT_NE(StartDirectoryScan(1, folder.path().string() + "\\", "*.lvl"), 0);
    const std::map<std::string, int> levels = {{"more.lvl", 2}, {"one.lvl", 1}, {"TWO.LVL", 1}};
    EXPECT_EQ(Drain(), levels);

    ASSERT_NE(StartDirectoryScan(1, folder.path().string(), "t?o.*"), 0);
    EXPECT_EQ(Drain(), (std::map<std::string, int>{{"TWO.LVL", 1}}));

    EXPECT_TRUE(NameMatchesPattern("readme", "read*.*"));
    EXPECT_TRUE(NameMatchesPattern("level.01.lvl", "*.LVL"));
    EXPECT_FALSE(NameMatchesPattern("lvl", "*.lvl"));
    EXPECT_FALSE(NameMatchesPattern("one.lv", "*.lvl"));

    // Nothing matching is reported at the start, like a missing folder.
    EXPECT_EQ(StartDirectoryScan(1, folder.path().string(), "*.pak"), 0);
    EXPECT_EQ(NextDirectoryEntry(), 0);
    EXPECT_EQ(StartDirectoryScan(1, folder / "no-such-folder", "*.*"), 0);
    EXPECT_EQ(NextDirectoryEntry(), 0);
    EXPECT_EQ(StartDirectoryScan(-4, folder.path().string(), "*.*"), 0);
}

TEST_F(DirectoryScan, LatestScanIsCurrentAndRestartingASlotStartsOver) {
    ASSERT_NE(StartDirectoryScan(2, folder.path().string(), "*.txt"), 0);
    ASSERT_NE(StartDirectoryScan(300, (folder.path() / "sub").string(), "*.*"), 0);
    // The later scan is the current one: only the empty folder's "." and ".." come.
    EXPECT_EQ(Drain(), (std::map<std::string, int>{{".", 2}, {"..", 2}}));
    EXPECT_EQ(NextDirectoryEntry(), 0);  // the earlier scan does not become current again

    ASSERT_NE(StartDirectoryScan(2, folder.path().string(), "*.txt"), 0);
    EXPECT_EQ(NextDirectoryEntry(), 1);
    EXPECT_EQ(DirectoryEntryName(), "three.txt");
    ASSERT_NE(StartDirectoryScan(2, folder.path().string(), "*.txt"), 0);
    EXPECT_EQ(Drain(), (std::map<std::string, int>{{"three.txt", 1}}));
    EXPECT_EQ(DirectoryEntryName(), "three.txt");  // the last name stays readable
}

TEST(DirectoryScanOrder, EntriesComeInNameOrderWhateverTheFileSystemKeeps) {
    // Names compare as capitals first (so "_" follows the letters and "Level" ties with
    // "level"), then byte by byte; digits go by character, not by value.
    TempFolder folder;
    const std::vector<std::string> sorted = {"01.lvl", "10.lvl",      "9.lvl",     "a.lvl",
                                             "B.lvl",  "Level.lvl",   "level.lvl", "z.lvl",
                                             "_x.lvl", "\xc3\xa9.lvl"};
    for (auto it = sorted.rbegin(); it != sorted.rend(); ++it)
        std::ofstream(folder / *it) << "x";
    std::filesystem::create_directory(folder.path() / "m.lvl");

    ASSERT_NE(StartDirectoryScan(0, folder.path().string(), "*.lvl"), 0);
    std::vector<std::string> names;
    while (NextDirectoryEntry() != 0)
        names.push_back(DirectoryEntryName());
    std::vector<std::string> expected = sorted;
    expected.insert(expected.begin() + 7, "m.lvl");  // folders take their place among the files
    EXPECT_EQ(names, expected);
    CloseAllDirectoryScans();
}

}  // namespace
}  // namespace runtime::support
