#pragma once
// Small text helpers shared by the stored files, the macros, the command runner, the record descriptions and
// the search.
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

// A byte that continues a UTF-8 character rather than beginning one.
inline bool IsUtf8ContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
// Length in bytes of the UTF-8 character that begins at text[at]: its lead byte and the continuation bytes
// the lead byte announces, or 1 for a byte that begins no whole character.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at = 0);
// The text cut to at most maxCharacters whole UTF-8 characters.
std::string_view FirstCharacters(std::string_view text, int maxCharacters);
// The text without the given characters at either end (by default blanks and tabs).
std::string_view Trim(std::string_view text, std::string_view blanks = " \t");
// Trim of spaces and tabs, inline for the reading of every line of a large file.
inline std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// Decimal digits of |n| filled with "0" on the left up to width, with "-" in front for a negative n.
std::string ZeroPad(int n, int width);

// The decimal text of n with every digit written as its Chinese numeral; the minus sign is dropped.
std::string ChineseDigits(int n);
// ZeroPad(n, width) written with Chinese numerals, the minus sign dropped.
std::string ChineseDigitsPadded(int n, int width);

} // namespace chimewell
