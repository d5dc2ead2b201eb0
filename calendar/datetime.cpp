#include "calendar/datetime.h"

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

} // namespace chimewell
