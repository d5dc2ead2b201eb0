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

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace chimewell {

// The whole message that marks a silent reminder: its command runs, no window shows.
inline constexpr std::string_view SilentReminderMessage = "NOTSHOWREMINDBOX";

enum class QueuePass { Exact, Hourly, Startup };

struct QueuedReminder {
    std::int32_t Position = 0;
    QueuePass Pass = QueuePass::Exact;
    friend bool operator==(const QueuedReminder&, const QueuedReminder&) = default;
};

// The positions each pass queues at a moment, in list order.
std::vector<QueuedReminder> ExactPass(const TRmDataList& list, TDateTime now);
std::vector<QueuedReminder> HourlyPass(const TRmDataList& list, TDateTime now);
std::vector<QueuedReminder> StartupPass(const TRmDataList& list, TDateTime now);
// What one minute's check queues: the exact pass, then, when the hour has changed, the hourly pass; a position
// due by both is queued once (one reminder must not pop up twice in one minute).
std::vector<QueuedReminder> MinutePasses(const TRmDataList& list, TDateTime now, bool hourChanged);

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
FiringPlan PlanFiring(const TRmMainDate& record, const TRmConfig& config, TDateTime now);

class TRmRuntime {
public:
    TRmRuntime(TRmDataList& list, const TRmConfig& config, ReminderWindowSeam window);

    // The state of a fresh start: the current hour is remembered, so the first hourly pass comes at the next
    // change of hour. `lastCheck` is the last minute an earlier run checked: the start-up pass catches up what
    // fell between it and now, and a clock set back since then fires none of those minutes again.
    void Start(std::optional<TDateTime> lastCheck = std::nullopt);
    // The work of one tick; it runs once a minute, at the first tick of a new minute. Minutes skipped since the
    // last check (the machine slept, the clock jumped) are caught up; minutes the clock went back over are not
    // checked again.
    void Tick();
    // Queues the start-up reminders of today and the reminders missed since the earlier run, and fires them
    // (once, one second after start).
    void RunStartupPass();
    // The user ends a pause: the minutes it covered are not caught up.
    void Resume();
    // The last minute checked, for keeping in config.ini; nothing before the first check.
    std::optional<TDateTime> LastChecked() const;
    // Told the last minute checked whenever it is worth keeping: at every hourly pass and after reminders fired.
    std::function<void(TDateTime)> KeepLastCheck;
    // Fires every queued reminder, one window after another. Re-entered from a nested event loop (the modal
    // window keeps the timers running) it returns at once; the outer call takes what was queued meanwhile.
    void DoRemind();
    // A record was deleted: postponements keep pointing at the right records.
    void RecordDeleted(std::int32_t position);
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
    void Push(const std::vector<QueuedReminder>& queued);
    void Fire(std::int32_t position);
    void FireMissed(const std::vector<TMissedReminder>& missed);
    void QueueMissed(TDateTime lastChecked, TDateTime now);
    void MarkReminded(std::int32_t position);

    TRmDataList& List;
    const TRmConfig& Config;
    ReminderWindowSeam Window;
    bool Firing = false;
    bool Ending = false;
    bool FiredSinceKept = false;
    // Minute counts (minutes since 1899-12-30): the last checked, and the latest ever checked.
    std::optional<std::int64_t> LastCheckedMinute;
    std::optional<std::int64_t> HighestCheckedMinute;
    std::optional<TDateTime> StartLastCheck;
    std::vector<TMissedFiring> Missed;
    std::exception_ptr PendingError;
};

} // namespace chimewell
