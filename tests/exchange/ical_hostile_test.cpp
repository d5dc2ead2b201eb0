// Calendar files made to hurt: recurrences of every second for decades, titles of megabytes, one UID twice.
// Each is read within a bound and said as it is.

#include "data/reminder_list.h"
#include "data/temp_folder.h"
#include "exchange/ical_file.h"
#include "exchange/ical_foreign.h"
#include "exchange/sample_reminders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <libical/ical.h>

#include <chrono>
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
    EXPECT_LE(byday.ExpansionSteps, 600000) << "a bounded walk of about a second";
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
// Rules that keep a few days of steps of a minute or an hour (or none: 2月30日, 4月31日) made the iterator walk
// every step of the years between, for seconds to minutes per event. They are worked out on the days that pass;
// where the iterator alone can be waited for, both give the same moments.
TEST(IcsHostile, RulesOfFewDaysCostTheirDays) {
    const auto occurrences = [](const std::string& start, const std::string& rule) {
        icalcomponent* event = icalcomponent_new_from_string(Event("x", start, rule, "x").c_str());
        const std::vector<TDateTime> found = ics::OccurrencesOf(event, Present + 2 * 366, Present);
        icalcomponent_free(event);
        return found;
    };
    const auto elapsed = [](auto work) {
        const auto began = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    };
    for (const char* never : {"FREQ=HOURLY;BYMONTH=2;BYMONTHDAY=30", "FREQ=MINUTELY;BYMONTH=2;BYMONTHDAY=30",
                              "FREQ=DAILY;BYMONTH=4;BYMONTHDAY=31", "FREQ=SECONDLY;BYMONTH=11;BYMONTHDAY=-31",
                              "FREQ=MINUTELY;BYSETPOS=5;BYMONTH=2;BYMONTHDAY=30"}) {
        SCOPED_TRACE(never);
        std::vector<TDateTime> found;
        EXPECT_LT(elapsed([&] { found = occurrences("20261201T090000", never); }), 1.0);
        EXPECT_EQ(found.size(), 1U) << "only the start itself";
    }
    // Rules whose steps the iterator walks in vain for all time, however it reads them: a bounded walk.
    for (const char* walking :
         {"FREQ=SECONDLY;BYSETPOS=5", "FREQ=MINUTELY;BYSECOND=7;BYSETPOS=2", "FREQ=SECONDLY;BYHOUR=3;BYMINUTE=61"}) {
        SCOPED_TRACE(walking);
        EXPECT_LT(elapsed([&] { occurrences("20261201T090000", walking); }), 3.0);
    }
    const std::vector<TDateTime> leapDay = occurrences("20261201T090000", "FREQ=MINUTELY;BYMONTH=2;BYMONTHDAY=29");
    ASSERT_EQ(leapDay.size(), 1U + 1440);
    EXPECT_EQ(leapDay[1], EncodeDateTime(2028, 2, 29, 0, 0));
    EXPECT_EQ(leapDay.back(), EncodeDateTime(2028, 2, 29, 23, 59));

    // Where the iterator is quick enough, it is the judge: every moment from two days before the present on.
    for (const auto& [start, rule] : std::vector<std::pair<const char*, const char*>>{
             {"20261101T093000", "FREQ=HOURLY;INTERVAL=5;BYMONTHDAY=1,15,-1"},
             {"20261101T093000", "FREQ=HOURLY;BYMONTHDAY=1;COUNT=40"},
             {"20200101T000000Z", "FREQ=MINUTELY;INTERVAL=7;BYMONTH=1;BYMONTHDAY=1;BYHOUR=3"},
             {"20261130T080000", "FREQ=DAILY;INTERVAL=3;BYMONTH=1,3"},
             {"20261130T080000", "FREQ=DAILY;BYMONTHDAY=31;COUNT=3"},
             {"20261212T231500", "FREQ=HOURLY;INTERVAL=2;BYDAY=SA,SU;UNTIL=20270301T000000"},
         }) {
        SCOPED_TRACE(rule);
        icalcomponent* event = icalcomponent_new_from_string(Event("x", start, rule, "x").c_str());
        icalproperty* property = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
        const icaltimetype dtstart = icalcomponent_get_dtstart(event);
        icalrecur_iterator* iterator = icalrecur_iterator_new(icalproperty_get_rrule(property), dtstart);
        std::set<TDateTime> expected;
        for (icaltimetype t = icalrecur_iterator_next(iterator); !icaltime_is_null_time(t);
             t = icalrecur_iterator_next(iterator)) {
            TDateTime moment = EncodeDateTime(t.year, t.month, t.day, t.hour, t.minute);
            if (icaltime_is_utc(dtstart)) {
                const time_t instant = icaltime_as_timet_with_zone(t, icaltimezone_get_utc_timezone());
                std::tm local{};
                localtime_r(&instant, &local);
                moment =
                    EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
            }
            if (moment > Present + 2 * 366) {
                break;
            }
            if (moment >= Present - 2) {
                expected.insert(moment);
            }
        }
        icalrecur_iterator_free(iterator);
        icalcomponent_free(event);
        std::set<TDateTime> found;
        for (const TDateTime moment : occurrences(start, rule)) {
            if (moment >= Present - 2) {
                found.insert(moment);
            }
        }
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(found, expected);
    }
}

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
