#include "calendar/clock.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/folder.h"
#include "cli/holidays.h"
#include "cli/json_lines.h"
#include "data/paths.h"
#include "data/reminder_list.h"
#include "data/settings.h"
#include "runtime/next_firing.h"
#include "runtime/remind_runtime.h"
#include "runtime/remind_text.h"

#include <filesystem>
#include <optional>
#include <stdexcept>

namespace chimewell::cli {

namespace {
// The options these commands share; every one of them only reads.
struct DataOptions {
    std::string Folder;
    std::optional<std::string> At;
    bool Startup = false;
    bool Sunday = false;
    bool Json = false;
    Arguments Rest;
};

DataOptions ParseOptions(const Arguments& arguments, bool allowStartup, bool allowSunday, bool allowDir) {
    const ParsedArguments parsed =
        allowDir ? ParseArguments(arguments, {"--startup", "--sunday", "--json"}, {"--dir", "--at"})
                 : ParseArguments(arguments, {"--startup", "--sunday"}, {"--at"});
    for (const auto& [flag, allowed] : {std::pair{"--startup", allowStartup}, std::pair{"--sunday", allowSunday}}) {
        if (parsed.Flags.contains(flag) && !allowed) {
            throw UsageError("unknown option '" + std::string(flag) + "'");
        }
    }
    DataOptions options;
    options.Startup = parsed.Flags.contains("--startup");
    options.Sunday = parsed.Flags.contains("--sunday");
    options.Json = parsed.Flags.contains("--json");
    if (const auto at = parsed.Values.find("--at"); at != parsed.Values.end()) {
        options.At = at->second;
    }
    options.Rest = parsed.Positional;
    if (allowDir) {
        options.Folder = DataFolder(parsed);
    }
    return options;
}

const char* PassName(QueuePass pass) {
    switch (pass) {
    case QueuePass::Exact:
        return "exact";
    case QueuePass::Hourly:
        return "hourly";
    case QueuePass::Startup:
        return "startup";
    }
    return "";
}

const char* ActionName(FiringAction action) {
    switch (action) {
    case FiringAction::Show:
        return "show";
    case FiringAction::Silent:
        return "silent";
    case FiringAction::Skip:
        return "skip";
    }
    return "";
}
} // namespace

std::string ListLine(std::int32_t index, const TRmMainDate& record, const TDueMoment& today) {
    return std::to_string(index) + "\t" + (record.IsExpiredAt(today) ? "1" : "0") + "\t" +
           record.Describe(DescribeOptions::All()) + "\n";
}

int RunList(const Arguments& arguments, std::ostream& out, std::ostream&) {
    const DataOptions options = ParseOptions(arguments, false, false, true);
    if (!options.Rest.empty()) {
        throw UsageError("unexpected argument '" + options.Rest.front() + "'");
    }
    const TDateTime moment = options.At ? ParseDateTime(*options.At, false) : Now();
    LoadedFolder loaded;
    LoadFolder(options.Folder, loaded);
    std::string buffer;
    const TDueMoment today(moment);
    for (std::int32_t index = 0; index < loaded.List.Count; ++index) {
        const TRmMainDate& record = loaded.List.Item(index);
        if (!options.Json) {
            buffer += ListLine(index, record, today);
            continue;
        }
        const std::optional<TDateTime> next = NextFiring(record, moment, loaded.Config.BeginWithSunday);
        buffer += TJsonLine()
                      .Number("index", index)
                      .Flag("expired", record.IsExpiredAt(today))
                      .Reminder(record)
                      .Text("description", record.Describe(DescribeOptions::All()))
                      .Text("next", next ? FormatMinute(*next) : std::string())
                      .Line();
    }
    out << buffer;
    return 0;
}

int RunDue(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const DataOptions options = ParseOptions(arguments, true, false, true);
    if (!options.Rest.empty()) {
        throw UsageError("unexpected argument '" + options.Rest.front() + "'");
    }
    // Without --at, the present minute.
    const TDateTime moment = options.At ? ParseDateTime(*options.At, false) : MinuteOf(Now());
    LoadedFolder loaded;
    LoadFolder(options.Folder, loaded);
    const HolidayScheduleOverride holidays(LoadHolidays(options.Folder, err));
    UnknownHolidayYears notices(err);

    std::vector<QueuedReminder> queued;
    if (options.Startup) {
        queued = StartupPass(loaded.List, moment);
    } else {
        // The previous tick ran a minute earlier, so the hour changed exactly when this is minute 0.
        queued = MinutePasses(loaded.List, moment, DecodeTime(moment).Minute == 0, loaded.Config.BeginWithSunday);
    }
    for (const QueuedReminder& reminder : queued) {
        const FiringPlan plan = PlanFiring(loaded.List.Item(reminder.Position), loaded.Config, moment, reminder.Lead);
        if (HasHolidayCondition(loaded.List.Item(reminder.Position).Message)) {
            notices.NoteDate(moment);
        }
        const char* pass = reminder.Lead != 0 ? "warning" : PassName(reminder.Pass);
        if (options.Json) {
            out << TJsonLine()
                       .Number("index", reminder.Position)
                       .Text("pass", pass)
                       .Text("action", ActionName(plan.Action))
                       .Number("lead", reminder.Lead)
                       .Text("text", plan.Presentation.Text)
                       .Reminder(loaded.List.Item(reminder.Position))
                       .Line();
            continue;
        }
        out << reminder.Position << "\t" << pass << "\t" << ActionName(plan.Action) << "\t" << plan.Presentation.Text
            << "\n";
    }
    return 0;
}

int RunExpand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const DataOptions options = ParseOptions(arguments, false, true, true);
    if (options.Json) {
        throw UsageError("unknown option '--json'");
    }
    if (options.Rest.size() != 1) {
        throw UsageError("expand needs exactly one TEXT (quote it)");
    }
    const TDateTime moment = options.At ? ParseDateTime(*options.At, true) : Now();
    const std::string& text = options.Rest.front();
    out << ExpandRemindTextAt(text, moment) << "\n";
    if (HasHolidayCondition(text)) {
        const HolidayScheduleOverride holidays(LoadHolidays(options.Folder, err));
        out << "WEEK\t" << (WeekConditionHoldsAt(text, moment, options.Sunday) ? "holds" : "fails") << "\n";
        UnknownHolidayYears(err).NoteDate(moment);
    } else if (HasWeekCondition(text)) {
        out << "WEEK\t" << (WeekConditionHoldsAt(text, moment, options.Sunday) ? "holds" : "fails") << "\n";
    }
    return 0;
}

} // namespace chimewell::cli
