// Calendar files read as reminders: this program's own events exactly as they were, and the events and to-dos
// of other programs as the nearest reminders, or as their coming dates where no reminder repeats as they do.

#include "exchange/ical_file.h"

#include "data/ini_file.h"
#include "data/reminder_list.h"
#include "data/reminder_schedule.h"
#include "data/text_helpers.h"
#include "exchange/ical_foreign.h"
#include "runtime/next_firing.h"
#include "runtime/remind_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <set>

namespace chimewell {

using namespace ics;

namespace {

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

// One of the keys after the 15, as the data file reads it; any other property is left alone.
void TakeScheduleKey(const std::string& name, const std::string& value, TRmSchedule& schedule) {
    if (name == PropertyName(ReminderWarningsKey)) {
        // Written with blanks between them (see the export); commas are read too.
        std::string list = value;
        std::replace(list.begin(), list.end(), ' ', ',');
        schedule.Warnings = ParseWarnings(list);
    } else if (name == PropertyName(ReminderIntervalKey)) {
        ParseInterval(value, schedule.Every, schedule.EveryCount);
    } else if (name == PropertyName(ReminderStartDateKey)) {
        schedule.StartDate = ParseStoredDate(value);
    } else if (name == PropertyName(ReminderEndDateKey)) {
        schedule.EndDate = ParseStoredDate(value);
    } else if (name == PropertyName(ReminderEndCountKey)) {
        schedule.EndCount = std::clamp(NumberOf(value).value_or(0), 0, MostEndCount);
    } else if (name == PropertyName(ReminderMonthEndKey)) {
        schedule.MonthEnd = NumberOf(value).value_or(0) == 1;
    }
}

// The reminder an event of this program carries in its X- properties, or none; `written` gets the digests of
// what other calendars showed of it when it was written, where the event has them.
std::optional<TExchangeItem> CarriedItem(icalcomponent* component, std::optional<TShownParts>& written) {
    TExchangeItem item;
    bool carried = false;
    bool percent = false;
    written.reset();
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
        } else if (name == PropertyName(WrittenPartsKey)) {
            written = ParseShownParts(value);
        } else if (name == PropertyName(CarriedTextsKey)) {
            percent = Upper(value) == CarriedTextsPercent;
        } else {
            TakeScheduleKey(name, value, item.Schedule);
        }
    }
    if (!carried) {
        return std::nullopt;
    }
    if (percent) {
        for (std::string* text : {&item.Music, &item.Command, &item.Message}) {
            *text = DecodeCarriedText(*text);
        }
    }
    if (icalproperty* uid = icalcomponent_get_first_property(component, ICAL_UID_PROPERTY)) {
        item.Uid = CleanText(icalproperty_get_uid(uid));
    }
    return item;
}
// Which of what other calendars show of one of this program's events was changed there since it was written.
struct EditedParts {
    bool Summary = false;
    bool Times = false;
    bool Alarms = false;
    bool Any() const { return Summary || Times || Alarms; }
};

// Minutes before the start of the event's alarms that count from the start, ascending.
std::vector<int> AlarmMinutes(icalcomponent* component) {
    std::vector<int> minutes;
    for (icalcomponent* alarm = icalcomponent_get_first_component(component, ICAL_VALARM_COMPONENT); alarm != nullptr;
         alarm = icalcomponent_get_next_component(component, ICAL_VALARM_COMPONENT)) {
        icalproperty* property = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
        if (property == nullptr) {
            continue;
        }
        const icaltriggertype trigger = icalproperty_get_trigger(property);
        icalparameter* related = icalproperty_get_first_parameter(property, ICAL_RELATED_PARAMETER);
        if (!icaltime_is_null_time(trigger.time) ||
            (related != nullptr && icalparameter_get_related(related) == ICAL_RELATED_END)) {
            minutes.push_back(-1);
            continue;
        }
        minutes.push_back(-icaldurationtype_as_int(trigger.duration) / 60);
    }
    std::sort(minutes.begin(), minutes.end());
    minutes.erase(std::unique(minutes.begin(), minutes.end()), minutes.end());
    return minutes;
}

std::string RuleWithoutEnd(icalrecurrencetype rule) {
    rule.until = icaltime_null_time();
    rule.count = 0;
    char* text = icalrecurrencetype_as_string_r(&rule);
    std::string result = text != nullptr ? text : "";
    icalmemory_free_buffer(text);
    return result;
}

// An event written before the digests travelled with it: what it shows is compared with what its reminder
// would show.
EditedParts EditedAgainstReminder(icalcomponent* component, const TExchangeItem& carried,
                                  const TIcsImportOptions& options) {
    EditedParts edited;
    TRmMainDate record = RecordOf(carried);
    icalproperty* start = icalcomponent_get_first_property(component, ICAL_DTSTART_PROPERTY);
    const std::optional<TDateTime> first =
        start != nullptr ? LocalMomentOf(icalproperty_get_datetime_with_component(start, component)) : std::nullopt;
    if (!first) {
        edited.Times = true;
        return edited;
    }
    std::string expected = PrepareRemindText(record.Message, *first, options.BeginWithSunday).Shown;
    const char* summary = icalcomponent_get_summary(component);
    edited.Summary = (expected.empty() ? "提醒" : expected) != (summary != nullptr ? summary : "");

    const int minuteOfDay = record.Hour * 60 + record.Minuter;
    std::vector<int> alarms{0};
    if (record.Forward > 0 && record.Forward <= minuteOfDay) {
        alarms.push_back(record.Forward);
    }
    if (!IsHourlyMethod(record.Method) && record.Message != "NOTSHOWREMINDBOX") {
        for (const TLeadTime& warning : record.Warnings) {
            alarms.push_back(warning.Minutes());
        }
    }
    std::sort(alarms.begin(), alarms.end());
    alarms.erase(std::unique(alarms.begin(), alarms.end()), alarms.end());
    edited.Alarms = AlarmMinutes(component) != alarms;

    if (icalcomponent_get_status(component) == ICAL_STATUS_CANCELLED) {
        return edited;
    }
    const TimeFields time = DecodeTime(*first);
    record.Forward = 0;
    record.Warnings.clear();
    std::vector<std::string> rules;
    for (icalproperty* property = icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY); property != nullptr;
         property = icalcomponent_get_next_property(component, ICAL_RRULE_PROPERTY)) {
        rules.push_back(RuleWithoutEnd(icalproperty_get_rrule(property)));
    }
    std::string rule = GregorianRuleOf(record);
    if (rule.empty()) {
        rule = LunarRuleOf(carried);
    }
    const bool ruleAsWritten =
        rules.empty() || (rules.size() == 1 && !rule.empty() &&
                          RuleWithoutEnd(icalrecurrencetype_from_string(rule.c_str())) == rules.front());
    edited.Times = time.Hour * 60 + time.Minute != minuteOfDay || !ruleAsWritten ||
                   icalcomponent_get_first_property(component, ICAL_EXDATE_PROPERTY) != nullptr;
    if (!edited.Times && rules.empty()) {
        // A list of dates: each of them one of the reminder's days.
        for (const TDateTime moment : OccurrencesOf(component, NextFiringRangeEnd(), options.Now)) {
            const TNextFirings firing =
                NextFirings(record, moment - 1.0 / MinutesPerDay, moment, 1, options.BeginWithSunday);
            if (firing.Minutes.empty() || std::abs(firing.Minutes.front() - moment) * MinutesPerDay > 0.5) {
                edited.Times = true;
                break;
            }
        }
    }
    return edited;
}

EditedParts EditedSince(icalcomponent* component, const TExchangeItem& carried,
                        const std::optional<TShownParts>& written, const TIcsImportOptions& options) {
    if (!written) {
        return EditedAgainstReminder(component, carried, options);
    }
    const TShownParts now = ShownPartsOf(component);
    return {now.Summary != written->Summary, now.Times != written->Times, now.Alarms != written->Alarms};
}

// The days of a reminder's firings, and of an event's occurrences.
std::set<TDateTime> DaysOf(const std::vector<TDateTime>& minutes) {
    std::set<TDateTime> days;
    for (const TDateTime minute : minutes) {
        days.insert(DateOf(minute));
    }
    return days;
}

// The alarms another calendar left on one of this program's events, as the reminder's early minute and warnings:
// the early minute stays where its alarm does (or moves with it), every other alarm up to 60 days ahead is a
// warning, and alarms that no warning can be are dropped. An hourly reminder's warnings, and those of one that
// shows no window, were never alarms and stay.
void TakeAlarms(icalcomponent* component, const TExchangeItem& carried, TExchangeItem& item) {
    const int minuteOfDay = item.Numbers[KeyHour] * 60 + item.Numbers[KeyMinuter];
    std::vector<int> alarms = AlarmMinutes(component);
    std::erase(alarms, -1);
    const AlarmSplit split = SplitAlarms(alarms, minuteOfDay, carried.Numbers[KeyForward], carried.Schedule.Warnings);
    item.Numbers[KeyForward] = split.Forward;
    if (!IsHourlyMethod(carried.Numbers[KeyMethod]) && carried.Message != "NOTSHOWREMINDBOX") {
        item.Schedule.Warnings = split.Warnings;
    }
}

// One of this program's events as another calendar left it: what that calendar changed comes from the standard
// properties, the rest from the X- keys. Several reminders, or none, where the changed times are no longer one
// reminder's.
std::vector<TExchangeItem> AsEditedElsewhere(icalcomponent* component, const TExchangeItem& carried,
                                             const EditedParts& edited, const TIcsImportOptions& options,
                                             ImportTally& tally) {
    TExchangeItem item = carried;
    if (edited.Summary) {
        item.Message = StoredTitle(CleanText(icalcomponent_get_summary(component)), tally);
    }
    std::vector<TExchangeItem> read;
    ImportTally readTally;
    TakeForeignComponent(component, options, read, readTally);
    if (edited.Times) {
        // One reminder that repeats as the event now does (not one date of its coming year).
        if (read.size() == 1 && readTally.Expanded == 0) {
            const TExchangeItem& now = read.front();
            for (const NumberKey key : {KeyYear, KeyMonth, KeyDay, KeyHour, KeyMinuter, KeyIsLunar, KeyIsLeapMonth}) {
                item.Numbers[key] = now.Numbers[key];
            }
            // The interval and the end are the times' too; the warnings are the alarms'.
            const std::vector<TLeadTime> warnings = item.Schedule.Warnings;
            item.Schedule = now.Schedule;
            item.Schedule.Warnings = warnings;
            // The hours come from the event, the start-up firing, which no calendar shows, from the reminder.
            const bool hourly = IsHourlyMethod(now.Numbers[KeyMethod]);
            const bool startup = IsStartupMethod(carried.Numbers[KeyMethod]);
            item.Numbers[KeyMethod] =
                hourly ? (startup ? RemindAtStartupHourly : RemindHourly) : (startup ? RemindAtStartup : RemindExact);
            if (edited.Alarms) {
                TakeAlarms(component, carried, item);
            }
            return {item};
        }
        // Only the time of day moved, on the same days (a list of dates whose start another calendar moved).
        icalproperty* start = icalcomponent_get_first_property(component, ICAL_DTSTART_PROPERTY);
        const std::optional<TDateTime> first =
            start != nullptr ? LocalMomentOf(icalproperty_get_datetime_with_component(start, component)) : std::nullopt;
        const std::vector<TDateTime> occurrences =
            first ? OccurrencesOf(component, *first + 2 * 366, options.Now) : std::vector<TDateTime>{};
        if (first && !occurrences.empty()) {
            TExchangeItem moved = item;
            moved.Numbers[KeyHour] = DecodeTime(*first).Hour;
            moved.Numbers[KeyMinuter] = DecodeTime(*first).Minute;
            TRmMainDate record = RecordOf(moved);
            record.Forward = 0;
            const std::vector<TDateTime> firings =
                ReminderEventMinutes(record, DateOf(occurrences.front()) - 1.0 / MinutesPerDay,
                                     DateOf(occurrences.back()) + 1.0 - 1.0 / MinutesPerDay,
                                     static_cast<int>(occurrences.size()) * 25 + 25, options.BeginWithSunday);
            if (DaysOf(firings) == DaysOf(occurrences)) {
                return {moved};
            }
        }
        // No longer one reminder of this program's: what the other calendar made of it, as for its own events.
        for (TExchangeItem& reminder : read) {
            if (!edited.Summary) {
                reminder.Message = carried.Message;
            }
        }
        tally.Merge(readTally);
        return read;
    }
    if (edited.Alarms) {
        TakeAlarms(component, carried, item);
    }
    return {item};
}

void TakeComponent(icalcomponent* component, const TIcsImportOptions& options, TIcsImportFile& file,
                   ImportTally& tally) {
    std::optional<TShownParts> written;
    if (std::optional<TExchangeItem> carried = CarriedItem(component, written)) {
        // An event of this program: its reminder, exactly, unless another calendar changed what it shows; an
        // occurrence it moved belongs to it.
        if (icalcomponent_get_first_property(component, ICAL_RECURRENCEID_PROPERTY) != nullptr) {
            return;
        }
        const EditedParts edited = EditedSince(component, *carried, written, options);
        if (!edited.Any()) {
            file.Items.push_back(std::move(*carried));
            return;
        }
        ++tally.EditedElsewhere;
        for (TExchangeItem& item : AsEditedElsewhere(component, *carried, edited, options, tally)) {
            if (!item.Uid.empty()) {
                file.EditedElsewhere.push_back(item.Uid);
            }
            file.Items.push_back(std::move(item));
        }
        return;
    }
    TakeForeignComponent(component, options, file.Items, tally);
}

void TakeCalendar(icalcomponent* calendar, const TIcsImportOptions& options, TIcsImportFile& file, ImportTally& tally) {
    for (icalcomponent* component = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT);
         component != nullptr; component = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
        if (options.Cancel != nullptr && options.Cancel->load()) {
            file.Cancelled = true;
            return;
        }
        const icalcomponent_kind kind = icalcomponent_isa(component);
        if (kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VTODO_COMPONENT) {
            TakeComponent(component, options, file, tally);
        }
    }
}

// libical takes time that grows with the square of a property's length: a title of megabytes would cost
// seconds. Each property is cut, before libical reads it, to far more than any text a reminder keeps.
constexpr std::size_t LongestProperty = 64 * 1024;

std::string WithBoundedProperties(std::string_view text) {
    if (text.size() <= LongestProperty) {
        return std::string(text);
    }
    std::string out;
    out.reserve(std::min(text.size(), static_cast<std::size_t>(64) << 20));
    std::size_t property = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end + 1;
        std::string_view line = text.substr(at, end - at);
        at = end;
        std::string_view content = line;
        while (!content.empty() && (content.back() == '\n' || content.back() == '\r')) {
            content.remove_suffix(1);
        }
        // A line that begins with a blank continues the property before it (RFC 5545 folding).
        const bool continues = !content.empty() && (content.front() == ' ' || content.front() == '\t');
        if (!continues) {
            property = 0;
        }
        if (property >= LongestProperty) {
            continue;
        }
        if (property + content.size() <= LongestProperty) {
            out.append(line);
            property += content.size();
            continue;
        }
        // Cut between whole characters, and not after the backslash of an escape.
        std::size_t keep = LongestProperty - property;
        while (keep > 0 && IsUtf8ContinuationByte(content[keep])) {
            --keep;
        }
        while (keep > 0 && content[keep - 1] == '\\') {
            --keep;
        }
        out.append(content.substr(0, keep));
        out.append("\r\n");
        property = LongestProperty;
    }
    return out;
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
        notes.push_back(std::to_string(tally.SeveralAlarms) +
                        " 个事件有在开始之后或提前超过 60 天的提醒时间，提前提醒说不了它们，每个导入为一条提醒。");
    }
    if (tally.ManyAlarms > 0) {
        notes.push_back(std::to_string(tally.ManyAlarms) + " 个事件的提醒时间超过 " + std::to_string(MostWarnings) +
                        " 个，只取了离开始最近的 " + std::to_string(MostWarnings) + " 个。");
    }
    if (tally.NoTime > 0) {
        notes.push_back(std::to_string(tally.NoTime) + " 个事件没有能读懂的开始时间，没有导入。");
    }
    if (tally.EditedElsewhere > 0) {
        notes.push_back(std::to_string(tally.EditedElsewhere) +
                        " 个本程序写的事件在别的日历程序里改过，按改过的样子导入。");
    }
    if (tally.Dense > 0) {
        notes.push_back(std::to_string(tally.Dense) +
                        " 个重复的事件重复得太密或持续太久（例如每秒一次、几十年不停），本程序只看了其中一部分，"
                        "没有找到今后的日期，没有导入。");
    }
    if (tally.Cut > 0) {
        notes.push_back(std::to_string(tally.Cut) + " 个事件的标题超过 " + std::to_string(IniMaxValueCharacters) +
                        " 个字，只取了前 " + std::to_string(IniMaxValueCharacters) + " 个字。");
    }
    if (tally.NoDue > 0) {
        notes.push_back(std::to_string(tally.NoDue) + " 个待办事项没有截止时间，没有导入。");
    }
    return notes;
}

} // namespace

TIcsImportFile ReadIcsText(const std::string& text, const std::string& fileName, const TIcsImportOptions& options) {
    SetUpLibical();
    TIcsImportFile file;
    if (!LooksLikeICalendar(text)) {
        file.Refusal = "无法导入文件“" + fileName + "”：这不是 iCalendar 日历文件。";
        return file;
    }
    const std::size_t bom = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const std::string bounded = WithBoundedProperties(std::string_view(text).substr(bom));
    ComponentPtr root(icalparser_parse_string(bounded.c_str()));
    if (!root) {
        file.Refusal = "无法导入文件“" + fileName + "”：日历文件的格式有错，读不出其中的事件。";
        return file;
    }
    ImportTally tally;
    if (icalcomponent_isa(root.get()) == ICAL_XROOT_COMPONENT) {
        for (icalcomponent* calendar = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
             calendar != nullptr; calendar = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT)) {
            TakeCalendar(calendar, options, file, tally);
        }
    } else {
        TakeCalendar(root.get(), options, file, tally);
    }
    if (file.Items.size() > static_cast<std::size_t>(MaxDataItems)) {
        file.Refusal = "无法导入文件“" + fileName + "”：其中的事件要成为 " + std::to_string(file.Items.size()) +
                       " 条提醒，超过了提醒列表最多能有的 " + std::to_string(MaxDataItems) + " 条。没有导入任何提醒。";
        file.Items.clear();
        return file;
    }
    file.Notes = NotesOf(tally);
    file.ExpansionSteps = tally.Steps;
    return file;
}

} // namespace chimewell
