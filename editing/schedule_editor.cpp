#include "editing/schedule_editor.h"

#include "data/reminder_schedule.h"

#include <algorithm>

namespace chimewell {

TScheduleEditor::TScheduleEditor(const TRmMainDate& record, std::int32_t today) : Record(record), Today(today) {
    if (Record.EndDate != 0) {
        KeptEndDate = Record.EndDate;
    }
    if (Record.EndCount > 0) {
        KeptEndCount = Record.EndCount;
    }
}

bool TScheduleEditor::AddWarning(TLeadTime lead) {
    LastRefusal.clear();
    const std::int64_t unit = lead.Unit == LeadUnit::Minutes ? 1
                              : lead.Unit == LeadUnit::Hours ? 60
                              : lead.Unit == LeadUnit::Weeks ? 7 * 1440
                                                             : 1440;
    if (lead.Count <= 0) {
        LastRefusal = "提前的时间至少要 1 分钟。";
        return false;
    }
    if (std::int64_t{lead.Count} * unit > LongestLeadMinutes) {
        LastRefusal = "最多只能提前 60 天。";
        return false;
    }
    const auto same = std::find_if(Record.Warnings.begin(), Record.Warnings.end(),
                                   [&lead](const TLeadTime& kept) { return kept.Minutes() == lead.Minutes(); });
    if (same != Record.Warnings.end()) {
        LastRefusal = "已经有提前 " + LeadText(*same) + " 的提醒了。";
        return false;
    }
    if (Record.Warnings.size() >= static_cast<std::size_t>(MostWarnings)) {
        LastRefusal = "一条提醒最多提前提醒 " + std::to_string(MostWarnings) + " 次。";
        return false;
    }
    Record.Warnings.push_back(lead);
    Record.Warnings = OrderedWarnings(std::move(Record.Warnings));
    return true;
}

void TScheduleEditor::RemoveWarning(std::size_t index) {
    if (index < Record.Warnings.size()) {
        Record.Warnings.erase(Record.Warnings.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

void TScheduleEditor::SetRepeat(RepeatUnit unit, std::int32_t count) {
    Record.Every = unit;
    Record.EveryCount = std::clamp(count, 1, MostEveryCount);
    if (unit != RepeatUnit::None && Record.StartDate == 0) {
        Record.StartDate = Today;
    }
}

void TScheduleEditor::SetStart(std::int32_t date) {
    Record.StartDate = date;
}

void TScheduleEditor::SetEnd(RepeatEnd end) {
    switch (end) {
    case RepeatEnd::Never:
        Record.EndDate = 0;
        Record.EndCount = 0;
        break;
    case RepeatEnd::OnDate:
        Record.EndCount = 0;
        Record.EndDate = KeptEndDate != 0 ? KeptEndDate : std::max(Record.StartDate, Today);
        break;
    case RepeatEnd::AfterCount:
        Record.EndDate = 0;
        Record.EndCount = KeptEndCount;
        // A count is counted from a start.
        if (Record.StartDate == 0) {
            Record.StartDate = Today;
        }
        break;
    }
}

void TScheduleEditor::SetEndDate(std::int32_t date) {
    KeptEndDate = date;
    if (End() == RepeatEnd::OnDate) {
        Record.EndDate = date;
    }
}

void TScheduleEditor::SetEndCount(std::int32_t count) {
    KeptEndCount = std::clamp(count, 1, MostEndCount);
    if (End() == RepeatEnd::AfterCount) {
        Record.EndCount = KeptEndCount;
    }
}

RepeatEnd TScheduleEditor::End() const {
    return Record.EndCount > 0 ? RepeatEnd::AfterCount : Record.EndDate != 0 ? RepeatEnd::OnDate : RepeatEnd::Never;
}

bool TScheduleEditor::UnitAllowed(RepeatUnit unit) const {
    return !Record.IsLunar || unit == RepeatUnit::None || unit == RepeatUnit::Months || unit == RepeatUnit::Years;
}

std::string TScheduleEditor::Summary() const {
    return ScheduleSummary(Record);
}

std::string TScheduleEditor::Problem() const {
    return ScheduleProblem(Record);
}

std::string ScheduleSummary(const TRmMainDate& record) {
    std::string text = record.Warnings.empty() ? std::string("不另提前") : WarningsText(record.Warnings);
    text += "；";
    if (record.HasInterval()) {
        text += RepeatDateText(record);
    } else {
        text += "按日期重复";
    }
    if (record.FallsToMonthEnd()) {
        text += "，没有这一天的月份在月末";
    }
    text += RepeatBoundsText(record);
    return text;
}

std::string ScheduleProblem(const TRmMainDate& record) {
    if (record.StartDate != 0 && record.EndDate != 0 && record.EndDate < record.StartDate) {
        return "结束日期 " + FormatStoredDate(record.EndDate) + " 早于开始日期 " + FormatStoredDate(record.StartDate) +
               "。";
    }
    if (record.IsLunar && (record.Every == RepeatUnit::Days || record.Every == RepeatUnit::Weeks)) {
        return "农历提醒只能每隔几个农历月或几年重复。";
    }
    if (record.Every != RepeatUnit::None && record.StartDate == 0) {
        return "间隔重复要有开始日期。";
    }
    return {};
}

} // namespace chimewell
