#include "system/help.h"

#include "data/paths.h"
#include "platform/desktop_actions.h"
#include "platform/message_box.h"

namespace chimewell {

namespace {
std::string_view Fragment(THelpSection section) {
    switch (section) {
    case THelpSection::About:
        return "about";
    case THelpSection::Report:
        return "report";
    case THelpSection::Contents:
        break;
    }
    return {};
}
} // namespace

std::string HelpTarget(const std::string& executableFolder, THelpSection section) {
    const std::string helpFile = FindShippedFileFrom(executableFolder, std::string(HelpFileName));
    if (section == THelpSection::Contents && !helpFile.empty()) {
        return helpFile;
    }
    const std::string document = FindShippedFileFrom(executableFolder, std::string(HelpDocumentName));
    if (document.empty()) {
        return helpFile;
    }
    return section == THelpSection::Contents ? document : FileUrl(document, Fragment(section));
}

std::string FileUrl(const std::string& path, std::string_view fragment) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            url += c;
        } else {
            url += '%';
            url += Hex[byte >> 4];
            url += Hex[byte & 0xFU];
        }
    }
    if (!fragment.empty()) {
        url += '#';
        url += fragment;
    }
    return url;
}

void OpenHelp(const std::string& executableFolder, THelpSection section) {
    const std::string target = HelpTarget(executableFolder, section);
    if (target.empty()) {
        const std::string folder =
            executableFolder.empty() || executableFolder.back() == '/' ? executableFolder : executableFolder + "/";
        ShowMessageBox(MessageKind::Information, "文件丢失",
                       "软件帮助文件“" + std::string(HelpDocumentName) + "”未找到！找过：\n" + folder +
                           std::string(HelpDocumentName) + "\n" + folder + "../share/chimewell/" +
                           std::string(HelpDocumentName));
        return;
    }
    InstalledDesktopActions().OpenTarget(target);
}

} // namespace chimewell
