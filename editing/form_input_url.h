#pragma once
// The small dialog that asks for the web address a reminder opens.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace chimewell {

class TfrmInputURL : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInputURL(QWidget* parent = nullptr);

    // True only when OK closed the dialog with an address; closing it by its frame leaves it false.
    bool Accepted = false;
    QLabel* lbInputURL;
    QLineEdit* edtInputURL;
    QPushButton* btnOK;

public slots:
    void btnOKClick();
};

} // namespace chimewell
