#include "runtime/reminder_actions.h"

#include "data/text_helpers.h"
#include "platform/desktop_actions.h"
#include "platform/message_box.h"

namespace chimewell {

ParsedCommand ParseCommand(std::string_view commandText) {
    ParsedCommand parsed;
    if (commandText.empty()) {
        return parsed;
    }
    parsed.Argument = TailFrom(commandText, 2);
    if (StartsWith(commandText, "s")) {
        if (parsed.Argument == "ShutDown") {
            parsed.Kind = CommandKind::ShutDown;
        } else if (parsed.Argument == "Reboot") {
            parsed.Kind = CommandKind::Reboot;
        }
    } else if (StartsWith(commandText, "c")) {
        parsed.Kind = CommandKind::StartProgram;
    } else if (StartsWith(commandText, "o") || StartsWith(commandText, "u")) {
        parsed.Kind = CommandKind::OpenTarget;
    }
    return parsed;
}

bool CommandRunsOnShow(std::string_view commandText, bool autoRun) {
    return !commandText.empty() && (autoRun || StartsWith(commandText, "s"));
}

void RunReminderCommand(std::string_view commandText, const ShutDownCountdownRunner& runCountdown) {
    const ParsedCommand command = ParseCommand(commandText);
    switch (command.Kind) {
    case CommandKind::ShutDown:
        runCountdown(ShutDownOperation::ShutDown);
        break;
    case CommandKind::Reboot:
        runCountdown(ShutDownOperation::Reboot);
        break;
    case CommandKind::StartProgram:
        if (!command.Argument.empty()) {
            InstalledDesktopActions().StartProgram(command.Argument);
        }
        break;
    case CommandKind::OpenTarget:
        // An empty target would make the desktop open its current folder, which nobody asked for.
        if (!command.Argument.empty()) {
            InstalledDesktopActions().OpenTarget(command.Argument);
        }
        break;
    case CommandKind::None:
        break;
    }
}

void ShutDownCountdown::Start() {
    Running = Position < Length;
}

void ShutDownCountdown::Tick() {
    // A timer event already queued when the countdown stopped must not count, let alone power off twice.
    if (!Running) {
        return;
    }
    ++Position;
    if (Position < Length) {
        return;
    }
    Running = false;
    const DesktopActions& actions = InstalledDesktopActions();
    if (Operation == ShutDownOperation::ShutDown) {
        actions.PowerOff();
    } else {
        actions.Reboot();
    }
}

bool ShutDownCountdown::Cancel() {
    Running = false;
    const MessageAnswer answer = ShowMessageBox(MessageKind::Question, "取消操作", "要取消晴铃提醒自动关机/重启吗？");
    if (IsAffirmative(answer)) {
        return true;
    }
    // Once the power request has gone out there is nothing left to resume.
    Start();
    return false;
}

std::string ShutDownCountdownCaption(ShutDownOperation operation) {
    return operation == ShutDownOperation::Reboot ? "自动重启" : "自动关机";
}

std::string ShutDownCountdownHeadline(ShutDownOperation operation) {
    return operation == ShutDownOperation::Reboot ? "晴铃提醒正在进行自动重启......" : "晴铃提醒正在进行自动关机......";
}

std::string CloseCountdownText(int seconds) {
    return "本窗口将在" + std::to_string(seconds) + "秒钟后自动关闭";
}

bool CloseCountdownTick(int& secondsLeft) {
    if (secondsLeft > 0) {
        --secondsLeft;
        return false;
    }
    return true;
}

} // namespace chimewell
