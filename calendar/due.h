#pragma once
// Whether a reminder's date and time fields fall due at a given minute or on a given day, and the minute
// and hour edge detectors of the tick.

#include "calendar/datetime.h"
#include "calendar/lunar.h"

namespace chimewell {

// A lunar Month of 13 makes Day a solar-term index.
inline constexpr int SolarTermMonth = 13;
// A Day with this bit set is a set of weekdays: 0x01 Monday .. 0x40 Sunday.
inline constexpr int WeekdayMask = 0x80;

// Everything the due tests ask of one moment, worked out once for a whole pass over the list: the date in both
// calendars, the weekday, the minute of the day and the solar term of the day. The lunar date and the term are
// worked out when first asked for.
class TDueMoment {
public:
    explicit TDueMoment(TDateTime now);

    TDateTime Date;
    DateFields Solar;
    int WeekdayBit; // 0x01 Monday .. 0x40 Sunday
    int Hour;
    int Minute;

    const LunarDate& Lunar() const;
    int LunarMonthLength() const;
    bool IsSolarTerm(int index) const;

private:
    mutable bool LunarKnown = false;
    mutable LunarDate LunarToday;
    mutable int TermToday = -2; // -2 not yet asked, -1 none
};

// The due tests at a moment worked out beforehand; the same answers as the functions below.
bool IsDateTimeDueAt(const TDueMoment& moment, bool IsLunar, int Year, int Month, int Day, int Hour, int Minuter,
                     int Forward, bool IsLeapMonth, bool checkTime);

// The work functions take the moment; seconds are ignored.
bool IsSolarDateTimeDueAt(TDateTime now, int Year, int Month, int Day, int Hour, int Minuter, int Forward,
                          bool checkTime);
bool IsLunarDateTimeDueAt(TDateTime now, int Year, int Month, int Day, int Hour, int Minuter, int Forward,
                          bool IsLeapMonth, bool checkTime);

// The same at the clock's current moment.
bool IsSolarDateTimeDue(int Year, int Month, int Day, int Hour, int Minuter, int Forward, bool checkTime);
bool IsLunarDateTimeDue(int Year, int Month, int Day, int Hour, int Minuter, int Forward, bool IsLeapMonth,
                        bool checkTime);
bool IsSolarDateDue(int Year, int Month, int Day);
bool IsLunarDateDue(int Year, int Month, int Day, bool IsLeapMonth);

// True when the clock's minute (hour) differs from the remembered one, which then takes the new value.
bool MinuteChanged(int& rememberedMinute);
bool HourChanged(int& rememberedHour);

} // namespace chimewell
