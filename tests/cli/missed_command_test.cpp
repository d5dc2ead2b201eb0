#include "cli/run_cli.h"
#include "data/reminder_list.h"

#include "data/temp_folder.h"
#include "sample_record.h"

#include <gtest/gtest.h>

namespace chimewell::cli {
namespace {

using testing::DailyRecord;

class MissedCommand : public ::testing::Test {
protected:
    MissedCommand() {
        List.Reset(Folder.File("reminddata.sdt"));
        List.Add(DailyRecord(10, 5, "站会 #h:#t"), true);
        TRmMainDate silent = DailyRecord(10, 5, "NOTSHOWREMINDBOX");
        silent.Command = "cbackup";
        silent.AutoExecScript = true;
        List.Add(silent, true);
        List.Add(DailyRecord(8, 0, "$gzr$打卡"), true);
    }
    Result Missed(const std::string& since, const std::string& at) {
        return RunCli({"missed", "--dir", Folder.Folder(), "--since", since, "--at", at});
    }

    testing::TempFolder Folder;
    TRmDataList List;
};

TEST_F(MissedCommand, TheFiringsBetweenTheTwoMinutesInTimeThenListOrder) {
    const Result slept = Missed("2026-12-08 10:04", "2026-12-08 10:20");
    EXPECT_EQ(slept.Status, 0) << slept.Err;
    EXPECT_EQ(slept.Out, "2026-12-08 10:05\t0\tshow\t站会 10:05\n2026-12-08 10:05\t1\tsilent\tNOTSHOWREMINDBOX\n");
    EXPECT_EQ(Missed("2026-12-08 10:05", "2026-12-08 10:20").Out, "") << "10:05 was checked";
    EXPECT_EQ(Missed("2026-12-08 10:00", "2026-12-08 10:05").Out, "") << "10:05 is the minute checked now";
}

// Off over a weekend: the window reaches back 24 hours, and the workday condition is judged on each day.
TEST_F(MissedCommand, NoOlderThanTheWindowAndConditionsAtTheirOwnMinute) {
    EXPECT_EQ(Missed("2026-12-04 18:00", "2026-12-06 09:00").Out,
              "2026-12-05 10:05\t0\tshow\t站会 10:05\n2026-12-05 10:05\t1\tsilent\tNOTSHOWREMINDBOX\n")
        << "nothing before Saturday 09:00, and Sunday 08:00 is a rest day";
    EXPECT_EQ(Missed("2026-12-06 09:00", "2026-12-07 09:00").Out,
              "2026-12-06 10:05\t0\tshow\t站会 10:05\n2026-12-06 10:05\t1\tsilent\tNOTSHOWREMINDBOX\n"
              "2026-12-07 08:00\t2\tshow\t打卡\n");
    EXPECT_EQ(RunCli({"missed", "--dir", Folder.Folder(), "--at", "2026-12-08 10:20"}).Status, 2) << "--since";
}

} // namespace
} // namespace chimewell::cli
