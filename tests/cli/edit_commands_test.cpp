// delete and set: what they change, what they refuse without writing, and that a running program's list and
// theirs lose nothing of each other.

#include "cli/commands.h"
#include "cli/run_cli.h"
#include "data/reminder_list.h"
#include "data/reminder_schedule.h"

#include "data/temp_folder.h"
#include "sample_record.h"

#include <gtest/gtest.h>

namespace chimewell::cli {
namespace {

using chimewell::testing::DatedRecord;
using chimewell::testing::ReadBytes;

class EditCommands : public ::testing::Test {
protected:
    EditCommands() {
        List.Reset(Path);
        List.Add(DatedRecord(0, 3, 15, 9, 30, "交房租"), true);
        List.Add(DatedRecord(0, 0, 0x80 | 0x05, 10, 0, "例会"), true);
        List.Add(DatedRecord(2027, 1, 5, 8, 0, "体检"), true);
    }
    TRmDataList Loaded() const {
        TRmDataList list;
        list.Reset(Path);
        list.Load();
        return list;
    }

    chimewell::testing::TempFolder Folder;
    std::string Path = Folder.File("reminddata.sdt");
    TRmDataList List;
};

TEST_F(EditCommands, DeleteRemovesTheChosenAndPrintsTheirLines) {
    const Result deleted = RunCli({"delete", "--dir", Folder.Folder(), "2", "0"});
    ASSERT_EQ(deleted.Status, 0) << deleted.Err;
    EXPECT_EQ(deleted.Out.rfind("0\t0\t公历，每年3月15日9时30分", 0), 0U) << deleted.Out;
    EXPECT_NE(deleted.Out.find("\n2\t0\t公历，2027年1月5日8时0分"), std::string::npos) << deleted.Out;
    const TRmDataList left = Loaded();
    ASSERT_EQ(left.Count, 1);
    EXPECT_EQ(left.Item(0).Message, "例会");
}

TEST_F(EditCommands, SetChangesKeysByTheirStoredNames) {
    const Result set = RunCli({"set", "--dir", Folder.Folder(), "1", "message=双周例会", "Interval=2w",
                               "StartDate=2026-12-07", "Warnings=1d,30m", "EndCount=10"});
    ASSERT_EQ(set.Status, 0) << set.Err;
    EXPECT_EQ(set.Out,
              "1\t0\t公历，每隔 2 周的星期一、三10时0分0方式，从 2026-12-07 起，共 10 次，不提前，另提前 1 天、30 "
              "分钟，提醒为：双周例会(无音乐)(无脚本)\n");
    const TRmMainDate changed = Loaded().Item(1);
    EXPECT_EQ(changed.Every, RepeatUnit::Weeks);
    EXPECT_EQ(FormatWarnings(changed.Warnings), "1d,30m");
    // An empty value clears a key after the 15.
    ASSERT_EQ(RunCli({"set", "--dir", Folder.Folder(), "1", "Warnings=", "Interval=", "EndCount="}).Status, 0);
    EXPECT_FALSE(Loaded().Item(1).Warnings.size() > 0 || Loaded().Item(1).Every != RepeatUnit::None);
}

TEST_F(EditCommands, WhatCannotBeWrittenIsRefusedWithoutWriting) {
    const std::string before = ReadBytes(Path);
    for (const Arguments& arguments :
         std::vector<Arguments>{{"set", "--dir", Folder.Folder(), "3", "Hour=8"},
                                {"set", "--dir", Folder.Folder(), "0", "Hour=24"},
                                {"set", "--dir", Folder.Folder(), "0", "Warnings=1d,61d"},
                                {"set", "--dir", Folder.Folder(), "0", "Warnings=1d,tomorrow"},
                                {"set", "--dir", Folder.Folder(), "0", "Interval=0w"},
                                {"set", "--dir", Folder.Folder(), "0", "EndDate=2027-02-30"},
                                {"set", "--dir", Folder.Folder(), "0", "StartDate=2027-06-01", "EndDate=2027-05-31"},
                                {"set", "--dir", Folder.Folder(), "0", "Colour=red"},
                                {"set", "--dir", Folder.Folder(), "0"},
                                {"delete", "--dir", Folder.Folder(), "-1"},
                                {"delete", "--dir", Folder.Folder()}}) {
        const Result refused = RunCli(arguments);
        EXPECT_EQ(refused.Status, 2) << arguments.back() << ": " << refused.Out;
        EXPECT_FALSE(refused.Err.empty());
    }
    EXPECT_EQ(ReadBytes(Path), before);
}

// The program holds the list while a script changes it: the program's next save keeps the script's change, and
// the script's write kept what the program had saved.
TEST_F(EditCommands, ARunningProgramAndTheCommandsKeepEachOthersChanges) {
    TRmDataList program;
    program.Reset(Path);
    program.Load();
    ASSERT_EQ(RunCli({"set", "--dir", Folder.Folder(), "0", "Message=交房租和水电"}).Status, 0);
    program.Add(DatedRecord(0, 0, 0, 7, 0, "吃药"), true);
    ASSERT_EQ(RunCli({"delete", "--dir", Folder.Folder(), "2"}).Status, 0);
    program.ReloadIfChanged();
    ASSERT_EQ(program.Count, 3);
    EXPECT_EQ(program.Item(0).Message, "交房租和水电");
    EXPECT_EQ(program.Item(1).Message, "例会");
    EXPECT_EQ(program.Item(2).Message, "吃药");
    EXPECT_EQ(Loaded().Count, 3);
}

TEST_F(EditCommands, AddReadsPlainChineseAndWritesAsTheProgramWrites) {
    TRmDataList program;
    program.Reset(Path);
    program.Load();
    const Result added = RunCli({"add", "--dir", Folder.Folder(), "--at", "2026-03-10 14:20", "明天下午三点", "开会"});
    ASSERT_EQ(added.Status, 0) << added.Err;
    EXPECT_EQ(
        added.Out.rfind(
            "3\t0\t公历，2026年3月11日15时0分0方式，不提前，提醒为：开会(无音乐)(无脚本)\n下次提醒：2026年3月11日 "
            "星期三 15:00",
            0),
        0U)
        << added.Out;
    // The program, holding the list from before, adds its own: both stay.
    program.Add(DatedRecord(0, 0, 0, 7, 0, "吃药"), true);
    const TRmDataList both = Loaded();
    ASSERT_EQ(both.Count, 5);
    EXPECT_EQ(both.Item(3).Message, "开会");
    EXPECT_EQ(both.Item(4).Message, "吃药");

    const std::string before = ReadBytes(Path);
    const Result dry = RunCli({"add", "--dir", Folder.Folder(), "--dry-run", "每隔两周的周五18:00 发工资"});
    EXPECT_EQ(dry.Status, 0) << dry.Err;
    EXPECT_NE(dry.Out.find("每隔 2 周的星期五18时0分"), std::string::npos) << dry.Out;
    const Result past = RunCli({"add", "--dir", Folder.Folder(), "--at", "2026-06-10 16:00", "今天下午3点取快递"});
    EXPECT_EQ(past.Status, 2);
    EXPECT_NE(past.Err.find("过去"), std::string::npos) << past.Err;
    EXPECT_EQ(ReadBytes(Path), before);
    // An hour without a part of the day is read one way, and the other reading is said.
    const Result ambiguous = RunCli({"add", "--dir", Folder.Folder(), "--at", "2026-06-10 16:00", "3点开会"});
    EXPECT_EQ(ambiguous.Status, 0);
    EXPECT_NE(ambiguous.Err.find("the other reading"), std::string::npos);
    // The set time is the next firing; a warning before it is told as a warning, not as the reminder.
    const Result warned =
        RunCli({"add", "--dir", Folder.Folder(), "--dry-run", "--at", "2026-12-10 11:00", "腊月廿三 提前一天 买糖瓜"});
    EXPECT_NE(warned.Out.find("\n下次提醒：2027年1月30日 星期六 09:00（农历腊月廿三）\n下次提前提醒：2027年1月29日"),
              std::string::npos)
        << warned.Out;
}

} // namespace
} // namespace chimewell::cli
