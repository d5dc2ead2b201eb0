#include "platform/qt_file_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QStringList>

#include <memory>

namespace chimewell {

namespace {

std::optional<std::string> ShowQtFileDialog(const FileDialogRequest& request) {
    QWidget* parent =
        QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    const std::unique_ptr<QFileDialog> dialog = MakeQtFileDialog(request, parent);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty() ||
        dialog->selectedFiles().front().isEmpty()) {
        return std::nullopt;
    }
    return dialog->selectedFiles().front().toStdString();
}

} // namespace

std::unique_ptr<QFileDialog> MakeQtFileDialog(const FileDialogRequest& request, QWidget* parent) {
    auto dialog =
        std::make_unique<QFileDialog>(parent, QString::fromStdString(request.Title),
                                      QString::fromStdString(request.StartFolder), QtFileFilter(request.Filter));
    if (request.Mode == FileDialogMode::Open) {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        // The caller refuses a name that is taken with its own message: a "replace?" question whose yes is then
        // refused anyway would only mislead.
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    }
    return dialog;
}

QString QtFileFilter(const std::string& filter) {
    QStringList entries;
    for (const FileFilterEntry& entry : ParseFileFilter(filter)) {
        QStringList patterns;
        for (const std::string& pattern : entry.Patterns) {
            patterns.append(pattern == "*.*" ? QStringLiteral("*") : QString::fromStdString(pattern));
        }
        entries.append(QString::fromStdString(entry.Caption) + QStringLiteral(" (") + patterns.join(u' ') +
                       QStringLiteral(")"));
    }
    return entries.join(QStringLiteral(";;"));
}

FileDialogFunction QtFileDialogFunction() {
    return ShowQtFileDialog;
}

} // namespace chimewell
