#include "calendar/due.h"

#include "calendar/clock.h"
#include "calendar/lunar.h"
#include "calendar/solar_terms.h"

#include <cstdint>

namespace chimewell {

namespace {
// Monday = bit 0x01 .. Sunday = bit 0x40; DayOfWeek counts 1 = Sunday .. 7 = Saturday.
int WeekdayBitOf(TDateTime date) {
    const int weekday = DayOfWeek(date);
    return weekday == 1 ? 0x40 : 1 << (weekday - 2);
}

bool DayMatches(int Day, int today, int weekdayBit) {
    // Day is a field of a hand-editable file: any value must give an answer.
    if (Day == 0 || Day == today) {
        return true;
    }
    if ((Day & WeekdayMask) == 0) {
        return false;
    }
    return (Day & weekdayBit) != 0;
}

bool SolarDateMatches(const TDueMoment& moment, int Year, int Month, int Day) {
    if (Year != 0 && Year != moment.Solar.Year) {
        return false;
    }
    if (Month != 0 && Month != moment.Solar.Month) {
        return false;
    }
    return DayMatches(Day, moment.Solar.Day, moment.WeekdayBit);
}

bool LunarDateMatches(const TDueMoment& moment, int Year, int Month, int Day, bool IsLeapMonth) {
    const LunarDate& today = moment.Lunar();
    if (Year != 0 && Year != today.Year) {
        return false;
    }
    if (Month == SolarTermMonth) {
        return moment.IsSolarTerm(Day);
    }
    if (Month != 0 && (Month != today.Month || IsLeapMonth != today.IsLeapMonth)) {
        return false;
    }
    // A lunar month has 29 or 30 days, varying from year to year. A reminder for day 30 of every year (除夕 on
    // the twelfth month's 30th) falls on the month's last day, the 29th, when the month is short that year. A
    // reminder for one particular year names a date that either exists or never comes.
    if (Year == 0 && Day == 30 && today.Day == 29 && moment.LunarMonthLength() == 29) {
        return true;
    }
    return DayMatches(Day, today.Day, moment.WeekdayBit);
}

// The set time, or Forward minutes before it on the same day; never across midnight. Wide arithmetic, since
// hand-edited fields may hold any 32-bit value.
bool TimeMatches(const TDueMoment& moment, int Hour, int Minuter, int Forward) {
    if (moment.Hour == Hour && moment.Minute == Minuter) {
        return true;
    }
    const std::int64_t minuteOfDay = moment.Hour * 60 + moment.Minute; // [0, 1439]
    const std::int64_t setMinute = std::int64_t{Hour} * 60 + Minuter;
    return Forward > 0 && minuteOfDay + Forward == setMinute;
}
} // namespace

TDueMoment::TDueMoment(TDateTime now) : Date(DateOf(now)), Solar(DecodeDate(now)), WeekdayBit(WeekdayBitOf(now)) {
    const TimeFields time = DecodeTime(now);
    Hour = time.Hour;
    Minute = time.Minute;
}

const LunarDate& TDueMoment::Lunar() const {
    if (!LunarKnown) {
        LunarToday = SolarToLunar(Date);
        LunarKnown = true;
    }
    return LunarToday;
}

int TDueMoment::LunarMonthLength() const {
    const LunarDate& today = Lunar();
    if (today.IsEmpty()) {
        return 0;
    }
    return today.IsLeapMonth ? LunarLeapMonthDays(today.Year) : LunarMonthDays(today.Year, today.Month);
}

bool TDueMoment::IsSolarTerm(int index) const {
    if (TermToday == -2) {
        TermToday = -1;
        // Only the two terms of the month can fall on one of its days.
        for (const int term : {2 * (Solar.Month - 1), 2 * (Solar.Month - 1) + 1}) {
            if (IsSolarTermOn(Date, term)) {
                TermToday = term;
            }
        }
    }
    return index >= 0 && index == TermToday;
}

bool IsDateTimeDueAt(const TDueMoment& moment, bool IsLunar, int Year, int Month, int Day, int Hour, int Minuter,
                     int Forward, bool IsLeapMonth, bool checkTime) {
    const bool dateMatches =
        IsLunar ? LunarDateMatches(moment, Year, Month, Day, IsLeapMonth) : SolarDateMatches(moment, Year, Month, Day);
    return dateMatches && (!checkTime || TimeMatches(moment, Hour, Minuter, Forward));
}

bool IsSolarDateTimeDueAt(TDateTime now, int Year, int Month, int Day, int Hour, int Minuter, int Forward,
                          bool checkTime) {
    return IsDateTimeDueAt(TDueMoment(now), false, Year, Month, Day, Hour, Minuter, Forward, false, checkTime);
}

bool IsLunarDateTimeDueAt(TDateTime now, int Year, int Month, int Day, int Hour, int Minuter, int Forward,
                          bool IsLeapMonth, bool checkTime) {
    return IsDateTimeDueAt(TDueMoment(now), true, Year, Month, Day, Hour, Minuter, Forward, IsLeapMonth, checkTime);
}

bool IsSolarDateTimeDue(int Year, int Month, int Day, int Hour, int Minuter, int Forward, bool checkTime) {
    return IsSolarDateTimeDueAt(Now(), Year, Month, Day, Hour, Minuter, Forward, checkTime);
}

bool IsLunarDateTimeDue(int Year, int Month, int Day, int Hour, int Minuter, int Forward, bool IsLeapMonth,
                        bool checkTime) {
    return IsLunarDateTimeDueAt(Now(), Year, Month, Day, Hour, Minuter, Forward, IsLeapMonth, checkTime);
}

bool IsSolarDateDue(int Year, int Month, int Day) {
    return SolarDateMatches(TDueMoment(Today()), Year, Month, Day);
}

bool IsLunarDateDue(int Year, int Month, int Day, bool IsLeapMonth) {
    return LunarDateMatches(TDueMoment(Today()), Year, Month, Day, IsLeapMonth);
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
