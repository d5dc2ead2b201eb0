#include "app/form_remind.h"
#include "app/quick_add_bar.h"
#include "app/record_list_view.h"

#include "app/app_icon.h"
#include "app/application.h"
#include "app/form_month_calendar.h"
#include "app/program_end.h"
#include "app/sync_controller.h"
#include "app/window_geometry.h"
#include "calendar/clock.h"
#include "data/constants.h"
#include "data/file_io.h"
#include "data/holiday_file.h"
#include "data/paths.h"
#include "exchange/search.h"
#include "platform/file_watcher.h"
#include "platform/message_box.h"
#include "platform/notification_area.h"
#include "platform/qt_platform.h"
#include "platform/reminder_notifications.h"
#include "platform/time_zone.h"
#include "runtime/catch_up.h"
#include "runtime/form_remind_box.h"
#include "runtime/next_firing.h"
#include "runtime/snooze_file.h"
#include "system/autorun.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <QToolTip>
#include <QVBoxLayout>
#include <malloc.h>

#include <filesystem>

namespace chimewell {

namespace {
const QString MainCaption = QStringLiteral("晴铃提醒");

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void ShowHolidayProblems(const std::vector<std::string>& problems) {
    std::string text;
    for (const std::string& problem : problems) {
        text += problem + "\n";
    }
    ShowMessageBox(MessageKind::Information, "节假日安排", text);
}

} // namespace

TfrmRemind::TfrmRemind(const std::string& appPath, const std::string& executablePath, std::optional<bool> trayAvailable)
    : AppPath(appPath), ExecutablePath(executablePath),
      ExecutableFolder(executablePath.substr(0, executablePath.rfind('/') + 1)) {
    setObjectName(Q(MainFormName));
    setWindowTitle(MainCaption);
    setWindowIcon(ApplicationIcon());
    setMinimumSize(429, 279);

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    lstRecordList = new TRecordListView(List, central);
    lstRecordList->viewport()->installEventFilter(this);
    barQuickAdd = new TQuickAddBar(Config, central);
    auto* listColumn = new QVBoxLayout();
    listColumn->addWidget(barQuickAdd);
    listColumn->addWidget(lstRecordList, 1);
    layout->addLayout(listColumn, 1);
    auto* buttons = new QVBoxLayout();
    CreateButtonColumn(buttons, central);
    layout->addLayout(buttons);
    setCentralWidget(central);

    CreateMenus();
    CreateRecordMenus();
    CreateTray(trayAvailable);
    // Wayland tells a window neither where it is nor lets it choose; a position read there would be wrong.
    TrackPosition = QGuiApplication::platformName() != QStringLiteral("wayland");
    FormCreate();
    SetProgramEndHook([this] {
        Exiting = true;
        Runtime->StopFiring();
    });
}

TfrmRemind::~TfrmRemind() {
    // A sync still running stops here; what it has not sent goes out at the next start.
    delete Sync;
    Sync = nullptr;
    SetProgramEndHook({});
    trOneSecond.stop();
    trShowTip.stop();
    if (const std::optional<TDateTime> lastChecked = Runtime->LastChecked()) {
        Config.LastCheck = FormatMinute(*lastChecked);
    }
    List.PositionsMoved = {};
    List.ReloadedFromDisk = {};
    List.OutsideVersionRefused = {};
    Runtime->SnoozesChanged = {};
    FinishRemindedMarks();
    try {
        SaveSnoozeFile(SnoozeFilePath(), Runtime->PendingSnoozes());
    } catch (const std::exception& error) {
        ShowGeneralError(ShownFailure(error));
    }
    // The data file needs no more writing: every change went to it when it was made.
    try {
        Config.SaveConfig();
    } catch (const std::exception& error) {
        ShowGeneralError(ShownFailure(error));
    }
    delete frmQuickAdd;
    delete RemindBox;
}

void TfrmRemind::CreateMenus() {
    mnSoft = menuBar()->addMenu(QStringLiteral("软件[&S]"));
    nmSystemSet = mnSoft->addAction(QStringLiteral("软件设置[&T]"), this, &TfrmRemind::nmSystemSetClick);
    mnSoft->addSeparator();
    mnHideForm = mnSoft->addAction(QStringLiteral("隐藏界面[&H]"), this, &TfrmRemind::mnHideFormClick);
    mnSoft->addSeparator();
    nmExitSoft = mnSoft->addAction(QStringLiteral("退出软件[&X]"), this, &TfrmRemind::nmExitSoftClick);
    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("帮助[&H]"));
    nmHelpFile = helpMenu->addAction(QStringLiteral("帮助文件[&H]"), this, &TfrmRemind::nmHelpFileClick);
    nmOpenWebSite = helpMenu->addAction(QStringLiteral("软件说明[&W]"), this, &TfrmRemind::nmOpenWebSiteClick);
    nmBugReport = helpMenu->addAction(QStringLiteral("报告问题[&B]"), this, &TfrmRemind::nmBugReportClick);
    helpMenu->addSeparator();
    nmOpenAbout = helpMenu->addAction(QStringLiteral("关于软件[&A]"), this, &TfrmRemind::popOpenAboutClick);

    popRemindMenu = std::make_unique<QMenu>();
    popShowHideMain = popRemindMenu->addAction(QStringLiteral("显示界面[&M]"), this, &TfrmRemind::popShowHideMainClick);
    popQuickAdd = popRemindMenu->addAction(QStringLiteral("快速添加[&Q]…"), this, [this] { OpenQuickAdd(); });
    popPauseRemind = popRemindMenu->addAction(QStringLiteral("暂停提醒[&P]"), this, &TfrmRemind::popPauseRemindClick);
    popPauseRemind->setCheckable(true);
    CreatePauseMenu();
    popCloseWindow = popRemindMenu->addAction(QStringLiteral("关闭窗口[&C]"), this, &TfrmRemind::popCloseWindowClick);
    popCloseWindow->setEnabled(false);
    popCloseAll = popRemindMenu->addAction(QStringLiteral("全部关闭[&L]"), this, &TfrmRemind::popCloseAllClick);
    popMonthCalendar = popRemindMenu->addAction(QStringLiteral("月历[&Y]"), this, [this] { nmMonthCalendarClick(); });
    popCloseAll->setEnabled(false);
    popOpenRun = popRemindMenu->addAction(QStringLiteral("开机运行[&R]"), this, &TfrmRemind::popOpenRunClick);
    popOpenRun->setCheckable(true);
    popRemindMenu->addSeparator();
    popHelpFile = popRemindMenu->addAction(QStringLiteral("帮助文件[&H]"), this, &TfrmRemind::nmHelpFileClick);
    popBugReport = popRemindMenu->addAction(QStringLiteral("报告问题[&B]"), this, &TfrmRemind::nmBugReportClick);
    popOpenWebSite = popRemindMenu->addAction(QStringLiteral("软件说明[&W]"), this, &TfrmRemind::nmOpenWebSiteClick);
    popOpenAbout = popRemindMenu->addAction(QStringLiteral("关于软件[&A]"), this, &TfrmRemind::popOpenAboutClick);
    popRemindMenu->addSeparator();
    popExitSoft = popRemindMenu->addAction(QStringLiteral("退出软件[&X]"), this, &TfrmRemind::nmExitSoftClick);
}

void TfrmRemind::CreateTray(std::optional<bool> trayAvailable) {
    ttiRemindTray = new NotificationAreaIcon(ApplicationIcon(), MainCaption, popRemindMenu.get(), trayAvailable, this);
    connect(ttiRemindTray, &NotificationAreaIcon::activated, this, &TfrmRemind::ttiRemindTrayActivated);
    connect(ttiRemindTray, &NotificationAreaIcon::availabilityChanged, this, &TfrmRemind::TrayAvailabilityChanged);
    if (!ttiRemindTray->IsAvailable()) {
        TrayAvailabilityChanged(false);
    }
    if (!trayAvailable) {
        // Following the real desktop (tests pin the tray and leave the buses alone).
        FollowSystemSleep();
        Notifications = new ReminderNotifications(QDBusConnection::sessionBus(), this);
        Notifications->SetIconFile(NotificationIconFile());
    }
}

bool TfrmRemind::TrayAvailable() const {
    return ttiRemindTray != nullptr && ttiRemindTray->IsAvailable();
}

void TfrmRemind::TrayAvailabilityChanged(bool available) {
    // The tray's own commands, on the main menu while there is no tray to reach them from.
    for (QAction* action : {popPauseRemind, popOpenRun, popOpenAbout}) {
        mnSoft->removeAction(action);
        if (!available) {
            mnSoft->insertAction(nmExitSoft, action);
        }
    }
    if (available) {
        if (ShownForLackOfTray && Config.HideMainForm && isVisible()) {
            HideMainWindow();
        }
        ShownForLackOfTray = false;
    } else if (Runtime && !isVisible()) {
        // Hidden to a tray that has gone: nothing else would ever bring the window back.
        ShowMainWindow();
    }
}

void TfrmRemind::FormCreate() {
    RemindBox = new TfrmRemindBox();
    RemindBox->setWindowIcon(ApplicationIcon());

    Config.InitDefaults(AppPath, 265, 202, 429, 279);
    Config.LoadConfig();

    // Placed before it is first shown, on the screens there are: the stored geometry may come from a screen
    // that is gone, or from a hand-edited file.
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.append(screen->availableGeometry());
    }
    // The frame is not known before the window is shown; window managers add about this much.
    const QSize decoration(8, 40);
    const QRect kept = KeepOnScreens(Config.MainWndLeft, Config.MainWndTop, Config.MainWndWidth, Config.MainWndHeight,
                                     screens, minimumSize(), decoration);
    TrackGeometry = false;
    // As the values are kept: the position of the frame, the size of the inside.
    resize(kept.size());
    move(kept.topLeft());
    Config.MainWndLeft = kept.x();
    Config.MainWndTop = kept.y();
    Config.MainWndWidth = kept.width();
    Config.MainWndHeight = kept.height();
    TrackGeometry = true;
    Exiting = false;

    ApplyRemindMode();
    Runtime = std::make_unique<TRmRuntime>(List, Config, ReminderWindow());
    Runtime->Start(ParseMinute(Config.LastCheck));
    Runtime->WriteMarks = [this] { WriteRemindedMarks(); };
    Runtime->KeepLastCheck = [this](TDateTime minute) {
        Config.LastCheck = FormatMinute(minute);
        // Kept as it goes, so that a run that ends without saving shows nothing twice at the next start; a
        // failure here is reported when the settings are saved at the end.
        try {
            Config.KeepLastCheck();
        } catch (const std::exception&) {
        }
    };

    // The user's later years of the official holiday schedule, before anything is checked against it.
    const std::vector<std::string> holidayProblems = InstallHolidayScheduleOf(AppPath);
    HolidayFileStamp = FileStampOf(AppPath + std::string(HolidayFileName));
    List.Reset(Config.DataFilePath());
    List.Load();
    ToldLoadFailure = List.LoadFailure;
    List.PositionsMoved = [this](const TPositionMap& map) { Runtime->FollowPositions(map); };
    List.ReloadedFromDisk = [this] { ListChangedOnDisk(); };
    List.OutsideVersionRefused = [this] {
        // Asked once whatever was reading the file has finished: this may come in the middle of a save.
        QTimer::singleShot(0, this, &TfrmRemind::AskAboutRefusedVersion);
    };
    Runtime->RestoreSnoozes(LoadSnoozeFile(SnoozeFilePath()));
    Runtime->SnoozesChanged = [this] { KeepSnoozes(); };
    RefreshRecordList();
    ReturnFreedMemory();
    ApplySkin();
    if (!holidayProblems.empty()) {
        ShowHolidayProblems(holidayProblems);
    }
    if (!List.LoadFailure.empty()) {
        ShowMessageBox(MessageKind::Information, "无法读取",
                       List.LoadFailure +
                           "在这个文件能够读取之前，不会提醒其中的提醒，也不会改写它；能读取时，晴铃提醒会自动读入。");
    }

    const bool neverAsked = Config.NeverAskAutorun;
    popOpenRun->setChecked(CheckAutorun(AutorunValueName, ExecutablePath, Config.NeverAskAutorun));
    if (Config.NeverAskAutorun != neverAsked) {
        try {
            Config.SaveConfig();
        } catch (const std::exception&) {
        }
    }

    trOneSecond.setSingleShot(true);
    trShowTip.setInterval(1000);
    trPauseEnd.setSingleShot(true);
    connect(&trOneSecond, &QTimer::timeout, this, &TfrmRemind::trOneSecondTimer);
    connect(&trShowTip, &QTimer::timeout, this, &TfrmRemind::trShowTipTimer);
    connect(&trPauseEnd, &QTimer::timeout, this, &TfrmRemind::trPauseEndTimer);
    // The first check one second after start, as always; from then on at the turn of each minute.
    trOneSecond.start(1000);
    trShowTip.start();
    ApplyListFont();
    WatchOutsideChanges();
    StartSync();
}

void TfrmRemind::ApplyRemindMode() {
    // In a Wayland session a window cannot be sure to stay on top (nor is there always a tray): by default the
    // notification makes sure a reminder is seen, XWayland or not.
    const int mode = Config.RemindMode == RemindModeAutomatic
                         ? (RunsInWaylandSession() ? RemindModeWindowAndNotification : RemindModeWindow)
                         : Config.RemindMode;
    RemindBox->UseNotifications(Notifications, mode);
    RemindBox->RepeatMusic = Config.RepeatMusic;
}

void TfrmRemind::ReturnFreedMemory() {
    // Reading a long list frees buffers as large as the file several times over; the allocator would keep
    // them for the program's whole life.
    malloc_trim(0);
}

std::string TfrmRemind::SnoozeFilePath() const {
    return AppPath + std::string(SnoozeFileName);
}

void TfrmRemind::KeepSnoozes() {
    // Kept as they change, so that a run that ends without saving still brings them back; a failure here is
    // reported when they are saved at the end.
    try {
        SaveSnoozeFile(SnoozeFilePath(), Runtime->PendingSnoozes());
    } catch (const std::exception&) {
    }
}

void TfrmRemind::WatchOutsideChanges() {
    OutsideFiles = new FileWatcher(300, this);
    OutsideFiles->IsOwnVersion = [this](const std::string& path) {
        return path == List.FileName ? List.IsKnownVersion() : FileStampOf(path) == HolidayFileStamp;
    };
    OutsideFiles->Watch(List.FileName);
    OutsideFiles->Watch(AppPath + std::string(HolidayFileName));
    connect(OutsideFiles, &FileWatcher::changed, this, &TfrmRemind::CheckOutsideChanges);
    // The zone is looked at by every minute's tick, before it reads the clock: a watch on the system's
    // configuration folder would wake the program for every file any program changes there.
    FollowTimeZoneChange();
}

void TfrmRemind::CheckOutsideChanges() {
    if (Exiting) {
        return;
    }
    if (FollowTimeZoneChange()) {
        // The new zone's minutes begin when the old zone's did, but the day may have changed.
        MarkExpiredLines();
    }
    List.ReloadIfChanged();
    if (List.WaitingForWriter) {
        // Another program is still writing the file: what it ends with is what to take.
        QTimer::singleShot(500, this, &TfrmRemind::CheckOutsideChanges);
    }
    const TFileStamp holidays = FileStampOf(AppPath + std::string(HolidayFileName));
    if (holidays != HolidayFileStamp) {
        HolidayFileStamp = holidays;
        const std::vector<std::string> problems = InstallHolidayScheduleOf(AppPath);
        RefreshRecordList();
        DoSearch();
        if (!problems.empty()) {
            // Told after whatever asked for the check has finished.
            QTimer::singleShot(0, this, [problems] { ShowHolidayProblems(problems); });
        }
    }
}

void TfrmRemind::ListChangedOnDisk() {
    RefreshRecordList();
    ReturnFreedMemory();
    DoSearch();
    if (List.LoadFailure.empty() || List.LoadFailure == ToldLoadFailure) {
        ToldLoadFailure = List.LoadFailure;
        return;
    }
    ToldLoadFailure = List.LoadFailure;
    // Told after whatever was reading the file has finished: this may come in the middle of a save.
    const std::string text = List.LoadFailure + "在它能重新读取之前，晴铃提醒按原来读到的提醒提醒，不会改写这个文件。";
    QTimer::singleShot(0, this, [text] { ShowMessageBox(MessageKind::Information, "无法读取", text); });
}

void TfrmRemind::AskAboutRefusedVersion() {
    if (Exiting || List.Refused.Message.empty()) {
        return;
    }
    const TRmDataList::TRefusedVersion refused = List.Refused;
    const std::string question = refused.Message + "\n\n选“是”保留晴铃提醒的 " + std::to_string(refused.Count) +
                                 " 条提醒，写回这个文件；选“否”采用文件现在的内容。";
    const bool keepMine = IsAffirmative(ShowMessageBox(MessageKind::YesNo, "提醒数据文件被改坏了？", question));
    // The file may have changed again while the question was open: then that version is looked at anew.
    if (List.Refused.Digest != refused.Digest) {
        return;
    }
    try {
        if (keepMine) {
            List.KeepListOverRefused();
        } else {
            List.TakeRefused();
        }
    } catch (const std::exception& error) {
        ShowGeneralError(ShownFailure(error));
    }
    RefreshRecordList();
    DoSearch();
}

ReminderWindowSeam TfrmRemind::ReminderWindow() {
    ReminderWindowSeam seam = ReminderWindowSeamFor(*RemindBox, [this](bool showing) {
        popCloseWindow->setEnabled(showing);
        if (!showing) {
            popCloseAll->setEnabled(false);
        }
        // The reminder window blocks no other window, so that the tray menu stays usable; the record commands
        // of this window must wait, since a deletion would move the queued positions.
        setEnabled(!showing);
    });
    const auto setWaiting = seam.SetWaiting;
    seam.SetWaiting = [this, setWaiting](std::int32_t count) {
        popCloseAll->setEnabled(count > 0);
        setWaiting(count);
    };
    return seam;
}

bool TfrmRemind::ShowAtStart() const {
    return !TrayAvailable() || !Config.HideMainForm;
}

void TfrmRemind::ShowIfWanted() {
    if (ShowAtStart()) {
        ShownForLackOfTray = Config.HideMainForm;
        show();
    }
}

void TfrmRemind::RefreshRecordList() {
    lstRecordList->Lines().Reset(ListDescribeOptions(Config));
    MarkExpiredLines();
    if (Sync != nullptr) {
        Sync->DataFileMayHaveChanged();
    }
    // The month follows every change of the list.
    if (frmMonthCalendar != nullptr && frmMonthCalendar->isVisible()) {
        frmMonthCalendar->Refresh();
    }
}

void TfrmRemind::MarkExpiredLines() {
    const TDateTime now = Now();
    const TDueMoment today(now);
    std::vector<std::uint8_t> expired(static_cast<std::size_t>(std::min(List.Count, lstRecordList->count())));
    for (std::size_t index = 0; index < expired.size(); ++index) {
        const TRmMainDate& record = List.Item(static_cast<std::int32_t>(index));
        // A repeat of so many times has ended once none is left.
        const bool counted = record.EndCount > 0 && record.StartDate != 0;
        expired[index] =
            record.IsExpiredAt(today) || (counted && !NextFiring(record, now, Config.BeginWithSunday)) ? 1 : 0;
    }
    lstRecordList->Lines().SetExpired(std::move(expired),
                                      lstRecordList->palette().brush(QPalette::Disabled, QPalette::Text));
    MarkedDay = DateOf(now);
}

bool TfrmRemind::eventFilter(QObject* watched, QEvent* event) {
    // A line's tooltip says when its reminder comes next, worked out as the mouse rests on it, so that it is
    // never older than the moment it is read.
    if (watched == lstRecordList->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int line = lstRecordList->RowAt(help->pos());
        if (line >= 0 && line < List.Count) {
            const TNextFiringLine next = DescribeNextFiring(List.Item(line), Now(), Config.BeginWithSunday);
            QToolTip::showText(help->globalPos(), Q(next.AllLines()), lstRecordList->viewport());
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmRemind::trShowTipTimer() {
    trShowTip.stop();
    Runtime->RunStartupPass();
    if (Config.OpenTimes < 10 && TrayAvailable()) {
        ttiRemindTray->ShowMessage(QStringLiteral("提示"), QStringLiteral("新版晴铃提醒2.01已经运行！"), 10000);
    }
}

void TfrmRemind::popCloseWindowClick() {
    if (RemindBox != nullptr) {
        RemindBox->CloseWindow();
    }
}

void TfrmRemind::popCloseAllClick() {
    if (RemindBox != nullptr) {
        RemindBox->CloseAll();
    }
}

void TfrmRemind::popOpenRunClick() {
    // The check mark follows what is registered, never a write that failed.
    const bool registered = !popOpenRun->isChecked();
    popOpenRun->setChecked(registered);
    if (!registered) {
        WriteAutorun(AutorunValueName, ExecutablePath);
        popOpenRun->setChecked(true);
        return;
    }
    const MessageAnswer answer =
        ShowMessageBox(MessageKind::Confirm, "取消自运行", "你确定要取消晴铃提醒开机自动运行吗？");
    if (IsAffirmative(answer)) {
        DeleteAutorun(AutorunValueName);
        popOpenRun->setChecked(false);
    }
}

void TfrmRemind::ShowMainWindow() {
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

void TfrmRemind::HideMainWindow() {
    if (!TrayAvailable()) {
        // Without a notification area a hidden window could never be reached again.
        showMinimized();
        return;
    }
    hide();
    popShowHideMain->setText(QStringLiteral("显示界面[&M]"));
}

void TfrmRemind::popShowHideMainClick() {
    if (isVisible() && !isMinimized()) {
        HideMainWindow();
    } else {
        ShowMainWindow();
    }
}

void TfrmRemind::mnHideFormClick() {
    HideMainWindow();
}

void TfrmRemind::ttiRemindTrayActivated() {
    if (RemindBox != nullptr && RemindBox->isVisible()) {
        return;
    }
    ShowMainWindow();
}

void TfrmRemind::nmExitSoftClick() {
    const MessageAnswer answer = ShowMessageBox(MessageKind::Question, "退出程序", "你真的要退出晴铃提醒吗？");
    if (!IsAffirmative(answer)) {
        return;
    }
    EndProgram();
}

void TfrmRemind::closeEvent(QCloseEvent* event) {
    if (Exiting) {
        event->accept();
        return;
    }
    event->ignore();
    HideMainWindow();
}

void TfrmRemind::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    popShowHideMain->setText(QStringLiteral("隐藏界面[&M]"));
}

void TfrmRemind::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (TrackGeometry && TrackPosition && isVisible() && !isMinimized()) {
        Config.MainWndLeft = pos().x();
        Config.MainWndTop = pos().y();
    }
    FollowMainForm();
}

void TfrmRemind::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (TrackGeometry && isVisible() && !isMinimized()) {
        Config.MainWndWidth = width();
        Config.MainWndHeight = height();
    }
    FollowMainForm();
}

void TfrmRemind::PostSearchRequest(int code, int argument) {
    QMetaObject::invokeMethod(
        this, [this, code, argument] { HandleSearchRequest(code, argument); }, Qt::QueuedConnection);
}

void TfrmRemind::HandleSearchRequest(int code, int argument) {
    if (code == SearchFollowRequest) {
        FollowMainForm();
    } else if (code == SearchRunRequest) {
        DoSearch();
    } else if (code == SearchSelectRequest && argument >= 0 && argument < lstRecordList->count()) {
        lstRecordList->setCurrentRow(argument);
    }
}

} // namespace chimewell
