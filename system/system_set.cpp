#include "system/system_set.h"

#include "calendar/clock.h"

#include "data/code_page.h"
#include "data/constants.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"

#include <cstdio>
#include <filesystem>

namespace chimewell {

std::string FontSampleText() {
    const DateFields today = DecodeDate(Today());
    char date[32];
    std::snprintf(date, sizeof date, "%04d年%02d月%02d日", today.Year, today.Month, today.Day);
    return std::string("测试字体，") + date;
}

std::vector<std::string> TNumberList::Items() const {
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(Last - First + 1));
    for (std::int32_t value = First; value <= Last; ++value) {
        items.push_back(std::to_string(value) + std::string(Unit));
    }
    return items;
}

int TNumberList::IndexOf(std::int32_t value) const {
    return value >= First && value <= Last ? static_cast<int>(value - First) : -1;
}

std::optional<std::int32_t> TNumberList::ValueAt(int index) const {
    if (index < 0 || index > Last - First) {
        return std::nullopt;
    }
    return First + index;
}

std::vector<std::string> SkinListItems(const std::vector<std::string>& skinFiles) {
    std::vector<std::string> items{std::string(NoSkinEntry)};
    items.insert(items.end(), skinFiles.begin(), skinFiles.end());
    return items;
}

int SkinListIndexOf(const std::vector<std::string>& skinFiles, const std::string& skinFileName) {
    if (skinFileName.empty()) {
        return 0;
    }
    for (std::size_t i = 0; i < skinFiles.size(); ++i) {
        if (skinFiles[i] == skinFileName) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

std::optional<std::string> SkinListValueAt(const std::vector<std::string>& skinFiles, int index) {
    if (index == 0) {
        return std::string();
    }
    if (index < 0 || static_cast<std::size_t>(index) > skinFiles.size()) {
        return std::nullopt;
    }
    return skinFiles[static_cast<std::size_t>(index) - 1];
}

std::string QuickFinishText(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += (i == 0 ? "" : "\n") + lines[i];
    }
    return text;
}

std::vector<std::string> QuickFinishLines(std::string_view text) {
    std::vector<std::string> lines;
    for (const std::string_view line : SplitLines(text)) {
        lines.emplace_back(line);
    }
    return lines;
}

TFontChoice ListFontOf(const TRmConfig& config) {
    return TFontChoice{config.FontWithName,       config.FontWithSize,     config.FontWithColor,
                       config.FontWithfsBold,     config.FontWithfsItalic, config.FontWithfsUnderline,
                       config.FontWithfsStrikeOut};
}

void SetListFont(TRmConfig& config, const TFontChoice& font) {
    config.FontWithName = font.Name;
    config.FontWithSize = font.Size;
    config.FontWithColor = font.Color;
    config.FontWithfsBold = font.Bold;
    config.FontWithfsItalic = font.Italic;
    config.FontWithfsUnderline = font.Underline;
    config.FontWithfsStrikeOut = font.StrikeOut;
}

std::string FontStyleSheet(std::string_view selector, const TFontChoice& font) {
    // The face name comes from a file anyone may edit: nothing in it may end the quoted name or the rule.
    std::string family;
    for (const char c : font.Name) {
        if (c != '"' && c != '\\' && c != '\r' && c != '\n') {
            family += c;
        }
    }
    std::string rule = std::string(selector) + " { font-family: \"" + family + "\";";
    if (font.Size > 0) {
        rule += " font-size: " + std::to_string(font.Size) + "pt;";
    }
    rule += font.Bold ? " font-weight: bold;" : " font-weight: normal;";
    rule += font.Italic ? " font-style: italic;" : " font-style: normal;";
    if (font.Underline || font.StrikeOut) {
        rule += std::string(" text-decoration:") + (font.Underline ? " underline" : "") +
                (font.StrikeOut ? " line-through" : "") + ";";
    } else {
        rule += " text-decoration: none;";
    }
    if (font.Color != 0) {
        const auto value = static_cast<std::uint32_t>(font.Color);
        char color[8];
        std::snprintf(color, sizeof color, "#%02x%02x%02x", value & 0xFFU, (value >> 8) & 0xFFU, (value >> 16) & 0xFFU);
        rule += std::string(" color: ") + color + ";";
    }
    return rule + " }";
}

std::optional<std::string> AskSystemMusic(TRmConfig& work) {
    std::optional<std::string> chosen = ShowFileDialog(
        {FileDialogMode::Open, "选择系统音乐", work.ChooserFolder(work.LastMusicDir), std::string(MusicFileFilter)});
    if (chosen) {
        work.LastMusicDir = chosen->substr(0, chosen->rfind('/') + 1);
    }
    return chosen;
}

std::optional<std::string> SystemMusicProblem(const std::string& path) {
    std::error_code error;
    if (path.empty() || (std::filesystem::exists(path, error) && !std::filesystem::is_directory(path, error))) {
        return std::nullopt;
    }
    return "设置的系统音乐文件：“" + path + "”未找到！";
}

bool AcceptSystemSettings(const TRmConfig& work, const std::vector<std::string>& quickFinishLines,
                          const std::optional<std::vector<std::string>>& shownLines) {
    if (const std::optional<std::string> problem = SystemMusicProblem(work.SysMusicFile)) {
        ShowMessageBox(MessageKind::Information, std::string(ProductName), *problem);
        return false;
    }
    if (shownLines) {
        if (quickFinishLines == *shownLines) {
            return true;
        }
        if (QuickFinishLines(QuickFinishText(LoadQuickFinish(work.QuickFinishFilePath()))) != *shownLines &&
            !IsAffirmative(ShowMessageBox(MessageKind::YesNo, "快速完成",
                                          "快速完成的文本在设置期间已被其他程序修改。要用你在这里的修改替换它吗？"
                                          "选“否”保留文件中的文本。"))) {
            return true;
        }
    }
    SaveQuickFinish(work.QuickFinishFilePath(), quickFinishLines);
    return true;
}

} // namespace chimewell
