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

// The component as calendar text.
std::string TextOf(icalcomponent* component);

} // namespace chimewell::ics
