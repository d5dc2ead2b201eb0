#pragma once
// The add/edit dialog's model: the reminder being composed and everything the dialog shows of it, with one
// step for each thing the user can do. Every step writes the record at once; OK only checks and accepts.
// Plain C++: the Qt dialog renders this model and forwards its controls' events; tests drive it directly.

#include "calendar/festivals.h"
#include "data/reminder.h"
#include "editing/command_chooser.h"
#include "editing/date_chooser.h"
#include "editing/date_lists.h"

#include <string>
#include <vector>

namespace chimewell {

// The message field takes no more than a stored text can hold when it is read back.
inline constexpr int MaxMessageCharacters = 2047;

// The filters and titles of the editor's file choosers.
inline constexpr const char* AnyFileFilter = "所有文件*.*|*.*";

class TRecordEditor {
public:
    // A new reminder: today's Gregorian date at 0:00, exact method, no music, no command, the ready-made texts
    // of the quick-finish file (none when it is missing).
    explicit TRecordEditor(const std::string& quickFinishPath = {});

    TRmMainDate WorkRecord;
    std::string Caption = "添加/编辑提醒";
    // Where the music chooser opens; the add command sets it to the last folder music was taken from.
    std::string MusicStartDir;
    // The date chooser's weeks begin as the week conditions count them (the BeginWithSunday setting).
    bool WeeksBeginOnSunday = false;
    bool Accepted = false;

    TDateLists Lists;
    std::vector<std::string> QuickTexts;
    // The checked method button, 0..3; a stored code beyond 3 behaves as 3 and shows so.
    int MethodChoice = RemindExact;
    bool MusicChecked = false;
    std::string MusicPath;
    TCommandDisplay CommandDisplay;
    TDateChooser DateChooser;

    bool IsLunar() const { return WorkRecord.IsLunar; }
    // The weekday menu's check marks (tag 1 = Monday .. 7 = Sunday) mirror the record's weekday set.
    bool WeekdayChecked(int tag) const;
    // The test button shows while the message holds a "#" or "%" code.
    bool TestButtonVisible() const;
    // The date chooser and the days-after chooser work in the Gregorian calendar only.
    bool DateChooserItemsEnabled() const { return !IsLunar(); }
    std::string_view AutoRunCaption() const;
    // The item of the hour, minute and minutes-early lists, or -1 for a hand-edited value outside them.
    int HourItem() const;
    int MinuteItem() const;
    int ForwardItem() const;

    void cbSelYearChange(int item);
    void cbSelMonthChange(int item);
    void cbSelDayChange(int item);
    void cbSelHourChange(int item);
    void cbSelMinuterChange(int item);
    void cbRemindForwardChange(int item);
    void rbRemindClick(int method);
    void sbEveryYearClick();
    void sbEveryMonthClick();
    void sbEveryDayClick();
    void rbLunarClick();
    void rbGongLiClick();
    void ToggleWeekday(int tag);
    void cbRemindTextChange(const std::string& text);
    void btnTestRemindClick() const;
    void cbSelMusicClick(bool checked);
    void edtSelMusicChange(const std::string& path);
    void sbSelMusicClick();
    void sbAutoRunClick();
    // Takes a stored reminder for editing; WithScript and Reminded come along unchanged.
    void LoadRecord(const TRmMainDate& record);

    // The festival menus: the item's date, or for a weekday rule its weekday, month and week condition.
    void SolarFestivalClick(const TFestival& festival);
    void LunarFestivalClick(const TFestival& festival);
    // "法定工作日" / "法定休息日" of the weekday menu: every day, on official workdays (or rest days) only. The
    // condition takes the place of any other at the start of the message.
    void OfficialDaysClick(bool workdays);
    void SetQuickSolarDate(int month, int day);
    void SetQuickLunarDate(int month, int day);

    // The other-operations menu and the date chooser panel.
    void N20Click();
    void N22Click();
    void cbAfterDaysChange(int item);
    void mcSelectDateClick(TDateTime date);
    void ApplyChosenDate();
    void Button1Click();
    void popSetCurrentDateClick();
    void popSetCurrentHSClick();
    void popSetCurrentTimeClick();
    void N14Click();

    // The reminder-operation menu. N4 and N5 ask the file chooser; the address comes from the address dialog,
    // which opens on UrlStartText.
    void E1Click();
    void N1Click();
    void N2Click();
    void N4Click();
    void N5Click();
    std::string UrlStartText() const;
    void ChooseAddress(const std::string& address);

    // Takes a date still open in the chooser, then runs the checks; true (and Accepted) when they all pass.
    bool btnOKClick();
    // Takes the warnings and the repeat the schedule window set.
    void SetSchedule(const TRmMainDate& schedule);

private:
    void Refill();
    bool StartupMethod() const { return MethodChoice >= RemindAtStartup; }
    void ChooseFile(CommandChoice choice, const char* title);
};

} // namespace chimewell
