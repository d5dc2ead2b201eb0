#include "calendar/clock.h"
#include "data/ini_file.h"
#include "runtime/catch_up.h"
#include "runtime/remind_runtime.h"

#include "data/temp_folder.h"
#include "sample_record.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace chimewell {
namespace {

using testing::DailyRecord;

// The run state around a reminder window that records what it was asked to show.
class CatchUpTest : public ::testing::Test {
protected:
    CatchUpTest() : Clock(EncodeDateTime(2026, 12, 8, 10, 4, 30)) {
        Config.InitDefaults(Folder.Folder(), 265, 202, 429, 279);
        List.Reset(Folder.File("reminddata.sdt"));
    }

    void Start(std::optional<TDateTime> lastCheck = std::nullopt) {
        ReminderWindowSeam window;
        window.Prepare = [this](const RemindPresentation& presentation) { Prepared = presentation; };
        window.ShowModal = [this] {
            Shown.push_back(Prepared.Text);
            Commands.push_back(Prepared.CommandText);
            return Answer;
        };
        window.RunCommand = [this] { Run.push_back(Prepared.CommandText); };
        window.ShowMissedList = [this](const std::vector<TMissedReminder>& missed) { Lists.push_back(missed); };
        Runtime = std::make_unique<TRmRuntime>(List, Config, window);
        Runtime->KeepLastCheck = [this](TDateTime minute) { Kept.push_back(FormatMinute(minute)); };
        Runtime->Start(lastCheck);
    }
    void Tick() { Runtime->Tick(); }
    void Jump(int hour, int minute, int second = 0) {
        Clock.Set(EncodeDateTime(2026, 12, 8, hour, minute, second));
        Tick();
    }
    void RunMinutes(int minutes) {
        for (int i = 0; i < minutes * 60; ++i) {
            Clock.AdvanceSeconds(1);
            Tick();
        }
    }

    testing::TempFolder Folder;
    ClockOverride Clock;
    TRmConfig Config;
    TRmDataList List;
    std::unique_ptr<TRmRuntime> Runtime;
    RemindPresentation Prepared;
    std::vector<std::string> Shown;
    std::vector<std::string> Commands;
    std::vector<std::string> Run;
    std::vector<std::vector<TMissedReminder>> Lists;
    std::vector<std::string> Kept;
    int Answer = LATER_NONE;
};

// The laptop slept from 10:04:48 to 10:20:30 across two reminders: both come, in time order, with their minute.
TEST_F(CatchUpTest, ASuspendAcrossRemindersShowsEachWithItsMinute) {
    List.Add(DailyRecord(10, 10, "二"), true);
    List.Add(DailyRecord(10, 5, "一 #h:#t"), true);
    List.Add(DailyRecord(10, 40, "以后"), true);
    Start();
    Jump(10, 4, 48);
    Jump(10, 20, 30);
    EXPECT_EQ(Shown, (std::vector<std::string>{"错过的提醒：原定 2026-12-08 10:05　一 10:05",
                                               "错过的提醒：原定 2026-12-08 10:10　二"}))
        << "expanded at the minute they were meant for";
    EXPECT_TRUE(List.Item(0).Reminded);
    EXPECT_TRUE(List.Item(1).Reminded);
    EXPECT_FALSE(List.Item(2).Reminded);
    EXPECT_EQ(Kept.back(), "2026-12-08 10:20") << "kept, so a later start does not show them again";
    RunMinutes(25);
    EXPECT_EQ(Shown.size(), 3U) << "10:40 fires as usual";
}

TEST_F(CatchUpTest, ManyMissedRemindersComeAsOneList) {
    for (int i = 0; i < 50; ++i) {
        List.Add(DailyRecord(10, 5 + i % 10, "提醒" + std::to_string(i)), false);
    }
    List.SaveFrom(0);
    Start();
    Jump(10, 4, 48);
    Jump(10, 20, 30);
    EXPECT_TRUE(Shown.empty());
    ASSERT_EQ(Lists.size(), 1U);
    ASSERT_EQ(Lists[0].size(), 50U);
    EXPECT_EQ(FormatMinute(Lists[0].front().Minute), "2026-12-08 10:05");
    EXPECT_EQ(Lists[0][1].Position, 10) << "time order, then list order";
    EXPECT_EQ(FormatMinute(Lists[0].back().Minute), "2026-12-08 10:14");
    EXPECT_TRUE(List.Item(49).Reminded);
}

// Off since yesterday evening: what fell due within the window is caught up at start; the present minute is
// the tick's, not a missed one.
TEST_F(CatchUpTest, StartedAfterBeingOffWithinTheWindow) {
    List.Add(DailyRecord(20, 0, "昨晚"), true);
    List.Add(DailyRecord(8, 0, "今早"), true);
    TRmMainDate dayBefore = DailyRecord(9, 0, "前天");
    dayBefore.Year = 2026;
    dayBefore.Month = 12;
    dayBefore.Day = 6;
    List.Add(dayBefore, true);
    List.Add(DailyRecord(10, 4, "现在"), true);
    Start(EncodeDateTime(2026, 12, 6, 8, 0));
    Tick();
    Runtime->RunStartupPass();
    EXPECT_EQ(Shown, (std::vector<std::string>{"现在", "错过的提醒：原定 2026-12-07 10:04　现在",
                                               "错过的提醒：原定 2026-12-07 20:00　昨晚",
                                               "错过的提醒：原定 2026-12-08 08:00　今早"}))
        << "nothing older than 24 hours, the minute 24 hours ago included";
}

TEST_F(CatchUpTest, AWindowOfZeroCatchesNothingUp) {
    Config.MissedWindowHours = 0;
    List.Add(DailyRecord(8, 0, "今早"), true);
    Start(EncodeDateTime(2026, 12, 8, 7, 0));
    Runtime->RunStartupPass();
    Jump(10, 4, 48);
    Jump(10, 20, 30);
    EXPECT_TRUE(Shown.empty());
}

// A pause the user chose is not a gap to make up for.
TEST_F(CatchUpTest, MinutesOfAPauseAreNotCaughtUp) {
    List.Add(DailyRecord(10, 5, "暂停中"), true);
    List.Add(DailyRecord(10, 31, "之后"), true);
    Start();
    Jump(10, 4, 48);
    Clock.Set(EncodeDateTime(2026, 12, 8, 10, 30, 20)); // paused: nothing ticks
    Runtime->Resume();
    RunMinutes(2);
    EXPECT_EQ(Shown, std::vector<std::string>{"之后"});
}

TEST_F(CatchUpTest, AClockSetBackNeverFiresAMinuteTwice) {
    List.Add(DailyRecord(9, 30, "九点半"), true);
    Clock.Set(EncodeDateTime(2026, 12, 8, 9, 29, 30));
    Start();
    RunMinutes(2);
    ASSERT_EQ(Shown.size(), 1U);
    Clock.Set(EncodeDateTime(2026, 12, 8, 8, 45, 0));
    RunMinutes(60);
    EXPECT_EQ(Shown.size(), 1U) << "9:30 came round again on the clock only";
    Clock.Set(EncodeDateTime(2026, 12, 10, 9, 29, 30));
    RunMinutes(1);
    EXPECT_EQ(Shown, (std::vector<std::string>{"九点半", "错过的提醒：原定 2026-12-09 09:30　九点半", "九点半"}))
        << "later days are new minutes";
}

// A shutdown never runs late, and a postponement must not bring it back to run after all; a program waits for
// the button.
TEST_F(CatchUpTest, MissedCommandsNeverRunByThemselves) {
    TRmMainDate shutDown = DailyRecord(10, 5, "关机");
    shutDown.Command = "sShutDown";
    shutDown.AutoExecScript = true;
    List.Add(shutDown, true);
    TRmMainDate program = DailyRecord(10, 6, "备份");
    program.Command = "cbackup --now";
    program.AutoExecScript = true;
    List.Add(program, true);
    TRmMainDate silent = DailyRecord(10, 7, "NOTSHOWREMINDBOX");
    silent.Command = "ctouch /tmp/x";
    silent.AutoExecScript = true;
    List.Add(silent, true);
    Start();
    Jump(10, 4, 48);
    Answer = LATER_DEFAULT;
    Jump(10, 20, 30);
    EXPECT_EQ(Shown,
              (std::vector<std::string>{"错过的提醒：原定 2026-12-08 10:05　关机（自动关机未执行）",
                                        "错过的提醒：原定 2026-12-08 10:06　备份（命令未自动执行）",
                                        "错过的提醒：原定 2026-12-08 10:07　不显示提醒窗口的提醒（命令未自动执行）"}));
    EXPECT_EQ(Commands, (std::vector<std::string>{"", "cbackup --now", "ctouch /tmp/x"})) << "by the button only";
    EXPECT_TRUE(Run.empty());
    EXPECT_FALSE(Prepared.AutoRun);
    EXPECT_EQ(Runtime->SnoozeQueue.Count, 0) << "none of them may come back with its command armed";
}

TEST(CatchUpMinutes, FormatAndParseAWholeMinute) {
    EXPECT_EQ(FormatMinute(EncodeDateTime(2026, 12, 8, 9, 5, 59)), "2026-12-08 09:05");
    EXPECT_EQ(ParseMinute("2026-12-08 09:05"), EncodeDateTime(2026, 12, 8, 9, 5));
    for (const char* text : {"", "2026-12-08", "2026-02-30 09:05", "2026-12-08 24:00", "2026-12-08 09:05x"}) {
        EXPECT_EQ(ParseMinute(text), std::nullopt) << text;
    }
}

} // namespace
} // namespace chimewell
