// The recognisers: each reads one kind of phrase ("提前一天", "每隔两周的周五", "农历八月十五", "下午三点")
// wherever it stands in the text and takes it; the order below lets the longer kinds claim their words first
// ("到6月30日为止" before the date, "每月初一" before the bare lunar day).

#include "quick_add/quick_add_days.h"
#include "quick_add/quick_add_findings.h"
#include "quick_add/quick_add_words.h"

#include <algorithm>
#include <array>

namespace chimewell::quick_add {

namespace {

bool RecogniseLeads(TCursor& c, TQuickAddFindings& findings) {
    if (!c.Word(U"提前")) {
        return false;
    }
    std::vector<int> leads;
    for (;;) {
        c.SkipSpaces();
        const std::optional<int> minutes = ReadLength(c, true);
        if (!minutes) {
            break;
        }
        leads.push_back(*minutes);
        const std::size_t save = c.Pos;
        if (c.AnyWord({U"和", U"、", U"，", U",", U"及"}) < 0) {
            break;
        }
        // 提前两天和提前1小时: the word may come again.
        c.SkipSpaces();
        c.Word(U"提前");
        TCursor ahead = c;
        ahead.SkipSpaces();
        if (!ReadLength(ahead, true)) {
            c.Pos = save;
            break;
        }
    }
    if (leads.empty()) {
        return false;
    }
    // "提前10分钟提醒我开会": 提醒我 frames the message and is left for the trimming.
    if (TCursor ahead = c; !(ahead.Word(U"提醒") && ahead.Peek() == U'我')) {
        c.Word(U"提醒");
    }
    findings.LeadMinutes.insert(findings.LeadMinutes.end(), leads.begin(), leads.end());
    return true;
}

bool RecogniseEnd(TCursor& c, TQuickAddFindings& findings) {
    const int opening = c.AnyWord({U"截止到", U"截止", U"直到", U"到"});
    if (opening < 0) {
        return false;
    }
    c.SkipSpaces();
    TGregorianDate date;
    bool monthEnd = false;
    bool nextMonthEnd = false;
    bool yearEnd = false;
    int yearOffset = -1;
    if (c.AnyWord({U"本月底", U"月底"}) >= 0) {
        monthEnd = true;
    } else if (c.AnyWord({U"下个月底", U"下月底"}) >= 0) {
        nextMonthEnd = true;
    } else if (c.AnyWord({U"今年年底", U"年底"}) >= 0) {
        yearEnd = true;
    } else if (yearOffset = c.AnyWord({U"今年", U"明年"}); !ReadGregorianDate(c, date)) {
        return false;
    }
    // 到 alone ends a repeat only with 为止 or where the date ends the phrase or a part of it: "到北京" is no end,
    // "吃药 到2027年1月15日" is.
    if (!c.Word(U"为止") && opening == 3 && !c.AtEnd() && !IsEdgePunctuation(c.Peek())) {
        return false;
    }
    findings.End = date;
    findings.EndAtMonthEnd = monthEnd;
    findings.EndAtNextMonthEnd = nextMonthEnd;
    findings.EndAtYearEnd = yearEnd;
    findings.EndYearOffset = yearOffset;
    return true;
}

// 从12月15日起, 12月15日开始: where a repeat begins.
bool RecogniseStart(TCursor& c, TQuickAddFindings& findings) {
    const std::size_t start = c.Pos;
    c.AnyWord({U"从", U"自"});
    c.SkipSpaces();
    TQuickAddFindings found;
    static constexpr std::array<int, 3> offsets = {0, 1, 2};
    if (const int relative = c.AnyWord({U"今天", U"明天", U"后天"}); relative >= 0) {
        found.StartDayOffset = offsets[static_cast<std::size_t>(relative)];
    } else if (c.AnyWord({U"下个月", U"下月"}) >= 0) {
        found.StartNextMonth = true;
    } else if (const int next = c.AnyWord({U"下个", U"下", U"这个", U"这", U"本"});
               const int weekday = ReadPrefixedDay(c, true)) {
        found.StartWeekday = weekday;
        found.StartWeekOf = next < 0 ? TWeekOf::Next : next <= 1 ? TWeekOf::Following : TWeekOf::This;
    } else {
        c.Pos = start;
        c.AnyWord({U"从", U"自"});
        c.SkipSpaces();
        found.StartYearOffset = c.AnyWord({U"今年", U"明年"});
        TGregorianDate date;
        if (!ReadGregorianDate(c, date)) {
            c.Pos = start;
            return false;
        }
        found.Start = date;
    }
    c.SkipSpaces();
    if (c.AnyWord({U"起", U"开始"}) < 0) {
        c.Pos = start;
        return false;
    }
    findings.Start = found.Start;
    findings.StartDayOffset = found.StartDayOffset;
    findings.StartNextMonth = found.StartNextMonth;
    findings.StartWeekday = found.StartWeekday;
    findings.StartWeekOf = found.StartWeekOf;
    findings.StartYearOffset = found.StartYearOffset;
    return true;
}

bool RecogniseEndCount(TCursor& c, TQuickAddFindings& findings) {
    const std::size_t start = c.Pos;
    // 每天3次: times of a day, each a reminder of its own.
    if (c.AnyWord({U"每天", U"每日", U"一天"}) >= 0) {
        if (const std::optional<int> times = c.Numeral(); times && *times >= 2 && c.Word(U"次")) {
            findings.Refusal = "一条提醒每天只在一个时刻提醒：请按时刻分成几条添加";
            return true;
        }
        c.Pos = start;
        return false;
    }
    const bool total = c.AnyWord({U"一共", U"共"}) >= 0;
    if (!total && start > 0) {
        const char32_t before = c.Text().Chars[start - 1];
        if (!IsSpace(before) && before != U'，' && before != U',') {
            return false;
        }
    }
    const std::optional<int> count = c.Numeral();
    if (!count || !c.Word(U"次")) {
        return false;
    }
    if (!total && !c.AtEnd() && !IsSpace(c.Peek()) && c.Peek() != U'，' && c.Peek() != U'。') {
        return false;
    }
    if (*count == 0) {
        findings.Refusal = "“共 0 次”就是不提醒：至少共 1 次";
        return true;
    }
    findings.EndCount = *count;
    return true;
}

// 3天后, 两小时后, 一个半小时后, 1小时20分钟后, 一刻钟后, 20分钟以后, 一周后.
bool RecogniseLater(TCursor& c, TQuickAddFindings& findings) {
    // 过10分钟, 过两天: 过 says "later" before the length.
    const bool passing = c.Word(U"过");
    // 一个月后, 三个月以后: the same day of that month.
    if (const std::size_t start = c.Pos; const std::optional<int> months = c.Numeral()) {
        if (c.Word(U"个") && c.Word(U"月") && (c.AnyWord({U"以后", U"之后", U"后"}) >= 0 || passing)) {
            findings.MonthsLater = *months;
            return true;
        }
        c.Pos = start;
    }
    int minutes = 0;
    bool any = false;
    bool days = false;
    while (const std::optional<int> length = ReadLength(c, false)) {
        any = true;
        minutes += *length;
        days = days || *length % 1440 == 0;
    }
    if (!any || (c.AnyWord({U"以后", U"之后", U"后"}) < 0 && !passing)) {
        return false;
    }
    // 两周后的周一: the weekday is read on its own.
    c.Word(U"的");
    if (days && minutes % 1440 == 0) {
        findings.DayOffset = minutes / 1440;
    } else {
        findings.MinutesLater = minutes;
    }
    return true;
}

// What follows 每月…: 5号, 二十号, 初一 (lunar), 廿八 (lunar), 最后一天, 底, 第二个星期日.
bool ReadMonthlyDay(TCursor& c, TQuickAddFindings& findings) {
    c.SkipSpaces();
    c.Word(U"的");
    const bool lunar = c.Word(U"农历") || c.Word(U"阴历") || findings.Lunar;
    if (c.AnyWord({U"最后一天", U"月底", U"底"}) >= 0) {
        findings.MonthEnd = true;
        findings.Date.Day = 31;
        return true;
    }
    const std::size_t start = c.Pos;
    // A month's last Friday is no day a reminder can keep (the conditions count from the month's start): said so,
    // rather than read as the next Friday.
    if (c.AnyWord({U"最后一个", U"最后1个", U"倒数第一个"}) >= 0) {
        c.Word(U"的");
        if (ReadPrefixedDay(c, true) != 0) {
            findings.Refusal = "不能按每月最后一个星期几重复：可以写“每个月第四个星期五”，或“每月最后一天”";
            return true;
        }
        c.Pos = start;
        return false;
    }
    if (c.Word(U"第")) {
        const std::optional<int> occurrence = c.Numeral();
        if (occurrence && c.Word(U"个")) {
            c.Word(U"的");
            if (const int day = ReadPrefixedDay(c, true)) {
                findings.Weekdays = WeekdayBit(day);
                findings.Condition = "$mwo" + std::to_string(*occurrence) + "$";
                return true;
            }
        }
        c.Pos = start;
        return false;
    }
    const bool lunarDay = c.Word(U"初") || c.Peek() == U'廿';
    const std::optional<int> day = c.Numeral();
    if (!day) {
        c.Pos = start;
        return false;
    }
    const bool suffixed = c.AnyWord({U"号", U"日"}) >= 0;
    // 每月十五 交房租: a day without 号 where a space or the end follows.
    const bool alone = c.AtEnd() || IsEdgePunctuation(c.Peek());
    if (!suffixed && !lunar && !lunarDay && !alone) {
        c.Pos = start;
        return false;
    }
    findings.Lunar = lunar || lunarDay;
    findings.Date.Day = *day;
    if (SecondFollows(c)) {
        findings.Refusal = TwoAtOnce;
    }
    return true;
}

// 每天, 每周一三五, 每隔两周的周五, 每月5号, 每两个月的15号, 每年…, 农历每月初一.
bool RecogniseEvery(TCursor& c, TQuickAddFindings& findings) {
    const bool lunar = c.Word(U"农历") || c.Word(U"阴历");
    if (!c.Word(U"每")) {
        return false;
    }
    const bool skipping = c.Word(U"隔");
    const std::optional<int> count = c.Numeral();
    c.Word(U"个");
    const int unit = c.AnyWord({U"天", U"日", U"周", U"星期", U"礼拜", U"月", U"年"});
    if (unit < 0) {
        return false;
    }
    int every = count.value_or(1);
    if (every == 0) {
        findings.Refusal = "“每隔 0”不是间隔：至少每隔 1 天（周、月、年）";
        return true;
    }
    if (skipping && every == 1) {
        every = 2; // 每隔一周 is every other week
    }
    TQuickAddFindings found = findings;
    found.Lunar = found.Lunar || lunar;
    if (every >= 2) {
        found.EveryCount = every;
        found.Every = unit <= 1   ? RepeatUnit::Days
                      : unit <= 4 ? RepeatUnit::Weeks
                      : unit == 5 ? RepeatUnit::Months
                                  : RepeatUnit::Years;
    }
    if (unit <= 1) {
        found.Repeat = TRepeat::Daily;
    } else if (unit <= 4) {
        found.Repeat = TRepeat::Weekly;
        if (every >= 2) {
            c.SkipSpaces();
            c.Word(U"的");
            found.Weekdays = ReadWeekdays(c, true);
        } else {
            found.Weekdays = ReadWeekdays(c, false);
        }
        if (found.Weekdays == 0) {
            return false;
        }
    } else if (unit == 5) {
        found.Repeat = TRepeat::Monthly;
        if (!ReadMonthlyDay(c, found)) {
            return false;
        }
    } else {
        found.Repeat = TRepeat::Yearly;
        c.Word(U"的");
    }
    findings = std::move(found);
    return true;
}

bool RecogniseCondition(TCursor& c, TQuickAddFindings& findings) {
    switch (c.AnyWord({U"每个法定工作日", U"法定工作日", U"上班日", U"每个休息日", U"法定节假日和周末", U"休息日",
                       U"节假日", U"每个工作日", U"工作日"})) {
    case 0:
    case 1:
    case 2:
        findings.Condition = "$gzr$";
        break;
    case 3:
    case 4:
    case 5:
    case 6:
        findings.Condition = "$xxr$";
        break;
    case 7:
    case 8:
        findings.Weekdays = 0x1F;
        break;
    default:
        return false;
    }
    findings.Repeat = TRepeat::Weekly;
    return true;
}

// 周一到周五 without 每 still means every such week.
bool RecogniseWeekdayRange(TCursor& c, TQuickAddFindings& findings) {
    const int from = ReadPrefixedDay(c, true);
    if (from == 0 || c.AnyWord({U"到", U"至"}) < 0) {
        return false;
    }
    const int to = ReadPrefixedDay(c, false);
    if (to < from) {
        return false;
    }
    findings.Repeat = TRepeat::Weekly;
    for (int day = from; day <= to; ++day) {
        findings.Weekdays |= WeekdayBit(day);
    }
    return true;
}

// 下午三点, 晚上8点半, 10点一刻, 8点零五分, 15:40, and a time of day alone (明天早上).
bool RecogniseTime(TCursor& c, TQuickAddFindings& findings) {
    const std::size_t start = c.Pos;
    // 早晚8点, 早中晚: two or three times of a day, each a reminder of its own.
    if (c.AnyWord({U"早中晚", U"早晚", U"早中"}) >= 0) {
        findings.Refusal = TwoAtOnce;
        return true;
    }
    if (start > 0 && (IsDigit(c.Text().Chars[start - 1]) || IsAsciiLetter(c.Text().Chars[start - 1]))) {
        return false;
    }
    static constexpr std::array<TPeriod, 17> periods = {
        TPeriod::Morning,  TPeriod::Morning, TPeriod::Forenoon,   TPeriod::Noon,     TPeriod::Afternoon,
        TPeriod::Dusk,     TPeriod::Evening, TPeriod::SmallHours, TPeriod::Midnight, TPeriod::Evening,
        TPeriod::Midnight, TPeriod::Evening, TPeriod::Afternoon,  TPeriod::Evening,  TPeriod::Morning,
        TPeriod::Evening,  TPeriod::Morning};
    int period = c.AnyWord({U"早上", U"早晨", U"上午", U"中午", U"下午", U"傍晚", U"晚上", U"凌晨", U"半夜", U"夜里",
                            U"午夜", U"深夜", U"午后", U"晚间", U"清晨", U"晚", U"早"});
    // 晚 and 早 alone say a time of day only before a clock: "晚8点", not "晚饭" or "早餐".
    constexpr int SingleCharacterPeriods = 15;
    if (period >= SingleCharacterPeriods) {
        TCursor ahead = c;
        ahead.SkipSpaces();
        if (!ahead.Numeral()) {
            c.Pos = start;
            return false;
        }
    }
    const std::size_t afterPeriod = c.Pos;
    c.SkipSpaces();
    std::optional<int> hour;
    int minute = 0;
    int hourDigits = 0;
    // 15:40, and 10.30 where the date reader left it as a time.
    if (std::optional<int> digits = c.Digits(2, &hourDigits);
        digits && (c.Word(U":") || c.Word(U"：") || (c.Peek() == U'.' && c.Word(U".")))) {
        int minuteDigits = 0;
        const std::optional<int> minutes = c.Digits(2, &minuteDigits);
        if (minuteDigits != 2) {
            c.Pos = start;
            return false;
        }
        hour = digits;
        minute = *minutes;
    } else {
        c.Pos = afterPeriod;
        c.SkipSpaces();
        const std::size_t clockStart = c.Pos;
        hour = c.Numeral();
        c.SkipSpaces();
        if (hour && c.AnyWord({U"点", U"时"}) >= 0) {
            c.Word(U"钟");
            if (c.Word(U"半")) {
                minute = 30;
            } else if (c.Word(U"一刻")) {
                minute = 15;
            } else if (c.Word(U"三刻")) {
                minute = 45;
            } else if (!c.Word(U"整")) {
                const std::size_t beforeMinute = c.Pos;
                const bool zero = c.Word(U"零");
                const std::size_t numberStart = c.Pos;
                const std::optional<int> minutes = c.Numeral();
                const std::size_t numberLength = c.Pos - numberStart;
                const bool arabic = minutes && IsDigit(c.Text().Chars[numberStart]);
                // "8点05", "八点十五", "9点5分" are minutes; "8点3个人", "3点2楼", "9点100元" are the text's.
                if (minutes && (c.Word(U"分") || ((!arabic || numberLength == 2 || zero) && !CountedThingFollows(c)))) {
                    minute = *minutes;
                } else {
                    c.Pos = beforeMinute;
                }
            }
        } else {
            hour.reset();
            c.Pos = clockStart;
        }
    }
    if (period < 0 && !hour) {
        c.Pos = start;
        return false;
    }
    if (!hour) {
        c.Pos = afterPeriod;
    }
    if (hour && (*hour > 23 || minute > 59)) {
        findings.Refusal = NoSuchTimeRefusal;
    }
    // 上午15点, 凌晨20点, 晚上3点: the time of day and the clock disagree.
    if (hour && period >= 0 &&
        ((*hour > 12 && (periods[period] == TPeriod::Morning || periods[period] == TPeriod::Forenoon ||
                         periods[period] == TPeriod::SmallHours)) ||
         (*hour >= 1 && *hour <= 4 && periods[period] == TPeriod::Evening))) {
        findings.Refusal = "时间前后矛盾：" + EncodeUtf8(std::u32string(c.Text().Chars.substr(start, c.Pos - start)));
    }
    if (period >= 0) {
        findings.Period = periods[period];
    }
    findings.Hour = hour;
    if (hour) {
        c.Word(U"左右");
        ReadDeadline(c);
    }
    if (hour && SecondFollows(c)) {
        findings.Refusal = TwoAtOnce;
    }
    findings.Minute = minute;
    return true;
}

using TRecogniser = bool (*)(TCursor&, TQuickAddFindings&);

// Tries the recogniser at each free position from the left and lets it take what it read the first time it
// reads anything.
void Scan(TQuickText& text, TQuickAddFindings& findings, TRecogniser recognise) {
    for (std::size_t pos = 0; pos < text.Chars.size(); ++pos) {
        if (!text.IsFree(pos)) {
            continue;
        }
        TCursor cursor(text, pos);
        if (recognise(cursor, findings) && cursor.Pos > pos) {
            text.Take(pos, cursor.Pos);
            return;
        }
    }
}

// The message: what is left, without the words and marks that only frame it.
// Brackets whose contents were all date and time words: "【明天下午三点】开会", "1月5日（周二）交材料".
void EraseEmptyBrackets(std::u32string& text) {
    static constexpr std::array<std::pair<char32_t, char32_t>, 6> pairs = {
        {{U'【', U'】'}, {U'（', U'）'}, {U'(', U')'}, {U'[', U']'}, {U'「', U'」'}, {U'〔', U'〕'}}};
    for (const auto& [open, close] : pairs) {
        for (std::size_t at = text.find(open); at != std::u32string::npos; at = text.find(open, at)) {
            std::size_t inside = at + 1;
            while (inside < text.size() && IsSpace(text[inside])) {
                ++inside;
            }
            if (inside < text.size() && text[inside] == close) {
                text.replace(at, inside + 1 - at, U" ");
            } else {
                ++at;
            }
        }
    }
}

std::string TrimMessage(std::u32string rest) {
    EraseEmptyBrackets(rest);
    // Not 在: "在家休息" keeps its place.
    static constexpr std::array<std::u32string_view, 6> frames = {U"提醒我", U"提醒", U"记得", U"叫我", U"的", U"要"};
    bool trimmed = true;
    while (trimmed && !rest.empty()) {
        trimmed = false;
        while (!rest.empty() && IsEdgePunctuation(rest.front())) {
            rest.erase(0, 1);
            trimmed = true;
        }
        while (!rest.empty() && IsEdgePunctuation(rest.back())) {
            rest.pop_back();
            trimmed = true;
        }
        for (const std::u32string_view frame : frames) {
            if (rest.starts_with(frame)) {
                rest.erase(0, frame.size());
                trimmed = true;
            }
            if (rest.ends_with(frame)) {
                rest.erase(rest.size() - frame.size());
                trimmed = true;
            }
        }
    }
    std::u32string message;
    for (const char32_t c : rest) {
        if (!(IsSpace(c) && !message.empty() && IsSpace(message.back()))) {
            message.push_back(IsSpace(c) ? U' ' : c);
        }
    }
    return EncodeUtf8(message);
}

} // namespace

TQuickAddFindings RecogniseFindings(std::string_view phrase) {
    TQuickText text(DecodeUtf8(phrase));
    TQuickAddFindings findings;
    // The names that may also be words of the text (a term, a bare lunar day, a festival) come after the dates
    // that leave them to the text.
    static constexpr std::array<TRecogniser, 17> recognisers = {
        RecogniseLeads,       RecogniseEnd,       RecogniseStart,        RecogniseEndCount, RecogniseLater,
        RecogniseEvery,       RecogniseCondition, RecogniseWeekdayRange, RecogniseLunar,    RecogniseGregorian,
        RecogniseRelativeDay, RecogniseWeekday,   RecogniseSolarTerm,    RecogniseMonthDay, RecogniseBareLunarDay,
        RecogniseFestival,    RecogniseTime,
    };
    for (const TRecogniser recognise : recognisers) {
        Scan(text, findings, recognise);
    }
    // A second clock in what is left ("早上8点晚上9点吃药", "下午3点上午开会"): one reminder keeps one time, and the
    // line is not half read.
    if (findings.Refusal.empty() && findings.Hour) {
        TQuickText rest = text;
        TQuickAddFindings second;
        Scan(rest, second, RecogniseTime);
        if (second.Hour) {
            findings.Refusal = TwoAtOnce;
        }
    }
    findings.Message = TrimMessage(text.Rest());
    return findings;
}

} // namespace chimewell::quick_add
