#pragma once
// The stored form and the words of a reminder's warnings, interval and end: the keys after the 15 and what the
// list, the view window and the dialog say of them.

#include "data/reminder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

inline constexpr const char* ReminderWarningsKey = "Warnings";
inline constexpr const char* ReminderIntervalKey = "Interval";
inline constexpr const char* ReminderStartDateKey = "StartDate";
inline constexpr const char* ReminderEndDateKey = "EndDate";
inline constexpr const char* ReminderEndCountKey = "EndCount";
inline constexpr const char* ReminderMonthEndKey = "MonthEnd";

inline constexpr std::int32_t MostWarnings = 10;
inline constexpr std::int32_t MostEveryCount = 999;
inline constexpr std::int32_t MostEndCount = 9999;

// Gives `to` the warnings, interval, start, end date and count of `from`; its other fields stay.
void CopySchedule(const TRmSchedule& from, TRmSchedule& to);

// "3d,1d,30m": each warning as a count and its unit (m, h, d, w), longest first. Reading takes any order, case
// and spacing; a part that is no warning, or one longer than 60 days, is dropped, as is a repeated one.
std::string FormatWarnings(const std::vector<TLeadTime>& warnings);
std::vector<TLeadTime> ParseWarnings(std::string_view text);
// The warnings in the order they fire (longest first), without repeats, at most MostWarnings.
std::vector<TLeadTime> OrderedWarnings(std::vector<TLeadTime> warnings);

// "2w" for every second week; empty for none. Reading gives None for anything else.
std::string FormatInterval(RepeatUnit unit, std::int32_t count);
bool ParseInterval(std::string_view text, RepeatUnit& unit, std::int32_t& count);

// "2027-06-30" for 20270630; empty for 0. Reading gives 0 for anything but a real date from 1900 to 2100.
std::string FormatStoredDate(std::int32_t date);
std::int32_t ParseStoredDate(std::string_view text);
// yyyymmdd of a date and back.
std::int32_t StoredDateOf(TDateTime date);
TDateTime DateOfStored(std::int32_t date);

// "3天", "2小时", "30分钟", "1周": one warning in words.
std::string LeadText(const TLeadTime& lead);
// A lead in minutes in its largest whole unit.
TLeadTime LeadOfMinutes(std::int32_t minutes);
// "还有 3 天：" for a warning that many minutes ahead of its time; "还有 1 天 2 小时 30 分钟：" where it is not whole.
std::string WarningPrefix(std::int32_t leadMinutes);
// A warning postponed past the time it warns of.
inline constexpr std::int32_t PassedLead = -1;
// What a warning shows: "还有 3 天：" and the text, then the time it warns of, "（12月25日 星期五 09:30）";
// "时间已到：" and the text for PassedLead.
std::string WarningText(const std::string& text, std::int32_t lead, TDateTime warnedMinute);

// "提前 3 天、1 天": the warnings of a reminder; empty for none.
std::string WarningsText(const std::vector<TLeadTime>& warnings);
// "每隔 2 周的星期一、三" and the like for a reminder with an interval; else its DateText.
std::string RepeatDateText(const TRmMainDate& record);
// "，从 2026-12-07 起，到 2027-06-30 为止，共 10 次" as far as they are set; empty for none.
std::string RepeatBoundsText(const TRmMainDate& record);

} // namespace chimewell
