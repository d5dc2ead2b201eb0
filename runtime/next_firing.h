#pragma once
// When a reminder fires next: the minutes at which the once-a-minute exact pass would queue it and it would
// show or run. The early minute and the set minute of every matching day count; a day whose week or holiday
// condition fails is no firing. Fast enough to work out for every record whenever the list is drawn: the
// matching days are found by stepping over years and months, not by trying every minute.

#include "calendar/datetime.h"
#include "data/reminder.h"

#include <optional>
#include <string>
#include <vector>

namespace chimewell {

// The calendar's range: the lunar table and the solar-term table end with 2100, and no reminder the editor
// makes names a later year. Firings are looked for from 1900-01-01 to 2100-12-31 23:59.
TDateTime NextFiringRangeStart();
TDateTime NextFiringRangeEnd();

// A year without a known holiday schedule in which a holiday condition was decided by the weekday alone.
struct TGuessedHolidayYear {
    int Year = 0;
    TDateTime FirstMoment = 0; // the first minute so decided
};

struct TNextFirings {
    std::vector<TDateTime> Minutes; // ascending, each a whole minute
    // Parallel to Minutes: 0 for the reminder's own firing (its early minute included), else the minutes a
    // warning fires ahead of the set time it warns of.
    std::vector<std::int32_t> Leads;
    std::vector<TGuessedHolidayYear> GuessedHolidayYears;
};

// Whether a reminder's interval takes a day (a serial day number); true for a reminder without one.
bool IntervalTakesDay(const TRmMainDate& record, std::int64_t day);
// The same with the start, the end date and the count: whether the reminder may fire on that day at all.
bool ScheduleTakesDay(const TRmMainDate& record, std::int64_t day);

// The firings strictly after the minute that holds `after` and no later than `until`, at most `count` of them.
TNextFirings NextFirings(const TRmMainDate& record, TDateTime after, TDateTime until, int count, bool beginWithSunday);
// The firing of the minute that holds `moment`, as its lead (0 for the reminder's own), or none. For the tick:
// a minute of the day that is neither the set nor the early minute nor a warning's is known at once.
std::optional<std::int32_t> FiringLeadAt(const TRmMainDate& record, TDateTime moment, bool beginWithSunday);

// The first firing after `after` within the calendar's range, or none.
std::optional<TDateTime> NextFiring(const TRmMainDate& record, TDateTime after, bool beginWithSunday);

// "下次提醒：2027年9月15日 星期三 08:00（农历八月十五）", or "不再提醒" for none.
std::string NextFiringText(std::optional<TDateTime> minute);

// The line the view window and the add/edit dialog show, and below it, when the firing was found by guessing a
// year's holidays from the weekday, that year's notice (else empty).
struct TNextFiringLine {
    std::string Text;
    std::string Notice;
    // The warning that comes before that time: "下次提前提醒：2026年12月13日 星期日 08:00，提前 3天";
    // else empty.
    std::string Warning;

    // The three, as far as they say anything, one to a line.
    std::string AllLines() const;
};
TNextFiringLine DescribeNextFiring(const TRmMainDate& record, TDateTime now, bool beginWithSunday);

} // namespace chimewell
