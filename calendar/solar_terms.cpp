#include "calendar/solar_terms.h"

#include "calendar/clock.h"
#include "calendar/sun.h"

#include <cstdint>

namespace chimewell {

namespace {
#include "solar_term_table.inc"

// Years outside the table are computed on demand; the last few stay remembered because callers walk
// through the days of one year.
struct ComputedYear {
    int Year = 0;
    std::array<TDateTime, SolarTermCount> Moments{};
};
thread_local std::array<ComputedYear, 4> ComputedYears{};
thread_local std::size_t NextComputedSlot = 0;

const std::array<TDateTime, SolarTermCount>& ComputedMoments(int year) {
    for (const ComputedYear& computed : ComputedYears) {
        if (computed.Year == year && year != 0) {
            return computed.Moments;
        }
    }
    ComputedYear& slot = ComputedYears[NextComputedSlot];
    NextComputedSlot = (NextComputedSlot + 1) % ComputedYears.size();
    slot.Year = year;
    for (int index = 0; index < SolarTermCount; ++index) {
        slot.Moments[static_cast<std::size_t>(index)] = ComputeSolarTermMoment(year, index);
    }
    return slot.Moments;
}

int NonNegativeRemainder(int value, int divisor) {
    const int remainder = value % divisor;
    return remainder < 0 ? remainder + divisor : remainder;
}
} // namespace

const std::array<std::string_view, SolarTermCount> SolarTermNames = {
    "小寒", "大寒", "立春", "雨水", "惊蛰", "春分", "清明", "谷雨", "立夏", "小满", "芒种", "夏至",
    "小暑", "大暑", "立秋", "处暑", "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至",
};
const std::array<std::string_view, 10> HeavenlyStems = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
const std::array<std::string_view, 12> EarthlyBranches = {"子", "丑", "寅", "卯", "辰", "巳",
                                                          "午", "未", "申", "酉", "戌", "亥"};
const std::array<std::string_view, 12> ZodiacAnimals = {"鼠", "牛", "虎", "兔", "龙", "蛇",
                                                        "马", "羊", "猴", "鸡", "狗", "猪"};

TDateTime SolarTermMoment(int year, int index) {
    if (index < 0 || index >= SolarTermCount || year < 1 || year > 9999) {
        return 0.0;
    }
    if (year >= SolarTermTableFirstYear && year <= SolarTermTableLastYear) {
        const auto seconds =
            SolarTermTableSeconds[year - SolarTermTableFirstYear][index]; // whole seconds since 1899-12-30
        return static_cast<TDateTime>(seconds) / 86400.0;
    }
    return ComputedMoments(year)[static_cast<std::size_t>(index)];
}

bool IsSolarTermOn(TDateTime date, int index) {
    if (index < 0 || index >= SolarTermCount || date != DateOf(date)) {
        return false;
    }
    const DateFields fields = DecodeDate(date);
    // The two terms of a Gregorian month are the only ones that can fall on its days.
    if (index / 2 != fields.Month - 1) {
        return false;
    }
    return DateOf(SolarTermMoment(fields.Year, index)) == date;
}

std::string_view SolarTermNameOf(TDateTime date) {
    if (date != DateOf(date)) {
        return {};
    }
    const int first = 2 * (DecodeDate(date).Month - 1);
    for (const int index : {first, first + 1}) {
        if (IsSolarTermOn(date, index)) {
            return SolarTermNames[static_cast<std::size_t>(index)];
        }
    }
    return {};
}

bool IsSolarTermToday(int index) {
    return IsSolarTermOn(Today(), index);
}

std::string GanZhiYearName(int n) {
    std::string name(HeavenlyStems[static_cast<std::size_t>(NonNegativeRemainder(n, 10))]);
    name += EarthlyBranches[static_cast<std::size_t>(NonNegativeRemainder(n, 12))];
    return name;
}

std::string_view ZodiacAnimalName(int lunarYear) {
    return ZodiacAnimals[static_cast<std::size_t>(NonNegativeRemainder(lunarYear - 1924, 12))];
}

} // namespace chimewell
