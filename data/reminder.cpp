#include "data/reminder.h"

#include "calendar/clock.h"
#include "calendar/due.h"
#include "calendar/lunar.h"
#include "calendar/solar_terms.h"
#include "data/reminder_schedule.h"
#include "data/text_helpers.h"

#include <array>
#include <string_view>

namespace chimewell {

namespace {

constexpr std::array<std::string_view, 7> WeekdayNames = {"一", "二", "三", "四", "五", "六", "日"};

// The name tables end at lunar month 12, lunar day 31 and solar term 23; a hand-edited value beyond them
// shows as its number.
constexpr int LastNamedLunarMonth = 12;
constexpr int LastNamedLunarDay = 30;

bool IsInRange(int value, int first, int last) {
    return value >= first && value <= last;
}

} // namespace

std::string_view MethodCaption(std::int32_t method) {
    switch (method) {
    case RemindExact:
        return "精确提醒";
    case RemindHourly:
        return "整点提醒";
    case RemindAtStartup:
        return "开机提醒";
    default:
        return "开机整点提醒";
    }
}

void TRmMainDate::CopyFrom(const TRmMainDate& source) {
    *this = source;
}

std::int32_t TRmMainDate::DayOn(const TDueMoment& moment) const {
    if (!FallsToMonthEnd() || moment.Solar.Day >= Day ||
        moment.Solar.Day != GregorianMonthDays(moment.Solar.Year, moment.Solar.Month)) {
        return Day;
    }
    return moment.Solar.Day;
}

bool TRmMainDate::IsDueNowAt(const TDueMoment& moment) const {
    return IsDateTimeDueAt(moment, IsLunar, Year, Month, DayOn(moment), Hour, Minuter, Forward, IsLeapMonth, true);
}

bool TRmMainDate::IsDueTodayAt(const TDueMoment& moment) const {
    return IsDateTimeDueAt(moment, IsLunar, Year, Month, DayOn(moment), Hour, Minuter, Forward, IsLeapMonth, false);
}

bool TRmMainDate::IsDueNowAt(TDateTime now) const {
    return IsDueNowAt(TDueMoment(now));
}

bool TRmMainDate::IsDueTodayAt(TDateTime now) const {
    return IsDueTodayAt(TDueMoment(now));
}

bool TRmMainDate::IsDueNow() const {
    return IsDueNowAt(Now());
}

bool TRmMainDate::IsDueToday() const {
    return IsDueTodayAt(Now());
}

bool TRmMainDate::IsExpired() const {
    return IsExpiredAt(Now());
}

bool TRmMainDate::IsExpiredAt(TDateTime now) const {
    return IsExpiredAt(TDueMoment(now));
}

bool TRmMainDate::IsExpiredAt(const TDueMoment& today) const {
    // A repeat that ended before today has no day left, whatever its date fields say.
    if (EndDate != 0 && EndDate < today.Solar.Year * 10000 + today.Solar.Month * 100 + today.Solar.Day) {
        return true;
    }
    // Today's year, month and day in the record's own calendar; outside the lunar table all three are 0.
    int thisYear = 0;
    int thisMonth = 0;
    int thisDay = 0;
    bool thisLeapMonth = false;
    if (IsLunar) {
        const LunarDate& lunar = today.Lunar();
        thisYear = lunar.Year;
        thisMonth = lunar.Month;
        thisDay = lunar.Day;
        thisLeapMonth = lunar.IsLeapMonth;
    } else {
        thisYear = today.Solar.Year;
        thisMonth = today.Solar.Month;
        thisDay = today.Solar.Day;
    }
    if (Year == 0 || Year > thisYear) {
        return false;
    }
    if (Year < thisYear) {
        return true;
    }
    if ((IsLunar && Month == SolarTermMonth) || Month == 0 || Month > thisMonth) {
        return false;
    }
    if (Month < thisMonth) {
        return true;
    }
    // A leap month follows the plain month of its number: in the plain month a leap-month day is still to come,
    // in the leap month a plain-month day has passed.
    if (IsLunar && IsLeapMonth != thisLeapMonth) {
        return !IsLeapMonth;
    }
    return Day != 0 && Day < thisDay;
}

std::string TRmMainDate::YearText() const {
    if (Year == 0) {
        return "每年";
    }
    return (IsLunar ? ChineseDigits(Year) : std::to_string(Year)) + "年";
}

std::string TRmMainDate::MonthText() const {
    if (Month == 0) {
        return "每月";
    }
    if (IsLunar && Month == SolarTermMonth) {
        return "节气";
    }
    if (IsLunar && IsInRange(Month, 1, LastNamedLunarMonth)) {
        // A leap month is another month than the one it follows: both must read apart.
        return LunarMonthName(Month, IsLeapMonth);
    }
    return std::to_string(Month) + "月";
}

std::string TRmMainDate::DayText() const {
    if (IsLunar && Month == SolarTermMonth) {
        // Index 0 is the first term, not "every day".
        if (IsInRange(Day, 0, SolarTermCount - 1)) {
            return std::string(SolarTermNames[static_cast<std::size_t>(Day)]);
        }
        return std::to_string(Day);
    }
    if (Day == 0) {
        return "每天";
    }
    if ((Day & WeekdayMask) != 0) {
        return WeekdaysText();
    }
    if (FallsToMonthEnd()) {
        return Day == 31 ? std::string("最后一天") : std::to_string(Day) + "日（没有这天的月份在月末）";
    }
    if (IsLunar && IsInRange(Day, 1, LastNamedLunarDay)) {
        return LunarDayName(Day);
    }
    return std::to_string(Day) + "日";
}

std::string TRmMainDate::WeekdaysText() const {
    if ((Day & WeekdayMask) == 0) {
        return {};
    }
    std::string text = "星期";
    for (std::size_t bit = 0; bit < WeekdayNames.size(); ++bit) {
        if ((Day & (1 << bit)) != 0) {
            text += WeekdayNames[bit];
        }
    }
    return text;
}

std::string TRmMainDate::DateText() const {
    return YearText() + MonthText() + DayText();
}

std::string TRmMainDate::TimeText() const {
    return std::to_string(Hour) + "时" + std::to_string(Minuter) + "分";
}

std::string TRmMainDate::Describe(const DescribeOptions& options) const {
    std::string text;
    if (options.Calendar) {
        text += IsLunar ? "农历，" : "公历，";
    }
    if (options.Date) {
        text += RepeatDateText(*this);
    }
    if (options.Time) {
        text += TimeText();
    }
    if (options.Method) {
        text += std::to_string(Method) + "方式";
    }
    if (options.Date) {
        text += RepeatBoundsText(*this);
    }
    if (options.Forward) {
        text += Forward > 0 ? "，提前" + std::to_string(Forward) + "分" : std::string("，不提前");
    }
    // Warnings days ahead belong to the date as much as to the early minutes: either shows them.
    if (!Warnings.empty() && (options.Date || options.Forward)) {
        text += "，另" + WarningsText(Warnings);
    }
    if (options.Date || options.Time || options.Method || options.Forward) {
        text += "，提醒为：";
    }
    text += Message;
    if (options.Music) {
        text += Music.empty() ? "(无音乐)" : "(有音乐)";
    }
    if (options.Command && !Command.empty()) {
        text += "，命令为：" + Command;
    }
    if (options.Script) {
        text += WithScript ? "(有脚本)" : "(无脚本)";
    }
    return text;
}

} // namespace chimewell
