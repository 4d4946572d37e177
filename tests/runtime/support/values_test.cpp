// Random sequences and number parsing checked against values made by a separate
// implementation, plus the string helpers the game's texts are built with.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/support/colour.hpp"
#include "runtime/support/memory.hpp"
#include "runtime/support/random.hpp"
#include "runtime/support/text.hpp"

namespace runtime::support {
namespace {

// Just enough JSON for the vectors file: objects, arrays, strings and integers.
struct Json {
    enum Kind { Number, String, Array, Object } kind = Number;
    long long number = 0;
    std::string text;
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    const Json& operator[](const std::string& key) const {
        for (const auto& [name, value] : members) {
            if (name == key) return value;
        }
        ADD_FAILURE() << "missing key " << key;
        static const Json none;
        return none;
    }
};

class JsonReader {
  public:
    explicit JsonReader(std::string text) : s_(std::move(text)) {}

    Json Value() {
        Skip();
        Json v;
        if (pos_ >= s_.size()) return v;
        const char c = s_[pos_];
        if (c == '{') {
            v.kind = Json::Object;
            ++pos_;
            while (Skip(), pos_ < s_.size() && s_[pos_] != '}') {
                std::string key = Text();
                Skip();
                ++pos_;  // ':'
                v.members.emplace_back(std::move(key), Value());
                Skip();
                if (s_[pos_] == ',') ++pos_;
            }
            ++pos_;
        } else if (c == '[') {
            v.kind = Json::Array;
            ++pos_;
            while (Skip(), pos_ < s_.size() && s_[pos_] != ']') {
                v.items.push_back(Value());
                Skip();
                if (s_[pos_] == ',') ++pos_;
            }
            ++pos_;
        } else if (c == '"') {
            v.kind = Json::String;
            v.text = Text();
        } else {
            std::size_t used = 0;
            v.number = std::stoll(s_.substr(pos_, 24), &used);
            pos_ += used;
        }
        return v;
    }

  private:
    void Skip() {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_])))
            ++pos_;
    }
    std::string Text() {
        std::string out;
        ++pos_;  // opening quote
        while (pos_ < s_.size() && s_[pos_] != '"') {
            char c = s_[pos_++];
            if (c == '\\') {
                const char e = s_[pos_++];
                switch (e) {
                    case 't':
                        c = '\t';
                        break;
                    case 'n':
                        c = '\n';
                        break;
                    case 'r':
                        c = '\r';
                        break;
                    case 'u':
                        c = char(std::stoi(s_.substr(pos_, 4), nullptr, 16));
                        pos_ += 4;
                        break;
                    default:
                        c = e;
                        break;
                }
            }
            out.push_back(c);
        }
        ++pos_;
        return out;
    }

    std::string s_;
    std::size_t pos_ = 0;
};

Json LoadVectors() {
    std::ifstream in(TESSALY_VECTORS_DIR "/values.json", std::ios::binary);
    EXPECT_TRUE(in) << "cannot read values.json";
    std::stringstream all;
    all << in.rdbuf();
    return JsonReader(all.str()).Value();
}

TEST(Random, MatchesReferenceSequencesForEverySeed) {
    const Json vectors = LoadVectors();
    const Json& random = vectors["random"];
    ASSERT_EQ(random.kind, Json::Object);
    ASSERT_FALSE(random.members.empty());
    for (const auto& [seedText, calls] : random.members) {
        SeedRandom(std::uint32_t(std::stoull(seedText)));
        ASSERT_FALSE(calls.items.empty());
        for (std::size_t k = 0; k < calls.items.size(); ++k) {
            const auto max = std::int32_t(calls.items[k].items[0].number);
            const auto expected = std::int32_t(calls.items[k].items[1].number);
            EXPECT_EQ(RandomUpTo(max), expected) << "seed " << seedText << " call " << k;
        }
    }
}

TEST(Random, SameSeedSameSequenceAndEveryCallAdvances) {
    SeedRandom(777);
    std::vector<std::int32_t> first;
    for (int k = 0; k < 100; ++k)
        first.push_back(RandomUpTo(1000));
    SeedRandom(777);
    for (int k = 0; k < 100; ++k)
        EXPECT_EQ(RandomUpTo(1000), first[std::size_t(k)]);

    // RandomUpTo(0) and RandomUpTo(-1) still use up a step of the generator.
    SeedRandom(777);
    EXPECT_EQ(RandomUpTo(0), 0);
    EXPECT_EQ(RandomUpTo(-1), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(RandomUpTo(1000), first[2]);

    // A saved state replays the same numbers.
    const RandomState saved = CurrentRandomState();
    const std::int32_t next = RandomUpTo(1000000);
    RestoreRandomState(saved);
    EXPECT_EQ(RandomUpTo(1000000), next);

    // Results stay within range even for the largest bound.
    for (int k = 0; k < 1000; ++k) {
        const std::int32_t r = RandomUpTo(std::numeric_limits<std::int32_t>::max());
        EXPECT_GE(r, 0);
        const std::int32_t small = RandomUpTo(6);
        EXPECT_GE(small, 0);
        EXPECT_LE(small, 6);
    }
}

TEST(Text, NumberReadingMatchesReferenceValues) {
    const Json vectors = LoadVectors();
    const Json& values = vectors["text_number"];
    ASSERT_FALSE(values.members.empty());
    for (const auto& [text, value] : values.members) {
        EXPECT_EQ(TextNumber(text), std::int32_t(value.number)) << "text \"" << text << "\"";
    }
    // Reading stops at the first other character, whatever follows.
    EXPECT_EQ(TextNumber("12\r\n"), 12);
    EXPECT_EQ(TextNumber("--5"), 0);
    EXPECT_EQ(TextNumber("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TextNumber(std::string_view()), 0);
}

TEST(Text, SlicingAndComparing) {
    EXPECT_EQ(MidText("abcdef", 3, 2), "cd");
    EXPECT_EQ(MidText("abc", 5, 2), "");
    EXPECT_EQ(MidText("abc", 0, 2), "ab");
    EXPECT_EQ(MidText("abc", -7, 9), "abc");
    EXPECT_EQ(MidText("abc", 3, 1), "c");
    EXPECT_EQ(MidText("abc", 4, 1), "");
    EXPECT_EQ(MidText("abc", 2, 0), "");
    EXPECT_EQ(MidText("abc", 2, -1), "");

    EXPECT_EQ(LeftText("abc", 0), "");
    EXPECT_EQ(LeftText("abc", -3), "");
    EXPECT_EQ(LeftText("abc", 2), "ab");
    EXPECT_EQ(LeftText("abc", 10), "abc");

    EXPECT_EQ(FirstCharCode(""), 0);
    EXPECT_EQ(FirstCharCode("\xE9t\xE9"), 0xE9);  // codes above 127 stay positive
    EXPECT_EQ(TextLength(std::string_view()), 0);
    EXPECT_EQ(TextLength("tessaly"), 7);

    EXPECT_EQ(TextsEqual(std::string_view(), ""), 1);
    EXPECT_EQ(TextsEqual("abc", "abc"), 1);
    EXPECT_EQ(TextsEqual("abc", "ABC"), 0);
    EXPECT_EQ(TextsEqual("abc", "abcd"), 0);
}

TEST(Text, NumbersColoursAndCopies) {
    EXPECT_EQ(NumberText(-5), "-5");
    EXPECT_EQ(NumberText(0), "0");
    EXPECT_EQ(NumberText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
    EXPECT_EQ(NumberText(1234567), "1234567");

    EXPECT_EQ(TruncateToInteger(2.9f), 2);
    EXPECT_EQ(TruncateToInteger(-2.9f), -2);
    EXPECT_EQ(TruncateToInteger(-0.5f), 0);
    // Values no integer can hold give the processor's "indefinite" value, never a trap.
    EXPECT_EQ(TruncateToInteger(3e9f), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TruncateToInteger(std::nanf("")), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TruncateToInteger(-2147483648.0f), std::numeric_limits<std::int32_t>::min());

    EXPECT_EQ(MakeColour(255, 0, 0), 0x0000FFu);
    EXPECT_EQ(MakeColour(1, 2, 3), 0x030201u);
    EXPECT_EQ(MakeColour(256, 0, 0), 0x000100u);  // no clamping: red spills into green

    std::uint8_t buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::uint8_t* end = CopyBytes(buffer, buffer + 2, 4);
    EXPECT_EQ(end, buffer + 6);
    const std::uint8_t expected[8] = {1, 2, 1, 2, 3, 4, 7, 8};
    EXPECT_EQ(0, std::memcmp(buffer, expected, 8));
}

}  // namespace
}  // namespace runtime::support
