// `ics`, in an executable of its own (chimewell-cli-ics): the iCalendar library and ICU beneath it are loaded
// for this command alone.

#include "calendar/clock.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/folder.h"
#include "data/reminder_list.h"
#include "exchange/ical_file.h"
#include "platform/time_zone.h"

#include <filesystem>
#include <stdexcept>

namespace chimewell::cli {

int RunIcs(const Arguments& arguments, std::ostream&, std::ostream& err) {
    const ParsedArguments parsed =
        ParseArguments(arguments, {"--lunar-rules"}, {"--dir", "--items", "--years", "--at"});
    if (parsed.Positional.size() != 1) {
        throw UsageError("ics needs exactly one FILE to write");
    }
    TIcsExportOptions options;
    options.From = MinuteOf(Now());
    if (const auto at = parsed.Values.find("--at"); at != parsed.Values.end()) {
        options.From = ParseDateTime(at->second, false);
    }
    if (const auto years = parsed.Values.find("--years"); years != parsed.Values.end()) {
        options.Years = ParseInteger(years->second, "number of years", 1, MaxIcsYears);
    }
    options.LunarRules = parsed.Flags.contains("--lunar-rules");
    options.TimeZone = LocalTimeZoneName();
    const std::string folder = DataFolder(parsed);
    const std::string& file = parsed.Positional.front();

    LoadedFolder loaded;
    LoadFolder(folder, loaded);
    TRmDataList& list = loaded.List;
    options.BeginWithSunday = loaded.Config.BeginWithSunday;
    std::vector<std::int32_t> numbers;
    if (const auto items = parsed.Values.find("--items"); items != parsed.Values.end()) {
        numbers = ParseItemPositions(items->second);
        RefuseMissingItems(numbers, list);
    } else {
        for (std::int32_t number = 1; number <= list.Count; ++number) {
            numbers.push_back(number);
        }
    }
    if (std::filesystem::exists(std::filesystem::symlink_status(file))) {
        throw std::runtime_error("'" + file + "' exists already; an export never writes into an existing file");
    }
    if (const std::string lost = GiveUids(list, numbers); !lost.empty()) {
        err << "chimewell-cli: the reminders' UIDs could not be kept in the data file, so a later export will not "
               "replace these events elsewhere: "
            << lost << "\n";
    }
    if (!ExportIcs(list.FileName, file, numbers, options)) {
        throw std::runtime_error("'" + file + "' exists already; an export never writes into an existing file");
    }
    return 0;
}

} // namespace chimewell::cli
