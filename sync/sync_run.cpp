#include "sync/sync_run.h"

#include "calendar/clock.h"
#include "calendar/datetime.h"
#include "data/reminder_list.h"
#include "exchange/exchange_file.h"
#include "platform/time_zone.h"
#include "runtime/reminder_actions.h"

#include <QTimer>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <utility>

namespace chimewell {

namespace {

// How many events one calendar-multiget asks for.
constexpr std::size_t FetchBatch = 50;
// The state is written after so many answers of the server, so that a run cut short keeps most of what it did.
constexpr std::size_t SaveEvery = 20;

std::string Std(const QString& text) {
    return text.toStdString();
}

bool Contains(const std::vector<std::string>& list, const std::string& value) {
    return !value.empty() && std::find(list.begin(), list.end(), value) != list.end();
}

std::string Quoted(const std::string& text) {
    return "“" + text + "”";
}

// A token the server no longer knows (RFC 6578 valid-sync-token) or a request it does not take.
bool TokenRefused(int status) {
    return status == 400 || status == 403 || status == 409 || status == 412 || status == 507;
}

bool ReportUnsupported(int status) {
    return status == 400 || status == 403 || status == 404 || status == 405 || status == 415 || status == 422 ||
           status == 501;
}

std::string CommandQuestion(const TSyncPlan& plan) {
    std::string text = "服务器上的日历里有 " + std::to_string(plan.CommandArrivals) +
                       " 条提醒带有命令（关机、运行程序、打开文件或网址），服务器可能与别人共用：\n";
    for (const TLocalAction& action : plan.Local) {
        if (action.BringsCommand) {
            text += "\n" + Quoted(action.After.Message) + "：" + VisibleCommand(action.After.Command) +
                    (CommandRunsOnShow(action.After.Command, action.After.AutoExecScript) ? "（到时自动执行）" : "");
        }
    }
    text += "\n\n要连同命令一起取用吗？选“否”则只取用提醒，不带命令。";
    return text;
}

std::string DeletionQuestion(const TSyncPlan& plan) {
    return "服务器上的日历里少了 " + std::to_string(plan.Deletions) + " 条提醒（本机与它同步的共 " +
           std::to_string(plan.Synced) +
           " 条）。这可能是服务器出了差错。\n\n要在本机也删除它们吗？选“否”则保留它们，并重新发送到服务器。";
}

} // namespace

std::vector<std::string> DescribePlan(const TSyncPlan& plan) {
    std::vector<std::string> lines;
    for (const TLocalAction& action : plan.Local) {
        switch (action.Kind) {
        case LocalActionKind::Add:
            lines.push_back("本机添加 " + Quoted(action.After.Message) + (action.BringsCommand ? "（带命令）" : ""));
            break;
        case LocalActionKind::Replace:
            if (action.Href.empty() && SameReminder(action.Before, action.After)) {
                // Only a UID given, for the event the reminder becomes.
                break;
            }
            lines.push_back("本机改为服务器上的 " + Quoted(action.After.Message) +
                            (action.Before.Message != action.After.Message
                                 ? "（原为 " + Quoted(action.Before.Message) + "）"
                                 : ""));
            break;
        case LocalActionKind::Remove:
            lines.push_back("本机删除 " + Quoted(action.Before.Message));
            break;
        }
    }
    for (const TServerAction& action : plan.Server) {
        switch (action.Kind) {
        case ServerActionKind::Create:
            lines.push_back("发送新事件 " + Quoted(action.Message) + " → " + action.Href);
            break;
        case ServerActionKind::Update:
            lines.push_back("发送修改 " + Quoted(action.Message) + " → " + action.Href);
            break;
        case ServerActionKind::Delete:
            lines.push_back("删除服务器上的 " + action.Href);
            break;
        }
    }
    for (const std::string& notice : plan.Notices) {
        lines.push_back("注意：" + notice);
    }
    return lines;
}

SyncRun::SyncRun(TSyncSettings settings, TRmDataList& list, QObject* parent)
    : SyncRun(std::move(settings), list, nullptr, parent) {}

SyncRun::SyncRun(TSyncSettings settings, TRmDataList& list, CalDavClient* client, QObject* parent)
    : QObject(parent), Settings(std::move(settings)), List(list),
      Client(client != nullptr ? client : new CalDavClient(Settings.Account, this)), OwnsClient(client == nullptr),
      RunDeadline(new QTimer(this)) {
    RunDeadline->setSingleShot(true);
    connect(RunDeadline, &QTimer::timeout, this, [this] {
        // What was sent is settled; the rest waits for the next run.
        Client->CancelAll();
        Fail(QStringLiteral("同步用了 %1 秒还没有完成，已停止；没发完的改动留到下次同步。").arg(RunTimeLimit() / 1000));
    });
}

SyncRun::~SyncRun() {
    // A client that outlives the run must not call back into it.
    if (!OwnsClient && !Done) {
        Client->CancelAll();
    }
}

namespace {

// The question for the changes since a token (RFC 6578).
QByteArray ChangesSince(const std::string& token) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>" +
           XmlEscaped(QString::fromStdString(token)).toUtf8() +
           "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop></d:sync-collection>";
}

// The same state, whatever order the runs that made them put the entries in.
bool SameState(TSyncState a, TSyncState b) {
    const auto order = [](const TSyncEntry& x, const TSyncEntry& y) {
        return std::tie(x.Href, x.Uid) < std::tie(y.Href, y.Uid);
    };
    std::sort(a.Entries.begin(), a.Entries.end(), order);
    std::sort(b.Entries.begin(), b.Entries.end(), order);
    return a == b;
}

} // namespace

int SyncRunTimeLimitMilliseconds(int requestTimeoutMilliseconds) {
    return std::max(10 * requestTimeoutMilliseconds, 120000);
}

int SyncRun::RunTimeLimit() const {
    return Settings.RunTimeLimitMilliseconds > 0 ? Settings.RunTimeLimitMilliseconds
                                                 : SyncRunTimeLimitMilliseconds(Settings.Account.TimeoutMilliseconds);
}

void SyncRun::Start() {
    RunDeadline->start(RunTimeLimit());
    std::string failure;
    Before = LoadSyncState(Settings.StatePath, failure);
    if (!failure.empty()) {
        // Without what the last sync knew, every reminder would look new on both sides.
        Outcome.Failure = failure;
        QMetaObject::invokeMethod(this, &SyncRun::Finish, Qt::QueuedConnection);
        return;
    }
    Saved = Before;
    const std::string calendar = Std(Settings.Calendar.toString());
    if (Before.Calendar != calendar) {
        // Another calendar: its resources have nothing to do with what the state knew of the old one.
        Before = TSyncState{};
        Before.Calendar = calendar;
    }
    State = Before;
    if (const QString refusal = AddressRefusal(Settings.Calendar); !refusal.isEmpty()) {
        Fail(refusal);
        return;
    }
    ListChanges();
}

QUrl SyncRun::UrlOf(const std::string& href) const {
    return UrlOfPath(Settings.Calendar, QString::fromStdString(href));
}

void SyncRun::ListChanges() {
    const std::optional<TDateTime> listedWhole = ParseMinute(State.LastFullListing);
    if (State.SyncToken.empty() || !listedWhole || *listedWhole + 1.0 <= Now()) {
        ListWhole();
        return;
    }
    Client->Send("REPORT", Settings.Calendar, ChangesSince(State.SyncToken), {}, [this](const TDavReply& reply) {
        if (reply.Failure.isEmpty() && TokenRefused(reply.Status)) {
            // The server forgot the token (or never kept one): list everything.
            State.SyncToken.clear();
            ListWhole();
            return;
        }
        TakeListing(reply, false);
    });
}

void SyncRun::ListWhole() {
    const QByteArray body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token/>"
        "<d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop></d:sync-collection>";
    Client->Send("REPORT", Settings.Calendar, body, {}, [this](const TDavReply& reply) {
        if (reply.Failure.isEmpty() && ReportUnsupported(reply.Status)) {
            // No sync-collection: every resource's ETag, by PROPFIND.
            Client->Propfind(Settings.Calendar, 1, "<d:getetag/><d:resourcetype/>",
                             [this](const TDavReply& listing) { TakeListing(listing, true); });
            return;
        }
        TakeListing(reply, true);
    });
}

std::optional<TServerListing> SyncRun::ListingOf(const TDavReply& reply, bool complete, QString& failure) const {
    if (reply.Status != 207) {
        failure = ReplyFailureText(reply);
        return std::nullopt;
    }
    const TDavMultistatus status = ParseMultistatus(reply.Body, reply.Url);
    if (!status.Valid) {
        failure = QStringLiteral("服务器的事件清单无法读取。");
        return std::nullopt;
    }
    TServerListing listing;
    listing.Complete = complete;
    const QString self = Settings.Calendar.path(QUrl::FullyDecoded);
    for (const TDavResponse& response : status.Responses) {
        const bool collection =
            response.Properties.value(QStringLiteral("resourcetype")).Children.contains(QStringLiteral("collection"));
        if (response.Href == self || collection) {
            continue;
        }
        if (response.Status == 404) {
            // A sync-collection's deleted member; a whole listing has none.
            if (!complete) {
                listing.Gone.push_back(Std(response.Href));
            }
        } else if (response.Has(QStringLiteral("getetag"))) {
            listing.Present.emplace_back(Std(response.Href),
                                         Std(response.Properties.value(QStringLiteral("getetag")).Text));
        }
    }
    listing.NewToken = Std(status.SyncToken);
    return listing;
}

void SyncRun::TakeListing(const TDavReply& reply, bool complete) {
    QString failure;
    std::optional<TServerListing> listing = ListingOf(reply, complete, failure);
    if (!listing) {
        Fail(failure);
        return;
    }
    if (complete) {
        State.LastFullListing = FormatMinute(MinuteOf(Now()));
    }
    Listed(std::move(*listing));
}

void SyncRun::Listed(TServerListing listing) {
    Listing = std::move(listing);
    ToFetch = HrefsToFetch(State, Listing);
    FetchedUpTo = 0;
    FetchNext();
}

void SyncRun::FetchNext() {
    if (FetchedUpTo >= ToFetch.size()) {
        Plan();
        return;
    }
    const std::size_t from = FetchedUpTo;
    const std::size_t to = std::min(ToFetch.size(), from + FetchBatch);
    QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<c:calendar-multiget xmlns:d=\"DAV:\" "
                      "xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:prop><d:getetag/><c:calendar-data/></d:prop>";
    for (std::size_t k = from; k < to; ++k) {
        body += "<d:href>" + XmlEscaped(UrlOf(ToFetch[k]).path(QUrl::FullyEncoded)).toUtf8() + "</d:href>";
    }
    body += "</c:calendar-multiget>";
    Client->Send("REPORT", Settings.Calendar, body, {{"Depth", "1"}}, [this, from, to](const TDavReply& reply) {
        if (reply.Failure.isEmpty() && ReportUnsupported(reply.Status)) {
            FetchOneByOne(from);
            return;
        }
        if (reply.Status != 207) {
            Fail(ReplyFailureText(reply));
            return;
        }
        const TDavMultistatus status = ParseMultistatus(reply.Body, reply.Url);
        if (!status.Valid) {
            Fail(QStringLiteral("服务器发来的事件无法读取。"));
            return;
        }
        for (std::size_t k = from; k < to; ++k) {
            const QString href = QString::fromStdString(ToFetch[k]);
            const auto found = std::find_if(status.Responses.begin(), status.Responses.end(),
                                            [&](const TDavResponse& response) { return response.Href == href; });
            if (found == status.Responses.end() || found->Status == 404 ||
                !found->Has(QStringLiteral("calendar-data"))) {
                Missing.push_back(ToFetch[k]);
                continue;
            }
            Fetched.push_back({ToFetch[k], Std(found->Properties.value(QStringLiteral("getetag")).Text),
                               found->Properties.value(QStringLiteral("calendar-data")).Text.toStdString()});
        }
        FetchedUpTo = to;
        FetchNext();
    });
}

void SyncRun::FetchOneByOne(std::size_t next) {
    if (next >= ToFetch.size()) {
        FetchedUpTo = next;
        Plan();
        return;
    }
    Client->Send("GET", UrlOf(ToFetch[next]), {}, {}, [this, next](const TDavReply& reply) {
        if (reply.Failure.isEmpty() && (reply.Status == 404 || reply.Status == 410)) {
            Missing.push_back(ToFetch[next]);
        } else if (reply.Succeeded()) {
            Fetched.push_back({ToFetch[next], reply.ETag.toStdString(), reply.Body.toStdString()});
        } else {
            Fail(ReplyFailureText(reply));
            return;
        }
        FetchOneByOne(next + 1);
    });
}

void SyncRun::Plan() {
    List.ReloadIfChanged();
    if (!List.LoadFailure.empty()) {
        Fail(QString::fromStdString(List.LoadFailure));
        return;
    }
    TSyncInput input;
    for (std::int32_t i = 0; i < List.Count; ++i) {
        input.Local.push_back(List.Item(i));
    }
    input.State = State;
    input.Fetched = Fetched;
    input.Gone = HrefsGone(State, Listing);
    for (const std::string& href : Missing) {
        if (!Contains(input.Gone, href)) {
            input.Gone.push_back(href);
        }
    }
    input.CalendarPath = Std(Settings.Calendar.path(QUrl::FullyDecoded));
    const TDateTime now = MinuteOf(Now());
    input.Import.Now = now;
    input.Import.BeginWithSunday = Settings.BeginWithSunday;
    input.Export.From = now;
    input.Export.BeginWithSunday = Settings.BeginWithSunday;
    input.Export.TimeZone = LocalTimeZoneName();
    Work = PlanSync(input);
    if (Settings.DryRun) {
        Outcome.Plan = Work;
        Outcome.Notices = Work.Notices;
        Outcome.Succeeded = true;
        Finish();
        return;
    }
    bool again = false;
    // The user's time to answer does not count against the run.
    const int timeLeft = RunDeadline->remainingTime();
    RunDeadline->stop();
    if (Work.CommandArrivals > 0) {
        input.Commands = !Settings.AgreeToCommands                         ? CommandChoice::Defer
                         : Settings.AgreeToCommands(CommandQuestion(Work)) ? CommandChoice::Take
                                                                           : CommandChoice::Strip;
        again = input.Commands != CommandChoice::Take;
        Outcome.DeferredCommands = input.Commands == CommandChoice::Defer ? Work.CommandArrivals : 0;
    }
    if (DeletionsNeedConsent(Work)) {
        input.Deletions = !Settings.AgreeToDeletions                          ? DeletionChoice::Defer
                          : Settings.AgreeToDeletions(DeletionQuestion(Work)) ? DeletionChoice::Apply
                                                                              : DeletionChoice::Keep;
        again = again || input.Deletions != DeletionChoice::Apply;
        Outcome.DeferredDeletions = input.Deletions == DeletionChoice::Defer ? Work.Deletions : 0;
    }
    if (Done) {
        return;
    }
    RunDeadline->start(std::max(timeLeft, 1));
    if (again) {
        // A question's nested event loop may have let the user change the list meanwhile.
        List.ReloadIfChanged();
        input.Local.clear();
        for (std::int32_t i = 0; i < List.Count; ++i) {
            input.Local.push_back(List.Item(i));
        }
        Work = PlanSync(input);
    }
    Apply();
}

void SyncRun::Apply() {
    try {
        // One write of the data file for all of them; when another program wrote it meanwhile, they are made
        // again on what it wrote.
        List.Batch([this] { ApplyLocalActions(); });
    } catch (const std::exception& error) {
        // The data file could not be written (a read-only folder, a full disk): the state stays as it was, so the
        // next sync takes up everything again.
        Fail(QString::fromStdString(error.what()));
        return;
    }
    const std::string token = Work.ListWholeNextTime ? std::string() : Listing.NewToken;
    State = Work.State;
    State.SyncToken = token;
    for (const std::string& href : Unsettled) {
        UnsettleResource(State, Before, href);
    }
    Outcome.Notices = Work.Notices;
    SaveState();
    NextPush = 0;
    PushNext();
}

void SyncRun::ApplyLocalActions() {
    Unsettled.clear();
    SkippedUids.clear();
    Outcome.Added = Outcome.Replaced = Outcome.Removed = 0;
    for (const TLocalAction& action : Work.Local) {
        if (Contains(Unsettled, action.Href)) {
            continue;
        }
        bool done = true;
        switch (action.Kind) {
        case LocalActionKind::Add:
            List.Add(action.After, true);
            ++Outcome.Added;
            break;
        case LocalActionKind::Replace:
            done = List.Replace(action.Before, action.Near, action.After) >= 0;
            Outcome.Replaced += done ? 1 : 0;
            break;
        case LocalActionKind::Remove:
            done = List.Remove({{action.Before, action.Near}}) > 0;
            Outcome.Removed += done ? 1 : 0;
            break;
        }
        if (!done) {
            // Changed here while the sync ran: that change is taken up by the next sync.
            if (action.Href.empty()) {
                SkippedUids.push_back(action.After.Uid);
            } else {
                Unsettled.push_back(action.Href);
            }
        }
    }
}

void SyncRun::PushNext() {
    while (NextPush < Work.Server.size()) {
        const TServerAction& action = Work.Server[NextPush];
        if (Contains(Unsettled, action.Origin) || Contains(Unsettled, action.Href) ||
            Contains(SkippedUids, action.Uid)) {
            ++NextPush;
            continue;
        }
        break;
    }
    if (NextPush >= Work.Server.size()) {
        State.LastSync = FormatMinute(MinuteOf(Now()));
        State.LastError.clear();
        Outcome.Succeeded = true;
        if (Outcome.Sent + Outcome.Deleted > 0 && !State.SyncToken.empty()) {
            FollowOwnWrites();
            return;
        }
        SaveState();
        Finish();
        return;
    }
    if (NextPush > 0 && NextPush % SaveEvery == 0) {
        SaveState();
    }
    const TServerAction& action = Work.Server[NextPush];
    CalDavClient::Headers headers;
    QByteArray verb = "PUT";
    if (action.Kind == ServerActionKind::Create) {
        headers.push_back({"If-None-Match", "*"});
    } else if (!action.IfMatch.empty()) {
        headers.push_back({"If-Match", QByteArray::fromStdString(action.IfMatch)});
    }
    if (action.Kind == ServerActionKind::Delete) {
        verb = "DELETE";
    }
    Client->Send(verb, UrlOf(action.Href), QByteArray::fromStdString(action.Body), headers,
                 [this](const TDavReply& reply) {
                     const TServerAction& sent = Work.Server[NextPush];
                     const bool deleting = sent.Kind == ServerActionKind::Delete;
                     if (reply.Succeeded() || (deleting && reply.Status == 404 && reply.Failure.isEmpty())) {
                         SettleAction(State, sent, reply.ETag.toStdString(), FormatMinute(MinuteOf(Now())));
                         ++(deleting ? Outcome.Deleted : Outcome.Sent);
                     } else if (reply.Failure.isEmpty() && (reply.Status == 412 || reply.Status == 404)) {
                         // Changed or gone on the server since it was listed: the next sync sees both sides.
                         ++Outcome.Waiting;
                     } else {
                         Fail(ReplyFailureText(reply));
                         return;
                     }
                     ++NextPush;
                     PushNext();
                 });
}

void SyncRun::FollowOwnWrites() {
    // What this run wrote moved the server's token on: the changes since the token it listed by are asked for
    // once more, and when they are all this run's own writes, the new token is kept. Otherwise the next run
    // would fetch the list of them all again, and write the state again, to learn nothing.
    Client->Send("REPORT", Settings.Calendar, ChangesSince(State.SyncToken), {}, [this](const TDavReply& reply) {
        QString failure;
        const std::optional<TServerListing> listing = ListingOf(reply, false, failure);
        // Anything else, or no answer: the old token stays, and the next run sees whatever there is.
        if (listing && !listing->NewToken.empty() && HrefsToFetch(State, *listing).empty() &&
            HrefsGone(State, *listing).empty()) {
            State.SyncToken = listing->NewToken;
        }
        SaveState();
        Finish();
    });
}

void SyncRun::SaveState() {
    Outcome.LastSync = State.LastSync;
    Outcome.LastError = State.LastError;
    if (Settings.DryRun) {
        return;
    }
    // A sync with nothing to do writes nothing; the minute of the last sync alone is kept once an hour.
    TSyncState compared = State;
    compared.LastSync = Saved.LastSync;
    const std::optional<TDateTime> lastSaved = ParseMinute(Saved.LastSync);
    const std::optional<TDateTime> last = ParseMinute(State.LastSync);
    const bool stale = State.LastSync != Saved.LastSync && (!lastSaved || !last || *last - *lastSaved >= 1.0 / 24);
    if (SameState(compared, Saved) && !stale) {
        return;
    }
    try {
        // The minute of the last sync alone is written in place, without the waits of a flushed save.
        SaveSyncState(Settings.StatePath, State, SameState(compared, Saved));
        Saved = State;
    } catch (const std::exception& error) {
        if (Outcome.Failure.empty()) {
            Outcome.Failure = error.what();
        }
        Outcome.Succeeded = false;
    }
}

void SyncRun::Fail(const QString& why) {
    Outcome.Failure = Std(why);
    Outcome.Succeeded = false;
    if (!Settings.DryRun) {
        State.LastError = Outcome.Failure;
        SaveState();
    }
    Finish();
}

void SyncRun::Finish() {
    if (Done) {
        return;
    }
    Done = true;
    RunDeadline->stop();
    // Told later, never inside Start or a caller's own call: a caller connects and then waits.
    QMetaObject::invokeMethod(this, &SyncRun::finished, Qt::QueuedConnection);
}

} // namespace chimewell
