#include "editing/date_chooser.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

TRmMainDate Dated(int year, int month, int day) {
    TRmMainDate record;
    record.Year = year;
    record.Month = month;
    record.Day = day;
    return record;
}

const TDateTime Today = EncodeDate(2026, 12, 22);

TEST(DateChooser, DaysAfterAddsToTheRecordsDate) {
    TDateChooser chooser;
    chooser.OpenDaysAfter(Dated(2006, 1, 30), Today);
    EXPECT_TRUE(chooser.DaysAfterVisible);
    chooser.DaysAfter = 3;
    EXPECT_EQ(chooser.ResultText(), "2006年2月2日");
    chooser.Date = EncodeDate(2024, 12, 31);
    chooser.DaysAfter = 1000;
    EXPECT_EQ(chooser.ResultText(), "2027年9月27日");
}

TEST(DateChooser, ThePlainChooserAddsNothingAndLaterUsesKeepTheDays) {
    TDateChooser chooser;
    chooser.OpenDaysAfter(Dated(2006, 1, 30), Today);
    chooser.DaysAfter = 3;
    chooser.Close();
    chooser.OpenDate(Dated(2006, 1, 30), Today);
    EXPECT_FALSE(chooser.DaysAfterVisible);
    EXPECT_EQ(chooser.Result(), EncodeDate(2006, 1, 30));
    chooser.OpenDaysAfter(Dated(2006, 1, 30), Today);
    EXPECT_EQ(chooser.DaysAfter, 3);
}

TEST(DateChooser, OpensOnTodayWithoutAWholeDate) {
    TDateChooser chooser;
    for (const TRmMainDate& record : {Dated(0, 5, 1), Dated(2026, 0, 1), Dated(2026, 5, 0), Dated(2026, 5, 0x81)}) {
        chooser.OpenDate(record, Today + 0.5);
        EXPECT_EQ(chooser.Date, Today);
    }
}

TEST(DateChooser, ThePromptStandsUpright) {
    EXPECT_EQ(VerticalPrompt("请选择日期："), "\u3000\n请\n\u3000\n选\n\u3000\n择\n\u3000\n日\n\u3000\n期\n\u3000\n：");
    TDateChooser chooser;
    chooser.OpenDaysAfter(Dated(2006, 1, 30), Today);
    EXPECT_EQ(chooser.Prompt, VerticalPrompt("请设置日期："));
}

} // namespace
} // namespace chimewell
