#pragma once
// The festivals the editor's quick-date menus offer, one table for each calendar, and the dates they fall on.
// A festival is a fixed month and day, or (Mother's Day, Father's Day, Thanksgiving) the N-th time a weekday
// comes round in a month, which a reminder says with a weekday set and the week condition "$mwo" N "$".

#include "calendar/datetime.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

struct TFestival {
    std::string_view Name;    // the menu item's name
    std::string_view Caption; // the menu item's caption, its accelerator included
    int Month = 0;
    // The day of the month; for a weekday rule, the weekday set (0x80 plus the weekday's bit).
    int Day = 0;
    // 0 for a fixed date; N for the N-th such weekday of the month.
    int Occurrence = 0;
};

extern const std::array<TFestival, 15> SolarFestivals;
extern const std::array<TFestival, 12> LunarFestivals;

// The caption without its accelerator: "[&1]情人节" gives 情人节.
std::string FestivalTitle(const TFestival& festival);
// The week condition a weekday-rule festival puts before the message ("$mwo2$"); empty for a fixed date.
std::string FestivalWeekCondition(const TFestival& festival);

// The Gregorian date of a Gregorian festival in a year.
TDateTime SolarFestivalDate(const TFestival& festival, int year);
// The Gregorian date of a lunar festival in a lunar year, the day cut to the month's length (除夕 is the
// twelfth month's last day, the 29th in some years); LunarInvalidSolarDate outside the lunar table.
TDateTime LunarFestivalDate(const TFestival& festival, int lunarYear);

// The festivals of both calendars that fall on a date, Gregorian ones first, each by its title.
std::vector<std::string> FestivalsOn(TDateTime date);

} // namespace chimewell
