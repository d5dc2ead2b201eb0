#include "calendar/clock.h"
#include "calendar/due.h"
#include "data/reminder_schedule.h"
#include "data/reminder_stream.h"
#include "runtime/month_view.h"
#include "runtime/next_firing.h"
#include "runtime/remind_runtime.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <unistd.h>
#include <vector>

namespace {
using namespace chimewell;

TRmMainDate Record(bool lunar, int year, int month, int day, const char* message = "提醒") {
    TRmMainDate record;
    record.IsLunar = lunar;
    record.Year = year;
    record.Month = month;
    record.Day = day;
    record.Message = message;
    return record;
}

// A list as people keep them: daily and workday reminders, birthdays and anniversaries in both calendars,
// festivals, solar terms, monthly bills, one-off dates past and future, week and holiday conditions, leap months
// that come once in decades, and a few hand-edited dates that never come.
std::vector<TRmMainDate> VariedRecords(int count) {
    std::mt19937 random(1000);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    std::vector<TRmMainDate> records;
    for (int i = 0; i < count; ++i) {
        TRmMainDate record;
        switch (i % 20) {
        case 0:
        case 1:
            record = Record(false, 0, 0, 0);
            break;
        case 2:
            record = Record(false, 0, 0, WeekdayMask | 0x1F); // Monday to Friday
            break;
        case 3:
        case 4:
            record = Record(false, 0, pick(1, 12), pick(1, 28)); // a birthday
            break;
        case 5:
            record = Record(false, 0, pick(1, 12), pick(29, 31)); // month ends, February 29 and 30 among them
            break;
        case 6:
            record = Record(false, 0, 0, pick(1, 31)); // monthly
            break;
        case 7:
            record = Record(false, pick(2020, 2030), pick(1, 12), pick(1, 28)); // one-off, past or future
            break;
        case 8:
        case 9:
            record = Record(true, 0, pick(1, 12), pick(1, 30)); // a lunar birthday or festival
            break;
        case 10:
            record = Record(true, 0, 12, 30); // 除夕
            break;
        case 11: {
            record = Record(true, 0, pick(2, 11), pick(1, 30)); // a date in a leap month
            record.IsLeapMonth = true;
            break;
        }
        case 12:
            record = Record(true, 0, 0, pick(1, 15)); // lunar monthly
            break;
        case 13:
        case 14:
            record = Record(true, 0, SolarTermMonth, pick(0, 23));
            break;
        case 15:
            record = Record(false, 0, 5, WeekdayMask | 0x40, "$mw2$母亲节快乐");
            break;
        case 16:
            record = Record(false, 0, 0, 0, pick(0, 1) != 0 ? "$gzr$打卡" : "$xxr$休息");
            break;
        case 17:
            record = Record(false, 0, 0, WeekdayMask | 0x10, pick(0, 1) != 0 ? "$mwd$周报" : "$ywm2$双周会");
            break;
        case 18:
            record = Record(true, pick(2024, 2030), pick(1, 12), pick(1, 30));
            break;
        default:
            record = pick(0, 1) != 0 ? Record(false, 0, 2, 30) : Record(true, 0, 0, 31); // never
            break;
        }
        record.Hour = pick(0, 23);
        record.Minuter = pick(0, 59);
        record.Forward = pick(0, 2) == 0 ? pick(1, 30) : 0;
        records.push_back(record);
    }
    return records;
}

// What drawing the main list costs: every record's next firing.
void BM_NextFiringOf1000Records(benchmark::State& state) {
    const std::vector<TRmMainDate> records = VariedRecords(1000);
    const TDateTime moments[] = {EncodeDateTime(2025, 6, 15, 10, 0), EncodeDateTime(2026, 2, 10, 23, 59),
                                 EncodeDateTime(2031, 11, 1, 7, 30)};
    std::size_t next = 0;
    for (auto _ : state) {
        const TDateTime now = moments[next++ % std::size(moments)];
        for (const TRmMainDate& record : records) {
            benchmark::DoNotOptimize(NextFiring(record, now, false));
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_NextFiringOf1000Records)->Unit(benchmark::kMillisecond);

// The agenda of chimewell-cli next: up to 20 firings of every record within a year.
void BM_AgendaOf1000Records(benchmark::State& state) {
    const std::vector<TRmMainDate> records = VariedRecords(1000);
    const TDateTime now = EncodeDateTime(2025, 6, 15, 10, 0);
    for (auto _ : state) {
        for (const TRmMainDate& record : records) {
            benchmark::DoNotOptimize(NextFirings(record, now, now + 366, 20, false));
        }
    }
}
BENCHMARK(BM_AgendaOf1000Records)->Unit(benchmark::kMillisecond);

// The worst a record can cost: a daily reminder whose condition no week ever meets, tried on every day to 2100.
void BM_NextFiringOfAConditionThatNeverHolds(benchmark::State& state) {
    const TRmMainDate record = Record(false, 0, 0, 0, "$mw7$");
    const TDateTime now = EncodeDateTime(2025, 6, 15, 10, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(NextFiring(record, now, false));
    }
}
BENCHMARK(BM_NextFiringOfAConditionThatNeverHolds)->Unit(benchmark::kMillisecond);
// The month window with 10,000 reminders: drawing a month, and moving to the next one, each work out the six
// weeks' firings of every reminder once. The goal: under 50 ms each.
void BM_MonthOf10000Records(benchmark::State& state) {
    TRmDataList list;
    for (const TRmMainDate& record : VariedRecords(10000)) {
        list.Add(record, false);
    }
    TRmConfig config;
    int month = 0;
    for (auto _ : state) {
        const TMonthView view = BuildMonthView(list, config, 2026, month % 12 + 1, EncodeDate(2026, 2, 17));
        benchmark::DoNotOptimize(view.Days.data());
        ++month;
    }
}
BENCHMARK(BM_MonthOf10000Records)->Unit(benchmark::kMillisecond);

} // namespace

namespace {
// What the window's thread does in a minute of a list of 100,000 reminders: the check of every one, and the
// firing of those due (the window answered at once; the Reminded marks handed on to be written elsewhere, as
// the program does). Per firing, the minute's work divided by the reminders it fired.
void BM_MinuteOf100000Records(benchmark::State& state) {
    char folder[] = "/tmp/chimewell-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    TRmDataList list;
    list.Reset(std::string(folder) + "/reminddata.sdt");
    list.Batch([&] {
        for (const TRmMainDate& record : VariedRecords(100000)) {
            list.Add(record, true);
        }
    });
    TRmConfig config;
    ClockOverride clock(EncodeDateTime(2026, 12, 9, 8, 0, 1));
    int shown = 0;
    ReminderWindowSeam window;
    window.ShowModal = [&shown] {
        ++shown;
        return LATER_NONE;
    };
    TRmRuntime runtime(list, config, window);
    runtime.WriteMarks = [&list] { benchmark::DoNotOptimize(list.TakeRemindedMarks()); };
    runtime.Start(Now());
    runtime.Tick();
    for (auto _ : state) {
        clock.AdvanceMinutes(1);
        runtime.Tick();
    }
    state.counters["fired_per_minute"] =
        benchmark::Counter(static_cast<double>(shown), benchmark::Counter::kAvgIterations);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_MinuteOf100000Records)->Unit(benchmark::kMillisecond);

// The varied list with a tenth of it warned of ahead (up to 60 days) and a tenth repeating by an interval.
std::vector<TRmMainDate> ScheduledRecords(int count) {
    std::vector<TRmMainDate> records = VariedRecords(count);
    std::mt19937 random(2027);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (std::size_t i = 0; i < records.size(); ++i) {
        TRmMainDate& record = records[i];
        if (i % 10 == 3) {
            record.Warnings = {
                {pick(1, 60), LeadUnit::Days}, {pick(1, 3), LeadUnit::Days}, {pick(5, 90), LeadUnit::Minutes}};
        }
        if (i % 10 == 7) {
            record.Every = record.IsLunar ? RepeatUnit::Months : static_cast<RepeatUnit>("dwmy"[pick(0, 3)]);
            record.EveryCount = pick(2, 4);
            record.StartDate = 20260101 + pick(0, 27);
            record.EndCount = pick(0, 1) != 0 ? pick(5, 50) : 0;
        }
    }
    return records;
}

// The check of one minute over 10,000 reminders, a tenth of them with warnings of up to 60 days, over a day of
// minutes (most are no reminder's, a few are a warning's or a set time's).
void BM_TickOf10000WithWarnings(benchmark::State& state) {
    TRmDataList list;
    for (const TRmMainDate& record : ScheduledRecords(10000)) {
        list.Add(record, false);
    }
    TDateTime now = EncodeDateTime(2026, 12, 9, 0, 0, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(MinutePasses(list, now, false, false).size());
        now += 1.0 / 1440.0;
    }
}
BENCHMARK(BM_TickOf10000WithWarnings)->Unit(benchmark::kMillisecond);

// `chimewell-cli next` of 1,000 such reminders: the ten next firings of all, warnings among them.
void BM_NextOf1000WithSchedules(benchmark::State& state) {
    TRmDataList list;
    for (const TRmMainDate& record : ScheduledRecords(1000)) {
        list.Add(record, false);
    }
    TRmConfig config;
    const TDateTime now = EncodeDateTime(2026, 12, 9, 10, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComingFirings(list, config, now, NextFiringRangeEnd(), 10).Firings.size());
    }
}
BENCHMARK(BM_NextOf1000WithSchedules)->Unit(benchmark::kMillisecond);

// `chimewell-cli next` of 100,000 reminders: the data file read a piece at a time, the first ten firings kept.
// (Its memory, 12 MB at its peak, is measured on the real command: /usr/bin/time -f %M.)
void BM_NextOf100000FromTheFile(benchmark::State& state) {
    char folder[] = "/tmp/chimewell-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = std::string(folder) + "/reminddata.sdt";
    {
        TRmDataList list;
        list.Reset(path);
        list.Batch([&] {
            for (const TRmMainDate& record : VariedRecords(100000)) {
                list.Add(record, true);
            }
        });
    }
    TRmConfig config;
    const TDateTime at = EncodeDateTime(2026, 12, 9, 8, 0);
    for (auto _ : state) {
        TComingFiringsCollector collector(config, at, at + 30, 10);
        ForEachStoredReminder(path, [&collector](std::int32_t position, const TRmMainDate& reminder) {
            collector.Add(position, reminder);
        });
        benchmark::DoNotOptimize(collector.Take());
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_NextOf100000FromTheFile)->Unit(benchmark::kMillisecond);
} // namespace
