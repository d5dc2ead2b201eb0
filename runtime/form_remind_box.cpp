#include "runtime/form_remind_box.h"

#include "data/settings.h"
#include "platform/music_player.h"
#include "platform/reminder_notifications.h"
#include "runtime/form_auto_shutdown.h"
#include "runtime/form_missed_reminders.h"
#include "runtime/reminder_actions.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <string_view>
#include <utility>

namespace chimewell {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The message fields are for reading, so they wear the colour of the buttons rather than of an input field.
void PaintLikeButtonFace(QWidget* field) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    field->setPalette(palette);
}

QPushButton* RowButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setMinimumSize(75, 25);
    // Enter closes the window whichever button has the focus; only btnClose is a default button.
    button->setAutoDefault(false);
    return button;
}

} // namespace

TfrmRemindBox::TfrmRemindBox(QWidget* parent)
    : QDialog(parent, PopUpWindowFlags), edtShowRemindText(new QLineEdit(this)),
      btnShowAll(new QPushButton(QStringLiteral("隐藏显示"), this)), memoShowRemindText(new QPlainTextEdit(this)),
      lbShowClose(new QLabel(QStringLiteral("本窗口将在X秒钟后自动关闭"), this)),
      btnCommand(RowButton(QStringLiteral("执行命令"), this)), btnLater(RowButton(QStringLiteral("推迟提醒"), this)),
      btnClose(RowButton(QStringLiteral("关闭[&C]"), this)),
      btnCloseAll(RowButton(QStringLiteral("全部关闭[&A]"), this)), trCloseWindow(new QTimer(this)),
      PopupMenu2(new QMenu(this)), popCopyText(new QMenu(this)),
      popCopy(popCopyText->addAction(QStringLiteral("复制[&C]"))) {
    setWindowTitle(QStringLiteral("提醒"));
    // The window pops up uninvited: it must not take the keyboard from the program the user is typing in (a
    // stray Enter would dismiss it unread), and it must block no other window, so that the tray menu can still
    // pause, close it or exit while it shows.
    setAttribute(Qt::WA_ShowWithoutActivating);

    // Read-only: typed characters go nowhere, while selecting and copying still work.
    edtShowRemindText->setReadOnly(true);
    edtShowRemindText->setFocusPolicy(Qt::ClickFocus);
    edtShowRemindText->setContextMenuPolicy(Qt::CustomContextMenu);
    edtShowRemindText->installEventFilter(this);
    PaintLikeButtonFace(edtShowRemindText);
    memoShowRemindText->setReadOnly(true);
    memoShowRemindText->setFocusPolicy(Qt::ClickFocus);
    memoShowRemindText->setTabChangesFocus(true);
    memoShowRemindText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoShowRemindText->setContextMenuPolicy(Qt::PreventContextMenu);
    memoShowRemindText->setMinimumHeight(161);
    memoShowRemindText->installEventFilter(this);
    PaintLikeButtonFace(memoShowRemindText);
    btnShowAll->setMinimumSize(55, 21);
    btnShowAll->setAutoDefault(false);
    // The countdown line keeps its place when hidden, so the window does not change size with the setting.
    QSizePolicy labelPolicy = lbShowClose->sizePolicy();
    labelPolicy.setRetainSizeWhenHidden(true);
    lbShowClose->setSizePolicy(labelPolicy);
    btnClose->setDefault(true);
    btnLater->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* textRow = new QHBoxLayout;
    textRow->setSpacing(4);
    textRow->addWidget(edtShowRemindText, 1);
    textRow->addWidget(btnShowAll);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(2);
    buttonRow->addStretch(1);
    buttonRow->addWidget(btnCommand);
    buttonRow->addWidget(btnLater);
    buttonRow->addWidget(btnClose);
    buttonRow->addWidget(btnCloseAll);
    btnCloseAll->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 8, 6, 12);
    layout->setSpacing(6);
    layout->addLayout(textRow);
    layout->addWidget(memoShowRemindText);
    layout->addWidget(lbShowClose);
    layout->addLayout(buttonRow);
    // ApplyLayout fixes the window's size, so the layout must not impose its own minimum on top.
    layout->setSizeConstraint(QLayout::SetNoConstraint);

    for (const LaterMenuItem& item : LaterMenuItems) {
        QAction* action = PopupMenu2->addAction(Text(item.Caption));
        action->setObjectName(Text(item.Name));
        const int minutes = item.Minutes;
        connect(action, &QAction::triggered, this, [this, minutes] { LaterClose(minutes); });
    }

    trCloseWindow->setInterval(1000);
    connect(trCloseWindow, &QTimer::timeout, this, &TfrmRemindBox::trCloseWindowTimer);
    connect(btnClose, &QPushButton::clicked, this, &TfrmRemindBox::reject);
    connect(btnCloseAll, &QPushButton::clicked, this, &TfrmRemindBox::CloseAll);
    connect(btnLater, &QPushButton::clicked, this, &TfrmRemindBox::btnLaterClick);
    connect(btnLater, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { PopupMenu2->popup(btnLater->mapToGlobal(position)); });
    connect(btnCommand, &QPushButton::clicked, this, &TfrmRemindBox::btnCommandClick);
    connect(btnShowAll, &QPushButton::clicked, this, &TfrmRemindBox::btnShowAllClick);
    connect(edtShowRemindText, &QWidget::customContextMenuRequested, this,
            &TfrmRemindBox::edtShowRemindTextContextPopup);
    connect(popCopy, &QAction::triggered, this, &TfrmRemindBox::popCopyClick);
    ApplyLayout();
}

TfrmRemindBox::~TfrmRemindBox() {
    FormClose();
}

void TfrmRemindBox::Prepare(const RemindPresentation& presentation) {
    const QString text = Text(presentation.Text);
    edtShowRemindText->setText(text);
    // A long message reads from its beginning, not from where the cursor of setText leaves it.
    edtShowRemindText->setCursorPosition(0);
    memoShowRemindText->setPlainText(text);

    if (presentation.CommandButton != CommandButtonState::Unchanged) {
        btnCommand->setVisible(presentation.CommandButton == CommandButtonState::Show);
    }
    CommandText = presentation.CommandText;
    AutoRun = presentation.AutoRun;
    btnCommand->setToolTip(Text(presentation.CommandHint));

    if (presentation.AutoClose) {
        CloseCountdown = presentation.CloseCountdown;
        lbShowClose->setText(
            Text(presentation.CloseLabel.empty() ? CloseCountdownText(CloseCountdown) : presentation.CloseLabel));
        lbShowClose->show();
        trCloseWindow->start();
    } else {
        lbShowClose->hide();
        trCloseWindow->stop();
    }

    if (!presentation.LaterCaption.empty()) {
        btnLater->setText(Text(presentation.LaterCaption));
    }
    btnLater->setToolTip(Text(presentation.LaterHint));
    LaterMinutes = LATER_NONE;
    NotificationText = presentation.Text;
    LaterDefault = presentation.LaterMinutes;
    MusicFile = presentation.MusicFile;
    ApplyLayout();
}

int TfrmRemindBox::ShowModal() {
    CloseRequested = false;
    InShowStep = true;
    FormShow();
    InShowStep = false;
    if (CloseRequested) {
        FormClose();
        return LaterMinutes;
    }
    PlaceAtScreenCentre();
    // The focus on the button: a read-only text field with the focus would blink its caret the whole time the
    // window shows, for nothing to type.
    btnClose->setFocus();
    Unanswered = true;
    if (Notifies()) {
        NotificationNumber = Notifications->Show(QString::fromUtf8(NotificationAppName), NotificationBody(),
                                                 NotificationActions(), true);
    }
    WaitingHidden = !ShowsWindow();
    ShowPopUpAndWait(*this, !WaitingHidden);
    WaitingHidden = false;
    Unanswered = false;
    if (NotificationNumber != 0) {
        // Answered in the window (or by the tray): the notification goes too.
        Notifications->Close(std::exchange(NotificationNumber, 0));
    }
    return LaterMinutes;
}

void TfrmRemindBox::RunCommand() {
    RunReminderCommand(CommandText, RunShutDownCountdownWindow);
}

bool TfrmRemindBox::ShowsAll() const {
    return !memoShowRemindText->isHidden();
}

void TfrmRemindBox::UseNotifications(ReminderNotifications* notifications, int mode) {
    if (Notifications != notifications && notifications != nullptr) {
        connect(notifications, &ReminderNotifications::actionInvoked, this, &TfrmRemindBox::NotificationAction);
        connect(notifications, &ReminderNotifications::closedByServer, this, &TfrmRemindBox::NotificationGone);
        connect(notifications, &ReminderNotifications::failed, this, &TfrmRemindBox::NotificationGone);
    }
    Notifications = notifications;
    Mode = mode;
}

ReminderNotifications::Actions TfrmRemindBox::NotificationActions() const {
    ReminderNotifications::Actions actions{{QStringLiteral("default"), QStringLiteral("显示提醒")},
                                           {QStringLiteral("close"), QStringLiteral("关闭")}};
    if (LaterDefault > 0) {
        actions.emplace_back(QStringLiteral("later"), QStringLiteral("推迟 %1 分钟").arg(LaterDefault));
    }
    if (btnCommand->isVisibleTo(this) && !CommandText.empty()) {
        actions.emplace_back(QStringLiteral("command"), QStringLiteral("执行命令"));
    }
    if (Waiting > 0) {
        actions.emplace_back(QStringLiteral("closeall"), QStringLiteral("全部关闭（%1）").arg(Waiting + 1));
    }
    return actions;
}

QString TfrmRemindBox::NotificationBody() const {
    QString body = Text(NotificationText);
    if (Waiting > 0) {
        body += QStringLiteral("\n（还有 %1 个提醒在等待）").arg(Waiting);
    }
    return body;
}

void TfrmRemindBox::NotificationGone(int number) {
    if (number == 0 || number != NotificationNumber) {
        return;
    }
    NotificationNumber = 0;
    // Taken away unanswered, or never shown: the reminder still waits, and must be seen to be answered.
    if (WaitingHidden) {
        WaitingHidden = false;
        QDialog* shown = MissedList != nullptr ? MissedList : this;
        shown->show();
        shown->raise();
    }
}

bool TfrmRemindBox::Notifies() const {
    return Notifications != nullptr && Mode != RemindModeWindow;
}

bool TfrmRemindBox::ShowsWindow() const {
    // A notification that cannot be answered only tells: the window is the way to answer then.
    return !Notifies() || Mode != RemindModeNotification || !Notifications->HasActions();
}

void TfrmRemindBox::NotificationAction(int number, const QString& key) {
    if (number == 0 || number != NotificationNumber) {
        return;
    }
    if (key == QStringLiteral("close")) {
        CloseWindow();
    } else if (key == QStringLiteral("later")) {
        LaterClose(LATER_DEFAULT);
    } else if (key == QStringLiteral("command")) {
        btnCommandClick();
    } else if (key == QStringLiteral("closeall")) {
        CloseAll();
    } else if (key == QStringLiteral("default")) {
        QDialog* shown = MissedList != nullptr ? MissedList : this;
        WaitingHidden = false;
        shown->show();
        shown->raise();
    }
}

void TfrmRemindBox::PlayMusic() {
    MusicStarted = StartReminderMusic(MusicFile, [this](MusicEnd how) {
        MusicStarted = false;
        // Played again while the reminder waits for an answer, ten minutes at the most.
        const std::int64_t elapsed =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count() -
            MusicStartedAt;
        if (RepeatMusic && how == MusicEnd::Finished && Unanswered && elapsed < 600) {
            QTimer::singleShot(0, this, [this] {
                if (Unanswered && !MusicStarted) {
                    PlayMusic();
                }
            });
        }
    });
}

void TfrmRemindBox::FormShow() {
    MusicStartedAt =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
    Unanswered = true;
    PlayMusic();
    if (!MusicStarted) {
        MusicFile.clear();
    }
    // Runs before the window is visible, so a shutdown countdown is seen first and this window after it.
    if (CommandRunsOnShow(CommandText, AutoRun)) {
        RunCommand();
    }
}

void TfrmRemindBox::FormClose() {
    Unanswered = false;
    trCloseWindow->stop();
    if (MusicStarted) {
        MusicStarted = false;
        InstalledMusicPlayer().Stop();
    }
}

void TfrmRemindBox::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TfrmRemindBox::trCloseWindowTimer() {
    if (!CloseCountdownTick(CloseCountdown)) {
        lbShowClose->setText(Text(CloseCountdownText(CloseCountdown)));
        return;
    }
    trCloseWindow->stop();
    CloseWindow();
}

void TfrmRemindBox::SetWaiting(int count) {
    const bool changed = Waiting != count;
    Waiting = count;
    if (changed && NotificationNumber != 0 && MissedList == nullptr) {
        Notifications->Update(NotificationNumber, QString::fromUtf8(NotificationAppName), NotificationBody(),
                              NotificationActions(), true);
    }
    btnCloseAll->setVisible(count > 0);
    btnCloseAll->setText(QStringLiteral("全部关闭(%1)[&A]").arg(count + 1));
    btnCloseAll->setToolTip(QStringLiteral("关闭这个提醒和等待中的 %1 个提醒，先把它们列在一个窗口中").arg(count));
    ApplyLayout();
}

void TfrmRemindBox::CloseAll() {
    if (MissedList != nullptr) {
        MissedList->reject();
        return;
    }
    LaterMinutes = LATER_CLOSE_ALL;
    if (isVisible() || WaitingHidden) {
        accept();
    } else if (InShowStep) {
        trCloseWindow->stop();
        CloseRequested = true;
    }
}

void TfrmRemindBox::ShowMissedList(const std::vector<TMissedReminder>& missed, bool waiting) {
    TfrmMissedReminders list(missed, nullptr, waiting);
    list.setWindowIcon(windowIcon());
    MissedList = &list;
    bool show = true;
    if (Notifies() && !waiting) {
        // Caught up after a gap: one notification for all of them, whose click opens the list.
        NotificationNumber =
            Notifications->Show(QString::fromUtf8(NotificationAppName),
                                QStringLiteral("错过了 %1 个提醒").arg(static_cast<int>(missed.size())),
                                {{QStringLiteral("default"), QStringLiteral("查看错过的提醒")}}, true);
        show = ShowsWindow();
    }
    WaitingHidden = !show;
    ShowPopUpAndWait(list, show);
    WaitingHidden = false;
    if (NotificationNumber != 0) {
        Notifications->Close(std::exchange(NotificationNumber, 0));
    }
    MissedList = nullptr;
}

void TfrmRemindBox::CloseWindow() {
    if (MissedList != nullptr) {
        MissedList->reject();
        return;
    }
    if (isVisible() || WaitingHidden) {
        reject();
    } else if (InShowStep) {
        trCloseWindow->stop();
        CloseRequested = true;
    } else {
        FormClose();
    }
}

void TfrmRemindBox::btnLaterClick() {
    LaterClose(LATER_DEFAULT);
}

void TfrmRemindBox::LaterClose(int minutes) {
    LaterMinutes = minutes;
    accept();
}

void TfrmRemindBox::btnCommandClick() {
    RunCommand();
}

void TfrmRemindBox::btnShowAllClick() {
    memoShowRemindText->setVisible(!ShowsAll());
    btnShowAll->setText(ShowsAll() ? QStringLiteral("隐藏显示") : QStringLiteral("显示全部"));
    ApplyLayout();
}

void TfrmRemindBox::popCopyClick() {
    if (edtShowRemindText->hasSelectedText()) {
        QGuiApplication::clipboard()->setText(edtShowRemindText->selectedText());
    }
}

void TfrmRemindBox::edtShowRemindTextContextPopup(const QPoint& position) {
    popCopy->setEnabled(edtShowRemindText->hasSelectedText());
    popCopyText->popup(edtShowRemindText->mapToGlobal(position));
}

void TfrmRemindBox::keyPressEvent(QKeyEvent* event) {
    // The window pops up uninvited while the user may be typing elsewhere; a stray Escape must not dismiss
    // the reminder unread. Enter still closes it through the default button.
    if (event->key() == Qt::Key_Escape) {
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfrmRemindBox::eventFilter(QObject* watched, QEvent* event) {
    // Taking the focus with the window (or by Tab) selects the whole line and scrolls it to its end, which
    // would hide the beginning of the message; put it back once the line edit has done so.
    if (watched == edtShowRemindText && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason) {
        QMetaObject::invokeMethod(
            edtShowRemindText,
            [field = edtShowRemindText] {
                field->deselect();
                field->setCursorPosition(0);
            },
            Qt::QueuedConnection);
    }
    // The multi-line field takes Enter for itself, so Enter there does not close the window.
    if (watched == memoShowRemindText && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmRemindBox::ApplyLayout() {
    // Fixed size, as the window has no sizing border: at least the designed 427 x 264 when expanded, and
    // just the text line, the countdown line and the buttons when collapsed.
    QLayout* rows = layout();
    rows->invalidate();
    QSize size = rows->sizeHint().expandedTo(QSize(427, 0));
    if (ShowsAll()) {
        size = size.expandedTo(QSize(427, 264));
    }
    setFixedSize(size);
}

void TfrmRemindBox::PlaceAtScreenCentre() {
    ApplyLayout();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

ReminderWindowSeam ReminderWindowSeamFor(TfrmRemindBox& window, std::function<void(bool)> setCloseWindowEnabled) {
    if (!setCloseWindowEnabled) {
        setCloseWindowEnabled = [](bool) {};
    }
    return ReminderWindowSeam{
        .Prepare = [&window](const RemindPresentation& presentation) { window.Prepare(presentation); },
        .ShowModal = [&window] { return window.ShowModal(); },
        .RunCommand = [&window] { window.RunCommand(); },
        .SetCloseWindowEnabled = std::move(setCloseWindowEnabled),
        .ShowMissedList = [&window](const std::vector<TMissedReminder>& missed) { window.ShowMissedList(missed); },
        .SetWaiting = [&window](std::int32_t count) { window.SetWaiting(count); },
        .ShowWaitingList =
            [&window](const std::vector<TMissedReminder>& waiting) { window.ShowMissedList(waiting, true); },
    };
}

} // namespace chimewell
