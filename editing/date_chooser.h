#pragma once
// The editor's date chooser panel: a month calendar, and for "X days after" a number of days to add, with the
// resulting date shown beside it. Gregorian dates only.

#include "calendar/datetime.h"
#include "data/reminder.h"

#include <string>

namespace chimewell {

// The days-after list offers 0 .. this many days.
inline constexpr int MaxDaysAfter = 1000;
// The month calendar's range: the years a reminder can be set in, and some before for older ones.
inline constexpr int FirstChooserYear = 1900;

struct TDateChooser {
    bool Visible = false;
    // The days-after list and its result are part of the panel ("指定Ｘ天后日期"), not of the plain chooser.
    bool DaysAfterVisible = false;
    // Filled on first use; later uses keep the last choice.
    bool DaysAfterFilled = false;
    int DaysAfter = 0;
    TDateTime Date = 0;
    std::string Prompt;

    // Opens the plain chooser on the record's date, or on today when the record's date is not a whole one.
    void OpenDate(const TRmMainDate& record, TDateTime today);
    // Opens the chooser with the days-after list.
    void OpenDaysAfter(const TRmMainDate& record, TDateTime today);
    void Close() { Visible = DaysAfterVisible = false; }

    // The chosen date, the days added when the list shows.
    TDateTime Result() const;
    // The result as the panel writes it: 2006年2月2日.
    std::string ResultText() const;
};

// A prompt written top to bottom: each character on its own line, each preceded by a line holding one
// ideographic space, so the characters stand apart as in a vertical title.
std::string VerticalPrompt(std::string_view prompt);

} // namespace chimewell
