// Text files as the score and level files use them: line endings, bytes on disk, and the
// current file.
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
    WriteRaw(path, std::string("a\r\nb\rc\nd"));
    ASSERT_NE(OpenFileReadWrite(1, path), 0);
    EXPECT_EQ(ReadTextLine(), "a");
    EXPECT_EQ(ReadTextLine(), "b");
    EXPECT_EQ(ReadTextLine(), "c");
    EXPECT_EQ(ReadTextLine(), "d");
    EXPECT_EQ(ReadTextLine(), "");
    EXPECT_EQ(ReadTextLine(), "");

    // A NUL byte ends a line too; an empty line between two endings stays a line.
    WriteRaw(path, std::string("x\0y\n\nz\r\r\nw", 10));
    ASSERT_NE(OpenFileReadWrite(1, path), 0);
    EXPECT_EQ(ReadTextLine(), "x");
    EXPECT_EQ(ReadTextLine(), "y");
    EXPECT_EQ(ReadTextLine(), "");
    EXPECT_EQ(ReadTextLine(), "z");
    EXPECT_EQ(ReadTextLine(), "");
    EXPECT_EQ(ReadTextLine(), "w");
}

TEST_F(Files, CarriageReturnAtTheEndLeavesThePositionAfterIt) {
    // Nothing follows the final CR, so nothing is put back: a line written next goes after
    // it instead of overwriting it.
    const std::string path = folder / "cr.txt";
    WriteRaw(path, "12\r");
    ASSERT_NE(OpenFileReadWrite(3, path), 0);
    EXPECT_EQ(ReadTextLine(), "12");
    EXPECT_EQ(ReadTextLine(), "");
    EXPECT_EQ(WriteTextLine("34"), 4);
    CloseFileNumber(3);
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

    // The file opened for reading and writing keeps what it has; reading then writing
    // continues right after the lines read, even though the reader reads ahead.
    ASSERT_NE(OpenFileReadWrite(2, path), 0);
    EXPECT_EQ(ReadTextLine(), "1500");
    EXPECT_EQ(WriteTextLine("XY"), 4);
    EXPECT_EQ(ReadTextLine(), "NA");
    CloseFileNumber(2);
    EXPECT_EQ(ReadRaw(path), "1500\r\nXY\r\nNA\r\n");
}

TEST_F(Files, GameNamesWithBackslashesAndMissingFiles) {
    std::filesystem::create_directory(folder.path() / "data");
    const std::string gameName = folder.path().string() + "\\data\\name.bin";
    ASSERT_NE(OpenFileReadWrite(0, gameName), 0);  // created when missing
    EXPECT_EQ(WriteTextLine("EVA"), 5);
    CloseFileNumber(0);
    EXPECT_EQ(ReadRaw(folder / "data/name.bin"), "EVA\r\n");

    // A file in a missing folder fails; a failed open leaves no current file.
    ASSERT_NE(OpenFileReadWrite(4, folder / "kept.txt"), 0);
    EXPECT_EQ(CreateFileForWriting(5, folder / "missing/x.bin"), 0);
    EXPECT_EQ(WriteTextLine("lost"), 0);
    EXPECT_EQ(ReadTextLine(), "");
    EXPECT_EQ(CreateFileForWriting(5, folder.path().string()), 0);  // a folder is no file
    EXPECT_EQ(OpenFileReadWrite(-1, folder / "neg.txt"), 0);
    CloseFileNumber(4);
    EXPECT_EQ(ReadRaw(folder / "kept.txt"), "");
}

TEST_F(Files, CurrentFileFollowsOpeningAndClosing) {
    const std::string first = folder / "first.txt";
    const std::string second = folder / "second.txt";
    ASSERT_NE(CreateFileForWriting(1, first), 0);
    // A high number grows the table.
    ASSERT_NE(CreateFileForWriting(250, second), 0);
    EXPECT_EQ(WriteTextLine("to second"), 11);
    CloseFileNumber(250);
    // The closed file was current: there is none now, and the other file is not touched.
    EXPECT_EQ(WriteTextLine("nowhere"), 0);
    EXPECT_EQ(ReadTextLine(), "");
    // Opening a number that is in use closes the old file first.
    ASSERT_NE(CreateFileForWriting(1, second), 0);
    EXPECT_EQ(WriteTextLine("again"), 7);
    CloseAllFiles();
    EXPECT_EQ(ReadRaw(first), "");
    EXPECT_EQ(ReadRaw(second), "again\r\n");
    // A file opened only for writing reads as empty lines.
    ASSERT_NE(CreateFileForWriting(1, first), 0);
    EXPECT_EQ(ReadTextLine(), "");
    CloseFileNumber(1);
    CloseFileNumber(1);  // closing twice is harmless
    CloseFileNumber(100000);
}

}  // namespace
}  // namespace runtime::support
