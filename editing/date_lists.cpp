#include "editing/date_lists.h"

#include "calendar/due.h"
#include "calendar/lunar.h"
#include "calendar/solar_terms.h"
#include "data/text_helpers.h"

#include <algorithm>

namespace chimewell {

namespace {

std::string YearName(int year, bool lunar) {
    return (lunar ? ChineseDigits(year) : std::to_string(year)) + "年";
}

void Select(TChoiceList& list, int item) {
    list.Selected = item;
    list.Text = list.Items[static_cast<std::size_t>(item)];
}

void ShowText(TChoiceList& list, std::string text) {
    list.Selected = -1;
    list.Text = std::move(text);
}

TChoiceList YearList(std::int32_t& year, int firstListedYear, bool lunar) {
    TChoiceList list;
    list.Items.push_back("每年");
    for (int n = firstListedYear; n <= LastListedYear; ++n) {
        list.Items.push_back(YearName(n, lunar));
    }
    year = std::clamp(year, 0, LastListedYear);
    if (year > 0 && year < firstListedYear) {
        // A reminder stored in an earlier year keeps its year, shown though the list no longer offers it.
        ShowText(list, YearName(year, lunar));
    } else {
        Select(list, year == 0 ? 0 : year - firstListedYear + 1);
    }
    return list;
}

// The day list's selection, once its items are there.
void SelectDay(TChoiceList& list, TRmMainDate& record) {
    if (IsWeekdayDay(record.Day)) {
        ShowText(list, record.WeekdaysText());
        return;
    }
    record.Day = std::clamp(record.Day, 0, static_cast<int>(list.Items.size()) - 1);
    Select(list, record.Day);
}

std::vector<std::string> NumberedItems(int last, std::string_view unit) {
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(last) + 1);
    for (int n = 0; n <= last; ++n) {
        items.push_back(std::to_string(n) + std::string(unit));
    }
    return items;
}

} // namespace

bool IsWeekdayDay(int day) {
    return day > 0 && (day & WeekdayMask) != 0;
}

TDateLists FillSolarLists(TRmMainDate& record, int firstListedYear) {
    TDateLists lists;
    lists.FirstListedYear = firstListedYear;
    lists.ListedLeapMonth = 0;
    lists.Year = YearList(record.Year, firstListedYear, false);

    lists.Month.Items.push_back("每月");
    for (int month = 1; month <= 12; ++month) {
        lists.Month.Items.push_back(std::to_string(month) + "月");
    }
    record.Month = std::clamp(record.Month, 0, 12);
    Select(lists.Month, record.Month);

    const int days = GregorianMonthDays(record.Year, record.Month);
    lists.Day.Items.push_back("每日");
    for (int day = 1; day <= days; ++day) {
        lists.Day.Items.push_back(std::to_string(day) + "日");
    }
    SelectDay(lists.Day, record);
    return lists;
}

TDateLists FillLunarLists(TRmMainDate& record, int firstListedYear) {
    TDateLists lists;
    lists.FirstListedYear = firstListedYear;
    lists.Year = YearList(record.Year, firstListedYear, true);
    const int leap = record.Year >= 1 ? LunarLeapMonth(record.Year) : 0;
    lists.ListedLeapMonth = leap;

    // A hand-edited month beyond the solar terms is taken as the last month, as a Gregorian one is.
    if (record.Month < 0) {
        record.Month = 0;
    } else if (record.Month > SolarTermMonth) {
        record.Month = 12;
    }
    if (record.IsLeapMonth && (record.Month != leap || record.Month == 0)) {
        record.IsLeapMonth = false;
    }

    lists.Month.Items.push_back("每月");
    for (int month = 1; month <= 12; ++month) {
        lists.Month.Items.push_back(LunarMonthName(month, false));
        if (month == leap) {
            lists.Month.Items.push_back(LunarMonthName(month, true));
        }
    }
    lists.Month.Items.push_back("节气");
    int monthItem = record.Month;
    if (leap != 0 && (record.IsLeapMonth || record.Month > leap)) {
        monthItem = record.Month + 1;
    }
    Select(lists.Month, monthItem);

    if (record.Month == SolarTermMonth) {
        for (const std::string_view term : SolarTermNames) {
            lists.Day.Items.emplace_back(term);
        }
        if (record.Day < 0 || record.Day >= SolarTermCount) {
            record.Day = 0;
        }
        Select(lists.Day, record.Day);
        return lists;
    }

    const int days = LunarMonthDaysForEditor(record.Year, record.Month, record.IsLeapMonth);
    lists.Day.Items.push_back("每日");
    for (int day = 1; day <= days; ++day) {
        lists.Day.Items.push_back(LunarDayName(day));
    }
    SelectDay(lists.Day, record);
    return lists;
}

int YearOfItem(int item, int firstListedYear) {
    return item <= 0 ? 0 : item + firstListedYear - 1;
}

void LunarMonthOfItem(int item, int listedLeapMonth, int& month, bool& isLeapMonth) {
    isLeapMonth = false;
    if (listedLeapMonth == 0 || item <= listedLeapMonth) {
        month = item;
    } else if (item == listedLeapMonth + 1) {
        month = listedLeapMonth;
        isLeapMonth = true;
    } else {
        month = item - 1;
    }
}

std::vector<std::string> HourItems() {
    return NumberedItems(23, "时");
}

std::vector<std::string> MinuteItems() {
    return NumberedItems(59, "分");
}

std::vector<std::string> ForwardItems() {
    return NumberedItems(30, "分钟");
}

} // namespace chimewell
