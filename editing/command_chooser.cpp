#include "editing/command_chooser.h"

#include "data/text_helpers.h"
#include "platform/message_box.h"

namespace chimewell {

namespace {

struct OpenKind {
    char Letter;
    std::string_view Caption;
    std::string_view HintPrefix;
};

constexpr OpenKind ProgramKind{'c', "打开程序", "打开程序:"};
constexpr OpenKind FileKind{'o', "打开文件", "打开文件:"};
constexpr OpenKind AddressKind{'u', "打开网址", "打开网址:"};

TCommandDisplay ShutDownDisplay() {
    return {"自动关机", "自动关闭计算机", false};
}

TCommandDisplay RebootDisplay() {
    return {"自动重启", "自动重新启动计算机", false};
}

TCommandDisplay OpenDisplay(const OpenKind& kind, std::string_view argument) {
    return {std::string(kind.Caption), std::string(kind.HintPrefix) + std::string(argument), true};
}

const OpenKind* OpenKindOf(CommandChoice choice) {
    switch (choice) {
    case CommandChoice::Program:
        return &ProgramKind;
    case CommandChoice::File:
        return &FileKind;
    case CommandChoice::Address:
        return &AddressKind;
    default:
        return nullptr;
    }
}

} // namespace

TCommandDisplay CommandDisplayFor(std::string_view command) {
    if (command == "sShutDown") {
        return ShutDownDisplay();
    }
    if (command == "sReboot") {
        return RebootDisplay();
    }
    for (const OpenKind* kind : {&ProgramKind, &FileKind, &AddressKind}) {
        if (!command.empty() && command.front() == kind->Letter) {
            return OpenDisplay(*kind, command.substr(1));
        }
    }
    return {};
}

std::string_view AutoRunCaption(bool autoExec) {
    return autoExec ? "是" : "否";
}

bool ChooseCommand(TRmMainDate& record, TCommandDisplay& display, CommandChoice choice, bool startupMethod,
                   const std::string& argument) {
    switch (choice) {
    case CommandChoice::None:
        record.Command.clear();
        record.AutoExecScript = false;
        display = {};
        return true;
    case CommandChoice::ShutDown:
    case CommandChoice::Reboot: {
        const bool shutDown = choice == CommandChoice::ShutDown;
        if (startupMethod) {
            ShowMessageBox(MessageKind::Information, "设置失败",
                           shutDown ? "开机提醒不能设置为自动关机！" : "开机提醒不能设置为自动重启！");
            return false;
        }
        record.Command = shutDown ? "sShutDown" : "sReboot";
        // Once the toggle is locked by the other power command, AutoExecScript is already set.
        if (display.AutoRunEnabled) {
            record.AutoExecScript = true;
        }
        display = shutDown ? ShutDownDisplay() : RebootDisplay();
        return true;
    }
    case CommandChoice::Program:
    case CommandChoice::File:
    case CommandChoice::Address: {
        const OpenKind& kind = *OpenKindOf(choice);
        record.Command = std::string(1, kind.Letter) + argument;
        // Leaving a power command: auto-run was forced on for it, not chosen by the user.
        if (!display.AutoRunEnabled) {
            record.AutoExecScript = false;
        }
        display = OpenDisplay(kind, argument);
        return true;
    }
    }
    return false;
}

std::string AddressDialogStartText(std::string_view command) {
    if (StartsWith(command, "u")) {
        return std::string(command.substr(1));
    }
    return "http://";
}

bool AcceptAddress(std::string_view text) {
    if (text.empty() || text == "http://") {
        ShowMessageBox(MessageKind::Information, "URL错误", "没有输入URL地址！");
        return false;
    }
    return true;
}

} // namespace chimewell
