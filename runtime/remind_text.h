#pragma once
// The reminder text language: "#" codes for the date, the time and the program, "%" codes for the lunar
// calendar and the computer, and the conditions that may begin a message: the week conditions ("$mw…$",
// "$yw…$") and the official workday and rest-day conditions ("$gzr$", "$xxr$"), which follow the installed
// holiday schedule.

#include "calendar/datetime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace chimewell {

// The expansion at the clock's present moment.
std::string ExpandRemindText(std::string_view text);
// The expansion at a given moment; the codes read nothing else of the clock.
std::string ExpandRemindTextAt(std::string_view text, TDateTime moment);

struct TWeekCondition {
    bool WellFormed = false;
    bool HasNumber = false;
    // Numbers beyond what any week can be are held at WeekConditionNumberLimit.
    std::int64_t Number = 0;
};
inline constexpr std::int64_t WeekConditionNumberLimit = 1'000'000'000'000;

// True when the text begins with "$mw" or "$yw", or with a whole "$gzr$" or "$xxr$". The week forms, N a
// decimal number: "$mwd$" / "$mws$" (odd / even week of the month), "$mwm" N "$" (a multiple of N), "$mw" N "$"
// (week N), "$mwo" N "$" (the N-th occurrence of today's weekday in the month), and the same with "$yw" for the
// week of the year, "o" excepted. "$gzr$" holds on official workdays, "$xxr$" on official rest days.
bool HasWeekCondition(std::string_view text);
// True when the text begins with "$gzr$" or "$xxr$": whether it holds depends on the holiday schedule.
bool HasHolidayCondition(std::string_view text);
TWeekCondition ParseWeekCondition(std::string_view text);
// Whether the present week (of the month or of the year, as the condition says) or the present day (an official
// workday or rest day) satisfies the condition. A condition that does not parse, a multiple of 0 and a date
// without a week number never hold.
bool WeekConditionHolds(std::string_view text, bool beginWithSunday);
bool WeekConditionHoldsAt(std::string_view text, TDateTime moment, bool beginWithSunday);
// The text after its leading "$…$"; the text itself when it does not begin with one.
std::string StripWeekCondition(std::string_view text);

// A text from elsewhere (another calendar's title) as a message that shows exactly as written: "#" and "%"
// doubled, a leading "$" written "#$" so that it begins no condition; no longer than maxCharacters, and never
// cut inside a doubled mark.
std::string LiteralRemindText(std::string_view text, int maxCharacters);

// What firing a reminder with this message does at a moment.
struct TRemindTextResult {
    std::string Expanded;       // the whole message expanded, a week condition left in place
    std::string Shown;          // what the reminder window shows: Expanded without its week condition
    bool HasCondition = false;  // the raw message begins with a week condition
    bool ConditionHolds = true; // false only when a week condition keeps the reminder from showing
};
TRemindTextResult PrepareRemindText(std::string_view message, TDateTime moment, bool beginWithSunday);

} // namespace chimewell
