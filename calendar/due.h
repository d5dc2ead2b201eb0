#pragma once
// Whether a reminder's date and time fields fall due at a given minute or on a given day, and the minute
// and hour edge detectors of the tick.

#include "calendar/datetime.h"

namespace chimewell {

// A lunar Month of 13 makes Day a solar-term index.
inline constexpr int SolarTermMonth = 13;
// A Day with this bit set is a set of weekdays: 0x01 Monday .. 0x40 Sunday.
inline constexpr int WeekdayMask = 0x80;

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
