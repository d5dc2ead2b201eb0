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
    ASSERT_TRUE(ParseGoToDate("农历2033-闰11-1"));
    window.ShowDate(*ParseGoToDate("农历2033-闰11-1"));
    EXPECT_EQ(FormatMinute(window.SelectedDate()).substr(0, 10), "2033-12-22");
    EXPECT_FALSE(ParseGoToDate("农历2023-闰3-1")) << "2023 has no leap third month";
    EXPECT_FALSE(ParseGoToDate("2023-02-29"));
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
    EXPECT_EQ(offered, (QStringList{QStringLiteral("公历 2023年3月22日[&G]"), QStringLiteral("农历 闰二月初一[&L]")}));
    ASSERT_EQ(added.size(), 1U);
    EXPECT_TRUE(added[0].IsLunar);
    EXPECT_EQ(added[0].Year, 2023);
    EXPECT_EQ(added[0].Month, 2);
    EXPECT_EQ(added[0].Day, 1);
    EXPECT_TRUE(added[0].IsLeapMonth);
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
