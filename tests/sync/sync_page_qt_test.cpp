// The settings page 同步 against a real server: calendars found and made without the dialog waiting, the
// checks of OK, and the password kept in (and taken out of) the secret store, never in the settings.

#include "editing/scripted_answers.h"
#include "platform/secret_store.h"
#include "radicale_server.h"
#include "system/sync_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace chimewell {
namespace {

using testing::RadicaleServer;

QApplication& Application() {
    static int argc = 1;
    static char name[] = "sync-page-test";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

bool WaitFor(const std::function<bool()>& condition) {
    QElapsedTimer waited;
    waited.start();
    while (!condition() && waited.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return condition();
}

std::optional<std::string> Kept(const std::string& name) {
    std::optional<std::string> kept;
    InstalledSecretStore().Read(name,
                                [&kept](std::optional<std::string> secret, const std::string&) { kept = secret; });
    return kept;
}

class SyncPageTest : public ::testing::Test {
protected:
    SyncPageTest() : Store(InstallSecretStore(MemorySecretStore())) { Application(); }
    ~SyncPageTest() override { InstallSecretStore(Store); }

    SecretStore Store;
    testing::ScriptedAnswers Answers;
    TRmConfig Work;
};

TEST_F(SyncPageTest, FindsAndMakesCalendarsAndKeepsThePasswordInTheStore) {
    RadicaleServer server;
    ASSERT_EQ(server.MakeCalendar(QStringLiteral("work")), 201);
    int synced = 0;
    TSyncPage page(Work, {[&synced] { ++synced; }, [] { return std::string("上次同步：2026-12-09 10:00"); }});
    page.ShowSettings();
    page.show();

    // "127.0.0.1:port" without a scheme is this machine's server, over http.
    page.edtSyncServer->setText(server.Root().authority());
    page.edtSyncUser->setText(QString::fromLatin1(RadicaleServer::User));
    page.edtSyncPassword->setText(QString::fromUtf8(RadicaleServer::Password));
    page.btnFindCalendars->click();
    EXPECT_FALSE(page.btnFindCalendars->isEnabled()) << "the page waits without blocking";
    ASSERT_TRUE(WaitFor([&] { return page.btnFindCalendars->isEnabled(); }));
    ASSERT_EQ(page.cbSyncCalendar->count(), 1) << page.lbSyncProgress->text().toStdString();
    EXPECT_EQ(Work.SyncCalendar, server.Calendar(QStringLiteral("work")).toString().toStdString());

    page.btnNewCalendar->click();
    ASSERT_TRUE(WaitFor([&] { return page.cbSyncCalendar->count() == 2; }))
        << page.lbSyncProgress->text().toStdString();
    EXPECT_NE(Work.SyncCalendar.find("/alice/chimewell-"), std::string::npos);
    EXPECT_EQ(server.Curl(QStringLiteral("PROPFIND"), QUrl(QString::fromStdString(Work.SyncCalendar))), 207);

    // Unsaved settings do not sync; OK keeps the password in the store alone.
    page.btnSyncNow->click();
    EXPECT_EQ(synced, 0);
    ASSERT_TRUE(page.Check());
    page.KeepPassword();
    const std::string name = SyncPasswordName(Work.SyncUser, Work.SyncServer);
    EXPECT_EQ(Kept(name), std::string(RadicaleServer::Password));

    // Opened again with the saved settings: the kept password serves, and 立即同步 syncs.
    TRmConfig saved = Work;
    TSyncPage again(saved, {[&synced] { ++synced; }, [] { return std::string("上次同步：2026-12-09 10:00"); }});
    again.ShowSettings();
    EXPECT_EQ(again.lbLastSync->text(), QStringLiteral("上次同步：2026-12-09 10:00"));
    again.btnSyncNow->click();
    EXPECT_EQ(synced, 1);
    again.btnFindCalendars->click();
    ASSERT_TRUE(WaitFor([&] { return again.btnFindCalendars->isEnabled(); }));
    EXPECT_EQ(again.cbSyncCalendar->count(), 2) << again.lbSyncProgress->text().toStdString();

    // Sync switched off: the password goes too.
    again.edtSyncServer->clear();
    ASSERT_TRUE(again.Check());
    again.KeepPassword();
    EXPECT_FALSE(Kept(name).has_value());
}

TEST_F(SyncPageTest, OkRefusesWhatCannotSync) {
    TSyncPage page(Work, {});
    page.ShowSettings();
    page.edtSyncServer->setText(QStringLiteral("http://dav.example.com/"));
    page.edtSyncUser->setText(QStringLiteral("alice"));
    EXPECT_FALSE(page.Check());
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_NE(Answers.Boxes[0].Text.find("https"), std::string::npos);

    page.edtSyncServer->setText(QStringLiteral("dav.example.com"));
    EXPECT_FALSE(page.Check()) << "no calendar chosen";
    EXPECT_NE(Answers.Boxes.back().Text.find("查找日历"), std::string::npos);

    page.edtSyncServer->clear();
    EXPECT_TRUE(page.Check()) << "no server: no sync, nothing to check";
    EXPECT_TRUE(Work.SyncServer.empty());
}

} // namespace
} // namespace chimewell
