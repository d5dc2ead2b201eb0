// A calendar file of a long list: the export the user waits for after 导出, and its import back.

#include "data/file_io.h"
#include "data/reminder_list.h"
#include "exchange/ical_file.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {
using namespace chimewell;

// Every fifth reminder is one no other calendar computes (lunar, a term, a condition), written as ten years of
// dates; the others repeat by Gregorian rules.
std::vector<TExchangeItem> Reminders(int count) {
    std::mt19937 random(2026);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    std::vector<TExchangeItem> items;
    for (int i = 0; i < count; ++i) {
        TExchangeItem item;
        item.Numbers = {0, pick(1, 12), pick(1, 28), pick(0, 23), pick(0, 59), 0, 0, 0, 0, 0, 0, 0};
        item.Message = "提醒 #y年#m月#d日";
        switch (i % 10) {
        case 0:
            item.Numbers[7] = 1; // lunar every year
            break;
        case 1:
            item.Message = "$gzr$上班打卡"; // every official workday
            item.Numbers[1] = item.Numbers[2] = 0;
            break;
        case 2:
            item.Numbers[1] = 0;
            item.Numbers[2] = 0x80 | 0x1F; // Monday to Friday
            break;
        default:
            break;
        }
        items.push_back(item);
    }
    return items;
}

TIcsExportOptions Options() {
    TIcsExportOptions options;
    options.From = EncodeDateTime(2026, 12, 9, 10, 0);
    options.TimeZone = "Asia/Shanghai";
    return options;
}

void BM_ExportCalendar(benchmark::State& state) {
    const std::vector<TExchangeItem> items = Reminders(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(IcsFileBytes(items, Options()));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ExportCalendar)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ImportCalendar(benchmark::State& state) {
    const std::string text = IcsFileBytes(Reminders(static_cast<int>(state.range(0))), Options());
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadIcsText(text, "bench.ics", {Options().From, false}));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ImportCalendar)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The whole export of a list none of whose reminders has a UID yet: each is given one in the data file (one
// save for them all), and the calendar file is written.
void BM_ExportDataFileGivingUids(benchmark::State& state) {
    std::string folder = (std::filesystem::temp_directory_path() / "chimewell-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string dataFile = folder + "/reminddata.sdt";
    const std::string calendarFile = folder + "/export.ics";
    {
        TRmDataList list;
        list.Reset(dataFile);
        for (const TExchangeItem& item : Reminders(static_cast<int>(state.range(0)))) {
            list.Add(RecordOf(item), false);
        }
        list.SaveFrom(0);
    }
    std::string withoutUids;
    ReadWholeFile(dataFile, withoutUids);
    std::vector<std::int32_t> numbers;
    for (std::int32_t k = 1; k <= state.range(0); ++k) {
        numbers.push_back(k);
    }
    for (auto _ : state) {
        state.PauseTiming();
        WriteFileAtomically(dataFile, withoutUids);
        std::filesystem::remove(calendarFile);
        state.ResumeTiming();
        TRmDataList list;
        list.Reset(dataFile);
        list.Load();
        benchmark::DoNotOptimize(GiveUids(list, numbers));
        ExportIcs(dataFile, calendarFile, numbers, Options());
    }
    std::filesystem::remove_all(folder);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ExportDataFileGivingUids)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace
