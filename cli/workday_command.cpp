#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/holidays.h"

#include <vector>

namespace chimewell::cli {

int RunWorkday(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    std::string folder;
    std::vector<TDateTime> dates;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--dir") {
            if (i + 1 >= arguments.size()) {
                throw UsageError("--dir needs a value");
            }
            folder = arguments[++i];
        } else if (arguments[i].starts_with("--")) {
            throw UsageError("unknown option '" + arguments[i] + "'");
        } else {
            dates.push_back(ParseDate(arguments[i]));
        }
    }
    if (dates.empty()) {
        throw UsageError("workday needs at least one DATE (YYYY-MM-DD)");
    }
    const HolidayScheduleOverride holidays(LoadHolidays(DataFolder(folder), err));
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
