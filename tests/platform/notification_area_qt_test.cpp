// The notification-area icon against a D-Bus tray service that comes after the program, on a session bus of
// the test's own (a private dbus-daemon): nothing here reaches the desktop's bus.

#include "platform/notification_area.h"
#include "platform/sleep_watcher.h"
#include "platform/status_notifier_item.h"

#include <QApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QMenu>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <signal.h>
#include <string>

namespace chimewell {
namespace {

QString BusAddress;

// The desktop's side: a tray service that takes every item offered to it.
class FakeWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)

public:
    bool IsStatusNotifierHostRegistered() const { return true; }
    QStringList Items;

public slots:
    void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message) {
        // An item names its bus name, or only its path; either way the sender is the item.
        Items.append(service.startsWith('/') ? message.service() : service);
    }
};

class NotificationAreaTest : public ::testing::Test {
protected:
    NotificationAreaTest() : Watching(QDBusConnection::connectToBus(BusAddress, QStringLiteral("desktop"))) {}
    ~NotificationAreaTest() override { StopTray(); }

    void StartTray() {
        ASSERT_TRUE(Watching.registerObject(QStringLiteral("/StatusNotifierWatcher"), &Watcher,
                                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(Watching.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
    }
    void StopTray() {
        Watching.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        Watching.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    }

    QDBusConnection Watching;
    FakeWatcher Watcher;
};

QIcon RedIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

// Started with the session before the panel: the tray service comes ten seconds later (here: at once), the icon
// must appear and be usable; when the service goes, the program must know.
TEST_F(NotificationAreaTest, ATrayServiceThatComesLaterGetsTheIcon) {
    QMenu menu;
    NotificationAreaIcon icon(RedIcon(), QStringLiteral("晴铃提醒"), &menu, std::nullopt);
    EXPECT_FALSE(icon.IsAvailable()) << "no tray yet";
    QSignalSpy changes(&icon, &NotificationAreaIcon::availabilityChanged);

    StartTray();
    ASSERT_TRUE(QTest::qWaitFor([&] { return icon.IsAvailable(); }, 5000));
    ASSERT_EQ(Watcher.Items.size(), 1);
    const QString item = Watcher.Items.front();

    // The desktop reads what it shows and clicks the icon.
    QDBusMessage get =
        QDBusMessage::createMethodCall(item, QStringLiteral("/StatusNotifierItem"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("Title");
    const QDBusReply<QDBusVariant> title = Watching.call(get, QDBus::BlockWithGui);
    ASSERT_TRUE(title.isValid()) << title.error().message().toStdString();
    EXPECT_EQ(title.value().variant().toString(), QStringLiteral("晴铃提醒"));
    QSignalSpy clicks(&icon, &NotificationAreaIcon::activated);
    Watching.call(QDBusMessage::createMethodCall(item, QStringLiteral("/StatusNotifierItem"),
                                                 QStringLiteral("org.kde.StatusNotifierItem"),
                                                 QStringLiteral("Activate"))
                      << 10 << 10,
                  QDBus::BlockWithGui);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks.count() == 1; }, 5000)) << "a click shows the window";

    StopTray();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !icon.IsAvailable(); }, 5000));
    EXPECT_EQ(changes.count(), 2);
}

// The login manager says the machine woke up: the reminders are checked at once.
TEST(SleepWatcherTest, WakingUpIsHeardOnTheBus) {
    QDBusConnection program = QDBusConnection::connectToBus(BusAddress, QStringLiteral("program"));
    QDBusConnection login = QDBusConnection::connectToBus(BusAddress, QStringLiteral("login1"));
    ASSERT_TRUE(login.registerService(QStringLiteral("org.freedesktop.login1")));
    SleepWatcher watcher(program);
    QSignalSpy resumed(&watcher, &SleepWatcher::resumed);
    for (const bool sleeping : {true, false}) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                         QStringLiteral("org.freedesktop.login1.Manager"),
                                                         QStringLiteral("PrepareForSleep"));
        signal << sleeping;
        login.send(signal);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return resumed.count() == 1; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(resumed.count(), 1) << "going to sleep is not waking up";
}

TEST(StatusNotifierItemTest, TheIconGoesOutAtThePanelsSizes) {
    const SniIconPixmaps pixmaps = SniPixmapsOf(RedIcon());
    ASSERT_FALSE(pixmaps.isEmpty());
    EXPECT_EQ(pixmaps.front().Width, 16);
    EXPECT_EQ(pixmaps.front().Argb.size(), 16 * 16 * 4);
    EXPECT_EQ(pixmaps.front().Argb.left(4), QByteArray("\xFF\xFF\x00\x00", 4)) << "ARGB, most significant first";
}

} // namespace
} // namespace chimewell

#include "notification_area_qt_test.moc"

int main(int argc, char** argv) {
    // A session bus of the test's own, ended with the test.
    FILE* daemon = popen("exec dbus-daemon --session --nofork --print-address=1 --print-pid=1", "r");
    char address[512] = {};
    char pid[32] = {};
    if (daemon == nullptr || std::fgets(address, sizeof address, daemon) == nullptr ||
        std::fgets(pid, sizeof pid, daemon) == nullptr) {
        std::fprintf(stderr, "no dbus-daemon\n");
        return 1;
    }
    std::string busAddress(address);
    busAddress.erase(busAddress.find_last_not_of("\r\n") + 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", busAddress.c_str(), 1);
    chimewell::BusAddress = QString::fromStdString(busAddress);
    int status = 0;
    {
        QApplication application(argc, argv);
        testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    kill(std::atoi(pid), SIGTERM);
    pclose(daemon);
    return status;
}
