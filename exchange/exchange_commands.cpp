#include "exchange/exchange_commands.h"

#include "calendar/clock.h"
#include "data/constants.h"
#include "data/file_io.h"
#include "data/text_helpers.h"
#include "exchange/exchange_file.h"
#include "exchange/ical_file.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/time_zone.h"

#include <stdexcept>
#include <sys/stat.h>

namespace chimewell {

namespace {

void NoReminders() {
    ShowMessageBox(MessageKind::Information, "没有提醒", "当前没有任何提醒！");
}

void FileExists() {
    ShowMessageBox(MessageKind::Information, "导出失败", "所选择的文件已经存在！");
}

// Anything of that name counts, a dangling symbolic link included.
bool NameTaken(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

} // namespace

std::string ExportFileName(const std::string& chosen) {
    return EndsWith(chosen, ".txt") ? chosen : chosen + ".txt";
}

std::string IcsExportFileName(const std::string& chosen) {
    std::string lower = chosen;
    for (char& c : lower) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return EndsWith(lower, ".ics") ? chosen : chosen + ".ics";
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void TExchangeCommands::Export() {
    if (List.Count == 0) {
        NoReminders();
        return;
    }
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(List.Count));
    for (std::int32_t index = 0; index < List.Count; ++index) {
        lines.push_back(List.Item(index).Describe(DescribeOptions::All()));
    }
    const std::optional<TExportChoice> chosen = Hooks.ChooseReminders ? Hooks.ChooseReminders(lines) : std::nullopt;
    if (!chosen || chosen->Numbers.empty()) {
        return;
    }
    const bool calendar = chosen->Format == ExportFormat::ICalendar;
    const std::optional<std::string> picked = ShowFileDialog(
        {FileDialogMode::Save, calendar ? "导出日历" : "导出提醒", Config.ChooserFolder(Config.LastExportDir),
         std::string(calendar ? IcsExportFileFilter : ExportFileFilter)});
    if (!picked || picked->empty()) {
        return;
    }
    const std::string fileName = calendar ? IcsExportFileName(*picked) : ExportFileName(*picked);
    if (NameTaken(fileName)) {
        FileExists();
        return;
    }
    std::string uidsLost;
    std::string leftBehind;
    if (calendar) {
        // A reminder keeps its UID from now on, so that the next export replaces its event elsewhere.
        uidsLost = GiveUids(List, chosen->Numbers);
        TIcsExportOptions options;
        options.From = MinuteOf(Now());
        options.Years = chosen->Years;
        options.LunarRules = chosen->LunarRules;
        options.BeginWithSunday = Config.BeginWithSunday;
        options.TimeZone = LocalTimeZoneName();
        // The file is written from the data file as it is now, UIDs included, so the list is not touched.
        const auto write = [&] { return ExportIcs(List.FileName, fileName, chosen->Numbers, options); };
        if (!(Hooks.WriteCalendar ? Hooks.WriteCalendar(write) : write())) {
            FileExists();
            return;
        }
    } else if (!ExportReminders(List.FileName, fileName, chosen->Numbers, &leftBehind)) {
        FileExists();
        return;
    }
    Config.LastExportDir = DirectoryOf(fileName);
    Config.SaveConfig();
    ShowMessageBox(MessageKind::Information, "导出成功",
                   !calendar ? "选择提醒已经成功导出！" + (leftBehind.empty() ? std::string() : "\n" + leftBehind)
                   : uidsLost.empty()
                       ? std::string("选择提醒已经成功导出为日历文件，其他日历程序和手机可以导入它。")
                       : "选择提醒已经成功导出为日历文件，但提醒的编号没能存入提醒数据文件，以后再导出时别的日历会"
                         "把它们当成新的事件：\n" +
                             uidsLost);
}

void TExchangeCommands::Import() {
    const std::optional<std::string> picked = ShowFileDialog(
        {FileDialogMode::Open, "导入提醒", Config.ChooserFolder(Config.LastImportDir), std::string(ImportFileFilter)});
    if (!picked || picked->empty()) {
        return;
    }
    // A data file the program could not read at start is not written until it has been read.
    if (!List.LoadFailure.empty()) {
        throw std::runtime_error(UnableToWriteMessage(List.FileName) + "\n" + List.LoadFailure);
    }
    std::string summary = "提醒已经成功导入！";
    if (IsICalendarFile(*picked)) {
        const TIcsImportOptions options{MinuteOf(Now()), Config.BeginWithSunday};
        const auto read = [&options, &picked](const std::atomic<bool>& cancel) {
            TIcsImportOptions reading = options;
            reading.Cancel = &cancel;
            return ReadIcsFile(*picked, reading);
        };
        const std::atomic<bool> never{false};
        const TIcsImportFile file = Hooks.ReadCalendar ? Hooks.ReadCalendar(read) : read(never);
        if (!ImportReadCalendar(List.FileName, *picked, file, summary)) {
            return;
        }
    } else if (!ImportReminders(List.FileName, *picked)) {
        return;
    }
    // Read again as any change of the file by another hand is, so that queued reminders keep their places.
    List.ReloadIfChanged();
    if (Hooks.RefreshRecordList) {
        Hooks.RefreshRecordList();
    }
    if (Hooks.DoSearch) {
        Hooks.DoSearch();
    }
    Config.LastImportDir = DirectoryOf(*picked);
    ShowMessageBox(MessageKind::Information, "导入成功", summary);
}

} // namespace chimewell
