// What a run owes the next one and the list under it: reminders queued but not yet shown when the program
// ends, postponements across a restart, an outside change of the data file while a reminder shows, a clock
// set back, and a flood closed all at once.

#include "calendar/clock.h"
#include "data/code_page.h"
#include "runtime/remind_runtime.h"
#include "runtime/snooze_file.h"

#include "data/temp_folder.h"
#include "sample_record.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

namespace chimewell {
namespace {

using testing::DailyRecord;

class RunContinuityTest : public ::testing::Test {
protected:
    RunContinuityTest() : Clock(EncodeDateTime(2026, 12, 8, 9, 30, 30)) {
        Config.InitDefaults(Folder.Folder(), 265, 202, 429, 279);
        List.Reset(Folder.File("reminddata.sdt"));
    }

    void StartRun(std::optional<TDateTime> lastCheck = std::nullopt) {
        ReminderWindowSeam window;
        window.Prepare = [this](const RemindPresentation& presentation) { Prepared = presentation; };
        window.ShowModal = [this] {
            Shown.push_back(Prepared.Text);
            return WhileShown ? WhileShown() : LATER_NONE;
        };
        window.SetWaiting = [this](std::int32_t count) { Waiting.push_back(count); };
        window.ShowMissedList = [this](const std::vector<TMissedReminder>& missed) { MissedLists.push_back(missed); };
        window.ShowWaitingList = [this](const std::vector<TMissedReminder>& waiting) {
            WaitingLists.push_back(waiting);
        };
        Runtime = std::make_unique<TRmRuntime>(List, Config, window);
        List.PositionsMoved = [this](const TPositionMap& map) { Runtime->FollowPositions(map); };
        Runtime->Start(lastCheck);
    }
    // The program ends as it does on SIGTERM, then starts again with what the first run kept.
    void Restart() {
        const std::optional<TDateTime> lastCheck = Runtime->LastChecked();
        SaveSnoozeFile(SnoozePath, Runtime->PendingSnoozes());
        Runtime.reset();
        Shown.clear();
        WhileShown = {};
        List.Reset(List.FileName);
        List.Load();
        StartRun(lastCheck);
        Runtime->RestoreSnoozes(LoadSnoozeFile(SnoozePath));
        Runtime->RunStartupPass();
    }
    void RunSeconds(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            Clock.AdvanceSeconds(1);
            Runtime->Tick();
        }
    }

    testing::TempFolder Folder;
    std::string SnoozePath = Folder.File("laterremind.ini");
    ClockOverride Clock;
    TRmConfig Config;
    TRmDataList List;
    std::unique_ptr<TRmRuntime> Runtime;
    RemindPresentation Prepared;
    std::vector<std::string> Shown;
    std::vector<std::int32_t> Waiting;
    std::vector<std::vector<TMissedReminder>> MissedLists;
    std::vector<std::vector<TMissedReminder>> WaitingLists;
    std::function<int()> WhileShown;
};

// The fault as found: five reminders at 09:31, SIGTERM while the first showed; LastCheck was kept as 09:31 and
// the other four were never shown, by the program or by `chimewell-cli missed`.
TEST_F(RunContinuityTest, AnExitInTheMiddleOfAMinutesQueueLosesNoneOfIt) {
    for (int i = 1; i <= 5; ++i) {
        List.Add(DailyRecord(9, 31, "第" + std::to_string(i) + "个"), true);
    }
    std::vector<std::string> kept;
    StartRun();
    Runtime->KeepLastCheck = [&kept](TDateTime minute) { kept.push_back(FormatMinute(minute)); };
    WhileShown = [this] {
        Runtime->StopFiring();
        return LATER_NONE;
    };
    RunSeconds(40);
    ASSERT_EQ(Shown.size(), 1U);
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(kept.back(), "2026-12-08 09:30") << "the minute is not checked while its reminders wait";
    EXPECT_EQ(FormatMinute(*Runtime->LastChecked()), "2026-12-08 09:30");
    Clock.AdvanceSeconds(600);
    Restart();
    ASSERT_EQ(MissedLists.size(), 1U) << "more than three come as one list";
    ASSERT_EQ(MissedLists[0].size(), 4U) << "the four never shown; the one whose window was shown counts as seen";
    for (const TMissedReminder& missed : MissedLists[0]) {
        EXPECT_NE(missed.Text, "第1个");
    }
}

// Three missed reminders are three windows, one after another; the fourth makes them a list.
TEST_F(RunContinuityTest, UpToThreeMissedComeOneByOne) {
    for (int i = 1; i <= 3; ++i) {
        List.Add(DailyRecord(9, 31, "第" + std::to_string(i) + "个"), true);
    }
    StartRun();
    RunSeconds(1); // 09:30 checked, then off until 09:40
    Clock.AdvanceSeconds(600);
    Restart();
    EXPECT_TRUE(MissedLists.empty());
    EXPECT_EQ(Shown.size(), 3U);
}

// Ended a second after a window appeared, started again within the same minute or a minute later: that
// reminder is not shown again, the others of its minute are.
TEST_F(RunContinuityTest, ARestartAfterAShownWindowShowsNothingTwice) {
    for (const int restartAfter : {20, 80}) {
        SCOPED_TRACE(restartAfter);
        List.Reset(Folder.File("reminddata-" + std::to_string(restartAfter) + ".sdt"));
        List.Load();
        for (int i = 1; i <= 3; ++i) {
            List.Add(DailyRecord(9, 31 + restartAfter / 60, "第" + std::to_string(i) + "个"), true);
        }
        Clock.Set(EncodeDateTime(2026, 12, 8, 9, 30 + restartAfter / 60, 30));
        Shown.clear();
        StartRun();
        WhileShown = [this] {
            Runtime->StopFiring();
            return LATER_NONE;
        };
        RunSeconds(31);
        ASSERT_EQ(Shown, std::vector<std::string>{"第1个"});
        Clock.AdvanceSeconds(restartAfter);
        Restart();
        RunSeconds(2);
        std::vector<std::string> again = Shown;
        for (const std::vector<TMissedReminder>& list : MissedLists) {
            for (const TMissedReminder& missed : list) {
                again.push_back(missed.Text);
            }
        }
        EXPECT_EQ(std::count_if(again.begin(), again.end(),
                                [](const std::string& text) { return text.find("第1个") != std::string::npos; }),
                  0);
        EXPECT_EQ(again.size(), 2U) << "the other two come";
        MissedLists.clear();
    }
}

TEST_F(RunContinuityTest, APostponementOutlivesARestart) {
    List.Add(DailyRecord(9, 31, "开会"), true);
    StartRun();
    WhileShown = [] { return 10; };
    RunSeconds(40);
    ASSERT_EQ(Shown.size(), 1U);
    WhileShown = {};
    Clock.AdvanceSeconds(120); // logged out at 09:33
    Restart();
    EXPECT_TRUE(Shown.empty());
    RunSeconds(7 * 60);
    EXPECT_TRUE(Shown.empty()) << "not before its minute";
    RunSeconds(60);
    EXPECT_EQ(Shown, std::vector<std::string>{"开会"}) << "back at 09:41, as postponed";
}

TEST_F(RunContinuityTest, APostponementWhoseMinutePassedWhileOffIsCaughtUp) {
    List.Add(DailyRecord(9, 31, "开会"), true);
    StartRun();
    WhileShown = [] { return 5; };
    RunSeconds(40);
    WhileShown = {};
    Clock.AdvanceSeconds(3600);
    Restart();
    ASSERT_EQ(Shown.size(), 1U);
    EXPECT_EQ(Shown[0], "错过的提醒：原定 2026-12-08 09:36　开会");
    Config.MissedWindowHours = 0;
    StartRun();
    Runtime->RestoreSnoozes({{EncodeDateTime(2026, 12, 8, 9, 36, 0), 0, List.Item(0)}});
    EXPECT_TRUE(Runtime->PendingSnoozes().empty()) << "without catch-up a passed one is dropped";
}

// A postponement whose minute came but whose window had not been shown yet when the program ended.
TEST_F(RunContinuityTest, APostponementQueuedButNotShownIsKept) {
    List.Add(DailyRecord(9, 31, "甲"), true);
    List.Add(DailyRecord(9, 36, "乙"), true);
    StartRun();
    WhileShown = [] { return 5; };
    RunSeconds(40);
    WhileShown = [this] {
        Runtime->StopFiring();
        return LATER_NONE;
    };
    RunSeconds(5 * 60);
    ASSERT_EQ(Shown, (std::vector<std::string>{"甲", "乙"}));
    std::vector<TPendingSnooze> pending = Runtime->PendingSnoozes();
    // 乙's window was shown: kept as seen, so that it is not caught up again.
    std::erase_if(pending, [](const TPendingSnooze& snooze) { return snooze.Seen; });
    ASSERT_EQ(pending.size(), 1U);
    EXPECT_EQ(pending[0].Record.Message, "甲");
    EXPECT_EQ(FormatMinute(pending[0].Due), "2026-12-08 09:36");
}

// An outside program moves the reminders while one shows: its postponement goes with it.
TEST_F(RunContinuityTest, AnOutsideEditWhileAReminderShowsLeavesItsPostponementOnIt) {
    List.Add(DailyRecord(9, 31, "原来的第一个"), true);
    List.Add(DailyRecord(12, 0, "中午"), true);
    StartRun();
    WhileShown = [this] {
        const std::string temporary = List.FileName + ".new";
        testing::WriteBytes(temporary, EncodeFileText("[Main]\r\nItems=3\r\n[Item1]\r\nHour=7\r\nMessage=新加的\r\n"
                                                      "[Item2]\r\nHour=12\r\nMessage=中午\r\n"
                                                      "[Item3]\r\nHour=9\r\nMinuter=31\r\nMessage=原来的第一个\r\n"));
        std::rename(temporary.c_str(), List.FileName.c_str());
        List.ReloadIfChanged();
        return 5;
    };
    RunSeconds(40);
    WhileShown = {};
    ASSERT_EQ(Runtime->SnoozeQueue.Count, 1);
    EXPECT_EQ(Runtime->SnoozeQueue.Indexes[0], 2);
    RunSeconds(5 * 60);
    EXPECT_EQ(Shown, (std::vector<std::string>{"原来的第一个", "原来的第一个"}));
}

// Tried: reminders at 08:32 and 09:31; after 09:31 fired, the clock was set to 08:31:30 and 08:32 passed with
// nothing shown, although this run had never checked 08:32.
TEST_F(RunContinuityTest, AClockSetBackFiresTheMinutesThisRunNeverChecked) {
    List.Add(DailyRecord(8, 32, "八点三十二"), true);
    List.Add(DailyRecord(9, 31, "九点三十一"), true);
    StartRun();
    RunSeconds(40);
    Clock.Set(EncodeDateTime(2026, 12, 8, 8, 31, 30));
    RunSeconds(61 * 60);
    EXPECT_EQ(Shown, (std::vector<std::string>{"九点三十一", "八点三十二"})) << "09:31 checked already: once";
}

// The clock jumps four minutes ahead for a minute, then back: a reminder added meanwhile for one of the minutes
// the jump checked fires when that minute comes round; what fired in the jump does not fire again.
TEST_F(RunContinuityTest, AReminderAddedForAMinuteTheClockGoesBackOverFires) {
    List.Add(DailyRecord(9, 33, "九点三十三"), true);
    StartRun();
    RunSeconds(31); // 09:31
    Clock.AdvanceSeconds(4 * 60);
    RunSeconds(63); // through 09:35 and 09:36
    ASSERT_EQ(Shown, (std::vector<std::string>{"错过的提醒：原定 2026-12-08 09:33　九点三十三"}));
    Clock.AdvanceSeconds(-5 * 60);
    // Added from outside while the clock is right again, for 09:34.
    TRmDataList other;
    other.Reset(List.FileName);
    other.Load();
    other.Add(DailyRecord(9, 34, "九点三十四"), true);
    // And one that fired at 09:33 is changed, its text now another: a reminder that was not there then.
    TRmMainDate changed = other.Item(0);
    changed.Message = "九点三十三 改过";
    ASSERT_GE(other.Replace(other.Item(0), 0, changed), 0);
    RunSeconds(5 * 60);
    EXPECT_EQ(Shown, (std::vector<std::string>{"错过的提醒：原定 2026-12-08 09:33　九点三十三", "九点三十三 改过",
                                               "九点三十四"}));
}

TEST_F(RunContinuityTest, CloseAllShowsEveryWaitingReminderInOneList) {
    for (int i = 1; i <= 6; ++i) {
        List.Add(DailyRecord(9, 31, "第" + std::to_string(i) + "个"), true);
    }
    StartRun();
    WhileShown = [] { return LATER_CLOSE_ALL; };
    RunSeconds(40);
    EXPECT_EQ(Shown, std::vector<std::string>{"第1个"});
    EXPECT_EQ(Waiting, std::vector<std::int32_t>{5});
    ASSERT_EQ(WaitingLists.size(), 1U);
    ASSERT_EQ(WaitingLists[0].size(), 5U);
    EXPECT_EQ(WaitingLists[0][0].Text, "第2个");
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(List.Item(i).Reminded) << i;
    }
    EXPECT_EQ(Runtime->MessageQueue.Count, 0);
    EXPECT_EQ(FormatMinute(*Runtime->LastChecked()), "2026-12-08 09:31");
}

// A reminder that falls due while another's window (or notification) shows is counted at once, not only
// when the next window opens; a caught-up one being shown is not counted among those behind it.
TEST_F(RunContinuityTest, WhatFallsDueWhileAReminderShowsIsCountedAtOnce) {
    List.Add(DailyRecord(9, 31, "先"), true);
    List.Add(DailyRecord(9, 32, "后"), true);
    StartRun();
    bool first = true;
    WhileShown = [this, &first] {
        if (std::exchange(first, false)) {
            RunSeconds(60); // the next minute turns while the first window waits
        }
        return LATER_NONE;
    };
    RunSeconds(40);
    EXPECT_EQ(Shown, (std::vector<std::string>{"先", "后"}));
    EXPECT_EQ(Waiting, (std::vector<std::int32_t>{0, 1, 0}));

    Waiting.clear();
    Shown.clear();
    Clock.Set(EncodeDateTime(2026, 12, 9, 9, 35, 30));
    Restart(); // two missed a day later, then one due while the first of them shows
    EXPECT_EQ(Shown.size(), 2U);
    ASSERT_FALSE(Waiting.empty());
    EXPECT_EQ(Waiting.front(), 1) << "one caught-up reminder behind the first";
}

TEST(CheckedMinutes, MergesAndFindsTheGaps) {
    TCheckedMinutes checked;
    checked.Add(10, 20);
    checked.Add(30, 40);
    checked.Add(21, 21);
    EXPECT_TRUE(checked.Contains(21));
    EXPECT_FALSE(checked.Contains(25));
    using Ranges = std::vector<std::pair<std::int64_t, std::int64_t>>;
    EXPECT_EQ(checked.Unchecked(0, 50), (Ranges{{0, 9}, {22, 29}, {41, 50}}));
    EXPECT_EQ(checked.Unchecked(12, 35), (Ranges{{22, 29}}));
    checked.Add(15, 35);
    EXPECT_EQ(checked.Unchecked(0, 50), (Ranges{{0, 9}, {41, 50}}));
    EXPECT_EQ(checked.Highest(), 40);
}

} // namespace
} // namespace chimewell
