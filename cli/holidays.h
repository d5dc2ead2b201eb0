#pragma once
// The holiday schedule the commands answer from: the shipped one with the user's holidays.txt merged in, and
// the notice for the years it does not know, each said once.

#include "calendar/holidays.h"
#include "cli/arguments.h"
#include "cli/folder.h"

#include <ostream>
#include <set>
#include <string>

namespace chimewell::cli {

// The shipped schedule with folder + "holidays.txt" in place of its years; every line skipped, and a file that
// cannot be read, is reported on err. The folder ends in "/".
THolidaySchedule LoadHolidays(const std::string& folder, std::ostream& err);

// Says on err, once per year, that a year's holidays were guessed from the weekday.
class UnknownHolidayYears {
public:
    explicit UnknownHolidayYears(std::ostream& err) : Err(err) {}
    // Notes the year of the date when the installed schedule does not know it.
    void NoteDate(TDateTime date);
    void NoteYear(int year);

private:
    std::ostream& Err;
    std::set<int> Said;
};

} // namespace chimewell::cli
