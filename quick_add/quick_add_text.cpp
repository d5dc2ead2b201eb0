#include "quick_add/quick_add_text.h"

namespace chimewell::quick_add {

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string chars;
    chars.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (int k = 1; k < length && i + k < text.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        chars.push_back(c);
        i += length;
    }
    return chars;
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 3);
    for (const char32_t c : text) {
        if (c < 0x80) {
            bytes.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            bytes.push_back(static_cast<char>(0xC0 | (c >> 6)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            bytes.push_back(static_cast<char>(0xE0 | (c >> 12)));
            bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            bytes.push_back(static_cast<char>(0xF0 | (c >> 18)));
            bytes.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return bytes;
}

void TQuickText::Take(std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to && i < Taken.size(); ++i) {
        Taken[i] = true;
    }
}

std::u32string TQuickText::Rest() const {
    std::u32string rest;
    for (std::size_t i = 0; i < Chars.size(); ++i) {
        if (!Taken[i]) {
            rest.push_back(Chars[i]);
        } else if (!rest.empty() && rest.back() != U' ') {
            // A taken run still findings the words either side of it: "明天 开会 下午三点".
            rest.push_back(U' ');
        }
    }
    return rest;
}

bool IsDigit(char32_t c) {
    return (c >= U'0' && c <= U'9') || (c >= U'０' && c <= U'９');
}

// 0..9 for a Chinese digit, -1 for anything else.
int ChineseDigit(char32_t c) {
    switch (c) {
    case U'零':
    case U'〇':
        return 0;
    case U'一':
        return 1;
    case U'二':
    case U'两':
    case U'俩':
        return 2;
    case U'三':
        return 3;
    case U'四':
        return 4;
    case U'五':
        return 5;
    case U'六':
        return 6;
    case U'七':
        return 7;
    case U'八':
        return 8;
    case U'九':
        return 9;
    default:
        return -1;
    }
}

namespace {
int DigitValue(char32_t c) {
    return c >= U'０' ? static_cast<int>(c - U'０') : static_cast<int>(c - U'0');
}

} // namespace

bool IsChineseNumeral(char32_t c) {
    return ChineseDigit(c) >= 0 || c == U'十' || c == U'廿' || c == U'卅' || c == U'百';
}

bool IsSpace(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'　';
}
bool IsAsciiLetter(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

bool TCursor::Word(std::u32string_view word) {
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (!Text().IsFree(Pos + i) || Text().Chars[Pos + i] != word[i]) {
            return false;
        }
    }
    Pos += word.size();
    return true;
}

int TCursor::AnyWord(std::initializer_list<std::u32string_view> words) {
    int index = 0;
    for (const std::u32string_view word : words) {
        if (Word(word)) {
            return index;
        }
        ++index;
    }
    return -1;
}

std::optional<int> TCursor::Digits(int most, int* count) {
    int value = 0;
    int read = 0;
    while (read < most && Text().IsFree(Pos + read) && IsDigit(Text().Chars[Pos + read])) {
        value = value * 10 + DigitValue(Text().Chars[Pos + read]);
        ++read;
    }
    if (count != nullptr) {
        *count = read;
    }
    if (read == 0) {
        return std::nullopt;
    }
    Pos += read;
    return value;
}

std::optional<int> TCursor::Numeral() {
    if (Text().IsFree(Pos) && IsDigit(Text().Chars[Pos])) {
        return Digits(9);
    }
    std::size_t end = Pos;
    bool positional = false; // holds 十, 廿, 卅 or 百: read by place, else digit by digit (二〇二七)
    // Nine places at most: a longer run is no number a date or a count uses, and must not overflow.
    while (Text().IsFree(end) && IsChineseNumeral(Text().Chars[end]) && end - Pos < 9) {
        positional = positional || ChineseDigit(Text().Chars[end]) < 0;
        ++end;
    }
    if (end == Pos) {
        return std::nullopt;
    }
    int value = 0;
    int pending = 0; // the digit waiting for its place
    for (std::size_t i = Pos; i < end; ++i) {
        const char32_t c = Text().Chars[i];
        const int digit = ChineseDigit(c);
        if (!positional) {
            value = value * 10 + digit;
        } else if (digit >= 0) {
            pending = digit;
        } else if (c == U'十') {
            value += (pending == 0 ? 1 : pending) * 10;
            pending = 0;
        } else if (c == U'百') {
            value += (pending == 0 ? 1 : pending) * 100;
            pending = 0;
        } else {
            value += c == U'廿' ? 20 : 30;
        }
    }
    Pos = end;
    return value + pending;
}

void TCursor::SkipSpaces() {
    while (Text().IsFree(Pos) && IsSpace(Text().Chars[Pos])) {
        ++Pos;
    }
}

} // namespace chimewell::quick_add
