#pragma once
// The text a quick-add phrase is read from: code points, each marked once a recogniser has taken it, and a
// cursor that reads words and numerals (Arabic, or Chinese as in 二十三, 廿三, 卅, 两, 二〇二七) over the
// findings not yet taken.

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell::quick_add {

std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);

struct TQuickText {
    std::u32string Chars;
    std::vector<bool> Taken;

    explicit TQuickText(std::u32string chars) : Chars(std::move(chars)), Taken(Chars.size(), false) {}
    bool IsFree(std::size_t pos) const { return pos < Chars.size() && !Taken[pos]; }
    void Take(std::size_t from, std::size_t to);
    // What no recogniser took, the taken runs dropped.
    std::u32string Rest() const;
};

bool IsDigit(char32_t c);
bool IsChineseNumeral(char32_t c);
// 0..9 for a Chinese digit (两 and 俩 are 2), -1 for anything else.
int ChineseDigit(char32_t c);
bool IsSpace(char32_t c);
bool IsAsciiLetter(char32_t c);

class TCursor {
public:
    TCursor(const TQuickText& text, std::size_t pos) : TextPtr(&text), Pos(pos) {}

    // Each of these advances past what it read, and stays where it was when it reads nothing.
    bool Word(std::u32string_view word);
    // The first of the words that is there; the index of it, or -1.
    int AnyWord(std::initializer_list<std::u32string_view> words);
    std::optional<int> Numeral();
    // Arabic digits only, at most `most` of them.
    std::optional<int> Digits(int most, int* count = nullptr);
    void SkipSpaces();
    bool AtEnd() const { return !TextPtr->IsFree(Pos); }
    char32_t Peek() const { return TextPtr->IsFree(Pos) ? TextPtr->Chars[Pos] : U'\0'; }
    const TQuickText& Text() const { return *TextPtr; }

    const TQuickText* TextPtr;
    std::size_t Pos;
};

} // namespace chimewell::quick_add
