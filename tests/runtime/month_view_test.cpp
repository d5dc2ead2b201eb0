// The month window's facts: each day in both calendars with its terms, festivals and official days, and the
// firings of the reminders on it, which must be exactly those the next-firing engine lists.

#include "runtime/month_view.h"

#include "calendar/clock.h"
#include "cli/commands.h"
#include "data/temp_folder.h"
#include "sample_record.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace chimewell {
namespace {

const TMonthDay& DayOf(const TMonthView& view, int month, int day) {
    for (const TMonthDay& cell : view.Days) {
        const DateFields date = DecodeDate(cell.Date);
        if (date.Month == month && date.Day == day) {
            return cell;
        }
    }
    throw std::out_of_range("no such day in the view");
}

class MonthViewTest : public ::testing::Test {
protected:
    MonthViewTest() { Config.InitDefaults(Folder.Folder(), 265, 202, 429, 279); }
    TMonthView View(int year, int month) { return BuildMonthView(List, Config, year, month, Today); }

    testing::TempFolder Folder;
    TRmConfig Config;
    TRmDataList List;
    TDateTime Today = EncodeDate(2026, 2, 17);
};

TEST_F(MonthViewTest, FebruaryOf2026WithItsNewYearAndItsWorkedWeekends) {
    const TMonthView view = View(2026, 2);
    EXPECT_EQ(view.Title, "2026年2月 农历乙巳/丙午年 蛇/马");
    ASSERT_EQ(view.Days.size(), 42U);
    EXPECT_EQ(DecodeDate(view.Days[0].Date).Day, 26) << "weeks begin on Monday: the grid opens on 2026-01-26";
    EXPECT_FALSE(view.Days[0].InMonth);
    const TMonthDay& eve = DayOf(view, 2, 16);
    EXPECT_EQ(eve.LunarText, "廿九");
    EXPECT_EQ(eve.Festivals, std::vector<std::string>{"除夕"}) << "腊月 has 29 days: 除夕 is the 29th";
    const TMonthDay& newYear = DayOf(view, 2, 17);
    EXPECT_EQ(newYear.LunarText, "正月") << "a lunar month's first day shows the month";
    EXPECT_TRUE(newYear.IsToday);
    EXPECT_EQ(newYear.Official, TOfficialMark::Rest);
    EXPECT_EQ(DayOf(view, 2, 14).Official, TOfficialMark::Work) << "a Saturday worked";
    EXPECT_EQ(DayOf(view, 2, 4).SolarTerm, "立春");
    EXPECT_EQ(DayOf(view, 2, 3).Official, TOfficialMark::None);
    EXPECT_EQ(newYear.AccessibleName(), "2026年2月17日 正月初一 春节 休");
    Config.BeginWithSunday = true;
    EXPECT_EQ(DecodeDate(View(2026, 2).Days[0].Date).Day, 1) << "2026-02-01 is a Sunday";
}

TEST_F(MonthViewTest, LeapMonthsAndATermOnTheFirstOfALunarMonth) {
    const TMonthView march2023 = View(2023, 3);
    EXPECT_EQ(DayOf(march2023, 3, 22).LunarText, "闰二月");
    const TMonthView december2033 = View(2033, 12);
    EXPECT_EQ(DayOf(december2033, 12, 22).LunarText, "闰冬月") << "the leap eleventh month of 2033";
    EXPECT_EQ(DayOf(december2033, 12, 21).SolarTerm, "冬至");
    const TMonthView april2023 = View(2023, 4);
    const TMonthDay& grainRain = DayOf(april2023, 4, 20);
    EXPECT_EQ(grainRain.SolarTerm, "谷雨");
    EXPECT_EQ(grainRain.LunarText, "三月") << "the term and the month's name both show";
}

TEST_F(MonthViewTest, ADaysFiringsInTimeOrderWithTheirTextAndKind) {
    List.Add(testing::DailyRecord(9, 0, "每天 %M月%D"), false);
    TRmMainDate spring;
    spring.IsLunar = true;
    spring.Month = 1;
    spring.Day = 1;
    spring.Hour = 8;
    spring.Forward = 10;
    spring.Message = "拜年";
    List.Add(spring, false);
    TMonthView view = View(2026, 2);
    TMonthDay& newYear = const_cast<TMonthDay&>(DayOf(view, 2, 17));
    FillFiringTexts(List, Config, newYear);
    ASSERT_EQ(newYear.Firings.size(), 3U);
    EXPECT_EQ(FormatMinute(newYear.Firings[0].Minute), "2026-02-17 07:50");
    EXPECT_TRUE(newYear.Firings[0].Early);
    EXPECT_TRUE(newYear.Firings[0].IsLunar);
    EXPECT_EQ(newYear.Firings[0].Text, "拜年");
    EXPECT_FALSE(newYear.Firings[1].Early);
    EXPECT_EQ(newYear.Firings[2].Text, "每天 一月初一") << "the text filled in for that day";
    EXPECT_EQ(newYear.AccessibleName(), "2026年2月17日 正月初一 春节 休 2个提醒"); // 拜年 early and on time: one
    EXPECT_EQ(DayOf(view, 2, 18).Firings.size(), 1U);
}

// Random reminders of every kind: what the month shows day by day is what `chimewell-cli next` lists.
// Reminders given one at a time, in any order, keep exactly the first firings the whole list gives.
TEST_F(MonthViewTest, TheCollectorKeepsTheFirstFiringsOfRemindersGivenOneAtATime) {
    std::mt19937 random(9122026);
    const auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int i = 0; i < 300; ++i) {
        TRmMainDate record;
        record.IsLunar = pick(0, 1) == 1;
        record.Month = pick(0, 2) == 0 ? 0 : pick(1, 12);
        record.Day = pick(0, 3) == 0 ? 0x80 | pick(1, 127) : pick(0, 28);
        record.Hour = pick(0, 2) * 8;
        record.Minuter = pick(0, 1) * 30;
        record.Forward = pick(0, 3) == 0 ? 10 : 0;
        record.Message = pick(0, 1) == 0 ? "#y-#m-#d" : "$gzr$上班";
        List.Add(record, false);
    }
    const TDateTime after = EncodeDateTime(2026, 12, 9, 12, 0);
    for (const int count : {1, 25, 400}) {
        const TComingFirings whole = ComingFirings(List, Config, after, after + 60, count);
        TComingFiringsCollector collector(Config, after, after + 60, count);
        for (std::int32_t position = List.Count - 1; position >= 0; --position) {
            collector.Add(position, List.Item(position));
        }
        const std::vector<TComingFiringsCollector::Kept> kept = collector.Take();
        ASSERT_EQ(kept.size(), whole.Firings.size()) << count;
        for (std::size_t i = 0; i < kept.size(); ++i) {
            EXPECT_EQ(kept[i].Firing.Minute, whole.Firings[i].Minute) << count << " #" << i;
            EXPECT_EQ(kept[i].Firing.Position, whole.Firings[i].Position) << count << " #" << i;
            EXPECT_EQ(kept[i].Firing.Text, whole.Firings[i].Text) << count << " #" << i;
            EXPECT_EQ(kept[i].Firing.Early, whole.Firings[i].Early) << count << " #" << i;
        }
    }
}

TEST_F(MonthViewTest, TheMonthShowsWhatTheCommandLineListsForRandomReminders) {
    std::mt19937 random(20261209);
    const auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int i = 0; i < 60; ++i) {
        TRmMainDate record;
        record.IsLunar = pick(0, 1) == 1;
        record.Year = pick(0, 3) == 0 ? 2026 : 0;
        const int kind = pick(0, 4);
        record.Month = kind == 0 ? 0 : record.IsLunar && kind == 4 ? 13 : pick(1, 12);
        record.Day = record.Month == 13 ? pick(0, 23)
                     : kind == 3        ? 0x80 | pick(1, 127)
                                        : pick(0, record.IsLunar ? 30 : 31);
        record.IsLeapMonth = record.IsLunar && record.Month == 6 && pick(0, 1) == 1;
        record.Hour = pick(0, 23);
        record.Minuter = pick(0, 59);
        record.Forward = pick(0, 2) == 0 ? pick(1, 30) : 0;
        static const char* const Messages[] = {"文字", "$mw2$第二周", "$gzr$上班", "$xxr$休息", "#y-#m-#d"};
        record.Message = Messages[pick(0, 4)];
        List.Add(record, false);
    }
    List.FileName = Folder.File("reminddata.sdt");
    List.SaveFrom(0);
    for (const auto& [year, month] : std::vector<std::pair<int, int>>{{2026, 2}, {2026, 7}, {2025, 7}}) {
        TMonthView view = View(year, month);
        std::string shown;
        for (TMonthDay& day : view.Days) {
            FillFiringTexts(List, Config, day);
            for (const TMonthFiring& firing : day.Firings) {
                shown += FormatMinute(firing.Minute) + "\t" + std::to_string(firing.Position) + "\tshow\t" +
                         firing.Text + "\n";
            }
        }
        std::ostringstream out;
        std::ostringstream err;
        const std::string at = FormatMinute(view.Days.front().Date - 1.0 / 1440.0);
        ASSERT_EQ(cli::RunCommandLine(
                      {"next", "--dir", Folder.Folder(), "--at", at, "--days", "42", "--count", "100000"}, out, err),
                  0)
            << err.str();
        EXPECT_EQ(shown, out.str()) << year << "-" << month;
    }
}

} // namespace
} // namespace chimewell
