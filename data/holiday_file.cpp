#include "data/holiday_file.h"

#include "data/code_page.h"
#include "data/file_io.h"

#include <cerrno>
#include <utility>

namespace chimewell {

THolidayScheduleLoad LoadHolidaySchedule(const std::string& folder) {
    THolidayScheduleLoad load{THolidaySchedule::Shipped(), {}};
    const std::string path = folder + std::string(HolidayFileName);
    std::string bytes;
    errno = 0;
    const FileReadResult read = ReadWholeFile(path, bytes, MaxHolidayFileBytes);
    if (read == FileReadResult::Missing) {
        return load;
    }
    if (read != FileReadResult::Read) {
        load.Problems.push_back("无法读取 " + path + "：" + FileReadFailureText(read, errno));
        return load;
    }
    const THolidayText text = ParseHolidayText(DecodeFileText(bytes));
    for (const THolidayProblem& problem : text.Problems) {
        load.Problems.push_back(std::string(HolidayFileName) + " 第 " + std::to_string(problem.Line) + " 行：" +
                                problem.Reason + "，已跳过");
    }
    load.Schedule.ReplaceYears(text.Entries);
    return load;
}

std::vector<std::string> InstallHolidayScheduleOf(const std::string& folder) {
    THolidayScheduleLoad load = LoadHolidaySchedule(folder);
    InstallHolidaySchedule(std::move(load.Schedule));
    return std::move(load.Problems);
}

} // namespace chimewell
