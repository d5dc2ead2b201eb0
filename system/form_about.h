#pragma once
// The about box: the program's name, version and maker in read-only fields whose text can be copied, and the
// maker's contact rows, which open the help where it explains how to reach the maker.

#include <QDialog>

#include <array>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace chimewell {

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    // executableFolder: where the help is looked for.
    explicit TfrmAbout(const std::string& executableFolder, QWidget* parent = nullptr);

    std::string ExecutableFolder;
    // The eight one-line fields, top to bottom, then the last line.
    std::array<QLineEdit*, 8> Fields{};
    QLineEdit* edtSoftName;
    QLineEdit* edtSoftOrgName;
    QLineEdit* edtSoftVersion;
    QLineEdit* edtSoftPropt;
    QLineEdit* edtSoftAuthor;
    QLineEdit* edtSoftEmail;
    QLineEdit* edtSoftCorp;
    QLineEdit* edtSoftURL;
    QLineEdit* edtAppend;
    QPlainTextEdit* edtSoftHanashi;
    QPushButton* btnClose;
    QMenu* popCopyMenu;
    QAction* popmCopy;
    // The field whose menu was opened last.
    QLineEdit* CopySource = nullptr;

public slots:
    void popmCopyClick();
    void edtSoftEmailClick();
    void edtSoftURLClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* Field(const QString& text);
    void ContextPopup(QLineEdit* field, const QPoint& position);
    // Copies the field's selection, if it has one.
    static void Copy(const QLineEdit* field);
};

// Builds, fills and shows the about box modally, with the main window's icon.
void ShowAboutBox(QWidget* mainWindow, const std::string& executableFolder);

} // namespace chimewell
