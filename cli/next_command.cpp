#include "calendar/clock.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/folder.h"
#include "cli/holidays.h"
#include "cli/json_lines.h"
#include "data/reminder_list.h"
#include "data/reminder_stream.h"
#include "data/settings.h"
#include "runtime/month_view.h"
#include "runtime/next_firing.h"
#include "runtime/remind_runtime.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <vector>

namespace chimewell::cli {

namespace {

struct NextOptions {
    std::string Folder;
    std::optional<std::string> At;
    int Count = 20;
    int Days = 366;
    bool Json = false;
};

NextOptions ParseNextOptions(const Arguments& arguments) {
    const ParsedArguments parsed = ParseArguments(arguments, {"--json"}, {"--dir", "--at", "--count", "--days"});
    if (!parsed.Positional.empty()) {
        throw UsageError("unexpected argument '" + parsed.Positional.front() + "'");
    }
    NextOptions options;
    options.Folder = DataFolder(parsed);
    options.Json = parsed.Flags.contains("--json");
    if (const auto at = parsed.Values.find("--at"); at != parsed.Values.end()) {
        options.At = at->second;
    }
    if (const auto count = parsed.Values.find("--count"); count != parsed.Values.end()) {
        options.Count = ParseInteger(count->second, "count", 1, 100000);
    }
    if (const auto days = parsed.Values.find("--days"); days != parsed.Values.end()) {
        // Beyond 2100 the calendar has nothing to say, whatever the day asked from.
        options.Days = ParseInteger(days->second, "number of days", 1, 100000);
    }
    return options;
}

} // namespace

int RunNext(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const NextOptions options = ParseNextOptions(arguments);
    const TDateTime at = options.At ? ParseDateTime(*options.At, false) : Now();
    const TDateTime until = at + options.Days;
    const std::string& folder = options.Folder;
    const HolidayScheduleOverride holidays(LoadHolidays(folder, err));
    TRmConfig config;
    config.InitDefaults(folder, 265, 202, 429, 279);
    config.LoadConfig();
    // The reminders a piece of the file at a time: a long list is never held whole.
    std::optional<TComingFiringsCollector> collector(std::in_place, config, at, until, options.Count);
    if (!ForEachStoredReminder(config.DataFilePath(), [&collector](std::int32_t position, const TRmMainDate& reminder) {
            collector->Add(position, reminder);
        })) {
        // A file the list refuses, or none, or one that failed part-way: read as the program reads it, afresh.
        LoadedFolder loaded;
        LoadFolder(folder, loaded);
        collector.emplace(config, at, until, options.Count);
        for (std::int32_t position = 0; position < loaded.List.Count; ++position) {
            collector->Add(position, loaded.List.Item(position));
        }
    }
    const std::vector<TComingFiringsCollector::Kept> agenda = collector->Take();
    std::string buffer;
    for (const TComingFiringsCollector::Kept& kept : agenda) {
        const TMonthFiring& firing = kept.Firing;
        const bool silent = kept.Reminder->Message == SilentReminderMessage;
        if (options.Json) {
            buffer += TJsonLine()
                          .Text("minute", FormatMinute(firing.Minute))
                          .Number("index", firing.Position)
                          .Text("action", silent ? "silent" : "show")
                          .Number("lead", firing.Lead)
                          .Text("text", firing.Text)
                          .Reminder(*kept.Reminder)
                          .Line();
            continue;
        }
        buffer += FormatMinute(firing.Minute) + "\t" + std::to_string(firing.Position) + "\t" +
                  (silent ? "silent" : "show") + "\t" + firing.Text + "\n";
    }
    out << buffer;
    std::vector<TGuessedHolidayYear> guessed = collector->GuessedHolidayYears();

    // A guessed year matters when the agenda reached it: a full agenda ends at its last firing.
    const TDateTime reached =
        agenda.size() == static_cast<std::size_t>(options.Count) ? agenda.back().Firing.Minute : until;
    std::sort(guessed.begin(), guessed.end(),
              [](const TGuessedHolidayYear& a, const TGuessedHolidayYear& b) { return a.Year < b.Year; });
    UnknownHolidayYears notices(err);
    for (const TGuessedHolidayYear& year : guessed) {
        if (year.FirstMoment <= reached) {
            notices.NoteYear(year.Year);
        }
    }
    return 0;
}

} // namespace chimewell::cli
