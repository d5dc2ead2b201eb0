#include "calendar/clock.h"
#include "cli/commands.h"
#include "cli/run_cli.h"

#include "row_name.h"

#include <gtest/gtest.h>
#include <sstream>

namespace chimewell::cli {
namespace {

TEST(LunarCommand, OneLinePerDayWithTermAndRange) {
    EXPECT_EQ(RunCli({"lunar", "2023-03-22", "2026-06-05", "1900-01-30"}).Out, "2023-03-22\t2023\t2\t1\t1\t\n"
                                                                               "2026-06-05\t2026\t4\t20\t0\t芒种\n"
                                                                               "1900-01-30\t0\t0\t0\t0\t\n");
    const Result range = RunCli({"lunar", "--from", "2024-02-09", "--to", "2024-02-10"});
    EXPECT_EQ(range.Status, 0);
    EXPECT_EQ(range.Out, "2024-02-09\t2023\t12\t30\t0\t\n2024-02-10\t2024\t1\t1\t0\t\n");
}

TEST(SolarCommand, ConvertsAndRefusesDatesTheCalendarLacks) {
    EXPECT_EQ(RunCli({"solar", "2023", "2", "1", "--leap"}).Out, "2023-03-22\n");
    EXPECT_EQ(RunCli({"solar", "2000", "1", "1"}).Out, "2000-02-05\n");
    const Result missing = RunCli({"solar", "2024", "3", "1", "--leap"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Err.find("no such lunar date"), std::string::npos);
    EXPECT_TRUE(missing.Out.empty());
}

TEST(TermsCommand, TwentyFourMomentsInOrder) {
    const Result terms = RunCli({"terms", "2026"});
    EXPECT_EQ(terms.Status, 0);
    std::istringstream lines(terms.Out);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.rfind(std::to_string(count) + "\t", 0), 0U) << line;
        ++count;
    }
    EXPECT_EQ(count, 24);
    EXPECT_NE(terms.Out.find("10\t芒种\t2026-06-05 23:4"), std::string::npos) << terms.Out;
}

TEST(CalCommand, MarksTodayAndNamesLunarDaysAndTerms) {
    ClockOverride clock(EncodeDateTime(2026, 6, 5, 9, 0));
    const Result month = RunCli({"cal"});
    EXPECT_EQ(month.Status, 0);
    EXPECT_NE(month.Out.find("2026年6月"), std::string::npos);
    EXPECT_NE(month.Out.find("[ 5]"), std::string::npos) << "today is marked";
    EXPECT_NE(month.Out.find("芒种"), std::string::npos);
    EXPECT_NE(month.Out.find("夏至"), std::string::npos);
    EXPECT_NE(RunCli({"cal", "2020", "5"}).Out.find("闰四月"), std::string::npos) << "a leap month's first day";
    EXPECT_EQ(RunCli({"cal", "2025", "6"}).Out.find('['), std::string::npos) << "nor in another year";
}

struct MalformedCase {
    const char* Name;
    Arguments Line;
    const char* Named; // what the message must name
};

class MalformedArguments : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedArguments, GetOneLineAndStatus2) {
    const Result result = RunCli(GetParam().Line);
    EXPECT_EQ(result.Status, 2);
    EXPECT_TRUE(result.Out.empty());
    EXPECT_NE(result.Err.find(GetParam().Named), std::string::npos) << result.Err;
    EXPECT_EQ(result.Err.find('\n'), result.Err.size() - 1) << "one line";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedArguments,
    testing::Values(
        MalformedCase{"BadDate", {"lunar", "2025-02-30"}, "2025-02-30"},
        MalformedCase{"ShortDate", {"lunar", "2025-2-3"}, "2025-2-3"},
        MalformedCase{"BackwardsRange", {"lunar", "--from", "2025-02-03", "--to", "2025-02-01"}, "--to"},
        MalformedCase{"HalfRange", {"lunar", "--from", "2025-02-03"}, "--from"},
        MalformedCase{"MonthWord", {"solar", "2025", "x", "1"}, "'x'"},
        MalformedCase{"HugeNumber", {"solar", "2025", "1", "99999999999999"}, "99999999999999"},
        MalformedCase{"TermsYear", {"terms", "0"}, "'0'"}, MalformedCase{"CalMonth", {"cal", "2025", "13"}, "'13'"},
        MalformedCase{"Unknown", {"frobnicate"}, "frobnicate"},
        MalformedCase{"UnknownOption", {"lunar", "--form", "2025-01-01"}, "'--form'"},
        MalformedCase{"UnknownSolarOption", {"solar", "2025", "1", "1", "--lep"}, "'--lep'"},
        MalformedCase{"RangeBeyondTheTable", {"lunar", "--from", "1800-01-01", "--to", "2000-01-01"}, "1900-01-31"},
        MalformedCase{"RangeAfterTheTable", {"lunar", "--from", "2100-12-01", "--to", "9999-12-31"}, "2100-12-31"}),
    RowName<MalformedCase>);

TEST(LunarCommand, TodayByDefaultAndALineToRead) {
    ClockOverride clock(EncodeDateTime(2025, 1, 29, 10, 0));
    EXPECT_EQ(RunCli({"lunar"}).Out, "2025-01-29\t2025\t1\t1\t0\t\n");
    EXPECT_EQ(RunCli({"lunar", "--text"}).Out, "2025-01-29 星期三 农历乙巳年（蛇）正月初一 春节\n");
    EXPECT_EQ(RunCli({"lunar", "--text", "2023-03-22", "2025-04-04", "2026-02-16"}).Out,
              "2023-03-22 星期三 农历癸卯年（兔）闰二月初一\n"
              "2025-04-04 星期五 农历乙巳年（蛇）三月初七 清明\n"
              "2026-02-16 星期一 农历乙巳年（蛇）腊月廿九 除夕\n")
        << "除夕 is the last day of a 29-day twelfth month";
}

// The table holds lunar 1900 and 2100 too; the editor keeps to 1901..2099, the command line need not.
TEST(SolarCommand, EveryYearOfTheTable) {
    EXPECT_EQ(RunCli({"solar", "1900", "1", "1"}).Out, "1900-01-31\n");
    EXPECT_EQ(RunCli({"solar", "1900", "8", "1", "--leap"}).Out, "1900-09-24\n");
    EXPECT_EQ(RunCli({"solar", "2100", "1", "1"}).Status, 0);
    EXPECT_EQ(RunCli({"solar", "2101", "1", "1"}).Status, 1);
}

// A month in which a lunar year begins belongs to two; festivals of both calendars are starred and named.
TEST(CalCommand, NamesBothLunarYearsAndTheFestivals) {
    ClockOverride clock(EncodeDateTime(2025, 1, 1, 10, 0));
    const Result february = RunCli({"cal", "2026", "2"});
    EXPECT_NE(february.Out.find("农历乙巳/丙午年 蛇/马"), std::string::npos) << february.Out;
    EXPECT_NE(february.Out.find("  14*"), std::string::npos);
    EXPECT_NE(february.Out.find("* 10日祭灶日  14日情人节  16日除夕  17日春节\n"), std::string::npos);
    EXPECT_NE(RunCli({"cal", "2026", "5"}).Out.find("10日母亲节"), std::string::npos) << "the second Sunday";
}

TEST(Help, ExplainsEveryCommand) {
    const Result help = RunCli({"--help"});
    EXPECT_EQ(help.Status, 0);
    for (const Command& command : Commands()) {
        EXPECT_NE(help.Out.find(command.Usage), std::string::npos) << command.Name;
    }
    EXPECT_EQ(RunCli({"terms", "--help"}).Status, 0);
    for (const char* code : {"#y", "%M", "%J", "$mwoN$", "$gzr$", "$ywmN$"}) {
        EXPECT_NE(help.Out.find(code), std::string::npos) << "the text language is explained: " << code;
    }
    EXPECT_EQ(RunCli({"--version"}).Out, "chimewell-cli 2.01.000 (晴铃提醒)\n");
}

} // namespace
} // namespace chimewell::cli
