// What a name on disk leads to, as the tools name it when they want a plain file.
#include "runtime/support/path.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "temp_folder.hpp"

namespace runtime::support {
namespace {

namespace fs = std::filesystem;

TEST(PathKinds, EveryKindOfNameIsToldApart) {
    TempFolder folder;
    std::ofstream(folder / "plain.lvl") << "1\r\n";
    fs::create_directory(folder / "sub");
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
    fs::create_symlink("loop-b", folder / "loop-a");
    fs::create_symlink("loop-a", folder / "loop-b");
    fs::create_symlink("gone", folder / "dangling");
    fs::create_symlink("plain.lvl", folder / "to-plain");
    fs::create_symlink("sub", folder / "to-sub");

    EXPECT_EQ(KindOfPath(folder / "plain.lvl"), PathKind::PlainFile);
    EXPECT_EQ(KindOfPath(folder / "to-plain"), PathKind::PlainFile);
    EXPECT_EQ(KindOfPath(folder / "sub"), PathKind::Folder);
    EXPECT_EQ(KindOfPath(folder / "to-sub"), PathKind::Folder);
    EXPECT_EQ(KindOfPath(folder / "pipe"), PathKind::Pipe);
    EXPECT_EQ(KindOfPath("/dev/null"), PathKind::Device);
    EXPECT_EQ(KindOfPath(folder / "loop-a"), PathKind::LinkLoop);
    EXPECT_EQ(KindOfPath(folder / "dangling"), PathKind::BrokenLink);
    EXPECT_EQ(KindOfPath(folder / "nothing"), PathKind::Missing);
    // A plain file used as a folder on the way: the name does not exist either.
    EXPECT_EQ(KindOfPath(folder / "plain.lvl/x"), PathKind::Missing);
    EXPECT_EQ(KindOfPath(""), PathKind::Missing);
    EXPECT_EQ(KindOfPath(std::string(5000, 'a')), PathKind::Unreachable);

    EXPECT_STREQ(PathKindWords(PathKind::PlainFile), "");
    EXPECT_STREQ(PathKindWords(PathKind::Folder), "is a folder");
    EXPECT_STREQ(PathKindWords(PathKind::Pipe), "is a pipe");
}

}  // namespace
}  // namespace runtime::support
