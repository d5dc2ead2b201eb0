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
#include <QDBusContext>
#include <QElapsedTimer>
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
class FakeNotificationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Posted {
        uint Id;
        QString Summary;
        QString Body;
        QStringList Actions;
        QVariantMap Hints;
        QString Icon;
        uint Replaces;
    };
    QStringList Capabilities{QStringLiteral("actions"), QStringLiteral("body")};
    std::vector<Posted> Notifications;
    std::vector<uint> Closed;
    // A server that is slow to answer (stopped, or busy): the answer to Notify comes this much later.
    int AnswerAfterMilliseconds = 0;
    // A server that refuses every notification (out of memory, a bad hint, a policy).
    bool Refuses = false;

public slots:
    QStringList GetCapabilities() { return Capabilities; }
    uint Notify(const QString&, uint replaces, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int) {
        const uint id = replaces != 0 ? replaces : static_cast<uint>(Notifications.size()) + 1;
        Notifications.push_back({id, summary, body, actions, hints, icon, replaces});
        if (Refuses) {
            sendErrorReply(QDBusError::Failed, QStringLiteral("no"));
            return 0;
        }
        if (AnswerAfterMilliseconds > 0) {
            setDelayedReply(true);
            QTimer::singleShot(AnswerAfterMilliseconds,
                               [bus = connection(), answer = message().createReply(id)] { bus.send(answer); });
        }
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

TEST_F(NotificationsTest, NotificationOnlyWaitsHiddenUntilAnsweredAndADismissalBringsTheWindow) {
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

    // Dismissed by the server without an answer (a click that only dismisses): the reminder still waits, in its
    // window now, and is answered there.
    Window->Prepare(Presentation());
    bool shownAfterDismissal = false;
    EXPECT_EQ(ShowAndAnswer([&](const FakeNotificationServer::Posted& posted) {
                  emit Server.NotificationClosed(posted.Id, 2);
                  QTimer::singleShot(200, [&] {
                      shownAfterDismissal = Window->isVisible();
                      Window->btnLater->click();
                  });
              }),
              LATER_DEFAULT);
    EXPECT_TRUE(shownAfterDismissal);
}

TEST_F(NotificationsTest, ASlowServerNeverHoldsTheReminderAndALateNotificationIsWithdrawn) {
    Connect(RemindModeNotification);
    Server.AnswerAfterMilliseconds = NotifyPatienceMilliseconds + 1500;
    Window->Prepare(Presentation());
    QElapsedTimer waited;
    waited.start();
    bool shown = false;
    auto answer = [&] {
        // The window comes once the server has been waited for long enough.
        QTimer* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [&, poll] {
            if (Window->isVisible()) {
                poll->deleteLater();
                shown = true;
                Window->btnClose->click();
            }
        });
        poll->start(20);
    };
    answer();
    EXPECT_EQ(Window->ShowModal(), LATER_NONE);
    EXPECT_TRUE(shown);
    EXPECT_LT(waited.elapsed(), Server.AnswerAfterMilliseconds);
    // The notification the server put up late is taken down as soon as its answer comes.
    QTest::qWait(2500);
    ASSERT_FALSE(Server.Notifications.empty());
    EXPECT_EQ(Server.Closed, std::vector<uint>{Server.Notifications.back().Id});

    // 窗口和通知, answered in the window while the server was still busy: the same.
    Connect(RemindModeWindowAndNotification);
    Server.AnswerAfterMilliseconds = 1000;
    Window->Prepare(Presentation());
    auto close = testing::WhenModal<TfrmRemindBox>([](TfrmRemindBox* box) { box->btnClose->click(); });
    Window->ShowModal();
    QTest::qWait(1500);
    EXPECT_EQ(Server.Closed.size(), 2U);
    EXPECT_EQ(Server.Closed.back(), Server.Notifications.back().Id);
}

// A refused notification is answered in the window at once, without waiting out the server's patience; a
// change of the waiting count asked before the server named its notification is put in place once it does.
TEST_F(NotificationsTest, ARefusedNotificationBringsTheWindowAndAnEarlyChangeIsNotLost) {
    Connect(RemindModeNotification);
    Server.Refuses = true;
    Window->Prepare(Presentation());
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (Window->isVisible()) {
            poll.stop();
            Window->btnClose->click();
        }
    });
    poll.start(20);
    EXPECT_EQ(Window->ShowModal(), LATER_NONE);
    EXPECT_LT(waited.elapsed(), NotifyPatienceMilliseconds);
    poll.stop();

    Server.Refuses = false;
    Server.AnswerAfterMilliseconds = 500;
    Connect(RemindModeNotification);
    Window->Prepare(Presentation());
    QTimer::singleShot(100, [&] { Window->SetWaiting(2); }); // before the server's answer
    QTimer::singleShot(1200, [&] {
        ASSERT_EQ(Server.Notifications.size(), 3U);
        EXPECT_EQ(Server.Notifications.back().Replaces, Server.Notifications[1].Id);
        EXPECT_TRUE(Server.Notifications.back().Body.contains(QStringLiteral("还有 2 个"))) << "the change arrives";
        Click(Server.Notifications.back().Id, "close");
    });
    EXPECT_EQ(Window->ShowModal(), LATER_NONE);
}

TEST_F(NotificationsTest, TheTextIsEscapedForServersThatReadMarkupAndTheIconGoesAsAFile) {
    Server.Capabilities = {QStringLiteral("actions"), QStringLiteral("body"), QStringLiteral("body-markup")};
    Connect(RemindModeWindowAndNotification);
    Client->SetIconFile(QStringLiteral("/tmp/chimewell-test-icon.png"));
    RemindPresentation shown = Presentation();
    shown.Text = "报告 ‹草稿> & <b>数据</b>";
    Window->Prepare(shown);
    ShowAndAnswer([&](const FakeNotificationServer::Posted& posted) {
        EXPECT_EQ(posted.Body, QStringLiteral("报告 ‹草稿&gt; &amp; &lt;b&gt;数据&lt;/b&gt;"));
        EXPECT_EQ(posted.Hints.value("image-path").toString(), QStringLiteral("file:///tmp/chimewell-test-icon.png"));
        EXPECT_EQ(posted.Icon, QStringLiteral("file:///tmp/chimewell-test-icon.png"));
        Window->btnClose->click();
    });
    // Without the capability the text goes as it is.
    Server.Capabilities = {QStringLiteral("actions"), QStringLiteral("body")};
    Connect(RemindModeWindowAndNotification);
    Window->Prepare(shown);
    ShowAndAnswer([&](const FakeNotificationServer::Posted& posted) {
        EXPECT_EQ(posted.Body, QString::fromStdString(shown.Text));
        EXPECT_EQ(posted.Icon, QStringLiteral("chimewell"));
        Window->btnClose->click();
    });
}

TEST_F(NotificationsTest, AServerThatComesAfterTheProgramGetsActions) {
    ASSERT_TRUE(ServerBus->unregisterService(QStringLiteral("org.freedesktop.Notifications")));
    Connect(RemindModeNotification);
    EXPECT_FALSE(Client->HasActions());
    // The panel starts late.
    ASSERT_TRUE(ServerBus->registerService(QStringLiteral("org.freedesktop.Notifications")));
    QTest::qWait(300);
    EXPECT_TRUE(Client->HasActions());
    Window->Prepare(Presentation());
    ShowAndAnswer([&](const FakeNotificationServer::Posted& posted) {
        EXPECT_TRUE(posted.Actions.contains(QStringLiteral("close")));
        Click(posted.Id, "close");
    });
}

// The server that showed the notification ends (or another takes its place): the notification went with it,
// unanswered, and the reminder comes in its window.
TEST_F(NotificationsTest, AServerThatGoesAwayBringsTheWindow) {
    Connect(RemindModeNotification);
    Window->Prepare(Presentation());
    bool shownAfterwards = false;
    EXPECT_EQ(ShowAndAnswer([&](const FakeNotificationServer::Posted&) {
                  ASSERT_TRUE(ServerBus->unregisterService(QStringLiteral("org.freedesktop.Notifications")));
                  QTimer::singleShot(300, [&] {
                      shownAfterwards = Window->isVisible();
                      Window->btnClose->click();
                  });
              }),
              LATER_NONE);
    EXPECT_TRUE(shownAfterwards);
}

TEST_F(NotificationsTest, ManyAtOnceSayHowManyWaitAndCloseTogether) {
    Connect(RemindModeNotification);
    Window->Prepare(Presentation());
    Window->SetWaiting(19);
    int shownWhileOpen = 0;
    EXPECT_EQ(ShowAndAnswer([&](const FakeNotificationServer::Posted& posted) {
                  EXPECT_TRUE(posted.Body.contains(QStringLiteral("还有 19 个提醒在等待")))
                      << posted.Body.toStdString();
                  EXPECT_TRUE(posted.Actions.contains(QStringLiteral("全部关闭（20）")));
                  // One more falls due meanwhile: the notification says so in place.
                  Window->SetWaiting(20);
                  QTimer::singleShot(200, [&, id = posted.Id] {
                      shownWhileOpen = static_cast<int>(Server.Notifications.size());
                      EXPECT_EQ(Server.Notifications.back().Replaces, id);
                      EXPECT_TRUE(Server.Notifications.back().Body.contains(QStringLiteral("还有 20 个")));
                      Click(id, "closeall");
                  });
              }),
              LATER_CLOSE_ALL);
    EXPECT_EQ(shownWhileOpen, 2);
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

// A click on it opens the list; so does its dismissal without an answer, since the reminders still wait.
TEST_F(NotificationsTest, MissedRemindersComeAsOneNotificationThatOpensTheList) {
    Connect(RemindModeNotification);
    std::vector<TMissedReminder> missed(4);
    for (TMissedReminder& one : missed) {
        one.Text = "错过的";
    }
    for (const bool dismissed : {false, true}) {
        SCOPED_TRACE(dismissed ? "dismissed" : "clicked");
        const std::size_t before = Server.Notifications.size();
        QTimer poll;
        poll.setInterval(10);
        bool listShown = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (Server.Notifications.size() == before) {
                return;
            }
            poll.stop();
            EXPECT_EQ(Server.Notifications.back().Body, QStringLiteral("错过了 4 个提醒"));
            QTimer::singleShot(100, [&] {
                const uint id = Server.Notifications.back().Id;
                if (dismissed) {
                    emit Server.NotificationClosed(id, 2);
                } else {
                    Click(id, "default");
                }
                QTimer::singleShot(100, [&] {
                    listShown = testing::ShowingWindow<QDialog>() != nullptr;
                    Window->CloseWindow();
                });
            });
        });
        poll.start();
        Window->ShowMissedList(missed);
        EXPECT_TRUE(listShown);
    }
}

} // namespace
} // namespace chimewell

#include "remind_notifications_qt_test.moc"
