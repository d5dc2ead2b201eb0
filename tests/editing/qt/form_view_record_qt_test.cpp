#include "editing/form_view_record.h"

#include "calendar/clock.h"
#include "dialog_checks.h"
#include "editing/scripted_answers.h"
#include "runtime/qt/modal_helpers.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace chimewell {
namespace {

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

// A real right click asks for the context menu; QTest's clicks do not, so the request is sent by hand.
void RightClick(QWidget* widget) {
    const QPoint position(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, widget->mapToGlobal(position));
    QApplication::sendEvent(widget, &event);
}

void Send(QWidget* widget, QEvent::Type type) {
    QEvent event(type);
    QApplication::sendEvent(widget, &event);
}

class ViewRecordTest : public ::testing::Test {
protected:
    ViewRecordTest() : Clock(EncodeDateTime(2025, 10, 6, 8, 0)) {
        Record.IsLunar = true;
        Record.Year = 2025;
        Record.Month = 8;
        Record.Day = 15;
        Record.Hour = 8;
        Record.Message = "农历%M月%D";
    }

    bool ApplicationReady = (testing::EnsureApplication(), true);
    ClockOverride Clock;
    testing::ScriptedAnswers Answers;
    TRmMainDate Record;
    TfrmViewRecord Window;
};

// Lunar dates are hard to work out in one's head: the window says when the reminder comes next.
TEST_F(ViewRecordTest, SaysWhenTheReminderComesNext) {
    Window.Fill(Record, "");
    EXPECT_EQ(Window.lbNextFiring->text(), Q("不再提醒")) << "2025's Mid-Autumn is this very minute";
    Record.Year = 0;
    Window.Fill(Record, "");
    EXPECT_EQ(Window.lbNextFiring->text(), Q("下次提醒：2026年9月25日 星期五 08:00（农历八月十五）"));
}

TEST_F(ViewRecordTest, ShowsEachFieldAndTestsTheMessage) {
    Window.Fill(Record, "");
    EXPECT_EQ(Window.windowTitle(), Q("查看提醒"));
    EXPECT_EQ(Window.edtGongLiLunar->text(), Q("农历"));
    EXPECT_EQ(Window.edtDate->text(), Q("二○二五年八月十五"));
    EXPECT_EQ(Window.edtTime->text(), Q("8时0分"));
    EXPECT_EQ(Window.edtRemindType->text(), Q("精确提醒(未提醒)"));
    EXPECT_EQ(Window.edtRemindText->text(), Q("农历%M月%D"));
    EXPECT_EQ(Window.edtRemindMusic->text(), Q("(无提醒音乐)"));
    EXPECT_TRUE(Window.edtRemindText->isReadOnly());
    EXPECT_FALSE(Window.btnTestText->isHidden());
    QTest::mouseClick(Window.btnTestText, Qt::LeftButton);
    QTest::mouseDClick(Window.lbRemindText, Qt::LeftButton);
    ASSERT_EQ(Answers.Boxes.size(), 2U);
    EXPECT_EQ(Answers.Boxes[0].Title, "显示内容");
    EXPECT_EQ(Answers.Boxes[0].Text, "内容为：“农历八月十五”。");
    EXPECT_GE(Window.width(), 405);
    testing::ExpectFitsAtOneAndAHalf(&Window);
}

TEST_F(ViewRecordTest, APlainMessageHasNothingToTest) {
    Record.Message = "NOTSHOWREMINDBOX";
    Window.Fill(Record, "");
    EXPECT_EQ(Window.edtRemindText->text(), Q("(不显示提醒窗口) NOTSHOWREMINDBOX"));
    EXPECT_TRUE(Window.btnTestText->isHidden());
    QTest::mouseDClick(Window.lbRemindText, Qt::LeftButton);
    EXPECT_TRUE(Answers.Boxes.empty());
}

TEST_F(ViewRecordTest, TheHintLineExplainsTheFieldUnderTheMouseOrTheFocus) {
    Window.Fill(Record, "");
    EXPECT_EQ(Window.lbShowHint->text(), Q("查看所选择的提醒"));
    Send(Window.Labels[5], QEvent::Enter);
    EXPECT_EQ(Window.lbShowHint->text(), Q("所设置的提前提醒时间"));
    Send(Window.Labels[5], QEvent::Leave);
    EXPECT_EQ(Window.lbShowHint->text(), Q("查看所选择的提醒"));
    QFocusEvent focus(QEvent::FocusIn);
    QApplication::sendEvent(Window.edtRemindOper, &focus);
    EXPECT_EQ(Window.lbShowHint->text(), Q("所设置的提醒操作"));
}

TEST_F(ViewRecordTest, CopyTakesExactlyTheSelection) {
    Window.Fill(Record, "");
    RightClick(Window.edtDate);
    EXPECT_FALSE(Window.popCopy->isEnabled());
    Window.popCopyMenu->hide();
    Window.edtDate->setSelection(5, 3);
    RightClick(Window.edtDate);
    ASSERT_TRUE(Window.popCopy->isEnabled());
    Window.popCopyMenu->hide();
    Window.popCopy->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Q("八月十"));
}

TEST_F(ViewRecordTest, EveryBoxIsReachedByTabAndByItsLabel) {
    Window.Fill(Record, "");
    const std::set<QWidget*> stops = testing::TabStops(&Window);
    const std::map<QChar, QWidget*> keys = testing::Accelerators(&Window);
    for (QLineEdit* box : Window.Boxes) {
        EXPECT_EQ(stops.count(box), 1U);
        bool reached = false;
        for (const auto& [key, target] : keys) {
            reached = reached || target == box;
        }
        EXPECT_TRUE(reached);
    }
    EXPECT_EQ(stops.count(Window.btnClose), 1U);
    EXPECT_TRUE(Window.btnClose->isDefault());
}

} // namespace
} // namespace chimewell
