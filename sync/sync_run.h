#pragma once
// One sync of the reminder list with a CalDAV calendar: the server's changes listed (sync-collection where the
// server offers it, else every ETag), the changed events fetched, the plan worked out, the reminders here
// changed through the list (which follows outside changes of the data file), and this side's changes sent with
// If-Match / If-None-Match, so that a change made elsewhere meanwhile is never overwritten. Any failure of the
// network or the server stops the run: what was not sent waits for the next one, and nothing here is deleted
// because the server could not be reached.

#include "sync/caldav_client.h"
#include "sync/sync_plan.h"

#include <QObject>

class QTimer;

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace chimewell {

class TRmDataList;

struct TSyncSettings {
    TDavAccount Account;
    QUrl Calendar;
    // The state file in the data folder.
    std::string StatePath;
    bool BeginWithSunday = false;
    // Works everything out and tells it, changing nothing here or on the server.
    bool DryRun = false;
    // How long the whole run may take; 0 takes SyncRunTimeLimitMilliseconds of the account's time-out.
    int RunTimeLimitMilliseconds = 0;
    // Answers to the questions of a run; an empty one leaves what it asks about for later (the command line).
    // Reminders from the server with commands: true takes the commands, false takes the reminders without them.
    std::function<bool(const std::string& question)> AgreeToCommands;
    // More than half of the reminders deleted on the server: true deletes them here, false sends them again.
    std::function<bool(const std::string& question)> AgreeToDeletions;
};

struct TSyncReport {
    bool Succeeded = false;
    // Why it failed, for the user.
    std::string Failure;
    // Reminders changed here: added, replaced, removed; and what went to the server.
    int Added = 0;
    int Replaced = 0;
    int Removed = 0;
    int Sent = 0;
    int Deleted = 0;
    // Changes that wait for the next sync (a 412: the server changed meanwhile).
    int Waiting = 0;
    std::vector<std::string> Notices;
    // Left for the program's questions (a run without them): reminders with commands, deletions.
    int DeferredCommands = 0;
    int DeferredDeletions = 0;
    // The plan itself, for a dry run.
    TSyncPlan Plan;
    // The minute of this sync when it went through; why the last one failed (as the state file keeps them).
    std::string LastSync;
    std::string LastError;
};

// One line per action of a plan, as `chimewell-cli sync --dry-run` prints them.
std::vector<std::string> DescribePlan(const TSyncPlan& plan);

// How long one run may take in all: many requests, each bounded by the account's time-out.
int SyncRunTimeLimitMilliseconds(int requestTimeoutMilliseconds);

class SyncRun : public QObject {
    Q_OBJECT
public:
    // With a client of its own, or with one that outlives it (the program's, kept for its whole run, which
    // must hold the same account).
    SyncRun(TSyncSettings settings, TRmDataList& list, QObject* parent = nullptr);
    SyncRun(TSyncSettings settings, TRmDataList& list, CalDavClient* client, QObject* parent = nullptr);
    ~SyncRun() override;
    // Starts; `finished` is emitted once, later. Deleting the run before that cancels it.
    void Start();
    const TSyncReport& Report() const { return Outcome; }

signals:
    void finished();

private:
    void ListChanges();
    void ListWhole();
    // The server's listing of the calendar: the changes since the token, or every resource (complete).
    // The server's listing in a reply, or nothing and why.
    std::optional<TServerListing> ListingOf(const TDavReply& reply, bool complete, QString& failure) const;
    void TakeListing(const TDavReply& reply, bool complete);
    void Listed(TServerListing listing);
    void FetchNext();
    void FetchOneByOne(std::size_t next);
    void Plan();
    void Apply();
    void ApplyLocalActions();
    void PushNext();
    void FollowOwnWrites();
    void Fail(const QString& why);
    void Finish();
    void SaveState();
    QUrl UrlOf(const std::string& href) const;
    int RunTimeLimit() const;

    TSyncSettings Settings;
    TRmDataList& List;
    CalDavClient* Client;
    bool OwnsClient = true;
    QTimer* RunDeadline;
    // The state as the file holds it: a save that would write the same is none.
    TSyncState Saved;
    TSyncState Before;
    TSyncState State;
    TServerListing Listing;
    std::vector<std::string> ToFetch;
    std::size_t FetchedUpTo = 0;
    std::vector<TServerResource> Fetched;
    std::vector<std::string> Missing;
    TSyncPlan Work;
    std::vector<std::string> Unsettled;
    std::vector<std::string> SkippedUids;
    std::size_t NextPush = 0;
    TSyncReport Outcome;
    bool Done = false;
};

} // namespace chimewell
