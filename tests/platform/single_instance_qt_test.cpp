#include "platform/single_instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace chimewell {
namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "single_instance_qt_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        new QCoreApplication(argc, argv); // lives to the end of the process, as in the program
    }
}

// A process id that names no running process, as a crashed copy leaves behind.
qint64 DeadProcessId() {
    for (pid_t pid = 4'000'000; pid > 1000; --pid) {
        if (::kill(pid, 0) == -1 && errno == ESRCH) {
            return pid;
        }
    }
    return -1;
}

// Leaves a socket file at a local server name with nobody listening on it, as a crashed copy does.
bool LeaveDeadSocket(const QString& name) {
    const QByteArray path = QDir::temp().filePath(name).toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof(address.sun_path))) {
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return bound;
}

class SingleInstanceTest : public testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        ASSERT_TRUE(Folder.isValid());
    }

    QTemporaryDir Folder;
};

TEST_F(SingleInstanceTest, SecondStartHandsOverToTheFirst) {
    SingleInstance first;
    ASSERT_TRUE(first.TryBecomePrimary(Folder.path()));
    QSignalSpy shown(&first, &SingleInstance::showRequested);

    SingleInstance second;
    EXPECT_FALSE(second.TryBecomePrimary(Folder.path()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.count() == 1; }, 5000));

    // The same folder spelled another way is the same folder.
    SingleInstance third;
    EXPECT_FALSE(third.TryBecomePrimary(Folder.path() + "/./"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.count() == 2; }, 5000));
}

TEST_F(SingleInstanceTest, CopiesForOtherFoldersRunSideBySide) {
    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    SingleInstance first;
    SingleInstance second;
    EXPECT_TRUE(first.TryBecomePrimary(Folder.path()));
    EXPECT_TRUE(second.TryBecomePrimary(other.path()));
    EXPECT_NE(SingleInstance::ServerName(Folder.path()), SingleInstance::ServerName(other.path()));
}

TEST_F(SingleInstanceTest, FolderIsFreeAgainWhenTheFirstEnds) {
    {
        SingleInstance first;
        ASSERT_TRUE(first.TryBecomePrimary(Folder.path()));
    }
    SingleInstance next;
    EXPECT_TRUE(next.TryBecomePrimary(Folder.path()));
}

TEST_F(SingleInstanceTest, LeftoversOfACrashedCopyAreTakenOver) {
    const qint64 dead = DeadProcessId();
    ASSERT_GT(dead, 0);
    QFile lock(QDir(Folder.path()).filePath(SingleInstance::LockFileName()));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(dead) + "\nchimewell\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    ASSERT_TRUE(LeaveDeadSocket(SingleInstance::ServerName(Folder.path())));

    SingleInstance first;
    ASSERT_TRUE(first.TryBecomePrimary(Folder.path()));
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    // It really listens where the dead socket was.
    SingleInstance second;
    EXPECT_FALSE(second.TryBecomePrimary(Folder.path()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.count() == 1; }, 5000));
}

// A folder that takes no lock file (here: one that does not exist) still gets one copy.
TEST_F(SingleInstanceTest, FolderWithoutLockStillHandsOver) {
    const QString unlockable = Folder.filePath("missing");
    SingleInstance first;
    ASSERT_TRUE(first.TryBecomePrimary(unlockable));
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    SingleInstance second;
    EXPECT_FALSE(second.TryBecomePrimary(unlockable));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.count() == 1; }, 5000));
}

TEST_F(SingleInstanceTest, ServerNameBelongsToTheUser) {
    const QString name = SingleInstance::ServerName(Folder.path());
    EXPECT_TRUE(name.startsWith(QStringLiteral("chimewell-%1-").arg(::getuid()))) << name.toStdString();
    ASSERT_TRUE(QDir(Folder.path()).mkdir("sub"));
    EXPECT_EQ(name, SingleInstance::ServerName(Folder.path() + "/sub/.."));
}

} // namespace
} // namespace chimewell
