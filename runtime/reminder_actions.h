#pragma once
// What a fired reminder does besides showing its text: the command it carries, the countdown that precedes
// an automatic shutdown or restart, and the choices and countdown of the reminder window. Plain logic; the
// Qt windows only show it.
//
// A command is empty (none) or a kind letter followed by its argument, taken unchanged from the second
// character on: "sShutDown", "sReboot", "c" + command line, "o" + file path, "u" + address.

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace chimewell {

enum class ShutDownOperation { ShutDown, Reboot };

enum class CommandKind {
    None,         // empty, an unknown kind letter, or "s" with any other word
    ShutDown,     // "sShutDown"
    Reboot,       // "sReboot"
    StartProgram, // "c"
    OpenTarget,   // "o" and "u": the desktop opens files and addresses alike
};

struct ParsedCommand {
    CommandKind Kind = CommandKind::None;
    std::string Argument; // from the second character on; empty for a lone kind letter
};

// Kind letters and the words after "s" are compared case-sensitively.
ParsedCommand ParseCommand(std::string_view commandText);

// Whether the reminder window runs the command as soon as it shows: a shutdown or restart always does,
// anything else only when the reminder asks for it.
bool CommandRunsOnShow(std::string_view commandText, bool autoRun);

// Shows the shutdown or restart countdown modally and returns when it has closed.
using ShutDownCountdownRunner = std::function<void(ShutDownOperation)>;

// Runs a reminder's command through the installed desktop actions. Outcomes are not reported: a program
// that does not start or a target that does not open is simply not there. An empty argument runs nothing.
void RunReminderCommand(std::string_view commandText, const ShutDownCountdownRunner& runCountdown);

// The countdown before an automatic shutdown or restart: one step a second, the power request at the end.
struct ShutDownCountdown {
    static constexpr int Length = 60; // seconds

    ShutDownOperation Operation = ShutDownOperation::ShutDown;
    int Position = 0; // [0, Length], seconds counted so far
    bool Running = false;

    void Start();
    // One second. At Length the countdown stops and asks the installed actions to power off or restart;
    // a refused request leaves it stopped at the end, and nothing asks again.
    void Tick();
    // The user asks to cancel: the countdown halts while the question is open. True when the answer is OK
    // and the window should close; otherwise the countdown goes on from where it stood.
    bool Cancel();
    // The window closed without the question.
    void Stop() { Running = false; }
};

// The countdown window's caption and its headline for an operation.
std::string ShutDownCountdownCaption(ShutDownOperation operation);
std::string ShutDownCountdownHeadline(ShutDownOperation operation);

// The fixed delays of the reminder window's postponement menu, in menu order.
struct LaterMenuItem {
    std::string_view Name;
    std::string_view Caption;
    int Minutes;
};

inline constexpr std::array<LaterMenuItem, 13> LaterMenuItems{{
    {"N111", "推迟1分钟[&1]", 1},
    {"N221", "推迟2分钟[&2]", 2},
    {"N351", "推迟5分钟[&3]", 5},
    {"N4101", "推迟10分钟[&4]", 10},
    {"N5251", "推迟15分钟[&5]", 15},
    {"N601", "推迟20分钟[&6]", 20},
    {"N7251", "推迟25分钟[&7]", 25},
    {"N8301", "推迟30分钟[&8]", 30},
    {"N9401", "推迟40分钟[&9]", 40},
    {"N0501", "推迟50分钟[&0]", 50},
    {"A601", "推迟60分钟[&A]", 60},
    {"B901", "推迟90分钟[&B]", 90},
    {"C1", "推迟120分钟[&C]", 120},
}};

// The reminder window's countdown label for a number of seconds left.
std::string CloseCountdownText(int seconds);

// One second of the reminder window's auto-close countdown. While seconds are left it counts one down and
// returns false (the label then shows the new number); once none are left it returns true: close now.
bool CloseCountdownTick(int& secondsLeft);

} // namespace chimewell
