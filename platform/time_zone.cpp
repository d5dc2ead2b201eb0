#include "platform/time_zone.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace chimewell {

namespace {

// What tells one version of the zone file from another: the link itself (timedatectl points it elsewhere)
// and the file it leads to (replaced by a rename, or rewritten).
struct ZoneStamp {
    bool Exists = false;
    ino_t LinkInode = 0;
    std::string Target;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    long long Modified = 0;
    bool operator==(const ZoneStamp&) const = default;
};

ZoneStamp StampOf(const std::string& path) {
    ZoneStamp stamp;
    struct stat link {};
    if (lstat(path.c_str(), &link) == 0) {
        stamp.LinkInode = link.st_ino;
        if (S_ISLNK(link.st_mode)) {
            char target[PATH_MAX];
            const ssize_t length = readlink(path.c_str(), target, sizeof target);
            if (length > 0) {
                stamp.Target.assign(target, static_cast<std::size_t>(length));
            }
        }
    }
    struct stat file {};
    if (stat(path.c_str(), &file) == 0) {
        stamp.Exists = true;
        stamp.Device = file.st_dev;
        stamp.Inode = file.st_ino;
        stamp.Size = file.st_size;
        stamp.Modified = static_cast<long long>(file.st_mtim.tv_sec) * 1'000'000'000LL + file.st_mtim.tv_nsec;
    }
    return stamp;
}

} // namespace

std::string TimeZoneFile() {
    const char* zone = std::getenv("TZ");
    if (zone != nullptr && *zone != '\0') {
        std::string name = zone[0] == ':' ? zone + 1 : zone;
        if (!name.empty() && name[0] == '/') {
            return name;
        }
        if (!name.empty() && name.find_first_of(",+-0123456789") == std::string::npos) {
            const char* folder = std::getenv("TZDIR");
            return std::string(folder != nullptr && *folder != '\0' ? folder : "/usr/share/zoneinfo") + "/" + name;
        }
    }
    return "/etc/localtime";
}

void ReloadTimeZone() {
    const char* zone = std::getenv("TZ");
    const std::optional<std::string> saved = zone != nullptr ? std::optional<std::string>(zone) : std::nullopt;
    // tzset() reads nothing while TZ is what it was at the last call: pass through another value first.
    setenv("TZ", "UTC0", 1);
    tzset();
    if (saved) {
        setenv("TZ", saved->c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

bool FollowTimeZoneChange() {
    static std::optional<std::string> knownFile;
    static ZoneStamp known;
    const std::string file = TimeZoneFile();
    const ZoneStamp now = StampOf(file);
    if (!knownFile || *knownFile != file) {
        // What the C library read before this first look may be older than the file now.
        knownFile = file;
        known = now;
        ReloadTimeZone();
        return false;
    }
    if (now == known) {
        return false;
    }
    known = now;
    ReloadTimeZone();
    return true;
}

} // namespace chimewell

namespace chimewell {

std::string LocalTimeZoneName() {
    std::string file = TimeZoneFile();
    const char* zone = std::getenv("TZ");
    if (zone != nullptr && *zone != '\0' && file == "/etc/localtime") {
        // A rule of its own ("CST-8"): no zone of the database.
        return {};
    }
    // /etc/localtime is a link into the zone database; its target names the zone.
    char target[PATH_MAX];
    const ssize_t length = readlink(file.c_str(), target, sizeof target);
    if (length > 0) {
        file.assign(target, static_cast<std::size_t>(length));
    }
    static constexpr std::string_view Database = "zoneinfo/";
    const std::size_t at = file.rfind(Database);
    if (at != std::string::npos) {
        return file.substr(at + Database.size());
    }
    // A plain copy of a zone file: Debian keeps its name beside it.
    if (file == "/etc/localtime") {
        std::string name;
        if (std::FILE* named = std::fopen("/etc/timezone", "r")) {
            char line[256] = {};
            if (std::fgets(line, sizeof line, named) != nullptr) {
                name = line;
            }
            std::fclose(named);
        }
        while (!name.empty() && (name.back() == '\n' || name.back() == ' ' || name.back() == '\r')) {
            name.pop_back();
        }
        return name;
    }
    return {};
}

} // namespace chimewell
