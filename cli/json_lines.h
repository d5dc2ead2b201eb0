#pragma once
// Lines of JSON for scripts (`--json`): one object a line, the reminder's stored keys by their file names beside
// what the command worked out.

#include "data/reminder.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace chimewell::cli {

// A JSON string of UTF-8 text, quotes included.
std::string JsonString(std::string_view text);

// Builds one object: fields in the order added.
class TJsonLine {
public:
    TJsonLine& Text(std::string_view key, std::string_view value);
    TJsonLine& Number(std::string_view key, std::int64_t value);
    TJsonLine& Flag(std::string_view key, bool value);
    // The reminder's keys as the data file names them: the 15, the UID and those after it (empty texts for the
    // ones not set), numbers as numbers and flags as true or false.
    TJsonLine& Reminder(const TRmMainDate& record);
    // The object and a line end.
    std::string Line() const;

private:
    void Key(std::string_view key);
    std::string Body;
};

} // namespace chimewell::cli
