#include "runtime/remind_text.h"

#include "calendar/clock.h"
#include "calendar/holidays.h"
#include "calendar/lunar.h"
#include "calendar/solar_terms.h"
#include "data/constants.h"
#include "data/text_helpers.h"
#include "platform/system_queries.h"

#include <algorithm>

namespace chimewell {

namespace {

// Everything the codes print about one moment.
struct MomentFacts {
    explicit MomentFacts(TDateTime moment)
        : Day(DateOf(moment)), Date(DecodeDate(moment)), Time(DecodeTime(moment)), Weekday(DayOfWeek(moment)),
          Lunar(SolarToLunar(Day)) {}

    TDateTime Day;
    DateFields Date;
    TimeFields Time;
    int Weekday; // 1 = Sunday .. 7 = Saturday
    LunarDate Lunar;
};

std::string TwoDigits(int value, bool chinese) {
    return chinese ? ChineseDigitsPadded(value, 2) : ZeroPad(value, 2);
}

std::string HashCode(char code, const MomentFacts& facts) {
    const int hour = facts.Time.Hour;
    const bool morning = hour < 12;
    const bool upper = code >= 'A' && code <= 'Z';
    switch (code) {
    case '#':
        return "#";
    case 'y':
        return std::to_string(facts.Date.Year);
    case 'Y':
        return ChineseDigits(facts.Date.Year);
    case 'm':
    case 'M':
        return TwoDigits(facts.Date.Month, upper);
    case 'd':
    case 'D':
        return TwoDigits(facts.Date.Day, upper);
    case 'h':
    case 'H':
        return TwoDigits(hour, upper);
    case 'o':
    case 'O':
        return TwoDigits(hour > 12 ? hour - 12 : hour, upper);
    case 't':
    case 'T':
        return TwoDigits(facts.Time.Minute, upper);
    case 's':
    case 'S':
        return TwoDigits(facts.Time.Second, upper);
    case 'w':
        return facts.Weekday == 1 ? "日" : std::to_string(facts.Weekday - 1);
    case 'W':
        return facts.Weekday == 1 ? "日" : std::string(ChineseNumerals[static_cast<std::size_t>(facts.Weekday - 1)]);
    case 'a':
        return morning ? "am" : "pm";
    case 'A':
        return morning ? "AM" : "PM";
    case 'P':
        return morning ? "上午" : "下午";
    case 'N':
        return std::string(ProductName);
    case 'V':
        return std::string(ProgramVersion);
    case 'C':
        return std::string(StudioName);
    default:
        return std::string(1, code);
    }
}

// The lunar codes print nothing on a day the lunar table does not reach.
std::string LunarCode(char code, const LunarDate& lunar) {
    if (lunar.IsEmpty()) {
        return {};
    }
    switch (code) {
    case 'Y':
        return ChineseDigitsPadded(lunar.Year, 4);
    case 'y':
        return GanZhiYearName(lunar.Year - 1924);
    case 'S':
        return std::string(ZodiacAnimalName(lunar.Year));
    case 'M':
        if (lunar.Month < 1 || lunar.Month > 12) {
            return {};
        }
        return (lunar.IsLeapMonth ? "闰" : "") + std::string(LunarNumberNames[static_cast<std::size_t>(lunar.Month)]);
    default: // 'D'
        if (lunar.Day < 1 || lunar.Day > 30) {
            return {};
        }
        return (lunar.Day <= 10 ? "初" : "") + std::string(LunarNumberNames[static_cast<std::size_t>(lunar.Day)]);
    }
}

std::string PercentCode(char code, const MomentFacts& facts) {
    switch (code) {
    case '%':
        return "%";
    case 'Y':
    case 'y':
    case 'S':
    case 'M':
    case 'D':
        return LunarCode(code, facts.Lunar);
    case 'J': {
        const std::string_view term = SolarTermNameOf(facts.Day);
        return term.empty() ? std::string() : "节气：" + std::string(term);
    }
    case 'c':
        return ComputerNameText();
    case 'u':
        return LogonUserNameText();
    case 's':
        return SystemDirectoryText();
    case 'w':
        return WindowsDirectoryText();
    case 't':
        return TempDirectoryText();
    case 'o':
        return std::string(WindowsVersionName());
    default:
        return std::string(1, code);
    }
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr std::string_view OfficialWorkdayCondition = "$gzr$";
constexpr std::string_view OfficialRestDayCondition = "$xxr$";

} // namespace

std::string ExpandRemindText(std::string_view text) {
    return ExpandRemindTextAt(text, Now());
}

std::string ExpandRemindTextAt(std::string_view text, TDateTime moment) {
    if (text.size() <= 1) {
        return std::string(text);
    }
    MomentFacts facts(moment);
    std::string expanded;
    expanded.reserve(text.size() + 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '#' && c != '%') {
            expanded += c;
            continue;
        }
        if (i + 1 == text.size()) {
            break; // a trailing # or % is dropped
        }
        const std::size_t length = Utf8SequenceLength(text, i + 1);
        if (length == 1) {
            expanded += c == '#' ? HashCode(text[i + 1], facts) : PercentCode(text[i + 1], facts);
        } else {
            // No code is a multibyte character: the character itself stays, the # or % goes.
            expanded += text.substr(i + 1, length);
        }
        i += length;
    }
    return expanded;
}

bool HasWeekCondition(std::string_view text) {
    return StartsWith(text, "$mw") || StartsWith(text, "$yw") || HasHolidayCondition(text);
}

bool HasHolidayCondition(std::string_view text) {
    return StartsWith(text, OfficialWorkdayCondition) || StartsWith(text, OfficialRestDayCondition);
}

TWeekCondition ParseWeekCondition(std::string_view text) {
    TWeekCondition condition;
    if (!HasWeekCondition(text)) {
        return condition;
    }
    for (const std::string_view plain : {"$mws$", "$mwd$", "$yws$", "$ywd$", "$gzr$", "$xxr$"}) {
        if (StartsWith(text, plain)) {
            condition.WellFormed = true;
            return condition;
        }
    }
    // A letter between the family and the number says how the number counts.
    const bool lettered = StartsWith(text, "$mwm") || StartsWith(text, "$ywm") || StartsWith(text, "$mwo");
    const std::string rest = TailFrom(text, lettered ? 5 : 4);
    const int closing = FindText(rest, "$");
    if (closing <= 1) {
        return condition;
    }
    // Only ASCII digits may stand before the closing $, so the character count is also the byte count.
    std::int64_t number = 0;
    for (int i = 0; i < closing - 1; ++i) {
        const char c = rest[static_cast<std::size_t>(i)];
        if (!IsAsciiDigit(c)) {
            return condition;
        }
        number = std::min(number * 10 + (c - '0'), WeekConditionNumberLimit);
    }
    condition.WellFormed = true;
    condition.HasNumber = true;
    condition.Number = number;
    return condition;
}

bool WeekConditionHolds(std::string_view text, bool beginWithSunday) {
    return WeekConditionHoldsAt(text, Now(), beginWithSunday);
}

bool WeekConditionHoldsAt(std::string_view text, TDateTime moment, bool beginWithSunday) {
    if (HasHolidayCondition(text)) {
        return IsOfficialWorkday(DateOf(moment)) == StartsWith(text, OfficialWorkdayCondition);
    }
    const DateFields date = DecodeDate(moment);
    int week = 0;
    std::string_view family;
    if (StartsWith(text, "$mw")) {
        week = WeekOfMonth(date.Year, date.Month, date.Day, beginWithSunday);
        family = "$mw";
    } else if (StartsWith(text, "$yw")) {
        week = WeekOfYear(date.Year, date.Month, date.Day, beginWithSunday);
        family = "$yw";
    } else {
        return false;
    }
    if (week < 1) {
        return false; // the calendar knows no week for this date
    }
    const std::string prefix(family);
    if (StartsWith(text, prefix + "d$")) {
        return week % 2 == 1;
    }
    if (StartsWith(text, prefix + "s$")) {
        return week % 2 == 0;
    }
    const TWeekCondition condition = ParseWeekCondition(text);
    if (!condition.WellFormed || !condition.HasNumber) {
        return false;
    }
    if (StartsWith(text, prefix + "m")) {
        return condition.Number > 0 && week % condition.Number == 0;
    }
    if (StartsWith(text, "$mwo")) {
        // The N-th time this weekday comes round in the month (days 7N-6 .. 7N), whichever day the weeks
        // begin on: a second Sunday is not always in the second week.
        return (date.Day - 1) / 7 + 1 == condition.Number;
    }
    return week == condition.Number;
}

std::string StripWeekCondition(std::string_view text) {
    if (CharacterCount(text) < 2 || text.front() != '$') {
        return std::string(text);
    }
    const std::string rest = TailFrom(text, 2);
    const int closing = FindText(rest, "$");
    if (closing < 1) {
        return std::string(text);
    }
    return TailFrom(rest, closing + 1);
}

std::string LiteralRemindText(std::string_view text, int maxCharacters) {
    std::string literal;
    literal.reserve(text.size() + 8);
    if (!text.empty() && text.front() == '$') {
        literal += '#';
    }
    int characters = CharacterCount(literal);
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        const bool mark = length == 1 && (text[i] == '#' || text[i] == '%');
        const int needed = mark ? 2 : 1;
        if (characters + needed > maxCharacters) {
            break;
        }
        if (mark) {
            literal += text[i];
        }
        literal.append(text.substr(i, length));
        characters += needed;
        i += length;
    }
    return literal;
}

TRemindTextResult PrepareRemindText(std::string_view message, TDateTime moment, bool beginWithSunday) {
    TRemindTextResult result;
    result.Expanded = ExpandRemindTextAt(message, moment);
    result.HasCondition = HasWeekCondition(message);
    if (result.HasCondition) {
        result.ConditionHolds = WeekConditionHoldsAt(message, moment, beginWithSunday);
        result.Shown = StripWeekCondition(result.Expanded);
    } else {
        result.Shown = result.Expanded;
    }
    return result;
}

} // namespace chimewell
