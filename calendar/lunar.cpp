#include "calendar/lunar.h"

#include "calendar/clock.h"

namespace chimewell {

const std::array<std::string_view, 32> LunarNumberNames = {
    "",       "一",     "二",     "三",     "四",     "五",     "六",     "七",     "八",   "九",     "十",
    "十一",   "十二",   "十三",   "十四",   "十五",   "十六",   "十七",   "十八",   "十九", "二十",   "二十一",
    "二十二", "二十三", "二十四", "二十五", "二十六", "二十七", "二十八", "二十九", "三十", "三十一",
};

const std::array<std::string_view, 11> LunarDayPrefixNames = {
    "", "初一", "初二", "初三", "初四", "初五", "初六", "初七", "初八", "初九", "初十",
};

std::string LunarDayName(int day) {
    static constexpr std::string_view Tens[] = {"初", "十", "廿", "三"};
    if (day < 1 || day > 30) {
        return {};
    }
    if (day == 10) {
        return "初十";
    }
    if (day == 20) {
        return "二十";
    }
    if (day == 30) {
        return "三十";
    }
    return std::string(Tens[day / 10]) + std::string(LunarNumberNames[static_cast<std::size_t>(day % 10)]);
}

std::string LunarMonthName(int month, bool isLeapMonth) {
    if (month < 1 || month > 12) {
        return {};
    }
    const std::string leap = isLeapMonth ? "闰" : "";
    if (month == 1) {
        return leap + "正月";
    }
    if (month == 11) {
        return leap + "冬月";
    }
    if (month == 12) {
        return leap + "腊月";
    }
    return leap + std::string(LunarNumberNames[static_cast<std::size_t>(month)]) + "月";
}

namespace {

constexpr int TableSize = static_cast<int>(std::tuple_size_v<decltype(LunarYearTable)>);

// The word of a year, or 0 outside the table, so that no caller can read past its ends.
constexpr unsigned WordOf(int year) {
    const int index = year - LunarTableFirstYear;
    return index >= 0 && index < TableSize ? LunarYearTable[static_cast<std::size_t>(index)] : 0U;
}

constexpr int LeapMonthOf(int year) {
    const unsigned nibble = WordOf(year) & 0xFU;
    return nibble == 0xFU ? 0 : static_cast<int>(nibble);
}

constexpr int LeapMonthDaysOf(int year) {
    if (LeapMonthOf(year) == 0) {
        return 0;
    }
    return (WordOf(year + 1) & 0xFU) == 0xFU ? 30 : 29;
}

constexpr int MonthDaysOf(int year, int month) {
    if (month > 16) {
        return 29;
    }
    const unsigned mask = month < 2 ? 0x8000U : 0x8000U >> (month - 1);
    return (WordOf(year) & mask) != 0 ? 30 : 29;
}

constexpr int YearDaysOf(int year) {
    int days = 348;
    for (unsigned mask = 0x8000U; mask > 0x8U; mask >>= 1) {
        days += (WordOf(year) & mask) != 0 ? 1 : 0;
    }
    return days + LeapMonthDaysOf(year);
}

// YearStarts[i]: days from lunar 1900-01-01 (1900-01-31) to the first day of lunar year 1900 + i;
// the last entry is the day after lunar 2100 ends.
constexpr std::array<int, 202> YearStarts = [] {
    std::array<int, 202> starts{};
    for (int i = 1; i < 202; ++i) {
        starts[static_cast<std::size_t>(i)] = starts[static_cast<std::size_t>(i - 1)] + YearDaysOf(1900 + i - 1);
    }
    return starts;
}();

constexpr std::int64_t SerialOf(int year, unsigned month, unsigned day) {
    using namespace std::chrono;
    return sys_days{year_month_day{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}}}
               .time_since_epoch()
               .count() -
           DateTimeEpochDays;
}

constexpr std::int64_t FirstLunarSerial = SerialOf(1900, 1, 31); // lunar 1900-01-01
constexpr std::int64_t EndSerial = SerialOf(2101, 1, 1);         // first date past the range
constexpr std::int64_t LunarNewYear2000 = SerialOf(2000, 2, 5);

static_assert(YearDaysOf(1900) == 384 && YearDaysOf(2000) == 354 && YearDaysOf(2023) == 384);
static_assert(LeapMonthOf(1900) == 8 && LeapMonthDaysOf(1900) == 29);
static_assert(LeapMonthOf(1906) == 4 && LeapMonthDaysOf(1906) == 30 && LeapMonthOf(1907) == 0);
static_assert(FirstLunarSerial + YearStarts[100] == LunarNewYear2000);
static_assert(FirstLunarSerial + YearStarts[124] == SerialOf(2024, 2, 10));
static_assert(FirstLunarSerial + YearStarts[201] > EndSerial);

// Days from the first day of the lunar year to the first day of its month, the leap month following the
// ordinary month of the same number.
int DaysBeforeMonth(int year, int month, bool isLeapMonth) {
    const int leap = LeapMonthOf(year);
    int days = 0;
    for (int i = 1; i < month; ++i) {
        days += MonthDaysOf(year, i);
        if (i == leap) {
            days += LeapMonthDaysOf(year);
        }
    }
    if (isLeapMonth && month == leap) {
        days += MonthDaysOf(year, month);
    }
    return days;
}

} // namespace

const TDateTime LunarInvalidSolarDate = static_cast<TDateTime>(SerialOf(1, 1, 1));

int LunarYearDays(int year) {
    return YearDaysOf(year);
}
int LunarLeapMonth(int year) {
    return LeapMonthOf(year);
}
int LunarLeapMonthDays(int year) {
    return LeapMonthDaysOf(year);
}
int LunarMonthDays(int year, int month) {
    return MonthDaysOf(year, month);
}

LunarDate SolarToLunar(TDateTime date) {
    const std::int64_t serial = SerialDay(date);
    if (serial < FirstLunarSerial || serial >= EndSerial) {
        return {};
    }
    int n = static_cast<int>(serial - FirstLunarSerial); // [0, 73382]
    // The mean lunar year is 365.24 days: the estimate is at most one year off either way.
    int index = static_cast<int>(n / 365.2422);
    if (index > 200) {
        index = 200;
    }
    while (YearStarts[static_cast<std::size_t>(index)] > n) {
        --index;
    }
    while (YearStarts[static_cast<std::size_t>(index + 1)] <= n) {
        ++index;
    }
    const int year = LunarTableFirstYear + index;
    n -= YearStarts[static_cast<std::size_t>(index)]; // [0, 384]

    const int leap = LeapMonthOf(year);
    for (int month = 1;; ++month) {
        const int length = MonthDaysOf(year, month);
        if (n < length) {
            return {year, month, n + 1, false};
        }
        n -= length;
        if (month == leap) {
            const int leapLength = LeapMonthDaysOf(year);
            if (n < leapLength) {
                return {year, month, n + 1, true};
            }
            n -= leapLength;
        }
    }
}

namespace {
bool IsLunarDateBetween(const LunarDate& date, int firstYear, int lastYear) {
    if (date.Year < firstYear || date.Year > lastYear || date.Month < 1 || date.Month > 12 || date.Day < 1 ||
        date.Day > 30) {
        return false;
    }
    if (!date.IsLeapMonth) {
        return date.Day <= MonthDaysOf(date.Year, date.Month);
    }
    return date.Month == LeapMonthOf(date.Year) && date.Day <= LeapMonthDaysOf(date.Year);
}

TDateTime SolarOfLunar(const LunarDate& date) {
    const int yearStart = YearStarts[static_cast<std::size_t>(date.Year - LunarTableFirstYear)];
    const int offset = DaysBeforeMonth(date.Year, date.Month, date.IsLeapMonth) + date.Day - 1;
    return static_cast<TDateTime>(FirstLunarSerial + yearStart + offset);
}
} // namespace

bool IsValidLunarDate(const LunarDate& date) {
    return IsLunarDateBetween(date, 1901, 2099);
}

bool IsLunarDateInTable(const LunarDate& date) {
    return IsLunarDateBetween(date, LunarTableFirstYear, LunarTableLastYear);
}

TDateTime LunarTableDateToSolar(const LunarDate& date) {
    return IsLunarDateInTable(date) ? SolarOfLunar(date) : LunarInvalidSolarDate;
}

TDateTime LunarToSolar(const LunarDate& date) {
    if (!IsValidLunarDate(date)) {
        return LunarInvalidSolarDate;
    }
    return SolarOfLunar(date);
}

TDateTime LunarNewYearDate(int year) {
    if (year < LunarTableFirstYear || year > LunarTableLastYear) {
        return LunarInvalidSolarDate;
    }
    return static_cast<TDateTime>(FirstLunarSerial + YearStarts[static_cast<std::size_t>(year - LunarTableFirstYear)]);
}

int GregorianMonthDays(int year, int month) {
    if (year == 0 || month == 0) {
        return 31;
    }
    switch (month) {
    case 2:
        return IsGregorianLeapYear(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    default:
        return 31;
    }
}

int LunarMonthDaysForEditor(int year, int month, bool isLeapMonth) {
    if (year == 0 || month == 0) {
        return 30;
    }
    return isLeapMonth ? LeapMonthDaysOf(year) : MonthDaysOf(year, month);
}

int CurrentSolarYear() {
    return DecodeDate(Today()).Year;
}

int CurrentLunarYear() {
    return SolarToLunar(Today()).Year;
}

} // namespace chimewell
