#pragma once
// Reminders whose minute passed while nothing checked them: the machine slept, the program was not running,
// the process was stopped, the clock jumped. They are caught up once, in time order, when the program sees the
// gap, and shown with the minute they were meant for; their commands never run by themselves that late.

#include "calendar/datetime.h"
#include "data/reminder_list.h"
#include "data/settings.h"
#include "runtime/remind_presentation.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace chimewell {

struct TMissedFiring {
    TDateTime Minute = 0; // the minute it was meant for
    std::int32_t Position = 0;
    std::int32_t Lead = 0; // a warning: the minutes ahead of the time it warns of
    friend bool operator==(const TMissedFiring&, const TMissedFiring&) = default;
};

// The firings the exact pass would have made in the minutes strictly after `lastChecked` and strictly before
// the minute of `now`, none earlier than `windowHours` before `now` (0: none at all), in time order, then list
// order. Week and holiday conditions are judged at each firing's own minute.
std::vector<TMissedFiring> MissedFirings(const TRmDataList& list, TDateTime lastChecked, TDateTime now, int windowHours,
                                         bool beginWithSunday);

// The firings of the exact pass in the minutes first..last (minute counts: minutes since 1899-12-30), in time
// order, then list order.
std::vector<TMissedFiring> FiringsInMinutes(const TRmDataList& list, std::int64_t first, std::int64_t last,
                                            bool beginWithSunday);

// What a caught-up reminder shows (TMissedReminder): its text expanded at its own minute, under "错过的提醒：原定
// …". A command of a program, file or address waits for the button; a shutdown or restart, and the command of a
// reminder that was to run without a window or by itself, are named as not run.
TMissedReminder DescribeMissed(const TRmMainDate& record, const TMissedFiring& firing, bool beginWithSunday);

// "错过的提醒：原定 2026-12-08 10:05".
std::string MissedHeading(TDateTime minute);
// The reminder window's presentation of one caught-up reminder.
RemindPresentation PresentMissed(const TMissedReminder& missed, const TRmMainDate& record, const TRmConfig& config);

} // namespace chimewell
