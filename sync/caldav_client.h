#pragma once
// A CalDAV client over QtNetwork: requests with the account's credentials, redirects followed by hand (so that
// PROPFIND stays PROPFIND and a secure address never falls to a plain one), replies read as WebDAV multistatus,
// and the discovery of the user's calendars (current-user-principal, calendar-home-set, the calendars in it).
// Everything is asynchronous: the callers' windows never wait on the network.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace chimewell {

inline constexpr int DefaultDavTimeoutMilliseconds = 30000;
// No calendar listing or event comes near this; a reply that grows beyond it is given up.
inline constexpr qint64 MaxDavReplyBytes = 32LL * 1024 * 1024;

struct TDavAccount {
    QUrl Server;
    QString User;
    QString Password;
    // How long one request may take, silence or trickle alike.
    int TimeoutMilliseconds = DefaultDavTimeoutMilliseconds;
};

// The same scheme, host and port (the port a scheme implies counts as given): the only addresses that get the
// account's credentials.
bool SameOrigin(const QUrl& a, const QUrl& b);

// Empty when the program may talk to the address, else why not: only https, or plain http to this machine.
QString AddressRefusal(const QUrl& url);
// The address a user typed, with "https://" put in front when it has no scheme.
QUrl ServerAddressOf(const QString& typed);

struct TDavReply {
    // The HTTP status; 0 when no answer came (see Failure).
    int Status = 0;
    QByteArray Body;
    QByteArray ETag;
    // Non-empty when the request got no answer: no network, refused, timed out, a certificate refused.
    QString Failure;
    // The address that answered, after redirects.
    QUrl Url;
    bool Succeeded() const { return Failure.isEmpty() && Status >= 200 && Status < 300; }
};

// One property of a multistatus response.
struct TDavProperty {
    int Status = 200;
    // The text inside, trimmed (getetag, displayname, calendar-data, sync-token …).
    QString Text;
    // The hrefs inside (current-user-principal, calendar-home-set).
    QStringList Hrefs;
    // The local names of the elements inside (resourcetype: "collection", "calendar"; the names of the
    // components of supported-calendar-component-set as "comp:VEVENT").
    QStringList Children;
};

struct TDavResponse {
    // The path of the resource, decoded, resolved against the request's address.
    QString Href;
    // The response's own status (a sync-collection's 404 of a deleted resource); 0 when it has none.
    int Status = 0;
    // By local name.
    QMap<QString, TDavProperty> Properties;
    bool Has(const QString& name) const {
        return Properties.contains(name) && Properties.value(name).Status >= 200 && Properties.value(name).Status < 300;
    }
};

struct TDavMultistatus {
    bool Valid = false;
    std::vector<TDavResponse> Responses;
    QString SyncToken;
};

TDavMultistatus ParseMultistatus(const QByteArray& body, const QUrl& base);
// The decoded path of an href, resolved against the address of the request.
QString HrefPath(const QString& href, const QUrl& base);
// The address of a path on the same server as base.
QUrl UrlOfPath(const QUrl& base, const QString& path);
// The text of an XML element's content.
QString XmlEscaped(const QString& text);

// A sentence for the user on a failed request ("无法连接服务器…", "用户名或密码不对", "服务器出错（500）").
QString ReplyFailureText(const TDavReply& reply);

struct TCalendarChoice {
    QUrl Url;
    QString Name;
};

class CalDavClient : public QObject {
    Q_OBJECT
public:
    explicit CalDavClient(TDavAccount account, QObject* parent = nullptr);
    ~CalDavClient() override;

    const TDavAccount& Account() const { return AccountInUse; }

    using Headers = QList<QPair<QByteArray, QByteArray>>;
    // Sends the request; done is called once, later, on this object's thread (never after the client is gone).
    void Send(const QByteArray& verb, const QUrl& url, const QByteArray& body, const Headers& headers,
              std::function<void(const TDavReply&)> done);
    // PROPFIND with the given prop elements (already written, e.g. "<d:getetag/>").
    void Propfind(const QUrl& url, int depth, const QByteArray& props, std::function<void(const TDavReply&)> done);

    // The calendars of the account that can hold events, and the home they are in (where a new one is made);
    // failure is empty when the discovery went through.
    using DiscoveryDone =
        std::function<void(const std::vector<TCalendarChoice>& calendars, const QUrl& home, const QString& failure)>;
    void DiscoverCalendars(DiscoveryDone done);
    // Gives up every request under way: their callbacks are never called (a run that ends early, or goes).
    void CancelAll();
    // Makes a calendar for events named `name` in the home; done gets its address, or a failure.
    void CreateCalendar(const QUrl& home, const QString& name,
                        std::function<void(const QUrl& calendar, const QString& failure)> done);

signals:
    // A request got its answer (or its failure), just before its callback is told.
    void answered();
    // CancelAll is under way.
    void cancelling();

private:
    void SendTo(const QByteArray& verb, const QUrl& url, const QByteArray& body, const Headers& headers,
                int redirectsLeft, std::function<void(const TDavReply&)> done);
    void FindPrincipal(const QUrl& url, bool wellKnownTried, DiscoveryDone done);
    void FindHome(const QUrl& principal, DiscoveryDone done);
    void ListHome(const QUrl& home, DiscoveryDone done);

    bool MayAuthenticate(const QUrl& url) const;

    TDavAccount AccountInUse;
    QNetworkAccessManager* Network;
    // Raised by CancelAll: the answers of requests sent before it are dropped.
    quint64 Generation = 0;
};

} // namespace chimewell
