#pragma once
// The export window: every reminder of the list as one line, from which the user chooses those to export, and
// the kind of file: the exchange file this program reads, or an iCalendar file for other calendars.

#include "exchange/exchange_commands.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace chimewell {

class TfrmExport : public QDialog {
    Q_OBJECT
public:
    explicit TfrmExport(QWidget* parent = nullptr);

    void SetLines(const std::vector<std::string>& lines);
    // The 1-based positions of the selected lines, ascending.
    std::vector<std::int32_t> SelectedNumbers() const;
    // The selection with the format and its settings.
    TExportChoice Choice() const;

    QLabel* lbExport;
    QListWidget* listExport;
    QPushButton* btnExport;
    QPushButton* btnCancel;
    QRadioButton* rbExchange;
    QRadioButton* rbICalendar;
    QLabel* lbYears;
    QSpinBox* seYears;
    QCheckBox* cbLunarRules;
    // Which readers understand those rules, and that the default lists dates.
    QLabel* lbLunarRules;
    // Export was pressed with lines selected.
    bool Chosen = false;
    int SelectedCount = 0;

public slots:
    void btnExportClick();
    void btnCancelClick();
    void FormatChanged();
};

// Shows the window modally over the lines; the choice, or nothing when cancelled.
std::optional<TExportChoice> RunExportWindow(const std::vector<std::string>& lines, QWidget* parent);

} // namespace chimewell
