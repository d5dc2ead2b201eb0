#include "calendar/clock.h"
#include "calendar/due.h"
#include "calendar/lunar.h"
#include "calendar/solar_terms.h"

#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <string>
#include <tuple>

namespace chimewell {
namespace {

struct Fields {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minuter = 0, Forward = 0;
    bool IsLunar = false, IsLeapMonth = false;
};

bool DueNow(const Fields& f) {
    return f.IsLunar ? IsLunarDateTimeDue(f.Year, f.Month, f.Day, f.Hour, f.Minuter, f.Forward, f.IsLeapMonth, true)
                     : IsSolarDateTimeDue(f.Year, f.Month, f.Day, f.Hour, f.Minuter, f.Forward, true);
}

bool DueToday(const Fields& f) {
    return f.IsLunar ? IsLunarDateDue(f.Year, f.Month, f.Day, f.IsLeapMonth) : IsSolarDateDue(f.Year, f.Month, f.Day);
}

// The minutes of one day at which the fields are due, as "HH:MM", walking the clock through the seam.
std::set<std::string> DueMinutesOn(const Fields& f, int year, int month, int day) {
    std::set<std::string> minutes;
    ClockOverride clock(EncodeDate(year, month, day));
    for (int minute = 0; minute < 1440; ++minute) {
        if (DueNow(f)) {
            char text[8];
            std::snprintf(text, sizeof text, "%02d:%02d", minute / 60, minute % 60);
            minutes.insert(text);
        }
        clock.AdvanceMinutes(1);
    }
    return minutes;
}

// The days of a Gregorian year on which the date test holds.
std::set<std::string> DueDaysOf(const Fields& f, int year) {
    std::set<std::string> days;
    ClockOverride clock(EncodeDate(year, 1, 1) + 0.5);
    for (TDateTime day = EncodeDate(year, 1, 1); day < EncodeDate(year + 1, 1, 1); day += 1) {
        clock.Set(day + 0.5);
        const bool withTimeOff =
            f.IsLunar ? IsLunarDateTimeDue(f.Year, f.Month, f.Day, f.Hour, f.Minuter, f.Forward, f.IsLeapMonth, false)
                      : IsSolarDateTimeDue(f.Year, f.Month, f.Day, f.Hour, f.Minuter, f.Forward, false);
        EXPECT_EQ(withTimeOff, DueToday(f)) << "the check-time flag off is the date test";
        if (DueToday(f)) {
            const DateFields d = DecodeDate(day);
            days.insert(std::to_string(d.Month) + "-" + std::to_string(d.Day));
        }
    }
    return days;
}

using Minutes = std::set<std::string>;

TEST(TimeTest, SetTimeAndEarlyMoment) {
    EXPECT_EQ(DueMinutesOn({.Hour = 8, .Minuter = 30}, 2025, 3, 1), (Minutes{"08:30"}));
    EXPECT_EQ(DueMinutesOn({.Hour = 8, .Minuter = 30, .Forward = 10}, 2025, 3, 1), (Minutes{"08:20", "08:30"}));
    EXPECT_EQ(DueMinutesOn({.Hour = 11, .Minuter = 5, .Forward = 15}, 2025, 3, 1), (Minutes{"10:50", "11:05"}));
    EXPECT_EQ(DueMinutesOn({.Hour = 11, .Minuter = 50, .Forward = 15}, 2025, 3, 1), (Minutes{"11:35", "11:50"}));
    EXPECT_EQ(DueMinutesOn({.Hour = 0, .Minuter = 10, .Forward = 30}, 2025, 3, 1), (Minutes{"00:10"}))
        << "the early moment never reaches back across midnight";
    EXPECT_EQ(DueMinutesOn({.Hour = 24, .Minuter = 0}, 2025, 3, 1), (Minutes{}));
}

TEST(TimeTest, SecondsAreIgnored) {
    ClockOverride clock(EncodeDateTime(2025, 3, 1, 8, 30, 59, 999));
    EXPECT_TRUE(DueNow({.Hour = 8, .Minuter = 30}));
    clock.AdvanceSeconds(1);
    EXPECT_FALSE(DueNow({.Hour = 8, .Minuter = 30}));
}

TEST(GregorianDateTest, WeekdaysLeapDaysAndLongMonths) {
    const std::set<std::string> mayMondaysAndSundays = {"5-4", "5-5", "5-11", "5-12", "5-18", "5-19", "5-25", "5-26"};
    EXPECT_EQ(DueDaysOf({.Month = 5, .Day = 0x80 | 0x01 | 0x40}, 2025), mayMondaysAndSundays);
    EXPECT_TRUE(DueDaysOf({.Day = 0x80}, 2025).empty()) << "a mask without weekdays never matches";
    EXPECT_TRUE(DueDaysOf({.Month = 2, .Day = 29}, 2025).empty());
    EXPECT_EQ(DueDaysOf({.Month = 2, .Day = 29}, 2024), (std::set<std::string>{"2-29"}));
    EXPECT_EQ(DueDaysOf({.Day = 31}, 2025).size(), 7U) << "only the months of 31 days";
    EXPECT_TRUE(DueDaysOf({.Year = 2024, .Month = 1, .Day = 1}, 2025).empty());
}

TEST(LunarDateTest, LeapMonthsAreTheirOwnMonths) {
    // The leap 4th month of 2020 runs from 2020-05-23 to 2020-06-20.
    const std::set<std::string> fourthMonthFirstDays = DueDaysOf({.Month = 4, .Day = 1, .IsLunar = true}, 2020);
    EXPECT_EQ(fourthMonthFirstDays, (std::set<std::string>{"4-23"}));
    EXPECT_EQ(DueDaysOf({.Month = 4, .Day = 1, .IsLunar = true, .IsLeapMonth = true}, 2020),
              (std::set<std::string>{"5-23"}));
    const std::set<std::string> ordinaryFourth = DueDaysOf({.Month = 4, .IsLunar = true}, 2020);
    EXPECT_EQ(ordinaryFourth.count("5-23"), 0U);
    EXPECT_EQ(ordinaryFourth.count("6-20"), 0U);
    EXPECT_EQ(ordinaryFourth.count("5-22"), 1U);
    // Every month's 15th, leap month included: 13 fifteenths fall in 2020 from the 12th month of 2019 on.
    const std::set<std::string> fifteenths = DueDaysOf({.Day = 15, .IsLunar = true}, 2020);
    EXPECT_EQ(fifteenths.count("6-6"), 1U) << "the 15th of the leap 4th month";
    EXPECT_EQ(fifteenths.size(), 13U);
}

TEST(LunarDateTest, SolarTermRecordsNameATermNotADay) {
    EXPECT_EQ(DueDaysOf({.Month = SolarTermMonth, .Day = 0, .IsLunar = true}, 2025), (std::set<std::string>{"1-5"}));
    EXPECT_EQ(DueDaysOf({.Month = SolarTermMonth, .Day = 5, .IsLunar = true}, 2025), (std::set<std::string>{"3-20"}));
    EXPECT_EQ(DueDaysOf({.Month = SolarTermMonth, .Day = 10, .IsLunar = true}, 2026), (std::set<std::string>{"6-5"}));
    EXPECT_TRUE(DueDaysOf({.Month = SolarTermMonth, .Day = 24, .IsLunar = true}, 2025).empty());
    EXPECT_TRUE(DueDaysOf({.Year = 2024, .Month = SolarTermMonth, .Day = 5, .IsLunar = true}, 2025).empty())
        << "the lunar year still counts";
}

TEST(LunarDateTest, OutsideTheTableOnlyWildcardsMatch) {
    ClockOverride clock(EncodeDateTime(2101, 3, 1, 8, 0));
    EXPECT_FALSE(DueToday({.Year = 2101, .IsLunar = true}));
    EXPECT_FALSE(DueToday({.Month = 1, .IsLunar = true}));
    EXPECT_TRUE(DueToday({.IsLunar = true}));
}

// 除夕 is the 30th of the twelfth month; in 2025, 2026 and 2027 that month has 29 days, and the eve is its
// 29th. A reminder kept for every year falls on the last day; one for a given year names a day that never is.
TEST(LunarDateTest, DayThirtyOfEveryYearFallsOnTheLastDayOfAShortMonth) {
    const Fields newYearsEve{.Month = 12, .Day = 30, .Hour = 20, .IsLunar = true};
    for (const auto& [year, month, day] : {std::tuple{2026, 2, 16}, {2027, 2, 5}, {2028, 1, 25}}) {
        EXPECT_EQ(DueMinutesOn(newYearsEve, year, month, day), Minutes{"20:00"}) << year;
        EXPECT_TRUE(DueMinutesOn(newYearsEve, year, month, day - 1).empty()) << "only the last day, " << year;
    }
    ASSERT_EQ(LunarMonthDays(2025, 12), 29);
    EXPECT_TRUE(DueMinutesOn({.Year = 2025, .Month = 12, .Day = 30, .Hour = 20, .IsLunar = true}, 2026, 2, 16).empty());
    // Every month's 30th is its last day; a 30-day month still fires on the 30th alone.
    const Fields monthEnd{.Day = 30, .IsLunar = true};
    const std::set<std::string> days = DueDaysOf(monthEnd, 2026);
    for (TDateTime day = EncodeDate(2026, 1, 1); day < EncodeDate(2027, 1, 1); day += 1) {
        const bool lastOfMonth = SolarToLunar(day + 1).Day == 1;
        const DateFields d = DecodeDate(day);
        EXPECT_EQ(days.contains(std::to_string(d.Month) + "-" + std::to_string(d.Day)), lastOfMonth)
            << d.Month << "-" << d.Day;
    }
    ASSERT_EQ(SolarToLunar(EncodeDate(2026, 2, 16)).Day, 29);
    EXPECT_TRUE(days.contains("2-16"));
    EXPECT_FALSE(days.contains("2-15"));
}

// Every field of a reminder comes from a file a person may edit; no value may overflow the arithmetic (the
// sanitizers abort on that) or match where it should not.
TEST(DueTimeTest, ExtremeFieldValuesGiveAnAnswer) {
    constexpr int Max = std::numeric_limits<int>::max();
    constexpr int Min = std::numeric_limits<int>::min();
    ClockOverride clock(EncodeDateTime(2025, 3, 1, 23, 59));
    for (const int value : {Max, Min, -1, 0, 13, 32, 0x80, 0xFF, 1 << 30}) {
        for (const bool lunar : {false, true}) {
            Fields f{.Year = value,
                     .Month = value,
                     .Day = value,
                     .Hour = value,
                     .Minuter = value,
                     .Forward = value,
                     .IsLunar = lunar,
                     .IsLeapMonth = value != 0};
            DueNow(f);
            DueToday(f);
            f = {.Hour = 0, .Minuter = 0, .Forward = value, .IsLunar = lunar};
            EXPECT_FALSE(DueNow(f)) << value;
            f = {.Hour = value, .Minuter = value, .Forward = Max, .IsLunar = lunar};
            DueNow(f);
        }
    }
}

TEST(EdgeDetectors, FireOncePerNewMinuteAndHour) {
    ClockOverride clock(EncodeDateTime(2025, 3, 1, 8, 59, 30));
    int minute = -1;
    int hour = -1;
    EXPECT_TRUE(MinuteChanged(minute));
    EXPECT_EQ(minute, 59);
    EXPECT_FALSE(MinuteChanged(minute));
    EXPECT_TRUE(HourChanged(hour));
    clock.AdvanceSeconds(29);
    EXPECT_FALSE(MinuteChanged(minute));
    clock.AdvanceSeconds(1);
    EXPECT_TRUE(MinuteChanged(minute));
    EXPECT_EQ(minute, 0);
    EXPECT_FALSE(MinuteChanged(minute));
    EXPECT_TRUE(HourChanged(hour));
    EXPECT_FALSE(HourChanged(hour));
}

} // namespace
} // namespace chimewell
