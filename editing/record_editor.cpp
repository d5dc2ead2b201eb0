#include "editing/record_editor.h"

#include "data/reminder_schedule.h"
#include "editing/schedule_editor.h"
#include "platform/message_box.h"

#include "calendar/clock.h"
#include "calendar/due.h"
#include "calendar/lunar.h"
#include "data/constants.h"
#include "data/settings.h"
#include "data/text_helpers.h"
#include "editing/accept_checks.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "runtime/remind_runtime.h"
#include "runtime/remind_text.h"

namespace chimewell {

namespace {

// The first lunar year of the year list. Outside the lunar table today has no lunar year; the list then
// begins at the Gregorian year rather than at year 0.
int FirstLunarListedYear() {
    const int year = CurrentLunarYear();
    return year != 0 ? year : CurrentSolarYear();
}

int ItemIn(int value, int last) {
    return value >= 0 && value <= last ? value : -1;
}

// One line, at most a stored text's length: a line break cannot be stored and would end the text there.
std::string MessageFieldText(const std::string& text) {
    std::string line(FirstCharacters(text, MaxMessageCharacters));
    for (char& c : line) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return line;
}

void DateFromSolar(TRmMainDate& record, TDateTime date) {
    const DateFields fields = DecodeDate(date);
    record.Year = fields.Year;
    record.Month = fields.Month;
    record.Day = fields.Day;
}

} // namespace

TRecordEditor::TRecordEditor(const std::string& quickFinishPath) {
    DateFromSolar(WorkRecord, Today());
    if (!quickFinishPath.empty()) {
        QuickTexts = LoadQuickFinish(quickFinishPath);
    }
    Refill();
}

bool TRecordEditor::WeekdayChecked(int tag) const {
    return IsWeekdayDay(WorkRecord.Day) && tag >= 1 && tag <= 7 && (WorkRecord.Day & (1 << (tag - 1))) != 0;
}

bool TRecordEditor::TestButtonVisible() const {
    return WorkRecord.Message.find_first_of("#%") != std::string::npos;
}

std::string_view TRecordEditor::AutoRunCaption() const {
    // A power command runs by itself whatever the flag says, and the locked toggle says so.
    return chimewell::AutoRunCaption(WorkRecord.AutoExecScript || !CommandDisplay.AutoRunEnabled);
}

int TRecordEditor::HourItem() const {
    return ItemIn(WorkRecord.Hour, 23);
}

int TRecordEditor::MinuteItem() const {
    return ItemIn(WorkRecord.Minuter, 59);
}

int TRecordEditor::ForwardItem() const {
    return ItemIn(WorkRecord.Forward, 30);
}

void TRecordEditor::Refill() {
    Lists =
        IsLunar() ? FillLunarLists(WorkRecord, FirstLunarListedYear()) : FillSolarLists(WorkRecord, CurrentSolarYear());
}

void TRecordEditor::cbSelYearChange(int item) {
    if (item < 0) {
        return;
    }
    WorkRecord.Year = YearOfItem(item, Lists.FirstListedYear);
    Refill();
}

void TRecordEditor::cbSelMonthChange(int item) {
    if (item < 0) {
        return;
    }
    if (IsLunar()) {
        LunarMonthOfItem(item, Lists.ListedLeapMonth, WorkRecord.Month, WorkRecord.IsLeapMonth);
    } else {
        WorkRecord.Month = item;
    }
    Refill();
}

void TRecordEditor::cbSelDayChange(int item) {
    if (item < 0 || item >= static_cast<int>(Lists.Day.Items.size())) {
        return;
    }
    WorkRecord.Day = item;
    Lists.Day.Selected = item;
    Lists.Day.Text = Lists.Day.Items[static_cast<std::size_t>(item)];
}

void TRecordEditor::cbSelHourChange(int item) {
    if (item >= 0) {
        WorkRecord.Hour = item;
    }
}

void TRecordEditor::cbSelMinuterChange(int item) {
    if (item >= 0) {
        WorkRecord.Minuter = item;
    }
}

void TRecordEditor::cbRemindForwardChange(int item) {
    if (item >= 0) {
        WorkRecord.Forward = item;
    }
}

void TRecordEditor::rbRemindClick(int method) {
    WorkRecord.Method = method;
    MethodChoice = method;
}

void TRecordEditor::sbEveryYearClick() {
    cbSelYearChange(0);
}

void TRecordEditor::sbEveryMonthClick() {
    cbSelMonthChange(0);
}

void TRecordEditor::sbEveryDayClick() {
    // No refill: in the solar-term list item 0 is the first term, and Day 0 stands for it.
    cbSelDayChange(0);
}

void TRecordEditor::rbLunarClick() {
    if (IsLunar()) {
        return;
    }
    TRmMainDate& record = WorkRecord;
    record.IsLunar = true;
    if (record.Year != 0 && record.Month >= 1 && record.Month <= 12 && record.Day >= 1 && record.Day <= 31 &&
        IsValidGregorianDate(record.Year, record.Month, record.Day)) {
        const LunarDate lunar = SolarToLunar(EncodeDate(record.Year, record.Month, record.Day));
        if (!lunar.IsEmpty()) {
            record.Year = lunar.Year;
            record.Month = lunar.Month;
            record.Day = lunar.Day;
            record.IsLeapMonth = lunar.IsLeapMonth;
        }
    }
    Refill();
}

void TRecordEditor::rbGongLiClick() {
    if (!IsLunar()) {
        return;
    }
    TRmMainDate& record = WorkRecord;
    record.IsLunar = false;
    const LunarDate lunar{record.Year, record.Month, record.Day, record.IsLeapMonth};
    if (record.Year != 0 && record.Month >= 1 && record.Month <= 12 && record.Day >= 1 && record.Day <= 30 &&
        IsValidLunarDate(lunar)) {
        DateFromSolar(record, LunarToSolar(lunar));
    }
    record.IsLeapMonth = false;
    Refill();
}

void TRecordEditor::ToggleWeekday(int tag) {
    if (tag < 1 || tag > 7) {
        return;
    }
    TRmMainDate& record = WorkRecord;
    if (!IsWeekdayDay(record.Day)) {
        record.Day = WeekdayMask;
    }
    record.Day ^= 1 << (tag - 1);
    if (record.Day == WeekdayMask) {
        // No weekday left: the reminder falls back to a plain date.
        record.Day = 1;
        cbSelDayChange(1);
        return;
    }
    // Solar terms carry no weekdays. A Gregorian December keeps its month.
    if (IsLunar() && record.Month == SolarTermMonth) {
        record.Month = 1;
        record.IsLeapMonth = false;
    }
    Refill();
}

void TRecordEditor::cbRemindTextChange(const std::string& text) {
    WorkRecord.Message = MessageFieldText(text);
}

void TRecordEditor::btnTestRemindClick() const {
    ShowMessageBox(MessageKind::Information, "测试内容",
                   "要测试的内容为：“" + ExpandRemindText(WorkRecord.Message) + "”。");
}

void TRecordEditor::cbSelMusicClick(bool checked) {
    MusicChecked = checked;
    if (!checked) {
        MusicPath.clear();
    }
    WorkRecord.Music = MusicPath;
}

void TRecordEditor::edtSelMusicChange(const std::string& path) {
    MusicPath = path;
    WorkRecord.Music = path;
}

void TRecordEditor::sbSelMusicClick() {
    const std::optional<std::string> chosen =
        ShowFileDialog({FileDialogMode::Open, "选择提醒音乐", MusicStartDir, std::string(MusicFileFilter)});
    if (chosen) {
        edtSelMusicChange(*chosen);
    }
}

void TRecordEditor::sbAutoRunClick() {
    if (CommandDisplay.AutoRunEnabled) {
        WorkRecord.AutoExecScript = !WorkRecord.AutoExecScript;
    }
}

void TRecordEditor::LoadRecord(const TRmMainDate& record) {
    WorkRecord.CopyFrom(record);
    Refill();
    MethodChoice =
        record.Method >= RemindExact && record.Method <= RemindAtStartupHourly ? record.Method : RemindAtStartupHourly;
    cbRemindTextChange(record.Message);
    MusicChecked = !record.Music.empty();
    MusicPath = record.Music;
    Caption = "编辑提醒";
    CommandDisplay = CommandDisplayFor(record.Command);
}

void TRecordEditor::SolarFestivalClick(const TFestival& festival) {
    if (festival.Occurrence == 0) {
        SetQuickSolarDate(festival.Month, festival.Day);
        return;
    }
    const std::string condition = FestivalWeekCondition(festival);
    WorkRecord.Month = festival.Month;
    WorkRecord.Day = festival.Day;
    Refill();
    WorkRecord.Message = condition;
    ShowMessageBox(MessageKind::Information, "注意", "注意不要删除“" + condition + "”，请在后面加上要写的内容！");
}

void TRecordEditor::OfficialDaysClick(bool workdays) {
    const std::string condition = workdays ? "$gzr$" : "$xxr$";
    WorkRecord.Year = 0;
    WorkRecord.Month = 0;
    WorkRecord.Day = 0;
    WorkRecord.IsLeapMonth = false;
    Refill();
    const std::string& message = WorkRecord.Message;
    WorkRecord.Message = condition + (HasWeekCondition(message) ? StripWeekCondition(message) : message);
    ShowMessageBox(MessageKind::Information, "注意", "注意不要删除“" + condition + "”，请在后面加上要写的内容！");
}

void TRecordEditor::LunarFestivalClick(const TFestival& festival) {
    SetQuickLunarDate(festival.Month, festival.Day);
}

void TRecordEditor::SetQuickSolarDate(int month, int day) {
    WorkRecord.Month = month;
    WorkRecord.Day = day;
    Refill();
}

void TRecordEditor::SetQuickLunarDate(int month, int day) {
    // A festival is always in the ordinary month, also in a year whose leap month has its number (端午节 of
    // 2028 is 五月初五, not 闰五月初五); the day is cut to the month's length when a year is set (除夕 is the 29th
    // in some years).
    WorkRecord.Month = month;
    WorkRecord.Day = day;
    WorkRecord.IsLeapMonth = false;
    Refill();
}

void TRecordEditor::N20Click() {
    if (DateChooserItemsEnabled()) {
        DateChooser.OpenDate(WorkRecord, Today());
    }
}

void TRecordEditor::N22Click() {
    if (DateChooserItemsEnabled()) {
        DateChooser.OpenDaysAfter(WorkRecord, Today());
    }
}

void TRecordEditor::cbAfterDaysChange(int item) {
    if (item >= 0 && item <= MaxDaysAfter) {
        DateChooser.DaysAfter = item;
    }
}

void TRecordEditor::mcSelectDateClick(TDateTime date) {
    DateChooser.Date = DateOf(date);
}

void TRecordEditor::ApplyChosenDate() {
    if (!DateChooser.Visible) {
        return;
    }
    const TDateTime chosen = DateChooser.Result();
    DateChooser.Close();
    DateFromSolar(WorkRecord, chosen);
    Refill();
}

void TRecordEditor::Button1Click() {
    DateChooser.Close();
}

void TRecordEditor::popSetCurrentDateClick() {
    if (IsLunar()) {
        const LunarDate today = SolarToLunar(Today());
        if (today.IsEmpty()) {
            return; // the lunar table does not reach today
        }
        WorkRecord.Year = today.Year;
        WorkRecord.Month = today.Month;
        WorkRecord.Day = today.Day;
        WorkRecord.IsLeapMonth = today.IsLeapMonth;
    } else {
        DateFromSolar(WorkRecord, Today());
    }
    Refill();
}

void TRecordEditor::popSetCurrentHSClick() {
    const TimeFields now = DecodeTime(Now());
    WorkRecord.Hour = now.Hour;
    WorkRecord.Minuter = now.Minute;
}

void TRecordEditor::popSetCurrentTimeClick() {
    popSetCurrentHSClick();
    popSetCurrentDateClick();
}

void TRecordEditor::N14Click() {
    WorkRecord.Message = std::string(SilentReminderMessage);
    ShowMessageBox(MessageKind::Information, "注意", "如果要设置不显示提醒窗口请不要更改提醒内容！");
}

void TRecordEditor::E1Click() {
    ChooseCommand(WorkRecord, CommandDisplay, CommandChoice::None, StartupMethod());
}

void TRecordEditor::N1Click() {
    ChooseCommand(WorkRecord, CommandDisplay, CommandChoice::ShutDown, StartupMethod());
}

void TRecordEditor::N2Click() {
    ChooseCommand(WorkRecord, CommandDisplay, CommandChoice::Reboot, StartupMethod());
}

void TRecordEditor::ChooseFile(CommandChoice choice, const char* title) {
    const std::optional<std::string> chosen = ShowFileDialog({FileDialogMode::Open, title, {}, AnyFileFilter});
    if (chosen) {
        ChooseCommand(WorkRecord, CommandDisplay, choice, StartupMethod(), *chosen);
    }
}

void TRecordEditor::N4Click() {
    ChooseFile(CommandChoice::Program, "选择要打开的程序");
}

void TRecordEditor::N5Click() {
    ChooseFile(CommandChoice::File, "选择要打开的文件");
}

std::string TRecordEditor::UrlStartText() const {
    return AddressDialogStartText(WorkRecord.Command);
}

void TRecordEditor::ChooseAddress(const std::string& address) {
    ChooseCommand(WorkRecord, CommandDisplay, CommandChoice::Address, StartupMethod(), address);
}

bool TRecordEditor::btnOKClick() {
    if (DateChooser.Visible) {
        ApplyChosenDate();
    }
    TAcceptInput input;
    input.Record = &WorkRecord;
    input.StartupMethod = StartupMethod();
    input.MessageText = WorkRecord.Message;
    input.MusicChecked = MusicChecked;
    input.MusicPath = MusicPath;
    input.Now = Now();
    // A schedule the date fields no longer allow (a lunar date repeating by weeks) is said before anything else.
    if (const std::string problem = ScheduleProblem(WorkRecord); !problem.empty()) {
        ShowMessageBox(MessageKind::Information, "提前提醒与重复", problem);
        Accepted = false;
        return false;
    }
    Accepted = RunAcceptChecks(input);
    return Accepted;
}

void TRecordEditor::SetSchedule(const TRmMainDate& schedule) {
    CopySchedule(schedule, WorkRecord);
}

} // namespace chimewell
