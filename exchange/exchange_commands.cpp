#include "exchange/exchange_commands.h"

#include "data/constants.h"
#include "data/file_io.h"
#include "data/text_helpers.h"
#include "exchange/exchange_file.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"

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
    const std::optional<std::vector<std::int32_t>> chosen =
        Hooks.ChooseReminders ? Hooks.ChooseReminders(lines) : std::nullopt;
    if (!chosen || chosen->empty()) {
        return;
    }
    const std::optional<std::string> picked =
        ShowFileDialog({FileDialogMode::Save, "导出提醒", Config.LastExportDir, std::string(ExportFileFilter)});
    if (!picked || picked->empty()) {
        return;
    }
    const std::string fileName = ExportFileName(*picked);
    if (NameTaken(fileName) || !ExportReminders(List.FileName, fileName, *chosen)) {
        FileExists();
        return;
    }
    Config.LastExportDir = DirectoryOf(fileName);
    Config.SaveConfig();
    ShowMessageBox(MessageKind::Information, "导出成功", "选择提醒已经成功导出！");
}

void TExchangeCommands::Import() {
    const std::optional<std::string> picked =
        ShowFileDialog({FileDialogMode::Open, "导入提醒", Config.LastImportDir, std::string(ImportFileFilter)});
    if (!picked || picked->empty()) {
        return;
    }
    // A data file the program could not read at start is not written until it has been read.
    if (!List.LoadFailure.empty()) {
        throw std::runtime_error(UnableToWriteMessage(List.FileName) + "\n" + List.LoadFailure);
    }
    if (!ImportReminders(List.FileName, *picked)) {
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
    ShowMessageBox(MessageKind::Information, "导入成功", "提醒已经成功导入！");
}

} // namespace chimewell
