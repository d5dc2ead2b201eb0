// Reminders as the events other calendars show: a rule where the calendar can compute the days itself, else
// the days this program computes, as a list of dates; the reminder's own keys travel beside in X- properties.

#include "exchange/ical_file.h"

#include "calendar/clock.h"
#include "calendar/due.h"
#include "data/reminder_schedule.h"
#include "exchange/ical_common.h"
#include "runtime/next_firing.h"
#include "runtime/remind_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>

namespace chimewell {

using namespace ics;

namespace {

constexpr std::array<const char*, 7> RuleWeekdayNames = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};

ExportZone ZoneNamed(const std::string& name) {
    ExportZone zone;
    if (name.empty()) {
        return zone;
    }
    icaltimezone* utc = icaltimezone_get_utc_timezone();
    if (name == "UTC" || name == "Etc/UTC" || name == "Universal" || name == "Zulu" || name == "Etc/Universal") {
        return {utc, true, "UTC"};
    }
    zone.Zone = icaltimezone_get_builtin_timezone(name.c_str());
    zone.IsUtc = zone.Zone == utc;
    zone.Tzid = name;
    return zone;
}

// A local moment as the export writes it: in its zone (UTC converted), or floating.
icaltimetype ExportTimeOf(TDateTime moment, const ExportZone& zone) {
    if (zone.IsUtc) {
        return UtcOf(moment, zone);
    }
    icaltimetype t = FieldsOf(moment);
    t.zone = zone.Zone;
    return t;
}

void AddZoneParameter(icalproperty* property, const ExportZone& zone) {
    if (zone.Zone != nullptr && !zone.IsUtc) {
        icalproperty_add_parameter(property, icalparameter_new_tzid(zone.Tzid.c_str()));
    }
}

// The zone's rules from the year before the export on, under the zone database's name: what calendars need for
// the coming events, without the century of history that some readers cannot take.
icalcomponent* ZoneComponent(const ExportZone& zone, TDateTime from) {
    icalcomponent* component = icalcomponent_new_clone(icaltimezone_get_component(zone.Zone));
    icaltimetype start = icaltime_null_time();
    start.year = DecodeDate(from).Year - 1;
    start.month = 1;
    start.day = 1;
    icaltimezone_truncate_vtimezone(component, start, icaltime_null_time(), 1);
    if (icalproperty* tzid = icalcomponent_get_first_property(component, ICAL_TZID_PROPERTY)) {
        icalproperty_set_tzid(tzid, zone.Tzid.c_str());
    }
    return component;
}

std::string RuleTimeText(const icaltimetype& t) {
    char text[20];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d%s", t.year, t.month, t.day, t.hour, t.minute, t.second,
                  icaltime_is_utc(t) ? "Z" : "");
    return text;
}

// Every full hour of the days a day rule gives.
std::string HourlyRuleOf(const std::string& dayRule) {
    const std::size_t parts = dayRule.find(';');
    return "FREQ=HOURLY;BYMINUTE=0" + (parts == std::string::npos ? std::string() : dayRule.substr(parts));
}

// The most dates one event lists; an hourly reminder of every day reaches about half a year with them.
constexpr int MostListedDates = 5000;

struct EventPlan {
    // The first occurrence, then the others of the list of dates (with a rule: the dates beside it).
    std::vector<TDateTime> Minutes;
    // Empty: the minutes are the dates; else the rule that repeats from the first.
    std::string Rule;
    // Days the rule gives that are no firings (EXDATE).
    std::vector<TDateTime> Exceptions;
    // How the rule ends: at a local minute (the last of the reminder's year, of its end date or of its last
    // counted day), or after so many occurrences.
    std::optional<TDateTime> Until;
    int Count = 0;
    bool Cancelled = false;
};

TDateTime LastMinuteOfDay(TDateTime day) {
    const DateFields date = DecodeDate(day);
    return EncodeDateTime(date.Year, date.Month, date.Day, 23, 59);
}

// Where a rule of the reminder (its early minute and warnings aside) ends: with its year, its end date or its
// count of days. The count goes out as COUNT where the rule's occurrences are the very days the reminder counts
// (`countable`: no week or holiday condition, no full hours of the hourly methods); else the rule ends with the
// day of the last counted firing.
void SetRuleEnd(EventPlan& plan, const TRmMainDate& record, bool countable, bool beginWithSunday) {
    std::optional<TDateTime> until;
    const auto bound = [&until](TDateTime last) { until = until ? std::min(*until, last) : last; };
    if (record.Year != 0) {
        bound(EncodeDateTime(record.Year, 12, 31, 23, 59));
    }
    if (record.EndDate != 0) {
        bound(LastMinuteOfDay(DateOfStored(record.EndDate)));
    }
    if (record.EndCount > 0 && record.StartDate != 0) {
        const TNextFirings counted = NextFirings(record, DateOfStored(record.StartDate) - 1.0 / MinutesPerDay,
                                                 NextFiringRangeEnd(), record.EndCount, beginWithSunday);
        if (countable && static_cast<int>(counted.Minutes.size()) == record.EndCount) {
            // The count ends it, before the other bounds or with them.
            plan.Count = record.EndCount;
            plan.Until.reset();
            return;
        }
        if (!countable && !counted.Minutes.empty()) {
            bound(LastMinuteOfDay(counted.Minutes.back()));
        }
    }
    plan.Until = until;
}

// The weekdays of a rule's BYDAY, 0x01 Monday .. 0x40 Sunday.
std::string RuleDaysOf(int bits) {
    std::string days;
    for (std::size_t bit = 0; bit < 7; ++bit) {
        if ((bits & (1 << bit)) != 0) {
            days += (days.empty() ? "" : ",") + std::string(RuleWeekdayNames[bit]);
        }
    }
    return days;
}

// A reminder of the official workdays or rest days ($gzr$, $xxr$) on days a rule gives: the rule's days on
// Monday to Friday (or on the weekend), with the holidays and the weekend days worked that the schedule knows as
// exceptions and extra dates; other years go by the weekday, as the reminder itself does. None where the days
// are no rule's.
std::optional<EventPlan> PlanHolidayConditionEvent(const TRmMainDate& record, const TIcsExportOptions& options,
                                                   TDateTime until) {
    // An interval's rule counts its weeks or months through the days the condition leaves out: a list of dates.
    if (!HasHolidayCondition(record.Message) || IsHourlyMethod(record.Method) || record.HasInterval()) {
        return std::nullopt;
    }
    TRmMainDate plain = record;
    plain.Message = StripWeekCondition(record.Message);
    const std::string base = GregorianRuleOf(plain);
    if (base.empty()) {
        return std::nullopt;
    }
    const int wanted = record.Message.starts_with("$gzr$") ? 0x1F : 0x60;
    const bool weekdays = (plain.Day & WeekdayMask) != 0 && plain.Day > 31;
    const int bits = (weekdays ? plain.Day & 0x7F : 0x7F) & wanted;
    if (bits == 0) {
        return std::nullopt;
    }
    std::string rule;
    if (base.starts_with("FREQ=DAILY")) {
        rule = "FREQ=WEEKLY;BYDAY=" + RuleDaysOf(bits) + base.substr(std::string_view("FREQ=DAILY").size());
    } else if (base.starts_with("FREQ=WEEKLY;BYDAY=")) {
        const std::size_t end = base.find(';', std::string_view("FREQ=WEEKLY;BYDAY=").size());
        rule = "FREQ=WEEKLY;BYDAY=" + RuleDaysOf(bits) + (end == std::string::npos ? "" : base.substr(end));
    } else {
        rule = base + ";BYDAY=" + RuleDaysOf(bits);
    }
    const TDateTime after = record.Year != 0 ? NextFiringRangeStart() - 1.0 : options.From;
    const int most = 400 * std::clamp(options.Years, 1, MaxIcsYears) + 10;
    const std::vector<TDateTime> firings = NextFirings(record, after, until, most, options.BeginWithSunday).Minutes;
    if (firings.empty()) {
        return std::nullopt;
    }
    std::vector<TDateTime> ruleDays;
    for (const TDateTime minute :
         NextFirings(plain, firings.front() - 1.0 / MinutesPerDay, until, most, options.BeginWithSunday).Minutes) {
        const int weekday = DayOfWeek(minute); // 1 = Sunday
        if ((bits & (weekday == 1 ? 0x40 : 1 << (weekday - 2))) != 0) {
            ruleDays.push_back(minute);
        }
    }
    const auto same = [](TDateTime a, TDateTime b) { return std::abs(a - b) * MinutesPerDay < 0.5; };
    const auto less = [&same](TDateTime a, TDateTime b) { return a < b && !same(a, b); };
    EventPlan plan;
    plan.Rule = rule;
    SetRuleEnd(plan, record, false, options.BeginWithSunday);
    std::set_difference(firings.begin(), firings.end(), ruleDays.begin(), ruleDays.end(),
                        std::back_inserter(plan.Minutes), less);
    std::set_difference(ruleDays.begin(), ruleDays.end(), firings.begin(), firings.end(),
                        std::back_inserter(plan.Exceptions), less);
    // The first firing begins the event, whether the rule or the schedule gives it.
    if (plan.Minutes.empty() || !same(plan.Minutes.front(), firings.front())) {
        plan.Minutes.insert(plan.Minutes.begin(), firings.front());
    }
    return plan;
}

EventPlan PlanEvent(const TExchangeItem& item, const TIcsExportOptions& options) {
    TRmMainDate record = RecordOf(item);
    // The early minute and the warnings are the alarms'; the events are the set minutes.
    record.Forward = 0;
    record.Warnings.clear();
    const bool hourly = IsHourlyMethod(record.Method);
    EventPlan plan;
    const TDateTime beforeRange = NextFiringRangeStart() - 1.0;
    const int years = std::clamp(options.Years, 1, MaxIcsYears);
    // Up to the last set minute whose early minute lies within the reach.
    const TDateTime until = options.From + IcsListDays(years) + std::max(RecordOf(item).Forward, 0) / 1440.0;
    if (std::optional<EventPlan> workdays = PlanHolidayConditionEvent(record, options, until)) {
        return std::move(*workdays);
    }
    // An interval's rule counts from its first day: the full hours of the hourly methods would be counted too.
    std::string rule = hourly && record.HasInterval() ? std::string() : GregorianRuleOf(record);
    if (rule.empty() && options.LunarRules && !hourly && !HasWeekCondition(record.Message) && HasTimeOfDay(record)) {
        rule = LunarRuleOf(item);
    }
    if (!rule.empty()) {
        // A rule of one year shows the whole year; one of every year begins with its next day, unless its count
        // of days ends it: COUNT counts from the first of them.
        const bool counted = record.EndCount > 0 && record.StartDate != 0 && !hourly;
        const TDateTime after = record.Year != 0 ? beforeRange
                                : counted        ? DateOfStored(record.StartDate) - 1.0 / MinutesPerDay
                                                 : options.From;
        const std::vector<TDateTime> first =
            ReminderEventMinutes(record, after, NextFiringRangeEnd(), hourly ? 25 : 1, options.BeginWithSunday);
        const auto start = std::find_if(first.begin(), first.end(), [hourly](TDateTime minute) {
            return !hourly || DecodeTime(minute).Minute == 0;
        });
        if (start == first.end()) {
            plan.Cancelled = true;
            return plan;
        }
        plan.Minutes = {*start};
        plan.Rule = hourly ? HourlyRuleOf(rule) : rule;
        SetRuleEnd(plan, record, !hourly, options.BeginWithSunday);
        if (hourly && record.Minuter != 0) {
            // The set minute is no full hour: its days' set minutes go beside the rule.
            const TDateTime listFrom = std::max(after, *start - 1.0 / MinutesPerDay);
            const TNextFirings set = NextFirings(record, listFrom, until, MostListedDates, options.BeginWithSunday);
            plan.Minutes.insert(plan.Minutes.end(), set.Minutes.begin(), set.Minutes.end());
        }
        return plan;
    }
    std::vector<TDateTime> minutes = ReminderEventMinutes(
        record, options.From, until, std::min(400 * years + 10, MostListedDates), options.BeginWithSunday);
    if (minutes.empty() && record.Year != 0) {
        // A reminder of a year gone by keeps its day, as a calendar keeps past events.
        minutes = ReminderEventMinutes(record, beforeRange, NextFiringRangeEnd(), 1, options.BeginWithSunday);
    }
    if (minutes.empty()) {
        plan.Cancelled = true;
        return plan;
    }
    plan.Minutes = std::move(minutes);
    return plan;
}

// A reminder that never fires again still goes out whole, at its time of the export's day, marked cancelled.
TDateTime CancelledMoment(const TRmMainDate& record, TDateTime from) {
    const int hour = HasTimeOfDay(record) ? record.Hour : 0;
    const int minute = HasTimeOfDay(record) ? record.Minuter : 0;
    return DateOf(from) + (hour * 60 + minute) / 1440.0;
}

void AddText(icalcomponent* event, const std::string& name, const std::string& value) {
    icalproperty* property = icalproperty_new_x(value.c_str());
    icalproperty_set_x_name(property, name.c_str());
    icalcomponent_add_property(event, property);
}

void AddAlarm(icalcomponent* event, const std::string& description, int minutesBefore) {
    icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(alarm, icalproperty_new_description(description.c_str()));
    icaltriggertype trigger{};
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_from_int(-60 * minutesBefore);
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    icalcomponent_add_component(event, alarm);
}

icalcomponent* EventOf(const TExchangeItem& item, const TIcsExportOptions& options, const ExportZone& zone,
                       const icaltimetype& stamp) {
    const TRmMainDate record = RecordOf(item);
    const EventPlan plan = PlanEvent(item, options);
    const TDateTime start = plan.Cancelled ? CancelledMoment(record, options.From) : plan.Minutes.front();

    icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    const std::string uid = item.Uid.empty() ? NewReminderUid() : item.Uid;
    icalcomponent_add_property(event, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    if (options.Sequence > 0) {
        icalcomponent_add_property(event, icalproperty_new_sequence(options.Sequence));
        icalcomponent_add_property(event, icalproperty_new_lastmodified(stamp));
    }

    icalproperty* dtstart = icalproperty_new_dtstart(ExportTimeOf(start, zone));
    AddZoneParameter(dtstart, zone);
    icalcomponent_add_property(event, dtstart);

    if (!plan.Rule.empty()) {
        std::string rule = plan.Rule;
        if (plan.Count > 0) {
            rule += ";COUNT=" + std::to_string(plan.Count);
        } else if (plan.Until) {
            rule += ";UNTIL=" + RuleTimeText(zone.Zone != nullptr ? UtcOf(*plan.Until, zone) : FieldsOf(*plan.Until));
        }
        icalrecurrencetype recurrence = icalrecurrencetype_from_string(rule.c_str());
        icalcomponent_add_property(event, icalproperty_new_rrule(recurrence));
        // The property keeps a copy of the calendar's name; the parsed rule's own is the caller's to free.
        std::free(recurrence.rscale);
    }
    for (std::size_t k = 1; k < plan.Minutes.size(); ++k) {
        icaldatetimeperiodtype date{};
        date.time = ExportTimeOf(plan.Minutes[k], zone);
        date.period = icalperiodtype_null_period();
        icalproperty* rdate = icalproperty_new_rdate(date);
        AddZoneParameter(rdate, zone);
        icalcomponent_add_property(event, rdate);
    }
    for (const TDateTime exception : plan.Exceptions) {
        icalproperty* exdate = icalproperty_new_exdate(ExportTimeOf(exception, zone));
        AddZoneParameter(exdate, zone);
        icalcomponent_add_property(event, exdate);
    }
    if (plan.Cancelled) {
        icalcomponent_add_property(event, icalproperty_new_status(ICAL_STATUS_CANCELLED));
    }

    std::string summary = PrepareRemindText(record.Message, start, options.BeginWithSunday).Shown;
    if (summary.empty()) {
        summary = "提醒";
    }
    icalcomponent_add_property(event, icalproperty_new_summary(summary.c_str()));
    DescribeOptions described;
    described.Calendar = described.Date = described.Time = described.Forward = described.Command = true;
    const std::string description = record.Describe(described);
    icalcomponent_add_property(event, icalproperty_new_description(description.c_str()));

    // The reminder shows at its early minute and at its set minute, and so do the alarms; the full hours of an
    // hourly reminder have no early minute. An early minute before midnight is none: the reminder looks at its
    // own day only.
    const bool hourly = IsHourlyMethod(record.Method);
    const int forward =
        record.Forward > 0 && !hourly && (!HasTimeOfDay(record) || record.Forward <= record.Hour * 60 + record.Minuter)
            ? record.Forward
            : 0;
    if (forward > 0) {
        AddAlarm(event, summary, forward);
    }
    // A warning goes off ahead of the set minute, on an earlier day too. An alarm goes off ahead of every
    // occurrence, and the full hours of an hourly reminder are occurrences that no warning warns of: those
    // warnings travel in the X- keys only, as do those of a reminder that shows no window. A warning on the early
    // minute is that minute's firing.
    if (!hourly && record.Message != "NOTSHOWREMINDBOX") {
        for (const TLeadTime& warning : OrderedWarnings(record.Warnings)) {
            if (const int lead = warning.Minutes(); lead > 0 && lead != forward) {
                AddAlarm(event, WarningPrefix(lead) + summary, lead);
            }
        }
    }
    AddAlarm(event, summary, 0);
    // What other calendars show of it as written, so that a change they make is told from the X- keys.
    AddText(event, PropertyName(WrittenPartsKey), ShownPartsText(ShownPartsOf(event)));

    for (std::size_t key = 0; key < ExchangeNumberKeys.size(); ++key) {
        AddText(event, PropertyName(ExchangeNumberKeys[key]), std::to_string(item.Numbers[key]));
    }
    AddText(event, PropertyName(CarriedTextsKey), CarriedTextsPercent);
    AddText(event, PropertyName("Music"), EncodeCarriedText(item.Music));
    AddText(event, PropertyName("Command"), EncodeCarriedText(item.Command));
    AddText(event, PropertyName("Message"), EncodeCarriedText(item.Message));
    if (const std::string lunar = LunarRuleOf(item); !lunar.empty()) {
        AddText(event, PropertyName("LunarRule"), lunar);
    }
    const TRmSchedule& schedule = item.Schedule;
    // Blanks between the warnings: a CalDAV server that reads an X- property as a list keeps its first item only.
    std::string warnings = FormatWarnings(schedule.Warnings);
    std::replace(warnings.begin(), warnings.end(), ',', ' ');
    const std::array<std::pair<const char*, std::string>, 6> scheduleKeys = {{
        {ReminderWarningsKey, warnings},
        {ReminderIntervalKey, FormatInterval(schedule.Every, schedule.EveryCount)},
        {ReminderStartDateKey, FormatStoredDate(schedule.StartDate)},
        {ReminderEndDateKey, FormatStoredDate(schedule.EndDate)},
        {ReminderEndCountKey, schedule.EndCount > 0 ? std::to_string(schedule.EndCount) : std::string()},
        {ReminderMonthEndKey, schedule.MonthEnd ? std::string("1") : std::string()},
    }};
    for (const auto& [key, value] : scheduleKeys) {
        if (!value.empty()) {
            AddText(event, PropertyName(key), value);
        }
    }
    return event;
}

} // namespace

namespace ics {

namespace {

// The rule of the days of a reminder with an interval: the interval's unit is the rule's frequency, counted from
// the first occurrence (which the reminder's own days give, so that both count alike), and the date fields narrow
// it. Weeks begin on Monday, as the reminder counts them (RFC 5545's default, which libical therefore leaves out
// of the text it writes). Empty where RFC 5545 has no such rule (a day of the month in weeks).
std::string IntervalRuleOf(const TRmMainDate& record, bool every, bool fixed) {
    std::string frequency;
    switch (record.Every) {
    case RepeatUnit::Days:
        frequency = "DAILY";
        break;
    case RepeatUnit::Weeks:
        frequency = "WEEKLY";
        break;
    case RepeatUnit::Months:
        frequency = "MONTHLY";
        break;
    case RepeatUnit::Years:
        frequency = "YEARLY";
        break;
    case RepeatUnit::None:
        return {};
    }
    if (fixed && record.Every == RepeatUnit::Weeks) {
        return {};
    }
    std::string rule = "FREQ=" + frequency + ";INTERVAL=" + std::to_string(record.EveryCount);
    if (record.Every == RepeatUnit::Weeks) {
        rule += ";WKST=MO";
    }
    if (record.Month != 0) {
        rule += ";BYMONTH=" + std::to_string(record.Month);
    }
    if (fixed) {
        rule += ";BYMONTHDAY=" + (record.FallsToMonthEnd() ? std::string("-1") : std::to_string(record.Day));
    } else if (!every) {
        rule += ";BYDAY=" + RuleDaysOf(record.Day & 0x7F);
    } else if (record.Every != RepeatUnit::Days) {
        // Every day of the weeks, months or years the interval takes.
        rule += ";BYDAY=" + RuleDaysOf(0x7F);
    }
    return rule;
}

} // namespace

// The RFC 5545 rule of the days of a Gregorian reminder that repeats, without its end; empty when its days are
// not such a rule's (a fixed date, a lunar date, a condition, values no editor makes).
std::string GregorianRuleOf(const TRmMainDate& record) {
    if (record.IsLunar || HasWeekCondition(record.Message) || !HasTimeOfDay(record) || record.Month < 0 ||
        record.Month > 12 || (record.Year != 0 && (record.Year < 1900 || record.Year > 2100))) {
        return {};
    }
    const int day = record.Day;
    const bool every = day == 0 || ((day & WeekdayMask) != 0 && day > 31 && (day & 0x7F) == 0x7F);
    const bool fixed = day >= 1 && day <= 31;
    const bool weekdays = !every && !fixed && (day & WeekdayMask) != 0 && (day & 0x7F) != 0;
    if (!every && !fixed && !weekdays) {
        return {};
    }
    // The last day of each month is a rule's; day 29 or 30 falling on a shorter month's end is none, and goes out
    // as its dates.
    const bool lastDay = fixed && record.FallsToMonthEnd();
    if (lastDay && day != 31) {
        return {};
    }
    if (!lastDay && fixed && record.Month != 0 && day > GregorianMonthDays(2000, record.Month)) {
        return {};
    }
    const std::string monthDay = lastDay ? std::string("-1") : std::to_string(day);
    if (fixed && record.Year != 0 && record.Month != 0) {
        return {}; // one day
    }
    if (record.HasInterval()) {
        return IntervalRuleOf(record, every, fixed);
    }
    std::string rule;
    if (fixed) {
        rule = record.Month != 0 ? "FREQ=YEARLY;BYMONTH=" + std::to_string(record.Month) + ";BYMONTHDAY=" + monthDay
                                 : "FREQ=MONTHLY;BYMONTHDAY=" + monthDay;
    } else {
        if (every) {
            rule = "FREQ=DAILY";
        } else {
            rule = "FREQ=WEEKLY;BYDAY=";
            bool first = true;
            for (std::size_t bit = 0; bit < RuleWeekdayNames.size(); ++bit) {
                if ((day & (1 << bit)) != 0) {
                    rule += first ? "" : ",";
                    rule += RuleWeekdayNames[bit];
                    first = false;
                }
            }
        }
        if (record.Month != 0) {
            rule += ";BYMONTH=" + std::to_string(record.Month);
        }
    }
    return rule;
}

} // namespace ics

std::vector<TDateTime> ReminderEventMinutes(const TRmMainDate& reminder, TDateTime after, TDateTime until, int count,
                                            bool beginWithSunday) {
    // The warnings are the alarms' to give, not occurrences of their own.
    TRmMainDate record = reminder;
    record.Warnings.clear();
    std::vector<TDateTime> minutes;
    if (!IsHourlyMethod(record.Method)) {
        return NextFirings(record, after, until, count, beginWithSunday).Minutes;
    }
    // Every full hour of each day the set minute fires on, and the set minute; the day of `after` may have full
    // hours left though its set minute has passed.
    const TDateTime from = std::max(DateOf(after) - 1.0 / MinutesPerDay, NextFiringRangeStart() - 1.0);
    const TNextFirings days = NextFirings(record, from, until, count + 1, beginWithSunday);
    const std::int64_t afterMinute = static_cast<std::int64_t>(std::floor(after * MinutesPerDay + 1e-6));
    TDateTime lastDay = -1;
    for (const TDateTime set : days.Minutes) {
        const TDateTime day = DateOf(set);
        if (day != lastDay) {
            lastDay = day;
            for (int hour = 0; hour < 24; ++hour) {
                const TDateTime minute = day + hour / 24.0;
                if (minute < set - 0.5 / MinutesPerDay || (minute > set + 0.5 / MinutesPerDay)) {
                    minutes.push_back(minute);
                }
            }
        }
        minutes.push_back(set);
    }
    std::sort(minutes.begin(), minutes.end());
    minutes.erase(std::unique(minutes.begin(), minutes.end(),
                              [](TDateTime a, TDateTime b) { return std::abs(a - b) * MinutesPerDay < 0.5; }),
                  minutes.end());
    std::erase_if(minutes, [&](TDateTime minute) {
        const std::int64_t at = static_cast<std::int64_t>(std::floor(minute * MinutesPerDay + 0.5));
        return at <= afterMinute || minute > until + 0.5 / MinutesPerDay;
    });
    if (minutes.size() > static_cast<std::size_t>(std::max(count, 0))) {
        minutes.resize(static_cast<std::size_t>(std::max(count, 0)));
    }
    return minutes;
}

int IcsListDays(int years) {
    return std::clamp(years, 1, MaxIcsYears) * 36525 / 100;
}

std::string LunarRuleOf(const TExchangeItem& item) {
    const TRmMainDate record = RecordOf(item);
    if (!record.IsLunar || record.Year != 0 || record.Month < 0 || record.Month > 12 || record.Day < 1 ||
        record.Day > 30) {
        return {};
    }
    const bool leap = record.Month != 0 && record.IsLeapMonth;
    // A day 30 kept every year falls on the 29th of a short month; of a leap month, whose year may lack it,
    // RFC 7529 has no rule that does both.
    if (leap && record.Day == 30) {
        return {};
    }
    // An interval of the rule's own unit (lunar years of a yearly day, lunar months of a monthly one, leap months
    // counted as months in both calendars); other intervals have no lunar rule.
    const RepeatUnit unit = record.Month != 0 ? RepeatUnit::Years : RepeatUnit::Months;
    if (record.HasInterval() && record.Every != unit) {
        return {};
    }
    const std::string interval = record.HasInterval() ? "INTERVAL=" + std::to_string(record.EveryCount) + ";" : "";
    std::string rule = "RSCALE=CHINESE;";
    if (record.Month != 0) {
        rule += "FREQ=YEARLY;" + interval + "BYMONTH=" + std::to_string(record.Month) + (leap ? "L" : "") + ";";
    } else {
        rule += "FREQ=MONTHLY;" + interval;
    }
    rule += "BYMONTHDAY=" + std::to_string(record.Day);
    if (record.Day == 30) {
        rule += ";SKIP=BACKWARD";
    }
    return rule;
}

std::string IcsFileBytes(const std::vector<TExchangeItem>& items, const TIcsExportOptions& options) {
    SetUpLibical();
    const ExportZone zone = ZoneNamed(options.TimeZone);
    ComponentPtr calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid(ProductId));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    if (zone.Zone != nullptr && !zone.IsUtc) {
        icalcomponent_add_component(calendar.get(), ZoneComponent(zone, options.From));
    }
    const icaltimetype stamp = UtcOf(MinuteOf(Now()), zone);
    for (const TExchangeItem& item : items) {
        icalcomponent_add_component(calendar.get(), EventOf(item, options, zone, stamp));
    }
    return TextOf(calendar.get());
}

} // namespace chimewell
