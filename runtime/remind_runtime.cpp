#include "runtime/remind_runtime.h"

#include "calendar/clock.h"
#include "calendar/due.h"
#include "data/text_helpers.h"
#include "runtime/remind_text.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>
#include <utility>

namespace chimewell {

namespace {
bool IsHourlyMethod(std::int32_t method) {
    return method == RemindHourly || method == RemindAtStartupHourly;
}
bool IsStartupMethod(std::int32_t method) {
    return method == RemindAtStartup || method == RemindAtStartupHourly;
}

// Clears the re-entrancy flag however the firing loop ends, an exception from a window included.
class FiringScope {
public:
    explicit FiringScope(bool& flag) : Flag(flag) { Flag = true; }
    ~FiringScope() { Flag = false; }
    FiringScope(const FiringScope&) = delete;
    FiringScope& operator=(const FiringScope&) = delete;

private:
    bool& Flag;
};
} // namespace

std::vector<QueuedReminder> ExactPass(const TRmDataList& list, TDateTime now) {
    std::vector<QueuedReminder> queued;
    const TDueMoment moment(now);
    for (std::int32_t position = 0; position < list.Count; ++position) {
        if (list.Item(position).IsDueNowAt(moment)) {
            queued.push_back({position, QueuePass::Exact});
        }
    }
    return queued;
}

std::vector<QueuedReminder> HourlyPass(const TRmDataList& list, TDateTime now) {
    std::vector<QueuedReminder> queued;
    const TDueMoment moment(now);
    for (std::int32_t position = 0; position < list.Count; ++position) {
        const TRmMainDate& record = list.Item(position);
        if (IsHourlyMethod(record.Method) && record.IsDueTodayAt(moment)) {
            queued.push_back({position, QueuePass::Hourly});
        }
    }
    return queued;
}

std::vector<QueuedReminder> StartupPass(const TRmDataList& list, TDateTime now) {
    std::vector<QueuedReminder> queued;
    const TDueMoment moment(now);
    for (std::int32_t position = 0; position < list.Count; ++position) {
        const TRmMainDate& record = list.Item(position);
        // The date alone counts: start-up reminders fire whether or not their time of day has come.
        if (IsStartupMethod(record.Method) && record.IsDueTodayAt(moment)) {
            queued.push_back({position, QueuePass::Startup});
        }
    }
    return queued;
}

std::vector<QueuedReminder> MinutePasses(const TRmDataList& list, TDateTime now, bool hourChanged) {
    std::vector<QueuedReminder> queued = ExactPass(list, now);
    if (!hourChanged) {
        return queued;
    }
    const std::size_t exact = queued.size();
    for (const QueuedReminder& hourly : HourlyPass(list, now)) {
        // Both lists are in list order, so a binary search finds an exact firing of the same position.
        const auto same = std::lower_bound(
            queued.begin(), queued.begin() + static_cast<std::ptrdiff_t>(exact), hourly.Position,
            [](const QueuedReminder& reminder, std::int32_t position) { return reminder.Position < position; });
        if (same == queued.begin() + static_cast<std::ptrdiff_t>(exact) || same->Position != hourly.Position) {
            queued.push_back(hourly);
        }
    }
    return queued;
}

FiringPlan PlanFiring(const TRmMainDate& record, const TRmConfig& config, TDateTime now) {
    FiringPlan plan;
    RemindPresentation& shown = plan.Presentation;
    const TRemindTextResult text = PrepareRemindText(record.Message, now, config.BeginWithSunday);
    shown.Text = text.Expanded;

    if (!record.Command.empty()) {
        const bool runsByButton =
            StartsWith(record.Command, "c") || StartsWith(record.Command, "o") || StartsWith(record.Command, "u");
        shown.CommandButton = runsByButton ? CommandButtonState::Show : CommandButtonState::Unchanged;
        shown.CommandText = record.Command;
        shown.CommandHint = "命令为:" + record.Command;
        shown.AutoRun = record.AutoExecScript;
    } else {
        shown.CommandButton = CommandButtonState::Hide;
    }

    shown.AutoClose = config.AutoCloseMsgBox;
    if (config.AutoCloseMsgBox) {
        shown.CloseCountdown = config.AutoCloseMsgTime;
        shown.CloseLabel = "本窗口将在" + std::to_string(config.AutoCloseMsgTime) + "秒钟后自动关闭";
    }
    shown.LaterCaption = "推迟提醒(" + std::to_string(config.LaterRemindTime) + ")";
    shown.LaterHint = "推迟提醒:" + std::to_string(config.LaterRemindTime) + "分钟提醒";
    shown.MusicFile = !record.Music.empty() ? record.Music : config.SysMusicFile;

    if (record.Message == SilentReminderMessage) {
        plan.Action = FiringAction::Silent;
    } else {
        plan.Action = text.HasCondition && !text.ConditionHolds ? FiringAction::Skip : FiringAction::Show;
        shown.Text = text.Shown;
    }
    return plan;
}

TRmRuntime::TRmRuntime(TRmDataList& list, const TRmConfig& config, ReminderWindowSeam window)
    : List(list), Config(config), Window(std::move(window)) {}

namespace {
// A clock set back by more than this was wrong before, not the minutes ahead: checking starts afresh.
constexpr std::int64_t LongestClockSetBack = 24 * 60;

std::int64_t MinuteCountOf(TDateTime moment) {
    return static_cast<std::int64_t>(std::floor(moment * 1440.0 + 1e-6));
}
} // namespace

void TRmRuntime::Start(std::optional<TDateTime> lastCheck) {
    LastMinute = 0;
    LastHour = DecodeTime(Now()).Hour;
    MessageQueue.Init();
    SnoozeQueue.Init();
    LastCheckedMinute.reset();
    StartLastCheck = lastCheck;
    HighestCheckedMinute.reset();
    if (lastCheck) {
        HighestCheckedMinute = MinuteCountOf(*lastCheck);
    }
}

std::optional<TDateTime> TRmRuntime::LastChecked() const {
    if (!LastCheckedMinute) {
        return std::nullopt;
    }
    return MinuteOf((static_cast<double>(*LastCheckedMinute) + 0.5) / 1440.0);
}

void TRmRuntime::Resume() {
    if (LastCheckedMinute) {
        LastCheckedMinute = std::max(*LastCheckedMinute, MinuteCountOf(Now()) - 1);
    }
}

void TRmRuntime::QueueMissed(TDateTime lastChecked, TDateTime now) {
    const std::vector<TMissedFiring> missed =
        MissedFirings(List, lastChecked, now, Config.MissedWindowHours, Config.BeginWithSunday);
    Missed.insert(Missed.end(), missed.begin(), missed.end());
}

void TRmRuntime::Push(const std::vector<QueuedReminder>& queued) {
    for (const QueuedReminder& reminder : queued) {
        MessageQueue.Push(reminder.Position);
    }
}

void TRmRuntime::Tick() {
    const TDateTime now = Now();
    const std::int64_t minute = MinuteCountOf(now);
    if (LastCheckedMinute && *LastCheckedMinute == minute) {
        return;
    }
    LastMinute = DecodeTime(now).Minute;
    const std::optional<std::int64_t> previous = LastCheckedMinute;
    LastCheckedMinute = minute;
    if (HighestCheckedMinute && minute <= *HighestCheckedMinute) {
        if (*HighestCheckedMinute - minute <= LongestClockSetBack) {
            // The clock went back over minutes already checked: none of them fires again.
            return;
        }
        HighestCheckedMinute.reset();
    }
    if (previous && minute > *previous + 1) {
        QueueMissed((static_cast<double>(*previous) + 0.5) / 1440.0, now);
    }
    HighestCheckedMinute = minute;

    const bool hourChanged = HourChanged(LastHour);
    std::vector<QueuedReminder> due = MinutePasses(List, now, hourChanged);
    Push(due);
    SnoozeQueue.TickMinute();
    for (std::int32_t position = SnoozeQueue.PopDue(); position != -1; position = SnoozeQueue.PopDue()) {
        // A postponement that ends in the minute its reminder falls due again shows it once.
        const bool queuedAlready = std::any_of(due.begin(), due.end(), [position](const QueuedReminder& reminder) {
            return reminder.Position == position;
        });
        if (!queuedAlready) {
            MessageQueue.Push(position);
            due.push_back({position, QueuePass::Exact});
        }
    }
    FiredSinceKept = FiredSinceKept || !due.empty() || !Missed.empty();
    if ((hourChanged || FiredSinceKept) && KeepLastCheck) {
        FiredSinceKept = false;
        KeepLastCheck(MinuteOf(now));
    }
    DoRemind();
}

void TRmRuntime::RunStartupPass() {
    const std::optional<TDateTime> lastCheck = std::exchange(StartLastCheck, std::nullopt);
    if (List.Count == 0) {
        return;
    }
    const TDateTime now = Now();
    if (lastCheck && MinuteCountOf(*lastCheck) < MinuteCountOf(now)) {
        QueueMissed(*lastCheck, now);
        if (!Missed.empty() && KeepLastCheck) {
            // Kept before they show: a run that ends meanwhile must not show them again at the next start.
            KeepLastCheck(LastCheckedMinute ? *LastChecked() : MinuteOf(now) - 1.0 / 1440.0);
        }
    }
    Push(StartupPass(List, now));
    DoRemind();
}

void TRmRuntime::RecordDeleted(std::int32_t position) {
    SnoozeQueue.RemoveIndex(position);
}

void TRmRuntime::DoRemind() {
    if (Firing) {
        return;
    }
    {
        FiringScope scope(Firing);
        // What was missed is older than what is due now, so it comes first; a tick nested in a window may add
        // to either.
        while (!Missed.empty() && !Ending) {
            std::vector<TMissedReminder> missed;
            for (const TMissedFiring& firing : std::exchange(Missed, {})) {
                if (firing.Position >= 0 && firing.Position < List.Count) {
                    missed.push_back(DescribeMissed(List.Item(firing.Position), firing, Config.BeginWithSunday));
                }
            }
            FireMissed(missed);
        }
        while (MessageQueue.Count > 0 && !Ending) {
            const std::int32_t position = MessageQueue.Pop();
            if (position >= 0 && position < List.Count) {
                Fire(position);
            }
        }
    }
    if (PendingError) {
        std::rethrow_exception(std::exchange(PendingError, nullptr));
    }
}

void TRmRuntime::MarkReminded(std::int32_t position) {
    TRmMainDate& record = List.Item(position);
    if (record.Reminded) {
        return;
    }
    record.Reminded = true;
    // A data file that cannot be written must not cost the user the reminder itself: it still shows, and the
    // failure is reported when the queue has been worked off.
    try {
        List.SaveItem(position);
    } catch (const std::exception&) {
        if (!PendingError) {
            PendingError = std::current_exception();
        }
    }
}

void TRmRuntime::FireMissed(const std::vector<TMissedReminder>& missed) {
    // More than a few at once is a list to read, not a row of windows to close.
    constexpr std::size_t MostWindows = 3;
    if (missed.size() > MostWindows && Window.ShowMissedList) {
        for (const TMissedReminder& one : missed) {
            MarkReminded(one.Position);
        }
        if (Window.SetCloseWindowEnabled) {
            Window.SetCloseWindowEnabled(true);
        }
        Window.ShowMissedList(missed);
        if (Window.SetCloseWindowEnabled) {
            Window.SetCloseWindowEnabled(false);
        }
        return;
    }
    for (const TMissedReminder& one : missed) {
        if (Ending) {
            return;
        }
        const TRmMainDate& record = List.Item(one.Position);
        if (Window.Prepare) {
            Window.Prepare(PresentMissed(one, record, Config));
        }
        MarkReminded(one.Position);
        if (Window.SetCloseWindowEnabled) {
            Window.SetCloseWindowEnabled(true);
        }
        const int laterMinutes = Window.ShowModal ? Window.ShowModal() : LATER_NONE;
        if (Window.SetCloseWindowEnabled) {
            Window.SetCloseWindowEnabled(false);
        }
        // A postponed reminder comes back as itself, command and all: not one whose shutdown or unseen command
        // was held back for being late.
        const bool holdsBackACommand = one.Silent || !one.NotRun.empty();
        if (Ending || holdsBackACommand || laterMinutes == LATER_NONE) {
            continue;
        }
        SnoozeQueue.Push(laterMinutes == LATER_DEFAULT ? Config.LaterRemindTime : laterMinutes, one.Position);
    }
}

void TRmRuntime::Fire(std::int32_t position) {
    const FiringPlan plan = PlanFiring(List.Item(position), Config, Now());
    if (Window.Prepare) {
        Window.Prepare(plan.Presentation);
    }
    MarkReminded(position);

    int laterMinutes = LATER_NONE;
    if (Ending) {
        return;
    }
    switch (plan.Action) {
    case FiringAction::Silent:
        if (Window.RunCommand) {
            Window.RunCommand();
        }
        break;
    case FiringAction::Skip:
        break;
    case FiringAction::Show:
        if (Window.SetCloseWindowEnabled) {
            Window.SetCloseWindowEnabled(true);
        }
        laterMinutes = Window.ShowModal ? Window.ShowModal() : LATER_NONE;
        if (Window.SetCloseWindowEnabled) {
            Window.SetCloseWindowEnabled(false);
        }
        break;
    }

    if (Ending) {
        return;
    }
    if (laterMinutes == LATER_DEFAULT) {
        SnoozeQueue.Push(Config.LaterRemindTime, position);
    } else if (laterMinutes != LATER_NONE) {
        SnoozeQueue.Push(laterMinutes, position);
    }
}

} // namespace chimewell
