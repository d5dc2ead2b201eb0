#include "platform/qt_file_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QScreen>
#include <QStringList>

#include <memory>

namespace chimewell {

namespace {

// The chooser's columns in the words of the rest of the program: 名称、大小、类型、修改日期, and a type that
// says 文件夹 or "MP3 文件" rather than the toolkit's English.
class ChineseColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4) {
            static const char* const Names[] = {"名称", "大小", "类型", "修改日期"};
            return QString::fromUtf8(Names[section]);
        }
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

    QVariant data(const QModelIndex& index, int role) const override {
        // The model's own cached facts of the file: no look at the disk for each cell drawn.
        if (const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
            files != nullptr && index.column() == 2 && role == Qt::DisplayRole) {
            return FileTypeName(files->fileInfo(mapToSource(index)));
        }
        return QIdentityProxyModel::data(index, role);
    }
};

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
    dialog->setProxyModel(new ChineseColumns(dialog.get()));
    // Whole on the screen at any scale: with 文件类型 and 取消 in sight.
    const QScreen* screen =
        parent != nullptr && parent->screen() != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QSize room = screen->availableGeometry().size() - QSize(16, 48);
        dialog->setMinimumSize(dialog->minimumSizeHint().boundedTo(room));
        dialog->resize(dialog->sizeHint().expandedTo(QSize(720, 480)).boundedTo(room));
    }
    return dialog;
}

QString FileTypeName(const QFileInfo& file) {
    if (file.isDir()) {
        return QStringLiteral("文件夹");
    }
    const QString suffix = file.suffix();
    return suffix.isEmpty() ? QStringLiteral("文件") : suffix.toUpper() + QStringLiteral(" 文件");
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
