#include "exchange/search.h"

#include "data/text_helpers.h"

#include <algorithm>

namespace chimewell {

bool AddSearchHistory(std::vector<std::string>& history, const std::string& text) {
    if (text.empty() || std::find(history.begin(), history.end(), text) != history.end()) {
        return false;
    }
    history.push_back(text);
    return true;
}

std::vector<int> MatchingLines(const std::vector<std::string>& lines, std::string_view text) {
    std::vector<int> found;
    if (text.empty()) {
        return found;
    }
    for (std::size_t line = 0; line < lines.size(); ++line) {
        if (FindText(lines[line], text) != -1) {
            found.push_back(static_cast<int>(line));
        }
    }
    return found;
}

TWindowFrame DockedFrame(const TWindowFrame& mainFrame, const TWindowFrame& searchFrame) {
    return {mainFrame.Left + mainFrame.Width, mainFrame.Top, searchFrame.Width, mainFrame.Height};
}

} // namespace chimewell
