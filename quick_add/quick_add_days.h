#pragma once
// The recognisers of the day a phrase names: Gregorian and lunar dates, festivals, solar terms, relative days,
// weekdays and a day of the month.

#include "quick_add/quick_add_findings.h"

namespace chimewell::quick_add {

// A Gregorian date: 2027-01-05, 2027年1月5日, 十二月二十五号, 12.25, 12/25; false, the cursor unmoved, when none.
bool ReadGregorianDate(TCursor& c, TGregorianDate& date);

bool RecogniseMonthDay(TCursor& c, TQuickAddFindings& findings);
bool RecogniseFestival(TCursor& c, TQuickAddFindings& findings);
bool RecogniseSolarTerm(TCursor& c, TQuickAddFindings& findings);
bool RecogniseLunar(TCursor& c, TQuickAddFindings& findings);
bool RecogniseBareLunarDay(TCursor& c, TQuickAddFindings& findings);
bool RecogniseGregorian(TCursor& c, TQuickAddFindings& findings);
bool RecogniseRelativeDay(TCursor& c, TQuickAddFindings& findings);
bool RecogniseWeekday(TCursor& c, TQuickAddFindings& findings);

} // namespace chimewell::quick_add
