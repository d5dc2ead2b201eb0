#include "cli/holidays.h"

#include "data/holiday_file.h"
#include "data/paths.h"

#include <filesystem>

namespace chimewell::cli {

std::string DataFolder(const ParsedArguments& parsed) {
    const auto dir = parsed.Values.find("--dir");
    if (dir == parsed.Values.end()) {
        return ProgramFilesFolder(false);
    }
    std::error_code error;
    if (!std::filesystem::is_directory(dir->second, error)) {
        throw UsageError("--dir '" + dir->second + "' is not a folder");
    }
    return dir->second.back() == '/' ? dir->second : dir->second + "/";
}

THolidaySchedule LoadHolidays(const std::string& folder, std::ostream& err) {
    THolidayScheduleLoad load = LoadHolidaySchedule(folder);
    for (const std::string& problem : load.Problems) {
        err << "chimewell-cli: " << problem << "\n";
    }
    return std::move(load.Schedule);
}

void UnknownHolidayYears::NoteDate(TDateTime date) {
    NoteYear(DecodeDate(date).Year);
}

void UnknownHolidayYears::NoteYear(int year) {
    if (!IsHolidayYearKnown(year) && Said.insert(year).second) {
        Err << UnknownHolidayYearNotice(year) << "\n";
    }
}

} // namespace chimewell::cli
