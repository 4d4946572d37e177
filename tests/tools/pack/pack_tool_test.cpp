#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "game/presentation/packs/pack.hpp"
#include "tests/game/presentation/packs/stream_builder.hpp"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct Outcome {
    int status;
    std::string out, err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spit(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class PackTool : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tessaly-tool-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    Outcome Tool(const std::string& args) {
        std::string command = std::string("'") + TESSALY_PACK_TOOL + "' " + args + " >'" +
                              (dir_ / "stdout").string() + "' 2>'" + (dir_ / "stderr").string() +
                              "'";
        int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir_ / "stdout"),
                Slurp(dir_ / "stderr")};
    }
    std::string P(const std::string& name) { return "'" + (dir_ / name).string() + "'"; }

    fs::path dir_;
};

const std::string kBmp = "BM" + std::string(2000, '\x10') + std::string(300, '\x80');
const std::string kJpeg = "\xFF\xD8\xFF\xE0" + std::string(100, 'j');
const std::string kWave = std::string("RIFF\x10\0\0\0WAVEfmt ", 16) + std::string(50, '\x01');
const std::string kData = "JC not really packed";

TEST_F(PackTool, CreateListExtractRoundTrip) {
    Spit(dir_ / "a.bmp", kBmp);
    Spit(dir_ / "b.jpg", kJpeg);
    Spit(dir_ / "c.wav", kWave);
    Spit(dir_ / "d.txt", kData);
    Outcome made = Tool("create " + P("x.pak") + " " + P("a.bmp") + " " + P("b.jpg") + " " +
                        P("c.wav") + " " + P("d.txt"));
    ASSERT_EQ(made.status, 0) << made.err;

    Outcome listed = Tool("list " + P("x.pak"));
    EXPECT_EQ(listed.status, 0) << listed.err;
    // The repetitive contents compress (stored < unpacked); the short text stays raw.
    std::smatch sizes;
    ASSERT_TRUE(std::regex_match(listed.out, sizes,
                                 std::regex("0 2302 ([0-9]+) bmp\n1 104 ([0-9]+) jpeg\n"
                                            "2 66 ([0-9]+) wave\n3 20 20 data\n")))
        << listed.out;
    EXPECT_LT(std::stoul(sizes[1]), 2302u);
    EXPECT_LT(std::stoul(sizes[2]), 104u);

    Outcome extracted = Tool("extract " + P("x.pak") + " " + P("out/sub"));
    EXPECT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_EQ(Slurp(dir_ / "out/sub/000.bmp"), kBmp);
    EXPECT_EQ(Slurp(dir_ / "out/sub/001.jpg"), kJpeg);
    EXPECT_EQ(Slurp(dir_ / "out/sub/002.wav"), kWave);
    EXPECT_EQ(Slurp(dir_ / "out/sub/003.bin"), kData);

    ASSERT_EQ(Tool("create --raw " + P("r.pak") + " " + P("a.bmp")).status, 0);
    EXPECT_EQ(Tool("list " + P("r.pak")).out, "0 2302 2302 bmp\n");
}

TEST_F(PackTool, DamageIsReportedWithFileEntryAndReason) {
    Spit(dir_ / "a.bmp", kBmp);
    Spit(dir_ / "d.txt", kData);
    ASSERT_EQ(Tool("create " + P("x.pak") + " " + P("d.txt") + " " + P("a.bmp") + " " + P("d.txt"))
                  .status,
              0);
    std::string pack = Slurp(dir_ / "x.pak");

    // A flipped checksum byte in entry 1: entries 0 and 2 still come out.
    std::string bad = pack;
    bad[8 + kData.size() + 8 + 6] ^= 1;
    Spit(dir_ / "bad.pak", bad);
    Outcome listed = Tool("list " + P("bad.pak"));
    EXPECT_EQ(listed.status, 1);
    EXPECT_EQ(listed.out, "0 20 20 data\n2 20 20 data\n");
    EXPECT_NE(listed.err.find("bad.pak"), std::string::npos) << listed.err;
    EXPECT_NE(listed.err.find("entry 1"), std::string::npos) << listed.err;
    EXPECT_NE(listed.err.find("checksum"), std::string::npos) << listed.err;
    Outcome extracted = Tool("extract " + P("bad.pak") + " " + P("out"));
    EXPECT_EQ(extracted.status, 1);
    EXPECT_TRUE(fs::exists(dir_ / "out/000.bin"));
    EXPECT_FALSE(fs::exists(dir_ / "out/001.bmp"));
    EXPECT_TRUE(fs::exists(dir_ / "out/002.bin"));

    // Cut inside the second header, then inside the last entry's data.
    Spit(dir_ / "cut.pak", pack.substr(0, 8 + kData.size() + 5));
    Outcome cut = Tool("list " + P("cut.pak"));
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(cut.out, "0 20 20 data\n");
    EXPECT_NE(cut.err.find("entry 1: header cut short"), std::string::npos) << cut.err;
    Spit(dir_ / "short.pak", pack.substr(0, pack.size() - 3));
    Outcome shorter = Tool("list " + P("short.pak"));
    EXPECT_EQ(shorter.status, 1);
    EXPECT_NE(shorter.err.find("entry 2: data cut short (17 of 20 bytes)"), std::string::npos)
        << shorter.err;

    // A file that cannot be read makes no pack at all.
    Outcome missing = Tool("create " + P("y.pak") + " " + P("d.txt") + " " + P("nothing.bmp"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("nothing.bmp"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "y.pak"));
    EXPECT_EQ(Tool("list " + P("nothing.pak")).status, 1);
}

TEST_F(PackTool, WrongUsageExitsTwoAndHelpZero) {
    for (const char* args : {"", "frobnicate", "list", "list a b", "extract a", "create x.pak",
                             "create --raw x.pak", "create --fast x.pak y"}) {
        Outcome run = Tool(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find("usage"), std::string::npos) << args;
    }
    Outcome help = Tool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("tessaly-pack create"), std::string::npos);
}

TEST_F(PackTool, OversizedEntriesAreRefusedByNameNotAllocated) {
    using game::presentation::kMaxEntrySize;
    using game::presentation::handmade::AppendEntry;
    using game::presentation::handmade::OneByteRepeated;
    // A few bytes that unpack to 4 GiB; the entry after it still lists and extracts.
    Bytes pack;
    AppendEntry(&pack, 0xFFFFFFFFu, OneByteRepeated(0xFFFFFFFFu));
    AppendEntry(&pack, 3, {'a', 'b', 'c'});
    Spit(dir_ / "huge.pak", std::string(pack.begin(), pack.end()));
    Outcome listed = Tool("list " + P("huge.pak"));
    EXPECT_EQ(listed.status, 1);
    EXPECT_EQ(listed.out, "1 3 3 data\n");
    EXPECT_NE(listed.err.find("entry 0: too large: 4294967295 bytes unpacked"), std::string::npos)
        << listed.err;
    EXPECT_EQ(Tool("extract " + P("huge.pak") + " " + P("out")).status, 1);
    EXPECT_EQ(Slurp(dir_ / "out/001.bin"), "abc");

    // A file over the limit makes no pack, whether it has a size or is an endless device.
    { std::ofstream(dir_ / "big.bin"); }
    fs::resize_file(dir_ / "big.bin", kMaxEntrySize + 1);
    Outcome big = Tool("create " + P("x.pak") + " " + P("big.bin"));
    EXPECT_EQ(big.status, 1);
    EXPECT_NE(big.err.find("big.bin: too large"), std::string::npos) << big.err;
    EXPECT_EQ(Tool("create " + P("x.pak") + " /dev/zero").status, 1);
    EXPECT_FALSE(fs::exists(dir_ / "x.pak"));
}

TEST_F(PackTool, FoldersDevicesAndPipesAreTakenForWhatTheyAre) {
    Spit(dir_ / "a.bmp", kBmp);
    fs::create_directory(dir_ / "folder");
    for (const std::string& args :
         {"list " + P("folder"), "extract " + P("folder") + " " + P("out"),
          "create " + P("folder") + " " + P("a.bmp"), "create " + P("x.pak") + " " + P("folder")}) {
        Outcome run = Tool(args);
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_NE(run.err.find("folder: is a folder"), std::string::npos) << args << run.err;
    }
    // Links that lead nowhere are named for what they are, as a pack and as a file.
    fs::create_symlink("loop-b", dir_ / "loop-a");
    fs::create_symlink("loop-a", dir_ / "loop-b");
    fs::create_symlink("gone.pak", dir_ / "dangling.pak");
    Outcome loop = Tool("list " + P("loop-a"));
    EXPECT_EQ(loop.status, 1);
    EXPECT_NE(loop.err.find("loop-a: is a link that leads round in a loop"), std::string::npos)
        << loop.err;
    Outcome dangling = Tool("create " + P("x.pak") + " " + P("dangling.pak"));
    EXPECT_EQ(dangling.status, 1);
    EXPECT_NE(dangling.err.find("dangling.pak: is a link to nothing"), std::string::npos)
        << dangling.err;
    Outcome missing = Tool("extract " + P("missing.pak") + " " + P("out"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("missing.pak: cannot open"), std::string::npos) << missing.err;
    // Nothing is made for a pack that does not open.
    EXPECT_FALSE(fs::exists(dir_ / "out"));
    EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
    EXPECT_FALSE(fs::exists(dir_ / "x.pak"));

    // A pipe gets the pack written into it and stays a pipe.
    ASSERT_EQ(Tool("create " + P("x.pak") + " " + P("a.bmp")).status, 0);
    ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0600), 0);
    // Our end is open before the tool runs, and the small pack fits the pipe's buffer.
    int end = ::open((dir_ / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(end, 0);
    Outcome intoPipe = Tool("create " + P("pipe") + " " + P("a.bmp"));
    std::string piped;
    char chunk[4096];
    for (ssize_t got; (got = ::read(end, chunk, sizeof chunk)) > 0;)
        piped.append(chunk, std::size_t(got));
    ::close(end);
    EXPECT_EQ(intoPipe.status, 0) << intoPipe.err;
    EXPECT_EQ(piped, Slurp(dir_ / "x.pak"));
    EXPECT_TRUE(fs::is_fifo(dir_ / "pipe"));

    // A device that refuses the bytes is a failure, and the device stays.
    if (fs::is_character_file("/dev/full")) {
        Outcome full = Tool("create /dev/full " + P("a.bmp"));
        EXPECT_EQ(full.status, 1);
        EXPECT_NE(full.err.find("/dev/full: write failed: No space left"), std::string::npos)
            << full.err;
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
}

}  // namespace
