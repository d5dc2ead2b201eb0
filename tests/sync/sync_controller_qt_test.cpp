// When the program syncs: never without a server in the settings; soon after start and after each change of
// the data file when there is one; a failure is told.

#include "app/sync_controller.h"
#include "calendar/clock.h"
#include "data/reminder_list.h"
#include "platform/secret_store.h"
#include "radicale_server.h"
#include "sample_record.h"
#include "sync/caldav_client.h"
#include "sync/sync_state.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <filesystem>

namespace chimewell {
namespace {

using testing::DailyRecord;
using testing::RadicaleServer;

// Runs the event loop until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 30000) {
    QElapsedTimer waited;
    waited.start();
    while (!condition() && waited.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return condition();
}

class SyncControllerTest : public ::testing::Test {
protected:
    SyncControllerTest() {
        testing::EventLoopApplication();
        Store = InstallSecretStore(MemorySecretStore());
        List.Reset(Folder.File("reminddata.sdt"));
        List.Load();
    }
    ~SyncControllerTest() override { InstallSecretStore(Store); }

    SecretStore Store;
    testing::TempFolder Folder;
    TRmDataList List;
};

TEST_F(SyncControllerTest, WithoutAServerNothingEverStarts) {
    SyncController sync(List, Folder.Folder());
    sync.AfterChangeMilliseconds = 1;
    sync.PeriodMilliseconds = 1;
    TRmConfig config;
    sync.Configure(config);
    List.Add(DailyRecord(9, 0, "晨会"), true);
    sync.DataFileMayHaveChanged();
    sync.SyncNow();
    sync.SyncSoon();
    sync.MinuteTick();
    WaitFor([] { return false; }, 300);
    EXPECT_FALSE(sync.Running());
    EXPECT_TRUE(sync.findChildren<CalDavClient*>().isEmpty());
    EXPECT_FALSE(std::filesystem::exists(Folder.File("syncstate.ini")));
    EXPECT_TRUE(List.Item(0).Uid.empty());
}

TEST_F(SyncControllerTest, SyncsAtStartAndAfterEachChangeAndTellsAFailure) {
    RadicaleServer server;
    ASSERT_EQ(server.MakeCalendar(QStringLiteral("cal")), 201);
    TRmConfig config;
    config.SyncServer = server.Root().toString().toStdString();
    config.SyncUser = RadicaleServer::User;
    config.SyncCalendar = server.Calendar(QStringLiteral("cal")).toString().toStdString();
    bool stored = false;
    InstalledSecretStore().Write(SyncPasswordName(config.SyncUser, config.SyncServer), RadicaleServer::Password,
                                 [&stored](const std::string& failure) { stored = failure.empty(); });
    ASSERT_TRUE(stored);

    List.Add(DailyRecord(9, 0, "晨会"), true);
    SyncController sync(List, Folder.Folder());
    sync.AfterChangeMilliseconds = 10;
    int changes = 0;
    QObject::connect(&sync, &SyncController::statusChanged, [&changes] { ++changes; });
    sync.Configure(config);
    ASSERT_TRUE(WaitFor([&] { return !List.Item(0).Uid.empty() && !sync.Running(); }));
    EXPECT_TRUE(sync.Failure().empty()) << sync.Failure();
    EXPECT_NE(sync.StatusText().find("上次同步："), std::string::npos);

    List.Add(DailyRecord(10, 0, "午饭"), true);
    sync.DataFileMayHaveChanged();
    ASSERT_TRUE(WaitFor([&] { return !List.Item(1).Uid.empty() && !sync.Running(); }));

    server.Stop();
    List.Add(DailyRecord(11, 0, "服务器停了"), true);
    sync.DataFileMayHaveChanged();
    ASSERT_TRUE(WaitFor([&] { return !sync.Failure().empty(); }));
    EXPECT_NE(sync.StatusText().find("同步失败"), std::string::npos);
    EXPECT_GT(changes, 2);
    EXPECT_EQ(List.Count, 3);
}

TEST_F(SyncControllerTest, TheQuarterHourRunComesOnTheFirstMinuteTickPastItsTime) {
    // A run asks the secret store first; without a password it ends there, without the network.
    int runs = 0;
    SecretStore counting;
    counting.Read = [&runs](const std::string&, auto done) {
        ++runs;
        done(std::nullopt, std::string());
    };
    InstallSecretStore(counting);
    ClockOverride clock(EncodeDateTime(2026, 12, 10, 18, 0, 0));
    TRmConfig config;
    config.SyncServer = "http://127.0.0.1:9/";
    config.SyncUser = "me";
    config.SyncCalendar = "http://127.0.0.1:9/me/cal/";
    SyncController sync(List, Folder.Folder());
    sync.AfterChangeMilliseconds = 3'600'000;
    sync.Configure(config);
    clock.AdvanceMinutes(14);
    sync.MinuteTick();
    EXPECT_EQ(runs, 0);
    clock.AdvanceMinutes(1);
    sync.MinuteTick();
    EXPECT_EQ(runs, 1);
    EXPECT_NE(sync.Failure().find("密钥环"), std::string::npos);

    // The quarter hour counts from the last run, whatever began it.
    clock.AdvanceMinutes(5);
    sync.SyncNow();
    WaitFor([&] { return runs == 2; }, 2000);
    EXPECT_EQ(runs, 2);
    clock.AdvanceMinutes(14);
    sync.MinuteTick();
    EXPECT_EQ(runs, 2);
    clock.AdvanceMinutes(1);
    sync.MinuteTick();
    EXPECT_EQ(runs, 3);
    // A clock set back does not hold the next run off by as much.
    clock.Set(EncodeDateTime(2026, 12, 9, 18, 0, 0));
    sync.MinuteTick();
    EXPECT_EQ(runs, 4);
}

} // namespace
} // namespace chimewell
