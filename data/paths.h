#pragma once
// The folder the program keeps its files in.

#include <string>

namespace chimewell {

// The folder of the running executable when it is writable; otherwise (an installed copy)
// $XDG_DATA_HOME/chimewell/, by default ~/.local/share/chimewell/, created when missing. Ends in "/".
std::string ProgramFilesFolder();

// The same choice for a given executable folder and environment, for tests. Empty xdgDataHome or home count
// as unset; a relative XDG_DATA_HOME is ignored, as the base-directory rules require. Without any home the
// executable's folder stays the answer, and saves there fail with their usual message.
std::string ChooseProgramFilesFolder(const std::string& executableFolder, const char* xdgDataHome, const char* home);

// The user's home folder: $HOME when it is an absolute path, else the password database's entry; empty when
// neither knows one.
std::string HomeFolder();

// Creates the folder and its missing parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder);

} // namespace chimewell
