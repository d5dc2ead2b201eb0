#include "data/paths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace chimewell {

namespace {

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

} // namespace

std::string ExecutableFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    const std::string executable(path, static_cast<std::size_t>(length));
    return executable.substr(0, executable.rfind('/') + 1);
}

namespace {} // namespace

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return home;
    }
    const passwd* entry = getpwuid(geteuid());
    if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
        return entry->pw_dir;
    }
    return {};
}

bool MakeFolders(const std::string& folder) {
    std::string path;
    for (std::size_t i = 0; i <= folder.size(); ++i) {
        if (i == folder.size() || (folder[i] == '/' && i > 0)) {
            path = folder.substr(0, i);
            // The per-user data folders are private, as the base-directory rules ask.
            if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
                return false;
            }
        }
    }
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ChooseProgramFilesFolder(const std::string& executableFolder, const char* xdgDataHome, const char* home,
                                     bool create) {
    if (!executableFolder.empty() && (Exists(WithSlash(executableFolder) + "reminddata.sdt") ||
                                      Exists(WithSlash(executableFolder) + "config.ini"))) {
        return WithSlash(executableFolder);
    }
    std::string dataHome;
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        dataHome = xdgDataHome;
    } else if (home != nullptr && home[0] != '\0') {
        dataHome = WithSlash(home) + ".local/share";
    } else {
        // No home at all: stay beside the executable, where a save then fails with a clear message.
        return WithSlash(executableFolder.empty() ? std::string(".") : executableFolder);
    }
    const std::string folder = WithSlash(dataHome) + "chimewell/";
    if (create) {
        MakeFolders(folder);
    }
    return folder;
}

std::string ProgramFilesFolder(bool create) {
    const std::string home = HomeFolder();
    return ChooseProgramFilesFolder(ExecutableFolder(), std::getenv("XDG_DATA_HOME"), home.c_str(), create);
}

std::string FindShippedFileFrom(const std::string& executableFolder, const std::string& name) {
    if (executableFolder.empty() || name.empty()) {
        return {};
    }
    const std::string folder = WithSlash(executableFolder);
    for (const std::string& candidate : {folder + name, folder + "../share/chimewell/" + name}) {
        if (Exists(candidate)) {
            return candidate;
        }
    }
    return {};
}

std::string FindShippedFile(const std::string& name) {
    return FindShippedFileFrom(ExecutableFolder(), name);
}

} // namespace chimewell
