#pragma once
// The month window 月历: the month at a glance in both calendars, each day with its lunar day, solar term,
// festivals and 休/班, and a mark where reminders fire; the selected day's firings; and what comes next. It
// lives like the search window: made once, hidden between uses, and it follows every change of the list.

#include "runtime/month_view.h"

#include <QWidget>

#include <functional>

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace chimewell {

class TfrmMonthCalendar : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMonthCalendar(QWidget* owner, const TRmDataList& list, const TRmConfig& config);

    // What the window asks of the main window: the record commands on a reminder, adding on a day, and
    // selecting a reminder in the main list.
    std::function<void(std::int32_t)> ViewRecord;
    std::function<void(std::int32_t)> EditRecord;
    std::function<void(std::int32_t)> DeleteRecord;
    std::function<void(const TRmMainDate&)> AddRecord;
    // 快速添加 started with the chosen day.
    std::function<void(TDateTime)> QuickAddOnDay;
    std::function<void(std::int32_t)> SelectRecord;

    // Shows the month of the date and selects the date.
    void ShowDate(TDateTime date);
    // Draws the month and the coming firings again from the list as it is now.
    void Refresh();
    // The minute turned: only what it changes is worked out again (the coming firings once the first of them
    // has passed, the month when the day or the list changed).
    void MinuteRefresh();
    TDateTime SelectedDate() const { return Selected; }
    const TMonthView& View() const { return Month; }

    QLabel* lbTitle;
    QPushButton* btnPrevYear;
    QPushButton* btnPrevMonth;
    QPushButton* btnNextMonth;
    QPushButton* btnNextYear;
    QPushButton* btnToday;
    QPushButton* btnGoTo;
    QTableWidget* grdMonth;
    QLabel* lbDay;
    QListWidget* lstDay;
    QPushButton* btnAddOnDay;
    QPushButton* btnQuickAddOnDay;
    QListWidget* lstComing;

public slots:
    void btnGoToClick();
    void btnAddOnDayClick();

private:
    void ShiftMonths(int months);
    void FillGrid();
    void FillDay();
    void FillComing();
    void CellChosen(int row, int column);
    // The firing of the day list's selected line; -1 when none.
    std::int32_t SelectedPosition() const;
    void DayListMenu(const QPoint& position);

    const TRmDataList& List;
    const TRmConfig& Config;
    TMonthView Month;
    // What the month and the coming firings were worked out from.
    std::uint64_t MonthGeneration = 0;
    std::uint64_t ComingGeneration = 0;
    TDateTime MonthToday = -1;
    TDateTime Selected = 0;
    std::vector<TMonthFiring> Coming;
    bool Filling = false;
    bool RefillQueued = false;
};

// A date typed into 转到…: "2026-02-17", or a lunar one "农历2023-2-1" and "农历2023-闰2-1"; for text that names
// no date of the calendar's range, no date and the reason ("2026年2月只有28天。").
struct TGoToDate {
    std::optional<TDateTime> Date;
    std::string Problem;
};
TGoToDate ParseGoToDate(const std::string& text);

} // namespace chimewell
