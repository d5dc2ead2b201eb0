#include "editing/form_input_url.h"

#include "data/ini_file.h"
#include "editing/command_chooser.h"
#include "ui/qt_dialog_helpers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace chimewell {

TfrmInputURL::TfrmInputURL(QWidget* parent)
    : QDialog(parent, FixedDialogFlags), lbInputURL(new QLabel(QStringLiteral("请输入URL地址[&U]："), this)),
      edtInputURL(new QLineEdit(this)), btnOK(new QPushButton(QStringLiteral("确定[&O]"), this)) {
    setWindowTitle(QStringLiteral("输入URL地址"));
    lbInputURL->setBuddy(edtInputURL);
    edtInputURL->setText(QStringLiteral("http://"));
    // The stored command is the kind letter and the address, and a stored text holds 2047 characters.
    edtInputURL->setMaxLength(IniMaxValueCharacters - 1);
    btnOK->setDefault(true);

    auto* row = new QHBoxLayout;
    row->addWidget(edtInputURL, 1);
    row->addWidget(btnOK);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(lbInputURL);
    layout->addLayout(row);
    setFixedSize(layout->sizeHint().expandedTo(QSize(493, 74)));
    connect(btnOK, &QPushButton::clicked, this, &TfrmInputURL::btnOKClick);
}

void TfrmInputURL::btnOKClick() {
    if (AcceptAddress(edtInputURL->text().toStdString())) {
        Accepted = true;
        accept();
    }
}

} // namespace chimewell
