// Game files are read only when they are regular files: pipes, devices and folders in
// their place are refused at once, before anything is read.
#include "runtime/support/regular_file.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "temp_folder.hpp"
#include "unwritten_pipe.hpp"

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
    UnwrittenPipe pipe(folder / "win.pak");
    ASSERT_TRUE(pipe.made());
    Bytes bytes{'x'};
    EXPECT_TRUE(pipe.ReturnsWithoutAWriter([&] {
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

}  // namespace
}  // namespace runtime::support
