#include "exchange/form_export.h"

#include "platform/message_box.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace chimewell {

TfrmExport::TfrmExport(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      lbExport(new QLabel(QStringLiteral("请选中要导出的数据(可多选，Ctrl或Shift多选)："), this)),
      listExport(new QListWidget(this)), btnExport(new QPushButton(QStringLiteral("导出[&E]"), this)),
      btnCancel(new QPushButton(QStringLiteral("取消[&C]"), this)) {
    setWindowTitle(QStringLiteral("导出提醒"));
    listExport->setSelectionMode(QAbstractItemView::ExtendedSelection);
    listExport->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    btnExport->setDefault(true);
    btnCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnExport);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbExport);
    layout->addWidget(listExport, 1);
    layout->addLayout(buttons);

    // Room for a full description of a reminder on one line, and small enough for a laptop at large text.
    setMinimumSize(320, 200);
    resize(560, 320);
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        move(screen->availableGeometry().center() - rect().center());
    }
    listExport->setFocus();

    connect(btnExport, &QPushButton::clicked, this, &TfrmExport::btnExportClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmExport::btnCancelClick);
}

void TfrmExport::SetLines(const std::vector<std::string>& lines) {
    listExport->clear();
    for (const std::string& line : lines) {
        listExport->addItem(QString::fromStdString(line));
    }
}

std::vector<std::int32_t> TfrmExport::SelectedNumbers() const {
    std::vector<std::int32_t> numbers;
    for (const QListWidgetItem* item : listExport->selectedItems()) {
        numbers.push_back(listExport->row(item) + 1);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

void TfrmExport::btnExportClick() {
    if (listExport->count() == 0) {
        ShowMessageBox(MessageKind::Information, "没有提醒", "当前没有任何提醒！");
        return;
    }
    SelectedCount = static_cast<int>(listExport->selectedItems().size());
    if (SelectedCount == 0) {
        ShowMessageBox(MessageKind::Information, "选择提醒", "你没有选择提醒！");
        return;
    }
    Chosen = true;
    accept();
}

void TfrmExport::btnCancelClick() {
    reject();
}

std::optional<std::vector<std::int32_t>> RunExportWindow(const std::vector<std::string>& lines, QWidget* parent) {
    TfrmExport window(parent);
    window.SetLines(lines);
    window.exec();
    if (!window.Chosen) {
        return std::nullopt;
    }
    return window.SelectedNumbers();
}

} // namespace chimewell
