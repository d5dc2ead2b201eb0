#pragma once
// The events and to-dos of other programs as the nearest reminders: a rule this program has (its interval, count
// and end included), checked against the event's own occurrences, or else the event's coming dates; the alarms
// before the start as the early minute and the warnings, others as reminders of their own.

#include "exchange/ical_common.h"
#include "exchange/ical_file.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace chimewell::ics {

// What an import could not take as it stood, counted for the notes.
struct ImportTally {
    int Expanded = 0;
    int ExpandedReminders = 0;
    std::map<std::string, int> Reasons;
    int Ended = 0;
    int NoTime = 0;
    int NoDue = 0;
    // Events with alarms that no warning can be (after the start, or more than 60 days ahead), each of them
    // taken as a reminder of its own; events with more alarms than a reminder has warnings.
    int SeveralAlarms = 0;
    int ManyAlarms = 0;
    int Past = 0;
    int Cancelled = 0;
    // Titles cut to what a data file keeps.
    int Cut = 0;
    // Events of this program that another calendar changed, read as it left them.
    int EditedElsewhere = 0;
    // Events of which only a part could be looked at (a rule of every second for a century), and none of
    // whose coming occurrences were reached.
    int Dense = 0;
    // Steps of libical's iterator so far, within the file's bound.
    long long Steps = 0;
    void Merge(const ImportTally& other);
};

// The early minute that an alarm of another calendar may be: up to half an hour, on the start's own day.
inline constexpr int LongestForwardMinutes = 30;

// Alarms as one reminder holds them: an early minute, warnings, and the alarms it cannot hold.
struct AlarmSplit {
    int Forward = 0;
    std::vector<TLeadTime> Warnings;
    // Minutes before the start (negative: after it) of the alarms that no warning can be.
    std::vector<int> Others;
    // More alarms than a reminder has warnings: those farthest from the start were left out.
    bool Dropped = false;
};
// The alarms at so many minutes before a start at `minuteOfDay` (0 is the start itself, which fires anyway).
// The early minute is `keptForward` where that alarm is still there; else the farthest alarm of up to
// LongestForwardMinutes on the start's day that is none of the `keptWarnings`. Every other alarm up to 60 days
// ahead is a warning.
AlarmSplit SplitAlarms(std::vector<int> minutesBefore, int minuteOfDay, std::optional<int> keptForward = std::nullopt,
                       const std::vector<TLeadTime>& keptWarnings = {});

// A text of the file on one line, without blanks at its ends.
std::string CleanText(const char* raw);
// A title of another calendar as the message that shows it as written, cut (and counted) to what a data file
// keeps.
std::string StoredTitle(const std::string& title, ImportTally& tally);
// Every occurrence of the event up to `until` as local minutes, ascending; none when its start cannot be read.
std::vector<TDateTime> OccurrencesOf(icalcomponent* component, TDateTime until, TDateTime now);

// Reads an event or to-do of another program (or one of this program's read by its standard properties alone)
// into reminders, counting in the tally what could not be taken.
void TakeForeignComponent(icalcomponent* component, const TIcsImportOptions& options, std::vector<TExchangeItem>& items,
                          ImportTally& tally);

} // namespace chimewell::ics
