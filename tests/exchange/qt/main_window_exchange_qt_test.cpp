#include "app/form_remind.h"
#include "app/record_list_view.h"
#include "data/temp_folder.h"
#include "editing/form_add_edit_record.h"
#include "editing/qt/dialog_checks.h"
#include "editing/scripted_answers.h"
#include "exchange/form_export.h"
#include "exchange/form_search.h"
#include "exchange/sample_reminders.h"
#include "platform/fake_desktop_actions.h"
#include "runtime/qt/modal_helpers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace chimewell {
namespace {

using ::testing::ElementsAre;
using testing::WhenModal;

std::vector<std::string> Texts(const QListWidget* list) {
    std::vector<std::string> texts;
    for (int row = 0; row < list->count(); ++row) {
        texts.push_back(list->item(row)->text().toStdString());
    }
    return texts;
}

// The main window over the five sample reminders, with the search window open.
class MainWindowExchangeTest : public ::testing::Test {
protected:
    MainWindowExchangeTest() {
        setenv("XDG_CONFIG_HOME", Folder.File("xdg").c_str(), 1);
        testing::WriteDataFile(Folder.File("reminddata.sdt"), testing::FiveSampleReminders());
        Form = std::make_unique<TfrmRemind>(Folder.Folder(), Folder.File("chimewell"), false);
        Form->show();
        Form->move(10, 20);
        Answers.Boxes.clear();
    }

    TfrmSearch* OpenSearch() {
        Form->btnSearchRecord->click();
        return Form->frmSearch;
    }

    void Search(TfrmSearch* search, const char* text) {
        search->cbSearch->setEditText(QString::fromUtf8(text));
        QTest::keyClick(search->cbSearch->lineEdit(), Qt::Key_Return);
        QApplication::processEvents();
    }

    bool ApplicationReady = (testing::EnsureApplication(), true);
    testing::TempFolder Folder;
    testing::ScriptedAnswers Answers;
    RecordingDesktopActions Actions;
    std::unique_ptr<TfrmRemind> Form;
};

TEST_F(MainWindowExchangeTest, ExportAndImportFromTheReminderMenu) {
    const QList<QAction*> items = qobject_cast<QMenu*>(Form->nmExportRecord->parent())->actions();
    ASSERT_GE(items.size(), 3);
    EXPECT_TRUE(items[items.size() - 3]->isSeparator());
    EXPECT_EQ(items[items.size() - 2]->text(), QStringLiteral("导出提醒[&E]"));
    EXPECT_EQ(items[items.size() - 1]->text(), QStringLiteral("导入提醒[&I]"));

    auto choose = WhenModal<TfrmExport>([](TfrmExport* window) {
        window->listExport->item(1)->setSelected(true);
        window->listExport->item(4)->setSelected(true);
        window->btnExport->click();
    });
    Answers.FileAnswers = {Folder.File("two")};
    Form->nmExportRecord->trigger();
    EXPECT_EQ(Answers.Titles(), std::vector<std::string>{"导出成功"});

    TfrmSearch* search = OpenSearch();
    Search(search, "关机");
    Answers.FileAnswers = {Folder.File("two.txt")};
    Answers.BoxAnswers = {MessageAnswer::Ok};
    Form->nmImportRecord->trigger();
    EXPECT_EQ(Answers.Boxes[1].Title, "导入命令");
    EXPECT_EQ(Form->lstRecordList->count(), 7);
    EXPECT_EQ(search->lstSearchResult->count(), 2) << "the open search shows the imported reminder too";
}

TEST_F(MainWindowExchangeTest, SearchFindsInListOrderAndKeepsOneHistoryEntryPerText) {
    TfrmSearch* search = OpenSearch();
    ASSERT_NE(search, nullptr);
    EXPECT_TRUE(search->isVisible());
    search->cbSearch->setEditText(QStringLiteral("农历"));
    QTest::keyClick(search->cbSearch->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(search->lstSearchResult->count(), 0) << "the search is posted, and runs after the key";
    QApplication::processEvents();
    EXPECT_THAT(Texts(search->lstNumbers), ElementsAre("2", "4"));
    EXPECT_EQ(search->lstSearchResult->item(0)->text(), Form->lstRecordList->LineText(2));

    search->btnSearch->click();
    Search(search, "a=B");
    Search(search, "a=b");
    EXPECT_EQ(search->lstSearchResult->count(), 1);
    Search(search, "");
    EXPECT_EQ(search->lstSearchResult->count(), 1) << "an empty text does nothing";
    EXPECT_THAT(search->History(), ElementsAre("农历", "a=B", "a=b"));
}

TEST_F(MainWindowExchangeTest, AResultClickSelectsItsLineAndResultsFollowEveryChange) {
    TfrmSearch* search = OpenSearch();
    Search(search, "晨会");
    ASSERT_EQ(search->lstSearchResult->count(), 1);
    QTest::mouseClick(search->lstSearchResult->viewport(), Qt::LeftButton, {},
                      search->lstSearchResult->visualItemRect(search->lstSearchResult->item(0)).center());
    EXPECT_EQ(Form->lstRecordList->SelectedRow(), -1);
    QApplication::processEvents();
    EXPECT_EQ(Form->SelectedIndex(), 0);

    auto add = WhenModal<TfrmAddEditRecord>([](TfrmAddEditRecord* dialog) {
        dialog->cbRemindText->setEditText(QStringLiteral("晨会二"));
        dialog->btnOK->click();
    });
    Form->btnAddRecord->click();
    EXPECT_EQ(search->lstSearchResult->count(), 2);
    EXPECT_THAT(Texts(search->lstNumbers), ElementsAre("0", "5"));

    auto edit = WhenModal<TfrmAddEditRecord>([](TfrmAddEditRecord* dialog) {
        dialog->cbRemindText->setEditText(QStringLiteral("午会"));
        dialog->btnOK->click();
    });
    Form->lstRecordList->setCurrentRow(0);
    Form->btnEditRecord->click();
    EXPECT_THAT(Texts(search->lstNumbers), ElementsAre("5"));

    Answers.BoxAnswers = {MessageAnswer::Ok};
    Form->lstRecordList->setCurrentRow(1);
    Form->btnDeleteRecord->click();
    EXPECT_THAT(Texts(search->lstNumbers), ElementsAre("4"));
}

TEST_F(MainWindowExchangeTest, DockingFollowsTheMainWindowAndUndockingRestoresThePlace) {
    TfrmSearch* search = OpenSearch();
    search->setGeometry(600, 300, 300, 320);
    const QRect before = search->geometry();
    search->cbGo->setChecked(true);
    QApplication::processEvents();
    const auto expectDocked = [&] {
        const QRect main = Form->frameGeometry();
        EXPECT_EQ(search->frameGeometry().left(), main.right() + 1);
        EXPECT_EQ(search->frameGeometry().top(), main.top());
        EXPECT_EQ(search->frameGeometry().height(), main.height());
        EXPECT_EQ(search->width(), 300);
    };
    expectDocked();
    Form->move(40, 60);
    Form->resize(500, 400);
    QApplication::processEvents();
    expectDocked();
    search->cbGo->setChecked(false);
    EXPECT_EQ(search->geometry(), before);
}

TEST_F(MainWindowExchangeTest, TranslucencyFollowsTheBoxAndTheTrackBar) {
    TfrmSearch* search = OpenSearch();
    EXPECT_DOUBLE_EQ(search->windowOpacity(), 1.0);
    search->tbTransparent->setValue(150);
    EXPECT_DOUBLE_EQ(search->windowOpacity(), 1.0) << "remembered for later";
    search->cbTransparent->setChecked(true);
    EXPECT_NEAR(search->windowOpacity(), 150 / 255.0, 0.01);
    search->tbTransparent->setValue(100);
    EXPECT_NEAR(search->windowOpacity(), 100 / 255.0, 0.01);
    search->tbTransparent->setValue(255);
    EXPECT_DOUBLE_EQ(search->windowOpacity(), 1.0);
    search->tbTransparent->setValue(100);
    search->cbTransparent->setChecked(false);
    EXPECT_DOUBLE_EQ(search->windowOpacity(), 1.0);
}

// Closing only hides the window: opened again it is the same one, its history and settings kept and its
// results cleared.
TEST_F(MainWindowExchangeTest, TheWindowLivesOnAndKeepsItsHistory) {
    TfrmSearch* search = OpenSearch();
    Search(search, "中秋");
    search->cbTransparent->setChecked(true);
    search->btnClose->click();
    EXPECT_FALSE(search->isVisible());
    Search(search, "晨会");
    EXPECT_EQ(search->lstSearchResult->item(0)->text().contains(QStringLiteral("中秋")), true)
        << "a hidden window is not searched";
    EXPECT_EQ(OpenSearch(), search);
    EXPECT_EQ(search->lstSearchResult->count(), 0);
    EXPECT_THAT(search->History(), ElementsAre("中秋", "晨会"));
    EXPECT_TRUE(search->cbTransparent->isChecked());
}

TEST_F(MainWindowExchangeTest, TheLayoutGrowsWithTheWindowWhichFitsAndTakesTheKeyboard) {
    TfrmSearch* search = OpenSearch();
    testing::ExpectFitsAtOneAndAHalf(search);
    EXPECT_TRUE(search->windowFlags() & Qt::WindowStaysOnTopHint);
    const int listHeight = search->lstSearchResult->height();
    search->resize(420, 500);
    QApplication::processEvents();
    EXPECT_EQ(search->lstSearchResult->height(), listHeight + 500 - 279);
    EXPECT_GT(search->cbSearch->width(), 250);
    EXPECT_LE(search->btnClose->geometry().right(), search->width());
    const auto stops = testing::TabStops(search);
    for (QWidget* widget :
         std::vector<QWidget*>{search->cbSearch, search->btnSearch, search->lstSearchResult, search->cbGo,
                               search->cbTransparent, search->tbTransparent, search->btnClose}) {
        EXPECT_EQ(stops.count(widget), 1U) << widget->metaObject()->className();
    }
    EXPECT_EQ(stops.count(search->lstNumbers), 0U);
}

} // namespace
} // namespace chimewell
