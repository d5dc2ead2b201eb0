#include "platform/qt_file_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QStringList>

namespace chimewell {

namespace {

std::optional<std::string> ShowQtFileDialog(const FileDialogRequest& request) {
    QWidget* parent =
        QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    const QString title = QString::fromStdString(request.Title);
    const QString folder = QString::fromStdString(request.StartFolder);
    const QString filter = QtFileFilter(request.Filter);
    const QString chosen = request.Mode == FileDialogMode::Open
                               ? QFileDialog::getOpenFileName(parent, title, folder, filter)
                               : QFileDialog::getSaveFileName(parent, title, folder, filter);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen.toStdString();
}

} // namespace

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
