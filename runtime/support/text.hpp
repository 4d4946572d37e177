#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace runtime::support {

// The game's strings are single-byte texts; an empty view stands for a missing string.

// Number of bytes in the text.
int TextLength(std::string_view text);

// The first n characters (all of them if the text is shorter, none if n < 1).
std::string LeftText(std::string_view text, int n);

// Up to length characters from the 1-based position start; a start of 1 or less means the
// first character, a start beyond the end gives the empty text.
std::string MidText(std::string_view text, int start, int length);

// Code 0..255 of the first character; 0 for the empty text.
int FirstCharCode(std::string_view text);

// Decimal text of the number: a minus sign when negative, no padding.
std::string NumberText(std::int32_t value);

// Reads leading spaces, an optional sign and decimal digits up to the first other
// character. No digits give 0; values too large wrap around in 32 bits.
std::int32_t TextNumber(std::string_view text);

// 1 if the texts are equal byte for byte, else 0.
int TextsEqual(std::string_view a, std::string_view b);

// The integer part, rounding toward zero.
std::int32_t TruncateToInteger(float value);

// The words of a line of a test or replay script, split at spaces, tabs and carriage
// returns; the views point into the line.
std::vector<std::string_view> SplitWords(std::string_view line);

}  // namespace runtime::support
