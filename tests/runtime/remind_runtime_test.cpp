#include "calendar/clock.h"
#include "data/ini_file.h"
#include "runtime/remind_runtime.h"

#include "data/temp_folder.h"
#include "sample_record.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace chimewell {
namespace {

using testing::DailyRecord;

// The program's run state around a fake reminder window that records what it was asked to show.
class RuntimeTest : public ::testing::Test {
protected:
    RuntimeTest() : Clock(EncodeDateTime(2025, 3, 3, 8, 59, 30)) {
        Config.InitDefaults(Folder.Folder(), 265, 202, 429, 279);
        List.Reset(Folder.File("reminddata.sdt"));
    }

    void Add(const TRmMainDate& record) { List.Add(record, true); }

    void StartRuntime() {
        ReminderWindowSeam window;
        window.Prepare = [this](const RemindPresentation& presentation) { Prepared = presentation; };
        window.ShowModal = [this] {
            Shown.push_back(Prepared.Text);
            EXPECT_TRUE(CloseItemEnabled) << "the tray item that closes the window is on while it shows";
            return WhileShown ? WhileShown() : LATER_NONE;
        };
        window.RunCommand = [this] { CommandsRun.push_back(Prepared.CommandText); };
        window.SetCloseWindowEnabled = [this](bool enabled) { CloseItemEnabled = enabled; };
        Runtime = std::make_unique<TRmRuntime>(List, Config, window);
        Runtime->Start();
    }

    // Moves the clock on in steps of a second, ticking as the one-second timer does.
    void RunSeconds(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            Clock.AdvanceSeconds(1);
            Runtime->Tick();
        }
    }
    void RunMinutes(int minutes) { RunSeconds(minutes * 60); }

    testing::TempFolder Folder;
    ClockOverride Clock;
    TRmConfig Config;
    TRmDataList List;
    std::unique_ptr<TRmRuntime> Runtime;
    RemindPresentation Prepared;
    std::vector<std::string> Shown;
    std::vector<std::string> CommandsRun;
    bool CloseItemEnabled = false;
    std::function<int()> WhileShown;
};

TEST_F(RuntimeTest, RemindersDueTogetherShowOneAfterAnotherInListOrder) {
    Add(DailyRecord(9, 0, "第一"));
    Add(DailyRecord(9, 1, "别的"));
    Add(DailyRecord(9, 0, "第二"));
    Add(DailyRecord(9, 0, "第三"));
    StartRuntime();
    RunSeconds(31);
    EXPECT_EQ(Shown, (std::vector<std::string>{"第一", "第二", "第三"}));
    EXPECT_FALSE(CloseItemEnabled);
    EXPECT_FALSE(Runtime->InRemind());
}

// One reminder never pops up twice in one minute: not when the exact and the hourly pass both find it on the
// hour, and not when a postponement of it ends in a minute it falls due anyway.
TEST_F(RuntimeTest, ATickQueuesEachReminderOnce) {
    TRmMainDate hourly = DailyRecord(9, 0, "整点");
    hourly.Method = RemindHourly;
    Add(hourly);
    Add(DailyRecord(9, 5, "五分"));
    StartRuntime();
    RunSeconds(31);
    EXPECT_EQ(Shown, (std::vector<std::string>{"整点"})) << "exact and hourly at 9:00";
    RunMinutes(60);
    EXPECT_EQ(Shown, (std::vector<std::string>{"整点", "五分", "整点"})) << "9:05, then only the hourly pass at 10:00";
    EXPECT_EQ(MinutePasses(List, EncodeDateTime(2025, 3, 3, 9, 0), true).size(), 1U);
    EXPECT_EQ(MinutePasses(List, EncodeDateTime(2025, 3, 3, 10, 0), true).size(), 1U);
}

TEST_F(RuntimeTest, ASnoozeEndingWhenTheReminderIsDueAgainShowsItOnce) {
    Add(DailyRecord(9, 5, "五分"));
    StartRuntime();
    Runtime->SnoozeQueue.Push(7, 0);
    RunMinutes(7);
    EXPECT_EQ(Shown, (std::vector<std::string>{"五分"})) << "the postponement ends at 9:05 too";
}

// Ending the program while a reminder shows makes every later modal showing return at once; the firing loop
// must then stop, so that no queued reminder plays its music, runs its command or counts as seen.
TEST_F(RuntimeTest, NothingMoreFiresOnceTheProgramIsEnding) {
    Add(DailyRecord(9, 0, "看见了"));
    TRmMainDate silent = DailyRecord(9, 0, "NOTSHOWREMINDBOX");
    silent.Command = "ctouch /tmp/never";
    silent.AutoExecScript = true;
    Add(silent);
    Add(DailyRecord(9, 0, "没看见"));
    StartRuntime();
    WhileShown = [&] {
        Runtime->StopFiring();
        return LATER_DEFAULT;
    };
    RunSeconds(31);
    EXPECT_EQ(Shown, (std::vector<std::string>{"看见了"}));
    EXPECT_TRUE(CommandsRun.empty());
    EXPECT_TRUE(List.Item(0).Reminded);
    EXPECT_FALSE(List.Item(1).Reminded);
    EXPECT_FALSE(List.Item(2).Reminded);
    EXPECT_EQ(Runtime->SnoozeQueue.Count, 0) << "nothing is postponed for a run that is over";
    EXPECT_FALSE(TIniFile(List.FileName).ReadBool("Item2", "Reminded", true));
}

TEST_F(RuntimeTest, HourlyPassWaitsForTheFirstChangeOfHourAfterStart) {
    Clock.Set(EncodeDateTime(2025, 3, 3, 9, 0, 10));
    TRmMainDate hourly = DailyRecord(23, 59, "整点");
    hourly.Method = RemindAtStartupHourly;
    Add(hourly);
    StartRuntime();
    RunMinutes(59);
    EXPECT_TRUE(Shown.empty()) << "started in minute 0 of nine o'clock";
    RunMinutes(1);
    EXPECT_EQ(Shown.size(), 1U);
}

TEST_F(RuntimeTest, AReminderFallingDueWhileAWindowIsOpenShowsAfterItCloses) {
    Add(DailyRecord(9, 0, "先"));
    Add(DailyRecord(9, 2, "后"));
    StartRuntime();
    bool nested = false;
    WhileShown = [&] {
        if (!nested) {
            // The modal window's event loop keeps the timer running for three minutes.
            nested = true;
            RunMinutes(3);
            EXPECT_EQ(Shown.size(), 1U) << "nothing opens over the open window";
        }
        return LATER_NONE;
    };
    RunSeconds(31);
    EXPECT_EQ(Shown, (std::vector<std::string>{"先", "后"}));
}

TEST_F(RuntimeTest, PostponedRemindersReturnAtTheirMinute) {
    Config.LaterRemindTime = 7;
    Add(DailyRecord(9, 0, "推迟"));
    StartRuntime();
    std::vector<int> answers = {LATER_DEFAULT, 15, LATER_NONE};
    std::vector<TDateTime> shownAt;
    WhileShown = [&] {
        shownAt.push_back(Now());
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    };
    RunMinutes(40);
    ASSERT_EQ(shownAt.size(), 3U);
    EXPECT_EQ(DecodeTime(shownAt[1]).Minute, 7) << "the default delay";
    EXPECT_EQ(DecodeTime(shownAt[2]).Minute, 22) << "a delay from the menu";
    EXPECT_EQ(Prepared.LaterCaption, "推迟提醒(7)");
    EXPECT_EQ(Prepared.LaterHint, "推迟提醒:7分钟提醒");
}

TEST_F(RuntimeTest, APostponementCountsWholeMinutesFromTheAnswer) {
    Add(DailyRecord(9, 0, "推迟一分钟"));
    StartRuntime();
    TDateTime answeredAt = 0;
    std::vector<TDateTime> shownAt;
    WhileShown = [&] {
        shownAt.push_back(Now());
        if (shownAt.size() > 1) {
            return LATER_NONE;
        }
        // Read for three quarters of a minute before postponing by one.
        Clock.AdvanceSeconds(45);
        answeredAt = Now();
        return 1;
    };
    RunMinutes(5);
    ASSERT_EQ(shownAt.size(), 2U);
    EXPECT_GE((shownAt[1] - answeredAt) * 86400.0, 60.0) << "a whole minute after the answer";
    EXPECT_EQ(DecodeTime(shownAt[1]).Minute, 2) << "at the first check after it";
}

TEST_F(RuntimeTest, APauseSkipsTheMinutesItCovers) {
    Add(DailyRecord(9, 0, "暂停中"));
    Add(DailyRecord(9, 5, "恢复后"));
    StartRuntime();
    RunSeconds(20);
    // Paused: the timer stops, the clock goes on; resuming says so, or the minutes would be caught up.
    Clock.AdvanceMinutes(3);
    Runtime->Resume();
    RunMinutes(5);
    EXPECT_EQ(Shown, (std::vector<std::string>{"恢复后"}));
}

TEST_F(RuntimeTest, SilentRemindersRunTheirCommandWithoutAWindowAndNeverSnooze) {
    TRmMainDate silent = DailyRecord(9, 0, "NOTSHOWREMINDBOX");
    silent.Command = "chello";
    silent.AutoExecScript = true;
    Add(silent);
    StartRuntime();
    WhileShown = [] { return LATER_DEFAULT; };
    RunMinutes(10);
    EXPECT_TRUE(Shown.empty());
    EXPECT_EQ(CommandsRun, (std::vector<std::string>{"chello"}));
    EXPECT_TRUE(List.Item(0).Reminded);
}

TEST_F(RuntimeTest, AFailedWeekConditionShowsNothingButMarksTheRecordFired) {
    // 2025-03-03 is in the second week of March with weeks beginning on Monday (March 1 is a Saturday).
    Add(DailyRecord(9, 0, "$mw1$第一周"));
    Add(DailyRecord(9, 0, "$mw2$第二周"));
    StartRuntime();
    RunSeconds(31);
    EXPECT_EQ(Shown, (std::vector<std::string>{"第二周"}));
    EXPECT_TRUE(List.Item(0).Reminded);
}

TEST_F(RuntimeTest, OfficialWorkdayAndRestDayRemindersFollowTheHolidaySchedule) {
    Add(DailyRecord(8, 30, "$gzr$打卡"));
    Add(DailyRecord(8, 30, "$xxr$休息"));
    Config.MissedWindowHours = 0;                      // the days between are jumped over, not missed
    Clock.Set(EncodeDateTime(2026, 2, 14, 8, 29, 30)); // a Saturday worked before the Spring Festival
    StartRuntime();
    RunSeconds(31);
    EXPECT_EQ(Shown, (std::vector<std::string>{"打卡"}));
    Clock.Set(EncodeDateTime(2026, 2, 16, 8, 29, 30)); // a Monday off for it
    RunSeconds(31);
    EXPECT_EQ(Shown, (std::vector<std::string>{"打卡", "休息"}));
    EXPECT_TRUE(List.Item(0).Reminded && List.Item(1).Reminded) << "a failed condition still counts as fired";
}

TEST_F(RuntimeTest, TheFirstFiringWritesRemindedToTheDataFile) {
    Add(DailyRecord(9, 0, "写入"));
    StartRuntime();
    RunSeconds(31);
    TRmDataList reloaded;
    reloaded.Reset(List.FileName);
    reloaded.Load();
    ASSERT_EQ(reloaded.Count, 1);
    EXPECT_TRUE(reloaded.Item(0).Reminded);
}

TEST_F(RuntimeTest, StartupRemindersFireOnceOnAMatchingDayWhateverTheTime) {
    TRmMainDate startup = DailyRecord(23, 0, "开机");
    startup.Method = RemindAtStartup;
    Add(startup);
    TRmMainDate otherDay = DailyRecord(23, 0, "别天");
    otherDay.Method = RemindAtStartup;
    otherDay.Day = 4;
    Add(otherDay);
    StartRuntime();
    Runtime->RunStartupPass();
    EXPECT_EQ(Shown, (std::vector<std::string>{"开机"}));
}

TEST_F(RuntimeTest, PositionsPastTheEndOfTheListAreSkipped) {
    Add(DailyRecord(9, 0, "在"));
    StartRuntime();
    Runtime->MessageQueue.Push(5);
    Runtime->MessageQueue.Push(-1);
    Runtime->MessageQueue.Push(0);
    Runtime->DoRemind();
    EXPECT_EQ(Shown, (std::vector<std::string>{"在"}));
}

TEST_F(RuntimeTest, AnUnwritableDataFileStillShowsTheReminderThenReportsTheFailure) {
    List.Add(DailyRecord(9, 0, "照常"), false);
    List.Add(DailyRecord(9, 0, "也照常"), false);
    // A folder that is a file cannot be written, whoever runs the test.
    std::ofstream(Folder.File("blocked")) << "not a folder";
    List.FileName = Folder.File("blocked") + "/reminddata.sdt";
    StartRuntime();
    EXPECT_THROW(RunSeconds(31), std::runtime_error);
    EXPECT_EQ(Shown, (std::vector<std::string>{"照常", "也照常"}));
    EXPECT_FALSE(Runtime->InRemind());
}

TEST(PlanFiring, FillsTheWindowAsTheSettingsAndTheRecordSay) {
    TRmConfig config;
    config.AutoCloseMsgBox = true;
    config.AutoCloseMsgTime = 30;
    config.SysMusicFile = "/music/default.wav";
    TRmMainDate record = DailyRecord(9, 0, "开会");
    record.Command = "uhttps://example.org";
    const FiringPlan plan = PlanFiring(record, config, EncodeDateTime(2025, 3, 3, 9, 0));
    EXPECT_EQ(plan.Action, FiringAction::Show);
    EXPECT_EQ(plan.Presentation.CommandButton, CommandButtonState::Show);
    EXPECT_EQ(plan.Presentation.CommandHint, "命令为:uhttps://example.org");
    EXPECT_EQ(plan.Presentation.CloseLabel, "本窗口将在30秒钟后自动关闭");
    EXPECT_EQ(plan.Presentation.MusicFile, "/music/default.wav");

    record.Command = "sShutDown";
    record.Music = "/music/own.mp3";
    const FiringPlan shutdown = PlanFiring(record, config, EncodeDateTime(2025, 3, 3, 9, 0));
    EXPECT_EQ(shutdown.Presentation.CommandButton, CommandButtonState::Unchanged);
    EXPECT_EQ(shutdown.Presentation.MusicFile, "/music/own.mp3");
    record.Command.clear();
    EXPECT_EQ(PlanFiring(record, config, 0).Presentation.CommandButton, CommandButtonState::Hide);
}

} // namespace
} // namespace chimewell
