#pragma once
// iCalendar files (RFC 5545): reminders written as events that other calendars and phones show, and the events
// and to-dos of other programs read in as reminders. libical reads and writes the format; the days of the
// reminders that no other calendar can compute (lunar dates, solar terms, week and workday conditions, the
// hourly and start-up methods) come from this program's own calendar, as lists of dates.
//
// Every event carries the reminder's 15 keys, and its warnings, interval and end, in X-CHIMEWELL-… properties, so
// that a file written here comes back exactly as it was; the lunar rule also travels as its RFC 7529 form
// (RSCALE=CHINESE). The warnings also go out as alarms, the interval and the end in the rule (INTERVAL, COUNT,
// UNTIL) or in the list of dates.

#include "calendar/datetime.h"
#include "data/reminder.h"
#include "exchange/exchange_file.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

class TRmDataList;

inline constexpr int DefaultIcsYears = 10;
inline constexpr int MaxIcsYears = 50;
inline constexpr const char* IcsPropertyPrefix = "X-CHIMEWELL-";

struct TIcsExportOptions {
    // The moment of the export: lists of dates and rules begin after it.
    TDateTime From = 0;
    // How many years the lists of dates reach, 1..MaxIcsYears.
    int Years = DefaultIcsYears;
    // Lunar reminders as RFC 7529 rules (RRULE;RSCALE=CHINESE) in place of lists of dates, for the calendars
    // that compute them.
    bool LunarRules = false;
    bool BeginWithSunday = false;
    // The local zone's name in the zone database; times are written in it with its VTIMEZONE. Empty, or a name
    // the zone database does not hold: floating local times.
    std::string TimeZone;
    // The revision the events carry (SEQUENCE), with LAST-MODIFIED at the moment of writing; 0 writes neither. A
    // sync writing over an event another client revised gives one above that client's.
    int Sequence = 0;
};

// A stored reminder section as the reminder it makes, and a reminder as its section (flags as 0 or 1).
TRmMainDate RecordOf(const TExchangeItem& item);
TExchangeItem ItemOfRecord(const TRmMainDate& record);

// The minutes a reminder stands in other calendars, its early minute and its warnings aside: its set minutes, and
// for the hourly methods every full hour of their days too; strictly after the minute of `after`, no later than
// `until`, at most `count`.
std::vector<TDateTime> ReminderEventMinutes(const TRmMainDate& record, TDateTime after, TDateTime until, int count,
                                            bool beginWithSunday);

// The days a list of dates reaches for so many years.
int IcsListDays(int years);

// The RFC 7529 rule of a lunar reminder ("RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=5L;BYMONTHDAY=15", an interval of
// lunar years or months as INTERVAL), or empty when the reminder is not lunar or no such rule fires on exactly its
// days.
std::string LunarRuleOf(const TExchangeItem& item);

// The calendar file of the reminders, one VEVENT each, in the order given.
std::string IcsFileBytes(const std::vector<TExchangeItem>& items, const TIcsExportOptions& options);

// A new identifier for a reminder: 128 random bits as a UUID.
std::string NewReminderUid();

// Gives the reminders at the 1-based positions a UID where they have none, writing each to the data file as the
// list writes every change (an outside change of the file is taken in first). Empty, or why the data file could
// not take them (a read-only folder, a full disk): an export then goes on, its events with UIDs of their own.
std::string GiveUids(TRmDataList& list, const std::vector<std::int32_t>& numbers);

// Writes the reminders at the 1-based positions of the data file into a new calendar file. False, with nothing
// written, when a file of that name exists. Throws std::runtime_error when the data file cannot be read or the
// file cannot be written.
bool ExportIcs(const std::string& dataFileName, const std::string& exportFileName,
               const std::vector<std::int32_t>& numbers, const TIcsExportOptions& options);

struct TIcsImportOptions {
    // Occurrences are looked for after this moment.
    TDateTime Now = 0;
    bool BeginWithSunday = false;
    // Set by another thread: the reading stops at the next event, and the file says it was cancelled.
    const std::atomic<bool>* Cancel = nullptr;
};

// What a calendar file holds, or why it is refused.
struct TIcsImportFile {
    // Non-empty: a sentence for the user, naming the file; nothing may be imported.
    std::string Refusal;
    std::vector<TExchangeItem> Items;
    // Sentences on what was not taken as it stood: events turned into their dates, events left out and why.
    std::vector<std::string> Notes;
    // The UIDs of this program's events that another calendar changed: taken as it left them, and to be
    // written back in this program's form.
    std::vector<std::string> EditedElsewhere;
    // The reading was cancelled; nothing of it is to be taken.
    bool Cancelled = false;
    // What the expansion of the recurrences cost, in steps of the iterator: bounded whatever the file holds.
    long long ExpansionSteps = 0;
};

// Recurrences that have no reminder equal to them come in as their occurrences of this many days, at most
// IcsExpandedAtMost of them.
inline constexpr int IcsExpandedDays = 366;
inline constexpr int IcsExpandedAtMost = 100;
// A timed event without alarms, or an all-day event, reminds at this time of its day.
inline constexpr int IcsAllDayHour = 9;

// True when the bytes begin (after blanks and a byte order mark) with "BEGIN:VCALENDAR".
bool LooksLikeICalendar(std::string_view bytes);
// The SEQUENCE of the first event of a calendar's text; 0 without one.
int IcsEventSequence(const std::string& text);

// True for a file whose first bytes are a calendar's, or whose name ends in ".ics" (in any letter case).
bool IsICalendarFile(const std::string& fileName);

// Reads calendar text: every VEVENT, and every VTODO with a due time, becomes one reminder or more.
TIcsImportFile ReadIcsText(const std::string& text, const std::string& fileName, const TIcsImportOptions& options);
// Reads a calendar file; refused as the exchange import refuses a file it cannot read.
TIcsImportFile ReadIcsFile(const std::string& fileName, const TIcsImportOptions& options);

// The whole import of a calendar file, as ImportReminders does it for an exchange file: refuses with a message
// naming the file, says when it holds no reminders, asks before reminders with commands and appends them.
// True when the data file was written; `summary` then tells how many came in and what was changed.
bool ImportIcsReminders(const std::string& dataFileName, const std::string& importFileName,
                        const TIcsImportOptions& options, std::string& summary);
// The steps of the import after the file was read (elsewhere, off the window's thread); a cancelled reading
// imports nothing and says nothing.
bool ImportReadCalendar(const std::string& dataFileName, const std::string& importFileName, const TIcsImportFile& file,
                        std::string& summary);

} // namespace chimewell
