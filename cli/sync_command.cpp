#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/folder.h"
#include "platform/qt_secret_store.h"
#include "platform/secret_store.h"
#include "sync/sync_run.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace chimewell::cli {

namespace {

// The network and the secret store answer through Qt's event loop; a command line has none of its own.
QCoreApplication& EventLoopApplication() {
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        return *existing;
    }
    static int argc = 1;
    static char name[] = "chimewell-cli";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    return application;
}

std::string StoredPassword(const std::string& user, const std::string& server) {
    InstallDesktopSecretStore();
    std::optional<std::string> password;
    std::string failure;
    bool answered = false;
    QEventLoop loop;
    InstalledSecretStore().Read(SyncPasswordName(user, server),
                                [&](std::optional<std::string> secret, const std::string& why) {
                                    password = std::move(secret);
                                    failure = why;
                                    answered = true;
                                    loop.quit();
                                });
    if (!answered) {
        loop.exec();
    }
    if (!failure.empty()) {
        throw std::runtime_error(failure + " Give the password with --password-stdin.");
    }
    if (!password) {
        throw std::runtime_error("no password is kept for " + user + " at " + server +
                                 ": set it in the program's settings, or give it with --password-stdin");
    }
    return *password;
}

void PrintOutcome(const TSyncReport& report, bool dryRun, std::ostream& out) {
    if (dryRun) {
        const std::vector<std::string> lines = DescribePlan(report.Plan);
        for (const std::string& line : lines) {
            out << line << "\n";
        }
        if (lines.empty()) {
            out << "没有要同步的变化。\n";
        }
        return;
    }
    out << "已同步：本机添加 " << report.Added << " 条，改动 " << report.Replaced << " 条，删除 " << report.Removed
        << " 条；发送到服务器 " << report.Sent << " 条，删除服务器上的 " << report.Deleted << " 条。\n";
    if (report.Waiting > 0) {
        out << report.Waiting << " 条改动在服务器上同时被改过，留到下次同步。\n";
    }
    if (report.DeferredCommands > 0) {
        out << report.DeferredCommands << " 条带命令的提醒要在程序里同意后才取用。\n";
    }
    if (report.DeferredDeletions > 0) {
        out << "服务器上少了 " << report.DeferredDeletions << " 条提醒，超过一半：要在程序里确认后才在本机删除。\n";
    }
    for (const std::string& notice : report.Notices) {
        out << notice << "\n";
    }
}

} // namespace

int RunSync(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const ParsedArguments parsed = ParseArguments(arguments, {"--dry-run", "--password-stdin"}, {"--dir", "--timeout"});
    if (!parsed.Positional.empty()) {
        throw UsageError("sync takes no FILE");
    }
    const int timeoutSeconds = parsed.Values.contains("--timeout")
                                   ? ParseInteger(parsed.Values.at("--timeout"), "--timeout", 1, 3600)
                                   : DefaultDavTimeoutMilliseconds / 1000;
    const std::string folder = DataFolder(parsed);
    LoadedFolder loaded;
    LoadFolder(folder, loaded);
    const TRmConfig& config = loaded.Config;
    if (config.SyncServer.empty() || config.SyncCalendar.empty()) {
        throw std::runtime_error("sync is not set up in " + folder +
                                 ": choose the server and the calendar in the program's settings (软件设置, 同步)");
    }
    EventLoopApplication();
    std::string password;
    if (parsed.Flags.contains("--password-stdin")) {
        std::getline(std::cin, password);
        if (!password.empty() && password.back() == '\r') {
            password.pop_back();
        }
    } else {
        password = StoredPassword(config.SyncUser, config.SyncServer);
    }

    TSyncSettings settings;
    settings.Account.Server = ServerAddressOf(QString::fromStdString(config.SyncServer));
    settings.Account.User = QString::fromStdString(config.SyncUser);
    settings.Account.Password = QString::fromStdString(password);
    settings.Account.TimeoutMilliseconds = timeoutSeconds * 1000;
    settings.Calendar = QUrl(QString::fromStdString(config.SyncCalendar));
    settings.StatePath = folder + std::string(SyncStateFileName);
    settings.BeginWithSunday = config.BeginWithSunday;
    settings.DryRun = parsed.Flags.contains("--dry-run");

    SyncRun run(settings, loaded.List);
    QEventLoop loop;
    QObject::connect(&run, &SyncRun::finished, &loop, &QEventLoop::quit);
    run.Start();
    loop.exec();
    const TSyncReport& report = run.Report();
    if (!report.Succeeded) {
        err << "chimewell-cli: 同步没有完成：" << report.Failure << "\n";
        return 1;
    }
    PrintOutcome(report, settings.DryRun, out);
    return 0;
}

} // namespace chimewell::cli
