#include "data/text_helpers.h"

#include <cstdint>

namespace chimewell {

const std::array<std::string_view, 10> ChineseNumerals = {"○", "一", "二", "三", "四", "五", "六", "七", "八", "九"};

namespace {

// Byte offset at which the character with the given 0-based index begins, or text.size() past the end.
// A stray continuation byte belongs to the character before it, so no offset ever falls inside one.
std::size_t ByteOffsetOfCharacter(std::string_view text, int index) {
    std::size_t offset = 0;
    for (int seen = 0; offset < text.size(); ++offset) {
        if (offset > 0 && IsUtf8ContinuationByte(text[offset])) {
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

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (at + length > text.size()) {
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsUtf8ContinuationByte(text[at + i])) {
            return 1;
        }
    }
    return length;
}

std::string_view FirstCharacters(std::string_view text, int maxCharacters) {
    // No more bytes than that: no more characters either.
    if (maxCharacters >= 0 && text.size() <= static_cast<std::size_t>(maxCharacters)) {
        return text;
    }
    int seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsUtf8ContinuationByte(text[i])) {
            if (seen == maxCharacters) {
                return text.substr(0, i);
            }
            ++seen;
        }
    }
    return text;
}

std::string_view Trim(std::string_view text, std::string_view blanks) {
    // Byte by byte against the few blanks: the reading of every line of a large file comes through here.
    const auto isBlank = [blanks](char c) {
        for (const char blank : blanks) {
            if (c == blank) {
                return true;
            }
        }
        return false;
    };
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isBlank(text[first])) {
        ++first;
    }
    while (last > first && isBlank(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

int CharacterCount(std::string_view text) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == 0 || !IsUtf8ContinuationByte(text[i])) {
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
