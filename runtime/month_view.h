#pragma once
// The month at a glance in both calendars: what the month window 月历 and `chimewell-cli cal` show of each day
// (the Gregorian day, the lunar day, the solar term, the festivals, 休/班 of the official schedule), and the
// firings of the reminders on each day, worked out once for the whole month by the next-firing engine, so that
// the month shows exactly what the exact pass will do.

#include "calendar/datetime.h"
#include "calendar/lunar.h"
#include "data/reminder_list.h"
#include "data/settings.h"
#include "runtime/next_firing.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace chimewell {

// "2026年2月 农历乙巳/丙午年 蛇/马": a month that holds a lunar new year belongs to two lunar years.
std::string MonthTitle(int year, int month);
// "2025-01-29 星期三 农历乙巳年（蛇）正月初一 春节", as `chimewell-cli lunar --text` prints it.
std::string ReadableDayLine(TDateTime date);

// One firing of a reminder: its minute, its position in the list, the text filled in for that minute (filled
// by ComingFirings; for a month's days, FillFiringTexts fills them for the days that are shown).
struct TMonthFiring {
    TDateTime Minute = 0;
    std::int32_t Position = 0;
    std::string Text;
    bool IsLunar = false;
    // Fired Forward minutes before the set time: how many.
    bool Early = false;
    std::int32_t Forward = 0;
    // A warning: the minutes ahead of the time it warns of; 0 for the reminder's own firing.
    std::int32_t Lead = 0;
};

enum class TOfficialMark { None, Rest, Work };

struct TMonthDay {
    TDateTime Date = 0;
    int Day = 0;
    bool InMonth = false;
    bool IsToday = false;
    // The lunar day, or on the first day of a lunar month the month's name.
    std::string LunarText;
    std::string SolarTerm;
    std::vector<std::string> Festivals;
    TOfficialMark Official = TOfficialMark::None;
    // In time order, then list order.
    std::vector<TMonthFiring> Firings;

    // How many reminders fire on the day: a reminder firing early and at its time counts once.
    int ReminderCount() const;
    // How many reminders warn of a later day on the day.
    int WarningCount() const;
    // "2026年2月17日 正月初一 春节 休 2个提醒", for screen readers.
    std::string AccessibleName() const;
};

struct TMonthView {
    int Year = 0;
    int Month = 0;
    std::string Title;
    // Six weeks from the week holding the first day, weeks beginning on Sunday or Monday.
    std::vector<TMonthDay> Days;
};

TMonthView BuildMonthView(const TRmDataList& list, const TRmConfig& config, int year, int month, TDateTime today);
// Fills the texts of a day's firings, expanded for their minutes. (A month has tens of thousands of firings with
// a long list; only the day being read needs its texts.)
void FillFiringTexts(const TRmDataList& list, const TRmConfig& config, TMonthDay& day);

// The next `count` firings of all reminders after `after` and no later than `until`, as `chimewell-cli next`
// lists them, and the years whose holidays were guessed on the way.
struct TComingFirings {
    std::vector<TMonthFiring> Firings;
    std::vector<TGuessedHolidayYear> GuessedHolidayYears;
};
TComingFirings ComingFirings(const TRmDataList& list, const TRmConfig& config, TDateTime after, TDateTime until,
                             int count);

// The same for reminders given one at a time, as ForEachStoredReminder reads them: only the firings that may
// still be among the first `count` are held, with their reminders. The years guessed on the way may include
// some after the last firing kept, which a caller weighs by their first moment.
class TComingFiringsCollector {
public:
    TComingFiringsCollector(const TRmConfig& config, TDateTime after, TDateTime until, int count);
    void Add(std::int32_t position, const TRmMainDate& reminder);
    struct Kept {
        TMonthFiring Firing;
        // One copy for all the firings kept of a reminder.
        std::shared_ptr<const TRmMainDate> Reminder;
    };
    // In time order, then list order, with their texts.
    std::vector<Kept> Take();
    const std::vector<TGuessedHolidayYear>& GuessedHolidayYears() const { return Guessed; }

private:
    const TRmConfig& Config;
    TDateTime After;
    TDateTime Until;
    std::size_t Count;
    std::vector<Kept> Heap;
    std::vector<TGuessedHolidayYear> Guessed;
};

} // namespace chimewell
