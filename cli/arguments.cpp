#include "cli/arguments.h"

#include <charconv>
#include <cstdio>

namespace chimewell::cli {

namespace {
bool ParseDigits(const std::string& text, std::size_t position, std::size_t count, int& value) {
    if (position + count > text.size()) {
        return false;
    }
    value = 0;
    for (std::size_t i = position; i < position + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

bool ParseDateAt(const std::string& text, DateFields& date) {
    return text.size() >= 10 && ParseDigits(text, 0, 4, date.Year) && text[4] == '-' &&
           ParseDigits(text, 5, 2, date.Month) && text[7] == '-' && ParseDigits(text, 8, 2, date.Day) &&
           IsValidGregorianDate(date.Year, date.Month, date.Day);
}
} // namespace

bool LooksLikeOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-' &&
           (argument[1] == '-' || (argument[1] < '0' || argument[1] > '9'));
}

ParsedArguments ParseArguments(const std::vector<std::string>& arguments, std::initializer_list<std::string_view> flags,
                               std::initializer_list<std::string_view> valueOptions) {
    const auto listed = [](std::initializer_list<std::string_view> names, const std::string& argument) {
        for (const std::string_view name : names) {
            if (name == argument) {
                return true;
            }
        }
        return false;
    };
    ParsedArguments parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !LooksLikeOption(argument)) {
            parsed.Positional.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (listed(valueOptions, argument)) {
            if (i + 1 >= arguments.size()) {
                throw UsageError(argument + " needs a value");
            }
            parsed.Values[argument] = arguments[++i];
        } else if (listed(flags, argument)) {
            parsed.Flags.insert(argument);
        } else {
            throw UsageError("unknown option '" + argument + "'");
        }
    }
    return parsed;
}

int ParseInteger(const std::string& text, const char* what, int minimum, int maximum) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || rest != end || value < minimum || value > maximum) {
        throw UsageError("invalid " + std::string(what) + " '" + text + "' (expected a whole number from " +
                         std::to_string(minimum) + " to " + std::to_string(maximum) + ")");
    }
    return value;
}

TDateTime ParseDate(const std::string& text) {
    DateFields date;
    if (text.size() != 10 || !ParseDateAt(text, date)) {
        throw UsageError("invalid date '" + text + "' (expected YYYY-MM-DD)");
    }
    return EncodeDate(date.Year, date.Month, date.Day);
}

TDateTime ParseDateTime(const std::string& text, bool allowSeconds) {
    DateFields date;
    int hour = 0;
    int minute = 0;
    int second = 0;
    const bool withSeconds = allowSeconds && text.size() == 19;
    const bool valid = (text.size() == 16 || withSeconds) && ParseDateAt(text, date) && text[10] == ' ' &&
                       ParseDigits(text, 11, 2, hour) && text[13] == ':' && ParseDigits(text, 14, 2, minute) &&
                       (!withSeconds || (text[16] == ':' && ParseDigits(text, 17, 2, second))) && hour < 24 &&
                       minute < 60 && second < 60;
    if (!valid) {
        throw UsageError("invalid moment '" + text + "' (expected \"YYYY-MM-DD HH:MM" + (allowSeconds ? "[:SS]" : "") +
                         "\")");
    }
    return EncodeDateTime(date.Year, date.Month, date.Day, hour, minute, second);
}

std::string FormatDate(TDateTime date) {
    const DateFields d = DecodeDate(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
    return text;
}

std::string FormatDateTime(TDateTime moment) {
    const TimeFields t = DecodeTime(moment);
    char text[16];
    std::snprintf(text, sizeof text, " %02d:%02d:%02d", t.Hour, t.Minute, t.Second);
    return FormatDate(moment) + text;
}

} // namespace chimewell::cli
