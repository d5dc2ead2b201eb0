#include "sync/sync_plan.h"

#include "calendar/datetime.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

namespace chimewell {

namespace {

// The revision a write of an event gives: the next after another client's, none while there was none.
int NextRevision(int sequence) {
    return sequence > 0 ? sequence + 1 : 0;
}

// An event that came with a command this side did not have: the user agrees before it can run.
bool BringsCommand(const TRmMainDate& arriving, const TRmMainDate* here) {
    if (arriving.Command.empty()) {
        return false;
    }
    return here == nullptr || here->Command != arriving.Command || here->AutoExecScript != arriving.AutoExecScript ||
           here->WithScript != arriving.WithScript;
}

void StripCommand(TRmMainDate& record) {
    record.Command.clear();
    record.WithScript = false;
    record.AutoExecScript = false;
}

std::string Quoted(const std::string& message) {
    return "“" + message + "”";
}

class Planner {
public:
    explicit Planner(const TSyncInput& input) : In(input), Handled(input.Local.size(), false) {
        for (std::size_t i = 0; i < In.Local.size(); ++i) {
            const std::string& uid = In.Local[i].Uid;
            if (!uid.empty()) {
                ByUid.emplace(uid, static_cast<std::int32_t>(i));
            }
        }
        for (const TSyncEntry& entry : In.State.Entries) {
            OldByHref[entry.Href].push_back(entry);
            if (entry.Kind != SyncEntryKind::Empty && LocalOf(entry) >= 0) {
                ++Plan.Synced;
            }
        }
        Minute = FormatMinute(MinuteOf(In.Export.From));
        Plan.State = In.State;
        Plan.State.Entries.clear();
        Plan.State.Pending.clear();
    }

    TSyncPlan Run() {
        for (const TServerResource& resource : In.Fetched) {
            Changed(resource);
        }
        for (const std::string& href : In.Gone) {
            Gone(href);
        }
        for (auto& [href, olds] : OldByHref) {
            for (const TSyncEntry& old : olds) {
                Unchanged(old);
            }
        }
        for (std::size_t i = 0; i < In.Local.size(); ++i) {
            if (!Handled[i]) {
                New(static_cast<std::int32_t>(i));
            }
        }
        for (const TLocalAction& action : Plan.Local) {
            Plan.CommandArrivals += action.BringsCommand ? 1 : 0;
        }
        return std::move(Plan);
    }

private:
    const TSyncInput& In;
    // The minute of the sync, as the state writes it.
    std::string Minute;
    TSyncPlan Plan;
    std::vector<bool> Handled;
    std::multimap<std::string, std::int32_t> ByUid;
    std::map<std::string, std::vector<TSyncEntry>> OldByHref;

    // The first reminder not yet handled that carries the UID, -1 when none does.
    std::int32_t LocalOf(const std::string& uid) const {
        if (uid.empty()) {
            return -1;
        }
        const auto [first, last] = ByUid.equal_range(uid);
        for (auto at = first; at != last; ++at) {
            if (!Handled[static_cast<std::size_t>(at->second)]) {
                return at->second;
            }
        }
        return -1;
    }
    std::int32_t LocalOf(const TSyncEntry& entry) const {
        return entry.Kind == SyncEntryKind::Empty ? -1 : LocalOf(entry.Uid);
    }
    const TRmMainDate& Local(std::int32_t index) const { return In.Local[static_cast<std::size_t>(index)]; }
    bool WrittenLongAgo(const TSyncEntry& entry) const {
        const std::optional<TDateTime> written = ParseMinute(entry.Written);
        return written && *written + RewriteAfterDays <= In.Export.From;
    }
    bool ChangedHere(std::int32_t index, const TSyncEntry& entry) const {
        return ReminderDigest(Local(index)) != entry.Digest;
    }
    std::vector<TSyncEntry> TakeOlds(const std::string& href) {
        std::vector<TSyncEntry> olds;
        if (const auto found = OldByHref.find(href); found != OldByHref.end()) {
            olds = std::move(found->second);
            OldByHref.erase(found);
        }
        return olds;
    }

    void ReplaceHere(std::int32_t index, const TRmMainDate& after, const std::string& href, bool bringsCommand) {
        TLocalAction action;
        action.Kind = LocalActionKind::Replace;
        action.Before = Local(index);
        action.Near = index;
        action.After = after;
        action.Href = href;
        action.BringsCommand = bringsCommand;
        Plan.Local.push_back(std::move(action));
        Handled[static_cast<std::size_t>(index)] = true;
    }
    void AddHere(const TRmMainDate& after, const std::string& href, bool bringsCommand) {
        TLocalAction action;
        action.Kind = LocalActionKind::Add;
        action.After = after;
        action.Href = href;
        action.BringsCommand = bringsCommand;
        Plan.Local.push_back(std::move(action));
    }
    void RemoveHere(std::int32_t index, const std::string& href, bool deletion) {
        TLocalAction action;
        action.Kind = LocalActionKind::Remove;
        action.Before = Local(index);
        action.Near = index;
        action.Href = href;
        action.Deletion = deletion;
        Plan.Local.push_back(std::move(action));
        Handled[static_cast<std::size_t>(index)] = true;
        Plan.Deletions += deletion ? 1 : 0;
    }
    void Send(ServerActionKind kind, const TRmMainDate& record, const std::string& href, const std::string& ifMatch,
              const std::string& origin, int sequence = 0) {
        TServerAction action;
        action.Kind = kind;
        action.Href = href;
        action.Uid = record.Uid;
        action.IfMatch = ifMatch;
        if (kind != ServerActionKind::Delete) {
            // Lunar rules of RFC 7529 break other clients of the calendar (some drop the events, some fail on the
            // whole calendar): the events a sync writes list their dates.
            TIcsExportOptions options = In.Export;
            options.LunarRules = false;
            options.Sequence = sequence;
            action.Body = IcsFileBytes({ItemOfRecord(record)}, options);
            action.Digest = ReminderDigest(record);
            action.Sequence = sequence;
        }
        action.Message = record.Message;
        action.Origin = origin;
        Plan.Server.push_back(std::move(action));
    }
    void Create(const TRmMainDate& record, const std::string& origin) {
        Send(ServerActionKind::Create, record, NewResourceHref(In.CalendarPath, record.Uid), "", origin);
    }
    // The local reminder leaves the event it came from and goes to the server as an event of its own.
    void Detach(std::int32_t index, const std::string& href) {
        TRmMainDate after = Local(index);
        after.Uid = NewReminderUid();
        ReplaceHere(index, after, href, false);
        Create(after, href);
    }

    // What the server's event used to give, now that the event is another: reminders unchanged here go, and
    // changed ones stay as reminders of their own.
    void Release(const TSyncEntry& old) {
        const std::int32_t index = LocalOf(old);
        if (index < 0) {
            return;
        }
        if (ChangedHere(index, old)) {
            Plan.Notices.push_back(Quoted(Local(index).Message) +
                                   "在本机和服务器上都改过：服务器上的版本已放进列表，本机的版本留作一条新提醒。");
            Detach(index, old.Href);
        } else {
            RemoveHere(index, old.Href, false);
        }
    }

    void Keep(const std::vector<TSyncEntry>& olds) {
        for (const TSyncEntry& old : olds) {
            const std::int32_t index = LocalOf(old);
            if (index >= 0) {
                Handled[static_cast<std::size_t>(index)] = true;
            }
            Plan.State.Entries.push_back(old);
        }
    }

    void Changed(const TServerResource& resource) {
        std::vector<TSyncEntry> olds = TakeOlds(resource.Href);
        TIcsImportFile file = ReadIcsText(resource.Body, resource.Href, In.Import);
        if (!file.Refusal.empty()) {
            // What the reminders here were stays; the event is fetched again when the server changes it.
            Plan.Notices.push_back("服务器上的“" + resource.Href + "”不是可读的日历事件，没有取用。");
            Keep(olds);
            return;
        }
        std::vector<TRmMainDate> arriving;
        for (const TExchangeItem& item : file.Items) {
            arriving.push_back(RecordOf(item));
        }
        bool commands = false;
        for (TRmMainDate& record : arriving) {
            const std::int32_t here = LocalOf(record.Uid);
            if (BringsCommand(record, here >= 0 ? &Local(here) : nullptr)) {
                commands = true;
                if (In.Commands == CommandChoice::Strip) {
                    StripCommand(record);
                }
            }
        }
        if (commands && In.Commands == CommandChoice::Defer) {
            Keep(olds);
            Plan.State.Pending.push_back(resource.Href);
            return;
        }
        if (arriving.size() == 1 && !arriving.front().Uid.empty()) {
            const std::vector<std::string>& edited = file.EditedElsewhere;
            const bool rewrite = std::find(edited.begin(), edited.end(), arriving.front().Uid) != edited.end();
            TakeOwn(resource, olds, arriving.front(), rewrite);
            return;
        }
        // The dates that stay what they were keep their reminders (and where they stand in the list); only
        // the others go or come.
        std::vector<bool> matched(arriving.size(), false);
        for (const TSyncEntry& old : olds) {
            const std::int32_t index = LocalOf(old);
            if (old.Kind == SyncEntryKind::Part && index >= 0 && !ChangedHere(index, old)) {
                const auto same = std::find_if(arriving.begin(), arriving.end(), [&](const TRmMainDate& record) {
                    return !matched[static_cast<std::size_t>(&record - arriving.data())] &&
                           ReminderDigest(record) == old.Digest;
                });
                if (same != arriving.end()) {
                    matched[static_cast<std::size_t>(same - arriving.begin())] = true;
                    Handled[static_cast<std::size_t>(index)] = true;
                    Plan.State.Entries.push_back(
                        {old.Uid, resource.Href, resource.ETag, old.Digest, SyncEntryKind::Part, Minute});
                    continue;
                }
            }
            Release(old);
        }
        if (arriving.empty()) {
            Plan.State.Entries.push_back({"", resource.Href, resource.ETag, "", SyncEntryKind::Empty, Minute, 0});
        }
        for (std::size_t k = 0; k < arriving.size(); ++k) {
            if (matched[k]) {
                continue;
            }
            TRmMainDate& record = arriving[k];
            record.Uid = NewReminderUid();
            const bool brings = BringsCommand(record, nullptr);
            AddHere(record, resource.Href, brings);
            Plan.State.Entries.push_back(
                {record.Uid, resource.Href, resource.ETag, ReminderDigest(record), SyncEntryKind::Part, Minute});
        }
    }

    // `rewrite`: another calendar changed this program's event; once taken, it goes back in this program's form,
    // so that its X- keys say what it shows again.
    void TakeOwn(const TServerResource& resource, const std::vector<TSyncEntry>& olds, const TRmMainDate& record,
                 bool rewrite) {
        const TSyncEntry* base = nullptr;
        for (const TSyncEntry& old : olds) {
            if (old.Kind == SyncEntryKind::Own && old.Uid == record.Uid && base == nullptr) {
                base = &old;
            }
        }
        for (const TSyncEntry& old : olds) {
            if (&old != base) {
                Release(old);
            }
        }
        const std::string digest = ReminderDigest(record);
        // Written back in this program's form, it is a revision after the one the other client made.
        const int revised = IcsEventSequence(resource.Body);
        const int sequence = rewrite ? NextRevision(revised) : revised;
        Plan.State.Entries.push_back(
            {record.Uid, resource.Href, resource.ETag, digest, SyncEntryKind::Own, Minute, sequence});
        if (rewrite) {
            Send(ServerActionKind::Update, record, resource.Href, resource.ETag, resource.Href, sequence);
        }
        const std::int32_t index = LocalOf(record.Uid);
        if (index < 0) {
            // New on the server, or deleted here and changed there: the changed one is kept.
            AddHere(record, resource.Href, BringsCommand(record, nullptr));
            return;
        }
        const TRmMainDate& here = Local(index);
        const std::string hereDigest = ReminderDigest(here);
        if (hereDigest == digest) {
            Handled[static_cast<std::size_t>(index)] = true;
            return;
        }
        const bool brings = BringsCommand(record, &here);
        // Without what the last sync knew (its state lost, a data folder copied to another machine), a reminder
        // that differs from the server's may have changed on either side: both are kept.
        const bool changedHere = base != nullptr ? hereDigest != base->Digest : true;
        if (!changedHere) {
            ReplaceHere(index, record, resource.Href, brings);
            return;
        }
        TRmMainDate copy = here;
        copy.Uid = NewReminderUid();
        ReplaceHere(index, record, resource.Href, brings);
        AddHere(copy, resource.Href, false);
        Create(copy, resource.Href);
        Plan.Notices.push_back(Quoted(here.Message) +
                               "在本机和服务器上都改过：服务器上的版本已放在原处，本机的版本另存为一条新提醒。");
    }

    void Gone(const std::string& href) {
        for (const TSyncEntry& old : TakeOlds(href)) {
            const std::int32_t index = LocalOf(old);
            if (index < 0) {
                continue;
            }
            const bool changed = ChangedHere(index, old);
            if (!changed && In.Deletions == DeletionChoice::Defer) {
                Keep({old});
                Plan.ListWholeNextTime = true;
                continue;
            }
            if (!changed && In.Deletions == DeletionChoice::Apply) {
                RemoveHere(index, href, true);
                continue;
            }
            // Changed here since the server deleted it, or kept by the user: it goes to the server again.
            if (old.Kind == SyncEntryKind::Own) {
                Handled[static_cast<std::size_t>(index)] = true;
                Send(ServerActionKind::Create, Local(index), href, "", href);
            } else {
                Detach(index, href);
            }
        }
    }

    void Unchanged(const TSyncEntry& old) {
        const std::int32_t index = LocalOf(old);
        if (old.Kind == SyncEntryKind::Empty) {
            Plan.State.Entries.push_back(old);
            return;
        }
        if (index < 0) {
            if (old.Kind == SyncEntryKind::Own) {
                // Deleted here: the entry stays until the server has deleted the event too.
                Plan.State.Entries.push_back(old);
                TRmMainDate gone;
                gone.Uid = old.Uid;
                Send(ServerActionKind::Delete, gone, old.Href, old.ETag, old.Href);
            }
            return;
        }
        if (!ChangedHere(index, old)) {
            Handled[static_cast<std::size_t>(index)] = true;
            TSyncEntry kept = old;
            if (kept.Written.empty()) {
                kept.Written = Minute;
            }
            const bool renew = old.Kind == SyncEntryKind::Own && WrittenLongAgo(kept);
            kept.Sequence = renew ? NextRevision(kept.Sequence) : kept.Sequence;
            Plan.State.Entries.push_back(kept);
            if (renew) {
                Send(ServerActionKind::Update, Local(index), old.Href, old.ETag, old.Href, kept.Sequence);
            }
            return;
        }
        if (old.Kind == SyncEntryKind::Own) {
            Handled[static_cast<std::size_t>(index)] = true;
            TSyncEntry revised = old;
            revised.Sequence = NextRevision(revised.Sequence);
            Plan.State.Entries.push_back(revised);
            Send(ServerActionKind::Update, Local(index), old.Href, old.ETag, old.Href, revised.Sequence);
        } else {
            Detach(index, old.Href);
        }
    }

    void New(std::int32_t index) {
        const TRmMainDate& here = Local(index);
        const auto first = ByUid.find(here.Uid);
        if (here.Uid.empty() || (first != ByUid.end() && first->second != index)) {
            // No UID yet, or one that an earlier reminder already has (a hand-made copy).
            TRmMainDate after = here;
            after.Uid = NewReminderUid();
            ReplaceHere(index, after, "", false);
            Create(after, "");
            return;
        }
        Handled[static_cast<std::size_t>(index)] = true;
        Create(here, "");
    }
};

} // namespace

std::vector<std::string> HrefsToFetch(const TSyncState& state, const TServerListing& listing) {
    std::map<std::string, const std::string*> known;
    for (const TSyncEntry& entry : state.Entries) {
        known.emplace(entry.Href, &entry.ETag);
    }
    std::vector<std::string> hrefs;
    std::set<std::string> taken;
    for (const auto& [href, etag] : listing.Present) {
        const auto found = known.find(href);
        if ((found == known.end() || *found->second != etag || etag.empty()) && taken.insert(href).second) {
            hrefs.push_back(href);
        }
    }
    if (listing.Complete) {
        std::set<std::string> present;
        for (const auto& [href, etag] : listing.Present) {
            present.insert(href);
        }
        for (const TSyncEntry& entry : state.Entries) {
            if (entry.Kind == SyncEntryKind::Part && present.count(entry.Href) > 0 && taken.insert(entry.Href).second) {
                hrefs.push_back(entry.Href);
            }
        }
    }
    for (const std::string& href : state.Pending) {
        const bool gone = std::find(listing.Gone.begin(), listing.Gone.end(), href) != listing.Gone.end();
        if (!gone && taken.insert(href).second) {
            hrefs.push_back(href);
        }
    }
    return hrefs;
}

std::vector<std::string> HrefsGone(const TSyncState& state, const TServerListing& listing) {
    std::set<std::string> gone;
    if (listing.Complete) {
        std::set<std::string> present;
        for (const auto& [href, etag] : listing.Present) {
            present.insert(href);
        }
        for (const TSyncEntry& entry : state.Entries) {
            if (present.count(entry.Href) == 0) {
                gone.insert(entry.Href);
            }
        }
    } else {
        for (const std::string& href : listing.Gone) {
            const bool known = std::any_of(state.Entries.begin(), state.Entries.end(),
                                           [&](const TSyncEntry& entry) { return entry.Href == href; });
            if (known) {
                gone.insert(href);
            }
        }
    }
    return {gone.begin(), gone.end()};
}

TSyncPlan PlanSync(const TSyncInput& input) {
    return Planner(input).Run();
}

bool DeletionsNeedConsent(const TSyncPlan& plan) {
    return plan.Deletions > 1 && plan.Deletions * 2 > plan.Synced;
}

void SettleAction(TSyncState& state, const TServerAction& action, const std::string& etag, const std::string& minute) {
    auto& entries = state.Entries;
    if (action.Kind == ServerActionKind::Delete) {
        std::erase_if(entries, [&](const TSyncEntry& entry) { return entry.Href == action.Href; });
        return;
    }
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const TSyncEntry& entry) {
        return entry.Href == action.Href || (entry.Kind == SyncEntryKind::Own && entry.Uid == action.Uid);
    });
    const TSyncEntry settled{action.Uid, action.Href, etag, action.Digest, SyncEntryKind::Own, minute, action.Sequence};
    if (found != entries.end()) {
        *found = settled;
    } else {
        entries.push_back(settled);
    }
}

void UnsettleResource(TSyncState& state, const TSyncState& before, const std::string& href) {
    if (href.empty()) {
        return;
    }
    std::erase_if(state.Entries, [&](const TSyncEntry& entry) { return entry.Href == href; });
    for (const TSyncEntry& entry : before.Entries) {
        if (entry.Href == href) {
            state.Entries.push_back(entry);
        }
    }
    if (std::find(state.Pending.begin(), state.Pending.end(), href) == state.Pending.end()) {
        state.Pending.push_back(href);
    }
}

std::string NewResourceHref(const std::string& calendarPath, const std::string& uid) {
    // Only letters, digits and a few marks in the name: a UID from elsewhere may hold anything.
    std::string name;
    for (const char c : uid) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || c == '.';
        name += plain ? c : '_';
    }
    if (name.empty()) {
        name = NewReminderUid();
    }
    std::string path = calendarPath;
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path + name + ".ics";
}

} // namespace chimewell
