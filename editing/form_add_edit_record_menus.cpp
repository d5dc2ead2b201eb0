// The add/edit dialog's drop-down menus and the wiring of its controls to the model.

#include "editing/form_add_edit_record.h"
#include "editing/form_input_url.h"
#include "ui/qt_dialog_helpers.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>

namespace chimewell {

namespace {

constexpr std::array<const char*, 7> WeekdayCaptions = {
    "星期一[&M]", "星期二[&T]", "星期三[&W]", "星期四[&H]", "星期五[&F]", "星期六[&A]", "星期日[&S]",
};

} // namespace

void TfrmAddEditRecord::CreateMenus() {
    popGongLiDays = new QMenu(this);
    for (const TFestival& festival : SolarFestivals) {
        QAction* item = popGongLiDays->addAction(Q(festival.Caption));
        item->setObjectName(Q(festival.Name));
        connect(item, &QAction::triggered, this,
                [this, &festival] { Step([this, &festival] { Editor.SolarFestivalClick(festival); }); });
    }
    popLunarDays = new QMenu(this);
    for (const TFestival& festival : LunarFestivals) {
        QAction* item = popLunarDays->addAction(Q(festival.Caption));
        item->setObjectName(Q(festival.Name));
        connect(item, &QAction::triggered, this,
                [this, &festival] { Step([this, &festival] { Editor.LunarFestivalClick(festival); }); });
    }

    const auto add = [this](QMenu* menu, const char* caption, std::function<void(TRecordEditor&)> step) {
        QAction* item = menu->addAction(QString::fromUtf8(caption));
        connect(item, &QAction::triggered, this, [this, step] { Step([this, &step] { step(Editor); }); });
        return item;
    };
    popOtherOper = new QMenu(this);
    N20 = add(popOtherOper, "设置指定的日期[&S]", &TRecordEditor::N20Click);
    N22 = add(popOtherOper, "指定Ｘ天后日期[&A]", &TRecordEditor::N22Click);
    popSetCurrentDate = add(popOtherOper, "设置为当前日期[&D]", &TRecordEditor::popSetCurrentDateClick);
    popSetCurrentHS = add(popOtherOper, "设置为当前时分[&H]", &TRecordEditor::popSetCurrentHSClick);
    popSetCurrentTime = add(popOtherOper, "设置为当前时间[&T]", &TRecordEditor::popSetCurrentTimeClick);
    popSetXMinuterLater = popOtherOper->addAction(QStringLiteral("设置时间X分钟后[&L]"));
    popSetXMinuterLater->setEnabled(false);
    popOtherOper->addSeparator();
    N14 = add(popOtherOper, "设置不显示提醒窗口[&N]", &TRecordEditor::N14Click);

    popRemindOper = new QMenu(this);
    E1 = add(popRemindOper, "无任何操作[&E]", &TRecordEditor::E1Click);
    N1 = add(popRemindOper, "关闭计算机[&S]", &TRecordEditor::N1Click);
    N2 = add(popRemindOper, "重新启动计算机[&R]", &TRecordEditor::N2Click);
    popRemindOper->addSeparator();
    N4 = add(popRemindOper, "打开程序[&P]...", &TRecordEditor::N4Click);
    N5 = add(popRemindOper, "打开文件[&F]...", &TRecordEditor::N5Click);
    U1 = popRemindOper->addAction(QStringLiteral("打开网址[&U]..."), this, &TfrmAddEditRecord::U1Click);

    popSelWeek = new QMenu(this);
    for (int tag = 1; tag <= 7; ++tag) {
        QAction* item = popSelWeek->addAction(QString::fromUtf8(WeekdayCaptions[static_cast<std::size_t>(tag - 1)]));
        item->setObjectName(QStringLiteral("popWeek%1").arg(tag));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, tag] { Step([this, tag] { Editor.ToggleWeekday(tag); }); });
        popWeek[static_cast<std::size_t>(tag - 1)] = item;
    }
    // China's official schedule: weekdays turned into holidays, weekends worked before or after them.
    popSelWeek->addSeparator();
    popOfficialWorkdays = popSelWeek->addAction(QStringLiteral("法定工作日[&G]"), this,
                                                [this] { Step([this] { Editor.OfficialDaysClick(true); }); });
    popOfficialRestDays = popSelWeek->addAction(QStringLiteral("法定休息日[&X]"), this,
                                                [this] { Step([this] { Editor.OfficialDaysClick(false); }); });
}

void TfrmAddEditRecord::ConnectControls() {
    // The model's steps travel as std::function: a pointer to member captured in a nested lambda is misread
    // by GCC 12 under AddressSanitizer.
    const auto onIndex = [this](QComboBox* box, std::function<void(TRecordEditor&, int)> step) {
        connect(box, &QComboBox::currentIndexChanged, this,
                [this, step](int item) { Step([this, &step, item] { step(Editor, item); }); });
    };
    onIndex(cbSelYear, &TRecordEditor::cbSelYearChange);
    onIndex(cbSelMonth, &TRecordEditor::cbSelMonthChange);
    onIndex(cbSelDay, &TRecordEditor::cbSelDayChange);
    onIndex(cbSelHour, &TRecordEditor::cbSelHourChange);
    onIndex(cbSelMinuter, &TRecordEditor::cbSelMinuterChange);
    onIndex(cbRemindForward, &TRecordEditor::cbRemindForwardChange);
    onIndex(cbAfterDays, &TRecordEditor::cbAfterDaysChange);

    const auto onClick = [this](QAbstractButton* button, std::function<void(TRecordEditor&)> step) {
        connect(button, &QAbstractButton::clicked, this, [this, step] { Step([this, &step] { step(Editor); }); });
    };
    onClick(sbEveryYear, &TRecordEditor::sbEveryYearClick);
    onClick(sbEveryMonth, &TRecordEditor::sbEveryMonthClick);
    onClick(sbEveryDay, &TRecordEditor::sbEveryDayClick);
    connect(btnTestRemind, &QPushButton::clicked, this, [this] { Editor.btnTestRemindClick(); });
    onClick(sbSelMusic, &TRecordEditor::sbSelMusicClick);
    onClick(sbAutoRun, &TRecordEditor::sbAutoRunClick);
    onClick(btnSelectDate, &TRecordEditor::ApplyChosenDate);
    onClick(Button1, &TRecordEditor::Button1Click);

    // A radio button acts when it becomes checked, not when an already checked one is clicked again.
    connect(rbLunar, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            Step([this] { Editor.rbLunarClick(); });
        }
    });
    connect(rbGongLi, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            Step([this] { Editor.rbGongLiClick(); });
        }
    });
    const std::array<QRadioButton*, 4> methods = {rbRemind1, rbDivazu2, rbRemind3, rbRemind4};
    for (int method = 0; method < 4; ++method) {
        connect(methods[static_cast<std::size_t>(method)], &QRadioButton::toggled, this, [this, method](bool on) {
            if (on) {
                Step([this, method] { Editor.rbRemindClick(method); });
            }
        });
    }

    connect(cbRemindText, &QComboBox::editTextChanged, this,
            [this](const QString& text) { Step([this, text] { Editor.cbRemindTextChange(text.toStdString()); }); });
    // The field takes no more than a stored message holds, and says so instead of cutting a paste silently.
    connect(cbRemindText->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text.size() >= MaxMessageCharacters) {
            QToolTip::showText(cbRemindText->mapToGlobal(QPoint(0, cbRemindText->height())),
                               QStringLiteral("提醒内容最多 %1 个字，超出的部分没有加进来。").arg(MaxMessageCharacters),
                               cbRemindText);
        }
    });
    connect(cbSelMusic, &QCheckBox::toggled, this,
            [this](bool on) { Step([this, on] { Editor.cbSelMusicClick(on); }); });
    connect(edtSelMusic, &QLineEdit::textEdited, this,
            [this](const QString& text) { Step([this, text] { Editor.edtSelMusicChange(text.toStdString()); }); });
    connect(mcSelectDate, &QCalendarWidget::selectionChanged, this, [this] {
        const QDate date = mcSelectDate->selectedDate();
        Step([this, date] { Editor.mcSelectDateClick(EncodeDate(date.year(), date.month(), date.day())); });
    });

    connect(sbQuickDate, &QPushButton::clicked, this, [this] { DropDown(sbQuickDate, QuickDateMenu()); });
    connect(sbOtherOper, &QPushButton::clicked, this, [this] { DropDown(sbOtherOper, popOtherOper); });
    connect(sbSelWeek, &QPushButton::clicked, this, [this] { DropDown(sbSelWeek, popSelWeek); });
    connect(sbRemindOper, &QPushButton::clicked, this, [this] { DropDown(sbRemindOper, popRemindOper); });
    connect(btnOK, &QPushButton::clicked, this, &TfrmAddEditRecord::btnOKClick);
    connect(sbSchedule, &QPushButton::clicked, this, &TfrmAddEditRecord::sbScheduleClick);
    connect(btnCancle, &QPushButton::clicked, this, &QDialog::reject);
}

QMenu* TfrmAddEditRecord::QuickDateMenu() const {
    return Editor.IsLunar() ? popLunarDays : popGongLiDays;
}

void TfrmAddEditRecord::DropDown(QPushButton* button, QMenu* menu) {
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void TfrmAddEditRecord::U1Click() {
    TfrmInputURL dialog(this);
    dialog.edtInputURL->setText(Q(Editor.UrlStartText()));
    dialog.exec();
    if (dialog.Accepted) {
        Step([this, address = dialog.edtInputURL->text().toStdString()] { Editor.ChooseAddress(address); });
    }
}

} // namespace chimewell
