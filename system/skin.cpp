#include "system/skin.h"

#include "data/code_page.h"
#include "data/file_io.h"
#include "data/paths.h"

#include <algorithm>
#include <filesystem>

namespace chimewell {

std::string SkinsFolder(const std::string& executableFolder) {
    const std::string folder = FindShippedFileFrom(executableFolder, "skins");
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error)) {
        return {};
    }
    return folder + "/";
}

bool IsPlainSkinName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::vector<std::string> ListSkinFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    if (folder.empty()) {
        return names;
    }
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::error_code ignored;
        if (name.size() > 4 && name.ends_with(".skn") && entry->is_regular_file(ignored)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> ReadSkin(const std::string& folder, const std::string& name) {
    if (folder.empty() || !IsPlainSkinName(name)) {
        return std::nullopt;
    }
    std::string bytes;
    const std::string path = (folder.back() == '/' ? folder : folder + "/") + name;
    if (ReadWholeFile(path, bytes, LargestSkinFile) != FileReadResult::Read) {
        return std::nullopt;
    }
    return DecodeFileText(bytes);
}

} // namespace chimewell
