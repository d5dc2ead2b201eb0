#pragma once
// Splitting a command line into a program and its arguments without handing it to a shell, so a reminder's
// command can start exactly one program and never run shell syntax it happens to contain.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

// Splits the way a POSIX shell splits words, and nothing more (no variables, globs, tildes, pipes or
// redirections): blanks separate words; inside '...' every character is literal; inside "..." a backslash
// escapes only \ " $ ` and a line break, and stays otherwise, so a quoted Windows-style program path such as
// "C:\Program Files\x.exe" survives whole; outside quotes a backslash makes the next character literal.
// Adjacent quoted and plain pieces form one word, and '' or "" alone is an empty word.
// Gives no words for a blank line, and nullopt for a quote left open or a line that ends in a lone backslash.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line);

} // namespace chimewell
