#include "exchange/ical_file.h"

#include "calendar/clock.h"
#include "calendar/due.h"
#include "calendar/lunar.h"
#include "data/file_io.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"
#include "data/text_helpers.h"
#include "platform/message_box.h"
#include "runtime/next_firing.h"
#include "runtime/remind_text.h"

#include <libical/ical.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>

namespace chimewell {

namespace {

constexpr const char* ProductId = "-//Chimewell//晴铃提醒 1.0//ZH";
constexpr std::int64_t MinutesPerDay = 1440;

// Numbers of an exchange item, by the keys' places.
enum NumberKey : std::size_t {
    KeyYear,
    KeyMonth,
    KeyDay,
    KeyHour,
    KeyMinuter,
    KeyForward,
    KeyMethod,
    KeyIsLunar,
    KeyIsLeapMonth,
    KeyWithScript,
    KeyAutoExecScript,
    KeyReminded
};

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentFree>;

// Zone names as the zone database spells them, without libical's own prefix; errors are reported, never fatal.
void SetUpLibical() {
    static const bool done = [] {
        icaltimezone_set_tzid_prefix("");
        icalerror_set_errors_are_fatal(0);
        return true;
    }();
    (void)done;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::string PropertyName(std::string_view key) {
    return IcsPropertyPrefix + Upper(key);
}

bool HasTimeOfDay(const TRmMainDate& record) {
    return record.Hour >= 0 && record.Hour < 24 && record.Minuter >= 0 && record.Minuter < 60;
}

// ---- times --------------------------------------------------------------------------------------------------

struct ExportZone {
    icaltimezone* Zone = nullptr; // null: floating local times
    bool IsUtc = false;
    std::string Tzid; // the zone database's name, as the file's VTIMEZONE gives it
};

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

icaltimetype FieldsOf(TDateTime moment) {
    const DateFields date = DecodeDate(moment);
    const TimeFields time = DecodeTime(moment);
    icaltimetype t = icaltime_null_time();
    t.year = date.Year;
    t.month = date.Month;
    t.day = date.Day;
    t.hour = time.Hour;
    t.minute = time.Minute;
    t.second = 0;
    t.is_date = 0;
    return t;
}

// A local moment in UTC: through the export's zone, or through the C library's local zone for floating times.
icaltimetype UtcOf(TDateTime moment, const ExportZone& zone) {
    icaltimetype t = FieldsOf(moment);
    icaltimezone* utc = icaltimezone_get_utc_timezone();
    if (zone.Zone != nullptr) {
        t.zone = zone.Zone;
        return icaltime_convert_to_zone(t, utc);
    }
    std::tm fields{};
    fields.tm_year = t.year - 1900;
    fields.tm_mon = t.month - 1;
    fields.tm_mday = t.day;
    fields.tm_hour = t.hour;
    fields.tm_min = t.minute;
    fields.tm_isdst = -1;
    return icaltime_from_timet_with_zone(std::mktime(&fields), 0, utc);
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

// ---- what a reminder looks like to other calendars --------------------------------------------------------

constexpr std::array<const char*, 7> RuleWeekdays = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};

// The RFC 5545 rule of a Gregorian reminder that repeats, without its end; empty when its days are not such a
// rule's (a fixed date, a lunar date, a condition, the hourly and start-up methods, values no editor makes).
std::string GregorianRuleOf(const TRmMainDate& record) {
    if (record.IsLunar || record.Method != RemindExact || HasWeekCondition(record.Message) || !HasTimeOfDay(record) ||
        record.Month < 0 || record.Month > 12 || (record.Year != 0 && (record.Year < 1900 || record.Year > 2100))) {
        return {};
    }
    const int day = record.Day;
    const bool every = day == 0 || ((day & WeekdayMask) != 0 && day > 31 && (day & 0x7F) == 0x7F);
    const bool fixed = day >= 1 && day <= 31;
    const bool weekdays = !every && !fixed && (day & WeekdayMask) != 0 && (day & 0x7F) != 0;
    if (!every && !fixed && !weekdays) {
        return {};
    }
    if (fixed && record.Month != 0 && day > GregorianMonthDays(2000, record.Month)) {
        return {};
    }
    std::string rule;
    if (fixed) {
        if (record.Year != 0 && record.Month != 0) {
            return {}; // one day
        }
        rule = record.Month != 0
                   ? "FREQ=YEARLY;BYMONTH=" + std::to_string(record.Month) + ";BYMONTHDAY=" + std::to_string(day)
                   : "FREQ=MONTHLY;BYMONTHDAY=" + std::to_string(day);
    } else {
        if (every) {
            rule = "FREQ=DAILY";
        } else {
            rule = "FREQ=WEEKLY;BYDAY=";
            bool first = true;
            for (std::size_t bit = 0; bit < RuleWeekdays.size(); ++bit) {
                if ((day & (1 << bit)) != 0) {
                    rule += first ? "" : ",";
                    rule += RuleWeekdays[bit];
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

struct EventPlan {
    // The first occurrence, then the others of the list of dates.
    std::vector<TDateTime> Minutes;
    // Empty: the minutes are the dates; else the rule that repeats from the first.
    std::string Rule;
    // A rule bounded by the reminder's year ends at its last minute.
    bool EndsWithYear = false;
    bool Cancelled = false;
};

EventPlan PlanEvent(const TExchangeItem& item, const TIcsExportOptions& options) {
    TRmMainDate record = RecordOf(item);
    // The early minute is the alarm's; the events are the set minutes.
    record.Forward = 0;
    EventPlan plan;
    const TDateTime beforeRange = NextFiringRangeStart() - 1.0;
    std::string rule = GregorianRuleOf(record);
    if (rule.empty() && options.LunarRules && record.Method == RemindExact && !HasWeekCondition(record.Message) &&
        HasTimeOfDay(record)) {
        rule = LunarRuleOf(item);
    }
    if (!rule.empty()) {
        // A rule of one year shows the whole year; one of every year begins with its next day.
        const TDateTime after = record.Year != 0 ? beforeRange : options.From;
        const TNextFirings first = NextFirings(record, after, NextFiringRangeEnd(), 1, options.BeginWithSunday);
        if (first.Minutes.empty()) {
            plan.Cancelled = true;
            return plan;
        }
        plan.Minutes = first.Minutes;
        plan.Rule = rule;
        plan.EndsWithYear = record.Year != 0;
        return plan;
    }
    const int years = std::clamp(options.Years, 1, MaxIcsYears);
    // Up to the last set minute whose early minute lies within the reach.
    const TDateTime until = options.From + IcsListDays(years) + std::max(RecordOf(item).Forward, 0) / 1440.0;
    TNextFirings firings = NextFirings(record, options.From, until, 400 * years + 10, options.BeginWithSunday);
    if (firings.Minutes.empty() && record.Year != 0) {
        // A reminder of a year gone by keeps its day, as a calendar keeps past events.
        firings = NextFirings(record, beforeRange, NextFiringRangeEnd(), 1, options.BeginWithSunday);
    }
    if (firings.Minutes.empty()) {
        plan.Cancelled = true;
        return plan;
    }
    plan.Minutes = std::move(firings.Minutes);
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

void AddAlarm(icalcomponent* event, const std::string& summary, int minutesBefore) {
    icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(alarm, icalproperty_new_description(summary.c_str()));
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

    icalproperty* dtstart = icalproperty_new_dtstart(ExportTimeOf(start, zone));
    AddZoneParameter(dtstart, zone);
    icalcomponent_add_property(event, dtstart);

    if (!plan.Rule.empty()) {
        std::string rule = plan.Rule;
        if (plan.EndsWithYear) {
            const TDateTime last = EncodeDateTime(record.Year, 12, 31, 23, 59);
            rule += ";UNTIL=" + RuleTimeText(zone.Zone != nullptr ? UtcOf(last, zone) : FieldsOf(last));
        }
        icalrecurrencetype recurrence = icalrecurrencetype_from_string(rule.c_str());
        icalcomponent_add_property(event, icalproperty_new_rrule(recurrence));
        // The property keeps a copy of the calendar's name; the parsed rule's own is the caller's to free.
        std::free(recurrence.rscale);
    } else {
        for (std::size_t k = 1; k < plan.Minutes.size(); ++k) {
            icaldatetimeperiodtype date{};
            date.time = ExportTimeOf(plan.Minutes[k], zone);
            date.period = icalperiodtype_null_period();
            icalproperty* rdate = icalproperty_new_rdate(date);
            AddZoneParameter(rdate, zone);
            icalcomponent_add_property(event, rdate);
        }
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

    // The reminder shows at its early minute and at its set minute, and so do the alarms.
    // An early minute before midnight is none: the reminder looks at its own day only.
    if (record.Forward > 0 && (!HasTimeOfDay(record) || record.Forward <= record.Hour * 60 + record.Minuter)) {
        AddAlarm(event, summary, record.Forward);
    }
    AddAlarm(event, summary, 0);

    for (std::size_t key = 0; key < ExchangeNumberKeys.size(); ++key) {
        AddText(event, PropertyName(ExchangeNumberKeys[key]), std::to_string(item.Numbers[key]));
    }
    AddText(event, PropertyName("Music"), item.Music);
    AddText(event, PropertyName("Command"), item.Command);
    AddText(event, PropertyName("Message"), item.Message);
    if (const std::string lunar = LunarRuleOf(item); !lunar.empty()) {
        AddText(event, PropertyName("LunarRule"), lunar);
    }
    return event;
}

std::string TextOf(icalcomponent* component) {
    char* text = icalcomponent_as_ical_string_r(component);
    std::string bytes = text != nullptr ? text : "";
    icalmemory_free_buffer(text);
    return bytes;
}

// ---- reading ------------------------------------------------------------------------------------------------

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

// A text of this program's as it was, but on one line, as a data file keeps it.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return text;
}

std::optional<std::int32_t> NumberOf(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// The reminder an event of this program carries in its X- properties, or none.
std::optional<TExchangeItem> CarriedItem(icalcomponent* component) {
    TExchangeItem item;
    bool carried = false;
    for (icalproperty* property = icalcomponent_get_first_property(component, ICAL_X_PROPERTY); property != nullptr;
         property = icalcomponent_get_next_property(component, ICAL_X_PROPERTY)) {
        const char* rawName = icalproperty_get_x_name(property);
        const char* rawValue = icalproperty_get_x(property);
        if (rawName == nullptr) {
            continue;
        }
        const std::string name = Upper(rawName);
        const std::string value = rawValue != nullptr ? rawValue : "";
        for (std::size_t key = 0; key < ExchangeNumberKeys.size(); ++key) {
            if (name == PropertyName(ExchangeNumberKeys[key])) {
                item.Numbers[key] = NumberOf(value).value_or(0);
                carried = true;
            }
        }
        if (name == PropertyName("Music")) {
            item.Music = OneLine(value);
        } else if (name == PropertyName("Command")) {
            item.Command = OneLine(value);
        } else if (name == PropertyName("Message")) {
            item.Message = OneLine(value);
            carried = true;
        }
    }
    if (!carried) {
        return std::nullopt;
    }
    if (icalproperty* uid = icalcomponent_get_first_property(component, ICAL_UID_PROPERTY)) {
        item.Uid = CleanText(icalproperty_get_uid(uid));
    }
    return item;
}

bool IsReadableTime(const icaltimetype& t) {
    return !icaltime_is_null_time(t) && icaltime_is_valid_time(t) && t.year >= 1 &&
           IsValidGregorianDate(t.year, t.month, t.day) && t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60;
}

// The local moment of a time as a file holds it: a zone's time converted, a floating time as it stands, a
// date at IcsAllDayHour.
std::optional<TDateTime> LocalMomentOf(icaltimetype t) {
    if (!IsReadableTime(t)) {
        return std::nullopt;
    }
    if (t.is_date) {
        return EncodeDateTime(t.year, t.month, t.day, IcsAllDayHour, 0);
    }
    if (t.zone == nullptr) {
        return EncodeDateTime(t.year, t.month, t.day, t.hour, t.minute);
    }
    const time_t instant = icaltime_as_timet_with_zone(t, t.zone);
    std::tm local{};
    if (localtime_r(&instant, &local) == nullptr) {
        return std::nullopt;
    }
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
}

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

// Every occurrence up to `until`, as local moments, ascending; an endless rule stops at `until`.
std::vector<TDateTime> Occurrences(const ForeignEvent& event, TDateTime until, TDateTime now) {
    std::set<TDateTime> moments{MinuteOf(event.First)};
    for (const icalrecurrencetype& rule : event.Rules) {
        icalrecur_iterator* iterator = icalrecur_iterator_new(rule, event.Start);
        if (iterator == nullptr) {
            continue;
        }
        if (rule.count == 0) {
            // Straight to the present: a rule of every minute since 1990 need not be walked.
            icaltimetype from = event.Start;
            const icaltimetype today = FieldsOf(now - 2.0);
            if (icaltime_compare(today, from) > 0) {
                from.year = today.year;
                from.month = today.month;
                from.day = today.day;
                icalrecur_iterator_set_start(iterator, from);
            }
        }
        for (int step = 0; step < 200000; ++step) {
            icaltimetype next = icalrecur_iterator_next(iterator);
            if (icaltime_is_null_time(next)) {
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
                break;
            }
            moments.insert(MinuteOf(*local));
        }
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
    std::vector<TDateTime> list(moments.begin(), moments.end());
    return list;
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

// 0x01 Monday .. 0x40 Sunday, from a weekday counted 1 = Sunday .. 7 = Saturday.
int WeekdayBit(int weekday) {
    return weekday == 1 ? 0x40 : 1 << (weekday - 2);
}

// The reminder that repeats as the rule does, to be checked against the rule's occurrences; none where the
// rule's shape has no reminder.
std::optional<TExchangeItem> GregorianCandidate(const icalrecurrencetype& rule, TDateTime first,
                                                const std::string& message) {
    if (rule.interval > 1 || HasArray(rule.by_second) || HasArray(rule.by_minute) || HasArray(rule.by_hour) ||
        HasArray(rule.by_year_day) || HasArray(rule.by_week_no) || HasArray(rule.by_set_pos)) {
        return std::nullopt;
    }
    const DateFields date = DecodeDate(first);
    TExchangeItem item = ItemAt(first, 0, message);
    item.Numbers[KeyYear] = 0;
    const int months = ArrayLength(rule.by_month, ICAL_BY_MONTH_SIZE);
    const int monthDays = ArrayLength(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE);
    const int days = ArrayLength(rule.by_day, ICAL_BY_DAY_SIZE);
    if (months > 1 || monthDays > 1 || (monthDays == 1 && rule.by_month_day[0] < 1)) {
        return std::nullopt;
    }
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
        item.Numbers[KeyDay] = monthDays == 1 ? rule.by_month_day[0] : date.Day;
        break;
    case ICAL_MONTHLY_RECURRENCE:
        if (days != 0 || months != 0) {
            return std::nullopt;
        }
        item.Numbers[KeyMonth] = 0;
        item.Numbers[KeyDay] = monthDays == 1 ? rule.by_month_day[0] : date.Day;
        break;
    case ICAL_WEEKLY_RECURRENCE:
        if (monthDays != 0) {
            return std::nullopt;
        }
        item.Numbers[KeyMonth] = month;
        item.Numbers[KeyDay] = WeekdayMask | (weekdayBits != 0 ? weekdayBits : WeekdayBit(DayOfWeek(first)));
        break;
    case ICAL_DAILY_RECURRENCE:
        if (monthDays != 0 && days != 0) {
            return std::nullopt;
        }
        item.Numbers[KeyMonth] = month;
        item.Numbers[KeyDay] = monthDays == 1 ? rule.by_month_day[0] : (days != 0 ? WeekdayMask | weekdayBits : 0);
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
    if (rule.interval > 1 || HasArray(rule.by_second) || HasArray(rule.by_minute) || HasArray(rule.by_hour) ||
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
    for (const icalrecurrencetype& rule : event.Rules) {
        if (rule.count != 0 || !icaltime_is_null_time(rule.until)) {
            return "重复到某一天或某一次为止";
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
    if (!event.Rules.empty() && event.Rules.front().interval > 1) {
        return "每隔几个周期才重复";
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

struct ImportTally {
    int Expanded = 0;
    int ExpandedReminders = 0;
    std::map<std::string, int> Reasons;
    int Ended = 0;
    int NoTime = 0;
    int NoDue = 0;
    int SeveralAlarms = 0;
    int Past = 0;
    int Cancelled = 0;
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
        if (offsets.size() > 1) {
            ++Tally.SeveralAlarms;
        }
        const bool repeats = !event.Rules.empty() || event.HasDates;
        const TDateTime horizon = Options.Now + 2 * 366;
        const std::vector<TDateTime> all =
            repeats ? Occurrences(event, horizon, Options.Now) : std::vector<TDateTime>{};
        bool expanded = false;
        for (const int offset : offsets) {
            const TimeFields time = DecodeTime(event.First);
            const int minuteOfDay = time.Hour * 60 + time.Minute;
            // An alarm before the start on its own day is the reminder's early minute; any other moves the time.
            const bool early = offset >= 0 && offset <= minuteOfDay;
            const int forward = early ? offset : 0;
            const double shift = early ? 0.0 : -offset / static_cast<double>(MinutesPerDay);
            const std::string& uid = offsets.size() == 1 ? event.Uid : std::string();
            if (!repeats) {
                if (MinuteOf(event.First + shift) <= Options.Now) {
                    // A meeting of last year reminds of nothing.
                    ++Tally.Past;
                    break;
                }
                TExchangeItem item = ItemAt(MinuteOf(event.First + shift), forward, event.Message);
                item.Uid = uid;
                Items.push_back(std::move(item));
                continue;
            }
            std::vector<TDateTime> moments;
            moments.reserve(all.size());
            for (const TDateTime moment : all) {
                moments.push_back(MinuteOf(moment + shift));
            }
            if (std::optional<TExchangeItem> item = RuleReminder(event, moments, MinuteOf(event.First + shift))) {
                item->Numbers[KeyForward] = forward;
                item->Uid = uid;
                Items.push_back(std::move(*item));
                continue;
            }
            expanded = true;
            int taken = 0;
            for (const TDateTime moment : moments) {
                if (moment > Options.Now && moment <= Options.Now + IcsExpandedDays && taken < IcsExpandedAtMost) {
                    Items.push_back(ItemAt(moment, forward, event.Message));
                    ++taken;
                }
            }
            Tally.ExpandedReminders += taken;
            if (taken == 0) {
                ++Tally.Ended;
                expanded = false;
                break;
            }
        }
        if (expanded) {
            ++Tally.Expanded;
            ++Tally.Reasons[ExpansionReason(event)];
        }
    }

private:
    // The one reminder that fires on exactly the rule's occurrences, where there is one.
    std::optional<TExchangeItem> RuleReminder(const ForeignEvent& event, const std::vector<TDateTime>& moments,
                                              TDateTime first) const {
        if (event.Rules.size() != 1 || event.HasDates || event.HasExceptions) {
            return std::nullopt;
        }
        const icalrecurrencetype& rule = event.Rules.front();
        if (rule.count != 0 || !icaltime_is_null_time(rule.until)) {
            return std::nullopt;
        }
        if (IsChineseRule(rule)) {
            return LunarCandidate(rule, first, event.Message);
        }
        if (rule.rscale != nullptr && Upper(rule.rscale) != "GREGORIAN") {
            return std::nullopt;
        }
        std::optional<TExchangeItem> candidate = GregorianCandidate(rule, first, event.Message);
        if (!candidate) {
            return std::nullopt;
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
        const TNextFirings firings = NextFirings(RecordOf(*candidate), after, until,
                                                 static_cast<int>(expected.size()) + 1, Options.BeginWithSunday);
        if (expected.empty() || firings.Minutes.size() != expected.size()) {
            return std::nullopt;
        }
        for (std::size_t k = 0; k < expected.size(); ++k) {
            if (std::abs(firings.Minutes[k] - expected[k]) * MinutesPerDay > 0.5) {
                return std::nullopt;
            }
        }
        return candidate;
    }

    const TIcsImportOptions& Options;
    std::vector<TExchangeItem>& Items;
    ImportTally& Tally;
};

void TakeComponent(icalcomponent* component, const TIcsImportOptions& options, std::vector<TExchangeItem>& items,
                   ImportTally& tally) {
    if (std::optional<TExchangeItem> carried = CarriedItem(component)) {
        // An event of this program: its reminder, exactly; an occurrence it moved belongs to it.
        if (icalcomponent_get_first_property(component, ICAL_RECURRENCEID_PROPERTY) == nullptr) {
            items.push_back(std::move(*carried));
        }
        return;
    }
    if (icalcomponent_get_status(component) == ICAL_STATUS_CANCELLED) {
        ++tally.Cancelled;
        return;
    }
    const bool todo = icalcomponent_isa(component) == ICAL_VTODO_COMPONENT;
    icalproperty* start = icalcomponent_get_first_property(component, todo ? ICAL_DUE_PROPERTY : ICAL_DTSTART_PROPERTY);
    if (start == nullptr) {
        ++(todo ? tally.NoDue : tally.NoTime);
        return;
    }
    ForeignEvent event;
    event.Component = component;
    event.Start = icalproperty_get_datetime_with_component(start, component);
    const std::optional<TDateTime> first = LocalMomentOf(event.Start);
    if (!first) {
        ++tally.NoTime;
        return;
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
    const char* summary = icalcomponent_get_summary(component);
    event.Message = CleanText(summary);
    if (event.Message.empty()) {
        event.Message = CleanText(icalcomponent_get_description(component));
    }
    if (event.Message.empty()) {
        event.Message = todo ? "待办事项" : "日历事件";
    }
    if (icalcomponent_get_first_property(component, ICAL_RECURRENCEID_PROPERTY) == nullptr) {
        event.Uid = CleanText(icalcomponent_get_uid(component));
    }
    ForeignImport(options, items, tally).Take(event);
}

void TakeCalendar(icalcomponent* calendar, const TIcsImportOptions& options, std::vector<TExchangeItem>& items,
                  ImportTally& tally) {
    for (icalcomponent* component = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT);
         component != nullptr; component = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
        const icalcomponent_kind kind = icalcomponent_isa(component);
        if (kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VTODO_COMPONENT) {
            TakeComponent(component, options, items, tally);
        }
    }
}

std::vector<std::string> NotesOf(const ImportTally& tally) {
    std::vector<std::string> notes;
    if (tally.Expanded > 0) {
        std::string reasons;
        for (const auto& [reason, count] : tally.Reasons) {
            reasons += (reasons.empty() ? "" : "；") + reason +
                       (tally.Reasons.size() > 1 ? "（" + std::to_string(count) + " 个）" : "");
        }
        notes.push_back(std::to_string(tally.Expanded) + " 个重复的事件在本程序中没有相同的提醒方式（" + reasons +
                        "），按今后一年内的各次日期导入为 " + std::to_string(tally.ExpandedReminders) +
                        " 条提醒，每个事件最多 " + std::to_string(IcsExpandedAtMost) + " 条。");
    }
    if (tally.Ended > 0) {
        notes.push_back(std::to_string(tally.Ended) + " 个重复的事件今后一年内不再发生，没有导入。");
    }
    if (tally.Past > 0) {
        notes.push_back(std::to_string(tally.Past) + " 个事件已经过去，没有导入。");
    }
    if (tally.Cancelled > 0) {
        notes.push_back(std::to_string(tally.Cancelled) + " 个事件已经取消，没有导入。");
    }
    if (tally.SeveralAlarms > 0) {
        notes.push_back(std::to_string(tally.SeveralAlarms) + " 个事件有几个提醒时间，每个提醒时间导入为一条提醒。");
    }
    if (tally.NoTime > 0) {
        notes.push_back(std::to_string(tally.NoTime) + " 个事件没有能读懂的开始时间，没有导入。");
    }
    if (tally.NoDue > 0) {
        notes.push_back(std::to_string(tally.NoDue) + " 个待办事项没有截止时间，没有导入。");
    }
    return notes;
}

} // namespace

TRmMainDate RecordOf(const TExchangeItem& item) {
    TRmMainDate record;
    record.Year = item.Numbers[KeyYear];
    record.Month = item.Numbers[KeyMonth];
    record.Day = item.Numbers[KeyDay];
    record.Hour = item.Numbers[KeyHour];
    record.Minuter = item.Numbers[KeyMinuter];
    record.Forward = item.Numbers[KeyForward];
    record.Method = item.Numbers[KeyMethod];
    record.IsLunar = item.Numbers[KeyIsLunar] != 0;
    record.IsLeapMonth = item.Numbers[KeyIsLeapMonth] != 0;
    record.WithScript = item.Numbers[KeyWithScript] != 0;
    record.AutoExecScript = item.Numbers[KeyAutoExecScript] != 0;
    record.Reminded = item.Numbers[KeyReminded] != 0;
    record.Music = item.Music;
    record.Command = item.Command;
    record.Message = item.Message;
    record.Uid = item.Uid;
    return record;
}

TExchangeItem ItemOfRecord(const TRmMainDate& record) {
    TExchangeItem item;
    item.Numbers[KeyYear] = record.Year;
    item.Numbers[KeyMonth] = record.Month;
    item.Numbers[KeyDay] = record.Day;
    item.Numbers[KeyHour] = record.Hour;
    item.Numbers[KeyMinuter] = record.Minuter;
    item.Numbers[KeyForward] = record.Forward;
    item.Numbers[KeyMethod] = record.Method;
    item.Numbers[KeyIsLunar] = record.IsLunar ? 1 : 0;
    item.Numbers[KeyIsLeapMonth] = record.IsLeapMonth ? 1 : 0;
    item.Numbers[KeyWithScript] = record.WithScript ? 1 : 0;
    item.Numbers[KeyAutoExecScript] = record.AutoExecScript ? 1 : 0;
    item.Numbers[KeyReminded] = record.Reminded ? 1 : 0;
    item.Music = record.Music;
    item.Command = record.Command;
    item.Message = record.Message;
    item.Uid = record.Uid;
    return item;
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
    std::string rule = "RSCALE=CHINESE;";
    if (record.Month != 0) {
        rule += "FREQ=YEARLY;BYMONTH=" + std::to_string(record.Month) + (leap ? "L" : "") + ";";
    } else {
        rule += "FREQ=MONTHLY;";
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

std::string NewReminderUid() {
    std::random_device device;
    std::array<std::uint32_t, 4> words{};
    for (std::uint32_t& word : words) {
        word = device();
    }
    std::array<unsigned char, 16> bytes{};
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        bytes[k] = static_cast<unsigned char>(words[k / 4] >> (8 * (k % 4)));
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80); // variant 1
    std::string text;
    static constexpr const char* Hex = "0123456789abcdef";
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        if (k == 4 || k == 6 || k == 8 || k == 10) {
            text += '-';
        }
        text += Hex[bytes[k] >> 4];
        text += Hex[bytes[k] & 0x0F];
    }
    return text;
}

namespace {
void GiveEachUid(TRmDataList& list, const std::vector<std::int32_t>& numbers) {
    for (const std::int32_t number : numbers) {
        const std::int32_t index = number - 1;
        if (index < 0 || index >= list.Count || !list.Item(index).Uid.empty()) {
            continue;
        }
        const TRmMainDate before = list.Item(index);
        TRmMainDate after = before;
        after.Uid = NewReminderUid();
        list.Replace(before, index, after);
    }
}
} // namespace

std::string GiveUids(TRmDataList& list, const std::vector<std::int32_t>& numbers) {
    try {
        GiveEachUid(list, numbers);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return {};
}

bool ExportIcs(const std::string& dataFileName, const std::string& exportFileName,
               const std::vector<std::int32_t>& numbers, const TIcsExportOptions& options) {
    const TIniFile dataFile(dataFileName);
    if (dataFile.ReadFailed()) {
        throw std::runtime_error("无法读取提醒数据文件“" + dataFileName + "”：" + dataFile.ReadFailureText() + "。");
    }
    std::vector<TExchangeItem> items;
    items.reserve(numbers.size());
    for (const std::int32_t number : numbers) {
        items.push_back(ReadExchangeItem(dataFile, ItemSectionName(number)));
    }
    return WriteNewFileAtomically(exportFileName, IcsFileBytes(items, options));
}

bool LooksLikeICalendar(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    const std::size_t first = bytes.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return false;
    }
    return Upper(bytes.substr(first, 15)) == "BEGIN:VCALENDAR";
}

bool IsICalendarFile(const std::string& fileName) {
    const std::string extension = fileName.size() >= 4 ? Upper(fileName.substr(fileName.size() - 4)) : "";
    if (extension == ".ICS") {
        return true;
    }
    std::string head(512, '\0');
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    head.resize(std::fread(head.data(), 1, head.size(), file));
    std::fclose(file);
    return LooksLikeICalendar(head);
}

TIcsImportFile ReadIcsText(const std::string& text, const std::string& fileName, const TIcsImportOptions& options) {
    SetUpLibical();
    TIcsImportFile file;
    if (!LooksLikeICalendar(text)) {
        file.Refusal = "无法导入文件“" + fileName + "”：这不是 iCalendar 日历文件。";
        return file;
    }
    const std::size_t bom = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    ComponentPtr root(icalparser_parse_string(text.c_str() + bom));
    if (!root) {
        file.Refusal = "无法导入文件“" + fileName + "”：日历文件的格式有错，读不出其中的事件。";
        return file;
    }
    ImportTally tally;
    if (icalcomponent_isa(root.get()) == ICAL_XROOT_COMPONENT) {
        for (icalcomponent* calendar = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
             calendar != nullptr; calendar = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT)) {
            TakeCalendar(calendar, options, file.Items, tally);
        }
    } else {
        TakeCalendar(root.get(), options, file.Items, tally);
    }
    if (file.Items.size() > static_cast<std::size_t>(MaxDataItems)) {
        file.Refusal = "无法导入文件“" + fileName + "”：其中的事件要成为 " + std::to_string(file.Items.size()) +
                       " 条提醒，超过了提醒列表最多能有的 " + std::to_string(MaxDataItems) + " 条。没有导入任何提醒。";
        file.Items.clear();
        return file;
    }
    file.Notes = NotesOf(tally);
    return file;
}

TIcsImportFile ReadIcsFile(const std::string& fileName, const TIcsImportOptions& options) {
    std::string bytes;
    const FileReadResult result = ReadWholeFile(fileName, bytes, MaxImportFileBytes);
    const int error = errno;
    if (result != FileReadResult::Read) {
        TIcsImportFile file;
        file.Refusal = ImportReadRefusal(fileName, result, error);
        return file;
    }
    return ReadIcsText(bytes, fileName, options);
}

bool ImportIcsReminders(const std::string& dataFileName, const std::string& importFileName,
                        const TIcsImportOptions& options, std::string& summary) {
    const TIcsImportFile file = ReadIcsFile(importFileName, options);
    if (!file.Refusal.empty()) {
        ShowMessageBox(MessageKind::Information, "导入失败", file.Refusal);
        return false;
    }
    std::string notes;
    for (const std::string& note : file.Notes) {
        notes += "\n" + note;
    }
    if (file.Items.empty()) {
        ShowMessageBox(MessageKind::Information, "导入失败", "导入文件中没有任何提醒！" + notes);
        return false;
    }
    if (!AskAndAppend(dataFileName, importFileName, file.Items)) {
        return false;
    }
    summary = "已从日历文件导入 " + std::to_string(file.Items.size()) + " 条提醒。" + notes;
    return true;
}

} // namespace chimewell
