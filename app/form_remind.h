#pragma once
// The main window: the reminder list, the notification-area icon with its menu, the main menu, and the
// timers that drive the runtime core. It lives for the whole run.

#include "data/reminder_list.h"
#include "data/settings.h"
#include "runtime/remind_runtime.h"

#include <QMainWindow>
#include <QSystemTrayIcon>
#include <QTimer>

#include <memory>
#include <string>

class QAction;
class QListWidget;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace chimewell {

class TfrmRemindBox;
struct TRecordCommands;

// The maker's pages.
inline constexpr const char* MakerWebSite = "https://chimewell.example.org/";
inline constexpr const char* MakerBugReportSite = "https://chimewell.example.org/bugreport";
inline constexpr const char* HelpFileName = "remindhelp.chm";

class TfrmRemind : public QMainWindow {
    Q_OBJECT
public:
    // appPath: the folder the program keeps its files in, ending in "/"; executablePath: the program's file.
    TfrmRemind(const std::string& appPath, const std::string& executablePath, bool trayAvailable);
    ~TfrmRemind() override;

    // The tray's start-up question: whether the main window is to be shown at start.
    bool ShowAtStart() const;
    void RefreshRecordList();
    // The search window's requests: posted, so they run after the sender's handler has returned.
    void PostSearchRequest(int code, int argument);
    void ShowMainWindow();
    void HideMainWindow();
    // Runs the search again in the search window; nothing to do while there is none.
    void DoSearch();
    // The selected line of the record list, -1 when none is.
    int SelectedIndex() const;

    TRmConfig Config;
    TRmDataList List;
    std::unique_ptr<TRmRuntime> Runtime;
    TfrmRemindBox* RemindBox = nullptr;
    std::string AppPath;
    std::string ExecutablePath;
    bool Exiting = false;
    bool TrackGeometry = false;

    QTimer trOneSecond;
    QTimer trShowTip;
    QSystemTrayIcon* ttiRemindTray = nullptr;
    QListWidget* lstRecordList = nullptr;
    QPushButton* btnAddRecord = nullptr;
    QPushButton* btnViewRecord = nullptr;
    QPushButton* btnEditRecord = nullptr;
    QPushButton* btnDeleteRecord = nullptr;
    QPushButton* btnSearchRecord = nullptr;
    QPushButton* btnOpenHelpFile = nullptr;
    QPushButton* btnOpenAbout = nullptr;
    QAction* nmAddRecord = nullptr;
    QAction* nmViewRecord = nullptr;
    QAction* nmModifyRecord = nullptr;
    QAction* nmDeleteRecord = nullptr;
    QAction* nmSearchRecord = nullptr;
    QAction* nmDeleteOldRecord = nullptr;
    QMenu* nmSortRecord = nullptr;
    QMenu* popRemindMenu = nullptr;
    QAction* popShowHideMain = nullptr;
    QAction* popPauseRemind = nullptr;
    QAction* popCloseWindow = nullptr;
    QAction* popOpenRun = nullptr;
    QAction* popHelpFile = nullptr;
    QAction* popBugReport = nullptr;
    QAction* popOpenWebSite = nullptr;
    QAction* popOpenAbout = nullptr;
    QAction* popExitSoft = nullptr;
    QAction* mnHideForm = nullptr;
    QAction* nmExitSoft = nullptr;
    QAction* nmHelpFile = nullptr;
    QAction* nmOpenWebSite = nullptr;
    QAction* nmBugReport = nullptr;

public slots:
    void trOneSecondTimer();
    void trShowTipTimer();
    void popPauseRemindClick();
    void popCloseWindowClick();
    void popShowHideMainClick();
    void popOpenRunClick();
    void popOpenAboutClick();
    void mnHideFormClick();
    void nmExitSoftClick();
    void nmHelpFileClick();
    void nmOpenWebSiteClick();
    void nmBugReportClick();
    void ttiRemindTrayActivated(QSystemTrayIcon::ActivationReason reason);
    void btnAddRecordClick();
    void btnViewRecordClick();
    void btnEditRecordClick();
    void btnDeleteRecordClick();
    void btnSearchRecordClick();
    void nmDeleteOldRecordClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void CreateMenus();
    void CreateTray();
    void ApplySkin();
    void ApplyListFont();
    void HandleSearchRequest(int code, int argument);
    // The seven buttons down the right-hand side, and the menus of the record commands.
    void CreateButtonColumn(QVBoxLayout* column, QWidget* parent);
    void CreateRecordMenus();
    TRecordCommands RecordCommands();
};

} // namespace chimewell
