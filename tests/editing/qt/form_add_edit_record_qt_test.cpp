#include "editing/form_add_edit_record.h"

#include "calendar/clock.h"
#include "dialog_checks.h"
#include "editing/form_input_url.h"
#include "editing/scripted_answers.h"
#include "runtime/qt/modal_helpers.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace chimewell {
namespace {

using testing::EnsureApplication;
using testing::WhenModal;

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

QAction* ItemNamed(QMenu* menu, const char* name) {
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String(name)) {
            return action;
        }
    }
    return nullptr;
}

// A Monday in lunar 2025, whose sixth month has a leap month after it.
class AddEditDialogTest : public ::testing::Test {
protected:
    AddEditDialogTest() : Clock(EncodeDateTime(2025, 3, 10, 9, 0)) {}

    bool ApplicationReady = (EnsureApplication(), true);
    ClockOverride Clock;
    testing::ScriptedAnswers Answers;
    TRecordEditor Editor;
    TfrmAddEditRecord Dialog{Editor};
};

TEST_F(AddEditDialogTest, ShowsANewReminderOnToday) {
    EXPECT_EQ(Dialog.windowTitle(), Q("添加/编辑提醒"));
    EXPECT_TRUE(Dialog.rbGongLi->isChecked());
    EXPECT_EQ(Dialog.cbSelYear->currentText(), Q("2025年"));
    EXPECT_EQ(Dialog.cbSelMonth->currentText(), Q("3月"));
    EXPECT_EQ(Dialog.cbSelDay->currentText(), Q("10日"));
    EXPECT_EQ(Dialog.cbSelHour->currentText(), Q("0时"));
    EXPECT_EQ(Dialog.cbRemindForward->currentText(), Q("0分钟"));
    EXPECT_TRUE(Dialog.rbRemind1->isChecked());
    EXPECT_FALSE(Dialog.btnTestRemind->isEnabled()) << "in its place, working once there is a code";
    EXPECT_FALSE(Dialog.edtSelMusic->isEnabled());
    EXPECT_FALSE(Dialog.sbSelMusic->isEnabled());
    EXPECT_EQ(Dialog.sbAutoRun->text(), Q("否"));
    EXPECT_TRUE(Dialog.btnOK->isDefault());
    EXPECT_GE(Dialog.width(), 353);
    EXPECT_GE(Dialog.height(), 398);
    testing::ExpectFitsAtOneAndAHalf(&Dialog);
}

TEST_F(AddEditDialogTest, TheLunarMonthListOfALeapYearThroughTheControls) {
    QTest::mouseClick(Dialog.rbLunar, Qt::LeftButton);
    ASSERT_TRUE(Editor.IsLunar());
    EXPECT_EQ(Dialog.cbSelYear->currentText(), Q("二○二五年"));
    ASSERT_EQ(Dialog.cbSelMonth->count(), 15);
    EXPECT_EQ(Dialog.cbSelMonth->itemText(7), Q("闰六月"));
    Dialog.cbSelMonth->setCurrentIndex(7);
    EXPECT_EQ(Editor.WorkRecord.Month, 6);
    EXPECT_TRUE(Editor.WorkRecord.IsLeapMonth);
    Dialog.cbSelMonth->setCurrentIndex(14);
    EXPECT_EQ(Editor.WorkRecord.Month, 13);
    ASSERT_EQ(Dialog.cbSelDay->count(), 24);
    EXPECT_EQ(Dialog.cbSelDay->itemText(23), Q("冬至"));
    EXPECT_FALSE(Dialog.N20->isEnabled());
    EXPECT_FALSE(Dialog.N22->isEnabled());
    EXPECT_EQ(Dialog.QuickDateMenu(), Dialog.popLunarDays);
    QTest::mouseClick(Dialog.rbGongLi, Qt::LeftButton);
    EXPECT_TRUE(Dialog.N20->isEnabled());
    EXPECT_EQ(Dialog.QuickDateMenu(), Dialog.popGongLiDays);
    EXPECT_EQ(Dialog.cbSelMonth->currentText(), Q("12月"));
}

TEST_F(AddEditDialogTest, TextsWithoutAnItemStandInTheBoxes) {
    TRmMainDate stored;
    stored.Year = 2019;
    stored.Month = 5;
    stored.Day = 0x80 | 0x01 | 0x10;
    stored.Message = "周一和周五";
    TRecordEditor editor;
    editor.LoadRecord(stored);
    TfrmAddEditRecord dialog(editor);
    EXPECT_EQ(dialog.windowTitle(), Q("编辑提醒"));
    EXPECT_EQ(dialog.cbSelYear->currentIndex(), -1);
    EXPECT_EQ(dialog.cbSelYear->placeholderText(), Q("2019年"));
    EXPECT_EQ(dialog.cbSelDay->currentIndex(), -1);
    EXPECT_EQ(dialog.cbSelDay->placeholderText(), Q("星期一五"));
    EXPECT_TRUE(dialog.popWeek[0]->isChecked());
    EXPECT_TRUE(dialog.popWeek[4]->isChecked());
    EXPECT_FALSE(dialog.popWeek[6]->isChecked());
    dialog.popWeek[0]->trigger();
    dialog.popWeek[4]->trigger();
    EXPECT_EQ(dialog.cbSelDay->currentText(), Q("1日"));
    EXPECT_EQ(editor.WorkRecord.Year, 2019) << "the year stays until another is picked";
}

TEST_F(AddEditDialogTest, ListsTakeNoTypingButArrowsPick) {
    Dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
    Dialog.cbSelHour->setFocus();
    QTest::keyClick(Dialog.cbSelHour, Qt::Key_2);
    EXPECT_EQ(Editor.WorkRecord.Hour, 0);
    QTest::keyClick(Dialog.cbSelHour, Qt::Key_Down);
    EXPECT_EQ(Editor.WorkRecord.Hour, 1);
    QTest::keyClick(Dialog.cbSelMinuter, Qt::Key_5);
    EXPECT_EQ(Editor.WorkRecord.Minuter, 0);
}

TEST_F(AddEditDialogTest, EnterInTheMessageAcceptsAndEscapeCancelsAfterAsking) {
    Dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
    QTest::keyClick(&Dialog, Qt::Key_Escape);
    EXPECT_FALSE(Dialog.isVisible()) << "nothing changed: Escape is 取消";
    EXPECT_EQ(Dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(Answers.Boxes.empty());
    Dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
    Dialog.cbRemindText->setFocus();
    QTest::keyClicks(Dialog.cbRemindText->lineEdit(), "#h meeting");
    EXPECT_EQ(Editor.WorkRecord.Message, "#h meeting");
    Answers.BoxAnswers = {MessageAnswer::Cancel};
    QTest::keyClick(&Dialog, Qt::Key_Escape);
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_EQ(Answers.Boxes[0].Title, "放弃修改");
    EXPECT_TRUE(Dialog.isVisible()) << "a reminder half typed is not thrown away unasked";
    EXPECT_TRUE(Dialog.btnTestRemind->isEnabled());
    QTest::keyClick(Dialog.cbRemindText->lineEdit(), Qt::Key_Return);
    EXPECT_FALSE(Dialog.isVisible());
    EXPECT_EQ(Dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(Editor.Accepted);
    EXPECT_EQ(Dialog.cbRemindText->count(), 0) << "Enter adds nothing to the ready-made texts";
}

TEST_F(AddEditDialogTest, EveryControlIsReachedByTabAndByItsAccelerator) {
    QTest::mouseClick(Dialog.cbSelMusic, Qt::LeftButton);
    const std::set<QWidget*> stops = testing::TabStops(&Dialog);
    const std::map<QChar, QWidget*> keys = testing::Accelerators(&Dialog);
    std::set<QWidget*> reachedByKey;
    for (const auto& [key, target] : keys) {
        reachedByKey.insert(target);
    }
    const std::vector<QWidget*> controls = {
        Dialog.rbGongLi,     Dialog.rbLunar,      Dialog.cbSelYear,   Dialog.cbSelMonth,   Dialog.cbSelDay,
        Dialog.cbSelHour,    Dialog.cbSelMinuter, Dialog.sbEveryYear, Dialog.sbEveryMonth, Dialog.sbEveryDay,
        Dialog.sbQuickDate,  Dialog.sbOtherOper,  Dialog.sbSelWeek,   Dialog.cbSelMusic,   Dialog.cbRemindForward,
        Dialog.sbRemindOper, Dialog.sbAutoRun,    Dialog.rbRemind1,   Dialog.rbDivazu2,    Dialog.rbRemind3,
        Dialog.rbRemind4,    Dialog.btnOK,        Dialog.btnCancle,
    };
    for (QWidget* control : controls) {
        EXPECT_EQ(stops.count(control), 1U)
            << control->metaObject()->className() << " " << control->property("text").toString().toStdString();
        EXPECT_EQ(reachedByKey.count(control), 1U)
            << control->metaObject()->className() << " " << control->property("text").toString().toStdString();
    }
    // The message box is the first control of its group, whose title carries the key.
    EXPECT_EQ(stops.count(Dialog.cbRemindText), 1U);
    EXPECT_EQ(stops.count(Dialog.edtSelMusic), 1U);
    EXPECT_EQ(stops.count(Dialog.sbSelMusic), 1U);

    Dialog.N22->trigger();
    const std::set<QWidget*> chooserStops = testing::TabStops(&Dialog);
    for (QWidget* control :
         std::vector<QWidget*>{Dialog.mcSelectDate, Dialog.cbAfterDays, Dialog.btnSelectDate, Dialog.Button1}) {
        EXPECT_EQ(chooserStops.count(control), 1U) << control->metaObject()->className();
    }
    EXPECT_EQ(chooserStops.count(Dialog.cbSelYear), 0U) << "the chooser covers the date lists";
    testing::Accelerators(&Dialog);
}

TEST_F(AddEditDialogTest, TheDaysAfterChooserShowsAndTakesItsDate) {
    Dialog.N22->trigger();
    ASSERT_EQ(Dialog.stkDateArea->currentWidget(), Dialog.panSelectDate);
    EXPECT_TRUE(Dialog.cbAfterDays->isVisibleTo(&Dialog));
    EXPECT_TRUE(Dialog.panShowDate->isVisibleTo(&Dialog));
    EXPECT_EQ(Dialog.cbAfterDays->count(), 1001);
    EXPECT_EQ(Dialog.lbSelectDate->text(), Q("　\n请\n　\n设\n　\n置\n　\n日\n　\n期\n　\n："));
    Dialog.mcSelectDate->setSelectedDate(QDate(2006, 1, 30));
    Dialog.cbAfterDays->setCurrentIndex(3);
    EXPECT_EQ(Dialog.lbShowDate->text(), Q("2006年2月2日"));
    Dialog.cbRemindText->setEditText(Q("旧日子"));
    Answers.BoxAnswers = {MessageAnswer::Ok};
    QTest::mouseClick(Dialog.btnOK, Qt::LeftButton);
    EXPECT_EQ(Answers.Titles(), std::vector<std::string>{"已经过期"});
    EXPECT_EQ((std::vector<int>{Editor.WorkRecord.Year, Editor.WorkRecord.Month, Editor.WorkRecord.Day}),
              (std::vector<int>{2006, 2, 2}));
    EXPECT_NE(Dialog.stkDateArea->currentWidget(), Dialog.panSelectDate);

    Dialog.N20->trigger();
    EXPECT_FALSE(Dialog.cbAfterDays->isVisibleTo(&Dialog));
    EXPECT_FALSE(Dialog.panShowDate->isVisibleTo(&Dialog));
    QTest::mouseClick(Dialog.Button1, Qt::LeftButton);
    EXPECT_EQ(Dialog.cbSelYear->placeholderText(), Q("2006年"));
}

TEST_F(AddEditDialogTest, FestivalsAndTheMothersDayNotice) {
    Dialog.popWeek[2]->trigger();
    ItemNamed(Dialog.popGongLiDays, "N23")->trigger();
    EXPECT_EQ(Dialog.cbRemindText->currentText(), Q("$mwo2$"));
    EXPECT_EQ(Dialog.cbSelMonth->currentText(), Q("5月"));
    EXPECT_EQ(Dialog.cbSelDay->placeholderText(), Q("星期日"));
    EXPECT_FALSE(Dialog.popWeek[2]->isChecked());
    EXPECT_TRUE(Dialog.popWeek[6]->isChecked());
    EXPECT_EQ(Answers.Boxes.back().Text, "注意不要删除“$mwo2$”，请在后面加上要写的内容！");
    ItemNamed(Dialog.popGongLiDays, "N0")->trigger();
    EXPECT_EQ(Dialog.cbSelDay->currentText(), Q("14日"));
    EXPECT_FALSE(Dialog.popWeek[6]->isChecked());
}

TEST_F(AddEditDialogTest, CommandsShowOnTheOperationButtonAndLockTheAutoRunToggle) {
    Dialog.N1->trigger();
    EXPECT_EQ(Dialog.sbRemindOper->text(), Q("自动关机"));
    EXPECT_EQ(Dialog.sbRemindOper->toolTip(), Q("自动关闭计算机"));
    EXPECT_EQ(Dialog.sbAutoRun->text(), Q("是"));
    EXPECT_FALSE(Dialog.sbAutoRun->isEnabled());
    Answers.FileAnswers = {"/usr/bin/xeyes"};
    Dialog.N4->trigger();
    EXPECT_EQ(Dialog.sbRemindOper->toolTip(), Q("打开程序:/usr/bin/xeyes"));
    ASSERT_TRUE(Dialog.sbAutoRun->isEnabled());
    QTest::mouseClick(Dialog.sbAutoRun, Qt::LeftButton);
    EXPECT_EQ(Dialog.sbAutoRun->text(), Q("是"));
    QTest::mouseClick(Dialog.rbRemind3, Qt::LeftButton);
    Dialog.N2->trigger();
    EXPECT_EQ(Answers.Boxes.back().Text, "开机提醒不能设置为自动重启！");
}

TEST_F(AddEditDialogTest, TheAddressDialogStartsFromTheStoredAddress) {
    TRmMainDate stored;
    stored.Message = "看看";
    stored.Command = "uhttps://example.org/a";
    TRecordEditor editor;
    editor.LoadRecord(stored);
    TfrmAddEditRecord dialog(editor);
    QString shown;
    auto poll = WhenModal<TfrmInputURL>([&shown](TfrmInputURL* address) {
        shown = address->edtInputURL->text();
        address->edtInputURL->setText(QStringLiteral("https://example.org/b"));
        QTest::mouseClick(address->btnOK, Qt::LeftButton);
    });
    dialog.U1->trigger();
    EXPECT_EQ(shown, QStringLiteral("https://example.org/a"));
    EXPECT_EQ(editor.WorkRecord.Command, "uhttps://example.org/b");
    EXPECT_EQ(dialog.sbRemindOper->text(), Q("打开网址"));
    EXPECT_EQ(dialog.sbRemindOper->toolTip(), Q("打开网址:https://example.org/b"));
}

TEST_F(AddEditDialogTest, MusicThroughTheBoxAndTheChooser) {
    Editor.MusicStartDir = "/home/a/";
    QTest::mouseClick(Dialog.cbSelMusic, Qt::LeftButton);
    EXPECT_TRUE(Dialog.edtSelMusic->isEnabled());
    Answers.FileAnswers = {"/home/a/铃声.wav"};
    QTest::mouseClick(Dialog.sbSelMusic, Qt::LeftButton);
    EXPECT_EQ(Dialog.edtSelMusic->text(), Q("/home/a/铃声.wav"));
    EXPECT_EQ(Dialog.sbSelMusic->toolTip(), Q("/home/a/铃声.wav"));
    EXPECT_EQ(Answers.FileRequests.back().StartFolder, "/home/a/");
    QTest::keyClicks(Dialog.edtSelMusic, "x");
    EXPECT_EQ(Editor.WorkRecord.Music, "/home/a/铃声.wavx");
    QTest::mouseClick(Dialog.cbSelMusic, Qt::LeftButton);
    EXPECT_TRUE(Dialog.edtSelMusic->text().isEmpty());
    EXPECT_EQ(Editor.WorkRecord.Music, "");
}

} // namespace
} // namespace chimewell
