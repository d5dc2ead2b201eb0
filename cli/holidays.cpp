#include "cli/holidays.h"

#include "data/holiday_file.h"
#include "data/paths.h"

namespace chimewell::cli {

std::string DataFolder(std::string folder) {
    if (folder.empty()) {
        return ProgramFilesFolder();
    }
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
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
