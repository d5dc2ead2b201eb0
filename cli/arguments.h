#pragma once
// Parsing of the command line's values: every malformed value becomes a UsageError naming it.

#include "calendar/datetime.h"

#include <stdexcept>
#include <string>

namespace chimewell::cli {

// A malformed or missing argument; the message names it. The program prints it and exits with status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

int ParseInteger(const std::string& text, const char* what, int minimum, int maximum);
// YYYY-MM-DD.
TDateTime ParseDate(const std::string& text);
// "YYYY-MM-DD HH:MM", and with seconds when allowSeconds is set ("YYYY-MM-DD HH:MM:SS").
TDateTime ParseDateTime(const std::string& text, bool allowSeconds);

std::string FormatDate(TDateTime date);
std::string FormatDateTime(TDateTime moment);

} // namespace chimewell::cli
