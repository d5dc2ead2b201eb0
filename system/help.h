#pragma once
// The help: the compiled help file when one was installed, else the HTML help document that ships with the
// program. The maker's pages are sections of that document, since the program has no web site of its own.

#include <string>
#include <string_view>

namespace chimewell {

inline constexpr std::string_view HelpFileName = "remindhelp.chm";
inline constexpr std::string_view HelpDocumentName = "help/index.html";

enum class THelpSection {
    Contents, // the whole help
    About,    // the program, its version and its maker
    Report,   // how to report a fault
};

// What a help command opens, looked for beside the executable (in its folder, given) and then in the
// installed data folder: the help file, else the help document; a section is a place in the help document,
// which only the help file stands in for when the document is missing. Empty when there is neither.
std::string HelpTarget(const std::string& executableFolder, THelpSection section);

// A "file://" address for a local path, every byte but the unreserved ones and "/" percent-encoded, with a
// "#fragment" when one is given.
std::string FileUrl(const std::string& path, std::string_view fragment = {});

// Opens the help or a section of it with the desktop's handler; without either file, says so in a message
// box and opens nothing.
void OpenHelp(const std::string& executableFolder, THelpSection section);

} // namespace chimewell
