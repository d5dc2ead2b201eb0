// Warnings, intervals and ends in calendar files: as alarms and rules other calendars compute, back exactly from
// this program's own events, and from other programs' events as one reminder wherever the keys can say them.

#include "data/reminder_schedule.h"
#include "data/temp_folder.h"
#include "exchange/ical_file.h"
#include "runtime/next_firing.h"

#include "exchange/sample_reminders.h"
#include <gmock/gmock.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <regex>

namespace chimewell {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const TDateTime ExportMoment = EncodeDateTime(2026, 12, 9, 10, 0);

using testing::DatedItem;

TIcsExportOptions ExportOptions(bool lunarRules = false, int years = 2) {
    TIcsExportOptions options;
    options.From = ExportMoment;
    options.Years = years;
    options.LunarRules = lunarRules;
    options.TimeZone = "Asia/Shanghai";
    return options;
}

TIcsImportFile Read(const std::string& text) {
    return ReadIcsText(text, "日历.ics", {ExportMoment, false});
}

std::string Unfolded(std::string text) {
    for (std::size_t at = text.find("\r\n "); at != std::string::npos; at = text.find("\r\n ", at)) {
        text.erase(at, 3);
    }
    return text;
}

std::string Replaced(const std::string& text, const std::string& pattern, const std::string& with) {
    return std::regex_replace(text, std::regex(pattern), with);
}

// A calendar as another program writes it, without this program's keys.
std::string Calendar(const std::string& body) {
    std::string text =
        "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Example Corp.//CalDAV Client//EN\n" + body + "END:VCALENDAR\n";
    return Replaced(text, "\n", "\r\n");
}

std::string Alarm(const std::string& trigger) {
    return "BEGIN:VALARM\nACTION:DISPLAY\nDESCRIPTION:x\nTRIGGER:" + trigger + "\nEND:VALARM\n";
}

std::vector<std::int32_t> LeadMinutes(const std::vector<TLeadTime>& warnings) {
    std::vector<std::int32_t> minutes;
    for (const TLeadTime& lead : warnings) {
        minutes.push_back(lead.Minutes());
    }
    return minutes;
}

// Reminders with warnings, intervals and ends of every kind the editor makes. Gregorian ones only (no lunar
// dates, no hourly methods, which no other calendar's alarms can say) where `otherReaders`.
TExchangeItem RandomScheduled(std::mt19937& random, int kind, bool otherReaders) {
    const auto pick = [&random](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
    TExchangeItem item = DatedItem(0, 0, 0, pick(0, 23), pick(0, 59), "提醒 " + std::to_string(kind) + " #y-#m-#d");
    item.Uid = NewReminderUid();
    TRmSchedule& schedule = item.Schedule;
    const auto every = [&](RepeatUnit unit, int most) {
        schedule.Every = unit;
        schedule.EveryCount = pick(1, most);
    };
    const int kinds = otherReaders ? 10 : 15;
    switch (kind % kinds) {
    case 0: // every few days
        every(RepeatUnit::Days, 10);
        break;
    case 1: // weekdays every few weeks
        item.Numbers[2] = 0x80 | pick(1, 0x7F);
        every(RepeatUnit::Weeks, 4);
        break;
    case 2: // a day of every few months, the end of a month among them
        item.Numbers[2] = pick(1, 31);
        schedule.MonthEnd = item.Numbers[2] >= 29 && pick(0, 1) == 0;
        every(RepeatUnit::Months, 6);
        break;
    case 3: // a day of every few years
        item.Numbers[1] = pick(1, 12), item.Numbers[2] = pick(1, 28);
        every(RepeatUnit::Years, 3);
        break;
    case 4: // every day, or some weekdays, of one month in every few weeks, months or years
        item.Numbers[1] = pick(1, 12);
        item.Numbers[2] = pick(0, 1) == 0 ? 0 : 0x80 | pick(1, 0x7F);
        every(std::array{RepeatUnit::Weeks, RepeatUnit::Months, RepeatUnit::Years}[pick(0, 2)], 3);
        break;
    case 5: // weekdays or a day of the month every few days
        item.Numbers[2] = pick(0, 1) == 0 ? 0x80 | pick(1, 0x7F) : pick(1, 28);
        every(RepeatUnit::Days, 9);
        break;
    case 6: // every few days of one year
        item.Numbers[0] = pick(2026, 2028);
        every(RepeatUnit::Days, 5);
        break;
    case 7: // warnings and bounds alone
        item.Numbers[1] = pick(0, 12), item.Numbers[2] = pick(1, 28);
        break;
    case 8: // a condition: official workdays, or odd weeks
        item.Message = pick(0, 1) == 0 ? "$gzr$上班" : "$mwd$单周";
        break;
    case 9: // a day of the month every few weeks: no rule can say it
        item.Numbers[2] = pick(1, 28);
        every(RepeatUnit::Weeks, 3);
        break;
    case 10: // lunar, every few months
        item.Numbers[7] = 1, item.Numbers[2] = pick(1, 30);
        every(RepeatUnit::Months, 4);
        break;
    case 11: // lunar, every few years, a leap month too
        item.Numbers[7] = 1, item.Numbers[1] = pick(1, 12), item.Numbers[2] = pick(1, 30);
        item.Numbers[8] = pick(0, 3) == 0 ? 1 : 0;
        every(RepeatUnit::Years, 3);
        break;
    case 12: // lunar every few days or weeks: a list of dates
        item.Numbers[7] = 1, item.Numbers[2] = pick(0, 1) == 0 ? 0 : pick(1, 30);
        every(pick(0, 1) == 0 ? RepeatUnit::Days : RepeatUnit::Weeks, 5);
        break;
    case 13: // the hourly methods
        item.Numbers[2] = pick(1, 28);
        item.Numbers[6] = pick(1, 3);
        every(RepeatUnit::Days, 4);
        break;
    default: // a reminder that shows no window
        item.Message = "NOTSHOWREMINDBOX";
        item.Command = "uhttps://example.org/";
        break;
    }
    if (schedule.Every == RepeatUnit::None) {
        schedule.EveryCount = 1;
    }
    if (schedule.Every != RepeatUnit::None || pick(0, 2) == 0) {
        schedule.StartDate = StoredDateOf(EncodeDate(2025, 1, 1) + pick(0, 900));
    }
    if (pick(0, 2) == 0) {
        const TDateTime from = schedule.StartDate != 0 ? DateOfStored(schedule.StartDate) : ExportMoment;
        schedule.EndDate = StoredDateOf(DateOf(from) + pick(20, 900));
    }
    if (schedule.StartDate != 0 && pick(0, 2) == 0) {
        schedule.EndCount = pick(1, 40);
    }
    if (pick(0, 3) != 0) {
        std::vector<TLeadTime> warnings;
        for (int k = pick(1, pick(0, 5) == 0 ? 12 : 3); k > 0; --k) {
            const LeadUnit unit =
                std::array{LeadUnit::Minutes, LeadUnit::Hours, LeadUnit::Days, LeadUnit::Weeks}[pick(0, 3)];
            const int most = unit == LeadUnit::Minutes ? 59
                             : unit == LeadUnit::Hours ? 23
                             : unit == LeadUnit::Days  ? 60
                                                       : 8;
            warnings.push_back({pick(1, most), unit});
        }
        schedule.Warnings = OrderedWarnings(warnings);
    }
    item.Numbers[5] = pick(0, 2) == 0 ? pick(1, 30) : 0;
    return item;
}

std::vector<TExchangeItem> RandomItems(std::uint32_t seed, int count, bool otherReaders) {
    std::mt19937 random(seed);
    std::vector<TExchangeItem> items;
    for (int kind = 0; kind < count; ++kind) {
        items.push_back(RandomScheduled(random, kind, otherReaders));
    }
    return items;
}

TEST(IcsSchedule, OwnEventsWithWarningsAndIntervalsComeBackExactlyAndUnedited) {
    const std::vector<TExchangeItem> items = RandomItems(20261210, 300, false);
    for (const bool lunarRules : {false, true}) {
        for (const char* zone : {"Asia/Shanghai", "UTC", ""}) {
            TIcsExportOptions options = ExportOptions(lunarRules);
            options.TimeZone = zone;
            const TIcsImportFile back = Read(IcsFileBytes(items, options));
            ASSERT_TRUE(back.Refusal.empty()) << back.Refusal;
            ASSERT_EQ(back.Items.size(), items.size());
            for (std::size_t k = 0; k < items.size(); ++k) {
                EXPECT_EQ(back.Items[k], items[k]) << "reminder " << k << " in zone '" << zone << "'";
            }
            EXPECT_TRUE(back.EditedElsewhere.empty()) << back.EditedElsewhere.front();
            EXPECT_TRUE(back.Notes.empty()) << back.Notes.front();
        }
    }
}

TEST(IcsSchedule, IntervalsAndEndsGoOutAsRulesAndWarningsAsAlarms) {
    TExchangeItem biweekly = DatedItem(0, 0, 0x80 | 0x01 | 0x04, 9, 30, "双周例会");
    biweekly.Uid = "biweekly";
    biweekly.Numbers[5] = 10;
    biweekly.Schedule = {{{3, LeadUnit::Days}, {30, LeadUnit::Minutes}, {10, LeadUnit::Minutes}},
                         RepeatUnit::Weeks,
                         2,
                         20261207,
                         20270630,
                         0};
    TExchangeItem counted = DatedItem(0, 0, 15, 8, 0, "每两个月");
    counted.Uid = "counted";
    counted.Schedule = {{}, RepeatUnit::Months, 2, 20260101, 0, 10};
    const std::string text = Unfolded(IcsFileBytes({biweekly, counted}, ExportOptions()));
    // WKST=MO is RFC 5545's own default week start, which libical leaves out.
    EXPECT_THAT(text, HasSubstr("DTSTART;TZID=Asia/Shanghai:20261221T093000\r\n"
                                "RRULE:FREQ=WEEKLY;UNTIL=20270630T155900Z;INTERVAL=2;BYDAY=MO,WE\r\n"));
    EXPECT_THAT(text, HasSubstr("TRIGGER:-P3D\r\n"));
    EXPECT_THAT(text, HasSubstr("TRIGGER:-PT30M\r\n"));
    EXPECT_EQ(std::regex_search(text, std::regex("TRIGGER:-PT10M[^]*TRIGGER:-PT10M")), false)
        << "a warning on the early minute is that minute's alarm";
    // Blanks between the warnings, which a server that cuts an X- property at its first comma keeps; commas read.
    EXPECT_THAT(text, HasSubstr("X-CHIMEWELL-WARNINGS:3d 30m 10m\r\n"));
    const TIcsImportFile commas = Read(Replaced(text, "3d 30m 10m", "3d,30m,10m"));
    ASSERT_EQ(commas.Items.size(), 2U);
    EXPECT_EQ(commas.Items[0].Schedule.Warnings, biweekly.Schedule.Warnings);
    // COUNT counts from the first of the days, though it lies before the export.
    EXPECT_THAT(text, HasSubstr("DTSTART;TZID=Asia/Shanghai:20260115T080000\r\n"
                                "RRULE:FREQ=MONTHLY;COUNT=10;INTERVAL=2;BYMONTHDAY=15\r\n"));

    // A count cut short by the end date ends with the date.
    counted.Schedule.EndDate = 20260630;
    EXPECT_THAT(Unfolded(IcsFileBytes({counted}, ExportOptions())),
                HasSubstr("RRULE:FREQ=MONTHLY;UNTIL=20260630T155900Z;INTERVAL=2;BYMONTHDAY=15\r\n"));

    // Lunar months go out as RFC 7529 rules with their interval where asked; lunar weeks only as their dates.
    TExchangeItem lunar = DatedItem(0, 0, 1, 7, 0, "隔月初一");
    lunar.Numbers[7] = 1;
    lunar.Schedule = {{}, RepeatUnit::Months, 2, 20261209, 0, 0};
    EXPECT_THAT(Unfolded(IcsFileBytes({lunar}, ExportOptions(true))),
                HasSubstr("RRULE:RSCALE=CHINESE;FREQ=MONTHLY;INTERVAL=2;BYMONTHDAY=1\r\n"));
    lunar.Schedule.Every = RepeatUnit::Weeks;
    const std::string weeks = Unfolded(IcsFileBytes({lunar}, ExportOptions(true)));
    EXPECT_THAT(weeks, Not(HasSubstr("RRULE")));
    const TRmMainDate record = RecordOf(lunar);
    const std::vector<TDateTime> dates =
        NextFirings(record, ExportMoment, ExportMoment + IcsListDays(2), 100, false).Minutes;
    ASSERT_GE(dates.size(), 2U);
    std::size_t listed = 0;
    for (std::size_t at = weeks.find("\r\nRDATE"); at != std::string::npos; at = weeks.find("\r\nRDATE", at + 1)) {
        ++listed;
    }
    EXPECT_EQ(listed + 1, dates.size()) << "the engine's dates: the start and the others";

    // The full hours of an hourly reminder are occurrences no warning warns of: its warnings stay in the X- keys.
    TExchangeItem hourly = DatedItem(0, 0, 0, 9, 0, "整点");
    hourly.Numbers[6] = RemindHourly;
    hourly.Schedule.Warnings = {{1, LeadUnit::Days}};
    const std::string hours = Unfolded(IcsFileBytes({hourly}, ExportOptions()));
    EXPECT_THAT(hours, Not(HasSubstr("TRIGGER:-P1D")));
    EXPECT_THAT(hours, HasSubstr("X-CHIMEWELL-WARNINGS:1d\r\n"));
}

TEST(IcsSchedule, OtherProgramsRulesWithIntervalCountAndUntilBecomeOneReminder) {
    const TIcsImportFile file = Read(Calendar(
        // Every other Friday.
        "BEGIN:VEVENT\nUID:fri\nDTSTART:20261211T180000\nRRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=FR\nSUMMARY:双周五\n"
        "END:VEVENT\n"
        // Every third day, five times.
        "BEGIN:VEVENT\nUID:pills\nDTSTART:20261220T080000\nRRULE:FREQ=DAILY;INTERVAL=3;COUNT=5\nSUMMARY:吃药\n"
        "END:VEVENT\n"
        // The 15th of every other month until an UNTIL at midnight UTC, before the day's 9:00.
        "BEGIN:VEVENT\nUID:rent\nDTSTART:20270115T090000\n"
        "RRULE:FREQ=MONTHLY;INTERVAL=2;BYMONTHDAY=15;UNTIL=20270915T000000Z\nSUMMARY:隔月交费\nEND:VEVENT\n"
        // Every other year.
        "BEGIN:VEVENT\nUID:check\nDTSTART;VALUE=DATE:20270301\nRRULE:FREQ=YEARLY;INTERVAL=2\nSUMMARY:体检\n"
        "END:VEVENT\n"));
    ASSERT_EQ(file.Items.size(), 4U) << (file.Notes.empty() ? "" : file.Notes.front());
    EXPECT_TRUE(file.Notes.empty());
    const TExchangeItem& friday = file.Items[0];
    EXPECT_EQ(friday.Numbers[2], 0x80 | 0x10);
    EXPECT_EQ(friday.Schedule, (TRmSchedule{{}, RepeatUnit::Weeks, 2, 20261211, 0, 0}));
    EXPECT_EQ(file.Items[1].Schedule, (TRmSchedule{{}, RepeatUnit::Days, 3, 20261220, 0, 5}));
    EXPECT_EQ(file.Items[2].Numbers[2], 15);
    EXPECT_EQ(file.Items[2].Schedule, (TRmSchedule{{}, RepeatUnit::Months, 2, 20270115, 20270914, 0}));
    EXPECT_EQ(file.Items[3].Schedule, (TRmSchedule{{}, RepeatUnit::Years, 2, 20270301, 0, 0}));
    const std::vector<TDateTime> pills =
        NextFirings(RecordOf(file.Items[1]), ExportMoment, ExportMoment + 400, 100, false).Minutes;
    EXPECT_EQ(pills, (std::vector<TDateTime>{EncodeDateTime(2026, 12, 20, 8, 0), EncodeDateTime(2026, 12, 23, 8, 0),
                                             EncodeDateTime(2026, 12, 26, 8, 0), EncodeDateTime(2026, 12, 29, 8, 0),
                                             EncodeDateTime(2027, 1, 1, 8, 0)}));

    // Weeks that begin on Sunday count otherwise than the reminder's: Sunday and Monday of every other such week
    // are no reminder's days, and come in as their dates, Monday the 14th among them.
    const TIcsImportFile sunday = Read(Calendar("BEGIN:VEVENT\nUID:s\nDTSTART:20261213T090000\n"
                                                "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=SU,MO;WKST=SU\nSUMMARY:周末\n"
                                                "END:VEVENT\n"));
    ASSERT_GT(sunday.Items.size(), 2U);
    EXPECT_EQ(sunday.Items[1].Numbers[2], 14);
    EXPECT_EQ(sunday.Items[1].Schedule, TRmSchedule{});

    // COUNT counts a start that is none of the rule's days; a reminder would not.
    const TIcsImportFile odd = Read(Calendar("BEGIN:VEVENT\nUID:o\nDTSTART:20261215T090000\n"
                                             "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=FR;COUNT=3\nSUMMARY:x\nEND:VEVENT\n"));
    ASSERT_GE(odd.Items.size(), 3U);
    EXPECT_EQ(odd.Items[0].Numbers[2], 15);
    EXPECT_EQ(odd.Items[0].Schedule, TRmSchedule{});
}

TEST(IcsSchedule, SeveralAlarmsOfAnotherProgramBecomeOneReminderWithWarnings) {
    const TIcsImportFile file =
        Read(Calendar("BEGIN:VEVENT\nUID:trip\nDTSTART:20270201T083000\nSUMMARY:出差\n" + Alarm("-P1W") +
                      Alarm("-P1D") + Alarm("PT0S") + Alarm("-PT20M") + "END:VEVENT\n"));
    ASSERT_EQ(file.Items.size(), 1U);
    EXPECT_EQ(file.Items[0].Numbers[5], 20);
    EXPECT_EQ(LeadMinutes(file.Items[0].Schedule.Warnings), (std::vector<std::int32_t>{7 * 1440, 1440}));
    EXPECT_EQ(file.Items[0].Uid, "trip");

    // Twelve alarms: the ten nearest the start are kept, and the file says so. One of 90 days is no warning.
    std::string many;
    for (int hours = 1; hours <= 12; ++hours) {
        many += Alarm("-PT" + std::to_string(hours) + "H");
    }
    const TIcsImportFile crowded = Read(Calendar("BEGIN:VEVENT\nUID:c\nDTSTART:20270601T083000\nSUMMARY:多\n" + many +
                                                 Alarm("-P90D") + "END:VEVENT\n"));
    ASSERT_EQ(crowded.Items.size(), 2U);
    const std::vector<std::int32_t> kept = LeadMinutes(crowded.Items[0].Schedule.Warnings);
    EXPECT_EQ(kept.size(), 10U);
    EXPECT_EQ(kept.front(), 10 * 60);
    EXPECT_EQ(kept.back(), 60);
    EXPECT_EQ(crowded.Items[1].Numbers[1], 3) << "90 days before 2027-06-01";
    EXPECT_EQ(crowded.Items[1].Numbers[2], 3);
    EXPECT_EQ(crowded.Notes.size(), 2U);
}

std::string Exported(const TExchangeItem& item) {
    return Unfolded(IcsFileBytes({item}, ExportOptions()));
}

TEST(IcsSchedule, AlarmsAndIntervalsChangedInAnotherCalendarAreTakenIn) {
    TExchangeItem meeting = DatedItem(0, 0, 0x80 | 0x01, 9, 30, "双周例会");
    meeting.Uid = "3f2a9c1e-0b7d-4c55-9a61-2d4e8f0a1b2c";
    meeting.Numbers[5] = 10;
    meeting.Schedule = {{{1, LeadUnit::Days}, {2, LeadUnit::Hours}}, RepeatUnit::Weeks, 2, 20261207, 0, 0};
    const std::string exported = Exported(meeting);

    // A warning's alarm taken out, another added; the early minute stays with its alarm.
    const TIcsImportFile alarms =
        Read(Replaced(Replaced(exported, "TRIGGER:-PT2H", "TRIGGER:-PT45M"), "TRIGGER:-P1D", "TRIGGER:-P2D"));
    ASSERT_EQ(alarms.Items.size(), 1U);
    TExchangeItem expected = meeting;
    expected.Schedule.Warnings = {{2, LeadUnit::Days}, {45, LeadUnit::Minutes}};
    EXPECT_EQ(alarms.Items[0], expected);
    EXPECT_EQ(alarms.EditedElsewhere, std::vector<std::string>{meeting.Uid});

    // The early minute's alarm moved to twenty minutes.
    const TIcsImportFile early = Read(Replaced(exported, "TRIGGER:-PT10M", "TRIGGER:-PT20M"));
    ASSERT_EQ(early.Items.size(), 1U);
    EXPECT_EQ(early.Items[0].Numbers[5], 20);
    EXPECT_EQ(early.Items[0].Schedule.Warnings, meeting.Schedule.Warnings);

    // Every third week now, and on Tuesdays too: the days come from the rule, the warnings stay.
    const TIcsImportFile interval = Read(Replaced(exported, "INTERVAL=2;BYDAY=MO", "INTERVAL=3;BYDAY=MO,TU"));
    ASSERT_EQ(interval.Items.size(), 1U);
    expected = meeting;
    expected.Numbers[2] = 0x80 | 0x01 | 0x02;
    expected.Schedule.EveryCount = 3;
    expected.Schedule.StartDate = 20261221; // the event's start
    EXPECT_EQ(interval.Items[0], expected);
    EXPECT_EQ(interval.EditedElsewhere, std::vector<std::string>{meeting.Uid});
}

// The engine's firings of each event, as the check script reads them.
std::string ExpectedFirings(const std::vector<TExchangeItem>& items, TDateTime until) {
    std::string text;
    for (const TExchangeItem& item : items) {
        text += item.Uid;
        for (const TDateTime minute : NextFirings(RecordOf(item), ExportMoment, until, 100000, false).Minutes) {
            text += "\t" + FormatMinute(minute);
        }
        text += "\n";
    }
    return text;
}

TEST(IcsSchedule, AnotherReaderExpandsTheEventsToTheEnginesFirings) {
    const testing::TempFolder folder;
    const std::vector<TExchangeItem> items = RandomItems(20261211, 300, true);
    const TDateTime until = ExportMoment + 2 * 365;
    const std::string calendar = IcsFileBytes(items, ExportOptions(false, 3));
    // Rules of every kind are among them, not only lists of dates.
    for (const char* part : {";INTERVAL=", ";COUNT=", ";UNTIL=", "BYDAY=", "RDATE", "TRIGGER:-P"}) {
        EXPECT_NE(calendar.find(part), std::string::npos) << part;
    }
    testing::WriteBytes(folder.File("schedule.ics"), calendar);
    testing::WriteBytes(folder.File("expected.txt"), ExpectedFirings(items, until));
    const std::string command = "/usr/bin/python3 '" CHIMEWELL_ICS_SCHEDULE_CHECK "' '" + folder.File("schedule.ics") +
                                "' '" + folder.File("expected.txt") + "' '" + FormatMinute(ExportMoment) + "' '" +
                                FormatMinute(until) + "' > '" + folder.File("out.txt") + "' 2>&1";
    const int status = std::system(command.c_str());
    const std::string out = testing::ReadBytes(folder.File("out.txt"));
    EXPECT_EQ(status, 0) << out;
    EXPECT_THAT(out, HasSubstr("300 events, 0 differ"));
}

// Texts go out with their commas and percent signs coded, so that a server reading X- values as lists keeps them
// whole; an older export without the marker is read as it was written.
TEST(IcsCarriedTexts, CommasTravelCodedAndOlderExportsReadAsWritten) {
    TRmMainDate record;
    record.Hour = 8;
    record.Message = "买牛奶,面包 100%";
    const std::string text = IcsFileBytes({ItemOfRecord(record)}, ExportOptions());
    const std::string unfolded = Unfolded(text);
    EXPECT_NE(unfolded.find("X-CHIMEWELL-TEXTS:PERCENT"), std::string::npos);
    EXPECT_NE(unfolded.find("X-CHIMEWELL-MESSAGE:买牛奶%2C面包 100%25"), std::string::npos) << unfolded;
    const TIcsImportFile back = Read(text);
    ASSERT_EQ(back.Items.size(), 1U);
    EXPECT_EQ(back.Items[0].Message, record.Message);
    const TIcsImportFile older = Read(Replaced(text, "X-CHIMEWELL-TEXTS:PERCENT\r\n", ""));
    ASSERT_EQ(older.Items.size(), 1U);
    EXPECT_EQ(older.Items[0].Message, "买牛奶%2C面包 100%25");
}

// The last day of each month, from another calendar and back out: day 31 falling on each month's end.
TEST(IcsMonthEnd, TheLastDayOfEachMonthTravelsAsTheRulesMinusOne) {
    const TIcsImportFile file = Read(Calendar("BEGIN:VEVENT\nUID:rent\nDTSTAMP:20261201T000000Z\n"
                                              "DTSTART:20261231T090000\nRRULE:FREQ=MONTHLY;BYMONTHDAY=-1\n"
                                              "SUMMARY:交房租\nEND:VEVENT\n"));
    ASSERT_EQ(file.Items.size(), 1U);
    const TRmMainDate rent = RecordOf(file.Items[0]);
    EXPECT_EQ(rent.Day, 31);
    EXPECT_TRUE(rent.MonthEnd);
    EXPECT_EQ(rent.Every, RepeatUnit::None);
    const std::string out = Unfolded(IcsFileBytes({file.Items[0]}, ExportOptions()));
    EXPECT_NE(out.find("RRULE:FREQ=MONTHLY;BYMONTHDAY=-1"), std::string::npos) << out;
    EXPECT_NE(out.find("X-CHIMEWELL-MONTHEND:1"), std::string::npos);
}

} // namespace
} // namespace chimewell
