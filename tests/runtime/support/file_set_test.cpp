// Files replaced together: what a save cut short leaves is completed or cleared, a mark
// that no save wrote moves nothing, overlapping saves keep to their own files, and one
// program holds the folder at a time.
#include "runtime/support/file_set.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/support/files.hpp"
#include "temp_folder.hpp"

namespace runtime::support {
namespace {

namespace fs = std::filesystem;

class FileSets : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteRaw(a, "old a");
        WriteRaw(b, "old b");
        WriteRaw(outside.path() / "precious", "keep");
    }
    void TearDown() override { CloseAllFiles(); }

    // The folder's names, sorted, with a / after folders.
    std::string Listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.path()))
            names.push_back(entry.path().filename().string() +
                            (entry.is_directory() && !entry.is_symlink() ? "/" : ""));
        std::sort(names.begin(), names.end());
        std::string text;
        for (const std::string& name : names)
            text += (text.empty() ? "" : " ") + name;
        return text;
    }
    FileSet Set() const { return FileSet({a, b}, mark); }
    // Writes the new file of member `index` with the text.
    static bool Replace(FileSet& set, std::size_t index, const std::string& text) {
        return set.CreateReplacement(index, 9) != 0 &&
               WriteTextLine(text) == int(text.size()) + 2 && FinishFileNumber(9) == 1;
    }

    TempFolder folder, outside;
    const std::string a = folder / "a.txt", b = folder / "b.txt", mark = folder / "set.commit";
};

TEST_F(FileSets, ASaveCutShortIsCompletedOrCleared) {
    // The mark was written and the first file already moved: the second follows.
    WriteRaw(folder.path() / "b.txt.tmp.Bbbbb2", "new b");
    WriteRaw(mark, "a.txt.tmp.Aaaaa1\r\nb.txt.tmp.Bbbbb2\r\n");
    EXPECT_TRUE(Set().Hold());
    EXPECT_EQ(ReadRaw(a), "old a");
    EXPECT_EQ(ReadRaw(b), "new b");
    EXPECT_EQ(Listing(), "a.txt b.txt");

    // Cut short before its mark: the new files go, and only files of the new files' shape.
    WriteRaw(folder.path() / "a.txt.tmp.Zz9Zz9", "half");
    fs::create_symlink(outside.path() / "precious", folder.path() / "b.txt.tmp.QQQQQQ");
    WriteRaw(folder.path() / "set.commit.tmp.Mmmmm3", "a.txt.tmp.Zz9Zz9\r\n");
    WriteRaw(folder.path() / "a.txt.tmp", "mine");
    WriteRaw(folder.path() / "a.txt.tmp.mine", "mine");
    fs::create_directory(folder.path() / "b.txt.tmp.FOLDER");
    EXPECT_TRUE(Set().Hold());
    EXPECT_EQ(Listing(), "a.txt a.txt.tmp a.txt.tmp.mine b.txt b.txt.tmp.FOLDER/");
    EXPECT_EQ(ReadRaw(outside.path() / "precious"), "keep");
}

TEST_F(FileSets, MarksNoSaveWroteMoveNothing) {
    const std::string precious = outside / "precious";
    const std::string hostile[] = {
        "../precious\r\n../precious\r\n",
        precious + "\r\n" + precious + "\r\n",
        "b.txt.tmp.Bbbbb2\r\na.txt.tmp.Aaaaa1\r\n",  // members swapped
        "a.txt.tmp.Aaaaa1\r\nb.txt.tmp.Bbbbb2\r\nc\r\n",
        "a.txt.tmp.Aaaaa1\r\nb.txt.tmp.Bbbbb2",
        "a.txt.tmp.Aaaaa1\nb.txt.tmp.Bbbbb2\n",
        "a.txt.tmp.Aaaaa1\r\n",
        std::string("a.txt.tmp.Aaaaa1\r\n") + '\0' + "b.txt.tmp.Bbbbb2\r\n",
        std::string(10000, 'a'),
    };
    for (const std::string& text : hostile) {
        WriteRaw(folder.path() / "a.txt.tmp.Aaaaa1", "planted a");
        WriteRaw(folder.path() / "b.txt.tmp.Bbbbb2", "planted b");
        WriteRaw(mark, text);
        EXPECT_TRUE(Set().Hold());
        EXPECT_EQ(ReadRaw(a), "old a") << text;
        EXPECT_EQ(ReadRaw(b), "old b") << text;
        EXPECT_EQ(Listing(), "a.txt b.txt set.commit") << text;  // left alone
    }
    // A link in a new file's place is never moved in; a link as the mark is not read.
    WriteRaw(folder.path() / "a.txt.tmp.Aaaaa1", "planted a");
    fs::create_symlink(precious, folder.path() / "b.txt.tmp.Linked");
    WriteRaw(mark, "a.txt.tmp.Aaaaa1\r\nb.txt.tmp.Linked\r\n");
    EXPECT_TRUE(Set().Hold());
    EXPECT_EQ(ReadRaw(a), "planted a");
    EXPECT_EQ(ReadRaw(b), "old b");
    fs::remove(mark);
    WriteRaw(folder.path() / "b.txt.tmp.Bbbbb2", "planted b");
    WriteRaw(outside.path() / "mark", "a.txt.tmp.Aaaaa1\r\nb.txt.tmp.Bbbbb2\r\n");
    fs::create_symlink(outside.path() / "mark", mark);
    EXPECT_TRUE(Set().Hold());
    EXPECT_EQ(ReadRaw(b), "old b");
    EXPECT_EQ(ReadRaw(precious), "keep");
    EXPECT_EQ(Listing(), "a.txt b.txt set.commit");
}

TEST_F(FileSets, OverlappingSavesKeepToTheirOwnFiles) {
    fs::permissions(a, fs::perms(0640));
    FileSet first = Set(), second = Set();
    ASSERT_TRUE(Replace(first, 0, "first a") && Replace(second, 0, "second a") &&
                Replace(second, 1, "second b") && Replace(first, 1, "first b"));
    EXPECT_EQ(second.ReplaceAll(), 1);
    EXPECT_EQ(ReadRaw(a) + ReadRaw(b), "second a\r\nsecond b\r\n");
    EXPECT_EQ(first.ReplaceAll(), 1);
    EXPECT_EQ(ReadRaw(a) + ReadRaw(b), "first a\r\nfirst b\r\n");
    EXPECT_EQ(fs::status(a).permissions(), fs::perms(0640));
    EXPECT_EQ(Listing(), "a.txt b.txt");

    // A save that fails, here with a folder where its mark goes, changes nothing and leaves
    // nothing behind; neither does one given up before it is put in place.
    fs::create_directory(mark);
    {
        FileSet failing = Set();
        ASSERT_TRUE(Replace(failing, 0, "lost a") && Replace(failing, 1, "lost b"));
        EXPECT_EQ(failing.ReplaceAll(), 0);
        FileSet dropped = Set();
        ASSERT_TRUE(Replace(dropped, 0, "lost a"));
    }
    EXPECT_EQ(ReadRaw(a) + ReadRaw(b), "first a\r\nfirst b\r\n");
    EXPECT_EQ(Listing(), "a.txt b.txt set.commit/");
}

TEST_F(FileSets, OneProgramHoldsTheFolderAtATime) {
    int held[2], release[2];
    ASSERT_EQ(pipe(held), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t other = fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        FileSet set = Set();
        const char ok = set.Hold(0) ? 'h' : 'x';
        char go;
        _exit(write(held[1], &ok, 1) == 1 && read(release[0], &go, 1) == 1 ? 0 : 1);
    }
    char answer = 0;
    ASSERT_EQ(read(held[0], &answer, 1), 1);
    EXPECT_EQ(answer, 'h');
    FileSet set = Set();
    EXPECT_FALSE(set.Hold(0));
    EXPECT_EQ(write(release[1], "g", 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(set.Hold(0));
    for (const int fd : {held[0], held[1], release[0], release[1]})
        close(fd);
}

}  // namespace
}  // namespace runtime::support
