#include "runtime/month_view.h"

#include "calendar/festivals.h"
#include "calendar/holidays.h"
#include "calendar/lunar.h"
#include "calendar/solar_terms.h"
#include "runtime/remind_runtime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <queue>
#include <tuple>

namespace chimewell {

namespace {

constexpr int CellCount = 42;

std::int64_t DayNumber(TDateTime moment) {
    return static_cast<std::int64_t>(std::floor(moment + 1e-9));
}

TMonthFiring FiringOf(const TRmMainDate& record, std::int32_t position, TDateTime minute, std::int32_t lead) {
    // The early firing of a day, not the one at the set time.
    const TimeFields time = DecodeTime(minute);
    const bool early = lead == 0 && record.Forward > 0 && !(time.Hour == record.Hour && time.Minute == record.Minuter);
    return {minute, position, {}, record.IsLunar, early, early ? record.Forward : 0, lead};
}

std::string TextOf(const TRmDataList& list, const TRmConfig& config, const TMonthFiring& firing) {
    return PlanFiring(list.Item(firing.Position), config, firing.Minute, firing.Lead).Presentation.Text;
}

bool Earlier(const TMonthFiring& a, const TMonthFiring& b) {
    return a.Minute != b.Minute ? a.Minute < b.Minute : a.Position < b.Position;
}

TMonthFiring FiringOf(const TRmDataList& list, std::int32_t position, TDateTime minute, std::int32_t lead) {
    return FiringOf(list.Item(position), position, minute, lead);
}

} // namespace

std::string MonthTitle(int year, int month) {
    std::string title = std::to_string(year) + "年" + std::to_string(month) + "月";
    const TDateTime first = EncodeDate(year, month, 1);
    const LunarDate firstLunar = SolarToLunar(first);
    const LunarDate lastLunar = SolarToLunar(first + (GregorianMonthDays(year, month) - 1));
    if (!firstLunar.IsEmpty() && !lastLunar.IsEmpty() && firstLunar.Year != lastLunar.Year) {
        title += " 农历" + GanZhiYearName(firstLunar.Year - 1924) + "/" + GanZhiYearName(lastLunar.Year - 1924) +
                 "年 " + std::string(ZodiacAnimalName(firstLunar.Year)) + "/" +
                 std::string(ZodiacAnimalName(lastLunar.Year));
    } else if (const LunarDate known = firstLunar.IsEmpty() ? lastLunar : firstLunar; !known.IsEmpty()) {
        title += " 农历" + GanZhiYearName(known.Year - 1924) + "年 " + std::string(ZodiacAnimalName(known.Year));
    }
    return title;
}

std::string ReadableDayLine(TDateTime date) {
    static constexpr std::string_view Weekdays[] = {"日", "一", "二", "三", "四", "五", "六"};
    const DateFields fields = DecodeDate(date);
    char day[16];
    std::snprintf(day, sizeof day, "%04d-%02d-%02d", fields.Year, fields.Month, fields.Day);
    std::string line = std::string(day) + " 星期" + std::string(Weekdays[DayOfWeek(date) - 1]);
    const LunarDate lunar = SolarToLunar(date);
    if (!lunar.IsEmpty()) {
        line += " 农历" + GanZhiYearName(lunar.Year - 1924) + "年（" + std::string(ZodiacAnimalName(lunar.Year)) +
                "）" + LunarMonthName(lunar.Month, lunar.IsLeapMonth) + LunarDayName(lunar.Day);
    }
    for (const std::string& festival : FestivalsOn(date)) {
        line += " " + festival;
    }
    if (const std::string_view term = SolarTermNameOf(date); !term.empty()) {
        line += " " + std::string(term);
    }
    return line;
}

int TMonthDay::ReminderCount() const {
    std::vector<std::int32_t> positions;
    positions.reserve(Firings.size());
    for (const TMonthFiring& firing : Firings) {
        if (firing.Lead == 0) {
            positions.push_back(firing.Position);
        }
    }
    std::sort(positions.begin(), positions.end());
    return static_cast<int>(std::unique(positions.begin(), positions.end()) - positions.begin());
}

int TMonthDay::WarningCount() const {
    std::vector<std::int32_t> positions;
    for (const TMonthFiring& firing : Firings) {
        if (firing.Lead != 0) {
            positions.push_back(firing.Position);
        }
    }
    std::sort(positions.begin(), positions.end());
    return static_cast<int>(std::unique(positions.begin(), positions.end()) - positions.begin());
}

std::string TMonthDay::AccessibleName() const {
    const DateFields date = DecodeDate(Date);
    std::string name =
        std::to_string(date.Year) + "年" + std::to_string(date.Month) + "月" + std::to_string(date.Day) + "日";
    const LunarDate lunar = SolarToLunar(Date);
    if (!lunar.IsEmpty()) {
        name += " " + LunarMonthName(lunar.Month, lunar.IsLeapMonth) + LunarDayName(lunar.Day);
    }
    if (!SolarTerm.empty()) {
        name += " " + SolarTerm;
    }
    for (const std::string& festival : Festivals) {
        name += " " + festival;
    }
    if (Official != TOfficialMark::None) {
        name += Official == TOfficialMark::Rest ? " 休" : " 班";
    }
    if (const int reminders = ReminderCount(); reminders > 0) {
        name += " " + std::to_string(reminders) + "个提醒";
    }
    if (const int warnings = WarningCount(); warnings > 0) {
        name += " " + std::to_string(warnings) + "个提前提醒";
    }
    return name;
}

TMonthView BuildMonthView(const TRmDataList& list, const TRmConfig& config, int year, int month, TDateTime today) {
    TMonthView view;
    view.Year = year;
    view.Month = month;
    view.Title = MonthTitle(year, month);
    const TDateTime first = EncodeDate(year, month, 1);
    // DayOfWeek: 1 = Sunday … 7 = Saturday.
    const int lead = config.BeginWithSunday ? DayOfWeek(first) - 1 : (DayOfWeek(first) + 5) % 7; // [0, 6]
    const TDateTime start = first - lead;
    const std::int64_t todayNumber = DayNumber(today);
    view.Days.resize(CellCount);
    for (int cell = 0; cell < CellCount; ++cell) {
        TMonthDay& day = view.Days[static_cast<std::size_t>(cell)];
        day.Date = start + cell;
        const DateFields fields = DecodeDate(day.Date);
        day.Day = fields.Day;
        day.InMonth = fields.Year == year && fields.Month == month;
        day.IsToday = DayNumber(day.Date) == todayNumber;
        const LunarDate lunar = SolarToLunar(day.Date);
        if (!lunar.IsEmpty()) {
            day.LunarText = lunar.Day == 1 ? LunarMonthName(lunar.Month, lunar.IsLeapMonth) : LunarDayName(lunar.Day);
        }
        day.SolarTerm = std::string(SolarTermNameOf(day.Date));
        day.Festivals = FestivalsOn(day.Date);
        if (const TOfficialDay official = OfficialDayOf(day.Date); official.Listed) {
            day.Official = official.IsWorkday ? TOfficialMark::Work : TOfficialMark::Rest;
        }
    }
    // Every reminder's firings over the six weeks at once, sorted into their days.
    const TDateTime before = start - 1.0 / 1440.0;
    const TDateTime until = start + CellCount - 1.0 / 1440.0;
    std::vector<TMonthFiring> firings;
    for (std::int32_t position = 0; position < list.Count; ++position) {
        const TNextFirings found =
            NextFirings(list.Item(position), before, until, CellCount * 1440, config.BeginWithSunday);
        for (std::size_t i = 0; i < found.Minutes.size(); ++i) {
            firings.push_back(FiringOf(list, position, found.Minutes[i], found.Leads[i]));
        }
    }
    std::sort(firings.begin(), firings.end(), Earlier);
    const std::int64_t startNumber = DayNumber(start);
    for (TMonthFiring& firing : firings) {
        const std::int64_t cell = DayNumber(firing.Minute) - startNumber;
        if (cell >= 0 && cell < CellCount) {
            view.Days[static_cast<std::size_t>(cell)].Firings.push_back(std::move(firing));
        }
    }
    return view;
}

TComingFirings ComingFirings(const TRmDataList& list, const TRmConfig& config, TDateTime after, TDateTime until,
                             int count) {
    TComingFirings coming;
    if (count <= 0) {
        return coming;
    }
    // Each reminder's first firing, then, as the earliest of all is taken, that reminder's next one: the work
    // is one firing a reminder and one more for each listed, not `count` of every reminder sorted together.
    using Entry = std::tuple<TDateTime, std::int32_t, std::int32_t>; // minute, position, lead
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> earliest;
    const auto push = [&](std::int32_t position, TDateTime from) {
        const TNextFirings next = NextFirings(list.Item(position), from, until, 1, config.BeginWithSunday);
        coming.GuessedHolidayYears.insert(coming.GuessedHolidayYears.end(), next.GuessedHolidayYears.begin(),
                                          next.GuessedHolidayYears.end());
        if (!next.Minutes.empty()) {
            earliest.emplace(next.Minutes.front(), position, next.Leads.front());
        }
    };
    for (std::int32_t position = 0; position < list.Count; ++position) {
        push(position, after);
    }
    while (!earliest.empty() && static_cast<int>(coming.Firings.size()) < count) {
        const auto [minute, position, lead] = earliest.top();
        earliest.pop();
        coming.Firings.push_back(FiringOf(list, position, minute, lead));
        coming.Firings.back().Text = TextOf(list, config, coming.Firings.back());
        push(position, minute);
    }
    return coming;
}

TComingFiringsCollector::TComingFiringsCollector(const TRmConfig& config, TDateTime after, TDateTime until, int count)
    : Config(config), After(after), Until(until), Count(count > 0 ? static_cast<std::size_t>(count) : 0) {}

void TComingFiringsCollector::Add(std::int32_t position, const TRmMainDate& reminder) {
    if (Count == 0) {
        return;
    }
    // The heap's top is the latest firing kept: a reminder's firings are taken until one comes after it.
    const auto later = [](const Kept& a, const Kept& b) { return Earlier(a.Firing, b.Firing); };
    TDateTime from = After;
    std::shared_ptr<const TRmMainDate> copy;
    for (;;) {
        const TNextFirings next = NextFirings(reminder, from, Until, 1, Config.BeginWithSunday);
        Guessed.insert(Guessed.end(), next.GuessedHolidayYears.begin(), next.GuessedHolidayYears.end());
        if (next.Minutes.empty()) {
            return;
        }
        const TMonthFiring firing = FiringOf(reminder, position, next.Minutes.front(), next.Leads.front());
        if (Heap.size() == Count && !Earlier(firing, Heap.front().Firing)) {
            return;
        }
        if (!copy) {
            copy = std::make_shared<const TRmMainDate>(reminder);
        }
        Heap.push_back({firing, copy});
        std::push_heap(Heap.begin(), Heap.end(), later);
        if (Heap.size() > Count) {
            std::pop_heap(Heap.begin(), Heap.end(), later);
            Heap.pop_back();
        }
        from = firing.Minute;
    }
}

std::vector<TComingFiringsCollector::Kept> TComingFiringsCollector::Take() {
    std::vector<Kept> kept = std::move(Heap);
    Heap.clear();
    std::sort(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) { return Earlier(a.Firing, b.Firing); });
    for (Kept& one : kept) {
        one.Firing.Text = PlanFiring(*one.Reminder, Config, one.Firing.Minute, one.Firing.Lead).Presentation.Text;
    }
    return kept;
}

void FillFiringTexts(const TRmDataList& list, const TRmConfig& config, TMonthDay& day) {
    for (TMonthFiring& firing : day.Firings) {
        if (firing.Text.empty() && firing.Position >= 0 && firing.Position < list.Count) {
            firing.Text = TextOf(list, config, firing);
        }
    }
}

} // namespace chimewell
