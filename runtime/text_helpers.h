#pragma once
// Small text helpers shared by the macros, the command runner, the record descriptions and the search.
// Texts are UTF-8. Positions are 1-based and count characters, so a position taken from FindText and
// handed to TailFrom never lands inside a multibyte character.

#include <array>
#include <string>
#include <string_view>

namespace chimewell {

// The Chinese numerals for the digits 0..9; zero is written ○.
extern const std::array<std::string_view, 10> ChineseNumerals;

// Byte-for-byte, case-sensitive; false when either text is empty or the text is shorter than the prefix.
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);

// Character position (from 1) of the first occurrence of pattern in text; -1 when there is none, when the
// text is empty or when the pattern is empty.
int FindText(std::string_view text, std::string_view pattern);

// The characters of text from the given character position to the end; empty past the end. A position
// below 1 counts as 1.
std::string TailFrom(std::string_view text, int position);

// Number of characters (not bytes) in a UTF-8 text.
int CharacterCount(std::string_view text);

// Decimal digits of |n| filled with "0" on the left up to width, with "-" in front for a negative n.
std::string ZeroPad(int n, int width);

// The decimal text of n with every digit written as its Chinese numeral; the minus sign is dropped.
std::string ChineseDigits(int n);
// ZeroPad(n, width) written with Chinese numerals, the minus sign dropped.
std::string ChineseDigitsPadded(int n, int width);

} // namespace chimewell
