// A sync of a long list: the first one, which sends every reminder (and writes each as an event), and a later
// one in which a tenth changed on each side, whose events are read back.

#include "calendar/datetime.h"
#include "sync/sync_plan.h"

#include <benchmark/benchmark.h>
#include <random>
#include <string>
#include <vector>

namespace {
using namespace chimewell;

std::vector<TRmMainDate> Reminders(int count) {
    std::mt19937 random(2026);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    std::vector<TRmMainDate> reminders;
    for (int i = 0; i < count; ++i) {
        TRmMainDate record;
        record.Month = pick(1, 12);
        record.Day = pick(1, 28);
        record.Hour = pick(0, 23);
        record.Minuter = pick(0, 59);
        // Every fifth lunar: ten years of dates in its event.
        record.IsLunar = i % 5 == 0;
        record.Message = "提醒 " + std::to_string(i);
        record.Uid = "uid-" + std::to_string(i);
        reminders.push_back(record);
    }
    return reminders;
}

TSyncInput BaseInput(int count) {
    TSyncInput input;
    input.Local = Reminders(count);
    input.CalendarPath = "/alice/cal/";
    input.Import.Now = input.Export.From = EncodeDateTime(2026, 12, 9, 12, 0);
    input.Export.TimeZone = "Asia/Shanghai";
    return input;
}

void FirstSync(benchmark::State& state) {
    const TSyncInput input = BaseInput(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlanSync(input));
    }
}
BENCHMARK(FirstSync)->Arg(1000)->Unit(benchmark::kMillisecond);

void TenthChangedOnEachSide(benchmark::State& state) {
    TSyncInput input = BaseInput(static_cast<int>(state.range(0)));
    for (std::size_t i = 0; i < input.Local.size(); ++i) {
        const TRmMainDate& record = input.Local[i];
        input.State.Entries.push_back({record.Uid, NewResourceHref(input.CalendarPath, record.Uid), "\"1\"",
                                       ReminderDigest(record), SyncEntryKind::Own, ""});
    }
    for (std::size_t i = 0; i < input.Local.size(); i += 10) {
        TRmMainDate there = input.Local[i + 5];
        there.Hour = (there.Hour + 1) % 24;
        input.Fetched.push_back(
            {input.State.Entries[i + 5].Href, "\"2\"", IcsFileBytes({ItemOfRecord(there)}, input.Export)});
        input.Local[i].Minuter = (input.Local[i].Minuter + 1) % 60;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlanSync(input));
    }
}
BENCHMARK(TenthChangedOnEachSide)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
