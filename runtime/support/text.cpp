#include "runtime/support/text.hpp"

#include <cmath>

namespace runtime::support {

int TextLength(std::string_view text) {
    return int(text.size());
}

std::string LeftText(std::string_view text, int n) {
    if (n < 1) return {};
    return std::string(text.substr(0, std::size_t(n)));
}

std::string MidText(std::string_view text, int start, int length) {
    if (length < 1) return {};
    const std::size_t from = start <= 1 ? 0 : std::size_t(start) - 1;
    if (from >= text.size()) return {};
    return std::string(text.substr(from, std::size_t(length)));
}

int FirstCharCode(std::string_view text) {
    return text.empty() ? 0 : int(static_cast<unsigned char>(text.front()));
}

std::string NumberText(std::int32_t value) {
    return std::to_string(value);
}

std::int32_t TextNumber(std::string_view text) {
    std::size_t pos = 0;
    // Only the space counts as a blank: a tab in front of a number leaves it unread.
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Unsigned arithmetic gives the 32-bit wrap-around of the game's number reading.
    std::uint32_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10u + std::uint32_t(text[pos] - '0');
        ++pos;
    }
    if (negative) value = 0u - value;
    return std::int32_t(value);
}

int TextsEqual(std::string_view a, std::string_view b) {
    return a == b ? 1 : 0;
}

std::int32_t TruncateToInteger(float value) {
    // Differs: a huge value converts to -2147483648
    // (docs/differences.md, Files, text and programs)
    // Out of range and NaN give the processor's "integer indefinite" value, as its own
    // truncating conversion does, instead of undefined behaviour.
    if (!(value > -2147483904.0f && value < 2147483648.0f)) return INT32_MIN;
    return std::int32_t(value);
}

std::vector<std::string_view> SplitWords(std::string_view line) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && blank(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !blank(line[i]))
            ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

}  // namespace runtime::support
