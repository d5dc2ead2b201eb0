#include "data/code_page.h"
#include "data/holiday_file.h"

#include "data/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace chimewell {
namespace {

class HolidayFile : public ::testing::Test {
protected:
    testing::TempFolder Folder;
};

TEST_F(HolidayFile, WithoutAFileTheShippedScheduleStands) {
    const THolidayScheduleLoad load = LoadHolidaySchedule(Folder.Folder());
    EXPECT_TRUE(load.Problems.empty());
    EXPECT_EQ(load.Schedule.Years(), THolidaySchedule::Shipped().Years());
}

// The file is edited by hand, in whatever code page the editor saves: GB18030 as the program's other files, or
// UTF-8.
TEST_F(HolidayFile, AddsTheYearsOfTheFileInEitherCodePageAndReportsBadLines) {
    const std::string text = "# 2027 年放假安排\r\n"
                             "2027-02-06\t休\t春节\r\n"
                             "2027-02-31\t休\t春节\r\n"
                             "2027-02-20\t班\t春节\r\n";
    for (const std::string& bytes : {EncodeFileText(text), "\xEF\xBB\xBF" + text}) {
        testing::WriteBytes(Folder.File("holidays.txt"), bytes);
        const THolidayScheduleLoad load = LoadHolidaySchedule(Folder.Folder());
        EXPECT_TRUE(load.Schedule.KnowsYear(2027));
        EXPECT_TRUE(load.Schedule.KnowsYear(2026)) << "the shipped years stay";
        EXPECT_FALSE(load.Schedule.IsWorkday(EncodeDate(2027, 2, 6)));
        EXPECT_EQ(load.Schedule.DayOf(EncodeDate(2027, 2, 20)).Holiday, "春节");
        EXPECT_EQ(load.Problems,
                  (std::vector<std::string>{"holidays.txt 第 3 行：日期“2027-02-31”不正确，应为 YYYY-MM-DD，已跳过"}));
    }
}

TEST_F(HolidayFile, TheProgramInstallsTheMergedScheduleForTheWholeProcess) {
    testing::WriteBytes(Folder.File("holidays.txt"), EncodeFileText("2027-10-01\t休\t国庆节\nx\n"));
    EXPECT_EQ(InstallHolidayScheduleOf(Folder.Folder()).size(), 1U);
    EXPECT_FALSE(IsOfficialWorkday(EncodeDate(2027, 10, 1)));
    InstallHolidaySchedule(THolidaySchedule::Shipped());
    EXPECT_TRUE(IsOfficialWorkday(EncodeDate(2027, 10, 1)));
}

TEST_F(HolidayFile, AFileThatCannotBeReadIsReportedAndTheShippedScheduleStands) {
    std::filesystem::create_directory(Folder.File("holidays.txt"));
    const THolidayScheduleLoad folderInstead = LoadHolidaySchedule(Folder.Folder());
    ASSERT_EQ(folderInstead.Problems.size(), 1U);
    EXPECT_EQ(folderInstead.Problems[0].rfind("无法读取 " + Folder.File("holidays.txt") + "：", 0), 0U)
        << folderInstead.Problems[0];
    EXPECT_TRUE(folderInstead.Schedule.KnowsYear(2026));

    std::filesystem::remove(Folder.File("holidays.txt"));
    testing::WriteBytes(Folder.File("holidays.txt"), std::string(MaxHolidayFileBytes + 1, '#'));
    const THolidayScheduleLoad tooLarge = LoadHolidaySchedule(Folder.Folder());
    ASSERT_EQ(tooLarge.Problems.size(), 1U);
    EXPECT_NE(tooLarge.Problems[0].find("文件太大"), std::string::npos);
}

} // namespace
} // namespace chimewell
