#include "calendar/clock.h"
#include "calendar/festivals.h"
#include "calendar/lunar.h"
#include "calendar/solar_terms.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/holidays.h"
#include "runtime/month_view.h"

#include <string_view>

namespace chimewell::cli {

namespace {
// The days the lunar table knows; a range beyond them would print nothing but zeros.
TDateTime FirstLunarTableDate() {
    return EncodeDate(1900, 1, 31);
}

TDateTime LastLunarTableDate() {
    return EncodeDate(2100, 12, 31);
}

void AppendLunarLine(std::string& buffer, TDateTime date) {
    const LunarDate lunar = SolarToLunar(date);
    buffer += FormatDate(date);
    for (const int field : {lunar.Year, lunar.Month, lunar.Day, lunar.IsLeapMonth ? 1 : 0}) {
        buffer += '\t';
        buffer += std::to_string(field);
    }
    buffer += '\t';
    buffer += SolarTermNameOf(date);
    buffer += '\n';
}

// A day as a person reads it: "2025-01-29 星期三 农历乙巳年（蛇）正月初一 春节".
std::string CellText(TDateTime date) {
    const std::string_view term = SolarTermNameOf(date);
    if (!term.empty()) {
        return std::string(term);
    }
    const LunarDate lunar = SolarToLunar(date);
    if (lunar.IsEmpty()) {
        return "";
    }
    return lunar.Day == 1 ? LunarMonthName(lunar.Month, lunar.IsLeapMonth) : LunarDayName(lunar.Day);
}

void AppendReadableLine(std::string& buffer, TDateTime date) {
    buffer += ReadableDayLine(date);
    buffer += '\n';
}

// Terminal columns of UTF-8 text: the Chinese characters used here are two columns wide.
std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            ++width;
        } else if (byte >= 0xC0) {
            width += 2;
        }
    }
    return width;
}

std::string TrimmedRight(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string PadTo(std::string text, std::size_t width) {
    for (std::size_t shown = DisplayWidth(text); shown < width; ++shown) {
        text += ' ';
    }
    return text;
}

constexpr std::size_t CellWidth = 8;

void PrintMonth(std::ostream& out, int year, int month, bool sundayFirst) {
    const TDateTime first = EncodeDate(year, month, 1);
    const int days = GregorianMonthDays(year, month);
    const TDateTime today = Today();

    const std::string title = MonthTitle(year, month);
    const std::size_t gridWidth = CellWidth * 7;
    const std::size_t titleWidth = DisplayWidth(title);
    out << std::string(titleWidth < gridWidth ? (gridWidth - titleWidth) / 2 : 0, ' ') << title << "\n";
    std::string header;
    static constexpr const char* SundayFirst[] = {"日", "一", "二", "三", "四", "五", "六"};
    static constexpr const char* MondayFirst[] = {"一", "二", "三", "四", "五", "六", "日"};
    for (const char* weekday : sundayFirst ? SundayFirst : MondayFirst) {
        header += PadTo(std::string("  ") + weekday, CellWidth);
    }
    out << TrimmedRight(header) << "\n";

    // [0, 6]: weeks begin on the day the settings say, as in the month window.
    int column = sundayFirst ? DayOfWeek(first) - 1 : (DayOfWeek(first) + 5) % 7;
    std::string numbers(CellWidth * static_cast<std::size_t>(column), ' ');
    std::string names = numbers;
    // Under the days the holiday schedule lists, 休 or 班; a week without such days has no such line.
    std::string marks = numbers;
    // The festivals of the month, named under it; their days carry a star.
    std::string legend;
    bool weekHasMarks = false;
    for (int day = 1; day <= days; ++day) {
        const TDateTime date = first + (day - 1);
        const bool isToday = date == today;
        const std::vector<std::string> festivals = FestivalsOn(date);
        for (const std::string& festival : festivals) {
            legend += (legend.empty() ? "" : "  ") + std::to_string(day) + "日" + festival;
        }
        char number[16];
        const char after = isToday ? ']' : festivals.empty() ? ' ' : '*';
        std::snprintf(number, sizeof number, " %c%2d%c%s", isToday ? '[' : ' ', day, after,
                      isToday && !festivals.empty() ? "*" : "");
        numbers += PadTo(number, CellWidth);
        names += PadTo(" " + CellText(date), CellWidth);
        const TOfficialDay official = OfficialDayOf(date);
        marks += PadTo(official.Listed ? (official.IsWorkday ? "  班" : "  休") : "", CellWidth);
        weekHasMarks = weekHasMarks || official.Listed;
        if (++column == 7 || day == days) {
            out << TrimmedRight(numbers) << "\n" << TrimmedRight(names) << "\n";
            if (weekHasMarks) {
                out << TrimmedRight(marks) << "\n";
            }
            numbers.clear();
            names.clear();
            marks.clear();
            weekHasMarks = false;
            column = 0;
        }
    }
    if (!legend.empty()) {
        out << "* " << legend << "\n";
    }
}
} // namespace

int RunLunar(const Arguments& arguments, std::ostream& out, std::ostream&) {
    const ParsedArguments parsed = ParseArguments(arguments, {"--text"}, {"--from", "--to"});
    const auto append = parsed.Has("--text") ? AppendReadableLine : AppendLunarLine;
    std::string buffer;
    if (parsed.Has("--from") || parsed.Has("--to")) {
        if (!parsed.Has("--from") || !parsed.Has("--to") || !parsed.Positional.empty()) {
            throw UsageError("lunar --from needs the form: lunar --from DATE --to DATE");
        }
        const std::string& fromText = parsed.Values.at("--from");
        const std::string& toText = parsed.Values.at("--to");
        const TDateTime from = ParseDate(fromText);
        const TDateTime to = ParseDate(toText);
        if (to < from) {
            throw UsageError("invalid range: --to " + toText + " is before --from " + fromText);
        }
        // Outside the table every line would only say that there is no lunar date.
        if (from < FirstLunarTableDate() || to > LastLunarTableDate()) {
            throw UsageError("invalid range: lunar dates are known from " + FormatDate(FirstLunarTableDate()) + " to " +
                             FormatDate(LastLunarTableDate()));
        }
        buffer.reserve(static_cast<std::size_t>(to - from + 1) * 32);
        for (TDateTime date = from; date <= to; date += 1) {
            append(buffer, date);
        }
    } else {
        if (parsed.Positional.empty()) {
            append(buffer, Today());
        }
        for (const std::string& argument : parsed.Positional) {
            append(buffer, ParseDate(argument));
        }
    }
    out << buffer;
    return 0;
}

int RunSolar(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const ParsedArguments parsed = ParseArguments(arguments, {"--leap"}, {});
    const Arguments& numbers = parsed.Positional;
    const bool isLeapMonth = parsed.Has("--leap");
    if (numbers.size() != 3) {
        throw UsageError("solar needs YEAR MONTH DAY [--leap]");
    }
    const LunarDate date{ParseInteger(numbers[0], "lunar year", 1, 9999),
                         ParseInteger(numbers[1], "lunar month", 1, 12), ParseInteger(numbers[2], "lunar day", 1, 31),
                         isLeapMonth};
    if (!IsLunarDateInTable(date)) {
        err << "chimewell-cli: no such lunar date: " << date.Year << " " << (isLeapMonth ? "leap " : "") << "month "
            << date.Month << " day " << date.Day << " (lunar years 1900 to 2100";
        if (isLeapMonth) {
            const int leap =
                date.Year >= LunarTableFirstYear && date.Year <= LunarTableLastYear ? LunarLeapMonth(date.Year) : 0;
            err << "; " << date.Year << (leap == 0 ? " has no leap month" : " has leap month " + std::to_string(leap));
        }
        err << ")\n";
        return 1;
    }
    out << FormatDate(LunarTableDateToSolar(date)) << "\n";
    return 0;
}

int RunTerms(const Arguments& arguments, std::ostream& out, std::ostream&) {
    const Arguments years = ParseArguments(arguments, {}, {}).Positional;
    if (years.size() != 1) {
        throw UsageError("terms needs one YEAR");
    }
    const int year = ParseInteger(years[0], "year", 1, 9999);
    for (int index = 0; index < SolarTermCount; ++index) {
        out << index << "\t" << SolarTermNames[static_cast<std::size_t>(index)] << "\t"
            << FormatDateTime(SolarTermMoment(year, index)) << "\n";
    }
    return 0;
}

int RunCal(const Arguments& options, std::ostream& out, std::ostream& err) {
    const ParsedArguments parsed = ParseArguments(options, {}, {"--dir"});
    const Arguments& arguments = parsed.Positional;
    if (arguments.size() > 2) {
        throw UsageError("cal takes at most YEAR and MONTH");
    }
    const int year = arguments.empty() ? DecodeDate(Today()).Year : ParseInteger(arguments[0], "year", 1, 9999);
    // One month, or the whole year for YEAR alone.
    int firstMonth = 1;
    int lastMonth = 12;
    if (arguments.size() != 1) {
        firstMonth = lastMonth =
            arguments.empty() ? DecodeDate(Today()).Month : ParseInteger(arguments[1], "month", 1, 12);
    }
    const std::string folder = DataFolder(parsed);
    const HolidayScheduleOverride holidays(LoadHolidays(folder, err));
    // Only the settings: the reminders are not needed for the calendar.
    TRmConfig config;
    config.InitDefaults(folder, 265, 202, 429, 279);
    config.LoadConfig();
    UnknownHolidayYears(err).NoteYear(year);
    for (int month = firstMonth; month <= lastMonth; ++month) {
        if (month > firstMonth) {
            out << "\n";
        }
        PrintMonth(out, year, month, config.BeginWithSunday);
    }
    return 0;
}

} // namespace chimewell::cli
