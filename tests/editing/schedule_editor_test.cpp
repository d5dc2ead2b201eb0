// The model of the window that sets a reminder's warnings and repeat.

#include "editing/schedule_editor.h"

#include "data/reminder_schedule.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

TEST(ScheduleEditor, WarningsAreKeptInOrderWithoutRepeatsWithinTheirBounds) {
    TScheduleEditor editor(TRmMainDate{}, 20261210);
    EXPECT_TRUE(editor.AddWarning({1, LeadUnit::Days}));
    EXPECT_TRUE(editor.AddWarning({1, LeadUnit::Weeks}));
    EXPECT_TRUE(editor.AddWarning({30, LeadUnit::Minutes}));
    EXPECT_EQ(FormatWarnings(editor.Record.Warnings), "1w,1d,30m");
    EXPECT_FALSE(editor.AddWarning({24, LeadUnit::Hours}));
    EXPECT_EQ(editor.Refusal(), "已经有提前 1天 的提醒了。");
    EXPECT_FALSE(editor.AddWarning({61, LeadUnit::Days}));
    EXPECT_FALSE(editor.AddWarning({0, LeadUnit::Minutes}));
    for (int minutes = 1; editor.Record.Warnings.size() < 10; ++minutes) {
        EXPECT_TRUE(editor.AddWarning({minutes, LeadUnit::Minutes}));
    }
    EXPECT_FALSE(editor.AddWarning({5, LeadUnit::Hours}));
    editor.RemoveWarning(0);
    editor.RemoveWarning(99);
    EXPECT_EQ(editor.Record.Warnings.size(), 9U);
    EXPECT_EQ(editor.Record.Warnings.front().Minutes(), 1440);
}

TEST(ScheduleEditor, AnIntervalCountsFromTodayUnlessToldAndTheEndsAreOneChoice) {
    TRmMainDate record;
    record.Day = WeekdayMask | 0x10;
    TScheduleEditor editor(record, 20261210);
    editor.SetRepeat(RepeatUnit::Weeks, 2);
    EXPECT_EQ(editor.Record.StartDate, 20261210);
    EXPECT_EQ(editor.Summary(), "不另提前；每隔 2 周的星期五，从 2026-12-10 起");
    editor.SetEndDate(20270630);
    EXPECT_EQ(editor.End(), RepeatEnd::Never);
    editor.SetEnd(RepeatEnd::OnDate);
    EXPECT_EQ(editor.Record.EndDate, 20270630);
    editor.SetEnd(RepeatEnd::AfterCount);
    EXPECT_EQ(editor.Record.EndDate, 0);
    EXPECT_EQ(editor.Record.EndCount, 10);
    editor.SetEndCount(26);
    EXPECT_EQ(editor.Summary(), "不另提前；每隔 2 周的星期五，从 2026-12-10 起，共 26 次");
    // Back to a date: the date chosen before comes back.
    editor.SetEnd(RepeatEnd::OnDate);
    EXPECT_EQ(editor.Record.EndDate, 20270630);
    editor.SetStart(20270701);
    EXPECT_EQ(editor.Problem(), "结束日期 2027-06-30 早于开始日期 2027-07-01。");
    editor.SetEnd(RepeatEnd::Never);
    EXPECT_EQ(editor.Problem(), "");
}

TEST(ScheduleEditor, ALunarReminderRepeatsByLunarMonthsAndYearsOnly) {
    TRmMainDate record;
    record.IsLunar = true;
    record.Month = 8;
    record.Day = 15;
    TScheduleEditor editor(record, 20261210);
    EXPECT_FALSE(editor.UnitAllowed(RepeatUnit::Weeks));
    EXPECT_TRUE(editor.UnitAllowed(RepeatUnit::Years));
    editor.SetRepeat(RepeatUnit::Weeks, 2);
    EXPECT_EQ(editor.Problem(), "农历提醒只能每隔几个农历月或几年重复。");
    editor.SetRepeat(RepeatUnit::Years, 2);
    EXPECT_EQ(editor.Problem(), "");
    EXPECT_EQ(RepeatDateText(editor.Record), "每隔 2 年的八月十五");
}

} // namespace
} // namespace chimewell
