#include "app/form_remind.h"
#include "calendar/clock.h"
#include "platform/fake_desktop_actions.h"
#include "platform/message_box.h"
#include "runtime/form_remind_box.h"

#include "data/temp_folder.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace chimewell {
namespace {

// The main window on the offscreen platform, in a temporary folder, with scripted message-box answers and
// the desktop actions recorded instead of performed.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : Clock(EncodeDateTime(2025, 3, 3, 8, 59, 30)) {
        setenv("XDG_CONFIG_HOME", Folder.File("xdg").c_str(), 1);
        std::ofstream(Folder.File("reminddata.sdt"), std::ios::binary)
            << "[Main]\r\nItems=2\r\n[Item1]\r\nHour=9\r\nMinuter=0\r\nMessage=one\r\n"
               "[Item2]\r\nYear=2025\r\nMonth=3\r\nDay=4\r\nHour=9\r\nMinuter=0\r\nMessage=two\r\n";
        PreviousBoxes = SetMessageBoxFunction([this](MessageKind, const std::string& title, const std::string&) {
            Asked.push_back(title);
            const MessageAnswer answer = Answers.empty() ? MessageAnswer::Cancel : Answers.front();
            if (!Answers.empty()) {
                Answers.erase(Answers.begin());
            }
            return answer;
        });
    }
    ~MainWindowTest() override { SetMessageBoxFunction(PreviousBoxes); }

    std::unique_ptr<TfrmRemind> Create(bool tray = false) {
        Answers.insert(Answers.begin(), MessageAnswer::No); // the start-with-system question
        return std::make_unique<TfrmRemind>(Folder.Folder(), Folder.File("chimewell"), tray);
    }

    testing::TempFolder Folder;
    ClockOverride Clock;
    RecordingDesktopActions Actions;
    MessageBoxFunction PreviousBoxes;
    std::vector<MessageAnswer> Answers;
    std::vector<std::string> Asked;
};

TEST_F(MainWindowTest, ListsEveryReminderAndCountsTheStart) {
    auto form = Create();
    ASSERT_EQ(form->lstRecordList->count(), 2);
    EXPECT_EQ(form->lstRecordList->item(0)->text().toStdString(), "公历，每年每月每天9时0分0方式，提醒为：one");
    EXPECT_EQ(form->Config.OpenTimes, 1);
    EXPECT_FALSE(form->popOpenRun->isChecked()) << "the start-with-system question was answered No";
    EXPECT_TRUE(form->ShowAtStart()) << "without a notification area the window must stay reachable";
}

TEST_F(MainWindowTest, ClosingHidesOrMinimisesAndOnlyAConfirmedExitEnds) {
    auto form = Create();
    form->show();
    form->close();
    EXPECT_TRUE(form->isVisible()) << "no tray: the close box minimises";
    EXPECT_TRUE(form->isMinimized());
    form->nmExitSoftClick(); // answered Cancel
    EXPECT_FALSE(form->Exiting);
    Answers = {MessageAnswer::Ok};
    form->nmExitSoftClick();
    EXPECT_TRUE(form->Exiting);
    EXPECT_EQ(Asked.back(), "退出程序");
}

TEST_F(MainWindowTest, PauseAsksAndResumeDoesNot) {
    auto form = Create();
    Answers = {MessageAnswer::Ok};
    form->popPauseRemindClick();
    EXPECT_FALSE(form->trOneSecond.isActive());
    EXPECT_TRUE(form->popPauseRemind->isChecked());
    EXPECT_EQ(form->windowTitle().toStdString(), "晴铃提醒 (暂停提醒)");
    const std::size_t questions = Asked.size();
    form->popPauseRemindClick();
    EXPECT_TRUE(form->trOneSecond.isActive());
    EXPECT_EQ(Asked.size(), questions);
    EXPECT_EQ(form->windowTitle().toStdString(), "晴铃提醒");
}

TEST_F(MainWindowTest, StartWithSystemFollowsWhatIsRegistered) {
    auto form = Create();
    form->popOpenRun->trigger();
    EXPECT_TRUE(form->popOpenRun->isChecked());
    EXPECT_TRUE(std::filesystem::exists(Folder.File("xdg/autostart/Chimewell2.1.desktop")));
    Answers = {MessageAnswer::Cancel};
    form->popOpenRun->trigger();
    EXPECT_TRUE(form->popOpenRun->isChecked()) << "Cancel keeps the entry";
    EXPECT_EQ(Asked.back(), "取消自运行");
    Answers = {MessageAnswer::Ok};
    form->popOpenRun->trigger();
    EXPECT_FALSE(form->popOpenRun->isChecked());
    EXPECT_FALSE(std::filesystem::exists(Folder.File("xdg/autostart/Chimewell2.1.desktop")));
}

TEST_F(MainWindowTest, MovesAndResizesReachTheSettings) {
    auto form = Create();
    form->show();
    form->move(311, 222);
    form->resize(640, 480);
    QApplication::processEvents();
    EXPECT_EQ(form->Config.MainWndLeft, form->pos().x());
    EXPECT_EQ(form->Config.MainWndTop, form->pos().y());
    EXPECT_EQ(form->Config.MainWndWidth, 640);
    EXPECT_EQ(form->Config.MainWndHeight, 480);
    form->resize(100, 100);
    QApplication::processEvents();
    EXPECT_EQ(form->Config.MainWndWidth, 429) << "the designed size is the smallest";
}

TEST_F(MainWindowTest, TheSettingsAreSavedWhenTheWindowGoes) {
    {
        auto form = Create();
        form->Config.LaterRemindTime = 17;
    }
    auto again = Create();
    EXPECT_EQ(again->Config.LaterRemindTime, 17);
    EXPECT_EQ(again->Config.OpenTimes, 2);
}

TEST_F(MainWindowTest, SearchRequestsArePostedAndSelectOnlyExistingLines) {
    auto form = Create();
    form->PostSearchRequest(102, 1);
    EXPECT_EQ(form->lstRecordList->currentRow(), -1) << "handled after the sender returns";
    QApplication::processEvents();
    EXPECT_EQ(form->lstRecordList->currentRow(), 1);
    form->PostSearchRequest(102, 2);
    form->PostSearchRequest(7, 0);
    QApplication::processEvents();
    EXPECT_EQ(form->lstRecordList->currentRow(), 1);
}

TEST_F(MainWindowTest, HelpFallsBackToTheWebPageWhenTheFileIsMissing) {
    auto form = Create();
    form->nmHelpFileClick();
    EXPECT_EQ(Asked.back(), "文件丢失");
    ASSERT_EQ(Actions.OpenedTargets.size(), 1U);
    EXPECT_EQ(Actions.OpenedTargets[0], std::string(MakerWebSite) + "?nohelp");
    std::ofstream(Folder.File("remindhelp.chm")) << "help";
    form->nmHelpFileClick();
    EXPECT_EQ(Actions.OpenedTargets.back(), Folder.File("remindhelp.chm"));
}

TEST_F(MainWindowTest, TheTickFiresThroughTheReminderWindow) {
    auto form = Create();
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (form->RemindBox->isVisible()) {
            EXPECT_TRUE(form->popCloseWindow->isEnabled());
            form->popCloseWindowClick();
        }
    });
    closer.start(20);
    for (int second = 0; second < 40; ++second) {
        Clock.AdvanceSeconds(1);
        form->trOneSecondTimer();
    }
    EXPECT_FALSE(form->popCloseWindow->isEnabled());
    EXPECT_TRUE(form->List.Item(0).Reminded);
    EXPECT_FALSE(form->List.Item(1).Reminded) << "dated tomorrow";
}

} // namespace
} // namespace chimewell

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
