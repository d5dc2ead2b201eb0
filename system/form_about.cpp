#include "system/form_about.h"

#include "data/constants.h"
#include "system/about.h"
#include "ui/qt_dialog_helpers.h"

#include <QAction>
#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace chimewell {

TfrmAbout::TfrmAbout(const std::string& executableFolder, QWidget* parent)
    : QDialog(parent, FixedDialogFlags), ExecutableFolder(executableFolder), popCopyMenu(new QMenu(this)),
      popmCopy(popCopyMenu->addAction(QStringLiteral("复制[&C]"))) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于 ") + Q(ProductName));
    // The one-line fields read as text on the window, not as input boxes, in every skin.
    setStyleSheet(QStringLiteral("QLineEdit { border: none; background: transparent; padding: 0px; }"));

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(4);
    const std::array<TAboutRow, 8> rows = AboutRows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        QLineEdit* field = Field(Q(rows[row].Text));
        field->setObjectName(Q(rows[row].Field));
        grid->addWidget(new QLabel(Q(rows[row].Label), this), static_cast<int>(row), 0);
        grid->addWidget(field, static_cast<int>(row), 1);
        Fields[row] = field;
    }
    edtSoftName = Fields[0];
    edtSoftOrgName = Fields[1];
    edtSoftVersion = Fields[2];
    edtSoftPropt = Fields[3];
    edtSoftAuthor = Fields[4];
    edtSoftEmail = Fields[5];
    edtSoftCorp = Fields[6];
    edtSoftURL = Fields[7];
    for (QLineEdit* link : {edtSoftEmail, edtSoftURL}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setToolTip(QStringLiteral("单击或按回车键打开帮助"));
    }

    edtSoftHanashi = new QPlainTextEdit(Q(AboutNote()), this);
    edtSoftHanashi->setReadOnly(true);
    // Nothing to type or choose in it: no key reaches it and it offers no menu.
    edtSoftHanashi->setFocusPolicy(Qt::NoFocus);
    edtSoftHanashi->setContextMenuPolicy(Qt::NoContextMenu);
    edtSoftHanashi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Four lines and the room a skin's border and padding take.
    edtSoftHanashi->setFixedHeight(edtSoftHanashi->fontMetrics().lineSpacing() * 4 + 20);
    const int row = static_cast<int>(rows.size());
    grid->addWidget(new QLabel(QStringLiteral("作者的话："), this), row, 0, Qt::AlignTop);
    grid->addWidget(edtSoftHanashi, row, 1);
    grid->setColumnStretch(1, 1);

    edtAppend = Field(Q(AboutAppend()));
    edtAppend->setObjectName(QStringLiteral("edtAppend"));
    edtAppend->setAlignment(Qt::AlignRight);

    btnClose = new QPushButton(QStringLiteral("关闭[&C]"), this);
    btnClose->setDefault(true);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(edtAppend, 1);
    bottom->addWidget(btnClose);

    QWidget* contents = ScrollableContents(*this);
    auto* layout = new QVBoxLayout(contents);
    layout->setContentsMargins(12, 12, 12, 10);
    layout->addLayout(grid);
    layout->addLayout(bottom);
    FixSizeOnScreen(*this, *contents, QSize(400, 0));

    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(popmCopy, &QAction::triggered, this, &TfrmAbout::popmCopyClick);
}

QLineEdit* TfrmAbout::Field(const QString& text) {
    auto* field = new QLineEdit(text, this);
    field->setReadOnly(true);
    field->setFrame(false);
    field->setCursorPosition(0);
    // The text, all of it, fits: a field is as wide as its longest line.
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(text) + 16);
    field->setContextMenuPolicy(Qt::CustomContextMenu);
    field->installEventFilter(this);
    connect(field, &QWidget::customContextMenuRequested, this,
            [this, field](const QPoint& position) { ContextPopup(field, position); });
    return field;
}

void TfrmAbout::ContextPopup(QLineEdit* field, const QPoint& position) {
    CopySource = field;
    popmCopy->setEnabled(field->hasSelectedText());
    popCopyMenu->popup(field->mapToGlobal(position));
}

void TfrmAbout::Copy(const QLineEdit* field) {
    if (field != nullptr && field->hasSelectedText()) {
        QGuiApplication::clipboard()->setText(field->selectedText());
    }
}

void TfrmAbout::popmCopyClick() {
    Copy(CopySource);
}

void TfrmAbout::edtSoftEmailClick() {
    OpenHelp(ExecutableFolder, AboutEmailSection);
}

void TfrmAbout::edtSoftURLClick() {
    OpenHelp(ExecutableFolder, AboutUrlSection);
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field == nullptr) {
        return QDialog::eventFilter(watched, event);
    }
    const bool link = field == edtSoftEmail || field == edtSoftURL;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_C && (key->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) == 0) {
            Copy(field);
            return true;
        }
        if (link && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            field == edtSoftEmail ? edtSoftEmailClick() : edtSoftURLClick();
            return true;
        }
    } else if (link && event->type() == QEvent::MouseButtonRelease) {
        // A drag that selected text was for copying, not a click.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && !field->hasSelectedText()) {
            field == edtSoftEmail ? edtSoftEmailClick() : edtSoftURLClick();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    btnClose->setFocus();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void ShowAboutBox(QWidget* mainWindow, const std::string& executableFolder) {
    // Not a child of the main window: the tray menu opens it while a reminder keeps that window disabled, and
    // a disabled window's children could not be used.
    TfrmAbout about(executableFolder);
    if (mainWindow != nullptr) {
        about.setWindowIcon(mainWindow->windowIcon());
    }
    about.exec();
}

} // namespace chimewell
