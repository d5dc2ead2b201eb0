#include "editing/date_lists.h"

#include "calendar/lunar.h"
#include "row_name.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace chimewell {
namespace {

using ::testing::ElementsAre;

TRmMainDate Record(int year, int month, int day, bool lunar = false, bool leap = false) {
    TRmMainDate record;
    record.Year = year;
    record.Month = month;
    record.Day = day;
    record.IsLunar = lunar;
    record.IsLeapMonth = leap;
    return record;
}

TEST(LunarLists, ALeapYearListsItsLeapMonthAfterTheOrdinaryOne) {
    ASSERT_EQ(LunarLeapMonth(2025), 6);
    TRmMainDate record = Record(2025, 6, 1, true, true);
    const TDateLists lists = FillLunarLists(record, 2025);
    EXPECT_THAT(lists.Month.Items, ElementsAre("每月", "正月", "二月", "三月", "四月", "五月", "六月", "闰六月", "七月",
                                               "八月", "九月", "十月", "冬月", "腊月", "节气"));
    EXPECT_EQ(lists.ListedLeapMonth, 6);
    EXPECT_EQ(lists.Month.Selected, 7) << "the leap month";
    EXPECT_TRUE(record.IsLeapMonth);
}

TEST(LunarLists, EveryItemOfALeapYearStoresItsMonthAndComesBackSelected) {
    struct Stored {
        int Month;
        bool Leap;
    };
    const std::vector<Stored> expected = {{0, false}, {1, false},  {2, false},  {3, false},  {4, false},
                                          {5, false}, {6, false},  {6, true},   {7, false},  {8, false},
                                          {9, false}, {10, false}, {11, false}, {12, false}, {13, false}};
    for (int item = 0; item < 15; ++item) {
        int month = -1;
        bool leap = false;
        LunarMonthOfItem(item, 6, month, leap);
        EXPECT_EQ(month, expected[static_cast<std::size_t>(item)].Month) << "item " << item;
        EXPECT_EQ(leap, expected[static_cast<std::size_t>(item)].Leap) << "item " << item;
        TRmMainDate record = Record(2025, month, 1, true, leap);
        EXPECT_EQ(FillLunarLists(record, 2025).Month.Selected, item);
    }
}

TEST(LunarLists, AYearWithoutLeapMonthHasFourteenItemsAndClearsAStrayLeapFlag) {
    ASSERT_EQ(LunarLeapMonth(2026), 0);
    TRmMainDate record = Record(2026, 6, 1, true, true);
    const TDateLists lists = FillLunarLists(record, 2025);
    EXPECT_EQ(lists.Month.Items.size(), 14U);
    EXPECT_EQ(lists.Month.Items.back(), "节气");
    EXPECT_FALSE(record.IsLeapMonth);
    EXPECT_EQ(lists.Month.Selected, 6);
    int month = 0;
    bool leap = true;
    LunarMonthOfItem(13, 0, month, leap);
    EXPECT_EQ(month, 13);
    EXPECT_FALSE(leap);

    TRmMainDate everyYear = Record(0, 6, 1, true, true);
    EXPECT_EQ(FillLunarLists(everyYear, 2025).ListedLeapMonth, 0);
    EXPECT_FALSE(everyYear.IsLeapMonth) << "no year, no leap month";
}

TEST(LunarLists, TheSolarTermsTakeTheDayList) {
    TRmMainDate record = Record(2025, 13, 30, true);
    const TDateLists lists = FillLunarLists(record, 2025);
    ASSERT_EQ(lists.Day.Items.size(), 24U);
    EXPECT_EQ(lists.Day.Items.front(), "小寒");
    EXPECT_EQ(lists.Day.Items.back(), "冬至");
    EXPECT_EQ(record.Day, 0) << "an index beyond the terms falls back to the first";
    EXPECT_EQ(lists.Month.Selected, 15 - 1) << "节气 is last, after the leap month of 2025";
}

TEST(LunarLists, DaysFollowTheMonthsLength) {
    // The twelfth month of lunar 2024 has 29 days (除夕 2025 was on the 29th).
    ASSERT_EQ(LunarMonthDays(2024, 12), 29);
    TRmMainDate record = Record(2024, 12, 30, true);
    const TDateLists lists = FillLunarLists(record, 2024);
    EXPECT_EQ(record.Day, 29);
    ASSERT_EQ(lists.Day.Items.size(), 30U);
    EXPECT_EQ(lists.Day.Items[1], "初一");
    EXPECT_EQ(lists.Day.Items[10], "初十");
    EXPECT_EQ(lists.Day.Items[11], "十一");
    EXPECT_EQ(lists.Day.Text, "廿九");

    TRmMainDate everyYear = Record(0, 12, 30, true);
    EXPECT_EQ(FillLunarLists(everyYear, 2024).Day.Items.size(), 31U);
    EXPECT_EQ(everyYear.Day, 30);
}

TEST(LunarLists, YearsAreWrittenInChineseDigitsAndAHandEditedMonthIsHeldInRange) {
    TRmMainDate record = Record(2019, 20, 1, true);
    const TDateLists lists = FillLunarLists(record, 2025);
    EXPECT_EQ(lists.Year.Items[1], "二○二五年");
    EXPECT_EQ(lists.Year.Selected, -1);
    EXPECT_EQ(lists.Year.Text, "二○一九年");
    EXPECT_EQ(record.Month, 12);
}

TEST(SolarLists, APastYearIsShownButNotChanged) {
    TRmMainDate record = Record(2019, 3, 4);
    const TDateLists lists = FillSolarLists(record, 2026);
    EXPECT_EQ(lists.Year.Items.size(), 1U + 2099 - 2026 + 1);
    EXPECT_EQ(lists.Year.Items[1], "2026年");
    EXPECT_EQ(lists.Year.Selected, -1);
    EXPECT_EQ(lists.Year.Text, "2019年");
    EXPECT_EQ(record.Year, 2019);
    EXPECT_EQ(YearOfItem(0, 2026), 0);
    EXPECT_EQ(YearOfItem(3, 2026), 2028);
}

struct ClampRow {
    std::string Name;
    int Year, Month, Day;
    int WantYear, WantMonth, WantDay;
    std::size_t DayItems;
};

class SolarClamp : public ::testing::TestWithParam<ClampRow> {};

TEST_P(SolarClamp, FieldsAreHeldInTheListsRanges) {
    const ClampRow& row = GetParam();
    TRmMainDate record = Record(row.Year, row.Month, row.Day);
    const TDateLists lists = FillSolarLists(record, 2026);
    EXPECT_EQ(record.Year, row.WantYear);
    EXPECT_EQ(record.Month, row.WantMonth);
    EXPECT_EQ(record.Day, row.WantDay);
    EXPECT_EQ(lists.Day.Items.size(), row.DayItems);
    EXPECT_EQ(lists.Day.Selected, row.WantDay);
    EXPECT_EQ(lists.Month.Selected, row.WantMonth);
}

INSTANTIATE_TEST_SUITE_P(Rows, SolarClamp,
                         ::testing::Values(ClampRow{"ThirtiethOfFebruary", 2026, 2, 30, 2026, 2, 28, 29},
                                           ClampRow{"LeapYearFebruary", 2028, 2, 30, 2028, 2, 29, 30},
                                           ClampRow{"EveryYearFebruaryOffers31", 0, 2, 31, 0, 2, 31, 32},
                                           ClampRow{"AprilHas30", 2026, 4, 31, 2026, 4, 30, 31},
                                           ClampRow{"YearBeyondTheList", 2150, 5, 1, 2099, 5, 1, 32},
                                           ClampRow{"MonthAbove12", 2026, 14, 1, 2026, 12, 1, 32},
                                           ClampRow{"Negatives", -5, -1, -3, 0, 0, 0, 32},
                                           ClampRow{"DayWithoutWeekdayBit", 2026, 6, 40, 2026, 6, 30, 31}),
                         RowName<ClampRow>);

TEST(SolarLists, AWeekdaySetStandsInTheDayBoxUnchanged) {
    TRmMainDate record = Record(2026, 12, 0x80 | 0x01 | 0x04 | 0x10);
    const TDateLists lists = FillSolarLists(record, 2026);
    EXPECT_EQ(lists.Day.Selected, -1);
    EXPECT_EQ(lists.Day.Text, "星期一三五");
    EXPECT_EQ(record.Day, 0x95);
    EXPECT_EQ(record.Month, 12);
}

TEST(FixedLists, TheIndexIsTheNumber) {
    EXPECT_EQ(HourItems().size(), 24U);
    EXPECT_EQ(HourItems()[23], "23时");
    EXPECT_EQ(MinuteItems()[59], "59分");
    EXPECT_EQ(ForwardItems().size(), 31U);
    EXPECT_EQ(ForwardItems()[30], "30分钟");
}

} // namespace
} // namespace chimewell
