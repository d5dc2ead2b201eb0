#include "quick_add/quick_add_days.h"

#include "calendar/festivals.h"
#include "calendar/solar_terms.h"
#include "quick_add/quick_add_words.h"

#include <array>
#include <string_view>

namespace chimewell::quick_add {

namespace {

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
    std::optional<int> number = c.Digits(4, &digits);
    if (!number) {
        // 二〇二七年
        number = c.Numeral();
        digits = static_cast<int>(c.Pos - start);
    }
    if (number && digits == 4 && *number >= 1000 && c.Word(U"年")) {
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

} // namespace

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
        // Only the lunar days people name so: 八月十五, 七月十五, 二月二, 九月九 (三月十五 is the Gregorian 3.15).
        TCursor day = c;
        const std::optional<int> number = day.Numeral();
        const bool known = number && ((month == 8 && *number == 15) || (month == 7 && *number == 15) ||
                                      (month == 2 && *number == 2) || (month == 9 && *number == 9));
        lunarDayNext = known && day.Peek() != U'日' && day.Peek() != U'号';
        bare = lunarDayNext && !said && !leap;
    }
    if (!named && !lunarDayNext) {
        c.Pos = afterMonth;
    }
    if (month != 0 && (said || leap || named || lunarDayNext)) {
        // 腊月三十 said once is New Year's Eve, which in a short 腊月 is the 29th.
        if (const std::optional<int> day = ReadLunarDay(c); day && month == 12 && *day == 30 && !leap) {
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
    if (c.AnyWord({U"今年最后一天", U"今年年底", U"年底", U"年末"}) >= 0) {
        findings.Date = {0, 12, 31};
        findings.YearOffset = 0;
        return true;
    }
    if (c.AnyWord({U"下个月", U"下月"}) >= 0) {
        c.Word(U"的");
        if (c.AnyWord({U"最后一天", U"底", U"末"}) >= 0) {
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

} // namespace chimewell::quick_add
