#include "calendar/due.h"

#include "calendar/clock.h"
#include "calendar/lunar.h"
#include "calendar/solar_terms.h"

namespace chimewell {

namespace {
// Monday = bit 0x01 .. Sunday = bit 0x40; DayOfWeek counts 1 = Sunday .. 7 = Saturday.
int WeekdayBit(TDateTime date) {
    const int weekday = DayOfWeek(date);
    return weekday == 1 ? 0x40 : 1 << (weekday - 2);
}

bool DayMatches(int Day, int today, TDateTime date) {
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
    return DayMatches(Day, today.Day, date);
}

// The set time, or Forward minutes before it on the same day; never across midnight.
bool TimeMatches(TDateTime now, int Hour, int Minuter, int Forward) {
    const TimeFields time = DecodeTime(now);
    if (time.Hour == Hour && time.Minute == Minuter) {
        return true;
    }
    return Forward > 0 && time.Hour * 60 + time.Minute + Forward == Hour * 60 + Minuter;
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
