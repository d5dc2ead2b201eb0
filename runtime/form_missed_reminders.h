#pragma once
// The window that shows many caught-up reminders at once: each with the minute it was meant for, and a button
// that runs the command of the one chosen, since no command of a missed reminder runs by itself.

#include "runtime/remind_presentation.h"

#include <QDialog>

#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace chimewell {

class TfrmMissedReminders : public QDialog {
    Q_OBJECT
public:
    // waiting: the reminders the user closed all at once ("全部关闭") rather than ones that were missed.
    explicit TfrmMissedReminders(const std::vector<TMissedReminder>& missed, QWidget* parent = nullptr,
                                 bool waiting = false);

    QLabel* lbMissed;
    QListWidget* lstMissed;
    QPushButton* btnCommand;
    QPushButton* btnClose;

    // The text of one line of the list.
    static QString LineOf(const TMissedReminder& missed);

public slots:
    void btnCommandClick();

private:
    void SelectionChanged();

    std::vector<TMissedReminder> Missed;
};

} // namespace chimewell
