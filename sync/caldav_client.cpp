#include "sync/caldav_client.h"

#include <QAuthenticator>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUuid>
#include <QXmlStreamReader>

#include <memory>
#include <utility>

namespace chimewell {

namespace {

constexpr int MostRedirects = 5;
const char* const SuppliedProperty = "chimewellCredentialsSupplied";
// Why the program gave up a reply itself: "time" or "size".
const char* const GivenUpProperty = "chimewellGivenUp";

const QByteArray PropfindHead = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:prop>";
const QByteArray PropfindTail = "</d:prop></d:propfind>";

bool IsLoopback(const QString& host) {
    if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

int StatusOfLine(const QString& line) {
    // "HTTP/1.1 404 Not Found"
    const QStringList words = line.simplified().split(QLatin1Char(' '));
    return words.size() >= 2 ? words.at(1).toInt() : 0;
}

// Reads the content of the element the reader stands at into the property: its text, hrefs and children.
void ReadProperty(QXmlStreamReader& xml, TDavProperty& property) {
    int depth = 0;
    QString text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            const QString name = xml.name().toString();
            if (depth == 1) {
                property.Children.push_back(name);
            }
            if (name == QLatin1String("href")) {
                property.Hrefs.push_back(xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed());
                --depth;
            } else if (name == QLatin1String("comp")) {
                property.Children.push_back(QStringLiteral("comp:") + xml.attributes().value("name").toString());
            }
        } else if (xml.isEndElement()) {
            if (depth == 0) {
                break;
            }
            --depth;
        } else if (xml.isCharacters() && depth == 0) {
            text += xml.text();
        }
    }
    property.Text = text.trimmed();
}

void ReadPropstat(QXmlStreamReader& xml, TDavResponse& response) {
    std::vector<std::pair<QString, TDavProperty>> found;
    int status = 200;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == QLatin1String("prop")) {
            while (xml.readNextStartElement()) {
                TDavProperty property;
                const QString propertyName = xml.name().toString();
                ReadProperty(xml, property);
                found.emplace_back(propertyName, std::move(property));
            }
        } else if (name == QLatin1String("status")) {
            status = StatusOfLine(xml.readElementText());
        } else {
            xml.skipCurrentElement();
        }
    }
    for (auto& [name, property] : found) {
        property.Status = status;
        // A property found (2xx) wins over the same one reported missing in another propstat.
        if (!response.Has(name)) {
            response.Properties.insert(name, property);
        }
    }
}

} // namespace

QString AddressRefusal(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) {
        return QStringLiteral("服务器地址“%1”不是有效的网址。").arg(url.toString());
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https")) {
        return {};
    }
    if (scheme == QLatin1String("http") && IsLoopback(url.host())) {
        return {};
    }
    if (scheme == QLatin1String("http")) {
        return QStringLiteral("为了保护密码和提醒，只能用 https 连接其他计算机上的服务器（http 只用于本机）：%1")
            .arg(url.toString());
    }
    return QStringLiteral("服务器地址“%1”应以 https:// 开头。").arg(url.toString());
}

bool SameOrigin(const QUrl& a, const QUrl& b) {
    const QString scheme = a.scheme().toLower();
    const int defaultPort = scheme == QLatin1String("https") ? 443 : 80;
    return scheme == b.scheme().toLower() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(defaultPort) == b.port(defaultPort);
}

QUrl ServerAddressOf(const QString& typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty()) {
        return {};
    }
    if (text.contains(QStringLiteral("://"))) {
        return QUrl::fromUserInput(text);
    }
    // A server on this machine is plain http (a local Radicale); any other goes over https.
    const QUrl secure = QUrl::fromUserInput(QStringLiteral("https://") + text);
    if (IsLoopback(secure.host())) {
        return QUrl::fromUserInput(QStringLiteral("http://") + text);
    }
    return secure;
}

QString HrefPath(const QString& href, const QUrl& base) {
    return base.resolved(QUrl(href)).path(QUrl::FullyDecoded);
}

QUrl UrlOfPath(const QUrl& base, const QString& path) {
    QUrl url = base;
    url.setPath(path, QUrl::DecodedMode);
    url.setQuery(QString());
    url.setFragment(QString());
    return url;
}

QString XmlEscaped(const QString& text) {
    return text.toHtmlEscaped();
}

TDavMultistatus ParseMultistatus(const QByteArray& body, const QUrl& base) {
    TDavMultistatus result;
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("multistatus")) {
        return result;
    }
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("sync-token")) {
            result.SyncToken = xml.readElementText().trimmed();
            continue;
        }
        if (xml.name() != QLatin1String("response")) {
            xml.skipCurrentElement();
            continue;
        }
        TDavResponse response;
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            if (name == QLatin1String("href")) {
                response.Href = HrefPath(xml.readElementText().trimmed(), base);
            } else if (name == QLatin1String("status")) {
                response.Status = StatusOfLine(xml.readElementText());
            } else if (name == QLatin1String("propstat")) {
                ReadPropstat(xml, response);
            } else {
                xml.skipCurrentElement();
            }
        }
        if (!response.Href.isEmpty()) {
            result.Responses.push_back(std::move(response));
        }
    }
    result.Valid = !xml.hasError();
    return result;
}

QString ReplyFailureText(const TDavReply& reply) {
    if (!reply.Failure.isEmpty()) {
        return reply.Failure;
    }
    if (reply.Status == 401) {
        return QStringLiteral("服务器不接受这个用户名和密码（401）。");
    }
    if (reply.Status == 403) {
        return QStringLiteral("服务器不允许这个操作（403）。");
    }
    if (reply.Status == 404) {
        return QStringLiteral("服务器上没有这个地址（404）：%1").arg(reply.Url.toString());
    }
    if (reply.Status >= 500) {
        return QStringLiteral("服务器出错（%1），稍后再试。").arg(reply.Status);
    }
    return QStringLiteral("服务器的回答不对（%1）。").arg(reply.Status);
}

CalDavClient::CalDavClient(TDavAccount account, QObject* parent)
    : QObject(parent), AccountInUse(std::move(account)), Network(new QNetworkAccessManager(this)) {
    connect(Network, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply* reply, QAuthenticator* authenticator) {
                // Offered once per request: a second asking means the server refused them. Never to another
                // server than the user's.
                if (reply->property(SuppliedProperty).toBool() || !MayAuthenticate(reply->url())) {
                    return;
                }
                reply->setProperty(SuppliedProperty, true);
                authenticator->setUser(AccountInUse.User);
                authenticator->setPassword(AccountInUse.Password);
            });
}

CalDavClient::~CalDavClient() = default;

bool CalDavClient::MayAuthenticate(const QUrl& url) const {
    return SameOrigin(AccountInUse.Server, url);
}

void CalDavClient::Send(const QByteArray& verb, const QUrl& url, const QByteArray& body, const Headers& headers,
                        std::function<void(const TDavReply&)> done) {
    SendTo(verb, url, body, headers, MostRedirects, std::move(done));
}

void CalDavClient::SendTo(const QByteArray& verb, const QUrl& url, const QByteArray& body, const Headers& headers,
                          int redirectsLeft, std::function<void(const TDavReply&)> done) {
    QString refusal = AddressRefusal(url);
    if (refusal.isEmpty() && !AccountInUse.User.isEmpty() && !MayAuthenticate(url)) {
        refusal = QStringLiteral("%1 不在设置里的服务器 %2 上。为了保护密码，本程序只把密码发给设置里的服务器；"
                                 "如果要用那台服务器，请把它的地址填进设置。")
                      .arg(url.toString(QUrl::RemoveUserInfo), AccountInUse.Server.toString(QUrl::RemoveUserInfo));
    }
    if (!refusal.isEmpty()) {
        TDavReply reply;
        reply.Failure = refusal;
        reply.Url = url;
        // Told later, as every answer is, so that callers never see their callback run inside their call.
        QMetaObject::invokeMethod(
            this, [done = std::move(done), reply] { done(reply); }, Qt::QueuedConnection);
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(AccountInUse.TimeoutMilliseconds);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Chimewell/2.1"));
    if (!body.isEmpty()) {
        const bool calendar = body.startsWith("BEGIN:VCALENDAR");
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          calendar ? QByteArrayLiteral("text/calendar; charset=utf-8")
                                   : QByteArrayLiteral("application/xml; charset=utf-8"));
    }
    for (const auto& [name, value] : headers) {
        request.setRawHeader(name, value);
    }
    if (!AccountInUse.User.isEmpty() && MayAuthenticate(url)) {
        // Sent with the first request, in UTF-8 (RFC 7617): Qt's own answer to the server's challenge encodes
        // the password in Latin-1, which loses every Chinese character of it.
        const QByteArray credentials = (AccountInUse.User + QLatin1Char(':') + AccountInUse.Password).toUtf8();
        request.setRawHeader("Authorization", "Basic " + credentials.toBase64());
    }
    QNetworkReply* reply = Network->sendCustomRequest(request, verb, body);
    const quint64 generation = Generation;
    connect(this, &CalDavClient::cancelling, reply, &QNetworkReply::abort);
    // The whole exchange is bounded, not only the silences between its bytes, and so is what it may bring.
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, [reply] {
        reply->setProperty(GivenUpProperty, QStringLiteral("time"));
        reply->abort();
    });
    deadline->start(AccountInUse.TimeoutMilliseconds);
    const auto checkSize = [reply] {
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (reply->bytesAvailable() > MaxDavReplyBytes || announced > MaxDavReplyBytes) {
            reply->setProperty(GivenUpProperty, QStringLiteral("size"));
            reply->abort();
        }
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, checkSize);
    connect(reply, &QNetworkReply::readyRead, this, checkSize);
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, verb, body, headers, redirectsLeft, generation, done = std::move(done)]() mutable {
                reply->deleteLater();
                if (generation != Generation) {
                    return;
                }
                emit answered();
                TDavReply answer;
                answer.Url = reply->url();
                const QString givenUp = reply->property(GivenUpProperty).toString();
                if (!givenUp.isEmpty()) {
                    answer.Failure = givenUp == QLatin1String("size")
                                         ? QStringLiteral("服务器 %1 的回答太大（超过 %2 MB），不像日历，已放弃。")
                                               .arg(reply->url().host())
                                               .arg(MaxDavReplyBytes / (1024 * 1024))
                                         : QStringLiteral("服务器 %1 在规定的 %2 秒内没有回答完，已放弃。")
                                               .arg(reply->url().host())
                                               .arg(AccountInUse.TimeoutMilliseconds / 1000);
                    done(answer);
                    return;
                }
                answer.Status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                answer.Body = reply->readAll();
                answer.ETag = reply->rawHeader("ETag");
                if (answer.Status == 0) {
                    const bool timedOut = reply->error() == QNetworkReply::OperationCanceledError ||
                                          reply->error() == QNetworkReply::TimeoutError;
                    const bool untrusted = reply->error() == QNetworkReply::SslHandshakeFailedError;
                    const QString host = reply->url().host();
                    if (timedOut) {
                        answer.Failure = QStringLiteral("服务器在规定的时间内没有回答（%1）。").arg(host);
                    } else if (untrusted) {
                        answer.Failure =
                            QStringLiteral("无法与服务器 %1 建立安全连接（%2）：服务器的证书要由本机信任的机构签发。")
                                .arg(host, reply->errorString());
                    } else {
                        answer.Failure = QStringLiteral("无法连接服务器 %1：%2").arg(host, reply->errorString());
                    }
                    done(answer);
                    return;
                }
                const bool redirect = answer.Status == 301 || answer.Status == 302 || answer.Status == 303 ||
                                      answer.Status == 307 || answer.Status == 308;
                if (!redirect) {
                    done(answer);
                    return;
                }
                const QUrl target =
                    reply->url().resolved(reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl());
                if (redirectsLeft <= 0 || !target.isValid()) {
                    answer.Failure = QStringLiteral("服务器转向的次数太多：%1").arg(reply->url().toString());
                    done(answer);
                    return;
                }
                if (reply->url().scheme() == QLatin1String("https") && target.scheme() != QLatin1String("https")) {
                    answer.Failure =
                        QStringLiteral("服务器要把安全连接转到不安全的地址，已拒绝：%1").arg(target.toString());
                    done(answer);
                    return;
                }
                if (!AccountInUse.User.isEmpty() && !MayAuthenticate(target)) {
                    answer.Failure =
                        QStringLiteral("服务器把请求转到了另一台服务器 %1。为了保护密码，本程序只把密码发给"
                                       "设置里的服务器，没有跟过去；如果要用那台服务器，请把它的地址填"
                                       "进设置。")
                            .arg(target.toString(QUrl::RemoveUserInfo));
                    done(answer);
                    return;
                }
                SendTo(verb, target, body, headers, redirectsLeft - 1, std::move(done));
            });
}

void CalDavClient::CancelAll() {
    ++Generation;
    emit cancelling();
}

void CalDavClient::Propfind(const QUrl& url, int depth, const QByteArray& props,
                            std::function<void(const TDavReply&)> done) {
    Send("PROPFIND", url, PropfindHead + props + PropfindTail, {{"Depth", QByteArray::number(depth)}}, std::move(done));
}

void CalDavClient::DiscoverCalendars(DiscoveryDone done) {
    FindPrincipal(AccountInUse.Server, false, std::move(done));
}

void CalDavClient::FindPrincipal(const QUrl& url, bool wellKnownTried, DiscoveryDone done) {
    Propfind(url, 0, "<d:current-user-principal/><d:resourcetype/>",
             [this, url, wellKnownTried, done = std::move(done)](const TDavReply& reply) {
                 if (!reply.Failure.isEmpty() || reply.Status == 401) {
                     done({}, {}, ReplyFailureText(reply));
                     return;
                 }
                 const TDavMultistatus status = ParseMultistatus(reply.Body, reply.Url);
                 for (const TDavResponse& response : status.Responses) {
                     const TDavProperty principal = response.Properties.value(QStringLiteral("current-user-principal"));
                     if (response.Has(QStringLiteral("current-user-principal")) && !principal.Hrefs.isEmpty()) {
                         FindHome(UrlOfPath(reply.Url, HrefPath(principal.Hrefs.first(), reply.Url)), done);
                         return;
                     }
                 }
                 if (!wellKnownTried) {
                     // RFC 6764: a server may answer only at its well-known address.
                     FindPrincipal(UrlOfPath(url, QStringLiteral("/.well-known/caldav")), true, done);
                     return;
                 }
                 done({}, {}, QStringLiteral("这个地址上没有找到 CalDAV 日历服务（没有 current-user-principal）。"));
             });
}

void CalDavClient::FindHome(const QUrl& principal, DiscoveryDone done) {
    Propfind(principal, 0, "<c:calendar-home-set/>", [this, done = std::move(done)](const TDavReply& reply) {
        if (!reply.Succeeded()) {
            done({}, {}, ReplyFailureText(reply));
            return;
        }
        const TDavMultistatus status = ParseMultistatus(reply.Body, reply.Url);
        for (const TDavResponse& response : status.Responses) {
            const TDavProperty home = response.Properties.value(QStringLiteral("calendar-home-set"));
            if (response.Has(QStringLiteral("calendar-home-set")) && !home.Hrefs.isEmpty()) {
                QUrl url = reply.Url.resolved(QUrl(home.Hrefs.first()));
                ListHome(url, done);
                return;
            }
        }
        done({}, {}, QStringLiteral("服务器没有告诉这个用户的日历在哪里（没有 calendar-home-set）。"));
    });
}

void CalDavClient::ListHome(const QUrl& home, DiscoveryDone done) {
    Propfind(home, 1, "<d:resourcetype/><d:displayname/><c:supported-calendar-component-set/>",
             [home, done = std::move(done)](const TDavReply& reply) {
                 if (!reply.Succeeded()) {
                     done({}, home, ReplyFailureText(reply));
                     return;
                 }
                 std::vector<TCalendarChoice> calendars;
                 const TDavMultistatus status = ParseMultistatus(reply.Body, reply.Url);
                 for (const TDavResponse& response : status.Responses) {
                     const TDavProperty type = response.Properties.value(QStringLiteral("resourcetype"));
                     if (!type.Children.contains(QStringLiteral("calendar"))) {
                         continue;
                     }
                     const TDavProperty components =
                         response.Properties.value(QStringLiteral("supported-calendar-component-set"));
                     if (response.Has(QStringLiteral("supported-calendar-component-set")) &&
                         !components.Children.contains(QStringLiteral("comp:VEVENT"))) {
                         continue;
                     }
                     QString name = response.Properties.value(QStringLiteral("displayname")).Text;
                     if (name.isEmpty()) {
                         name = response.Href.section(QLatin1Char('/'), -2, -2);
                     }
                     calendars.push_back({UrlOfPath(reply.Url, response.Href), name});
                 }
                 done(calendars, home, {});
             });
}

void CalDavClient::CreateCalendar(const QUrl& home, const QString& name,
                                  std::function<void(const QUrl&, const QString&)> done) {
    QString path = home.path();
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    path +=
        QStringLiteral("chimewell-") + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8) + QLatin1Char('/');
    const QUrl calendar = UrlOfPath(home, path);
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                            "<c:mkcalendar xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:set><d:prop>"
                            "<d:displayname>" +
                            XmlEscaped(name).toUtf8() +
                            "</d:displayname><c:supported-calendar-component-set><c:comp name=\"VEVENT\"/>"
                            "</c:supported-calendar-component-set></d:prop></d:set></c:mkcalendar>";
    Send("MKCALENDAR", calendar, body, {}, [calendar, done = std::move(done)](const TDavReply& reply) {
        if (reply.Succeeded()) {
            done(calendar, {});
        } else {
            done({}, ReplyFailureText(reply));
        }
    });
}

} // namespace chimewell
