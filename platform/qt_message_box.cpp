#include "platform/qt_message_box.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace chimewell {

namespace {

// A box of more lines than this would not fit on a small screen.
constexpr int LinesInABox = 20;

struct BoxLayout {
    QMessageBox::Icon Icon;
    QMessageBox::StandardButton Affirmative;
    QMessageBox::StandardButton Negative; // NoButton for a box with one button
};

BoxLayout LayoutOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Question:
        return {QMessageBox::Question, QMessageBox::Ok, QMessageBox::Cancel};
    case MessageKind::Caution:
        return {QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Cancel};
    case MessageKind::Confirm:
        return {QMessageBox::Information, QMessageBox::Ok, QMessageBox::Cancel};
    case MessageKind::YesNo:
    case MessageKind::YesNoNever:
        return {QMessageBox::Question, QMessageBox::Yes, QMessageBox::No};
    case MessageKind::Error:
        return {QMessageBox::Critical, QMessageBox::Ok, QMessageBox::NoButton};
    case MessageKind::Information:
        break;
    }
    return {QMessageBox::Information, QMessageBox::Ok, QMessageBox::NoButton};
}

QString ButtonText(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return QStringLiteral("确定");
    case QMessageBox::Cancel:
        return QStringLiteral("取消");
    case QMessageBox::Yes:
        return QStringLiteral("是");
    case QMessageBox::No:
        return QStringLiteral("否");
    default:
        return {};
    }
}

MessageAnswer AnswerOf(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Cancel;
    }
}

MessageAnswer ShowQtMessageBox(MessageKind kind, const std::string& title, const std::string& text) {
    const BoxLayout layout = LayoutOf(kind);
    // Over the active window, so the box centres on what the user is looking at; with the main window hidden
    // in the tray it has no parent and centres on the screen.
    QWidget* parent =
        QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    // A text too long for the screen: its first paragraph in the box, the rest in a field that scrolls.
    QString shown = QString::fromStdString(text);
    QString rest;
    if (shown.count(QLatin1Char('\n')) > LinesInABox) {
        const qsizetype paragraph = shown.indexOf(QStringLiteral("\n\n"));
        if (paragraph > 0) {
            rest = shown.mid(paragraph + 2).trimmed();
            shown = shown.left(paragraph);
        }
    }
    QMessageBox box(layout.Icon, QString::fromStdString(title), shown, QMessageBox::NoButton, parent);
    // A question to answer, not a window to keep: a title and a close button, no minimise or maximise.
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QPushButton* affirmative = box.addButton(layout.Affirmative);
    affirmative->setText(ButtonText(layout.Affirmative));
    box.setDefaultButton(affirmative);
    if (layout.Negative != QMessageBox::NoButton) {
        QPushButton* negative = box.addButton(layout.Negative);
        negative->setText(ButtonText(layout.Negative));
        box.setEscapeButton(negative);
        if (kind == MessageKind::Caution) {
            box.setDefaultButton(negative);
        }
    } else {
        box.setEscapeButton(affirmative);
    }
    if (!rest.isEmpty()) {
        if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
            auto* field = new QPlainTextEdit(rest, &box);
            field->setObjectName(QStringLiteral("ScrolledText"));
            field->setReadOnly(true);
            field->setLineWrapMode(QPlainTextEdit::NoWrap);
            field->setMinimumSize(560, 260);
            // Under the text, above the buttons.
            grid->addWidget(field, 1, 1, 1, grid->columnCount() - 1);
        }
    }
    QPushButton* never = nullptr;
    if (kind == MessageKind::YesNoNever) {
        never = box.addButton(QStringLiteral("不再询问"), QMessageBox::RejectRole);
    }
    // A box is at least as wide as its title, which the window manager would otherwise cut ("导出成功… 铃提醒"):
    // the layout's last row gets a spacer of the title's width and the frame's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int titleWidth = box.fontMetrics().horizontalAdvance(box.windowTitle()) + 140;
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(), 0,
                      1, grid->columnCount());
    }
    box.exec();
    const auto* clicked = box.clickedButton();
    if (never != nullptr && clicked == never) {
        return MessageAnswer::NeverAsk;
    }
    if (clicked == affirmative) {
        return AnswerOf(layout.Affirmative);
    }
    if (layout.Negative != QMessageBox::NoButton) {
        return AnswerOf(layout.Negative);
    }
    return AnswerOf(layout.Affirmative);
}

} // namespace

MessageBoxFunction QtMessageBoxFunction() {
    return ShowQtMessageBox;
}

} // namespace chimewell
