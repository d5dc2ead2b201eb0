#include "calendar/clock.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/folder.h"
#include "data/constants.h"
#include "data/paths.h"
#include "data/reminder_list.h"
#include "exchange/exchange_file.h"
#include "exchange/ical_file.h"
#include "platform/time_zone.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace chimewell::cli {

namespace {

// "2,5" -> {2, 5}: 1-based positions in list order, each once.
std::vector<std::int32_t> ParseItems(const std::string& text) {
    std::vector<std::int32_t> numbers;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        numbers.push_back(ParseInteger(part, "position in --items", 1, MaxDataItems));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

void RefuseMissing(const std::vector<std::int32_t>& numbers, const TRmDataList& list) {
    if (!numbers.empty() && numbers.back() > list.Count) {
        throw std::runtime_error("there is no reminder " + std::to_string(numbers.back()) + ": the list holds " +
                                 std::to_string(list.Count));
    }
}

} // namespace

int RunExport(const Arguments& arguments, std::ostream&, std::ostream& err) {
    const ParsedArguments parsed = ParseArguments(arguments, {}, {"--dir", "--items"});
    const auto items = parsed.Values.find("--items");
    if (items == parsed.Values.end()) {
        throw UsageError("export needs --items, the positions of the reminders from 1 (--items 2,5)");
    }
    if (parsed.Positional.size() != 1) {
        throw UsageError("export needs exactly one FILE to write");
    }
    const std::vector<std::int32_t> numbers = ParseItems(items->second);
    const std::string folder = DataFolder(parsed);
    const std::string& file = parsed.Positional.front();

    LoadedFolder loaded;
    LoadFolder(folder, loaded);
    const TRmDataList& list = loaded.List;
    RefuseMissing(numbers, list);
    std::string leftBehind;
    if (!ExportReminders(list.FileName, file, numbers, &leftBehind)) {
        throw std::runtime_error("'" + file + "' exists already; an export never writes into an existing file");
    }
    if (!leftBehind.empty()) {
        err << "chimewell-cli: " << leftBehind << "\n";
    }
    return 0;
}

} // namespace chimewell::cli

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
        numbers = ParseItems(items->second);
        RefuseMissing(numbers, list);
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
