#include "runtime/reminder_actions.h"

#include "platform/fake_desktop_actions.h"
#include "platform/message_box.h"
#include "row_name.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace chimewell {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// ---- Running a command --------------------------------------------------------------------------------

struct CommandRow {
    std::string Name;
    std::string Command;
    std::vector<std::string> DesktopCalls;     // as RecordingDesktopActions lists them
    std::vector<ShutDownOperation> Countdowns; // countdown windows asked for
};

class RunReminderCommandTest : public ::testing::TestWithParam<CommandRow> {};

TEST_P(RunReminderCommandTest, AsksForExactlyTheActionOfItsKind) {
    const CommandRow& row = GetParam();
    RecordingDesktopActions desktop;
    std::vector<ShutDownOperation> countdowns;
    RunReminderCommand(row.Command, [&](ShutDownOperation operation) { countdowns.push_back(operation); });
    EXPECT_EQ(desktop.Calls, row.DesktopCalls);
    EXPECT_EQ(countdowns, row.Countdowns);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, RunReminderCommandTest,
    ::testing::Values(CommandRow{"Empty", "", {}, {}},
                      CommandRow{"ShutDownShowsCountdown", "sShutDown", {}, {ShutDownOperation::ShutDown}},
                      CommandRow{"RebootShowsCountdown", "sReboot", {}, {ShutDownOperation::Reboot}},
                      CommandRow{"ShutDownInLowerCaseDoesNothing", "sshutdown", {}, {}},
                      CommandRow{"RebootInUpperCaseDoesNothing", "sREBOOT", {}, {}},
                      CommandRow{"LoneSDoesNothing", "s", {}, {}},
                      CommandRow{"ShutDownWithTrailingBlankDoesNothing", "sShutDown ", {}, {}},
                      CommandRow{"CapitalKindLetterDoesNothing", "SShutDown", {}, {}},
                      CommandRow{"ProgramWithArguments",
                                 "c/usr/bin/editor \"my notes.txt\"",
                                 {"StartProgram /usr/bin/editor \"my notes.txt\""},
                                 {}},
                      CommandRow{"ProgramArgumentKeepsItsBlanks", "c  tool ", {"StartProgram   tool "}, {}},
                      CommandRow{"LoneCStartsNothing", "c", {}, {}},
                      CommandRow{"OpenFile", "o/home/user/笔记.txt", {"OpenTarget /home/user/笔记.txt"}, {}},
                      CommandRow{"OpenAddress", "uhttps://example.org/", {"OpenTarget https://example.org/"}, {}},
                      CommandRow{
                          "AddressKindOpensAPathAlike", "u/home/user/笔记.txt", {"OpenTarget /home/user/笔记.txt"}, {}},
                      CommandRow{"LoneOOpensNothing", "o", {}, {}}, CommandRow{"UnknownKind", "xcalc", {}, {}},
                      CommandRow{"KindLetterIsCaseSensitive", "Ccalc", {}, {}}),
    RowName<CommandRow>);

struct RunsOnShowRow {
    std::string Name;
    std::string Command;
    bool AutoRun;
    bool Runs;
};

class CommandRunsOnShowTest : public ::testing::TestWithParam<RunsOnShowRow> {};

TEST_P(CommandRunsOnShowTest, ShutDownAlwaysOthersOnlyWhenAsked) {
    EXPECT_EQ(CommandRunsOnShow(GetParam().Command, GetParam().AutoRun), GetParam().Runs);
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandRunsOnShowTest,
                         ::testing::Values(RunsOnShowRow{"ShutDownWithoutAutoRun", "sShutDown", false, true},
                                           RunsOnShowRow{"RebootWithoutAutoRun", "sReboot", false, true},
                                           RunsOnShowRow{"ProgramWithoutAutoRun", "ccalc", false, false},
                                           RunsOnShowRow{"ProgramWithAutoRun", "ccalc", true, true},
                                           RunsOnShowRow{"AddressWithAutoRun", "uhttps://a.b/", true, true},
                                           RunsOnShowRow{"NoCommandWithAutoRun", "", true, false}),
                         RowName<RunsOnShowRow>);

// ---- The shutdown countdown ---------------------------------------------------------------------------

// Answers every message box with `answer` and remembers what was asked.
class AnsweredBoxes {
public:
    explicit AnsweredBoxes(MessageAnswer answer) {
        Previous =
            SetMessageBoxFunction([this, answer](MessageKind kind, const std::string& title, const std::string& text) {
                Asked.push_back({kind, title, text});
                if (OnAsk) {
                    OnAsk();
                }
                return answer;
            });
    }
    ~AnsweredBoxes() { SetMessageBoxFunction(std::move(Previous)); }
    AnsweredBoxes(const AnsweredBoxes&) = delete;
    AnsweredBoxes& operator=(const AnsweredBoxes&) = delete;

    struct Box {
        MessageKind Kind;
        std::string Title;
        std::string Text;
    };
    std::vector<Box> Asked;
    std::function<void()> OnAsk;

private:
    MessageBoxFunction Previous;
};

void TickTimes(ShutDownCountdown& countdown, int times) {
    for (int i = 0; i < times; ++i) {
        countdown.Tick();
    }
}

TEST(ShutDownCountdown, PowersOffOnceAtTheSixtiethSecondEvenWhenRefused) {
    RecordingDesktopActions desktop;
    desktop.Succeeds = false;
    ShutDownCountdown countdown;
    countdown.Start();
    TickTimes(countdown, 59);
    EXPECT_EQ(countdown.Position, 59);
    EXPECT_TRUE(countdown.Running);
    EXPECT_THAT(desktop.Calls, IsEmpty());

    countdown.Tick();
    EXPECT_EQ(countdown.Position, 60);
    EXPECT_FALSE(countdown.Running);
    EXPECT_THAT(desktop.Calls, ElementsAre("PowerOff"));

    // Neither a refusal nor timer events still queued may make it ask again.
    TickTimes(countdown, 5);
    EXPECT_EQ(countdown.Position, 60);
    EXPECT_THAT(desktop.Calls, ElementsAre("PowerOff"));
}

TEST(ShutDownCountdown, RebootAsksForRestartNotPowerOff) {
    RecordingDesktopActions desktop;
    ShutDownCountdown countdown{.Operation = ShutDownOperation::Reboot};
    countdown.Start();
    TickTimes(countdown, 60);
    EXPECT_THAT(desktop.Calls, ElementsAre("Reboot"));
}

TEST(ShutDownCountdown, CancelAnsweredOkStopsForGood) {
    RecordingDesktopActions desktop;
    AnsweredBoxes boxes(MessageAnswer::Ok);
    ShutDownCountdown countdown;
    countdown.Start();
    TickTimes(countdown, 30);
    EXPECT_TRUE(countdown.Cancel());
    EXPECT_FALSE(countdown.Running);
    TickTimes(countdown, 60);
    EXPECT_EQ(countdown.Position, 30);
    EXPECT_THAT(desktop.Calls, IsEmpty());

    ASSERT_EQ(boxes.Asked.size(), 1u);
    EXPECT_EQ(boxes.Asked[0].Kind, MessageKind::Question);
    EXPECT_EQ(boxes.Asked[0].Title, "取消操作");
    EXPECT_EQ(boxes.Asked[0].Text, "要取消晴铃提醒自动关机/重启吗？");
}

TEST(ShutDownCountdown, CancelAnsweredCancelResumesWhereItStood) {
    RecordingDesktopActions desktop;
    AnsweredBoxes boxes(MessageAnswer::Cancel);
    ShutDownCountdown countdown;
    bool runningWhileAsked = true;
    boxes.OnAsk = [&] { runningWhileAsked = countdown.Running; };
    countdown.Start();
    TickTimes(countdown, 42);

    EXPECT_FALSE(countdown.Cancel());
    EXPECT_FALSE(runningWhileAsked);
    EXPECT_TRUE(countdown.Running);
    EXPECT_EQ(countdown.Position, 42);

    TickTimes(countdown, 17);
    EXPECT_THAT(desktop.Calls, IsEmpty());
    countdown.Tick();
    EXPECT_THAT(desktop.Calls, ElementsAre("PowerOff"));
}

TEST(ShutDownCountdown, CancelAnsweredCancelAfterTheEndAsksNothingAgain) {
    RecordingDesktopActions desktop;
    AnsweredBoxes boxes(MessageAnswer::Cancel);
    ShutDownCountdown countdown;
    countdown.Start();
    TickTimes(countdown, 60);
    EXPECT_FALSE(countdown.Cancel());
    EXPECT_FALSE(countdown.Running);
    TickTimes(countdown, 5);
    EXPECT_EQ(desktop.PowerOffs, 1);
}

// ---- The reminder window's own logic ------------------------------------------------------------------

TEST(CloseCountdown, LabelCountsDownToZeroThenTheWindowCloses) {
    int secondsLeft = 3;
    std::vector<std::string> labels;
    int ticks = 0;
    while (!CloseCountdownTick(secondsLeft)) {
        labels.push_back(CloseCountdownText(secondsLeft));
        ++ticks;
        ASSERT_LT(ticks, 10);
    }
    EXPECT_THAT(labels,
                ElementsAre("本窗口将在2秒钟后自动关闭", "本窗口将在1秒钟后自动关闭", "本窗口将在0秒钟后自动关闭"));
}

TEST(CloseCountdown, ZeroSecondsClosesAtTheFirstTick) {
    int secondsLeft = 0;
    EXPECT_TRUE(CloseCountdownTick(secondsLeft));
}

} // namespace
} // namespace chimewell
