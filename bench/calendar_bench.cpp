#include "calendar/due.h"
#include "calendar/lunar.h"
#include "calendar/solar_terms.h"
#include "calendar/sun.h"

#include <benchmark/benchmark.h>

namespace {
using namespace chimewell;

// Walks the days of 1950..2050 so that the branch predictor cannot learn one answer.
constexpr int DaySpan = 36525;
const TDateTime FirstDay = EncodeDate(1950, 1, 1);

void BM_SolarToLunar(benchmark::State& state) {
    int offset = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SolarToLunar(FirstDay + offset));
        offset = (offset + 97) % DaySpan;
    }
}
BENCHMARK(BM_SolarToLunar);

void BM_LunarToSolar(benchmark::State& state) {
    int offset = 0;
    for (auto _ : state) {
        const LunarDate date{1901 + offset % 198, 1 + offset % 12, 1 + offset % 29, false};
        benchmark::DoNotOptimize(LunarToSolar(date));
        offset += 7;
    }
}
BENCHMARK(BM_LunarToSolar);

void BM_SolarTermNameOf(benchmark::State& state) {
    int offset = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SolarTermNameOf(FirstDay + offset));
        offset = (offset + 97) % DaySpan;
    }
}
BENCHMARK(BM_SolarTermNameOf);

void BM_IsLunarDateTimeDue_SolarTerm(benchmark::State& state) {
    int offset = 0;
    for (auto _ : state) {
        const TDateTime now = FirstDay + offset + 8.5 / 24;
        benchmark::DoNotOptimize(IsLunarDateTimeDueAt(now, 0, SolarTermMonth, offset % 24, 8, 30, 0, false, true));
        offset = (offset + 97) % DaySpan;
    }
}
BENCHMARK(BM_IsLunarDateTimeDue_SolarTerm);

void BM_IsLunarDateTimeDue_LunarDay(benchmark::State& state) {
    int offset = 0;
    for (auto _ : state) {
        const TDateTime now = FirstDay + offset + 8.5 / 24;
        benchmark::DoNotOptimize(IsLunarDateTimeDueAt(now, 0, 8, 15, 8, 30, 10, false, true));
        offset = (offset + 97) % DaySpan;
    }
}
BENCHMARK(BM_IsLunarDateTimeDue_LunarDay);

void BM_ComputeSolarTermMoment(benchmark::State& state) {
    int index = 0;
    for (auto _ : state) {
        // What one term costs where the built-in table ends and the Sun's position is computed.
        benchmark::DoNotOptimize(ComputeSolarTermMoment(2300 + index % 50, index % 24));
        ++index;
    }
}
BENCHMARK(BM_ComputeSolarTermMoment);
} // namespace
