#pragma once
// The countdown window shown before an automatic shutdown or restart: a bar that fills in 60 seconds, after
// which the computer is switched off or restarted, and a button that asks whether to cancel.

#include "runtime/reminder_actions.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace chimewell {

// The reminder's pop-ups stay on top of every other window, have no taskbar button and only a close box.
inline constexpr Qt::WindowFlags PopUpWindowFlags =
    Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// Shows an uninvited pop-up and waits until it closes, as exec() does, but without making it modal: Qt hands a
// modal window the focus as it maps it (a _NET_ACTIVE_WINDOW request on X11), and the keys the user goes on
// typing into another program would land in the pop-up instead. Whatever the pop-up must keep other windows
// from doing meanwhile, its caller keeps them from (the main window is disabled while a reminder shows).
// Returns the dialog's result. With show false the dialog is not shown but waited for all the same: it is
// answered some other way (a notification's buttons), or shown later.
int ShowPopUpAndWait(QDialog& dialog, bool show = true);

class TfrmAutoShutDown : public QDialog {
    Q_OBJECT
public:
    // Without a parent, so the window shows while the main window is hidden to the tray.
    explicit TfrmAutoShutDown(QWidget* parent = nullptr);

    // Sets the operation and the texts that name it.
    void SetOperation(ShutDownOperation operation);
    ShutDownOperation Operation() const { return Countdown.Operation; }
    // Starts the countdown from where the bar stands.
    void Start();
    const ShutDownCountdown& State() const { return Countdown; }

    QLabel* lbAutoShutDownShow;
    QLabel* lbAutoShutDownHint;
    QProgressBar* pbAutoShutDown;
    QPushButton* btnAutoShutDown;
    QTimer* trAutoShutDown;

public slots:
    void trAutoShutDownTimer();
    void btnAutoShutDownClick();

protected:
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Synchronise();

    ShutDownCountdown Countdown;
};

// Shows the countdown for an operation modally, returning when it has closed.
void RunShutDownCountdownWindow(ShutDownOperation operation);

} // namespace chimewell
