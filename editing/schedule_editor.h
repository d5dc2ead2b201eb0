#pragma once
// The warnings and the repeat of a reminder as the schedule window sets them: the window renders this model
// and forwards each control's change to it. Plain C++, tested without a display.

#include "data/reminder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace chimewell {

// The choices of the end of a repeat.
enum class RepeatEnd { Never, OnDate, AfterCount };

class TScheduleEditor {
public:
    // Starts from the reminder being edited; `today` (yyyymmdd) is where a new interval counts from.
    TScheduleEditor(const TRmMainDate& record, std::int32_t today);

    // The reminder with the schedule as set so far: its date fields as they came, the keys after the 15 as set.
    TRmMainDate Record;

    // Adds a warning unless one of the same lead is there; false, with Problem() saying why, for a lead of no
    // minutes, one longer than 60 days, or one more than the most a reminder keeps.
    bool AddWarning(TLeadTime lead);
    void RemoveWarning(std::size_t index);

    // Every N units from the start; RepeatUnit::None for every day the date fields name.
    void SetRepeat(RepeatUnit unit, std::int32_t count);
    void SetStart(std::int32_t date);
    void SetEnd(RepeatEnd end);
    void SetEndDate(std::int32_t date);
    void SetEndCount(std::int32_t count);
    RepeatEnd End() const;
    // A Gregorian day 29..31 may fall on the last day of shorter months.
    bool MonthEndAllowed() const { return !Record.IsLunar && Record.Day >= 29 && Record.Day <= 31; }
    void SetMonthEnd(bool monthEnd) { Record.MonthEnd = monthEnd && MonthEndAllowed(); }
    // The units a reminder of its calendar may repeat by: a lunar one by lunar months and years only.
    bool UnitAllowed(RepeatUnit unit) const;

    // "提前 3 天、1 天；每隔 2 周的星期一、三，从 2026-12-07 起，共 10 次", or "不另提前，按日期重复".
    std::string Summary() const;
    // Why the schedule as set cannot be kept; empty when it can.
    std::string Problem() const;
    // The last refusal of AddWarning.
    const std::string& Refusal() const { return LastRefusal; }
    // The day a new interval or end date begins with.
    std::int32_t TodayDate() const { return Today; }

private:
    std::int32_t Today;
    std::int32_t KeptEndDate = 0;
    std::int32_t KeptEndCount = 10;
    std::string LastRefusal;
};

// The summary the add/edit dialog shows for a reminder's schedule.
std::string ScheduleSummary(const TRmMainDate& record);
// Why a reminder's schedule cannot be kept (an end before the start, a lunar reminder by days or weeks); empty
// when it can. The add/edit dialog asks it before saving.
std::string ScheduleProblem(const TRmMainDate& record);

} // namespace chimewell
