#include "exchange/form_export.h"

#include "exchange/ical_file.h"
#include "platform/message_box.h"
#include "ui/qt_dialog_helpers.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace chimewell {

TfrmExport::TfrmExport(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      lbExport(new QLabel(QStringLiteral("请选中要导出的数据(可多选，Ctrl或Shift多选)："), this)),
      listExport(new QListWidget(this)), btnExport(new QPushButton(QStringLiteral("导出[&E]"), this)),
      btnCancel(new QPushButton(QStringLiteral("取消[&C]"), this)),
      rbExchange(new QRadioButton(QStringLiteral("本程序的交换文件(*.txt)[&X]"), this)),
      rbICalendar(new QRadioButton(QStringLiteral("iCalendar 日历文件(*.ics)，供其他日历和手机使用[&I]"), this)),
      lbYears(new QLabel(QStringLiteral("农历、节气和带条件的提醒列出今后[&Y]"), this)), seYears(new QSpinBox(this)),
      cbLunarRules(new QCheckBox(QStringLiteral("农历提醒写成 RFC 7529 农历规则(只有少数日历程序认得)[&R]"), this)),
      lbLunarRules(
          new QLabel(QStringLiteral("大多数日历程序不认得这种规则：khal 读到它整个日历都会出错，python-icalendar "
                                    "会丢掉这些事件。不选时，农历提醒列出各年的日期，哪个日历都能读；同步到日历"
                                    "服务器时总是列出日期。"),
                     this)) {
    setWindowTitle(QStringLiteral("导出提醒"));
    listExport->setSelectionMode(QAbstractItemView::ExtendedSelection);
    listExport->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    btnExport->setDefault(true);
    btnCancel->setAutoDefault(false);

    auto* format = new QGroupBox(QStringLiteral("导出为"), this);
    auto* formatGrid = new QGridLayout(format);
    auto* formats = new QButtonGroup(this);
    formats->addButton(rbExchange);
    formats->addButton(rbICalendar);
    rbExchange->setChecked(true);
    seYears->setRange(1, MaxIcsYears);
    seYears->setValue(DefaultIcsYears);
    seYears->setSuffix(QStringLiteral(" 年"));
    lbYears->setBuddy(seYears);
    auto* years = new QHBoxLayout;
    years->addWidget(lbYears);
    years->addWidget(seYears);
    years->addWidget(new QLabel(QStringLiteral("的各次日期"), format));
    years->addStretch(1);
    formatGrid->addWidget(rbExchange, 0, 0, 1, 2);
    formatGrid->addWidget(rbICalendar, 1, 0, 1, 2);
    formatGrid->setColumnMinimumWidth(0, 16);
    formatGrid->addLayout(years, 2, 1);
    formatGrid->addWidget(cbLunarRules, 3, 1);
    lbLunarRules->setWordWrap(true);
    lbLunarRules->setContentsMargins(20, 0, 0, 0);
    formatGrid->addWidget(lbLunarRules, 4, 1);
    FormatChanged();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnExport);
    buttons->addWidget(btnCancel);
    // 导出 and 取消 stay in sight under the part that scrolls, however large the scale.
    QWidget* contents = ScrollableContents(*this, buttons);
    auto* layout = new QVBoxLayout(contents);
    layout->setContentsMargins(8, 8, 8, 0);
    layout->addWidget(lbExport);
    layout->addWidget(listExport, 1);
    layout->addWidget(format);

    // Room for a full description of a reminder on one line, and small enough for a laptop at large text.
    setMinimumSize(320, 300);
    resize(560, 420);
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        // As tall as the contents are at that width (the notes under the format wrap), within the screen.
        const QLayout* inside = contents->layout();
        const int width = std::max(560, inside->sizeHint().width());
        const int high =
            (inside->hasHeightForWidth() ? inside->totalHeightForWidth(width) : inside->sizeHint().height()) +
            buttons->sizeHint().height() + 12;
        resize(QSize(width, std::max(420, high)).boundedTo(area.size() - QSize(8, 40)));
        move(area.center() - rect().center());
    }
    listExport->setFocus();

    connect(btnExport, &QPushButton::clicked, this, &TfrmExport::btnExportClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmExport::btnCancelClick);
    connect(rbICalendar, &QRadioButton::toggled, this, &TfrmExport::FormatChanged);
}

void TfrmExport::FormatChanged() {
    const bool calendar = rbICalendar->isChecked();
    lbYears->setEnabled(calendar);
    seYears->setEnabled(calendar);
    cbLunarRules->setEnabled(calendar);
    lbLunarRules->setEnabled(calendar);
}

TExportChoice TfrmExport::Choice() const {
    TExportChoice choice;
    choice.Numbers = SelectedNumbers();
    choice.Format = rbICalendar->isChecked() ? ExportFormat::ICalendar : ExportFormat::Exchange;
    choice.Years = seYears->value();
    choice.LunarRules = cbLunarRules->isChecked();
    return choice;
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

std::optional<TExportChoice> RunExportWindow(const std::vector<std::string>& lines, QWidget* parent) {
    TfrmExport window(parent);
    window.SetLines(lines);
    window.exec();
    if (!window.Chosen) {
        return std::nullopt;
    }
    return window.Choice();
}

} // namespace chimewell
