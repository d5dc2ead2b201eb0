#pragma once
// Tells when files the program keeps may have been changed by another program. Editors and sync tools mostly
// save by writing a new file and renaming it over the old one, which a watch on the file itself does not
// survive: the file is watched by its name in its folder (and, for a link, by the name of the file it points to
// in that file's folder), so that every way of changing it is seen and the watch follows the path whatever it
// names now. Other files of those folders come and go unnoticed, and a version of the file the program wrote
// itself is no change. A burst of changes comes as one signal, a moment after the last; what changed is for
// the receiver to find out.

#include <QObject>
#include <QTimer>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QSocketNotifier;

namespace chimewell {

class FileWatcher : public QObject {
    Q_OBJECT
public:
    explicit FileWatcher(int settleMilliseconds = 300, QObject* parent = nullptr);
    ~FileWatcher() override;

    // Watches the file, whether or not it exists yet.
    void Watch(const std::string& path);
    // Asked on each change of a watched file: true when the file is as the program itself last wrote it.
    std::function<bool(const std::string& path)> IsOwnVersion;

signals:
    void changed();

private:
    void ReadEvents();
    void WatchFolders();

    int Inotify = -1;
    QSocketNotifier* Notifier = nullptr;
    QTimer Settle;
    std::vector<std::string> Files;
    // Watch descriptor -> the folder and the names in it that count, with the watched path each stands for.
    struct Folder {
        std::string Path;
        std::map<std::string, std::string> Names;
    };
    std::map<int, Folder> Folders;
};

} // namespace chimewell
