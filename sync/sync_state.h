#pragma once
// What the calendar sync knows of the server between runs: for each reminder it sent or took, the resource on
// the server (its path) and the version (ETag) last seen there, and a digest of the reminder as it was then, so
// that a change on either side since can be told apart; and the server's sync token. Kept in its own file in
// the data folder, written whole and atomically like every other file.

#include "data/reminder.h"

#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

inline constexpr std::string_view SyncStateFileName = "syncstate.ini";

enum class SyncEntryKind {
    // The reminder is the whole event on the server.
    Own,
    // One of the reminders an event of another calendar became (its dates of the coming year, or one of its
    // alarms): the event is the source, and a change of it replaces them all.
    Part,
    // An event that gives no reminder (past, cancelled, unreadable): remembered, so it is not fetched again
    // until it changes.
    Empty,
};

struct TSyncEntry {
    // The local reminder's UID; for an empty event, the event's own (or nothing).
    std::string Uid;
    // The resource's path on the server, decoded ("/alice/calendar/1234.ics").
    std::string Href;
    std::string ETag;
    // ReminderDigest of the reminder as last synced (Own and Part).
    std::string Digest;
    SyncEntryKind Kind = SyncEntryKind::Own;
    // The minute this version went to the server or came from it, "YYYY-MM-DD HH:MM". The dates an event
    // lists reach some years ahead: a year on, it is written anew, so that other calendars never run out.
    std::string Written;
    // The event's revision (SEQUENCE) as last written or read, once another client revised it; 0 before.
    int Sequence = 0;
    friend bool operator==(const TSyncEntry&, const TSyncEntry&) = default;
};

struct TSyncState {
    // The calendar's address the entries belong to; another calendar starts afresh.
    std::string Calendar;
    // The server's token of the collection as last listed (RFC 6578); empty: list it whole.
    std::string SyncToken;
    // The minute the calendar was last listed whole. A server whose tokens stand for the calendar's contents
    // (Radicale's do) takes back a calendar deleted and made anew as unchanged: a whole listing once a day
    // finds what the changes since a token cannot tell.
    std::string LastFullListing;
    // The minute of the last sync that went through, "YYYY-MM-DD HH:MM"; empty before the first.
    std::string LastSync;
    // Why the last sync failed; empty when it went through.
    std::string LastError;
    std::vector<TSyncEntry> Entries;
    // Resources to fetch at the next sync whatever the server's changes say (left for the user's answer).
    std::vector<std::string> Pending;
    friend bool operator==(const TSyncState&, const TSyncState&) = default;
};

// Reads the state; a missing file gives an empty state. A file that exists but cannot be read gives an empty
// state and a sentence naming it in `failure`: syncing then would take every reminder for new.
TSyncState LoadSyncState(const std::string& path, std::string& failure);
// Writes the state whole and atomically; throws std::runtime_error "Unable to write to <path>" on failure.
// Quietly: only the minute of the last sync moved on, which may be written in place (KeepFileQuietly).
void SaveSyncState(const std::string& path, const TSyncState& state, bool quietly = false);

// A digest of what the user set up in a reminder: every field but Reminded (which firing changes) and the UID.
std::string ReminderDigest(const TRmMainDate& record);

} // namespace chimewell
