// The main window's record commands: its button column, the menus 提醒 and 查看, and the handlers that hand
// each command to the editing code with this window's list.

#include "app/form_remind.h"
#include "app/record_list_view.h"

#include "app/form_month_calendar.h"
#include "app/quick_add_bar.h"
#include "calendar/clock.h"
#include "editing/qt_record_dialogs.h"
#include "editing/record_commands.h"

#include <QAction>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace chimewell {

void TfrmRemind::CreateButtonColumn(QVBoxLayout* column, QWidget* parent) {
    const auto add = [column, parent](const QString& caption) {
        auto* button = new QPushButton(caption, parent);
        button->setMinimumWidth(92);
        // The buttons keep their natural height; the list beside them takes the room of a larger window.
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        column->addWidget(button);
        return button;
    };
    btnAddRecord = add(QStringLiteral("添加提醒"));
    btnViewRecord = add(QStringLiteral("查看提醒"));
    btnEditRecord = add(QStringLiteral("编辑提醒"));
    btnDeleteRecord = add(QStringLiteral("删除提醒"));
    btnSearchRecord = add(QStringLiteral("搜索提醒"));
    btnOpenHelpFile = add(QStringLiteral("打开帮助"));
    btnOpenAbout = add(QStringLiteral("关于软件"));
    btnMonthCalendar = add(QStringLiteral("月历"));
    column->addStretch(1);
    connect(btnAddRecord, &QPushButton::clicked, this, &TfrmRemind::btnAddRecordClick);
    connect(btnViewRecord, &QPushButton::clicked, this, &TfrmRemind::btnViewRecordClick);
    connect(btnEditRecord, &QPushButton::clicked, this, &TfrmRemind::btnEditRecordClick);
    connect(btnDeleteRecord, &QPushButton::clicked, this, &TfrmRemind::btnDeleteRecordClick);
    connect(btnSearchRecord, &QPushButton::clicked, this, &TfrmRemind::btnSearchRecordClick);
    connect(btnOpenHelpFile, &QPushButton::clicked, this, &TfrmRemind::nmHelpFileClick);
    connect(btnOpenAbout, &QPushButton::clicked, this, &TfrmRemind::popOpenAboutClick);
    connect(btnMonthCalendar, &QPushButton::clicked, this, &TfrmRemind::nmMonthCalendarClick);
}

void TfrmRemind::CreateRecordMenus() {
    auto* recordMenu = new QMenu(QStringLiteral("提醒[&R]"), this);
    nmAddRecord = recordMenu->addAction(QStringLiteral("添加提醒[&A]"), this, &TfrmRemind::btnAddRecordClick);
    nmQuickAdd = recordMenu->addAction(QStringLiteral("快速添加[&Q]"), this, &TfrmRemind::nmQuickAddClick);
    nmQuickAdd->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    barQuickAdd->edtQuickAdd->setPlaceholderText(QStringLiteral("快速添加 (Ctrl+K)：明天下午三点开会"));
    ConnectQuickAdd(*barQuickAdd, nullptr);
    nmViewRecord = recordMenu->addAction(QStringLiteral("查看提醒[&V]"), this, &TfrmRemind::btnViewRecordClick);
    nmModifyRecord = recordMenu->addAction(QStringLiteral("编辑提醒[&M]"), this, &TfrmRemind::btnEditRecordClick);
    nmCopyRecord = recordMenu->addAction(QStringLiteral("复制提醒[&C]"), this, &TfrmRemind::nmCopyRecordClick);
    nmDeleteRecord = recordMenu->addAction(QStringLiteral("删除提醒[&D]"), this, &TfrmRemind::btnDeleteRecordClick);
    recordMenu->addSeparator();
    nmMoveUpRecord = recordMenu->addAction(QStringLiteral("上移[&U]"), this, &TfrmRemind::nmMoveUpRecordClick);
    nmMoveDownRecord = recordMenu->addAction(QStringLiteral("下移[&W]"), this, &TfrmRemind::nmMoveDownRecordClick);
    nmAddRecord->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    nmViewRecord->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    nmModifyRecord->setShortcut(QKeySequence(Qt::Key_F2));
    nmCopyRecord->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    nmDeleteRecord->setShortcut(QKeySequence(Qt::Key_Delete));
    nmMoveUpRecord->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    nmMoveDownRecord->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    // The same commands at the mouse, on the list itself.
    popRecordMenu = new QMenu(this);
    popRecordMenu->addAction(nmAddRecord);
    popRecordMenu->addAction(nmViewRecord);
    popRecordMenu->addAction(nmModifyRecord);
    popRecordMenu->addAction(nmCopyRecord);
    popRecordMenu->addAction(nmDeleteRecord);
    popRecordMenu->addSeparator();
    popRecordMenu->addAction(nmMoveUpRecord);
    popRecordMenu->addAction(nmMoveDownRecord);
    lstRecordList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lstRecordList, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        const int line = SelectedIndex();
        for (QAction* action : {nmViewRecord, nmModifyRecord, nmCopyRecord, nmDeleteRecord}) {
            action->setEnabled(line >= 0);
        }
        nmMoveUpRecord->setEnabled(line > 0);
        nmMoveDownRecord->setEnabled(line >= 0 && line + 1 < lstRecordList->count());
        popRecordMenu->exec(lstRecordList->viewport()->mapToGlobal(position));
        for (QAction* action :
             {nmViewRecord, nmModifyRecord, nmCopyRecord, nmDeleteRecord, nmMoveUpRecord, nmMoveDownRecord}) {
            action->setEnabled(true);
        }
    });
    recordMenu->addSeparator();
    nmSearchRecord = recordMenu->addAction(QStringLiteral("搜索提醒[&S]"), this, &TfrmRemind::btnSearchRecordClick);
    CreateExchangeMenuItems(recordMenu);

    auto* viewMenu = new QMenu(QStringLiteral("查看[&V]"), this);
    nmMonthCalendar = viewMenu->addAction(QStringLiteral("月历[&L]"), this, &TfrmRemind::nmMonthCalendarClick);
    nmMonthCalendar->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    viewMenu->addSeparator();
    nmDeleteOldRecord =
        viewMenu->addAction(QStringLiteral("删除过期提醒[&D]"), this, &TfrmRemind::nmDeleteOldRecordClick);
    viewMenu->addSeparator();
    nmSortRecord = viewMenu->addMenu(QStringLiteral("对提醒排序[&S]"));
    for (const QString& order :
         {QStringLiteral("年、月、日排序"), QStringLiteral("月、日、年排序"), QStringLiteral("日、月、年排序")}) {
        nmSortRecord->addAction(order)->setEnabled(false);
    }

    // Between 软件 and 帮助.
    auto* helpMenu = qobject_cast<QMenu*>(nmHelpFile->parent());
    QAction* before = helpMenu != nullptr ? helpMenu->menuAction() : nullptr;
    menuBar()->insertMenu(before, recordMenu);
    menuBar()->insertMenu(before, viewMenu);
}

int TfrmRemind::SelectedIndex() const {
    // The selected line, or else the line with the focus frame (a Ctrl+click can leave it unselected).
    const int selected = lstRecordList->SelectedRow();
    return selected >= 0 ? selected : lstRecordList->currentRow();
}

TRecordCommands TfrmRemind::RecordCommands(QWidget* owner) {
    TRecordCommandHooks hooks = QtRecordDialogHooks(owner != nullptr ? owner : this, Config);
    hooks.RefreshRecordList = [this] { RefreshRecordList(); };
    hooks.SetSelection = [this](int line) { lstRecordList->setCurrentRow(line); };
    hooks.RemoveLine = [this](int line) { lstRecordList->Lines().RemoveLine(line); };
    hooks.DoSearch = [this] { DoSearch(); };
    return TRecordCommands{List, Config, std::move(hooks)};
}

void TfrmRemind::btnAddRecordClick() {
    RecordCommands().Add();
}

void TfrmRemind::nmQuickAddClick() {
    ShowMainWindow();
    barQuickAdd->FocusLine();
}

void TfrmRemind::OpenQuickAdd(const std::string& text) {
    if (frmQuickAdd == nullptr) {
        // Without a parent, like the tray menu: the main window is disabled while a reminder shows.
        frmQuickAdd = new TfrmQuickAdd(Config);
        frmQuickAdd->setWindowIcon(windowIcon());
        ConnectQuickAdd(*frmQuickAdd->Bar, frmQuickAdd);
    }
    frmQuickAdd->Open(text);
}

void TfrmRemind::ConnectQuickAdd(TQuickAddBar& bar, QWidget* owner) {
    bar.AddRecord = [this, owner](const TRmMainDate& record) { return RecordCommands(owner).AddRecord(record); };
    bar.DetailRecord = [this, owner](const TRmMainDate& record) { return RecordCommands(owner).AddPreset(record); };
}

void TfrmRemind::btnViewRecordClick() {
    RecordCommands().View(SelectedIndex());
}

void TfrmRemind::btnEditRecordClick() {
    RecordCommands().Edit(SelectedIndex());
}

void TfrmRemind::btnDeleteRecordClick() {
    RecordCommands().Delete(SelectedIndex());
}

void TfrmRemind::nmMonthCalendarClick() {
    if (frmMonthCalendar == nullptr) {
        frmMonthCalendar = new TfrmMonthCalendar(this, List, Config);
        frmMonthCalendar->ViewRecord = [this](std::int32_t position) {
            RecordCommands(frmMonthCalendar).View(position);
        };
        frmMonthCalendar->EditRecord = [this](std::int32_t position) {
            RecordCommands(frmMonthCalendar).Edit(position);
        };
        frmMonthCalendar->DeleteRecord = [this](std::int32_t position) {
            RecordCommands(frmMonthCalendar).Delete(position);
        };
        frmMonthCalendar->AddRecord = [this](const TRmMainDate& preset) {
            RecordCommands(frmMonthCalendar).AddPreset(preset);
        };
        frmMonthCalendar->QuickAddOnDay = [this](TDateTime day) { OpenQuickAdd(TQuickAddLine::DayPrefill(day)); };
        frmMonthCalendar->SelectRecord = [this](std::int32_t position) {
            if (position >= 0 && position < lstRecordList->count()) {
                lstRecordList->setCurrentRow(position);
            }
        };
    } else {
        frmMonthCalendar->ShowDate(Today());
    }
    frmMonthCalendar->showNormal();
    frmMonthCalendar->raise();
    frmMonthCalendar->activateWindow();
}

void TfrmRemind::nmCopyRecordClick() {
    RecordCommands().Copy(SelectedIndex());
}

void TfrmRemind::nmMoveUpRecordClick() {
    RecordCommands().Move(SelectedIndex(), -1);
}

void TfrmRemind::nmMoveDownRecordClick() {
    RecordCommands().Move(SelectedIndex(), 1);
}

void TfrmRemind::nmDeleteOldRecordClick() {
    RecordCommands().DeleteExpired();
}

} // namespace chimewell
