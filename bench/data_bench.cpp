// The data file at a size no person reaches: 100,000 reminders, a third each Gregorian, lunar and solar-term.
// Load runs once at start-up, SaveItem after every edit and firing, the due tests once a minute.

#include "calendar/clock.h"
#include "data/reminder_list.h"
#include "runtime/remind_runtime.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace chimewell {
namespace {

constexpr int ReminderCount = 100000;

TRmMainDate MixedReminder(int n) {
    TRmMainDate record;
    record.Hour = n % 24;
    record.Minuter = n % 60;
    record.Forward = n % 31;
    record.Method = n % 4;
    record.Message = "第" + std::to_string(n) + "号提醒：记得开会 #Y年%M月";
    switch (n % 3) {
    case 0:
        record.Year = n % 2 == 0 ? 0 : 2025;
        record.Month = n % 13;
        record.Day = n % 5 == 0 ? 0x80 | (n % 0x7F) : n % 29;
        break;
    case 1:
        record.IsLunar = true;
        record.Month = n % 13;
        record.Day = n % 31;
        record.IsLeapMonth = n % 17 == 0;
        break;
    default:
        record.IsLunar = true;
        record.Month = 13;
        record.Day = n % 24;
        record.Music = "/home/用户/音乐/铃声.mp3";
        break;
    }
    return record;
}

// One data file for the whole run, removed at exit.
class DataFolder {
public:
    DataFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "chimewell-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        Folder = pattern;
        List.Reset((Folder / "reminddata.sdt").string());
        for (int n = 0; n < ReminderCount; ++n) {
            List.Add(MixedReminder(n), false);
        }
        List.SaveFrom(0);
    }
    ~DataFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(Folder, ignored);
    }
    DataFolder(const DataFolder&) = delete;
    DataFolder& operator=(const DataFolder&) = delete;

    std::filesystem::path Folder;
    TRmDataList List;
};

DataFolder& Shared() {
    static DataFolder folder;
    return folder;
}

void BM_Load(benchmark::State& state) {
    TRmDataList list;
    list.Reset(Shared().List.FileName);
    for (auto _ : state) {
        list.Load();
        benchmark::DoNotOptimize(list.Count);
    }
    state.counters["reminders"] = list.Count;
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

void BM_SaveItem(benchmark::State& state) {
    TRmDataList& list = Shared().List;
    for (auto _ : state) {
        list.Item(ReminderCount / 2).Reminded = !list.Item(ReminderCount / 2).Reminded;
        list.SaveItem(ReminderCount / 2);
    }
}
BENCHMARK(BM_SaveItem)->Unit(benchmark::kMillisecond);

void BM_TickDueTests(benchmark::State& state) {
    const TRmDataList& list = Shared().List;
    // Qingming 2025, a day with a solar term, in the afternoon.
    ClockOverride clock(EncodeDateTime(2025, 4, 4, 14, 20));
    for (auto _ : state) {
        // What one minute's check does: the exact pass, on the hour the hourly pass too.
        benchmark::DoNotOptimize(MinutePasses(list, Now(), true).size());
    }
}
BENCHMARK(BM_TickDueTests)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace chimewell
