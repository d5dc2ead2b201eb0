#include "platform/autostart_file.h"

#include "data/file_io.h"
#include "data/paths.h"
#include "data/text_helpers.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace chimewell {

namespace {

constexpr std::string_view EntryGroup = "[Desktop Entry]";
// An entry is a few lines; anything far larger is not one of ours and is not worth reading.
constexpr std::size_t LargestEntryFile = 1 << 20;

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
        const std::string_view trimmed = Trim(line, " \t\r");
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
        std::string key(Trim(trimmed.substr(0, equals), " \t\r"));
        bool known = false;
        for (const auto& [name, value] : keys) {
            known = known || name == key;
        }
        if (!known) {
            keys.emplace_back(std::move(key), std::string(Trim(trimmed.substr(equals + 1), " \t\r")));
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

} // namespace

std::string AutostartDirectory() {
    // Relative values of the variable are invalid and must be ignored.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/') {
        return std::string(configHome) + "/autostart";
    }
    const std::string home = HomeFolder();
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
    if (path.empty() || ReadWholeFile(path, contents, LargestEntryFile) != FileReadResult::Read) {
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

bool WriteAutostartEntry(const std::string& path, std::string_view displayName, std::string_view program,
                         std::string_view iconName) {
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
    if (!program.empty() && program.front() == '/') {
        // Once the program is removed, the desktop skips the entry instead of failing to start it at every login.
        contents += "TryExec=";
        contents += EscapeDesktopString(program);
        contents += "\n";
    }
    if (!iconName.empty()) {
        contents += "Icon=";
        contents += EscapeDesktopString(iconName);
        contents += "\n";
    }
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) {
        return false;
    }
    return TryWriteFileAtomically(path, contents);
}

bool DeleteAutostartEntry(const std::string& path) {
    if (path.empty()) {
        return true;
    }
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}

} // namespace chimewell
