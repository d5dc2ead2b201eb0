#include "platform/file_watcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace chimewell {

namespace {

constexpr std::uint32_t FolderEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE |
                                       IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

std::pair<std::string, std::string> FolderAndName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// The file a link names, when the path is one; empty otherwise.
std::string LinkTarget(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return {};
    }
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

} // namespace

FileWatcher::FileWatcher(int settleMilliseconds, QObject* parent) : QObject(parent) {
    Settle.setSingleShot(true);
    Settle.setInterval(settleMilliseconds);
    connect(&Settle, &QTimer::timeout, this, &FileWatcher::changed);
    Inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (Inotify >= 0) {
        Notifier = new QSocketNotifier(Inotify, QSocketNotifier::Read, this);
        connect(Notifier, &QSocketNotifier::activated, this, &FileWatcher::ReadEvents);
    }
}

FileWatcher::~FileWatcher() {
    if (Inotify >= 0) {
        close(Inotify);
    }
}

void FileWatcher::Watch(const std::string& path) {
    Files.push_back(path);
    WatchFolders();
}

void FileWatcher::WatchFolders() {
    if (Inotify < 0) {
        return;
    }
    for (const auto& [descriptor, folder] : Folders) {
        inotify_rm_watch(Inotify, descriptor);
    }
    Folders.clear();
    const auto add = [this](const std::string& watched, const std::string& file) {
        const auto [folder, name] = FolderAndName(file);
        const int descriptor = inotify_add_watch(Inotify, folder.c_str(), FolderEvents);
        if (descriptor >= 0) {
            Folder& entry = Folders[descriptor];
            entry.Path = folder;
            entry.Names[name] = watched;
        }
    };
    for (const std::string& file : Files) {
        add(file, file);
        // A link's own folder shows it replaced; the folder of the file it names shows that file written in place.
        if (const std::string target = LinkTarget(file); !target.empty()) {
            add(file, target);
        }
    }
}

void FileWatcher::ReadEvents() {
    alignas(inotify_event) char buffer[16384];
    bool relevant = false;
    bool again = false;
    for (;;) {
        const ssize_t got = read(Inotify, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const auto folder = Folders.find(event->wd);
            if (folder == Folders.end()) {
                continue;
            }
            if ((event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0) {
                // The folder itself went or moved: watched anew, and the files looked at.
                again = true;
                relevant = true;
                continue;
            }
            if (event->len == 0) {
                continue;
            }
            const auto name = folder->second.Names.find(event->name);
            if (name == folder->second.Names.end()) {
                continue;
            }
            // A link replaced or pointed elsewhere: the watch of the file it names moves with it.
            again = again || (event->mask & (IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM)) != 0;
            if (!IsOwnVersion || !IsOwnVersion(name->second)) {
                relevant = true;
            }
        }
    }
    if (again) {
        WatchFolders();
    }
    if (relevant) {
        Settle.start();
    }
}

} // namespace chimewell
