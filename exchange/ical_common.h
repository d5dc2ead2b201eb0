#pragma once
// What the calendar file's export and import share: libical's set-up, the reminder's keys as properties, and
// moments between this program's local minutes and libical's times.

#include "calendar/datetime.h"
#include "data/reminder.h"

#include <libical/ical.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace chimewell::ics {

inline constexpr const char* ProductId = "-//Chimewell//晴铃提醒 1.0//ZH";
inline constexpr std::int64_t MinutesPerDay = 1440;

// Numbers of an exchange item, by the keys' places.
enum NumberKey : std::size_t {
    KeyYear,
    KeyMonth,
    KeyDay,
    KeyHour,
    KeyMinuter,
    KeyForward,
    KeyMethod,
    KeyIsLunar,
    KeyIsLeapMonth,
    KeyWithScript,
    KeyAutoExecScript,
    KeyReminded
};

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentFree>;

// Zone names as the zone database spells them, without libical's own prefix; errors are reported, never fatal.
void SetUpLibical();
std::string Upper(std::string_view text);
// "X-CHIMEWELL-" and the key in capitals.
std::string PropertyName(std::string_view key);
bool HasTimeOfDay(const TRmMainDate& record);

// The texts an event carries in X- properties (music, command, message) with "%" as "%25" and "," as "%2C": a
// server that reads X- values as lists cuts them at the first comma. An event says so in this property, with
// this value; an event without it (an older export) carries them as written.
inline constexpr const char* CarriedTextsKey = "Texts";
inline constexpr const char* CarriedTextsPercent = "PERCENT";
std::string EncodeCarriedText(std::string_view text);
std::string DecodeCarriedText(std::string_view text);

struct ExportZone {
    icaltimezone* Zone = nullptr; // null: floating local times
    bool IsUtc = false;
    std::string Tzid; // the zone database's name, as the file's VTIMEZONE gives it
};

// A local minute as libical's fields, without a zone.
icaltimetype FieldsOf(TDateTime moment);
// A local moment in UTC: through the export's zone, or through the C library's local zone for floating times.
icaltimetype UtcOf(TDateTime moment, const ExportZone& zone);
bool IsReadableTime(const icaltimetype& t);
// The local moment of a time as a file holds it: a zone's time converted, a floating time as it stands, a
// date at IcsAllDayHour.
std::optional<TDateTime> LocalMomentOf(icaltimetype t);

// The RFC 5545 rule of the days of a Gregorian reminder that repeats, its interval included but without its end
// ("FREQ=YEARLY;BYMONTH=3;BYMONTHDAY=15", "FREQ=WEEKLY;INTERVAL=2;WKST=MO;BYDAY=MO,WE"); empty when its days are
// not such a rule's (a fixed date, a lunar date, a condition, a day of the month every few weeks, values no editor
// makes).
std::string GregorianRuleOf(const TRmMainDate& record);

// The component as calendar text.
std::string TextOf(icalcomponent* component);

// What other calendars show of an event and let their users change, as three digests: its title, its times
// (start, rules, dates and exceptions) and its alarms. They are worked out from the parsed values, so that
// another program writing the same event its own way (folded otherwise, properties in another order) gives
// the same digests. An event of this program carries them as they were when it was written
// (X-CHIMEWELL-WRITTEN); parts that differ now were changed by another calendar.
struct TShownParts {
    std::string Summary;
    std::string Times;
    std::string Alarms;
    friend bool operator==(const TShownParts&, const TShownParts&) = default;
};
inline constexpr const char* WrittenPartsKey = "Written";
TShownParts ShownPartsOf(icalcomponent* event);
// "summary=… times=… alarms=…", and back; none for a text that is not such.
std::string ShownPartsText(const TShownParts& parts);
std::optional<TShownParts> ParseShownParts(std::string_view text);

} // namespace chimewell::ics
