#pragma once
// Parsing of the command line's values: every malformed value becomes a UsageError naming it.

#include "calendar/datetime.h"

#include <initializer_list>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell::cli {

// A malformed or missing argument; the message names it. The program prints it and exits with status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A command's arguments, its options taken out. Options may stand anywhere; "--" ends them, so that what
// follows is taken as it is (`expand -- --text`).
struct ParsedArguments {
    std::map<std::string, std::string> Values; // options that take a value, by name ("--at")
    std::set<std::string> Flags;               // options without a value ("--leap")
    std::vector<std::string> Positional;

    bool Has(const std::string& name) const { return Values.contains(name) || Flags.contains(name); }
};

// Splits the arguments; an option that is neither a flag nor a value option of the command is named in a
// UsageError, as is a value option without its value.
ParsedArguments ParseArguments(const std::vector<std::string>& arguments, std::initializer_list<std::string_view> flags,
                               std::initializer_list<std::string_view> valueOptions);

// True for an argument that looks like an option: "--name" or "-x".
bool LooksLikeOption(const std::string& argument);

int ParseInteger(const std::string& text, const char* what, int minimum, int maximum);
// YYYY-MM-DD.
TDateTime ParseDate(const std::string& text);
// "YYYY-MM-DD HH:MM", and with seconds when allowSeconds is set ("YYYY-MM-DD HH:MM:SS").
TDateTime ParseDateTime(const std::string& text, bool allowSeconds);

std::string FormatDate(TDateTime date);
std::string FormatDateTime(TDateTime moment);

} // namespace chimewell::cli
