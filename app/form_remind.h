#pragma once
// The main window: the reminder list, the notification-area icon with its menu, the main menu, and the
// timers that drive the runtime core. It lives for the whole run.

#include "data/reminder_list.h"
#include "data/settings.h"
#include "runtime/pause.h"
#include "runtime/remind_runtime.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>

class QAction;
class QThreadPool;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace chimewell {

class FileWatcher;
class NotificationAreaIcon;
class ReminderNotifications;
class SyncController;
class TfrmRemindBox;
class TfrmMonthCalendar;
class TRecordListView;
class TQuickAddBar;
class TfrmQuickAdd;
class TfrmSearch;
struct TExchangeCommands;
struct TRecordCommands;

class TfrmRemind : public QMainWindow {
    Q_OBJECT
public:
    // appPath: the folder the program keeps its files in, ending in "/"; executablePath: the program's file.
    // trayAvailable: nothing to follow the desktop's notification area as it comes and goes; a value pins it
    // (tests).
    TfrmRemind(const std::string& appPath, const std::string& executablePath,
               std::optional<bool> trayAvailable = std::nullopt);
    ~TfrmRemind() override;

    // The tray's start-up question: whether the main window is to be shown at start.
    bool ShowAtStart() const;
    // Shows the window at start when ShowAtStart says so, placed on the screens there are.
    void ShowIfWanted();
    // A notification area shows the program's icon now.
    bool TrayAvailable() const;
    void RefreshRecordList();
    // Expired reminders are drawn grey; the minute tick redraws them when the day changes.
    void MarkExpiredLines();
    // The search window's requests: posted, so they run after the sender's handler has returned.
    void PostSearchRequest(int code, int argument);
    void ShowMainWindow();
    void HideMainWindow();
    // Runs the search again in the search window, when it is showing.
    void DoSearch();
    // Docks the search window at this window's right edge, when it is showing and docking is ticked.
    void FollowMainForm();
    // The selected line of the record list, -1 when none is.
    int SelectedIndex() const;

    TRmConfig Config;
    TRmDataList List;
    std::unique_ptr<TRmRuntime> Runtime;
    TfrmRemindBox* RemindBox = nullptr;
    // Made by the first search and kept, hidden between searches, until the program ends.
    TfrmSearch* frmSearch = nullptr;
    // Made when first opened and kept, hidden between uses, until the program ends.
    TfrmMonthCalendar* frmMonthCalendar = nullptr;
    // The calendar sync; idle unless the settings name a server.
    SyncController* Sync = nullptr;
    std::string AppPath;
    std::string ExecutablePath;
    // The folder of the executable, where (or under whose ../share/chimewell) the help and the skins lie.
    std::string ExecutableFolder;
    bool Exiting = false;
    bool TrackGeometry = false;

    // Single-shot, aimed at the first second of each next minute: the tick's work runs once a minute, and an idle
    // program wakes no more often than that.
    QTimer trOneSecond;
    QTimer trShowTip;
    // Ends a pause of a chosen length.
    QTimer trPauseEnd;
    // The lengths of a pause, under popPauseRemind, and the item that ends one.
    QMenu* popPauseMenu = nullptr;
    QAction* popResumeRemind = nullptr;
    bool Paused = false;
    std::optional<TDateTime> PausedUntil;
    NotificationAreaIcon* ttiRemindTray = nullptr;
    TRecordListView* lstRecordList = nullptr;
    // 快速添加 at the top of the list, and its window of its own for the tray menu and the month window, made
    // when first opened and kept until the program ends.
    TQuickAddBar* barQuickAdd = nullptr;
    TfrmQuickAdd* frmQuickAdd = nullptr;
    QAction* nmQuickAdd = nullptr;
    QAction* popQuickAdd = nullptr;
    QPushButton* btnAddRecord = nullptr;
    QPushButton* btnViewRecord = nullptr;
    QPushButton* btnEditRecord = nullptr;
    QPushButton* btnDeleteRecord = nullptr;
    QPushButton* btnSearchRecord = nullptr;
    QPushButton* btnOpenHelpFile = nullptr;
    // Without a parent: the main window is disabled while a reminder shows, and the tray menu must not be.
    std::unique_ptr<QMenu> popRemindMenu;
    QMenu* mnSoft = nullptr;
    QPushButton* btnOpenAbout = nullptr;
    QPushButton* btnMonthCalendar = nullptr;
    QAction* nmMonthCalendar = nullptr;
    QAction* popMonthCalendar = nullptr;
    QAction* nmAddRecord = nullptr;
    QAction* nmViewRecord = nullptr;
    QAction* nmModifyRecord = nullptr;
    QAction* nmDeleteRecord = nullptr;
    QAction* nmCopyRecord = nullptr;
    QAction* nmMoveUpRecord = nullptr;
    QAction* nmMoveDownRecord = nullptr;
    // The list's own context menu: the commands on one reminder.
    QMenu* popRecordMenu = nullptr;
    QAction* nmSearchRecord = nullptr;
    QAction* nmDeleteOldRecord = nullptr;
    QAction* nmExportRecord = nullptr;
    QAction* nmImportRecord = nullptr;
    QMenu* nmSortRecord = nullptr;
    QAction* popShowHideMain = nullptr;
    QAction* popPauseRemind = nullptr;
    QAction* popCloseWindow = nullptr;
    // Closes the showing reminder and all that wait behind it; only while some wait.
    QAction* popCloseAll = nullptr;
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
    QAction* nmSystemSet = nullptr;
    QAction* nmOpenAbout = nullptr;

public slots:
    void trOneSecondTimer();
    void trShowTipTimer();
    // Pauses until resumed, or resumes: the tray item's click.
    void popPauseRemindClick();
    // Pauses for a chosen length, after the question; ends by itself when the length is over.
    void PauseFor(PauseLength length);
    void ResumeReminding();
    // A pause whose end has come ends (the pause timer, and the machine waking up).
    void trPauseEndTimer();
    // The machine woke from suspend: the reminders are checked at once.
    void SystemResumed();
    void popCloseWindowClick();
    void popCloseAllClick();
    void popShowHideMainClick();
    void popOpenRunClick();
    void popOpenAboutClick();
    void mnHideFormClick();
    void nmExitSoftClick();
    void nmHelpFileClick();
    void nmOpenWebSiteClick();
    void nmBugReportClick();
    void nmSystemSetClick();
    void ttiRemindTrayActivated();
    void btnAddRecordClick();
    void btnViewRecordClick();
    void btnEditRecordClick();
    void btnDeleteRecordClick();
    void nmCopyRecordClick();
    void nmMoveUpRecordClick();
    void nmMoveDownRecordClick();
    void btnSearchRecordClick();
    void nmDeleteOldRecordClick();
    // Shows the window with the keyboard in 快速添加 (Ctrl+K).
    void nmQuickAddClick();
    // 快速添加 in its own window, started with a text (the month window's chosen day) or as last left.
    void OpenQuickAdd(const std::string& text = {});
    // Opens the month window 月历 on today.
    void nmMonthCalendarClick();
    void nmExportRecordClick();
    void nmImportRecordClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void CreateMenus();
    void CreateTray(std::optional<bool> trayAvailable);
    // The notification area came or went: without one, the window stays reachable and the tray's own
    // commands join the main menu.
    void TrayAvailabilityChanged(bool available);
    // The configured skin, when it can be read; the list's font and colour, which no skin overrides.
    void ApplySkin();
    // The calendar sync, following the settings, the list's changes and the machine's waking.
    void StartSync();
    void ApplyListFont();
    void HandleSearchRequest(int code, int argument);
    // The seven buttons down the right-hand side, and the menus of the record commands.
    void CreateButtonColumn(QVBoxLayout* column, QWidget* parent);
    void CreateRecordMenus();
    // A quick-add line adds through the record commands, its dialogs over `owner` (the main window when none).
    void ConnectQuickAdd(TQuickAddBar& bar, QWidget* owner);
    void CreateExchangeMenuItems(QMenu* recordMenu);
    // The record commands with their dialogs over `owner` (the main window when none is given).
    TRecordCommands RecordCommands(QWidget* owner = nullptr);
    TExchangeCommands ExchangeCommands();
    ReminderWindowSeam ReminderWindow();
    void CreatePauseMenu();
    // Files another program may change while the program runs: the reminders, the holiday schedule, and the
    // time zone. Looked at when a watch tells of a change and at every tick.
    void WatchOutsideChanges();
    void CheckOutsideChanges();
    // The list was read again from the file (or can no longer be read).
    void ListChangedOnDisk();
    // The user chooses between the list and a version of the data file that looked destroyed.
    void AskAboutRefusedVersion();
    // The postponements still to come, into their file.
    void KeepSnoozes();
    // The Reminded marks go to the data file off the window's thread, one write at a time: marks made while one
    // is being written wait for it. At the end, the write in flight is waited for and what is left written.
    void WriteRemindedMarks();
    void RemindedMarksWritten(const TRemindedMarks& marks, const TRemindedWritten& written, const std::string& failure);
    void FinishRemindedMarks();
    // Gives the memory a long list's reading or writing freed back to the system.
    static void ReturnFreedMemory();
    QThreadPool* MarksWriter = nullptr;
    bool WritingMarks = false;
    // The settings' 提醒方式 and 重复播放提醒音乐直到关闭, applied to the reminder window.
    void ApplyRemindMode();
    std::string SnoozeFilePath() const;
    void FollowSystemSleep();
    void AimNextTick();
    void ShowPauseState();

    // The window was shown at start only because there was no notification area.
    bool ShownForLackOfTray = false;
    // A Wayland client can neither know nor choose its place: only the size is kept there.
    bool TrackPosition = true;
    // The day the expired lines were last marked for.
    TDateTime MarkedDay = 0;
    FileWatcher* OutsideFiles = nullptr;
    // The pause the tray's icon shows; none before it was first set.
    std::optional<bool> ShownPaused;
    // The desktop's notifications; none in tests, which leave the session bus alone.
    ReminderNotifications* Notifications = nullptr;
    TFileStamp HolidayFileStamp;
    // The data file's read failure last told to the user.
    std::string ToldLoadFailure;
};

} // namespace chimewell
