// The keys after the 15 that hold a reminder's warnings and repeat: what a file with them keeps through a save,
// what a file without them keeps, what an older reader of the 15 keys still finds, and what hand-edited values
// become.

#include "data/reminder_schedule.h"

#include "data/code_page.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <random>

namespace chimewell {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// A file as a person or another program left it: CR LF, GBK text, keys in the program's order.
std::string Crlf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return EncodeFileText(out);
}

constexpr const char* Plain = "Year=0\nMonth=3\nDay=15\nHour=9\nMinuter=30\nForward=0\nMethod=0\nIsLunar=0\n"
                              "IsLeapMonth=0\nWithScript=0\nAutoExecScript=0\nReminded=0\nMusic=\nCommand=\n";

std::string FileWithSchedules() {
    return Crlf(std::string("[Main]\nItems=3\n") + "[Item1]\n" + Plain + "Message=交房租\n" + "[Item2]\n" +
                "Year=0\nMonth=8\nDay=15\nHour=20\nMinuter=0\nForward=10\nMethod=0\nIsLunar=1\nIsLeapMonth=0\n"
                "WithScript=0\nAutoExecScript=0\nReminded=0\nMusic=\nCommand=\nMessage=妈妈的生日\n"
                "UID=0b7c-11\nWarnings=3d,1d\nInterval=1y\nStartDate=2026-01-01\nEndDate=2036-12-31\n"
                "EndCount=10\n" +
                "[Item3]\n" + Plain + "Message=开会\nWarnings=30m\n");
}

// The bytes of one section, its header through the line before the next header.
std::string SectionBytes(const std::string& bytes, const std::string& name) {
    const std::size_t start = bytes.find("[" + name + "]");
    if (start == std::string::npos) {
        return {};
    }
    const std::size_t end = bytes.find("\r\n[", start);
    return bytes.substr(start, end == std::string::npos ? std::string::npos : end + 2 - start);
}

class ScheduleKeysTest : public ::testing::Test {
protected:
    TRmDataList Loaded() {
        TRmDataList list;
        list.Reset(Path);
        list.Load();
        return list;
    }
    TempFolder Folder;
    std::string Path = Folder.File("reminddata.sdt");
};

TEST_F(ScheduleKeysTest, AnEditOfOneReminderLeavesTheOthersByteForByte) {
    const std::string before = FileWithSchedules();
    WriteBytes(Path, before);
    TRmDataList list = Loaded();
    ASSERT_EQ(list.Count, 3);
    const TRmMainDate& birthday = list.Item(1);
    EXPECT_EQ(FormatWarnings(birthday.Warnings), "3d,1d");
    EXPECT_EQ(birthday.Every, RepeatUnit::Years);
    EXPECT_EQ(birthday.StartDate, 20260101);
    EXPECT_EQ(birthday.EndDate, 20361231);
    EXPECT_EQ(birthday.EndCount, 10);
    EXPECT_EQ(birthday.Uid, "0b7c-11");

    TRmMainDate edited = list.Item(2);
    edited.Message = "开周会";
    edited.Warnings.clear();
    edited.Every = RepeatUnit::Weeks;
    edited.EveryCount = 2;
    edited.StartDate = 20261207;
    ASSERT_GE(list.Replace(list.Item(2), 2, edited), 0);

    const std::string after = ReadBytes(Path);
    EXPECT_EQ(SectionBytes(after, "Main"), SectionBytes(before, "Main"));
    EXPECT_EQ(SectionBytes(after, "Item1"), SectionBytes(before, "Item1"));
    EXPECT_EQ(SectionBytes(after, "Item2"), SectionBytes(before, "Item2"));
    // The cleared key stays as an empty value, so that no old warning comes back; the new ones follow it.
    const std::string item3 = DecodeFileText(SectionBytes(after, "Item3"));
    EXPECT_NE(item3.find("Message=开周会\r\nWarnings=\r\nInterval=2w\r\nStartDate=2026-12-07\r\n"), std::string::npos)
        << item3;
    EXPECT_EQ(Loaded().Item(2), edited);
}

TEST_F(ScheduleKeysTest, AFileWithoutTheNewKeysGetsNoneOfThem) {
    const std::string before =
        Crlf(std::string("[Main]\nItems=2\n[Item1]\n") + Plain + "Message=甲\n[Item2]\n" + Plain + "Message=乙\n");
    WriteBytes(Path, before);
    TRmDataList list = Loaded();
    TRmMainDate edited = list.Item(1);
    edited.Message = "丙";
    ASSERT_GE(list.Replace(list.Item(1), 1, edited), 0);
    edited.Message = "乙";
    ASSERT_GE(list.Replace(list.Item(1), 1, edited), 0);
    EXPECT_EQ(ReadBytes(Path), before);
}

// A reader that knows the 15 keys alone (an older copy of the program) finds every reminder whole: the keys
// after them are further keys of the same section, not other sections or changed values.
TEST_F(ScheduleKeysTest, AnOlderReaderOfTheFifteenKeysReadsEveryReminder) {
    TRmDataList list;
    list.Reset(Path);
    std::mt19937 random(3);
    std::vector<TRmMainDate> written;
    for (int i = 0; i < 40; ++i) {
        TRmMainDate record;
        record.Month = i % 12 + 1;
        record.Day = i % 28 + 1;
        record.Hour = i % 24;
        record.Message = "提醒" + std::to_string(i);
        if (i % 2 == 0) {
            record.Warnings = {{i % 5 + 1, LeadUnit::Days}, {30, LeadUnit::Minutes}};
            record.Every = RepeatUnit::Months;
            record.EveryCount = i % 3 + 1;
            record.StartDate = 20260101 + i % 28;
            record.EndCount = i + 1;
            record.MonthEnd = i % 4 == 0;
        }
        list.Add(record, true);
        written.push_back(record);
    }
    const TIniFile ini(Path);
    const std::vector<std::string> fifteen = {"Year",           "Month",    "Day",     "Hour",        "Minuter",
                                              "Forward",        "Method",   "IsLunar", "IsLeapMonth", "WithScript",
                                              "AutoExecScript", "Reminded", "Music",   "Command",     "Message"};
    ASSERT_EQ(ini.ReadInteger("Main", "Items", 0), 40);
    for (int i = 0; i < 40; ++i) {
        const std::string section = ItemSectionName(i + 1);
        const TRmMainDate& record = written[static_cast<std::size_t>(i)];
        EXPECT_EQ(ini.ReadInteger(section, "Month", -1), record.Month);
        EXPECT_EQ(ini.ReadInteger(section, "Day", -1), record.Day);
        EXPECT_EQ(ini.ReadInteger(section, "Hour", -1), record.Hour);
        EXPECT_EQ(ini.ReadString(section, "Message", ""), record.Message);
        // The 15 come first, in their order, as an older program writes and reads them.
        std::vector<std::string> keys;
        ini.ForEachValue(section, [&keys](std::string_view key, std::string_view) { keys.emplace_back(key); });
        ASSERT_GE(keys.size(), fifteen.size());
        EXPECT_TRUE(std::equal(fifteen.begin(), fifteen.end(), keys.begin())) << section;
    }
    TRmDataList again = Loaded();
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(again.Item(i), written[static_cast<std::size_t>(i)]);
    }
}

TEST(ScheduleTexts, HandEditedValuesKeepWhatTheySayAndDropTheRest) {
    // Case and spaces do not matter; more than 60 days, no number, a second way of saying 1d are dropped.
    EXPECT_EQ(FormatWarnings(ParseWarnings(" 3D , x, 90d,1d ,24h, 2w,0m,-5h")), "2w,3d,1d");
    EXPECT_EQ(FormatWarnings(ParseWarnings("60d,86401m")), "60d");
    RepeatUnit unit = RepeatUnit::None;
    std::int32_t count = 0;
    EXPECT_TRUE(ParseInterval(" 2W", unit, count));
    EXPECT_EQ(unit, RepeatUnit::Weeks);
    EXPECT_EQ(count, 2);
    for (const char* bad : {"0w", "2x", "w", "1000d", "2.5m", ""}) {
        EXPECT_FALSE(ParseInterval(bad, unit, count)) << bad;
        EXPECT_EQ(unit, RepeatUnit::None) << bad;
    }
    EXPECT_EQ(ParseStoredDate("2028-02-29"), 20280229);
    for (const char* bad : {"2027-02-29", "2027-2-28", "20270228", "1899-12-31", "2101-01-01", "2027-13-01"}) {
        EXPECT_EQ(ParseStoredDate(bad), 0) << bad;
    }
    EXPECT_EQ(WarningPrefix(3 * 1440), "还有 3 天：");
    EXPECT_EQ(WarningPrefix(90), "还有 1 小时 30 分钟：");
    EXPECT_EQ(WarningPrefix(PassedLead), "时间已到：");
}

TEST(ScheduleTexts, DescriptionsSayTheRepeatInWords) {
    TRmMainDate meeting;
    meeting.Day = WeekdayMask | 0x01 | 0x04;
    meeting.Hour = 10;
    meeting.Every = RepeatUnit::Weeks;
    meeting.EveryCount = 2;
    meeting.StartDate = 20261207;
    meeting.EndDate = 20270630;
    EXPECT_EQ(RepeatDateText(meeting), "每隔 2 周的星期一、三");
    EXPECT_EQ(RepeatBoundsText(meeting), "，从 2026-12-07 起，到 2027-06-30 为止");
    meeting.EndDate = 0;
    meeting.EndCount = 10;
    meeting.Warnings = {{1, LeadUnit::Days}};
    DescribeOptions options;
    options.Date = options.Time = options.Forward = true;
    EXPECT_EQ(meeting.Describe(options),
              "每隔 2 周的星期一、三10时0分，从 2026-12-07 起，共 10 次，不提前，另提前 1 天，提醒为：");
    TRmMainDate lunar;
    lunar.IsLunar = true;
    lunar.Day = 1;
    lunar.Every = RepeatUnit::Months;
    lunar.EveryCount = 3;
    lunar.StartDate = 20260101;
    EXPECT_EQ(RepeatDateText(lunar), "每隔 3 个农历月的初一");
}

TEST(ScheduleTexts, ARepeatThatEndedBeforeTodayIsExpired) {
    TRmMainDate daily;
    daily.EndDate = 20261209;
    EXPECT_FALSE(daily.IsExpiredAt(EncodeDateTime(2026, 12, 9, 23, 59)));
    EXPECT_TRUE(daily.IsExpiredAt(EncodeDateTime(2026, 12, 10, 0, 0)));
}

// The last day of every month: day 31 on February's 28th or 29th and on the 30th of the short months.
TEST(ScheduleTexts, AMonthEndReminderFallsOnEachMonthsLastDay) {
    TRmMainDate rent;
    rent.Day = 31;
    rent.Hour = 9;
    rent.MonthEnd = true;
    EXPECT_EQ(rent.DateText(), "每年每月最后一天");
    EXPECT_TRUE(rent.IsDueTodayAt(EncodeDateTime(2027, 2, 28, 9, 0)));
    EXPECT_TRUE(rent.IsDueTodayAt(EncodeDateTime(2028, 2, 29, 9, 0)));
    EXPECT_FALSE(rent.IsDueTodayAt(EncodeDateTime(2028, 2, 28, 9, 0)));
    EXPECT_TRUE(rent.IsDueTodayAt(EncodeDateTime(2027, 4, 30, 9, 0)));
    EXPECT_TRUE(rent.IsDueTodayAt(EncodeDateTime(2027, 5, 31, 9, 0)));
    EXPECT_FALSE(rent.IsDueTodayAt(EncodeDateTime(2027, 5, 30, 9, 0)));
    // Not for a lunar date, whose day 30 already falls on a short month's 29th, nor for a day before the 29th.
    rent.IsLunar = true;
    EXPECT_FALSE(rent.FallsToMonthEnd());
    rent.IsLunar = false;
    rent.Day = 28;
    EXPECT_FALSE(rent.FallsToMonthEnd());
}

} // namespace
} // namespace chimewell
