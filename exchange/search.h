#pragma once
// The search window's rules, free of any window: its history, which lines of the main list a search finds,
// and where the window goes when it docks beside the main window.

#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

// The requests the search window posts to the main window, with the argument each takes.
inline constexpr int SearchFollowRequest = 100; // 0: dock the search window beside the main window
inline constexpr int SearchRunRequest = 101;    // 0: run the search
inline constexpr int SearchSelectRequest = 102; // a line number: select that line of the main list

// Appends the text to the history unless an entry equals it exactly (letter case counts). Entries are never
// reordered or removed. True when it was appended; an empty text is never.
bool AddSearchHistory(std::vector<std::string>& history, const std::string& text);

// The numbers (from 0) of the lines that contain the text, in list order; byte for byte, so letter case counts.
// An empty text finds nothing.
std::vector<int> MatchingLines(const std::vector<std::string>& lines, std::string_view text);

// A window's outer frame on the screen, as the window manager places it.
struct TWindowFrame {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

    friend bool operator==(const TWindowFrame&, const TWindowFrame&) = default;
};

// The search window's frame docked at the main window's right edge: its left at the main window's right, the
// main window's top and height, its own width.
TWindowFrame DockedFrame(const TWindowFrame& mainFrame, const TWindowFrame& searchFrame);

} // namespace chimewell
