// The phrase table holds the readings people expect of a line typed into quick add; every row is checked and
// all the rows that disagree are reported together, each with its phrase, moment, expected and got.

#include "data/reminder_schedule.h"
#include "quick_add/quick_add.h"
#include "runtime/next_firing.h"

#include <gtest/gtest.h>
#include <regex>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
using namespace chimewell;

struct TPhraseRow {
    int Line = 0;
    std::string Phrase;
    std::string Now;
    std::string Expected;
    std::string Also;    // the other reading, or empty
    std::string Pending; // a feature the model lacks yet, or empty
};

std::vector<TPhraseRow> ReadPhraseTable() {
    std::ifstream file(CHIMEWELL_QUICK_ADD_PHRASES);
    std::vector<TPhraseRow> rows;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (line.empty() || line.starts_with("#")) {
            continue;
        }
        std::vector<std::string> columns;
        std::stringstream stream(line);
        for (std::string column; std::getline(stream, column, '\t');) {
            columns.push_back(column);
        }
        TPhraseRow row{number, columns.at(0), columns.at(1), columns.at(2), {}, {}};
        for (std::size_t i = 3; i < columns.size(); ++i) {
            if (columns[i].starts_with("also:")) {
                row.Also = columns[i].substr(5);
            } else if (columns[i].starts_with("pending:")) {
                row.Pending = columns[i].substr(8);
            }
        }
        rows.push_back(row);
    }
    return rows;
}

int StoredDateOfText(const std::string& text) {
    return std::stoi(text.substr(0, 4)) * 10000 + std::stoi(text.substr(5, 2)) * 100 + std::stoi(text.substr(8, 2));
}

// The unit of an interval is the one the phrase says after 每: 每隔两周 weeks, 每两个月 months, 每隔一年 years.
RepeatUnit IntervalUnitOf(const std::string& phrase) {
    std::size_t best = std::string::npos;
    RepeatUnit unit = RepeatUnit::None;
    const std::size_t from = phrase.find("每");
    for (const auto& [word, each] : {std::pair{"天", RepeatUnit::Days}, std::pair{"周", RepeatUnit::Weeks},
                                     std::pair{"月", RepeatUnit::Months}, std::pair{"年", RepeatUnit::Years}}) {
        const std::size_t at = phrase.find(word, from);
        if (at < best) {
            best = at;
            unit = each;
        }
    }
    return unit;
}

// A record from the table's "Key=value ... Message=text" form; Message runs to the end of the column.
TRmMainDate ExpectedRecord(const std::string& keys, const std::string& phrase) {
    TRmMainDate record;
    const std::size_t message = keys.find("Message=");
    if (message != std::string::npos) {
        record.Message = keys.substr(message + 8);
    }
    std::stringstream stream(keys.substr(0, message));
    for (std::string pair; stream >> pair;) {
        const std::size_t equals = pair.find('=');
        const std::string key = pair.substr(0, equals);
        const std::string value = pair.substr(equals + 1);
        if (key == "Year") {
            record.Year = std::stoi(value);
        } else if (key == "Month") {
            record.Month = std::stoi(value);
        } else if (key == "Day") {
            record.Day = std::stoi(value);
        } else if (key == "Hour") {
            record.Hour = std::stoi(value);
        } else if (key == "Minuter") {
            record.Minuter = std::stoi(value);
        } else if (key == "Forward") {
            record.Forward = std::stoi(value);
        } else if (key == "IsLunar") {
            record.IsLunar = value == "1";
        } else if (key == "IsLeapMonth") {
            record.IsLeapMonth = value == "1";
        } else if (key == "Warnings") {
            record.Warnings = ParseWarnings(value);
        } else if (key == "Interval") {
            record.Every = IntervalUnitOf(phrase);
            record.EveryCount = std::stoi(value);
        } else if (key == "IntervalStart") {
            record.StartDate = StoredDateOfText(value);
        } else if (key == "EndDate") {
            record.EndDate = StoredDateOfText(value);
        } else if (key == "EndCount") {
            record.EndCount = std::stoi(value);
        } else if (key == "MonthEnd") {
            record.MonthEnd = value == "1";
        } else {
            ADD_FAILURE() << "unknown key " << key << " in: " << keys;
        }
    }
    return record;
}

// The same form back, only the keys that differ from a new record's, for the failure report.
std::string Describe(const std::optional<TRmMainDate>& record, const std::string& refusal) {
    if (!record) {
        return "refuse(" + refusal + ")";
    }
    std::string text;
    const TRmMainDate defaults;
    const auto add = [&](const char* key, std::int32_t value, std::int32_t usual) {
        if (value != usual) {
            text += std::string(key) + "=" + std::to_string(value) + " ";
        }
    };
    add("Year", record->Year, defaults.Year);
    add("Month", record->Month, defaults.Month);
    add("Day", record->Day, defaults.Day);
    add("Hour", record->Hour, defaults.Hour);
    add("Minuter", record->Minuter, defaults.Minuter);
    add("Forward", record->Forward, defaults.Forward);
    add("Method", record->Method, defaults.Method);
    add("IsLunar", record->IsLunar, 0);
    add("IsLeapMonth", record->IsLeapMonth, 0);
    if (!record->Warnings.empty()) {
        text += "Warnings=" + FormatWarnings(record->Warnings) + " ";
    }
    if (record->Every != RepeatUnit::None) {
        text += "Interval=" + FormatInterval(record->Every, record->EveryCount) + " ";
    }
    add("IntervalStart", record->StartDate, 0);
    add("EndDate", record->EndDate, 0);
    add("EndCount", record->EndCount, 0);
    add("MonthEnd", record->MonthEnd, 0);
    return text + "Message=" + record->Message;
}

TDateTime NowOf(const TPhraseRow& row) {
    return ParseMinute(row.Now).value();
}

TEST(QuickAddPhrases, EveryRowOfTheTableReadsAsExpected) {
    const std::vector<TPhraseRow> rows = ReadPhraseTable();
    ASSERT_GT(rows.size(), 500u) << "phrase table not found at " << CHIMEWELL_QUICK_ADD_PHRASES;
    std::string failures;
    int failed = 0;
    int pending = 0;
    for (const TPhraseRow& row : rows) {
        if (!row.Pending.empty()) {
            ++pending;
            std::cout << "pending (" << row.Pending << "): line " << row.Line << " " << row.Phrase << "\n";
            continue;
        }
        const TQuickAddResult result = ParseQuickAdd(row.Phrase, NowOf(row));
        bool good;
        if (row.Expected.starts_with("refuse:")) {
            good = !result.Record && result.Refusal.find(row.Expected.substr(7)) != std::string::npos;
        } else {
            good = result.Record && *result.Record == ExpectedRecord(row.Expected, row.Phrase);
            if (row.Also.empty()) {
                good = good && !result.Alternative;
            } else {
                good = good && result.Alternative && *result.Alternative == ExpectedRecord(row.Also, row.Phrase);
            }
        }
        if (!good) {
            ++failed;
            failures += "line " + std::to_string(row.Line) + ": " + row.Phrase + " @ " + row.Now +
                        "\n  expected: " + row.Expected + (row.Also.empty() ? "" : "  also: " + row.Also) +
                        "\n  got:      " + Describe(result.Record, result.Refusal) +
                        (result.Alternative ? "  also: " + Describe(result.Alternative, {}) : "") + "\n";
        }
    }
    std::cout << rows.size() - pending - failed << " of " << rows.size() << " rows pass, " << pending << " pending\n";
    EXPECT_EQ(failed, 0) << failures;
}

// The firing engine, not the parser, decides when a reminder comes: every reading must come after the moment it
// was typed, or the reminder would be added only to never fire.
TEST(QuickAddPhrases, EveryReadingFiresAfterTheMomentItWasTyped) {
    std::string failures;
    for (const TPhraseRow& row : ReadPhraseTable()) {
        const TQuickAddResult result = ParseQuickAdd(row.Phrase, NowOf(row));
        for (const std::optional<TRmMainDate>& reading : {result.Record, result.Alternative}) {
            if (!reading) {
                continue;
            }
            const std::optional<TDateTime> first = NextFiring(*reading, NowOf(row), false);
            if (!first) {
                failures += "line " + std::to_string(row.Line) + ": " + row.Phrase +
                            " never fires: " + Describe(reading, {}) + "\n";
                continue;
            }
            // A one-off reading is the nearest such day: the same date in every year comes no sooner, unless the
            // phrase named a later year.
            TRmMainDate everyYear = *reading;
            everyYear.Year = 0;
            const bool yearSaid = row.Phrase.find("明年") != std::string::npos ||
                                  row.Phrase.find("后年") != std::string::npos ||
                                  std::regex_search(row.Phrase, std::regex("[0-9]{4}年"));
            if (!yearSaid && reading->Year != 0 && reading->Every == RepeatUnit::None &&
                NextFiring(everyYear, NowOf(row), false) != first) {
                failures += "line " + std::to_string(row.Line) + ": " + row.Phrase + " fires " + FormatMinute(*first) +
                            ", not the nearest such day: " + Describe(reading, {}) + "\n";
            }
        }
    }
    EXPECT_EQ(failures, "");
}

TEST(QuickAddNumerals, ChineseAndArabicNumeralsReadAlike) {
    const TDateTime now = ParseMinute("2026-03-10 08:00").value();
    for (const char* phrase : {"12月23日开会", "十二月二十三日开会", "十二月廿三日开会", "１２月２３日开会"}) {
        const TQuickAddResult result = ParseQuickAdd(phrase, now);
        ASSERT_TRUE(result.Record) << phrase << ": " << result.Refusal;
        EXPECT_EQ(result.Record->Month, 12) << phrase;
        EXPECT_EQ(result.Record->Day, 23) << phrase;
        EXPECT_EQ(result.Record->Message, "开会") << phrase;
    }
    const TQuickAddResult thirty = ParseQuickAdd("3月卅日交报告", now);
    ASSERT_TRUE(thirty.Record);
    EXPECT_EQ(thirty.Record->Day, 30);
}

TEST(QuickAddReadings, AnHourWhoseMorningHasGoneTodayIsTheAfternoon) {
    const TQuickAddResult result = ParseQuickAdd("今天3点开会", ParseMinute("2026-04-08 10:00").value());
    ASSERT_TRUE(result.Record) << result.Refusal;
    EXPECT_EQ(result.Record->Day, 8);
    EXPECT_EQ(result.Record->Hour, 15);
    EXPECT_FALSE(result.Alternative);
}

TEST(QuickAddReadings, APlainLunarMonthBeforeItsLeapTwinHasNoOtherReading) {
    // 2025 has a leap sixth month after the plain one: the plain 初八 comes first and is meant.
    const TQuickAddResult result = ParseQuickAdd("农历六月初八晒衣服", ParseMinute("2025-06-01 10:00").value());
    ASSERT_TRUE(result.Record) << result.Refusal;
    EXPECT_EQ(result.Record->Year, 2025);
    EXPECT_FALSE(result.Record->IsLeapMonth);
    EXPECT_FALSE(result.Alternative);
}

TEST(QuickAddReadings, TheMessageKeepsWhatLiesBetweenTheTimeWords) {
    const TDateTime now = ParseMinute("2026-03-10 08:00").value();
    const TQuickAddResult result = ParseQuickAdd("明天 给老王 打电话 下午三点", now);
    ASSERT_TRUE(result.Record) << result.Refusal;
    EXPECT_EQ(result.Record->Message, "给老王 打电话");
    EXPECT_EQ(result.Record->Hour, 15);
}

// Text that is no phrase at all must be refused, never read as something, and never overrun a number.
TEST(QuickAddRefusals, TextThatIsNoPhraseIsRefused) {
    const TDateTime now = ParseMinute("2026-03-10 08:00").value();
    for (const char* phrase : {"", "   ", "，。！", "一二三四五六七八九一二三四五六七八九点开会", "99999999999点开会",
                               "每", "每月", "农历", "提前", "\xE6\x98", "明天\xFF\xFE"}) {
        const TQuickAddResult result = ParseQuickAdd(phrase, now);
        if (!result.Record) {
            EXPECT_FALSE(result.Refusal.empty()) << phrase;
        }
        EXPECT_FALSE(result.Record && result.Record->Hour > 23) << phrase;
    }
}

} // namespace
