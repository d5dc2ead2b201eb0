// Warnings ahead of a reminder's time as the running program shows them: on their own minute and day, with the
// text of the time they warn of, never with its command, not marking the reminder as reminded; postponed, caught
// up after a gap and kept across an exit as warnings.

#include "calendar/clock.h"
#include "data/reminder_schedule.h"
#include "runtime/catch_up.h"
#include "runtime/next_firing.h"
#include "runtime/remind_runtime.h"
#include "runtime/snooze_file.h"

#include "data/temp_folder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace chimewell {
namespace {

TRmMainDate Christmas() {
    TRmMainDate record;
    record.Month = 12;
    record.Day = 25;
    record.Hour = 9;
    record.Minuter = 30;
    record.Message = "买礼物";
    record.Command = "c /usr/bin/true";
    record.AutoExecScript = true;
    record.Warnings = {{3, LeadUnit::Days}, {2, LeadUnit::Hours}};
    return record;
}

class WarningsTest : public ::testing::Test {
protected:
    WarningsTest() : Clock(EncodeDateTime(2026, 12, 22, 9, 29, 30)) {
        Config.InitDefaults(Folder.Folder(), 265, 202, 429, 279);
        List.Reset(Folder.File("reminddata.sdt"));
    }

    void Start() {
        ReminderWindowSeam window;
        window.Prepare = [this](const RemindPresentation& presentation) { Prepared.push_back(presentation); };
        window.ShowModal = [this] { return Answer; };
        window.RunCommand = [this] { ++CommandsRun; };
        window.ShowMissedList = [this](const std::vector<TMissedReminder>& missed) { Missed = missed; };
        Runtime = std::make_unique<TRmRuntime>(List, Config, window);
        Runtime->Start();
    }
    void RunSeconds(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            Clock.AdvanceSeconds(1);
            Runtime->Tick();
        }
    }

    testing::TempFolder Folder;
    ClockOverride Clock;
    TRmConfig Config;
    TRmDataList List;
    std::unique_ptr<TRmRuntime> Runtime;
    std::vector<RemindPresentation> Prepared;
    std::vector<TMissedReminder> Missed;
    int CommandsRun = 0;
    int Answer = LATER_NONE;
};

TEST_F(WarningsTest, AWarningShowsTheTextOfItsTimeAndRunsNothing) {
    List.Add(Christmas(), true);
    Start();
    RunSeconds(40);
    ASSERT_EQ(Prepared.size(), 1U);
    EXPECT_EQ(Prepared[0].Text, "还有 3 天：买礼物（12月25日 星期五 09:30）");
    EXPECT_EQ(Prepared[0].CommandButton, CommandButtonState::Hide);
    EXPECT_FALSE(Prepared[0].AutoRun);
    EXPECT_EQ(CommandsRun, 0);
    EXPECT_FALSE(List.Item(0).Reminded);

    // The nearer warning on the day itself, then the time with its command.
    Clock.Set(EncodeDateTime(2026, 12, 25, 7, 29, 30));
    RunSeconds(40);
    ASSERT_EQ(Prepared.size(), 2U);
    EXPECT_EQ(Prepared[1].Text, "还有 2 小时：买礼物（12月25日 星期五 09:30）");
    Clock.Set(EncodeDateTime(2026, 12, 25, 9, 29, 30));
    RunSeconds(40);
    ASSERT_EQ(Prepared.size(), 3U);
    EXPECT_EQ(Prepared[2].Text, "买礼物");
    EXPECT_TRUE(Prepared[2].AutoRun);
    EXPECT_TRUE(List.Item(0).Reminded);
}

TEST_F(WarningsTest, APostponedWarningComesBackNearerToItsTime) {
    TRmMainDate record = Christmas();
    record.Warnings = {{15, LeadUnit::Minutes}};
    record.Day = 22;
    List.Add(record, true);
    Clock.Set(EncodeDateTime(2026, 12, 22, 9, 14, 30));
    Answer = 10;
    Start();
    RunSeconds(40);
    Answer = 10;
    RunSeconds(11 * 60);
    ASSERT_GE(Prepared.size(), 2U);
    EXPECT_EQ(Prepared[0].Text, "还有 15 分钟：买礼物（12月22日 星期二 09:30）");
    EXPECT_EQ(Prepared[1].Text.rfind("还有 5 分钟：买礼物", 0), 0U) << Prepared[1].Text;
    EXPECT_EQ(Prepared[1].CommandButton, CommandButtonState::Hide);
    // Postponed past its time, it says so, and still runs nothing.
    Answer = LATER_NONE;
    RunSeconds(10 * 60);
    bool passed = false;
    for (const RemindPresentation& shown : Prepared) {
        passed = passed || shown.Text == "时间已到：买礼物";
    }
    EXPECT_TRUE(passed);
    EXPECT_EQ(CommandsRun, 0);
}

TEST_F(WarningsTest, WarningsMissedWhileTheProgramWasNotRunningAreCaughtUpAsWarnings) {
    List.Add(Christmas(), true);
    const std::vector<TMissedFiring> firings =
        MissedFirings(List, EncodeDateTime(2026, 12, 22, 8, 0), EncodeDateTime(2026, 12, 22, 12, 0), 24, false);
    ASSERT_EQ(firings.size(), 1U);
    EXPECT_EQ(firings[0].Lead, 3 * 1440);
    const TMissedReminder missed = DescribeMissed(List.Item(0), firings[0], false);
    EXPECT_EQ(missed.Text, "还有 3 天：买礼物（12月25日 星期五 09:30）");
    EXPECT_TRUE(missed.Command.empty());
    EXPECT_TRUE(missed.NotRun.empty());
}

TEST_F(WarningsTest, AReminderWithoutAWindowHasNoWarningsAndAPostponedWarningSurvivesAnExit) {
    TRmMainDate silent = Christmas();
    silent.Message = std::string(SilentReminderMessage);
    List.Add(silent, true);
    Start();
    RunSeconds(40);
    EXPECT_TRUE(Prepared.empty());

    TPendingSnooze snooze{EncodeDateTime(2026, 12, 22, 9, 40), 0, Christmas()};
    snooze.Lead = 3 * 1440 - 10;
    const std::string path = Folder.File(std::string(SnoozeFileName));
    SaveSnoozeFile(path, {snooze});
    const std::vector<TPendingSnooze> loaded = LoadSnoozeFile(path);
    ASSERT_EQ(loaded.size(), 1U);
    EXPECT_EQ(loaded[0].Lead, 3 * 1440 - 10);
    EXPECT_EQ(FormatWarnings(loaded[0].Record.Warnings), "3d,2h");
}

TEST(WarningLines, TheViewWindowSaysTheReminderAndTheWarningBeforeIt) {
    const TNextFiringLine line = DescribeNextFiring(Christmas(), EncodeDateTime(2026, 12, 20, 0, 0), false);
    EXPECT_EQ(line.Text.rfind("下次提醒：2026年12月25日 星期五 09:30（农历", 0), 0U) << line.Text;
    EXPECT_EQ(line.Warning, "下次提前提醒：2026年12月22日 星期二 09:30，提前 3天");
    EXPECT_EQ(line.AllLines(), line.Text + "\n" + line.Warning);
    // Past the last warning, only the reminder's own line.
    EXPECT_EQ(DescribeNextFiring(Christmas(), EncodeDateTime(2026, 12, 25, 8, 0), false).Warning, "");
}

} // namespace
} // namespace chimewell
