#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace chimewell {

namespace {

const QByteArray ShowRequest = QByteArrayLiteral("show\n");

// The first copy takes its lock a moment before it listens; a second start in that moment retries.
constexpr int ConnectAttempts = 10;
constexpr int ConnectWaitMs = 250;
constexpr int WriteWaitMs = 1000;

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {
    connect(&Server, &QLocalServer::newConnection, this, &SingleInstance::AcceptConnections);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::ServerName(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QByteArray key = (canonical.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : canonical).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16);
    return QStringLiteral("chimewell-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

QString SingleInstance::LockFileName() {
    return QStringLiteral(".chimewell.lock");
}

bool SingleInstance::TryBecomePrimary(const QString& folder) {
    Lock = std::make_unique<QLockFile>(QDir(folder).filePath(LockFileName()));
    // A running copy keeps its lock for days, so age must never make it stale; a lock left by a dead process
    // is taken over at once regardless.
    Lock->setStaleLockTime(0);
    const QString name = ServerName(folder);
    if (!Lock->tryLock(0)) {
        const bool heldByAnother = Lock->error() == QLockFile::LockFailedError;
        Lock.reset();
        if (heldByAnother) {
            AskPrimaryToShow(name, ConnectAttempts);
            return false;
        }
        // No lock can be had in this folder, so a copy that answers is the only sign of another one.
        if (AskPrimaryToShow(name, 1)) {
            return false;
        }
    }
    // A socket left behind by a copy that crashed would make listen() fail; the lock, or the silence of the
    // socket, shows that nobody uses it.
    QLocalServer::removeServer(name);
    Server.setSocketOptions(QLocalServer::UserAccessOption);
    Server.listen(name);
    return true;
}

bool SingleInstance::AskPrimaryToShow(const QString& serverName, int attempts) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0) {
            QThread::msleep(ConnectWaitMs);
        }
        QLocalSocket socket;
        socket.connectToServer(serverName);
        if (socket.waitForConnected(ConnectWaitMs)) {
            socket.write(ShowRequest);
            const bool written = socket.waitForBytesWritten(WriteWaitMs);
            socket.disconnectFromServer();
            return written;
        }
    }
    return false;
}

void SingleInstance::AcceptConnections() {
    while (QLocalSocket* socket = Server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto serve = [this, socket] {
            if (socket->canReadLine() && socket->readLine() == ShowRequest) {
                emit showRequested();
                socket->disconnectFromServer();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, serve);
        serve();
    }
}

} // namespace chimewell
