#include "app/sync_controller.h"

#include "calendar/clock.h"
#include "data/file_io.h"
#include "data/reminder_list.h"
#include "platform/message_box.h"
#include "platform/secret_store.h"
#include "sync/caldav_client.h"
#include "sync/sync_run.h"

#include <QPointer>

#include <utility>

namespace chimewell {

SyncController::SyncController(TRmDataList& list, std::string stateFolder, QObject* parent)
    : QObject(parent), List(list), StateFolder(std::move(stateFolder)) {
    AfterChange.setSingleShot(true);
    connect(&AfterChange, &QTimer::timeout, this, &SyncController::Begin);
}

SyncController::~SyncController() {
    // A run cut short leaves its state file as its last save wrote it; the next run takes up the rest.
    delete Current;
}

void SyncController::Configure(const TRmConfig& config) {
    const bool changed = config.SyncServer != Config.SyncServer || config.SyncUser != Config.SyncUser ||
                         config.SyncCalendar != Config.SyncCalendar;
    Config = config;
    // The settings' OK may have changed the password too: it is asked for again, and a new client takes it.
    KnownPassword.reset();
    if (Current == nullptr) {
        Client.reset();
    }
    if (!SyncConfigured(Config)) {
        LastSync.clear();
        StoredFailure.clear();
        AfterChange.stop();
        LastFailure.clear();
        TellStatus();
        return;
    }
    ReadStatus();
    AimNextPeriodic();
    if (changed) {
        AfterChange.start(AfterChangeMilliseconds);
    }
}

void SyncController::DataFileMayHaveChanged() {
    if (SyncConfigured(Config) && FileStampOf(List.FileName) != SyncedStamp) {
        AfterChange.start(AfterChangeMilliseconds);
    }
}

void SyncController::SyncNow() {
    if (SyncConfigured(Config)) {
        AfterChange.start(0);
    }
}

void SyncController::SyncSoon() {
    // After waking, the network often comes back a few seconds after the machine.
    if (SyncConfigured(Config)) {
        AfterChange.start(AfterChangeMilliseconds);
    }
}

void SyncController::AimNextPeriodic() {
    NextPeriodic = Now() + PeriodMilliseconds / 86'400'000.0;
}

void SyncController::MinuteTick() {
    if (!SyncConfigured(Config)) {
        return;
    }
    const TDateTime now = Now();
    // A clock set back would otherwise hold the next run off by as much.
    if (now >= NextPeriodic || NextPeriodic - now > PeriodMilliseconds / 86'400'000.0) {
        Begin();
    }
}

void SyncController::TellStatus() {
    // Told only when something shown changes: each quarter hour's sync leaves the tray alone.
    const std::string now = StatusText();
    if (now != ToldStatus) {
        ToldStatus = now;
        emit statusChanged();
    }
}

void SyncController::ReadStatus() {
    std::string failure;
    const TSyncState state = LoadSyncState(StateFolder + std::string(SyncStateFileName), failure);
    LastSync = state.LastSync;
    StoredFailure = !failure.empty() ? failure : state.LastError;
}

std::string SyncController::StatusText() const {
    if (Running()) {
        return "正在同步…" + (LastSync.empty() ? std::string() : "（上次同步：" + LastSync + "）");
    }
    std::string text = LastSync.empty() ? "还没有同步过。" : "上次同步：" + LastSync;
    const std::string& why = !LastFailure.empty() ? LastFailure : StoredFailure;
    if (!why.empty()) {
        text += "\n同步失败：" + ShownFailureText(why);
    }
    return text;
}

void SyncController::Begin() {
    if (!SyncConfigured(Config)) {
        return;
    }
    if (Running()) {
        Again = true;
        return;
    }
    // Whatever started this run, the next of its own comes a quarter of an hour later.
    AimNextPeriodic();
    if (KnownPassword) {
        // Asked of the secret store once: every quarter hour's sync needs no look-up.
        BeginWithPassword(*KnownPassword);
        return;
    }
    const std::string server = Config.SyncServer;
    QPointer<SyncController> self(this);
    // Running while the secret store is asked, so that a second start waits behind this one.
    AskingPassword = true;
    InstalledSecretStore().Read(SyncPasswordName(Config.SyncUser, server), [self](std::optional<std::string> password,
                                                                                  const std::string& failure) {
        if (self.isNull()) {
            return;
        }
        self->AskingPassword = false;
        if (!failure.empty() || !password) {
            self->LastFailure = !failure.empty() ? failure : "密钥环里没有这个账户的密码，请在软件设置的“同步”页填写。";
            self->TellStatus();
            if (std::exchange(self->Again, false)) {
                self->AfterChange.start(0);
            }
            return;
        }
        self->KnownPassword = *password;
        self->BeginWithPassword(*password);
    });
}

void SyncController::BeginWithPassword(const std::string& password) {
    TSyncSettings settings;
    settings.Account.Server = ServerAddressOf(QString::fromStdString(Config.SyncServer));
    settings.Account.User = QString::fromStdString(Config.SyncUser);
    settings.Account.Password = QString::fromStdString(password);
    settings.Account.TimeoutMilliseconds = TimeoutMilliseconds;
    settings.Calendar = QUrl(QString::fromStdString(Config.SyncCalendar));
    settings.StatePath = StateFolder + std::string(SyncStateFileName);
    settings.BeginWithSunday = Config.BeginWithSunday;
    settings.AgreeToCommands = [](const std::string& question) {
        return IsAffirmative(ShowMessageBox(MessageKind::YesNo, "同步：带命令的提醒", question));
    };
    settings.AgreeToDeletions = [](const std::string& question) {
        return IsAffirmative(ShowMessageBox(MessageKind::YesNo, "同步：服务器上少了很多提醒", question));
    };
    // One client for the program's run: no new network machinery every quarter of an hour.
    if (!Client || Client->Account().Server != settings.Account.Server ||
        Client->Account().User != settings.Account.User || Client->Account().Password != settings.Account.Password ||
        Client->Account().TimeoutMilliseconds != settings.Account.TimeoutMilliseconds) {
        Client = std::make_unique<CalDavClient>(settings.Account);
    }
    Current = new SyncRun(std::move(settings), List, Client.get(), this);
    connect(Current, &SyncRun::finished, this, &SyncController::Finished, Qt::QueuedConnection);
    TellStatus();
    Current->Start();
}

void SyncController::Finished() {
    SyncRun* run = Current;
    Current = nullptr;
    const TSyncReport report = run->Report();
    run->deleteLater();
    LastFailure = report.Succeeded ? std::string() : report.Failure;
    // What the state file now says, without reading it again.
    if (!report.LastSync.empty()) {
        LastSync = report.LastSync;
    }
    StoredFailure = report.LastError;
    if (!report.Succeeded && report.Failure.find("401") != std::string::npos) {
        // A password that no longer works is asked for anew next time.
        KnownPassword.reset();
    }
    SyncedStamp = FileStampOf(List.FileName);
    if (report.Added + report.Replaced + report.Removed > 0) {
        emit remindersChanged();
    }
    if (!report.Notices.empty()) {
        std::string text;
        for (const std::string& line : report.Notices) {
            text += (text.empty() ? "" : "\n") + line;
        }
        emit notice(QStringLiteral("同步"), QString::fromStdString(text));
    }
    TellStatus();
    if (std::exchange(Again, false)) {
        AfterChange.start(0);
    }
}

} // namespace chimewell
