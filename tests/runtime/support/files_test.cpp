// Text files as the score and level files use them: line endings, bytes on disk, and which
// file is current.
#include "runtime/support/files.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "temp_folder.hpp"

namespace runtime::support {
namespace {

void WriteRaw(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadRaw(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

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

}  // namespace
}  // namespace runtime::support
