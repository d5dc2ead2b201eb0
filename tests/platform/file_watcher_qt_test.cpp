// The watch on the files another program may change: it follows the path, whatever the path names now.

#include "platform/file_watcher.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace chimewell {
namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "file_watcher_qt_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        new QCoreApplication(argc, argv);
    }
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TEST(FileWatcher, FollowsThePathWhenALinkIsReplacedByAFile) {
    EnsureApplication();
    QTemporaryDir folder;
    const std::string target = folder.filePath(QStringLiteral("elsewhere.sdt")).toStdString();
    const std::string path = folder.filePath(QStringLiteral("reminddata.sdt")).toStdString();
    Write(target, "one");
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
    FileWatcher watcher(50);
    QSignalSpy changed(&watcher, &FileWatcher::changed);
    watcher.Watch(path);

    // A sync tool puts a plain file in the link's place.
    Write(path + ".new", "two");
    ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
    ASSERT_TRUE(changed.wait(2000));
    changed.clear();
    // Then an editor writes that file in place: told too, not only at the next look.
    Write(path, "three");
    EXPECT_TRUE(changed.wait(2000));
    changed.clear();
    // And the old target's changes are no longer this path's.
    Write(target, "four");
    EXPECT_FALSE(changed.wait(300));
}

} // namespace
} // namespace chimewell
