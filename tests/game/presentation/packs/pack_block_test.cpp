#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "game/presentation/packs/pack.hpp"
#include "tests/game/presentation/packs/stream_builder.hpp"

namespace game::presentation {
namespace {

using Bytes = std::vector<std::uint8_t>;
using handmade::StreamBuilder;

Bytes ReadVector(const std::string& name) {
    std::ifstream in(std::string(TESSALY_VECTORS_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t SizeField(const Bytes& block) {
    return std::uint32_t(block[2]) | std::uint32_t(block[3]) << 8 | std::uint32_t(block[4]) << 16 |
           std::uint32_t(block[5]) << 24;
}

struct ManifestLine {
    std::string name, kind;
};

std::vector<ManifestLine> Manifest() {
    std::ifstream in(std::string(TESSALY_VECTORS_DIR) + "/MANIFEST");
    std::vector<ManifestLine> lines;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        ManifestLine entry;
        if (words >> entry.name >> entry.kind) lines.push_back(entry);
    }
    return lines;
}

BlockResult Decode(const Bytes& block, std::size_t outSize, Bytes* out) {
    out->assign(outSize, 0xEE);
    return DecodeBlock(block.data(), block.size(), out->data(), out->size());
}

TEST(UnpackBlock, DecodesEveryGoodVectorAndRefusesEveryBadOne) {
    int good = 0, bad = 0;
    for (const ManifestLine& line : Manifest()) {
        if (line.kind == "ok") {
            Bytes block = ReadVector(line.name + ".block");
            Bytes expected = ReadVector(line.name + ".out");
            Bytes out(expected.size());
            EXPECT_EQ(UnpackBlock(block.data(), block.size(), out.data(), out.size()),
                      expected.size())
                << line.name;
            EXPECT_EQ(out, expected) << line.name;
            ++good;
        } else if (line.kind == "bad") {
            Bytes block = ReadVector(line.name + ".bad");
            // Give the decoder the size the block claims, and a roomy area as well.
            std::size_t claimed = block.size() >= 6 ? SizeField(block) : 0;
            for (std::size_t size : {claimed, claimed + 64}) {
                Bytes out(size);
                EXPECT_EQ(UnpackBlock(block.data(), block.size(), out.data(), out.size()), 0u)
                    << line.name << " into " << size;
            }
            ++bad;
        }
    }
    EXPECT_GE(good, 16);
    EXPECT_GE(bad, 6);
}

TEST(UnpackBlock, NamesWhyTheBadVectorsFail) {
    Bytes out;
    EXPECT_EQ(Decode(ReadVector("bad_magic.bad"), 12, &out), BlockResult::BadMagic);
    EXPECT_EQ(Decode(ReadVector("bad_checksum.bad"), 12, &out), BlockResult::ChecksumMismatch);
    EXPECT_EQ(Decode(ReadVector("truncated_stream.bad"), 12, &out), BlockResult::TruncatedStream);
    EXPECT_EQ(Decode(ReadVector("offset_before_start.bad"), 5, &out),
              BlockResult::OffsetBeforeStart);
    EXPECT_EQ(Decode(ReadVector("writes_past_size.bad"), 10, &out), BlockResult::WritesPastSize);
    EXPECT_EQ(Decode(ReadVector("short_with_sum.bad"), 3, &out), BlockResult::ChecksumMismatch);
}

TEST(UnpackBlock, NeverReadsOrWritesOutsideItsAreas) {
    // Every cut of a good block fails cleanly; under the sanitizers any stray read shows.
    Bytes block = ReadVector("offset_width_changes.block");
    Bytes expected = ReadVector("offset_width_changes.out");
    for (std::size_t cut = 0; cut < block.size(); ++cut) {
        Bytes part(block.begin(), block.begin() + std::ptrdiff_t(cut));
        Bytes out(expected.size());
        EXPECT_EQ(UnpackBlock(part.data(), part.size(), out.data(), out.size()), 0u) << cut;
    }
    // A wrong output size is refused, whichever way it is off.
    for (std::size_t size : {expected.size() - 1, expected.size() + 1}) {
        Bytes out(size);
        EXPECT_EQ(UnpackBlock(block.data(), block.size(), out.data(), out.size()), 0u);
    }
    EXPECT_EQ(UnpackBlock(nullptr, 0, nullptr, 0), 0u);
}

TEST(UnpackBlock, HandMadeStreamsCoverTheOddCorners) {
    Bytes out;
    const std::uint32_t kEnd = 0;  // 000 + offset 0 + code 0, 12 bits

    // A literal before any literal-width change has no defined width.
    Bytes literalFirst = StreamBuilder().Put(1, 1).Put(0x41, 8).Put(kEnd, 12).Block(1);
    EXPECT_EQ(Decode(literalFirst, 1, &out), BlockResult::LiteralBeforeWidth);

    // Width 8, literal 'A', then a long match with g = 3 and low part 0: offset 0.
    Bytes zeroOffset = StreamBuilder()
                           .Put(0b001'0000'0'1, 9)
                           .Put(0b1, 1)
                           .Put(0x41, 8)
                           .Put(0b01, 2)
                           .Put(0b10, 2)
                           .Put(0, 8)
                           .Put(0b00, 2)
                           .Put(kEnd, 12)
                           .Block(7);
    EXPECT_EQ(Decode(zeroOffset, 7, &out), BlockResult::ZeroOffset);

    // Offset-width change to 0 bits.
    Bytes zeroWidth = StreamBuilder().Put(0b000, 3).Put(0, 7).Put(1, 2).Put(0, 4).Block(0);
    EXPECT_EQ(Decode(zeroWidth, 0, &out), BlockResult::ZeroOffsetWidth);

    // After the change to W = 10 (code 2, five bits 01010) a long match reads 10 low bits:
    // 'AB' then g = 3, low 2 (offset 2, bonus 4), length gamma 2 -> 6 more bytes "ABABAB".
    Bytes width10 = StreamBuilder()
                        .Put(0b001'0000'0'1, 9)
                        .Put(0b1, 1)
                        .Put('A', 8)
                        .Put(0b1, 1)
                        .Put('B', 8)
                        .Put(0b000, 3)
                        .Put(0, 7)
                        .Put(2, 2)
                        .Put(0b01010, 5)
                        .Put(0b01, 2)
                        .Put(0b10, 2)
                        .Put(2, 10)
                        .Put(0b00, 2)
                        .Put(kEnd, 12)
                        .Block(8);
    ASSERT_EQ(Decode(width10, 8, &out), BlockResult::Ok);
    EXPECT_EQ(std::string(out.begin(), out.end()), "ABABABAB");

    // A gamma number running past 32 bits is refused, not wrapped.
    StreamBuilder huge;
    huge.Put(0b01, 2);
    for (int i = 0; i < 40; ++i)
        huge.Put(0b11, 2);
    Bytes oversized = huge.Put(0b00, 2).Put(kEnd, 12).Block(4);
    EXPECT_EQ(Decode(oversized, 4, &out), BlockResult::OversizedNumber);

    // The end marker before all bytes are written leaves the entry short.
    Bytes early = StreamBuilder().Put(0b001'0001, 7).Put(kEnd, 12).Block(2);
    EXPECT_EQ(Decode(early, 2, &out), BlockResult::WrongLength);

    // A raw run needs room for all 256 bytes.
    Bytes run = StreamBuilder().Put(0b001'0000'1, 8).Block(255);
    EXPECT_EQ(Decode(run, 255, &out), BlockResult::WritesPastSize);

    // The size field must match the entry.
    Bytes oneZero = StreamBuilder().Put(0b001'0001, 7).Put(kEnd, 12).Block(1);
    EXPECT_EQ(Decode(oneZero, 1, &out), BlockResult::Ok);
    EXPECT_EQ(Decode(oneZero, 2, &out), BlockResult::SizeMismatch);
}

std::uint32_t ParseChecksumValues(const std::string& json,
                                  std::vector<std::pair<Bytes, std::uint32_t>>* values) {
    std::size_t at = json.find("\"checksum\"");
    std::size_t close = json.find('}', at);
    std::size_t pos = json.find('"', at + 10);
    while (pos != std::string::npos && pos < close) {
        std::size_t keyEnd = json.find('"', pos + 1);
        std::string hex = json.substr(pos + 1, keyEnd - pos - 1);
        std::size_t colon = json.find(':', keyEnd);
        std::uint32_t value = std::uint32_t(std::stoul(json.substr(colon + 1)));
        Bytes bytes;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
            bytes.push_back(std::uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
        }
        values->push_back({bytes, value});
        pos = json.find('"', json.find_first_of(",}", colon));
    }
    return std::uint32_t(values->size());
}

TEST(PackChecksum, MatchesTheReferenceValues) {
    Bytes json = ReadVector("values.json");
    std::vector<std::pair<Bytes, std::uint32_t>> values;
    ASSERT_GE(ParseChecksumValues(std::string(json.begin(), json.end()), &values), 9u);
    for (const auto& [bytes, expected] : values) {
        EXPECT_EQ(PackChecksum(bytes.data(), bytes.size()), expected) << bytes.size() << " bytes";
    }
}

}  // namespace
}  // namespace game::presentation
