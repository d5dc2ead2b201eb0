#include "editing/quick_add_line.h"

#include "calendar/datetime.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

TDateTime At(int month, int day, int hour) {
    return EncodeDateTime(2026, month, day, hour, 0);
}

TEST(QuickAddLine, AnEmptyLineSaysHowToUseItAndAddsNothing) {
    TQuickAddLine line;
    for (const char* text : {"", "   ", "\u3000 \t"}) {
        line.SetText(text, At(12, 10, 11));
        EXPECT_TRUE(line.Empty()) << text;
        EXPECT_FALSE(line.CanAdd());
        EXPECT_NE(line.Understood().find("按回车添加"), std::string::npos);
        EXPECT_EQ(line.NextLine(), "");
        EXPECT_FALSE(line.HasOtherReading());
    }
    line.SetText("\u3001", At(12, 10, 11));
    EXPECT_FALSE(line.Empty()) << "an ideographic comma is text, though its bytes begin like the space";
}

// What the line shows is what the list will show, and when the reminder comes, with the warning before it.
TEST(QuickAddLine, TheReadingIsTheListsDescriptionAndTheNextFiring) {
    TQuickAddLine line;
    line.SetText("明天下午三点开会", At(12, 10, 11));
    ASSERT_TRUE(line.CanAdd());
    EXPECT_EQ(line.Understood(), "公历，2026年12月11日15时0分0方式，不提前，提醒为：开会(无音乐)(无脚本)");
    EXPECT_EQ(line.NextLine(), "下次提醒：2026年12月11日 星期五 15:00（农历冬月初三）");

    line.Options = DescribeOptions{};
    line.Options.Date = true;
    EXPECT_EQ(line.Understood(), line.Record()->Describe(line.Options)) << "the list's own choice of parts";

    line.SetText("腊月廿三 提前一天 买糖瓜", At(12, 10, 11));
    ASSERT_TRUE(line.CanAdd());
    EXPECT_EQ(line.NextLine(), "下次提醒：2027年1月30日 星期六 09:00（农历腊月廿三）\n"
                               "下次提前提醒：2027年1月29日 星期五 09:00，提前 1天")
        << "the set time first, then the warning that comes before it";
}

TEST(QuickAddLine, ARefusalSaysWhyAndAddsNothing) {
    TQuickAddLine line;
    line.SetText("2月30日 开会", At(12, 10, 11));
    EXPECT_FALSE(line.CanAdd());
    EXPECT_EQ(line.Understood(), "不能添加：2月没有30日");
    EXPECT_EQ(line.NextLine(), "");
    line.SetText("2027年2月29日 开会", At(12, 10, 11));
    EXPECT_EQ(line.Understood(), "不能添加：2027年2月没有29日");
    line.SetText("今天上午9点 开会", At(12, 10, 11));
    EXPECT_EQ(line.Understood(), "不能添加：这个时间已经过去了");
}

// "3点" said at 14:00 is read as 15:00 today, with 03:00 tomorrow a click away and a second click back; a new
// text starts again from the parser's reading.
TEST(QuickAddLine, TheOtherReadingOfAnHourIsOneClickAway) {
    TQuickAddLine line;
    line.SetText("3点 开会", At(12, 10, 14));
    ASSERT_TRUE(line.HasOtherReading());
    EXPECT_EQ(line.Record()->Hour, 15);
    EXPECT_EQ(line.OtherReadingCaption(), "改为 12月11日 03:00") << "the day too, as it differs";
    line.ChooseOtherReading();
    EXPECT_EQ(line.Record()->Hour, 3);
    EXPECT_EQ(line.Record()->Day, 11);
    EXPECT_EQ(line.NextLine(), "下次提醒：2026年12月11日 星期五 03:00（农历冬月初三）");
    EXPECT_EQ(line.OtherReadingCaption(), "改为 12月10日 15:00");
    line.ChooseOtherReading();
    EXPECT_EQ(line.Record()->Hour, 15);
    line.ChooseOtherReading();
    line.Reread(At(12, 10, 14) + 1.0 / 1440);
    EXPECT_EQ(line.Record()->Hour, 3) << "Enter reads again and keeps the reading chosen";

    line.SetText("3点 开会", At(12, 10, 2));
    ASSERT_TRUE(line.HasOtherReading());
    EXPECT_EQ(line.OtherReadingCaption(), "改为 15:00") << "the same day: the hour alone";
    line.ChooseOtherReading();
    line.SetText("明天下午三点开会", At(12, 10, 11));
    EXPECT_FALSE(line.HasOtherReading());
    EXPECT_EQ(line.OtherReadingCaption(), "");
    EXPECT_EQ(line.Record()->Hour, 15);
}

TEST(QuickAddLine, TheOtherReadingNamesTheYearAcrossTheNewYear) {
    TQuickAddLine line;
    line.SetText("3点 守岁", EncodeDateTime(2026, 12, 31, 14, 0));
    ASSERT_TRUE(line.HasOtherReading());
    EXPECT_EQ(line.OtherReadingCaption(), "改为 2027年1月1日 03:00");
}

// The month window starts the line with the chosen day: that day is read, and a day already past is refused
// rather than moved a year on.
TEST(QuickAddLine, AChosenDayIsTheDayRead) {
    EXPECT_EQ(TQuickAddLine::DayPrefill(EncodeDate(2026, 12, 25)), "2026年12月25日 ");
    TQuickAddLine line;
    line.SetText(TQuickAddLine::DayPrefill(EncodeDate(2026, 12, 25)) + "晚上8点 聚会", At(12, 10, 11));
    ASSERT_TRUE(line.CanAdd());
    EXPECT_EQ(line.Understood(), "公历，2026年12月25日20时0分0方式，不提前，提醒为：聚会(无音乐)(无脚本)");
    line.SetText(TQuickAddLine::DayPrefill(EncodeDate(2027, 1, 5)) + "交报告", At(12, 10, 11));
    ASSERT_TRUE(line.CanAdd());
    EXPECT_EQ(line.Record()->Year, 2027);
    line.SetText(TQuickAddLine::DayPrefill(EncodeDate(2026, 11, 3)) + "交报告", At(12, 10, 11));
    EXPECT_FALSE(line.CanAdd());
    line.SetText(TQuickAddLine::DayPrefill(EncodeDate(2026, 12, 10)) + "晚上8点 聚会", At(12, 10, 11));
    ASSERT_TRUE(line.CanAdd()) << "today, later on";
    EXPECT_EQ(line.Record()->Day, 10);
}

} // namespace
} // namespace chimewell
