#include "quick_add/quick_add_words.h"

#include <array>
#include <string_view>

namespace chimewell::quick_add {

namespace {

// 1 = Monday .. 7 = Sunday; 0 for a character that names no weekday.
int WeekdayOf(char32_t c) {
    if (c == U'日' || c == U'天') {
        return 7;
    }
    // 周一 .. 周六; not 周两.
    const int digit = c == U'两' || c == U'俩' ? -1 : ChineseDigit(c);
    return digit >= 1 && digit <= 6 ? digit : 0;
}

int ReadDay(TCursor& c) {
    const int day = WeekdayOf(c.Peek());
    if (day != 0) {
        ++c.Pos;
    }
    return day;
}

} // namespace

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
    // 初一和十五: a lunar day after a lunar day.
    if (ahead.Peek() == U'初') {
        return true;
    }
    ahead.AnyWord({U"早上", U"上午", U"中午", U"下午", U"傍晚", U"晚上", U"凌晨", U"每月"});
    ahead.SkipSpaces();
    const bool chinese = IsChineseNumeral(ahead.Peek());
    const std::optional<int> number = ahead.Numeral();
    if (!number) {
        return false;
    }
    if (ahead.AnyWord({U"号", U"日", U"点", U"时", U":", U"："}) >= 0) {
        return true;
    }
    // 和十五上香: a day of the month in Chinese numerals, where nothing counted follows.
    return chinese && *number >= 11 && *number <= 30 && !CountedThingFollows(ahead);
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
            // 一三五, and 周二周四 with the word again.
            const int next = ReadPrefixedDay(c, false);
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

} // namespace chimewell::quick_add
