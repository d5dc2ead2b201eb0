#include "platform/power.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QProcess>

namespace chimewell {

namespace {

// The system may put up a password prompt before it answers, and a user may take minutes over it; Qt's
// default of 25 seconds would fall back to the second route while the first prompt is still open.
constexpr int PowerCallTimeoutMs = 10 * 60 * 1000;

bool StartFallback(PowerRequest request) {
    return QProcess::startDetached(QStringLiteral("systemctl"), SystemctlPowerArguments(request));
}

} // namespace

QDBusMessage LogindPowerCall(PowerRequest request) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"),
        request == PowerRequest::PowerOff ? QStringLiteral("PowerOff") : QStringLiteral("Reboot"));
    call << true; // interactive
    call.setInteractiveAuthorizationAllowed(true);
    return call;
}

QStringList SystemctlPowerArguments(PowerRequest request) {
    return {request == PowerRequest::PowerOff ? QStringLiteral("poweroff") : QStringLiteral("reboot")};
}

bool RequestPower(PowerRequest request) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return StartFallback(request);
    }
    // Asynchronous, with no proxy object: building a QDBusInterface introspects the service and would block
    // the countdown window while the bus is slow.
    const QDBusPendingCall pending = bus.asyncCall(LogindPowerCall(request), PowerCallTimeoutMs);
    auto* watcher = new QDBusPendingCallWatcher(pending, QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [request](QDBusPendingCallWatcher* done) {
        if (done->isError()) {
            StartFallback(request);
        }
        done->deleteLater();
    });
    return true;
}

} // namespace chimewell
