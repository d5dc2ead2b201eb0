// The month window over a list: the grid's cells, adding on a lunar day, going to a date, following the list.

#include "app/form_month_calendar.h"

#include "calendar/clock.h"
#include "data/temp_folder.h"
#include "runtime/qt/modal_helpers.h"
#include "sample_record.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace chimewell {
namespace {

using testing::EnsureApplication;

class MonthCalendarTest : public ::testing::Test {
protected:
    MonthCalendarTest() : Clock(EncodeDateTime(2023, 3, 22, 9, 0)) {
        EnsureApplication();
        Config.InitDefaults(Folder.Folder(), 265, 202, 429, 279);
        List.Add(testing::DailyRecord(10, 0, "每天"), false);
    }

    testing::TempFolder Folder;
    ClockOverride Clock;
    TRmConfig Config;
    TRmDataList List;
};

TEST_F(MonthCalendarTest, TheGridNamesEachDayForTheEyeAndTheScreenReader) {
    TfrmMonthCalendar window(nullptr, List, Config);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("月历"));
    EXPECT_EQ(window.lbTitle->text(), QStringLiteral("2023年3月 农历癸卯年 兔"));
    QTableWidgetItem* today = window.grdMonth->currentItem();
    ASSERT_NE(today, nullptr);
    EXPECT_EQ(today->text(), QStringLiteral("22 ●1\n闰二月"));
    EXPECT_EQ(today->data(Qt::AccessibleTextRole).toString(), QStringLiteral("2023年3月22日 闰二月初一 1个提醒"));
    EXPECT_TRUE(today->toolTip().startsWith(QStringLiteral("2023-03-22 星期三 农历癸卯年（兔）闰二月初一")));
    ASSERT_EQ(window.lstDay->count(), 1);
    EXPECT_EQ(window.lstDay->item(0)->text(), QStringLiteral("10:00 每天（公历）"));
    EXPECT_EQ(window.lstComing->count(), 20);
    EXPECT_EQ(window.lstComing->item(0)->text(), QStringLiteral("2023-03-22 10:00 每天（公历）"));
    QKeyEvent pageDown(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(window.grdMonth, &pageDown);
    EXPECT_EQ(window.lbTitle->text(), QStringLiteral("2023年4月 农历癸卯年 兔"));
    ASSERT_TRUE(ParseGoToDate("农历2033-闰11-1").Date);
    window.ShowDate(*ParseGoToDate("农历2033-闰11-1").Date);
    EXPECT_EQ(FormatMinute(window.SelectedDate()).substr(0, 10), "2033-12-22");
}

// A date that does not exist says why, not that it is out of range.
TEST(GoToDateTest, ADateThatDoesNotExistSaysWhy) {
    EXPECT_EQ(ParseGoToDate("2026-02-30").Problem, "2026年2月只有28天，没有30日。");
    EXPECT_EQ(ParseGoToDate("2024-02-29").Problem, "");
    EXPECT_EQ(ParseGoToDate("农历2033-闰5-1").Problem, "农历2033年没有闰五月（这一年是闰冬月）。");
    EXPECT_EQ(ParseGoToDate("农历2026-闰1-1").Problem, "农历2026年没有闰正月（这一年没有闰月）。");
    EXPECT_EQ(ParseGoToDate("农历2033-闰11-30").Problem, "农历2033年闰冬月只有29天。");
    EXPECT_EQ(ParseGoToDate("2026-13-01").Problem, "一年只有 12 个月，没有 13 月。");
    EXPECT_EQ(ParseGoToDate("1899-12-31").Problem, "月历只有 1900 年到 2100 年。");
    EXPECT_EQ(ParseGoToDate("明天").Problem, "“明天”不是能认出的日期。");
}

// 在此日添加提醒 on a lunar day offers the day in both calendars; the lunar choice keeps the leap month.
TEST_F(MonthCalendarTest, AddingOnALunarDayPresetsItsLeapMonth) {
    TfrmMonthCalendar window(nullptr, List, Config);
    std::vector<TRmMainDate> added;
    window.AddRecord = [&added](const TRmMainDate& preset) { added.push_back(preset); };
    QStringList offered;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            return;
        }
        chooser.stop();
        for (QAction* action : menu->actions()) {
            offered.append(action->text());
        }
        menu->actions().at(1)->trigger();
        menu->close();
    });
    chooser.start(10);
    window.btnAddOnDay->click();
    EXPECT_EQ(offered,
              (QStringList{QStringLiteral("公历 2023年3月22日[&G]"), QStringLiteral("农历 2023年闰二月初一[&L]")}));
    ASSERT_EQ(added.size(), 1U);
    EXPECT_TRUE(added[0].IsLunar);
    EXPECT_EQ(added[0].Year, 2023);
    EXPECT_EQ(added[0].Month, 2);
    EXPECT_EQ(added[0].Day, 1);
    EXPECT_TRUE(added[0].IsLeapMonth);
}

// Page Up/Down page the months wherever the focus is in the window, as the buttons' tooltips promise; Esc closes.
TEST_F(MonthCalendarTest, ThePageKeysWorkWhereverTheFocusIsAndEscapeCloses) {
    TfrmMonthCalendar window(nullptr, List, Config);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    int month = 3;
    for (QWidget* focus : std::initializer_list<QWidget*>{window.grdMonth, window.btnPrevMonth, window.btnToday,
                                                          window.lstDay, window.lstComing, window.btnAddOnDay}) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_PageDown);
        ++month;
        EXPECT_EQ(window.lbTitle->text(), QStringLiteral("2023年%1月 农历癸卯年 兔").arg(month))
            << focus->metaObject()->className();
    }
    QTest::keyClick(window.lstComing, Qt::Key_PageUp);
    EXPECT_EQ(window.lbTitle->text(), QStringLiteral("2023年%1月 农历癸卯年 兔").arg(month - 1));
    QTest::keyClick(window.lstDay, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

// A reminder firing ahead of its time and at it is one reminder of the day; the early minute says what it is.
TEST_F(MonthCalendarTest, ADayCountsRemindersAndShowsAnEarlyFiringAsSuch) {
    TRmMainDate early = testing::DailyRecord(12, 0, "午饭");
    early.Forward = 10;
    List.Add(early, false);
    TfrmMonthCalendar window(nullptr, List, Config);
    EXPECT_EQ(window.grdMonth->currentItem()->text(), QStringLiteral("22 ●2\n闰二月"));
    EXPECT_TRUE(window.grdMonth->currentItem()->toolTip().endsWith(QStringLiteral("\n2个提醒")));
    ASSERT_EQ(window.lstDay->count(), 3);
    EXPECT_EQ(window.lstDay->item(1)->text(), QStringLiteral("11:50 提前10分钟：午饭（公历）"));
    EXPECT_EQ(window.lstDay->item(2)->text(), QStringLiteral("12:00 午饭（公历）"));
}

// A warning days ahead shows on its own day, marked apart from the reminders of the day.
TEST_F(MonthCalendarTest, AWarningShowsOnItsDayMarkedAsSuch) {
    TRmMainDate report = testing::DatedRecord(2023, 3, 25, 9, 0, "交报告");
    report.Warnings = {{3, LeadUnit::Days}};
    List.Add(report, false);
    TfrmMonthCalendar window(nullptr, List, Config);
    // The cell may cut its marks to the column; the tooltip and the name for screen readers say them whole.
    EXPECT_TRUE(window.grdMonth->currentItem()->text().startsWith(QStringLiteral("22 ●")));
    EXPECT_TRUE(window.grdMonth->currentItem()->toolTip().endsWith(QStringLiteral("\n1个提醒\n1个提前提醒")));
    EXPECT_TRUE(window.grdMonth->currentItem()
                    ->data(Qt::AccessibleTextRole)
                    .toString()
                    .endsWith(QStringLiteral(" 1个提醒 1个提前提醒")));
    ASSERT_EQ(window.lstDay->count(), 2);
    EXPECT_EQ(window.lstDay->item(0)->text(), QStringLiteral("09:00 ◇ 还有 3 天：交报告（3月25日 星期六 09:00）"));
}

// 休 and 班 have their own colours, whatever festival falls on the day; a festival on an ordinary day a third.
TEST_F(MonthCalendarTest, RestDaysMakeupWorkdaysAndFestivalsDrawApart) {
    TfrmMonthCalendar window(nullptr, List, Config);
    QColor rest;
    QColor work;
    QColor festival;
    for (TDateTime date : {EncodeDate(2026, 2, 14), EncodeDate(2026, 2, 17), EncodeDate(2026, 3, 8)}) {
        window.ShowDate(date);
        const QTableWidgetItem* item = window.grdMonth->currentItem();
        ASSERT_NE(item, nullptr);
        (date == EncodeDate(2026, 2, 14)   ? work
         : date == EncodeDate(2026, 2, 17) ? rest
                                           : festival) = item->foreground().color();
    }
    EXPECT_NE(rest, work);
    EXPECT_NE(festival, rest);
    EXPECT_NE(festival, work);
}

TEST_F(MonthCalendarTest, ItFollowsADeleteOfTheList) {
    TfrmMonthCalendar window(nullptr, List, Config);
    ASSERT_EQ(window.lstDay->count(), 1);
    List.Delete(0, false);
    window.Refresh();
    EXPECT_EQ(window.grdMonth->currentItem()->text(), QStringLiteral("22\n闰二月"));
    ASSERT_EQ(window.lstDay->count(), 1);
    EXPECT_EQ(window.lstDay->item(0)->text(), QStringLiteral("这一天没有提醒"));
    EXPECT_EQ(window.lstComing->count(), 0);
}

} // namespace
} // namespace chimewell
