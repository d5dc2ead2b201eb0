#pragma once
// A real CalDAV server for the tests: Debian's Radicale on 127.0.0.1 at a free port, with a temporary storage
// folder and one htpasswd user, started by the test and stopped by it. Also two stand-ins that no real server
// can be made to be on demand: one that answers 500 to everything and one that never answers.

#include "temp_folder.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

#include <fstream>
#include <list>
#include <stdexcept>
#include <string>

namespace chimewell::testing {

inline QCoreApplication& EventLoopApplication() {
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        return *existing;
    }
    static int argc = 1;
    static char name[] = "sync-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* application = new QCoreApplication(argc, argv);
    return *application;
}

inline quint16 FreePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) {
        throw std::runtime_error("no free port");
    }
    return probe.serverPort();
}

class RadicaleServer {
public:
    static constexpr const char* User = "alice";
    static constexpr const char* Password = "s3cret 密码";

    // secure: over TLS with a certificate of its own, which no system trusts.
    explicit RadicaleServer(bool secure = false) : Port(FreePort()), Secure(secure) {
        std::ofstream(Folder.File("users")) << User << ":" << Password << "\n";
        if (Secure) {
            QProcess openssl;
            openssl.start(QStringLiteral("openssl"),
                          {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                           QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                           QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                           QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                           QStringLiteral("-keyout"), QString::fromStdString(Folder.File("key.pem")),
                           QStringLiteral("-out"), QString::fromStdString(Folder.File("cert.pem"))});
            if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
                throw std::runtime_error("openssl could not make a certificate");
            }
        }
        std::ofstream(Folder.File("config")) << "[server]\nhosts = 127.0.0.1:" << Port << "\n"
                                             << (Secure ? "ssl = True\ncertificate = " + Folder.File("cert.pem") +
                                                              "\nkey = " + Folder.File("key.pem") + "\n"
                                                        : std::string())
                                             << "[auth]\ntype = htpasswd\nhtpasswd_filename = " << Folder.File("users")
                                             << "\nhtpasswd_encryption = plain\n"
                                             << "[rights]\ntype = owner_only\n"
                                             << "[storage]\nfilesystem_folder = " << Folder.File("storage") << "\n"
                                             << "[logging]\nlevel = warning\n";
        Start();
    }
    ~RadicaleServer() { Stop(); }
    RadicaleServer(const RadicaleServer&) = delete;
    RadicaleServer& operator=(const RadicaleServer&) = delete;

    // Started again on the same port and storage, after Stop.
    void Start() {
        Process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Process.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral("-m"), QStringLiteral("radicale"), QStringLiteral("--config"),
                       QString::fromStdString(Folder.File("config"))});
        if (!Process.waitForStarted(10000)) {
            throw std::runtime_error("radicale did not start");
        }
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 20000) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, Port);
            if (socket.waitForConnected(200)) {
                return;
            }
            QThread::msleep(50);
        }
        throw std::runtime_error("radicale did not listen on its port");
    }
    // Kills the server at once, as a crash or a pulled cable would.
    void Stop() {
        if (Process.state() != QProcess::NotRunning) {
            Process.kill();
            Process.waitForFinished(10000);
        }
    }

    QUrl Root() const { return QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(Scheme()).arg(Port)); }
    QUrl Calendar(const QString& name) const {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2/%3/%4/").arg(Scheme()).arg(Port).arg(QLatin1String(User), name));
    }

    // A request as another client makes it (curl), with the user's credentials; returns the HTTP status.
    int Curl(const QString& verb, const QUrl& url, const QByteArray& body = {}, const QStringList& headers = {}) const {
        // The other client trusts the test's own certificate (-k); the program under test must not.
        QStringList arguments{
            QStringLiteral("-s"), QStringLiteral("-k"),
            QStringLiteral("-o"), QStringLiteral("/dev/null"),
            QStringLiteral("-w"), QStringLiteral("%{http_code}"),
            QStringLiteral("-u"), QStringLiteral("%1:%2").arg(QLatin1String(User), QString::fromUtf8(Password)),
            QStringLiteral("-X"), verb};
        for (const QString& header : headers) {
            arguments << QStringLiteral("-H") << header;
        }
        if (!body.isEmpty()) {
            arguments << QStringLiteral("--data-binary") << QStringLiteral("@-");
        }
        arguments << url.toString();
        QProcess curl;
        curl.start(QStringLiteral("curl"), arguments);
        curl.write(body);
        curl.closeWriteChannel();
        curl.waitForFinished(20000);
        return curl.readAllStandardOutput().toInt();
    }
    int MakeCalendar(const QString& name) const { return Curl(QStringLiteral("MKCALENDAR"), Calendar(name)); }
    // The stored resource, as another client reads it.
    QByteArray Fetch(const QUrl& url) const {
        QProcess curl;
        curl.start(QStringLiteral("curl"),
                   {QStringLiteral("-s"), QStringLiteral("-k"), QStringLiteral("-u"),
                    QStringLiteral("%1:%2").arg(QLatin1String(User), QString::fromUtf8(Password)), url.toString()});
        curl.waitForFinished(20000);
        return curl.readAllStandardOutput();
    }

private:
    QString Scheme() const { return Secure ? QStringLiteral("https") : QStringLiteral("http"); }

    TempFolder Folder;
    quint16 Port;
    bool Secure;
    QProcess Process;
};

// Accepts connections on 127.0.0.1 and answers every request with one canned reply, or never.
// A test of its own calendar on one Radicale that all tests of the program share: the server starts before the
// first test and stops after the last; each test gets a calendar named after it.
class RadicaleCalendarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        EventLoopApplication();
        Server = std::make_unique<RadicaleServer>();
    }
    static void TearDownTestSuite() { Server.reset(); }
    void SetUp() override {
        CalendarName =
            QString::fromStdString(::testing::UnitTest::GetInstance()->current_test_info()->name()).toLower();
        ASSERT_EQ(Server->MakeCalendar(CalendarName), 201);
        Calendar = Server->Calendar(CalendarName);
    }

    static inline std::unique_ptr<RadicaleServer> Server;
    QString CalendarName;
    QUrl Calendar;
};

class StandInServer {
public:
    explicit StandInServer(QByteArray reply) : Reply(std::move(reply)) {
        Server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&Server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = Server.nextPendingConnection()) {
                Sockets.push_back(socket);
                QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] {
                    socket->readAll();
                    ++Requests;
                    if (!Reply.isEmpty()) {
                        socket->write(Reply);
                        socket->flush();
                    }
                });
            }
        });
    }
    QUrl Calendar() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/alice/cal/").arg(Server.serverPort())); }
    int Requests = 0;

private:
    QByteArray Reply;
    QTcpServer Server;
    std::list<QTcpSocket*> Sockets;
};

} // namespace chimewell::testing
