// Random sequences and number parsing checked against values made by a separate
// implementation, plus the string helpers the game's texts are built with.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/support/colour.hpp"
#include "runtime/support/memory.hpp"
#include "runtime/support/random.hpp"
#include "runtime/support/text.hpp"

namespace runtime::support {
namespace {

// The vectors file as a flat list of tokens: strings keep their opening quote (escapes
// resolved), numbers stay as written, punctuation other than { } [ ] is dropped.
std::vector<std::string> VectorTokens() {
    std::ifstream in(TESSALY_VECTORS_DIR "/values.json", std::ios::binary);
    EXPECT_TRUE(in) << "cannot read values.json";
    const std::string s((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::string> tokens;
    for (std::size_t k = 0; k < s.size();) {
        const char c = s[k];
        if (c == '"') {
            std::string text = "\"";
            for (++k; k < s.size() && s[k] != '"'; ++k) {
                if (s[k] != '\\') {
                    text += s[k];
                } else if (s[++k] == 'u') {
                    text += char(std::stoi(s.substr(k + 1, 4), nullptr, 16));
                    k += 4;
                } else {
                    text += s[k] == 't' ? '\t' : s[k] == 'n' ? '\n' : s[k] == 'r' ? '\r' : s[k];
                }
            }
            tokens.push_back(text);
            ++k;
        } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            const std::size_t from = k++;
            while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])))
                ++k;
            tokens.push_back(s.substr(from, k - from));
        } else {
            if (std::strchr("{}[]", c) != nullptr) tokens.emplace_back(1, c);
            ++k;
        }
    }
    return tokens;
}

// Position just inside the object that follows the key, or the end.
std::size_t Section(const std::vector<std::string>& tokens, const std::string& key) {
    for (std::size_t k = 0; k + 1 < tokens.size(); ++k) {
        if (tokens[k] == "\"" + key && tokens[k + 1] == "{") return k + 2;
    }
    ADD_FAILURE() << "no section " << key;
    return tokens.size();
}

TEST(Random, MatchesReferenceSequencesForEverySeed) {
    const std::vector<std::string> t = VectorTokens();
    int seeds = 0;
    for (std::size_t k = Section(t, "random"); k < t.size() && t[k] != "}";) {
        const std::string seed = t[k].substr(1);
        SeedRandom(std::uint32_t(std::stoull(seed)));
        ++seeds;
        // "seed" [ [max, result] ... ]
        int call = 0;
        for (k += 2; t[k] == "["; k += 4, ++call) {
            EXPECT_EQ(RandomUpTo(std::stoi(t[k + 1])), std::stoll(t[k + 2]))
                << "seed " << seed << " call " << call;
        }
        EXPECT_GT(call, 0);
        ++k;  // closing bracket of the seed's list
    }
    EXPECT_GE(seeds, 5);
}

TEST(Random, EveryCallAdvancesAndSavedStatesReplay) {
    SeedRandom(777);
    RandomUpTo(1000);
    RandomUpTo(1000);
    const std::int32_t third = RandomUpTo(1000);
    // RandomUpTo(0) and RandomUpTo(-1) still use up a step of the generator.
    SeedRandom(777);
    EXPECT_EQ(RandomUpTo(0), 0);
    EXPECT_EQ(RandomUpTo(-1), INT32_MIN);
    EXPECT_EQ(RandomUpTo(1000), third);

    const RandomState saved = CurrentRandomState();
    const std::int32_t next = RandomUpTo(1000000);
    RestoreRandomState(saved);
    EXPECT_EQ(RandomUpTo(1000000), next);
}

TEST(Text, NumberReadingMatchesReferenceValues) {
    const std::vector<std::string> t = VectorTokens();
    int values = 0;
    for (std::size_t k = Section(t, "text_number"); k + 1 < t.size() && t[k] != "}"; k += 2) {
        EXPECT_EQ(TextNumber(t[k].substr(1)), std::stoll(t[k + 1])) << "text " << t[k];
        ++values;
    }
    EXPECT_GE(values, 12);
    // Reading stops at the first other character, whatever follows.
    EXPECT_EQ(TextNumber("12\r\n"), 12);
    EXPECT_EQ(TextNumber("--5"), 0);
    EXPECT_EQ(TextNumber(std::string_view()), 0);
}

TEST(Text, SlicingComparingAndConverting) {
    EXPECT_EQ(MidText("abcdef", 3, 2), "cd");
    EXPECT_EQ(MidText("abc", 5, 2), "");
    EXPECT_EQ(MidText("abc", 0, 2), "ab");
    EXPECT_EQ(MidText("abc", -7, 9), "abc");
    EXPECT_EQ(MidText("abc", 4, 1), "");
    EXPECT_EQ(MidText("abc", 2, -1), "");
    EXPECT_EQ(LeftText("abc", 0), "");
    EXPECT_EQ(LeftText("abc", -3), "");
    EXPECT_EQ(LeftText("abc", 10), "abc");
    EXPECT_EQ(FirstCharCode(""), 0);
    EXPECT_EQ(FirstCharCode("\xE9t\xE9"), 0xE9);  // codes above 127 stay positive
    EXPECT_EQ(TextsEqual(std::string_view(), ""), 1);
    EXPECT_EQ(TextsEqual("abc", "ABC"), 0);
    EXPECT_EQ(TextsEqual("abc", "abcd"), 0);

    EXPECT_EQ(NumberText(-5), "-5");
    EXPECT_EQ(NumberText(INT32_MIN), "-2147483648");
    EXPECT_EQ(TruncateToInteger(-2.9f), -2);
    // Values no integer can hold give the processor's "indefinite" value, never a trap.
    EXPECT_EQ(TruncateToInteger(3e9f), INT32_MIN);
    EXPECT_EQ(TruncateToInteger(std::nanf("")), INT32_MIN);
    EXPECT_EQ(MakeColour(256, 2, 3), 0x030300u);  // no clamping: red spills into green

    std::uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(CopyBytes(bytes, bytes + 2, 4), bytes + 6);  // overlapping copy
    const std::uint8_t expected[8] = {1, 2, 1, 2, 3, 4, 7, 8};
    EXPECT_EQ(0, std::memcmp(bytes, expected, 8));
}

}  // namespace
}  // namespace runtime::support
