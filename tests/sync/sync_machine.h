#pragma once
// A machine that syncs in the tests: its data folder and list, and one sync run of it against a calendar.

#include "data/reminder_list.h"
#include "radicale_server.h"
#include "sync/sync_run.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace chimewell::testing {

// One machine: its data folder and its list.
struct Machine {
    testing::TempFolder Folder;
    TRmDataList List;
    Machine() {
        List.Reset(Folder.File("reminddata.sdt"));
        List.Load();
    }
    std::string StatePath() const { return Folder.File("syncstate.ini"); }
    std::vector<TRmMainDate> Reminders() const {
        std::vector<TRmMainDate> all;
        for (std::int32_t i = 0; i < List.Count; ++i) {
            all.push_back(List.Item(i));
        }
        return all;
    }
    std::int32_t IndexOf(const std::string& message) const {
        for (std::int32_t i = 0; i < List.Count; ++i) {
            if (List.Item(i).Message == message) {
                return i;
            }
        }
        return -1;
    }
};

struct SyncOptions {
    QString Password = QString::fromUtf8(RadicaleServer::Password);
    int Timeout = 10000;
    // The whole run's limit; 0 leaves it as the program sets it.
    int RunTimeLimit = 0;
    bool DryRun = false;
    std::function<bool(const std::string&)> AgreeToCommands = [](const std::string&) { return true; };
    std::function<bool(const std::string&)> AgreeToDeletions;
    // Called with the run's client as the run starts, for tests that interfere with it.
    std::function<void(CalDavClient&)> During;
};

inline TSyncReport Sync(Machine& machine, const QUrl& calendar, const SyncOptions& options = {}) {
    testing::EventLoopApplication();
    TSyncSettings settings;
    settings.Account.Server = calendar;
    settings.Account.User = QString::fromLatin1(RadicaleServer::User);
    settings.Account.Password = options.Password;
    settings.Account.TimeoutMilliseconds = options.Timeout;
    settings.Calendar = calendar;
    settings.StatePath = machine.StatePath();
    settings.DryRun = options.DryRun;
    settings.RunTimeLimitMilliseconds = options.RunTimeLimit;
    settings.AgreeToCommands = options.AgreeToCommands;
    settings.AgreeToDeletions = options.AgreeToDeletions;
    SyncRun run(settings, machine.List);
    if (options.During) {
        options.During(*run.findChild<CalDavClient*>());
    }
    QEventLoop loop;
    QObject::connect(&run, &SyncRun::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    run.Start();
    loop.exec();
    return run.Report();
}

// The reminders as the user set them up, in an order of their own, to compare two machines.
inline std::vector<std::string> Contents(const Machine& machine) {
    std::vector<std::string> all;
    for (const TRmMainDate& record : machine.Reminders()) {
        all.push_back(ReminderDigest(record) + " " + record.Message + " " + record.Uid);
    }
    std::sort(all.begin(), all.end());
    return all;
}

} // namespace chimewell::testing
