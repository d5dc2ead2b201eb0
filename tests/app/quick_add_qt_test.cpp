#include "app/form_month_calendar.h"
#include "app/form_remind.h"
#include "app/quick_add_bar.h"
#include "app/record_list_view.h"
#include "calendar/clock.h"
#include "cli/commands.h"
#include "editing/form_add_edit_record.h"
#include "platform/fake_desktop_actions.h"
#include "platform/message_box.h"
#include "runtime/form_remind_box.h"

#include "data/temp_folder.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace chimewell {
namespace {

// The main window on the offscreen platform over a one-reminder file, the clock at Monday 2025-03-03 08:59:30.
class QuickAddTest : public ::testing::Test {
protected:
    QuickAddTest() : Clock(EncodeDateTime(2025, 3, 3, 8, 59, 30)) {
        setenv("XDG_CONFIG_HOME", Folder.File("xdg").c_str(), 1);
        std::ofstream(Folder.File("reminddata.sdt"), std::ios::binary)
            << "[Main]\r\nItems=1\r\n[Item1]\r\nHour=7\r\nMinuter=0\r\nMessage=one\r\n";
        PreviousBoxes = SetMessageBoxFunction([this](MessageKind, const std::string& title, const std::string&) {
            Asked.push_back(title);
            return MessageAnswer::No;
        });
        Form = std::make_unique<TfrmRemind>(Folder.Folder(), Folder.File("chimewell"), false);
        Form->show();
    }
    ~QuickAddTest() override {
        Form.reset();
        SetMessageBoxFunction(PreviousBoxes);
    }

    // Types into a line key by key, as an input method hands over Chinese text.
    static void Type(QLineEdit* line, const QString& text) {
        for (const QChar character : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
            QApplication::sendEvent(line, &press);
        }
    }
    static void TypeAndEnter(TQuickAddBar& bar, const QString& text) {
        bar.edtQuickAdd->clear();
        Type(bar.edtQuickAdd, text);
        QTest::keyClick(bar.edtQuickAdd, Qt::Key_Return);
    }
    TRmDataList Stored() const {
        TRmDataList stored;
        stored.Reset(Folder.File("reminddata.sdt"));
        stored.Load();
        return stored;
    }

    testing::TempFolder Folder;
    ClockOverride Clock;
    RecordingDesktopActions Actions;
    MessageBoxFunction PreviousBoxes;
    std::vector<std::string> Asked;
    std::unique_ptr<TfrmRemind> Form;
};

// As the user types, the line under it says what it understood; Enter adds that, selects it and empties the
// line, and a line that cannot be added says why and adds nothing.
TEST_F(QuickAddTest, TheLineShowsItsReadingAndEnterAddsIt) {
    TQuickAddBar& bar = *Form->barQuickAdd;
    Form->nmQuickAdd->trigger();
    EXPECT_EQ(Form->focusWidget(), bar.edtQuickAdd) << "Ctrl+K gives the line the keyboard";
    EXPECT_EQ(Form->nmQuickAdd->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));

    Type(bar.edtQuickAdd, QStringLiteral("明天下午三点开会"));
    const QString understood = bar.lbUnderstood->text();
    EXPECT_TRUE(understood.startsWith(QStringLiteral("公历，2025年3月4日15时0分"))) << understood.toStdString();
    EXPECT_EQ(bar.lbNextFiring->text(), QStringLiteral("下次提醒：2025年3月4日 星期二 15:00（农历二月初五）"));
    EXPECT_FALSE(bar.btnOtherReading->isVisibleTo(&bar));
    QTest::keyClick(bar.edtQuickAdd, Qt::Key_Return);
    ASSERT_EQ(Form->List.Count, 2);
    EXPECT_EQ(Form->lstRecordList->LineText(1), understood) << "the reading was the list's own line";
    EXPECT_EQ(Stored().Item(1).Message, "开会");
    EXPECT_EQ(Stored().Item(1).Hour, 15);
    EXPECT_EQ(Form->lstRecordList->count(), 2);
    EXPECT_EQ(Form->SelectedIndex(), 1);
    EXPECT_TRUE(bar.edtQuickAdd->text().isEmpty());
    EXPECT_TRUE(bar.lbUnderstood->text().startsWith(QStringLiteral("已添加：")))
        << bar.lbUnderstood->text().toStdString();

    TypeAndEnter(bar, QStringLiteral("2月30日 开会"));
    EXPECT_EQ(bar.lbUnderstood->text(), QStringLiteral("不能添加：2月没有30日"));
    EXPECT_FALSE(bar.btnDetails->isEnabled());
    EXPECT_EQ(Form->List.Count, 2);
    EXPECT_EQ(bar.edtQuickAdd->text(), QStringLiteral("2月30日 开会")) << "what was typed stays, to be mended";
    QTest::keyClick(bar.edtQuickAdd, Qt::Key_Escape);
    EXPECT_TRUE(bar.edtQuickAdd->text().isEmpty()) << "Esc empties the line";
}

// "3点" at 08:59 is 15:00 today or 03:00 tomorrow: the reading is shown, the other one is a click away, and
// Enter adds the one chosen.
TEST_F(QuickAddTest, TheOtherReadingIsAClickAwayAndEnterTakesTheOneChosen) {
    TQuickAddBar& bar = *Form->barQuickAdd;
    bar.edtQuickAdd->setText(QStringLiteral("3点 交电费"));
    ASSERT_TRUE(bar.btnOtherReading->isVisibleTo(&bar));
    const QString first = bar.lbNextFiring->text();
    const QString offered = bar.btnOtherReading->text();
    QTest::mouseClick(bar.btnOtherReading, Qt::LeftButton);
    EXPECT_NE(bar.lbNextFiring->text(), first);
    EXPECT_TRUE(bar.lbNextFiring->text().contains(offered.right(5))) << "the reading offered is the reading shown";
    const int chosenHour = bar.Line.Record()->Hour;
    QTest::keyClick(bar.edtQuickAdd, Qt::Key_Return);
    ASSERT_EQ(Stored().Count, 2);
    EXPECT_EQ(Stored().Item(1).Hour, chosenHour);
    EXPECT_NE(Stored().Item(1).Hour, 0);
}

// 详细… opens the add dialog on what was read, the schedule with it; OK adds that.
TEST_F(QuickAddTest, DetailsOpensTheAddDialogFilled) {
    TQuickAddBar& bar = *Form->barQuickAdd;
    bar.edtQuickAdd->setText(QStringLiteral("每月5号还房贷 提前三天"));
    TRmMainDate shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TfrmAddEditRecord*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = dialog->Editor.WorkRecord;
        dialog->btnOK->click();
    });
    QTest::mouseClick(bar.btnDetails, Qt::LeftButton);
    EXPECT_EQ(shown.Message, "还房贷");
    EXPECT_EQ(shown.Day, 5);
    ASSERT_EQ(shown.Warnings.size(), 1U);
    ASSERT_EQ(Stored().Count, 2);
    EXPECT_EQ(Stored().Item(1).Message, "还房贷");
    EXPECT_EQ(Stored().Item(1).Warnings, shown.Warnings);
    EXPECT_TRUE(bar.edtQuickAdd->text().isEmpty());
}

// The tray menu opens the line in a window of its own; the month window opens it on the chosen day.
TEST_F(QuickAddTest, TheTrayAndTheMonthWindowOpenItsOwnWindow) {
    Form->popQuickAdd->trigger();
    ASSERT_NE(Form->frmQuickAdd, nullptr);
    EXPECT_TRUE(Form->frmQuickAdd->isVisible());
    EXPECT_EQ(Form->frmQuickAdd->parent(), nullptr) << "usable while a reminder disables the main window";
    Form->frmQuickAdd->close();

    Form->nmMonthCalendarClick();
    Form->frmMonthCalendar->ShowDate(EncodeDate(2025, 3, 20));
    QTest::mouseClick(Form->frmMonthCalendar->btnQuickAddOnDay, Qt::LeftButton);
    TQuickAddBar& bar = *Form->frmQuickAdd->Bar;
    EXPECT_TRUE(Form->frmQuickAdd->isVisible());
    EXPECT_EQ(bar.edtQuickAdd->text(), QStringLiteral("2025年3月20日 "));
    Type(bar.edtQuickAdd, QStringLiteral("晚上8点 聚会"));
    EXPECT_EQ(bar.lbNextFiring->text(), QStringLiteral("下次提醒：2025年3月20日 星期四 20:00（农历二月廿一）"));
    QTest::keyClick(bar.edtQuickAdd, Qt::Key_Return);
    ASSERT_EQ(Form->List.Count, 2);
    EXPECT_EQ(Form->List.Item(1).Day, 20);
    EXPECT_TRUE(Form->frmQuickAdd->isVisible()) << "it stays, showing what was added";
}

// chimewell-cli adds while the program runs and adds of its own: every reminder of both is in the file, the
// program's list shows the tool's within a second of its last write, and the tool's reminder fires.
TEST_F(QuickAddTest, TheToolsAddsShowWithinASecondAndFireAndNothingOfTheProgramsIsLost) {
    constexpr int Adds = 12;
    std::thread tool([this] {
        for (int add = 0; add < Adds; ++add) {
            std::ostringstream out;
            std::ostringstream err;
            const std::vector<std::string> arguments{
                "add", "--dir", Folder.Folder(), "--at", "2025-03-03 08:59", "10分钟后", "工具" + std::to_string(add)};
            EXPECT_EQ(cli::RunCommandLine(arguments, out, err), 0) << err.str();
        }
    });
    TQuickAddBar& bar = *Form->barQuickAdd;
    for (int add = 0; add < Adds; ++add) {
        TypeAndEnter(bar, QStringLiteral("明天上午十点 程序%1").arg(add));
        QCoreApplication::processEvents();
    }
    tool.join();
    const TRmDataList stored = Stored();
    int tools = 0;
    int programs = 0;
    for (std::int32_t i = 0; i < stored.Count; ++i) {
        tools += stored.Item(i).Message.starts_with("工具") ? 1 : 0;
        programs += stored.Item(i).Message.starts_with("程序") ? 1 : 0;
    }
    EXPECT_EQ(tools, Adds);
    EXPECT_EQ(programs, Adds);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Form->lstRecordList->count() == 1 + 2 * Adds; }, 1000))
        << "shown " << Form->lstRecordList->count();

    bool fired = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (Form->RemindBox->isVisible()) {
            fired = fired || Form->RemindBox->memoShowRemindText->toPlainText().contains(QStringLiteral("工具0"));
            Form->popCloseWindowClick();
        }
    });
    closer.start(20);
    Clock.Set(EncodeDateTime(2025, 3, 3, 9, 8, 58));
    for (int second = 0; second < 4; ++second) {
        Clock.AdvanceSeconds(1);
        Form->trOneSecondTimer();
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return fired; }, 500));
}

} // namespace
} // namespace chimewell

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
