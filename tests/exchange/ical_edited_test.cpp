// This program's events as other calendars leave them: what they changed wins, the rest comes from the X- keys;
// titles of other calendars shown as written; hourly reminders as the hours they fire.

#include "calendar/clock.h"
#include "data/ini_file.h"
#include "data/temp_folder.h"
#include "exchange/ical_file.h"
#include "exchange/sample_reminders.h"
#include "runtime/remind_runtime.h"
#include "runtime/remind_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

namespace chimewell {
namespace {

using ::testing::HasSubstr;

const TDateTime ExportMoment = EncodeDateTime(2026, 12, 9, 10, 0);

TExchangeItem Item(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour, std::int32_t minute,
                   const std::string& message) {
    TExchangeItem item;
    item.Numbers = {year, month, day, hour, minute, 0, 0, 0, 0, 0, 0, 0};
    item.Message = message;
    item.Uid = "3f2a9c1e-0b7d-4c55-9a61-2d4e8f0a1b2c";
    return item;
}

TExchangeItem Rent() {
    TExchangeItem rent = Item(0, 3, 15, 9, 30, "交房租 #y年");
    rent.Numbers[5] = 10;
    rent.Music = "/音乐/铃.mp3";
    return rent;
}

TExchangeItem LunarBirthday() {
    TExchangeItem birthday = Item(0, 8, 15, 9, 30, "妈妈生日");
    birthday.Numbers[7] = 1;
    return birthday;
}

std::string Exported(const TExchangeItem& item) {
    TIcsExportOptions options;
    options.From = ExportMoment;
    options.Years = 2;
    options.TimeZone = "Asia/Shanghai";
    std::string text = IcsFileBytes({item}, options);
    // Lines as one, so that the tests can change them as another program would.
    for (std::size_t at = text.find("\r\n "); at != std::string::npos; at = text.find("\r\n ", at)) {
        text.erase(at, 3);
    }
    return text;
}

TIcsImportFile Read(const std::string& text) {
    return ReadIcsText(text, "日历.ics", {ExportMoment, false});
}

std::string Replaced(std::string text, const std::string& pattern, const std::string& with) {
    return std::regex_replace(text, std::regex(pattern), with);
}

// The start's time of day changed, as another calendar moves an event.
std::string StartAt(const std::string& text, const std::string& time) {
    std::smatch start;
    std::regex_search(text, start, std::regex("DTSTART;TZID=Asia/Shanghai:\\d{8}T(\\d{6})"));
    std::string moved = text;
    moved.replace(static_cast<std::size_t>(start.position(1)), 6, time);
    return moved;
}

std::string WithoutLine(const std::string& text, const std::string& name) {
    return Replaced(text, name + "[:;][^\r]*\r\n", "");
}

TEST(IcsEditedElsewhere, WhatAnotherCalendarChangedWinsAndTheRestStays) {
    const std::string exported = Exported(Rent());
    const TIcsImportFile same = Read(exported);
    ASSERT_EQ(same.Items.size(), 1U);
    EXPECT_EQ(same.Items[0], Rent());
    EXPECT_TRUE(same.EditedElsewhere.empty());
    EXPECT_TRUE(same.Notes.empty());

    // The title: taken as written; date, time, early minute and music stay.
    const TIcsImportFile title = Read(Replaced(exported, "SUMMARY:[^\r]*", "SUMMARY:交房租和水电 50%"));
    ASSERT_EQ(title.Items.size(), 1U);
    TExchangeItem expected = Rent();
    expected.Message = "交房租和水电 50%%";
    EXPECT_EQ(title.Items[0], expected);
    EXPECT_EQ(title.EditedElsewhere, std::vector<std::string>{Rent().Uid});
    EXPECT_THAT(title.Notes.at(0), HasSubstr("在别的日历程序里改过"));

    // The time, SEQUENCE and LAST-MODIFIED raised as a client does: the new time, the message's codes kept.
    const std::string moved = Replaced(StartAt(exported, "103000"), "(DTSTAMP:[^\r]*\r\n)",
                                       "$1SEQUENCE:1\r\nLAST-MODIFIED:20261209T030000Z\r\n");
    const TIcsImportFile time = Read(moved);
    ASSERT_EQ(time.Items.size(), 1U);
    expected = Rent();
    expected.Numbers[3] = 10;
    expected.Numbers[4] = 30;
    EXPECT_EQ(time.Items[0], expected);

    // Another day of the year, and an alarm moved from ten minutes to twenty.
    const TIcsImportFile day = Read(
        Replaced(Replaced(exported, "BYMONTHDAY=15", "BYMONTHDAY=16"), "Shanghai:20270315T", "Shanghai:20270316T"));
    ASSERT_EQ(day.Items.size(), 1U);
    EXPECT_EQ(day.Items[0].Numbers[2], 16);
    const TIcsImportFile alarm = Read(Replaced(exported, "TRIGGER:-PT10M", "TRIGGER:-PT20M"));
    ASSERT_EQ(alarm.Items.size(), 1U);
    EXPECT_EQ(alarm.Items[0].Numbers[5], 20);
    EXPECT_EQ(alarm.Items[0].Message, Rent().Message);
}

TEST(IcsEditedElsewhere, AnotherWayOfWritingTheSameEventIsNoEdit) {
    for (const TExchangeItem& item : {Rent(), LunarBirthday()}) {
        const std::string exported = Exported(item);
        // Properties in another order, dates joined on one line, lines not folded.
        std::string rewritten = exported;
        const std::smatch found = [&] {
            std::smatch match;
            std::regex_search(exported, match, std::regex("SUMMARY:[^\r]*\r\n"));
            return match;
        }();
        rewritten = Replaced(rewritten, "SUMMARY:[^\r]*\r\n", "");
        rewritten = Replaced(rewritten, "END:VEVENT", found.str() + "END:VEVENT");
        std::smatch first;
        if (std::regex_search(rewritten, first,
                              std::regex("RDATE;TZID=Asia/Shanghai:(\\d{8}T\\d{6})\r\nRDATE;TZID="
                                         "Asia/Shanghai:(\\d{8}T\\d{6})\r\n"))) {
            rewritten.replace(static_cast<std::size_t>(first.position()), static_cast<std::size_t>(first.length()),
                              "RDATE;TZID=Asia/Shanghai:" + first[1].str() + "," + first[2].str() + "\r\n");
        }
        const TIcsImportFile read = Read(rewritten);
        ASSERT_EQ(read.Items.size(), 1U);
        EXPECT_EQ(read.Items[0], item) << item.Message;
        EXPECT_TRUE(read.EditedElsewhere.empty()) << item.Message;
    }
}

TEST(IcsEditedElsewhere, EventsWrittenBeforeTheDigestsAreComparedWithTheirReminder) {
    for (const TExchangeItem& item : {Rent(), LunarBirthday()}) {
        const std::string old = WithoutLine(Exported(item), "X-CHIMEWELL-WRITTEN");
        const TIcsImportFile same = Read(old);
        ASSERT_EQ(same.Items.size(), 1U);
        EXPECT_EQ(same.Items[0], item);
        EXPECT_TRUE(same.EditedElsewhere.empty()) << item.Message;

        const TIcsImportFile title = Read(Replaced(old, "SUMMARY:[^\r]*", "SUMMARY:改过了"));
        ASSERT_EQ(title.Items.size(), 1U);
        EXPECT_EQ(title.Items[0].Message, "改过了");
        EXPECT_EQ(title.Items[0].Numbers, item.Numbers);
    }
    // A date of a lunar list moved a day: no longer the reminder's days, but the dates the other calendar chose.
    const std::string old = WithoutLine(Exported(LunarBirthday()), "X-CHIMEWELL-WRITTEN");
    std::smatch date;
    ASSERT_TRUE(std::regex_search(old, date, std::regex("RDATE;TZID=Asia/Shanghai:(\\d{8})T")));
    const std::string day = date[1].str();
    std::string shifted = day;
    shifted[7] = static_cast<char>(day[7] == '9' ? '8' : day[7] + 1);
    const TIcsImportFile moved =
        Read(Replaced(old, "RDATE;TZID=Asia/Shanghai:" + day, "RDATE;TZID=Asia/Shanghai:" + shifted));
    ASSERT_FALSE(moved.Items.empty());
    EXPECT_EQ(moved.Items[0].Numbers[7], 0) << "its dates now, no longer a lunar rule";
    EXPECT_THAT(moved.Notes, ::testing::Contains(HasSubstr("在别的日历程序里改过")));
}

TEST(IcsEditedElsewhere, ALunarListWhoseStartMovedKeepsItsLunarRuleAtTheNewTime) {
    const std::string exported = Exported(LunarBirthday());
    const TIcsImportFile read = Read(StartAt(exported, "190000"));
    ASSERT_EQ(read.Items.size(), 1U);
    TExchangeItem expected = LunarBirthday();
    expected.Numbers[3] = 19;
    expected.Numbers[4] = 0;
    EXPECT_EQ(read.Items[0], expected);

    // Dates another calendar chose that no lunar reminder has: what it made of them, the text kept.
    const std::string once = Replaced(WithoutLine(exported, "RDATE"), "SUMMARY:[^\r]*", "SUMMARY:妈妈生日");
    const TIcsImportFile single = Read(once);
    ASSERT_EQ(single.Items.size(), 1U);
    EXPECT_EQ(single.Items[0].Numbers[7], 0) << "one Gregorian date now";
    EXPECT_EQ(single.Items[0].Message, "妈妈生日");
}

TEST(IcsHourly, TheFullHoursGoOutAsARuleAndComeBackAsTheHourlyMethod) {
    TExchangeItem hourly = Item(0, 3, 15, 9, 0, "整点报时");
    hourly.Numbers[6] = RemindHourly;
    const std::string text = Exported(hourly);
    EXPECT_THAT(text, HasSubstr("RRULE:FREQ=HOURLY;BYMINUTE=0;BYMONTHDAY=15;BYMONTH=3"));
    EXPECT_EQ(Read(text).Items.at(0), hourly);

    // Read as another calendar's event, without the X- keys: the same firings.
    std::string foreign = text;
    while (foreign.find("X-CHIMEWELL-") != std::string::npos) {
        foreign = WithoutLine(foreign, "X-CHIMEWELL-[A-Z]+");
    }
    const TIcsImportFile read = Read(foreign);
    ASSERT_EQ(read.Items.size(), 1U);
    EXPECT_EQ(read.Items[0].Numbers[6], RemindHourly);
    const TDateTime until = ExportMoment + 800;
    EXPECT_EQ(ReminderEventMinutes(RecordOf(read.Items[0]), ExportMoment, until, 5000, false),
              ReminderEventMinutes(RecordOf(hourly), ExportMoment, until, 5000, false));

    // A set minute that is no full hour goes beside the rule, and back.
    hourly.Numbers[4] = 30;
    std::string half = Exported(hourly);
    EXPECT_THAT(half, HasSubstr("RDATE;TZID=Asia/Shanghai:20270315T093000"));
    while (half.find("X-CHIMEWELL-") != std::string::npos) {
        half = WithoutLine(half, "X-CHIMEWELL-[A-Z]+");
    }
    const TIcsImportFile back = Read(half);
    ASSERT_EQ(back.Items.size(), 1U);
    EXPECT_EQ(back.Items[0].Numbers[6], RemindHourly);
    EXPECT_EQ((std::array<int, 2>{back.Items[0].Numbers[3], back.Items[0].Numbers[4]}), (std::array<int, 2>{9, 30}));
}

TEST(IcsWorkdays, OfficialWorkdaysGoOutAsTheirWeekdaysWithTheScheduleAsExceptions) {
    TExchangeItem work = Item(0, 0, 0, 8, 30, "$gzr$上班打卡");
    TIcsExportOptions options;
    options.From = EncodeDateTime(2026, 9, 1, 0, 0);
    options.Years = 1;
    options.TimeZone = "Asia/Shanghai";
    const std::string text = IcsFileBytes({work}, options);
    EXPECT_THAT(text, HasSubstr("RRULE:FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR"));
    // The holidays on weekdays are exceptions, the weekend days worked extra dates.
    EXPECT_THAT(text, HasSubstr("EXDATE;TZID=Asia/Shanghai:20261001T083000"));
    EXPECT_THAT(text, HasSubstr("EXDATE;TZID=Asia/Shanghai:20260925T083000"));
    EXPECT_THAT(text, HasSubstr("RDATE;TZID=Asia/Shanghai:20261010T083000"));
    EXPECT_THAT(text, HasSubstr("RDATE;TZID=Asia/Shanghai:20260920T083000"));
    const TIcsImportFile back = ReadIcsText(text, "日历.ics", {options.From, false});
    ASSERT_EQ(back.Items.size(), 1U);
    EXPECT_EQ(back.Items[0], work);
}

TEST(IcsTitles, AnotherCalendarsTitleShowsAsWrittenAndIsCutOnce) {
    for (const std::string title : {"Standup in #dev channel", "Sale 50%off for %username", "$mw9$Board meeting",
                                    "$xxr$Pay rent", "trailing #", "%"}) {
        const TIcsImportFile read =
            Read("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:t\r\nDTSTART:20270301T100000\r\n"
                 "SUMMARY:" +
                 title + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
        ASSERT_EQ(read.Items.size(), 1U) << title;
        const TRemindTextResult shown = PrepareRemindText(read.Items[0].Message, ExportMoment, false);
        EXPECT_EQ(shown.Shown, title);
        EXPECT_FALSE(shown.HasCondition) << title;
    }
    // Longer than a data file keeps: cut once, said once, never inside a doubled mark.
    const std::string title = std::string(2046, 'a') + "%b" + std::string(1000, 'c');
    const TIcsImportFile read =
        Read("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:t\r\nDTSTART:20270301T100000\r\n"
             "SUMMARY:" +
             title + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    ASSERT_EQ(read.Items.size(), 1U);
    EXPECT_EQ(read.Items[0].Message, std::string(2046, 'a'));
    EXPECT_THAT(read.Notes.at(0), HasSubstr("只取了前 2047 个字"));
}

// Tried: imported into the list and fired, "#dev" showed as the day, "%u" as the user, and the two titles that
// begin with "$" were taken as conditions and never fired. Here the whole way: the import command writes the data
// file, and each reminder is fired at its minute as the running program (and `due`) fires it.
TEST(IcsTitles, ImportedTitlesFireOnTheirDaysShowingWhatWasWritten) {
    testing::TempFolder folder;
    TRmConfig config;
    config.InitDefaults(folder.Folder(), 265, 202, 429, 279);
    testing::WriteBytes(config.DataFilePath(), "[Main]\r\nItems=0\r\n");
    // One a day from Monday 1 March 2027: "$xxr$" falls on a Thursday, a workday, where it would not hold.
    const std::vector<std::string> titles = {"Standup in #dev channel", "Sale 50%off for %username",
                                             "$mw9$Board meeting", "$xxr$Pay rent"};
    std::string events;
    for (std::size_t k = 0; k < titles.size(); ++k) {
        events += "BEGIN:VEVENT\r\nUID:title-" + std::to_string(k) + "\r\nDTSTART:2027030" + std::to_string(k + 1) +
                  "T100000\r\nSUMMARY:" + titles[k] + "\r\nEND:VEVENT\r\n";
    }
    testing::WriteBytes(folder.File("other.ics"),
                        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\n" + events + "END:VCALENDAR\r\n");
    // This program's own event keeps its codes.
    testing::WriteBytes(folder.File("own.ics"), Exported(Item(0, 3, 15, 9, 30, "交房租 #y年，#m月")));
    std::string summary;
    ASSERT_TRUE(ImportIcsReminders(config.DataFilePath(), folder.File("other.ics"), {ExportMoment, false}, summary));
    ASSERT_TRUE(ImportIcsReminders(config.DataFilePath(), folder.File("own.ics"), {ExportMoment, false}, summary));

    const TRmDataList list = testing::LoadedList(config.DataFilePath());
    ASSERT_EQ(list.Count, 5);
    const auto fired = [&](TDateTime moment) {
        std::vector<std::pair<std::int32_t, FiringPlan>> plans;
        for (const QueuedReminder& queued :
             MinutePasses(list, moment, DecodeTime(moment).Minute == 0, config.BeginWithSunday)) {
            plans.emplace_back(queued.Position, PlanFiring(list.Item(queued.Position), config, moment, queued.Lead));
        }
        return plans;
    };
    for (std::int32_t k = 0; k < 4; ++k) {
        const auto plans = fired(EncodeDateTime(2027, 3, k + 1, 10, 0));
        ASSERT_EQ(plans.size(), 1U) << titles[k];
        EXPECT_EQ(plans[0].first, k);
        EXPECT_EQ(plans[0].second.Action, FiringAction::Show) << titles[k];
        EXPECT_EQ(plans[0].second.Presentation.Text, titles[k]);
    }
    const auto rent = fired(EncodeDateTime(2027, 3, 15, 9, 30));
    ASSERT_EQ(rent.size(), 1U);
    EXPECT_EQ(rent[0].first, 4);
    EXPECT_EQ(rent[0].second.Presentation.Text, "交房租 2027年，03月");
}

} // namespace
} // namespace chimewell
