// Two data folders syncing through a real Radicale, and what the sync does when the server fails it.

#include "calendar/clock.h"
#include "data/reminder_list.h"
#include "exchange/ical_file.h"
#include "radicale_server.h"
#include "sample_record.h"
#include "sync/sync_run.h"
#include "sync_machine.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace chimewell {
namespace {

using testing::Contents;
using testing::DailyRecord;
using testing::DatedRecord;
using testing::Machine;
using testing::RadicaleServer;
using testing::Sync;
using testing::SyncOptions;

TRmMainDate LunarBirthday() {
    TRmMainDate record = DatedRecord(0, 8, 15, 20, 0, "中秋赏月");
    record.IsLunar = true;
    return record;
}

TRmMainDate SolarTerm() {
    // Month 13 of the lunar kind: the 6th solar term, 清明.
    TRmMainDate record = DatedRecord(0, 13, 6, 8, 0, "清明扫墓");
    record.IsLunar = true;
    record.Forward = 30;
    return record;
}

class CalDavSyncTest : public testing::RadicaleCalendarTest {
protected:
    QUrl ResourceUrl(const QString& name) const { return Calendar.resolved(QUrl(name)); }
};

TEST_F(CalDavSyncTest, TwoMachinesShareAddsEditsAndDeletes) {
    Machine desk;
    Machine laptop;
    desk.List.Add(DailyRecord(9, 0, "晨会"), true);
    desk.List.Add(LunarBirthday(), true);
    desk.List.Add(SolarTerm(), true);
    desk.List.Add(DatedRecord(2027, 3, 1, 14, 30, "看牙"), true);

    TSyncReport report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Sent, 4);
    report = Sync(laptop, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Added, 4);
    EXPECT_EQ(Contents(laptop), Contents(desk));

    // An edit on the laptop, a delete on the desk: each reaches the other.
    const std::int32_t lunar = laptop.IndexOf("中秋赏月");
    TRmMainDate moved = laptop.List.Item(lunar);
    moved.Hour = 21;
    laptop.List.Replace(laptop.List.Item(lunar), lunar, moved);
    desk.List.Remove({{desk.List.Item(desk.IndexOf("看牙")), desk.IndexOf("看牙")}});
    ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Replaced, 1);
    EXPECT_EQ(report.Deleted, 1);
    report = Sync(laptop, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Removed, 1);
    EXPECT_EQ(Contents(laptop), Contents(desk));
    EXPECT_EQ(desk.List.Item(desk.IndexOf("中秋赏月")).Hour, 21);
    EXPECT_EQ(desk.List.Item(desk.IndexOf("清明扫墓")).Forward, 30);

    // Nothing changed anywhere: a sync sends and takes nothing.
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded);
    EXPECT_EQ(report.Sent + report.Added + report.Replaced + report.Removed + report.Deleted, 0);
}

TEST_F(CalDavSyncTest, AConflictKeepsBothAndADeleteLosesToAnEdit) {
    Machine desk;
    Machine laptop;
    desk.List.Add(DailyRecord(9, 0, "两边都改"), true);
    desk.List.Add(DailyRecord(10, 0, "一边删一边改"), true);
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);

    auto edit = [](Machine& machine, const std::string& message, const std::string& now) {
        const std::int32_t at = machine.IndexOf(message);
        TRmMainDate after = machine.List.Item(at);
        after.Message = now;
        machine.List.Replace(machine.List.Item(at), at, after);
    };
    edit(desk, "两边都改", "台式机改的");
    edit(laptop, "两边都改", "笔记本改的");
    desk.List.Remove({{desk.List.Item(desk.IndexOf("一边删一边改")), desk.IndexOf("一边删一边改")}});
    edit(laptop, "一边删一边改", "笔记本上改过，不能丢");

    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    const TSyncReport report = Sync(laptop, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    ASSERT_EQ(report.Notices.size(), 1U);
    // The server's version in the conflict's place, the laptop's own as a new reminder.
    EXPECT_GE(laptop.IndexOf("台式机改的"), 0);
    EXPECT_GE(laptop.IndexOf("笔记本改的"), 0);
    EXPECT_GE(laptop.IndexOf("笔记本上改过，不能丢"), 0);
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    EXPECT_EQ(Contents(desk), Contents(laptop));
    EXPECT_EQ(desk.List.Count, 3);
}

TEST_F(CalDavSyncTest, AnEventAddedByAnotherClientAppears) {
    Machine desk;
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    const QByteArray event = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//curl//EN\r\nBEGIN:VEVENT\r\n"
                             "UID:phone-1\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20270115T013000Z\r\n"
                             "SUMMARY:手机上加的\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\n"
                             "TRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    ASSERT_EQ(Server->Curl(QStringLiteral("PUT"), ResourceUrl(QStringLiteral("phone-1.ics")), event,
                           {QStringLiteral("Content-Type: text/calendar")}),
              201);
    TSyncReport report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    ASSERT_EQ(desk.List.Count, 1);
    const TRmMainDate& taken = desk.List.Item(0);
    EXPECT_EQ(taken.Message, "手机上加的");
    EXPECT_EQ(taken.Year, 2027);
    EXPECT_EQ(taken.Hour, 9);
    EXPECT_EQ(taken.Minuter, 30);
    EXPECT_EQ(taken.Forward, 15);
    EXPECT_EQ(taken.Uid, "phone-1");

    // Changed there again: taken again; deleted there: gone here.
    QByteArray later = event;
    later.replace("SUMMARY:手机上加的", "SUMMARY:手机上改的");
    ASSERT_EQ(Server->Curl(QStringLiteral("PUT"), ResourceUrl(QStringLiteral("phone-1.ics")), later,
                           {QStringLiteral("Content-Type: text/calendar")}) /
                  100,
              2);
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    EXPECT_EQ(desk.List.Item(0).Message, "手机上改的");
    ASSERT_EQ(Server->Curl(QStringLiteral("DELETE"), ResourceUrl(QStringLiteral("phone-1.ics"))), 200);
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(desk.List.Count, 0);
}

TEST_F(CalDavSyncTest, AfterItsOwnWritesTheNextSyncFindsNothingAndWritesNothing) {
    Machine desk;
    for (int hour = 8; hour < 12; ++hour) {
        desk.List.Add(DailyRecord(hour, 0, "整点 " + std::to_string(hour)), true);
    }
    ASSERT_EQ(Sync(desk, Calendar).Sent, 4);
    const std::string state = testing::ReadBytes(desk.StatePath());
    const auto written = std::filesystem::last_write_time(desk.StatePath());
    const TSyncReport report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Sent + report.Added + report.Replaced, 0);
    // The server's token already stands past this machine's own writes.
    EXPECT_EQ(testing::ReadBytes(desk.StatePath()), state);
    EXPECT_EQ(std::filesystem::last_write_time(desk.StatePath()), written);
}

TEST_F(CalDavSyncTest, AnEventAddedElsewhereWhileThisMachineWritesIsStillTaken) {
    Machine desk;
    desk.List.Add(DailyRecord(9, 0, "晨会"), true);
    desk.List.Add(DailyRecord(10, 0, "午饭"), true);
    const QByteArray event = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//curl//EN\r\nBEGIN:VEVENT\r\n"
                             "UID:phone-2\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20270115T013000Z\r\n"
                             "SUMMARY:写的同时手机上加的\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    int answers = 0;
    SyncOptions options;
    options.During = [&](CalDavClient& client) {
        // Between this machine's first write and the run's last question to the server.
        QObject::connect(&client, &CalDavClient::answered, [&] {
            if (++answers == 2) {
                Server->Curl(QStringLiteral("PUT"), ResourceUrl(QStringLiteral("phone-2.ics")), event,
                             {QStringLiteral("Content-Type: text/calendar")});
            }
        });
    };
    ASSERT_EQ(Sync(desk, Calendar, options).Sent, 2);
    ASSERT_GT(answers, 2);
    const TSyncReport report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Added, 1);
    EXPECT_GE(desk.IndexOf("写的同时手机上加的"), 0);
}

TEST_F(CalDavSyncTest, ACommandFromTheServerComesOnlyWithTheUsersAgreement) {
    Machine desk;
    Machine laptop;
    TRmMainDate shutdown = DatedRecord(2027, 1, 5, 18, 0, "下班关机");
    shutdown.Command = "sShutDown";
    shutdown.AutoExecScript = true;
    desk.List.Add(shutdown, true);
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);

    std::string asked;
    SyncOptions refuse;
    refuse.AgreeToCommands = [&asked](const std::string& question) {
        asked = question;
        return false;
    };
    const TSyncReport report = Sync(laptop, Calendar, refuse);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_NE(asked.find("sShutDown"), std::string::npos);
    ASSERT_EQ(laptop.List.Count, 1);
    EXPECT_TRUE(laptop.List.Item(0).Command.empty());
    EXPECT_FALSE(laptop.List.Item(0).AutoExecScript);
    // The refusal is the laptop's: the desk's command stays on the server.
    ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    EXPECT_EQ(desk.List.Item(0).Command, "sShutDown");

    // Without anyone to ask (the command line), it waits.
    Machine server;
    SyncOptions unattended;
    unattended.AgreeToCommands = {};
    const TSyncReport waiting = Sync(server, Calendar, unattended);
    ASSERT_TRUE(waiting.Succeeded) << waiting.Failure;
    EXPECT_EQ(waiting.DeferredCommands, 1);
    EXPECT_EQ(server.List.Count, 0);
    EXPECT_EQ(Sync(server, Calendar).Added, 1);
}

TEST_F(CalDavSyncTest, AnEmptiedCalendarAsksBeforeEmptyingTheList) {
    Machine desk;
    for (int k = 0; k < 4; ++k) {
        desk.List.Add(DailyRecord(8 + k, 0, "每日 " + std::to_string(k)), true);
    }
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    ASSERT_EQ(Server->Curl(QStringLiteral("DELETE"), Calendar), 200);
    ASSERT_EQ(Server->MakeCalendar(CalendarName), 201);

    SyncOptions keep;
    std::string asked;
    keep.AgreeToDeletions = [&asked](const std::string& question) {
        asked = question;
        return false;
    };
    // Radicale takes the old token for the new, empty calendar; the day's whole listing finds it out.
    ClockOverride tomorrow(Now() + 1.0);
    TSyncReport report = Sync(desk, Calendar, keep);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_NE(asked.find("4"), std::string::npos);
    EXPECT_EQ(desk.List.Count, 4);
    EXPECT_EQ(report.Sent, 4);
    Machine laptop;
    ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);
    EXPECT_EQ(laptop.List.Count, 4);
}

TEST_F(CalDavSyncTest, AServerKilledMidwayCostsNothing) {
    Machine desk;
    for (int k = 0; k < 6; ++k) {
        desk.List.Add(DailyRecord(8, k, "第 " + std::to_string(k) + " 条"), true);
    }
    const std::vector<std::string> before = Contents(desk);
    SyncOptions killer;
    killer.During = [](CalDavClient& client) {
        // The listing and two of the six events go through; then the server is gone.
        auto answers = std::make_shared<int>(0);
        QObject::connect(&client, &CalDavClient::answered, [answers] {
            if (++*answers == 3) {
                Server->Stop();
            }
        });
    };
    TSyncReport report = Sync(desk, Calendar, killer);
    EXPECT_FALSE(report.Succeeded);
    EXPECT_FALSE(report.Failure.empty());
    EXPECT_EQ(report.Sent, 2);
    EXPECT_EQ(desk.List.Count, 6);

    Server->Start();
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Sent, 4);
    Machine laptop;
    ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);
    EXPECT_EQ(laptop.List.Count, 6);
    EXPECT_EQ(Contents(laptop), Contents(desk));
}

TEST_F(CalDavSyncTest, AnExitMidwayCostsNothing) {
    Machine desk;
    for (int k = 0; k < 6; ++k) {
        desk.List.Add(DailyRecord(7, k, "早 " + std::to_string(k)), true);
    }
    {
        // The program ends while the sync is sending: the run goes with it.
        TSyncSettings settings;
        settings.Account = {Calendar, QString::fromLatin1(RadicaleServer::User),
                            QString::fromUtf8(RadicaleServer::Password), 10000};
        settings.Calendar = Calendar;
        settings.StatePath = desk.StatePath();
        auto run = std::make_unique<SyncRun>(settings, desk.List);
        QEventLoop loop;
        auto answers = std::make_shared<int>(0);
        QObject::connect(run->findChild<CalDavClient*>(), &CalDavClient::answered, &loop, [answers, &loop] {
            if (++*answers == 4) {
                QTimer::singleShot(0, &loop, &QEventLoop::quit);
            }
        });
        run->Start();
        loop.exec();
        run.reset();
    }
    TSyncReport report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(desk.List.Count, 6);
    Machine laptop;
    ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);
    EXPECT_EQ(Contents(laptop), Contents(desk));
}

TEST_F(CalDavSyncTest, AWrongPasswordChangesNothingAndSaysWhy) {
    Machine desk;
    desk.List.Add(DailyRecord(9, 0, "晨会"), true);
    SyncOptions wrong;
    wrong.Password = QStringLiteral("wrong");
    const TSyncReport report = Sync(desk, Calendar, wrong);
    EXPECT_FALSE(report.Succeeded);
    EXPECT_NE(report.Failure.find("401"), std::string::npos) << report.Failure;
    EXPECT_EQ(desk.List.Count, 1);
    EXPECT_TRUE(desk.List.Item(0).Uid.empty());
    std::string failure;
    EXPECT_EQ(LoadSyncState(desk.StatePath(), failure).LastError, report.Failure);
}

TEST_F(CalDavSyncTest, AChangeMadeElsewhereMeanwhileIsNeverOverwritten) {
    Machine desk;
    Machine laptop;
    desk.List.Add(DailyRecord(9, 0, "原来的"), true);
    ASSERT_TRUE(Sync(desk, Calendar).Succeeded);
    ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);
    TRmMainDate edited = desk.List.Item(0);
    edited.Message = "台式机改的";
    desk.List.Replace(desk.List.Item(0), 0, edited);
    // Between the desk's listing and its PUT, the laptop's change reaches the server.
    TRmMainDate other = laptop.List.Item(0);
    other.Message = "笔记本改的";
    laptop.List.Replace(laptop.List.Item(0), 0, other);
    SyncOptions race;
    race.During = [&laptop, this](CalDavClient& client) {
        auto answers = std::make_shared<int>(0);
        QObject::connect(&client, &CalDavClient::answered, [answers, &laptop, this] {
            if (++*answers == 1) {
                ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);
            }
        });
    };
    TSyncReport report = Sync(desk, Calendar, race);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Waiting, 1);
    EXPECT_EQ(report.Sent, 0);
    // The next sync sees both changes and keeps both.
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_GE(desk.IndexOf("台式机改的"), 0);
    EXPECT_GE(desk.IndexOf("笔记本改的"), 0);
}

TEST(CalDavFailureTest, AFailingOrSilentServerLeavesEverythingAsItWas) {
    testing::EventLoopApplication();
    for (const QByteArray& reply :
         {QByteArray("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"),
          QByteArray()}) {
        testing::StandInServer server(reply);
        Machine desk;
        desk.List.Add(DailyRecord(9, 0, "晨会"), true);
        SyncOptions quick;
        quick.Timeout = 1000;
        // The event loop keeps running while the server is silent: windows would stay responsive.
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(50);
        const TSyncReport report = Sync(desk, server.Calendar(), quick);
        EXPECT_FALSE(report.Succeeded);
        EXPECT_NE(report.Failure.find(reply.isEmpty() ? "没有回答" : "500"), std::string::npos) << report.Failure;
        if (reply.isEmpty()) {
            EXPECT_GE(ticks, 10);
        }
        EXPECT_EQ(desk.List.Count, 1);
        EXPECT_TRUE(desk.List.Item(0).Uid.empty());
    }
}

TEST(CalDavFailureTest, ACertificateNoSystemTrustsIsRefused) {
    testing::EventLoopApplication();
    RadicaleServer server(true);
    ASSERT_EQ(server.MakeCalendar(QStringLiteral("cal")), 201);
    Machine desk;
    desk.List.Add(DailyRecord(9, 0, "晨会"), true);
    const TSyncReport report = Sync(desk, server.Calendar(QStringLiteral("cal")));
    EXPECT_FALSE(report.Succeeded);
    EXPECT_NE(report.Failure.find("安全连接"), std::string::npos) << report.Failure;
    EXPECT_TRUE(desk.List.Item(0).Uid.empty());
}

TEST(CalDavAddressTest, PlainHttpOnlyToThisMachine) {
    EXPECT_TRUE(AddressRefusal(QUrl(QStringLiteral("https://dav.example.com/"))).isEmpty());
    EXPECT_TRUE(AddressRefusal(QUrl(QStringLiteral("http://127.0.0.1:5232/"))).isEmpty());
    EXPECT_TRUE(AddressRefusal(QUrl(QStringLiteral("http://[::1]:5232/"))).isEmpty());
    EXPECT_TRUE(AddressRefusal(QUrl(QStringLiteral("http://localhost/"))).isEmpty());
    EXPECT_FALSE(AddressRefusal(QUrl(QStringLiteral("http://dav.example.com/"))).isEmpty());
    EXPECT_FALSE(AddressRefusal(QUrl(QStringLiteral("http://127.0.0.1.example.com/"))).isEmpty());
    EXPECT_FALSE(AddressRefusal(QUrl(QStringLiteral("ftp://127.0.0.1/"))).isEmpty());
    EXPECT_EQ(ServerAddressOf(QStringLiteral(" dav.example.com/cal ")).toString(),
              QStringLiteral("https://dav.example.com/cal"));
    EXPECT_EQ(ServerAddressOf(QStringLiteral("127.0.0.1:5232")).toString(), QStringLiteral("http://127.0.0.1:5232"));
}

} // namespace
} // namespace chimewell
