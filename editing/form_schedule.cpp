#include "editing/form_schedule.h"

#include "data/reminder_schedule.h"
#include "platform/message_box.h"
#include "ui/qt_dialog_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <array>

namespace chimewell {

namespace {

constexpr std::array<LeadUnit, 4> LeadUnits = {LeadUnit::Minutes, LeadUnit::Hours, LeadUnit::Days, LeadUnit::Weeks};
constexpr std::array<RepeatUnit, 4> RepeatUnits = {RepeatUnit::Days, RepeatUnit::Weeks, RepeatUnit::Months,
                                                   RepeatUnit::Years};

QDate QDateOf(std::int32_t date) {
    return QDate(date / 10000, date / 100 % 100, date % 100);
}

std::int32_t StoredOf(const QDate& date) {
    return date.year() * 10000 + date.month() * 100 + date.day();
}

QDateEdit* DateBox(QWidget* parent) {
    auto* box = new QDateEdit(parent);
    box->setCalendarPopup(true);
    box->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    box->setDateRange(QDate(1900, 1, 1), QDate(2100, 12, 31));
    return box;
}

} // namespace

TfrmSchedule::TfrmSchedule(TScheduleEditor& editor, QWidget* parent)
    : QDialog(parent, FixedDialogFlags), Editor(editor) {
    setWindowTitle(QStringLiteral("提前提醒与重复"));
    auto* column = new QVBoxLayout(this);

    auto* gbWarnings = new QGroupBox(QStringLiteral("提前提醒（在提醒时间之前另外提醒，不执行命令）"), this);
    lwWarnings = new QListWidget(gbWarnings);
    lwWarnings->setMaximumHeight(lwWarnings->fontMetrics().height() * 6);
    btnOneDay = new QPushButton(QStringLiteral("提前1天"), gbWarnings);
    btnThreeDays = new QPushButton(QStringLiteral("提前3天"), gbWarnings);
    btnOneWeek = new QPushButton(QStringLiteral("提前1周"), gbWarnings);
    spLead = new QSpinBox(gbWarnings);
    spLead->setRange(1, 999);
    spLead->setValue(2);
    cbLeadUnit = new QComboBox(gbWarnings);
    cbLeadUnit->addItems({QStringLiteral("分钟"), QStringLiteral("小时"), QStringLiteral("天"), QStringLiteral("周")});
    cbLeadUnit->setCurrentIndex(1);
    btnAddLead = new QPushButton(QStringLiteral("添加[&A]"), gbWarnings);
    btnRemoveLead = new QPushButton(QStringLiteral("删除[&D]"), gbWarnings);
    auto* warningGrid = new QGridLayout(gbWarnings);
    warningGrid->addWidget(lwWarnings, 0, 0, 3, 1);
    auto* quick = new QHBoxLayout;
    quick->addWidget(btnOneDay);
    quick->addWidget(btnThreeDays);
    quick->addWidget(btnOneWeek);
    warningGrid->addLayout(quick, 0, 1);
    auto* custom = new QHBoxLayout;
    auto* leadLabel = new QLabel(QStringLiteral("提前[&T]"), gbWarnings);
    leadLabel->setBuddy(spLead);
    custom->addWidget(leadLabel);
    custom->addWidget(spLead);
    custom->addWidget(cbLeadUnit);
    custom->addWidget(btnAddLead);
    warningGrid->addLayout(custom, 1, 1);
    warningGrid->addWidget(btnRemoveLead, 2, 1, Qt::AlignLeft | Qt::AlignTop);
    column->addWidget(gbWarnings);

    auto* gbRepeat = new QGroupBox(QStringLiteral("重复"), this);
    chkMonthEnd = new QCheckBox(
        QStringLiteral("没有这一天的月份在月末提醒[&M]（如 31 日在小月的 30 日、二月的 28 或 29 日）"), gbRepeat);
    chkEvery = new QCheckBox(QStringLiteral("每隔[&E]"), gbRepeat);
    spEvery = new QSpinBox(gbRepeat);
    spEvery->setRange(1, MostEveryCount);
    spEvery->setValue(2);
    cbEveryUnit = new QComboBox(gbRepeat);
    cbEveryUnit->addItems({QStringLiteral("天"), QStringLiteral("周"), QStringLiteral("个月"), QStringLiteral("年")});
    deStart = DateBox(gbRepeat);
    rbNoEnd = new QRadioButton(QStringLiteral("一直重复[&N]"), gbRepeat);
    rbEndDate = new QRadioButton(QStringLiteral("到[&U]"), gbRepeat);
    deEnd = DateBox(gbRepeat);
    rbEndCount = new QRadioButton(QStringLiteral("共[&C]"), gbRepeat);
    spEndCount = new QSpinBox(gbRepeat);
    spEndCount->setRange(1, MostEndCount);
    auto* repeatGrid = new QGridLayout(gbRepeat);
    auto* everyRow = new QHBoxLayout;
    everyRow->addWidget(chkEvery);
    everyRow->addWidget(spEvery);
    everyRow->addWidget(cbEveryUnit);
    auto* fromLabel = new QLabel(QStringLiteral("从[&S]"), gbRepeat);
    fromLabel->setBuddy(deStart);
    everyRow->addWidget(fromLabel);
    everyRow->addWidget(deStart);
    everyRow->addWidget(new QLabel(QStringLiteral("起"), gbRepeat));
    everyRow->addStretch(1);
    repeatGrid->addWidget(chkMonthEnd, 0, 0, 1, 3);
    repeatGrid->addLayout(everyRow, 1, 0, 1, 3);
    repeatGrid->addWidget(rbNoEnd, 2, 0);
    auto* untilRow = new QHBoxLayout;
    untilRow->addWidget(rbEndDate);
    untilRow->addWidget(deEnd);
    untilRow->addWidget(new QLabel(QStringLiteral("为止"), gbRepeat));
    untilRow->addStretch(1);
    repeatGrid->addLayout(untilRow, 2, 1);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(rbEndCount);
    countRow->addWidget(spEndCount);
    countRow->addWidget(new QLabel(QStringLiteral("次"), gbRepeat));
    countRow->addStretch(1);
    repeatGrid->addLayout(countRow, 2, 2);
    column->addWidget(gbRepeat);

    lbSummary = new QLabel(this);
    lbSummary->setWordWrap(true);
    column->addWidget(lbSummary);

    btnOK = new QPushButton(QStringLiteral("确定[&O]"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("取消"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    column->addLayout(buttons);

    // Dates not set yet show today, where a new interval counts from.
    deStart->setDate(QDateOf(Editor.TodayDate()));
    deEnd->setDate(QDateOf(Editor.TodayDate()));

    connect(btnOneDay, &QPushButton::clicked, this, [this] { AddLead({1, LeadUnit::Days}); });
    connect(btnThreeDays, &QPushButton::clicked, this, [this] { AddLead({3, LeadUnit::Days}); });
    connect(btnOneWeek, &QPushButton::clicked, this, [this] { AddLead({1, LeadUnit::Weeks}); });
    connect(btnAddLead, &QPushButton::clicked, this, [this] {
        AddLead({spLead->value(), LeadUnits[static_cast<std::size_t>(std::max(0, cbLeadUnit->currentIndex()))]});
    });
    connect(btnRemoveLead, &QPushButton::clicked, this, [this] {
        const int row = lwWarnings->currentRow();
        if (row >= 0) {
            Editor.RemoveWarning(static_cast<std::size_t>(row));
            Render();
            lwWarnings->setCurrentRow(std::min(row, lwWarnings->count() - 1));
        }
    });
    connect(chkMonthEnd, &QCheckBox::toggled, this, [this](bool checked) {
        if (!Rendering) {
            Editor.SetMonthEnd(checked);
            Render();
        }
    });
    connect(chkEvery, &QCheckBox::toggled, this, [this] { RepeatChanged(); });
    connect(spEvery, &QSpinBox::valueChanged, this, [this] { RepeatChanged(); });
    connect(cbEveryUnit, &QComboBox::currentIndexChanged, this, [this] { RepeatChanged(); });
    connect(deStart, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        if (!Rendering) {
            Editor.SetStart(StoredOf(date));
            Render();
        }
    });
    const auto endChosen = [this](RepeatEnd end) {
        if (!Rendering) {
            Editor.SetEnd(end);
            Render();
        }
    };
    connect(rbNoEnd, &QRadioButton::clicked, this, [endChosen] { endChosen(RepeatEnd::Never); });
    connect(rbEndDate, &QRadioButton::clicked, this, [endChosen] { endChosen(RepeatEnd::OnDate); });
    connect(rbEndCount, &QRadioButton::clicked, this, [endChosen] { endChosen(RepeatEnd::AfterCount); });
    connect(deEnd, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        if (!Rendering) {
            Editor.SetEndDate(StoredOf(date));
            Render();
        }
    });
    connect(spEndCount, &QSpinBox::valueChanged, this, [this](int count) {
        if (!Rendering) {
            Editor.SetEndCount(count);
            Render();
        }
    });
    connect(btnOK, &QPushButton::clicked, this, [this] {
        const std::string problem = Editor.Problem();
        if (!problem.empty()) {
            ShowMessageBox(MessageKind::Information, "提前提醒与重复", problem);
            return;
        }
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    Render();
}

void TfrmSchedule::AddLead(TLeadTime lead) {
    if (!Editor.AddWarning(lead)) {
        ShowMessageBox(MessageKind::Information, "提前提醒与重复", Editor.Refusal());
        return;
    }
    Render();
}

void TfrmSchedule::RepeatChanged() {
    if (Rendering) {
        return;
    }
    const RepeatUnit unit = chkEvery->isChecked()
                                ? RepeatUnits[static_cast<std::size_t>(std::max(0, cbEveryUnit->currentIndex()))]
                                : RepeatUnit::None;
    Editor.SetRepeat(unit, spEvery->value());
    Render();
}

void TfrmSchedule::Render() {
    Rendering = true;
    const TRmMainDate& record = Editor.Record;
    lwWarnings->clear();
    for (const TLeadTime& lead : record.Warnings) {
        lwWarnings->addItem(QStringLiteral("提前 ") + Q(LeadText(lead)));
    }
    btnRemoveLead->setEnabled(!record.Warnings.empty());
    chkMonthEnd->setChecked(record.MonthEnd);
    chkMonthEnd->setEnabled(Editor.MonthEndAllowed());
    const bool every = record.Every != RepeatUnit::None;
    chkEvery->setChecked(every);
    if (every) {
        spEvery->setValue(record.EveryCount);
        for (std::size_t i = 0; i < RepeatUnits.size(); ++i) {
            if (RepeatUnits[i] == record.Every) {
                cbEveryUnit->setCurrentIndex(static_cast<int>(i));
            }
        }
    }
    // A lunar reminder repeats by lunar months and years only.
    for (std::size_t i = 0; i < RepeatUnits.size(); ++i) {
        cbEveryUnit->setItemData(static_cast<int>(i), Editor.UnitAllowed(RepeatUnits[i]) ? QVariant() : QVariant(0),
                                 Qt::UserRole - 1);
    }
    if (!every && record.IsLunar) {
        cbEveryUnit->setCurrentIndex(2); // lunar months
    }
    spEvery->setEnabled(every);
    cbEveryUnit->setEnabled(every);
    if (record.StartDate != 0) {
        deStart->setDate(QDateOf(record.StartDate));
    }
    const RepeatEnd end = Editor.End();
    rbNoEnd->setChecked(end == RepeatEnd::Never);
    rbEndDate->setChecked(end == RepeatEnd::OnDate);
    rbEndCount->setChecked(end == RepeatEnd::AfterCount);
    if (record.EndDate != 0) {
        deEnd->setDate(QDateOf(record.EndDate));
    } else if (record.StartDate != 0 && deEnd->date() < QDateOf(record.StartDate)) {
        deEnd->setDate(QDateOf(record.StartDate));
    }
    deEnd->setEnabled(end == RepeatEnd::OnDate);
    spEndCount->setEnabled(end == RepeatEnd::AfterCount);
    if (record.EndCount > 0) {
        spEndCount->setValue(record.EndCount);
    }
    const std::string problem = Editor.Problem();
    lbSummary->setText(Q(Editor.Summary()) + (problem.empty() ? QString() : QStringLiteral("\n") + Q(problem)));
    Rendering = false;
}

} // namespace chimewell
