#include "runtime/text_helpers.h"

#include <cstdint>

namespace chimewell {

const std::array<std::string_view, 10> ChineseNumerals = {"○", "一", "二", "三", "四", "五", "六", "七", "八", "九"};

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte offset at which the character with the given 0-based index begins, or text.size() past the end.
// A stray continuation byte belongs to the character before it, so no offset ever falls inside one.
std::size_t ByteOffsetOfCharacter(std::string_view text, int index) {
    std::size_t offset = 0;
    for (int seen = 0; offset < text.size(); ++offset) {
        if (offset > 0 && IsContinuationByte(text[offset])) {
            continue;
        }
        if (seen == index) {
            return offset;
        }
        ++seen;
    }
    return text.size();
}

std::string WithChineseNumerals(std::string_view digits) {
    std::string result;
    result.reserve(digits.size() * 3);
    for (const char c : digits) {
        if (c >= '0' && c <= '9') {
            result += ChineseNumerals[static_cast<std::size_t>(c - '0')];
        }
    }
    return result;
}

} // namespace

bool StartsWith(std::string_view text, std::string_view prefix) {
    return !text.empty() && !prefix.empty() && text.starts_with(prefix);
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return !text.empty() && !suffix.empty() && text.ends_with(suffix);
}

int CharacterCount(std::string_view text) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == 0 || !IsContinuationByte(text[i])) {
            ++count;
        }
    }
    return count;
}

int FindText(std::string_view text, std::string_view pattern) {
    if (text.empty() || pattern.empty()) {
        return -1;
    }
    // A well-formed UTF-8 pattern can only match at a character boundary, so a byte search is enough.
    const std::size_t at = text.find(pattern);
    if (at == std::string_view::npos) {
        return -1;
    }
    return CharacterCount(text.substr(0, at)) + 1;
}

std::string TailFrom(std::string_view text, int position) {
    const int index = position < 1 ? 0 : position - 1;
    return std::string(text.substr(ByteOffsetOfCharacter(text, index)));
}

std::string ZeroPad(int n, int width) {
    // Through 64 bits so that the most negative 32-bit value has an absolute value too.
    const std::int64_t magnitude = n < 0 ? -static_cast<std::int64_t>(n) : n;
    std::string digits = std::to_string(magnitude);
    if (width > static_cast<int>(digits.size())) {
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    }
    return n < 0 ? "-" + digits : digits;
}

std::string ChineseDigits(int n) {
    return WithChineseNumerals(std::to_string(n));
}

std::string ChineseDigitsPadded(int n, int width) {
    return WithChineseNumerals(ZeroPad(n, width));
}

} // namespace chimewell
