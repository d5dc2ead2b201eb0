#pragma once
// Reminder records for tests: a daily one at a time of day, or one on a date.

#include "data/reminder.h"

#include <string>

namespace chimewell::testing {

inline TRmMainDate DatedRecord(int year, int month, int day, int hour, int minute, const std::string& message) {
    TRmMainDate record;
    record.Year = year;
    record.Month = month;
    record.Day = day;
    record.Hour = hour;
    record.Minuter = minute;
    record.Message = message;
    return record;
}

inline TRmMainDate DailyRecord(int hour, int minute, const std::string& message) {
    return DatedRecord(0, 0, 0, hour, minute, message);
}

} // namespace chimewell::testing
