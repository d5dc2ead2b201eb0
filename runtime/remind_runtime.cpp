#include "runtime/remind_runtime.h"

#include "calendar/clock.h"
#include "calendar/due.h"
#include "data/text_helpers.h"
#include "runtime/remind_text.h"

#include <algorithm>
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
    for (std::int32_t position = 0; position < list.Count; ++position) {
        if (list.IsItemDueNowAt(position, now)) {
            queued.push_back({position, QueuePass::Exact});
        }
    }
    return queued;
}

std::vector<QueuedReminder> HourlyPass(const TRmDataList& list, TDateTime now) {
    std::vector<QueuedReminder> queued;
    for (std::int32_t position = 0; position < list.Count; ++position) {
        const TRmMainDate& record = list.Item(position);
        if (IsHourlyMethod(record.Method) && record.IsDueTodayAt(now)) {
            queued.push_back({position, QueuePass::Hourly});
        }
    }
    return queued;
}

std::vector<QueuedReminder> StartupPass(const TRmDataList& list, TDateTime now) {
    std::vector<QueuedReminder> queued;
    for (std::int32_t position = 0; position < list.Count; ++position) {
        const TRmMainDate& record = list.Item(position);
        // The date alone counts: start-up reminders fire whether or not their time of day has come.
        if (IsStartupMethod(record.Method) && record.IsDueTodayAt(now)) {
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

void TRmRuntime::Start() {
    LastMinute = 0;
    LastHour = DecodeTime(Now()).Hour;
    MessageQueue.Init();
    SnoozeQueue.Init();
}

void TRmRuntime::Push(const std::vector<QueuedReminder>& queued) {
    for (const QueuedReminder& reminder : queued) {
        MessageQueue.Push(reminder.Position);
    }
}

void TRmRuntime::Tick() {
    if (!MinuteChanged(LastMinute)) {
        return;
    }
    const TDateTime now = Now();
    std::vector<QueuedReminder> due = MinutePasses(List, now, HourChanged(LastHour));
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
    DoRemind();
}

void TRmRuntime::RunStartupPass() {
    if (List.Count == 0) {
        return;
    }
    Push(StartupPass(List, Now()));
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

void TRmRuntime::Fire(std::int32_t position) {
    const FiringPlan plan = PlanFiring(List.Item(position), Config, Now());
    if (Window.Prepare) {
        Window.Prepare(plan.Presentation);
    }
    TRmMainDate& record = List.Item(position);
    if (!record.Reminded) {
        record.Reminded = true;
        // A data file that cannot be written must not cost the user the reminder itself: it still shows,
        // and the failure is reported when the queue has been worked off.
        try {
            List.SaveItem(position);
        } catch (const std::exception&) {
            if (!PendingError) {
                PendingError = std::current_exception();
            }
        }
    }

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
