#pragma once
// The program's icon in the desktop's notification area, followed through the run: panels often start after
// the session's programs, and may go away and come back. Qt's own icon follows an X11 tray by itself; a D-Bus
// tray that appears later gets an item of our own, since Qt decides on D-Bus once, at start.

#include <QIcon>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QDBusServiceWatcher;
class QMenu;
class QSystemTrayIcon;

namespace chimewell {

class StatusNotifierItem;

class NotificationAreaIcon : public QObject {
    Q_OBJECT
public:
    // The menu is not owned. With `pinned` set, the desktop is not asked: the icon counts as available or not
    // as pinned (tests, and desktops where the question has no answer).
    NotificationAreaIcon(const QIcon& icon, const QString& toolTip, QMenu* menu, std::optional<bool> pinned,
                         QObject* parent = nullptr);
    ~NotificationAreaIcon() override;

    // A notification area shows the icon now.
    bool IsAvailable() const { return Available; }
    void SetIcon(const QIcon& icon);
    void SetToolTip(const QString& text);
    // A balloon tip, where the desktop shows one.
    void ShowMessage(const QString& title, const QString& text, int milliseconds);
    // Tests: the icon becomes available or not, as a desktop would make it.
    void PinAvailability(bool available);

public slots:
    // Asks the desktop again; the program calls it once a minute, as a last resort behind the signals.
    void Recheck();

signals:
    void availabilityChanged(bool available);
    // A click or double click on the icon, or the desktop's "activate".
    void activated();

private:
    void Update(bool available);
    void DBusTrayAppeared();

    QSystemTrayIcon* QtIcon = nullptr;
    std::unique_ptr<StatusNotifierItem> OwnItem;
    QDBusServiceWatcher* Watcher = nullptr;
    QMenu* Menu;
    QIcon CurrentIcon;
    QString CurrentToolTip;
    std::optional<bool> Pinned;
    bool Available = false;
};

} // namespace chimewell
