#pragma once
// The 24 solar terms, sexagenary year names and week numbers.

#include "calendar/datetime.h"

#include <array>
#include <string>
#include <string_view>

namespace chimewell {

inline constexpr int SolarTermCount = 24;

// Index 0..23 in calendar order from 小寒 (early January) to 冬至.
extern const std::array<std::string_view, SolarTermCount> SolarTermNames;
extern const std::array<std::string_view, 10> HeavenlyStems;
extern const std::array<std::string_view, 12> EarthlyBranches;
extern const std::array<std::string_view, 12> ZodiacAnimals;

// The moment in China Standard Time at which the Sun's apparent geocentric ecliptic longitude reaches
// 285° + 15° × index (mod 360°) in the given Gregorian year; index 0..23, years 1..9999.
TDateTime SolarTermMoment(int year, int index);
// The name of the term that falls on the given date, or empty; a value with a time of day never matches.
std::string_view SolarTermNameOf(TDateTime date);
// True when today is the day of the term with that index; false for an index outside 0..23.
bool IsSolarTermToday(int index);
bool IsSolarTermOn(TDateTime date, int index);

// n = lunar year − 1924 (甲子).
std::string GanZhiYearName(int n);
std::string_view ZodiacAnimalName(int lunarYear);

// Week numbers 1..6 and 1..54, or −1 for a year outside 1900..2999 or a month outside 1..12.
int WeekOfMonth(int year, int month, int day, bool beginWithSunday);
int WeekOfYear(int year, int month, int day, bool beginWithSunday);
int CurrentWeekOfMonth(bool beginWithSunday);
int CurrentWeekOfYear(bool beginWithSunday);

} // namespace chimewell
