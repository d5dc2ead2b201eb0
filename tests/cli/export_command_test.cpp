#include "cli/run_cli.h"
#include "data/temp_folder.h"
#include "exchange/exchange_file.h"
#include "exchange/ical_file.h"
#include "exchange/sample_reminders.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace chimewell::cli {
namespace {

using testing::ReadBytes;

class ExportCommand : public ::testing::Test {
protected:
    ExportCommand() {
        // ics in this process, as its helper runs it.
        UseIcs(RunIcs);
        testing::WriteDataFile(Folder.File("reminddata.sdt"), testing::FiveSampleReminders());
    }

    testing::TempFolder Folder;
};

TEST_F(ExportCommand, WritesTheFileTheProgramsExportWrites) {
    const Result result = RunCli({"export", "--dir", Folder.Folder(), "--items", "5,2,2", Folder.File("cli.txt")});
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_TRUE(result.Out.empty());
    ASSERT_TRUE(ExportReminders(Folder.File("reminddata.sdt"), Folder.File("program.txt"), {2, 5}));
    EXPECT_EQ(ReadBytes(Folder.File("cli.txt")), ReadBytes(Folder.File("program.txt")));
    EXPECT_NE(RunCli({"--help"}).Out.find("export [--dir DIR] --items"), std::string::npos);
}

TEST_F(ExportCommand, SaysOnStandardErrorWhatTheExchangeFileCannotHold) {
    TRmDataList list = testing::LoadedList(Folder.File("reminddata.sdt"));
    TRmMainDate record = list.Item(1);
    record.Every = RepeatUnit::Days;
    record.EveryCount = 3;
    record.StartDate = 20261201;
    list.Replace(list.Item(1), 1, record);
    const Result result = RunCli({"export", "--dir", Folder.Folder(), "--items", "1,2", Folder.File("cli.txt")});
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_NE(result.Err.find(ScheduleLeftBehindNotice), std::string::npos) << result.Err;
    EXPECT_TRUE(RunCli({"export", "--dir", Folder.Folder(), "--items", "1", Folder.File("one.txt")}).Err.empty());
}

TEST_F(ExportCommand, RefusesAnExistingFileAndPositionsTheListLacks) {
    testing::WriteBytes(Folder.File("mine.txt"), "mine");
    const Result existing = RunCli({"export", "--dir", Folder.Folder(), "--items", "1", Folder.File("mine.txt")});
    EXPECT_EQ(existing.Status, 1);
    EXPECT_NE(existing.Err.find("exists already"), std::string::npos) << existing.Err;
    EXPECT_EQ(ReadBytes(Folder.File("mine.txt")), "mine");

    const Result beyond = RunCli({"export", "--dir", Folder.Folder(), "--items", "2,6", Folder.File("new.txt")});
    EXPECT_EQ(beyond.Status, 1);
    EXPECT_FALSE(std::filesystem::exists(Folder.File("new.txt")));
    for (const Arguments& malformed : std::vector<Arguments>{{"export", "--dir", Folder.Folder(), "x.txt"},
                                                             {"export", "--items", "0", "x.txt"},
                                                             {"export", "--items", "1,,2", "x.txt"},
                                                             {"export", "--items", "1"},
                                                             {"export", "--items", "1", "a.txt", "b.txt"}}) {
        EXPECT_EQ(RunCli(malformed).Status, 2) << malformed.back();
    }
}

} // namespace
} // namespace chimewell::cli

namespace chimewell::cli {
namespace {

TEST_F(ExportCommand, IcsWritesEveryReminderAndGivesEachAUidOnce) {
    const std::string data = Folder.File("reminddata.sdt");
    const Result result =
        RunCli({"ics", "--dir", Folder.Folder(), "--at", "2026-12-09 10:00", "--years", "1", Folder.File("all.ics")});
    ASSERT_EQ(result.Status, 0) << result.Err;
    const TIcsImportFile back = ReadIcsFile(Folder.File("all.ics"), {EncodeDateTime(2026, 12, 9, 10, 0), false});
    ASSERT_EQ(back.Items.size(), 5U);
    const TRmDataList list = testing::LoadedList(data);
    for (std::int32_t k = 0; k < 5; ++k) {
        EXPECT_FALSE(list.Item(k).Uid.empty());
        EXPECT_EQ(back.Items[static_cast<std::size_t>(k)].Uid, list.Item(k).Uid);
    }
    const std::string before = ReadBytes(data);
    ASSERT_EQ(RunCli({"ics", "--dir", Folder.Folder(), "--items", "3", "--lunar-rules", Folder.File("one.ics")}).Status,
              0);
    EXPECT_EQ(ReadBytes(data), before) << "a reminder keeps the UID it was given";
    EXPECT_NE(ReadBytes(Folder.File("one.ics")).find("RRULE:RSCALE=CHINESE;FREQ=YEARLY;BYMONTHDAY=15;BYMONTH=8"),
              std::string::npos);

    EXPECT_EQ(RunCli({"ics", "--dir", Folder.Folder(), Folder.File("all.ics")}).Status, 1) << "never into a file";
    EXPECT_EQ(RunCli({"ics", "--dir", Folder.Folder(), "--items", "6", Folder.File("x.ics")}).Status, 1);
    EXPECT_EQ(RunCli({"ics", "--dir", Folder.Folder(), "--years", "0", Folder.File("x.ics")}).Status, 2);
    EXPECT_FALSE(std::filesystem::exists(Folder.File("x.ics")));
}

} // namespace
} // namespace chimewell::cli
