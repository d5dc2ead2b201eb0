#pragma once
// One running copy per data folder. Two copies on the same files would each write their own view of the
// reminders over the other's, so a second start hands over to the first, which shows its main window.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace chimewell {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // Claims `folder` for this process. True: this is the copy that runs (it holds the folder's lock and
    // listens for later starts). False: another copy holds the folder and has been asked to show its main
    // window; this one should exit. Where no lock file can be written in the folder, a copy already listening
    // for it still wins, and otherwise this process runs: refusing would leave no copy able to run.
    bool TryBecomePrimary(const QString& folder);

    // The name later starts connect to: per user and per folder, so copies for other folders or other users
    // never meet.
    static QString ServerName(const QString& folder);

    // The name of the lock file inside the folder.
    static QString LockFileName();

signals:
    // A later start on the same folder asked this copy to show its main window.
    void showRequested();

private:
    void AcceptConnections();
    static bool AskPrimaryToShow(const QString& serverName, int attempts);

    std::unique_ptr<QLockFile> Lock;
    QLocalServer Server;
};

} // namespace chimewell
