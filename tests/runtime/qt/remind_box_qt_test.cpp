#include "runtime/form_remind_box.h"

#include "modal_helpers.h"
#include "platform/fake_desktop_actions.h"
#include "platform/fake_music_player.h"
#include "runtime/form_auto_shutdown.h"
#include "runtime/reminder_actions.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace chimewell {
namespace {

using ::testing::ElementsAre;
using testing::EnsureApplication;
using ::testing::IsEmpty;
using testing::WhenModal;

RemindPresentation Presentation(const std::string& text = "下午三点开会") {
    RemindPresentation presentation;
    presentation.Text = text;
    presentation.LaterCaption = "推迟提醒(5)";
    presentation.LaterHint = "推迟提醒:5分钟提醒";
    return presentation;
}

RemindPresentation WithCommand(const std::string& command, bool autoRun) {
    RemindPresentation presentation = Presentation();
    presentation.CommandButton = command.starts_with('s') ? CommandButtonState::Unchanged : CommandButtonState::Show;
    presentation.CommandText = command;
    presentation.AutoRun = autoRun;
    presentation.CommandHint = "命令为:" + command;
    return presentation;
}

// QTest's mouse clicks go straight to the widget, so the context menu request a real right click makes is
// sent by hand.
void RightClick(QWidget* widget) {
    const QPoint position(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, widget->mapToGlobal(position));
    QApplication::sendEvent(widget, &event);
}

// Every test holds fakes: nothing is powered off, started, opened or played.
class RemindBoxTest : public ::testing::Test {
protected:
    // Shows the window modally, acts on it once it is up, and returns what ShowModal returned.
    int ShowAndAct(const std::function<void(TfrmRemindBox*)>& act) {
        auto poll = WhenModal<TfrmRemindBox>(act);
        return Window.ShowModal();
    }

    // First, so the application exists before the window is built.
    bool ApplicationReady = (EnsureApplication(), true);
    RecordingDesktopActions Desktop;
    FakeMusicPlayer Music;
    TfrmRemindBox Window;
};

TEST_F(RemindBoxTest, IsATopmostWindowWithoutTaskbarButton) {
    EXPECT_EQ(Window.windowTitle(), QStringLiteral("提醒"));
    EXPECT_TRUE(Window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(Window.windowType(), Qt::Tool);
    EXPECT_EQ(Window.parentWidget(), nullptr);
    EXPECT_GE(Window.width(), 427);
    EXPECT_GE(Window.height(), 264);
}

TEST_F(RemindBoxTest, ClosingWaysGiveTheirPostponement) {
    Window.Prepare(Presentation());
    EXPECT_EQ(ShowAndAct([](TfrmRemindBox* w) { QTest::mouseClick(w->btnLater, Qt::LeftButton); }), LATER_DEFAULT);

    Window.Prepare(Presentation());
    EXPECT_EQ(ShowAndAct([](TfrmRemindBox* w) { QTest::keyClick(w->edtShowRemindText, Qt::Key_Return); }), LATER_NONE);

    Window.Prepare(Presentation());
    EXPECT_EQ(ShowAndAct([](TfrmRemindBox* w) { QTest::mouseClick(w->btnClose, Qt::LeftButton); }), LATER_NONE);

    Window.Prepare(Presentation());
    EXPECT_EQ(ShowAndAct([](TfrmRemindBox* w) { w->close(); }), LATER_NONE);

    Window.Prepare(Presentation());
    EXPECT_EQ(ShowAndAct([](TfrmRemindBox* w) { w->CloseWindow(); }), LATER_NONE);
    EXPECT_FALSE(Window.isVisible());
}

TEST_F(RemindBoxTest, EveryMenuDelayClosesWithItsMinutes) {
    for (const LaterMenuItem& item : LaterMenuItems) {
        Window.Prepare(Presentation());
        const int chosen = ShowAndAct([&item](TfrmRemindBox* w) {
            RightClick(w->btnLater);
            ASSERT_TRUE(w->PopupMenu2->isVisible());
            auto* action = w->PopupMenu2->findChild<QAction*>(QString::fromUtf8(item.Name.data(), item.Name.size()));
            ASSERT_NE(action, nullptr);
            EXPECT_EQ(action->text().toStdString(), item.Caption);
            w->PopupMenu2->hide();
            action->trigger();
        });
        EXPECT_EQ(chosen, item.Minutes) << item.Name;
    }
    EXPECT_EQ(Window.PopupMenu2->actions().size(), 13);
}

TEST_F(RemindBoxTest, TypingChangesNothingAndEnterInTheMultiLineFieldDoesNotClose) {
    Window.Prepare(Presentation("原文"));
    bool stayedOpen = false;
    ShowAndAct([&](TfrmRemindBox* w) {
        QTest::keyClicks(w->edtShowRemindText, "abc");
        QTest::keyClick(w->edtShowRemindText, Qt::Key_Backspace);
        QTest::keyClicks(w->memoShowRemindText, "xyz");
        QTest::keyClick(w->memoShowRemindText, Qt::Key_Return);
        QTest::keyClick(w, Qt::Key_Escape);
        stayedOpen = w->isVisible();
        w->close();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(Window.edtShowRemindText->text(), QStringLiteral("原文"));
    EXPECT_EQ(Window.memoShowRemindText->toPlainText(), QStringLiteral("原文"));
}

TEST_F(RemindBoxTest, CountdownLabelCountsDownThenTheWindowCloses) {
    RemindPresentation presentation = Presentation();
    presentation.AutoClose = true;
    presentation.CloseCountdown = 2;
    presentation.CloseLabel = CloseCountdownText(2);
    Window.Prepare(presentation);
    EXPECT_FALSE(Window.lbShowClose->isHidden());
    EXPECT_EQ(Window.lbShowClose->text(), QStringLiteral("本窗口将在2秒钟后自动关闭"));
    EXPECT_TRUE(Window.trCloseWindow->isActive());

    std::vector<QString> labels;
    bool openAfterLastLabel = false;
    const int chosen = ShowAndAct([&](TfrmRemindBox* w) {
        w->trCloseWindowTimer();
        labels.push_back(w->lbShowClose->text());
        w->trCloseWindowTimer();
        labels.push_back(w->lbShowClose->text());
        openAfterLastLabel = w->isVisible();
        w->trCloseWindowTimer();
    });
    EXPECT_EQ(chosen, LATER_NONE);
    EXPECT_THAT(labels,
                ElementsAre(QStringLiteral("本窗口将在1秒钟后自动关闭"), QStringLiteral("本窗口将在0秒钟后自动关闭")));
    EXPECT_TRUE(openAfterLastLabel);
    EXPECT_FALSE(Window.trCloseWindow->isActive());
}

TEST_F(RemindBoxTest, WithoutAutoCloseTheLabelIsHiddenAndNothingCounts) {
    RemindPresentation presentation = Presentation();
    presentation.AutoClose = true;
    presentation.CloseCountdown = 5;
    Window.Prepare(presentation);
    Window.Prepare(Presentation());
    EXPECT_TRUE(Window.lbShowClose->isHidden());
    EXPECT_FALSE(Window.trCloseWindow->isActive());
}

TEST_F(RemindBoxTest, CountdownEndingOnAWindowNeverShownChangesNothing) {
    RemindPresentation presentation = Presentation();
    presentation.AutoClose = true;
    presentation.CloseCountdown = 0;
    Window.Prepare(presentation);
    Window.trCloseWindowTimer();
    EXPECT_FALSE(Window.trCloseWindow->isActive());
    EXPECT_FALSE(Window.isVisible());
    EXPECT_EQ(Music.Stops, 0);
}

TEST_F(RemindBoxTest, ShutDownCommandShowsTheCountdownFirstEvenWithoutAutoRun) {
    Window.Prepare(WithCommand("sShutDown", false));
    QString countdownTitle;
    bool reminderVisibleDuringCountdown = true;
    auto countdown = WhenModal<TfrmAutoShutDown>([&](TfrmAutoShutDown* w) {
        countdownTitle = w->windowTitle();
        reminderVisibleDuringCountdown = Window.isVisible();
        w->close();
    });
    EXPECT_EQ(ShowAndAct([](TfrmRemindBox* w) { w->close(); }), LATER_NONE);
    EXPECT_EQ(countdownTitle, QStringLiteral("自动关机"));
    EXPECT_FALSE(reminderVisibleDuringCountdown);
    EXPECT_THAT(Desktop.Calls, IsEmpty());
}

TEST_F(RemindBoxTest, CountdownRunningOutDuringTheShutDownCountdownClosesTheWindowUnshown) {
    RemindPresentation presentation = WithCommand("sShutDown", false);
    presentation.AutoClose = true;
    presentation.CloseCountdown = 0;
    Window.Prepare(presentation);
    auto countdown = WhenModal<TfrmAutoShutDown>([&](TfrmAutoShutDown* w) {
        Window.trCloseWindowTimer();
        w->close();
    });
    EXPECT_EQ(Window.ShowModal(), LATER_NONE);
    EXPECT_FALSE(Window.isVisible());
}

TEST_F(RemindBoxTest, ProgramWaitsForTheButtonAndEachPressRunsItAgain) {
    Window.Prepare(WithCommand("ceditor notes.txt", false));
    EXPECT_FALSE(Window.btnCommand->isHidden());
    EXPECT_EQ(Window.btnCommand->toolTip(), QStringLiteral("命令为:ceditor notes.txt"));
    std::vector<std::string> startedBeforePress;
    ShowAndAct([&](TfrmRemindBox* w) {
        startedBeforePress = Desktop.StartedPrograms;
        QTest::mouseClick(w->btnCommand, Qt::LeftButton);
        QTest::mouseClick(w->btnCommand, Qt::LeftButton);
        w->close();
    });
    EXPECT_THAT(startedBeforePress, IsEmpty());
    EXPECT_THAT(Desktop.StartedPrograms, ElementsAre("editor notes.txt", "editor notes.txt"));
}

TEST_F(RemindBoxTest, AutoRunOpensTheAddressOnShow) {
    Window.Prepare(WithCommand("uhttps://example.org/", true));
    ShowAndAct([](TfrmRemindBox* w) { w->close(); });
    EXPECT_THAT(Desktop.OpenedTargets, ElementsAre("https://example.org/"));
}

TEST_F(RemindBoxTest, MusicPlaysWhileShownAndStopsOnClose) {
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("铃声.wav")).toStdString();
    std::ofstream(path) << "RIFF";
    RemindPresentation presentation = Presentation();
    presentation.MusicFile = path;
    Window.Prepare(presentation);
    bool playingWhileShown = false;
    ShowAndAct([&](TfrmRemindBox* w) {
        playingWhileShown = Music.IsPlaying();
        QTest::mouseClick(w->btnLater, Qt::LeftButton);
    });
    EXPECT_TRUE(playingWhileShown);
    EXPECT_THAT(Music.Played, ElementsAre(path));
    EXPECT_EQ(Music.Stops, 1);
    EXPECT_FALSE(Music.IsPlaying());
    EXPECT_EQ(Desktop.Beeps, 0);
}

// 重复播放提醒音乐直到关闭: the tune starts again each time it ends while the reminder waits, never after.
TEST_F(RemindBoxTest, RepeatedMusicPlaysUntilTheReminderIsAnswered) {
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("铃声.wav")).toStdString();
    std::ofstream(path) << "RIFF";
    RemindPresentation presentation = Presentation();
    presentation.MusicFile = path;
    Window.RepeatMusic = true;
    Window.Prepare(presentation);
    ShowAndAct([&](TfrmRemindBox* w) {
        Music.End(MusicEnd::Finished);
        QTest::qWait(20);
        Music.End(MusicEnd::Finished);
        QTest::qWait(20);
        w->btnClose->click();
    });
    EXPECT_EQ(Music.Played.size(), 3U) << "played, and again twice";
    Music.End(MusicEnd::Finished);
    QTest::qWait(20);
    EXPECT_EQ(Music.Played.size(), 3U) << "not after the answer";
    Window.RepeatMusic = false;
    Window.Prepare(presentation);
    ShowAndAct([&](TfrmRemindBox* w) {
        Music.End(MusicEnd::Finished);
        QTest::qWait(20);
        w->btnClose->click();
    });
    EXPECT_EQ(Music.Played.size(), 4U) << "once, as before";
}

TEST_F(RemindBoxTest, MissingMusicBeepsOnceAndPlaysNothing) {
    QTemporaryDir folder;
    RemindPresentation presentation = Presentation();
    presentation.MusicFile = folder.filePath(QStringLiteral("gone.mp3")).toStdString();
    Window.Prepare(presentation);
    ShowAndAct([](TfrmRemindBox* w) { w->close(); });
    EXPECT_EQ(Desktop.Beeps, 1);
    EXPECT_THAT(Music.Played, IsEmpty());
    EXPECT_EQ(Music.Stops, 0);
    EXPECT_TRUE(Window.MusicFile.empty());
}

TEST_F(RemindBoxTest, CollapsedLayoutCarriesOverToTheNextReminder) {
    Window.Prepare(Presentation());
    int expandedHeight = 0;
    int collapsedHeight = 0;
    ShowAndAct([&](TfrmRemindBox* w) {
        expandedHeight = w->height();
        QTest::mouseClick(w->btnShowAll, Qt::LeftButton);
        collapsedHeight = w->height();
        w->close();
    });
    EXPECT_LT(collapsedHeight, expandedHeight - 100);
    EXPECT_EQ(Window.btnShowAll->text(), QStringLiteral("显示全部"));

    Window.Prepare(Presentation("第二个提醒"));
    bool collapsedOnNextShow = false;
    int heightAfterExpanding = 0;
    ShowAndAct([&](TfrmRemindBox* w) {
        collapsedOnNextShow = !w->ShowsAll() && w->height() == collapsedHeight;
        QTest::mouseClick(w->btnShowAll, Qt::LeftButton);
        heightAfterExpanding = w->height();
        w->close();
    });
    EXPECT_TRUE(collapsedOnNextShow);
    EXPECT_EQ(heightAfterExpanding, expandedHeight);
    EXPECT_EQ(Window.btnShowAll->text(), QStringLiteral("隐藏显示"));
}

TEST_F(RemindBoxTest, CopyIsOfferedOnlyForASelectionAndTheMultiLineFieldHasNoMenu) {
    Window.Prepare(Presentation("复制这段文字"));
    bool enabledWithoutSelection = true;
    bool enabledWithSelection = false;
    QWidget* memoPopup = nullptr;
    ShowAndAct([&](TfrmRemindBox* w) {
        QApplication::processEvents();
        RightClick(w->edtShowRemindText);
        EXPECT_TRUE(w->popCopyText->isVisible());
        enabledWithoutSelection = w->popCopy->isEnabled();
        w->popCopyText->hide();

        w->edtShowRemindText->setSelection(2, 2);
        RightClick(w->edtShowRemindText);
        enabledWithSelection = w->popCopy->isEnabled();
        w->popCopyText->hide();
        w->popCopy->trigger();

        RightClick(w->memoShowRemindText->viewport());
        memoPopup = QApplication::activePopupWidget();
        w->close();
    });
    EXPECT_FALSE(enabledWithoutSelection);
    EXPECT_TRUE(enabledWithSelection);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("这段"));
    EXPECT_EQ(memoPopup, nullptr);
}

TEST_F(RemindBoxTest, LongMessageShowsItsBeginningOnTheSingleLine) {
    Window.Prepare(Presentation(std::string(300, 'a') + "结尾"));
    int cursorWhenShown = -1;
    bool selectedWhenShown = true;
    ShowAndAct([&](TfrmRemindBox* w) {
        QApplication::processEvents();
        cursorWhenShown = w->edtShowRemindText->cursorPosition();
        selectedWhenShown = w->edtShowRemindText->hasSelectedText();
        w->close();
    });
    EXPECT_EQ(cursorWhenShown, 0);
    EXPECT_FALSE(selectedWhenShown);
}

// With many reminders due at once, one click closes them all (after one list of them, so none goes unseen).
TEST_F(RemindBoxTest, CloseAllShowsOnlyWhileOthersWaitAndClosesWithItsOwnAnswer) {
    Window.Prepare(Presentation());
    Window.SetWaiting(0);
    EXPECT_EQ(ShowAndAct([](TfrmRemindBox* window) {
                  EXPECT_FALSE(window->btnCloseAll->isVisible());
                  window->btnClose->click();
              }),
              LATER_NONE);
    Window.Prepare(Presentation());
    Window.SetWaiting(9999);
    EXPECT_EQ(ShowAndAct([](TfrmRemindBox* window) {
                  EXPECT_TRUE(window->btnCloseAll->isVisible());
                  EXPECT_EQ(window->btnCloseAll->text(), QStringLiteral("全部关闭(10000)[&A]"));
                  window->btnCloseAll->click();
              }),
              LATER_CLOSE_ALL);
    Window.Prepare(Presentation());
    EXPECT_EQ(ShowAndAct([](TfrmRemindBox* window) { window->CloseAll(); }), LATER_CLOSE_ALL)
        << "the tray menu's 全部关闭";
}

TEST_F(RemindBoxTest, SeamReachesTheWindow) {
    bool closeItemEnabled = false;
    ReminderWindowSeam seam = ReminderWindowSeamFor(Window, [&](bool enabled) { closeItemEnabled = enabled; });
    seam.Prepare(WithCommand("cnotes", false));
    seam.RunCommand();
    seam.SetCloseWindowEnabled(true);
    auto poll = WhenModal<TfrmRemindBox>([](TfrmRemindBox* w) { QTest::mouseClick(w->btnLater, Qt::LeftButton); });
    EXPECT_EQ(seam.ShowModal(), LATER_DEFAULT);
    EXPECT_THAT(Desktop.StartedPrograms, ElementsAre("notes"));
    EXPECT_TRUE(closeItemEnabled);
}

} // namespace
} // namespace chimewell
