#include "exchange/exchange_file.h"

#include "data/file_io.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"
#include "data/text_helpers.h"
#include "platform/message_box.h"
#include "runtime/reminder_actions.h"

#include <cerrno>
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

// What a command does, in words a user can judge.
std::string CommandInWords(const std::string& command) {
    const ParsedCommand parsed = ParseCommand(command);
    switch (parsed.Kind) {
    case CommandKind::ShutDown:
        return "关机";
    case CommandKind::Reboot:
        return "重新启动电脑";
    case CommandKind::StartProgram:
        return "运行程序 " + Shortened(parsed.Argument, ListedArgumentCharacters);
    case CommandKind::OpenTarget:
        return "打开 " + Shortened(parsed.Argument, ListedArgumentCharacters);
    case CommandKind::None:
        break;
    }
    return Shortened(command, ListedArgumentCharacters);
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
    return item;
}

void WriteExchangeItem(TIniFile& ini, const std::string& section, const TExchangeItem& item) {
    for (std::size_t key = 0; key < ExchangeNumberKeys.size(); ++key) {
        ini.WriteInteger(section, ExchangeNumberKeys[key], item.Numbers[key]);
    }
    ini.WriteString(section, "Music", item.Music);
    ini.WriteString(section, "Command", item.Command);
    ini.WriteString(section, "Message", item.Message);
}

std::string ExchangeFileBytes(const TIniFile& dataFile, const std::vector<std::int32_t>& numbers) {
    TIniFile exchange({}, {});
    exchange.WriteInteger(ExchangeHeaderSection, ExchangeCountKey, static_cast<std::int32_t>(numbers.size()));
    exchange.WriteString(ExchangeHeaderSection, ExchangeCommentKey, ExchangeComment);
    for (std::size_t j = 0; j < numbers.size(); ++j) {
        WriteExchangeItem(exchange, ItemSectionName(static_cast<std::int32_t>(j + 1)),
                          ReadExchangeItem(dataFile, ItemSectionName(numbers[j])));
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

TImportFile ReadImportFile(const std::string& importFileName) {
    TImportFile file;
    std::string bytes;
    const FileReadResult result = ReadWholeFile(importFileName, bytes, MaxImportFileBytes);
    const int error = errno;
    if (result != FileReadResult::Read) {
        std::string reason = FileReadFailureText(result, error);
        if (result == FileReadResult::TooLarge) {
            reason += "（超过 " + std::to_string(MaxImportFileBytes / (1024 * 1024)) + " MB）";
        }
        file.Refusal = "无法导入文件“" + importFileName + "”：" + reason + "。";
        return file;
    }
    const TIniFile ini(importFileName, std::move(bytes));
    const std::int32_t count = StoredItemCount(ini, ExchangeHeaderSection, ExchangeCountKey);
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
                " —— " + CommandInWords(item.Command) +
                (runsByItself ? "（提醒时自动执行）" : "（提醒时点「执行命令」才执行）") + "\n";
    }
    if (withCommands.size() > ListedCommandsAtMost) {
        text += "……另有 " + std::to_string(withCommands.size() - ListedCommandsAtMost) + " 条带命令的提醒没有列出。\n";
    }
    text += "\n请只导入你信得过的命令。要导入文件中的全部 " + std::to_string(items.size()) + " 条提醒吗？";
    return text;
}

void AppendToDataFile(const std::string& dataFileName, const std::vector<TExchangeItem>& items) {
    TIniFile dataFile(dataFileName);
    if (dataFile.ReadFailed()) {
        throw std::runtime_error(UnableToWriteMessage(dataFileName) + "\n" + dataFile.ReadFailureText());
    }
    // After the reminders the list holds: a stale count beyond the last section must not leave a gap of
    // phantom reminders before the new ones.
    const std::int32_t existing = StoredItemCount(dataFile);
    if (static_cast<std::size_t>(existing) + items.size() > static_cast<std::size_t>(MaxDataItems)) {
        throw std::runtime_error("导入后提醒将超过 " + std::to_string(MaxDataItems) + " 条，没有导入。");
    }
    const auto total = static_cast<std::int32_t>(static_cast<std::size_t>(existing) + items.size());
    dataFile.WriteInteger(DataMainSection, DataItemsKey, total);
    for (std::size_t k = 0; k < items.size(); ++k) {
        WriteExchangeItem(dataFile, ItemSectionName(existing + static_cast<std::int32_t>(k) + 1), items[k]);
    }
    dataFile.UpdateFile();
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
    // A file from someone else must not arm a shutdown or a program silently.
    if (!ItemsWithCommands(file.Items).empty() &&
        !IsAffirmative(
            ShowMessageBox(MessageKind::Question, "导入命令", CommandQuestionText(importFileName, file.Items)))) {
        return false;
    }
    // The data file is read only now: a reminder that fired while the question was open has been written to it.
    AppendToDataFile(dataFileName, file.Items);
    return true;
}

} // namespace chimewell
