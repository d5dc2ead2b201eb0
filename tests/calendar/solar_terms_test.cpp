#include "calendar/clock.h"
#include "calendar/lunar.h"
#include "calendar/solar_terms.h"
#include "calendar/sun.h"

#include "row_name.h"
#include <cmath>

#include <gtest/gtest.h>

namespace chimewell {
namespace {

struct AlmanacMoment {
    const char* Name;
    int Year, Index;
    int Month, Day, Hour, Minute; // China Standard Time
};

class SolarTermAlmanac : public testing::TestWithParam<AlmanacMoment> {};

// Published moments, to the minute; the computed ones must be within a minute and a half of them.
TEST_P(SolarTermAlmanac, WithinAMinuteOfThePublishedMoment) {
    const AlmanacMoment& m = GetParam();
    const TDateTime expected = EncodeDateTime(m.Year, m.Month, m.Day, m.Hour, m.Minute);
    const TDateTime moment = SolarTermMoment(m.Year, m.Index);
    EXPECT_NEAR(moment * 1440.0, expected * 1440.0, 1.5);
    EXPECT_EQ(SolarTermNameOf(EncodeDate(m.Year, m.Month, m.Day)), SolarTermNames[static_cast<std::size_t>(m.Index)]);
}

INSTANTIATE_TEST_SUITE_P(PublishedMoments, SolarTermAlmanac,
                         testing::Values(AlmanacMoment{"GrainInEar2026JustBeforeMidnight", 2026, 10, 6, 5, 23, 48},
                                         AlmanacMoment{"GrainInEar2030", 2030, 10, 6, 5, 22, 44},
                                         AlmanacMoment{"EndOfHeat2024", 2024, 15, 8, 22, 22, 55},
                                         AlmanacMoment{"StartOfSummer2035", 2035, 8, 5, 5, 23, 54},
                                         AlmanacMoment{"StartOfSpring2025", 2025, 2, 2, 3, 22, 10},
                                         AlmanacMoment{"WinterSolstice2024", 2024, 23, 12, 21, 17, 20},
                                         AlmanacMoment{"VernalEquinox2024", 2024, 5, 3, 20, 11, 6},
                                         AlmanacMoment{"SummerSolstice2024", 2024, 11, 6, 21, 4, 51},
                                         AlmanacMoment{"WinterSolstice2023", 2023, 23, 12, 22, 11, 27}),
                         RowName<AlmanacMoment>);

TEST(SolarTerms, TheDayAfterALateTermHasNone) {
    EXPECT_EQ(SolarTermNameOf(EncodeDate(2026, 6, 6)), "");
    EXPECT_EQ(SolarTermNameOf(EncodeDate(2025, 2, 4)), "");
    EXPECT_EQ(SolarTermNameOf(EncodeDate(2025, 1, 5)), "小寒");
    EXPECT_EQ(SolarTermNameOf(EncodeDate(2025, 1, 20)), "大寒");
    EXPECT_EQ(SolarTermNameOf(EncodeDate(2025, 2, 3) + 0.5), "") << "a value with a time of day never matches";
}

TEST(SolarTerms, EveryYearHasTwoTermsInEachMonthInOrder) {
    for (int year = 1900; year <= 2100; ++year) {
        for (int index = 0; index < SolarTermCount; ++index) {
            const TDateTime moment = SolarTermMoment(year, index);
            const DateFields date = DecodeDate(moment);
            ASSERT_EQ(date.Year, year);
            ASSERT_EQ(date.Month, index / 2 + 1) << year << " term " << index;
            if (index > 0) {
                const double gap = moment - SolarTermMoment(year, index - 1);
                ASSERT_GT(gap, 14.0);
                ASSERT_LT(gap, 16.5);
            }
        }
    }
}

TEST(SolarTerms, TableAgreesWithTheSunAndTheComputedYearsContinueIt) {
    for (const int year : {1900, 1987, 2026, 2100}) {
        for (int index = 0; index < SolarTermCount; index += 5) {
            EXPECT_DOUBLE_EQ(SolarTermMoment(year, index), ComputeSolarTermMoment(year, index));
        }
    }
    // Past the table the moments are computed: 2101's minor cold follows 2100's winter solstice.
    const double gap = SolarTermMoment(2101, 0) - SolarTermMoment(2100, 23);
    EXPECT_GT(gap, 14.0);
    EXPECT_LT(gap, 16.0);
    const double longitude = ApparentSolarLongitude(SolarTermMoment(2150, 5) + 2415018.5 - 8.0 / 24);
    EXPECT_LT(std::fabs(longitude - 360.0 * std::round(longitude / 360.0)), 0.01) << "spring equinox at 0°";
}

TEST(SolarTerms, TodayComesFromTheClockAndBadIndexesNeverMatch) {
    ClockOverride clock(EncodeDateTime(2025, 2, 3, 8, 0));
    EXPECT_TRUE(IsSolarTermToday(2));
    EXPECT_FALSE(IsSolarTermToday(3));
    for (TDateTime day = EncodeDate(2025, 1, 1); day < EncodeDate(2026, 1, 1); day += 1) {
        clock.Set(day + 0.25);
        ASSERT_FALSE(IsSolarTermToday(24));
        ASSERT_FALSE(IsSolarTermToday(-1));
    }
}

TEST(Sexagenary, NamesAndAnimals) {
    EXPECT_EQ(GanZhiYearName(0), "甲子");
    EXPECT_EQ(GanZhiYearName(101), "乙巳");
    EXPECT_EQ(GanZhiYearName(-24), "庚子");
    EXPECT_EQ(GanZhiYearName(-1000), "甲申") << "far before the cycle's start the remainders stay non-negative";
    EXPECT_EQ(ZodiacAnimalName(2025), "蛇");
    EXPECT_EQ(ZodiacAnimalName(1900), "鼠");
}

struct WeekCase {
    const char* Name;
    int Year, Month, Day;
    bool BeginWithSunday;
    int WeekOfMonth, WeekOfYear;
};

class WeekNumbers : public testing::TestWithParam<WeekCase> {};

TEST_P(WeekNumbers, OfMonthAndYear) {
    const WeekCase& c = GetParam();
    EXPECT_EQ(WeekOfMonth(c.Year, c.Month, c.Day, c.BeginWithSunday), c.WeekOfMonth);
    if (c.WeekOfYear != 0) {
        EXPECT_EQ(WeekOfYear(c.Year, c.Month, c.Day, c.BeginWithSunday), c.WeekOfYear);
    }
}

// 2025-03-01 is a Saturday, 2025-06-01 a Sunday, 2025-01-01 a Wednesday.
INSTANTIATE_TEST_SUITE_P(
    Cases, WeekNumbers,
    testing::Values(
        WeekCase{"SaturdayFirstSunday", 2025, 3, 1, true, 1, 0},
        WeekCase{"FirstSundayStartsWeek2", 2025, 3, 2, true, 2, 0}, WeekCase{"March8", 2025, 3, 8, true, 2, 0},
        WeekCase{"March30", 2025, 3, 30, true, 6, 0}, WeekCase{"March31", 2025, 3, 31, true, 6, 0},
        WeekCase{"MarchSundayMonday", 2025, 3, 2, false, 1, 0}, WeekCase{"March3Monday", 2025, 3, 3, false, 2, 0},
        WeekCase{"SundayFirstEightDayWeek", 2025, 6, 1, false, 1, 0}, WeekCase{"June8", 2025, 6, 8, false, 1, 0},
        WeekCase{"June9", 2025, 6, 9, false, 2, 0}, WeekCase{"June8Sunday", 2025, 6, 8, true, 2, 0},
        WeekCase{"Jan4", 2025, 1, 4, true, 1, 1}, WeekCase{"Jan5", 2025, 1, 5, true, 2, 2},
        WeekCase{"Jan5Monday", 2025, 1, 5, false, 1, 1}, WeekCase{"Jan6Monday", 2025, 1, 6, false, 2, 2},
        WeekCase{"Dec31", 2025, 12, 31, true, 5, 53}, WeekCase{"Dec31Monday", 2025, 12, 31, false, 5, 53}),
    RowName<WeekCase>);

TEST(WeekNumbers, OutOfRange) {
    EXPECT_EQ(WeekOfMonth(1899, 5, 1, true), -1);
    EXPECT_EQ(WeekOfMonth(3000, 5, 1, false), -1);
    EXPECT_EQ(WeekOfYear(2025, 13, 1, true), -1);
    EXPECT_EQ(WeekOfYear(2025, 0, 1, false), -1);
    ClockOverride clock(EncodeDateTime(2025, 6, 9, 12, 0));
    EXPECT_EQ(CurrentWeekOfMonth(false), 2);
    EXPECT_EQ(CurrentWeekOfYear(true), 24);
}

} // namespace
} // namespace chimewell
