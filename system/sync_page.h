#pragma once
// The settings dialog's page 同步: the calendar server, the user, the password (kept in the desktop's secret
// store, never in config.ini), the calendar chosen from those the server lists or made anew, "立即同步" and the
// time of the last sync. Finding and making calendars go over the network without blocking the dialog.

#include "data/settings.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace chimewell {

class CalDavClient;

struct TSyncPageHooks {
    // Starts a sync with the settings as saved.
    std::function<void()> SyncNow;
    // "上次同步：…" and the last failure.
    std::function<std::string()> StatusText;
};

class TSyncPage : public QWidget {
    Q_OBJECT
public:
    // work: the dialog's copy of the settings, which the controls write into as they change.
    TSyncPage(TRmConfig& work, TSyncPageHooks hooks, QWidget* parent = nullptr);
    ~TSyncPage() override;

    // Shows the settings of `work` (the saved ones, as the dialog opens).
    void ShowSettings();
    // The check of OK: an address the program may not use, or a server without a user or a calendar, is refused
    // with a message; false keeps the dialog open.
    bool Check();
    // Once OK went through: a typed password goes to the secret store.
    void KeepPassword();

    QLineEdit* edtSyncServer;
    QLineEdit* edtSyncUser;
    QLineEdit* edtSyncPassword;
    QComboBox* cbSyncCalendar;
    QPushButton* btnFindCalendars;
    QPushButton* btnNewCalendar;
    QPushButton* btnSyncNow;
    QLabel* lbSyncProgress;
    QLabel* lbLastSync;

public slots:
    void btnFindCalendarsClick();
    void btnNewCalendarClick();
    void btnSyncNowClick();

private:
    // The account as the page shows it; the password typed, or else the one kept, read first.
    void WithAccount(std::function<void(CalDavClient& client)> then);
    void ShowCalendars(const std::vector<std::pair<QString, QString>>& calendars, const QString& choose);
    void AddCalendar(const QString& name, const QString& url);
    // The answer of an operation still wanted, and not a failure (which the page then shows).
    bool Answered(int operation, const QString& failure);
    void ShowProgress(const QString& text);
    void ShowStatus();
    void SetBusy(bool busy);
    // The saved settings are those shown: 立即同步 syncs what is saved.
    bool ShowsSavedSettings() const;

    TRmConfig& Work;
    TSyncPageHooks Hooks;
    TRmConfig Saved;
    QTimer* StatusTimer;
    CalDavClient* Client = nullptr;
    // Answers of an operation the user has since replaced by another are dropped.
    int Operation = 0;
    // Where a new calendar is made: the home the last discovery found.
    QString Home;
};

} // namespace chimewell
