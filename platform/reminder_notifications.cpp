#include "platform/reminder_notifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>

namespace chimewell {

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
// NotificationClosed's reason when this program asked for it.
constexpr uint ClosedByCall = 3;
} // namespace

ReminderNotifications::ReminderNotifications(QDBusConnection bus, QObject* parent)
    : QObject(parent), Bus(std::move(bus)) {
    Bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this, SLOT(Invoked(uint, QString)));
    Bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this, SLOT(Closed(uint, uint)));
    const QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(Bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answer) {
        const QDBusPendingReply<QStringList> reply = *answer;
        Actions = reply.isValid() && reply.value().contains(QStringLiteral("actions"));
        answer->deleteLater();
    });
}

int ReminderNotifications::Show(const QString& title, const QString& body,
                                const std::vector<std::pair<QString, QString>>& actions, bool critical) {
    const int number = ++LastNumber;
    QStringList flat;
    if (Actions) {
        for (const auto& [key, label] : actions) {
            flat << key << label;
        }
    }
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("chimewell")}};
    if (critical) {
        hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(2));
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    call << QString::fromUtf8(NotificationAppName) << 0U << QStringLiteral("chimewell") << title << body << flat
         << hints << (critical ? 0 : -1);
    Ids[number] = 0;
    auto* watcher = new QDBusPendingCallWatcher(Bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, number](QDBusPendingCallWatcher* answer) {
        const QDBusPendingReply<uint> reply = *answer;
        answer->deleteLater();
        const auto early = std::find(ClosedEarly.begin(), ClosedEarly.end(), number);
        if (!reply.isValid()) {
            Ids.erase(number);
            return;
        }
        if (early != ClosedEarly.end()) {
            ClosedEarly.erase(early);
            Ids.erase(number);
            Bus.asyncCall(QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("CloseNotification"))
                          << reply.value());
            return;
        }
        Ids[number] = reply.value();
    });
    return number;
}

void ReminderNotifications::Close(int number) {
    const auto found = Ids.find(number);
    if (found == Ids.end()) {
        return;
    }
    if (found->second == 0) {
        ClosedEarly.push_back(number);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("CloseNotification"));
    call << found->second;
    Ids.erase(found);
    Bus.asyncCall(call);
}

void ReminderNotifications::Invoked(uint id, const QString& key) {
    for (const auto& [number, known] : Ids) {
        if (known == id && id != 0) {
            emit actionInvoked(number, key);
            return;
        }
    }
}

void ReminderNotifications::Closed(uint id, uint reason) {
    for (auto it = Ids.begin(); it != Ids.end(); ++it) {
        if (it->second == id && id != 0) {
            const int number = it->first;
            Ids.erase(it);
            if (reason != ClosedByCall) {
                emit closedByServer(number);
            }
            return;
        }
    }
}

} // namespace chimewell
