#include "cli/json_lines.h"

#include "data/reminder_schedule.h"

#include <cstdio>

namespace chimewell::cli {

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

void TJsonLine::Key(std::string_view key) {
    Body += Body.empty() ? "{" : ",";
    Body += JsonString(key);
    Body += ':';
}

TJsonLine& TJsonLine::Text(std::string_view key, std::string_view value) {
    Key(key);
    Body += JsonString(value);
    return *this;
}

TJsonLine& TJsonLine::Number(std::string_view key, std::int64_t value) {
    Key(key);
    Body += std::to_string(value);
    return *this;
}

TJsonLine& TJsonLine::Flag(std::string_view key, bool value) {
    Key(key);
    Body += value ? "true" : "false";
    return *this;
}

TJsonLine& TJsonLine::Reminder(const TRmMainDate& record) {
    Number("Year", record.Year).Number("Month", record.Month).Number("Day", record.Day);
    Number("Hour", record.Hour).Number("Minuter", record.Minuter).Number("Forward", record.Forward);
    Number("Method", record.Method).Flag("IsLunar", record.IsLunar).Flag("IsLeapMonth", record.IsLeapMonth);
    Flag("WithScript", record.WithScript).Flag("AutoExecScript", record.AutoExecScript);
    Flag("Reminded", record.Reminded).Text("Music", record.Music).Text("Command", record.Command);
    Text("Message", record.Message).Text("UID", record.Uid);
    Text(ReminderWarningsKey, FormatWarnings(record.Warnings));
    Text(ReminderIntervalKey, FormatInterval(record.Every, record.EveryCount));
    Text(ReminderStartDateKey, FormatStoredDate(record.StartDate));
    Text(ReminderEndDateKey, FormatStoredDate(record.EndDate));
    Number(ReminderEndCountKey, record.EndCount);
    return Flag(ReminderMonthEndKey, record.MonthEnd);
}

std::string TJsonLine::Line() const {
    return (Body.empty() ? std::string("{") : Body) + "}\n";
}

} // namespace chimewell::cli
