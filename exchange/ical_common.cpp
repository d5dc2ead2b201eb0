#include "exchange/ical_common.h"

#include "exchange/ical_file.h"

#include <cstdlib>
#include <ctime>

namespace chimewell::ics {

void SetUpLibical() {
    static const bool done = [] {
        icaltimezone_set_tzid_prefix("");
        icalerror_set_errors_are_fatal(0);
        return true;
    }();
    (void)done;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::string PropertyName(std::string_view key) {
    return IcsPropertyPrefix + Upper(key);
}

bool HasTimeOfDay(const TRmMainDate& record) {
    return record.Hour >= 0 && record.Hour < 24 && record.Minuter >= 0 && record.Minuter < 60;
}

icaltimetype FieldsOf(TDateTime moment) {
    const DateFields date = DecodeDate(moment);
    const TimeFields time = DecodeTime(moment);
    icaltimetype t = icaltime_null_time();
    t.year = date.Year;
    t.month = date.Month;
    t.day = date.Day;
    t.hour = time.Hour;
    t.minute = time.Minute;
    t.second = 0;
    t.is_date = 0;
    return t;
}

icaltimetype UtcOf(TDateTime moment, const ExportZone& zone) {
    icaltimetype t = FieldsOf(moment);
    icaltimezone* utc = icaltimezone_get_utc_timezone();
    if (zone.Zone != nullptr) {
        t.zone = zone.Zone;
        return icaltime_convert_to_zone(t, utc);
    }
    std::tm fields{};
    fields.tm_year = t.year - 1900;
    fields.tm_mon = t.month - 1;
    fields.tm_mday = t.day;
    fields.tm_hour = t.hour;
    fields.tm_min = t.minute;
    fields.tm_isdst = -1;
    return icaltime_from_timet_with_zone(std::mktime(&fields), 0, utc);
}

bool IsReadableTime(const icaltimetype& t) {
    return !icaltime_is_null_time(t) && icaltime_is_valid_time(t) && t.year >= 1 &&
           IsValidGregorianDate(t.year, t.month, t.day) && t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60;
}

std::optional<TDateTime> LocalMomentOf(icaltimetype t) {
    if (!IsReadableTime(t)) {
        return std::nullopt;
    }
    if (t.is_date) {
        return EncodeDateTime(t.year, t.month, t.day, IcsAllDayHour, 0);
    }
    if (t.zone == nullptr) {
        return EncodeDateTime(t.year, t.month, t.day, t.hour, t.minute);
    }
    const time_t instant = icaltime_as_timet_with_zone(t, t.zone);
    std::tm local{};
    if (localtime_r(&instant, &local) == nullptr) {
        return std::nullopt;
    }
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
}

std::string TextOf(icalcomponent* component) {
    char* text = icalcomponent_as_ical_string_r(component);
    std::string bytes = text != nullptr ? text : "";
    icalmemory_free_buffer(text);
    return bytes;
}

} // namespace chimewell::ics
