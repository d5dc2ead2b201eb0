// What the sync must never do with another calendar's edit, with the password, or with a server that misbehaves:
// an edit made in another client arrives and is not overwritten; credentials stay with the server the user set;
// slow, endless and oversized replies are given up within their bounds.

#include "calendar/clock.h"
#include "http_stand_in.h"
#include "sample_record.h"
#include "sync_machine.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRegularExpression>

#include <memory>

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
    // Another client's edit of a stored event: a new title and time, its own properties raised, the unknown X-
    // properties kept as clients keep them.
    void EditElsewhere(const TRmMainDate& record, const QByteArray& title, const QByteArray& time) const {
        QByteArray event = Server->Fetch(EventUrl(record));
        event.replace("\r\n ", "");
        QString text = QString::fromUtf8(event);
        text.replace(QRegularExpression(QStringLiteral("SUMMARY:[^\r]*")),
                     QStringLiteral("SUMMARY:") + QString::fromUtf8(title));
        text.replace(QRegularExpression(QStringLiteral("(DTSTART;TZID=[^:]+:\\d{8}T)\\d{6}")),
                     QStringLiteral("\\1") + QString::fromUtf8(time));
        text.replace(QRegularExpression(QStringLiteral("(DTSTAMP:[^\r]*\r\n)")),
                     QStringLiteral("\\1SEQUENCE:1\r\nLAST-MODIFIED:20261209T040000Z\r\n"));
        ASSERT_EQ(Server->Curl(QStringLiteral("PUT"), EventUrl(record), text.toUtf8(),
                               {QStringLiteral("Content-Type: text/calendar")}) /
                      100,
                  2);
    }
};

TEST_F(SyncTrustTest, AnEditInAnotherClientArrivesAndIsWrittenBackInThisProgramsForm) {
    Machine desk;
    desk.List.Add(DatedRecord(0, 3, 15, 9, 30, "交房租"), true);
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    EditElsewhere(desk.List.Item(0), "交房租和水电", "103000");

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

    // A later change here goes out from the edited version; a sync without changes does nothing.
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Sent + report.Replaced + report.Added + report.Removed, 0);
    Machine laptop;
    ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);
    ASSERT_EQ(laptop.List.Count, 1);
    EXPECT_EQ(laptop.List.Item(0).Message, "交房租和水电");
    EXPECT_EQ(laptop.List.Item(0).Hour, 10);
}

TEST_F(SyncTrustTest, AConflictKeepsTheOtherClientsEditedText) {
    Machine desk;
    desk.List.Add(DailyRecord(9, 0, "原来的"), true);
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    EditElsewhere(desk.List.Item(0), "别的日历改的", "090000");
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

// Answers every request with a redirect to `target`.
HttpStandIn::Answer RedirectTo(const QUrl& target) {
    return [target](const StandInRequest&, QTcpSocket& socket) {
        socket.write("HTTP/1.1 307 Temporary Redirect\r\nLocation: " + target.toEncoded() +
                     "\r\nContent-Length: 0\r\n\r\n");
    };
}

// Asks for credentials, as any CalDAV server does.
void Challenge(const StandInRequest&, QTcpSocket& socket) {
    socket.write("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"cal\"\r\nContent-Length: 0\r\n\r\n");
}

TEST(SyncCredentialsTest, APasswordNeverFollowsARedirectToAnotherServer) {
    testing::EventLoopApplication();
    for (const QHostAddress& elsewhere :
         {QHostAddress(QStringLiteral("127.0.0.2")), QHostAddress(QHostAddress::LocalHost)}) {
        // Another host, or another port of the same host: another server.
        HttpStandIn other(elsewhere, Challenge);
        ASSERT_TRUE(other.Listening());
        HttpStandIn configured(QHostAddress::LocalHost, RedirectTo(other.Url(QStringLiteral("/alice/cal/"))));
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
            EXPECT_FALSE(request.Headers.contains("authorization")) << request.Headers.value("authorization").data();
        }
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
