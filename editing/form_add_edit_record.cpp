#include "editing/form_add_edit_record.h"
#include "data/reminder_schedule.h"
#include "editing/form_schedule.h"

#include "platform/message_box.h"

#include "runtime/list_typing.h"

#include "calendar/clock.h"
#include "runtime/next_firing.h"

#include "data/ini_file.h"
#include "ui/qt_dialog_helpers.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace chimewell {

namespace {

QStringList Items(const std::vector<std::string>& items) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(items.size()));
    for (const std::string& item : items) {
        list.append(Q(item));
    }
    return list;
}

QComboBox* ListBox(QWidget* parent, const std::vector<std::string>& items = {}) {
    auto* box = new QComboBox(parent);
    box->addItems(Items(items));
    box->setMaxVisibleItems(16);
    // The text shown for no item (a past year, a set of weekdays) is a value, not a hint: full colour.
    QPalette palette = box->palette();
    palette.setColor(QPalette::PlaceholderText, palette.color(QPalette::ButtonText));
    box->setPalette(palette);
    return box;
}

QPushButton* Button(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    // Only OK answers Enter.
    button->setAutoDefault(false);
    return button;
}

QLabel* Buddy(const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

// Sets a list's items only when they changed, so an open list or the scroll position is not disturbed.
void SetItems(QComboBox* box, const std::vector<std::string>& items) {
    bool same = box->count() == static_cast<int>(items.size());
    for (int i = 0; same && i < box->count(); ++i) {
        same = box->itemText(i) == Q(items[static_cast<std::size_t>(i)]);
    }
    if (!same) {
        box->clear();
        box->addItems(Items(items));
    }
}

void RenderList(QComboBox* box, const TChoiceList& list) {
    SetItems(box, list.Items);
    box->setPlaceholderText(list.Selected < 0 ? Q(list.Text) : QString());
    box->setCurrentIndex(list.Selected);
}

} // namespace

TfrmAddEditRecord::TfrmAddEditRecord(TRecordEditor& editor, QWidget* parent)
    : QDialog(parent, FixedDialogFlags), Editor(editor) {
    setObjectName(QStringLiteral("frmAddEditRecord"));
    QWidget* contents = ScrollableContents(*this);
    auto* layout = new QVBoxLayout(contents);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    stkDateArea = new QStackedWidget(this);
    stkDateArea->addWidget(CreateDateArea());
    stkDateArea->addWidget(CreateDateChooser());
    layout->addWidget(stkDateArea);
    layout->addWidget(CreateLowerGroups());

    btnOK = new QPushButton(QStringLiteral("确定[&O]"), this);
    btnOK->setDefault(true);
    btnCancle = Button(QStringLiteral("取消[&C]"), this);
    lbNextFiring = new QLabel(this);
    lbNextFiring->setWordWrap(true);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(lbNextFiring, 1);
    buttonRow->addWidget(btnOK);
    buttonRow->addWidget(btnCancle);
    layout->setContentsMargins(8, 8, 8, 0);
    AddFixedBelow(*this, buttonRow);

    CreateMenus();
    ConnectControls();
    for (QComboBox* box : {cbSelYear, cbSelMonth, cbSelDay, cbSelHour, cbSelMinuter, cbRemindForward, cbAfterDays}) {
        DiscardTypedCharacters(box);
    }
    Render();
    OpenedRecord = Editor.WorkRecord;
    // The window does not change size: what both pages of the date area and every control need, and at
    // least the designed 353 x 398.
    FixSizeOnScreen(*this, *contents, QSize(353, 398));
}

QWidget* TfrmAddEditRecord::CreateDateArea() {
    auto* page = new QWidget(this);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    auto* gbGongLiLunar = new QGroupBox(QStringLiteral("选择公/农历"), page);
    rbGongLi = new QRadioButton(QStringLiteral("公历[&G]"), gbGongLiLunar);
    rbLunar = new QRadioButton(QStringLiteral("农历[&L]"), gbGongLiLunar);
    auto* calendarRow = new QHBoxLayout(gbGongLiLunar);
    calendarRow->setContentsMargins(8, 2, 8, 4);
    calendarRow->addWidget(rbGongLi);
    calendarRow->addWidget(rbLunar);
    calendarRow->addStretch(1);
    column->addWidget(gbGongLiLunar);
    column->addWidget(CreateTimeGroup());
    return page;
}

QWidget* TfrmAddEditRecord::CreateTimeGroup() {
    auto* gbSelectTime = new QGroupBox(QStringLiteral("请选择时间"), this);
    cbSelYear = ListBox(gbSelectTime);
    cbSelMonth = ListBox(gbSelectTime);
    cbSelDay = ListBox(gbSelectTime);
    cbSelHour = ListBox(gbSelectTime, HourItems());
    cbSelMinuter = ListBox(gbSelectTime, MinuteItems());
    sbEveryYear = Button(QStringLiteral("每年[&1]"), gbSelectTime);
    sbEveryMonth = Button(QStringLiteral("每月[&2]"), gbSelectTime);
    sbEveryDay = Button(QStringLiteral("每日[&3]"), gbSelectTime);
    sbQuickDate = Button(QStringLiteral("快速设置日期[&Q]"), gbSelectTime);
    sbOtherOper = Button(QStringLiteral("选择其它操作[&T]"), gbSelectTime);
    sbSelWeek = Button(QStringLiteral("选择设置星期[&W]"), gbSelectTime);
    // Wide enough for the longest text a date list shows: every weekday chosen.
    const int dateWidth = cbSelDay->fontMetrics().horizontalAdvance(QStringLiteral("星期一二三四五六日")) + 40;
    for (QComboBox* box : {cbSelYear, cbSelMonth, cbSelDay}) {
        box->setMinimumWidth(dateWidth);
    }

    auto* grid = new QGridLayout(gbSelectTime);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->addWidget(Buddy(QStringLiteral("请选择年[&Y]："), cbSelYear, gbSelectTime), 0, 0);
    grid->addWidget(cbSelYear, 0, 1);
    grid->addWidget(sbEveryYear, 0, 2);
    grid->addWidget(Buddy(QStringLiteral("请选择时[&H]："), cbSelHour, gbSelectTime), 0, 4);
    grid->addWidget(cbSelHour, 0, 5);
    grid->addWidget(Buddy(QStringLiteral("请选择月[&M]："), cbSelMonth, gbSelectTime), 1, 0);
    grid->addWidget(cbSelMonth, 1, 1);
    grid->addWidget(sbEveryMonth, 1, 2);
    grid->addWidget(Buddy(QStringLiteral("请选择分[&N]："), cbSelMinuter, gbSelectTime), 1, 4);
    grid->addWidget(cbSelMinuter, 1, 5);
    grid->addWidget(Buddy(QStringLiteral("请选择日[&D]："), cbSelDay, gbSelectTime), 2, 0);
    grid->addWidget(cbSelDay, 2, 1);
    grid->addWidget(sbEveryDay, 2, 2);
    grid->addWidget(sbSelWeek, 2, 4, 1, 2);
    // Room around the captions, which the menu buttons' own size leaves too tight for Chinese text.
    for (QPushButton* button : {sbQuickDate, sbOtherOper, sbSelWeek}) {
        button->setMinimumWidth(button->sizeHint().width() + 16);
    }
    // The warnings days ahead and the repeat: set in a window of their own, said in words beside its button.
    sbSchedule = Button(QStringLiteral("提前与重复[&V]…"), gbSelectTime);
    sbSchedule->setToolTip(
        QStringLiteral("在提醒时间之前几分钟到 60 天另外提醒；每隔几天、几周、几个月或几年重复；到某日为止或共几次"));
    lbSchedule = new QLabel(gbSelectTime);
    lbSchedule->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* menuRow = new QHBoxLayout;
    menuRow->setSpacing(12);
    menuRow->addWidget(sbQuickDate);
    menuRow->addWidget(sbOtherOper);
    menuRow->addWidget(sbSchedule);
    menuRow->addWidget(lbSchedule, 1);
    grid->addLayout(menuRow, 3, 0, 1, 6);
    grid->setColumnMinimumWidth(3, 8);
    grid->setColumnStretch(1, 1);
    return gbSelectTime;
}

QWidget* TfrmAddEditRecord::CreateDateChooser() {
    panSelectDate = new QFrame(this);
    panSelectDate->setFrameShape(QFrame::StyledPanel);
    lbSelectDate = new QLabel(panSelectDate);
    QFont bold = lbSelectDate->font();
    bold.setBold(true);
    lbSelectDate->setFont(bold);
    lbSelectDate->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    mcSelectDate = new QCalendarWidget(panSelectDate);
    mcSelectDate->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    mcSelectDate->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    mcSelectDate->setFirstDayOfWeek(Editor.WeeksBeginOnSunday ? Qt::Sunday : Qt::Monday);
    mcSelectDate->setDateRange(QDate(FirstChooserYear, 1, 1), QDate(LastListedYear, 12, 31));
    cbAfterDays = ListBox(panSelectDate);
    cbAfterDays->setPlaceholderText(QStringLiteral("0"));
    lbDaysAfter = Buddy(QStringLiteral("天后[&E]"), cbAfterDays, panSelectDate);
    lbDaysAfter->setFont(bold);
    btnSelectDate = Button(QStringLiteral("确定[&K]"), panSelectDate);
    Button1 = Button(QStringLiteral("取消[&N]"), panSelectDate);
    panShowDate = new QFrame(panSelectDate);
    panShowDate->setFrameShape(QFrame::StyledPanel);
    lbShowDate = new QLabel(panShowDate);
    lbShowDate->setAlignment(Qt::AlignCenter);
    auto* showLayout = new QHBoxLayout(panShowDate);
    showLayout->setContentsMargins(4, 2, 4, 2);
    showLayout->addWidget(lbShowDate);

    auto* side = new QVBoxLayout;
    side->addWidget(btnSelectDate);
    side->addWidget(Button1);
    side->addStretch(1);
    auto* daysRow = new QHBoxLayout;
    daysRow->addWidget(cbAfterDays, 1);
    daysRow->addWidget(lbDaysAfter);
    side->addLayout(daysRow);
    side->addWidget(panShowDate);
    auto* row = new QHBoxLayout(panSelectDate);
    row->setContentsMargins(4, 4, 4, 4);
    row->addWidget(lbSelectDate);
    row->addWidget(mcSelectDate, 1);
    row->addLayout(side);
    return panSelectDate;
}

QWidget* TfrmAddEditRecord::CreateLowerGroups() {
    auto* area = new QWidget(this);
    auto* column = new QVBoxLayout(area);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    auto* gbSelectNR = new QGroupBox(QStringLiteral("提醒内容[&R]"), area);
    cbRemindText = new QComboBox(gbSelectNR);
    cbRemindText->setEditable(true);
    cbRemindText->setInsertPolicy(QComboBox::NoInsert);
    cbRemindText->addItems(Items(Editor.QuickTexts));
    cbRemindText->lineEdit()->setMaxLength(MaxMessageCharacters);
    cbRemindText->setMinimumContentsLength(20);
    cbRemindText->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    btnTestRemind = Button(QStringLiteral("测试内容[&X]"), gbSelectNR);
    btnTestRemind->setToolTip(QStringLiteral("看看内容里的代码（# 或 %）在提醒时会变成什么"));
    auto* textRow = new QHBoxLayout(gbSelectNR);
    textRow->setContentsMargins(8, 2, 8, 6);
    textRow->addWidget(cbRemindText, 1);
    textRow->addWidget(btnTestRemind);
    column->addWidget(gbSelectNR);

    auto* gbSelectMusic = new QGroupBox(QStringLiteral("提醒音乐"), area);
    cbSelMusic = new QCheckBox(QStringLiteral("提醒音乐[&U]："), gbSelectMusic);
    edtSelMusic = new QLineEdit(gbSelectMusic);
    edtSelMusic->setMaxLength(IniMaxValueCharacters);
    sbSelMusic = Button(QStringLiteral("..."), gbSelectMusic);
    sbSelMusic->setMaximumWidth(sbSelMusic->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 24);
    auto* musicRow = new QHBoxLayout(gbSelectMusic);
    musicRow->setContentsMargins(8, 2, 8, 6);
    musicRow->addWidget(cbSelMusic);
    musicRow->addWidget(edtSelMusic, 1);
    musicRow->addWidget(sbSelMusic);
    column->addWidget(gbSelectMusic);

    // The operation and the method side by side, two rows each, so the window stays short enough for a
    // small screen at large text sizes.
    auto* gbSelectToDo = new QGroupBox(QStringLiteral("提醒操作"), area);
    cbRemindForward = ListBox(gbSelectToDo, ForwardItems());
    sbRemindOper = Button(QStringLiteral("选择提醒操作"), gbSelectToDo);
    sbRemindOper->setMinimumWidth(sbRemindOper->sizeHint().width() + 16);
    sbAutoRun = Button(QStringLiteral("否"), gbSelectToDo);
    sbAutoRun->setToolTip(QStringLiteral("是否自动执行命令"));
    auto* todoGrid = new QGridLayout(gbSelectToDo);
    todoGrid->setContentsMargins(8, 2, 8, 6);
    todoGrid->setVerticalSpacing(4);
    todoGrid->addWidget(Buddy(QStringLiteral("提前提醒[&F]："), cbRemindForward, gbSelectToDo), 0, 0);
    todoGrid->addWidget(cbRemindForward, 0, 1);
    todoGrid->addWidget(Buddy(QStringLiteral("自动执行[&A]："), sbAutoRun, gbSelectToDo), 0, 2);
    todoGrid->addWidget(sbAutoRun, 0, 3);
    todoGrid->addWidget(Buddy(QStringLiteral("提醒操作[&P]："), sbRemindOper, gbSelectToDo), 1, 0);
    todoGrid->addWidget(sbRemindOper, 1, 1, 1, 3);
    todoGrid->setColumnStretch(3, 1);

    auto* gbSelectFS = new QGroupBox(QStringLiteral("选择提醒方式"), area);
    rbRemind1 = new QRadioButton(QStringLiteral("精确提醒[&J]"), gbSelectFS);
    rbDivazu2 = new QRadioButton(QStringLiteral("整点提醒[&Z]"), gbSelectFS);
    rbRemind3 = new QRadioButton(QStringLiteral("开机提醒[&S]"), gbSelectFS);
    rbRemind4 = new QRadioButton(QStringLiteral("开机整点[&B]"), gbSelectFS);
    auto* methodGrid = new QGridLayout(gbSelectFS);
    methodGrid->setContentsMargins(8, 2, 8, 6);
    methodGrid->setVerticalSpacing(4);
    methodGrid->addWidget(rbRemind1, 0, 0);
    methodGrid->addWidget(rbDivazu2, 0, 1);
    methodGrid->addWidget(rbRemind3, 1, 0);
    methodGrid->addWidget(rbRemind4, 1, 1);

    auto* lowRow = new QHBoxLayout;
    lowRow->setSpacing(6);
    lowRow->addWidget(gbSelectToDo, 1);
    lowRow->addWidget(gbSelectFS);
    column->addLayout(lowRow);

    return area;
}

void TfrmAddEditRecord::sbScheduleClick() {
    TScheduleEditor schedule(Editor.WorkRecord, StoredDateOf(Now()));
    TfrmSchedule form(schedule, this);
    if (form.exec() == QDialog::Accepted) {
        Editor.SetSchedule(schedule.Record);
    }
    Render();
}

void TfrmAddEditRecord::keyPressEvent(QKeyEvent* event) {
    // Escape works as 取消, but a reminder half typed is not thrown away without a question.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        if (Editor.WorkRecord == OpenedRecord ||
            IsAffirmative(ShowMessageBox(MessageKind::Question, "放弃修改", "这条提醒的修改还没有保存，要放弃吗？"))) {
            reject();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmAddEditRecord::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(*this);
    // The words beside 提前与重复 are cut to the room the layout gave them, known only now.
    Render();
}

void TfrmAddEditRecord::Step(const std::function<void()>& step) {
    if (Rendering) {
        return;
    }
    step();
    Render();
}

void TfrmAddEditRecord::Render() {
    Rendering = true;
    const TRmMainDate& record = Editor.WorkRecord;
    setWindowTitle(Q(Editor.Caption));
    rbGongLi->setChecked(!Editor.IsLunar());
    rbLunar->setChecked(Editor.IsLunar());
    RenderList(cbSelYear, Editor.Lists.Year);
    RenderList(cbSelMonth, Editor.Lists.Month);
    RenderList(cbSelDay, Editor.Lists.Day);
    cbSelHour->setCurrentIndex(Editor.HourItem());
    cbSelMinuter->setCurrentIndex(Editor.MinuteItem());
    cbRemindForward->setCurrentIndex(Editor.ForwardItem());

    if (cbRemindText->currentText() != Q(record.Message)) {
        cbRemindText->setEditText(Q(record.Message));
    }
    // Always in its place, so that no gap opens and closes beside the text; it works once there is a code.
    btnTestRemind->setEnabled(Editor.TestButtonVisible());

    cbSelMusic->setChecked(Editor.MusicChecked);
    edtSelMusic->setEnabled(Editor.MusicChecked);
    sbSelMusic->setEnabled(Editor.MusicChecked);
    if (edtSelMusic->text() != Q(Editor.MusicPath)) {
        edtSelMusic->setText(Q(Editor.MusicPath));
    }
    sbSelMusic->setToolTip(Q(Editor.MusicPath));

    sbRemindOper->setText(Q(Editor.CommandDisplay.Caption));
    sbRemindOper->setToolTip(Q(Editor.CommandDisplay.Hint));
    sbAutoRun->setText(Q(Editor.AutoRunCaption()));
    sbAutoRun->setEnabled(Editor.CommandDisplay.AutoRunEnabled);

    QRadioButton* const methods[] = {rbRemind1, rbDivazu2, rbRemind3, rbRemind4};
    methods[Editor.MethodChoice]->setChecked(true);
    for (int tag = 1; tag <= 7; ++tag) {
        popWeek[static_cast<std::size_t>(tag - 1)]->setChecked(Editor.WeekdayChecked(tag));
    }
    N20->setEnabled(Editor.DateChooserItemsEnabled());
    N22->setEnabled(Editor.DateChooserItemsEnabled());
    const TNextFiringLine next = DescribeNextFiring(record, Now(), Editor.WeeksBeginOnSunday);
    lbNextFiring->setText(Q(next.Notice.empty() ? next.Text : next.Text + "\n" + next.Notice));
    // Cut to the room beside the button, the whole in the tooltip.
    const QString schedule = Editor.WorkRecord.HasSchedule() ? Q(ScheduleSummary(Editor.WorkRecord)) : QString();
    const int room = lbSchedule->width() > 40 ? lbSchedule->width() : lbSchedule->fontMetrics().averageCharWidth() * 16;
    lbSchedule->setText(lbSchedule->fontMetrics().elidedText(schedule, Qt::ElideRight, room));
    lbSchedule->setToolTip(schedule);
    RenderDateChooser();
    Rendering = false;
}

void TfrmAddEditRecord::RenderDateChooser() {
    const TDateChooser& chooser = Editor.DateChooser;
    const bool wasShowing = stkDateArea->currentWidget() == panSelectDate;
    stkDateArea->setCurrentWidget(chooser.Visible ? panSelectDate : stkDateArea->widget(0));
    if (!chooser.Visible) {
        if (wasShowing) {
            cbSelYear->setFocus();
        }
        return;
    }
    lbSelectDate->setText(Q(chooser.Prompt));
    const DateFields date = DecodeDate(chooser.Date);
    mcSelectDate->setSelectedDate(QDate(date.Year, date.Month, date.Day));
    if (chooser.DaysAfterFilled && cbAfterDays->count() == 0) {
        for (int days = 0; days <= MaxDaysAfter; ++days) {
            cbAfterDays->addItem(QString::number(days));
        }
    }
    cbAfterDays->setCurrentIndex(chooser.DaysAfterFilled ? chooser.DaysAfter : -1);
    cbAfterDays->setVisible(chooser.DaysAfterVisible);
    lbDaysAfter->setVisible(chooser.DaysAfterVisible);
    panShowDate->setVisible(chooser.DaysAfterVisible);
    lbShowDate->setText(Q(chooser.ResultText()));
    if (!wasShowing) {
        mcSelectDate->setFocus();
    }
}

void TfrmAddEditRecord::btnOKClick() {
    Step([this] {
        if (Editor.btnOKClick()) {
            accept();
        }
    });
}

} // namespace chimewell
