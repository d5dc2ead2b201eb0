#pragma once
// Reminders as desktop notifications that can be answered: org.freedesktop.Notifications on the session bus,
// with actions (关闭, 推迟 N 分钟, 执行命令, 全部关闭), urgency critical so that they stay until answered where the
// desktop honours it, and the program's desktop entry. Every call is sent without waiting: a desktop without a
// notification service shows none, and the program never waits on it. A notification that does not show in
// time, or that the server takes away unanswered, is told, so that the reminder can be answered in its window
// instead; one whose answer comes after it was given up is withdrawn at once.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <set>
#include <utility>
#include <vector>

class QDBusServiceWatcher;

namespace chimewell {

// How long a notification may take to show before the reminder goes to its window.
inline constexpr int NotifyPatienceMilliseconds = 5000;

class ReminderNotifications : public QObject {
    Q_OBJECT
public:
    explicit ReminderNotifications(QDBusConnection bus, QObject* parent = nullptr);

    // Whether the server said it shows actions; false until it answered GetCapabilities. Asked again whenever
    // another program takes over the service (a panel that starts after the program).
    bool HasActions() const { return Capabilities.contains(QStringLiteral("actions")); }
    // The icon's file, sent where the desktop's icon theme does not hold the program's icon (a build run in
    // place); empty: the theme's icon by name.
    void SetIconFile(const QString& path) { IconFile = path; }

    using Actions = std::vector<std::pair<QString, QString>>;
    // Posts a notification: the action keys with their labels (the key "default" is a click on the body), and
    // whether it is to stay until answered. Returns this program's number for it, for the other calls and the
    // signals. The body is plain text; it is escaped for servers that read markup.
    int Show(const QString& title, const QString& body, const Actions& actions, bool critical);
    // Puts new text and actions in place of a notification that is up (the number waiting changed).
    void Update(int number, const QString& title, const QString& body, const Actions& actions, bool critical);
    // Withdraws a notification this program posted (the reminder was answered in its window).
    void Close(int number);

signals:
    // The user chose an action of a notification.
    void actionInvoked(int number, const QString& key);
    // The server closed a notification: it expired or the user dismissed it without an answer.
    void closedByServer(int number);
    // A notification did not show: the server refused it, or did not answer within NotifyPatienceMilliseconds.
    void failed(int number);

private slots:
    void Invoked(uint id, const QString& key);
    void Closed(uint id, uint reason);

private:
    void AskCapabilities();
    void Send(int number, uint replaces, const QString& title, const QString& body, const Actions& actions,
              bool critical);
    void CloseOnServer(uint id);

    QDBusConnection Bus;
    QDBusServiceWatcher* Owners;
    QStringList Capabilities;
    QString IconFile;
    int LastNumber = 0;
    // Ours, and the server's id once it answered; 0 while the answer is on its way.
    std::map<int, uint> Ids;
    // Numbers closed before the server's answer came, and those given up for want of one: their answer, when
    // it comes, withdraws the notification.
    std::set<int> ClosedEarly;
    std::set<int> Abandoned;
    // What a notification is to show once the server's first answer came: asked while that answer was on its
    // way (one more reminder fell due meanwhile).
    struct TContent {
        QString Title;
        QString Body;
        Actions Buttons;
        bool Critical = false;
    };
    std::map<int, TContent> Pending;
};

// The desktop's name for the program, the icon and the entry the notifications carry.
inline constexpr const char* NotificationAppName = "晴铃提醒";

} // namespace chimewell
