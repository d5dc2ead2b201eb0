#include "exchange/exchange_commands.h"

#include "calendar/clock.h"
#include "data/constants.h"
#include "data/temp_folder.h"
#include "editing/scripted_answers.h"
#include "exchange/exchange_file.h"
#include "exchange/ical_file.h"
#include "exchange/sample_reminders.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace chimewell {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using testing::ReadBytes;
using testing::WriteBytes;

// The five sample reminders loaded as the main window loads them; the export window answers by script and
// the list display is a recorder.
class ExchangeCommandsTest : public ::testing::Test {
protected:
    ExchangeCommandsTest() {
        Config.InitDefaults(Folder.Folder(), 265, 202, 429, 279);
        testing::WriteDataFile(Config.DataFilePath(), testing::FiveSampleReminders());
        List.Reset(Config.DataFilePath());
        List.Load();
        Hooks.ChooseReminders = [this](const std::vector<std::string>& lines) {
            ShownLines = lines;
            return Chosen;
        };
        Hooks.RefreshRecordList = [this] { Events.push_back("refresh"); };
        Hooks.DoSearch = [this] { Events.push_back("search"); };
    }

    TExchangeCommands Commands() { return TExchangeCommands{List, Config, Hooks}; }

    testing::TempFolder Folder;
    testing::ScriptedAnswers Answers;
    TRmConfig Config;
    TRmDataList List;
    TExchangeHooks Hooks;
    std::optional<TExportChoice> Chosen = TExportChoice{{2, 5}};
    std::vector<std::string> ShownLines;
    std::vector<std::string> Events;
};

TEST_F(ExchangeCommandsTest, ExportWritesTheChosenRemindersAndRemembersTheFolder) {
    fs::create_directory(Folder.File("out"));
    Answers.FileAnswers = {Folder.File("out/abc")};
    Commands().Export();
    ASSERT_EQ(ShownLines.size(), 5U);
    EXPECT_EQ(ShownLines[1], List.Item(1).Describe(DescribeOptions::All()));
    ASSERT_EQ(Answers.FileRequests.size(), 1U);
    EXPECT_EQ(Answers.FileRequests[0].Mode, FileDialogMode::Save);
    EXPECT_NE(Answers.FileRequests[0].StartFolder, Folder.Folder())
        << "the user's home at first, not the program's folder";
    EXPECT_EQ(Answers.FileRequests[0].Filter, "文本文件|*.txt");
    EXPECT_EQ(TIniFile(Folder.File("out/abc.txt")).ReadInteger("Divazu2.01", "RemindCount", 0), 2);
    EXPECT_EQ(Answers.Titles(), std::vector<std::string>{"导出成功"});
    EXPECT_EQ(Answers.Boxes[0].Text, "选择提醒已经成功导出！");
    EXPECT_EQ(Config.LastExportDir, Folder.File("out/"));
    EXPECT_EQ(TIniFile(Config.ConfigFilePath()).ReadString("Config", "LastExportDir", ""), Folder.File("out/"))
        << "the settings are saved after an export";
}

TEST_F(ExchangeCommandsTest, AnExportThatLeavesWarningsBehindSaysSo) {
    TRmMainDate warned = List.Item(4);
    warned.Warnings = {{2, LeadUnit::Hours}};
    List.Replace(List.Item(4), 4, warned);
    Answers.FileAnswers = {Folder.File("abc")};
    Commands().Export();
    ASSERT_EQ(Answers.Titles(), std::vector<std::string>{"导出成功"});
    EXPECT_EQ(Answers.Boxes[0].Text, std::string("选择提醒已经成功导出！\n") + ScheduleLeftBehindNotice);
}

TEST_F(ExchangeCommandsTest, OnlyAnExactTxtEndingIsKept) {
    EXPECT_EQ(ExportFileName("/d/abc"), "/d/abc.txt");
    EXPECT_EQ(ExportFileName("/d/abc.txt"), "/d/abc.txt");
    EXPECT_EQ(ExportFileName("/d/ABC.TXT"), "/d/ABC.TXT.txt");
    EXPECT_EQ(DirectoryOf("/d/e/abc.txt"), "/d/e/");
}

TEST_F(ExchangeCommandsTest, AnExistingFileStopsTheExport) {
    WriteBytes(Folder.File("abc.txt"), "mine");
    Answers.FileAnswers = {Folder.File("abc")};
    Commands().Export();
    EXPECT_EQ(ReadBytes(Folder.File("abc.txt")), "mine");
    EXPECT_EQ(Answers.Titles(), std::vector<std::string>{"导出失败"});
    EXPECT_EQ(Answers.Boxes[0].Text, "所选择的文件已经存在！");
    EXPECT_FALSE(fs::exists(Config.ConfigFilePath()));
}

TEST_F(ExchangeCommandsTest, ExportStopsQuietlyWhenCancelledAndSaysWhenThereIsNothing) {
    Chosen.reset();
    Commands().Export();
    EXPECT_TRUE(Answers.FileRequests.empty()) << "cancelled in the export window";
    Chosen = TExportChoice{{1}};
    Commands().Export();
    EXPECT_EQ(Answers.FileRequests.size(), 1U);
    EXPECT_TRUE(Answers.Boxes.empty()) << "cancelled in the file chooser";

    List.Reset(Folder.File("none.sdt"));
    ShownLines.clear();
    Commands().Export();
    EXPECT_TRUE(ShownLines.empty());
    EXPECT_EQ(Answers.Titles(), std::vector<std::string>{"没有提醒"});
    EXPECT_EQ(Answers.Boxes[0].Text, "当前没有任何提醒！");
}

TEST_F(ExchangeCommandsTest, ImportReloadsTheListAndRemembersTheFolderUnsaved) {
    ASSERT_TRUE(ExportReminders(Config.DataFilePath(), Folder.File("two.txt"), {1, 3}));
    Answers.FileAnswers = {Folder.File("two.txt")};
    Commands().Import();
    ASSERT_EQ(Answers.FileRequests.size(), 1U);
    EXPECT_EQ(Answers.FileRequests[0].Mode, FileDialogMode::Open);
    EXPECT_EQ(Answers.FileRequests[0].Filter, std::string(ImportFileFilter)) << "exchange files and calendars";
    EXPECT_EQ(List.Count, 7);
    EXPECT_EQ(List.Item(6).Message, "中秋");
    EXPECT_THAT(Events, ElementsAre("refresh", "search"));
    EXPECT_EQ(Config.LastImportDir, Folder.Folder());
    EXPECT_EQ(Answers.Titles(), std::vector<std::string>{"导入成功"});
    EXPECT_EQ(Answers.Boxes[0].Text, "提醒已经成功导入！");
    EXPECT_FALSE(fs::exists(Config.ConfigFilePath())) << "LastImportDir waits for the next save";
}

TEST_F(ExchangeCommandsTest, AFailedImportLeavesTheListAndTheFolder) {
    WriteBytes(Folder.File("empty.txt"), "[Divazu2.01]\r\nRemindCount=0\r\n");
    Answers.FileAnswers = {Folder.File("empty.txt")};
    Commands().Import();
    EXPECT_EQ(List.Count, 5);
    EXPECT_TRUE(Events.empty());
    EXPECT_EQ(Config.LastImportDir, Folder.Folder());
    EXPECT_EQ(Answers.Titles(), std::vector<std::string>{"导入失败"});
}

TEST_F(ExchangeCommandsTest, ACalendarExportGivesUidsAndItsImportSaysWhatCameIn) {
    const ClockOverride clock(EncodeDateTime(2026, 12, 9, 10, 0));
    Chosen = TExportChoice{{1, 4}, ExportFormat::ICalendar, 2, false};
    Answers.FileAnswers = {Folder.File("phone")};
    Commands().Export();
    ASSERT_EQ(Answers.FileRequests.size(), 1U);
    EXPECT_EQ(Answers.FileRequests[0].Filter, std::string(IcsExportFileFilter));
    EXPECT_EQ(Answers.FileRequests[0].Title, "导出日历");
    const std::string calendar = ReadBytes(Folder.File("phone.ics"));
    EXPECT_NE(calendar.find("SUMMARY:晨会"), std::string::npos);
    EXPECT_NE(calendar.find("UID:" + List.Item(0).Uid), std::string::npos);
    EXPECT_FALSE(List.Item(0).Uid.empty());
    EXPECT_TRUE(List.Item(1).Uid.empty()) << "only the exported reminders";
    EXPECT_EQ(TIniFile(Config.DataFilePath()).ReadString("Item4", "UID", ""), List.Item(3).Uid);
    EXPECT_EQ(IcsExportFileName("/d/a.ICS"), "/d/a.ICS");
    EXPECT_EQ(IcsExportFileName("/d/a.txt"), "/d/a.txt.ics");

    WriteBytes(Folder.File("other.ics"), "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\n"
                                         "UID:u\r\nDTSTART:20270110T090000\r\nRRULE:FREQ=DAILY;COUNT=3\r\n"
                                         "EXDATE:20270111T090000\r\nSUMMARY:三天\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    Answers.FileAnswers = {Folder.File("other.ics")};
    Commands().Import();
    ASSERT_EQ(List.Count, 7);
    EXPECT_EQ(List.Item(6).Message, "三天");
    EXPECT_EQ(Answers.Titles().back(), "导入成功");
    EXPECT_THAT(Answers.Boxes.back().Text, ::testing::StartsWith("已从日历文件导入 2 条提醒。\n1 个重复的事件"));
}

// UIDs that cannot be kept do not stop the export; the user is told what that means.
TEST_F(ExchangeCommandsTest, ACalendarExportGoesOnWhenTheDataFileCannotTakeTheUids) {
    List.LoadFailure = "无法读取";
    const std::string before = ReadBytes(Config.DataFilePath());
    Chosen = TExportChoice{{1}, ExportFormat::ICalendar, 1, false};
    Answers.FileAnswers = {Folder.File("phone.ics")};
    Commands().Export();
    EXPECT_EQ(ReadBytes(Config.DataFilePath()), before);
    EXPECT_NE(ReadBytes(Folder.File("phone.ics")).find("SUMMARY:晨会"), std::string::npos);
    ASSERT_EQ(Answers.Titles(), std::vector<std::string>{"导出成功"});
    EXPECT_THAT(Answers.Boxes[0].Text, ::testing::HasSubstr("没能存入提醒数据文件"));
}

// A data file the program could not read at start is not written by an import either.
TEST_F(ExchangeCommandsTest, ImportRefusesADataFileThatWasNotRead) {
    WriteBytes(Folder.File("one.txt"), "[Divazu2.01]\r\nRemindCount=1\r\n[Item1]\r\nMessage=x\r\n");
    List.LoadFailure = "无法读取";
    const std::string before = ReadBytes(Config.DataFilePath());
    Answers.FileAnswers = {Folder.File("one.txt")};
    EXPECT_THROW(Commands().Import(), std::runtime_error);
    EXPECT_EQ(ReadBytes(Config.DataFilePath()), before);
}

} // namespace
} // namespace chimewell
