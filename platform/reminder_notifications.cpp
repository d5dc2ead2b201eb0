#include "platform/reminder_notifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>
#include <optional>
#include <utility>

namespace chimewell {

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
// NotificationClosed's reason when this program asked for it.
constexpr uint ClosedByCall = 3;
// What the bus waits for a server's answer; the program gives up long before (NotifyPatienceMilliseconds), but a
// late answer must still come, so that what it names can be withdrawn.
constexpr int LateAnswerMilliseconds = 3600 * 1000;
} // namespace

ReminderNotifications::ReminderNotifications(QDBusConnection bus, QObject* parent)
    : QObject(parent), Bus(std::move(bus)),
      Owners(new QDBusServiceWatcher(Service, Bus, QDBusServiceWatcher::WatchForOwnerChange, this)) {
    Bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this, SLOT(Invoked(uint, QString)));
    Bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this, SLOT(Closed(uint, uint)));
    connect(Owners, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] {
        Capabilities.clear();
        AskCapabilities();
        // The server that held them is gone (it ended, or another took its place): what it showed went with
        // it, unanswered, and what it had not yet named never will be.
        for (const auto& [number, id] : std::exchange(Ids, {})) {
            Pending.erase(number);
            ClosedEarly.erase(number);
            if (id != 0) {
                emit closedByServer(number);
            } else if (Abandoned.erase(number) == 0) {
                emit failed(number);
            }
        }
    });
    AskCapabilities();
}

void ReminderNotifications::AskCapabilities() {
    const QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(Bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answer) {
        const QDBusPendingReply<QStringList> reply = *answer;
        if (reply.isValid()) {
            Capabilities = reply.value();
        }
        answer->deleteLater();
    });
}

int ReminderNotifications::Show(const QString& title, const QString& body, const Actions& actions, bool critical) {
    const int number = ++LastNumber;
    Ids[number] = 0;
    Send(number, 0, title, body, actions, critical);
    return number;
}

void ReminderNotifications::Update(int number, const QString& title, const QString& body, const Actions& actions,
                                   bool critical) {
    const auto found = Ids.find(number);
    if (found == Ids.end()) {
        return;
    }
    if (found->second == 0) {
        // Not up yet: put in place as soon as the server names it.
        Pending[number] = {title, body, actions, critical};
        return;
    }
    Send(number, found->second, title, body, actions, critical);
}

void ReminderNotifications::Send(int number, uint replaces, const QString& title, const QString& body,
                                 const Actions& actions, bool critical) {
    QStringList flat;
    if (HasActions()) {
        for (const auto& [key, label] : actions) {
            flat << key << label;
        }
    }
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("chimewell")}};
    if (critical) {
        hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(2));
    }
    if (!IconFile.isEmpty()) {
        hints.insert(QStringLiteral("image-path"), QUrl::fromLocalFile(IconFile).toString());
    }
    // Servers that read markup would take "<…>" for tags and "&…;" for entities.
    const QString text = Capabilities.contains(QStringLiteral("body-markup")) ? body.toHtmlEscaped() : body;
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    call << QString::fromUtf8(NotificationAppName) << replaces
         << (IconFile.isEmpty() ? QStringLiteral("chimewell") : QUrl::fromLocalFile(IconFile).toString()) << title
         << text << flat << hints << (critical ? 0 : -1);
    auto* watcher = new QDBusPendingCallWatcher(Bus.asyncCall(call, LateAnswerMilliseconds), this);
    if (replaces == 0) {
        QTimer::singleShot(NotifyPatienceMilliseconds, watcher, [this, number] {
            const auto found = Ids.find(number);
            if (found != Ids.end() && found->second == 0 && Abandoned.insert(number).second) {
                emit failed(number);
            }
        });
    }
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, number](QDBusPendingCallWatcher* answer) {
        const QDBusPendingReply<uint> reply = *answer;
        answer->deleteLater();
        const auto found = Ids.find(number);
        if (found == Ids.end() || found->second != 0) {
            // An update's answer, or one for a number already gone.
            return;
        }
        const bool given = Abandoned.erase(number) > 0;
        const bool closed = ClosedEarly.erase(number) > 0;
        const auto pending = Pending.find(number);
        std::optional<TContent> content;
        if (pending != Pending.end()) {
            content = std::move(pending->second);
            Pending.erase(pending);
        }
        if (!reply.isValid()) {
            Ids.erase(found);
            if (!given && !closed) {
                emit failed(number);
            }
            return;
        }
        if (given || closed) {
            // Too late, or answered meanwhile: it must not stay up for nothing.
            Ids.erase(found);
            CloseOnServer(reply.value());
            return;
        }
        found->second = reply.value();
        if (content) {
            Send(number, found->second, content->Title, content->Body, content->Buttons, content->Critical);
        }
    });
}

void ReminderNotifications::CloseOnServer(uint id) {
    Bus.asyncCall(QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("CloseNotification")) << id);
}

void ReminderNotifications::Close(int number) {
    const auto found = Ids.find(number);
    if (found == Ids.end()) {
        return;
    }
    Pending.erase(number);
    if (found->second == 0) {
        ClosedEarly.insert(number);
        return;
    }
    const uint id = found->second;
    Ids.erase(found);
    CloseOnServer(id);
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
