// The warnings, intervals and ends of reminders, stated day by day and compared with what the engine and the tick
// find: no stepping by months or years, no shortcuts; only the tick's own test of a date, a plain walk over the
// days from the start, and counts kept as the days go by.

#include "calendar/datetime.h"
#include "calendar/lunar.h"
#include "data/reminder_list.h"
#include "data/reminder_schedule.h"
#include "runtime/next_firing.h"
#include "runtime/remind_runtime.h"
#include "runtime/remind_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace chimewell {
namespace {

constexpr std::int64_t MinutesPerDay = 1440;

std::int64_t DayOf(int year, int month, int day) {
    return SerialDay(EncodeDate(year, month, day));
}

TDateTime MomentOf(std::int64_t day, std::int64_t minuteOfDay) {
    return static_cast<TDateTime>(day) + (static_cast<double>(minuteOfDay) * 60000.0) / 86400000.0;
}

std::int64_t MinuteNumberOf(TDateTime moment) {
    const TimeFields time = DecodeTime(moment + 0.5 / 86400.0);
    return SerialDay(moment + 0.5 / 86400.0) * MinutesPerDay + time.Hour * 60 + time.Minute;
}

struct OracleFiring {
    std::int64_t Minute;
    std::int32_t Lead;
    friend bool operator==(const OracleFiring&, const OracleFiring&) = default;
};

// The firings of a reminder from its walk over every day from `first` to `last` (days), those strictly after
// afterMinute and no later than untilMinute kept.
std::vector<OracleFiring> Oracle(const TRmMainDate& record, std::int64_t first, std::int64_t last,
                                 std::int64_t afterMinute, std::int64_t untilMinute) {
    const std::int64_t start = record.StartDate != 0 ? SerialDay(DateOfStored(record.StartDate)) : first;
    const std::int64_t end = record.EndDate != 0 ? SerialDay(DateOfStored(record.EndDate)) : last;
    const bool interval = record.HasInterval();
    // Periods gone by since the start, counted as the days pass.
    std::int64_t periods = 0;
    int fired = 0;
    std::map<std::int64_t, std::int32_t> firings; // minute -> lead, the smallest lead kept
    const auto note = [&](std::int64_t minute, std::int32_t lead) {
        const auto found = firings.find(minute);
        if (found == firings.end() || lead < found->second) {
            firings[minute] = lead;
        }
    };
    const std::int64_t set = std::int64_t{record.Hour} * 60 + record.Minuter;
    for (std::int64_t day = std::min(start, first); day <= last; ++day) {
        if (day > start && interval) {
            const DateFields date = DecodeDate(static_cast<TDateTime>(day));
            switch (record.Every) {
            case RepeatUnit::Days:
                ++periods;
                break;
            case RepeatUnit::Weeks:
                periods += DayOfWeek(static_cast<TDateTime>(day)) == 2 ? 1 : 0; // a Monday begins a week
                break;
            case RepeatUnit::Months:
                if (record.IsLunar) {
                    periods += SolarToLunar(static_cast<TDateTime>(day)).Day == 1 ? 1 : 0;
                } else {
                    periods += date.Day == 1 ? 1 : 0;
                }
                break;
            case RepeatUnit::Years:
                if (record.IsLunar) {
                    const LunarDate lunar = SolarToLunar(static_cast<TDateTime>(day));
                    periods += lunar.Day == 1 && lunar.Month == 1 && !lunar.IsLeapMonth ? 1 : 0;
                } else {
                    periods += date.Day == 1 && date.Month == 1 ? 1 : 0;
                }
                break;
            case RepeatUnit::None:
                break;
            }
        }
        if (day < start || day > end) {
            continue;
        }
        if (interval && periods % record.EveryCount != 0) {
            continue;
        }
        // The tick's own test of the day, at noon: the date fields alone. A month-end reminder's day 29..31 is, in a
        // shorter month, that month's last day.
        TRmMainDate plain = record;
        plain.MonthEnd = false;
        const DateFields today = DecodeDate(static_cast<TDateTime>(day));
        const bool lastDayOfMonth = DecodeDate(static_cast<TDateTime>(day + 1)).Day == 1;
        if (record.MonthEnd && !record.IsLunar && record.Day >= 29 && record.Day <= 31 && lastDayOfMonth &&
            today.Day < record.Day) {
            plain.Day = today.Day;
        }
        if (!plain.IsDueTodayAt(MomentOf(day, 720))) {
            continue;
        }
        ++fired;
        if (record.EndCount > 0 && fired > record.EndCount) {
            break;
        }
        const bool valid = record.Hour >= 0 && record.Hour < 24 && record.Minuter >= 0 && record.Minuter < 60;
        if (!valid) {
            continue;
        }
        if (HasWeekCondition(record.Message) && !WeekConditionHoldsAt(record.Message, MomentOf(day, set), false)) {
            continue;
        }
        if (record.Forward > 0 && set - record.Forward >= 0) {
            note(day * MinutesPerDay + set - record.Forward, 0);
        }
        note(day * MinutesPerDay + set, 0);
        for (const TLeadTime& warning : record.Warnings) {
            note(day * MinutesPerDay + set - warning.Minutes(), warning.Minutes());
        }
    }
    std::vector<OracleFiring> result;
    for (const auto& [minute, lead] : firings) {
        if (minute > afterMinute && minute <= untilMinute) {
            result.push_back({minute, lead});
        }
    }
    return result;
}

std::int32_t RandomDate(std::mt19937& random, int fromYear, int toYear) {
    for (;;) {
        const int year = std::uniform_int_distribution(fromYear, toYear)(random);
        const int month = std::uniform_int_distribution(1, 12)(random);
        const int day = std::uniform_int_distribution(1, 31)(random);
        if (IsValidGregorianDate(year, month, day)) {
            return year * 10000 + month * 100 + day;
        }
    }
}

TRmMainDate RandomReminder(std::mt19937& random) {
    const auto pick = [&random](int from, int to) { return std::uniform_int_distribution(from, to)(random); };
    TRmMainDate record;
    record.IsLunar = pick(0, 2) == 0;
    record.Hour = pick(0, 23);
    record.Minuter = pick(0, 59);
    record.Forward = pick(0, 2) == 0 ? pick(1, 30) : 0;
    record.Message = pick(0, 9) == 0 ? "$mw1$第一周" : "提醒";
    if (record.IsLunar) {
        record.Year = pick(0, 4) == 0 ? pick(2026, 2028) : 0;
        if (pick(0, 9) == 0) {
            record.Month = SolarTermMonth;
            record.Day = pick(0, 23);
        } else {
            record.Month = pick(0, 12);
            record.IsLeapMonth = record.Month != 0 && pick(0, 5) == 0;
            // Day 30 and the leap months are where the rules are finest.
            record.Day = pick(0, 3) == 0 ? 30 : pick(1, 30);
        }
    } else {
        record.Year = pick(0, 4) == 0 ? pick(2026, 2028) : 0;
        record.Month = pick(0, 2) == 0 ? pick(1, 12) : 0;
        switch (pick(0, 3)) {
        case 0:
            record.Day = 0;
            break;
        case 1:
            record.Day = WeekdayMask | pick(1, 0x7F);
            break;
        default:
            record.Day = pick(0, 3) == 0 ? pick(28, 31) : pick(1, 31);
            record.MonthEnd = record.Day >= 29 && pick(0, 1) == 0;
        }
    }
    const int warnings = pick(0, 3);
    constexpr LeadUnit Units[] = {LeadUnit::Minutes, LeadUnit::Hours, LeadUnit::Days, LeadUnit::Weeks};
    constexpr int Most[] = {600, 72, 60, 8};
    for (int i = 0; i < warnings; ++i) {
        const int unit = pick(0, 3);
        record.Warnings.push_back({pick(1, Most[unit]), Units[unit]});
    }
    record.Warnings = OrderedWarnings(record.Warnings);
    if (pick(0, 3) != 0) {
        constexpr RepeatUnit Solar[] = {RepeatUnit::Days, RepeatUnit::Weeks, RepeatUnit::Months, RepeatUnit::Years};
        constexpr RepeatUnit Lunar[] = {RepeatUnit::Months, RepeatUnit::Years};
        record.Every = record.IsLunar ? Lunar[pick(0, 1)] : Solar[pick(0, 3)];
        record.EveryCount = pick(1, record.Every == RepeatUnit::Days ? 10 : 4);
        record.StartDate = RandomDate(random, 2025, 2027);
    } else if (pick(0, 2) == 0) {
        record.StartDate = RandomDate(random, 2025, 2027);
    }
    if (pick(0, 3) == 0) {
        record.EndDate = RandomDate(random, 2026, 2029);
    }
    if (record.StartDate != 0 && pick(0, 3) == 0) {
        record.EndCount = pick(1, 40);
    }
    return record;
}

std::string Describe(const TRmMainDate& r) {
    return std::string(r.IsLunar ? "lunar " : "solar ") + std::to_string(r.Year) + "-" + std::to_string(r.Month) + "-" +
           std::to_string(r.Day) + (r.IsLeapMonth ? " leap" : "") + " " + std::to_string(r.Hour) + ":" +
           std::to_string(r.Minuter) + " fwd " + std::to_string(r.Forward) + " warn " + FormatWarnings(r.Warnings) +
           " every " + FormatInterval(r.Every, r.EveryCount) + " from " + std::to_string(r.StartDate) + " to " +
           std::to_string(r.EndDate) + " count " + std::to_string(r.EndCount) + (r.MonthEnd ? " month-end " : " ") +
           r.Message;
}

TEST(ScheduleOracle, NextAgreesWithTheDayByDayRulesForRandomReminders) {
    std::mt19937 random(20261210);
    const std::int64_t after = DayOf(2026, 6, 1) * MinutesPerDay - 1;
    const std::int64_t until = DayOf(2029, 5, 31) * MinutesPerDay + MinutesPerDay - 1;
    for (int i = 0; i < 500; ++i) {
        const TRmMainDate record = RandomReminder(random);
        const std::vector<OracleFiring> expected = Oracle(record, DayOf(2025, 1, 1), DayOf(2029, 8, 31), after, until);
        const TNextFirings found = NextFirings(record, MomentOf(after / MinutesPerDay, after % MinutesPerDay),
                                               MomentOf(until / MinutesPerDay, until % MinutesPerDay), 100000, false);
        std::vector<OracleFiring> actual;
        ASSERT_EQ(found.Minutes.size(), found.Leads.size());
        for (std::size_t k = 0; k < found.Minutes.size(); ++k) {
            actual.push_back({MinuteNumberOf(found.Minutes[k]), found.Leads[k]});
        }
        ASSERT_EQ(actual.size(), expected.size()) << Describe(record);
        for (std::size_t k = 0; k < actual.size(); ++k) {
            ASSERT_EQ(actual[k], expected[k])
                << Describe(record) << " at firing " << k << ": "
                << FormatMinute(MomentOf(actual[k].Minute / MinutesPerDay, actual[k].Minute % MinutesPerDay)) << " vs "
                << FormatMinute(MomentOf(expected[k].Minute / MinutesPerDay, expected[k].Minute % MinutesPerDay));
        }
    }
}

// The tick asks minute by minute what the engine lists in one go: both must say the same, warnings included.
TEST(ScheduleOracle, TheTickQueuesWhatNextLists) {
    std::mt19937 random(7);
    TRmDataList list;
    std::vector<TRmMainDate> records;
    for (int i = 0; i < 30; ++i) {
        TRmMainDate record = RandomReminder(random);
        record.Year = 0;
        record.EndDate = 0;
        records.push_back(record);
        list.Add(record, false);
    }
    const std::int64_t firstDay = DayOf(2026, 12, 28);
    const std::int64_t lastDay = DayOf(2027, 1, 3);
    std::vector<std::pair<std::int64_t, std::int32_t>> ticked; // minute, position (lead in the key below)
    std::map<std::pair<std::int64_t, std::int32_t>, std::int32_t> leads;
    for (std::int64_t minute = firstDay * MinutesPerDay; minute < (lastDay + 1) * MinutesPerDay; ++minute) {
        const TDateTime now = MomentOf(minute / MinutesPerDay, minute % MinutesPerDay) + 5.0 / 86400.0;
        for (const QueuedReminder& queued : ExactPass(list, now)) {
            leads[{minute, queued.Position}] = queued.Lead;
        }
    }
    std::map<std::pair<std::int64_t, std::int32_t>, std::int32_t> listed;
    for (std::int32_t position = 0; position < list.Count; ++position) {
        const TRmMainDate& record = list.Item(position);
        const TNextFirings found = NextFirings(record, MomentOf(firstDay, 0) - 0.5 / 1440.0,
                                               MomentOf(lastDay, MinutesPerDay - 1), 100000, false);
        for (std::size_t k = 0; k < found.Minutes.size(); ++k) {
            listed[{MinuteNumberOf(found.Minutes[k]), position}] = found.Leads[k];
        }
    }
    // The plain tick leaves week conditions to the firing: those with one are compared where they hold.
    for (auto it = leads.begin(); it != leads.end();) {
        const TRmMainDate& record = list.Item(it->first.second);
        if (!record.HasSchedule() && HasWeekCondition(record.Message) && listed.count(it->first) == 0) {
            it = leads.erase(it);
        } else {
            ++it;
        }
    }
    EXPECT_EQ(leads, listed);
}

} // namespace
} // namespace chimewell
