#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/presentation/pack.hpp"

namespace game::presentation {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

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

void AppendEntry(Bytes* pack, std::uint32_t unpacked, const Bytes& data) {
    std::uint32_t stored = std::uint32_t(data.size());
    for (std::uint32_t v : {unpacked, stored}) {
        for (int i = 0; i < 4; ++i)
            pack->push_back(std::uint8_t(v >> (8 * i)));
    }
    pack->insert(pack->end(), data.begin(), data.end());
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

}  // namespace
}  // namespace game::presentation
