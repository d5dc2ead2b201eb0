#pragma once
// Reminders as desktop notifications that can be answered: org.freedesktop.Notifications on the session bus,
// with actions (关闭, 推迟 N 分钟, 执行命令), urgency critical so that they stay until answered where the desktop
// honours it, and the program's desktop entry. Every call is sent without waiting: a desktop without a
// notification service shows none, and the program never waits on it.

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace chimewell {

class ReminderNotifications : public QObject {
    Q_OBJECT
public:
    explicit ReminderNotifications(QDBusConnection bus, QObject* parent = nullptr);

    // Whether the server said it shows actions; false until it answered GetCapabilities.
    bool HasActions() const { return Actions; }
    // Posts a notification: the action keys with their labels (the key "default" is a click on the body), and
    // whether it is to stay until answered. Returns this program's number for it, for Close and the signals.
    int Show(const QString& title, const QString& body, const std::vector<std::pair<QString, QString>>& actions,
             bool critical);
    // Withdraws a notification this program posted (the reminder was answered in its window).
    void Close(int number);

signals:
    // The user chose an action of a notification.
    void actionInvoked(int number, const QString& key);
    // The server closed a notification: it expired or the user dismissed it without an answer.
    void closedByServer(int number);

private slots:
    void Invoked(uint id, const QString& key);
    void Closed(uint id, uint reason);

private:
    QDBusConnection Bus;
    bool Actions = false;
    int LastNumber = 0;
    // Ours, and the server's id once it answered; 0 while the answer is on its way.
    std::map<int, uint> Ids;
    // Numbers closed before the server's answer came.
    std::vector<int> ClosedEarly;
};

// The desktop's name for the program, the icon and the entry the notifications carry.
inline constexpr const char* NotificationAppName = "晴铃提醒";

} // namespace chimewell
