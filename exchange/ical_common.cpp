#include "exchange/ical_common.h"

#include "exchange/ical_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

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

std::string EncodeCarriedText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '%') {
            out += "%25";
        } else if (c == ',') {
            out += "%2C";
        } else {
            out += c;
        }
    }
    return out;
}

std::string DecodeCarriedText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view rest = text.substr(i, 3);
        if (rest == "%25" || rest == "%2C" || rest == "%2c") {
            out += rest == "%25" ? '%' : ',';
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
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

namespace {

// FNV-1a: the same on every machine, unlike std::hash.
constexpr std::uint64_t FnvBasis = 1469598103934665603ULL;

std::uint64_t Mixed(std::uint64_t hash, std::string_view bytes) {
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

std::uint64_t Mixed(std::uint64_t hash, std::uint64_t value) {
    for (int shift = 0; shift < 64; shift += 8) {
        hash ^= (value >> shift) & 0xFF;
        hash *= 1099511628211ULL;
    }
    return hash;
}

std::string HexOf(std::uint64_t hash) {
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(hash));
    return out;
}

// A time as the file gives it: its fields, and its zone's name (or UTC); a zone is not looked up, so that the
// key does not depend on the zones a machine knows.
std::uint64_t TimeKey(icalproperty* property, const icaltimetype& t) {
    std::uint64_t fields = static_cast<std::uint64_t>(t.year) * 10000000000ULL +
                           static_cast<std::uint64_t>(t.month) * 100000000ULL +
                           static_cast<std::uint64_t>(t.day) * 1000000ULL;
    if (!t.is_date) {
        fields += static_cast<std::uint64_t>(t.hour) * 10000 + static_cast<std::uint64_t>(t.minute) * 100 +
                  static_cast<std::uint64_t>(t.second) + 1;
    }
    std::uint64_t key = Mixed(FnvBasis, fields);
    if (icaltime_is_utc(t)) {
        key = Mixed(key, std::string_view("Z"));
    } else if (icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER)) {
        const char* name = icalparameter_get_tzid(tzid);
        key = Mixed(key, std::string_view(name != nullptr ? name : ""));
    }
    return key;
}

// The times of the properties of one kind, in an order that does not depend on the file's.
std::uint64_t TimesOf(icalcomponent* event, icalproperty_kind kind, std::uint64_t hash) {
    std::vector<std::uint64_t> keys;
    for (icalproperty* property = icalcomponent_get_first_property(event, kind); property != nullptr;
         property = icalcomponent_get_next_property(event, kind)) {
        if (kind == ICAL_RDATE_PROPERTY) {
            const icaldatetimeperiodtype value = icalproperty_get_rdate(property);
            keys.push_back(TimeKey(property, icaltime_is_null_time(value.time) ? value.period.start : value.time));
        } else if (kind == ICAL_EXDATE_PROPERTY) {
            keys.push_back(TimeKey(property, icalproperty_get_exdate(property)));
        } else {
            keys.push_back(TimeKey(property, icalproperty_get_dtstart(property)));
        }
    }
    std::sort(keys.begin(), keys.end());
    hash = Mixed(hash, static_cast<std::uint64_t>(kind));
    for (const std::uint64_t key : keys) {
        hash = Mixed(hash, key);
    }
    return hash;
}

} // namespace

TShownParts ShownPartsOf(icalcomponent* event) {
    TShownParts parts;
    const char* summary = icalcomponent_get_summary(event);
    parts.Summary = HexOf(Mixed(FnvBasis, std::string_view(summary != nullptr ? summary : "")));

    std::vector<std::string> rules;
    for (icalproperty* property = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY); property != nullptr;
         property = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
        icalrecurrencetype rule = icalproperty_get_rrule(property);
        char* text = icalrecurrencetype_as_string_r(&rule);
        rules.push_back(text != nullptr ? text : "");
        icalmemory_free_buffer(text);
    }
    std::sort(rules.begin(), rules.end());
    std::uint64_t times = TimesOf(event, ICAL_DTSTART_PROPERTY, FnvBasis);
    for (const std::string& rule : rules) {
        times = Mixed(Mixed(times, rule), std::string_view("\n"));
    }
    times = TimesOf(event, ICAL_RDATE_PROPERTY, times);
    times = TimesOf(event, ICAL_EXDATE_PROPERTY, times);
    parts.Times = HexOf(times);

    std::vector<std::string> alarms;
    for (icalcomponent* alarm = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT); alarm != nullptr;
         alarm = icalcomponent_get_next_component(event, ICAL_VALARM_COMPONENT)) {
        icalproperty* property = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
        if (property == nullptr) {
            alarms.push_back("none");
            continue;
        }
        const icaltriggertype trigger = icalproperty_get_trigger(property);
        if (!icaltime_is_null_time(trigger.time)) {
            alarms.push_back("at" + std::to_string(TimeKey(property, trigger.time)));
            continue;
        }
        icalparameter* related = icalproperty_get_first_parameter(property, ICAL_RELATED_PARAMETER);
        const bool end = related != nullptr && icalparameter_get_related(related) == ICAL_RELATED_END;
        alarms.push_back((end ? "end" : "start") + std::to_string(icaldurationtype_as_int(trigger.duration)));
    }
    std::sort(alarms.begin(), alarms.end());
    std::uint64_t alarmHash = FnvBasis;
    for (const std::string& alarm : alarms) {
        alarmHash = Mixed(Mixed(alarmHash, alarm), std::string_view("\n"));
    }
    parts.Alarms = HexOf(alarmHash);
    return parts;
}

std::string ShownPartsText(const TShownParts& parts) {
    // Blanks between the fields: some writers escape a ";" in a property's text.
    return "summary=" + parts.Summary + " times=" + parts.Times + " alarms=" + parts.Alarms;
}

std::optional<TShownParts> ParseShownParts(std::string_view text) {
    TShownParts parts;
    std::size_t found = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of(" ;\\"), text.size());
        const std::string_view field = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (field.empty()) {
            continue;
        }
        const std::size_t equals = field.find('=');
        if (equals == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view name = field.substr(0, equals);
        const std::string value(field.substr(equals + 1));
        std::string* slot = name == "summary"  ? &parts.Summary
                            : name == "times"  ? &parts.Times
                            : name == "alarms" ? &parts.Alarms
                                               : nullptr;
        if (slot != nullptr && slot->empty() && !value.empty()) {
            *slot = value;
            ++found;
        }
    }
    if (found != 3) {
        return std::nullopt;
    }
    return parts;
}

} // namespace chimewell::ics
