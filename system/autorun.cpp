#include "system/autorun.h"

#include "data/constants.h"
#include "data/file_io.h"
#include "platform/autostart_file.h"
#include "platform/message_box.h"

#include <stdexcept>

namespace chimewell {

namespace {

std::string Quoted(std::string_view valueName) {
    return "'" + std::string(valueName) + "'";
}

// Asks the question and, on an affirmative answer, writes the entry and confirms it.
bool OfferToWrite(MessageKind kind, const std::string& title, const std::string& question,
                  const std::string& confirmation, std::string_view valueName, std::string_view executablePath,
                  bool* neverAsk = nullptr) {
    const MessageAnswer answer = ShowMessageBox(kind, title, question);
    if (answer == MessageAnswer::NeverAsk && neverAsk != nullptr) {
        *neverAsk = true;
    }
    if (!IsAffirmative(answer)) {
        return false;
    }
    try {
        WriteAutorun(valueName, executablePath);
    } catch (const std::runtime_error& failure) {
        ShowMessageBox(MessageKind::Error, std::string(ProductName), ShownFailure(failure));
        return false;
    }
    ShowMessageBox(MessageKind::Information, "提示", confirmation);
    return true;
}

} // namespace

std::string ReadAutorun(std::string_view valueName) {
    return ReadAutostartEntry(AutostartEntryPath(valueName));
}

void WriteAutorun(std::string_view valueName, std::string_view executablePath) {
    if (!WriteAutostartEntry(AutostartEntryPath(valueName), ProductName, executablePath, DesktopName)) {
        throw std::runtime_error("Failed to set data for " + Quoted(valueName));
    }
}

void DeleteAutorun(std::string_view valueName) {
    if (!DeleteAutostartEntry(AutostartEntryPath(valueName))) {
        throw std::runtime_error("Failed to delete " + Quoted(valueName));
    }
}

bool CheckAutorun(std::string_view valueName, std::string_view executablePath, bool& neverAsk) {
    const std::string current = ReadAutorun(valueName);
    if (current.empty()) {
        if (neverAsk) {
            return false;
        }
        return OfferToWrite(MessageKind::YesNoNever, "询问",
                            "当前程序未设置开机自动运行，是否设置当前程序开机自动运行？", "已经成功设置开机自动运行！",
                            valueName, executablePath, &neverAsk);
    }
    if (current == executablePath) {
        return true;
    }
    return OfferToWrite(MessageKind::Question, "提示", "自动启动项中开机自动运行未指向本程序，是否更正？",
                        "已经成功更正开机自动运行！", valueName, executablePath);
}

} // namespace chimewell
