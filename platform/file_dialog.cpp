#include "platform/file_dialog.h"

#include <utility>

namespace chimewell {

namespace {
FileDialogFunction& Installed() {
    static FileDialogFunction function;
    return function;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}
} // namespace

std::optional<std::string> ShowFileDialog(const FileDialogRequest& request) {
    if (!Installed()) {
        return std::nullopt;
    }
    return Installed()(request);
}

FileDialogFunction SetFileDialogFunction(FileDialogFunction function) {
    return std::exchange(Installed(), std::move(function));
}

std::vector<FileFilterEntry> ParseFileFilter(const std::string& filter) {
    std::vector<FileFilterEntry> entries;
    if (filter.empty()) {
        return entries;
    }
    const std::vector<std::string> parts = Split(filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        FileFilterEntry entry{parts[i], {}};
        for (std::string& pattern : Split(parts[i + 1], ';')) {
            if (!pattern.empty()) {
                entry.Patterns.push_back(std::move(pattern));
            }
        }
        if (!entry.Patterns.empty()) {
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

} // namespace chimewell
