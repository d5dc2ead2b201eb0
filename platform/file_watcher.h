#pragma once
// Tells when files the program keeps may have been changed by another program. Editors and sync tools
// mostly save by writing a new file and renaming it over the old one, which a watch on the file itself does
// not survive: the folders are watched as well, and the files watched again after each change. A burst of
// changes comes as one signal, a moment after the last; what changed is for the receiver to find out.

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <string>

namespace chimewell {

class FileWatcher : public QObject {
    Q_OBJECT
public:
    explicit FileWatcher(int settleMilliseconds = 300, QObject* parent = nullptr);

    // Watches the file, whether or not it exists yet, through its folder too.
    void Watch(const std::string& path);

signals:
    void changed();

private:
    void Noticed();
    void WatchAgain();

    QFileSystemWatcher Watcher;
    QTimer Settle;
    QStringList Files;
};

} // namespace chimewell
