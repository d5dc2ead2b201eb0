// What the sync must never do with another calendar's edit, with the password, or with a server that misbehaves:
// an edit made in another client arrives and is not overwritten; credentials stay with the server the user set;
// slow, endless and oversized replies are given up within their bounds.

#include "calendar/clock.h"
#include "http_stand_in.h"
#include "sample_record.h"
#include "sync_machine.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>

namespace chimewell {
namespace {

using testing::Contents;
using testing::DailyRecord;
using testing::DatedRecord;
using testing::HttpStandIn;
using testing::Machine;
using testing::StandInRequest;
using testing::Sync;
using testing::SyncOptions;

class SyncTrustTest : public testing::RadicaleCalendarTest {
protected:
    QUrl EventUrl(const TRmMainDate& record) const {
        return Calendar.resolved(QUrl(QString::fromStdString(record.Uid) + QStringLiteral(".ics")));
    }
    // Another client's edit of a stored event: a new title and time of day, its own properties raised, the
    // unknown X- properties kept as clients keep them. The start keeps the form the export gave it, which
    // depends on the zone the tests run in: in a named zone, floating, or in UTC.
    void EditElsewhere(const TRmMainDate& record, const QString& title, QTime time) const {
        QString text = QString::fromUtf8(Server->Fetch(EventUrl(record)));
        text.replace(QStringLiteral("\r\n "), QString());
        // Only the event's own lines: the time zone's rules have DTSTART lines of their own.
        const qsizetype begin = text.indexOf(QStringLiteral("BEGIN:VEVENT\r\n"));
        const qsizetype end = text.indexOf(QStringLiteral("END:VEVENT\r\n"), begin);
        ASSERT_TRUE(begin >= 0 && end > begin) << text.toStdString();
        QString event = text.mid(begin, end - begin);

        ASSERT_EQ(ReplaceEach(event, QStringLiteral("^SUMMARY[;:][^\r\n]*"),
                              [&](const QRegularExpressionMatch&) { return QStringLiteral("SUMMARY:") + title; }),
                  1)
            << event.toStdString();
        ASSERT_EQ(ReplaceEach(event, QStringLiteral("^(DTSTART(?:;[^:\r\n]*)?:)(\\d{8}T\\d{6})(Z?)(?=\r\n)"),
                              [&](const QRegularExpressionMatch& match) {
                                  const bool utc = !match.captured(3).isEmpty();
                                  const QString format = QStringLiteral("yyyyMMdd'T'HHmmss");
                                  QDateTime start = QDateTime::fromString(match.captured(2), format);
                                  if (utc) {
                                      start = QDateTime(start.date(), start.time(), Qt::UTC).toLocalTime();
                                  }
                                  // The new time is a time of day here, as the other client's user sees it.
                                  start.setTime(time);
                                  return match.captured(1) + (utc ? start.toUTC() : start).toString(format) +
                                         match.captured(3);
                              }),
                  1)
            << event.toStdString();
        int sequence = 0;
        ReplaceEach(event, QStringLiteral("^(SEQUENCE:(\\d+)|LAST-MODIFIED:[^\r\n]*)\r\n"),
                    [&](const QRegularExpressionMatch& match) {
                        sequence = std::max(sequence, match.captured(2).toInt());
                        return QString();
                    });
        ASSERT_EQ(ReplaceEach(
                      event, QStringLiteral("^DTSTAMP:[^\r\n]*\r\n"),
                      [&](const QRegularExpressionMatch& match) {
                          return match.captured(0) +
                                 QStringLiteral("SEQUENCE:%1\r\nLAST-MODIFIED:20261209T040000Z\r\n").arg(sequence + 1);
                      }),
                  1)
            << event.toStdString();
        text.replace(begin, end - begin, event);
        ASSERT_EQ(Server->Curl(QStringLiteral("PUT"), EventUrl(record), text.toUtf8(),
                               {QStringLiteral("Content-Type: text/calendar")}) /
                      100,
                  2);
    }

    // Replaces every match of the pattern (one line at a time) by what `by` makes of it; returns how many.
    static int ReplaceEach(QString& text, const QString& pattern,
                           const std::function<QString(const QRegularExpressionMatch&)>& by) {
        const QRegularExpression expression(pattern, QRegularExpression::MultilineOption);
        QString result;
        qsizetype from = 0;
        int count = 0;
        for (QRegularExpressionMatchIterator it = expression.globalMatch(text); it.hasNext(); ++count) {
            const QRegularExpressionMatch match = it.next();
            result += text.mid(from, match.capturedStart() - from) + by(match);
            from = match.capturedEnd();
        }
        text = result + text.mid(from);
        return count;
    }
};

TEST_F(SyncTrustTest, AnEditInAnotherClientArrivesAndIsWrittenBackInThisProgramsForm) {
    Machine desk;
    desk.List.Add(DatedRecord(0, 3, 15, 9, 30, "交房租"), true);
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    ASSERT_NO_FATAL_FAILURE(EditElsewhere(desk.List.Item(0), QStringLiteral("交房租和水电"), QTime(10, 30)));

    TSyncReport report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Replaced, 1);
    ASSERT_EQ(desk.List.Count, 1);
    EXPECT_EQ(desk.List.Item(0).Message, "交房租和水电");
    EXPECT_EQ(desk.List.Item(0).Hour, 10);
    EXPECT_EQ(desk.List.Item(0).Month, 3);
    EXPECT_EQ(desk.List.Item(0).Day, 15);
    // The server's event says it again in the program's own keys.
    EXPECT_EQ(report.Sent, 1);
    EXPECT_TRUE(Server->Fetch(EventUrl(desk.List.Item(0))).contains("X-CHIMEWELL-HOUR:10"));
    // As a revision after the other client's, so that clients that go by revisions take it as the newer.
    EXPECT_TRUE(Server->Fetch(EventUrl(desk.List.Item(0))).contains("SEQUENCE:2\r\n"));

    // A later change here goes out from the edited version; a sync without changes does nothing.
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Sent + report.Replaced + report.Added + report.Removed, 0);
    Machine laptop;
    ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);
    ASSERT_EQ(laptop.List.Count, 1);
    EXPECT_EQ(laptop.List.Item(0).Message, "交房租和水电");
    EXPECT_EQ(laptop.List.Item(0).Hour, 10);
    TRmMainDate changed = desk.List.Item(0);
    changed.Message = "交房租、水电和网费";
    ASSERT_GE(desk.List.Replace(desk.List.Item(0), 0, changed), 0);
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    EXPECT_TRUE(Server->Fetch(EventUrl(desk.List.Item(0))).contains("SEQUENCE:3\r\n"));
}

TEST_F(SyncTrustTest, AConflictKeepsTheOtherClientsEditedText) {
    Machine desk;
    desk.List.Add(DailyRecord(9, 0, "原来的"), true);
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    ASSERT_NO_FATAL_FAILURE(EditElsewhere(desk.List.Item(0), QStringLiteral("别的日历改的"), QTime(9, 0)));
    TRmMainDate here = desk.List.Item(0);
    here.Message = "本机改的";
    desk.List.Replace(desk.List.Item(0), 0, here);

    const TSyncReport report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_GE(desk.IndexOf("别的日历改的"), 0);
    EXPECT_GE(desk.IndexOf("本机改的"), 0);
    EXPECT_LT(desk.IndexOf("原来的"), 0);
    EXPECT_EQ(desk.List.Count, 2);
    Machine laptop;
    ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);
    EXPECT_EQ(Contents(laptop), Contents(desk));
}

TEST_F(SyncTrustTest, ATitleLongerThanTheListHoldsIsCutOnceAndNeverSentBack) {
    Machine desk;
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    const QByteArray title(3000, 'x');
    const QByteArray event = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//curl//EN\r\nBEGIN:VEVENT\r\nUID:long-1\r\n"
                             "DTSTAMP:20261201T000000Z\r\nDTSTART:20270115T013000Z\r\nSUMMARY:" +
                             title + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    ASSERT_EQ(Server->Curl(QStringLiteral("PUT"), Calendar.resolved(QUrl(QStringLiteral("long-1.ics"))), event,
                           {QStringLiteral("Content-Type: text/calendar")}),
              201);
    int sent = 0;
    for (int round = 0; round < 3; ++round) {
        const TSyncReport report = Sync(desk, Calendar);
        ASSERT_TRUE(report.Succeeded) << report.Failure;
        sent += report.Sent;
    }
    EXPECT_LE(sent, 1);
    ASSERT_EQ(desk.List.Count, 1);
    EXPECT_EQ(desk.List.Item(0).Message, std::string(2047, 'x'));
}

// ---- credentials and bounds, against stand-ins -----------------------------------------------------------

// Answers every request with a redirect of the given status to `target`.
HttpStandIn::Answer RedirectTo(int status, const QByteArray& target) {
    return [status, target](const StandInRequest&, QTcpSocket& socket) {
        socket.write("HTTP/1.1 " + QByteArray::number(status) + " Redirect\r\nLocation: " + target +
                     "\r\nContent-Length: 0\r\n\r\n");
    };
}

// Asks for credentials, as any CalDAV server does.
void Challenge(const StandInRequest&, QTcpSocket& socket) {
    socket.write("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"cal\"\r\nContent-Length: 0\r\n\r\n");
}

constexpr int RedirectStatuses[] = {301, 302, 307, 308};

QByteArray BasicCredentials(const QString& user, const QString& password) {
    return "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
}

TEST(SyncCredentialsTest, ARedirectOnTheSameServerIsTheSameRequestWithTheSamePassword) {
    testing::EventLoopApplication();
    for (const int status : RedirectStatuses) {
        SCOPED_TRACE(status);
        // The calendar moved on its server; the new place asks for the password.
        HttpStandIn configured(QHostAddress::LocalHost, [status](const StandInRequest& request, QTcpSocket& socket) {
            if (request.Path.startsWith("/old/")) {
                RedirectTo(status, "/alice/cal/")(request, socket);
            } else {
                Challenge(request, socket);
            }
        });
        Machine desk;
        SyncOptions options;
        options.Password = QStringLiteral("密码 secret");
        const TSyncReport report = Sync(desk, configured.Url(QStringLiteral("/old/cal/")), options);
        EXPECT_NE(report.Failure.find("401"), std::string::npos) << report.Failure;
        const auto moved = std::find_if(configured.Requests.begin(), configured.Requests.end(),
                                        [](const StandInRequest& request) { return request.Path == "/alice/cal/"; });
        ASSERT_NE(moved, configured.Requests.end());
        const StandInRequest& first = configured.Requests.front();
        // Not turned into a GET, as a browser does with 301 and 302: a CalDAV request is meaningless without
        // its verb and body.
        EXPECT_EQ(moved->Verb, first.Verb);
        EXPECT_EQ(moved->Body, first.Body);
        EXPECT_EQ(moved->Headers.value("authorization"), BasicCredentials(QStringLiteral("alice"), options.Password));
    }
}

TEST(SyncCredentialsTest, APasswordNeverFollowsARedirectToAnotherServer) {
    testing::EventLoopApplication();
    for (const int status : RedirectStatuses) {
        for (const QHostAddress& elsewhere :
             {QHostAddress(QStringLiteral("127.0.0.2")), QHostAddress(QHostAddress::LocalHost)}) {
            SCOPED_TRACE(std::to_string(status) + " to " + elsewhere.toString().toStdString());
            // Another host, or another port of the same host: another server.
            HttpStandIn other(elsewhere, Challenge);
            ASSERT_TRUE(other.Listening());
            HttpStandIn configured(QHostAddress::LocalHost,
                                   RedirectTo(status, other.Url(QStringLiteral("/alice/cal/")).toEncoded()));
            Machine desk;
            desk.List.Add(DailyRecord(9, 0, "晨会"), true);
            SyncOptions options;
            options.Password = QStringLiteral("密码 secret");
            const TSyncReport report = Sync(desk, configured.Url(QStringLiteral("/alice/cal/")), options);
            EXPECT_FALSE(report.Succeeded);
            EXPECT_NE(report.Failure.find("另一台服务器"), std::string::npos) << report.Failure;
            ASSERT_FALSE(configured.Requests.empty());
            EXPECT_TRUE(configured.Requests.front().Headers.contains("authorization"));
            for (const StandInRequest& request : other.Requests) {
                EXPECT_FALSE(request.Headers.contains("authorization"))
                    << request.Headers.value("authorization").data();
            }
        }
    }
}

// The client sends nothing to another server; Qt's own answer to a challenge is guarded as well, for a request
// that gets there all the same (here one whose redirect Qt follows itself, on the client's network access).
TEST(SyncCredentialsTest, QtsOwnAnswerToAChallengeGoesToTheConfiguredServerOnly) {
    testing::EventLoopApplication();
    for (const QHostAddress& elsewhere :
         {QHostAddress(QStringLiteral("127.0.0.2")), QHostAddress(QHostAddress::LocalHost)}) {
        SCOPED_TRACE(elsewhere.toString().toStdString());
        HttpStandIn other(elsewhere, Challenge);
        ASSERT_TRUE(other.Listening());
        HttpStandIn configured(QHostAddress::LocalHost, [&other](const StandInRequest& request, QTcpSocket& socket) {
            if (request.Path == "/moved/") {
                RedirectTo(307, other.Url(QStringLiteral("/alice/cal/")).toEncoded())(request, socket);
            } else {
                Challenge(request, socket);
            }
        });
        CalDavClient client(
            {configured.Url(QStringLiteral("/")), QStringLiteral("alice"), QStringLiteral("secret"), 5000});
        auto* network = client.findChild<QNetworkAccessManager*>();
        ASSERT_NE(network, nullptr);
        const auto get = [network](const QUrl& url) {
            QNetworkRequest request(url);
            request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
            std::unique_ptr<QNetworkReply> reply(network->get(request));
            QEventLoop loop;
            QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
            QTimer::singleShot(10000, &loop, &QEventLoop::quit);
            loop.exec();
            return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        };

        EXPECT_EQ(get(configured.Url(QStringLiteral("/moved/"))), 401);
        ASSERT_FALSE(other.Requests.empty());
        for (const StandInRequest& request : other.Requests) {
            EXPECT_FALSE(request.Headers.contains("authorization")) << request.Headers.value("authorization").data();
        }
        // The configured server's challenge is answered, once.
        EXPECT_EQ(get(configured.Url(QStringLiteral("/alice/cal/"))), 401);
        std::vector<StandInRequest> asked;
        std::copy_if(configured.Requests.begin(), configured.Requests.end(), std::back_inserter(asked),
                     [](const StandInRequest& request) { return request.Path == "/alice/cal/"; });
        ASSERT_EQ(asked.size(), 2u);
        EXPECT_FALSE(asked[0].Headers.contains("authorization"));
        EXPECT_EQ(asked[1].Headers.value("authorization"),
                  BasicCredentials(QStringLiteral("alice"), QStringLiteral("secret")));
    }
}

TEST(SyncCredentialsTest, ACalendarOnAnotherServerThanTheAccountsGetsNoPassword) {
    testing::EventLoopApplication();
    HttpStandIn other(QHostAddress::LocalHost, Challenge);
    HttpStandIn account(QHostAddress::LocalHost, Challenge);
    Machine desk;
    TSyncSettings settings;
    settings.Account = {account.Url(QStringLiteral("/")), QStringLiteral("alice"), QStringLiteral("secret"), 5000};
    settings.Calendar = other.Url(QStringLiteral("/alice/cal/"));
    settings.StatePath = desk.StatePath();
    SyncRun run(settings, desk.List);
    QEventLoop loop;
    QObject::connect(&run, &SyncRun::finished, &loop, &QEventLoop::quit);
    run.Start();
    loop.exec();
    EXPECT_FALSE(run.Report().Succeeded);
    EXPECT_NE(run.Report().Failure.find("只把密码发给设置里的服务器"), std::string::npos) << run.Report().Failure;
    EXPECT_TRUE(other.Requests.empty());
}

TEST(SyncBoundsTest, ATricklingServerIsGivenUpWithinTheTimeOut) {
    testing::EventLoopApplication();
    HttpStandIn trickler(QHostAddress::LocalHost, [](const StandInRequest&, QTcpSocket& socket) {
        socket.write("HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\nContent-Length: 100000\r\n\r\n");
        testing::Trickle(socket, QByteArray(100000, ' '), 200);
    });
    Machine desk;
    desk.List.Add(DailyRecord(9, 0, "晨会"), true);
    SyncOptions quick;
    quick.Timeout = 1000;
    QElapsedTimer clock;
    clock.start();
    const TSyncReport report = Sync(desk, trickler.Url(QStringLiteral("/alice/cal/")), quick);
    // Each byte comes well within the silence a transfer may have; only the bound on the whole ends it.
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_FALSE(report.Succeeded);
    EXPECT_NE(report.Failure.find("没有回答完"), std::string::npos) << report.Failure;
    EXPECT_TRUE(desk.List.Item(0).Uid.empty());
}

// A slow server that works: after `delay` milliseconds each request gets its answer, an empty calendar's listing
// or an event taken.
HttpStandIn::Answer SlowlyAccepting(std::shared_ptr<int> delay) {
    return [delay](const StandInRequest& request, QTcpSocket& socket) {
        QByteArray reply = "HTTP/1.1 201 Created\r\nETag: \"1\"\r\nContent-Length: 0\r\n\r\n";
        if (request.Verb != "PUT") {
            const QByteArray listing = "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\">"
                                       "<d:sync-token>http://stand-in/sync/1</d:sync-token></d:multistatus>";
            reply = "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\nContent-Length: " +
                    QByteArray::number(listing.size()) + "\r\n\r\n" + listing;
        }
        QTimer::singleShot(*delay, &socket, [&socket, reply] { socket.write(reply); });
    };
}

TEST(SyncBoundsTest, ARunOfSlowAnswersEndsAtTheRunsLimitAndKeepsWhatWentThrough) {
    testing::EventLoopApplication();
    auto delay = std::make_shared<int>(300);
    HttpStandIn slow(QHostAddress::LocalHost, SlowlyAccepting(delay));
    Machine desk;
    constexpr int reminders = 30;
    for (int k = 0; k < reminders; ++k) {
        desk.List.Add(DailyRecord(9, k, "晨会 " + std::to_string(k)), true);
    }
    const auto puts = [&slow] {
        return std::count_if(slow.Requests.begin(), slow.Requests.end(),
                             [](const StandInRequest& request) { return request.Verb == "PUT"; });
    };
    SyncOptions options;
    // Every answer comes well within the time-out of its request; only the whole run's limit is passed.
    options.Timeout = 5000;
    options.RunTimeLimit = 2000;
    QElapsedTimer clock;
    clock.start();
    const TSyncReport cut = Sync(desk, slow.Url(QStringLiteral("/alice/cal/")), options);
    EXPECT_LT(clock.elapsed(), 6000) << "the server alone needs " << (reminders + 1) * *delay << " ms";
    EXPECT_FALSE(cut.Succeeded);
    EXPECT_NE(cut.Failure.find("同步用了 2 秒还没有完成"), std::string::npos) << cut.Failure;
    EXPECT_GT(cut.Sent, 0);
    EXPECT_LT(puts(), reminders);

    // No request of the stopped run goes out later; the next run sends only what the server did not take.
    QEventLoop settle;
    QTimer::singleShot(3 * *delay, &settle, &QEventLoop::quit);
    settle.exec();
    const auto putsOfTheCutRun = puts();
    EXPECT_LE(putsOfTheCutRun, cut.Sent + 1);
    *delay = 0;
    const TSyncReport rest = Sync(desk, slow.Url(QStringLiteral("/alice/cal/")));
    ASSERT_TRUE(rest.Succeeded) << rest.Failure;
    EXPECT_EQ(rest.Sent, reminders - cut.Sent);
}

TEST(SyncBoundsTest, AnEndlessReplyIsGivenUpAtItsSizeLimit) {
    testing::EventLoopApplication();
    auto sent = std::make_shared<qint64>(0);
    HttpStandIn endless(QHostAddress::LocalHost,
                        [sent](const StandInRequest&, QTcpSocket& socket) { testing::Endless(socket, sent); });
    Machine desk;
    desk.List.Add(DailyRecord(9, 0, "晨会"), true);
    SyncOptions options;
    options.Timeout = 60000;
    const TSyncReport report = Sync(desk, endless.Url(QStringLiteral("/alice/cal/")), options);
    EXPECT_FALSE(report.Succeeded);
    EXPECT_NE(report.Failure.find("太大"), std::string::npos) << report.Failure;
    // The reader stopped near the limit: what the server got out is bounded by it, not by the server.
    EXPECT_LT(*sent, 3 * MaxDavReplyBytes);
    EXPECT_EQ(desk.List.Count, 1);
}

} // namespace
} // namespace chimewell
