#include "platform/sleep_watcher.h"

namespace chimewell {

SleepWatcher::SleepWatcher(const QDBusConnection& bus, QObject* parent) : QObject(parent) {
    QDBusConnection(bus).connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                                 QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                                 this, SLOT(PrepareForSleep(bool)));
}

void SleepWatcher::PrepareForSleep(bool sleeping) {
    if (!sleeping) {
        emit resumed();
    }
}

} // namespace chimewell
