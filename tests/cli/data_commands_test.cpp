#include "calendar/clock.h"
#include "cli/commands.h"
#include "cli/run_cli.h"
#include "data/code_page.h"
#include "data/reminder_list.h"

#include "data/temp_folder.h"
#include "sample_record.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace chimewell::cli {
namespace {

using testing::DatedRecord;

// Every file of the folder with its size and time of last change.
std::map<std::string, std::pair<std::uintmax_t, std::filesystem::file_time_type>>
Snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::pair<std::uintmax_t, std::filesystem::file_time_type>> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        files[entry.path().filename().string()] = {entry.file_size(), entry.last_write_time()};
    }
    return files;
}

class DataCommands : public ::testing::Test {
protected:
    DataCommands() {
        List.Reset(Folder.File("reminddata.sdt"));
        List.Add(DatedRecord(2025, 3, 2, 9, 0, "过期了"), true);
        TRmMainDate hourly = DatedRecord(0, 0, 0, 9, 0, "整点 #h:#t");
        hourly.Method = RemindHourly;
        List.Add(hourly, true);
        List.Add(DatedRecord(0, 0, 0, 9, 0, "$mw1$第一周"), true);
        TRmMainDate silent = DatedRecord(0, 0, 0, 9, 0, "NOTSHOWREMINDBOX");
        silent.Command = "chello";
        silent.AutoExecScript = true;
        List.Add(silent, true);
        TRmMainDate startup = DatedRecord(0, 0, 0, 23, 0, "开机");
        startup.Method = RemindAtStartup;
        List.Add(startup, true);
    }

    testing::TempFolder Folder;
    TRmDataList List;
};

TEST_F(DataCommands, ListDescribesEveryReminderWithItsExpiry) {
    const auto before = Snapshot(Folder.Path());
    const Result list = RunCli({"list", "--dir", Folder.Folder(), "--at", "2025-03-03 09:00"});
    EXPECT_EQ(list.Status, 0) << list.Err;
    std::istringstream lines(list.Out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "0\t1\t公历，2025年3月2日9时0分0方式，不提前，提醒为：过期了(无音乐)(无脚本)");
    std::getline(lines, line);
    EXPECT_EQ(line.substr(0, 4), "1\t0\t");
    EXPECT_EQ(Snapshot(Folder.Path()), before) << "list only reads";
}

TEST_F(DataCommands, DueListsTheFiringOrderWithPassesAndActions) {
    // 2025-03-03 is a Monday in the second week of March when weeks begin on Monday.
    const Result due = RunCli({"due", "--dir", Folder.Folder(), "--at", "2025-03-03 09:00"});
    EXPECT_EQ(due.Status, 0) << due.Err;
    EXPECT_EQ(due.Out, "1\texact\tshow\t整点 09:00\n"
                       "2\texact\tskip\t第一周\n"
                       "3\texact\tsilent\tNOTSHOWREMINDBOX\n")
        << "the hourly pass does not queue again what the exact pass has queued";
    EXPECT_EQ(RunCli({"due", "--dir", Folder.Folder(), "--at", "2025-03-03 09:01"}).Out, "");
    EXPECT_EQ(RunCli({"due", "--dir", Folder.Folder(), "--at", "2025-03-03 10:00"}).Out,
              "1\thourly\tshow\t整点 10:00\n");
    EXPECT_EQ(RunCli({"due", "--dir", Folder.Folder(), "--at", "2025-03-03 10:00", "--startup"}).Out,
              "4\tstartup\tshow\t开机\n");
}

TEST_F(DataCommands, DueFollowsTheFoldersWeekSetting) {
    std::ofstream(Folder.File("config.ini"), std::ios::binary) << "[Config]\r\nBeginWithSunday=1\r\n";
    const Result due = RunCli({"due", "--dir", Folder.Folder(), "--at", "2025-03-03 09:00"});
    EXPECT_NE(due.Out.find("2\texact\tskip"), std::string::npos) << "March 2..8 is week 2 either way";
    const Result sunday = RunCli({"due", "--dir", Folder.Folder(), "--at", "2025-03-01 09:00"});
    EXPECT_NE(sunday.Out.find("2\texact\tshow\t第一周"), std::string::npos) << sunday.Out;
}

// A year the schedule does not know goes by the weekday, and says so; the folder's holidays.txt teaches it.
TEST_F(DataCommands, TheHolidayConditionsFollowTheFoldersSchedule) {
    List.Add(DatedRecord(0, 0, 0, 9, 0, "$gzr$上班"), true);
    const std::string notice = "2027 年的节假日安排尚未收录，按周一至周五计算\n";
    const Result guessed = RunCli({"due", "--dir", Folder.Folder(), "--at", "2027-01-04 09:00"});
    EXPECT_NE(guessed.Out.find("5\texact\tshow\t上班\n"), std::string::npos) << guessed.Out;
    EXPECT_EQ(guessed.Err, notice);
    const Result expandGuessed = RunCli({"expand", "--dir", Folder.Folder(), "--at", "2027-01-04 09:00:00", "$xxr$"});
    EXPECT_EQ(expandGuessed.Out, "$xxr$\nWEEK\tfails\n");
    EXPECT_EQ(expandGuessed.Err, notice);

    testing::WriteBytes(Folder.File("holidays.txt"), EncodeFileText("2027-01-04\t休\t元旦\n"));
    const Result known = RunCli({"due", "--dir", Folder.Folder(), "--at", "2027-01-04 09:00"});
    EXPECT_NE(known.Out.find("5\texact\tskip\t上班\n"), std::string::npos) << known.Out;
    EXPECT_EQ(known.Err, "");
    EXPECT_EQ(RunCli({"expand", "--dir", Folder.Folder(), "--at", "2027-01-04 09:00:00", "$xxr$"}).Out,
              "$xxr$\nWEEK\tholds\n");
}

TEST(ExpandCommand, ExpandsAtTheMomentAndJudgesTheWeekCondition) {
    EXPECT_EQ(RunCli({"expand", "--at", "2025-03-07 13:05:09", "#y-#m-#d #h:#t:#s"}).Out, "2025-03-07 13:05:09\n");
    EXPECT_EQ(RunCli({"expand", "--at", "2025-03-02 08:00:00", "--sunday", "$mw2$周日"}).Out,
              "$mw2$周日\nWEEK\tholds\n");
    EXPECT_EQ(RunCli({"expand", "--at", "2025-03-02 08:00:00", "$mw2$周日"}).Out, "$mw2$周日\nWEEK\tfails\n");
    EXPECT_EQ(RunCli({"expand", "--at", "2026-02-14 08:30:00", "$gzr$打卡"}).Out, "$gzr$打卡\nWEEK\tholds\n")
        << "a Saturday worked";
    EXPECT_EQ(RunCli({"expand", "--at", "2026-02-16 08:30:00", "$gzr$打卡"}).Out, "$gzr$打卡\nWEEK\tfails\n")
        << "a Monday of the Spring Festival";
}

// Without --at, due and list answer for the present minute.
TEST_F(DataCommands, WithoutAMomentThePresentMinute) {
    ClockOverride clock(EncodeDateTime(2025, 3, 3, 9, 0, 42));
    EXPECT_EQ(RunCli({"due", "--dir", Folder.Folder()}).Out,
              RunCli({"due", "--dir", Folder.Folder(), "--at", "2025-03-03 09:00"}).Out);
    EXPECT_FALSE(RunCli({"due", "--dir", Folder.Folder()}).Out.empty());
}

TEST(DataCommandErrors, MalformedOptionsAreNamed) {
    const Result noValue = RunCli({"due", "--at"});
    EXPECT_EQ(noValue.Status, 2);
    EXPECT_NE(noValue.Err.find("--at"), std::string::npos);
    const Result badMoment = RunCli({"due", "--at", "2025-03-03 25:00"});
    EXPECT_EQ(badMoment.Status, 2);
    EXPECT_NE(badMoment.Err.find("2025-03-03 25:00"), std::string::npos);
    const Result bogus = RunCli({"list", "--bogus"});
    EXPECT_EQ(bogus.Status, 2);
    EXPECT_NE(bogus.Err.find("'--bogus'"), std::string::npos) << bogus.Err;
    EXPECT_EQ(RunCli({"expand"}).Status, 2);
    EXPECT_EQ(RunCli({"list", "--dir", "/nonexistent/folder"}).Status, 2);
    EXPECT_EQ(RunCli({"list", "--dir", "/etc/hostname"}).Status, 2);
}

TEST(ExpandCommand, DoubleDashEndsTheOptions) {
    EXPECT_EQ(RunCli({"expand", "--at", "2025-03-07 13:05:09", "--", "--text #y"}).Out, "--text 2025\n");
    EXPECT_EQ(RunCli({"expand", "--", "--help"}).Out, "--help\n");
}

// A data file the program cannot read is named, with the reason, and exits 1; a FIFO is refused, never read
// (reading it would wait for a writer for ever).
TEST(DataCommandErrors, AnUnreadableDataFileIsNamed) {
    testing::TempFolder folder;
    ASSERT_EQ(mkfifo(folder.File("reminddata.sdt").c_str(), 0600), 0);
    for (const char* command : {"list", "due"}) {
        const Result result = RunCli({command, "--dir", folder.Folder(), "--at", "2025-03-03 09:00"});
        EXPECT_EQ(result.Status, 1) << command;
        EXPECT_NE(result.Err.find(folder.File("reminddata.sdt")), std::string::npos) << result.Err;
        EXPECT_NE(result.Err.find("不是普通文件"), std::string::npos) << result.Err;
    }
}

TEST(DataCommandErrors, AnEmptyFolderListsNothing) {
    testing::TempFolder folder;
    const Result list = RunCli({"list", "--dir", folder.Folder()});
    EXPECT_EQ(list.Status, 0);
    EXPECT_EQ(list.Out, "");
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

} // namespace
} // namespace chimewell::cli
