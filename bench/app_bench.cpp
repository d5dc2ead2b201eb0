// The program's start with a list of 1,000 reminders, and the work of one idle second of its timer. The
// minute's check itself is measured without windows in the data benchmarks.

#include "app/form_month_calendar.h"
#include "app/form_remind.h"
#include "calendar/clock.h"
#include "calendar/due.h"
#include "platform/fake_desktop_actions.h"
#include "platform/message_box.h"
#include "system/autorun.h"

#include <QApplication>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

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

long ResidentKilobytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The main window built, its list loaded and drawn, for a list of the given size.
void BM_StartWithReminders(benchmark::State& state) {
    QTemporaryDir folder;
    const std::string path = SampleFolder(folder, static_cast<int>(state.range(0)));
    RecordingDesktopActions actions;
    long resident = 0;
    for (auto _ : state) {
        auto form = std::make_unique<TfrmRemind>(path, path + "chimewell", false);
        form->show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.get());
        state.PauseTiming();
        resident = std::max(resident, ResidentKilobytes());
        form.reset();
        state.ResumeTiming();
    }
    state.counters["resident_MB"] = static_cast<double>(resident) / 1024.0;
}
BENCHMARK(BM_StartWithReminders)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// What the start is measured against: a bare list of as many lines as long, with uniform item sizes, shown.
void BM_BareListOfTheSameLength(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        QStringList texts;
        texts.reserve(lines);
        for (int i = 0; i < lines; ++i) {
            texts.append(QStringLiteral("农历，每年%1月%2日%3时%4分0方式，提醒为：提醒 #y年#m月#d日 %D %5")
                             .arg(i % 12 + 1)
                             .arg(i % 28 + 1)
                             .arg(i % 24)
                             .arg(i % 60)
                             .arg(i));
        }
        QListWidget list;
        list.setUniformItemSizes(true);
        list.addItems(texts);
        list.resize(640, 480);
        list.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(list.count());
    }
}
BENCHMARK(BM_BareListOfTheSameLength)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

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

// Ten thousand reminders as a person's list mixes them: lunar dates, solar terms, weekdays, official workdays,
// week conditions, every day and fixed dates.
void MixedList(TRmDataList& list, int count) {
    for (int i = 0; i < count; ++i) {
        TRmMainDate record;
        record.Hour = i % 24;
        record.Minuter = i % 60;
        record.Message = "提醒 #y年#m月#d日 %D " + std::to_string(i);
        switch (i % 8) {
        case 0:
            record.IsLunar = true;
            record.Month = i % 12 + 1;
            record.Day = i % 30 + 1;
            break;
        case 1:
            record.IsLunar = true;
            record.Month = SolarTermMonth;
            record.Day = i % 24;
            break;
        case 2:
            record.Day = WeekdayMask | (1 << (i % 7));
            break;
        case 3:
            record.Message = "$gzr$上班 " + std::to_string(i);
            break;
        case 4:
            record.Day = WeekdayMask | 0x1F;
            record.Message = "$mwo2$第二个 " + std::to_string(i);
            break;
        case 5:
            break; // every day
        default:
            record.Month = i % 12 + 1;
            record.Day = i % 28 + 1;
            break;
        }
        list.Add(record, false);
    }
}

// The month window as the user meets it with a long list: opened, paged, and its refresh at each minute.
class MonthWindowBench : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State&) override {
        List.Reset({});
        MixedList(List, 10000);
        Config.InitDefaults("/nonexistent/", 265, 202, 429, 279);
    }
    TRmDataList List;
    TRmConfig Config;
    ClockOverride Clock{EncodeDateTime(2026, 12, 9, 10, 30, 5)};
};

BENCHMARK_DEFINE_F(MonthWindowBench, Open)(benchmark::State& state) {
    for (auto _ : state) {
        TfrmMonthCalendar window(nullptr, List, Config);
        benchmark::DoNotOptimize(window.View().Days.size());
    }
}
BENCHMARK_REGISTER_F(MonthWindowBench, Open)->Unit(benchmark::kMillisecond);

BENCHMARK_DEFINE_F(MonthWindowBench, Page)(benchmark::State& state) {
    TfrmMonthCalendar window(nullptr, List, Config);
    TDateTime shown = Today();
    for (auto _ : state) {
        shown += 31;
        window.ShowDate(shown);
    }
}
BENCHMARK_REGISTER_F(MonthWindowBench, Page)->Unit(benchmark::kMillisecond);

BENCHMARK_DEFINE_F(MonthWindowBench, MinuteRefresh)(benchmark::State& state) {
    TfrmMonthCalendar window(nullptr, List, Config);
    for (auto _ : state) {
        Clock.AdvanceMinutes(1);
        window.MinuteRefresh();
    }
}
BENCHMARK_REGISTER_F(MonthWindowBench, MinuteRefresh)->Unit(benchmark::kMillisecond);

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
