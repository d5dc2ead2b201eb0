#include "platform/command_line.h"

namespace chimewell {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsEscapableInDoubleQuotes(char c) {
    return c == '\\' || c == '"' || c == '$' || c == '`' || c == '\n';
}

} // namespace

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false; // a word has begun, even if it is still empty (as after "")
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (IsBlank(c)) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
            ++i;
        } else if (c == '\\') {
            if (i + 1 == line.size()) {
                return std::nullopt;
            }
            // A backslash before a line break joins the lines, as in a shell.
            if (line[i + 1] != '\n') {
                word += line[i + 1];
                inWord = true;
            }
            i += 2;
        } else if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            word.append(line.substr(i + 1, close - i - 1));
            inWord = true;
            i = close + 1;
        } else if (c == '"') {
            inWord = true;
            ++i;
            for (;;) {
                if (i == line.size()) {
                    return std::nullopt;
                }
                const char q = line[i];
                if (q == '"') {
                    ++i;
                    break;
                }
                if (q == '\\' && i + 1 < line.size() && IsEscapableInDoubleQuotes(line[i + 1])) {
                    if (line[i + 1] != '\n') {
                        word += line[i + 1];
                    }
                    i += 2;
                } else {
                    word += q;
                    ++i;
                }
            }
        } else {
            word += c;
            inWord = true;
            ++i;
        }
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

} // namespace chimewell
