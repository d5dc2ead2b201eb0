#pragma once
// When the reminders sync with the user's calendar server, and what the rest of the program sees of it: a sync
// at start, a few seconds after each change of the data file, every quarter of an hour (on the minute tick the
// program wakes for anyway), after the machine wakes, and at the user's asking. One run at a time, all of it
// asynchronous. Without a server in the settings it does nothing at all: no timer fires and no network is touched.

#include "calendar/datetime.h"
#include "data/file_io.h"
#include "data/settings.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>

namespace chimewell {

class CalDavClient;
class SyncRun;
class TRmDataList;

class SyncController : public QObject {
    Q_OBJECT
public:
    SyncController(TRmDataList& list, std::string stateFolder, QObject* parent = nullptr);
    ~SyncController() override;

    // Takes the sync's settings (at start and after the settings dialog); a sync follows soon when configured.
    void Configure(const TRmConfig& config);
    // The data file may have changed: a sync follows in a few seconds when it did.
    void DataFileMayHaveChanged();
    // A sync as soon as the one running (if any) is over.
    void SyncNow();
    // A sync in a few seconds (the machine woke up; the password may just have been changed).
    void SyncSoon();
    // The program's minute tick: the quarter-hour sync starts here when its time has come, so that it never
    // wakes the program by a timer of its own.
    void MinuteTick();

    bool Running() const { return Current != nullptr || AskingPassword; }
    // Empty, or why the last sync failed.
    const std::string& Failure() const { return LastFailure; }
    // "上次同步：2026-12-09 10:15" and the failure, for the settings page.
    std::string StatusText() const;
    // How long after a change the sync waits, and how long after a run began the next begins by itself, at the
    // first minute tick past it (tests shorten them).
    int AfterChangeMilliseconds = 3000;
    int PeriodMilliseconds = 15 * 60 * 1000;
    int TimeoutMilliseconds = 30000;

signals:
    // The sync changed reminders here: the list's window shows them anew.
    void remindersChanged();
    // Sentences for the user (conflicts), to show where they do not interrupt.
    void notice(const QString& title, const QString& text);
    // A run began or ended; Failure() tells how it ended.
    void statusChanged();

private:
    void Begin();
    void BeginWithPassword(const std::string& password);
    void Finished();
    void AimNextPeriodic();
    // Reads the last sync's minute and failure from the state file.
    void ReadStatus();
    void TellStatus();

    TRmDataList& List;
    std::string StateFolder;
    TRmConfig Config;
    QTimer AfterChange;
    // When the next run of its own is due: a quarter of an hour after the last run began.
    TDateTime NextPeriodic = 0;
    SyncRun* Current = nullptr;
    bool Again = false;
    bool AskingPassword = false;
    // The data file as the last sync left it: a change since is this side's, to be sent.
    TFileStamp SyncedStamp;
    std::string LastFailure;
    std::string LastSync;
    std::string StoredFailure;
    std::string ToldStatus;
    // The password once read from the secret store, until the settings change.
    std::optional<std::string> KnownPassword;
    std::unique_ptr<CalDavClient> Client;
};

} // namespace chimewell
