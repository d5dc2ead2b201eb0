#include "platform/file_watcher.h"

#include <QFileInfo>

namespace chimewell {

FileWatcher::FileWatcher(int settleMilliseconds, QObject* parent) : QObject(parent) {
    Settle.setSingleShot(true);
    Settle.setInterval(settleMilliseconds);
    connect(&Settle, &QTimer::timeout, this, &FileWatcher::changed);
    connect(&Watcher, &QFileSystemWatcher::fileChanged, this, &FileWatcher::Noticed);
    connect(&Watcher, &QFileSystemWatcher::directoryChanged, this, &FileWatcher::Noticed);
}

void FileWatcher::Watch(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!Files.contains(file)) {
        Files.append(file);
    }
    const QString folder = QFileInfo(file).absolutePath();
    if (!Watcher.directories().contains(folder)) {
        Watcher.addPath(folder);
    }
    WatchAgain();
}

void FileWatcher::WatchAgain() {
    const QStringList watched = Watcher.files();
    for (const QString& file : Files) {
        // A file replaced by a rename is a new file: the watch on the old one went with it. A link replaced by a
        // file, or pointed elsewhere, leaves the watch on the old file: the path is what is watched, so it is
        // watched anew.
        if (watched.contains(file)) {
            Watcher.removePath(file);
        }
        if (QFileInfo::exists(file)) {
            Watcher.addPath(file);
        }
    }
}

void FileWatcher::Noticed() {
    WatchAgain();
    Settle.start();
}

} // namespace chimewell
