#include "editing/record_editor.h"

#include "calendar/clock.h"
#include "calendar/lunar.h"
#include "data/temp_folder.h"
#include "runtime/remind_text.h"
#include "scripted_answers.h"

#include "calendar/festival_by_name.h"
#include <fstream>
#include <gmock/gmock.h>

#include <gtest/gtest.h>

namespace chimewell {
namespace {

using ::testing::ElementsAre;

using testing::FestivalByName;

// A Wednesday in lunar 2026 (no leap month); the year list begins at 2026.
class EditorTest : public ::testing::Test {
protected:
    EditorTest() : Clock(EncodeDateTime(2026, 6, 10, 9, 30, 15)) {}

    // Puts the record on a date, as loading a stored reminder does.
    void SetDate(int year, int month, int day) {
        TRmMainDate record = Editor.WorkRecord;
        record.Year = year;
        record.Month = month;
        record.Day = day;
        Editor.LoadRecord(record);
    }
    // Picks the year item that stands for a year.
    void PickYear(int year) { Editor.cbSelYearChange(year == 0 ? 0 : year - Editor.Lists.FirstListedYear + 1); }

    ClockOverride Clock;
    testing::ScriptedAnswers Answers;
    TRecordEditor Editor;
};

TEST_F(EditorTest, ANewReminderStartsOnTodayAndNeedsAText) {
    const TRmMainDate& record = Editor.WorkRecord;
    EXPECT_EQ(Editor.Caption, "添加/编辑提醒");
    EXPECT_FALSE(record.IsLunar);
    EXPECT_EQ((std::vector<int>{record.Year, record.Month, record.Day, record.Hour, record.Minuter}),
              (std::vector<int>{2026, 6, 10, 0, 0}));
    EXPECT_EQ(Editor.Lists.Year.Text, "2026年");
    EXPECT_EQ(Editor.Lists.Day.Text, "10日");
    EXPECT_EQ(Editor.MethodChoice, RemindExact);
    EXPECT_EQ(Editor.AutoRunCaption(), "否");
    EXPECT_EQ(Editor.CommandDisplay.Caption, "选择提醒操作");
    EXPECT_FALSE(Editor.btnOKClick());
    EXPECT_EQ(Answers.Titles(), std::vector<std::string>{"不能为空"});
    Editor.cbRemindTextChange("开会");
    EXPECT_TRUE(Editor.btnOKClick());
    EXPECT_TRUE(Editor.Accepted);
}

TEST_F(EditorTest, TheReadyMadeTextsComeFromTheQuickFinishFile) {
    testing::TempFolder folder;
    std::ofstream(folder.File("quickfinish.ini"), std::ios::binary)
        << "\xBF\xAA\xBB\xE1\r\n#h\xB5\xE3\xC1\xCB\r\n"; // GB18030
    EXPECT_THAT(TRecordEditor(folder.File("quickfinish.ini")).QuickTexts, ElementsAre("开会", "#h点了"));
    EXPECT_TRUE(TRecordEditor(folder.File("missing.ini")).QuickTexts.empty());
}

TEST_F(EditorTest, SwitchingCalendarsConvertsADateBothWays) {
    SetDate(2025, 10, 6);
    Editor.rbLunarClick();
    EXPECT_EQ((std::vector<int>{Editor.WorkRecord.Year, Editor.WorkRecord.Month, Editor.WorkRecord.Day}),
              (std::vector<int>{2025, 8, 15}));
    EXPECT_EQ(Editor.Lists.Year.Text, "二○二五年") << "a year before this lunar year stays shown";
    EXPECT_FALSE(Editor.DateChooserItemsEnabled());
    Editor.rbGongLiClick();
    EXPECT_EQ((std::vector<int>{Editor.WorkRecord.Year, Editor.WorkRecord.Month, Editor.WorkRecord.Day}),
              (std::vector<int>{2025, 10, 6}));
    EXPECT_TRUE(Editor.DateChooserItemsEnabled());

    // 2025-07-25 is the first day of the leap sixth month.
    SetDate(2025, 7, 25);
    Editor.rbLunarClick();
    EXPECT_TRUE(Editor.WorkRecord.IsLeapMonth);
    EXPECT_EQ(Editor.Lists.Month.Text, "闰六月");
    Editor.rbGongLiClick();
    EXPECT_EQ(Editor.WorkRecord.Day, 25);
    EXPECT_FALSE(Editor.WorkRecord.IsLeapMonth);
}

TEST_F(EditorTest, SwitchingKeepsEveryFieldsAndWeekdaysAndTheSecondClickDoesNothing) {
    SetDate(0, 5, 20);
    Editor.rbLunarClick();
    Editor.rbLunarClick();
    EXPECT_EQ((std::vector<int>{Editor.WorkRecord.Year, Editor.WorkRecord.Month, Editor.WorkRecord.Day}),
              (std::vector<int>{0, 5, 20}));
    Editor.ToggleWeekday(1);
    Editor.rbGongLiClick();
    EXPECT_EQ(Editor.WorkRecord.Day, 0x81);
    EXPECT_EQ(Editor.WorkRecord.Month, 5);
    // Solar terms have no Gregorian month: the month becomes the last one.
    Editor.rbLunarClick();
    Editor.cbSelMonthChange(13);
    Editor.rbGongLiClick();
    EXPECT_EQ(Editor.WorkRecord.Month, 12);
}

TEST_F(EditorTest, PickingLunarMonthsOfALeapYear) {
    Editor.rbLunarClick();
    PickYear(2028);
    ASSERT_EQ(LunarLeapMonth(2028), 5);
    ASSERT_EQ(Editor.Lists.Month.Items.size(), 15U);
    Editor.cbSelMonthChange(6);
    EXPECT_EQ(Editor.WorkRecord.Month, 5);
    EXPECT_TRUE(Editor.WorkRecord.IsLeapMonth);
    Editor.cbSelMonthChange(7);
    EXPECT_EQ(Editor.WorkRecord.Month, 6);
    EXPECT_FALSE(Editor.WorkRecord.IsLeapMonth);
    Editor.cbSelMonthChange(6);
    PickYear(2029); // no leap fifth month there
    EXPECT_FALSE(Editor.WorkRecord.IsLeapMonth);
    EXPECT_EQ(Editor.Lists.Month.Text, "五月");
    Editor.cbSelMonthChange(13);
    EXPECT_EQ(Editor.WorkRecord.Month, 13);
    EXPECT_EQ(Editor.Lists.Day.Items.size(), 24U);
    Editor.cbSelDayChange(6);
    EXPECT_EQ(Editor.Lists.Day.Text, "清明");
    Editor.sbEveryDayClick();
    EXPECT_EQ(Editor.WorkRecord.Day, 0);
    EXPECT_EQ(Editor.Lists.Day.Text, "小寒");
}

TEST_F(EditorTest, EveryYearOffersTheLongestMonth) {
    SetDate(2026, 2, 28);
    Editor.sbEveryYearClick();
    EXPECT_EQ(Editor.WorkRecord.Year, 0);
    EXPECT_EQ(Editor.Lists.Day.Items.size(), 32U);
    Editor.cbSelDayChange(31);
    PickYear(2027);
    EXPECT_EQ(Editor.WorkRecord.Day, 28) << "a fixed year cuts the day to its February";
    Editor.sbEveryMonthClick();
    EXPECT_EQ(Editor.WorkRecord.Month, 0);
    EXPECT_EQ(Editor.Lists.Month.Text, "每月");
}

TEST_F(EditorTest, WeekdaysToggleDownToNoneAndBackToADay) {
    Editor.ToggleWeekday(1);
    Editor.ToggleWeekday(3);
    EXPECT_EQ(Editor.WorkRecord.Day, 0x85);
    EXPECT_EQ(Editor.Lists.Day.Selected, -1);
    EXPECT_EQ(Editor.Lists.Day.Text, "星期一三");
    EXPECT_TRUE(Editor.WeekdayChecked(1));
    EXPECT_FALSE(Editor.WeekdayChecked(2));
    EXPECT_TRUE(Editor.WeekdayChecked(3));
    Editor.ToggleWeekday(1);
    EXPECT_EQ(Editor.Lists.Day.Text, "星期三");
    Editor.ToggleWeekday(3);
    EXPECT_EQ(Editor.WorkRecord.Day, 1);
    EXPECT_EQ(Editor.Lists.Day.Selected, 1);
    EXPECT_EQ(Editor.Lists.Day.Text, "1日");
    for (int tag = 1; tag <= 7; ++tag) {
        EXPECT_FALSE(Editor.WeekdayChecked(tag));
    }

    Editor.rbLunarClick();
    Editor.ToggleWeekday(7);
    Editor.ToggleWeekday(7);
    EXPECT_EQ(Editor.Lists.Day.Text, "初一");
}

TEST_F(EditorTest, AWeekdayMovesALunarReminderOffTheSolarTermsButKeepsDecember) {
    SetDate(2026, 12, 25);
    Editor.ToggleWeekday(5);
    EXPECT_EQ(Editor.WorkRecord.Month, 12);
    EXPECT_EQ(Editor.Lists.Day.Text, "星期五");
    Editor.rbLunarClick();
    Editor.cbSelMonthChange(13);
    Editor.cbSelDayChange(3);
    Editor.ToggleWeekday(2);
    EXPECT_EQ(Editor.WorkRecord.Month, 1);
    EXPECT_EQ(Editor.WorkRecord.Day, 0x82);
    EXPECT_EQ(Editor.Lists.Month.Text, "正月");
}

TEST_F(EditorTest, PickingADayOrAFestivalReplacesTheWeekdays) {
    Editor.ToggleWeekday(2);
    Editor.cbSelDayChange(15);
    EXPECT_EQ(Editor.WorkRecord.Day, 15);
    EXPECT_FALSE(Editor.WeekdayChecked(2));
    Editor.ToggleWeekday(2);
    Editor.SolarFestivalClick(FestivalByName("N19"));
    EXPECT_EQ(Editor.WorkRecord.Month, 12);
    EXPECT_EQ(Editor.WorkRecord.Day, 25);
    EXPECT_FALSE(Editor.WeekdayChecked(2));
    EXPECT_EQ(Editor.WorkRecord.Year, 2026) << "a festival keeps the year";
}

// "Every workday at 8:30": every day, on the official schedule's workdays; the condition replaces a week
// condition the message began with, and the text after it stays.
TEST_F(EditorTest, OfficialWorkdaysAndRestDaysFromTheWeekdayMenu) {
    Editor.ToggleWeekday(1);
    Editor.cbRemindTextChange("$mw2$打卡");
    Editor.OfficialDaysClick(true);
    const TRmMainDate& record = Editor.WorkRecord;
    EXPECT_EQ(record.Year, 0);
    EXPECT_EQ(record.Month, 0);
    EXPECT_EQ(record.Day, 0);
    EXPECT_FALSE(Editor.WeekdayChecked(1));
    EXPECT_EQ(record.Message, "$gzr$打卡");
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_EQ(Answers.Boxes[0].Text, "注意不要删除“$gzr$”，请在后面加上要写的内容！");
    Editor.OfficialDaysClick(false);
    EXPECT_EQ(record.Message, "$xxr$打卡");
    EXPECT_TRUE(Editor.btnOKClick()) << "the OK check takes the condition";
}

TEST_F(EditorTest, WeekdayRuleFestivalsMakeAReminderThatFiresOnTheirDayEachYear) {
    Editor.cbRemindTextChange("已有的文字");
    Editor.SolarFestivalClick(FestivalByName("N24"));
    EXPECT_EQ(Editor.WorkRecord.Month, 6);
    EXPECT_EQ(Editor.WorkRecord.Day, 192);
    EXPECT_TRUE(Editor.WeekdayChecked(7));
    EXPECT_EQ(Editor.WorkRecord.Message, "$mwo3$");
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_EQ(Answers.Boxes[0].Title, "注意");
    EXPECT_EQ(Answers.Boxes[0].Text, "注意不要删除“$mwo3$”，请在后面加上要写的内容！");

    // Every year, the reminder's date and its week condition together pick exactly Father's Day.
    Editor.sbEveryYearClick();
    Editor.cbRemindTextChange("$mwo3$给爸爸打电话");
    const TRmMainDate record = Editor.WorkRecord;
    for (int year = 2024; year <= 2030; ++year) {
        std::vector<int> days;
        for (TDateTime day = EncodeDate(year, 1, 1); day < EncodeDate(year + 1, 1, 1); day += 1) {
            if (record.IsDueTodayAt(day) && WeekConditionHoldsAt(record.Message, day, false)) {
                days.push_back(DecodeDate(day).Month * 100 + DecodeDate(day).Day);
            }
        }
        EXPECT_EQ(days, std::vector<int>{DecodeDate(SolarFestivalDate(FestivalByName("N24"), year)).Month * 100 +
                                         DecodeDate(SolarFestivalDate(FestivalByName("N24"), year)).Day})
            << year;
    }
}

TEST_F(EditorTest, NewYearsEveTakesTheTwelfthMonthsLastDay) {
    Editor.rbLunarClick();
    PickYear(2026);
    Editor.LunarFestivalClick(FestivalByName("C1"));
    EXPECT_EQ(Editor.WorkRecord.Day, LunarMonthDays(2026, 12));
    ASSERT_EQ(LunarMonthDays(2026, 12), 29);
    Editor.sbEveryYearClick();
    Editor.LunarFestivalClick(FestivalByName("C1"));
    EXPECT_EQ(Editor.WorkRecord.Day, 30);
    Editor.LunarFestivalClick(FestivalByName("N81"));
    EXPECT_EQ(Editor.Lists.Month.Text, "八月");
    EXPECT_EQ(Editor.Lists.Day.Text, "十五");
}

// Tried: on 闰五月 of 2028, 端午节 from the festival menu stored 闰五月初五 (2028-06-27).
TEST_F(EditorTest, AFestivalIsInTheOrdinaryMonthOfALeapYear) {
    Editor.rbLunarClick();
    PickYear(2028);
    Editor.cbSelMonthChange(6);
    ASSERT_TRUE(Editor.WorkRecord.IsLeapMonth);
    Editor.LunarFestivalClick(FestivalByName("N51"));
    EXPECT_EQ(Editor.WorkRecord.Month, 5);
    EXPECT_EQ(Editor.WorkRecord.Day, 5);
    EXPECT_FALSE(Editor.WorkRecord.IsLeapMonth);
    EXPECT_EQ(Editor.Lists.Month.Text, "五月");
}

TEST_F(EditorTest, TheDaysAfterChooserAndOkWhileItIsOpen) {
    SetDate(2026, 1, 30);
    PickYear(2027);
    Editor.N22Click();
    EXPECT_TRUE(Editor.DateChooser.Visible);
    Editor.mcSelectDateClick(EncodeDate(2006, 1, 30));
    Editor.cbAfterDaysChange(3);
    EXPECT_EQ(Editor.DateChooser.ResultText(), "2006年2月2日");
    Editor.WorkRecord.Hour = 7;
    Editor.cbRemindTextChange("旧事");
    Answers.BoxAnswers = {MessageAnswer::Ok}; // the date has passed
    EXPECT_TRUE(Editor.btnOKClick());
    EXPECT_FALSE(Editor.DateChooser.Visible);
    EXPECT_EQ((std::vector<int>{Editor.WorkRecord.Year, Editor.WorkRecord.Month, Editor.WorkRecord.Day}),
              (std::vector<int>{2006, 2, 2}));
    EXPECT_EQ(Editor.WorkRecord.Hour, 7);
    EXPECT_EQ(Editor.Lists.Year.Text, "2006年");
}

TEST_F(EditorTest, TheDateChooserIsForGregorianDatesAndCancelChangesNothing) {
    Editor.N20Click();
    EXPECT_TRUE(Editor.DateChooser.Visible);
    Editor.mcSelectDateClick(EncodeDate(2027, 3, 3));
    Editor.Button1Click();
    EXPECT_EQ(Editor.WorkRecord.Month, 6);
    Editor.rbLunarClick();
    Editor.N20Click();
    Editor.N22Click();
    EXPECT_FALSE(Editor.DateChooser.Visible);
}

TEST_F(EditorTest, CurrentDateAndTime) {
    Editor.ToggleWeekday(4);
    Editor.popSetCurrentHSClick();
    EXPECT_EQ(Editor.WorkRecord.Hour, 9);
    EXPECT_EQ(Editor.WorkRecord.Minuter, 30);
    EXPECT_TRUE(Editor.WeekdayChecked(4)) << "the time alone leaves the weekdays";
    Editor.rbLunarClick();
    Editor.sbEveryYearClick();
    Editor.popSetCurrentDateClick();
    const LunarDate today = SolarToLunar(EncodeDate(2026, 6, 10));
    EXPECT_EQ((std::vector<int>{Editor.WorkRecord.Year, Editor.WorkRecord.Month, Editor.WorkRecord.Day}),
              (std::vector<int>{today.Year, today.Month, today.Day}));
    EXPECT_FALSE(Editor.WeekdayChecked(4));
    Clock.Set(EncodeDateTime(2026, 6, 11, 23, 59));
    Editor.rbGongLiClick();
    Editor.popSetCurrentTimeClick();
    EXPECT_EQ((std::vector<int>{Editor.WorkRecord.Day, Editor.WorkRecord.Hour, Editor.WorkRecord.Minuter}),
              (std::vector<int>{11, 23, 59}));
}

TEST_F(EditorTest, TheSilentReminderNeedsACommandThatRunsByItself) {
    Editor.N14Click();
    EXPECT_EQ(Editor.WorkRecord.Message, "NOTSHOWREMINDBOX");
    EXPECT_EQ(Answers.Boxes.back().Text, "如果要设置不显示提醒窗口请不要更改提醒内容！");
    Answers.FileAnswers = {"/usr/bin/backup"};
    Editor.N4Click();
    EXPECT_EQ(Answers.FileRequests.back().Filter, "所有文件*.*|*.*");
    EXPECT_EQ(Editor.WorkRecord.Command, "c/usr/bin/backup");
    EXPECT_FALSE(Editor.btnOKClick());
    EXPECT_EQ(Answers.Boxes.back().Title, "选择命令");
    Editor.sbAutoRunClick();
    EXPECT_EQ(Editor.AutoRunCaption(), "是");
    EXPECT_TRUE(Editor.btnOKClick());
}

TEST_F(EditorTest, AStartUpMethodChosenAfterAShutdownIsRefusedAtOk) {
    Editor.cbRemindTextChange("关机");
    Editor.N1Click();
    EXPECT_EQ(Editor.AutoRunCaption(), "是");
    Editor.sbAutoRunClick();
    EXPECT_TRUE(Editor.WorkRecord.AutoExecScript) << "the toggle is locked";
    Editor.rbRemindClick(RemindAtStartupHourly);
    EXPECT_FALSE(Editor.btnOKClick());
    EXPECT_EQ(Answers.Boxes.back().Text, "开机提醒不能设置为自动关机或重新启动！");
    Editor.N2Click();
    EXPECT_EQ(Editor.WorkRecord.Command, "sShutDown") << "refused at once now";
    Answers.FileAnswers = {std::nullopt};
    Editor.N5Click();
    EXPECT_EQ(Editor.WorkRecord.Command, "sShutDown") << "a cancelled chooser changes nothing";
}

TEST_F(EditorTest, TheMessageFieldHoldsOneStorableLine) {
    std::string longText;
    for (int i = 0; i < 3000; ++i) {
        longText += "字";
    }
    Editor.cbRemindTextChange(longText);
    EXPECT_EQ(Editor.WorkRecord.Message.size(), 2047U * 3);
    Editor.cbRemindTextChange("第一行\n第二行\r");
    EXPECT_EQ(Editor.WorkRecord.Message, "第一行 第二行 ");
    EXPECT_FALSE(Editor.TestButtonVisible());
    Editor.cbRemindTextChange("现在#h点");
    EXPECT_TRUE(Editor.TestButtonVisible());
    Editor.btnTestRemindClick();
    EXPECT_EQ(Answers.Boxes.back().Title, "测试内容");
    EXPECT_EQ(Answers.Boxes.back().Text, "要测试的内容为：“现在09点”。");
}

TEST_F(EditorTest, MusicFollowsTheBoxAndTheChooserStartsInTheGivenFolder) {
    Editor.MusicStartDir = "/home/a/音乐/";
    Editor.cbSelMusicClick(true);
    Answers.FileAnswers = {"/home/a/音乐/铃.mp3"};
    Editor.sbSelMusicClick();
    EXPECT_EQ(Answers.FileRequests.back().StartFolder, "/home/a/音乐/");
    EXPECT_EQ(Answers.FileRequests.back().Filter, "音乐文件|*.mp3;*.mid;*.avi;*.wav");
    EXPECT_EQ(Editor.WorkRecord.Music, "/home/a/音乐/铃.mp3");
    Editor.edtSelMusicChange("/tmp/x.wav");
    EXPECT_EQ(Editor.WorkRecord.Music, "/tmp/x.wav");
    Editor.cbSelMusicClick(false);
    EXPECT_EQ(Editor.WorkRecord.Music, "");
    EXPECT_EQ(Editor.MusicPath, "");
}

TEST_F(EditorTest, LoadingAStoredReminderKeepsWhatTheEditorNeverSets) {
    testing::TempFolder folder;
    std::ofstream(folder.File("a.mp3")) << "x";
    TRmMainDate stored;
    stored.Year = 2027;
    stored.Month = 2;
    stored.Day = 30;
    stored.Hour = 8;
    stored.Method = 7;
    stored.Reminded = true;
    stored.WithScript = true;
    stored.Music = folder.File("a.mp3");
    stored.Command = "uhttps://example.org";
    stored.Message = "%M月%D";
    Editor.LoadRecord(stored);
    EXPECT_EQ(Editor.Caption, "编辑提醒");
    EXPECT_EQ(Editor.WorkRecord.Day, 28);
    EXPECT_EQ(Editor.MethodChoice, RemindAtStartupHourly);
    EXPECT_EQ(Editor.WorkRecord.Method, 7) << "unchanged until a method is picked";
    EXPECT_TRUE(Editor.MusicChecked);
    EXPECT_EQ(Editor.CommandDisplay.Caption, "打开网址");
    EXPECT_EQ(Editor.UrlStartText(), "https://example.org");
    EXPECT_TRUE(Editor.TestButtonVisible());
    Editor.cbSelHourChange(9);
    EXPECT_TRUE(Editor.btnOKClick());
    EXPECT_TRUE(Editor.WorkRecord.Reminded);
    EXPECT_TRUE(Editor.WorkRecord.WithScript);

    TRecordEditor lunar;
    stored.IsLunar = true;
    stored.Month = 6;
    stored.IsLeapMonth = true; // 2027 has no leap sixth month
    stored.Day = 0x80 | 0x40;
    stored.Command = "sReboot";
    lunar.LoadRecord(stored);
    EXPECT_TRUE(lunar.IsLunar());
    EXPECT_FALSE(lunar.WorkRecord.IsLeapMonth);
    EXPECT_TRUE(lunar.WeekdayChecked(7));
    EXPECT_EQ(lunar.Lists.Day.Text, "星期日");
    EXPECT_FALSE(lunar.CommandDisplay.AutoRunEnabled);
    EXPECT_EQ(lunar.AutoRunCaption(), "是");
}

} // namespace
} // namespace chimewell
