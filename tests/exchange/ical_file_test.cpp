#include "exchange/ical_file.h"

#include "calendar/clock.h"
#include "data/temp_folder.h"
#include "editing/scripted_answers.h"
#include "exchange/sample_reminders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

namespace chimewell {
namespace {

using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::WriteBytes;

const TDateTime ExportMoment = EncodeDateTime(2026, 12, 9, 10, 0);

using testing::DatedItem;

TIcsExportOptions ExportOptions(bool lunarRules = false) {
    TIcsExportOptions options;
    options.From = ExportMoment;
    options.Years = 2;
    options.LunarRules = lunarRules;
    options.TimeZone = "Asia/Shanghai";
    return options;
}

TIcsImportFile Read(const std::string& text) {
    return ReadIcsText(text, "日历.ics", {ExportMoment, false});
}

// A calendar as another program writes it: CR LF lines, around the given components.
std::string Calendar(const std::string& body) {
    std::string text =
        "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Example Corp.//CalDAV Client//EN\n" + body + "END:VCALENDAR\n";
    std::string crlf;
    for (const char c : text) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return crlf;
}

std::string Unfolded(std::string text) {
    for (std::size_t at = text.find("\r\n "); at != std::string::npos; at = text.find("\r\n ", at)) {
        text.erase(at, 3);
    }
    return text;
}

std::vector<std::array<std::int32_t, 5>> Dates(const std::vector<TExchangeItem>& items) {
    std::vector<std::array<std::int32_t, 5>> dates;
    for (const TExchangeItem& item : items) {
        dates.push_back({item.Numbers[0], item.Numbers[1], item.Numbers[2], item.Numbers[3], item.Numbers[4]});
    }
    return dates;
}

// Reminders of every kind with values as stored, hand-edited ones included: flags of 2, codes no editor makes,
// texts with what iCalendar must escape.
TExchangeItem RandomItem(std::mt19937& random, int kind) {
    const auto pick = [&random](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
    TExchangeItem item = DatedItem(0, 0, 0, pick(0, 23), pick(0, 59), "提醒 #y年#m月#d日 %M月%D");
    item.Numbers[5] = pick(0, 3) == 0 ? pick(1, 60) : 0;
    item.Numbers[6] = pick(0, 4) == 0 ? pick(0, 5) : 0;
    for (std::size_t flag = 9; flag < 12; ++flag) {
        item.Numbers[flag] = pick(0, 5) == 0 ? 2 : pick(0, 1);
    }
    switch (kind % 10) {
    case 0:
        item.Numbers[0] = pick(2020, 2030), item.Numbers[1] = pick(1, 12), item.Numbers[2] = pick(1, 31);
        break;
    case 1:
        item.Numbers[1] = pick(0, 12), item.Numbers[2] = pick(0, 31);
        break;
    case 2:
        item.Numbers[2] = 0x80 | pick(1, 0x7F), item.Numbers[1] = pick(0, 12);
        break;
    case 3:
        item.Numbers[7] = 1, item.Numbers[1] = pick(0, 12), item.Numbers[2] = pick(1, 30);
        item.Numbers[8] = pick(0, 1);
        break;
    case 4:
        item.Numbers[7] = 1, item.Numbers[1] = 13, item.Numbers[2] = pick(0, 23);
        break;
    case 5:
        item.Message = pick(0, 1) == 0 ? "$mwo2$第二个 #h:#t" : "$gzr$上班";
        break;
    case 6:
        item.Music = "/音乐/a;b,c\\d.mp3";
        item.Command = "c:\\Program Files\\a,b;c.exe --x=\"1\"";
        item.Message = "逗号,分号;反斜杠\\n 冒号:引号\"";
        break;
    case 7:
        item.Numbers[0] = pick(-5, 3000), item.Numbers[3] = pick(-1, 30), item.Numbers[4] = pick(50, 99);
        break;
    case 8:
        item.Numbers[7] = 2, item.Numbers[0] = pick(2026, 2028), item.Numbers[1] = pick(1, 12);
        item.Numbers[2] = pick(1, 30);
        break;
    default:
        item.Message = "NOTSHOWREMINDBOX";
        item.Command = "uhttps://example.org/?a=1&b=2";
        break;
    }
    if (pick(0, 2) != 0) {
        item.Uid = NewReminderUid();
    }
    return item;
}

TEST(IcsFile, EveryReminderComesBackWithItsFifteenKeysAndItsUid) {
    std::mt19937 random(20261209);
    std::vector<TExchangeItem> items;
    for (int kind = 0; kind < 300; ++kind) {
        items.push_back(RandomItem(random, kind));
    }
    for (const bool lunarRules : {false, true}) {
        for (const char* zone : {"Asia/Shanghai", "UTC", ""}) {
            TIcsExportOptions options = ExportOptions(lunarRules);
            options.TimeZone = zone;
            const TIcsImportFile back = Read(IcsFileBytes(items, options));
            ASSERT_TRUE(back.Refusal.empty()) << back.Refusal;
            ASSERT_EQ(back.Items.size(), items.size());
            for (std::size_t k = 0; k < items.size(); ++k) {
                TExchangeItem expected = items[k];
                if (expected.Uid.empty()) {
                    // One is made for the file; the data file gets it through GiveUids before an export.
                    EXPECT_FALSE(back.Items[k].Uid.empty());
                    expected.Uid = back.Items[k].Uid;
                }
                EXPECT_EQ(back.Items[k], expected) << "reminder " << k << " in zone '" << zone << "'";
            }
            EXPECT_TRUE(back.Notes.empty());
        }
    }
}

TEST(IcsFile, RemindersBecomeRulesOrTheirDatesAsOtherCalendarsNeedThem) {
    TExchangeItem birthday = DatedItem(0, 5, 15, 8, 0, "妈妈生日");
    birthday.Numbers[5] = 10; // ten minutes early
    birthday.Uid = "birthday-1";
    TExchangeItem lunar = DatedItem(0, 5, 30, 8, 0, "农历三十");
    lunar.Numbers[7] = 1;
    TExchangeItem leap = DatedItem(0, 6, 1, 9, 0, "闰六月初一");
    leap.Numbers[7] = leap.Numbers[8] = 1;
    const std::vector<TExchangeItem> items = {birthday, DatedItem(2027, 0, 0, 7, 0, "2027 每天"), lunar, leap,
                                              DatedItem(0, 4, 31, 7, 0, "没有的日子")};
    const std::string text = Unfolded(IcsFileBytes(items, ExportOptions()));
    EXPECT_THAT(text, HasSubstr("BEGIN:VTIMEZONE\r\nTZID:Asia/Shanghai\r\n"));
    EXPECT_THAT(text, HasSubstr("UID:birthday-1\r\n"));
    EXPECT_THAT(text, HasSubstr("DTSTART;TZID=Asia/Shanghai:20270515T080000\r\n"
                                "RRULE:FREQ=YEARLY;BYMONTHDAY=15;BYMONTH=5\r\n"));
    EXPECT_THAT(text, HasSubstr("TRIGGER:-PT10M\r\n"));
    EXPECT_THAT(text, HasSubstr("DTSTART;TZID=Asia/Shanghai:20270101T070000\r\n"
                                "RRULE:FREQ=DAILY;UNTIL=20271231T155900Z\r\n"))
        << "a year's every day ends with the year, in UTC as RFC 5545 asks";
    // Lunar day 30 falls on the 29th in a short month: 2027's fifth month has 29 days, and 2027-07-03 is its 29th.
    EXPECT_THAT(text,
                HasSubstr("X-CHIMEWELL-LUNARRULE:RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=5;BYMONTHDAY=30;SKIP=BACKWARD"));
    EXPECT_THAT(text, HasSubstr("DTSTART;TZID=Asia/Shanghai:20270703T080000\r\n"
                                "RDATE;TZID=Asia/Shanghai:20280622T080000\r\n"));
    EXPECT_THAT(text, HasSubstr("X-CHIMEWELL-LUNARRULE:RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=6L;BYMONTHDAY=1"));
    // The leap sixth month came in 2025; the next one lies beyond the two years the dates reach.
    EXPECT_THAT(text, HasSubstr("STATUS:CANCELLED"));

    const std::string rules = Unfolded(IcsFileBytes(items, ExportOptions(true)));
    EXPECT_THAT(rules, HasSubstr("RRULE:RSCALE=CHINESE;FREQ=YEARLY;BYMONTHDAY=30;BYMONTH=5;SKIP=BACKWARD\r\n"));
    EXPECT_THAT(rules, ::testing::Not(HasSubstr("RDATE;TZID=Asia/Shanghai:20280622T080000")));
}

TEST(IcsFile, ImportsTheEventsOfOtherProgramsAsTheNearestReminders) {
    // A yearly birthday as an all-day event, the RFC's way.
    const TIcsImportFile birthday = Read(Calendar("BEGIN:VEVENT\nUID:19970901T130000Z-123403@example.com\n"
                                                  "DTSTAMP:19970901T130000Z\nDTSTART;VALUE=DATE:19971102\n"
                                                  "SUMMARY:Our Blissful Anniversary\nRRULE:FREQ=YEARLY\n"
                                                  "END:VEVENT\n"));
    ASSERT_EQ(birthday.Items.size(), 1U);
    EXPECT_EQ(Dates(birthday.Items), (std::vector<std::array<std::int32_t, 5>>{{0, 11, 2, IcsAllDayHour, 0}}));
    EXPECT_EQ(birthday.Items[0].Message, "Our Blissful Anniversary");
    EXPECT_EQ(birthday.Items[0].Uid, "19970901T130000Z-123403@example.com");
    EXPECT_TRUE(birthday.Notes.empty());

    // A one-day event, and a time in UTC, converted to the local zone (the tests run at UTC+8).
    const TIcsImportFile single = Read(Calendar("BEGIN:VEVENT\nUID:a\nDTSTART;VALUE=DATE:20270101\n"
                                                "SUMMARY:元旦\nEND:VEVENT\nBEGIN:VEVENT\nUID:b\n"
                                                "DTSTART:20270105T200000Z\nSUMMARY:Call\nEND:VEVENT\n"));
    EXPECT_EQ(Dates(single.Items),
              (std::vector<std::array<std::int32_t, 5>>{{2027, 1, 1, IcsAllDayHour, 0}, {2027, 1, 6, 4, 0}}));

    // Weekly in a zone without summer time: a weekly reminder at the local time.
    const TIcsImportFile tokyo =
        Read(Calendar("BEGIN:VTIMEZONE\nTZID:Asia/Tokyo\nBEGIN:STANDARD\nDTSTART:19700101T000000\n"
                      "TZOFFSETFROM:+0900\nTZOFFSETTO:+0900\nTZNAME:JST\nEND:STANDARD\nEND:VTIMEZONE\n"
                      "BEGIN:VEVENT\nUID:m\nDTSTART;TZID=Asia/Tokyo:20261201T090000\n"
                      "RRULE:FREQ=WEEKLY;BYDAY=TU,TH\nSUMMARY:Weekly meeting\nEND:VEVENT\n"));
    EXPECT_EQ(Dates(tokyo.Items), (std::vector<std::array<std::int32_t, 5>>{{0, 0, 0x80 | 0x02 | 0x08, 8, 0}}));
    EXPECT_TRUE(tokyo.Notes.empty());
}

TEST(IcsFile, ARecurrenceThatNoReminderMatchesComesInAsItsComingDates) {
    // The RFC's New York time zone: 09:00 there is 22:00 here in winter and 21:00 in summer.
    const std::string newYork =
        "BEGIN:VTIMEZONE\nTZID:America/New_York\nBEGIN:STANDARD\nDTSTART:19671029T020000\n"
        "RRULE:FREQ=YEARLY;BYDAY=1SU;BYMONTH=11\nTZOFFSETFROM:-0400\nTZOFFSETTO:-0500\nTZNAME:EST\n"
        "END:STANDARD\nBEGIN:DAYLIGHT\nDTSTART:19870405T020000\nRRULE:FREQ=YEARLY;BYDAY=2SU;BYMONTH=3\n"
        "TZOFFSETFROM:-0500\nTZOFFSETTO:-0400\nTZNAME:EDT\nEND:DAYLIGHT\nEND:VTIMEZONE\n";
    const TIcsImportFile meeting =
        Read(Calendar(newYork + "BEGIN:VEVENT\nUID:w\nDTSTART;TZID=America/New_York:20261201T090000\n"
                                "RRULE:FREQ=WEEKLY;BYDAY=TU\nSUMMARY:Staff\nEND:VEVENT\n"));
    ASSERT_EQ(meeting.Items.size(), 52U);
    EXPECT_EQ(Dates(meeting.Items).front(), (std::array<std::int32_t, 5>{2026, 12, 15, 22, 0}))
        << "the first Tuesday after the import's Wednesday";
    EXPECT_EQ(Dates(meeting.Items)[20], (std::array<std::int32_t, 5>{2027, 5, 4, 21, 0})) << "summer time";
    ASSERT_EQ(meeting.Notes.size(), 1U);
    EXPECT_THAT(meeting.Notes[0], HasSubstr("1 个重复的事件"));
    EXPECT_THAT(meeting.Notes[0], HasSubstr("时差"));

    // Ten days with one taken out, the RFC's EXDATE example shape.
    const TIcsImportFile exceptions =
        Read(Calendar("BEGIN:VEVENT\nUID:x\nDTSTART:20270110T090000\nRRULE:FREQ=DAILY;COUNT=10\n"
                      "EXDATE:20270112T090000\nSUMMARY:十天\nEND:VEVENT\n"));
    ASSERT_EQ(exceptions.Items.size(), 9U);
    EXPECT_EQ(Dates(exceptions.Items)[1], (std::array<std::int32_t, 5>{2027, 1, 11, 9, 0}));
    EXPECT_EQ(Dates(exceptions.Items)[2], (std::array<std::int32_t, 5>{2027, 1, 13, 9, 0}));
    EXPECT_THAT(exceptions.Notes.at(0), HasSubstr("有不重复的例外日期"));
    EXPECT_TRUE(exceptions.Items[0].Uid.empty()) << "nine reminders cannot share the event's UID";

    // What is over or called off reminds of nothing.
    const TIcsImportFile gone = Read(Calendar("BEGIN:VEVENT\nUID:p\nDTSTART:20250101T090000\nSUMMARY:去年\nEND:VEVENT\n"
                                              "BEGIN:VEVENT\nUID:c\nDTSTART:20270101T090000\nSTATUS:CANCELLED\n"
                                              "SUMMARY:取消了\nEND:VEVENT\n"));
    EXPECT_TRUE(gone.Items.empty());
    EXPECT_EQ(gone.Notes, (std::vector<std::string>{"1 个事件已经过去，没有导入。", "1 个事件已经取消，没有导入。"}));

    // A rule that ended long ago brings nothing and says so.
    const TIcsImportFile ended = Read(Calendar("BEGIN:VEVENT\nUID:e\nDTSTART:20000101T090000\n"
                                               "RRULE:FREQ=DAILY;UNTIL=20000110T090000\nSUMMARY:old\nEND:VEVENT\n"));
    EXPECT_TRUE(ended.Items.empty());
    EXPECT_THAT(ended.Notes.at(0), HasSubstr("不再发生"));
}

TEST(IcsFile, AlarmsBecomeTheEarlyMinuteAndWarningsOrAReminderEach) {
    const TIcsImportFile two =
        Read(Calendar("BEGIN:VEVENT\nUID:t\nDTSTART:20270301T100000\nSUMMARY:两个提醒\n"
                      "BEGIN:VALARM\nACTION:DISPLAY\nDESCRIPTION:a\nTRIGGER:-PT15M\nEND:VALARM\n"
                      "BEGIN:VALARM\nACTION:AUDIO\nTRIGGER;RELATED=START:-PT1H\nEND:VALARM\n"
                      "BEGIN:VALARM\nACTION:DISPLAY\nDESCRIPTION:b\nTRIGGER:PT0S\nEND:VALARM\nEND:VEVENT\n"));
    ASSERT_EQ(two.Items.size(), 1U);
    EXPECT_EQ(two.Items[0].Numbers[5], 15);
    EXPECT_EQ(two.Items[0].Schedule.Warnings, (std::vector<TLeadTime>{{1, LeadUnit::Hours}}));
    EXPECT_EQ(Dates(two.Items)[0], (std::array<std::int32_t, 5>{2027, 3, 1, 10, 0}));
    EXPECT_EQ(two.Items[0].Uid, "t");
    EXPECT_TRUE(two.Notes.empty());

    // An alarm after the start is no warning: a reminder of its own, at its moment.
    const TIcsImportFile after =
        Read(Calendar("BEGIN:VEVENT\nUID:a\nDTSTART:20270301T100000\nSUMMARY:之后\n"
                      "BEGIN:VALARM\nACTION:DISPLAY\nTRIGGER:-P2D\nEND:VALARM\n"
                      "BEGIN:VALARM\nACTION:DISPLAY\nTRIGGER:PT30M\nEND:VALARM\nEND:VEVENT\n"));
    EXPECT_EQ(Dates(after.Items),
              (std::vector<std::array<std::int32_t, 5>>{{2027, 3, 1, 10, 0}, {2027, 3, 1, 10, 30}}));
    EXPECT_EQ(after.Items[0].Schedule.Warnings, (std::vector<TLeadTime>{{2, LeadUnit::Days}}));
    EXPECT_THAT(after.Notes.at(0), HasSubstr("每个导入为一条提醒"));

    // An alarm the day before moves the reminder to its moment.
    const TIcsImportFile before =
        Read(Calendar("BEGIN:VEVENT\nUID:d\nDTSTART:20270301T080000\nSUMMARY:早\n"
                      "BEGIN:VALARM\nACTION:DISPLAY\nTRIGGER:-P1D\nEND:VALARM\nEND:VEVENT\n"));
    EXPECT_EQ(Dates(before.Items), (std::vector<std::array<std::int32_t, 5>>{{2027, 2, 28, 8, 0}}));
    EXPECT_EQ(before.Items[0].Numbers[5], 0);
}

TEST(IcsFile, ToDosLunarRulesAndOddFiles) {
    const TIcsImportFile todos = Read(Calendar("BEGIN:VTODO\nUID:1\nDUE:20270420T170000\nSUMMARY:交税\nEND:VTODO\n"
                                               "BEGIN:VTODO\nUID:2\nSUMMARY:没有期限\nEND:VTODO\n"));
    EXPECT_EQ(Dates(todos.Items), (std::vector<std::array<std::int32_t, 5>>{{2027, 4, 20, 17, 0}}));
    EXPECT_THAT(todos.Notes.at(0), HasSubstr("1 个待办事项没有截止时间"));

    // Another program's RFC 7529 birthday: a lunar reminder, leap month kept.
    const TIcsImportFile lunar = Read(Calendar("BEGIN:VEVENT\nUID:l\nDTSTART;VALUE=DATE:20250725\n"
                                               "RRULE:RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=6L;BYMONTHDAY=1\n"
                                               "SUMMARY:闰六月\nEND:VEVENT\n"));
    ASSERT_EQ(lunar.Items.size(), 1U);
    EXPECT_EQ(lunar.Items[0].Numbers, (std::array<std::int32_t, 12>{0, 6, 1, IcsAllDayHour, 0, 0, 0, 1, 1, 0, 0, 0}));

    for (const std::string& text : {std::string("[Divazu2.01]\r\nRemindCount=1\r\n"), std::string(),
                                    std::string("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:garbage\r\n")}) {
        const TIcsImportFile odd = Read(text);
        EXPECT_TRUE(odd.Items.empty()) << text;
        EXPECT_TRUE(!odd.Refusal.empty() || !odd.Notes.empty()) << "a clear word on " << text;
    }
    EXPECT_THAT(Read("not a calendar").Refusal, HasSubstr("“日历.ics”：这不是 iCalendar 日历文件"));
    // Folded lines, escaped texts and a byte order mark, as libical reads them.
    const TIcsImportFile folded = Read("\xEF\xBB\xBF" + Calendar("BEGIN:VEVENT\nUID:f\nDTSTART:20270301T100000\n"
                                                                 "SUMMARY:a\\, b\\; c\n  and more\nEND:VEVENT\n"));
    ASSERT_EQ(folded.Items.size(), 1U);
    EXPECT_EQ(folded.Items[0].Message, "a, b; c and more");
}

class IcsImportTest : public ::testing::Test {
protected:
    IcsImportTest() { testing::WriteDataFile(DataFile, testing::FiveSampleReminders()); }

    testing::TempFolder Folder;
    std::string DataFile = Folder.File("reminddata.sdt");
    testing::ScriptedAnswers Answers;
    ClockOverride Clock{ExportMoment};
};

TEST_F(IcsImportTest, AnExportedFileComesBackWithItsCommandsAskedAboutAndItsUidsKeptUnique) {
    TRmDataList list = testing::LoadedList(DataFile);
    GiveUids(list, {2, 4});
    EXPECT_FALSE(list.Item(1).Uid.empty());
    EXPECT_TRUE(list.Item(0).Uid.empty());
    const std::string uid = list.Item(1).Uid;
    GiveUids(list, {2});
    EXPECT_EQ(testing::LoadedList(DataFile).Item(1).Uid, uid) << "given once, kept";

    const std::string file = Folder.File("out.ics");
    ASSERT_TRUE(ExportIcs(DataFile, file, {2, 4}, ExportOptions()));
    EXPECT_FALSE(ExportIcs(DataFile, file, {1}, ExportOptions())) << "an existing file is never written into";

    // The second reminder shuts the computer down: the import asks, and No imports nothing.
    std::string summary;
    Answers.BoxAnswers = {MessageAnswer::No};
    EXPECT_FALSE(ImportIcsReminders(DataFile, file, {ExportMoment, false}, summary));
    EXPECT_EQ(testing::LoadedList(DataFile).Count, 5);
    ASSERT_EQ(Answers.Titles(), std::vector<std::string>{"导入命令"});
    EXPECT_THAT(Answers.Boxes[0].Text, HasSubstr("关机"));

    Answers.BoxAnswers = {MessageAnswer::Yes};
    ASSERT_TRUE(ImportIcsReminders(DataFile, file, {ExportMoment, false}, summary));
    EXPECT_EQ(summary, "已从日历文件导入 2 条提醒。");
    const TRmDataList after = testing::LoadedList(DataFile);
    ASSERT_EQ(after.Count, 7);
    EXPECT_TRUE(SameReminder(after.Item(5), after.Item(1)));
    EXPECT_TRUE(SameReminder(after.Item(6), after.Item(3)));
    EXPECT_TRUE(after.Item(5).Uid.empty()) << "a UID the list has already is not given twice";
}

TEST_F(IcsImportTest, AFileThatCannotBeReadIsRefusedByName) {
    std::string summary;
    EXPECT_FALSE(ImportIcsReminders(DataFile, Folder.File("none.ics"), {ExportMoment, false}, summary));
    ASSERT_EQ(Answers.Titles(), std::vector<std::string>{"导入失败"});
    EXPECT_THAT(Answers.Boxes[0].Text, HasSubstr("none.ics"));
    WriteBytes(Folder.File("empty.ics"), Calendar(""));
    EXPECT_FALSE(ImportIcsReminders(DataFile, Folder.File("empty.ics"), {ExportMoment, false}, summary));
    EXPECT_EQ(Answers.Boxes.back().Text, "导入文件中没有任何提醒！");
    EXPECT_TRUE(IsICalendarFile(Folder.File("empty.ics")));
    WriteBytes(Folder.File("calendar.txt"), Calendar(""));
    EXPECT_TRUE(IsICalendarFile(Folder.File("calendar.txt"))) << "by its contents";
    WriteBytes(Folder.File("exchange.txt"), "[Divazu2.01]\r\nRemindCount=0\r\n");
    EXPECT_FALSE(IsICalendarFile(Folder.File("exchange.txt")));
}

} // namespace
} // namespace chimewell
