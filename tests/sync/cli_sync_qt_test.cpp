// chimewell-cli sync: a dry run tells what a sync would do and changes nothing; a real one does it.

#include "cli/commands.h"
#include "data/constants.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"
#include "radicale_server.h"
#include "sample_record.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <filesystem>
#include <iostream>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

namespace chimewell {
namespace {

using testing::RadicaleServer;

struct CliRun {
    int Status = 0;
    std::string Out;
    std::string Err;
};

CliRun Cli(const std::vector<std::string>& arguments, const std::string& input) {
    std::istringstream in(input);
    std::streambuf* keptInput = std::cin.rdbuf(in.rdbuf());
    std::ostringstream out;
    std::ostringstream err;
    CliRun run;
    cli::UseSync(cli::RunSync);
    run.Status = cli::RunCommandLine(arguments, out, err);
    std::cin.rdbuf(keptInput);
    run.Out = out.str();
    run.Err = err.str();
    return run;
}

std::string Bytes(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

// The folder's settings name the server's calendar "cal", and its list holds one reminder.
void SetUpSync(const testing::TempFolder& folder, const RadicaleServer& server) {
    TIniFile config(folder.File("config.ini"), std::string());
    config.WriteString("Config", "SyncServer", server.Root().toString().toStdString());
    config.WriteString("Config", "SyncUser", RadicaleServer::User);
    config.WriteString("Config", "SyncCalendar", server.Calendar(QStringLiteral("cal")).toString().toStdString());
    config.UpdateFile();
    TRmDataList list;
    list.Reset(folder.File("reminddata.sdt"));
    list.Add(testing::DailyRecord(9, 0, "晨会"), true);
}

TEST(CliSyncTest, ADryRunChangesNothingAndARealRunSyncs) {
    testing::EventLoopApplication();
    RadicaleServer server;
    ASSERT_EQ(server.MakeCalendar(QStringLiteral("cal")), 201);
    testing::TempFolder folder;
    const std::string password = std::string(RadicaleServer::Password) + "\n";

    // Not set up: told so, nothing touched.
    CliRun run = Cli({"sync", "--dir", folder.Folder(), "--password-stdin"}, password);
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("not set up"), std::string::npos) << run.Err;

    SetUpSync(folder, server);
    {
        TRmDataList list;
        list.Reset(folder.File("reminddata.sdt"));
        list.Load();
        TRmMainDate lunar = testing::DatedRecord(0, 1, 1, 8, 0, "春节");
        lunar.IsLunar = true;
        list.Add(lunar, true);
    }
    const std::string data = Bytes(folder.File("reminddata.sdt"));

    run = Cli({"sync", "--dir", folder.Folder(), "--dry-run", "--password-stdin"}, password);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("发送新事件 “晨会”"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("发送新事件 “春节”"), std::string::npos) << run.Out;
    EXPECT_EQ(Bytes(folder.File("reminddata.sdt")), data);
    EXPECT_FALSE(std::filesystem::exists(folder.File("syncstate.ini")));

    run = Cli({"sync", "--dir", folder.Folder(), "--password-stdin"}, password);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("发送到服务器 2 条"), std::string::npos) << run.Out;
    EXPECT_TRUE(std::filesystem::exists(folder.File("syncstate.ini")));
    run = Cli({"sync", "--dir", folder.Folder(), "--dry-run", "--password-stdin"}, password);
    EXPECT_EQ(run.Out, "没有要同步的变化。\n");

    // A sync with nothing to do leaves both files untouched, so that nothing watching them wakes (once the run
    // after the first has learnt the calendar's new sync token, which the first run's own sending moved on).
    run = Cli({"sync", "--dir", folder.Folder(), "--password-stdin"}, password);
    ASSERT_EQ(run.Status, 0) << run.Err;
    const auto stamp = [&folder](const char* name) {
        struct stat info {};
        stat(folder.File(name).c_str(), &info);
        return std::pair(info.st_ino, info.st_mtim.tv_nsec + info.st_mtim.tv_sec * 1000000000LL);
    };
    const auto dataBefore = stamp("reminddata.sdt");
    const auto stateBefore = stamp("syncstate.ini");
    run = Cli({"sync", "--dir", folder.Folder(), "--password-stdin"}, password);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(stamp("reminddata.sdt"), dataBefore);
    EXPECT_EQ(stamp("syncstate.ini"), stateBefore);

    // A wrong password: exit status 1 and the reason.
    run = Cli({"sync", "--dir", folder.Folder(), "--password-stdin"}, "wrong\n");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("401"), std::string::npos) << run.Err;
}

TEST(CliSyncTest, AnAddressTheProgramRefusesEndsAtOnceWithTheReason) {
    testing::EventLoopApplication();
    testing::TempFolder folder;
    // The program's own runs take a tenth of a second, under the sanitizers too; a run that waits for an end
    // that was signalled before it began waiting never ends.
    constexpr int limit = 3000;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(folder.Folder()));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(folder.File("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(folder.File("data")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), QString::fromStdString(folder.File("cache")));
    for (const std::string server : {"http://vm:9/", "ftp://127.0.0.1/"}) {
        TIniFile config(folder.File("config.ini"), std::string());
        config.WriteString("Config", "SyncServer", server);
        config.WriteString("Config", "SyncUser", "alice");
        config.WriteString("Config", "SyncCalendar", server + "alice/cal/");
        config.UpdateFile();
        for (const bool dryRun : {false, true}) {
            SCOPED_TRACE(server + (dryRun ? " --dry-run" : ""));
            QStringList arguments{QStringLiteral("sync"), QStringLiteral("--dir"),
                                  QString::fromStdString(folder.Folder()), QStringLiteral("--password-stdin")};
            if (dryRun) {
                arguments.push_back(QStringLiteral("--dry-run"));
            }
            QProcess cli;
            cli.setProcessEnvironment(environment);
            QElapsedTimer clock;
            clock.start();
            cli.start(QStringLiteral(CHIMEWELL_CLI), arguments);
            cli.write("secret\n");
            cli.closeWriteChannel();
            if (!cli.waitForFinished(limit)) {
                cli.kill();
                cli.waitForFinished();
                ADD_FAILURE() << "still running after " << limit << " ms";
                continue;
            }
            EXPECT_LT(clock.elapsed(), limit);
            EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(cli.exitCode(), 1);
            EXPECT_NE(cli.readAllStandardError().indexOf("https"), -1);
        }
    }
}

// The real chimewell-cli, as a user for whom a read-only folder is one (root is not). That user may not enter
// the checkout (a clone in a private home folder): it runs a copy in a temporary folder everyone can reach.
class UnprivilegedCli {
public:
    UnprivilegedCli() {
        namespace fs = std::filesystem;
        Program = Folder.File("chimewell-cli");
        fs::copy_file(CHIMEWELL_CLI, Program);
        // The sync's helper beside it, as a build and a portable copy have it.
        fs::copy_file(CHIMEWELL_CLI_SYNC, Folder.File("chimewell-cli-sync"));
        fs::permissions(Folder.File("chimewell-cli-sync"), fs::perms::owner_all | fs::perms::group_read |
                                                               fs::perms::group_exec | fs::perms::others_read |
                                                               fs::perms::others_exec);
        fs::permissions(Folder.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                           fs::perms::others_read | fs::perms::others_exec);
        fs::permissions(Program, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
        if (geteuid() != 0) {
            return;
        }
        if (getpwnam("nobody") == nullptr) {
            Unusable = "this machine has no user \"nobody\" to run it as";
            return;
        }
        if (Run({QStringLiteral("--version")}, "").Status != 0) {
            Unusable = "the user \"nobody\" cannot run " + Program + " (the temporary folder is not open to it)";
        }
    }
    // Empty when the runs below are what they claim.
    std::string Unusable;

    CliRun Run(const QStringList& arguments, const std::string& input) const {
        QProcess process;
        QStringList command = arguments;
        command.prepend(QString::fromStdString(Program));
        if (geteuid() == 0) {
            command = QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--")} + command;
            process.start(QStringLiteral("runuser"), command);
        } else {
            process.start(command.takeFirst(), command);
        }
        process.write(QByteArray::fromStdString(input));
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitCode(), process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }

private:
    testing::TempFolder Folder;
    std::string Program;
};

TEST(CliSyncTest, AReadOnlyFolderLosesNothing) {
    testing::EventLoopApplication();
    const UnprivilegedCli unprivileged;
    if (!unprivileged.Unusable.empty()) {
        GTEST_SKIP() << "Skipped: " << unprivileged.Unusable;
    }
    RadicaleServer server;
    ASSERT_EQ(server.MakeCalendar(QStringLiteral("cal")), 201);
    testing::TempFolder folder;
    const std::string password = std::string(RadicaleServer::Password) + "\n";
    SetUpSync(folder, server);
    const QByteArray event = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//curl//EN\r\nBEGIN:VEVENT\r\nUID:phone-2\r\n"
                             "DTSTAMP:20261201T000000Z\r\nDTSTART:20270115T013000Z\r\nSUMMARY:手机上加的\r\n"
                             "END:VEVENT\r\nEND:VCALENDAR\r\n";
    ASSERT_EQ(server.Curl(QStringLiteral("PUT"), server.Calendar(QStringLiteral("cal")).resolved(QUrl("phone-2.ics")),
                          event, {QStringLiteral("Content-Type: text/calendar")}),
              201);
    namespace fs = std::filesystem;
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                               fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    for (const char* name : {"config.ini", "reminddata.sdt"}) {
        fs::permissions(folder.File(name), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    // The data folder is open to the other user, read-only.
    fs::permissions(folder.Path(), readOnly);
    const std::string data = Bytes(folder.File("reminddata.sdt"));

    CliRun run = unprivileged.Run({QStringLiteral("sync"), QStringLiteral("--dir"),
                                   QString::fromStdString(folder.Folder()), QStringLiteral("--password-stdin")},
                                  password);
    EXPECT_EQ(run.Status, 1) << run.Out;
    EXPECT_NE(run.Err.find("Unable to write"), std::string::npos) << run.Err;
    EXPECT_EQ(Bytes(folder.File("reminddata.sdt")), data);
    EXPECT_FALSE(fs::exists(folder.File("syncstate.ini")));

    // Writable again: the event comes in, and this side's reminder goes out.
    fs::permissions(folder.Path(), fs::perms::owner_all);
    fs::permissions(folder.File("reminddata.sdt"), fs::perms::owner_read | fs::perms::owner_write);
    run = Cli({"sync", "--dir", folder.Folder(), "--password-stdin"}, password);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("本机添加 1 条"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("发送到服务器 1 条"), std::string::npos) << run.Out;
}

} // namespace
} // namespace chimewell
