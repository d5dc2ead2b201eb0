#pragma once
// 快速添加: a line to write a reminder in plain Chinese. Under it, as the user types, what the line is read as
// (the list's description and "下次提醒：…", or why it cannot be added); Enter adds it, 详细… opens the add
// dialog filled with it, and the other reading of an ambiguous hour is a button away. It sits at the top of the
// main list, and in a small window of its own for the tray menu and the month window.

#include "data/settings.h"
#include "editing/quick_add_line.h"

#include <QDialog>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace chimewell {

class TQuickAddBar : public QWidget {
    Q_OBJECT
public:
    TQuickAddBar(const TRmConfig& config, QWidget* parent);

    // Adds the reminder read (Enter) or opens the add dialog on it (详细…); true when a reminder was added, which
    // empties the line.
    std::function<bool(const TRmMainDate&)> AddRecord;
    std::function<bool(const TRmMainDate&)> DetailRecord;

    // Starts the line with a text (the chosen day), the cursor after it, and gives it the keyboard.
    void Prefill(const std::string& text);
    void FocusLine();
    // Reads the line again as of now: "明天" means another day once midnight has passed.
    void Reread();

    TQuickAddLine Line;
    QLineEdit* edtQuickAdd;
    QLabel* lbUnderstood;
    QLabel* lbNextFiring;
    QPushButton* btnOtherReading;
    QPushButton* btnDetails;

signals:
    // A reminder was added from the line.
    void Added();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TextEdited(const QString& text);
    void ShowReading();
    void Enter();
    void DetailsClick();
    // Reads the line again and hands its reminder to `add`; false when the line cannot be added.
    bool Take(const std::function<bool(const TRmMainDate&)>& add);
    void OtherReadingClick();
    // What the last add gave, shown until the user types again.
    void ShowAdded(const TRmMainDate& record);

    const TRmConfig& Config;
};

// The line in a window of its own: from the tray menu, and from the month window on its chosen day. It stays
// open after an add, showing what was added, until closed or Esc.
class TfrmQuickAdd : public QDialog {
    Q_OBJECT
public:
    TfrmQuickAdd(const TRmConfig& config, QWidget* parent = nullptr);

    // Shows the window in front with the line started with `text` (empty: as the user left it).
    void Open(const std::string& text);

    TQuickAddBar* Bar;
};

} // namespace chimewell
