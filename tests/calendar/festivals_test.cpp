#include "calendar/festivals.h"

#include "calendar/lunar.h"
#include "runtime/remind_text.h"

#include "calendar/festival_by_name.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

using testing::FestivalByName;

TEST(Festivals, WeekdayRulesFallOnTheDaysTheyAreKeptOn) {
    EXPECT_EQ(SolarFestivalDate(FestivalByName("N23"), 2022), EncodeDate(2022, 5, 8)) << "母亲节";
    EXPECT_EQ(SolarFestivalDate(FestivalByName("N23"), 2025), EncodeDate(2025, 5, 11));
    EXPECT_EQ(SolarFestivalDate(FestivalByName("N24"), 2025), EncodeDate(2025, 6, 15)) << "父亲节";
    EXPECT_EQ(SolarFestivalDate(FestivalByName("N18"), 2025), EncodeDate(2025, 11, 27)) << "感恩节";
    EXPECT_EQ(SolarFestivalDate(FestivalByName("N18"), 2024), EncodeDate(2024, 11, 28));
    EXPECT_EQ(FestivalWeekCondition(FestivalByName("N23")), "$mwo2$");
    EXPECT_EQ(FestivalWeekCondition(FestivalByName("N24")), "$mwo3$");
    EXPECT_EQ(FestivalWeekCondition(FestivalByName("N18")), "$mwo4$");
    EXPECT_EQ(FestivalWeekCondition(FestivalByName("N0")), "");
}

TEST(Festivals, TheWeekConditionOfARuleHoldsOnItsDateInEveryYearAndNotAWeekAway) {
    for (const TFestival& festival : SolarFestivals) {
        if (festival.Occurrence == 0) {
            continue;
        }
        const std::string condition = FestivalWeekCondition(festival);
        for (int year = 1990; year <= 2099; ++year) {
            const TDateTime date = SolarFestivalDate(festival, year);
            const DateFields fields = DecodeDate(date);
            EXPECT_EQ(fields.Month, festival.Month) << festival.Caption << " " << year;
            const int weekdayBit = 1 << ((DayOfWeek(date) + 5) % 7); // Monday 0x01 .. Sunday 0x40
            EXPECT_EQ(festival.Day, 0x80 | weekdayBit) << festival.Caption << " " << year;
            for (const bool sunday : {false, true}) {
                EXPECT_TRUE(WeekConditionHoldsAt(condition, date, sunday)) << festival.Caption << " " << year;
                EXPECT_FALSE(WeekConditionHoldsAt(condition, date - 7, sunday)) << festival.Caption << " " << year;
                EXPECT_FALSE(WeekConditionHoldsAt(condition, date + 7, sunday)) << festival.Caption << " " << year;
            }
        }
    }
}

TEST(Festivals, LunarDatesIncludeNewYearsEveInAShortTwelfthMonth) {
    EXPECT_EQ(LunarFestivalDate(FestivalByName("N81"), 2025), EncodeDate(2025, 10, 6)) << "中秋";
    EXPECT_EQ(LunarFestivalDate(FestivalByName("N110"), 2026), EncodeDate(2026, 2, 17)) << "春节";
    ASSERT_EQ(LunarMonthDays(2024, 12), 29);
    EXPECT_EQ(LunarFestivalDate(FestivalByName("C1"), 2024), EncodeDate(2025, 1, 28)) << "除夕 on the 29th";
    EXPECT_EQ(LunarFestivalDate(FestivalByName("C1"), 2025), EncodeDate(2026, 2, 16));
    EXPECT_EQ(LunarFestivalDate(FestivalByName("C1"), 2150), LunarInvalidSolarDate);
}

TEST(Festivals, TitlesLoseTheirAccelerators) {
    EXPECT_EQ(FestivalTitle(SolarFestivals.front()), "情人节");
    EXPECT_EQ(FestivalTitle(LunarFestivals.back()), "除夕");
    EXPECT_EQ(SolarFestivals.size(), 15U);
    EXPECT_EQ(LunarFestivals.size(), 12U);
}

} // namespace
} // namespace chimewell
