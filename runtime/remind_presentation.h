#pragma once
// What the firing routine hands the one reminder window for each reminder, and the window's side of the
// conversation. The pure firing code fills a RemindPresentation; the Qt window applies it and shows itself.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace chimewell {

// Postponement chosen in the reminder window.
inline constexpr int LATER_NONE = -1;
inline constexpr int LATER_DEFAULT = -2;
// "全部关闭": this reminder and every one waiting behind it are closed together, after one list of them all.
inline constexpr int LATER_CLOSE_ALL = -3;

// The command button keeps the previous reminder's state for commands of kinds it does not run by button.
enum class CommandButtonState { Show, Hide, Unchanged };

struct RemindPresentation {
    std::string Text; // expanded message, week condition stripped when it holds
    CommandButtonState CommandButton = CommandButtonState::Unchanged;
    std::string CommandText;  // the record's Command; empty for none
    bool AutoRun = false;     // the record's AutoExecScript
    std::string CommandHint;  // "命令为:..." or empty (hint off)
    bool AutoClose = false;   // show the countdown label and start the countdown
    int CloseCountdown = 0;   // seconds
    std::string CloseLabel;   // "本窗口将在N秒钟后自动关闭"
    std::string LaterCaption; // "推迟提醒(N)"
    int LaterMinutes = 0;     // N, the default postponement
    std::string LaterHint;    // "推迟提醒:N分钟提醒"
    std::string MusicFile;    // full path, or empty for none
};

// A reminder caught up after its minute had passed unchecked (the machine slept, the program was not running):
// its text expanded at its own minute, the command a button may still run, and what was held back.
struct TMissedReminder {
    double Minute = 0; // the minute it was meant for (a TDateTime)
    std::int32_t Position = 0;
    std::string Text;      // expanded at Minute, condition stripped
    std::string Command;   // runnable by the button: "c…", "o…", "u…"; empty for none
    std::string NotRun;    // "自动关机未执行" and the like; empty when nothing was held back
    bool Silent = false;   // a reminder meant to run its command without a window
    std::int32_t Lead = 0; // a warning: the minutes ahead of the time it warns of
};

// The reminder window as the firing routine sees it. Prepare is called for every fired reminder, shown or not;
// ShowModal returns when the window closes, with its LaterMinutes; RunCommand runs the prepared command without
// showing the window; SetCloseWindowEnabled switches the tray item that closes the window. ShowMissedList shows
// many caught-up reminders in one window and returns when it closes. SetWaiting tells, before each window, how
// many reminders wait behind it (the window offers "全部关闭" while any do); ShowWaitingList shows those the
// user closed all at once as one list, so that none goes unseen.
struct ReminderWindowSeam {
    std::function<void(const RemindPresentation&)> Prepare;
    std::function<int()> ShowModal;
    std::function<void()> RunCommand;
    std::function<void(bool)> SetCloseWindowEnabled;
    std::function<void(const std::vector<TMissedReminder>&)> ShowMissedList;
    std::function<void(std::int32_t)> SetWaiting;
    std::function<void(const std::vector<TMissedReminder>&)> ShowWaitingList;
};

} // namespace chimewell
