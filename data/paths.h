#pragma once
// The folder the program keeps its files in.

#include <string>

namespace chimewell {

// The folder the user's reminders and settings live in: $XDG_DATA_HOME/chimewell/, by default
// ~/.local/share/chimewell/, unless the executable's folder already holds reminddata.sdt or config.ini (a
// portable copy, which keeps its files beside itself). Ends in "/". The data folder is created when missing
// and `create` is set; commands that only read leave it alone.
std::string ProgramFilesFolder(bool create = true);

// The same choice for a given executable folder and environment, for tests. Empty xdgDataHome or home count
// as unset; a relative XDG_DATA_HOME is ignored, as the base-directory rules require. Without any home the
// executable's folder stays the answer, and saves there fail with their usual message.
std::string ChooseProgramFilesFolder(const std::string& executableFolder, const char* xdgDataHome, const char* home,
                                     bool create = true);

// The folder of the running executable, ending in "/"; empty when it cannot be found.
std::string ExecutableFolder();

// A file or folder that ships with the program (the help document, the skins): beside the executable, else in
// the installed data folder <prefix>/share/chimewell/ (the executable lying in <prefix>/bin). Empty when
// neither holds it.
std::string FindShippedFile(const std::string& name);
std::string FindShippedFileFrom(const std::string& executableFolder, const std::string& name);

// The user's home folder: $HOME when it is an absolute path, else the password database's entry; empty when
// neither knows one.
std::string HomeFolder();

// Creates the folder and its missing parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder);

} // namespace chimewell
