#pragma once
// The export window: every reminder of the list as one line, from which the user chooses those to export.

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace chimewell {

class TfrmExport : public QDialog {
    Q_OBJECT
public:
    explicit TfrmExport(QWidget* parent = nullptr);

    void SetLines(const std::vector<std::string>& lines);
    // The 1-based positions of the selected lines, ascending.
    std::vector<std::int32_t> SelectedNumbers() const;

    QLabel* lbExport;
    QListWidget* listExport;
    QPushButton* btnExport;
    QPushButton* btnCancel;
    // Export was pressed with lines selected.
    bool Chosen = false;
    int SelectedCount = 0;

public slots:
    void btnExportClick();
    void btnCancelClick();
};

// Shows the window modally over the lines; the chosen 1-based positions, or nothing when cancelled.
std::optional<std::vector<std::int32_t>> RunExportWindow(const std::vector<std::string>& lines, QWidget* parent);

} // namespace chimewell
