// Text files as the score and level files use them: line endings, bytes on disk, and which
// file is current.
#include "runtime/support/files.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>

#include "player_permissions.hpp"
#include "temp_folder.hpp"

namespace runtime::support {
namespace {

class Files : public ::testing::Test {
  protected:
    void TearDown() override { CloseAllFiles(); }
    TempFolder folder;
};

TEST_F(Files, ReadsEveryKindOfLineEnding) {
    const std::string path = folder / "lines.txt";
    // CR LF, CR, LF, a NUL byte, CR CR LF, and a last line with no ending at all.
    WriteRaw(path, std::string("a\r\nb\rc\nd\0e\r\r\nf", 14));
    ASSERT_NE(OpenFileReadWrite(1, path), 0);
    for (const char* line : {"a", "b", "c", "d", "e", "", "f", "", ""}) {
        EXPECT_EQ(ReadTextLine(), line);
    }

    // Nothing follows a final CR, so nothing is put back: the next line is written after
    // it instead of over it.
    WriteRaw(path, "12\r");
    ASSERT_NE(OpenFileReadWrite(1, path), 0);
    EXPECT_EQ(ReadTextLine(), "12");
    EXPECT_EQ(ReadTextLine(), "");
    EXPECT_EQ(WriteTextLine("34"), 4);
    CloseFileNumber(1);
    EXPECT_EQ(ReadRaw(path), "12\r34\r\n");
}

TEST_F(Files, WritesLinesWithCrLf) {
    const std::string path = folder / "scores.bin";
    WriteRaw(path, "old contents that must go away\r\n");
    ASSERT_NE(CreateFileForWriting(2, path), 0);
    EXPECT_EQ(WriteTextLine("1500"), 6);
    EXPECT_EQ(WriteTextLine(""), 2);
    EXPECT_EQ(WriteTextLine("ANNA"), 6);
    CloseFileNumber(2);
    EXPECT_EQ(ReadRaw(path), "1500\r\n\r\nANNA\r\n");

    // Opened for reading and writing, the file keeps what it has, and a line written after
    // reading lands right after the lines read, though the reader reads ahead.
    ASSERT_NE(OpenFileReadWrite(2, path), 0);
    EXPECT_EQ(ReadTextLine(), "1500");
    EXPECT_EQ(WriteTextLine("XY"), 4);
    EXPECT_EQ(ReadTextLine(), "NA");
    CloseFileNumber(2);
    EXPECT_EQ(ReadRaw(path), "1500\r\nXY\r\nNA\r\n");

    // Game names use backslashes.
    std::filesystem::create_directory(folder.path() / "data");
    ASSERT_NE(OpenFileReadWrite(0, folder.path().string() + "\\data\\name.bin"), 0);
    EXPECT_EQ(WriteTextLine("EVA"), 5);
    CloseFileNumber(0);
    EXPECT_EQ(ReadRaw(folder / "data/name.bin"), "EVA\r\n");
}

TEST_F(Files, LinesNeverGoToAFileThatIsNotCurrent) {
    const std::string first = folder / "first.txt";
    const std::string second = folder / "second.txt";
    ASSERT_NE(CreateFileForWriting(1, first), 0);
    // A failed open leaves no current file, so its lines cannot land in the earlier file.
    EXPECT_EQ(CreateFileForWriting(5, folder / "missing/x.bin"), 0);
    EXPECT_EQ(WriteTextLine("lost"), 0);
    EXPECT_EQ(CreateFileForWriting(5, folder.path().string()), 0);  // a folder is no file
    EXPECT_EQ(OpenFileReadWrite(-1, folder / "negative.txt"), 0);

    ASSERT_NE(CreateFileForWriting(250, second), 0);  // a high number grows the table
    EXPECT_EQ(WriteTextLine("to second"), 11);
    CloseFileNumber(250);
    EXPECT_EQ(WriteTextLine("nowhere"), 0);  // the closed file was current: none now
    EXPECT_EQ(ReadTextLine(), "");

    // Opening a number in use closes the old file first.
    ASSERT_NE(CreateFileForWriting(1, second), 0);
    EXPECT_EQ(WriteTextLine("again"), 7);
    EXPECT_EQ(ReadTextLine(), "");  // a file made for writing reads as empty lines
    CloseAllFiles();
    CloseFileNumber(1);  // closing twice is harmless
    EXPECT_EQ(ReadRaw(first), "");
    EXPECT_EQ(ReadRaw(second), "again\r\n");
}

TEST_F(Files, LongLinesAreCutAndFilesReplacedWhole) {
    const std::string path = folder / "long.txt", fresh = folder / "fresh.txt";
    WriteRaw(path, std::string(100000, 'x') + "\r\nnext\r\n");
    ASSERT_NE(OpenFileForReading(3, path), 0);
    EXPECT_EQ(ReadTextLine(5), "xxxxx");  // the rest of the line is read past
    EXPECT_EQ(ReadTextLine(5), "next");

    ASSERT_NE(CreateFileForWriting(3, fresh), 0);
    EXPECT_EQ(WriteTextLine("new"), 5);
    EXPECT_EQ(FinishFileNumber(3), 1);
    EXPECT_EQ(WriteTextLine("lost"), 0);  // finished means closed
    // A refused rename leaves both files as they were.
    std::filesystem::create_directory(folder.path() / "in the way");
    EXPECT_EQ(ReplaceFile(fresh, folder / "in the way"), 0);
    EXPECT_NE(ReplaceFile(fresh, path), 0);
    EXPECT_EQ(ReadRaw(path), "new\r\n");
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

mode_t Mode(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST_F(Files, NewFilesBesideAndWhatMayBeReplaced) {
    namespace fs = std::filesystem;
    const std::string score = folder / "number.bin";
    WriteRaw(score, "7\r\n");
    ASSERT_EQ(chmod(score.c_str(), 0666), 0);  // more than the umask lets a new file have
    std::string first, second;
    ASSERT_NE(CreateFileBeside(4, score, first), 0);
    EXPECT_EQ(WriteTextLine("8"), 3);
    ASSERT_NE(CreateFileBeside(5, score, second), 0);  // two saves at once never share a file
    EXPECT_NE(first, second);
    EXPECT_EQ(FinishFileNumber(4), 1);
    EXPECT_EQ(ReadRaw(first), "8\r\n");
    EXPECT_EQ(ReadRaw(score), "7\r\n");
    for (const std::string& made : {first, second}) {
        EXPECT_EQ(fs::path(made).parent_path(), folder.path());
        EXPECT_TRUE(IsNameBeside(score, fs::path(made).filename().string())) << made;
        EXPECT_EQ(Mode(made), 0666u);
    }
    EXPECT_TRUE(IsNameBeside("data\\number.bin", "number.bin.tmp.aB3dE9"));
    for (const char* other : {"number.bin.tmp", "number.bin.tmp.aB3dE", "number.bin.tmp.aB3dE9x",
                              "number.bin.tmp.aB/dE9", "number.bin.tmp.aB.dE9",
                              "name.bin.tmp.aB3dE9", "xnumber.bin.tmp.aB3dE9"})
        EXPECT_FALSE(IsNameBeside(score, other)) << other;
    EXPECT_EQ(CreateFileBeside(6, folder / "missing/number.bin", first), 0);

    // Missing files, links to plain files and links to nothing may be replaced; read-only
    // and unreadable files, pipes and folders may not.
    const std::string plain = folder / "plain", kept = folder / "kept", hidden = folder / "hidden",
                      none = folder / "none";
    for (const std::string& path : {plain, kept, hidden})
        WriteRaw(path, "1\r\n");
    ASSERT_EQ(chmod(kept.c_str(), 0444) | chmod(hidden.c_str(), 0200), 0);
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0644), 0);
    fs::create_directory(folder / "folder");
    fs::create_symlink(plain, folder / "link");
    fs::create_symlink(none, folder / "dangling");
    PlayerPermissions player;
    for (const std::string& path : {plain, none, folder / "link", folder / "dangling"})
        EXPECT_TRUE(FileCanBeReplaced(path)) << path;
    for (const std::string& path : {kept, hidden, folder / "pipe", folder / "folder"})
        EXPECT_FALSE(FileCanBeReplaced(path)) << path;
    EXPECT_TRUE(FileIsMissing(none) && FileIsMissing(folder / "dangling"));
    EXPECT_FALSE(FileIsMissing(hidden) || FileIsMissing(folder / "folder"));
}

}  // namespace
}  // namespace runtime::support
