#pragma once
// The user's XDG autostart entries: one desktop entry file per program that the desktop starts at logon.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

// $XDG_CONFIG_HOME/autostart when that variable holds an absolute path, else ~/.config/autostart;
// empty when no home folder is known.
std::string AutostartDirectory();
// The entry file for a name (the name plus ".desktop" in AutostartDirectory()); empty when there is none.
std::string AutostartEntryPath(std::string_view entryName);

// The program an entry starts: its Exec command line with the quoting and escapes undone, the arguments
// joined by single blanks. Empty when the file is missing or unreadable, is not an application entry,
// has no usable Exec line, or is switched off (Hidden=true, X-GNOME-Autostart-enabled=false).
std::string ReadAutostartEntry(const std::string& path);

// Writes an application entry that starts `program` (a full path, no arguments), replacing the file in one
// step and creating its folder when missing; `iconName` names the icon the session's settings show beside
// the entry (none when empty). False, with errno set, when the entry could not be written; an entry that was
// there before is then left as it was.
bool WriteAutostartEntry(const std::string& path, std::string_view displayName, std::string_view program,
                         std::string_view iconName = {});

// True when the file is gone afterwards, also when it never existed.
bool DeleteAutostartEntry(const std::string& path);

// One argument as an Exec value holds it: "%" doubled, and the whole argument double-quoted, with
// " ` $ \ escaped, when it holds a blank or another character the shell would read.
std::string QuoteExecArgument(std::string_view argument);
// The escapes of a desktop entry string value (\\ \n \t \r, and \s for a leading blank).
std::string EscapeDesktopString(std::string_view value);
std::string UnescapeDesktopString(std::string_view value);
// Splits an Exec value (already unescaped as a string) into its arguments; field codes such as %f give
// nothing. Nothing at all when a quote is left open.
std::optional<std::vector<std::string>> SplitExecLine(std::string_view value);

} // namespace chimewell
