#pragma once
// The window that shows one stored reminder field by field, read-only, with a hint line, a test of the
// message's codes and copying of selected text.

#include "data/reminder.h"

#include <QDialog>

#include <array>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace chimewell {

class TfrmViewRecord : public QDialog {
    Q_OBJECT
public:
    explicit TfrmViewRecord(QWidget* parent = nullptr);

    // Fills the window for a reminder; sysMusicFile is the settings' music, beginWithSunday the week setting the
    // next firing is worked out with.
    void Fill(const TRmMainDate& record, const std::string& sysMusicFile, bool beginWithSunday = false);

    QGroupBox* gbViewRecord;
    // In the order of ViewFields: 历制, 日期, 时间, 提醒方式, 提醒内容, 提前提醒, 提醒操作, 提醒音乐.
    std::array<QLabel*, 8> Labels{};
    std::array<QLineEdit*, 8> Boxes{};
    QLineEdit* edtGongLiLunar;
    QLineEdit* edtDate;
    QLineEdit* edtTime;
    QLineEdit* edtRemindType;
    QLineEdit* edtRemindText;
    QLineEdit* edtRemindForward;
    QLineEdit* edtRemindOper;
    QLineEdit* edtRemindMusic;
    QLabel* lbRemindText;
    QPushButton* btnTestText;
    QLabel* lbShowHint;
    // "下次提醒：…" or "不再提醒", and the notice of a year whose holidays were guessed.
    QLabel* lbNextFiring;
    QPushButton* btnClose;
    QMenu* popCopyMenu;
    QAction* popCopy;
    // The box whose context menu last opened with a selection.
    QLineEdit* CopySource = nullptr;

public slots:
    void btnTestTextClick();
    void popCopyClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ContextPopup(QLineEdit* box, const QPoint& position);
    void ShowHint(int row);
};

// Shows the window modally for a reminder and returns when it closes.
void RunViewRecordWindow(const TRmMainDate& record, const std::string& sysMusicFile, bool beginWithSunday,
                         QWidget* parent);

} // namespace chimewell
