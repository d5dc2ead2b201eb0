#include "editing/view_record.h"

#include "calendar/clock.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

TEST(ViewRecord, EachFieldHasItsLine) {
    TRmMainDate record;
    record.IsLunar = true;
    record.Year = 2006;
    record.Month = 8;
    record.Day = 15;
    record.Hour = 20;
    record.Minuter = 5;
    record.Message = "中秋";
    TViewRecordTexts texts = ViewRecordTexts(record, "");
    EXPECT_EQ(texts.GongLiLunar, "农历");
    EXPECT_EQ(texts.Date, "二○○六年八月十五");
    EXPECT_EQ(texts.Time, "20时5分");
    EXPECT_EQ(texts.RemindType, "精确提醒(未提醒)");
    EXPECT_EQ(texts.RemindText, "中秋");
    EXPECT_FALSE(texts.TestVisible);
    EXPECT_EQ(texts.RemindForward, "(不提前提醒)");
    EXPECT_EQ(texts.RemindOper, "(无提醒命令)");
    EXPECT_EQ(texts.RemindMusic, "(无提醒音乐)");

    record.IsLunar = false;
    record.Year = 0;
    record.Month = 0;
    record.Day = 0x80 | 0x01 | 0x04 | 0x10;
    record.Method = 3;
    record.Reminded = true;
    record.Forward = 15;
    record.Command = "sShutDown";
    record.Message = "#h点";
    texts = ViewRecordTexts(record, "/usr/share/sounds/alarm.oga");
    EXPECT_EQ(texts.GongLiLunar, "公历");
    EXPECT_EQ(texts.Date, "每年每月星期一三五");
    EXPECT_EQ(texts.RemindType, "开机整点提醒(已提醒)");
    EXPECT_TRUE(texts.TestVisible);
    EXPECT_EQ(texts.RemindForward, "提前：15分钟");
    EXPECT_EQ(texts.RemindOper, "sShutDown");
    EXPECT_EQ(texts.RemindMusic, "(系统音乐) /usr/share/sounds/alarm.oga");
    record.Music = "/m/铃.mp3";
    record.Method = 42;
    EXPECT_EQ(ViewRecordTexts(record, "/x").RemindMusic, "/m/铃.mp3");
    EXPECT_EQ(ViewRecordTexts(record, "/x").RemindType, "开机整点提醒(已提醒)");
}

TEST(ViewRecord, OnlyTheExactSilentMarkerIsExplained) {
    TRmMainDate record;
    record.Message = "NOTSHOWREMINDBOX";
    EXPECT_EQ(ViewRecordTexts(record, "").RemindText, "(不显示提醒窗口) NOTSHOWREMINDBOX");
    EXPECT_FALSE(ViewRecordTexts(record, "").TestVisible);
    record.Message = "NOTSHOWREMINDBOX ";
    EXPECT_EQ(ViewRecordTexts(record, "").RemindText, "NOTSHOWREMINDBOX ");
}

TEST(ViewRecord, TheTestExpandsCodesAtThisMoment) {
    ClockOverride clock(EncodeDateTime(2025, 10, 6, 14, 0));
    EXPECT_EQ(MessageTestText("农历%M月%D，#h点"), "内容为：“农历八月十五，14点”。");
    EXPECT_EQ(MessageTestText("没有代码"), std::nullopt);
    EXPECT_EQ(ViewFields[4].Hint, "所设置的提醒内容");
    EXPECT_EQ(ViewFields[0].Caption, "历        制：");
}

} // namespace
} // namespace chimewell
