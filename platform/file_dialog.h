#pragma once
// The file choosers of the program (music, programs and files to open, import and export files), reached
// through one seam: the GUI installs the desktop's dialog, tests install answers, and the pure code asks
// without knowing which.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace chimewell {

enum class FileDialogMode { Open, Save };

struct FileDialogRequest {
    FileDialogMode Mode = FileDialogMode::Open;
    std::string Title;
    // Where the chooser opens; empty lets the desktop choose.
    std::string StartFolder;
    // Pairs of caption and patterns, all separated by "|", the patterns of one pair by ";":
    // "音乐文件|*.mp3;*.wav" or "文本文件|*.txt|所有文件|*.*".
    std::string Filter;
};

// The full path chosen, or nothing when the user cancelled. Without an installed function every request is
// cancelled, so code that runs without a desktop never waits on a chooser.
std::optional<std::string> ShowFileDialog(const FileDialogRequest& request);

using FileDialogFunction = std::function<std::optional<std::string>(const FileDialogRequest&)>;
// Installs the function that shows choosers; returns the one it replaces.
FileDialogFunction SetFileDialogFunction(FileDialogFunction function);

struct FileFilterEntry {
    std::string Caption;
    std::vector<std::string> Patterns;
    friend bool operator==(const FileFilterEntry&, const FileFilterEntry&) = default;
};
// The pairs of a filter text; a caption without patterns after it is dropped, and so are empty patterns.
std::vector<FileFilterEntry> ParseFileFilter(const std::string& filter);

} // namespace chimewell
