// The commands that change reminders, for scripts: delete and set. They write as the program writes every change
// (read again, merged with what another program changed meanwhile, replaced whole), so that a running program
// takes the change in and loses nothing of its own.

#include "calendar/clock.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/folder.h"
#include "data/reminder_list.h"
#include "data/reminder_schedule.h"
#include "quick_add/quick_add.h"
#include "runtime/next_firing.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace chimewell::cli {

namespace {

std::int32_t IndexOf(const std::string& text, std::int32_t count) {
    std::int32_t index = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (error != std::errc() || end != text.data() + text.size() || index < 0) {
        throw UsageError("not an index: '" + text + "'");
    }
    if (index >= count) {
        throw UsageError("no reminder at index " + text + " (the list has " + std::to_string(count) + ")");
    }
    return index;
}

std::int32_t NumberOf(const std::string& key, const std::string& value, std::int32_t low, std::int32_t high) {
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size() || number < low || number > high) {
        throw UsageError(key + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                         ", not '" + value + "'");
    }
    return number;
}

bool SameKey(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

// One KEY=VALUE of `set`, by the data file's key names; a value the key cannot hold is a UsageError.
void SetKey(TRmMainDate& record, const std::string& assignment) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0) {
        throw UsageError("expected KEY=VALUE, not '" + assignment + "'");
    }
    const std::string key = assignment.substr(0, equals);
    const std::string value = assignment.substr(equals + 1);
    struct NumberKey {
        const char* Name;
        std::int32_t TRmMainDate::*Field;
        std::int32_t Low;
        std::int32_t High;
    };
    // The ranges the editor offers; a hand-edited file may hold more, a script may not write it.
    static const NumberKey Numbers[] = {
        {"Year", &TRmMainDate::Year, 0, 2100},     {"Month", &TRmMainDate::Month, 0, 13},
        {"Day", &TRmMainDate::Day, 0, 255},        {"Hour", &TRmMainDate::Hour, 0, 23},
        {"Minuter", &TRmMainDate::Minuter, 0, 59}, {"Forward", &TRmMainDate::Forward, 0, 30},
        {"Method", &TRmMainDate::Method, 0, 3}};
    for (const NumberKey& number : Numbers) {
        if (SameKey(key, number.Name)) {
            record.*number.Field = NumberOf(number.Name, value, number.Low, number.High);
            return;
        }
    }
    struct FlagKey {
        const char* Name;
        bool TRmMainDate::*Field;
    };
    static const FlagKey Flags[] = {{"IsLunar", &TRmMainDate::IsLunar},
                                    {"IsLeapMonth", &TRmMainDate::IsLeapMonth},
                                    {"WithScript", &TRmMainDate::WithScript},
                                    {"AutoExecScript", &TRmMainDate::AutoExecScript},
                                    {"Reminded", &TRmMainDate::Reminded}};
    for (const FlagKey& flag : Flags) {
        if (SameKey(key, flag.Name)) {
            record.*flag.Field = NumberOf(flag.Name, value, 0, 1) != 0;
            return;
        }
    }
    for (const auto& [name, field] :
         {std::pair{"Music", &TRmMainDate::Music}, std::pair{"Command", &TRmMainDate::Command},
          std::pair{"Message", &TRmMainDate::Message}}) {
        if (SameKey(key, name)) {
            if (value.find_first_of("\r\n") != std::string::npos) {
                throw UsageError(std::string(name) + " is one line");
            }
            record.*field = value;
            return;
        }
    }
    if (SameKey(key, ReminderWarningsKey)) {
        record.Warnings = ParseWarnings(value);
        // Every part must say a warning: a script's typo is not dropped in silence.
        const auto parts = static_cast<std::size_t>(std::count(value.begin(), value.end(), ',') + 1);
        if (!value.empty() && record.Warnings.size() != parts) {
            throw UsageError("Warnings are up to " + std::to_string(MostWarnings) +
                             " different leads such as 3d,1d,30m (m, h, d, w; at most 60 days), not '" + value + "'");
        }
        return;
    }
    if (SameKey(key, ReminderIntervalKey)) {
        if (value.empty()) {
            record.Every = RepeatUnit::None;
            record.EveryCount = 1;
        } else if (!ParseInterval(value, record.Every, record.EveryCount)) {
            throw UsageError("Interval is N and d, w, m or y such as 2w (N from 1 to 999), not '" + value + "'");
        }
        return;
    }
    for (const auto& [name, field] : {std::pair{ReminderStartDateKey, &TRmMainDate::StartDate},
                                      std::pair{ReminderEndDateKey, &TRmMainDate::EndDate}}) {
        if (SameKey(key, name)) {
            record.*field = value.empty() ? 0 : ParseStoredDate(value);
            if (!value.empty() && record.*field == 0) {
                throw UsageError(std::string(name) +
                                 " is a date from 1900-01-01 to 2100-12-31 such as 2027-06-30, "
                                 "not '" +
                                 value + "'");
            }
            return;
        }
    }
    if (SameKey(key, ReminderMonthEndKey)) {
        record.MonthEnd = !value.empty() && NumberOf(ReminderMonthEndKey, value, 0, 1) == 1;
        return;
    }
    if (SameKey(key, ReminderEndCountKey)) {
        record.EndCount = value.empty() ? 0 : NumberOf(ReminderEndCountKey, value, 0, MostEndCount);
        return;
    }
    throw UsageError("unknown key '" + key + "'");
}

} // namespace

int RunAdd(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const ParsedArguments parsed = ParseArguments(arguments, {"--dry-run"}, {"--dir", "--at"});
    if (parsed.Positional.empty()) {
        throw UsageError("add needs the reminder as TEXT, such as: add 明天下午三点开会");
    }
    std::string text;
    for (const std::string& word : parsed.Positional) {
        text += (text.empty() ? "" : " ") + word;
    }
    const auto at = parsed.Values.find("--at");
    const TDateTime now = at != parsed.Values.end() ? ParseDateTime(at->second, false) : Now();
    const TQuickAddResult reading = ParseQuickAdd(text, now);
    if (!reading.Record) {
        throw UsageError("cannot read '" + text + "': " + reading.Refusal);
    }
    LoadedFolder loaded;
    LoadFolder(DataFolder(parsed), loaded);
    const bool dryRun = parsed.Flags.contains("--dry-run");
    std::int32_t index = loaded.List.Count;
    if (!dryRun) {
        loaded.List.Add(*reading.Record, true);
        // Where it landed: another program may have added its own meanwhile.
        index = loaded.List.Find(*reading.Record, loaded.List.Count - 1);
    }
    const TDueMoment today(now);
    // The set time, and the warning before it where one comes first.
    out << ListLine(index, *reading.Record, today)
        << DescribeNextFiring(*reading.Record, now, loaded.Config.BeginWithSunday).AllLines() << "\n";
    if (reading.Alternative) {
        err << "chimewell-cli: read as above; the other reading is: "
            << reading.Alternative->Describe(DescribeOptions::All()) << "\n";
    }
    return 0;
}

int RunDelete(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const ParsedArguments parsed = ParseArguments(arguments, {}, {"--dir"});
    if (parsed.Positional.empty()) {
        throw UsageError("delete needs at least one INDEX");
    }
    LoadedFolder loaded;
    LoadFolder(DataFolder(parsed), loaded);
    std::set<std::int32_t> indexes;
    for (const std::string& text : parsed.Positional) {
        indexes.insert(IndexOf(text, loaded.List.Count));
    }
    std::vector<std::pair<TRmMainDate, std::int32_t>> chosen;
    std::string lines;
    const TDueMoment today(Now());
    for (const std::int32_t index : indexes) {
        chosen.emplace_back(loaded.List.Item(index), index);
        lines += ListLine(index, loaded.List.Item(index), today);
    }
    const std::int32_t removed = loaded.List.Remove(chosen);
    if (removed != static_cast<std::int32_t>(chosen.size())) {
        err << "chimewell-cli: " << chosen.size() - static_cast<std::size_t>(removed)
            << " of the reminders were changed or deleted by another program meanwhile and stay as they are; "
               "look at `list` again\n";
        return 1;
    }
    out << lines;
    return 0;
}

int RunSet(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const ParsedArguments parsed = ParseArguments(arguments, {}, {"--dir"});
    if (parsed.Positional.size() < 2) {
        throw UsageError("set needs an INDEX and at least one KEY=VALUE");
    }
    LoadedFolder loaded;
    LoadFolder(DataFolder(parsed), loaded);
    const std::int32_t index = IndexOf(parsed.Positional.front(), loaded.List.Count);
    const TRmMainDate before = loaded.List.Item(index);
    TRmMainDate after = before;
    for (std::size_t i = 1; i < parsed.Positional.size(); ++i) {
        SetKey(after, parsed.Positional[i]);
    }
    if (after.StartDate != 0 && after.EndDate != 0 && after.EndDate < after.StartDate) {
        throw UsageError("EndDate " + FormatStoredDate(after.EndDate) + " is before StartDate " +
                         FormatStoredDate(after.StartDate));
    }
    const std::int32_t placed = loaded.List.Replace(before, index, after);
    if (placed < 0) {
        err << "chimewell-cli: the reminder at index " << index
            << " was changed or deleted by another program meanwhile and stays as it is; look at `list` again\n";
        return 1;
    }
    out << ListLine(placed, loaded.List.Item(placed), TDueMoment(Now()));
    return 0;
}

} // namespace chimewell::cli
