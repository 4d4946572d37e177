#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/presentation/packs/pack.hpp"
#include "tests/game/presentation/packs/stream_builder.hpp"
#include "tests/runtime/support/idle_pipe.hpp"

namespace game::presentation {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;
using handmade::AppendEntry;
using handmade::OneByteRepeated;

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes Vector(const std::string& name) {
    return ReadFile(fs::path(TESSALY_VECTORS_DIR) / name);
}

Bytes Content(PackContent content) {
    return Bytes(content.bytes, content.bytes + content.size);
}

// Each test works in its own folder, entered as the current directory, because the game
// names its packs relative to it ("data\win.pak").
class PackReader : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = fs::current_path();
        folder_ = fs::temp_directory_path() /
                  ("tessaly-packs-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_ / "data");
        fs::current_path(folder_);
    }
    void TearDown() override {
        ClosePack();
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }
    void Write(const std::string& name, const Bytes& bytes) {
        std::ofstream out(folder_ / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    fs::path previous_, folder_;
};

TEST_F(PackReader, ThreeEntriesThenNoneForEver) {
    Write("data/three.pak", Vector("three_entries.pak"));
    ASSERT_TRUE(OpenPack("data\\three.pak"));
    // The first entry is raw although its data starts with "JC".
    for (int i = 0; i < 3; ++i) {
        PackContent content = NextPackEntry();
        ASSERT_TRUE(content) << i;
        EXPECT_EQ(Content(content), Vector("three_entries." + std::to_string(i))) << i;
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(NextPackEntry());
    ClosePack();
    ClosePack();  // twice is harmless
    EXPECT_FALSE(NextPackEntry());
}

TEST_F(PackReader, MissingPackLeavesNothingOpen) {
    Write("data/three.pak", Vector("three_entries.pak"));
    ASSERT_TRUE(OpenPack("data\\three.pak"));
    EXPECT_FALSE(OpenPack("data\\missing.pak"));
    EXPECT_FALSE(NextPackEntry());   // the earlier pack was closed by the failed open
    EXPECT_FALSE(OpenPack("data"));  // a folder is not a pack
    EXPECT_FALSE(NextPackEntry());
}

TEST_F(PackReader, APipeOrADeviceInAPacksPlaceIsRefusedAtOnce) {
    Write("data/three.pak", Vector("three_entries.pak"));
    IdlePipe pipe((folder_ / "data/win.pak").string());
    ASSERT_TRUE(pipe.made());
    EXPECT_TRUE(pipe.ReturnsAtOnce([] {
        ASSERT_TRUE(OpenPack("data\\three.pak"));
        EXPECT_FALSE(OpenPack("data\\win.pak"));
        EXPECT_FALSE(NextPackEntry());  // the pack before it is closed all the same
        PackScanner scanner;
        EXPECT_FALSE(scanner.Open("data/win.pak"));
        EXPECT_EQ(errno, ENODEV);  // the pack tool says why
    }));
    // A device would read as an endless pack of empty entries.
    fs::create_symlink("/dev/zero", folder_ / "data/logo.pak");
    EXPECT_FALSE(OpenPack("data\\logo.pak"));
}

TEST_F(PackReader, CorruptEntryIsSkippedAndTheNextStillCounts) {
    // Catalogue order must hold: a damaged picture leaves a gap, not a shift.
    Bytes pack;
    AppendEntry(&pack, 3, {'a', 'b', 'c'});
    AppendEntry(&pack, 12, Vector("bad_checksum.bad"));
    AppendEntry(&pack, 0, {});
    AppendEntry(&pack, 12, Vector("literals8.block"));
    Write("data/mixed.pak", pack);

    PackScanner scanner;
    ASSERT_TRUE(scanner.Open("data/mixed.pak"));
    ScannedEntry first = scanner.Next();
    EXPECT_EQ(first.step, PackStep::Entry);
    EXPECT_EQ(Content(first.content), (Bytes{'a', 'b', 'c'}));
    ScannedEntry second = scanner.Next();
    EXPECT_EQ(second.step, PackStep::CorruptBlock);
    EXPECT_EQ(second.block, BlockResult::ChecksumMismatch);
    ScannedEntry empty = scanner.Next();
    EXPECT_EQ(empty.step, PackStep::Entry);
    EXPECT_EQ(empty.content.size, 0u);
    ScannedEntry fourth = scanner.Next();
    ASSERT_EQ(fourth.step, PackStep::Entry);
    EXPECT_EQ(Content(fourth.content), Vector("literals8.out"));
    EXPECT_EQ(scanner.Next().step, PackStep::End);
    EXPECT_EQ(scanner.Next().step, PackStep::End);

    ASSERT_TRUE(OpenPack("data\\mixed.pak"));
    EXPECT_TRUE(NextPackEntry());
    EXPECT_FALSE(NextPackEntry());
    EXPECT_TRUE(NextPackEntry());
    EXPECT_EQ(Content(NextPackEntry()), Vector("literals8.out"));
    EXPECT_FALSE(NextPackEntry());
}

TEST_F(PackReader, EveryCutOfAPackEndsItWithoutHarm) {
    Bytes whole = Vector("three_entries.pak");
    // Entry boundaries in three_entries.pak: headers at 0, 43 and 81.
    const std::size_t headers[] = {0, 43, 81};
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        Write("data/cut.pak", Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(cut)));
        PackScanner scanner;
        ASSERT_TRUE(scanner.Open("data/cut.pak"));
        int entries = 0;
        ScannedEntry entry;
        while ((entry = scanner.Next()).step == PackStep::Entry)
            ++entries;
        int whole_entries = 0;
        bool at_boundary = false;
        for (std::size_t h : headers) {
            if (h + 8 <= cut) ++whole_entries;
            at_boundary = at_boundary || h == cut;
        }
        // Entries wholly before the cut still come out; the cut shows as what it cut.
        if (at_boundary) {
            EXPECT_EQ(entry.step, PackStep::End) << cut;
            EXPECT_EQ(entries, whole_entries) << cut;
        } else {
            EXPECT_EQ(entries, whole_entries - 1 + (entry.step == PackStep::HeaderCutShort)) << cut;
            bool in_header = false;
            for (std::size_t h : headers)
                in_header = in_header || (cut > h && cut < h + 8);
            EXPECT_EQ(entry.step, in_header ? PackStep::HeaderCutShort : PackStep::DataCutShort)
                << cut;
        }
        EXPECT_EQ(scanner.Next().step, PackStep::End) << cut;
    }
}

TEST_F(PackReader, HostileSizesFailWithoutHugeBuffers) {
    // A header claiming 4 GiB of stored data in a tiny file is cut short, not allocated.
    Bytes pack;
    AppendEntry(&pack, 0xFFFFFFFFu, {'J', 'C'});
    pack[4] = pack[5] = pack[6] = pack[7] = 0xFF;
    pack[0] = 5;
    Write("data/huge.pak", pack);
    PackScanner scanner;
    ASSERT_TRUE(scanner.Open("data/huge.pak"));
    ScannedEntry entry = scanner.Next();
    EXPECT_EQ(entry.step, PackStep::DataCutShort);
    EXPECT_EQ(entry.available, 2u);
}

TEST_F(PackReader, EntriesOverTheLimitAreSkippedInTheirPlaces) {
    // A few bytes that would unpack to 4 GiB, then the largest entry taken, then one just
    // over the limit in stored size too: the entries between them keep their places.
    Bytes pack;
    AppendEntry(&pack, 0xFFFFFFFFu, OneByteRepeated(0xFFFFFFFFu));
    AppendEntry(&pack, 3, {'a', 'b', 'c'});
    AppendEntry(&pack, kMaxEntrySize, OneByteRepeated(kMaxEntrySize));
    AppendEntry(&pack, kMaxEntrySize + 1, OneByteRepeated(kMaxEntrySize + 1));
    // A raw entry one byte over the limit, its data a hole in the file.
    AppendEntry(&pack, kMaxEntrySize + 1, {});
    for (int i = 0; i < 4; ++i)
        pack[pack.size() - 4 + i] = std::uint8_t((kMaxEntrySize + 1) >> (8 * i));
    {
        std::ofstream out(folder_ / "data/big.pak", std::ios::binary);
        out.write(reinterpret_cast<const char*>(pack.data()), std::streamsize(pack.size()));
        out.seekp(kMaxEntrySize + 1, std::ios::cur);
        Bytes last;
        AppendEntry(&last, 1, {'z'});
        out.write(reinterpret_cast<const char*>(last.data()), std::streamsize(last.size()));
    }

    PackScanner scanner;
    ASSERT_TRUE(scanner.Open("data/big.pak"));
    ScannedEntry first = scanner.Next();
    EXPECT_EQ(first.step, PackStep::TooLarge);
    EXPECT_EQ(first.unpacked, 0xFFFFFFFFu);
    EXPECT_EQ(Content(scanner.Next().content), (Bytes{'a', 'b', 'c'}));
    ScannedEntry atLimit = scanner.Next();
    ASSERT_EQ(atLimit.step, PackStep::Entry);
    EXPECT_EQ(atLimit.content.size, kMaxEntrySize);
    EXPECT_EQ(atLimit.content.bytes[kMaxEntrySize - 1], 'x');
    EXPECT_EQ(scanner.Next().step, PackStep::TooLarge);
    ScannedEntry raw = scanner.Next();
    EXPECT_EQ(raw.step, PackStep::TooLarge);
    EXPECT_EQ(raw.stored, kMaxEntrySize + 1);
    EXPECT_EQ(Content(scanner.Next().content), (Bytes{'z'}));
    EXPECT_EQ(scanner.Next().step, PackStep::End);

    ASSERT_TRUE(OpenPack("data\\big.pak"));
    EXPECT_FALSE(NextPackEntry());
    EXPECT_EQ(Content(NextPackEntry()), (Bytes{'a', 'b', 'c'}));
    EXPECT_EQ(NextPackEntry().size, kMaxEntrySize);
    EXPECT_FALSE(NextPackEntry());
    EXPECT_FALSE(NextPackEntry());
    EXPECT_EQ(Content(NextPackEntry()), (Bytes{'z'}));
}

}  // namespace
}  // namespace game::presentation
