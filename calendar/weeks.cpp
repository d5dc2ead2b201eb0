#include "calendar/clock.h"
#include "calendar/solar_terms.h"

namespace chimewell {

namespace {
bool InWeekRange(int year, int month) {
    return year >= 1900 && year <= 2999 && month >= 1 && month <= 12;
}

// weekdayOfFirst: 1 = Sunday .. 7 = Saturday; day counted from 1. A week begins on every Sunday or Monday,
// and the first (possibly partial) week holds the first day. C++ division truncates toward zero, which makes a
// Sunday that starts a Monday-based count part of week 1.
int WeekNumber(int weekdayOfFirst, int day, bool beginWithSunday) {
    return (weekdayOfFirst + day - (beginWithSunday ? 2 : 3)) / 7 + 1;
}
} // namespace

int WeekOfMonth(int year, int month, int day, bool beginWithSunday) {
    if (!InWeekRange(year, month)) {
        return -1;
    }
    return WeekNumber(DayOfWeek(EncodeDate(year, month, 1)), day, beginWithSunday);
}

int WeekOfYear(int year, int month, int day, bool beginWithSunday) {
    if (!InWeekRange(year, month)) {
        return -1;
    }
    const TDateTime first = EncodeDate(year, 1, 1);
    const int dayOfYear = static_cast<int>(SerialDay(EncodeDate(year, month, 1)) - SerialDay(first)) + day;
    return WeekNumber(DayOfWeek(first), dayOfYear, beginWithSunday);
}

int CurrentWeekOfMonth(bool beginWithSunday) {
    const DateFields today = DecodeDate(Today());
    return WeekOfMonth(today.Year, today.Month, today.Day, beginWithSunday);
}

int CurrentWeekOfYear(bool beginWithSunday) {
    const DateFields today = DecodeDate(Today());
    return WeekOfYear(today.Year, today.Month, today.Day, beginWithSunday);
}

} // namespace chimewell
