#include "calendar/clock.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/holidays.h"
#include "cli/json_lines.h"
#include "data/reminder_list.h"
#include "data/settings.h"
#include "runtime/catch_up.h"

#include <stdexcept>

namespace chimewell::cli {

int RunMissed(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const ParsedArguments parsed = ParseArguments(arguments, {"--json"}, {"--dir", "--since", "--at"});
    if (!parsed.Positional.empty()) {
        throw UsageError("unexpected argument '" + parsed.Positional.front() + "'");
    }
    const auto since = parsed.Values.find("--since");
    if (since == parsed.Values.end()) {
        throw UsageError("missed needs --since \"YYYY-MM-DD HH:MM\", the last minute checked");
    }
    const TDateTime lastChecked = ParseDateTime(since->second, false);
    const auto at = parsed.Values.find("--at");
    const TDateTime now = at != parsed.Values.end() ? ParseDateTime(at->second, false) : Now();
    const std::string folder = DataFolder(parsed);

    LoadedFolder loaded;
    LoadFolder(folder, loaded);
    const TRmConfig& config = loaded.Config;
    const TRmDataList& list = loaded.List;
    const HolidayScheduleOverride holidays(LoadHolidays(folder, err));

    std::string buffer;
    for (const TMissedFiring& firing :
         MissedFirings(list, lastChecked, now, config.MissedWindowHours, config.BeginWithSunday)) {
        const TMissedReminder missed = DescribeMissed(list.Item(firing.Position), firing, config.BeginWithSunday);
        const std::string text = missed.Silent ? list.Item(firing.Position).Message : missed.Text;
        if (parsed.Flags.contains("--json")) {
            buffer += TJsonLine()
                          .Text("minute", FormatMinute(firing.Minute))
                          .Number("index", firing.Position)
                          .Text("action", missed.Silent ? "silent" : "show")
                          .Number("lead", firing.Lead)
                          .Text("text", text)
                          .Text("command", missed.Command)
                          .Text("not_run", missed.NotRun)
                          .Reminder(list.Item(firing.Position))
                          .Line();
            continue;
        }
        buffer += FormatMinute(firing.Minute) + "\t" + std::to_string(firing.Position) + "\t" +
                  (missed.Silent ? "silent" : "show") + "\t" + text + "\n";
    }
    out << buffer;
    return 0;
}

} // namespace chimewell::cli
