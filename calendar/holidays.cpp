#include "calendar/holidays.h"

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

namespace chimewell {

namespace {

struct ShippedHoliday {
    int Year;
    std::int32_t Date;
    int IsWorkday;
    const char* Holiday;
};
#include "holiday_table.inc"

bool IsWeekend(TDateTime date) {
    const int weekday = DayOfWeek(date); // 1 = Sunday .. 7 = Saturday
    return weekday == 1 || weekday == 7;
}

bool EarlierDate(const THolidayEntry& entry, std::int64_t date) {
    return entry.Date < date;
}

// The base schedule: the shipped one until the program installs its own.
std::unique_ptr<THolidaySchedule>& InstalledBase() {
    static std::unique_ptr<THolidaySchedule> installed;
    return installed;
}
HolidayScheduleOverride* ActiveOverride = nullptr;

} // namespace

THolidaySchedule THolidaySchedule::Shipped() {
    std::vector<THolidayEntry> entries;
    entries.reserve(std::size(ShippedHolidays));
    for (const ShippedHoliday& day : ShippedHolidays) {
        entries.push_back(
            {day.Year, day.Date, day.IsWorkday != 0 ? HolidayKind::Workday : HolidayKind::RestDay, day.Holiday});
    }
    THolidaySchedule schedule;
    schedule.ReplaceYears(entries);
    return schedule;
}

void THolidaySchedule::ReplaceYears(const std::vector<THolidayEntry>& entries) {
    std::set<int> replaced;
    for (const THolidayEntry& entry : entries) {
        replaced.insert(entry.Year);
    }
    std::erase_if(Entries, [&](const THolidayEntry& entry) { return replaced.contains(entry.Year); });
    for (const THolidayEntry& entry : entries) {
        // A date the entries name twice keeps the first; the sort below is stable.
        Entries.push_back(entry);
    }
    std::stable_sort(Entries.begin(), Entries.end(),
                     [](const THolidayEntry& a, const THolidayEntry& b) { return a.Date < b.Date; });
    Entries.erase(std::unique(Entries.begin(), Entries.end(),
                              [](const THolidayEntry& a, const THolidayEntry& b) { return a.Date == b.Date; }),
                  Entries.end());
    KnownYears.insert(KnownYears.end(), replaced.begin(), replaced.end());
    std::sort(KnownYears.begin(), KnownYears.end());
    KnownYears.erase(std::unique(KnownYears.begin(), KnownYears.end()), KnownYears.end());
}

bool THolidaySchedule::KnowsYear(int year) const {
    return std::binary_search(KnownYears.begin(), KnownYears.end(), year);
}

const THolidayEntry* THolidaySchedule::Find(std::int64_t date) const {
    const auto found = std::lower_bound(Entries.begin(), Entries.end(), date, EarlierDate);
    return found != Entries.end() && found->Date == date ? &*found : nullptr;
}

TOfficialDay THolidaySchedule::DayOf(TDateTime date) const {
    TOfficialDay day;
    const std::int64_t serial = SerialDay(date);
    day.YearKnown = KnowsYear(DecodeDate(date).Year);
    if (const THolidayEntry* entry = Find(serial)) {
        day.Listed = true;
        day.IsWorkday = entry->Kind == HolidayKind::Workday;
        day.Holiday = entry->Holiday;
    } else {
        day.IsWorkday = !IsWeekend(date);
    }
    return day;
}

bool THolidaySchedule::IsWorkday(TDateTime date) const {
    if (const THolidayEntry* entry = Find(SerialDay(date))) {
        return entry->Kind == HolidayKind::Workday;
    }
    return !IsWeekend(date);
}

const THolidaySchedule& InstalledHolidaySchedule() {
    if (ActiveOverride != nullptr) {
        return ActiveOverride->Schedule();
    }
    if (const std::unique_ptr<THolidaySchedule>& installed = InstalledBase()) {
        return *installed;
    }
    static const THolidaySchedule shipped = THolidaySchedule::Shipped();
    return shipped;
}

void InstallHolidaySchedule(THolidaySchedule schedule) {
    InstalledBase() = std::make_unique<THolidaySchedule>(std::move(schedule));
}

HolidayScheduleOverride::HolidayScheduleOverride(THolidaySchedule schedule)
    : Installed(std::move(schedule)), Outer(ActiveOverride) {
    ActiveOverride = this;
}

HolidayScheduleOverride::~HolidayScheduleOverride() {
    ActiveOverride = Outer;
}

TOfficialDay OfficialDayOf(TDateTime date) {
    return InstalledHolidaySchedule().DayOf(date);
}

bool IsOfficialWorkday(TDateTime date) {
    return InstalledHolidaySchedule().IsWorkday(date);
}

bool IsHolidayYearKnown(int year) {
    return InstalledHolidaySchedule().KnowsYear(year);
}

std::string UnknownHolidayYearNotice(int year) {
    return std::to_string(year) + " 年的节假日安排尚未收录，按周一至周五计算";
}

} // namespace chimewell
