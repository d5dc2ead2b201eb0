#include "platform/autostart_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace chimewell {

namespace {

constexpr std::string_view EntryGroup = "[Desktop Entry]";
// An entry is a few lines; anything far larger is not one of ours and is not worth reading.
constexpr std::streamsize LargestEntryFile = 1 << 20;

std::string HomeDirectory() {
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

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool NeedsQuoting(std::string_view argument) {
    return argument.empty() || argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string_view::npos;
}

// The keys of the [Desktop Entry] group; the first of two equal keys counts.
std::vector<std::pair<std::string, std::string>> ReadEntryKeys(const std::string& contents) {
    std::vector<std::pair<std::string, std::string>> keys;
    std::istringstream lines(contents);
    std::string line;
    bool inEntryGroup = false;
    while (std::getline(lines, line)) {
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == '#') {
            continue;
        }
        if (trimmed.front() == '[') {
            inEntryGroup = trimmed == EntryGroup;
            continue;
        }
        const std::size_t equals = trimmed.find('=');
        if (!inEntryGroup || equals == std::string_view::npos) {
            continue;
        }
        std::string key(Trim(trimmed.substr(0, equals)));
        bool known = false;
        for (const auto& [name, value] : keys) {
            known = known || name == key;
        }
        if (!known) {
            keys.emplace_back(std::move(key), std::string(Trim(trimmed.substr(equals + 1))));
        }
    }
    return keys;
}

std::optional<std::string> KeyValue(const std::vector<std::pair<std::string, std::string>>& keys,
                                    std::string_view name) {
    for (const auto& [key, value] : keys) {
        if (key == name) {
            return value;
        }
    }
    return std::nullopt;
}

bool ReadSmallFile(const std::string& path, std::string& contents) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    file.seekg(0, std::ios::end);
    const std::streamsize size = file.tellg();
    if (size < 0 || size > LargestEntryFile) {
        return false;
    }
    file.seekg(0);
    contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeDirectories(const std::string& path) {
    if (IsDirectory(path)) {
        return true;
    }
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    return IsDirectory(path);
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Writes the file through a temporary file in the same folder and a rename, so a crash leaves either
// the old entry or the new one, never a torn file.
bool ReplaceFile(const std::string& path, std::string_view contents) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : path.substr(0, slash);
    if (!MakeDirectories(folder)) {
        return false;
    }
    mode_t mode = 0644;
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    }
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    bool written = WriteAll(fd, contents) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    int failure = errno;
    if (close(fd) != 0 && written) {
        written = false;
        failure = errno;
    }
    if (written && rename(temporary.c_str(), path.c_str()) != 0) {
        written = false;
        failure = errno;
    }
    if (!written) {
        unlink(temporary.c_str());
        errno = failure;
        return false;
    }
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (folderFd >= 0) {
        fsync(folderFd);
        close(folderFd);
    }
    return true;
}

} // namespace

std::string AutostartDirectory() {
    // Relative values of the variable are invalid and must be ignored.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/') {
        return std::string(configHome) + "/autostart";
    }
    const std::string home = HomeDirectory();
    return home.empty() ? std::string() : home + "/.config/autostart";
}

std::string AutostartEntryPath(std::string_view entryName) {
    const std::string folder = AutostartDirectory();
    if (folder.empty() || entryName.empty()) {
        return {};
    }
    return folder + "/" + std::string(entryName) + ".desktop";
}

std::string QuoteExecArgument(std::string_view argument) {
    std::string escaped;
    for (const char c : argument) {
        if (c == '%') {
            escaped += "%%";
            continue;
        }
        if (NeedsQuoting(argument) && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            escaped += '\\';
        }
        escaped += c;
    }
    return NeedsQuoting(argument) ? "\"" + escaped + "\"" : escaped;
}

std::string EscapeDesktopString(std::string_view value) {
    std::string escaped;
    for (std::size_t i = 0; i < value.size(); ++i) {
        switch (value[i]) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case ' ':
            escaped += i == 0 ? "\\s" : " ";
            break;
        default:
            escaped += value[i];
        }
    }
    return escaped;
}

std::string UnescapeDesktopString(std::string_view value) {
    std::string plain;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            plain += value[i];
            continue;
        }
        const char next = value[i + 1];
        switch (next) {
        case 's':
            plain += ' ';
            break;
        case 'n':
            plain += '\n';
            break;
        case 't':
            plain += '\t';
            break;
        case 'r':
            plain += '\r';
            break;
        case '\\':
            plain += '\\';
            break;
        default:
            // Not a string escape: it belongs to the quoting of the Exec line, which comes next.
            plain += '\\';
            plain += next;
        }
        ++i;
    }
    return plain;
}

std::optional<std::vector<std::string>> SplitExecLine(std::string_view value) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool inQuotes = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const char next = i + 1 < value.size() ? value[i + 1] : '\0';
        if (inQuotes && c == '\\' && (next == '"' || next == '`' || next == '$' || next == '\\')) {
            current += next;
            ++i;
        } else if (c == '"') {
            inQuotes = !inQuotes;
            inArgument = true;
        } else if (c == '%' && next != '\0') {
            // %% is a percent sign; any other field code stands for files or addresses, of which there are none.
            if (next == '%') {
                current += '%';
                inArgument = true;
            }
            ++i;
        } else if (!inQuotes && (c == ' ' || c == '\t')) {
            if (inArgument) {
                arguments.push_back(std::move(current));
                current.clear();
                inArgument = false;
            }
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inQuotes) {
        return std::nullopt;
    }
    if (inArgument) {
        arguments.push_back(std::move(current));
    }
    return arguments;
}

std::string ReadAutostartEntry(const std::string& path) {
    std::string contents;
    if (path.empty() || !ReadSmallFile(path, contents)) {
        return {};
    }
    const auto keys = ReadEntryKeys(contents);
    if (KeyValue(keys, "Type") != "Application" || KeyValue(keys, "Hidden") == "true" ||
        KeyValue(keys, "X-GNOME-Autostart-enabled") == "false") {
        return {};
    }
    const std::optional<std::string> exec = KeyValue(keys, "Exec");
    if (!exec) {
        return {};
    }
    const auto arguments = SplitExecLine(UnescapeDesktopString(*exec));
    if (!arguments) {
        return {};
    }
    std::string program;
    for (const std::string& argument : *arguments) {
        program += program.empty() ? argument : " " + argument;
    }
    return program;
}

bool WriteAutostartEntry(const std::string& path, std::string_view displayName, std::string_view program) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    std::string contents(EntryGroup);
    contents += "\nType=Application\nName=";
    contents += EscapeDesktopString(displayName);
    contents += "\nExec=";
    contents += EscapeDesktopString(QuoteExecArgument(program));
    contents += "\n";
    return ReplaceFile(path, contents);
}

bool DeleteAutostartEntry(const std::string& path) {
    if (path.empty()) {
        return true;
    }
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}

} // namespace chimewell
