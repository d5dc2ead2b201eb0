#pragma once
// The small readers the quick-add recognisers share: weekdays, lengths of time, and the tests of what stands
// around a word (a counted thing after a number, the start of a part of the line, a second day or time after 和).

#include "quick_add/quick_add_findings.h"

#include <optional>
#include <string>

namespace chimewell::quick_add {

inline const std::string PastRefusal = "这个时间已经过去了";
inline const std::string NoSuchTimeRefusal = "没有这个时刻";
inline const std::string TwoAtOnce = "一条提醒只有一个日子和一个时刻：请分成两条添加";

int WeekdayBit(int weekday);
// The marks and spaces that only frame a phrase's parts.
bool IsEdgePunctuation(char32_t c);
// Takes 之前, 以前 or 前 right after a day or a clock.
void ReadDeadline(TCursor& c);
// A number's next character is what it counts or names ("3个人", "2楼", "2.5mg").
bool CountedThingFollows(const TCursor& c);
// The cursor stands where a part of the line begins, so that a name there may say the day.
bool StartsAPart(const TCursor& c);
// 和 or 或 and another day or clock follow.
bool SecondFollows(const TCursor& c);
// 周五, 星期三, 礼拜天 (or the bare day when no prefix is needed): 1 = Monday .. 7 = Sunday, 0 when none.
int ReadPrefixedDay(TCursor& c, bool needPrefix);
// A set of weekdays: 一三五, 一、三、五, 一到周五, 二和周四, 末 (Saturday and Sunday). Weekday bits, 0 for none.
int ReadWeekdays(TCursor& c, bool needPrefix);
// A length of time in minutes: 10分钟, 半小时, 一个半小时, 两天, 一周, 三个月 (30 days each, where allowed).
std::optional<int> ReadLength(TCursor& c, bool allowMonths);

} // namespace chimewell::quick_add
