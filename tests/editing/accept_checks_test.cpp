#include "editing/accept_checks.h"

#include "data/temp_folder.h"
#include "row_name.h"
#include "scripted_answers.h"

#include <fstream>
#include <gtest/gtest.h>

namespace chimewell {
namespace {

const TDateTime Now = EncodeDateTime(2026, 6, 10, 9, 30);

struct CheckRow {
    std::string Name;
    std::function<void(TRmMainDate&, TAcceptInput&)> Change;
    std::string Title; // empty: the reminder is taken
    std::string Text;
};

class AcceptCheckTable : public ::testing::TestWithParam<CheckRow> {};

TEST_P(AcceptCheckTable, TheFirstFailingCheckSpeaks) {
    TRmMainDate record;
    record.Year = 2026;
    record.Month = 6;
    record.Day = 10;
    record.Message = "开会";
    TAcceptInput input;
    input.Record = &record;
    input.Now = Now;
    GetParam().Change(record, input);
    input.MessageText = record.Message;
    const std::optional<TAcceptCheck> check = FirstFailingCheck(input, true);
    if (GetParam().Title.empty()) {
        EXPECT_EQ(check, std::nullopt);
        return;
    }
    ASSERT_TRUE(check.has_value());
    EXPECT_EQ(check->Title, GetParam().Title);
    EXPECT_EQ(check->Text, GetParam().Text);
    EXPECT_EQ(check->Kind, MessageKind::Information);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AcceptCheckTable,
    ::testing::Values(
        CheckRow{"Plain", [](TRmMainDate&, TAcceptInput&) {}, "", ""},
        CheckRow{"StartupShutDown",
                 [](TRmMainDate& r, TAcceptInput& in) {
                     r.Command = "sShutDown";
                     in.StartupMethod = true;
                     r.Message.clear(); // an earlier check speaks first
                 },
                 "设置失败", "开机提醒不能设置为自动关机或重新启动！"},
        CheckRow{"StartupWithProgramIsFine",
                 [](TRmMainDate& r, TAcceptInput& in) {
                     r.Command = "c/bin/true";
                     in.StartupMethod = true;
                 },
                 "", ""},
        CheckRow{"EmptyText", [](TRmMainDate& r, TAcceptInput&) { r.Message.clear(); }, "不能为空",
                 "所设置的提醒内容不能为空！"},
        CheckRow{"SilentWithoutCommand", [](TRmMainDate& r, TAcceptInput&) { r.Message = "NOTSHOWREMINDBOX"; },
                 "选择命令", "不显示提醒窗口时必须选择一个命令且选择自动运行！"},
        CheckRow{"SilentWithoutAutoRun",
                 [](TRmMainDate& r, TAcceptInput&) {
                     r.Message = "NOTSHOWREMINDBOX";
                     r.Command = "c/bin/true";
                 },
                 "选择命令", "不显示提醒窗口时必须选择一个命令且选择自动运行！"},
        CheckRow{"SilentWithAutoRunCommand",
                 [](TRmMainDate& r, TAcceptInput&) {
                     r.Message = "NOTSHOWREMINDBOX";
                     r.Command = "c/bin/true";
                     r.AutoExecScript = true;
                 },
                 "", ""},
        CheckRow{"MissingMusic",
                 [](TRmMainDate&, TAcceptInput& in) {
                     in.MusicChecked = true;
                     in.MusicPath = "/nowhere/歌.mp3";
                 },
                 "文件不存在", "所指定的音乐文件:“/nowhere/歌.mp3”不存在！"},
        CheckRow{"TickedMusicWithoutPath", [](TRmMainDate&, TAcceptInput& in) { in.MusicChecked = true; }, "", ""},
        CheckRow{"MalformedWeekCondition", [](TRmMainDate& r, TAcceptInput&) { r.Message = "$mw2x开会"; }, "格式不正确",
                 "所设置的格式:“$mw2x开会”不正确！"},
        CheckRow{"OccurrenceConditionIsWellFormed", [](TRmMainDate& r, TAcceptInput&) { r.Message = "$mwo2$母亲节"; },
                 "", ""},
        CheckRow{"NotAConditionAtAll", [](TRmMainDate& r, TAcceptInput&) { r.Message = "$abc"; }, "", ""}),
    RowName<CheckRow>);

class AcceptQuestions : public ::testing::Test {
protected:
    AcceptQuestions() {
        Record.Year = 2026;
        Record.Month = 6;
        Record.Day = 9; // yesterday
        Record.Message = "开会";
        Input.Record = &Record;
        Input.Now = Now;
    }
    bool Run() {
        Input.MessageText = Record.Message;
        return RunAcceptChecks(Input);
    }

    testing::ScriptedAnswers Answers;
    TRmMainDate Record;
    TAcceptInput Input;
};

TEST_F(AcceptQuestions, AnExpiredDateAsksOnceAndOkTakesItUnchanged) {
    Answers.BoxAnswers = {MessageAnswer::Cancel};
    EXPECT_FALSE(Run());
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_EQ(Answers.Boxes[0].Kind, MessageKind::Question);
    EXPECT_EQ(Answers.Boxes[0].Title, "已经过期");
    EXPECT_EQ(Answers.Boxes[0].Text, "所设置的提醒已经过期，是否继续？");
    Answers.BoxAnswers = {MessageAnswer::Ok};
    EXPECT_TRUE(Run());
    EXPECT_EQ(Answers.Boxes.size(), 2U);
    EXPECT_EQ(Record.Day, 9);
}

TEST_F(AcceptQuestions, AfterTheExpiredQuestionTheNextCheckStillSpeaks) {
    Record.Message.clear();
    Answers.BoxAnswers = {MessageAnswer::Ok};
    EXPECT_FALSE(Run());
    EXPECT_EQ(Answers.Titles(), (std::vector<std::string>{"已经过期", "不能为空"}));
}

TEST_F(AcceptQuestions, AnEarlierHourOfTodayHasNotExpired) {
    Record.Day = 10;
    Record.Hour = 6;
    EXPECT_TRUE(Run());
    EXPECT_TRUE(Answers.Boxes.empty());
}

TEST_F(AcceptQuestions, AMusicFileThatExistsIsTaken) {
    testing::TempFolder folder;
    std::ofstream(folder.File("a.mp3")) << "x";
    Record.Day = 11;
    Input.MusicChecked = true;
    Input.MusicPath = folder.File("a.mp3");
    EXPECT_TRUE(Run());
    Input.MusicPath = folder.Folder();
    EXPECT_FALSE(Run()) << "a folder is no music file";
}

} // namespace
} // namespace chimewell
