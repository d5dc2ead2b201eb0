#pragma once
// The runtime core of the main window: the once-a-minute tick that queues due reminders, the start-up pass,
// and the firing routine that hands them one after another to the reminder window. Plain C++: the Qt timers
// drive it, and tests drive it at chosen moments through the clock seam.

#include "calendar/datetime.h"
#include "data/reminder_list.h"
#include "data/settings.h"
#include "runtime/queues.h"
#include "runtime/remind_presentation.h"

#include <cstdint>
#include <exception>
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
    // change of hour; the remembered minute is 0.
    void Start();
    // The work of one tick of the one-second timer; it runs once a minute, at the first tick of a new minute.
    void Tick();
    // Queues the start-up reminders of today and fires them (once, one second after start).
    void RunStartupPass();
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

    TRmDataList& List;
    const TRmConfig& Config;
    ReminderWindowSeam Window;
    bool Firing = false;
    bool Ending = false;
    std::exception_ptr PendingError;
};

} // namespace chimewell
