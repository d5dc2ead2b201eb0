#include "system/sync_page.h"

#include "platform/message_box.h"
#include "platform/secret_store.h"
#include "sync/caldav_client.h"
#include "ui/qt_dialog_helpers.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace chimewell {

namespace {

const QString NewCalendarName = QStringLiteral("晴铃提醒");

} // namespace

TSyncPage::TSyncPage(TRmConfig& work, TSyncPageHooks hooks, QWidget* parent)
    : QWidget(parent), Work(work), Hooks(std::move(hooks)), StatusTimer(new QTimer(this)) {
    edtSyncServer = new QLineEdit(this);
    edtSyncServer->setPlaceholderText(QStringLiteral("https://dav.example.com/（留空则不同步）"));
    edtSyncUser = new QLineEdit(this);
    edtSyncPassword = new QLineEdit(this);
    edtSyncPassword->setEchoMode(QLineEdit::Password);
    edtSyncPassword->setPlaceholderText(QStringLiteral("保存在系统的密钥环中"));
    cbSyncCalendar = new QComboBox(this);
    cbSyncCalendar->setMinimumContentsLength(16);
    cbSyncCalendar->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    btnFindCalendars = new QPushButton(QStringLiteral("查找日历[&F]"), this);
    btnNewCalendar = new QPushButton(QStringLiteral("新建日历[&N]"), this);
    btnSyncNow = new QPushButton(QStringLiteral("立即同步[&R]"), this);
    for (QPushButton* button : {btnFindCalendars, btnNewCalendar, btnSyncNow}) {
        button->setAutoDefault(false);
    }
    lbSyncProgress = new QLabel(this);
    lbSyncProgress->setWordWrap(true);
    lbSyncProgress->setVisible(false);
    lbLastSync = new QLabel(this);
    lbLastSync->setWordWrap(true);
    auto* hint = new QLabel(QStringLiteral("提醒与您自己的 CalDAV 日历服务器同步，手机和其他电脑上的日历程序也能看到。"
                                           "只用 https 连接服务器（http 只用于本机上的服务器）。"),
                            this);
    hint->setWordWrap(true);

    auto* calendarButtons = new QHBoxLayout;
    calendarButtons->addStretch(1);
    calendarButtons->addWidget(btnFindCalendars);
    calendarButtons->addWidget(btnNewCalendar);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("服务器地址[&A]："), edtSyncServer);
    form->addRow(QStringLiteral("用户名[&U]："), edtSyncUser);
    form->addRow(QStringLiteral("密码[&P]："), edtSyncPassword);
    auto* calendarLabel = new QLabel(QStringLiteral("日历[&L]："), this);
    calendarLabel->setBuddy(cbSyncCalendar);
    form->addRow(calendarLabel, cbSyncCalendar);
    form->addRow(QString(), calendarButtons);
    auto* syncRow = new QHBoxLayout;
    syncRow->addWidget(btnSyncNow);
    syncRow->addWidget(lbLastSync, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(form);
    layout->addWidget(lbSyncProgress);
    // The sync and its status right under the fields that set it up; the room left stays below.
    layout->addLayout(syncRow);
    layout->addStretch(1);

    connect(edtSyncServer, &QLineEdit::textChanged, this, [this](const QString& text) {
        Work.SyncServer = text.trimmed().toStdString();
        ShowStatus();
    });
    connect(edtSyncUser, &QLineEdit::textChanged, this, [this](const QString& text) {
        Work.SyncUser = text.trimmed().toStdString();
        ShowStatus();
    });
    connect(edtSyncPassword, &QLineEdit::textChanged, this, &TSyncPage::ShowStatus);
    connect(cbSyncCalendar, &QComboBox::currentIndexChanged, this, [this](int index) {
        Work.SyncCalendar = index < 0 ? std::string() : cbSyncCalendar->itemData(index).toString().toStdString();
        ShowStatus();
    });
    connect(btnFindCalendars, &QPushButton::clicked, this, &TSyncPage::btnFindCalendarsClick);
    connect(btnNewCalendar, &QPushButton::clicked, this, &TSyncPage::btnNewCalendarClick);
    connect(btnSyncNow, &QPushButton::clicked, this, &TSyncPage::btnSyncNowClick);
    // The last sync's time and outcome, kept current while the page is open.
    connect(StatusTimer, &QTimer::timeout, this, &TSyncPage::ShowStatus);
    StatusTimer->start(1000);
}

TSyncPage::~TSyncPage() = default;

void TSyncPage::ShowSettings() {
    Saved = Work;
    const TRmConfig shown = Work;
    edtSyncServer->setText(Q(shown.SyncServer));
    edtSyncUser->setText(Q(shown.SyncUser));
    cbSyncCalendar->clear();
    if (!shown.SyncCalendar.empty()) {
        // Its name is the server's; until 查找日历 asks for it, the calendar shows as its path.
        const QUrl calendar(Q(shown.SyncCalendar));
        cbSyncCalendar->addItem(calendar.path(), calendar.toString());
        cbSyncCalendar->setItemData(0, calendar.toString(), Qt::ToolTipRole);
    }
    Work.SyncCalendar = shown.SyncCalendar;
    ShowStatus();
}

bool TSyncPage::ShowsSavedSettings() const {
    return SyncConfigured(Saved) && Work.SyncServer == Saved.SyncServer && Work.SyncUser == Saved.SyncUser &&
           Work.SyncCalendar == Saved.SyncCalendar && edtSyncPassword->text().isEmpty();
}

void TSyncPage::ShowStatus() {
    lbLastSync->setText(Hooks.StatusText && SyncConfigured(Saved) ? Q(Hooks.StatusText())
                                                                  : QStringLiteral("未设置同步。"));
}

void TSyncPage::ShowProgress(const QString& text) {
    lbSyncProgress->setText(text);
    // No empty line between the fields and 立即同步 while there is nothing to say.
    lbSyncProgress->setVisible(!text.isEmpty());
}

void TSyncPage::SetBusy(bool busy) {
    btnFindCalendars->setEnabled(!busy);
    btnNewCalendar->setEnabled(!busy);
}

void TSyncPage::WithAccount(std::function<void(CalDavClient& client)> then) {
    TDavAccount account;
    account.Server = ServerAddressOf(edtSyncServer->text());
    account.User = edtSyncUser->text().trimmed();
    if (account.Server.isEmpty() || account.User.isEmpty()) {
        ShowProgress(QStringLiteral("请先填写服务器地址和用户名。"));
        return;
    }
    if (const QString refusal = AddressRefusal(account.Server); !refusal.isEmpty()) {
        ShowProgress(refusal);
        return;
    }
    const int operation = ++Operation;
    auto start = [this, operation, then](TDavAccount withPassword) {
        if (operation != Operation) {
            return;
        }
        if (Client != nullptr) {
            // Its requests may still be answering: it goes once they have.
            Client->deleteLater();
        }
        Client = new CalDavClient(std::move(withPassword), this);
        then(*Client);
    };
    if (!edtSyncPassword->text().isEmpty()) {
        account.Password = edtSyncPassword->text();
        start(account);
        return;
    }
    SetBusy(true);
    QPointer<TSyncPage> self(this);
    InstalledSecretStore().Read(
        SyncPasswordName(account.User.toStdString(), edtSyncServer->text().trimmed().toStdString()),
        [self, account, start](std::optional<std::string> password, const std::string& failure) mutable {
            if (self.isNull()) {
                return;
            }
            self->SetBusy(false);
            if (!failure.empty() || !password) {
                self->ShowProgress(!failure.empty() ? Q(failure) : QStringLiteral("请填写密码。"));
                return;
            }
            account.Password = Q(*password);
            start(account);
        });
}

void TSyncPage::ShowCalendars(const std::vector<std::pair<QString, QString>>& calendars, const QString& choose) {
    const QString current = choose.isEmpty() ? Q(Work.SyncCalendar) : choose;
    cbSyncCalendar->clear();
    int chosen = -1;
    for (const auto& [name, url] : calendars) {
        AddCalendar(name, url);
        if (url == current) {
            chosen = cbSyncCalendar->count() - 1;
        }
    }
    cbSyncCalendar->setCurrentIndex(chosen >= 0 ? chosen : (cbSyncCalendar->count() > 0 ? 0 : -1));
}

void TSyncPage::AddCalendar(const QString& name, const QString& url) {
    cbSyncCalendar->addItem(name + QStringLiteral("（") + QUrl(url).path() + QStringLiteral("）"), url);
    cbSyncCalendar->setItemData(cbSyncCalendar->count() - 1, url, Qt::ToolTipRole);
}

bool TSyncPage::Answered(int operation, const QString& failure) {
    if (operation != Operation) {
        return false;
    }
    SetBusy(false);
    if (!failure.isEmpty()) {
        ShowProgress(failure);
        return false;
    }
    return true;
}

void TSyncPage::btnFindCalendarsClick() {
    WithAccount([this](CalDavClient& client) {
        SetBusy(true);
        ShowProgress(QStringLiteral("正在查找日历…"));
        const int operation = Operation;
        client.DiscoverCalendars(
            [this, operation](const std::vector<TCalendarChoice>& calendars, const QUrl& home, const QString& failure) {
                if (!Answered(operation, failure)) {
                    return;
                }
                Home = home.toString();
                std::vector<std::pair<QString, QString>> shown;
                for (const TCalendarChoice& calendar : calendars) {
                    shown.emplace_back(calendar.Name, calendar.Url.toString());
                }
                ShowCalendars(shown, {});
                ShowProgress(calendars.empty() ? QStringLiteral("服务器上还没有日历：可以按“新建日历”新建一个。")
                                               : QStringLiteral("找到 %1 个日历，请选择一个。").arg(calendars.size()));
            });
    });
}

void TSyncPage::btnNewCalendarClick() {
    WithAccount([this](CalDavClient& client) {
        SetBusy(true);
        const int operation = Operation;
        auto create = [this, operation, &client](const QUrl& home) {
            ShowProgress(QStringLiteral("正在新建日历…"));
            client.CreateCalendar(
                home, NewCalendarName, [this, operation](const QUrl& calendar, const QString& failure) {
                    if (!Answered(operation, failure)) {
                        return;
                    }
                    AddCalendar(NewCalendarName, calendar.toString());
                    cbSyncCalendar->setCurrentIndex(cbSyncCalendar->count() - 1);
                    ShowProgress(QStringLiteral("已新建日历“%1”，按“确定”后开始同步。").arg(NewCalendarName));
                });
        };
        if (!Home.isEmpty()) {
            create(QUrl(Home));
            return;
        }
        ShowProgress(QStringLiteral("正在查找日历的位置…"));
        client.DiscoverCalendars(
            [this, operation, create](const std::vector<TCalendarChoice>&, const QUrl& home, const QString& failure) {
                if (operation != Operation) {
                    return;
                }
                if (!failure.isEmpty() || home.isEmpty()) {
                    SetBusy(false);
                    ShowProgress(failure.isEmpty() ? QStringLiteral("服务器没有告诉日历放在哪里。") : failure);
                    return;
                }
                Home = home.toString();
                create(home);
            });
    });
}

void TSyncPage::btnSyncNowClick() {
    if (!SyncConfigured(Saved) && !SyncConfigured(Work)) {
        ShowProgress(QStringLiteral("请先填写服务器地址和用户名，选好日历，按“确定”保存。"));
        return;
    }
    if (!ShowsSavedSettings() || !Hooks.SyncNow) {
        ShowProgress(QStringLiteral("同步设置改过了：按“确定”保存后，才按新的设置同步。"));
        return;
    }
    Hooks.SyncNow();
    ShowProgress(QString());
    ShowStatus();
}

bool TSyncPage::Check() {
    if (Work.SyncServer.empty()) {
        return true;
    }
    const QUrl server = ServerAddressOf(Q(Work.SyncServer));
    QString refusal = AddressRefusal(server);
    if (refusal.isEmpty() && Work.SyncUser.empty()) {
        refusal = QStringLiteral("同步需要用户名。");
    }
    if (refusal.isEmpty() && Work.SyncCalendar.empty()) {
        refusal = QStringLiteral("请按“查找日历”选择一个日历，或按“新建日历”新建一个。");
    }
    if (refusal.isEmpty()) {
        refusal = AddressRefusal(QUrl(Q(Work.SyncCalendar)));
    }
    if (!refusal.isEmpty()) {
        ShowMessageBox(MessageKind::Information, "同步", refusal.toStdString());
        return false;
    }
    return true;
}

void TSyncPage::KeepPassword() {
    const std::string before = SyncPasswordName(Saved.SyncUser, Saved.SyncServer);
    const std::string now = SyncPasswordName(Work.SyncUser, Work.SyncServer);
    if (!Saved.SyncServer.empty() && (Work.SyncServer.empty() || before != now)) {
        // Sync switched off, or another account: the old password is not kept behind the user's back.
        InstalledSecretStore().Remove(before, [](const std::string&) {});
    }
    if (Work.SyncServer.empty()) {
        return;
    }
    if (const QString password = edtSyncPassword->text(); !password.isEmpty()) {
        InstalledSecretStore().Write(
            SyncPasswordName(Work.SyncUser, Work.SyncServer), password.toStdString(), [](const std::string& failure) {
                if (!failure.empty()) {
                    ShowMessageBox(MessageKind::Information, "同步", failure + "密码没有保存，同步无法进行。");
                }
            });
    }
}

} // namespace chimewell
