#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/holidays.h"

#include <vector>

namespace chimewell::cli {

int RunWorkday(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const ParsedArguments parsed = ParseArguments(arguments, {}, {"--dir"});
    if (parsed.Positional.empty()) {
        throw UsageError("workday needs at least one DATE (YYYY-MM-DD)");
    }
    std::vector<TDateTime> dates;
    for (const std::string& date : parsed.Positional) {
        dates.push_back(ParseDate(date));
    }
    const HolidayScheduleOverride holidays(LoadHolidays(DataFolder(parsed), err));
    UnknownHolidayYears notices(err);
    std::string buffer;
    for (const TDateTime date : dates) {
        const TOfficialDay day = OfficialDayOf(date);
        buffer += FormatDate(date) + (day.IsWorkday ? "\tworkday\t" : "\trestday\t") + day.Holiday + "\n";
        notices.NoteDate(date);
    }
    out << buffer;
    return 0;
}

} // namespace chimewell::cli
