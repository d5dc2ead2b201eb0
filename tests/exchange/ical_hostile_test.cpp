// Calendar files made to hurt: recurrences of every second for decades, titles of megabytes, one UID twice.
// Each is read within a bound and said as it is.

#include "data/reminder_list.h"
#include "data/temp_folder.h"
#include "exchange/ical_file.h"
#include "exchange/sample_reminders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace chimewell {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

const TDateTime Present = EncodeDateTime(2026, 12, 9, 10, 0);

std::string Calendar(const std::string& events) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//hostile//EN\r\n" + events + "END:VCALENDAR\r\n";
}

std::string Event(const std::string& uid, const std::string& start, const std::string& rule,
                  const std::string& summary) {
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTART:" + start + "\r\n" +
           (rule.empty() ? "" : "RRULE:" + rule + "\r\n") + "SUMMARY:" + summary + "\r\nEND:VEVENT\r\n";
}

TIcsImportFile Read(const std::string& text) {
    return ReadIcsText(text, "hostile.ics", {Present, false});
}

// Tried: 300 events of every second since 2020, a hundred million times each (40 KB): 127 s without an answer.
TEST(IcsHostile, DenseRecurrencesCostTheirArithmeticNotTheirSeconds) {
    std::string events;
    for (int k = 0; k < 300; ++k) {
        events += Event("s" + std::to_string(k), "20200101T000000Z", "FREQ=SECONDLY;COUNT=100000000", "每秒");
    }
    const TIcsImportFile dense = Read(Calendar(events));
    EXPECT_TRUE(dense.Refusal.empty()) << dense.Refusal;
    EXPECT_LT(dense.ExpansionSteps, 1000) << "no step through the years before the present";
    // A hundred million seconds from 2020 ended in 2023: rightly said so.
    EXPECT_TRUE(dense.Items.empty());
    EXPECT_THAT(dense.Notes, Contains(HasSubstr("300 个重复的事件今后一年内不再发生")));

    // One that goes on: its coming minutes, from just after the present, and a word that they are a part.
    const TIcsImportFile going =
        Read(Calendar(Event("g", "20261201T000000Z", "FREQ=SECONDLY;COUNT=100000000", "每秒")));
    ASSERT_FALSE(going.Items.empty());
    const TRmMainDate first = RecordOf(going.Items.front());
    EXPECT_NEAR(EncodeDateTime(first.Year, first.Month, first.Day, first.Hour, first.Minuter), Present + 1.0 / 1440,
                1e-7);
    EXPECT_THAT(going.Notes, Contains(HasSubstr("太密")));

    // Every minute, a hundred million times from 2020: it repeats for 190 years, and is never said to end.
    const TIcsImportFile minutely =
        Read(Calendar(Event("m", "20200101T000000Z", "FREQ=MINUTELY;COUNT=100000000", "每分钟")));
    EXPECT_FALSE(minutely.Items.empty());
    EXPECT_THAT(minutely.Notes, ::testing::Not(Contains(HasSubstr("不再发生"))));

    // A dense rule the arithmetic cannot follow (by weekday, from 1900) costs its bounded steps and says so.
    const TIcsImportFile byday =
        Read(Calendar(Event("b", "19000101T000000Z", "FREQ=SECONDLY;BYDAY=MO;COUNT=100000000", "周一每秒")));
    EXPECT_LE(byday.ExpansionSteps, 20000);
    EXPECT_THAT(byday.Notes, Contains(HasSubstr("太密或持续太久")));

    // A daily rule counted from 1900 lands on its coming days all the same.
    const TIcsImportFile daily =
        Read(Calendar(Event("d", "19000101T083000", "FREQ=DAILY;INTERVAL=3;COUNT=100000000", "每三天")));
    ASSERT_FALSE(daily.Items.empty());
    EXPECT_LT(daily.ExpansionSteps, 1000);
    const TRmMainDate day = RecordOf(daily.Items.front());
    EXPECT_EQ(static_cast<std::int64_t>(EncodeDateTime(day.Year, day.Month, day.Day, 0, 0) -
                                        EncodeDateTime(1900, 1, 1, 0, 0)) %
                  3,
              0);
}

// Tried: a 10 MB title was taken whole, 10.9 s, and every later save 1.3 s slower.
TEST(IcsHostile, AHugeTitleIsCutOnImportAndSaidOnce) {
    const TIcsImportFile huge = Read(Calendar(Event("h", "20270301T100000", "", std::string(10 * 1024 * 1024, 'x')) +
                                              Event("i", "20270302T100000", "", std::string(3000, 'y'))));
    ASSERT_EQ(huge.Items.size(), 2U);
    EXPECT_EQ(huge.Items[0].Message.size(), static_cast<std::size_t>(IniMaxValueCharacters));
    EXPECT_EQ(huge.Items[1].Message.size(), static_cast<std::size_t>(IniMaxValueCharacters));
    EXPECT_THAT(huge.Notes, Contains(HasSubstr("2 个事件的标题超过 2047 个字")));
}

// Tried: two sections with one UID went out as two events of one UID, which other calendars merge.
TEST(IcsHostile, OneUidTwiceGoesOutAsTwoEvents) {
    testing::TempFolder folder;
    const std::string data = folder.File("reminddata.sdt");
    testing::WriteDataFile(data, testing::FiveSampleReminders());
    {
        TRmDataList list = testing::LoadedList(data);
        list.Batch([&list] {
            for (std::int32_t k = 0; k < 2; ++k) {
                TRmMainDate copied = list.Item(k);
                copied.Uid = "copied-by-hand";
                list.Replace(list.Item(k), k, copied);
            }
        });
        EXPECT_TRUE(GiveUids(list, {1, 2, 3, 4, 5}).empty());
    }
    const TRmDataList list = testing::LoadedList(data);
    std::set<std::string> uids;
    for (std::int32_t k = 0; k < list.Count; ++k) {
        EXPECT_FALSE(list.Item(k).Uid.empty());
        uids.insert(list.Item(k).Uid);
    }
    EXPECT_EQ(uids.size(), 5U);
    EXPECT_EQ(list.Item(0).Uid, "copied-by-hand") << "the first keeps it";
    const std::string calendar = folder.File("out.ics");
    TIcsExportOptions options;
    options.From = Present;
    ASSERT_TRUE(ExportIcs(data, calendar, {1, 2, 3, 4, 5}, options));
    std::set<std::string> exported;
    for (const TExchangeItem& item : ReadIcsFile(calendar, {Present, false}).Items) {
        exported.insert(item.Uid);
    }
    EXPECT_EQ(exported.size(), 5U);
}

// Two events of one UID in a file, and one whose UID a reminder of the list has already: taken as they stand they
// would be sections of one UID, which go out as events other calendars merge. The first keeps the UID; the others
// come in without one and are given their own when they are exported.
TEST(IcsHostile, AUidTheListOrTheFileHasAlreadyComesInOnce) {
    testing::TempFolder folder;
    const std::string data = folder.File("reminddata.sdt");
    testing::WriteDataFile(data, testing::FiveSampleReminders());
    {
        TRmDataList list = testing::LoadedList(data);
        TRmMainDate first = list.Item(0);
        first.Uid = "taken";
        list.Replace(list.Item(0), 0, first);
    }
    const std::string calendar = folder.File("in.ics");
    testing::WriteBytes(
        calendar,
        Calendar(Event("twice", "20270301T100000", "", "第一") + Event("twice", "20270302T100000", "", "第二") +
                 Event("taken", "20270303T100000", "", "第三") + Event("once", "20270304T100000", "", "第四")));
    std::string summary;
    ASSERT_TRUE(ImportIcsReminders(data, calendar, {Present, false}, summary));
    const TRmDataList list = testing::LoadedList(data);
    ASSERT_EQ(list.Count, 9);
    EXPECT_EQ(list.Item(0).Uid, "taken");
    EXPECT_EQ(list.Item(5).Message, "第一");
    EXPECT_EQ(list.Item(5).Uid, "twice") << "the first of the file keeps its UID";
    EXPECT_EQ(list.Item(6).Message, "第二");
    EXPECT_EQ(list.Item(6).Uid, "");
    EXPECT_EQ(list.Item(7).Uid, "");
    EXPECT_EQ(list.Item(8).Uid, "once");
}

TEST(IcsHostile, AReadingCanBeCancelledBetweenEvents) {
    std::string events;
    for (int k = 0; k < 50; ++k) {
        events += Event("e" + std::to_string(k), "20270301T100000", "", "事件");
    }
    std::atomic<bool> cancel{true};
    TIcsImportOptions options{Present, false};
    options.Cancel = &cancel;
    const TIcsImportFile file = ReadIcsText(Calendar(events), "hostile.ics", options);
    EXPECT_TRUE(file.Cancelled);
    std::string summary;
    EXPECT_FALSE(ImportReadCalendar("/nonexistent/reminddata.sdt", "hostile.ics", file, summary));
}

} // namespace
} // namespace chimewell
