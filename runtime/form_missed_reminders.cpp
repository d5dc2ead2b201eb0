#include "runtime/form_missed_reminders.h"

#include "runtime/catch_up.h"
#include "runtime/form_auto_shutdown.h"
#include "runtime/reminder_actions.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace chimewell {

namespace {
QString Q(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

QString TfrmMissedReminders::LineOf(const TMissedReminder& missed) {
    std::string line = FormatMinute(missed.Minute) + "　" + missed.Text;
    if (!missed.NotRun.empty()) {
        line += "（" + missed.NotRun + "）";
    }
    return Q(line);
}

TfrmMissedReminders::TfrmMissedReminders(const std::vector<TMissedReminder>& missed, QWidget* parent, bool waiting)
    : QDialog(parent, PopUpWindowFlags | Qt::WindowMaximizeButtonHint),
      lbMissed(new QLabel((waiting ? QStringLiteral("以下 %1 条提醒在等待显示，已全部关闭：")
                                   : QStringLiteral("以下 %1 条提醒在原定的时间没有提醒（电脑休眠或程序未运行）："))
                              .arg(static_cast<int>(missed.size())),
                          this)),
      lstMissed(new QListWidget(this)), btnCommand(new QPushButton(QStringLiteral("执行命令[&R]"), this)),
      btnClose(new QPushButton(QStringLiteral("关闭[&C]"), this)), Missed(missed) {
    setWindowTitle(waiting ? QStringLiteral("等待中的提醒") : QStringLiteral("错过的提醒"));
    // Like the reminder window: no keyboard taken from another program, no other window blocked.
    setAttribute(Qt::WA_ShowWithoutActivating);
    lbMissed->setWordWrap(true);
    lbMissed->setBuddy(lstMissed);
    for (const TMissedReminder& one : Missed) {
        lstMissed->addItem(LineOf(one));
    }
    btnCommand->setEnabled(false);
    btnCommand->setAutoDefault(false);
    btnClose->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnCommand);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbMissed);
    layout->addWidget(lstMissed, 1);
    layout->addLayout(buttons);
    resize(520, 320);

    connect(lstMissed, &QListWidget::currentRowChanged, this, &TfrmMissedReminders::SelectionChanged);
    connect(btnCommand, &QPushButton::clicked, this, &TfrmMissedReminders::btnCommandClick);
    connect(btnClose, &QPushButton::clicked, this, &TfrmMissedReminders::reject);
}

void TfrmMissedReminders::SelectionChanged() {
    const int row = lstMissed->currentRow();
    const bool runnable = row >= 0 && row < static_cast<int>(Missed.size()) && !Missed[row].Command.empty();
    btnCommand->setEnabled(runnable);
    btnCommand->setToolTip(runnable ? Q("命令为:" + Missed[row].Command) : QString());
}

void TfrmMissedReminders::btnCommandClick() {
    const int row = lstMissed->currentRow();
    if (row >= 0 && row < static_cast<int>(Missed.size()) && !Missed[row].Command.empty()) {
        // Only programs, files and addresses are ever offered: a shutdown never runs from here.
        RunReminderCommand(Missed[row].Command, RunShutDownCountdownWindow);
    }
}

} // namespace chimewell
