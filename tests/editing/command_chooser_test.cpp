#include "editing/command_chooser.h"

#include "scripted_answers.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

class CommandChooserTest : public ::testing::Test {
protected:
    bool Choose(CommandChoice choice, const std::string& argument = {}, bool startup = false) {
        return ChooseCommand(Record, Display, choice, startup, argument);
    }

    testing::ScriptedAnswers Answers;
    TRmMainDate Record;
    TCommandDisplay Display;
};

TEST_F(CommandChooserTest, LeavingAPowerCommandTurnsTheForcedAutoRunOff) {
    ASSERT_TRUE(Choose(CommandChoice::ShutDown));
    EXPECT_EQ(Record.Command, "sShutDown");
    EXPECT_TRUE(Record.AutoExecScript);
    EXPECT_EQ(Display, (TCommandDisplay{"自动关机", "自动关闭计算机", false}));
    ASSERT_TRUE(Choose(CommandChoice::Program, "/usr/bin/gedit"));
    EXPECT_EQ(Record.Command, "c/usr/bin/gedit");
    EXPECT_FALSE(Record.AutoExecScript);
    EXPECT_EQ(Display, (TCommandDisplay{"打开程序", "打开程序:/usr/bin/gedit", true}));
}

TEST_F(CommandChooserTest, APowerCommandForcesAutoRunAndTheUsersChoiceOtherwiseStays) {
    ASSERT_TRUE(Choose(CommandChoice::File, "/home/a/b.txt"));
    EXPECT_FALSE(Record.AutoExecScript);
    Record.AutoExecScript = true; // the user's toggle
    ASSERT_TRUE(Choose(CommandChoice::Address, "example.org"));
    EXPECT_EQ(Record.Command, "uexample.org");
    EXPECT_TRUE(Record.AutoExecScript) << "an open command keeps what the user chose";
    Record.AutoExecScript = false;
    ASSERT_TRUE(Choose(CommandChoice::Reboot));
    EXPECT_TRUE(Record.AutoExecScript);
    EXPECT_FALSE(Display.AutoRunEnabled);
    ASSERT_TRUE(Choose(CommandChoice::ShutDown));
    EXPECT_TRUE(Record.AutoExecScript);
    EXPECT_EQ(Display.Caption, "自动关机");
    ASSERT_TRUE(Choose(CommandChoice::None));
    EXPECT_EQ(Record.Command, "");
    EXPECT_FALSE(Record.AutoExecScript);
    EXPECT_EQ(Display, TCommandDisplay{});
    EXPECT_TRUE(Answers.Boxes.empty());
}

TEST_F(CommandChooserTest, AStartUpReminderCannotPowerOffOrRestart) {
    ASSERT_TRUE(Choose(CommandChoice::Program, "/bin/true"));
    EXPECT_FALSE(Choose(CommandChoice::ShutDown, {}, true));
    EXPECT_FALSE(Choose(CommandChoice::Reboot, {}, true));
    EXPECT_EQ(Record.Command, "c/bin/true");
    EXPECT_EQ(Display.Caption, "打开程序");
    ASSERT_EQ(Answers.Boxes.size(), 2U);
    EXPECT_EQ(Answers.Boxes[0].Title, "设置失败");
    EXPECT_EQ(Answers.Boxes[0].Text, "开机提醒不能设置为自动关机！");
    EXPECT_EQ(Answers.Boxes[1].Text, "开机提醒不能设置为自动重启！");
}

TEST_F(CommandChooserTest, StoredCommandsShowAsTheyWereChosen) {
    EXPECT_EQ(CommandDisplayFor("sReboot"), (TCommandDisplay{"自动重启", "自动重新启动计算机", false}));
    EXPECT_EQ(CommandDisplayFor("ohome/x.pdf"), (TCommandDisplay{"打开文件", "打开文件:home/x.pdf", true}));
    EXPECT_EQ(CommandDisplayFor("uhttp://a.b"), (TCommandDisplay{"打开网址", "打开网址:http://a.b", true}));
    EXPECT_EQ(CommandDisplayFor("sSleep"), TCommandDisplay{});
    EXPECT_EQ(CommandDisplayFor(""), TCommandDisplay{});
    EXPECT_EQ(AutoRunCaption(true), "是");
    EXPECT_EQ(AutoRunCaption(false), "否");
}

TEST_F(CommandChooserTest, TheAddressDialogStartsFromTheStoredAddressAndRefusesNone) {
    EXPECT_EQ(AddressDialogStartText("uhttps://example.org/x"), "https://example.org/x");
    EXPECT_EQ(AddressDialogStartText("c/bin/ls"), "http://");
    EXPECT_EQ(AddressDialogStartText(""), "http://");
    EXPECT_FALSE(AcceptAddress("http://"));
    EXPECT_FALSE(AcceptAddress(""));
    EXPECT_TRUE(AcceptAddress("example.org"));
    EXPECT_TRUE(AcceptAddress("http:// "));
    ASSERT_EQ(Answers.Boxes.size(), 2U);
    EXPECT_EQ(Answers.Boxes[0].Title, "URL错误");
    EXPECT_EQ(Answers.Boxes[0].Text, "没有输入URL地址！");
}

} // namespace
} // namespace chimewell
