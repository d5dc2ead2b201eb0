#pragma once
// The user's own holiday schedule: a file holidays.txt in the data folder, in the shipped schedule's format,
// that adds the years published after the program was built or corrects a year.

#include "calendar/holidays.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

inline constexpr std::string_view HolidayFileName = "holidays.txt";
// A schedule takes about 800 bytes a year; anything near this is not a schedule.
inline constexpr std::size_t MaxHolidayFileBytes = 1024 * 1024;

struct THolidayScheduleLoad {
    THolidaySchedule Schedule;
    // One Chinese sentence per skipped line ("holidays.txt 第 3 行：…，已跳过") or for a file that could not be
    // read; empty when the file is missing or whole.
    std::vector<std::string> Problems;
};

// The shipped schedule with the years of folder + "holidays.txt" in place of its own. The folder ends in "/".
THolidayScheduleLoad LoadHolidaySchedule(const std::string& folder);

// What the program does at start: installs that schedule for the whole process and returns the problems, for
// the program to show.
std::vector<std::string> InstallHolidayScheduleOf(const std::string& folder);

} // namespace chimewell
