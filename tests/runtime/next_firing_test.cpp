#include "runtime/next_firing.h"

#include "calendar/due.h"
#include "calendar/holidays.h"
#include "calendar/lunar.h"
#include "runtime/remind_runtime.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace chimewell {
namespace {

std::string MinuteText(TDateTime moment) {
    const DateFields d = DecodeDate(moment);
    const TimeFields t = DecodeTime(moment);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", d.Year, d.Month, d.Day, t.Hour, t.Minute);
    return text;
}

std::vector<std::string> Texts(const std::vector<TDateTime>& minutes) {
    std::vector<std::string> texts;
    for (const TDateTime minute : minutes) {
        texts.push_back(MinuteText(minute));
    }
    return texts;
}

TRmMainDate Record(bool lunar, int year, int month, int day, int hour, int minute, int forward = 0,
                   const std::string& message = "提醒") {
    TRmMainDate record;
    record.IsLunar = lunar;
    record.Year = year;
    record.Month = month;
    record.Day = day;
    record.Hour = hour;
    record.Minuter = minute;
    record.Forward = forward;
    record.Message = message;
    return record;
}

std::vector<std::string> Next(const TRmMainDate& record, TDateTime after, int count, double days = 3660) {
    return Texts(NextFirings(record, after, after + days, count, false).Minutes);
}

std::string NextOne(const TRmMainDate& record, TDateTime after) {
    return NextFiringText(NextFiring(record, after, false));
}

// What the tick would do, minute by minute: the exact pass's due test, then the firing plan, whose week or
// holiday condition may turn the firing into nothing. Only the days whose date matches are walked through
// minute by minute, as the due test is the date test and the time test together.
std::vector<std::string> BruteForce(const TRmMainDate& record, TDateTime after, TDateTime until, int count,
                                    bool beginWithSunday) {
    TRmConfig config;
    config.BeginWithSunday = beginWithSunday;
    const TimeFields afterTime = DecodeTime(after);
    const std::int64_t afterMinute = SerialDay(after) * 1440 + afterTime.Hour * 60 + afterTime.Minute;
    const TimeFields untilTime = DecodeTime(until);
    const std::int64_t untilMinute = SerialDay(until) * 1440 + untilTime.Hour * 60 + untilTime.Minute;
    std::vector<std::string> firings;
    for (std::int64_t day = SerialDay(after); day <= SerialDay(until); ++day) {
        const DateFields date = DecodeDate(static_cast<TDateTime>(day));
        if (!record.IsDueTodayAt(static_cast<TDateTime>(day))) {
            continue;
        }
        for (int minute = 0; minute < 1440; ++minute) {
            const std::int64_t number = day * 1440 + minute;
            if (number <= afterMinute || number > untilMinute) {
                continue;
            }
            const TDateTime moment = EncodeDateTime(date.Year, date.Month, date.Day, minute / 60, minute % 60);
            if (record.IsDueNowAt(moment) && PlanFiring(record, config, moment).Action != FiringAction::Skip) {
                firings.push_back(MinuteText(moment));
                if (static_cast<int>(firings.size()) == count) {
                    return firings;
                }
            }
        }
    }
    return firings;
}

// Random records of every kind, with the hand-edited values a data file may hold, against the brute force.
TEST(NextFirings, AgreeWithAMinuteByMinuteScanOfTheDueTests) {
    std::mt19937 random(20261208);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const auto chance = [&](int percent) { return pick(1, 100) <= percent; };
    constexpr int Max = std::numeric_limits<int>::max();
    constexpr int Min = std::numeric_limits<int>::min();
    const std::vector<std::string> messages = {"提醒",   "$mwd$单周",        "$mws$",        "$mw2$母亲节", "$mwm2$",
                                               "$yw10$", "$ywm3$x",          "$gzr$打卡",    "$xxr$休息",   "$mw$坏",
                                               "$mw7$",  "NOTSHOWREMINDBOX", "$gzr 不是条件"};
    // Near the range's ends, in leap months, around a Spring Festival, and anywhere.
    const std::vector<TDateTime> anchors = {EncodeDate(1900, 1, 1),  EncodeDate(2100, 11, 1), EncodeDate(2020, 5, 1),
                                            EncodeDate(2023, 3, 1),  EncodeDate(2026, 2, 1),  EncodeDate(2026, 12, 20),
                                            EncodeDate(2033, 11, 1), EncodeDate(1984, 2, 1)};
    for (int trial = 0; trial < 1000; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const TDateTime base = chance(30)
                                   ? anchors[static_cast<std::size_t>(pick(0, static_cast<int>(anchors.size()) - 1))]
                                   : EncodeDate(pick(1901, 2099), pick(1, 12), pick(1, 28));
        const TDateTime after = base + pick(0, 40) + pick(0, 86399) / 86400.0;
        const int year = DecodeDate(after).Year;
        const bool lunar = chance(50);

        TRmMainDate record = Record(lunar, 0, 0, 0, pick(0, 23), pick(0, 59));
        if (chance(25)) {
            record.Year = chance(90) ? year + pick(-1, 2) : (chance(50) ? Max : -1);
        }
        const int monthChoice = pick(1, 100);
        record.Month = monthChoice <= 45 ? 0 : monthChoice <= 95 ? pick(1, 12) : pick(0, 1) != 0 ? 13 : Min;
        if (lunar && chance(25) && record.Month != 13) {
            // A leap month, mostly one that comes within the next few years.
            record.IsLeapMonth = true;
            for (int leapYear = year; leapYear <= year + 4 && chance(90); ++leapYear) {
                if (LunarLeapMonth(leapYear) != 0) {
                    record.Month = LunarLeapMonth(leapYear);
                    break;
                }
            }
        }
        if (record.Month == 13) {
            record.Day = pick(-1, 24);
        } else {
            const int dayChoice = pick(1, 100);
            record.Day = dayChoice <= 25   ? 0
                         : dayChoice <= 60 ? pick(1, 31)
                         : dayChoice <= 75 ? pick(28, 31)
                         : dayChoice <= 95 ? WeekdayMask | pick(0, 0x7F)
                                           : (chance(50) ? -1 : pick(32, 300));
        }
        if (chance(5)) {
            record.Hour = chance(50) ? 24 : -1;
        }
        if (chance(5)) {
            record.Minuter = chance(50) ? pick(60, 200) : -pick(1, 30);
        }
        const int forwardChoice = pick(1, 100);
        record.Forward = forwardChoice <= 45   ? 0
                         : forwardChoice <= 92 ? pick(1, 30)
                         : forwardChoice <= 96 ? pick(31, 3000)
                                               : (chance(50) ? Max : Min);
        record.Message = messages[static_cast<std::size_t>(pick(0, static_cast<int>(messages.size()) - 1))];
        const bool beginWithSunday = chance(50);

        // Dense records get short windows, so that the brute force stays quick.
        const bool dense = record.Month == 0 && (record.Day == 0 || (record.Day & WeekdayMask) != 0);
        const double days = dense ? pick(1, 60) : pick(1, 1500);
        const int count = pick(1, 4);
        const TDateTime until = after + days + pick(0, 1439) / 1440.0;
        const TDateTime bruteForceUntil = std::min(until, NextFiringRangeEnd());
        EXPECT_EQ(Texts(NextFirings(record, after, until, count, beginWithSunday).Minutes),
                  BruteForce(record, after, bruteForceUntil, count, beginWithSunday))
            << "after " << MinuteText(after) << " until " << MinuteText(until) << ": lunar " << record.IsLunar
            << " year " << record.Year << " month " << record.Month << " leap " << record.IsLeapMonth << " day "
            << record.Day << " " << record.Hour << ":" << record.Minuter << " forward " << record.Forward << " "
            << record.Message << (beginWithSunday ? " (weeks from Sunday)" : "");
    }
}

TEST(NextFirings, EarlyAndSetMinutesOfTheSameDayOnly) {
    const TDateTime night = EncodeDateTime(2025, 3, 1, 0, 5);
    EXPECT_EQ(Next(Record(false, 0, 0, 0, 0, 10, 30), night, 3),
              (std::vector<std::string>{"2025-03-01 00:10", "2025-03-02 00:10", "2025-03-03 00:10"}))
        << "an early minute never reaches back across midnight";
    EXPECT_EQ(Next(Record(false, 0, 0, 0, 0, 10, 10), EncodeDateTime(2025, 2, 28, 23, 59), 2),
              (std::vector<std::string>{"2025-03-01 00:00", "2025-03-01 00:10"}))
        << "but may fall on midnight itself";
    EXPECT_EQ(Next(Record(false, 0, 0, 0, 8, 30, 10), EncodeDateTime(2025, 3, 1, 8, 20, 59), 3),
              (std::vector<std::string>{"2025-03-01 08:30", "2025-03-02 08:20", "2025-03-02 08:30"}))
        << "firings are strictly after the minute given";
    EXPECT_EQ(Next(Record(false, 0, 0, 0, 8, 90, 10), night, 1), (std::vector<std::string>{"2025-03-01 09:20"}))
        << "a set time that is no time of day still has its early minute";
    EXPECT_EQ(Next(Record(false, 0, 0, 0, 8, 30), night, 5, 1.2).size(), 1U) << "no firing past the end";
}

TEST(NextFirings, LunarLeapMonthsSolarTermsAndTheLastDayOfShortMonths) {
    const TDateTime start2023 = EncodeDate(2023, 1, 1);
    EXPECT_EQ(NextOne(Record(true, 0, 2, 1, 9, 0), start2023), "下次提醒：2023年2月20日 星期一 09:00（农历二月初一）");
    TRmMainDate leapSecond = Record(true, 0, 2, 1, 9, 0);
    leapSecond.IsLeapMonth = true;
    EXPECT_EQ(NextOne(leapSecond, start2023), "下次提醒：2023年3月22日 星期三 09:00（农历闰二月初一）");
    const std::optional<TDateTime> following = NextFiring(leapSecond, EncodeDate(2023, 4, 1), false);
    ASSERT_TRUE(following.has_value());
    EXPECT_EQ(SolarToLunar(*following), (LunarDate{DecodeDate(*following).Year, 2, 1, true}))
        << "the next leap second month, decades on";

    EXPECT_EQ(NextOne(Record(true, 0, SolarTermMonth, 6, 7, 0), start2023),
              "下次提醒：2023年4月5日 星期三 07:00（农历闰二月十五）")
        << "清明";
    EXPECT_EQ(NextOne(Record(true, 0, 12, 30, 20, 0), EncodeDate(2026, 1, 1)),
              "下次提醒：2026年2月16日 星期一 20:00（农历腊月廿九）")
        << "除夕 of a year whose twelfth month is short";
    EXPECT_EQ(NextOne(Record(true, 0, 8, 15, 8, 0), start2023 + 365 * 4),
              "下次提醒：2027年9月15日 星期三 08:00（农历八月十五）");
}

TEST(NextFirings, DatesThatNeverComeAndTheEndOfTheRange) {
    const TDateTime now = EncodeDateTime(2025, 6, 1, 12, 0);
    TRmMainDate neverLeap = Record(true, 0, 1, 1, 8, 0);
    neverLeap.IsLeapMonth = true; // no leap first month between now and 2100
    const TRmMainDate never[] = {
        Record(false, 0, 2, 30, 8, 0),
        Record(false, 2024, 0, 0, 8, 0),
        Record(false, 0, 13, 1, 8, 0),
        Record(false, 0, 0, WeekdayMask, 8, 0),
        Record(false, 0, 0, 32, 8, 0),
        Record(false, 0, 0, 0, 24, 0),
        Record(true, 0, 0, 31, 8, 0),
        Record(true, 0, 14, 1, 8, 0),
        Record(true, 0, SolarTermMonth, 24, 8, 0),
        Record(true, 2101, 1, 1, 8, 0),
        neverLeap,
        Record(false, 0, 0, 0, 8, 0, 0, "$mw7$"),
    };
    for (const TRmMainDate& record : never) {
        EXPECT_EQ(NextOne(record, now), "不再提醒") << record.Year << "-" << record.Month << "-" << record.Day;
    }
    EXPECT_EQ(NextOne(Record(false, 0, 0, 0, 8, 0), EncodeDateTime(2100, 12, 31, 8, 0)), "不再提醒");
    EXPECT_EQ(NextOne(Record(true, 0, 0, 1, 8, 0), EncodeDate(2100, 12, 20)),
              "下次提醒：2100年12月31日 星期五 08:00（农历腊月初一）")
        << "the range's last day";
    EXPECT_EQ(NextOne(Record(true, 0, 0, 1, 8, 0), EncodeDateTime(2100, 12, 31, 8, 0)), "不再提醒");
    EXPECT_EQ(NextFiringRangeEnd(), EncodeDateTime(2100, 12, 31, 23, 59));
    EXPECT_EQ(
        Texts(NextFirings(Record(true, 0, 0, 0x80 | 0x40, 8, 0), EncodeDate(1800, 1, 1), NextFiringRangeEnd(), 1, false)
                  .Minutes),
        (std::vector<std::string>{"1900-01-07 08:00"}))
        << "from the range's first day; before the lunar table's, only a lunar record of weekdays can match";
}

// 2026-02-14 is a Saturday worked before the Spring Festival; 2026-02-15 to 23 are days off.
TEST(NextFirings, HolidayConditionsFollowTheScheduleAndNameTheYearsGuessed) {
    const TRmMainDate clockIn = Record(false, 0, 0, 0, 8, 30, 0, "$gzr$打卡");
    EXPECT_EQ(Next(clockIn, EncodeDateTime(2026, 2, 13, 9, 0), 2),
              (std::vector<std::string>{"2026-02-14 08:30", "2026-02-24 08:30"}));
    EXPECT_EQ(Next(Record(false, 0, 0, 0, 10, 0, 0, "$xxr$"), EncodeDateTime(2026, 2, 13, 9, 0), 1),
              (std::vector<std::string>{"2026-02-15 10:00"}));

    const TDateTime newYearsEve = EncodeDateTime(2026, 12, 31, 9, 0);
    const TNextFirings guessed = NextFirings(clockIn, newYearsEve, newYearsEve + 10, 1, false);
    EXPECT_EQ(Texts(guessed.Minutes), (std::vector<std::string>{"2027-01-01 08:30"}));
    ASSERT_EQ(guessed.GuessedHolidayYears.size(), 1U);
    EXPECT_EQ(guessed.GuessedHolidayYears[0].Year, 2027);
    EXPECT_EQ(DescribeNextFiring(clockIn, newYearsEve, false).Notice, UnknownHolidayYearNotice(2027));
    EXPECT_TRUE(
        NextFirings(clockIn, EncodeDate(2026, 3, 1), EncodeDate(2026, 4, 1), 50, false).GuessedHolidayYears.empty());

    THolidaySchedule with2027 = THolidaySchedule::Shipped();
    with2027.ReplaceYears(ParseHolidayText("2027-01-01\t休\t元旦").Entries);
    const HolidayScheduleOverride schedule(with2027);
    const TNextFiringLine line = DescribeNextFiring(clockIn, newYearsEve, false);
    EXPECT_EQ(line.Text, "下次提醒：2027年1月4日 星期一 08:30（农历冬月廿七）");
    EXPECT_EQ(line.Notice, "");
}

} // namespace
} // namespace chimewell
