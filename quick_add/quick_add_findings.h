#pragma once
// What the recognisers found in a phrase, before it is placed on the calendar.

#include "data/reminder.h"
#include "quick_add/quick_add_text.h"

#include <optional>
#include <string>
#include <vector>

namespace chimewell {
struct TFestival;
}

namespace chimewell::quick_add {

enum class TRepeat { None, Daily, Weekly, Monthly, Yearly };

// A time of day; each has the hour a phrase without a clock time takes.
enum class TPeriod { None, Morning, Forenoon, Noon, Afternoon, Dusk, Evening, SmallHours, Midnight };

// How a one-off weekday is counted: 周五 is the next Friday, 这周五 this week's, 下周五 next week's.
enum class TWeekOf { Next, This, Following, AfterFollowing };

struct TGregorianDate {
    int Year = 0; // 0: not given
    int Month = 0;
    int Day = 0;
};

struct TQuickAddFindings {
    std::string Refusal;

    TRepeat Repeat = TRepeat::None;
    RepeatUnit Every = RepeatUnit::None; // an interval of EveryCount >= 2
    int EveryCount = 1;
    int Weekdays = 0;      // bits, Monday 0x01 .. Sunday 0x40
    std::string Condition; // "$gzr$", "$xxr$", "$mwo2$"
    bool MonthEnd = false;

    // A date of either calendar; Month 0 with Day set is a day of every month (or the next such lunar day).
    bool Lunar = false;
    bool LeapMonth = false;       // said 闰
    bool FestivalDay = false;     // the date came from a festival's name: no other reading by leap month
    bool BareChineseDate = false; // 八月十五: read as lunar, the Gregorian date its other reading
    TGregorianDate Date;
    int YearOffset = -1; // 今年 0, 明年 1
    int SolarTerm = -1;
    bool NewYearsDay = false;
    const TFestival* Festival = nullptr;
    bool FestivalLunar = false;

    std::optional<int> DayOffset; // 今天 0, 明天 1, 3天后 3
    std::optional<int> Weekday;   // 1 = Monday .. 7 = Sunday, a one-off
    TWeekOf WeekOf = TWeekOf::Next;
    std::optional<int> MinutesLater;
    bool ThisMonthEnd = false;
    int NextMonthDay = 0;
    int ComingMonthDay = 0;    // 20号: the next 20th, this month's or a later one's
    bool NextMonthEnd = false; // 下个月底
    int MonthsLater = 0;       // 一个月后
    int DaysBefore = 0;        // 春节前三天: days before the festival or term named (after it when below 0)

    TPeriod Period = TPeriod::None;
    std::optional<int> Hour; // as written: 1..11 without a period may be morning or afternoon
    int Minute = 0;

    std::vector<int> LeadMinutes;
    std::optional<TGregorianDate> End;   // Year 0: the next such date
    std::optional<TGregorianDate> Start; // 从12月15日起: a repeat's first day; Year 0: the next such date
    std::optional<int> StartDayOffset;   // 从明天起
    bool StartNextMonth = false;         // 从下个月起: its first day
    int StartYearOffset = -1;            // 从明年1月1日起
    int StartWeekday = 0;                // 从下周一起: 1 = Monday .. 7 = Sunday
    TWeekOf StartWeekOf = TWeekOf::Next;
    bool EndAtMonthEnd = false;
    bool EndAtNextMonthEnd = false;
    int EndYearOffset = -1; // 到明年6月30日为止
    bool EndAtYearEnd = false;
    int EndCount = 0;

    std::string Message;

    bool HasDate() const {
        return Date.Month != 0 || Date.Day != 0 || SolarTerm >= 0 || NewYearsDay || Festival != nullptr || DayOffset ||
               Weekday || ThisMonthEnd || NextMonthDay != 0 || ComingMonthDay != 0 || NextMonthEnd || MonthsLater != 0;
    }
    bool HasTime() const { return HasDate() || MinutesLater || Period != TPeriod::None || Hour; }
};

// Runs every recogniser over the phrase; what none of them took is the message.
TQuickAddFindings RecogniseFindings(std::string_view phrase);

} // namespace chimewell::quick_add
