// The program's start with a list of 1,000 reminders, and the work of one idle second of its timer. The
// minute's check itself is measured without windows in the data benchmarks.

#include "app/form_remind.h"
#include "calendar/clock.h"
#include "calendar/due.h"
#include "platform/fake_desktop_actions.h"
#include "platform/message_box.h"
#include "system/autorun.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {
using namespace chimewell;

std::string SampleFolder(const QTemporaryDir& folder, int reminders) {
    const std::string path = folder.path().toStdString() + "/";
    setenv("XDG_CONFIG_HOME", (path + "xdg").c_str(), 1);
    WriteAutorun(AutorunValueName, path + "chimewell");
    TRmDataList list;
    list.Reset(path + "reminddata.sdt");
    for (int i = 0; i < reminders; ++i) {
        TRmMainDate record;
        record.IsLunar = i % 3 != 0;
        record.Month = i % 3 == 2 ? SolarTermMonth : i % 12 + 1;
        record.Day = i % 3 == 2 ? i % 24 : i % 28 + 1;
        record.Hour = i % 24;
        record.Minuter = i % 60;
        record.Message = "提醒 #y年#m月#d日 %D " + std::to_string(i);
        list.Add(record, false);
    }
    list.SaveFrom(0);
    return path;
}

void BM_StartWithThousandReminders(benchmark::State& state) {
    QTemporaryDir folder;
    const std::string path = SampleFolder(folder, 1000);
    RecordingDesktopActions actions;
    for (auto _ : state) {
        auto form = std::make_unique<TfrmRemind>(path, path + "chimewell", false);
        benchmark::DoNotOptimize(form.get());
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartWithThousandReminders)->Unit(benchmark::kMillisecond);

void BM_IdleSecond(benchmark::State& state) {
    QTemporaryDir folder;
    const std::string path = SampleFolder(folder, 1000);
    RecordingDesktopActions actions;
    ClockOverride clock(EncodeDateTime(2026, 12, 8, 10, 30, 5));
    TfrmRemind form(path, path + "chimewell", false);
    // No sample reminder is set for 10:30, so the minute's check fires nothing and no window opens.
    form.trOneSecondTimer();
    for (auto _ : state) {
        form.trOneSecondTimer(); // the same minute: one read of the clock
    }
}
BENCHMARK(BM_IdleSecond);

} // namespace

int main(int argc, char** argv) {
    // The windows are built but never shown, so no display is needed.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
