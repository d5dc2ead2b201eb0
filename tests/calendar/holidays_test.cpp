#include "calendar/holidays.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace chimewell {
namespace {

// The committed schedule read the plainest way, independent of the program's reader: date → (kind, festival).
std::map<std::string, std::pair<std::string, std::string>> CommittedSchedule() {
    std::ifstream in(CHIMEWELL_HOLIDAY_SCHEDULE);
    std::map<std::string, std::pair<std::string, std::string>> days;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string date, kind, holiday;
        std::getline(fields, date, '\t');
        std::getline(fields, kind, '\t');
        std::getline(fields, holiday);
        days[date] = {kind, holiday};
    }
    return days;
}

std::string IsoDate(TDateTime date) {
    const DateFields d = DecodeDate(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
    return text;
}

TEST(ShippedSchedule, ClassifiesEveryDateOfItsYearsAsTheDataSays) {
    const auto committed = CommittedSchedule();
    ASSERT_GT(committed.size(), 700U);
    const THolidaySchedule shipped = THolidaySchedule::Shipped();
    std::size_t listed = 0;
    for (TDateTime day = EncodeDate(2004, 1, 1); day < EncodeDate(2027, 1, 1); day += 1) {
        const std::string date = IsoDate(day);
        const TOfficialDay official = shipped.DayOf(day);
        const auto found = committed.find(date);
        ASSERT_TRUE(official.YearKnown) << date;
        if (found != committed.end()) {
            ++listed;
            EXPECT_TRUE(official.Listed) << date;
            EXPECT_EQ(official.IsWorkday, found->second.first == "班") << date;
            EXPECT_EQ(official.Holiday, found->second.second) << date;
        } else {
            const int weekday = DayOfWeek(day);
            EXPECT_FALSE(official.Listed) << date;
            EXPECT_EQ(official.IsWorkday, weekday != 1 && weekday != 7) << date;
            EXPECT_EQ(official.Holiday, "") << date;
        }
        EXPECT_EQ(shipped.IsWorkday(day), official.IsWorkday) << date;
    }
    EXPECT_EQ(listed, committed.size()) << "every listed date lies in 2004..2026";
}

TEST(ShippedSchedule, YearsWithoutAScheduleFollowTheWeekdayAndSaySo) {
    const THolidaySchedule shipped = THolidaySchedule::Shipped();
    EXPECT_EQ(shipped.Years().front(), 2004);
    EXPECT_EQ(shipped.Years().back(), 2026);
    const TOfficialDay newYear2027 = shipped.DayOf(EncodeDate(2027, 1, 1)); // a Friday
    EXPECT_FALSE(newYear2027.YearKnown);
    EXPECT_TRUE(newYear2027.IsWorkday);
    EXPECT_FALSE(shipped.DayOf(EncodeDate(2003, 10, 4)).IsWorkday) << "a Saturday";
    EXPECT_TRUE(shipped.DayOf(EncodeDateTime(2026, 2, 14, 23, 59)).IsWorkday) << "the time of day does not count";
    EXPECT_EQ(UnknownHolidayYearNotice(2027), "2027 年的节假日安排尚未收录，按周一至周五计算");
}

TEST(ParseHolidayText, ReportsEveryUnreadableLineWithItsNumberAndKeepsTheRest) {
    const THolidayText text = ParseHolidayText("\xEF\xBB\xBF# 2027 年\r\n"
                                               "2027-01-01\t休\t元旦\r\n"
                                               "\r\n"
                                               "2027-02-30\t休\t春节\n"
                                               "2027-2-6\t休\t春节\n"
                                               "2027-02-06\t放\t春节\n"
                                               "2027-02-07\n"
                                               "2027-02-07  班   春节  \n"
                                               "   2027-02-08 休\n"
                                               "2027-01-01\t班\t元旦\r"
                                               "garbage\r"
                                               "2027-02-09 休");
    ASSERT_EQ(text.Entries.size(), 4U);
    EXPECT_EQ(text.Entries[0], (THolidayEntry{2027, 46388, HolidayKind::RestDay, "元旦"}));
    EXPECT_EQ(text.Entries[1].Kind, HolidayKind::Workday);
    EXPECT_EQ(text.Entries[1].Holiday, "春节") << "blanks separate fields as tabs do";
    EXPECT_EQ(text.Entries[2].Holiday, "") << "the festival may be left out";
    EXPECT_EQ(text.Entries[3].Date, text.Entries[2].Date + 1) << "a line after CR-only breaks";
    ASSERT_EQ(text.Problems.size(), 6U);
    const int lines[] = {4, 5, 6, 7, 10, 11};
    for (std::size_t i = 0; i < text.Problems.size(); ++i) {
        EXPECT_EQ(text.Problems[i].Line, lines[i]) << text.Problems[i].Reason;
    }
    EXPECT_EQ(text.Problems[0].Reason, "日期“2027-02-30”不正确，应为 YYYY-MM-DD");
    EXPECT_EQ(text.Problems[2].Reason, "“放”应为“休”或“班”");
    EXPECT_EQ(text.Problems[3].Reason, "缺少“休”或“班”");
    EXPECT_EQ(text.Problems[4].Reason, "日期 2027-01-01 已在第 2 行");
}

TEST(HolidaySchedule, AUserYearReplacesTheWholeShippedYearAndLeavesTheOthers) {
    THolidaySchedule schedule = THolidaySchedule::Shipped();
    schedule.ReplaceYears(ParseHolidayText("2026-10-01\t休\t国庆节\n"
                                           "2027-02-06\t休\t春节\n"
                                           "2027-02-20\t班\t春节\n")
                              .Entries);
    EXPECT_TRUE(schedule.KnowsYear(2027));
    EXPECT_FALSE(schedule.DayOf(EncodeDate(2027, 2, 6)).IsWorkday);
    EXPECT_TRUE(schedule.DayOf(EncodeDate(2027, 2, 20)).IsWorkday) << "a Saturday worked";
    EXPECT_EQ(schedule.DayOf(EncodeDate(2027, 2, 20)).Holiday, "春节");
    EXPECT_FALSE(schedule.DayOf(EncodeDate(2026, 10, 1)).IsWorkday);
    EXPECT_TRUE(schedule.DayOf(EncodeDate(2026, 10, 2)).IsWorkday) << "2026 is the user's now: a plain Friday";
    EXPECT_FALSE(schedule.DayOf(EncodeDate(2026, 2, 14)).IsWorkday) << "its shipped 班 Saturday is gone";
    EXPECT_TRUE(schedule.DayOf(EncodeDate(2025, 1, 26)).IsWorkday) << "2025 keeps its shipped 班 Sunday";
}

TEST(HolidaySchedule, OverridesNestAndGiveTheOuterScheduleBack) {
    const TDateTime eve2027 = EncodeDate(2027, 2, 5); // a Friday
    EXPECT_TRUE(IsOfficialWorkday(eve2027));
    EXPECT_FALSE(IsHolidayYearKnown(2027));
    {
        THolidaySchedule with2027;
        with2027.ReplaceYears(ParseHolidayText("2027-02-05\t休\t春节").Entries);
        const HolidayScheduleOverride outer(with2027);
        EXPECT_FALSE(IsOfficialWorkday(eve2027));
        EXPECT_EQ(OfficialDayOf(eve2027).Holiday, "春节");
        {
            const HolidayScheduleOverride inner{THolidaySchedule{}};
            EXPECT_TRUE(IsOfficialWorkday(eve2027));
            EXPECT_FALSE(IsHolidayYearKnown(2026)) << "an empty schedule knows no year";
        }
        EXPECT_FALSE(IsOfficialWorkday(eve2027));
    }
    EXPECT_TRUE(IsOfficialWorkday(eve2027));
    EXPECT_TRUE(IsHolidayYearKnown(2026));
}

} // namespace
} // namespace chimewell
