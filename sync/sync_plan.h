#pragma once
// One sync worked out without the network: from the reminders as they are, what the sync knew at its last
// run and what the server changed since, which reminders to change here and which resources to send to the
// server or delete there. Each side's change is told apart from the other's by the ETag (the server's) and the
// digest (this side's) kept at the last sync:
//   - a change on one side goes to the other;
//   - a change on both keeps both: the server's version in place, the local one as a new reminder;
//   - a delete on one side and a change on the other keeps the changed one;
//   - a local reminder is removed only because the server's listing no longer names it.

#include "exchange/ical_file.h"
#include "sync/sync_state.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace chimewell {

// One resource of the calendar as the server holds it now.
struct TServerResource {
    std::string Href;
    std::string ETag;
    std::string Body;
};

// What the server told of the calendar: either the whole listing (every resource and its ETag) or the changes
// since the last sync token.
struct TServerListing {
    bool Complete = false;
    std::vector<std::pair<std::string, std::string>> Present;
    // Resources the changes name as gone (only when not Complete).
    std::vector<std::string> Gone;
    std::string NewToken;
};

// The resources whose contents are to be fetched: new or changed since the state's ETag, and the pending ones.
// With a whole listing, also the events of other calendars taken as their dates: the coming year of dates
// moves on with the days, though the event stays the same.
std::vector<std::string> HrefsToFetch(const TSyncState& state, const TServerListing& listing);
// The resources of the state that the server no longer has.
std::vector<std::string> HrefsGone(const TSyncState& state, const TServerListing& listing);

enum class CommandChoice {
    // Reminders from the server come in with their commands.
    Take,
    // They come in without them (the user did not agree).
    Strip,
    // They wait: nothing of their events is taken now, and they are fetched again at the next sync.
    Defer,
};

enum class DeletionChoice {
    Apply,
    // The user kept them: they go to the server again.
    Keep,
    // They wait, and the next sync lists the calendar whole.
    Defer,
};

struct TSyncInput {
    std::vector<TRmMainDate> Local;
    TSyncState State;
    // Contents of the resources HrefsToFetch named (one missing from here counts as gone).
    std::vector<TServerResource> Fetched;
    std::vector<std::string> Gone;
    // The calendar's own path, ending in "/": new resources are made in it.
    std::string CalendarPath;
    TIcsImportOptions Import;
    TIcsExportOptions Export;
    CommandChoice Commands = CommandChoice::Take;
    DeletionChoice Deletions = DeletionChoice::Apply;
};

enum class LocalActionKind { Add, Replace, Remove };

struct TLocalAction {
    LocalActionKind Kind = LocalActionKind::Add;
    // The reminder replaced or removed, as the list held it, and where.
    TRmMainDate Before;
    std::int32_t Near = -1;
    // The reminder added, or put in place of Before.
    TRmMainDate After;
    // The resource this comes from; when the list no longer holds Before, what the plan did for it is undone.
    std::string Href;
    // The reminder comes from the server carrying a command it did not have here.
    bool BringsCommand = false;
    // Removed because the server deleted its event.
    bool Deletion = false;
};

enum class ServerActionKind { Create, Update, Delete };

struct TServerAction {
    ServerActionKind Kind = ServerActionKind::Create;
    std::string Href;
    std::string Uid;
    // Update and Delete: the version they replace (If-Match); Create sends If-None-Match: *.
    std::string IfMatch;
    // Create and Update: the calendar resource.
    std::string Body;
    // The reminder as sent, and its revision (SEQUENCE, 0 for none), for the state once the server took it.
    std::string Digest;
    int Sequence = 0;
    std::string Message;
    // The resource whose handling made this action (for a conflict's copy, the server's resource).
    std::string Origin;
};

struct TSyncPlan {
    std::vector<TLocalAction> Local;
    std::vector<TServerAction> Server;
    // The state once the local actions are done; each server action done changes it further (SettleAction).
    TSyncState State;
    // Sentences for the user: the conflicts, the events that could not be read.
    std::vector<std::string> Notices;
    // How many local reminders the server's deletions remove, and how many reminders the sync knew of.
    std::int32_t Deletions = 0;
    std::int32_t Synced = 0;
    // Reminders that come with a command and need the user's agreement (Local actions with BringsCommand).
    std::int32_t CommandArrivals = 0;
    // Deletions were deferred: the next sync lists the calendar whole, so it sees them again.
    bool ListWholeNextTime = false;
};

TSyncPlan PlanSync(const TSyncInput& input);

// A sync that would remove more than half of the reminders it knew (and more than one) asks first: a server
// that answered an empty listing by mistake must not empty the list.
bool DeletionsNeedConsent(const TSyncPlan& plan);

// An event this program wrote is written anew after so many days, though its reminder stayed the same: its
// lists of dates then still reach years ahead.
inline constexpr int RewriteAfterDays = 365;

// The state after the server took the action at the minute given ("YYYY-MM-DD HH:MM"); etag is the version it
// answered with (may be empty).
void SettleAction(TSyncState& state, const TServerAction& action, const std::string& etag, const std::string& minute);

// The local actions whose Before the list no longer held: the state of their resources goes back to what it was
// (and the resources are fetched again next time), so that a change made meanwhile is not taken for synced.
void UnsettleResource(TSyncState& state, const TSyncState& before, const std::string& href);

// The resource path of a new reminder in the calendar.
std::string NewResourceHref(const std::string& calendarPath, const std::string& uid);

} // namespace chimewell
