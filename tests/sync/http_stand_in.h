#pragma once
// A stand-in HTTP server on a loopback address, for what no real server can be made to do on demand: redirect
// elsewhere, trickle one byte at a time, or send without end. It reads each request whole, keeps it (with its
// headers, so that a test can see whether credentials came), and hands it to the test's answer.

#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <list>
#include <memory>
#include <vector>

namespace chimewell::testing {

struct StandInRequest {
    QByteArray Verb;
    QByteArray Path;
    // Header names in small letters.
    QMap<QByteArray, QByteArray> Headers;
    QByteArray Body;
};

class HttpStandIn {
public:
    using Answer = std::function<void(const StandInRequest&, QTcpSocket&)>;

    HttpStandIn(const QHostAddress& address, Answer answer) : Respond(std::move(answer)) {
        Server.listen(address, 0);
        QObject::connect(&Server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = Server.nextPendingConnection()) {
                auto buffer = std::make_shared<QByteArray>();
                QObject::connect(socket, &QTcpSocket::readyRead, [this, socket, buffer] {
                    buffer->append(socket->readAll());
                    TakeRequests(*socket, *buffer);
                });
            }
        });
    }

    QUrl Url(const QString& path) const {
        return QUrl(
            QStringLiteral("http://%1:%2%3").arg(Server.serverAddress().toString()).arg(Server.serverPort()).arg(path));
    }
    bool Listening() const { return Server.isListening(); }

    std::vector<StandInRequest> Requests;

private:
    void TakeRequests(QTcpSocket& socket, QByteArray& buffer) {
        for (;;) {
            const qsizetype end = buffer.indexOf("\r\n\r\n");
            if (end < 0) {
                return;
            }
            StandInRequest request;
            const QList<QByteArray> lines = buffer.left(end).split('\n');
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            request.Verb = first.value(0);
            request.Path = first.value(1);
            for (qsizetype k = 1; k < lines.size(); ++k) {
                const qsizetype colon = lines[k].indexOf(':');
                if (colon > 0) {
                    request.Headers.insert(lines[k].left(colon).trimmed().toLower(), lines[k].mid(colon + 1).trimmed());
                }
            }
            const qsizetype length = request.Headers.value("content-length").toLongLong();
            if (buffer.size() < end + 4 + length) {
                return;
            }
            request.Body = buffer.mid(end + 4, length);
            buffer.remove(0, end + 4 + length);
            Requests.push_back(request);
            Respond(Requests.back(), socket);
        }
    }

    Answer Respond;
    QTcpServer Server;
};

// Writes the bytes a little at a time, one piece every `every` milliseconds, for as long as the socket lives.
inline void Trickle(QTcpSocket& socket, QByteArray bytes, int every) {
    auto* timer = new QTimer(&socket);
    auto rest = std::make_shared<QByteArray>(std::move(bytes));
    QObject::connect(timer, &QTimer::timeout, &socket, [&socket, timer, rest] {
        if (rest->isEmpty() || socket.state() != QAbstractSocket::ConnectedState) {
            timer->stop();
            return;
        }
        socket.write(rest->left(1));
        rest->remove(0, 1);
    });
    timer->start(every);
}

// Sends a multistatus that never ends, as fast as the other side reads it; `sent` counts the bytes.
inline void Endless(QTcpSocket& socket, std::shared_ptr<qint64> sent) {
    socket.write("HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\nConnection: close\r\n\r\n"
                 "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\">");
    const QByteArray piece(1 << 20, ' ');
    auto* timer = new QTimer(&socket);
    QObject::connect(timer, &QTimer::timeout, &socket, [&socket, timer, sent, piece] {
        if (socket.state() != QAbstractSocket::ConnectedState) {
            timer->stop();
            return;
        }
        // No more than a few pieces wait unsent: the sender goes only as fast as the reader takes.
        if (socket.bytesToWrite() < 4 * piece.size()) {
            socket.write(piece);
            *sent += piece.size();
        }
    });
    timer->start(0);
}

} // namespace chimewell::testing
