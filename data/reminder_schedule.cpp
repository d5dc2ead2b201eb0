#include "data/reminder_schedule.h"

#include "calendar/lunar.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

namespace chimewell {

namespace {

constexpr std::array<std::string_view, 7> WeekdayNames = {"一", "二", "三", "四", "五", "六", "日"};

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A whole number and one letter after it; false for anything else.
bool ParseCountAndLetter(std::string_view text, std::int32_t& count, char& letter) {
    text = Trimmed(text);
    if (text.size() < 2) {
        return false;
    }
    letter = static_cast<char>(text.back() | 0x20);
    std::string_view digits = Trimmed(text.substr(0, text.size() - 1));
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
    return error == std::errc() && end == digits.data() + digits.size();
}

std::optional<LeadUnit> LeadUnitOf(char letter) {
    switch (letter) {
    case 'm':
        return LeadUnit::Minutes;
    case 'h':
        return LeadUnit::Hours;
    case 'd':
        return LeadUnit::Days;
    case 'w':
        return LeadUnit::Weeks;
    default:
        return std::nullopt;
    }
}

std::string_view LeadUnitWord(LeadUnit unit) {
    switch (unit) {
    case LeadUnit::Minutes:
        return "分钟";
    case LeadUnit::Hours:
        return "小时";
    case LeadUnit::Weeks:
        return "周";
    case LeadUnit::Days:
        break;
    }
    return "天";
}

std::string CommaWeekdays(std::int32_t day) {
    std::string text = "星期";
    bool first = true;
    for (std::size_t bit = 0; bit < WeekdayNames.size(); ++bit) {
        if ((day & (1 << bit)) != 0) {
            text += first ? "" : "、";
            text += WeekdayNames[bit];
            first = false;
        }
    }
    return text;
}

} // namespace

std::int32_t TLeadTime::Minutes() const {
    const std::int64_t unit = Unit == LeadUnit::Minutes ? 1
                              : Unit == LeadUnit::Hours ? 60
                              : Unit == LeadUnit::Weeks ? 7 * 1440
                                                        : 1440;
    const std::int64_t minutes = std::int64_t{Count} * unit;
    return minutes < 0 || minutes > LongestLeadMinutes ? 0 : static_cast<std::int32_t>(minutes);
}

bool TRmSchedule::HasSchedule() const {
    return !Warnings.empty() || Every != RepeatUnit::None || StartDate != 0 || EndDate != 0 || EndCount != 0 ||
           MonthEnd;
}

void CopySchedule(const TRmSchedule& from, TRmSchedule& to) {
    to = from;
}

std::vector<TLeadTime> OrderedWarnings(std::vector<TLeadTime> warnings) {
    std::erase_if(warnings, [](const TLeadTime& lead) { return lead.Minutes() <= 0; });
    std::stable_sort(warnings.begin(), warnings.end(),
                     [](const TLeadTime& a, const TLeadTime& b) { return a.Minutes() > b.Minutes(); });
    // Two ways of saying one lead ("1d", "24h") are one warning: the first said counts.
    warnings.erase(std::unique(warnings.begin(), warnings.end(),
                               [](const TLeadTime& a, const TLeadTime& b) { return a.Minutes() == b.Minutes(); }),
                   warnings.end());
    if (warnings.size() > static_cast<std::size_t>(MostWarnings)) {
        warnings.resize(static_cast<std::size_t>(MostWarnings));
    }
    return warnings;
}

std::string FormatWarnings(const std::vector<TLeadTime>& warnings) {
    std::string text;
    for (const TLeadTime& lead : OrderedWarnings(warnings)) {
        text += text.empty() ? "" : ",";
        text += std::to_string(lead.Count);
        text += static_cast<char>(lead.Unit);
    }
    return text;
}

std::vector<TLeadTime> ParseWarnings(std::string_view text) {
    std::vector<TLeadTime> warnings;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        std::int32_t count = 0;
        char letter = 0;
        if (!ParseCountAndLetter(part, count, letter)) {
            continue;
        }
        const std::optional<LeadUnit> unit = LeadUnitOf(letter);
        if (unit && count > 0) {
            warnings.push_back({count, *unit});
        }
    }
    return OrderedWarnings(std::move(warnings));
}

std::string FormatInterval(RepeatUnit unit, std::int32_t count) {
    if (unit == RepeatUnit::None || count <= 0) {
        return {};
    }
    return std::to_string(count) + static_cast<char>(unit);
}

bool ParseInterval(std::string_view text, RepeatUnit& unit, std::int32_t& count) {
    unit = RepeatUnit::None;
    count = 1;
    std::int32_t number = 0;
    char letter = 0;
    if (!ParseCountAndLetter(text, number, letter) || number < 1 || number > MostEveryCount) {
        return false;
    }
    switch (letter) {
    case 'd':
        unit = RepeatUnit::Days;
        break;
    case 'w':
        unit = RepeatUnit::Weeks;
        break;
    case 'm':
        unit = RepeatUnit::Months;
        break;
    case 'y':
        unit = RepeatUnit::Years;
        break;
    default:
        return false;
    }
    count = number;
    return true;
}

std::string FormatStoredDate(std::int32_t date) {
    if (date == 0) {
        return {};
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date / 10000, date / 100 % 100, date % 100);
    return text;
}

std::int32_t ParseStoredDate(std::string_view text) {
    text = Trimmed(text);
    int year = 0;
    int month = 0;
    int day = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return 0;
    }
    const auto number = [&](std::size_t from, std::size_t length, int& value) {
        const auto [end, error] = std::from_chars(text.data() + from, text.data() + from + length, value);
        return error == std::errc() && end == text.data() + from + length;
    };
    if (!number(0, 4, year) || !number(5, 2, month) || !number(8, 2, day) || year < 1900 || year > 2100 ||
        !IsValidGregorianDate(year, month, day)) {
        return 0;
    }
    return year * 10000 + month * 100 + day;
}

std::int32_t StoredDateOf(TDateTime date) {
    const DateFields fields = DecodeDate(date);
    return fields.Year * 10000 + fields.Month * 100 + fields.Day;
}

TDateTime DateOfStored(std::int32_t date) {
    return EncodeDate(date / 10000, date / 100 % 100, date % 100);
}

std::string LeadText(const TLeadTime& lead) {
    return std::to_string(lead.Count) + std::string(LeadUnitWord(lead.Unit));
}

TLeadTime LeadOfMinutes(std::int32_t minutes) {
    if (minutes % (7 * 1440) == 0) {
        return {minutes / (7 * 1440), LeadUnit::Weeks};
    }
    if (minutes % 1440 == 0) {
        return {minutes / 1440, LeadUnit::Days};
    }
    if (minutes % 60 == 0) {
        return {minutes / 60, LeadUnit::Hours};
    }
    return {minutes, LeadUnit::Minutes};
}

std::string WarningPrefix(std::int32_t leadMinutes) {
    if (leadMinutes <= 0) {
        return "时间已到：";
    }
    std::string text = "还有";
    const std::int32_t days = leadMinutes / 1440;
    const std::int32_t hours = leadMinutes % 1440 / 60;
    const std::int32_t minutes = leadMinutes % 60;
    if (days > 0) {
        text += " " + std::to_string(days) + " 天";
    }
    if (hours > 0) {
        text += " " + std::to_string(hours) + " 小时";
    }
    if (minutes > 0) {
        text += " " + std::to_string(minutes) + " 分钟";
    }
    return text + "：";
}

std::string WarningText(const std::string& text, std::int32_t lead, TDateTime warnedMinute) {
    if (lead <= 0) {
        return WarningPrefix(lead) + text;
    }
    static constexpr std::array<std::string_view, 7> Days = {"星期日", "星期一", "星期二", "星期三",
                                                             "星期四", "星期五", "星期六"};
    const DateFields date = DecodeDate(warnedMinute);
    const TimeFields time = DecodeTime(warnedMinute + 0.5 / 86400.0);
    char clock[8];
    std::snprintf(clock, sizeof clock, "%02d:%02d", time.Hour, time.Minute);
    return WarningPrefix(lead) + text + "（" + std::to_string(date.Month) + "月" + std::to_string(date.Day) + "日 " +
           std::string(Days[static_cast<std::size_t>(DayOfWeek(warnedMinute) - 1)]) + " " + clock + "）";
}

std::string WarningsText(const std::vector<TLeadTime>& warnings) {
    std::string text;
    for (const TLeadTime& lead : warnings) {
        text += text.empty() ? "提前 " : "、";
        text += std::to_string(lead.Count) + " " + std::string(LeadUnitWord(lead.Unit));
    }
    return text;
}

std::string RepeatDateText(const TRmMainDate& record) {
    if (!record.HasInterval()) {
        return record.DateText();
    }
    const std::string every = "每隔 " + std::to_string(record.EveryCount) + " ";
    const bool weekdays = (record.Day & WeekdayMask) != 0 && (record.Day & 0x7F) != 0;
    switch (record.Every) {
    case RepeatUnit::Days:
        return record.EveryCount == 1 ? std::string("每天") : every + "天";
    case RepeatUnit::Weeks:
        if (weekdays) {
            return (record.EveryCount == 1 ? std::string("每周的") : every + "周的") + CommaWeekdays(record.Day);
        }
        return record.EveryCount == 1 ? std::string("每周") : every + "周";
    case RepeatUnit::Months: {
        const std::string prefix = record.IsLunar ? "农历" : "";
        return (record.EveryCount == 1 ? "每个" + prefix + "月的" : every + "个" + prefix + "月的") +
               (weekdays ? CommaWeekdays(record.Day) : record.DayText());
    }
    case RepeatUnit::Years:
        return (record.EveryCount == 1 ? std::string("每年的") : every + "年的") + record.MonthText() +
               record.DayText();
    case RepeatUnit::None:
        break;
    }
    return record.DateText();
}

std::string RepeatBoundsText(const TRmMainDate& record) {
    std::string text;
    if (record.StartDate != 0) {
        text += "，从 " + FormatStoredDate(record.StartDate) + " 起";
    }
    if (record.EndDate != 0) {
        text += "，到 " + FormatStoredDate(record.EndDate) + " 为止";
    }
    if (record.EndCount > 0) {
        text += "，共 " + std::to_string(record.EndCount) + " 次";
    }
    return text;
}

} // namespace chimewell
