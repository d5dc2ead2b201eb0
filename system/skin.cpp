#include "system/skin.h"

#include "data/code_page.h"
#include "data/file_io.h"
#include "data/paths.h"
#include "data/text_helpers.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string_view>

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

std::optional<std::string> ReadSkin(const std::string& folder, const std::string& name, std::string* why) {
    std::string reason;
    const auto refuse = [&](std::string text) -> std::optional<std::string> {
        if (why != nullptr) {
            *why = "无法使用皮肤“" + name + "”：" + text;
        }
        return std::nullopt;
    };
    if (folder.empty()) {
        return refuse("找不到皮肤文件夹。");
    }
    if (!IsPlainSkinName(name)) {
        return refuse("皮肤只能是皮肤文件夹中的文件。");
    }
    std::string bytes;
    const std::string path = (folder.back() == '/' ? folder : folder + "/") + name;
    const FileReadResult read = ReadWholeFile(path, bytes, LargestSkinFile);
    const int error = errno;
    if (read != FileReadResult::Read) {
        return refuse(FileReadFailureText(read, error) + "。");
    }
    std::optional<std::string> styleSheet = CheckSkinUrls(folder, DecodeFileText(bytes), reason);
    if (!styleSheet) {
        return refuse(reason);
    }
    return styleSheet;
}

std::optional<std::string> CheckSkinUrls(const std::string& folder, const std::string& styleSheet, std::string& why) {
    // Qt's style sheet parser reads CSS escapes ("u\\rl(", "\\75 rl(", "url(\\2f dev/…)"), which would hide an
    // url from the check below; a skin needs none.
    if (styleSheet.find('\\') != std::string::npos) {
        why = "样式表中有反斜杠转义（\\），为了安全，不使用这样的皮肤。";
        return std::nullopt;
    }
    std::error_code error;
    const std::filesystem::path root = std::filesystem::canonical(folder, error);
    std::string out;
    std::size_t at = 0;
    while (true) {
        // url( in any letter case, as Qt reads it.
        std::size_t found = std::string::npos;
        for (std::size_t i = at; i + 4 <= styleSheet.size(); ++i) {
            if ((styleSheet[i] | 0x20) == 'u' && (styleSheet[i + 1] | 0x20) == 'r' &&
                (styleSheet[i + 2] | 0x20) == 'l' && styleSheet[i + 3] == '(') {
                found = i;
                break;
            }
        }
        if (found == std::string::npos) {
            out.append(styleSheet, at, std::string::npos);
            return out;
        }
        const std::size_t close = styleSheet.find(')', found + 4);
        if (close == std::string::npos) {
            why = "样式表中的 url( 没有结束。";
            return std::nullopt;
        }
        std::string target(Trim(std::string_view(styleSheet).substr(found + 4, close - found - 4), " \t\r\n"));
        if (target.size() >= 2 && (target.front() == '"' || target.front() == '\'') &&
            target.back() == target.front()) {
            target = target.substr(1, target.size() - 2);
        }
        out.append(styleSheet, at, found - at);
        if (target.starts_with(":/") || target.starts_with("qrc:/")) {
            out.append(styleSheet, found, close + 1 - found);
            at = close + 1;
            continue;
        }
        if (target.starts_with("file://")) {
            target = target.substr(7);
        }
        const std::filesystem::path named = std::filesystem::path(target).is_absolute()
                                                ? std::filesystem::path(target)
                                                : std::filesystem::path(folder) / target;
        const std::filesystem::path real = std::filesystem::canonical(named, error);
        if (error || root.empty()) {
            why = "图片“" + target + "”不存在。";
            return std::nullopt;
        }
        const auto [end, _] = std::mismatch(root.begin(), root.end(), real.begin(), real.end());
        if (end != root.end()) {
            why = "图片“" + target + "”不在皮肤文件夹中。";
            return std::nullopt;
        }
        const std::filesystem::file_status status = std::filesystem::status(real, error);
        if (!std::filesystem::is_regular_file(status)) {
            why = "图片“" + target + "”不是普通文件。";
            return std::nullopt;
        }
        if (std::filesystem::file_size(real, error) > LargestSkinImage || error) {
            why = "图片“" + target + "”太大（超过 " + std::to_string(LargestSkinImage >> 20) + " MB）。";
            return std::nullopt;
        }
        out += "url(\"" + real.string() + "\")";
        at = close + 1;
    }
}

} // namespace chimewell
