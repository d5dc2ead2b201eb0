#include "calendar/clock.h"
#include "calendar/lunar.h"

#include "row_name.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

// The conversion as a plain walk over the table, year by year and month by month from lunar 1900-01-01:
// the fast conversion must agree with it on every day of the range.
LunarDate WalkSolarToLunar(TDateTime date) {
    const TDateTime first = EncodeDate(1900, 1, 31);
    if (date < first || date >= EncodeDate(2101, 1, 1)) {
        return {};
    }
    int n = static_cast<int>(date - first);
    int year = 1900;
    int length = 0;
    while (n > 0) {
        length = LunarYearDays(year);
        ++year;
        n -= length;
    }
    if (n < 0) {
        n += length;
        --year;
    }
    const int leap = LunarLeapMonth(year);
    bool isLeap = false;
    int month = 0;
    while (n >= 0) {
        ++month;
        length = LunarMonthDays(year, month);
        n -= length;
        if (n >= 0 && month == leap) {
            length = LunarLeapMonthDays(year);
            n -= length;
            if (n < 0) {
                isLeap = true;
            }
        }
    }
    n += length;
    return {year, month, n + 1, isLeap};
}

struct ConversionCase {
    const char* Name;
    int SolarYear, SolarMonth, SolarDay;
    LunarDate Lunar;
};

class LunarConversion : public testing::TestWithParam<ConversionCase> {};

TEST_P(LunarConversion, BothWays) {
    const ConversionCase& c = GetParam();
    const TDateTime solar = EncodeDate(c.SolarYear, c.SolarMonth, c.SolarDay);
    EXPECT_EQ(SolarToLunar(solar), c.Lunar);
    EXPECT_EQ(SolarToLunar(solar + 0.99), c.Lunar) << "the time of day is ignored";
    if (IsValidLunarDate(c.Lunar)) {
        EXPECT_EQ(LunarToSolar(c.Lunar), solar);
    }
}

INSTANTIATE_TEST_SUITE_P(KnownDates, LunarConversion,
                         testing::Values(ConversionCase{"FirstDayOfTable", 1900, 1, 31, {1900, 1, 1, false}},
                                         ConversionCase{"DayBeforeTable", 1900, 1, 30, {}},
                                         ConversionCase{"DayAfterRange", 2101, 1, 1, {}},
                                         ConversionCase{"FixedPoint2000", 2000, 2, 5, {2000, 1, 1, false}},
                                         ConversionCase{"LeapSecondMonth2023", 2023, 3, 22, {2023, 2, 1, true}},
                                         ConversionCase{"OrdinarySecondMonth2023", 2023, 2, 20, {2023, 2, 1, false}},
                                         ConversionCase{"ThirdMonthAfterLeap2023", 2023, 4, 20, {2023, 3, 1, false}},
                                         ConversionCase{"LeapFourthMonth2020", 2020, 5, 23, {2020, 4, 1, true}},
                                         ConversionCase{"LastDayOfYear2023", 2024, 2, 9, {2023, 12, 30, false}},
                                         ConversionCase{"NewYear2024", 2024, 2, 10, {2024, 1, 1, false}},
                                         ConversionCase{"NewYear1999", 1999, 2, 16, {1999, 1, 1, false}}),
                         RowName<ConversionCase>);

TEST(LunarConversion, EndsOfTheRange) {
    EXPECT_EQ(SolarToLunar(EncodeDate(2100, 12, 31)).Year, 2100);
    EXPECT_EQ(LunarToSolar({1906, 4, 30, true}) + 1, LunarToSolar({1906, 5, 1, false}))
        << "a thirty-day leap month is followed by the next ordinary month";
}

TEST(LunarConversion, NewYearDatesOfEveryTableYear) {
    EXPECT_EQ(LunarNewYearDate(1900), EncodeDate(1900, 1, 31));
    for (int year = LunarTableFirstYear; year <= LunarTableLastYear; ++year) {
        ASSERT_EQ(SolarToLunar(LunarNewYearDate(year)), (LunarDate{year, 1, 1, false})) << year;
    }
    EXPECT_EQ(LunarNewYearDate(1899), LunarInvalidSolarDate);
    EXPECT_EQ(LunarNewYearDate(2101), LunarInvalidSolarDate);
}

TEST(LunarConversion, AgreesWithTheYearWalkOnEveryDay) {
    for (TDateTime date = EncodeDate(1900, 1, 25); date <= EncodeDate(2101, 1, 5); date += 1) {
        ASSERT_EQ(SolarToLunar(date), WalkSolarToLunar(date))
            << DecodeDate(date).Year << "-" << DecodeDate(date).Month << "-" << DecodeDate(date).Day;
    }
}

TEST(LunarConversion, RoundTripsEveryDayOfLunarYears1901To2099) {
    const TDateTime first = LunarToSolar({1901, 1, 1, false});
    const TDateTime last = LunarToSolar({2099, 1, 1, false}) + LunarYearDays(2099) - 1;
    ASSERT_EQ(SolarToLunar(last + 1), (LunarDate{2100, 1, 1, false}));
    LunarDate previous = SolarToLunar(first - 1);
    for (TDateTime date = first; date <= last; date += 1) {
        const LunarDate lunar = SolarToLunar(date);
        ASSERT_TRUE(IsValidLunarDate(lunar)) << lunar.Year << "/" << lunar.Month << "/" << lunar.Day;
        ASSERT_EQ(LunarToSolar(lunar), date);
        // Consecutive days either advance the day or start a new month at day 1.
        ASSERT_TRUE(lunar.Day == previous.Day + 1 || lunar.Day == 1);
        previous = lunar;
    }
}

TEST(LunarYearLengths, FromTheTable) {
    EXPECT_EQ(LunarYearDays(1900), 384);
    EXPECT_EQ(LunarYearDays(2000), 354);
    EXPECT_EQ(LunarYearDays(2023), 384);
    EXPECT_EQ(LunarLeapMonth(1900), 8);
    EXPECT_EQ(LunarLeapMonthDays(1900), 29);
    EXPECT_EQ(LunarLeapMonth(1907), 0) << "a low nibble of F is no leap month";
    EXPECT_EQ(LunarLeapMonthDays(1906), 30) << "the next year's F makes the leap month long";
    EXPECT_EQ(LunarLeapMonthDays(2100), 0);
    EXPECT_EQ(LunarMonthDays(1900, 1), 29);
    EXPECT_EQ(LunarMonthDays(1900, 2), 30);
    EXPECT_EQ(LunarMonthDays(1900, 0), 29) << "a month below 2 reads the first month's bit";
    // Outside the table and past the twelve months nothing is read beyond the table's ends.
    EXPECT_EQ(LunarYearDays(1899), 348);
    EXPECT_EQ(LunarMonthDays(2101, 40), 29);
}

TEST(LunarValidation, RejectsWhatNoLunarYearHolds) {
    EXPECT_TRUE(IsValidLunarDate({2023, 2, 29, true}));
    EXPECT_FALSE(IsValidLunarDate({2023, 2, 30, true})) << "the leap second month of 2023 has 29 days";
    EXPECT_FALSE(IsValidLunarDate({1900, 1, 1, false}));
    EXPECT_FALSE(IsValidLunarDate({2100, 1, 1, false}));
    EXPECT_FALSE(IsValidLunarDate({2023, 1, 31, false}));
    EXPECT_FALSE(IsValidLunarDate({2023, 3, 1, true})) << "2023's leap month is the second";
    EXPECT_FALSE(IsValidLunarDate({2023, 13, 1, false}));
    EXPECT_FALSE(IsValidLunarDate({2023, 0, 1, false}));
    EXPECT_FALSE(IsValidLunarDate({2023, 1, 0, false}));
    int shortMonth = 1;
    while (LunarMonthDays(2024, shortMonth) == 30) {
        ++shortMonth;
    }
    EXPECT_FALSE(IsValidLunarDate({2024, shortMonth, 30, false}));
    EXPECT_EQ(LunarToSolar({2024, shortMonth, 30, false}), LunarInvalidSolarDate);
    EXPECT_EQ(DecodeDate(LunarInvalidSolarDate).Year, 1);
}

TEST(EditorHelpers, MonthLengths) {
    EXPECT_EQ(GregorianMonthDays(2000, 2), 29);
    EXPECT_EQ(GregorianMonthDays(1900, 2), 28);
    EXPECT_EQ(GregorianMonthDays(0, 2), 31);
    EXPECT_EQ(GregorianMonthDays(2025, 0), 31);
    EXPECT_EQ(GregorianMonthDays(2025, 11), 30);
    EXPECT_EQ(LunarMonthDaysForEditor(0, 5, false), 30);
    EXPECT_EQ(LunarMonthDaysForEditor(1906, 4, true), 30);
    EXPECT_EQ(LunarMonthDaysForEditor(1900, 1, false), 29);
}

TEST(CurrentYears, ComeFromTheClock) {
    ClockOverride clock(EncodeDateTime(2024, 2, 9, 23, 59));
    EXPECT_EQ(CurrentSolarYear(), 2024);
    EXPECT_EQ(CurrentLunarYear(), 2023);
    clock.AdvanceMinutes(1);
    EXPECT_EQ(CurrentLunarYear(), 2024);
}

} // namespace
} // namespace chimewell
