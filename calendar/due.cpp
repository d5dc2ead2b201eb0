#include "calendar/due.h"

#include "calendar/clock.h"
#include "calendar/lunar.h"
#include "calendar/solar_terms.h"

#include <cstdint>

namespace chimewell {

namespace {
int LunarMonthLength(const LunarDate& date) {
    return date.IsLeapMonth ? LunarLeapMonthDays(date.Year) : LunarMonthDays(date.Year, date.Month);
}

// Monday = bit 0x01 .. Sunday = bit 0x40; DayOfWeek counts 1 = Sunday .. 7 = Saturday.
int WeekdayBit(TDateTime date) {
    const int weekday = DayOfWeek(date);
    return weekday == 1 ? 0x40 : 1 << (weekday - 2);
}

bool DayMatches(int Day, int today, TDateTime date) {
    // Day is a field of a hand-editable file: any value must give an answer.
    if (Day == 0 || Day == today) {
        return true;
    }
    if ((Day & WeekdayMask) == 0) {
        return false;
    }
    return (Day & WeekdayBit(date)) != 0;
}

bool SolarDateMatches(TDateTime date, int Year, int Month, int Day) {
    const DateFields today = DecodeDate(date);
    if (Year != 0 && Year != today.Year) {
        return false;
    }
    if (Month != 0 && Month != today.Month) {
        return false;
    }
    return DayMatches(Day, today.Day, date);
}

bool LunarDateMatches(TDateTime date, int Year, int Month, int Day, bool IsLeapMonth) {
    const LunarDate today = SolarToLunar(date);
    if (Year != 0 && Year != today.Year) {
        return false;
    }
    if (Month == SolarTermMonth) {
        return IsSolarTermOn(date, Day);
    }
    if (Month != 0 && (Month != today.Month || IsLeapMonth != today.IsLeapMonth)) {
        return false;
    }
    // A lunar month has 29 or 30 days, varying from year to year. A reminder for day 30 of every year (除夕 on
    // the twelfth month's 30th) falls on the month's last day, the 29th, when the month is short that year. A
    // reminder for one particular year names a date that either exists or never comes.
    if (Year == 0 && Day == 30 && today.Day == 29 && LunarMonthLength(today) == 29) {
        return true;
    }
    return DayMatches(Day, today.Day, date);
}

// The set time, or Forward minutes before it on the same day; never across midnight. Wide arithmetic, since
// hand-edited fields may hold any 32-bit value.
bool TimeMatches(TDateTime now, int Hour, int Minuter, int Forward) {
    const TimeFields time = DecodeTime(now);
    if (time.Hour == Hour && time.Minute == Minuter) {
        return true;
    }
    const std::int64_t minuteOfDay = time.Hour * 60 + time.Minute; // [0, 1439]
    const std::int64_t setMinute = std::int64_t{Hour} * 60 + Minuter;
    return Forward > 0 && minuteOfDay + Forward == setMinute;
}
} // namespace

bool IsSolarDateTimeDueAt(TDateTime now, int Year, int Month, int Day, int Hour, int Minuter, int Forward,
                          bool checkTime) {
    if (!SolarDateMatches(DateOf(now), Year, Month, Day)) {
        return false;
    }
    return !checkTime || TimeMatches(now, Hour, Minuter, Forward);
}

bool IsLunarDateTimeDueAt(TDateTime now, int Year, int Month, int Day, int Hour, int Minuter, int Forward,
                          bool IsLeapMonth, bool checkTime) {
    if (!LunarDateMatches(DateOf(now), Year, Month, Day, IsLeapMonth)) {
        return false;
    }
    return !checkTime || TimeMatches(now, Hour, Minuter, Forward);
}

bool IsSolarDateTimeDue(int Year, int Month, int Day, int Hour, int Minuter, int Forward, bool checkTime) {
    return IsSolarDateTimeDueAt(Now(), Year, Month, Day, Hour, Minuter, Forward, checkTime);
}

bool IsLunarDateTimeDue(int Year, int Month, int Day, int Hour, int Minuter, int Forward, bool IsLeapMonth,
                        bool checkTime) {
    return IsLunarDateTimeDueAt(Now(), Year, Month, Day, Hour, Minuter, Forward, IsLeapMonth, checkTime);
}

bool IsSolarDateDue(int Year, int Month, int Day) {
    return SolarDateMatches(Today(), Year, Month, Day);
}

bool IsLunarDateDue(int Year, int Month, int Day, bool IsLeapMonth) {
    return LunarDateMatches(Today(), Year, Month, Day, IsLeapMonth);
}

bool MinuteChanged(int& rememberedMinute) {
    const int minute = DecodeTime(Now()).Minute;
    if (minute == rememberedMinute) {
        return false;
    }
    rememberedMinute = minute;
    return true;
}

bool HourChanged(int& rememberedHour) {
    const int hour = DecodeTime(Now()).Hour;
    if (hour == rememberedHour) {
        return false;
    }
    rememberedHour = hour;
    return true;
}

} // namespace chimewell
