#include "data/reminder.h"

#include "calendar/clock.h"
#include "calendar/lunar.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

TRmMainDate Gregorian(int year, int month, int day, int hour = 0, int minute = 0) {
    TRmMainDate record;
    record.Year = year;
    record.Month = month;
    record.Day = day;
    record.Hour = hour;
    record.Minuter = minute;
    return record;
}

TRmMainDate Lunar(int year, int month, int day, bool isLeapMonth = false) {
    TRmMainDate record = Gregorian(year, month, day);
    record.IsLunar = true;
    record.IsLeapMonth = isLeapMonth;
    return record;
}

struct DateTextCase {
    const char* Name;
    TRmMainDate Record;
    const char* Expected;
};

class DateTextTest : public ::testing::TestWithParam<DateTextCase> {};

TEST_P(DateTextTest, Describes) {
    EXPECT_EQ(GetParam().Record.DateText(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Records, DateTextTest,
    ::testing::Values(DateTextCase{"AllZero", TRmMainDate{}, "每年每月每天"},
                      DateTextCase{"GregorianDate", Gregorian(2005, 6, 26), "2005年6月26日"},
                      DateTextCase{"GregorianWeekdays", Gregorian(0, 5, 0x80 | 0x01 | 0x04), "每年5月星期一三"},
                      DateTextCase{"Sunday", Gregorian(0, 0, 192), "每年每月星期日"},
                      DateTextCase{"NoWeekdayChosen", Gregorian(0, 0, 128), "每年每月星期"},
                      DateTextCase{"LunarFirstDays", Lunar(2005, 1, 1), "二○○五年正月初一"},
                      DateTextCase{"LunarTenth", Lunar(0, 12, 10), "每年腊月初十"},
                      DateTextCase{"LunarLaterDays", Lunar(0, 0, 11), "每年每月十一"},
                      DateTextCase{"LunarTwenties", Lunar(0, 11, 23), "每年冬月廿三"},
                      DateTextCase{"LunarThirtieth", Lunar(0, 8, 30), "每年八月三十"},
                      // A leap month is another month than the one before it, and reads so.
                      DateTextCase{"LeapMonth", Lunar(2033, 11, 1, true), "二○三三年闰冬月初一"},
                      DateTextCase{"NotTheLeapMonth", Lunar(2033, 11, 1), "二○三三年冬月初一"},
                      DateTextCase{"FirstSolarTermIsNotEveryDay", Lunar(0, 13, 0), "每年节气小寒"},
                      DateTextCase{"SolarTerm", Lunar(2025, 13, 6), "二○二五年节气清明"},
                      DateTextCase{"LastSolarTerm", Lunar(0, 13, 23), "每年节气冬至"},
                      DateTextCase{"LunarWeekdays", Lunar(0, 3, 0x80 | 0x40), "每年三月星期日"},
                      // Hand-edited values past the name tables show as numbers.
                      DateTextCase{"LunarMonthPastTable", Lunar(0, 14, 40), "每年14月40日"},
                      DateTextCase{"LunarNegativeMonth", Lunar(0, -3, 31), "每年-3月31日"},
                      DateTextCase{"SolarTermPastTable", Lunar(0, 13, 24), "每年节气24"},
                      DateTextCase{"SolarTermNegative", Lunar(0, 13, -1), "每年节气-1"},
                      DateTextCase{"GregorianThirteenthMonth", Gregorian(0, 13, 5), "每年13月5日"}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST(ReminderTextTest, TimeHasNoLeadingZeros) {
    EXPECT_EQ(Gregorian(0, 0, 0, 8, 5).TimeText(), "8时5分");
    EXPECT_EQ(TRmMainDate{}.TimeText(), "0时0分");
}

TEST(ReminderTextTest, WeekdaysTextOnlyForWeekdayForm) {
    EXPECT_EQ(Gregorian(0, 0, 26).WeekdaysText(), "");
    EXPECT_EQ(Gregorian(0, 0, 0x80 | 0x7F).WeekdaysText(), "星期一二三四五六日");
}

class DescribeTest : public ::testing::Test {
protected:
    DescribeTest() {
        Record = Gregorian(2005, 6, 26, 8, 5);
        Record.Forward = 10;
        Record.Message = "开会";
    }
    TRmMainDate Record;
};

TEST_F(DescribeTest, AllSwitches) {
    EXPECT_EQ(Record.Describe(DescribeOptions::All()),
              "公历，2005年6月26日8时5分0方式，提前10分，提醒为：开会(无音乐)(无脚本)");
    Record.IsLunar = true;
    Record.Forward = 0;
    Record.Method = RemindAtStartupHourly;
    Record.Music = "a.mp3";
    Record.Command = "sShutDown";
    Record.WithScript = true;
    EXPECT_EQ(Record.Describe(DescribeOptions::All()),
              "农历，二○○五年六月廿六8时5分3方式，不提前，提醒为：开会(有音乐)，命令为：sShutDown(有脚本)");
}

TEST_F(DescribeTest, OnlyCalendarPutsMessageRightAfterIt) {
    DescribeOptions options;
    options.Calendar = true;
    EXPECT_EQ(Record.Describe(options), "公历，开会");
    EXPECT_EQ(Record.Describe(DescribeOptions{}), "开会");
}

TEST_F(DescribeTest, EachOfDateTimeMethodForwardIntroducesTheMessage) {
    DescribeOptions forward;
    forward.Forward = true;
    Record.Forward = 0;
    EXPECT_EQ(Record.Describe(forward), "，不提前，提醒为：开会");
    DescribeOptions method;
    method.Method = true;
    EXPECT_EQ(Record.Describe(method), "0方式，提醒为：开会");
}

TEST_F(DescribeTest, CommandOnlyWhenThereIsOne) {
    DescribeOptions command;
    command.Command = true;
    EXPECT_EQ(Record.Describe(command), "开会");
    Record.Command = "uhttp://example.org";
    EXPECT_EQ(Record.Describe(command), "开会，命令为：uhttp://example.org");
}

// 2025-03-15 10:30, a Saturday.
const TDateTime Moment = EncodeDateTime(2025, 3, 15, 10, 30);

struct ExpiryCase {
    const char* Name;
    TRmMainDate Record;
    bool Expired;
};

class GregorianExpiryTest : public ::testing::TestWithParam<ExpiryCase> {};

TEST_P(GregorianExpiryTest, ComparesWithToday) {
    ClockOverride clock(Moment);
    EXPECT_EQ(GetParam().Record.IsExpired(), GetParam().Expired);
}

INSTANTIATE_TEST_SUITE_P(Records, GregorianExpiryTest,
                         ::testing::Values(ExpiryCase{"Yesterday", Gregorian(2025, 3, 14), true},
                                           ExpiryCase{"TodayAtAnEarlierHour", Gregorian(2025, 3, 15, 8, 0), false},
                                           ExpiryCase{"Tomorrow", Gregorian(2025, 3, 16), false},
                                           ExpiryCase{"EarlierMonthEveryDay", Gregorian(2025, 2, 0), true},
                                           ExpiryCase{"ThisMonthEveryDay", Gregorian(2025, 3, 0), false},
                                           ExpiryCase{"ThisYearEveryMonth", Gregorian(2025, 0, 1), false},
                                           ExpiryCase{"LastYear", Gregorian(2024, 12, 31), true},
                                           ExpiryCase{"NextYearEarlierMonth", Gregorian(2026, 1, 1), false},
                                           ExpiryCase{"EveryYear", Gregorian(0, 1, 1), false},
                                           ExpiryCase{"WeekdaysThisMonth", Gregorian(2025, 3, 0x80 | 0x01), false}),
                         [](const auto& row) { return std::string(row.param.Name); });

TEST(LunarExpiryTest, ComparesWithTodaysLunarDate) {
    ClockOverride clock(Moment);
    const LunarDate today = SolarToLunar(Today());
    ASSERT_FALSE(today.IsEmpty());
    EXPECT_TRUE(Lunar(today.Year, today.Month, today.Day - 1).IsExpired());
    EXPECT_FALSE(Lunar(today.Year, today.Month, today.Day).IsExpired());
    EXPECT_FALSE(Lunar(today.Year, today.Month, today.Day + 1).IsExpired());
    EXPECT_TRUE(Lunar(today.Year, today.Month - 1, 0).IsExpired());
    EXPECT_FALSE(Lunar(today.Year, 13, 0).IsExpired());
    EXPECT_TRUE(Lunar(today.Year - 1, 13, 0).IsExpired());
    EXPECT_FALSE(Lunar(0, 13, 0).IsExpired());
    // The Gregorian year is already 2025 on dates whose lunar year is still 2024, and the other way round.
    ClockOverride newYear(EncodeDateTime(2025, 1, 20, 9, 0));
    EXPECT_FALSE(Lunar(2024, 12, 30).IsExpired());
    EXPECT_TRUE(Gregorian(2024, 12, 30).IsExpired());
}

// 2028 has a leap fifth month after the plain one: on 五月廿七 (2028-06-20) 闰五月初五 is a week away, and on
// 闰五月初八 the plain 五月 is over. "删除过期提醒" must not offer the first.
TEST(LunarExpiryTest, ALeapMonthComesAfterThePlainMonthOfItsNumber) {
    ClockOverride plainMonth(EncodeDateTime(2028, 6, 20, 10, 0));
    TRmMainDate leap = Lunar(2028, 5, 5);
    leap.IsLeapMonth = true;
    EXPECT_FALSE(leap.IsExpired());
    EXPECT_TRUE(Lunar(2028, 5, 5).IsExpired());
    EXPECT_FALSE(Lunar(2028, 5, 28).IsExpired());
    ClockOverride leapMonth(EncodeDateTime(2028, 6, 30, 10, 0));
    EXPECT_TRUE(leap.IsExpired()) << "today is 闰五月初八";
    leap.Day = 10;
    EXPECT_FALSE(leap.IsExpired());
    EXPECT_TRUE(Lunar(2028, 5, 29).IsExpired()) << "the plain month is over";
}

TEST(ReminderDueTest, DispatchesOnCalendar) {
    ClockOverride clock(Moment);
    const LunarDate today = SolarToLunar(Today());
    TRmMainDate gregorian = Gregorian(2025, 3, 15, 10, 40);
    gregorian.Forward = 10;
    EXPECT_TRUE(gregorian.IsDueNow());
    EXPECT_TRUE(gregorian.IsDueToday());
    gregorian.IsLunar = true;
    EXPECT_FALSE(gregorian.IsDueNow());
    EXPECT_FALSE(gregorian.IsDueToday());

    TRmMainDate lunar = Lunar(today.Year, today.Month, today.Day);
    lunar.IsLeapMonth = today.IsLeapMonth;
    lunar.Hour = 10;
    lunar.Minuter = 31;
    EXPECT_FALSE(lunar.IsDueNow());
    EXPECT_TRUE(lunar.IsDueToday());
    clock.AdvanceMinutes(1);
    EXPECT_TRUE(lunar.IsDueNow());
    EXPECT_EQ(lunar.IsDueNowAt(Moment), false);
}

} // namespace
} // namespace chimewell
