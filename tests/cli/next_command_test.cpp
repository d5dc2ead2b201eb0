#include "calendar/clock.h"
#include "cli/run_cli.h"
#include "data/code_page.h"
#include "data/reminder_list.h"

#include "data/temp_folder.h"
#include "sample_record.h"

#include <gtest/gtest.h>

namespace chimewell::cli {
namespace {

using testing::DailyRecord;

// 2026-02-14 is a Saturday worked before the Spring Festival (2026-02-17); 2026-02-15 to 23 are days off.
class NextCommand : public ::testing::Test {
protected:
    NextCommand() {
        List.Reset(Folder.File("reminddata.sdt"));
        TRmMainDate standUp = DailyRecord(9, 0, "早会 #h:#t");
        standUp.Forward = 10;
        List.Add(standUp, true);
        List.Add(DailyRecord(8, 30, "$gzr$打卡"), true);
        TRmMainDate silent = DailyRecord(9, 0, "NOTSHOWREMINDBOX");
        silent.Command = "cbackup";
        silent.AutoExecScript = true;
        List.Add(silent, true);
        TRmMainDate springFestival = DailyRecord(10, 0, "春节快乐 %M月%D");
        springFestival.IsLunar = true;
        springFestival.Month = 1;
        springFestival.Day = 1;
        List.Add(springFestival, true);
        TRmMainDate past = DailyRecord(9, 0, "过去了");
        past.Year = 2020;
        List.Add(past, true);
    }

    Result Next(const Arguments& options) {
        Arguments line = {"next", "--dir", Folder.Folder()};
        line.insert(line.end(), options.begin(), options.end());
        return RunCli(line);
    }

    testing::TempFolder Folder;
    TRmDataList List;
};

TEST_F(NextCommand, ListsTheFiringsInTimeOrderThenListOrder) {
    const Result agenda = Next({"--at", "2026-02-13 08:00", "--count", "6"});
    EXPECT_EQ(agenda.Status, 0) << agenda.Err;
    EXPECT_EQ(agenda.Out, "2026-02-13 08:30\t1\tshow\t打卡\n"
                          "2026-02-13 08:50\t0\tshow\t早会 08:50\n"
                          "2026-02-13 09:00\t0\tshow\t早会 09:00\n"
                          "2026-02-13 09:00\t2\tsilent\tNOTSHOWREMINDBOX\n"
                          "2026-02-14 08:30\t1\tshow\t打卡\n"
                          "2026-02-14 08:50\t0\tshow\t早会 08:50\n");
    EXPECT_EQ(agenda.Err, "");
}

TEST_F(NextCommand, DaysBoundTheAgendaAndFailedConditionsAreNoFirings) {
    List.Delete(2, true);
    List.Delete(0, true);
    const Result holidays = Next({"--at", "2026-02-14 09:00", "--days", "9"});
    EXPECT_EQ(holidays.Out, "2026-02-17 10:00\t1\tshow\t春节快乐 一月初一\n")
        << "no clocking in on the days off, nothing after the ninth day";
    EXPECT_EQ(Next({"--at", "2026-02-14 09:00", "--days", "10"}).Out, "2026-02-17 10:00\t1\tshow\t春节快乐 一月初一\n"
                                                                      "2026-02-24 08:30\t0\tshow\t打卡\n");
}

TEST_F(NextCommand, AHolidayConditionInAnUnknownYearGivesItsNotice) {
    const Result newYear = Next({"--at", "2026-12-31 09:00", "--count", "1"});
    EXPECT_EQ(newYear.Out, "2027-01-01 08:30\t1\tshow\t打卡\n");
    EXPECT_EQ(newYear.Err, "2027 年的节假日安排尚未收录，按周一至周五计算\n");
    EXPECT_EQ(Next({"--at", "2026-12-30 09:00", "--count", "3"}).Err, "") << "the agenda ends before 2027";
    testing::WriteBytes(Folder.File("holidays.txt"), EncodeFileText("2027-01-01\t休\t元旦\n"));
    const Result known = Next({"--at", "2026-12-31 09:00", "--count", "2"});
    EXPECT_EQ(known.Out, "2027-01-01 08:50\t0\tshow\t早会 08:50\n"
                         "2027-01-01 09:00\t0\tshow\t早会 09:00\n");
    EXPECT_EQ(known.Err, "");
}

TEST_F(NextCommand, StartsFromTheClockWithoutAt) {
    ClockOverride clock(EncodeDateTime(2026, 3, 2, 8, 55, 30));
    EXPECT_EQ(Next({"--count", "2"}).Out, "2026-03-02 09:00\t0\tshow\t早会 09:00\n"
                                          "2026-03-02 09:00\t2\tsilent\tNOTSHOWREMINDBOX\n");
}

TEST_F(NextCommand, MalformedOptionsAreRefused) {
    for (const Arguments& line :
         {Arguments{"--count", "0"}, Arguments{"--days", "x"}, Arguments{"--at", "2026-02-30 08:00"},
          Arguments{"--count"}, Arguments{"--bogus", "1"}, Arguments{"stray"}}) {
        const Result refused = Next(line);
        EXPECT_EQ(refused.Status, 2) << line.front();
        EXPECT_EQ(refused.Out, "");
    }
}

} // namespace
} // namespace chimewell::cli
