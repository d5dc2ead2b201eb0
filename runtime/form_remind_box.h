#pragma once
// The pop-up that presents one due reminder: its message, an optional countdown after which it closes
// itself, postponement by a default or a chosen delay, the reminder's command and its music. One instance
// serves every reminder of a run, so the collapsed or expanded layout carries over from one to the next.

#include "runtime/remind_presentation.h"

#include <QDialog>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace chimewell {

class ReminderNotifications;

class TfrmRemindBox : public QDialog {
    Q_OBJECT
public:
    // Without a parent, so the window shows while the main window is hidden to the tray.
    explicit TfrmRemindBox(QWidget* parent = nullptr);
    ~TfrmRemindBox() override;

    // Fills the window for one reminder; the countdown starts here, whether or not the window is shown.
    void Prepare(const RemindPresentation& presentation);
    // The show step (music, and the command when it runs on show), then the modal showing; returns
    // LaterMinutes once the window has closed.
    int ShowModal();
    // Runs the prepared command; a shutdown or restart shows its countdown modally first.
    void RunCommand();
    // Many caught-up reminders in one window, shown modally; returns when it closes. waiting: the reminders
    // closed all at once.
    void ShowMissedList(const std::vector<TMissedReminder>& missed, bool waiting = false);
    // How many reminders wait behind this one: "全部关闭" shows while any do.
    void SetWaiting(int count);

    // Reminders also (or only) as desktop notifications with the window's buttons; mode is one of the
    // RemindMode values, automatic resolved. Without a server that shows actions the window always shows.
    void UseNotifications(ReminderNotifications* notifications, int mode);
    // 重复播放提醒音乐直到关闭.
    bool RepeatMusic = false;

    int CloseCountdown = 0;
    int LaterMinutes = LATER_NONE;
    std::string MusicFile;
    std::string CommandText;
    bool AutoRun = false;

    QLineEdit* edtShowRemindText;
    QPushButton* btnShowAll;
    QPlainTextEdit* memoShowRemindText;
    QLabel* lbShowClose;
    QPushButton* btnCommand;
    QPushButton* btnLater;
    QPushButton* btnClose;
    QPushButton* btnCloseAll;
    QTimer* trCloseWindow;
    QMenu* PopupMenu2;
    QMenu* popCopyText;
    QAction* popCopy;

    // Whether the multi-line field shows; the layout toggle flips it.
    bool ShowsAll() const;

public slots:
    void trCloseWindowTimer();
    void btnLaterClick();
    void LaterClose(int minutes);
    void btnCommandClick();
    void btnShowAllClick();
    void popCopyClick();
    // Closes the window from outside (the tray's close item); before the window has become visible (a
    // shutdown countdown is still open) it closes as soon as that countdown is over.
    void CloseWindow();
    // Closes this reminder and every one waiting behind it, after one list of them all.
    void CloseAll();

protected:
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void FormClose();
    void edtShowRemindTextContextPopup(const QPoint& position);
    void ApplyLayout();
    void PlaceAtScreenCentre();

    void PlayMusic();
    void NotificationAction(int number, const QString& key);
    // The notification went unanswered (dismissed, expired, never shown): the window answers instead.
    void NotificationGone(int number);
    std::vector<std::pair<QString, QString>> NotificationActions() const;
    QString NotificationBody() const;
    bool Notifies() const;
    bool ShowsWindow() const;

    QDialog* MissedList = nullptr;
    ReminderNotifications* Notifications = nullptr;
    int Mode = 0;
    // The notification of the reminder or list now waiting for an answer; 0 for none.
    int NotificationNumber = 0;
    std::string NotificationText;
    int LaterDefault = 0;
    // Reminders waiting behind this one.
    int Waiting = 0;
    // Waiting for an answer without being shown (notification only).
    bool WaitingHidden = false;
    // The reminder has not been answered yet: repeated music stops as soon as it is.
    bool Unanswered = false;
    std::int64_t MusicStartedAt = 0;
    bool MusicStarted = false;
    bool InShowStep = false;
    bool CloseRequested = false;
};

// The window as the firing routine sees it; `setCloseWindowEnabled` switches the tray item that closes it.
ReminderWindowSeam ReminderWindowSeamFor(TfrmRemindBox& window, std::function<void(bool)> setCloseWindowEnabled);

} // namespace chimewell
