#pragma once
// The Chinese lunar calendar: one packed word per lunar year 1900..2100, and the conversions built on it.

#include "calendar/datetime.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace chimewell {

struct LunarDate {
    std::int32_t Year = 0;
    std::int32_t Month = 0; // [1, 12]
    std::int32_t Day = 0;   // [1, 30]
    bool IsLeapMonth = false;

    bool IsEmpty() const { return Year == 0 && Month == 0 && Day == 0 && !IsLeapMonth; }
    friend bool operator==(const LunarDate&, const LunarDate&) = default;
};

inline constexpr int LunarTableFirstYear = 1900;
inline constexpr int LunarTableLastYear = 2100;

// Bits 15..4: months 1..12, set = 30 days; bits 3..0: the leap month, 0 = none. A low nibble of 15 in the
// word of year Y+1 says that the leap month of year Y has 30 days (and Y+1 has none).
inline constexpr std::array<std::uint16_t, 201> LunarYearTable = {
    0x4BD8, 0x4AE0, 0xA570, 0x54D5, 0xD260, 0xD950, 0x5554, 0x56AF, 0x9AD0, 0x55D2, // 1900
    0x4AE0, 0xA5B6, 0xA4D0, 0xD250, 0xD295, 0xB54F, 0xD6A0, 0xADA2, 0x95B0, 0x4977, // 1910
    0x497F, 0xA4B0, 0xB4B5, 0x6A50, 0x6D40, 0xAB54, 0x2B6F, 0x9570, 0x52F2, 0x4970, // 1920
    0x6566, 0xD4A0, 0xEA50, 0x6A95, 0x5ADF, 0x2B60, 0x86E3, 0x92EF, 0xC8D7, 0xC95F, // 1930
    0xD4A0, 0xD8A6, 0xB55F, 0x56A0, 0xA5B4, 0x25DF, 0x92D0, 0xD2B2, 0xA950, 0xB557, // 1940
    0x6CA0, 0xB550, 0x5355, 0x4DAF, 0xA5B0, 0x4573, 0x52BF, 0xA9A8, 0xE950, 0x6AA0, // 1950
    0xAEA6, 0xAB50, 0x4B60, 0xAAE4, 0xA570, 0x5260, 0xF263, 0xD950, 0x5B57, 0x56A0, // 1960
    0x96D0, 0x4DD5, 0x4AD0, 0xA4D0, 0xD4D4, 0xD250, 0xD558, 0xB540, 0xB6A0, 0x95A6, // 1970
    0x95BF, 0x49B0, 0xA974, 0xA4B0, 0xB27A, 0x6A50, 0x6D40, 0xAF46, 0xAB60, 0x9570, // 1980
    0x4AF5, 0x4970, 0x64B0, 0x74A3, 0xEA50, 0x6B58, 0x5AC0, 0xAB60, 0x96D5, 0x92E0, // 1990
    0xC960, 0xD954, 0xD4A0, 0xDA50, 0x7552, 0x56A0, 0xABB7, 0x25D0, 0x92D0, 0xCAB5, // 2000
    0xA950, 0xB4A0, 0xBAA4, 0xAD50, 0x55D9, 0x4BA0, 0xA5B0, 0x5176, 0x52BF, 0xA930, // 2010
    0x7954, 0x6AA0, 0xAD50, 0x5B52, 0x4B60, 0xA6E6, 0xA4E0, 0xD260, 0xEA65, 0xD530, // 2020
    0x5AA0, 0x76A3, 0x96D0, 0x4AFB, 0x4AD0, 0xA4D0, 0xD0B6, 0xD25F, 0xD520, 0xDD45, // 2030
    0xB5A0, 0x56D0, 0x55B2, 0x49B0, 0xA577, 0xA4B0, 0xAA50, 0xB255, 0x6D2F, 0xADA0, // 2040
    0x4B63, 0x937F, 0x49F8, 0x4970, 0x64B0, 0x68A6, 0xEA5F, 0x6B20, 0xA6C4, 0xAAEF, // 2050
    0x92E0, 0xD2E3, 0xC960, 0xD557, 0xD4A0, 0xDA50, 0x5D55, 0x56A0, 0xA6D0, 0x55D4, // 2060
    0x52D0, 0xA9B8, 0xA950, 0xB4A0, 0xB6A6, 0xAD50, 0x55A0, 0xABA4, 0xA5B0, 0x52B0, // 2070
    0xB273, 0x6930, 0x7337, 0x6AA0, 0xAD50, 0x4B55, 0x4B6F, 0xA570, 0x54E4, 0xD260, // 2080
    0xE968, 0xD520, 0xDAA0, 0x6AA6, 0x56DF, 0x4AE0, 0xA9D4, 0xA4D0, 0xD150, 0xF252, // 2090
    0xD520,                                                                         // 2100
};

// Index 1..31: the Chinese numerals for 1 to 31; index 0 is empty.
extern const std::array<std::string_view, 32> LunarNumberNames;
// Index 1..10: 初一 .. 初十; index 0 is empty.
extern const std::array<std::string_view, 11> LunarDayPrefixNames;

// The names a printed calendar gives, and the only ones the program shows a person: two characters for every
// day ("初一" … "十九", "二十", "廿一" … "三十") and every month ("正月", "闰二月", "冬月", "腊月"). Empty out
// of range.
std::string LunarDayName(int day);
std::string LunarMonthName(int month, bool isLeapMonth);

int LunarYearDays(int year);
int LunarLeapMonth(int year);
int LunarLeapMonthDays(int year);
int LunarMonthDays(int year, int month);

// The all-zero LunarDate before 1900-01-31 and from 2101-01-01 on; the time of day is ignored.
LunarDate SolarToLunar(TDateTime date);
bool IsValidLunarDate(const LunarDate& date);
// The same for every lunar year the table holds, 1900 and 2100 included, and the Gregorian date of such a
// date (LunarInvalidSolarDate for one the table does not have). For the command line; the editor and the
// due tests keep to the years IsValidLunarDate accepts.
bool IsLunarDateInTable(const LunarDate& date);
TDateTime LunarTableDateToSolar(const LunarDate& date);
// The date (time of day zero), or LunarInvalidSolarDate for an invalid lunar date.
TDateTime LunarToSolar(const LunarDate& date);
// 0001-01-01.
extern const TDateTime LunarInvalidSolarDate;
// The Gregorian date of the first day of a lunar year of the table (1900..2100); LunarInvalidSolarDate for any
// other year.
TDateTime LunarNewYearDate(int year);

int GregorianMonthDays(int year, int month);
int LunarMonthDaysForEditor(int year, int month, bool isLeapMonth);
int CurrentSolarYear();
int CurrentLunarYear();

} // namespace chimewell
