#include "exchange/exchange_file.h"

#include "data/data_file.h"
#include "data/file_io.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"
#include "data/reminder_schedule.h"
#include "data/text_helpers.h"
#include "platform/message_box.h"
#include "runtime/reminder_actions.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <set>
#include <stdexcept>

namespace chimewell {

namespace {

constexpr int ListedMessageCharacters = 30;

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

struct CodeRange {
    std::uint32_t First;
    std::uint32_t Last;
};

// The characters that show as nothing, or as a blank that is not one, and the combining marks, by the Unicode
// categories (see tools/unicode_ranges).
#include "exchange/unicode_ranges.inc"

template <std::size_t N>
bool InRanges(const CodeRange (&ranges)[N], std::uint32_t point) {
    const CodeRange* after = std::upper_bound(std::begin(ranges), std::end(ranges), point,
                                              [](std::uint32_t p, const CodeRange& range) { return p < range.First; });
    return after != std::begin(ranges) && point <= (after - 1)->Last;
}

bool IsHiddenCharacter(std::uint32_t point) {
    return InRanges(HiddenCharacters, point);
}

// A combining mark at the start of a text joins what stands before it on the screen, the quotes or the number.
bool IsCombiningMark(std::uint32_t point) {
    return InRanges(CombiningMarks, point);
}

} // namespace

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
        if (IsHiddenCharacter(point) || (at == 0 && IsCombiningMark(point))) {
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

namespace {

// What a command does, in words a user can judge, whole.
std::string CommandInWords(const std::string& command) {
    const auto shown = [](std::string_view text) { return VisibleCommand(text); };
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
    // The keys after the 15 are read as the list reads them; a section without them (every exchange file) has none.
    const TRmMainDate record = ReadReminder(ini, section);
    item.Schedule = {record.Warnings,  record.Every,   record.EveryCount,
                     record.StartDate, record.EndDate, record.EndCount};
    return item;
}

namespace {

// A key after the 15 goes where it says something, or where the section had it, so that none is left behind.
void WriteKeyAfterFifteen(TIniFile& ini, const std::string& section, const char* key, const std::string& value) {
    if (!value.empty() || !ini.ReadString(section, key, "").empty()) {
        ini.WriteString(section, key, value);
    }
}

} // namespace

void WriteExchangeItem(TIniFile& ini, const std::string& section, const TExchangeItem& item) {
    for (std::size_t key = 0; key < ExchangeNumberKeys.size(); ++key) {
        ini.WriteInteger(section, ExchangeNumberKeys[key], item.Numbers[key]);
    }
    ini.WriteString(section, "Music", item.Music);
    ini.WriteString(section, "Command", item.Command);
    ini.WriteString(section, "Message", item.Message);
    const TRmSchedule& schedule = item.Schedule;
    WriteKeyAfterFifteen(ini, section, ReminderUidKey, item.Uid);
    WriteKeyAfterFifteen(ini, section, ReminderWarningsKey, FormatWarnings(schedule.Warnings));
    WriteKeyAfterFifteen(ini, section, ReminderIntervalKey, FormatInterval(schedule.Every, schedule.EveryCount));
    WriteKeyAfterFifteen(ini, section, ReminderStartDateKey, FormatStoredDate(schedule.StartDate));
    WriteKeyAfterFifteen(ini, section, ReminderEndDateKey, FormatStoredDate(schedule.EndDate));
    WriteKeyAfterFifteen(ini, section, ReminderEndCountKey,
                         schedule.EndCount > 0 ? std::to_string(schedule.EndCount) : std::string());
}

namespace {

std::string ExchangeBytes(const TIniFile& dataFile, const std::vector<std::int32_t>& numbers, bool& leftBehind) {
    TIniFile exchange({}, {});
    exchange.WriteInteger(ExchangeHeaderSection, ExchangeCountKey, static_cast<std::int32_t>(numbers.size()));
    exchange.WriteString(ExchangeHeaderSection, ExchangeCommentKey, ExchangeComment);
    for (std::size_t j = 0; j < numbers.size(); ++j) {
        TExchangeItem item = ReadExchangeItem(dataFile, ItemSectionName(numbers[j]));
        // A copy brought back into the same list is another reminder to other calendars.
        item.Uid.clear();
        // The format has the 15 keys only, as every copy of the program that reads it expects.
        leftBehind = leftBehind || item.Schedule.HasSchedule();
        item.Schedule = {};
        WriteExchangeItem(exchange, ItemSectionName(static_cast<std::int32_t>(j + 1)), item);
    }
    return exchange.ToBytes();
}

} // namespace

std::string ExchangeFileBytes(const TIniFile& dataFile, const std::vector<std::int32_t>& numbers) {
    bool leftBehind = false;
    return ExchangeBytes(dataFile, numbers, leftBehind);
}

bool ExportReminders(const std::string& dataFileName, const std::string& exportFileName,
                     const std::vector<std::int32_t>& numbers, std::string* notice) {
    const TIniFile dataFile(dataFileName);
    if (dataFile.ReadFailed()) {
        throw std::runtime_error("无法读取提醒数据文件“" + dataFileName + "”：" + dataFile.ReadFailureText() + "。");
    }
    bool leftBehind = false;
    const std::string bytes = ExchangeBytes(dataFile, numbers, leftBehind);
    if (notice != nullptr) {
        *notice = leftBehind ? ScheduleLeftBehindNotice : "";
    }
    return WriteNewFileAtomically(exportFileName, bytes);
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
    std::vector<std::size_t> byItself;
    std::vector<std::size_t> onClick;
    for (const std::size_t at : withCommands) {
        const TExchangeItem& item = items[at];
        (CommandRunsOnShow(item.Command, item.Numbers[ExchangeAutoExecScriptKey] != 0) ? byItself : onClick)
            .push_back(at);
    }
    std::string text =
        "导入文件“" + importFileName + "”中有 " + std::to_string(withCommands.size()) + " 条提醒带有命令" +
        (byItself.empty() ? std::string("，都要在提醒时点「执行命令」才执行。")
                          : "，其中 " + std::to_string(byItself.size()) + " 条到时不经你同意就会自动执行！") +
        "请只导入你信得过的命令。要导入文件中的全部 " + std::to_string(items.size()) + " 条提醒吗？\n\n";
    // Every command whole: those that run by themselves first, then those that wait for the button.
    const auto list = [&](const std::vector<std::size_t>& positions, const std::string& heading) {
        if (positions.empty()) {
            return;
        }
        text += heading + "\n";
        for (const std::size_t at : positions) {
            const TExchangeItem& item = items[at];
            text += std::to_string(at + 1) + ". " + Shortened(VisibleCommand(item.Message), ListedMessageCharacters) +
                    " —— " + CommandInWords(item.Command) + "\n";
        }
        text += "\n";
    };
    list(byItself, "到时自动执行：");
    list(onClick, "提醒时点「执行命令」才执行：");
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
        !IsAffirmative(ShowMessageBox(MessageKind::Caution, "导入命令", CommandQuestionText(importFileName, items)))) {
        return false;
    }
    // The data file is read only now: a reminder that fired while the question was open has been written to it.
    AppendToDataFile(dataFileName, items);
    return true;
}

} // namespace chimewell
