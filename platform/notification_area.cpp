#include "platform/notification_area.h"

#include "platform/desktop_actions.h"
#include "platform/status_notifier_item.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>

namespace chimewell {

namespace {
const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

bool WatcherIsThere() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() != nullptr && bus.interface()->isServiceRegistered(WatcherService);
}
} // namespace

NotificationAreaIcon::NotificationAreaIcon(const QIcon& icon, const QString& toolTip, QMenu* menu,
                                           std::optional<bool> pinned, QObject* parent)
    : QObject(parent), Menu(menu), CurrentIcon(icon), CurrentToolTip(toolTip), Pinned(pinned) {
    QtIcon = new QSystemTrayIcon(icon, this);
    QtIcon->setToolTip(toolTip);
    QtIcon->setContextMenu(menu);
    connect(QtIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // The D-Bus trays know no double click and report a click as Trigger: both show the window.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
            emit activated();
        }
    });
    if (Pinned) {
        Available = *Pinned;
        return;
    }
    // Shown even without a tray: Qt's X11 icon docks by itself when a tray appears later.
    QtIcon->show();
    // The X11 platform announces a tray window that comes or goes. Its native interface derives from QObject
    // alone, so the pointer is that QObject; its declaration is not part of the public headers.
    if (auto* native = reinterpret_cast<QObject*>(QGuiApplication::platformNativeInterface());
        native != nullptr && native->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)") >= 0) {
        connect(native, SIGNAL(systemTrayWindowChanged(QScreen*)), this, SLOT(Recheck()));
    }
    if (QDBusConnection::sessionBus().isConnected()) {
        Watcher = new QDBusServiceWatcher(
            WatcherService, QDBusConnection::sessionBus(),
            QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration, this);
        connect(Watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { DBusTrayAppeared(); });
        connect(Watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
            OwnItem.reset();
            Recheck();
        });
    }
    Available = QSystemTrayIcon::isSystemTrayAvailable();
    if (!Available) {
        DBusTrayAppeared();
    }
}

NotificationAreaIcon::~NotificationAreaIcon() = default;

void NotificationAreaIcon::DBusTrayAppeared() {
    if (Pinned) {
        return;
    }
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        Update(true);
        return;
    }
    if (!WatcherIsThere()) {
        return;
    }
    if (!OwnItem) {
        OwnItem = std::make_unique<StatusNotifierItem>(QStringLiteral("chimewell"), CurrentToolTip);
        OwnItem->SetIcon(CurrentIcon);
        OwnItem->SetMenu(Menu);
        connect(OwnItem.get(), &StatusNotifierItem::activated, this, &NotificationAreaIcon::activated);
        connect(OwnItem.get(), &StatusNotifierItem::registered, this,
                [this](bool accepted) { Update(accepted || QSystemTrayIcon::isSystemTrayAvailable()); });
    }
    OwnItem->Register();
}

void NotificationAreaIcon::Recheck() {
    if (Pinned) {
        return;
    }
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        // Qt's own icon has a tray to sit in; a second icon of ours would only double it.
        OwnItem.reset();
        Update(true);
        return;
    }
    if (!OwnItem) {
        DBusTrayAppeared();
    }
    Update(OwnItem && OwnItem->IsRegistered());
}

void NotificationAreaIcon::PinAvailability(bool available) {
    Pinned = available;
    Update(available);
}

void NotificationAreaIcon::Update(bool available) {
    if (available == Available) {
        return;
    }
    Available = available;
    emit availabilityChanged(available);
}

void NotificationAreaIcon::SetIcon(const QIcon& icon) {
    CurrentIcon = icon;
    QtIcon->setIcon(icon);
    if (OwnItem) {
        OwnItem->SetIcon(icon);
    }
}

void NotificationAreaIcon::SetToolTip(const QString& text) {
    // The same text again changes nothing the desktop needs to be told.
    if (text == CurrentToolTip) {
        return;
    }
    CurrentToolTip = text;
    QtIcon->setToolTip(text);
    if (OwnItem) {
        OwnItem->SetToolTip(text);
    }
}

void NotificationAreaIcon::ShowMessage(const QString& title, const QString& text, int milliseconds) {
    if (OwnItem && OwnItem->IsRegistered()) {
        InstalledDesktopActions().Notify(title.toStdString(), text.toStdString());
    } else if (Available) {
        QtIcon->showMessage(title, text, QSystemTrayIcon::Information, milliseconds);
    }
}

} // namespace chimewell
