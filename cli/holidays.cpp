#include "cli/holidays.h"

#include "data/holiday_file.h"

namespace chimewell::cli {

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
