#include "exchange/form_export.h"

#include "exchange/calendar_reading.h"

#include "editing/qt/dialog_checks.h"
#include "editing/scripted_answers.h"
#include "runtime/qt/modal_helpers.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace chimewell {
namespace {

using testing::WhenModal;

const std::vector<std::string> Lines = {"公历，一", "公历，二", "农历，三", "公历，四", "农历，五"};

void CtrlClick(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualItemRect(list->item(row)).center());
}

class ExportWindowTest : public ::testing::Test {
protected:
    bool ApplicationReady = (testing::EnsureApplication(), true);
    testing::ScriptedAnswers Answers;
};

// A calendar file is read while the windows stay answerable: the timers that fire reminders keep running, and
// 取消 stops the reading.
TEST_F(ExportWindowTest, ReadingACalendarLeavesTheTimersRunningAndCanBeCancelled) {
    std::atomic<int> ticks{0};
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);
    const TIcsImportFile read = ReadCalendarInBackground(nullptr, [&ticks](const std::atomic<bool>&) {
        // Done once the window's thread has shown it goes on.
        for (int waited = 0; ticks < 10 && waited < 5000; waited += 10) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        TIcsImportFile file;
        file.Notes.push_back(ticks >= 10 ? "answerable" : "stuck");
        return file;
    });
    EXPECT_EQ(read.Notes, std::vector<std::string>{"answerable"});

    auto cancel =
        WhenModal<QProgressDialog>([](QProgressDialog* progress) { progress->findChild<QPushButton*>()->click(); });
    const TIcsImportFile cancelled = ReadCalendarInBackground(nullptr, [](const std::atomic<bool>& stop) {
        for (int waited = 0; !stop && waited < 10000; waited += 10) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        TIcsImportFile file;
        file.Cancelled = stop;
        return file;
    });
    EXPECT_TRUE(cancelled.Cancelled);
}

// Writing a calendar file likewise leaves the timers running; its window has nothing to cancel, since a file
// half written is worth nothing, and a failure of the writing comes out where it was asked for.
TEST_F(ExportWindowTest, WritingACalendarLeavesTheTimersRunning) {
    std::atomic<int> ticks{0};
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);
    bool cancelOffered = true;
    auto look = WhenModal<QProgressDialog>([&cancelOffered](QProgressDialog* progress) {
        cancelOffered = progress->findChild<QPushButton*>() != nullptr;
    });
    EXPECT_TRUE(WriteCalendarInBackground(nullptr, [&ticks] {
        for (int waited = 0; ticks < 30 && waited < 5000; waited += 10) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return ticks >= 30;
    }));
    EXPECT_FALSE(cancelOffered);
    EXPECT_THROW(WriteCalendarInBackground(nullptr, []() -> bool { throw std::runtime_error("磁盘已满"); }),
                 std::runtime_error);
}

TEST_F(ExportWindowTest, ChosenLinesComeBackAsPositionsFromOne) {
    auto act = WhenModal<TfrmExport>([](TfrmExport* window) {
        EXPECT_EQ(window->windowTitle(), QStringLiteral("导出提醒"));
        EXPECT_EQ(window->listExport->count(), 5);
        CtrlClick(window->listExport, 4);
        CtrlClick(window->listExport, 1);
        QTest::mouseClick(window->btnExport, Qt::LeftButton);
    });
    const auto chosen = RunExportWindow(Lines, nullptr);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->Numbers, (std::vector<std::int32_t>{2, 5}));
    EXPECT_EQ(chosen->Format, ExportFormat::Exchange) << "the exchange file unless iCalendar is chosen";
    EXPECT_TRUE(Answers.Boxes.empty());
}

TEST_F(ExportWindowTest, TheCalendarSettingsCountOnlyForTheCalendarFormat) {
    auto act = WhenModal<TfrmExport>([](TfrmExport* window) {
        EXPECT_FALSE(window->seYears->isEnabled());
        EXPECT_FALSE(window->cbLunarRules->isEnabled());
        window->rbICalendar->click();
        EXPECT_TRUE(window->seYears->isEnabled());
        EXPECT_EQ(window->seYears->value(), 10);
        window->seYears->setValue(3);
        window->cbLunarRules->click();
        CtrlClick(window->listExport, 0);
        window->btnExport->click();
    });
    const auto chosen = RunExportWindow(Lines, nullptr);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->Numbers, (std::vector<std::int32_t>{1}));
    EXPECT_EQ(chosen->Format, ExportFormat::ICalendar);
    EXPECT_EQ(chosen->Years, 3);
    EXPECT_TRUE(chosen->LunarRules);
}

TEST_F(ExportWindowTest, NoSelectionKeepsTheWindowOpenAndCancelChoosesNothing) {
    bool stayedOpen = false;
    auto act = WhenModal<TfrmExport>([&](TfrmExport* window) {
        window->btnExport->click();
        stayedOpen = window->isVisible() && !window->Chosen;
        window->btnCancel->click();
    });
    EXPECT_FALSE(RunExportWindow(Lines, nullptr).has_value());
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(Answers.Titles(), std::vector<std::string>{"选择提醒"});
    EXPECT_EQ(Answers.Boxes[0].Text, "你没有选择提醒！");
}

TEST_F(ExportWindowTest, AnEmptyListSaysThereIsNothing) {
    TfrmExport window;
    window.btnExport->click();
    EXPECT_EQ(Answers.Titles(), std::vector<std::string>{"没有提醒"});
    EXPECT_FALSE(window.Chosen);
}

TEST_F(ExportWindowTest, UsableFromTheKeyboardAndFitsAtOneAndAHalf) {
    TfrmExport window;
    window.SetLines(Lines);
    window.show();
    const auto stops = testing::TabStops(&window);
    for (QWidget* widget : std::vector<QWidget*>{window.listExport, window.btnExport, window.btnCancel}) {
        EXPECT_EQ(stops.count(widget), 1U) << widget->metaObject()->className();
    }
    const auto keys = testing::Accelerators(&window);
    EXPECT_EQ(keys.at(QChar(u'E')), window.btnExport);
    EXPECT_EQ(keys.at(QChar(u'C')), window.btnCancel);
    testing::ExpectFitsAtOneAndAHalf(&window);
    window.resize(900, 600);
    EXPECT_GT(window.listExport->width(), 800) << "the list fills the window";
    EXPECT_GT(window.btnCancel->x(), window.btnExport->x());
}

} // namespace
} // namespace chimewell
