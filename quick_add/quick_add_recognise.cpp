// The recognisers: each reads one kind of phrase ("提前一天", "每隔两周的周五", "农历八月十五", "下午三点")
// wherever it stands in the text and takes it; the order below lets the longer kinds claim their words first
// ("到6月30日为止" before the date, "每月初一" before the bare lunar day).

#include "calendar/festivals.h"
#include "calendar/solar_terms.h"
#include "quick_add/quick_add_findings.h"

#include <algorithm>
#include <array>

namespace chimewell::quick_add {

namespace {

const std::string PastRefusal = "这个时间已经过去了";
const std::string NoSuchTimeRefusal = "没有这个时刻";

// 1 = Monday .. 7 = Sunday; 0 for a character that names no weekday.
int WeekdayOf(char32_t c) {
    switch (c) {
    case U'一':
        return 1;
    case U'二':
        return 2;
    case U'三':
        return 3;
    case U'四':
        return 4;
    case U'五':
        return 5;
    case U'六':
        return 6;
    case U'日':
    case U'天':
        return 7;
    default:
        return 0;
    }
}

int WeekdayBit(int weekday) {
    return 1 << (weekday - 1);
}

bool IsEdgePunctuation(char32_t c) {
    static constexpr std::u32string_view marks = U" \t　，。！？：；、,.!?:;~～…";
    return marks.find(c) != std::u32string_view::npos;
}

// 之前, 以前, 前 right after a day or a clock ("周五前交周报", "下午4点前"): a deadline, said by the time itself.
void ReadDeadline(TCursor& c) {
    const std::size_t start = c.Pos;
    if (c.AnyWord({U"之前", U"以前", U"前"}) >= 0) {
        if (IsDigit(c.Peek()) || IsChineseNumeral(c.Peek())) {
            c.Pos = start;
        }
    }
}

// A number followed by what it counts or names ("3个人", "2楼", "5号线", "100元", "2.5mg"): not a date or a time.
bool CountedThingFollows(const TCursor& c) {
    static constexpr std::u32string_view things = U"个位人名楼层号线路门床厅馆院室车房座机道口栋店库柜窗桌台站元块角毛"
                                                  U"分斤两克吨米里寸尺升瓶杯碗片粒袋包盒箱本张份件次"
                                                  U"倍折成级岁周年月天版万千百亿%‰";
    const char32_t next = c.Peek();
    return IsAsciiLetter(next) || things.find(next) != std::u32string_view::npos;
}

// Where a festival's, a term's or a lunar day's name can say the day: at the start of the line or of a part of it
// (after a space, a mark, or words already read), or after 过/逢/是/的 ("回老家过春节"). Elsewhere it is a word of
// the text: "去五一广场", "看清明上河图", "带初三学生".
bool StartsAPart(const TCursor& c) {
    if (c.Pos == 0 || !c.Text().IsFree(c.Pos - 1)) {
        return true;
    }
    static constexpr std::u32string_view joins = U"过逢是的";
    const char32_t before = c.Text().Chars[c.Pos - 1];
    return IsSpace(before) || IsEdgePunctuation(before) || joins.find(before) != std::u32string_view::npos;
}

// "和20号", "和晚上8点" after a day or a time: one reminder keeps one of each, so such a line is refused rather than
// half read.
bool SecondFollows(const TCursor& c) {
    TCursor ahead = c;
    ahead.SkipSpaces();
    if (ahead.AnyWord({U"和", U"、", U"及", U"与", U"或", U"或者"}) < 0) {
        return false;
    }
    ahead.SkipSpaces();
    if (ahead.AnyWord({U"今天", U"明天", U"后天", U"大后天", U"今晚", U"明晚"}) >= 0) {
        return true;
    }
    ahead.AnyWord({U"早上", U"上午", U"中午", U"下午", U"傍晚", U"晚上", U"凌晨", U"每月", U"初"});
    ahead.SkipSpaces();
    if (!ahead.Numeral()) {
        return false;
    }
    return ahead.AnyWord({U"号", U"日", U"点", U"时", U":", U"："}) >= 0;
}
const std::string TwoAtOnce = "一条提醒只有一个日子和一个时刻：请分成两条添加";

int ReadDay(TCursor& c) {
    const int day = WeekdayOf(c.Peek());
    if (day != 0) {
        ++c.Pos;
    }
    return day;
}

int ReadPrefixedDay(TCursor& c, bool needPrefix) {
    const std::size_t start = c.Pos;
    const bool prefixed = c.AnyWord({U"星期", U"礼拜", U"周"}) >= 0;
    if (needPrefix && !prefixed) {
        return 0;
    }
    const int day = ReadDay(c);
    if (day == 0) {
        c.Pos = start;
    }
    return day;
}

// A set of weekdays: 一三五, 一、三、五, 一到周五, 二和周四, 末 (Saturday and Sunday). Weekday bits, 0 for none.
int ReadWeekdays(TCursor& c, bool needPrefix) {
    const std::size_t start = c.Pos;
    int last = ReadPrefixedDay(c, needPrefix);
    if (last == 0) {
        if (c.AnyWord({U"周末", U"末"}) >= 0) {
            return WeekdayBit(6) | WeekdayBit(7);
        }
        c.Pos = start;
        return 0;
    }
    int bits = WeekdayBit(last);
    for (;;) {
        const std::size_t save = c.Pos;
        if (c.AnyWord({U"到", U"至", U"-", U"~", U"～"}) >= 0) {
            const int to = ReadPrefixedDay(c, false);
            if (to == 0 || to < last) {
                c.Pos = save;
                break;
            }
            for (int day = last; day <= to; ++day) {
                bits |= WeekdayBit(day);
            }
            last = to;
        } else if (c.AnyWord({U"、", U"，", U",", U"和", U"及", U"与"}) >= 0) {
            const int next = ReadPrefixedDay(c, false);
            if (next == 0) {
                c.Pos = save;
                break;
            }
            bits |= WeekdayBit(next);
            last = next;
        } else {
            const int next = ReadDay(c);
            if (next == 0) {
                break;
            }
            bits |= WeekdayBit(next);
            last = next;
        }
    }
    return bits;
}

// A length of time in minutes: 10分钟, 半小时, 一个半小时, 两天, 一周, 三个月 (30 days each).
std::optional<int> ReadLength(TCursor& c, bool allowMonths) {
    const std::size_t start = c.Pos;
    const std::optional<int> count = c.Numeral();
    c.Word(U"个");
    const bool half = c.Word(U"半");
    static constexpr std::array<int, 11> unitMinutes = {1, 15, 1, 60, 60, 1440, 1440, 10080, 10080, 10080, 43200};
    const int unit =
        c.AnyWord({U"分钟", U"刻钟", U"分", U"小时", U"钟头", U"天", U"日", U"周", U"星期", U"礼拜", U"月"});
    if (unit < 0 || (!count && !half) || (unit == 10 && !allowMonths)) {
        c.Pos = start;
        return std::nullopt;
    }
    return count.value_or(0) * unitMinutes[unit] + (half ? unitMinutes[unit] / 2 : 0);
}

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

// A Gregorian date: 2027-01-05, 2027.1.5, 2027年1月5日, 二〇二七年一月五日, 12月25日, 十二月二十五号, 12.25, 12/25.
bool ReadGregorianDate(TCursor& c, TGregorianDate& date) {
    const std::size_t start = c.Pos;
    if (start > 0 && (IsDigit(c.Text().Chars[start - 1]) || IsAsciiLetter(c.Text().Chars[start - 1]))) {
        return false;
    }
    int yearDigits = 0;
    TCursor year = c;
    std::optional<int> yearValue = year.Digits(4, &yearDigits);
    if (!yearValue) {
        const std::size_t before = year.Pos;
        yearValue = year.Numeral();
        yearDigits = static_cast<int>(year.Pos - before);
    }
    if (yearValue && yearDigits == 4) {
        TCursor rest = year;
        if (rest.Word(U"年")) {
            const std::optional<int> month = rest.Numeral();
            if (month && rest.Word(U"月")) {
                if (const std::optional<int> day = rest.Numeral()) {
                    rest.AnyWord({U"日", U"号"});
                    date = {*yearValue, *month, *day};
                    c.Pos = rest.Pos;
                    return true;
                }
            }
        }
        rest = year;
        const char32_t separator = rest.Peek();
        if (separator == U'-' || separator == U'.' || separator == U'/') {
            ++rest.Pos;
            const std::optional<int> month = rest.Digits(2);
            if (month && rest.Peek() == separator) {
                ++rest.Pos;
                if (const std::optional<int> day = rest.Digits(2)) {
                    date = {*yearValue, *month, *day};
                    c.Pos = rest.Pos;
                    return true;
                }
            }
        }
    }
    TCursor rest = c;
    if (const std::optional<int> month = rest.Numeral(); month && rest.Word(U"月")) {
        if (const std::optional<int> day = rest.Numeral()) {
            rest.AnyWord({U"日", U"号"});
            date = {0, *month, *day};
            c.Pos = rest.Pos;
            return true;
        }
    }
    rest = c;
    if (const std::optional<int> month = rest.Digits(2)) {
        const char32_t separator = rest.Peek();
        // Right after a day ("明天10.30", "周五 9.15") a dotted pair is the time.
        std::size_t before = start;
        while (before > 0 && IsSpace(c.Text().Chars[before - 1])) {
            --before;
        }
        static constexpr std::u32string_view dayEnds = U"天晚早午一二三四五六日末";
        const bool afterDay = before > 0 && dayEnds.find(c.Text().Chars[before - 1]) != std::u32string_view::npos;
        if (separator == U'/' || separator == U'-' || (separator == U'.' && !afterDay)) {
            ++rest.Pos;
            int dayDigits = 0;
            const std::optional<int> day = rest.Digits(2, &dayDigits);
            // "2.5mg", "3.5斤", "1.5万元": a number with a decimal point, not a date.
            if (day && *month >= 1 && *month <= 12 && !IsDigit(rest.Peek()) && rest.Peek() != separator &&
                rest.Peek() != U'.' && rest.Peek() != U'/' && (rest.Peek() == U'号' || !CountedThingFollows(rest))) {
                rest.AnyWord({U"日", U"号"});
                date = {0, *month, *day};
                c.Pos = rest.Pos;
                return true;
            }
        }
    }
    return false;
}

// 20号, 廿号: the next such day of a month, only where nothing else gave the day, and not a number of a place
// ("3号楼", "5号线").
bool RecogniseMonthDay(TCursor& c, TQuickAddFindings& findings) {
    if (findings.HasDate()) {
        return false;
    }
    const std::size_t start = c.Pos;
    if (start > 0) {
        const char32_t before = c.Text().Chars[start - 1];
        if (IsDigit(before) || IsAsciiLetter(before) || before == U'第' || before == U'月' || before == U'初') {
            return false;
        }
    }
    const std::optional<int> day = c.Numeral();
    if (!day || c.AnyWord({U"号", U"日"}) < 0) {
        c.Pos = start;
        return false;
    }
    static constexpr std::u32string_view places = U"楼线门床厅馆院室车房位座机道口栋店库柜窗桌台站";
    if (places.find(c.Peek()) != std::u32string_view::npos) {
        c.Pos = start;
        return false;
    }
    findings.ComingMonthDay = *day;
    ReadDeadline(c);
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
    bool yearEnd = false;
    if (c.AnyWord({U"本月底", U"月底"}) >= 0) {
        monthEnd = true;
    } else if (c.AnyWord({U"今年年底", U"年底"}) >= 0) {
        yearEnd = true;
    } else if (!ReadGregorianDate(c, date)) {
        return false;
    }
    // 到 alone ends a repeat only with 为止 or where the date ends the phrase or a part of it: "到北京" is no end,
    // "吃药 到2027年1月15日" is.
    if (!c.Word(U"为止") && opening == 3 && !c.AtEnd() && !IsEdgePunctuation(c.Peek())) {
        return false;
    }
    findings.End = date;
    findings.EndAtMonthEnd = monthEnd;
    findings.EndAtYearEnd = yearEnd;
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
    } else {
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
    if (!suffixed && !lunar && !lunarDay) {
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

// The year a day is said in, before it: 今年, 明年, 后年 (an offset) or 2027年 (a year); false, the cursor where it
// was, when none is there.
bool ReadSaidYear(TCursor& c, int& year, int& offset) {
    const std::size_t start = c.Pos;
    if (const int word = c.AnyWord({U"今年", U"明年", U"后年"}); word >= 0) {
        offset = word;
        c.SkipSpaces();
        return true;
    }
    int digits = 0;
    const std::optional<int> number = c.Digits(4, &digits);
    if (number && digits == 4 && c.Word(U"年")) {
        year = *number;
        c.SkipSpaces();
        return true;
    }
    c.Pos = start;
    return false;
}

// 前三天, 前一天 after a named day: that many days before it.
void ReadDaysBefore(TCursor& c, TQuickAddFindings& findings) {
    const std::size_t start = c.Pos;
    c.Word(U"的");
    // 前三天, 前一周, 后两天, 后第一天.
    if (const int side = c.AnyWord({U"前", U"后"}); side >= 0) {
        c.Word(U"第");
        const std::optional<int> count = c.Numeral();
        const int unit = c.AnyWord({U"天", U"周", U"个星期", U"星期"});
        if (count && unit >= 0 && *count >= 1) {
            const int days = *count * (unit == 0 ? 1 : 7);
            if (days <= 60) {
                findings.DaysBefore = side == 0 ? days : -days;
                return;
            }
        }
    }
    c.Pos = start;
}

struct TFestivalName {
    std::u32string_view Said;
    std::string_view Title; // as the festival list calls it
};

constexpr std::array<TFestivalName, 44> FestivalNames = {{
    {U"春节", "春节"},         {U"元宵节", "元宵节"},     {U"元宵", "元宵节"},       {U"端午节", "端午节"},
    {U"端午", "端午节"},       {U"七夕节", "女儿节"},     {U"七夕", "女儿节"},       {U"中秋节", "中秋节"},
    {U"中秋", "中秋节"},       {U"重阳节", "重阳节"},     {U"重阳", "重阳节"},       {U"腊八节", "腊八节"},
    {U"腊八", "腊八节"},       {U"小年", "祭灶日"},       {U"除夕", "除夕"},         {U"大年三十", "除夕"},
    {U"年三十", "除夕"},       {U"情人节", "情人节"},     {U"妇女节", "国际妇女节"}, {U"劳动节", "国际劳动节"},
    {U"五一", "国际劳动节"},   {U"青年节", "中国青年节"}, {U"母亲节", "母亲节"},     {U"儿童节", "国际儿童节"},
    {U"六一", "国际儿童节"},   {U"父亲节", "父亲节"},     {U"教师节", "中国教师节"}, {U"国庆节", "中国国庆节"},
    {U"国庆", "中国国庆节"},   {U"万圣节", "万圣节"},     {U"感恩节", "感恩节"},     {U"圣诞节", "圣诞节"},
    {U"圣诞", "圣诞节"},       {U"中元节", "盂兰盆会"},   {U"中元", "盂兰盆会"},     {U"鬼节", "盂兰盆会"},
    {U"盂兰盆节", "盂兰盆会"}, {U"盂兰盆会", "盂兰盆会"}, {U"寒衣节", "祭祖节"},     {U"祭祖节", "祭祖节"},
    {U"送穷日", "送穷日"},     {U"愚人节", "愚人节"},     {U"学雷锋日", "学雷锋日"}, {U"消费者权益日", "消费者权益日"},
}};

template <std::size_t N>
const TFestival* FindFestival(const std::array<TFestival, N>& festivals, std::string_view title) {
    for (const TFestival& festival : festivals) {
        if (FestivalTitle(festival) == title) {
            return &festival;
        }
    }
    return nullptr;
}

// Only where nothing else gave the day: "12月25日 圣诞聚餐" is a dinner on the day said, its name whole.
bool RecogniseFestival(TCursor& c, TQuickAddFindings& findings) {
    if (findings.HasDate() || !StartsAPart(c)) {
        return false;
    }
    const std::size_t start = c.Pos;
    int yearOffset = -1;
    int year = 0;
    ReadSaidYear(c, year, yearOffset);
    const auto found = [&] {
        findings.YearOffset = yearOffset;
        findings.Date.Year = year;
        ReadDaysBefore(c, findings);
        return true;
    };
    if (c.Word(U"元旦")) {
        findings.NewYearsDay = true;
        return found();
    }
    for (const TFestivalName& name : FestivalNames) {
        if (!c.Word(name.Said)) {
            continue;
        }
        if (const TFestival* lunar = FindFestival(LunarFestivals, name.Title)) {
            findings.Festival = lunar;
            findings.FestivalLunar = true;
        } else {
            findings.Festival = FindFestival(SolarFestivals, name.Title);
        }
        if (findings.Festival == nullptr) {
            break;
        }
        return found();
    }
    c.Pos = start;
    return false;
}

// A solar term, only where nothing else gave the day ("明天 去清明上河园").
bool RecogniseSolarTerm(TCursor& c, TQuickAddFindings& findings) {
    if (findings.HasDate() || !StartsAPart(c)) {
        return false;
    }
    static const std::array<std::u32string, SolarTermCount> names = [] {
        std::array<std::u32string, SolarTermCount> decoded;
        for (int i = 0; i < SolarTermCount; ++i) {
            decoded[i] = DecodeUtf8(SolarTermNames[i]);
        }
        return decoded;
    }();
    const std::size_t start = c.Pos;
    int year = 0;
    int offset = -1;
    ReadSaidYear(c, year, offset);
    int term = c.Word(U"清明节") ? 6 : -1;
    for (int i = 0; i < SolarTermCount && term < 0; ++i) {
        term = c.Word(names[i]) ? i : -1;
    }
    if (term < 0) {
        c.Pos = start;
        return false;
    }
    findings.SolarTerm = term;
    findings.Date.Year = year;
    findings.YearOffset = offset;
    ReadDaysBefore(c, findings);
    return true;
}

std::optional<int> ReadLunarDay(TCursor& c) {
    const std::size_t start = c.Pos;
    const bool early = c.Word(U"初");
    const std::optional<int> day = c.Numeral();
    if (!day || (early && *day > 10)) {
        c.Pos = start;
        return std::nullopt;
    }
    if (!early) {
        c.AnyWord({U"日", U"号"});
    }
    return day;
}

// 农历八月十五, 腊月廿三, 闰六月初八, 农历12月8日, 大年初一, 农历十五, and a bare 初一 or 廿三.
bool RecogniseLunar(TCursor& c, TQuickAddFindings& findings) {
    const std::size_t start = c.Pos;
    // 2027年农历正月初八, 农历2027年正月初八, 明年正月初八: the lunar year.
    int year = 0;
    int offset = -1;
    const bool yearFirst = ReadSaidYear(c, year, offset);
    const bool said = c.Word(U"农历") || c.Word(U"阴历");
    if (said && !yearFirst) {
        ReadSaidYear(c, year, offset);
    }
    const auto withYear = [&] {
        findings.Date.Year = year;
        findings.YearOffset = offset;
        return true;
    };
    const bool leap = c.Word(U"闰");
    const std::size_t afterPrefix = c.Pos;
    int month = 0;
    bool named = true;
    switch (c.AnyWord({U"正月", U"冬月", U"腊月"})) {
    case 0:
        month = 1;
        break;
    case 1:
        month = 11;
        break;
    case 2:
        month = 12;
        break;
    default:
        named = false;
        if (const std::optional<int> number = c.Numeral(); number && c.Word(U"月")) {
            month = *number;
        }
    }
    // 五月初五 and 七月初七 are lunar by their day; a space may stand between (正月 初一). So is 八月十五 written
    // in Chinese numerals without 日 or 号, as the lunar days are written; 八月15日 and 8月15 are not.
    const std::size_t afterMonth = c.Pos;
    c.SkipSpaces();
    bool lunarDayNext = c.Peek() == U'初';
    bool bare = false;
    if (!named && month != 0 && !lunarDayNext && IsChineseNumeral(c.Text().Chars[afterPrefix]) &&
        IsChineseNumeral(c.Peek())) {
        TCursor day = c;
        lunarDayNext = day.Numeral() && day.Peek() != U'日' && day.Peek() != U'号';
        bare = lunarDayNext && !said && !leap;
    }
    if (!named && !lunarDayNext) {
        c.Pos = afterMonth;
    }
    if (month != 0 && (said || leap || named || lunarDayNext)) {
        // 腊月三十 said once is New Year's Eve, which in a short 腊月 is the 29th.
        if (const std::optional<int> day = ReadLunarDay(c); day && month == 12 && *day == 30 && !leap && !said) {
            findings.Festival = FindFestival(LunarFestivals, "除夕");
            findings.FestivalLunar = true;
            return findings.Festival != nullptr;
        } else if (day) {
            findings.Lunar = true;
            findings.LeapMonth = leap;
            findings.BareChineseDate = bare;
            findings.Date = {0, month, *day};
            return withYear();
        }
    }
    c.Pos = afterPrefix;
    if (said && !leap) {
        if (const std::optional<int> day = ReadLunarDay(c)) {
            findings.Lunar = true;
            findings.Date = {0, 0, *day};
            return true;
        }
    }
    c.Pos = start;
    if (c.Word(U"大年")) {
        // 大年三十 is New Year's Eve, named as a festival.
        if (const std::optional<int> day = ReadLunarDay(c); day && *day != 30) {
            findings.Lunar = true;
            findings.Date = {0, 1, *day};
            return true;
        }
        c.Pos = start;
        return false;
    }
    return false;
}

// A bare 初一 or 廿三: the next such lunar day, only where nothing else gave the day ("明天 去初一班开家长会").
bool RecogniseBareLunarDay(TCursor& c, TQuickAddFindings& findings) {
    if (findings.HasDate() || !StartsAPart(c)) {
        return false;
    }
    const std::size_t start = c.Pos;
    // 廿 after a month of no calendar named is the Gregorian date's day (十二月廿三日), read before.
    const bool afterMonth = start > 0 && c.Text().Chars[start - 1] == U'月';
    if (c.Peek() == U'初' || (c.Peek() == U'廿' && !afterMonth)) {
        if (const std::optional<int> day = ReadLunarDay(c)) {
            findings.Lunar = true;
            findings.Date = {0, 0, *day};
            return true;
        }
    }
    c.Pos = start;
    return false;
}

// 12月25日 and the other Gregorian dates, 今年/明年 before them, 5月第二个星期日, 下个月15号, 本月底.
bool RecogniseGregorian(TCursor& c, TQuickAddFindings& findings) {
    const std::size_t start = c.Pos;
    // 公历6月1日, 阳历5月20号: the calendar said, as it is anyway.
    if (c.AnyWord({U"公历", U"阳历", U"新历"}) >= 0) {
        c.SkipSpaces();
        if (!RecogniseGregorian(c, findings)) {
            c.Pos = start;
            return false;
        }
        return true;
    }
    if (c.AnyWord({U"本月底", U"这个月底", U"月底"}) >= 0) {
        findings.ThisMonthEnd = true;
        return true;
    }
    if (c.AnyWord({U"今年年底", U"年底", U"年末"}) >= 0) {
        findings.Date = {0, 12, 31};
        findings.YearOffset = 0;
        return true;
    }
    if (c.AnyWord({U"下个月", U"下月"}) >= 0) {
        if (c.AnyWord({U"底", U"末"}) >= 0) {
            findings.NextMonthEnd = true;
            return true;
        }
        const std::optional<int> day = c.Numeral();
        if (!day || c.AnyWord({U"号", U"日"}) < 0) {
            c.Pos = start;
            return false;
        }
        findings.NextMonthDay = *day;
        return true;
    }
    const int yearWord = c.AnyWord({U"今年", U"明年"});
    const std::size_t afterYear = c.Pos;
    if (const std::optional<int> month = c.Numeral(); month && c.Word(U"月") && (c.Word(U"的"), c.Word(U"第"))) {
        const std::optional<int> occurrence = c.Numeral();
        if (occurrence && c.Word(U"个")) {
            if (const int day = ReadPrefixedDay(c, true)) {
                findings.Date = {0, *month, 0};
                findings.Weekdays = WeekdayBit(day);
                findings.Condition = "$mwo" + std::to_string(*occurrence) + "$";
                return true;
            }
        }
    }
    c.Pos = afterYear;
    TGregorianDate date;
    if (!ReadGregorianDate(c, date)) {
        c.Pos = start;
        return false;
    }
    findings.Date = date;
    findings.YearOffset = yearWord;
    return true;
}

bool RecogniseRelativeDay(TCursor& c, TQuickAddFindings& findings) {
    const int word = c.AnyWord(
        {U"大后天", U"后天", U"明天", U"明日", U"今天", U"今日", U"今晚", U"明早", U"明晚", U"昨天", U"前天", U"昨晚"});
    static constexpr std::array<int, 9> offsets = {3, 2, 1, 1, 0, 0, 0, 1, 1};
    if (word < 0) {
        return false;
    }
    if (word >= 9) {
        findings.Refusal = PastRefusal;
        return true;
    }
    if (SecondFollows(c)) {
        findings.Refusal = TwoAtOnce;
    }
    findings.DayOffset = offsets[word];
    if (word == 6 || word == 8) {
        findings.Period = TPeriod::Evening;
    } else if (word == 7) {
        findings.Period = TPeriod::Morning;
    }
    return true;
}

bool RecogniseWeekday(TCursor& c, TQuickAddFindings& findings) {
    const int which = c.AnyWord({U"下下", U"下个", U"下", U"这个", U"这", U"本", U"上个", U"上"});
    // 周末, 下周末: the Saturday.
    if (which < 6 && c.AnyWord({U"周末", U"礼拜天", U"礼拜日"}) >= 0) {
        static constexpr std::array<TWeekOf, 6> weekends = {TWeekOf::AfterFollowing, TWeekOf::Following,
                                                            TWeekOf::Following,      TWeekOf::This,
                                                            TWeekOf::This,           TWeekOf::This};
        findings.Weekday = c.Text().Chars[c.Pos - 1] == U'末' ? 6 : 7;
        findings.WeekOf = which < 0 ? TWeekOf::Next : weekends[which];
        return true;
    }
    if (which >= 6) {
        // 上周五 has passed.
        if (ReadPrefixedDay(c, true) == 0) {
            return false;
        }
        findings.Refusal = PastRefusal;
        return true;
    }
    static constexpr std::array<TWeekOf, 6> weeks = {TWeekOf::AfterFollowing, TWeekOf::Following, TWeekOf::Following,
                                                     TWeekOf::This,           TWeekOf::This,      TWeekOf::This};
    const int day = ReadPrefixedDay(c, true);
    if (day == 0) {
        return false;
    }
    findings.Weekday = day;
    findings.WeekOf = which < 0 ? TWeekOf::Next : weeks[which];
    ReadDeadline(c);
    return true;
}

// 下午三点, 晚上8点半, 10点一刻, 8点零五分, 15:40, and a time of day alone (明天早上).
bool RecogniseTime(TCursor& c, TQuickAddFindings& findings) {
    const std::size_t start = c.Pos;
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
