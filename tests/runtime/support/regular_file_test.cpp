// Game files are read and written only when they are regular files: pipes, devices and
// folders in their place are refused at once, before any data moves.
#include "runtime/support/regular_file.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "idle_pipe.hpp"
#include "temp_folder.hpp"

namespace runtime::support {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(RegularFile, IsReadWholeOrUpToTheLimitThroughALink) {
    TempFolder folder;
    std::ofstream(folder / "tune.mp3", std::ios::binary) << "abcdef";
    std::filesystem::create_symlink(folder / "tune.mp3", folder / "link.mp3");
    Bytes bytes{'x'};
    ASSERT_TRUE(ReadRegularFile(folder / "link.mp3", 1000, bytes));
    EXPECT_EQ(bytes, (Bytes{'a', 'b', 'c', 'd', 'e', 'f'}));
    ASSERT_TRUE(ReadRegularFile(folder / "tune.mp3", SIZE_MAX, bytes));  // no limit at all
    EXPECT_EQ(bytes.size(), 6u);
    ASSERT_TRUE(ReadRegularFile(folder / "tune.mp3", 4, bytes));
    EXPECT_EQ(bytes, (Bytes{'a', 'b', 'c', 'd'}));

    // The descriptor reads as usual.
    const int fd = OpenRegularFile(folder / "tune.mp3");
    ASSERT_GE(fd, 0);
    char first[3] = {};
    EXPECT_EQ(::read(fd, first, 2), 2);
    EXPECT_STREQ(first, "ab");
    ::close(fd);
}

TEST(RegularFile, PipesDevicesAndFoldersAreRefusedAtOnce) {
    TempFolder folder;
    IdlePipe pipe(folder / "win.pak");
    ASSERT_TRUE(pipe.made());
    Bytes bytes{'x'};
    EXPECT_TRUE(pipe.ReturnsAtOnce([&] {
        EXPECT_EQ(OpenRegularFile(folder / "win.pak"), -1);
        EXPECT_EQ(errno, ENODEV);
        EXPECT_FALSE(ReadRegularFile(folder / "win.pak", 1000, bytes));
    }));
    EXPECT_TRUE(bytes.empty());

    // A device that would read without end, through a link that looks like a game file.
    std::filesystem::create_symlink("/dev/zero", folder / "theme.mp3");
    EXPECT_EQ(OpenRegularFile(folder / "theme.mp3"), -1);
    EXPECT_EQ(errno, ENODEV);
    EXPECT_FALSE(ReadRegularFile(folder / "theme.mp3", 1000, bytes));

    std::filesystem::create_directory(folder / "data");
    EXPECT_EQ(OpenRegularFile(folder / "data"), -1);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(OpenRegularFile(folder / "missing"), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST(RegularFile, IsCreatedOrEmptiedForWritingButNothingElseIs) {
    TempFolder folder;
    std::ofstream(folder / "screen.bmp", std::ios::binary) << "an older picture";
    for (const char* name : {"screen.bmp", "new.bmp"}) {
        const int fd = CreateRegularFile(folder / name);
        ASSERT_GE(fd, 0) << name;
        EXPECT_EQ(::write(fd, "BM", 2), 2);
        ::close(fd);
        Bytes bytes;
        ASSERT_TRUE(ReadRegularFile(folder / name, 100, bytes));
        EXPECT_EQ(bytes, (Bytes{'B', 'M'})) << name;
    }

    // Nobody reads from the pipe: a plain open for writing would wait for ever.
    IdlePipe pipe(folder / "pipe.bmp");
    ASSERT_TRUE(pipe.made());
    EXPECT_TRUE(pipe.ReturnsAtOnce([&] {
        EXPECT_EQ(CreateRegularFile(folder / "pipe.bmp"), -1);
        EXPECT_EQ(errno, ENODEV);
    }));
    std::filesystem::create_symlink("/dev/null", folder / "null.bmp");
    EXPECT_EQ(CreateRegularFile(folder / "null.bmp"), -1);
    std::filesystem::create_directory(folder / "folder.bmp");
    EXPECT_EQ(CreateRegularFile(folder / "folder.bmp"), -1);
    EXPECT_EQ(errno, EISDIR);
}

}  // namespace
}  // namespace runtime::support
