// Reading a holiday schedule text. Kept apart from the schedule itself so that the build's table generator can
// read the shipped file with the very code that reads the user's.

#include "calendar/holidays.h"

#include <unordered_map>

namespace chimewell {

namespace {

constexpr std::string_view Blanks = " \t";
constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

// The next field of a line, fields being separated by runs of tabs or blanks; the line keeps the rest.
std::string_view TakeField(std::string_view& line) {
    line = TrimBlanks(line);
    const std::size_t end = line.find_first_of(Blanks);
    const std::string_view field = line.substr(0, end);
    line = end == std::string_view::npos ? std::string_view{} : line.substr(end);
    return field;
}

bool ParseNumber(std::string_view digits, int& value) {
    value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return !digits.empty();
}

bool ParseIsoDate(std::string_view text, DateFields& date) {
    return text.size() == 10 && text[4] == '-' && text[7] == '-' && ParseNumber(text.substr(0, 4), date.Year) &&
           ParseNumber(text.substr(5, 2), date.Month) && ParseNumber(text.substr(8, 2), date.Day) &&
           IsValidGregorianDate(date.Year, date.Month, date.Day);
}

std::string Quoted(std::string_view text) {
    return "“" + std::string(text) + "”";
}

} // namespace

THolidayText ParseHolidayText(std::string_view text) {
    THolidayText result;
    std::unordered_map<std::int32_t, int> lineOfDate;
    if (text.starts_with(Utf8ByteOrderMark)) {
        text.remove_prefix(Utf8ByteOrderMark.size());
    }
    int lineNumber = 0;
    while (!text.empty()) {
        // Lines end in LF, CR LF or CR, whatever the editor wrote.
        const std::size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        const std::size_t breakLength = end != std::string_view::npos && text.substr(end, 2) == "\r\n" ? 2 : 1;
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + breakLength);
        ++lineNumber;
        line = TrimBlanks(line);
        if (line.empty() || line.front() == '#') {
            continue;
        }

        const std::string_view dateField = TakeField(line);
        const std::string_view kindField = TakeField(line);
        const std::string_view holiday = TrimBlanks(line);
        DateFields date;
        if (!ParseIsoDate(dateField, date)) {
            result.Problems.push_back({lineNumber, "日期" + Quoted(dateField) + "不正确，应为 YYYY-MM-DD"});
            continue;
        }
        if (kindField != "休" && kindField != "班") {
            const std::string found = kindField.empty() ? "缺少“休”或“班”" : Quoted(kindField) + "应为“休”或“班”";
            result.Problems.push_back({lineNumber, found});
            continue;
        }
        const auto serial = static_cast<std::int32_t>(SerialDay(EncodeDate(date.Year, date.Month, date.Day)));
        const auto [earlier, added] = lineOfDate.try_emplace(serial, lineNumber);
        if (!added) {
            result.Problems.push_back(
                {lineNumber, "日期 " + std::string(dateField) + " 已在第 " + std::to_string(earlier->second) + " 行"});
            continue;
        }
        result.Entries.push_back(
            {date.Year, serial, kindField == "休" ? HolidayKind::RestDay : HolidayKind::Workday, std::string(holiday)});
    }
    return result;
}

} // namespace chimewell
