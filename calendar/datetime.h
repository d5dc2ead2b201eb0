#pragma once
// Date-time values as the program stores and compares them: days since 1899-12-30 as a double,
// the fraction being the time of day. Local time, no time zone applied.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace chimewell {

using TDateTime = double;

// 1899-12-30 counted from 1970-01-01.
inline constexpr std::int64_t DateTimeEpochDays = -25569;

struct DateFields {
    int Year = 0;
    int Month = 0;
    int Day = 0;
};

struct TimeFields {
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

// Whole days of a date-time value (the date part), rounding towards the past, also before 1899-12-30.
std::int64_t SerialDay(TDateTime value);

TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second = 0, int millisecond = 0);
TDateTime DateOf(TDateTime value);
DateFields DecodeDate(TDateTime value);
TimeFields DecodeTime(TDateTime value);

// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime value);
// Day of the year counted from 1 (January 1 is 1).
int DayOfYear(TDateTime value);
bool IsGregorianLeapYear(int year);
bool IsValidGregorianDate(int year, int month, int day);

// The whole minute that holds a moment.
TDateTime MinuteOf(TDateTime moment);
// "YYYY-MM-DD HH:MM", and back; nothing for a text that is not one.
std::string FormatMinute(TDateTime minute);
std::optional<TDateTime> ParseMinute(const std::string& text);

std::chrono::sys_days ToSysDays(TDateTime value);
TDateTime FromSysDays(std::chrono::sys_days days);

} // namespace chimewell
