#include "runtime/next_firing.h"

#include "calendar/due.h"
#include "calendar/holidays.h"
#include "calendar/lunar.h"
#include "calendar/solar_terms.h"
#include "data/reminder_schedule.h"
#include "runtime/remind_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <mutex>
#include <unordered_map>

namespace chimewell {

namespace {

constexpr std::int64_t MinutesPerDay = 1440;

std::int64_t SerialOf(int year, int month, int day) {
    return SerialDay(EncodeDate(year, month, day));
}

std::int64_t RangeFirstDay() {
    static const std::int64_t day = SerialOf(1900, 1, 1);
    return day;
}
std::int64_t RangeLastDay() {
    static const std::int64_t day = SerialOf(2100, 12, 31);
    return day;
}
std::int64_t LunarFirstDay() {
    static const std::int64_t day = SerialDay(LunarNewYearDate(LunarTableFirstYear));
    return day;
}

// Minutes counted from 1899-12-30 00:00.
std::int64_t MinuteNumber(TDateTime moment) {
    const TimeFields time = DecodeTime(moment);
    return SerialDay(moment) * MinutesPerDay + time.Hour * 60 + time.Minute;
}

// The same value EncodeDateTime gives for that day and minute, so that callers may compare moments exactly.
TDateTime MomentOf(std::int64_t day, int minuteOfDay) {
    return static_cast<TDateTime>(day) + (minuteOfDay * 60000.0) / 86400000.0;
}

int WeekdayBitOf(std::int64_t day) {
    const int weekday = DayOfWeek(static_cast<TDateTime>(day)); // 1 = Sunday .. 7 = Saturday
    return weekday == 1 ? 0x40 : 1 << (weekday - 2);
}

// The minutes of a matching day at which the time test holds: the early minute, then the set minute. Hand-edited
// fields may hold anything: a set time that is no time of day never matches itself, though its early minute
// still may (a Minuter of 90 with Forward 10 matches 80 minutes into the hour).
struct DayMinutes {
    std::array<int, 2> Minute{};
    int Count = 0;
};

DayMinutes FiringMinutesOfDay(const TRmMainDate& record) {
    DayMinutes minutes;
    const std::int64_t set = std::int64_t{record.Hour} * 60 + record.Minuter;
    if (record.Forward > 0) {
        const std::int64_t early = set - record.Forward;
        if (early >= 0 && early < MinutesPerDay) {
            minutes.Minute[static_cast<std::size_t>(minutes.Count++)] = static_cast<int>(early);
        }
    }
    if (record.Hour >= 0 && record.Hour < 24 && record.Minuter >= 0 && record.Minuter < 60) {
        minutes.Minute[static_cast<std::size_t>(minutes.Count++)] = static_cast<int>(set);
    }
    return minutes;
}

// Which days of a month the Day field can match.
enum class DayRule { Every, Fixed, Weekdays, Never };
struct DayPattern {
    DayRule Rule = DayRule::Never;
    int Fixed = 0;
    int WeekdayBits = 0;
};

DayPattern DayPatternOf(int day, int longestMonth) {
    if (day == 0) {
        return {DayRule::Every};
    }
    if (day >= 1 && day <= longestMonth) {
        return {DayRule::Fixed, day};
    }
    if ((day & WeekdayMask) == 0) {
        return {};
    }
    const int bits = day & 0x7F;
    if (bits == 0) {
        return {};
    }
    return bits == 0x7F ? DayPattern{DayRule::Every} : DayPattern{DayRule::Weekdays, 0, bits};
}

// Collects the firings of the candidate days it is shown, in time order; tells the enumerators when to stop.
class FiringCollector {
public:
    FiringCollector(const TRmMainDate& record, std::int64_t afterMinute, std::int64_t untilMinute, int count,
                    bool beginWithSunday, bool withCondition = true)
        : Record(record), Minutes(FiringMinutesOfDay(record)), AfterMinute(afterMinute), UntilMinute(untilMinute),
          Count(count), BeginWithSunday(beginWithSunday),
          HasCondition(withCondition && HasWeekCondition(record.Message)),
          HasHolidayDependence(HasHolidayCondition(record.Message)), HasInterval(record.HasInterval()) {}

    bool CanFire() const { return Minutes.Count > 0 && Count > 0; }

    // False once enough firings are found or the day lies past the end.
    bool Visit(std::int64_t day) {
        // Days the interval does not take are passed over.
        if (HasInterval && !IntervalTakesDay(Record, day)) {
            return day * MinutesPerDay <= UntilMinute;
        }
        for (int i = 0; i < Minutes.Count; ++i) {
            const int minuteOfDay = Minutes.Minute[static_cast<std::size_t>(i)];
            const std::int64_t minute = day * MinutesPerDay + minuteOfDay;
            if (minute <= AfterMinute) {
                continue;
            }
            if (minute > UntilMinute) {
                return false;
            }
            // The enumerators may offer more days than match; the tick's own test has the last word.
            const TDateTime moment = MomentOf(day, minuteOfDay);
            if (!Record.IsDueNowAt(moment) || !ConditionHolds(moment)) {
                continue;
            }
            Result.Minutes.push_back(moment);
            if (static_cast<int>(Result.Minutes.size()) >= Count) {
                return false;
            }
        }
        return true;
    }

    TNextFirings Result;

private:
    bool ConditionHolds(TDateTime moment) {
        if (!HasCondition) {
            return true;
        }
        if (HasHolidayDependence) {
            const int year = DecodeDate(moment).Year;
            const bool noted = !Result.GuessedHolidayYears.empty() && Result.GuessedHolidayYears.back().Year == year;
            if (!noted && !IsHolidayYearKnown(year)) {
                Result.GuessedHolidayYears.push_back({year, moment});
            }
        }
        return WeekConditionHoldsAt(Record.Message, moment, BeginWithSunday);
    }

    const TRmMainDate& Record;
    const DayMinutes Minutes;
    const std::int64_t AfterMinute;
    const std::int64_t UntilMinute;
    const int Count;
    const bool BeginWithSunday;
    const bool HasCondition;
    const bool HasHolidayDependence;
    const bool HasInterval;
};

// The days of one month that the pattern allows, from firstDay on. A lunar day 30 kept for every year falls on
// the 29th of a short month (fallToLastDay). False when the collector wants no more.
bool VisitMonth(const DayPattern& pattern, std::int64_t monthStart, int length, std::int64_t firstDay,
                std::int64_t lastDay, bool fallToLastDay, FiringCollector& collector) {
    if (pattern.Rule == DayRule::Fixed) {
        int day = pattern.Fixed;
        if (day > length) {
            if (!fallToLastDay) {
                return true;
            }
            day = length;
        }
        const std::int64_t serial = monthStart + day - 1;
        return serial < firstDay || serial > lastDay || collector.Visit(serial);
    }
    const std::int64_t from = std::max(monthStart, firstDay);
    const std::int64_t to = std::min(monthStart + length - 1, lastDay);
    for (std::int64_t serial = from; serial <= to; ++serial) {
        if (pattern.Rule == DayRule::Weekdays && (pattern.WeekdayBits & WeekdayBitOf(serial)) == 0) {
            continue;
        }
        if (!collector.Visit(serial)) {
            return false;
        }
    }
    return true;
}

// Restricts [from, to] to the one year a record names; false when that year lies outside.
bool NarrowToYear(std::int32_t year, int& from, int& to) {
    if (year == 0) {
        return true;
    }
    if (year < from || year > to) {
        return false;
    }
    from = to = year;
    return true;
}

void VisitSolarDays(const TRmMainDate& record, std::int64_t firstDay, std::int64_t lastDay,
                    FiringCollector& collector) {
    const DayPattern pattern = DayPatternOf(record.Day, 31);
    if (pattern.Rule == DayRule::Never || record.Month < 0 || record.Month > 12) {
        return;
    }
    // A day the month never has (2-30, 4-31) is known at once; 2000 is a leap year, so 2-29 stays possible. A
    // month-end reminder has it on the month's last day instead.
    const bool monthEnd = record.FallsToMonthEnd();
    if (!monthEnd && pattern.Rule == DayRule::Fixed && record.Month != 0 &&
        pattern.Fixed > GregorianMonthDays(2000, record.Month)) {
        return;
    }
    int fromYear = DecodeDate(static_cast<TDateTime>(firstDay)).Year;
    int toYear = DecodeDate(static_cast<TDateTime>(lastDay)).Year;
    if (!NarrowToYear(record.Year, fromYear, toYear)) {
        return;
    }
    const int firstMonth = record.Month == 0 ? 1 : record.Month;
    const int lastMonth = record.Month == 0 ? 12 : record.Month;
    for (int year = fromYear; year <= toYear; ++year) {
        // A leap day of every year: only leap years need a look.
        if (!monthEnd && pattern.Rule == DayRule::Fixed && record.Month == 2 && pattern.Fixed == 29 &&
            !IsGregorianLeapYear(year)) {
            continue;
        }
        for (int month = firstMonth; month <= lastMonth; ++month) {
            const std::int64_t monthStart = SerialOf(year, month, 1);
            const int length = GregorianMonthDays(year, month);
            if (monthStart > lastDay) {
                return;
            }
            if (monthStart + length - 1 < firstDay) {
                continue;
            }
            if (!VisitMonth(pattern, monthStart, length, firstDay, lastDay, monthEnd, collector)) {
                return;
            }
        }
    }
}

// A solar-term record's Year is the lunar year the term falls in: a term of January names the lunar year before.
void VisitSolarTermDays(const TRmMainDate& record, std::int64_t firstDay, std::int64_t lastDay,
                        FiringCollector& collector) {
    const int index = record.Day;
    if (index < 0 || index >= SolarTermCount) {
        return;
    }
    int fromYear = DecodeDate(static_cast<TDateTime>(firstDay)).Year;
    int toYear = DecodeDate(static_cast<TDateTime>(lastDay)).Year;
    if (record.Year != 0) {
        fromYear = static_cast<int>(std::max<std::int64_t>(fromYear, record.Year));
        toYear = static_cast<int>(std::min<std::int64_t>(toYear, std::int64_t{record.Year} + 1));
    }
    for (int year = fromYear; year <= toYear; ++year) {
        const std::int64_t day = SerialDay(SolarTermMoment(year, index));
        if (day > lastDay) {
            return;
        }
        if (day >= firstDay && !collector.Visit(day)) {
            return;
        }
    }
}

void VisitLunarDays(const TRmMainDate& record, std::int64_t firstDay, std::int64_t lastDay,
                    FiringCollector& collector) {
    if (record.Month == SolarTermMonth) {
        VisitSolarTermDays(record, firstDay, lastDay, collector);
        return;
    }
    const DayPattern pattern = DayPatternOf(record.Day, 30);
    if (pattern.Rule == DayRule::Never || record.Month < 0 || record.Month > 12) {
        return;
    }
    if (firstDay < LunarFirstDay()) {
        // Before the table's first day there is no lunar date, and only a record that names no month and no day
        // of the month matches: every day, or its weekdays.
        if (record.Year == 0 && record.Month == 0 && pattern.Rule != DayRule::Fixed) {
            const auto days = static_cast<int>(std::min(LunarFirstDay(), lastDay + 1) - firstDay);
            if (!VisitMonth(pattern, firstDay, days, firstDay, lastDay, false, collector)) {
                return;
            }
        }
        firstDay = LunarFirstDay();
    }
    if (firstDay > lastDay) {
        return;
    }
    int fromYear = SolarToLunar(static_cast<TDateTime>(firstDay)).Year;
    int toYear = SolarToLunar(static_cast<TDateTime>(lastDay)).Year;
    if (!NarrowToYear(record.Year, fromYear, toYear)) {
        return;
    }
    const bool fallToLastDay = record.Year == 0 && pattern.Rule == DayRule::Fixed && pattern.Fixed == 30;
    for (int year = fromYear; year <= toYear; ++year) {
        const int leap = LunarLeapMonth(year);
        // A leap month of a given number comes in a few years a century: the others need no look.
        if (record.Month != 0 && record.IsLeapMonth && leap != record.Month) {
            continue;
        }
        std::int64_t monthStart = SerialDay(LunarNewYearDate(year));
        for (int month = 1; month <= 12; ++month) {
            for (const bool isLeapMonth : {false, true}) {
                if (isLeapMonth && leap != month) {
                    continue;
                }
                const int length = isLeapMonth ? LunarLeapMonthDays(year) : LunarMonthDays(year, month);
                const std::int64_t start = monthStart;
                monthStart += length;
                if (start > lastDay) {
                    return;
                }
                const bool monthMatches =
                    record.Month == 0 || (month == record.Month && isLeapMonth == record.IsLeapMonth);
                if (!monthMatches || start + length - 1 < firstDay) {
                    continue;
                }
                if (!VisitMonth(pattern, start, length, firstDay, lastDay, fallToLastDay, collector)) {
                    return;
                }
            }
        }
    }
}

constexpr std::array<const char*, 7> WeekdayNames = {"星期日", "星期一", "星期二", "星期三",
                                                     "星期四", "星期五", "星期六"};

} // namespace

TDateTime NextFiringRangeStart() {
    return static_cast<TDateTime>(RangeFirstDay());
}

TDateTime NextFiringRangeEnd() {
    return MomentOf(RangeLastDay(), MinutesPerDay - 1);
}

namespace {

// The firings of the date and time fields alone, between two minute numbers, within [firstAllowed, lastAllowed]
// days and on the days the filter takes.
TNextFirings CollectFirings(const TRmMainDate& record, std::int64_t afterMinute, std::int64_t untilMinute, int count,
                            bool beginWithSunday, std::int64_t firstAllowed, std::int64_t lastAllowed,
                            bool withCondition = true) {
    afterMinute = std::max({afterMinute, RangeFirstDay() * MinutesPerDay - 1, firstAllowed * MinutesPerDay - 1});
    untilMinute = std::min({untilMinute, RangeLastDay() * MinutesPerDay + MinutesPerDay - 1,
                            lastAllowed * MinutesPerDay + MinutesPerDay - 1});
    FiringCollector collector(record, afterMinute, untilMinute, count, beginWithSunday, withCondition);
    if (!collector.CanFire() || untilMinute <= afterMinute) {
        return {};
    }
    // Days are whole: the first is the day of the minute after `after`, the last the day of `until`.
    const std::int64_t firstDay = (afterMinute + 1) / MinutesPerDay;
    const std::int64_t lastDay = untilMinute / MinutesPerDay;
    if (record.IsLunar) {
        VisitLunarDays(record, firstDay, lastDay, collector);
    } else {
        VisitSolarDays(record, firstDay, lastDay, collector);
    }
    return std::move(collector.Result);
}

constexpr std::int64_t NoDay = std::numeric_limits<std::int32_t>::max();

// The day of the EndCount-th firing day from the start on (week and holiday conditions do not count, the
// interval and the end date do), or NoDay when there are fewer. Kept for the records last asked about: the
// tick and the month window ask again and again.
std::int64_t CountEndDay(const TRmMainDate& record, std::int64_t firstAllowed, std::int64_t lastAllowed) {
    const std::string key = std::to_string(record.EndCount) + ':' + std::to_string(firstAllowed) + ':' +
                            std::to_string(lastAllowed) + ':' + std::to_string(record.Year) + ':' +
                            std::to_string(record.Month) + ':' + std::to_string(record.Day) + ':' +
                            (record.IsLunar ? 'L' : 'G') + (record.IsLeapMonth ? 'l' : '-') +
                            FormatInterval(record.Every, record.EveryCount) + (record.MonthEnd ? "e" : "");
    static std::mutex guard;
    static std::unordered_map<std::string, std::int64_t> known;
    {
        const std::lock_guard lock(guard);
        if (const auto found = known.find(key); found != known.end()) {
            return found->second;
        }
    }
    // The days alone: at noon, without warnings, texts or conditions.
    TRmMainDate days = record;
    days.Forward = 0;
    days.Hour = 12;
    days.Minuter = 0;
    days.Warnings.clear();
    days.EndCount = 0;
    days.Message.clear();
    days.Music.clear();
    days.Command.clear();
    days.Uid.clear();
    const TNextFirings firings =
        CollectFirings(days, RangeFirstDay() * MinutesPerDay - 1, RangeLastDay() * MinutesPerDay + MinutesPerDay - 1,
                       record.EndCount, false, firstAllowed, lastAllowed, false);
    const std::int64_t end = static_cast<int>(firings.Minutes.size()) < record.EndCount
                                 ? NoDay
                                 : MinuteNumber(firings.Minutes.back()) / MinutesPerDay;
    const std::lock_guard lock(guard);
    if (known.size() > 4096) {
        known.clear();
    }
    known.emplace(key, end);
    return end;
}

struct DayBounds {
    std::int64_t First = -NoDay;
    std::int64_t Last = NoDay;
};

DayBounds BoundsOf(const TRmMainDate& record) {
    DayBounds bounds;
    if (record.StartDate != 0) {
        bounds.First = SerialDay(DateOfStored(record.StartDate));
    }
    if (record.EndDate != 0) {
        bounds.Last = SerialDay(DateOfStored(record.EndDate));
    }
    if (record.EndCount > 0 && record.StartDate != 0) {
        bounds.Last = std::min(bounds.Last, CountEndDay(record, bounds.First, bounds.Last));
    }
    return bounds;
}

// The lunar months from the table's first year up to the month, leap months counted as months of their own.
std::int64_t LunarMonthOrdinal(const LunarDate& date) {
    static const std::vector<std::int64_t> before = [] {
        std::vector<std::int64_t> counts(LunarTableLastYear - LunarTableFirstYear + 2, 0);
        for (int year = LunarTableFirstYear; year <= LunarTableLastYear; ++year) {
            const std::size_t i = static_cast<std::size_t>(year - LunarTableFirstYear);
            counts[i + 1] = counts[i] + 12 + (LunarLeapMonth(year) != 0 ? 1 : 0);
        }
        return counts;
    }();
    const int leap = LunarLeapMonth(date.Year);
    const bool afterLeap = leap != 0 && (date.Month > leap || (date.Month == leap && date.IsLeapMonth));
    return before[static_cast<std::size_t>(date.Year - LunarTableFirstYear)] + date.Month - 1 + (afterLeap ? 1 : 0);
}

} // namespace

bool IntervalTakesDay(const TRmMainDate& record, std::int64_t day) {
    if (!record.HasInterval()) {
        return true;
    }
    const std::int64_t start = SerialDay(DateOfStored(record.StartDate));
    if (day < start) {
        return false;
    }
    const std::int64_t every = record.EveryCount;
    std::int64_t periods = 0;
    switch (record.Every) {
    case RepeatUnit::Days:
        periods = day - start;
        break;
    case RepeatUnit::Weeks: {
        const auto monday = [](std::int64_t d) { return d - (DayOfWeek(static_cast<TDateTime>(d)) + 5) % 7; };
        periods = (monday(day) - monday(start)) / 7;
        break;
    }
    case RepeatUnit::Months:
    case RepeatUnit::Years:
        if (record.IsLunar) {
            const LunarDate from = SolarToLunar(static_cast<TDateTime>(start));
            const LunarDate to = SolarToLunar(static_cast<TDateTime>(day));
            if (from.IsEmpty() || to.IsEmpty()) {
                return false;
            }
            periods = record.Every == RepeatUnit::Years ? to.Year - from.Year
                                                        : LunarMonthOrdinal(to) - LunarMonthOrdinal(from);
        } else {
            const DateFields from = DecodeDate(static_cast<TDateTime>(start));
            const DateFields to = DecodeDate(static_cast<TDateTime>(day));
            periods = record.Every == RepeatUnit::Years
                          ? to.Year - from.Year
                          : (std::int64_t{to.Year} * 12 + to.Month) - (std::int64_t{from.Year} * 12 + from.Month);
        }
        break;
    case RepeatUnit::None:
        return true;
    }
    return periods >= 0 && periods % every == 0;
}

bool ScheduleTakesDay(const TRmMainDate& record, std::int64_t day) {
    if (!record.HasSchedule()) {
        return true;
    }
    const DayBounds bounds = BoundsOf(record);
    return day >= bounds.First && day <= bounds.Last && IntervalTakesDay(record, day);
}

TNextFirings NextFirings(const TRmMainDate& record, TDateTime after, TDateTime until, int count, bool beginWithSunday) {
    const std::int64_t afterMinute = MinuteNumber(after);
    const std::int64_t untilMinute = MinuteNumber(until);
    if (!record.HasSchedule()) {
        TNextFirings plain = CollectFirings(record, afterMinute, untilMinute, count, beginWithSunday, -NoDay, NoDay);
        plain.Leads.assign(plain.Minutes.size(), 0);
        return plain;
    }
    const DayBounds bounds = BoundsOf(record);
    TNextFirings own =
        CollectFirings(record, afterMinute, untilMinute, count, beginWithSunday, bounds.First, bounds.Last);
    // A reminder that shows no window is warned of by none either.
    if (record.Warnings.empty() || record.Message == "NOTSHOWREMINDBOX") {
        own.Leads.assign(own.Minutes.size(), 0);
        return own;
    }
    // Each warning is a firing at the set time, moved that far ahead: the set times it warns of lie as much later.
    struct Found {
        std::int64_t Minute;
        std::int32_t Lead;
        TDateTime Moment;
    };
    std::vector<Found> all;
    for (const TDateTime minute : own.Minutes) {
        all.push_back({MinuteNumber(minute), 0, minute});
    }
    TRmMainDate atTime = record;
    atTime.Forward = 0;
    for (const TLeadTime& warning : record.Warnings) {
        const std::int32_t lead = warning.Minutes();
        if (lead <= 0) {
            continue;
        }
        const TNextFirings warned = CollectFirings(atTime, afterMinute + lead, untilMinute + lead, count,
                                                   beginWithSunday, bounds.First, bounds.Last);
        for (const TDateTime minute : warned.Minutes) {
            const std::int64_t number = MinuteNumber(minute) - lead;
            all.push_back({number, lead, MomentOf(number / MinutesPerDay, static_cast<int>(number % MinutesPerDay))});
        }
        for (const TGuessedHolidayYear& year : warned.GuessedHolidayYears) {
            own.GuessedHolidayYears.push_back(year);
        }
    }
    // One firing a minute: the reminder's own before a warning, a nearer warning before a farther one.
    std::sort(all.begin(), all.end(), [](const Found& a, const Found& b) {
        return a.Minute != b.Minute ? a.Minute < b.Minute : a.Lead < b.Lead;
    });
    all.erase(std::unique(all.begin(), all.end(), [](const Found& a, const Found& b) { return a.Minute == b.Minute; }),
              all.end());
    if (all.size() > static_cast<std::size_t>(std::max(count, 0))) {
        all.resize(static_cast<std::size_t>(std::max(count, 0)));
    }
    TNextFirings result;
    for (const Found& found : all) {
        result.Minutes.push_back(found.Moment);
        result.Leads.push_back(found.Lead);
    }
    std::sort(own.GuessedHolidayYears.begin(), own.GuessedHolidayYears.end(),
              [](const TGuessedHolidayYear& a, const TGuessedHolidayYear& b) { return a.FirstMoment < b.FirstMoment; });
    result.GuessedHolidayYears = std::move(own.GuessedHolidayYears);
    return result;
}

std::optional<std::int32_t> FiringLeadAt(const TRmMainDate& record, TDateTime moment, bool beginWithSunday) {
    const std::int64_t minute = MinuteNumber(moment);
    const std::int64_t ofDay = minute % MinutesPerDay;
    const std::int64_t set = std::int64_t{record.Hour} * 60 + record.Minuter;
    bool possible = ofDay == set || (record.Forward > 0 && ofDay == set - record.Forward);
    for (const TLeadTime& warning : record.Warnings) {
        possible = possible || ((set - warning.Minutes()) % MinutesPerDay + MinutesPerDay) % MinutesPerDay == ofDay;
    }
    if (!possible) {
        return std::nullopt;
    }
    const TDateTime start = MomentOf(minute / MinutesPerDay, static_cast<int>(ofDay));
    const TNextFirings firing = NextFirings(record, start - 0.5 / 1440.0, start + 0.5 / 1440.0, 1, beginWithSunday);
    if (firing.Minutes.empty()) {
        return std::nullopt;
    }
    return firing.Leads.front();
}

std::optional<TDateTime> NextFiring(const TRmMainDate& record, TDateTime after, bool beginWithSunday) {
    const TNextFirings firings = NextFirings(record, after, NextFiringRangeEnd(), 1, beginWithSunday);
    if (firings.Minutes.empty()) {
        return std::nullopt;
    }
    return firings.Minutes.front();
}

std::string NextFiringText(std::optional<TDateTime> minute) {
    if (!minute) {
        return "不再提醒";
    }
    const DateFields date = DecodeDate(*minute);
    const TimeFields time = DecodeTime(*minute);
    char clock[8];
    std::snprintf(clock, sizeof clock, "%02d:%02d", time.Hour, time.Minute);
    std::string text = "下次提醒：" + std::to_string(date.Year) + "年" + std::to_string(date.Month) + "月" +
                       std::to_string(date.Day) + "日 " +
                       WeekdayNames[static_cast<std::size_t>(DayOfWeek(*minute) - 1)] + " " + clock;
    const LunarDate lunar = SolarToLunar(*minute);
    if (!lunar.IsEmpty() && lunar.Month >= 1 && lunar.Month <= 12) {
        text += "（农历" + LunarMonthName(lunar.Month, lunar.IsLeapMonth) + LunarDayName(lunar.Day) + "）";
    }
    return text;
}

std::string TNextFiringLine::AllLines() const {
    std::string lines = Text;
    for (const std::string* more : {&Warning, &Notice}) {
        lines += more->empty() ? "" : "\n" + *more;
    }
    return lines;
}

TNextFiringLine DescribeNextFiring(const TRmMainDate& record, TDateTime now, bool beginWithSunday) {
    TNextFiringLine line;
    // The reminder's own next time; a warning before it has a line of its own.
    TRmMainDate own = record;
    own.Warnings.clear();
    const TNextFirings firings = NextFirings(own, now, NextFiringRangeEnd(), 1, beginWithSunday);
    line.Text = NextFiringText(firings.Minutes.empty() ? std::nullopt : std::optional(firings.Minutes.front()));
    if (!firings.GuessedHolidayYears.empty()) {
        line.Notice = UnknownHolidayYearNotice(firings.GuessedHolidayYears.front().Year);
    }
    if (!record.Warnings.empty()) {
        const TDateTime until = firings.Minutes.empty() ? NextFiringRangeEnd() : firings.Minutes.front();
        const TNextFirings first = NextFirings(record, now, until, 1, beginWithSunday);
        if (!first.Minutes.empty() && first.Leads.front() > 0) {
            std::string text = NextFiringText(first.Minutes.front());
            text.replace(0, std::string_view("下次提醒").size(), "下次提前提醒");
            // The lunar date is the reminder's line's to say; this one stays short enough for one line.
            if (const std::size_t lunar = text.find("（农历"); lunar != std::string::npos) {
                text.erase(lunar);
            }
            line.Warning = text + "，提前 " + LeadText(LeadOfMinutes(first.Leads.front()));
        }
    }
    return line;
}

} // namespace chimewell
