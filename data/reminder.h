#pragma once
// One reminder. Its field names are also the key names of the data file and of the exchange files.

#include "calendar/datetime.h"
#include "calendar/due.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

// Method codes; any other value behaves and shows as RemindAtStartupHourly.
inline constexpr std::int32_t RemindExact = 0;
inline constexpr std::int32_t RemindHourly = 1;
inline constexpr std::int32_t RemindAtStartup = 2;
inline constexpr std::int32_t RemindAtStartupHourly = 3;

// The methods that also fire at every full hour of a matching day, and those that also fire once at start.
constexpr bool IsHourlyMethod(std::int32_t method) {
    return method == RemindHourly || method == RemindAtStartupHourly;
}
constexpr bool IsStartupMethod(std::int32_t method) {
    return method == RemindAtStartup || method == RemindAtStartupHourly;
}

// The caption of a method code, as the editor and the view window show it.
std::string_view MethodCaption(std::int32_t method);

// Which pieces a reminder's description holds.
struct DescribeOptions {
    bool Calendar = false;
    bool Date = false;
    bool Time = false;
    bool Method = false;
    bool Forward = false;
    bool Music = false;
    bool Command = false;
    bool Script = false;

    static DescribeOptions All() { return {true, true, true, true, true, true, true, true}; }
};

// A warning before a reminder's time: a number of minutes, hours, days or weeks, up to 60 days.
enum class LeadUnit : char { Minutes = 'm', Hours = 'h', Days = 'd', Weeks = 'w' };
inline constexpr std::int32_t LongestLeadMinutes = 60 * 1440;

struct TLeadTime {
    std::int32_t Count = 0;
    LeadUnit Unit = LeadUnit::Days;

    std::int32_t Minutes() const;
    friend bool operator==(const TLeadTime&, const TLeadTime&) = default;
};

// How often the days of the date fields fire: every day they name (None), or only every Nth day, week, month or
// year counted from StartDate (lunar months and years for a lunar reminder). Weeks begin on Monday.
enum class RepeatUnit : char { None = 0, Days = 'd', Weeks = 'w', Months = 'm', Years = 'y' };

// What a reminder says beyond its 15 keys and UID, each stored after them (as "Warnings", "Interval", "StartDate",
// "EndDate", "EndCount" and "MonthEnd") only where it is set: a file without them stays as it was, and an older copy of
// the program that rewrites the 15 keys leaves them alone. Calendar files carry them too; exchange files do not.
struct TRmSchedule {
    // Warnings before the time, each on its own minute, even on an earlier day; Forward stays the 0..30 minutes.
    std::vector<TLeadTime> Warnings;
    RepeatUnit Every = RepeatUnit::None;
    std::int32_t EveryCount = 1; // N of "every N"; 1..999
    // Gregorian dates as yyyymmdd, 0 for none: no firing before StartDate or after EndDate.
    std::int32_t StartDate = 0;
    std::int32_t EndDate = 0;
    // The firing days from StartDate on that count, 0 for all.
    std::int32_t EndCount = 0;
    // A Gregorian day 29, 30 or 31 falls on the last day of a month that does not have it ("每月最后一天" is day
    // 31 with this); stored as "MonthEnd".
    bool MonthEnd = false;

    // Any of them is set: the due rules take the one engine's longer way.
    bool HasSchedule() const;
    // The days follow an interval: Every is set with a start to count from.
    bool HasInterval() const { return Every != RepeatUnit::None && StartDate != 0 && EveryCount > 0; }

    friend bool operator==(const TRmSchedule&, const TRmSchedule&) = default;
};

struct TRmMainDate : TRmSchedule {
    // 0 = every year; the Gregorian or lunar year.
    std::int32_t Year = 0;
    // 0 = every month; 1..12; a lunar 13 (SolarTermMonth) makes Day a solar-term index.
    std::int32_t Month = 0;
    // 0 = every day; the day of the month; with bit 0x80 (WeekdayMask) a set of weekdays.
    std::int32_t Day = 0;
    std::int32_t Hour = 0;
    std::int32_t Minuter = 0;
    // Minutes early.
    std::int32_t Forward = 0;
    std::int32_t Method = RemindExact;
    bool IsLunar = false;
    bool IsLeapMonth = false;
    bool WithScript = false;
    bool AutoExecScript = false;
    bool Reminded = false;
    std::string Music;
    std::string Command;
    std::string Message;
    // Names the reminder to other calendars, so that a reminder exported again replaces its earlier copy there;
    // empty until the reminder is first exported or when it came from a file without one. Stored after the
    // 15 keys above, as "UID".
    std::string Uid;

    void CopyFrom(const TRmMainDate& source);

    // Due at the clock's current minute, Forward minutes early included.
    bool IsDueNow() const;
    bool IsDueNowAt(TDateTime now) const;
    bool IsDueNowAt(const TDueMoment& moment) const;
    // The date matches today; the time of day does not count.
    bool IsDueToday() const;
    bool IsDueTodayAt(TDateTime now) const;
    bool IsDueTodayAt(const TDueMoment& moment) const;
    // The fixed date lies wholly before today.
    bool IsExpired() const;
    bool IsExpiredAt(TDateTime now) const;
    // The same with today's dates in both calendars worked out once, for a pass over a whole list.
    bool IsExpiredAt(const TDueMoment& today) const;
    // The day of the month the Day field stands for on that day: a month-end reminder's day 29..31 is the last day
    // of a shorter month.
    std::int32_t DayOn(const TDueMoment& moment) const;
    bool FallsToMonthEnd() const { return MonthEnd && !IsLunar && Day >= 29 && Day <= 31; }

    std::string YearText() const;
    std::string MonthText() const;
    std::string DayText() const;
    std::string WeekdaysText() const;
    std::string DateText() const;
    std::string TimeText() const;
    std::string Describe(const DescribeOptions& options) const;

    friend bool operator==(const TRmMainDate&, const TRmMainDate&) = default;
};

} // namespace chimewell
