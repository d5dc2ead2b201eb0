// The main window's clock work: the once-a-minute tick, pausing for a while, and waking from suspend.

#include "app/app_icon.h"
#include "app/application.h"
#include "app/form_month_calendar.h"
#include "app/form_remind.h"
#include "app/quick_add_bar.h"

#include "app/sync_controller.h"
#include "calendar/clock.h"
#include "data/file_io.h"
#include "platform/message_box.h"
#include "platform/notification_area.h"
#include "platform/sleep_watcher.h"

#include <QAction>
#include <QDBusConnection>
#include <QMenu>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace chimewell {

namespace {
const QString MainCaption = QStringLiteral("晴铃提醒");
const QString PausedCaption = QStringLiteral("晴铃提醒 (暂停提醒)");

QString Q(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The program's icon drawn grey, for a paused program.
QIcon PausedIcon() {
    const QIcon icon = ApplicationIcon();
    QIcon grey;
    for (const int size : {16, 22, 24, 32, 48, 64, 128}) {
        grey.addPixmap(icon.pixmap(size, QIcon::Disabled));
    }
    return grey;
}
} // namespace

void TfrmRemind::CreatePauseMenu() {
    popPauseMenu = new QMenu(popRemindMenu.get());
    const auto add = [this](const QString& caption, PauseLength length) {
        popPauseMenu->addAction(caption, this, [this, length] { PauseFor(length); });
    };
    add(QStringLiteral("30 分钟[&3]"), PauseLength::HalfHour);
    add(QStringLiteral("1 小时[&1]"), PauseLength::OneHour);
    add(QStringLiteral("2 小时[&2]"), PauseLength::TwoHours);
    add(QStringLiteral("到明天[&T]"), PauseLength::UntilTomorrow);
    add(QStringLiteral("直到恢复[&U]"), PauseLength::UntilResumed);
    popPauseMenu->addSeparator();
    popResumeRemind = popPauseMenu->addAction(QStringLiteral("恢复提醒[&R]"), this, &TfrmRemind::ResumeReminding);
    popResumeRemind->setEnabled(false);
    popPauseRemind->setMenu(popPauseMenu);
}

void TfrmRemind::FollowSystemSleep() {
    // Waking from suspend is told on the system bus; without one, the next minute's tick finds the gap.
    auto* sleep = new SleepWatcher(QDBusConnection::systemBus(), this);
    connect(sleep, &SleepWatcher::resumed, this, &TfrmRemind::SystemResumed);
}

void TfrmRemind::AimNextTick() {
    // A little into the new minute, so that the clock reads the new minute for sure.
    const TimeFields now = DecodeTime(Now());
    const int intoMinute = now.Second * 1000 + now.Millisecond; // [0, 59999]
    // A precise timer: a coarse one may fire up to 5 % early, before the minute turns, and must then wake again.
    trOneSecond.setTimerType(Qt::PreciseTimer);
    trOneSecond.start(std::max(60'000 - intoMinute + 200, 1000));
}

void TfrmRemind::trOneSecondTimer() {
    // Aimed first: the tick may open a reminder window whose event loop must keep ticking.
    AimNextTick();
    // At the latest now, should a watch have missed a change.
    CheckOutsideChanges();
    const int minute = Runtime->LastMinute;
    Runtime->Tick();
    if (Runtime->LastMinute != minute) {
        ttiRemindTray->Recheck();
        // What comes next moves on with the clock.
        if (frmMonthCalendar != nullptr && frmMonthCalendar->isVisible()) {
            frmMonthCalendar->MinuteRefresh();
        }
        if (DateOf(Now()) != MarkedDay) {
            MarkExpiredLines();
        }
        if (Sync != nullptr) {
            Sync->MinuteTick();
        }
        // A line being written is read as of the new minute ("10分钟后", "明天" after midnight).
        barQuickAdd->Reread();
        if (frmQuickAdd != nullptr && frmQuickAdd->isVisible()) {
            frmQuickAdd->Bar->Reread();
        }
    }
}

void TfrmRemind::popPauseRemindClick() {
    if (Paused) {
        ResumeReminding();
    } else {
        PauseFor(PauseLength::UntilResumed);
    }
}

void TfrmRemind::PauseFor(PauseLength length) {
    const MessageAnswer answer = ShowMessageBox(MessageKind::Confirm, "暂停提醒", "你确定要暂停提醒吗？");
    if (!IsAffirmative(answer)) {
        ShowPauseState();
        return;
    }
    const TDateTime now = Now();
    Paused = true;
    PausedUntil = PauseEnd(length, now);
    trOneSecond.stop();
    trPauseEnd.stop();
    if (PausedUntil) {
        const double milliseconds = std::ceil((*PausedUntil - now) * 86'400'000.0);
        trPauseEnd.start(static_cast<int>(std::clamp(milliseconds, 0.0, 2'000'000'000.0)));
    }
    ShowPauseState();
}

void TfrmRemind::ResumeReminding() {
    if (!Paused) {
        return;
    }
    Paused = false;
    PausedUntil.reset();
    trPauseEnd.stop();
    // The minutes of the pause are not caught up: the user chose them.
    Runtime->Resume();
    trOneSecondTimer();
    ShowPauseState();
}

void TfrmRemind::trPauseEndTimer() {
    if (!Paused || !PausedUntil) {
        return;
    }
    const TDateTime now = Now();
    if (now >= *PausedUntil) {
        ResumeReminding();
    } else {
        // The timer counts time the machine was awake; the clock says how much of the pause is left.
        trPauseEnd.start(
            static_cast<int>(std::clamp(std::ceil((*PausedUntil - now) * 86'400'000.0), 0.0, 2'000'000'000.0)));
    }
}

void TfrmRemind::SystemResumed() {
    if (Sync != nullptr) {
        Sync->SyncSoon();
    }
    if (Paused) {
        trPauseEndTimer();
    } else {
        trOneSecondTimer();
    }
}

void TfrmRemind::ShowPauseState() {
    popPauseRemind->setChecked(Paused);
    popResumeRemind->setEnabled(Paused);
    setWindowTitle(Paused ? PausedCaption : MainCaption);
    if (ShownPaused != Paused) {
        // Drawn anew only when it changes: the tray host repaints it each time.
        ShownPaused = Paused;
        ttiRemindTray->SetIcon(Paused ? PausedIcon() : ApplicationIcon());
    }
    std::string tip = TrayToolTip(Paused, PausedUntil, Now());
    if (Sync != nullptr && !Sync->Failure().empty()) {
        tip += "\n同步失败：" + Sync->Failure();
    }
    ttiRemindTray->SetToolTip(Q(tip));
}

void TfrmRemind::WriteRemindedMarks() {
    if (WritingMarks || !List.HasRemindedMarks()) {
        return;
    }
    if (MarksWriter == nullptr) {
        MarksWriter = new QThreadPool(this);
        MarksWriter->setMaxThreadCount(1);
    }
    TRemindedMarks marks;
    try {
        marks = List.TakeRemindedMarks();
    } catch (const std::exception& error) {
        // A list that was not read whole writes nothing; the reminders still show, and the user is told after.
        QTimer::singleShot(0, this, [message = ShownFailure(error)] { ShowGeneralError(message); });
        return;
    }
    WritingMarks = true;
    MarksWriter->start([this, marks = std::move(marks), beforeReplace = List.BeforeFileReplaced] {
        TRemindedWritten written;
        std::string failure;
        try {
            written = chimewell::WriteRemindedMarks(marks, beforeReplace);
        } catch (const std::exception& error) {
            failure = ShownFailure(error);
        }
        QMetaObject::invokeMethod(
            this, [this, marks, written, failure] { RemindedMarksWritten(marks, written, failure); },
            Qt::QueuedConnection);
    });
}

void TfrmRemind::RemindedMarksWritten(const TRemindedMarks& marks, const TRemindedWritten& written,
                                      const std::string& failure) {
    WritingMarks = false;
    std::string problem = failure;
    try {
        List.RemindedMarksWritten(marks, written);
    } catch (const std::exception& error) {
        problem = ShownFailure(error);
    }
    ReturnFreedMemory();
    if (!problem.empty() && !Exiting) {
        ShowGeneralError(problem);
    }
    WriteRemindedMarks();
}

void TfrmRemind::FinishRemindedMarks() {
    if (MarksWriter != nullptr) {
        MarksWriter->waitForDone();
    }
    WritingMarks = false;
    try {
        List.SaveRemindedMarks();
    } catch (const std::exception& error) {
        std::cerr << "chimewell: " << error.what() << std::endl;
    }
}

} // namespace chimewell
