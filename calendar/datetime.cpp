#include "calendar/datetime.h"

#include <cstdio>

#include <cmath>

namespace chimewell {

namespace {
constexpr double MillisecondsPerDay = 86400000.0;

// Milliseconds since midnight, rounded to the nearest millisecond so that values built from whole
// minutes decode to those minutes despite binary fractions.
std::int64_t TimeMilliseconds(TDateTime value) {
    const double fraction = value - std::floor(value);
    auto ms = static_cast<std::int64_t>(std::llround(fraction * MillisecondsPerDay));
    return ms >= 86400000 ? 86399999 : ms;
}
} // namespace

std::int64_t SerialDay(TDateTime value) {
    // A time of day that rounds up to the next midnight belongs to the next day.
    const double day = std::floor(value);
    const double fraction = value - day;
    if (std::llround(fraction * MillisecondsPerDay) >= 86400000) {
        return static_cast<std::int64_t>(day) + 1;
    }
    return static_cast<std::int64_t>(day);
}

std::chrono::sys_days ToSysDays(TDateTime value) {
    return std::chrono::sys_days{std::chrono::days{SerialDay(value) + DateTimeEpochDays}};
}

TDateTime FromSysDays(std::chrono::sys_days days) {
    return static_cast<TDateTime>(days.time_since_epoch().count() - DateTimeEpochDays);
}

TDateTime EncodeDate(int year, int month, int day) {
    using namespace std::chrono;
    const year_month_day ymd{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                             std::chrono::day{static_cast<unsigned>(day)}};
    return FromSysDays(sys_days{ymd});
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
    const double time = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
    return EncodeDate(year, month, day) + time / MillisecondsPerDay;
}

TDateTime DateOf(TDateTime value) {
    return static_cast<TDateTime>(SerialDay(value));
}

DateFields DecodeDate(TDateTime value) {
    const std::chrono::year_month_day ymd{ToSysDays(value)};
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

TimeFields DecodeTime(TDateTime value) {
    if (SerialDay(value) != static_cast<std::int64_t>(std::floor(value))) {
        return {};
    }
    const std::int64_t ms = TimeMilliseconds(value); // [0, 86399999]
    return {static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
            static_cast<int>(ms % 1000)};
}

int DayOfWeek(TDateTime value) {
    const std::chrono::weekday weekday{ToSysDays(value)};
    return static_cast<int>(weekday.c_encoding()) + 1; // [1, 7]
}

int DayOfYear(TDateTime value) {
    const DateFields date = DecodeDate(value);
    return static_cast<int>(SerialDay(value) - SerialDay(EncodeDate(date.Year, 1, 1))) + 1;
}

bool IsGregorianLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsValidGregorianDate(int year, int month, int day) {
    using namespace std::chrono;
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) {
        return false;
    }
    return year_month_day{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                          std::chrono::day{static_cast<unsigned>(day)}}
        .ok();
}

TDateTime MinuteOf(TDateTime moment) {
    const DateFields date = DecodeDate(moment);
    const TimeFields time = DecodeTime(moment);
    return EncodeDateTime(date.Year, date.Month, date.Day, time.Hour, time.Minute);
}

std::string FormatMinute(TDateTime minute) {
    const DateFields date = DecodeDate(minute);
    const TimeFields time = DecodeTime(minute);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", date.Year, date.Month, date.Day, time.Hour,
                  time.Minute);
    return text;
}

std::optional<TDateTime> ParseMinute(const std::string& text) {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    char tail = 0;
    if (text.size() != 16 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%c", &year, &month, &day, &hour, &minute, &tail) != 5 ||
        !IsValidGregorianDate(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59) {
        return std::nullopt;
    }
    return EncodeDateTime(year, month, day, hour, minute);
}

} // namespace chimewell
