#include "runtime/form_auto_shutdown.h"

#include "modal_helpers.h"
#include "platform/fake_desktop_actions.h"
#include "platform/message_box.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace chimewell {
namespace {

using ::testing::ElementsAre;
using testing::EnsureApplication;
using ::testing::IsEmpty;
using testing::WhenModal;

class AutoShutDownTest : public ::testing::Test {
protected:
    AutoShutDownTest() {
        PreviousBoxes = SetMessageBoxFunction([this](MessageKind, const std::string& title, const std::string&) {
            Questions.push_back(title);
            TimerActiveWhileAsked = Window.trAutoShutDown->isActive();
            return Answer;
        });
    }
    ~AutoShutDownTest() override { SetMessageBoxFunction(std::move(PreviousBoxes)); }

    void Tick(int times) {
        for (int i = 0; i < times; ++i) {
            Window.trAutoShutDownTimer();
        }
    }

    // First, so the application exists before the window is built.
    bool ApplicationReady = (EnsureApplication(), true);
    RecordingDesktopActions Desktop;
    MessageAnswer Answer = MessageAnswer::Cancel;
    std::vector<std::string> Questions;
    bool TimerActiveWhileAsked = true;
    MessageBoxFunction PreviousBoxes;
    TfrmAutoShutDown Window;
};

TEST_F(AutoShutDownTest, ShowsTheShutDownTextsInATopmostWindow) {
    EXPECT_EQ(Window.windowTitle(), QStringLiteral("自动关机"));
    EXPECT_EQ(Window.lbAutoShutDownShow->text(), QStringLiteral("晴铃提醒正在进行自动关机......"));
    EXPECT_TRUE(Window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(Window.windowType(), Qt::Tool);
    EXPECT_FALSE(Window.trAutoShutDown->isActive());
    Window.SetOperation(ShutDownOperation::Reboot);
    EXPECT_EQ(Window.windowTitle(), QStringLiteral("自动重启"));
    EXPECT_EQ(Window.lbAutoShutDownShow->text(), QStringLiteral("晴铃提醒正在进行自动重启......"));
}

TEST_F(AutoShutDownTest, PowersOffAfterSixtyTicksAndStops) {
    Window.Start();
    EXPECT_TRUE(Window.trAutoShutDown->isActive());
    Tick(59);
    EXPECT_EQ(Window.pbAutoShutDown->value(), 59);
    EXPECT_THAT(Desktop.Calls, IsEmpty());
    Tick(1);
    EXPECT_EQ(Window.pbAutoShutDown->value(), 60);
    EXPECT_THAT(Desktop.Calls, ElementsAre("PowerOff"));
    EXPECT_FALSE(Window.trAutoShutDown->isActive());
}

TEST_F(AutoShutDownTest, CancelAnsweredCancelResumesAtTheSamePosition) {
    Window.Start();
    Tick(25);
    Answer = MessageAnswer::Cancel;
    QTest::mouseClick(Window.btnAutoShutDown, Qt::LeftButton);
    EXPECT_THAT(Questions, ElementsAre("取消操作"));
    EXPECT_FALSE(TimerActiveWhileAsked);
    EXPECT_TRUE(Window.trAutoShutDown->isActive());
    EXPECT_EQ(Window.pbAutoShutDown->value(), 25);
    Tick(35);
    EXPECT_THAT(Desktop.Calls, ElementsAre("PowerOff"));
}

TEST_F(AutoShutDownTest, CancelAnsweredOkClosesAndNothingIsShutDown) {
    Answer = MessageAnswer::Ok;
    auto poll = WhenModal<TfrmAutoShutDown>([](TfrmAutoShutDown* w) {
        w->trAutoShutDownTimer();
        QTest::mouseClick(w->btnAutoShutDown, Qt::LeftButton);
    });
    Window.Start();
    Window.exec();
    EXPECT_FALSE(Window.isVisible());
    EXPECT_FALSE(Window.trAutoShutDown->isActive());
    Tick(60);
    EXPECT_THAT(Desktop.Calls, IsEmpty());
}

TEST_F(AutoShutDownTest, CloseBoxEndsTheCountdownWithoutAsking) {
    auto poll = WhenModal<TfrmAutoShutDown>([](TfrmAutoShutDown* w) { w->close(); });
    Window.Start();
    Window.exec();
    EXPECT_FALSE(Window.trAutoShutDown->isActive());
    Tick(60);
    EXPECT_THAT(Desktop.Calls, IsEmpty());
    EXPECT_THAT(Questions, IsEmpty());
}

TEST_F(AutoShutDownTest, EscapeAsksLikeTheCancelButton) {
    Answer = MessageAnswer::Cancel;
    bool openAfterEscape = false;
    auto poll = WhenModal<TfrmAutoShutDown>([&](TfrmAutoShutDown* w) {
        QTest::keyClick(w, Qt::Key_Escape);
        openAfterEscape = w->isVisible();
        w->close();
    });
    Window.Start();
    Window.exec();
    EXPECT_TRUE(openAfterEscape);
    EXPECT_THAT(Questions, ElementsAre("取消操作"));
}

} // namespace
} // namespace chimewell
