#pragma once
// The runtime core of the main window: the once-a-minute tick that queues due reminders, the start-up pass,
// and the firing routine that hands them one after another to the reminder window. Plain C++: the Qt timers
// drive it, and tests drive it at chosen moments through the clock seam.

#include "calendar/datetime.h"
#include "data/reminder_list.h"
#include "data/settings.h"
#include "runtime/catch_up.h"
#include "runtime/queues.h"
#include "runtime/remind_presentation.h"
#include "runtime/snooze_file.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace chimewell {

// The whole message that marks a silent reminder: its command runs, no window shows.
inline constexpr std::string_view SilentReminderMessage = "NOTSHOWREMINDBOX";

enum class QueuePass { Exact, Hourly, Startup };

struct QueuedReminder {
    std::int32_t Position = 0;
    QueuePass Pass = QueuePass::Exact;
    // 0 for the reminder's own firing; else a warning, this many minutes ahead of the time it warns of
    // (PassedLead: a postponed warning whose time has come meanwhile).
    std::int32_t Lead = 0;
    friend bool operator==(const QueuedReminder&, const QueuedReminder&) = default;
};

// The positions each pass queues at a moment, in list order.
std::vector<QueuedReminder> ExactPass(const TRmDataList& list, TDateTime now, bool beginWithSunday = false);
std::vector<QueuedReminder> HourlyPass(const TRmDataList& list, TDateTime now);
std::vector<QueuedReminder> StartupPass(const TRmDataList& list, TDateTime now);
// What one minute's check queues: the exact pass, then, when the hour has changed, the hourly pass; a position
// due by both is queued once (one reminder must not pop up twice in one minute).
std::vector<QueuedReminder> MinutePasses(const TRmDataList& list, TDateTime now, bool hourChanged,
                                         bool beginWithSunday = false);

enum class FiringAction {
    Show,   // the reminder window opens
    Silent, // the command runs without a window
    Skip,   // a week condition that does not hold: nothing shows or runs
};

struct FiringPlan {
    FiringAction Action = FiringAction::Show;
    RemindPresentation Presentation;
};

// What firing the record at a moment shows and does, with the settings of the run.
// A warning (lead other than 0) shows "还有 3 天：", the text and the time it warns of, and runs no command.
FiringPlan PlanFiring(const TRmMainDate& record, const TRmConfig& config, TDateTime now, std::int32_t lead = 0);

// The minutes a run has checked (or caught up), as ranges: a clock set back goes over them without firing
// them again, and over no other minutes.
class TCheckedMinutes {
public:
    void Clear() { Ranges.clear(); }
    bool Empty() const { return Ranges.empty(); }
    void Add(std::int64_t first, std::int64_t last);
    bool Contains(std::int64_t minute) const;
    // The parts of first..last not checked, in order.
    std::vector<std::pair<std::int64_t, std::int64_t>> Unchecked(std::int64_t first, std::int64_t last) const;
    std::int64_t Highest() const { return Ranges.back().second; }

private:
    // Sorted, disjoint and not touching.
    std::vector<std::pair<std::int64_t, std::int64_t>> Ranges;
};

class TRmRuntime {
public:
    TRmRuntime(TRmDataList& list, const TRmConfig& config, ReminderWindowSeam window);

    // The state of a fresh start: the current hour is remembered, so the first hourly pass comes at the next
    // change of hour. `lastCheck` is the last minute an earlier run checked: the start-up pass catches up what
    // fell between it and now.
    void Start(std::optional<TDateTime> lastCheck = std::nullopt);
    // The work of one tick; it runs once a minute, at the first tick of a new minute. Minutes skipped since the
    // last check (the machine slept, the clock jumped) are caught up; minutes this run checked and the clock went
    // back over are not checked again. A data file another program changed is read again first.
    void Tick();
    // Queues the start-up reminders of today and the reminders missed since the earlier run, and fires them
    // (once, one second after start).
    void RunStartupPass();
    // The user ends a pause: the minutes it covered are not caught up.
    void Resume();
    // The last minute checked, for keeping in config.ini; nothing before the first check. A minute counts as
    // checked only once every reminder queued for it has been shown (or skipped by its week condition): the
    // reminders of a minute not yet shown when the program ends are caught up at the next start.
    std::optional<TDateTime> LastChecked() const;
    // Told the last minute checked whenever it is worth keeping: at every hourly pass and after reminders fired.
    std::function<void(TDateTime)> KeepLastCheck;
    // The list's reminders moved (another program changed the file, a removal): every queued position follows
    // its reminder, or leaves where the reminder is gone; none is left pointing at another reminder.
    void FollowPositions(const TPositionMap& map);
    // The postponements still to come, the ones whose minute came but that have not been shown yet included,
    // for keeping across an exit.
    std::vector<TPendingSnooze> PendingSnoozes() const;
    // Brings back the postponements an earlier run kept, each to its reminder found by content: those still
    // to come wait for their minute, those whose minute passed within the catch-up window are caught up by the
    // start-up pass, the others are dropped.
    void RestoreSnoozes(const std::vector<TPendingSnooze>& snoozes);
    // Told whenever the postponements changed, so that they can be kept.
    std::function<void()> SnoozesChanged;
    // Told that the list holds Reminded marks to write (TRmDataList::TakeRemindedMarks): a window writes them
    // off its own thread, those made while a write is under way together in the next, so that a long list's
    // rewrite never holds it. Unset, they are written here at once.
    std::function<void()> WriteMarks;
    // How many reminders wait behind the one showing.
    std::int32_t WaitingCount() const;
    // Fires every queued reminder, one window after another. Re-entered from a nested event loop (the modal
    // window keeps the timers running) it returns at once; the outer call takes what was queued meanwhile.
    void DoRemind();
    // The program is ending: the firing loop stops before the next reminder, so nothing more is shown, played,
    // run or marked as reminded. (Every modal window returns at once while the program ends.)
    void StopFiring() { Ending = true; }
    bool IsEnding() const { return Ending; }

    bool InRemind() const { return Firing; }
    int LastMinute = 0;
    int LastHour = 0;
    TRmMessage MessageQueue;
    TRmLater SnoozeQueue;

private:
    void Push(const std::vector<QueuedReminder>& queued, std::int64_t minute);
    void Fire(std::int32_t position, std::int64_t minute, std::int32_t lead);
    // Shows the batch of caught-up reminders in MissedBatch.
    void FireMissed();
    // Everything still waiting, as one list, after the user chose to close them all.
    void CloseAllWaiting();
    // Marks the reminders of MissedBatch as reminded and shows them in one window.
    void ShowBatchAsList(const std::function<void(const std::vector<TMissedReminder>&)>& show);
    void QueueMissed(TDateTime lastChecked, TDateTime now);
    // Catches up the firings of the minutes first..last that this run has not checked, within the window.
    void QueueMissedMinutes(std::int64_t first, std::int64_t last, std::int64_t nowMinute);
    void MarkReminded(std::int32_t position);
    void WriteRemindedMarks();
    // The window's answer for the reminder that was showing.
    void Postpone(int laterMinutes, std::int32_t position);
    void KeepSafeLastCheck();
    void TellSnoozesChanged() const;
    // Drops the reminders already queued at the minute (a clock set back over it, a restart after a window was
    // shown) and notes the others as queued there.
    void KeepNew(std::vector<QueuedReminder>& due, std::int64_t minute);
    void KeepNew(std::vector<TMissedFiring>& missed);
    std::size_t TimesQueued(std::int64_t minute, std::size_t reminder) const;
    // The reminder's window was shown for the minute.
    void NoteShown(std::int32_t position, std::int64_t minute);
    // Tells the window how many wait behind the reminder it shows.
    void TellWaiting() const;

    TRmDataList& List;
    const TRmConfig& Config;
    ReminderWindowSeam Window;
    bool Firing = false;
    // 1 while the reminder shown is a caught-up one, still counted among the waiting until answered.
    std::int32_t ShownStillCounted = 0;
    bool Ending = false;
    bool CloseAllRequested = false;
    // Minute counts (minutes since 1899-12-30).
    std::optional<std::int64_t> LastCheckedMinute;
    TCheckedMinutes Checked;
    std::optional<TDateTime> StartLastCheck;
    std::vector<TMissedFiring> Missed;
    // The caught-up reminders being shown; a position of -1 is a reminder that has gone meanwhile.
    std::vector<TMissedReminder> MissedBatch;
    // The reminder whose window shows, and the minute it was queued for; -1 when none.
    std::int32_t FiringPosition = -1;
    std::int64_t FiringMinute = 0;
    std::int32_t FiringLead = 0;
    // Postponements whose minute came, with that minute: kept until their window has closed.
    std::vector<std::pair<std::int32_t, std::int64_t>> SnoozesWaiting;
    // What was queued at each minute of the last day this run checked, by the reminders' contents: a minute the
    // clock goes back over fires again only what was not there, or was another, when it was checked.
    std::map<std::int64_t, std::vector<std::size_t>> QueuedAt;
    // The reminders whose windows were shown at minutes the last safe check has not passed yet: kept across an
    // exit, so that the next start does not show them again.
    std::map<std::int64_t, std::vector<std::size_t>> ShownAt;
    std::exception_ptr PendingError;
};

} // namespace chimewell
