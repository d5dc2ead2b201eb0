// Reminders as notifications with the window's buttons, against a small notification server of the test's own
// on a private session bus (a dbus-daemon the test starts and stops): what it is sent, and what each of its
// answers does to the reminder window.

#include "data/settings.h"
#include "modal_helpers.h"
#include "platform/fake_desktop_actions.h"
#include "platform/fake_music_player.h"
#include "platform/reminder_notifications.h"
#include "runtime/form_remind_box.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace chimewell {
namespace {

// The server side: records what it is sent, answers as a desktop would, and lets the test click.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Posted {
        uint Id;
        QString Summary;
        QString Body;
        QStringList Actions;
        QVariantMap Hints;
    };
    QStringList Capabilities{QStringLiteral("actions"), QStringLiteral("body")};
    std::vector<Posted> Notifications;
    std::vector<uint> Closed;

public slots:
    QStringList GetCapabilities() { return Capabilities; }
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int) {
        const uint id = static_cast<uint>(Notifications.size()) + 1;
        Notifications.push_back({id, summary, body, actions, hints});
        return id;
    }
    void CloseNotification(uint id) {
        Closed.push_back(id);
        emit NotificationClosed(id, 3);
    }

signals:
    void ActionInvoked(uint id, const QString& key);
    void NotificationClosed(uint id, uint reason);
};

class NotificationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        ASSERT_TRUE(Daemon.waitForStarted(5000)) << "dbus-daemon is missing";
        ASSERT_TRUE(Daemon.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(Daemon.readLine()).trimmed();
        static int connections = 0;
        const QString name = QStringLiteral("test%1").arg(++connections);
        ServerBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, name + "server"));
        ClientBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, name + "client"));
        ASSERT_TRUE(ServerBus->isConnected());
        ServerBus->registerObject(QStringLiteral("/org/freedesktop/Notifications"), &Server,
                                  QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
        ASSERT_TRUE(ServerBus->registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    void TearDown() override {
        Window.reset();
        Client.reset();
        QDBusConnection::disconnectFromBus(ClientBus->name());
        QDBusConnection::disconnectFromBus(ServerBus->name());
        Daemon.terminate();
        Daemon.waitForFinished(5000);
    }
    void Connect(int mode) {
        Client = std::make_unique<ReminderNotifications>(*ClientBus);
        QTest::qWait(200); // the server's capabilities arrive
        Window = std::make_unique<TfrmRemindBox>();
        Window->UseNotifications(Client.get(), mode);
    }
    RemindPresentation Presentation(const std::string& command = {}) const {
        RemindPresentation shown;
        shown.Text = "下午三点开会";
        shown.LaterCaption = "推迟提醒(5)";
        shown.LaterMinutes = 5;
        if (!command.empty()) {
            shown.CommandButton = CommandButtonState::Show;
            shown.CommandText = command;
        }
        return shown;
    }
    // Shows the reminder and, once its notification is up, acts; returns what ShowModal returned.
    int ShowAndAnswer(const std::function<void(const FakeNotificationServer::Posted&)>& act) {
        const std::size_t before = Server.Notifications.size();
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (Server.Notifications.size() > before) {
                poll.stop();
                // The reply with the server's id must be back before an answer can be matched to it.
                QTimer::singleShot(100, [&] { act(Server.Notifications.back()); });
            }
        });
        poll.start();
        return Window->ShowModal();
    }
    void Click(uint id, const char* key) { emit Server.ActionInvoked(id, QString::fromLatin1(key)); }

    bool ApplicationReady = (testing::EnsureApplication(), true);
    RecordingDesktopActions Desktop;
    FakeMusicPlayer Music;
    QProcess Daemon;
    std::unique_ptr<QDBusConnection> ServerBus;
    std::unique_ptr<QDBusConnection> ClientBus;
    FakeNotificationServer Server;
    std::unique_ptr<ReminderNotifications> Client;
    std::unique_ptr<TfrmRemindBox> Window;
};

TEST_F(NotificationsTest, EachButtonOfTheNotificationAnswersAsTheWindowsButton) {
    Connect(RemindModeWindowAndNotification);
    Window->Prepare(Presentation("cbackup --now"));
    bool visible = false;
    EXPECT_EQ(ShowAndAnswer([&](const FakeNotificationServer::Posted& posted) {
                  visible = Window->isVisible();
                  EXPECT_EQ(posted.Summary, QStringLiteral("晴铃提醒"));
                  EXPECT_EQ(posted.Body, QStringLiteral("下午三点开会"));
                  EXPECT_EQ(posted.Actions, (QStringList{"default", "显示提醒", "close", "关闭", "later", "推迟 5 分钟",
                                                         "command", "执行命令"}));
                  EXPECT_EQ(posted.Hints.value("urgency").toInt(), 2);
                  EXPECT_EQ(posted.Hints.value("desktop-entry").toString(), QStringLiteral("chimewell"));
                  Click(posted.Id, "command");
                  QTimer::singleShot(100, [&, id = posted.Id] { Click(id, "later"); });
              }),
              LATER_DEFAULT)
        << "推迟 N 分钟 postpones by the default, as the window's 推迟提醒 does";
    EXPECT_TRUE(visible) << "窗口和通知: the window shows too";
    EXPECT_EQ(Desktop.StartedPrograms, std::vector<std::string>{"backup --now"}) << "执行命令 runs the command";
    EXPECT_FALSE(Window->isVisible());

    Window->Prepare(Presentation());
    EXPECT_EQ(ShowAndAnswer([&](const FakeNotificationServer::Posted& posted) { Click(posted.Id, "close"); }),
              LATER_NONE);
    // Answered in the window: the notification is withdrawn.
    Window->Prepare(Presentation());
    ShowAndAnswer([&](const FakeNotificationServer::Posted&) { Window->btnClose->click(); });
    QTest::qWait(200);
    EXPECT_EQ(Server.Closed.back(), Server.Notifications.back().Id);
}

TEST_F(NotificationsTest, NotificationOnlyWaitsHiddenUntilAnsweredAndADismissalLeavesItOpen) {
    Connect(RemindModeNotification);
    Window->Prepare(Presentation());
    bool visibleAtFirst = true;
    bool visibleAfterClick = false;
    EXPECT_EQ(ShowAndAnswer([&](const FakeNotificationServer::Posted& posted) {
                  visibleAtFirst = Window->isVisible();
                  Click(posted.Id, "default");
                  QTimer::singleShot(100, [&] {
                      visibleAfterClick = Window->isVisible();
                      Window->btnClose->click();
                  });
              }),
              LATER_NONE);
    EXPECT_FALSE(visibleAtFirst);
    EXPECT_TRUE(visibleAfterClick) << "a click on the notification's body shows the window";

    // Dismissed by the server without an answer: the reminder still waits, and the tray's 关闭窗口 answers it.
    Window->Prepare(Presentation());
    bool stillWaiting = false;
    EXPECT_EQ(ShowAndAnswer([&](const FakeNotificationServer::Posted& posted) {
                  emit Server.NotificationClosed(posted.Id, 2);
                  QTimer::singleShot(200, [&] {
                      stillWaiting = true;
                      Window->CloseWindow();
                  });
              }),
              LATER_NONE);
    EXPECT_TRUE(stillWaiting);
}

TEST_F(NotificationsTest, AServerWithoutActionsGetsTheTextAndTheWindowAnswers) {
    Server.Capabilities = {QStringLiteral("body")};
    Connect(RemindModeNotification);
    EXPECT_FALSE(Client->HasActions());
    Window->Prepare(Presentation());
    bool visible = false;
    ShowAndAnswer([&](const FakeNotificationServer::Posted& posted) {
        EXPECT_TRUE(posted.Actions.isEmpty());
        visible = Window->isVisible();
        Window->btnClose->click();
    });
    EXPECT_TRUE(visible) << "the window is the way to answer";
}

TEST_F(NotificationsTest, TheWindowModeSendsNothing) {
    Connect(RemindModeWindow);
    Window->Prepare(Presentation());
    auto close = testing::WhenModal<TfrmRemindBox>([](TfrmRemindBox* box) { box->btnClose->click(); });
    Window->ShowModal();
    QTest::qWait(100);
    EXPECT_TRUE(Server.Notifications.empty());
}

TEST_F(NotificationsTest, MissedRemindersComeAsOneNotificationThatOpensTheList) {
    Connect(RemindModeNotification);
    std::vector<TMissedReminder> missed(4);
    for (TMissedReminder& one : missed) {
        one.Text = "错过的";
    }
    QTimer poll;
    poll.setInterval(10);
    bool shownAfterClick = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (Server.Notifications.empty()) {
            return;
        }
        poll.stop();
        EXPECT_EQ(Server.Notifications.back().Body, QStringLiteral("错过了 4 个提醒"));
        QTimer::singleShot(100, [&] {
            Click(Server.Notifications.back().Id, "default");
            QTimer::singleShot(50, [&] {
                shownAfterClick = testing::ShowingWindow<QDialog>() != nullptr;
                Window->CloseWindow();
            });
        });
    });
    poll.start();
    Window->ShowMissedList(missed);
    EXPECT_TRUE(shownAfterClick);
}

} // namespace
} // namespace chimewell

#include "remind_notifications_qt_test.moc"
