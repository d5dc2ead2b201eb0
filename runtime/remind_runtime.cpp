#include "runtime/remind_runtime.h"

#include "calendar/clock.h"
#include "calendar/due.h"
#include "data/reminder_schedule.h"
#include "data/text_helpers.h"
#include "runtime/next_firing.h"
#include "runtime/remind_text.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <string>
#include <utility>

namespace chimewell {

namespace {
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

std::vector<QueuedReminder> ExactPass(const TRmDataList& list, TDateTime now, bool beginWithSunday) {
    std::vector<QueuedReminder> queued;
    const TDueMoment moment(now);
    for (std::int32_t position = 0; position < list.Count; ++position) {
        const TRmMainDate& record = list.Item(position);
        if (!record.HasSchedule()) {
            if (record.IsDueNowAt(moment)) {
                queued.push_back({position, QueuePass::Exact});
            }
        } else if (const std::optional<std::int32_t> lead = FiringLeadAt(record, now, beginWithSunday)) {
            queued.push_back({position, QueuePass::Exact, *lead});
        }
    }
    return queued;
}

namespace {
bool DueOnDay(const TRmMainDate& record, const TDueMoment& moment) {
    return record.IsDueTodayAt(moment) && ScheduleTakesDay(record, SerialDay(moment.Date));
}
} // namespace

std::vector<QueuedReminder> HourlyPass(const TRmDataList& list, TDateTime now) {
    std::vector<QueuedReminder> queued;
    const TDueMoment moment(now);
    for (std::int32_t position = 0; position < list.Count; ++position) {
        const TRmMainDate& record = list.Item(position);
        if (IsHourlyMethod(record.Method) && DueOnDay(record, moment)) {
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
        if (IsStartupMethod(record.Method) && DueOnDay(record, moment)) {
            queued.push_back({position, QueuePass::Startup});
        }
    }
    return queued;
}

std::vector<QueuedReminder> MinutePasses(const TRmDataList& list, TDateTime now, bool hourChanged,
                                         bool beginWithSunday) {
    std::vector<QueuedReminder> queued = ExactPass(list, now, beginWithSunday);
    if (!hourChanged) {
        return queued;
    }
    const std::size_t exact = queued.size();
    for (const QueuedReminder& hourly : HourlyPass(list, now)) {
        // Both lists are in list order, so a binary search finds an exact firing of the same position.
        const auto same = std::lower_bound(
            queued.begin(), queued.begin() + static_cast<std::ptrdiff_t>(exact), hourly.Position,
            [](const QueuedReminder& reminder, std::int32_t position) { return reminder.Position < position; });
        if (same == queued.begin() + static_cast<std::ptrdiff_t>(exact) || same->Position != hourly.Position ||
            same->Lead != 0) {
            queued.push_back(hourly);
        }
    }
    return queued;
}

FiringPlan PlanFiring(const TRmMainDate& record, const TRmConfig& config, TDateTime now, std::int32_t lead) {
    FiringPlan plan;
    RemindPresentation& shown = plan.Presentation;
    // A warning's text is the reminder's at the time it warns of.
    const TDateTime at = lead > 0 ? now + lead / 1440.0 : now;
    const TRemindTextResult text = PrepareRemindText(record.Message, at, config.BeginWithSunday);
    shown.Text = text.Expanded;

    if (lead != 0) {
        // A warning runs nothing: the command belongs to the time itself.
        shown.CommandButton = CommandButtonState::Hide;
    } else if (!record.Command.empty()) {
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
    shown.LaterMinutes = config.LaterRemindTime;
    shown.LaterHint = "推迟提醒:" + std::to_string(config.LaterRemindTime) + "分钟提醒";
    shown.MusicFile = !record.Music.empty() ? record.Music : config.SysMusicFile;

    if (lead != 0) {
        // A reminder without a window is not warned of either.
        plan.Action = record.Message == SilentReminderMessage || (text.HasCondition && !text.ConditionHolds)
                          ? FiringAction::Skip
                          : FiringAction::Show;
        shown.Text = WarningText(text.Shown, lead, at);
    } else if (record.Message == SilentReminderMessage) {
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

TDateTime InsideMinute(std::int64_t count) {
    return (static_cast<double>(count) + 0.5) / 1440.0;
}

std::int32_t Moved(const TPositionMap& map, std::int32_t position) {
    return position >= 0 && static_cast<std::size_t>(position) < map.size() ? map[static_cast<std::size_t>(position)]
                                                                            : -1;
}
} // namespace

void TCheckedMinutes::Add(std::int64_t first, std::int64_t last) {
    if (first > last) {
        return;
    }
    // Ranges that overlap or touch the new one merge with it.
    auto from = std::lower_bound(Ranges.begin(), Ranges.end(), first,
                                 [](const auto& range, std::int64_t minute) { return range.second + 1 < minute; });
    auto to = from;
    while (to != Ranges.end() && to->first <= last + 1) {
        first = std::min(first, to->first);
        last = std::max(last, to->second);
        ++to;
    }
    from = Ranges.erase(from, to);
    Ranges.insert(from, {first, last});
}

bool TCheckedMinutes::Contains(std::int64_t minute) const {
    const auto range = std::lower_bound(Ranges.begin(), Ranges.end(), minute,
                                        [](const auto& r, std::int64_t m) { return r.second < m; });
    return range != Ranges.end() && range->first <= minute;
}

std::vector<std::pair<std::int64_t, std::int64_t>> TCheckedMinutes::Unchecked(std::int64_t first,
                                                                              std::int64_t last) const {
    std::vector<std::pair<std::int64_t, std::int64_t>> parts;
    for (const auto& [from, to] : Ranges) {
        if (first > last) {
            break;
        }
        if (to < first) {
            continue;
        }
        if (from > last) {
            break;
        }
        if (from > first) {
            parts.emplace_back(first, from - 1);
        }
        first = to + 1;
    }
    if (first <= last) {
        parts.emplace_back(first, last);
    }
    return parts;
}

void TRmRuntime::Start(std::optional<TDateTime> lastCheck) {
    LastMinute = 0;
    LastHour = DecodeTime(Now()).Hour;
    MessageQueue.Init();
    SnoozeQueue.Init();
    LastCheckedMinute.reset();
    StartLastCheck = lastCheck;
    Checked.Clear();
    Missed.clear();
    MissedBatch.clear();
    SnoozesWaiting.clear();
    FiringPosition = -1;
}

std::optional<TDateTime> TRmRuntime::LastChecked() const {
    if (!LastCheckedMinute) {
        return std::nullopt;
    }
    std::int64_t through = *LastCheckedMinute;
    const auto waiting = [&through](std::int64_t minute) { through = std::min(through, minute - 1); };
    for (std::int32_t slot = 0; slot < MessageQueue.Count; ++slot) {
        waiting(MessageQueue.Minutes[static_cast<std::size_t>(slot)]);
    }
    if (FiringPosition >= 0) {
        waiting(FiringMinute);
    }
    for (const TMissedFiring& missed : Missed) {
        waiting(MinuteCountOf(missed.Minute));
    }
    for (const TMissedReminder& missed : MissedBatch) {
        if (missed.Position >= 0) {
            waiting(MinuteCountOf(missed.Minute));
        }
    }
    return MinuteOf(InsideMinute(through));
}

void TRmRuntime::KeepSafeLastCheck() {
    const std::optional<TDateTime> checked = LastChecked();
    if (checked) {
        // What was shown at minutes that count as checked now needs no keeping.
        const std::int64_t safe = MinuteCountOf(*checked);
        std::erase_if(ShownAt, [safe](const auto& entry) { return entry.first <= safe; });
    }
    if (KeepLastCheck && checked) {
        KeepLastCheck(*checked);
    }
}

void TRmRuntime::Resume() {
    if (LastCheckedMinute) {
        LastCheckedMinute = std::max(*LastCheckedMinute, MinuteCountOf(Now()) - 1);
    }
}

void TRmRuntime::QueueMissed(TDateTime lastChecked, TDateTime now) {
    std::vector<TMissedFiring> missed =
        MissedFirings(List, lastChecked, now, Config.MissedWindowHours, Config.BeginWithSunday);
    KeepNew(missed);
    Missed.insert(Missed.end(), missed.begin(), missed.end());
}

std::size_t TRmRuntime::TimesQueued(std::int64_t minute, std::size_t reminder) const {
    const auto found = QueuedAt.find(minute);
    return found == QueuedAt.end()
               ? 0
               : static_cast<std::size_t>(std::count(found->second.begin(), found->second.end(), reminder));
}

void TRmRuntime::KeepNew(std::vector<QueuedReminder>& due, std::int64_t minute) {
    // Counted, not only looked up: two equal reminders (a copy not edited yet) are two firings.
    std::map<std::size_t, std::size_t> now;
    std::vector<std::size_t> kept;
    std::erase_if(due, [&](const QueuedReminder& queued) {
        if (queued.Position < 0 || queued.Position >= List.Count) {
            return true;
        }
        const std::size_t reminder = ReminderContentHash(List.Item(queued.Position));
        if (++now[reminder] <= TimesQueued(minute, reminder)) {
            return true;
        }
        kept.push_back(reminder);
        return false;
    });
    QueuedAt[minute].insert(QueuedAt[minute].end(), kept.begin(), kept.end());
}

void TRmRuntime::KeepNew(std::vector<TMissedFiring>& missed) {
    std::map<std::pair<std::int64_t, std::size_t>, std::size_t> now;
    std::vector<std::pair<std::int64_t, std::size_t>> kept;
    std::erase_if(missed, [&](const TMissedFiring& firing) {
        if (firing.Position < 0 || firing.Position >= List.Count) {
            return true;
        }
        const std::int64_t minute = MinuteCountOf(firing.Minute);
        const std::size_t reminder = ReminderContentHash(List.Item(firing.Position));
        if (++now[{minute, reminder}] <= TimesQueued(minute, reminder)) {
            return true;
        }
        kept.emplace_back(minute, reminder);
        return false;
    });
    for (const auto& [minute, reminder] : kept) {
        QueuedAt[minute].push_back(reminder);
    }
}

void TRmRuntime::NoteShown(std::int32_t position, std::int64_t minute) {
    if (position >= 0 && position < List.Count) {
        ShownAt[minute].push_back(ReminderContentHash(List.Item(position)));
        TellSnoozesChanged();
    }
}

void TRmRuntime::QueueMissedMinutes(std::int64_t first, std::int64_t last, std::int64_t nowMinute) {
    if (Config.MissedWindowHours <= 0) {
        return;
    }
    first = std::max(first, nowMinute - std::int64_t{Config.MissedWindowHours} * 60);
    for (const auto& [from, to] : Checked.Unchecked(first, last)) {
        std::vector<TMissedFiring> missed = FiringsInMinutes(List, from, to, Config.BeginWithSunday);
        KeepNew(missed);
        Missed.insert(Missed.end(), missed.begin(), missed.end());
    }
}

void TRmRuntime::Push(const std::vector<QueuedReminder>& queued, std::int64_t minute) {
    for (const QueuedReminder& reminder : queued) {
        MessageQueue.Push(reminder.Position, minute, reminder.Lead);
    }
}

void TRmRuntime::Tick() {
    List.ReloadIfChanged();
    const TDateTime now = Now();
    const std::int64_t minute = MinuteCountOf(now);
    if (LastCheckedMinute && *LastCheckedMinute == minute) {
        return;
    }
    LastMinute = DecodeTime(now).Minute;
    const std::optional<std::int64_t> previous = LastCheckedMinute;
    LastCheckedMinute = minute;
    if (!Checked.Empty() && Checked.Highest() - minute > LongestClockSetBack) {
        Checked.Clear();
        QueuedAt.clear();
    }
    // What was queued more than a day before the latest minute checked can come round no more.
    if (!Checked.Empty()) {
        std::erase_if(QueuedAt,
                      [this](const auto& entry) { return entry.first < Checked.Highest() - LongestClockSetBack; });
    }
    if (previous && minute > *previous + 1) {
        QueueMissedMinutes(*previous + 1, minute - 1, minute);
        Checked.Add(*previous + 1, minute - 1);
    }
    // The clock went back over a minute this run checked: what fired then does not fire again, but a reminder
    // added or changed since is due as any other.
    const bool relived = Checked.Contains(minute);
    Checked.Add(minute, minute);

    const bool hourChanged = HourChanged(LastHour);
    std::vector<QueuedReminder> due = MinutePasses(List, now, hourChanged, Config.BeginWithSunday);
    KeepNew(due, minute);
    Push(due, minute);
    if (relived) {
        if (!due.empty()) {
            KeepSafeLastCheck();
        }
        DoRemind();
        return;
    }
    SnoozeQueue.TickMinute();
    bool snoozesCame = false;
    std::int32_t lead = 0;
    for (std::int32_t position = SnoozeQueue.PopDue(&lead); position != -1; position = SnoozeQueue.PopDue(&lead)) {
        // A postponement that ends in the minute its reminder falls due again shows it once.
        const bool queuedAlready = std::any_of(due.begin(), due.end(), [position](const QueuedReminder& reminder) {
            return reminder.Position == position;
        });
        snoozesCame = true;
        if (!queuedAlready) {
            MessageQueue.Push(position, minute, lead);
            SnoozesWaiting.emplace_back(position, minute);
            due.push_back({position, QueuePass::Exact, lead});
        }
    }
    if (snoozesCame) {
        TellSnoozesChanged();
    }
    if (hourChanged || !due.empty() || !Missed.empty()) {
        KeepSafeLastCheck();
    }
    DoRemind();
}

void TRmRuntime::RunStartupPass() {
    const std::optional<TDateTime> lastCheck = std::exchange(StartLastCheck, std::nullopt);
    const TDateTime now = Now();
    if (List.Count > 0 && lastCheck && MinuteCountOf(*lastCheck) < MinuteCountOf(now)) {
        QueueMissed(*lastCheck, now);
        Checked.Add(MinuteCountOf(*lastCheck) + 1, MinuteCountOf(now) - 1);
    }
    // Postponements restored from the earlier run join in time order.
    std::stable_sort(Missed.begin(), Missed.end(), [](const TMissedFiring& a, const TMissedFiring& b) {
        return MinuteCountOf(a.Minute) < MinuteCountOf(b.Minute);
    });
    Push(StartupPass(List, now), MinuteCountOf(now));
    DoRemind();
}

void TRmRuntime::FollowPositions(const TPositionMap& map) {
    MessageQueue.RemapPositions(map);
    SnoozeQueue.RemapPositions(map);
    if (FiringPosition >= 0) {
        FiringPosition = Moved(map, FiringPosition);
    }
    std::vector<TMissedFiring> missed;
    for (TMissedFiring firing : Missed) {
        firing.Position = Moved(map, firing.Position);
        if (firing.Position >= 0) {
            missed.push_back(firing);
        }
    }
    Missed = std::move(missed);
    for (TMissedReminder& one : MissedBatch) {
        one.Position = Moved(map, one.Position);
    }
    std::vector<std::pair<std::int32_t, std::int64_t>> waiting;
    for (auto [position, minute] : SnoozesWaiting) {
        if (const std::int32_t moved = Moved(map, position); moved >= 0) {
            waiting.emplace_back(moved, minute);
        }
    }
    SnoozesWaiting = std::move(waiting);
    TellSnoozesChanged();
}

std::vector<TPendingSnooze> TRmRuntime::PendingSnoozes() const {
    std::vector<TPendingSnooze> pending;
    const std::int64_t base = LastCheckedMinute ? *LastCheckedMinute : MinuteCountOf(Now());
    for (const auto& [position, minute] : SnoozesWaiting) {
        if (position >= 0 && position < List.Count) {
            pending.push_back({InsideMinute(minute), position, List.Item(position)});
        }
    }
    for (std::int32_t slot = 0; slot < SnoozeQueue.Count; ++slot) {
        const std::int32_t position = SnoozeQueue.Indexes[static_cast<std::size_t>(slot)];
        if (position >= 0 && position < List.Count) {
            const std::int64_t due = base + SnoozeQueue.Minutes[static_cast<std::size_t>(slot)];
            TPendingSnooze snooze{InsideMinute(due), position, List.Item(position)};
            snooze.Lead = SnoozeQueue.Leads[static_cast<std::size_t>(slot)];
            pending.push_back(snooze);
        }
    }
    // What was shown at minutes the next start would catch up again.
    const std::optional<TDateTime> checked = LastChecked();
    const std::int64_t safe = checked ? MinuteCountOf(*checked) : std::numeric_limits<std::int64_t>::min();
    for (const auto& [minute, shown] : ShownAt) {
        if (minute <= safe) {
            continue;
        }
        for (std::int32_t position = 0; position < List.Count; ++position) {
            const std::size_t reminder = ReminderContentHash(List.Item(position));
            if (std::find(shown.begin(), shown.end(), reminder) != shown.end()) {
                TPendingSnooze seen{InsideMinute(minute), position, List.Item(position)};
                seen.Seen = true;
                pending.push_back(seen);
            }
        }
    }
    for (TPendingSnooze& snooze : pending) {
        snooze.Due = MinuteOf(snooze.Due);
    }
    return pending;
}

void TRmRuntime::RestoreSnoozes(const std::vector<TPendingSnooze>& snoozes) {
    const std::int64_t nowMinute = MinuteCountOf(Now());
    for (const TPendingSnooze& snooze : snoozes) {
        if (snooze.Seen) {
            // Shown before the earlier run ended: not shown again for that minute.
            const std::int64_t minute = MinuteCountOf(snooze.Due);
            QueuedAt[minute].push_back(ReminderContentHash(snooze.Record));
            ShownAt[minute].push_back(ReminderContentHash(snooze.Record));
            continue;
        }
        const std::int32_t position = List.Find(snooze.Record, snooze.Position);
        if (position < 0) {
            continue;
        }
        const std::int64_t due = MinuteCountOf(snooze.Due);
        if (due > nowMinute) {
            // The first tick of this run counts a minute down before any has passed.
            const std::int64_t left = due - nowMinute + (LastCheckedMinute ? 0 : 1);
            SnoozeQueue.Push(static_cast<std::int32_t>(std::min<std::int64_t>(left, INT32_MAX)), position, snooze.Lead);
        } else if (Config.MissedWindowHours > 0 && nowMinute - due <= std::int64_t{Config.MissedWindowHours} * 60) {
            Missed.push_back({InsideMinute(due), position, snooze.Lead});
        }
    }
    TellSnoozesChanged();
}

void TRmRuntime::TellSnoozesChanged() const {
    if (SnoozesChanged) {
        SnoozesChanged();
    }
}

std::int32_t TRmRuntime::WaitingCount() const {
    std::int32_t waiting = MessageQueue.Count + static_cast<std::int32_t>(Missed.size());
    for (const TMissedReminder& missed : MissedBatch) {
        waiting += missed.Position >= 0 ? 1 : 0;
    }
    return waiting;
}

void TRmRuntime::TellWaiting() const {
    if (Window.SetWaiting) {
        Window.SetWaiting(WaitingCount() - ShownStillCounted);
    }
}

void TRmRuntime::DoRemind() {
    if (Firing) {
        // A tick inside a window: what fell due joins the queue, and the window (or its notification) says how
        // many wait now.
        TellWaiting();
        return;
    }
    bool firedAny = false;
    {
        FiringScope scope(Firing);
        // What was missed is older than what is due now, so it comes first; a tick nested in a window may add
        // to either.
        while ((!Missed.empty() || MessageQueue.Count > 0) && !Ending) {
            firedAny = true;
            if (CloseAllRequested) {
                CloseAllWaiting();
                continue;
            }
            if (!Missed.empty()) {
                for (const TMissedFiring& firing : std::exchange(Missed, {})) {
                    if (firing.Position >= 0 && firing.Position < List.Count) {
                        MissedBatch.push_back(
                            DescribeMissed(List.Item(firing.Position), firing, Config.BeginWithSunday));
                    }
                }
                FireMissed();
                continue;
            }
            const std::int64_t minute = MessageQueue.OldestMinute();
            const std::int32_t lead = MessageQueue.OldestLead();
            const std::int32_t position = MessageQueue.Pop();
            if (position >= 0 && position < List.Count) {
                Fire(position, minute, lead);
            }
        }
        CloseAllRequested = false;
    }
    if (firedAny) {
        KeepSafeLastCheck();
    }
    if (PendingError) {
        std::rethrow_exception(std::exchange(PendingError, nullptr));
    }
}

void TRmRuntime::MarkReminded(std::int32_t position) {
    if (position < 0 || position >= List.Count || List.Item(position).Reminded) {
        return;
    }
    List.MarkReminded(position);
    WriteRemindedMarks();
}

void TRmRuntime::WriteRemindedMarks() {
    if (!List.HasRemindedMarks()) {
        return;
    }
    if (WriteMarks) {
        WriteMarks();
        return;
    }
    // A data file that cannot be written must not cost the user the reminder itself: it still shows, and the
    // failure is reported when the queue has been worked off. A reminder another program changed meanwhile is
    // left as that program wrote it.
    try {
        List.SaveRemindedMarks();
    } catch (const std::exception&) {
        if (!PendingError) {
            PendingError = std::current_exception();
        }
    }
}

void TRmRuntime::FireMissed() {
    // More than a few at once is a list to read, not a row of windows to close.
    constexpr std::size_t MostWindows = 3;
    std::size_t alive = 0;
    for (const TMissedReminder& one : MissedBatch) {
        alive += one.Position >= 0 ? 1 : 0;
    }
    if (alive > MostWindows && Window.ShowMissedList) {
        ShowBatchAsList(Window.ShowMissedList);
        return;
    }
    while (!MissedBatch.empty() && !Ending) {
        if (CloseAllRequested) {
            CloseAllWaiting();
            return;
        }
        const TMissedReminder one = MissedBatch.front();
        if (one.Position < 0 || one.Position >= List.Count) {
            MissedBatch.erase(MissedBatch.begin());
            continue;
        }
        if (Window.Prepare) {
            Window.Prepare(PresentMissed(one, List.Item(one.Position), Config));
        }
        NoteShown(one.Position, MinuteCountOf(one.Minute));
        MarkReminded(one.Position);
        // The one shown is still in the batch until it is answered.
        ShownStillCounted = 1;
        TellWaiting();
        if (Window.SetCloseWindowEnabled) {
            Window.SetCloseWindowEnabled(true);
        }
        const int laterMinutes = Window.ShowModal ? Window.ShowModal() : LATER_NONE;
        if (Window.SetCloseWindowEnabled) {
            Window.SetCloseWindowEnabled(false);
        }
        if (Ending) {
            return;
        }
        // Where the reminder is now: another program may have moved it while the window showed.
        const std::int32_t position = MissedBatch.front().Position;
        MissedBatch.erase(MissedBatch.begin());
        // A postponed reminder comes back as itself, command and all: not one whose shutdown or unseen command
        // was held back for being late.
        const bool holdsBackACommand = one.Silent || !one.NotRun.empty();
        if (!holdsBackACommand) {
            Postpone(laterMinutes, position);
        } else if (laterMinutes == LATER_CLOSE_ALL) {
            CloseAllRequested = true;
        }
    }
}

void TRmRuntime::CloseAllWaiting() {
    // Gathered where a change of the list reaches them, until the list of them has been shown.
    for (const TMissedFiring& firing : std::exchange(Missed, {})) {
        if (firing.Position >= 0 && firing.Position < List.Count) {
            MissedBatch.push_back(DescribeMissed(List.Item(firing.Position), firing, Config.BeginWithSunday));
        }
    }
    while (MessageQueue.Count > 0) {
        const std::int64_t minute = MessageQueue.OldestMinute();
        const std::int32_t lead = MessageQueue.OldestLead();
        const std::int32_t position = MessageQueue.Pop();
        if (position >= 0 && position < List.Count) {
            MissedBatch.push_back(
                DescribeMissed(List.Item(position), {InsideMinute(minute), position, lead}, Config.BeginWithSunday));
        }
    }
    CloseAllRequested = false;
    ShowBatchAsList(Window.ShowWaitingList ? Window.ShowWaitingList : Window.ShowMissedList);
    if (!Ending && !SnoozesWaiting.empty()) {
        SnoozesWaiting.clear();
        TellSnoozesChanged();
    }
}

void TRmRuntime::ShowBatchAsList(const std::function<void(const std::vector<TMissedReminder>&)>& show) {
    for (std::size_t i = 0; i < MissedBatch.size(); ++i) {
        NoteShown(MissedBatch[i].Position, MinuteCountOf(MissedBatch[i].Minute));
        if (MissedBatch[i].Lead == 0) {
            MarkReminded(MissedBatch[i].Position);
        }
    }
    std::vector<TMissedReminder> shown;
    for (const TMissedReminder& one : MissedBatch) {
        if (one.Position >= 0) {
            shown.push_back(one);
        }
    }
    if (!shown.empty() && show) {
        if (Window.SetCloseWindowEnabled) {
            Window.SetCloseWindowEnabled(true);
        }
        show(shown);
        if (Window.SetCloseWindowEnabled) {
            Window.SetCloseWindowEnabled(false);
        }
    }
    // Kept while the list shows, so that a run ending meanwhile catches them up at the next start.
    if (!Ending) {
        MissedBatch.clear();
    }
}

void TRmRuntime::Postpone(int laterMinutes, std::int32_t position) {
    if (laterMinutes == LATER_CLOSE_ALL) {
        CloseAllRequested = true;
        return;
    }
    if (position < 0 || laterMinutes == LATER_NONE) {
        return;
    }
    const int minutes = laterMinutes == LATER_DEFAULT ? Config.LaterRemindTime : laterMinutes;
    // N whole minutes from now, at the first check after them: answered in the middle of a minute, the check
    // that turns N minutes later comes too soon by the part of the minute gone.
    const TDateTime now = Now();
    const bool midMinute = (now - MinuteOf(now)) * 86400.0 >= 1.0;
    const int later = minutes + (midMinute ? 1 : 0);
    // A warning comes back as a warning, that much nearer to its time; past it, as one whose time has come.
    const std::int32_t lead = FiringLead == 0 ? 0 : std::max<std::int32_t>(FiringLead - later, PassedLead);
    SnoozeQueue.Push(later, position, lead);
    TellSnoozesChanged();
}

void TRmRuntime::Fire(std::int32_t position, std::int64_t minute, std::int32_t lead) {
    FiringPosition = position;
    FiringMinute = minute;
    FiringLead = lead;
    const FiringPlan plan = PlanFiring(List.Item(position), Config, Now(), lead);
    if (Window.Prepare) {
        Window.Prepare(plan.Presentation);
    }
    NoteShown(position, minute);
    if (lead == 0) {
        MarkReminded(position);
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
        ShownStillCounted = 0;
        TellWaiting();
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
        // Still unanswered: the window's minute, and a postponement that brought it, are kept for the next start.
        return;
    }
    // Where the reminder is now: another program may have moved it while the window showed.
    const std::int32_t now = std::exchange(FiringPosition, -1);
    const auto waited = std::find_if(SnoozesWaiting.begin(), SnoozesWaiting.end(),
                                     [now](const auto& snooze) { return snooze.first == now; });
    if (waited != SnoozesWaiting.end()) {
        SnoozesWaiting.erase(waited);
        TellSnoozesChanged();
    }
    Postpone(laterMinutes, now);
}

} // namespace chimewell
