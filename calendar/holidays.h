#pragma once
// China's official holiday schedule: the days off (休) and the weekend days worked (班) that the State Council
// announces year by year. A date the schedule lists takes its kind from there; any other date is a workday from
// Monday to Friday and a rest day on Saturday and Sunday. A year the schedule does not cover is worked out from
// the weekday alone, and callers can tell, so that the user learns the answer is a guess.
//
// The schedule of the years the program knows is compiled in; the user's own file adds or replaces whole years.
// One schedule is installed for the whole process, so that the pure condition code can ask without being handed
// one, as it asks the clock for today.

#include "calendar/datetime.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

enum class HolidayKind : std::uint8_t {
    RestDay, // 休
    Workday, // 班
};

struct THolidayEntry {
    std::int32_t Year = 0;
    std::int32_t Date = 0; // whole days since 1899-12-30
    HolidayKind Kind = HolidayKind::RestDay;
    std::string Holiday; // the festival the day belongs to, possibly empty

    friend bool operator==(const THolidayEntry&, const THolidayEntry&) = default;
};

// A line of a schedule text that was skipped.
struct THolidayProblem {
    int Line = 0; // counted from 1
    std::string Reason;
};

struct THolidayText {
    std::vector<THolidayEntry> Entries; // in the order of the text
    std::vector<THolidayProblem> Problems;
};

// Reads a schedule text, one date a line: DATE (YYYY-MM-DD), 休 or 班, and the festival, separated by tabs or
// blanks. Empty lines and lines beginning with "#" are comments. A line that cannot be read, or names a date an
// earlier line already named, is skipped and reported; reading never fails as a whole.
THolidayText ParseHolidayText(std::string_view text);

// What the schedule says of one date.
struct TOfficialDay {
    bool IsWorkday = false;
    bool Listed = false;    // the schedule names the date
    bool YearKnown = false; // the schedule covers the date's year; otherwise the weekday alone decided
    std::string Holiday;    // the festival of a listed date
};

class THolidaySchedule {
public:
    // A schedule that knows no year: every answer comes from the weekday.
    THolidaySchedule() = default;
    // The schedule compiled into the program.
    static THolidaySchedule Shipped();

    // Every year that the entries name is replaced as a whole by the entries of that year; a date named twice
    // keeps its first entry.
    void ReplaceYears(const std::vector<THolidayEntry>& entries);

    bool KnowsYear(int year) const;
    // The known years, in order.
    const std::vector<int>& Years() const { return KnownYears; }
    TOfficialDay DayOf(TDateTime date) const;
    bool IsWorkday(TDateTime date) const;

private:
    const THolidayEntry* Find(std::int64_t date) const;

    std::vector<THolidayEntry> Entries; // by date, one per date
    std::vector<int> KnownYears;        // ascending
};

// The schedule every question below is answered from: the shipped one, unless the program installed another
// (the shipped one merged with the user's file) or a HolidayScheduleOverride lives.
const THolidaySchedule& InstalledHolidaySchedule();
void InstallHolidaySchedule(THolidaySchedule schedule);

// Installs a schedule for as long as it lives; overrides nest like the clock's.
class HolidayScheduleOverride {
public:
    explicit HolidayScheduleOverride(THolidaySchedule schedule);
    ~HolidayScheduleOverride();
    HolidayScheduleOverride(const HolidayScheduleOverride&) = delete;
    HolidayScheduleOverride& operator=(const HolidayScheduleOverride&) = delete;

    const THolidaySchedule& Schedule() const { return Installed; }

private:
    THolidaySchedule Installed;
    HolidayScheduleOverride* Outer;
};

TOfficialDay OfficialDayOf(TDateTime date);
bool IsOfficialWorkday(TDateTime date);
bool IsHolidayYearKnown(int year);
// "2027 年的节假日安排尚未收录，按周一至周五计算".
std::string UnknownHolidayYearNotice(int year);

} // namespace chimewell
