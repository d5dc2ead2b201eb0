// The commands that answer from the holiday schedule: the shipped one, the folder's holidays.txt, and the notice
// for a year neither knows.

#include "calendar/holidays.h"
#include "cli/run_cli.h"
#include "data/code_page.h"

#include "data/temp_folder.h"

#include <gtest/gtest.h>

namespace chimewell::cli {
namespace {

const std::string Notice2027 = "2027 年的节假日安排尚未收录，按周一至周五计算\n";

TEST(WorkdayCommand, ClassifiesByTheShippedScheduleAndSaysOnceWhenAYearIsGuessed) {
    testing::TempFolder folder;
    const Result days = RunCli(
        {"workday", "--dir", folder.Folder(), "2026-02-14", "2026-02-16", "2026-03-02", "2027-01-01", "2027-01-02"});
    EXPECT_EQ(days.Status, 0) << days.Err;
    EXPECT_EQ(days.Out, "2026-02-14\tworkday\t春节\n"
                        "2026-02-16\trestday\t春节\n"
                        "2026-03-02\tworkday\t\n"
                        "2027-01-01\tworkday\t\n"
                        "2027-01-02\trestday\t\n");
    EXPECT_EQ(days.Err, Notice2027);
}

// The user's file in the data folder, saved by an editor in the program's code page, with one line mistyped.
TEST(WorkdayCommand, TheUsersFileAddsAYearAndReportsItsBadLinesByNumber) {
    testing::TempFolder folder;
    testing::WriteBytes(folder.File("holidays.txt"), EncodeFileText("2027-01-01\t休\t元旦\n"
                                                                    "2027-01-32\t休\t元旦\n"
                                                                    "2027-02-20\t班\t春节\n"));
    const Result days = RunCli({"workday", "--dir", folder.Folder(), "2027-01-01", "2027-02-20", "2027-03-01"});
    EXPECT_EQ(days.Status, 0);
    EXPECT_EQ(days.Out, "2027-01-01\trestday\t元旦\n"
                        "2027-02-20\tworkday\t春节\n"
                        "2027-03-01\tworkday\t\n");
    EXPECT_EQ(days.Err, "chimewell-cli: holidays.txt 第 2 行：日期“2027-01-32”不正确，应为 YYYY-MM-DD，已跳过\n");
    EXPECT_FALSE(IsHolidayYearKnown(2027)) << "the folder's schedule lasts as long as the command";
}

// 2026-02-14 is a Saturday worked before the Spring Festival; February 15 to 23 are days off.
TEST(CalCommand, MarksTheOfficialDaysOffAndTheWeekendDaysWorked) {
    testing::TempFolder folder;
    // Weeks from Sunday, as the settings ask.
    testing::WriteBytes(folder.File("config.ini"), "[Config]\r\nBeginWithSunday=1\r\n");
    const Result february = RunCli({"cal", "--dir", folder.Folder(), "2026", "2"});
    EXPECT_EQ(february.Status, 0);
    EXPECT_NE(february.Out.find("廿七\n" + std::string(50, ' ') + "班\n  15"), std::string::npos) << february.Out;
    EXPECT_NE(february.Out.find("\n  休      休      休      休      休      休      休\n"), std::string::npos);
    EXPECT_EQ(february.Err, "");
    const Result march = RunCli({"cal", "--dir", folder.Folder(), "2026", "3"});
    EXPECT_EQ(march.Out.find("休"), std::string::npos) << "a month without listed days has no marks";

    const Result unknown = RunCli({"cal", "--dir", folder.Folder(), "2027", "1"});
    EXPECT_EQ(unknown.Out.find("休"), std::string::npos);
    EXPECT_EQ(unknown.Err, "2027 年的节假日安排尚未收录，按周一至周五计算\n");
    testing::WriteBytes(folder.File("holidays.txt"), EncodeFileText("2027-01-01\t休\t元旦\n"));
    const Result added = RunCli({"cal", "--dir", folder.Folder(), "2027"});
    EXPECT_NE(added.Out.find("\n" + std::string(42, ' ') + "休\n"), std::string::npos) << "under Friday the 1st";
    EXPECT_EQ(added.Err, "");

    // The settings' first day of the week, as the month window has it: Monday unless they say Sunday.
    testing::TempFolder monday;
    const Result weeks = RunCli({"cal", "--dir", monday.Folder(), "2026", "2"});
    EXPECT_NE(weeks.Out.find("\n  一      二      三      四      五      六      日\n"), std::string::npos)
        << weeks.Out;
    EXPECT_NE(weeks.Out.find("\n" + std::string(42, ' ') + "班      休\n"), std::string::npos) << "Saturday the 14th";
}

TEST(WorkdayCommand, MalformedArgumentsAreRefused) {
    EXPECT_EQ(RunCli({"workday"}).Status, 2);
    const Result badDate = RunCli({"workday", "2026-02-30"});
    EXPECT_EQ(badDate.Status, 2);
    EXPECT_NE(badDate.Err.find("2026-02-30"), std::string::npos);
    EXPECT_EQ(RunCli({"workday", "--dir"}).Status, 2);
    EXPECT_EQ(RunCli({"workday", "--sunday", "2026-01-01"}).Status, 2);
}

} // namespace
} // namespace chimewell::cli
