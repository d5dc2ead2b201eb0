// Places what the recognisers found on the calendar: a one-off reminder at the nearest such moment after now,
// a repeating one with its days, interval, end and warnings; an hour that may be morning or afternoon gets both
// readings, the one that comes first (or, with a day or a repeat, the daytime one) as the record.

#include "quick_add/quick_add.h"

#include "calendar/festivals.h"
#include "calendar/lunar.h"
#include "calendar/solar_terms.h"
#include "data/reminder_schedule.h"
#include "quick_add/quick_add_findings.h"
#include "runtime/next_firing.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <variant>

namespace chimewell {

using namespace quick_add;

namespace {

const std::string NoSuchDate = "没有这个日期";
const std::string PastRefusal = "这个时间已经过去了";
const std::string NoMessage = "没有提醒内容";
const std::string NoTime = "没有找到提醒时间";
const std::string TooLongLead = "提前提醒最多 60 天";

// How far ahead a date without a year is looked for: 2月29日 may be eight years away (2096 to 2104).
constexpr int YearsAhead = 8;

struct TClock {
    int Hour = 9;
    int Minute = 0;
};

int PeriodHour(TPeriod period) {
    switch (period) {
    case TPeriod::Morning:
        return 8;
    case TPeriod::Noon:
        return 12;
    case TPeriod::Afternoon:
        return 15;
    case TPeriod::Dusk:
        return 18;
    case TPeriod::Evening:
        return 20;
    case TPeriod::SmallHours:
        return 1;
    case TPeriod::Midnight:
        return 0;
    default:
        return 9;
    }
}

// The clock as said, and for 1..11 o'clock without a time of day the same clock twelve hours on.
std::pair<TClock, std::optional<TClock>> Clocks(const TQuickAddFindings& findings) {
    if (!findings.Hour) {
        return {{PeriodHour(findings.Period), 0}, std::nullopt};
    }
    int hour = *findings.Hour;
    switch (findings.Period) {
    case TPeriod::Afternoon:
    case TPeriod::Dusk:
    case TPeriod::Evening:
        hour += hour >= 1 && hour <= 11 ? 12 : 0;
        break;
    case TPeriod::Noon:
        hour += hour >= 1 && hour <= 5 ? 12 : 0;
        break;
    case TPeriod::Midnight:
    case TPeriod::SmallHours:
        hour = hour == 12 ? 0 : hour;
        break;
    case TPeriod::None:
        if (hour >= 1 && hour <= 11) {
            return {{hour, findings.Minute}, TClock{hour + 12, findings.Minute}};
        }
        // 12点 is noon, or the midnight that begins the day.
        if (hour == 12) {
            return {{12, findings.Minute}, TClock{0, findings.Minute}};
        }
        break;
    default:
        break;
    }
    return {{hour, findings.Minute}, std::nullopt};
}

// Of an hour said without the time of day, the half people mostly mean when the day is named or repeats: 6 to
// 11 in the morning, 1 to 5 in the afternoon ("明天三点开会" is 15:00, "每天8点吃药" 08:00).
std::pair<TClock, TClock> DaytimeFirst(TClock said, TClock otherHalf) {
    return said.Hour >= 6 || said.Hour == 0 ? std::pair{said, otherHalf} : std::pair{otherHalf, said};
}

TDateTime At(TDateTime day, TClock clock) {
    return day + (clock.Hour * 60 + clock.Minute) / 1440.0;
}
bool IsAfter(TDateTime moment, TDateTime now) {
    return moment - now > 1e-7;
}

struct TPlaced {
    std::optional<TRmMainDate> Record;
    std::optional<TRmMainDate> Alternative;
    std::string Refusal;
};

TPlaced Refused(const std::string& why) {
    return {std::nullopt, std::nullopt, why};
}

TRmMainDate GregorianRecord(TDateTime day, TClock clock) {
    const DateFields date = DecodeDate(day);
    TRmMainDate record;
    record.Year = date.Year;
    record.Month = date.Month;
    record.Day = date.Day;
    record.Hour = clock.Hour;
    record.Minuter = clock.Minute;
    return record;
}

TRmMainDate LunarRecord(const LunarDate& date, TClock clock) {
    TRmMainDate record;
    record.IsLunar = true;
    record.Year = date.Year;
    record.Month = date.Month;
    record.Day = date.Day;
    record.IsLeapMonth = date.IsLeapMonth;
    record.Hour = clock.Hour;
    record.Minuter = clock.Minute;
    return record;
}

// A date that is fixed whatever the time: it is after now, or the reminder would never fire.
TPlaced PlaceFixed(TDateTime day, TClock clock, TDateTime now) {
    if (!IsAfter(At(day, clock), now)) {
        return Refused(PastRefusal);
    }
    return {GregorianRecord(day, clock), std::nullopt, {}};
}

// The nearest lunar month and day after now (the plain month, the leap one when said), and when the plain month
// has a leap month of the same number that comes earlier, that one as the other reading.
TPlaced PlaceLunar(const TQuickAddFindings& findings, TClock clock, TDateTime now) {
    const int month = findings.Date.Month;
    const int day = findings.Date.Day;
    if (month < 1 || month > 12 || day < 1 || day > 30) {
        return Refused(NoSuchDate);
    }
    const int thisYear = SolarToLunar(DateOf(now)).Year;
    // A lunar year said: that year's day, or the reason there is none.
    if (findings.Date.Year != 0 || findings.YearOffset >= 0) {
        const int year = findings.Date.Year != 0 ? findings.Date.Year : thisYear + findings.YearOffset;
        const std::string name = "农历" + std::to_string(year) + "年";
        if (year <= 1900 || year >= 2100) {
            return Refused(NoSuchDate);
        }
        if (findings.LeapMonth && LunarLeapMonth(year) != month) {
            return Refused(name + "没有闰" + LunarMonthName(month, false));
        }
        const LunarDate date{year, month, day, findings.LeapMonth};
        if (!IsValidLunarDate(date)) {
            return Refused(name + LunarMonthName(month, findings.LeapMonth) + "没有" + LunarDayName(day));
        }
        if (!IsAfter(At(LunarToSolar(date), clock), now)) {
            return Refused(PastRefusal);
        }
        return {LunarRecord(date, clock), std::nullopt, {}};
    }
    const auto next = [&](bool leap, int lastYear) -> std::optional<LunarDate> {
        for (int year = thisYear - 1; year <= lastYear; ++year) {
            const LunarDate date{year, month, day, leap};
            if ((!leap || LunarLeapMonth(year) == month) && IsValidLunarDate(date) &&
                IsAfter(At(LunarToSolar(date), clock), now)) {
                return date;
            }
        }
        return std::nullopt;
    };
    if (findings.LeapMonth) {
        // A leap month comes every few years at most; one further off than three years is no plan to make now.
        const std::optional<LunarDate> leap = next(true, thisYear + 3);
        if (!leap) {
            return Refused("三年内没有闰" + LunarMonthName(month, false));
        }
        return {LunarRecord(*leap, clock), std::nullopt, {}};
    }
    const std::optional<LunarDate> plain = next(false, thisYear + YearsAhead);
    if (!plain) {
        return Refused(NoSuchDate);
    }
    TPlaced placed{LunarRecord(*plain, clock), std::nullopt, {}};
    if (const std::optional<LunarDate> leap = next(true, plain->Year);
        leap && LunarToSolar(*leap) < LunarToSolar(*plain)) {
        placed.Alternative = LunarRecord(*leap, clock);
    }
    return placed;
}

// The next day of the lunar month with that number, in whatever month, a leap one too.
TPlaced PlaceLunarDay(int day, TClock clock, TDateTime now) {
    if (day < 1 || day > 30) {
        return Refused(NoSuchDate);
    }
    const TDateTime today = DateOf(now);
    for (int ahead = 0; ahead <= 400; ++ahead) {
        const LunarDate date = SolarToLunar(today + ahead);
        if (date.Day == day && IsAfter(At(today + ahead, clock), now)) {
            return {LunarRecord(date, clock), std::nullopt, {}};
        }
    }
    return Refused(NoSuchDate);
}

// The Gregorian year a festival was said in ("2027年春节", "明年中秋"); 0 when none was.
int SaidYear(const TQuickAddFindings& findings, TDateTime now) {
    if (findings.Date.Year != 0) {
        return findings.Date.Year;
    }
    return findings.YearOffset >= 0 ? DecodeDate(now).Year + findings.YearOffset : 0;
}

// The next such festival after now, or the one of the year said, refused when that one has passed.
TPlaced PlaceFestival(const TQuickAddFindings& findings, TClock clock, TDateTime now) {
    const TFestival& festival = *findings.Festival;
    const int said = SaidYear(findings, now);
    if (said != 0 && (said <= 1901 || said >= 2100)) {
        return Refused(NoSuchDate);
    }
    if (findings.FestivalLunar) {
        const int thisYear = SolarToLunar(DateOf(now)).Year;
        // A lunar festival's year is the lunar year: in December "今年除夕" is the eve of the lunar year now running,
        // which falls in the next Gregorian year.
        const int lunarSaid = findings.Date.Year != 0    ? findings.Date.Year
                              : findings.YearOffset >= 0 ? thisYear + findings.YearOffset
                                                         : 0;
        const int first = lunarSaid != 0 ? lunarSaid : thisYear - 1;
        const int last = lunarSaid != 0 ? lunarSaid : thisYear + 2;
        for (int year = first; year <= last; ++year) {
            const TDateTime day = LunarFestivalDate(festival, year);
            if (IsAfter(At(day, clock), now)) {
                // A one-off 除夕 names the day it falls on: a 30th in a short month would never come.
                const int dayOfMonth = std::min(festival.Day, LunarMonthDays(year, festival.Month));
                return {LunarRecord({year, festival.Month, dayOfMonth, false}, clock), std::nullopt, {}};
            }
            if (lunarSaid != 0) {
                return Refused(PastRefusal);
            }
        }
        return Refused(NoSuchDate);
    }
    const int thisYear = DecodeDate(now).Year;
    for (int year = said != 0 ? said : thisYear; year <= (said != 0 ? said : thisYear + 1); ++year) {
        if (IsAfter(At(SolarFestivalDate(festival, year), clock), now)) {
            TRmMainDate record = GregorianRecord(SolarFestivalDate(festival, year), clock);
            record.Month = festival.Month;
            record.Day = festival.Day;
            record.Message = FestivalWeekCondition(festival);
            return {record, std::nullopt, {}};
        }
    }
    return Refused(said != 0 ? PastRefusal : NoSuchDate);
}

TPlaced PlaceSolarTerm(int term, int saidYear, TClock clock, TDateTime now) {
    const int thisYear = DecodeDate(now).Year;
    if (saidYear != 0 && (saidYear <= 1900 || saidYear >= 2100)) {
        return Refused(NoSuchDate);
    }
    // The Gregorian year said (明年立春), else this one's or the next.
    for (int year = saidYear != 0 ? saidYear : thisYear; year <= (saidYear != 0 ? saidYear : thisYear + 1); ++year) {
        const TDateTime day = DateOf(SolarTermMoment(year, term));
        if (IsAfter(At(day, clock), now)) {
            // A term's reminder is a lunar one, its year the lunar year of the day: 小寒 and 大寒 come before the
            // lunar new year and belong to the year before.
            TRmMainDate record;
            record.IsLunar = true;
            record.Year = SolarToLunar(day).Year;
            record.Month = SolarTermMonth;
            record.Day = term;
            record.Hour = clock.Hour;
            record.Minuter = clock.Minute;
            return {record, std::nullopt, {}};
        }
    }
    return Refused(saidYear != 0 ? PastRefusal : NoSuchDate);
}

// Why a Gregorian month and day are no date: "2月没有30日", "2027年2月没有29日", "一年没有13月".
std::string NoSuchGregorianDate(int year, int month, int day) {
    if (month < 1 || month > 12) {
        return "一年没有" + std::to_string(month) + "月";
    }
    return (year != 0 ? std::to_string(year) + "年" : std::string()) + std::to_string(month) + "月没有" +
           std::to_string(day) + "日";
}

// A Gregorian month and day, in the year given or else the nearest year that has it after now.
TPlaced PlaceGregorian(const TQuickAddFindings& findings, TClock clock, TDateTime now) {
    const TGregorianDate& date = findings.Date;
    const int thisYear = DecodeDate(now).Year;
    int year = date.Year;
    if (year == 0 && findings.YearOffset >= 0) {
        year = thisYear + findings.YearOffset;
    }
    if (year != 0) {
        if (!IsValidGregorianDate(year, date.Month, date.Day)) {
            return Refused(NoSuchGregorianDate(year, date.Month, date.Day));
        }
        return PlaceFixed(EncodeDate(year, date.Month, date.Day), clock, now);
    }
    bool exists = false;
    for (year = thisYear; year <= thisYear + YearsAhead; ++year) {
        if (IsValidGregorianDate(year, date.Month, date.Day)) {
            exists = true;
            if (IsAfter(At(EncodeDate(year, date.Month, date.Day), clock), now)) {
                return PlaceFixed(EncodeDate(year, date.Month, date.Day), clock, now);
            }
        }
    }
    return Refused(exists ? PastRefusal : NoSuchGregorianDate(0, date.Month, date.Day));
}

TPlaced PlaceWeekday(const TQuickAddFindings& findings, TClock clock, TDateTime now) {
    const TDateTime today = DateOf(now);
    const int weekday = *findings.Weekday;             // 1 = Monday .. 7 = Sunday
    const int todayIndex = (DayOfWeek(today) + 5) % 7; // [0, 6], Monday 0
    const TDateTime monday = today - todayIndex;
    switch (findings.WeekOf) {
    case TWeekOf::This:
        return PlaceFixed(monday + weekday - 1, clock, now);
    case TWeekOf::Following:
        return PlaceFixed(monday + 7 + weekday - 1, clock, now);
    case TWeekOf::AfterFollowing:
        return PlaceFixed(monday + 14 + weekday - 1, clock, now);
    case TWeekOf::Next:
        break;
    }
    for (int ahead = 0; ahead <= 7; ++ahead) {
        if ((todayIndex + ahead) % 7 == weekday - 1 && IsAfter(At(today + ahead, clock), now)) {
            return PlaceFixed(today + ahead, clock, now);
        }
    }
    return Refused(PastRefusal);
}

TDateTime LastDayOfMonth(int year, int month) {
    return EncodeDate(year, month, GregorianMonthDays(year, month));
}

TPlaced PlaceOnce(const TQuickAddFindings& findings, TClock clock, TDateTime now) {
    const TDateTime today = DateOf(now);
    const DateFields todayFields = DecodeDate(today);
    if (findings.SolarTerm >= 0) {
        return PlaceSolarTerm(findings.SolarTerm, SaidYear(findings, now), clock, now);
    }
    if (findings.Festival != nullptr) {
        return PlaceFestival(findings, clock, now);
    }
    if (findings.NewYearsDay) {
        TQuickAddFindings newYear = findings;
        newYear.Date = {findings.Date.Year, 1, 1};
        return PlaceGregorian(newYear, clock, now);
    }
    if (findings.Lunar) {
        if (findings.Date.Month == 0) {
            return PlaceLunarDay(findings.Date.Day, clock, now);
        }
        TPlaced placed = PlaceLunar(findings, clock, now);
        if (findings.BareChineseDate && placed.Record && !placed.Alternative) {
            TQuickAddFindings gregorian = findings;
            gregorian.Lunar = false;
            placed.Alternative = PlaceGregorian(gregorian, clock, now).Record;
        }
        return placed;
    }
    if (findings.Date.Month != 0 || findings.Date.Day != 0) {
        if (findings.Date.Month < 1 || findings.Date.Month > 12 || findings.Date.Day < 1 || findings.Date.Day > 31) {
            return Refused(NoSuchDate);
        }
        return PlaceGregorian(findings, clock, now);
    }
    if (findings.ThisMonthEnd) {
        return PlaceFixed(LastDayOfMonth(todayFields.Year, todayFields.Month), clock, now);
    }
    if (findings.NextMonthDay != 0) {
        const int year = todayFields.Year + (todayFields.Month == 12 ? 1 : 0);
        const int month = todayFields.Month % 12 + 1;
        if (!IsValidGregorianDate(year, month, findings.NextMonthDay)) {
            return Refused(NoSuchDate);
        }
        return PlaceFixed(EncodeDate(year, month, findings.NextMonthDay), clock, now);
    }
    if (findings.ComingMonthDay != 0) {
        // This month's when it is still to come, else the next month that has the day.
        for (int ahead = 0; ahead <= 12; ++ahead) {
            const int index = todayFields.Year * 12 + todayFields.Month - 1 + ahead;
            const int year = index / 12;
            const int month = index % 12 + 1;
            if (IsValidGregorianDate(year, month, findings.ComingMonthDay) &&
                IsAfter(At(EncodeDate(year, month, findings.ComingMonthDay), clock), now)) {
                return PlaceFixed(EncodeDate(year, month, findings.ComingMonthDay), clock, now);
            }
        }
        return Refused(NoSuchGregorianDate(0, todayFields.Month, findings.ComingMonthDay));
    }
    if (findings.NextMonthEnd) {
        const int index = todayFields.Year * 12 + todayFields.Month;
        return PlaceFixed(LastDayOfMonth(index / 12, index % 12 + 1), clock, now);
    }
    if (findings.MonthsLater != 0) {
        // The same day that many months on, or that month's last where it is shorter.
        const int index = todayFields.Year * 12 + todayFields.Month - 1 + findings.MonthsLater;
        const int year = index / 12;
        const int month = index % 12 + 1;
        if (year > 2100) {
            return Refused(NoSuchDate);
        }
        return PlaceFixed(EncodeDate(year, month, std::min(todayFields.Day, GregorianMonthDays(year, month))), clock,
                          now);
    }
    if (findings.DayOffset && findings.Weekday && *findings.DayOffset % 7 == 0) {
        // 两周后的周一: that weekday of the week so many weeks on.
        const TDateTime later = today + *findings.DayOffset;
        const int laterIndex = (DayOfWeek(later) + 5) % 7; // Monday 0
        return PlaceFixed(later - laterIndex + (*findings.Weekday - 1), clock, now);
    }
    if (findings.DayOffset) {
        return PlaceFixed(today + *findings.DayOffset, clock, now);
    }
    if (findings.Weekday) {
        return PlaceWeekday(findings, clock, now);
    }
    // A time of day alone: today's if it is still to come, else tomorrow's.
    return PlaceFixed(IsAfter(At(today, clock), now) ? today : today + 1, clock, now);
}

TPlaced PlaceMinutesLater(int minutes, TDateTime now) {
    const TDateTime moment = MinuteOf(now + 1e-7) + minutes / 1440.0 + 1e-7;
    const TimeFields time = DecodeTime(moment);
    return {GregorianRecord(DateOf(moment), {time.Hour, time.Minute}), std::nullopt, {}};
}

// The days of a repeating reminder, without its time; empty Refusal when they exist.
TPlaced RepeatDays(const TQuickAddFindings& findings) {
    TRmMainDate record;
    record.IsLunar = findings.Lunar;
    record.IsLeapMonth = findings.LeapMonth;
    record.Message = findings.Condition;
    switch (findings.Repeat) {
    case TRepeat::Daily:
    case TRepeat::None:
        break;
    case TRepeat::Weekly:
        record.Day = findings.Weekdays == 0 ? 0 : WeekdayMask | findings.Weekdays;
        break;
    case TRepeat::Monthly:
        if (findings.Weekdays != 0) {
            record.Day = WeekdayMask | findings.Weekdays;
        } else if (findings.Date.Day < 1 || findings.Date.Day > (findings.Lunar ? 30 : 31)) {
            return Refused(NoSuchDate);
        } else {
            record.Day = findings.Date.Day;
            // 每月最后一天: day 31, on the last day of the shorter months.
            record.MonthEnd = findings.MonthEnd && !findings.Lunar;
        }
        break;
    case TRepeat::Yearly:
        if (findings.SolarTerm >= 0) {
            record.IsLunar = true;
            record.Month = SolarTermMonth;
            record.Day = findings.SolarTerm;
        } else if (findings.Festival != nullptr) {
            record.IsLunar = findings.FestivalLunar;
            record.Month = findings.Festival->Month;
            record.Day = findings.Festival->Day;
            record.Message = FestivalWeekCondition(*findings.Festival);
        } else if (findings.NewYearsDay) {
            record.Month = 1;
            record.Day = 1;
        } else if (findings.Weekdays != 0 && findings.Date.Month >= 1 && findings.Date.Month <= 12) {
            record.Month = findings.Date.Month;
            record.Day = WeekdayMask | findings.Weekdays;
        } else if (findings.Date.Month == 0) {
            return Refused(NoTime);
        } else {
            const int longest =
                findings.Lunar ? 30 : GregorianMonthDays(2000, std::max(1, std::min(findings.Date.Month, 12)));
            if (findings.Date.Month > 12 || findings.Date.Day < 1 || findings.Date.Day > longest) {
                return Refused(NoSuchDate);
            }
            record.Month = findings.Date.Month;
            record.Day = findings.Date.Day;
        }
        break;
    }
    return {record, std::nullopt, {}};
}

TPlaced PlaceRepeat(const TQuickAddFindings& findings, TDateTime now) {
    TPlaced placed = RepeatDays(findings);
    if (!placed.Record) {
        return placed;
    }
    auto [clock, otherHalf] = Clocks(findings);
    if (otherHalf) {
        std::tie(clock, otherHalf) = DaytimeFirst(clock, *otherHalf);
    }
    TRmMainDate record = *placed.Record;
    record.Hour = clock.Hour;
    record.Minuter = clock.Minute;
    if (!NextFiring(record, now, false)) {
        return Refused(NoSuchDate);
    }
    placed.Record = record;
    if (otherHalf) {
        TRmMainDate other = record;
        other.Hour = otherHalf->Hour;
        placed.Alternative = other;
    }
    return placed;
}

// The interval counts from the first day the reminder would fire without it.
void StartInterval(const TQuickAddFindings& findings, TRmMainDate& record, TDateTime now) {
    if (findings.Every == RepeatUnit::None) {
        return;
    }
    if (const std::optional<TDateTime> first = NextFiring(record, now, false)) {
        record.Every = findings.Every;
        record.EveryCount = findings.EveryCount;
        record.StartDate = StoredDateOf(DateOf(*first));
    }
}

// The last day an end phrase allows; a refusal when there is no such day or it has gone.
std::variant<std::int32_t, std::string> EndDate(const TQuickAddFindings& findings, TDateTime now) {
    const TDateTime today = DateOf(now);
    const DateFields fields = DecodeDate(today);
    if (findings.EndAtMonthEnd) {
        return StoredDateOf(LastDayOfMonth(fields.Year, fields.Month));
    }
    if (findings.EndAtNextMonthEnd) {
        const int index = fields.Year * 12 + fields.Month;
        return StoredDateOf(LastDayOfMonth(index / 12, index % 12 + 1));
    }
    if (findings.EndAtYearEnd) {
        return StoredDateOf(EncodeDate(fields.Year, 12, 31));
    }
    TGregorianDate end = *findings.End;
    if (end.Year == 0 && findings.EndYearOffset >= 0) {
        end.Year = fields.Year + findings.EndYearOffset;
    }
    if (end.Year != 0) {
        if (!IsValidGregorianDate(end.Year, end.Month, end.Day)) {
            return NoSuchDate;
        }
        if (EncodeDate(end.Year, end.Month, end.Day) < today) {
            return PastRefusal;
        }
        return StoredDateOf(EncodeDate(end.Year, end.Month, end.Day));
    }
    for (int year = fields.Year; year <= fields.Year + YearsAhead; ++year) {
        if (IsValidGregorianDate(year, end.Month, end.Day) && EncodeDate(year, end.Month, end.Day) >= today) {
            return StoredDateOf(EncodeDate(year, end.Month, end.Day));
        }
    }
    return NoSuchDate;
}

TLeadTime LeadOf(int minutes) {
    if (minutes % 1440 == 0) {
        return {minutes / 1440, LeadUnit::Days};
    }
    if (minutes % 60 == 0) {
        return {minutes / 60, LeadUnit::Hours};
    }
    return {minutes, LeadUnit::Minutes};
}

// Gives the record what the phrase says beyond its date and time; a refusal, or empty.
std::string Finish(const TQuickAddFindings& findings, TRmMainDate& record, TDateTime now) {
    std::vector<TLeadTime> warnings;
    for (const int minutes : findings.LeadMinutes) {
        if (minutes > LongestLeadMinutes) {
            return TooLongLead;
        }
        if (minutes <= 30) {
            record.Forward = std::max(record.Forward, minutes);
        } else {
            warnings.push_back(LeadOf(minutes));
        }
    }
    record.Warnings = OrderedWarnings(std::move(warnings));
    // A one-off's warning that falls before now would never come.
    if (record.Year != 0 && record.Every == RepeatUnit::None && !record.Warnings.empty()) {
        TRmMainDate own = record;
        own.Warnings.clear();
        own.Forward = 0;
        if (const std::optional<TDateTime> at = NextFiring(own, now - 1.0 / 1440, false)) {
            for (const TLeadTime& lead : record.Warnings) {
                if (!IsAfter(*at - lead.Minutes() / 1440.0, now)) {
                    return "提前" + LeadText(lead) + "的提醒时间已经过去了";
                }
            }
        }
    }
    // 1月6日星期二, 明天周六, 明天12月13日: a day said twice over, the two disagreeing.
    if (record.Year != 0 && record.Every == RepeatUnit::None && !record.IsLunar && record.Month >= 1 &&
        record.Month <= 12 && record.Day >= 1 && record.Day <= 31) {
        const TDateTime day = EncodeDate(record.Year, record.Month, record.Day);
        const std::string date = std::to_string(record.Year) + "年" + std::to_string(record.Month) + "月" +
                                 std::to_string(record.Day) + "日";
        static const char* const names[] = {"一", "二", "三", "四", "五", "六", "日"};
        const int weekday = (DayOfWeek(day) + 5) % 7 + 1;
        if (findings.Weekday && weekday != *findings.Weekday) {
            return date + "是星期" + names[weekday - 1] + "，不是星期" + names[*findings.Weekday - 1];
        }
        if (findings.DayOffset && findings.Date.Month != 0 && DateOf(now) + *findings.DayOffset != day) {
            const DateFields said = DecodeDate(DateOf(now) + *findings.DayOffset);
            return "说的是" + std::to_string(said.Month) + "月" + std::to_string(said.Day) + "日，又说" + date;
        }
    }
    if (findings.End || findings.EndAtMonthEnd || findings.EndAtNextMonthEnd || findings.EndAtYearEnd) {
        const auto end = EndDate(findings, now);
        if (const std::string* refusal = std::get_if<std::string>(&end)) {
            return *refusal;
        }
        record.EndDate = std::get<std::int32_t>(end);
    }
    record.EndCount = findings.EndCount;
    record.Message += findings.Message;
    return {};
}

TGregorianDate GregorianDateOf(TDateTime day) {
    const DateFields fields = DecodeDate(day);
    return {fields.Year, fields.Month, fields.Day};
}

// The day a repeat starts on: the date said in its year (one already past: it has begun), or the next year that
// has it on or after today.
std::variant<TDateTime, std::string> StartDay(const TGregorianDate& start, TDateTime now) {
    if (start.Year != 0) {
        if (!IsValidGregorianDate(start.Year, start.Month, start.Day)) {
            return NoSuchGregorianDate(start.Year, start.Month, start.Day);
        }
        return EncodeDate(start.Year, start.Month, start.Day);
    }
    const TDateTime today = DateOf(now);
    const int thisYear = DecodeDate(today).Year;
    for (int year = thisYear; year <= thisYear + YearsAhead; ++year) {
        if (IsValidGregorianDate(year, start.Month, start.Day) && EncodeDate(year, start.Month, start.Day) >= today) {
            return EncodeDate(year, start.Month, start.Day);
        }
    }
    return NoSuchGregorianDate(0, start.Month, start.Day);
}

} // namespace

TQuickAddResult ParseQuickAdd(std::string_view text, TDateTime now) {
    TQuickAddFindings findings = RecogniseFindings(text);
    // 从明年1月1日起: the year, now that it is known.
    if (findings.Start && findings.StartYearOffset >= 0 && findings.Start->Year == 0) {
        findings.Start->Year = DecodeDate(now).Year + findings.StartYearOffset;
    }
    // The day a start word names as a date, the start being gone: 从明天起 is 明天, 从下个月起 its first day.
    if (findings.StartDayOffset) {
        findings.Start = GregorianDateOf(DateOf(now) + *findings.StartDayOffset);
    } else if (findings.StartWeekday != 0) {
        TQuickAddFindings weekday;
        weekday.Weekday = findings.StartWeekday;
        weekday.WeekOf = findings.StartWeekOf;
        if (const std::optional<TRmMainDate> day = PlaceWeekday(weekday, TClock{23, 59}, now).Record) {
            findings.Start = TGregorianDate{day->Year, day->Month, day->Day};
        }
    } else if (findings.StartNextMonth) {
        const DateFields today = DecodeDate(now);
        findings.Start = TGregorianDate{today.Year + (today.Month == 12 ? 1 : 0), today.Month % 12 + 1, 1};
    }
    // 从12月15日起 without a repeat is that day.
    if (findings.Start && findings.Repeat == TRepeat::None && !findings.HasDate()) {
        findings.Date = *findings.Start;
        findings.Start.reset();
    }
    // 晚上12点 and 今晚零点 end the evening: the midnight after it, the next day's 0:00.
    // 半夜12点 too; on a named day that midnight begins the next one ("周五晚上12点" is Saturday 0:00).
    bool afterMidnight = false;
    if ((findings.Period == TPeriod::Evening || findings.Period == TPeriod::Midnight) && findings.Hour &&
        (*findings.Hour == 12 || *findings.Hour == 0)) {
        findings.Hour = 0;
        findings.Period = TPeriod::Midnight;
        if (findings.DayOffset) {
            ++*findings.DayOffset;
        } else if (findings.HasDate() && findings.Repeat == TRepeat::None) {
            // Placed at the end of the day named, then moved on to the midnight.
            afterMidnight = true;
            findings.Hour = 23;
        }
    }
    const int midnightMinute = findings.Minute;
    if (afterMidnight) {
        findings.Minute = 59;
    }
    TQuickAddResult result;
    if (!findings.Refusal.empty()) {
        result.Refusal = findings.Refusal;
        return result;
    }
    if (findings.Message.empty()) {
        result.Refusal = NoMessage;
        return result;
    }
    if (!findings.HasTime() && findings.Repeat == TRepeat::None) {
        result.Refusal = NoTime;
        return result;
    }
    if (findings.DaysBefore != 0 && findings.Repeat != TRepeat::None) {
        result.Refusal = findings.DaysBefore > 0 ? "每年的“某天前几天”可以写成提前提醒，如“每年春节 提前3天”"
                                                 : "重复的提醒不能定在节日后几天：请写出日子";
        return result;
    }
    TPlaced placed;
    if (findings.Repeat != TRepeat::None) {
        placed = PlaceRepeat(findings, now);
    } else if (findings.MinutesLater) {
        placed = PlaceMinutesLater(*findings.MinutesLater, now);
    } else {
        auto [clock, otherHalf] = Clocks(findings);
        if (otherHalf && findings.HasDate()) {
            std::tie(clock, otherHalf) = DaytimeFirst(clock, *otherHalf);
        }
        placed = PlaceOnce(findings, clock, now);
        if (otherHalf && !findings.HasDate()) {
            // A clock alone: whichever half of the day comes first.
            TPlaced other = PlaceOnce(findings, *otherHalf, now);
            if (placed.Record && other.Record) {
                const auto moment = [](const TRmMainDate& r) {
                    return EncodeDateTime(r.Year, r.Month, r.Day, r.Hour, r.Minuter);
                };
                // 12点 stays noon, midnight being the other reading, unless it is said in the evening.
                if ((clock.Hour != 12 || DecodeTime(now).Hour >= 18) &&
                    moment(*other.Record) < moment(*placed.Record)) {
                    std::swap(placed, other);
                }
                placed.Alternative = other.Record;
            }
        } else if (otherHalf) {
            // With a day: the half people mostly mean, the other a click away; each placed on its own, for one of
            // them may have passed already (今天3点 at 10:00).
            TPlaced other = PlaceOnce(findings, *otherHalf, now);
            if (!placed.Record) {
                std::swap(placed, other);
            }
            if (placed.Record && other.Record) {
                placed.Alternative = other.Record;
            }
        }
    }
    if (!placed.Record) {
        result.Refusal = placed.Refusal;
        return result;
    }
    if (afterMidnight || findings.DaysBefore != 0) {
        // So many days before the named day, or the midnight after it: a Gregorian day of its own, still to come.
        placed.Alternative.reset();
        const std::optional<TDateTime> named = NextFiring(*placed.Record, now - 1.0 / 1440, false);
        if (!named) {
            result.Refusal = NoSuchDate;
            return result;
        }
        const TClock clock =
            afterMidnight ? TClock{0, midnightMinute} : TClock{placed.Record->Hour, placed.Record->Minuter};
        const TDateTime day = DateOf(*named) - findings.DaysBefore + (afterMidnight ? 1 : 0);
        TRmMainDate before = GregorianRecord(day, clock);
        if (!IsAfter(At(day, clock), now)) {
            result.Refusal = PastRefusal;
            return result;
        }
        placed.Record = before;
        // The weekday named is the evening's, not the midnight's ("周五晚上12点" is Saturday 0:00).
        if (afterMidnight) {
            findings.Weekday.reset();
        }
    }
    if (findings.Repeat != TRepeat::None) {
        if (findings.Start) {
            const auto start = StartDay(*findings.Start, now);
            if (const std::string* refusal = std::get_if<std::string>(&start)) {
                result.Refusal = *refusal;
                return result;
            }
            // The first firing is on or after that day; an interval counts from it.
            const TDateTime day = std::get<TDateTime>(start);
            for (std::optional<TRmMainDate>* reading : {&placed.Record, &placed.Alternative}) {
                if (*reading) {
                    (*reading)->StartDate = StoredDateOf(day);
                }
            }
            now = std::max(now, day - 1e-6);
        }
        StartInterval(findings, *placed.Record, now);
        if (placed.Alternative) {
            StartInterval(findings, *placed.Alternative, now);
        }
    }
    if (std::string refusal = Finish(findings, *placed.Record, now); !refusal.empty()) {
        result.Refusal = std::move(refusal);
        return result;
    }
    if (placed.Alternative) {
        Finish(findings, *placed.Alternative, now);
    }
    result.Record = std::move(placed.Record);
    result.Alternative = std::move(placed.Alternative);
    return result;
}

} // namespace chimewell
