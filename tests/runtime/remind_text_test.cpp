#include "runtime/remind_text.h"

#include "calendar/clock.h"
#include "calendar/datetime.h"
#include "calendar/holidays.h"
#include "calendar/solar_terms.h"
#include "platform/system_facts.h"
#include "row_name.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

// 2025-03-07 is a Friday.
const TDateTime FridayAfternoon = EncodeDateTime(2025, 3, 7, 13, 5, 9);

struct ExpandRow {
    std::string Name;
    TDateTime Moment;
    std::string Text;
    std::string Expected;
};

class ExpandTable : public testing::TestWithParam<ExpandRow> {};

TEST_P(ExpandTable, ExpandsAtTheMoment) {
    const ExpandRow& row = GetParam();
    EXPECT_EQ(ExpandRemindTextAt(row.Text, row.Moment), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ExpandTable,
    testing::Values(ExpandRow{"LoneHashStays", FridayAfternoon, "#", "#"},
                    ExpandRow{"LonePercentStays", FridayAfternoon, "%", "%"},
                    ExpandRow{"TrailingHashDropped", FridayAfternoon, "a#", "a"},
                    ExpandRow{"TrailingPercentDropped", FridayAfternoon, "ab%", "ab"},
                    ExpandRow{"DoubledSigns", FridayAfternoon, "##%%", "#%"},
                    ExpandRow{"UnknownHashCode", FridayAfternoon, "#x", "x"},
                    ExpandRow{"UnknownPercentCode", FridayAfternoon, "%q", "q"},
                    ExpandRow{"OutputIsNotScannedAgain", FridayAfternoon, "##y%%y", "#y%y"},
                    ExpandRow{"ChineseAfterSignKeepsWholeCharacter", FridayAfternoon, "#晴%铃", "晴铃"},
                    ExpandRow{"PlainChineseUntouched", FridayAfternoon, "开会了", "开会了"},
                    ExpandRow{"DateAndTime", FridayAfternoon, "#y-#m-#d #h:#t:#s", "2025-03-07 13:05:09"},
                    ExpandRow{"TwelveHourDial", FridayAfternoon, "#o#A", "01PM"},
                    ExpandRow{"Afternoon", FridayAfternoon, "#P#a", "下午pm"},
                    ExpandRow{"Weekday", FridayAfternoon, "#w#W", "5五"},
                    ExpandRow{"ChineseDate", FridayAfternoon, "#Y年#M月#D日", "二○二五年○三月○七日"},
                    ExpandRow{"ChineseTime", FridayAfternoon, "#H#O#T#S", "一三○一○五○九"},
                    ExpandRow{"Program", FridayAfternoon, "#N #V", "晴铃提醒 2.01.000"},
                    ExpandRow{"JustAfterMidnight", EncodeDateTime(2025, 3, 7, 0, 30), "#o#a#A", "00amAM"},
                    ExpandRow{"Noon", EncodeDateTime(2025, 3, 7, 12, 0), "#o#a#P", "12pm下午"},
                    ExpandRow{"Sunday", EncodeDateTime(2025, 3, 9, 8, 0), "#w#W", "日日"},
                    ExpandRow{"Monday", EncodeDateTime(2025, 3, 10, 8, 0), "#w#W", "1一"},
                    ExpandRow{"LeapMonthFirstDay", EncodeDateTime(2023, 3, 22, 9, 0), "%M月%D", "闰二月初一"},
                    ExpandRow{"LunarDayTen", EncodeDateTime(2023, 3, 31, 9, 0), "%D", "初十"},
                    ExpandRow{"LunarDayEleven", EncodeDateTime(2023, 4, 1, 9, 0), "%D", "十一"},
                    ExpandRow{"LunarDayTwenty", EncodeDateTime(2023, 4, 10, 9, 0), "%D", "二十"},
                    ExpandRow{"LunarDayTwentyOne", EncodeDateTime(2023, 4, 11, 9, 0), "%D", "二十一"},
                    ExpandRow{"LunarYear", EncodeDateTime(2025, 3, 7, 9, 0), "%Y %y %S", "二○二五 乙巳 蛇"},
                    ExpandRow{"BeforeLunarNewYearStillOldYear", EncodeDateTime(2025, 1, 20, 9, 0), "%y%S", "甲辰龙"},
                    ExpandRow{"SolarTermDay", EncodeDateTime(2025, 3, 20, 9, 0), "[%J]", "[节气：春分]"},
                    ExpandRow{"NoSolarTerm", EncodeDateTime(2025, 3, 21, 9, 0), "[%J]", "[]"},
                    ExpandRow{"LunarCodesOutsideTheTable", EncodeDateTime(1899, 6, 1, 9, 0), "[%Y%y%S%M%D]", "[]"},
                    ExpandRow{"LunarCodesAfterTheTable", EncodeDateTime(2101, 6, 1, 9, 0), "[%Y%y%S%M%D]", "[]"}),
    RowName<ExpandRow>);

TEST(ExpandRemindText, ReadsTheClock) {
    ClockOverride clock(FridayAfternoon);
    EXPECT_EQ(ExpandRemindText("#y-#m-#d #h:#t"), "2025-03-07 13:05");
    clock.AdvanceMinutes(60 * 24);
    EXPECT_EQ(ExpandRemindText("#d #W"), "08 六");
}

TEST(ExpandRemindText, PrintsTheComputerFacts) {
    SystemFactsOverride facts(SystemFacts{"a-very-long-host-name", "alice", "/var/tmp", "/usr/lib", "/usr", {}});
    EXPECT_EQ(ExpandRemindTextAt("%c|%u|%s|%w|%t|%o", FridayAfternoon),
              "a-very-long-hos|alice|/usr/lib|/usr|/var/tmp|Unknown");
}

TEST(ExpandRemindText, AFailedQueryPrintsNothing) {
    SystemFactsOverride facts(SystemFacts{});
    EXPECT_EQ(ExpandRemindTextAt("[%c%u%t]", FridayAfternoon), "[]");
}

struct ParseRow {
    std::string Name;
    std::string Text;
    bool WellFormed;
    bool HasNumber;
    std::int64_t Number;
};

class ParseTable : public testing::TestWithParam<ParseRow> {};

TEST_P(ParseTable, Parses) {
    const ParseRow& row = GetParam();
    const TWeekCondition condition = ParseWeekCondition(row.Text);
    EXPECT_EQ(condition.WellFormed, row.WellFormed);
    EXPECT_EQ(condition.HasNumber, row.HasNumber);
    if (row.HasNumber) {
        EXPECT_EQ(condition.Number, row.Number);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, ParseTable,
    testing::Values(
        ParseRow{"PlainNumber", "$mw2$母亲节", true, true, 2}, ParseRow{"Multiple", "$mwm3$", true, true, 3},
        ParseRow{"Odd", "$mwd$", true, false, 0}, ParseRow{"EvenOfYear", "$yws$x", true, false, 0},
        ParseRow{"YearNumber", "$yw52$x", true, true, 52}, ParseRow{"Zero", "$mw0$", true, true, 0},
        ParseRow{"ManyDigits", "$ywm0012$", true, true, 12},
        ParseRow{"HugeNumberHeld", "$mw99999999999999999999999$", true, true, WeekConditionNumberLimit},
        ParseRow{"NoDigits", "$mw$x", false, false, 0}, ParseRow{"NoClosing", "$mw2x", false, false, 0},
        ParseRow{"Letter", "$mwa$", false, false, 0}, ParseRow{"MultipleWithoutNumber", "$ywm$", false, false, 0},
        ParseRow{"ChineseDigit", "$mw二$", false, false, 0}, ParseRow{"OddWithExtra", "$mwdx$", false, false, 0},
        ParseRow{"NotACondition", "mw2$", false, false, 0}, ParseRow{"Empty", "", false, false, 0},
        ParseRow{"UpperCase", "$MW2$", false, false, 0}, ParseRow{"Occurrence", "$mwo2$母亲节", true, true, 2},
        ParseRow{"OccurrenceWithoutNumber", "$mwo$", false, false, 0},
        ParseRow{"NoOccurrenceOfTheYear", "$ywo2$", false, false, 0}),
    RowName<ParseRow>);

INSTANTIATE_TEST_SUITE_P(OfficialDayConditions, ParseTable,
                         testing::Values(ParseRow{"Workday", "$gzr$打卡", true, false, 0},
                                         ParseRow{"RestDay", "$xxr$", true, false, 0},
                                         ParseRow{"Unclosed", "$gzr打卡", false, false, 0}),
                         RowName<ParseRow>);

TEST(WeekConditionHolds, PlainNumberHoldsOnlyInThatWeekOfTheMonth) {
    // March 2025 begins on a Saturday; weeks begin on Monday: week 2 is March 3..9.
    for (int day = 1; day <= 31; ++day) {
        const TDateTime moment = EncodeDateTime(2025, 3, day, 10, 0);
        EXPECT_EQ(WeekConditionHoldsAt("$mw2$x", moment, false), day >= 3 && day <= 9) << "March " << day;
    }
}

TEST(WeekConditionHolds, TheFirstDayOfTheWeekMovesTheWeeks) {
    // March 2, 2025 is a Sunday: week 1 when weeks begin on Monday, week 2 when they begin on Sunday.
    const TDateTime sunday = EncodeDateTime(2025, 3, 2, 10, 0);
    EXPECT_TRUE(WeekConditionHoldsAt("$mw1$", sunday, false));
    EXPECT_TRUE(WeekConditionHoldsAt("$mw2$", sunday, true));
    EXPECT_TRUE(WeekConditionHoldsAt("$mws$", sunday, true));
    EXPECT_TRUE(WeekConditionHoldsAt("$mwd$", sunday, false));
}

TEST(WeekConditionHolds, MultipleOfTwoOfTheYearIsEveryEvenWeek) {
    for (int day = 0; day < 365; day += 3) {
        const TDateTime moment = EncodeDate(2025, 1, 1) + day;
        const DateFields date = DecodeDate(moment);
        const int week = WeekOfYear(date.Year, date.Month, date.Day, false);
        EXPECT_EQ(WeekConditionHoldsAt("$ywm2$", moment, false), week % 2 == 0) << day;
        EXPECT_EQ(WeekConditionHoldsAt("$yws$", moment, false), week % 2 == 0) << day;
        EXPECT_EQ(WeekConditionHoldsAt("$ywd$", moment, false), week % 2 == 1) << day;
        EXPECT_EQ(WeekConditionHoldsAt("$ywm3$", moment, false), week % 3 == 0) << day;
    }
}

TEST(WeekConditionHolds, MalformedZeroAndHugeNeverHold) {
    const TDateTime moment = EncodeDateTime(2025, 3, 5, 10, 0);
    for (const char* text :
         {"$mwm0$", "$mw0$", "$mw2x", "$mwa$", "$mw99999999999999999999$", "$ywm9999999999$", "plain", ""}) {
        EXPECT_FALSE(WeekConditionHoldsAt(text, moment, false)) << text;
    }
    EXPECT_TRUE(WeekConditionHoldsAt("$mwm1$", moment, false));
}

TEST(WeekConditionHolds, OccurrenceCountsTheWeekdayWithinTheMonth) {
    // June 2025 and May 2022 begin on a Sunday, which a Monday-based count puts in an eight-day first week:
    // "$mw3$" then holds on June 22 and "$mw2$" on May 15, a week after Father's Day and Mother's Day.
    for (const bool sunday : {false, true}) {
        EXPECT_TRUE(WeekConditionHoldsAt("$mwo3$父亲节", EncodeDateTime(2025, 6, 15, 8, 0), sunday));
        EXPECT_FALSE(WeekConditionHoldsAt("$mwo3$父亲节", EncodeDateTime(2025, 6, 22, 8, 0), sunday));
        EXPECT_TRUE(WeekConditionHoldsAt("$mwo2$母亲节", EncodeDateTime(2022, 5, 8, 8, 0), sunday));
        EXPECT_FALSE(WeekConditionHoldsAt("$mwo2$母亲节", EncodeDateTime(2022, 5, 15, 8, 0), sunday));
    }
    EXPECT_TRUE(WeekConditionHoldsAt("$mw3$", EncodeDateTime(2025, 6, 22, 8, 0), false)) << "the old form is kept";
    for (int day = 1; day <= 31; ++day) {
        const TDateTime moment = EncodeDateTime(2025, 3, day, 10, 0);
        for (int n = 0; n <= 6; ++n) {
            const bool expected = n >= 1 && day >= 7 * n - 6 && day <= 7 * n;
            EXPECT_EQ(WeekConditionHoldsAt("$mwo" + std::to_string(n) + "$", moment, false), expected)
                << "March " << day << ", occurrence " << n;
        }
    }
}

TEST(WeekConditionHolds, ADateWithoutAWeekNumberHoldsNothing) {
    const TDateTime moment = EncodeDateTime(3100, 1, 1, 10, 0);
    EXPECT_FALSE(WeekConditionHoldsAt("$mwd$", moment, false));
    EXPECT_FALSE(WeekConditionHoldsAt("$ywm1$", moment, false));
}

TEST(WeekConditionHolds, ReadsTheClock) {
    ClockOverride clock(EncodeDateTime(2025, 3, 5, 10, 0));
    EXPECT_TRUE(WeekConditionHolds("$mw2$", false));
    clock.AdvanceMinutes(7 * 24 * 60);
    EXPECT_FALSE(WeekConditionHolds("$mw2$", false));
    EXPECT_TRUE(WeekConditionHolds("$mw3$", false));
}

// 2026-02-14 is a Saturday worked before the Spring Festival, 2026-02-16 a Monday off for it.
TEST(WeekConditionHolds, OfficialWorkdaysAndRestDaysFollowTheInstalledSchedule) {
    const struct {
        TDateTime Moment;
        bool Workday;
    } days[] = {{EncodeDateTime(2026, 2, 14, 8, 30), true},
                {EncodeDateTime(2026, 2, 16, 8, 30), false},
                {EncodeDateTime(2026, 3, 2, 8, 30), true},
                {EncodeDateTime(2026, 3, 1, 8, 30), false}};
    for (const auto& day : days) {
        EXPECT_EQ(WeekConditionHoldsAt("$gzr$打卡", day.Moment, false), day.Workday) << day.Moment;
        EXPECT_EQ(WeekConditionHoldsAt("$xxr$", day.Moment, true), !day.Workday) << day.Moment;
    }
    EXPECT_FALSE(HasWeekCondition("$gzr打卡")) << "only the whole prefix is a condition";
    EXPECT_FALSE(HasHolidayCondition("$mwd$"));

    const TDateTime monday2027 = EncodeDateTime(2027, 2, 8, 9, 0);
    EXPECT_TRUE(WeekConditionHoldsAt("$gzr$", monday2027, false)) << "an unknown year goes by the weekday";
    THolidaySchedule springFestival2027;
    springFestival2027.ReplaceYears(ParseHolidayText("2027-02-08\t休\t春节").Entries);
    const HolidayScheduleOverride schedule(springFestival2027);
    EXPECT_FALSE(WeekConditionHoldsAt("$gzr$", monday2027, false));
    EXPECT_TRUE(WeekConditionHoldsAt("$xxr$", monday2027, false));
}

TEST(StripWeekCondition, RemovesUpToTheSecondDollar) {
    EXPECT_EQ(StripWeekCondition("$mw2$母亲节快乐"), "母亲节快乐");
    EXPECT_EQ(StripWeekCondition("$mwd$"), "");
    EXPECT_EQ(StripWeekCondition("$"), "$");
    EXPECT_EQ(StripWeekCondition("$mw2"), "$mw2");
    EXPECT_EQ(StripWeekCondition("no $ at start$"), "no $ at start$");
    EXPECT_EQ(StripWeekCondition("$中$文"), "文");
    EXPECT_EQ(StripWeekCondition(""), "");
}

TEST(PrepareRemindText, FollowsTheFiringOrder) {
    const TDateTime weekTwo = EncodeDateTime(2025, 3, 5, 13, 5);
    const TRemindTextResult holds = PrepareRemindText("$mw2$#h点 开会", weekTwo, false);
    EXPECT_TRUE(holds.HasCondition);
    EXPECT_TRUE(holds.ConditionHolds);
    EXPECT_EQ(holds.Expanded, "$mw2$13点 开会");
    EXPECT_EQ(holds.Shown, "13点 开会");

    const TRemindTextResult fails = PrepareRemindText("$mw3$开会", weekTwo, false);
    EXPECT_TRUE(fails.HasCondition);
    EXPECT_FALSE(fails.ConditionHolds);

    const TRemindTextResult workday = PrepareRemindText("$gzr$#h点 打卡", weekTwo, false);
    EXPECT_TRUE(workday.HasCondition);
    EXPECT_TRUE(workday.ConditionHolds);
    EXPECT_EQ(workday.Shown, "13点 打卡");

    const TRemindTextResult plain = PrepareRemindText("$x$ #h", weekTwo, false);
    EXPECT_FALSE(plain.HasCondition);
    EXPECT_TRUE(plain.ConditionHolds);
    EXPECT_EQ(plain.Shown, "$x$ 13");
}

} // namespace
} // namespace chimewell
