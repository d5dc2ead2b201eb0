#include "exchange/ical_foreign.h"

#include "data/ini_file.h"
#include "data/reminder_schedule.h"
#include "data/text_helpers.h"
#include "runtime/next_firing.h"
#include "runtime/remind_text.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>
#include <memory>
#include <optional>
#include <set>

namespace chimewell::ics {

std::string CleanText(const char* raw) {
    std::string text = raw != nullptr ? raw : "";
    // A data file keeps one line a value.
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

namespace {

bool HasArray(const short* values) {
    return values[0] != ICAL_RECURRENCE_ARRAY_MAX;
}

int ArrayLength(const short* values, int capacity) {
    int length = 0;
    while (length < capacity && values[length] != ICAL_RECURRENCE_ARRAY_MAX) {
        ++length;
    }
    return length;
}

struct ForeignEvent {
    icalcomponent* Component = nullptr;
    icaltimetype Start{};
    TDateTime First = 0; // local
    std::vector<icalrecurrencetype> Rules;
    bool HasDates = false;
    bool HasExceptions = false;
    std::string Message;
    std::string Uid;
};

// What one event's expansion may cost: the occurrences kept, and the steps of libical's iterator; and what a
// whole file may cost in steps. A rule of every second since 2020 must cost nothing like a step a second.
constexpr std::size_t MostOccurrences = 5000;
constexpr int MostStepsPerRule = 20000;
constexpr long long MostStepsPerFile = 2000000;
// The steps the iterator may walk within the days a rule of short steps is worked out on (about a second's work).
constexpr long long MostWalkPerRule = 500000;
constexpr long long SecondsPerDay = 86400;

bool HasByParts(const icalrecurrencetype& rule) {
    return HasArray(rule.by_second) || HasArray(rule.by_minute) || HasArray(rule.by_hour) || HasArray(rule.by_day) ||
           HasArray(rule.by_month_day) || HasArray(rule.by_year_day) || HasArray(rule.by_week_no) ||
           HasArray(rule.by_month) || HasArray(rule.by_set_pos);
}

// The seconds between occurrences of a rule that steps by a fixed length of time, or 0.
long long FixedStepSeconds(const icalrecurrencetype& rule) {
    const long long interval = std::max<short>(rule.interval, 1);
    switch (rule.freq) {
    case ICAL_SECONDLY_RECURRENCE:
        return interval;
    case ICAL_MINUTELY_RECURRENCE:
        return interval * 60;
    case ICAL_HOURLY_RECURRENCE:
        return interval * 3600;
    default:
        return 0;
    }
}

// The days between occurrences of a daily or weekly rule, or 0.
int FixedStepDays(const icalrecurrencetype& rule) {
    const int interval = std::max<short>(rule.interval, 1);
    return rule.freq == ICAL_DAILY_RECURRENCE ? interval : rule.freq == ICAL_WEEKLY_RECURRENCE ? 7 * interval : 0;
}

time_t InstantOf(const icaltimetype& t) {
    if (t.zone != nullptr || icaltime_is_utc(t)) {
        return icaltime_as_timet_with_zone(t, t.zone != nullptr ? t.zone : icaltimezone_get_utc_timezone());
    }
    std::tm fields{};
    fields.tm_year = t.year - 1900;
    fields.tm_mon = t.month - 1;
    fields.tm_mday = t.day;
    fields.tm_hour = t.hour;
    fields.tm_min = t.minute;
    fields.tm_sec = t.second;
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

std::optional<TDateTime> LocalMomentOfInstant(time_t instant) {
    std::tm local{};
    if (localtime_r(&instant, &local) == nullptr) {
        return std::nullopt;
    }
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
}

// The occurrences of a rule that steps by a fixed length, worked out by the rule's own arithmetic from the
// present on: no step is taken through the years before it. False when the rule is none such.
bool AddStepped(const ForeignEvent& event, const icalrecurrencetype& rule, TDateTime until, TDateTime now,
                std::set<TDateTime>& moments, bool& cut) {
    if (HasByParts(rule)) {
        return false;
    }
    const long long seconds = FixedStepSeconds(rule);
    const int days = FixedStepDays(rule);
    if (seconds == 0 && (days == 0 || rule.count == 0)) {
        // Other rules, and endless daily ones, which the iterator starts at the present itself.
        return false;
    }
    const long long last =
        rule.count > 0 ? static_cast<long long>(rule.count) - 1 : std::numeric_limits<long long>::max();
    const std::optional<TDateTime> ruleUntil =
        icaltime_is_null_time(rule.until) ? std::nullopt : LocalMomentOf(rule.until);
    const TDateTime end = ruleUntil ? std::min(until, *ruleUntil) : until;
    long long first = 0;
    if (seconds > 0) {
        const time_t start = InstantOf(event.Start);
        // From the present on, to the second: the occurrences before it count for nothing.
        std::tm from{};
        const DateFields date = DecodeDate(now);
        const TimeFields time = DecodeTime(now);
        from.tm_year = date.Year - 1900;
        from.tm_mon = date.Month - 1;
        from.tm_mday = date.Day;
        from.tm_hour = time.Hour;
        from.tm_min = time.Minute;
        from.tm_isdst = -1;
        const long long behind = static_cast<long long>(std::mktime(&from)) - seconds - static_cast<long long>(start);
        first = behind > 0 ? (behind + seconds - 1) / seconds : 0;
        for (long long k = first; k <= last; ++k) {
            const std::optional<TDateTime> local = LocalMomentOfInstant(static_cast<time_t>(start + k * seconds));
            if (!local || *local > end) {
                return true;
            }
            if (moments.size() >= MostOccurrences) {
                cut = true;
                return true;
            }
            moments.insert(MinuteOf(*local));
        }
        return true;
    }
    const TDateTime startDay = EncodeDateTime(event.Start.year, event.Start.month, event.Start.day, 0, 0);
    const long long behind = static_cast<long long>(std::floor(DateOf(now) - 2.0 - startDay));
    first = behind > 0 ? behind / days : 0;
    for (long long k = first; k <= last; ++k) {
        const DateFields date = DecodeDate(startDay + static_cast<double>(k * days));
        icaltimetype t = event.Start;
        t.year = date.Year;
        t.month = date.Month;
        t.day = date.Day;
        const std::optional<TDateTime> local = LocalMomentOf(t);
        if (!local || *local > end) {
            return true;
        }
        if (moments.size() >= MostOccurrences) {
            cut = true;
            return true;
        }
        moments.insert(MinuteOf(*local));
    }
    return true;
}

// Whether a day passes the day parts of a rule (BYMONTH, BYMONTHDAY, BYYEARDAY, BYDAY without a number).
bool DayPasses(const icalrecurrencetype& rule, TDateTime day) {
    const DateFields date = DecodeDate(day);
    const int inMonth = DecodeDate(EncodeDateTime(date.Year + date.Month / 12, date.Month % 12 + 1, 1, 0, 0) - 1).Day;
    const int inYear = IsGregorianLeapYear(date.Year) ? 366 : 365;
    const int yearDay = DayOfYear(day);
    const int weekday = DayOfWeek(day);
    const auto listed = [](const short* values, auto matches) {
        if (!HasArray(values)) {
            return true;
        }
        for (const short* value = values; *value != ICAL_RECURRENCE_ARRAY_MAX; ++value) {
            if (matches(*value)) {
                return true;
            }
        }
        return false;
    };
    return listed(rule.by_month, [&](short v) { return icalrecurrencetype_month_month(v) == date.Month; }) &&
           listed(rule.by_month_day, [&](short v) { return (v > 0 ? v : inMonth + 1 + v) == date.Day; }) &&
           listed(rule.by_year_day, [&](short v) { return (v > 0 ? v : inYear + 1 + v) == yearDay; }) &&
           listed(rule.by_day, [&](short v) { return icalrecurrencetype_day_day_of_week(v) == weekday; });
}

struct IteratorFree {
    void operator()(icalrecur_iterator* iterator) const { icalrecur_iterator_free(iterator); }
};

// A rule that steps by days or less but keeps only some days (every minute of 2月29日, every hour of 4月31日):
// the iterator would walk every step of the years between, or of all time when no day ever passes. Such a rule
// is worked out a day at a time, only on the days that pass, each day's occurrences from the iterator started
// on that day's first step and ended with the day (a BYSETPOS picks within one step's set, which a day holds
// whole). False when the rule is none such.
bool AddDayByDay(const ForeignEvent& event, const icalrecurrencetype& rule, TDateTime until, TDateTime now,
                 std::set<TDateTime>& moments, bool& cut, ImportTally& tally) {
    const long long stepSeconds = FixedStepSeconds(rule);
    const bool daily = rule.freq == ICAL_DAILY_RECURRENCE;
    const bool dayParts = HasArray(rule.by_month) || HasArray(rule.by_month_day) || HasArray(rule.by_year_day);
    if (!((stepSeconds > 0 && HasByParts(rule)) || (daily && dayParts)) || HasArray(rule.by_week_no) ||
        rule.rscale != nullptr || event.Start.is_date) {
        return false;
    }
    for (const short* value = rule.by_day; HasArray(rule.by_day) && *value != ICAL_RECURRENCE_ARRAY_MAX; ++value) {
        if (icalrecurrencetype_day_position(*value) != 0) {
            return false;
        }
    }
    for (const short* value = rule.by_month; HasArray(rule.by_month) && *value != ICAL_RECURRENCE_ARRAY_MAX; ++value) {
        if (icalrecurrencetype_month_is_leap(*value)) {
            return false;
        }
    }
    const std::optional<TDateTime> ruleUntil =
        icaltime_is_null_time(rule.until) ? std::nullopt : LocalMomentOf(rule.until);
    const TDateTime end = ruleUntil ? std::min(until, *ruleUntil) : until;
    const TDateTime startDay = EncodeDateTime(event.Start.year, event.Start.month, event.Start.day, 0, 0);
    // Without a count the days before the present count for nothing; with one, each occurrence since the start
    // counts towards it.
    TDateTime day = startDay;
    if (rule.count == 0 && DateOf(now) - 2.0 > day) {
        day = DateOf(now) - 2.0;
    }
    const int interval = std::max<short>(rule.interval, 1);
    const time_t start = InstantOf(event.Start);
    long long taken = 0;
    int looked = 0;
    int ruleSteps = 0;
    long long inner = 0;
    for (; day <= DateOf(end) + 1.0; day += 1.0) {
        if (++looked > MostStepsPerRule * 10 || tally.Steps >= MostStepsPerFile) {
            cut = true;
            return true;
        }
        if (!DayPasses(rule, day)) {
            continue;
        }
        const DateFields date = DecodeDate(day);
        // What the iterator may walk through within the day, whether or not its steps are kept.
        const long long walked = stepSeconds > 0 ? SecondsPerDay / stepSeconds + 1 : 1;
        tally.Steps += walked;
        inner += walked;
        if (inner > MostWalkPerRule) {
            cut = true;
            return true;
        }
        icaltimetype first = event.Start;
        first.year = date.Year;
        first.month = date.Month;
        first.day = date.Day;
        if (daily) {
            const long long days = static_cast<long long>(std::lround(day - startDay));
            if (days % interval != 0) {
                continue;
            }
        } else {
            // The day's first step: the start moved on by whole steps to the day's beginning or after.
            icaltimetype midnight = first;
            midnight.hour = midnight.minute = midnight.second = 0;
            const long long behind = static_cast<long long>(InstantOf(midnight)) - static_cast<long long>(start);
            const long long whole = behind > 0 ? (behind + stepSeconds - 1) / stepSeconds : 0;
            const time_t at = static_cast<time_t>(start + whole * stepSeconds);
            if (event.Start.zone != nullptr || icaltime_is_utc(event.Start)) {
                first = icaltime_from_timet_with_zone(
                    at, 0, event.Start.zone != nullptr ? event.Start.zone : icaltimezone_get_utc_timezone());
            } else {
                std::tm local{};
                localtime_r(&at, &local);
                first.year = local.tm_year + 1900;
                first.month = local.tm_mon + 1;
                first.day = local.tm_mday;
                first.hour = local.tm_hour;
                first.minute = local.tm_min;
                first.second = local.tm_sec;
            }
            if (first.year != date.Year || first.month != date.Month || first.day != date.Day) {
                continue; // the steps are longer than the day and pass over it
            }
        }
        icalrecurrencetype oneDay = rule;
        oneDay.count = 0;
        oneDay.until = first;
        oneDay.until.hour = 23;
        oneDay.until.minute = 59;
        oneDay.until.second = 59;
        const std::unique_ptr<icalrecur_iterator, IteratorFree> iterator(icalrecur_iterator_new(oneDay, first));
        if (!iterator) {
            continue;
        }
        for (icaltimetype next = icalrecur_iterator_next(iterator.get()); !icaltime_is_null_time(next);
             next = icalrecur_iterator_next(iterator.get())) {
            ++tally.Steps;
            if (++ruleSteps > MostStepsPerRule || moments.size() >= MostOccurrences ||
                tally.Steps >= MostStepsPerFile) {
                cut = true;
                return true;
            }
            next.zone = event.Start.zone;
            const std::optional<TDateTime> local = LocalMomentOf(next);
            if ((rule.count > 0 && ++taken > rule.count) || (local && *local > end)) {
                return true;
            }
            if (local) {
                moments.insert(MinuteOf(*local));
            }
        }
    }
    return true;
}

struct Expansion {
    std::vector<TDateTime> Moments;
    // More occurrences than one event may cost: what was kept is a part.
    bool Cut = false;
};

// The occurrences up to `until`, as local moments, ascending, within the bounds above.
Expansion Occurrences(const ForeignEvent& event, TDateTime until, TDateTime now, ImportTally& tally) {
    std::set<TDateTime> moments{MinuteOf(event.First)};
    Expansion expansion;
    for (const icalrecurrencetype& rule : event.Rules) {
        if (AddStepped(event, rule, until, now, moments, expansion.Cut) ||
            AddDayByDay(event, rule, until, now, moments, expansion.Cut, tally)) {
            continue;
        }
        icalrecur_iterator* iterator = icalrecur_iterator_new(rule, event.Start);
        if (iterator == nullptr) {
            continue;
        }
        if (rule.count == 0) {
            // Straight to the present: a rule of every day since 1990 need not be walked.
            icaltimetype from = event.Start;
            const icaltimetype today = FieldsOf(now - 2.0);
            if (icaltime_compare(today, from) > 0) {
                from.year = today.year;
                from.month = today.month;
                from.day = today.day;
                icalrecur_iterator_set_start(iterator, from);
            }
        }
        bool ended = false;
        for (int step = 0; step < MostStepsPerRule && tally.Steps < MostStepsPerFile; ++step) {
            ++tally.Steps;
            icaltimetype next = icalrecur_iterator_next(iterator);
            if (icaltime_is_null_time(next)) {
                ended = true;
                break;
            }
            if (!next.is_date) {
                next.zone = event.Start.zone;
            }
            const std::optional<TDateTime> local = LocalMomentOf(next);
            if (!local) {
                continue;
            }
            if (*local > until) {
                ended = true;
                break;
            }
            if (moments.size() >= MostOccurrences) {
                break;
            }
            moments.insert(MinuteOf(*local));
        }
        expansion.Cut = expansion.Cut || !ended;
        icalrecur_iterator_free(iterator);
    }
    icalcomponent* component = event.Component;
    for (icalproperty* rdate = icalcomponent_get_first_property(component, ICAL_RDATE_PROPERTY); rdate != nullptr;
         rdate = icalcomponent_get_next_property(component, ICAL_RDATE_PROPERTY)) {
        icaltimetype t = icalproperty_get_datetime_with_component(rdate, component);
        if (icaltime_is_null_time(t)) {
            const icaldatetimeperiodtype value = icalproperty_get_rdate(rdate);
            t = icaltime_is_null_time(value.time) ? value.period.start : value.time;
        }
        if (const std::optional<TDateTime> local = LocalMomentOf(t); local && *local <= until) {
            moments.insert(MinuteOf(*local));
        }
    }
    for (icalproperty* exdate = icalcomponent_get_first_property(component, ICAL_EXDATE_PROPERTY); exdate != nullptr;
         exdate = icalcomponent_get_next_property(component, ICAL_EXDATE_PROPERTY)) {
        const icaltimetype t = icalproperty_get_datetime_with_component(exdate, component);
        if (const std::optional<TDateTime> local = LocalMomentOf(t)) {
            moments.erase(MinuteOf(*local));
        }
    }
    expansion.Moments.assign(moments.begin(), moments.end());
    return expansion;
}

TExchangeItem ItemAt(TDateTime moment, int forward, const std::string& message) {
    const DateFields date = DecodeDate(moment);
    const TimeFields time = DecodeTime(moment);
    TExchangeItem item;
    item.Numbers[KeyYear] = date.Year;
    item.Numbers[KeyMonth] = date.Month;
    item.Numbers[KeyDay] = date.Day;
    item.Numbers[KeyHour] = time.Hour;
    item.Numbers[KeyMinuter] = time.Minute;
    item.Numbers[KeyForward] = forward;
    item.Message = message;
    return item;
}

// The unit of a rule's interval as a reminder counts it: None for every single period, none at all for an
// interval that no reminder has (every second hour, every thousandth day).
std::optional<RepeatUnit> IntervalUnitOf(const icalrecurrencetype& rule) {
    if (rule.interval <= 1) {
        return RepeatUnit::None;
    }
    if (rule.interval > MostEveryCount) {
        return std::nullopt;
    }
    switch (rule.freq) {
    case ICAL_DAILY_RECURRENCE:
        return RepeatUnit::Days;
    case ICAL_WEEKLY_RECURRENCE:
        // The weeks of a reminder begin on Monday; a rule's weeks that begin on another day are checked against
        // the occurrences like any other.
        return RepeatUnit::Weeks;
    case ICAL_MONTHLY_RECURRENCE:
        return RepeatUnit::Months;
    case ICAL_YEARLY_RECURRENCE:
        return RepeatUnit::Years;
    default:
        return std::nullopt;
    }
}

// The interval counts from the first occurrence's day, as the rule counts from its start.
void SetInterval(TExchangeItem& item, RepeatUnit unit, int interval, TDateTime first) {
    if (unit == RepeatUnit::None) {
        return;
    }
    item.Schedule.Every = unit;
    item.Schedule.EveryCount = interval;
    item.Schedule.StartDate = StoredDateOf(DateOf(first));
}

// 0x01 Monday .. 0x40 Sunday, from a weekday counted 1 = Sunday .. 7 = Saturday.
int WeekdayBit(int weekday) {
    return weekday == 1 ? 0x40 : 1 << (weekday - 2);
}

// The reminder that repeats as the rule does, to be checked against the rule's occurrences; none where the
// rule's shape has no reminder.
std::optional<TExchangeItem> GregorianCandidate(const icalrecurrencetype& rule, TDateTime first,
                                                const std::string& message) {
    // Every full hour of some days is the hourly method's.
    const bool hourly = rule.freq == ICAL_HOURLY_RECURRENCE && ArrayLength(rule.by_minute, ICAL_BY_MINUTE_SIZE) == 1 &&
                        rule.by_minute[0] == 0;
    const std::optional<RepeatUnit> every = IntervalUnitOf(rule);
    if (!every || HasArray(rule.by_second) || (HasArray(rule.by_minute) && !hourly) || HasArray(rule.by_hour) ||
        HasArray(rule.by_year_day) || HasArray(rule.by_week_no) || HasArray(rule.by_set_pos)) {
        return std::nullopt;
    }
    const DateFields date = DecodeDate(first);
    TExchangeItem item = ItemAt(first, 0, message);
    item.Numbers[KeyYear] = 0;
    SetInterval(item, *every, rule.interval, first);
    const int months = ArrayLength(rule.by_month, ICAL_BY_MONTH_SIZE);
    const int monthDays = ArrayLength(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE);
    const int days = ArrayLength(rule.by_day, ICAL_BY_DAY_SIZE);
    // BYMONTHDAY=-1, the last day of each month, is day 31 falling on the month's end.
    const bool lastDay = monthDays == 1 && rule.by_month_day[0] == -1;
    if (months > 1 || monthDays > 1 || (monthDays == 1 && rule.by_month_day[0] < 1 && !lastDay)) {
        return std::nullopt;
    }
    const int monthDay = lastDay ? 31 : monthDays == 1 ? rule.by_month_day[0] : 0;
    item.Schedule.MonthEnd = lastDay;
    int weekdayBits = 0;
    for (int k = 0; k < days; ++k) {
        if (icalrecurrencetype_day_position(rule.by_day[k]) != 0) {
            return std::nullopt;
        }
        const int weekday = static_cast<int>(icalrecurrencetype_day_day_of_week(rule.by_day[k])); // 1 = Sunday
        weekdayBits |= WeekdayBit(weekday);
    }
    const int month = months == 1 ? icalrecurrencetype_month_month(rule.by_month[0]) : 0;
    switch (rule.freq) {
    case ICAL_YEARLY_RECURRENCE:
        if (days != 0) {
            return std::nullopt;
        }
        item.Numbers[KeyMonth] = month != 0 ? month : date.Month;
        item.Numbers[KeyDay] = monthDays == 1 ? monthDay : date.Day;
        break;
    case ICAL_MONTHLY_RECURRENCE:
        if (days != 0 || months != 0) {
            return std::nullopt;
        }
        item.Numbers[KeyMonth] = 0;
        item.Numbers[KeyDay] = monthDays == 1 ? monthDay : date.Day;
        break;
    case ICAL_WEEKLY_RECURRENCE:
        if (monthDays != 0) {
            return std::nullopt;
        }
        item.Numbers[KeyMonth] = month;
        item.Numbers[KeyDay] = WeekdayMask | (weekdayBits != 0 ? weekdayBits : WeekdayBit(DayOfWeek(first)));
        break;
    case ICAL_HOURLY_RECURRENCE:
        if (!hourly) {
            return std::nullopt;
        }
        item.Numbers[KeyMethod] = RemindHourly;
        [[fallthrough]];
    case ICAL_DAILY_RECURRENCE:
        if (monthDays != 0 && days != 0) {
            return std::nullopt;
        }
        item.Numbers[KeyMonth] = month;
        item.Numbers[KeyDay] = monthDays == 1 ? monthDay : (days != 0 ? WeekdayMask | weekdayBits : 0);
        break;
    default:
        return std::nullopt;
    }
    return item;
}

bool IsChineseRule(const icalrecurrencetype& rule) {
    return rule.rscale != nullptr && Upper(rule.rscale) == "CHINESE";
}

// A lunar rule of RFC 7529 taken as the lunar reminder it means; ICU's lunar calendar has errors of its own,
// so this program's calendar computes its days.
std::optional<TExchangeItem> LunarCandidate(const icalrecurrencetype& rule, TDateTime first,
                                            const std::string& message) {
    const std::optional<RepeatUnit> every = IntervalUnitOf(rule);
    if (!every || HasArray(rule.by_second) || HasArray(rule.by_minute) || HasArray(rule.by_hour) ||
        HasArray(rule.by_year_day) || HasArray(rule.by_week_no) || HasArray(rule.by_set_pos) || HasArray(rule.by_day)) {
        return std::nullopt;
    }
    const LunarDate lunar = SolarToLunar(first);
    if (lunar.IsEmpty()) {
        return std::nullopt;
    }
    const int months = ArrayLength(rule.by_month, ICAL_BY_MONTH_SIZE);
    const int monthDays = ArrayLength(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE);
    if (months > 1 || monthDays > 1) {
        return std::nullopt;
    }
    const int day = monthDays == 1 ? rule.by_month_day[0] : lunar.Day;
    if (day < 1 || day > 30) {
        return std::nullopt;
    }
    TExchangeItem item = ItemAt(first, 0, message);
    item.Numbers[KeyYear] = 0;
    item.Numbers[KeyIsLunar] = 1;
    SetInterval(item, *every, rule.interval, first);
    item.Numbers[KeyDay] = day;
    if (rule.freq == ICAL_YEARLY_RECURRENCE) {
        const bool leap = months == 1 ? icalrecurrencetype_month_is_leap(rule.by_month[0]) != 0 : lunar.IsLeapMonth;
        item.Numbers[KeyMonth] = months == 1 ? icalrecurrencetype_month_month(rule.by_month[0]) : lunar.Month;
        item.Numbers[KeyIsLeapMonth] = leap ? 1 : 0;
    } else if (rule.freq == ICAL_MONTHLY_RECURRENCE && months == 0) {
        item.Numbers[KeyMonth] = 0;
    } else {
        return std::nullopt;
    }
    if (item.Numbers[KeyMonth] < 1 && rule.freq == ICAL_YEARLY_RECURRENCE) {
        return std::nullopt;
    }
    return item;
}

// Why a recurrence came in as its dates, in words for the user.
std::string ExpansionReason(const ForeignEvent& event) {
    for (const icalrecurrencetype& rule : event.Rules) {
        if (rule.rscale != nullptr && !IsChineseRule(rule)) {
            return "用的是其他历法";
        }
    }
    if (event.HasExceptions) {
        return "有不重复的例外日期";
    }
    if (event.HasDates) {
        return "另列有日期";
    }
    if (event.Rules.size() > 1) {
        return "有几条重复规则";
    }
    return "重复方式或时区的时差与本程序的提醒方式不同";
}

// Minutes before the start at which the event's alarms go off, as the file gives them; empty for none.
std::vector<int> AlarmOffsets(const ForeignEvent& event) {
    std::vector<int> offsets;
    icalcomponent* component = event.Component;
    for (icalcomponent* alarm = icalcomponent_get_first_component(component, ICAL_VALARM_COMPONENT); alarm != nullptr;
         alarm = icalcomponent_get_next_component(component, ICAL_VALARM_COMPONENT)) {
        icalproperty* property = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
        if (property == nullptr) {
            continue;
        }
        const icaltriggertype trigger = icalproperty_get_trigger(property);
        std::optional<int> offset;
        if (!icaltime_is_null_time(trigger.time)) {
            icaltimetype at = trigger.time;
            if (const std::optional<TDateTime> local = LocalMomentOf(at)) {
                offset = static_cast<int>(std::lround((event.First - *local) * MinutesPerDay));
            }
        } else {
            const int seconds = icaldurationtype_as_int(trigger.duration);
            int before = -seconds / 60;
            icalparameter* related = icalproperty_get_first_parameter(property, ICAL_RELATED_PARAMETER);
            if (related != nullptr && icalparameter_get_related(related) == ICAL_RELATED_END) {
                const icaltimetype end = icalcomponent_get_dtend(component);
                const std::optional<TDateTime> local = LocalMomentOf(end);
                if (!local) {
                    continue;
                }
                before -= static_cast<int>(std::lround((*local - event.First) * MinutesPerDay));
            }
            offset = before;
        }
        if (offset && std::abs(*offset) < 366 * MinutesPerDay) {
            offsets.push_back(*offset);
        }
    }
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    // The set minute fires anyway: an alarm at the start adds nothing to another.
    if (offsets.size() > 1) {
        offsets.erase(std::remove(offsets.begin(), offsets.end(), 0), offsets.end());
    }
    return offsets;
}

// One reminder an event's alarms make: its early minute and warnings, at the start or moved by `Shift` days.
struct Reminding {
    int Forward = 0;
    double Shift = 0;
    std::vector<TLeadTime> Warnings;
};

class ForeignImport {
public:
    ForeignImport(const TIcsImportOptions& options, std::vector<TExchangeItem>& items, ImportTally& tally)
        : Options(options), Items(items), Tally(tally) {}

    void Take(const ForeignEvent& event) {
        std::vector<int> offsets = event.Start.is_date ? std::vector<int>{} : AlarmOffsets(event);
        if (offsets.empty()) {
            offsets.push_back(0);
        }
        const TimeFields time = DecodeTime(event.First);
        const std::vector<Reminding> remindings = RemindingsOf(offsets, time.Hour * 60 + time.Minute);
        const bool repeats = !event.Rules.empty() || event.HasDates;
        const TDateTime horizon = Options.Now + 2 * 366;
        const Expansion expansion = repeats ? Occurrences(event, horizon, Options.Now, Tally) : Expansion{};
        const std::vector<TDateTime>& all = expansion.Moments;
        bool expanded = false;
        for (const Reminding& reminding : remindings) {
            const double shift = reminding.Shift;
            const std::string& uid = remindings.size() == 1 ? event.Uid : std::string();
            const auto made = [&](TDateTime moment) {
                TExchangeItem item = ItemAt(moment, reminding.Forward, event.Message);
                item.Schedule.Warnings = reminding.Warnings;
                return item;
            };
            if (!repeats) {
                if (MinuteOf(event.First + shift) <= Options.Now) {
                    // A meeting of last year reminds of nothing.
                    ++Tally.Past;
                    break;
                }
                TExchangeItem item = made(MinuteOf(event.First + shift));
                item.Uid = uid;
                Items.push_back(std::move(item));
                continue;
            }
            std::vector<TDateTime> moments;
            moments.reserve(all.size());
            for (const TDateTime moment : all) {
                moments.push_back(MinuteOf(moment + shift));
            }
            // Only a whole expansion can show that a reminder fires on exactly its occurrences.
            if (std::optional<TExchangeItem> item =
                    expansion.Cut ? std::nullopt : RuleReminder(event, moments, MinuteOf(event.First + shift))) {
                item->Numbers[KeyForward] = reminding.Forward;
                item->Schedule.Warnings = reminding.Warnings;
                item->Uid = uid;
                Items.push_back(std::move(*item));
                continue;
            }
            expanded = true;
            int taken = 0;
            for (const TDateTime moment : moments) {
                if (moment > Options.Now && moment <= Options.Now + IcsExpandedDays && taken < IcsExpandedAtMost) {
                    Items.push_back(made(moment));
                    ++taken;
                }
            }
            Tally.ExpandedReminders += taken;
            if (taken == 0) {
                // A part of the occurrences says nothing of whether it ends.
                ++(expansion.Cut ? Tally.Dense : Tally.Ended);
                expanded = false;
                break;
            }
        }
        if (expanded) {
            ++Tally.Expanded;
            ++Tally.Reasons[expansion.Cut ? "重复得太密或持续太久，只看了一部分" : ExpansionReason(event)];
        }
    }

private:
    // A lone alarm is the early minute on the start's own day, else the reminder's moment. Several are one
    // reminder at the start with its early minute and warnings, and a reminder of its own for each alarm that
    // no warning can be.
    std::vector<Reminding> RemindingsOf(const std::vector<int>& offsets, int minuteOfDay) {
        const auto moved = [](int offset) { return Reminding{0, -offset / static_cast<double>(MinutesPerDay), {}}; };
        if (offsets.size() == 1) {
            const int offset = offsets.front();
            return {offset >= 0 && offset <= minuteOfDay ? Reminding{offset, 0, {}} : moved(offset)};
        }
        const AlarmSplit split = SplitAlarms(offsets, minuteOfDay);
        std::vector<Reminding> remindings;
        if (split.Forward > 0 || !split.Warnings.empty()) {
            remindings.push_back({split.Forward, 0, split.Warnings});
        }
        for (const int offset : split.Others) {
            remindings.push_back(moved(offset));
        }
        Tally.SeveralAlarms += split.Others.empty() ? 0 : 1;
        Tally.ManyAlarms += split.Dropped ? 1 : 0;
        return remindings;
    }

    // The one reminder that fires on exactly the rule's occurrences, where there is one.
    std::optional<TExchangeItem> RuleReminder(const ForeignEvent& event, const std::vector<TDateTime>& moments,
                                              TDateTime first) const {
        if (event.Rules.size() != 1 || event.HasExceptions) {
            return std::nullopt;
        }
        const icalrecurrencetype& rule = event.Rules.front();
        if (IsChineseRule(rule)) {
            std::optional<TExchangeItem> lunar = LunarCandidate(rule, first, event.Message);
            if (!lunar || !EndsAsTheRule(*lunar, rule, first)) {
                return std::nullopt;
            }
            return lunar;
        }
        if (rule.rscale != nullptr && Upper(rule.rscale) != "GREGORIAN") {
            return std::nullopt;
        }
        std::optional<TExchangeItem> candidate = GregorianCandidate(rule, first, event.Message);
        if (!candidate || (event.HasDates && candidate->Numbers[KeyMethod] != RemindHourly) ||
            !EndsAsTheRule(*candidate, rule, first)) {
            return std::nullopt;
        }
        if (event.HasDates) {
            // An hourly reminder whose set minute is no full hour lists its set minutes beside the rule.
            const auto set = std::find_if(moments.begin(), moments.end(),
                                          [](TDateTime moment) { return DecodeTime(moment).Minute != 0; });
            if (set == moments.end()) {
                return std::nullopt;
            }
            candidate->Numbers[KeyHour] = DecodeTime(*set).Hour;
            candidate->Numbers[KeyMinuter] = DecodeTime(*set).Minute;
        }
        // Equal over the coming two years, from where the rule begins.
        const TDateTime after = std::max(Options.Now, first - 1.0 / MinutesPerDay);
        const TDateTime until = Options.Now + 2 * 366;
        std::vector<TDateTime> expected;
        for (const TDateTime moment : moments) {
            if (moment > after && moment <= until) {
                expected.push_back(moment);
            }
        }
        const std::vector<TDateTime> firings = ReminderEventMinutes(
            RecordOf(*candidate), after, until, static_cast<int>(expected.size()) + 1, Options.BeginWithSunday);
        if (expected.empty() || firings.size() != expected.size()) {
            return std::nullopt;
        }
        for (std::size_t k = 0; k < expected.size(); ++k) {
            if (std::abs(firings[k] - expected[k]) * MinutesPerDay > 0.5) {
                return std::nullopt;
            }
        }
        return candidate;
    }

    // The rule's count as the count of the reminder's days from the start's, its UNTIL as the last day whose
    // set minute it reaches. False where the reminder cannot end so: a count of full hours, a start that is
    // none of the rule's days (RFC 5545 counts it though), more than a reminder counts.
    bool EndsAsTheRule(TExchangeItem& item, const icalrecurrencetype& rule, TDateTime first) const {
        TRmSchedule& schedule = item.Schedule;
        if (rule.count > 0) {
            if (rule.count > MostEndCount || IsHourlyMethod(item.Numbers[KeyMethod])) {
                return false;
            }
            schedule.StartDate = StoredDateOf(DateOf(first));
            schedule.EndCount = rule.count;
            const TNextFirings start =
                NextFirings(RecordOf(item), first - 1.0 / MinutesPerDay, first, 1, Options.BeginWithSunday);
            if (start.Minutes.empty() || std::abs(start.Minutes.front() - first) * MinutesPerDay > 0.5) {
                return false;
            }
        }
        if (!icaltime_is_null_time(rule.until)) {
            const std::optional<TDateTime> until = LocalMomentOf(rule.until);
            if (!until) {
                return false;
            }
            // A date is the whole day.
            TDateTime day = DateOf(*until);
            const int setMinute = item.Numbers[KeyHour] * 60 + item.Numbers[KeyMinuter];
            if (!rule.until.is_date && setMinute > static_cast<int>(std::lround((*until - day) * MinutesPerDay))) {
                day -= 1;
            }
            schedule.EndDate = StoredDateOf(day);
        }
        return true;
    }

    const TIcsImportOptions& Options;
    std::vector<TExchangeItem>& Items;
    ImportTally& Tally;
};

} // namespace

namespace {

// The event's start, rules, dates and text; none, counted in the tally, when it has no start to read.
std::optional<ForeignEvent> ReadForeignEvent(icalcomponent* component, ImportTally& tally) {
    const bool todo = icalcomponent_isa(component) == ICAL_VTODO_COMPONENT;
    icalproperty* start = icalcomponent_get_first_property(component, todo ? ICAL_DUE_PROPERTY : ICAL_DTSTART_PROPERTY);
    if (start == nullptr) {
        ++(todo ? tally.NoDue : tally.NoTime);
        return std::nullopt;
    }
    ForeignEvent event;
    event.Component = component;
    event.Start = icalproperty_get_datetime_with_component(start, component);
    const std::optional<TDateTime> first = LocalMomentOf(event.Start);
    if (!first) {
        ++tally.NoTime;
        return std::nullopt;
    }
    event.First = *first;
    for (icalproperty* rule = icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY); rule != nullptr;
         rule = icalcomponent_get_next_property(component, ICAL_RRULE_PROPERTY)) {
        const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
        if (recurrence.freq != ICAL_NO_RECURRENCE) {
            event.Rules.push_back(recurrence);
        }
    }
    event.HasDates = icalcomponent_get_first_property(component, ICAL_RDATE_PROPERTY) != nullptr;
    event.HasExceptions = icalcomponent_get_first_property(component, ICAL_EXDATE_PROPERTY) != nullptr;
    std::string text = CleanText(icalcomponent_get_summary(component));
    if (text.empty()) {
        text = CleanText(icalcomponent_get_description(component));
    }
    if (text.empty()) {
        text = todo ? "待办事项" : "日历事件";
    }
    event.Message = StoredTitle(text, tally);
    if (icalcomponent_get_first_property(component, ICAL_RECURRENCEID_PROPERTY) == nullptr) {
        event.Uid = CleanText(icalcomponent_get_uid(component));
    }
    return event;
}

} // namespace

AlarmSplit SplitAlarms(std::vector<int> minutesBefore, int minuteOfDay, std::optional<int> keptForward,
                       const std::vector<TLeadTime>& keptWarnings) {
    std::sort(minutesBefore.begin(), minutesBefore.end());
    minutesBefore.erase(std::unique(minutesBefore.begin(), minutesBefore.end()), minutesBefore.end());
    AlarmSplit split;
    std::vector<int> leads;
    for (const int minutes : minutesBefore) {
        if (minutes < 0 || minutes > LongestLeadMinutes) {
            split.Others.push_back(minutes);
        } else if (minutes > 0) {
            leads.push_back(minutes);
        }
    }
    const bool kept =
        keptForward && *keptForward > 0 &&
        // An early minute before midnight was never an alarm; it stays as it was.
        (*keptForward > minuteOfDay || std::find(leads.begin(), leads.end(), *keptForward) != leads.end());
    if (kept) {
        split.Forward = *keptForward;
    } else {
        // An early minute moved elsewhere, or one of another calendar's alarms.
        for (const int minutes : leads) {
            const bool warning = std::any_of(keptWarnings.begin(), keptWarnings.end(),
                                             [minutes](const TLeadTime& lead) { return lead.Minutes() == minutes; });
            if (minutes <= LongestForwardMinutes && minutes <= minuteOfDay && !warning) {
                split.Forward = std::max(split.Forward, minutes);
            }
        }
    }
    std::erase(leads, split.Forward);
    // The nearest to the start are the ones a person acts on.
    if (leads.size() > static_cast<std::size_t>(MostWarnings)) {
        leads.resize(static_cast<std::size_t>(MostWarnings));
        split.Dropped = true;
    }
    for (const int minutes : leads) {
        split.Warnings.push_back(LeadOfMinutes(minutes));
    }
    split.Warnings = OrderedWarnings(std::move(split.Warnings));
    return split;
}

void ImportTally::Merge(const ImportTally& other) {
    Expanded += other.Expanded;
    ExpandedReminders += other.ExpandedReminders;
    for (const auto& [reason, count] : other.Reasons) {
        Reasons[reason] += count;
    }
    Ended += other.Ended;
    NoTime += other.NoTime;
    NoDue += other.NoDue;
    SeveralAlarms += other.SeveralAlarms;
    ManyAlarms += other.ManyAlarms;
    Past += other.Past;
    Cancelled += other.Cancelled;
    Dense += other.Dense;
    Steps += other.Steps;
    Cut += other.Cut;
    EditedElsewhere += other.EditedElsewhere;
}

std::string StoredTitle(const std::string& title, ImportTally& tally) {
    // Shown as it was written, whatever marks it holds; no longer than a data file keeps. A title of megabytes
    // is looked at no further than that.
    const std::string_view head = FirstCharacters(title, IniMaxValueCharacters + 1);
    std::string message = LiteralRemindText(head, IniMaxValueCharacters);
    if (head.size() < title.size() || message.size() != LiteralRemindText(head, IniMaxValueCharacters + 1).size()) {
        ++tally.Cut;
    }
    return message;
}

void TakeForeignComponent(icalcomponent* component, const TIcsImportOptions& options, std::vector<TExchangeItem>& items,
                          ImportTally& tally) {
    if (icalcomponent_get_status(component) == ICAL_STATUS_CANCELLED) {
        ++tally.Cancelled;
        return;
    }
    if (const std::optional<ForeignEvent> event = ReadForeignEvent(component, tally)) {
        ForeignImport(options, items, tally).Take(*event);
    }
}

std::vector<TDateTime> OccurrencesOf(icalcomponent* component, TDateTime until, TDateTime now) {
    ImportTally unused;
    const std::optional<ForeignEvent> event = ReadForeignEvent(component, unused);
    return event ? Occurrences(*event, until, now, unused).Moments : std::vector<TDateTime>{};
}

} // namespace chimewell::ics
