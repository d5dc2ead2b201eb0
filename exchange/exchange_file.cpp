#include "exchange/exchange_file.h"

#include "data/data_file.h"
#include "data/file_io.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"
#include "data/text_helpers.h"
#include "platform/message_box.h"
#include "runtime/reminder_actions.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <set>
#include <stdexcept>

namespace chimewell {

namespace {

// A question box must fit on the screen: longer lists are cut, and the rest counted.
constexpr std::size_t ListedCommandsAtMost = 12;
constexpr int ListedMessageCharacters = 30;
constexpr int ListedArgumentCharacters = 100;

std::string Shortened(std::string_view text, int characters) {
    const std::string_view head = FirstCharacters(text, characters);
    return head.size() == text.size() ? std::string(text) : std::string(head) + "…";
}

std::uint32_t CodePointOf(std::string_view character) {
    const auto byte = [character](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(character[i]));
    };
    switch (character.size()) {
    case 2:
        return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3:
        return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    case 4:
        return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
    default:
        return byte(0);
    }
}

// Controls, blanks that look like none, zero-width characters and the marks that turn the direction of text.
bool IsHiddenCharacter(std::uint32_t point) {
    return point < 0x20 || (point >= 0x7F && point <= 0xA0) || (point >= 0x200B && point <= 0x200F) ||
           (point >= 0x2028 && point <= 0x202F) || (point >= 0x2060 && point <= 0x2069) || point == 0xFEFF ||
           (point >= 0xDC80 && point <= 0xDCFF);
}

// A command line as the user must see it to judge it: whole, with what would hide a part of it made visible
// (a run of blanks shown by its length, control, invisible and direction-changing characters by their code),
// wrapped so that a long line fits in the box.
std::string VisibleCommand(std::string_view text) {
    constexpr int LineCharacters = 60;
    std::string out;
    int column = 0;
    const auto put = [&out, &column](std::string_view piece, int width) {
        if (column + width > LineCharacters && column > 0) {
            out += "\n      ";
            column = 0;
        }
        out += piece;
        column += width;
    };
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ' || text[at] == '\t') {
            std::size_t end = at;
            while (end < text.size() && (text[end] == ' ' || text[end] == '\t')) {
                ++end;
            }
            if (end - at == 1 && text[at] == ' ') {
                put(" ", 1);
            } else {
                put("〔" + std::to_string(end - at) + "个空白〕", 6);
            }
            at = end;
            continue;
        }
        const std::size_t length = std::max<std::size_t>(Utf8SequenceLength(text, at), 1);
        const std::string_view character = text.substr(at, length);
        const std::uint32_t point = CodePointOf(character);
        if (IsHiddenCharacter(point)) {
            char code[24];
            std::snprintf(code, sizeof code, "〔U+%04X〕", static_cast<unsigned>(point));
            put(code, 8);
        } else {
            put(character, length > 1 ? 2 : 1);
        }
        at += length;
    }
    return out;
}

// What a command does, in words a user can judge; a command that runs by itself is shown whole.
std::string CommandInWords(const std::string& command, bool whole) {
    const auto shown = [whole](std::string_view text) {
        return VisibleCommand(whole ? text : FirstCharacters(text, ListedArgumentCharacters)) +
               (whole || FirstCharacters(text, ListedArgumentCharacters).size() == text.size() ? "" : "…");
    };
    const ParsedCommand parsed = ParseCommand(command);
    switch (parsed.Kind) {
    case CommandKind::ShutDown:
        return "关机";
    case CommandKind::Reboot:
        return "重新启动电脑";
    case CommandKind::StartProgram:
        return "运行程序 " + shown(parsed.Argument);
    case CommandKind::OpenTarget:
        return "打开 " + shown(parsed.Argument);
    case CommandKind::None:
        break;
    }
    return shown(command);
}

} // namespace

TExchangeItem ReadExchangeItem(const TIniFile& ini, const std::string& section) {
    TExchangeItem item;
    for (std::size_t key = 0; key < ExchangeNumberKeys.size(); ++key) {
        item.Numbers[key] = ini.ReadInteger(section, ExchangeNumberKeys[key], 0);
    }
    item.Music = ini.ReadString(section, "Music", "");
    item.Command = ini.ReadString(section, "Command", "");
    item.Message = ini.ReadString(section, "Message", "");
    item.Uid = ini.ReadString(section, ReminderUidKey, "");
    return item;
}

void WriteExchangeItem(TIniFile& ini, const std::string& section, const TExchangeItem& item) {
    for (std::size_t key = 0; key < ExchangeNumberKeys.size(); ++key) {
        ini.WriteInteger(section, ExchangeNumberKeys[key], item.Numbers[key]);
    }
    ini.WriteString(section, "Music", item.Music);
    ini.WriteString(section, "Command", item.Command);
    ini.WriteString(section, "Message", item.Message);
    if (!item.Uid.empty() || !ini.ReadString(section, ReminderUidKey, "").empty()) {
        ini.WriteString(section, ReminderUidKey, item.Uid);
    }
}

std::string ExchangeFileBytes(const TIniFile& dataFile, const std::vector<std::int32_t>& numbers) {
    TIniFile exchange({}, {});
    exchange.WriteInteger(ExchangeHeaderSection, ExchangeCountKey, static_cast<std::int32_t>(numbers.size()));
    exchange.WriteString(ExchangeHeaderSection, ExchangeCommentKey, ExchangeComment);
    for (std::size_t j = 0; j < numbers.size(); ++j) {
        TExchangeItem item = ReadExchangeItem(dataFile, ItemSectionName(numbers[j]));
        // A copy brought back into the same list is another reminder to other calendars.
        item.Uid.clear();
        WriteExchangeItem(exchange, ItemSectionName(static_cast<std::int32_t>(j + 1)), item);
    }
    return exchange.ToBytes();
}

bool ExportReminders(const std::string& dataFileName, const std::string& exportFileName,
                     const std::vector<std::int32_t>& numbers) {
    const TIniFile dataFile(dataFileName);
    if (dataFile.ReadFailed()) {
        throw std::runtime_error("无法读取提醒数据文件“" + dataFileName + "”：" + dataFile.ReadFailureText() + "。");
    }
    return WriteNewFileAtomically(exportFileName, ExchangeFileBytes(dataFile, numbers));
}

std::string ImportReadRefusal(const std::string& importFileName, FileReadResult result, int error) {
    std::string reason = FileReadFailureText(result, error);
    if (result == FileReadResult::TooLarge) {
        reason += "（超过 " + std::to_string(MaxImportFileBytes / (1024 * 1024)) + " MB）";
    }
    return "无法导入文件“" + importFileName + "”：" + reason + "。";
}

TImportFile ReadImportFile(const std::string& importFileName) {
    TImportFile file;
    std::string bytes;
    const FileReadResult result = ReadWholeFile(importFileName, bytes, MaxImportFileBytes);
    const int error = errno;
    if (result != FileReadResult::Read) {
        file.Refusal = ImportReadRefusal(importFileName, result, error);
        return file;
    }
    const TIniFile ini(importFileName, std::move(bytes));
    // Counted without the list's limit: a file that holds more is refused whole, never imported in part.
    const std::int32_t count = StoredItemCount(ini, ExchangeHeaderSection, ExchangeCountKey, INT32_MAX);
    if (count > MaxDataItems) {
        file.Refusal = "无法导入文件“" + importFileName + "”：其中有 " + std::to_string(count) +
                       " 条提醒，超过了提醒列表最多能有的 " + std::to_string(MaxDataItems) + " 条。没有导入任何提醒。";
        return file;
    }
    file.Items.reserve(static_cast<std::size_t>(count));
    for (std::int32_t k = 1; k <= count; ++k) {
        file.Items.push_back(ReadExchangeItem(ini, ItemSectionName(k)));
    }
    return file;
}

std::vector<std::size_t> ItemsWithCommands(const std::vector<TExchangeItem>& items) {
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!items[i].Command.empty()) {
            positions.push_back(i);
        }
    }
    return positions;
}

std::string CommandQuestionText(const std::string& importFileName, const std::vector<TExchangeItem>& items) {
    const std::vector<std::size_t> withCommands = ItemsWithCommands(items);
    std::string text = "导入文件“" + importFileName + "”中有 " + std::to_string(withCommands.size()) +
                       " 条提醒带有命令，导入后提醒时会执行这些命令：\n\n";
    for (std::size_t listed = 0; listed < withCommands.size() && listed < ListedCommandsAtMost; ++listed) {
        const TExchangeItem& item = items[withCommands[listed]];
        const bool runsByItself = CommandRunsOnShow(item.Command, item.Numbers[ExchangeAutoExecScriptKey] != 0);
        text += std::to_string(withCommands[listed] + 1) + ". " + Shortened(item.Message, ListedMessageCharacters) +
                " —— " + CommandInWords(item.Command, runsByItself) +
                (runsByItself ? "（提醒时自动执行）" : "（提醒时点「执行命令」才执行）") + "\n";
    }
    if (withCommands.size() > ListedCommandsAtMost) {
        text += "……另有 " + std::to_string(withCommands.size() - ListedCommandsAtMost) + " 条带命令的提醒没有列出。\n";
    }
    text += "\n请只导入你信得过的命令。要导入文件中的全部 " + std::to_string(items.size()) + " 条提醒吗？";
    return text;
}

namespace {
void AppendItems(TIniFile& dataFile, const std::vector<TExchangeItem>& items) {
    const std::string& dataFileName = dataFile.FileName();
    if (dataFile.ReadFailed()) {
        throw std::runtime_error(UnableToWriteMessage(dataFileName) + "\n" + dataFile.ReadFailureText());
    }
    if (!LooksLikeDataFile(dataFile)) {
        throw std::runtime_error(UnableToWriteMessage(dataFileName) + "\n它不像提醒数据文件（没有 [Main] 一节）。");
    }
    // After the reminders the list holds: a stale count beyond the last section must not leave a gap of
    // phantom reminders before the new ones.
    const std::int32_t existing = StoredItemCount(dataFile);
    if (static_cast<std::size_t>(existing) + items.size() > static_cast<std::size_t>(MaxDataItems)) {
        throw std::runtime_error("导入后提醒将超过 " + std::to_string(MaxDataItems) + " 条，没有导入。");
    }
    const auto total = static_cast<std::int32_t>(static_cast<std::size_t>(existing) + items.size());
    dataFile.WriteInteger(DataMainSection, DataItemsKey, total);
    std::set<std::string> uids;
    for (std::int32_t k = 1; k <= existing; ++k) {
        uids.insert(dataFile.ReadString(ItemSectionName(k), ReminderUidKey, ""));
    }
    for (std::size_t k = 0; k < items.size(); ++k) {
        TExchangeItem item = items[k];
        if (!item.Uid.empty() && !uids.insert(item.Uid).second) {
            item.Uid.clear();
        }
        WriteExchangeItem(dataFile, ItemSectionName(existing + static_cast<std::int32_t>(k) + 1), item);
    }
}
} // namespace

void AppendToDataFile(const std::string& dataFileName, const std::vector<TExchangeItem>& items) {
    RewriteDataFile(dataFileName, [&items](TIniFile& dataFile) { AppendItems(dataFile, items); });
}

bool ImportReminders(const std::string& dataFileName, const std::string& importFileName) {
    const TImportFile file = ReadImportFile(importFileName);
    if (!file.Refusal.empty()) {
        ShowMessageBox(MessageKind::Information, "导入失败", file.Refusal);
        return false;
    }
    if (file.Items.empty()) {
        ShowMessageBox(MessageKind::Information, "导入失败", "导入文件中没有任何提醒！");
        return false;
    }
    return AskAndAppend(dataFileName, importFileName, file.Items);
}

bool AskAndAppend(const std::string& dataFileName, const std::string& importFileName,
                  const std::vector<TExchangeItem>& items) {
    // A file from someone else must not arm a shutdown or a program silently.
    if (!ItemsWithCommands(items).empty() &&
        !IsAffirmative(ShowMessageBox(MessageKind::Question, "导入命令", CommandQuestionText(importFileName, items)))) {
        return false;
    }
    // The data file is read only now: a reminder that fired while the question was open has been written to it.
    AppendToDataFile(dataFileName, items);
    return true;
}

} // namespace chimewell
