#pragma once
// The editor's drop-down lists as data: what each list holds, which item is selected (or which text stands in
// the box when no item fits), and how a picked item turns into the record's fields. The year, month and day
// lists follow the record and the calendar; the hour, minute and minutes-early lists never change.

#include "data/reminder.h"

#include <string>
#include <vector>

namespace chimewell {

// The last year the year list offers.
inline constexpr int LastListedYear = 2099;

struct TChoiceList {
    std::vector<std::string> Items;
    // The selected item, or -1 when none is: Text then stands in the box (a past year, a set of weekdays).
    int Selected = -1;
    std::string Text;

    friend bool operator==(const TChoiceList&, const TChoiceList&) = default;
};

struct TDateLists {
    TChoiceList Year;
    TChoiceList Month;
    TChoiceList Day;
    // The year that item 1 of the year list stands for.
    int FirstListedYear = 0;
    // Lunar lists: the leap month (1..12) of the record's year, 0 when it has none or the year is "every".
    int ListedLeapMonth = 0;
};

// A Day in the weekday form (bit 0x80 set). Hand-edited values 32..127 lack the bit: they are days, and the
// lists cut them to the month's length.
bool IsWeekdayDay(int day);

// The lists of a Gregorian record whose year list begins at firstListedYear. The record's fields are brought
// into the lists' ranges first: a year after the last listed one becomes that year, a month above 12 becomes
// 12, a day beyond the month's length becomes that length, negative values become 0.
TDateLists FillSolarLists(TRmMainDate& record, int firstListedYear);
// The lists of a lunar record: twelve months, the year's leap month after its ordinary month, and "节气",
// whose day list is the 24 solar terms. A leap flag the year does not bear out is cleared.
TDateLists FillLunarLists(TRmMainDate& record, int firstListedYear);

// The year an item of the year list stands for: 0 for item 0.
int YearOfItem(int item, int firstListedYear);
// The month and leap flag an item of the lunar month list stands for, given the listed leap month.
void LunarMonthOfItem(int item, int listedLeapMonth, int& month, bool& isLeapMonth);

// "0时" .. "23时", "0分" .. "59分", "0分钟" .. "30分钟": the item index is the stored number.
std::vector<std::string> HourItems();
std::vector<std::string> MinuteItems();
std::vector<std::string> ForwardItems();

} // namespace chimewell
