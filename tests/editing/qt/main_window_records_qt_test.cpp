#include "app/form_month_calendar.h"
#include "app/form_remind.h"
#include "app/record_list_view.h"
#include "calendar/clock.h"
#include "data/temp_folder.h"
#include "dialog_checks.h"
#include "editing/form_add_edit_record.h"
#include "editing/form_view_record.h"
#include "editing/scripted_answers.h"
#include "exchange/form_search.h"
#include "platform/fake_desktop_actions.h"
#include "runtime/qt/modal_helpers.h"
#include "system/form_about.h"

#include <QAction>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>

namespace chimewell {
namespace {

using ::testing::ElementsAre;
using testing::WhenModal;

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

std::vector<std::string> Texts(const QList<QAction*>& actions) {
    std::vector<std::string> texts;
    for (const QAction* action : actions) {
        texts.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    }
    return texts;
}

// The main window in a temporary folder before Mid-Autumn 2025, with boxes answered by script and the
// desktop's actions recorded.
class MainWindowRecordsTest : public ::testing::Test {
protected:
    MainWindowRecordsTest() : Clock(EncodeDateTime(2025, 9, 1, 10, 0)) {
        setenv("XDG_CONFIG_HOME", Folder.File("xdg").c_str(), 1);
        Form = std::make_unique<TfrmRemind>(Folder.Folder(), Folder.File("chimewell"), false);
        Answers.Boxes.clear();
    }

    TRmDataList Stored() const {
        TRmDataList list;
        list.Reset(Folder.File("reminddata.sdt"));
        list.Load();
        return list;
    }

    bool ApplicationReady = (testing::EnsureApplication(), true);
    testing::TempFolder Folder;
    ClockOverride Clock;
    testing::ScriptedAnswers Answers;
    RecordingDesktopActions Actions;
    std::unique_ptr<TfrmRemind> Form;
};

TEST_F(MainWindowRecordsTest, TheButtonsDownTheSideAndTheRecordMenus) {
    QLayout* column = Form->btnAddRecord->parentWidget()->layout()->itemAt(1)->layout();
    std::vector<std::string> captions;
    for (int i = 0; i < column->count(); ++i) {
        if (auto* button = qobject_cast<QPushButton*>(column->itemAt(i)->widget())) {
            captions.push_back(button->text().toStdString());
        }
    }
    EXPECT_THAT(captions, ElementsAre("添加提醒", "查看提醒", "编辑提醒", "删除提醒", "搜索提醒", "打开帮助",
                                      "关于软件", "月历"));
    const std::vector<std::string> menus = Texts(Form->menuBar()->actions());
    EXPECT_THAT(menus, ElementsAre("软件[&S]", "提醒[&R]", "查看[&V]", "帮助[&H]"));
    EXPECT_THAT(Texts(qobject_cast<QMenu*>(Form->nmAddRecord->parent())->actions()),
                ElementsAre("添加提醒[&A]", "快速添加[&Q]", "查看提醒[&V]", "编辑提醒[&M]", "复制提醒[&C]",
                            "删除提醒[&D]", "-", "上移[&U]", "下移[&W]", "-", "搜索提醒[&S]", "-", "导出提醒[&E]",
                            "导入提醒[&I]"));
    EXPECT_THAT(Texts(Form->popRecordMenu->actions()),
                ElementsAre("添加提醒[&A]", "查看提醒[&V]", "编辑提醒[&M]", "复制提醒[&C]", "删除提醒[&D]", "-",
                            "上移[&U]", "下移[&W]"));
    EXPECT_EQ(Form->nmMoveUpRecord->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Up));
    EXPECT_EQ(Form->nmCopyRecord->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    // Every command's key is its own.
    std::map<QString, QString> keys;
    for (const QAction* action : Form->findChildren<QAction*>()) {
        if (!action->shortcut().isEmpty()) {
            const auto [place, fresh] = keys.emplace(action->shortcut().toString(), action->text());
            EXPECT_TRUE(fresh || place->second == action->text())
                << action->shortcut().toString().toStdString() << ": " << place->second.toStdString() << " and "
                << action->text().toStdString();
        }
    }
    EXPECT_EQ(keys.count(QStringLiteral("Ctrl+K")), 1U);
    EXPECT_THAT(Texts(qobject_cast<QMenu*>(Form->nmDeleteOldRecord->parent())->actions()),
                ElementsAre("月历[&L]", "-", "删除过期提醒[&D]", "-", "对提醒排序[&S]"));
    ASSERT_EQ(Form->nmSortRecord->actions().size(), 3);
    for (const QAction* order : Form->nmSortRecord->actions()) {
        EXPECT_FALSE(order->isEnabled()) << order->text().toStdString();
    }
    Form->btnSearchRecord->click();
    Form->nmSearchRecord->trigger();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the search window blocks nothing";
    // Closed after a click elsewhere, the search window opens again with its field ready for typing.
    Form->frmSearch->lstSearchResult->setFocus();
    Form->frmSearch->close();
    Form->btnSearchRecord->click();
    EXPECT_EQ(Form->frmSearch->focusWidget(), Form->frmSearch->cbSearch);
    QString about;
    auto close = WhenModal<TfrmAbout>([&about](TfrmAbout* box) {
        about = box->windowTitle();
        box->btnClose->click();
    });
    Form->btnOpenAbout->click();
    EXPECT_EQ(about, Q("关于 晴铃提醒"));
}

TEST_F(MainWindowRecordsTest, AddViewEditAndDeleteALunarReminderForMidAutumn) {
    auto add = WhenModal<TfrmAddEditRecord>([](TfrmAddEditRecord* dialog) {
        EXPECT_EQ(dialog->windowTitle(), Q("添加提醒"));
        QTest::mouseClick(dialog->rbLunar, Qt::LeftButton);
        for (QAction* item : dialog->QuickDateMenu()->actions()) {
            if (item->objectName() == QLatin1String("N81")) {
                item->trigger();
            }
        }
        dialog->cbSelHour->setCurrentIndex(8);
        dialog->cbRemindText->setEditText(Q("农历%M月%D"));
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(Form->btnAddRecord, Qt::LeftButton);
    ASSERT_EQ(Form->lstRecordList->count(), 1);
    EXPECT_EQ(Form->lstRecordList->LineText(0), Q("农历，二○二五年八月十五8时0分0方式，提醒为：农历%M月%D"));
    EXPECT_EQ(Form->SelectedIndex(), 0) << "the new reminder is selected";
    TRmDataList stored = Stored();
    ASSERT_EQ(stored.Count, 1);
    const TRmMainDate& record = stored.Item(0);
    EXPECT_TRUE(record.IsLunar);
    EXPECT_EQ((std::vector<int>{record.Year, record.Month, record.Day, record.Hour}),
              (std::vector<int>{2025, 8, 15, 8}));
    // On the day, at eight, it shows the lunar date filled in.
    const TDateTime midAutumn = EncodeDateTime(2025, 10, 6, 8, 0);
    EXPECT_TRUE(record.IsDueNowAt(midAutumn));
    EXPECT_EQ(PlanFiring(record, Form->Config, midAutumn).Presentation.Text, "农历八月十五");

    Form->lstRecordList->setCurrentRow(0);
    QString viewed;
    auto view = WhenModal<TfrmViewRecord>([&viewed](TfrmViewRecord* window) {
        viewed = window->edtDate->text() + window->edtRemindText->text();
        QTest::mouseClick(window->btnClose, Qt::LeftButton);
    });
    QTest::mouseClick(Form->btnViewRecord, Qt::LeftButton);
    EXPECT_EQ(viewed, Q("二○二五年八月十五农历%M月%D"));

    auto edit = WhenModal<TfrmAddEditRecord>([](TfrmAddEditRecord* dialog) {
        EXPECT_EQ(dialog->windowTitle(), Q("编辑提醒"));
        EXPECT_TRUE(dialog->rbLunar->isChecked());
        dialog->cbSelHour->setCurrentIndex(9);
        dialog->cbSelMinuter->setCurrentIndex(30);
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    });
    Form->nmModifyRecord->trigger();
    EXPECT_EQ(Form->SelectedIndex(), 0) << "the edited line is selected again";
    EXPECT_EQ(Stored().Item(0).Hour, 9);
    EXPECT_EQ(Stored().Item(0).Minuter, 30);
    EXPECT_TRUE(Form->lstRecordList->LineText(0).contains(Q("9时30分")));

    Answers.BoxAnswers = {MessageAnswer::Ok};
    QTest::mouseClick(Form->btnDeleteRecord, Qt::LeftButton);
    EXPECT_EQ(Answers.Titles(), std::vector<std::string>{"删除记录"});
    EXPECT_EQ(Form->lstRecordList->count(), 0);
    EXPECT_EQ(Stored().Count, 0);
    EXPECT_EQ(Form->SelectedIndex(), -1);
}

TEST_F(MainWindowRecordsTest, DeleteExpiredFromTheViewMenuTakesTheLinesAway) {
    TRmMainDate old;
    old.Year = 2024;
    old.Message = "去年的事";
    Form->List.Add(old, true);
    TRmMainDate daily;
    daily.Message = "每天";
    Form->List.Add(daily, true);
    Form->RefreshRecordList();
    std::vector<int> linesAtQuestion;
    Answers.OnBox = [&](const testing::AskedBox&) { linesAtQuestion.push_back(Form->lstRecordList->count()); };
    Answers.BoxAnswers = {MessageAnswer::Ok};
    Form->nmDeleteOldRecord->trigger();
    EXPECT_EQ(Answers.Titles(), std::vector<std::string>{"过期删除"});
    EXPECT_EQ(Answers.Boxes[0].Text.substr(0, std::string("第“1”条").size()), "第“1”条");
    ASSERT_EQ(Form->lstRecordList->count(), 1);
    EXPECT_TRUE(Form->lstRecordList->LineText(0).endsWith(Q("每天")));
    EXPECT_EQ(Stored().Count, 1);
    Form->nmDeleteOldRecord->trigger();
    EXPECT_EQ(Answers.Boxes.back().Title, "无过期提醒");
}

TEST_F(MainWindowRecordsTest, CommandsWithoutASelectionDoNothing) {
    TRmMainDate daily;
    daily.Message = "每天";
    Form->List.Add(daily, true);
    Form->RefreshRecordList();
    Form->btnViewRecord->click();
    Form->btnEditRecord->click();
    Form->btnDeleteRecord->click();
    EXPECT_TRUE(Answers.Boxes.empty());
    EXPECT_EQ(Form->lstRecordList->count(), 1);
}

// The line with the focus frame is the one the commands act on, selected or not; the question names it.
TEST_F(MainWindowRecordsTest, CommandsActOnTheFocusedLineAndTheQuestionNamesIt) {
    for (const char* message : {"早会", "午饭"}) {
        TRmMainDate daily;
        daily.Message = message;
        Form->List.Add(daily, true);
    }
    Form->RefreshRecordList();
    QItemSelectionModel* selection = Form->lstRecordList->selectionModel();
    selection->setCurrentIndex(Form->lstRecordList->model()->index(1, 0), QItemSelectionModel::NoUpdate);
    selection->clearSelection();
    ASSERT_EQ(Form->lstRecordList->SelectedRow(), -1);
    Form->nmMoveUpRecord->trigger();
    EXPECT_EQ(Stored().Item(0).Message, "午饭") << "Ctrl+Up moved the focused line";
    EXPECT_EQ(Form->lstRecordList->SelectedRow(), 0) << "and it stays chosen where it went";
    selection->setCurrentIndex(Form->lstRecordList->model()->index(1, 0), QItemSelectionModel::NoUpdate);
    selection->clearSelection();
    Answers.BoxAnswers = {MessageAnswer::Ok};
    Form->nmDeleteRecord->trigger();
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_NE(Answers.Boxes[0].Text.find("提醒为：早会"), std::string::npos) << Answers.Boxes[0].Text;
    ASSERT_EQ(Stored().Count, 1);
    EXPECT_EQ(Stored().Item(0).Message, "午饭");
}

// A dialog opened from the month window belongs to it: the main window is not raised over the month.
TEST_F(MainWindowRecordsTest, DialogsFromTheMonthWindowOpenOverIt) {
    TRmMainDate daily;
    daily.Message = "早会";
    Form->List.Add(daily, true);
    Form->RefreshRecordList();
    Form->nmMonthCalendarClick();
    ASSERT_NE(Form->frmMonthCalendar, nullptr);
    QWidget* owner = nullptr;
    auto edit = WhenModal<TfrmAddEditRecord>([&owner](TfrmAddEditRecord* dialog) {
        owner = dialog->parentWidget();
        dialog->reject();
    });
    Form->frmMonthCalendar->EditRecord(0);
    EXPECT_EQ(owner, Form->frmMonthCalendar);
    Form->frmMonthCalendar->close();
}

TEST_F(MainWindowRecordsTest, TheWindowFitsAtOneAndAHalf) {
    Form->resize(Form->minimumSize());
    testing::ExpectFitsAtOneAndAHalf(Form.get());
    EXPECT_GE(Form->btnOpenAbout->height(), Form->btnOpenAbout->sizeHint().height());
}

} // namespace
} // namespace chimewell
