#include "editing/record_commands.h"

#include "data/file_io.h"
#include "runtime/remind_runtime.h"

#include "exchange/ical_file.h"

#include "data/code_page.h"

#include "calendar/clock.h"
#include "data/temp_folder.h"
#include "scripted_answers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace chimewell {
namespace {

using ::testing::ElementsAre;

TRmMainDate Dated(int year, int month, int day, const std::string& message) {
    TRmMainDate record;
    record.Year = year;
    record.Month = month;
    record.Day = day;
    record.Message = message;
    return record;
}

// The commands over a list in a temporary folder, with the windows and the list display replaced by
// recorders. Today is 2026-06-10.
class RecordCommandsTest : public ::testing::Test {
protected:
    RecordCommandsTest() : Clock(EncodeDateTime(2026, 6, 10, 9, 0)) {
        Config.InitDefaults(Folder.Folder(), 265, 202, 429, 279);
        List.Reset(Config.DataFilePath());
        List.PositionsMoved = [this](const TPositionMap& map) { Runtime.FollowPositions(map); };
        Runtime.Start();
        Hooks.RunEditor = [this](TRecordEditor& editor) {
            Editors.push_back({editor.Caption, editor.MusicStartDir, editor.WeeksBeginOnSunday});
            return EditorAction ? EditorAction(editor) : false;
        };
        Hooks.ShowRecord = [this](const TRmMainDate& record) { Viewed.push_back(record.Message); };
        Hooks.RefreshRecordList = [this] { Events.push_back("refresh"); };
        Hooks.SetSelection = [this](int line) { Events.push_back("select " + std::to_string(line)); };
        Hooks.RemoveLine = [this](int line) { Events.push_back("remove " + std::to_string(line)); };
        Hooks.DoSearch = [this] { Events.push_back("search"); };
    }

    TRecordCommands Commands() { return TRecordCommands{List, Config, Hooks}; }
    void Add(const TRmMainDate& record) { List.Add(record, true); }
    TRmDataList Reloaded() const {
        TRmDataList list;
        list.Reset(Config.DataFilePath());
        list.Load();
        return list;
    }

    struct OpenedEditor {
        std::string Caption;
        std::string MusicStartDir;
        bool WeeksBeginOnSunday;
    };

    testing::TempFolder Folder;
    ClockOverride Clock;
    testing::ScriptedAnswers Answers;
    TRmConfig Config;
    TRmDataList List;
    TRmRuntime Runtime{List, Config, ReminderWindowSeam{}};
    TRecordCommandHooks Hooks;
    std::function<bool(TRecordEditor&)> EditorAction;
    std::vector<OpenedEditor> Editors;
    std::vector<std::string> Viewed;
    std::vector<std::string> Events;
};

// A full disk (or a locked file) refuses the add: the list stays as the file is, the message says why, and the
// dialog comes back with what was typed until the write goes through or the user gives up.
TEST_F(RecordCommandsTest, AnAddTheFileRefusesComesBackInTheDialogWithWhatWasTyped) {
    Add(Dated(0, 0, 0, "旧的"));
    bool refuse = true;
    List.BeforeFileReplaced = [&refuse, this] {
        if (refuse) {
            throw TWriteFailure(Config.DataFilePath(), ENOSPC);
        }
    };
    std::vector<std::string> shown;
    EditorAction = [&](TRecordEditor& editor) {
        shown.push_back(editor.WorkRecord.Message);
        if (shown.size() == 1) {
            editor.cbRemindTextChange("新的");
        } else {
            EXPECT_EQ(List.Count, 1) << "the refused reminder is not in the list";
            // Room on the disk again.
            refuse = false;
        }
        editor.Accepted = true;
        return true;
    };
    Commands().Add();
    ASSERT_EQ(shown.size(), 2U);
    EXPECT_EQ(shown[1], "新的") << "what was typed came back";
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_EQ(Answers.Boxes[0].Kind, MessageKind::Error);
    EXPECT_NE(Answers.Boxes[0].Text.find("磁盘已满"), std::string::npos) << Answers.Boxes[0].Text;
    ASSERT_EQ(Reloaded().Count, 2);
    EXPECT_EQ(Reloaded().Item(1).Message, "新的");
    EXPECT_EQ(List.Count, 2);
}

// 快速添加 adds without the dialog: written, shown and selected; a refusing disk says why and adds nothing, and
// the 详细… way opens the dialog on what was read and tells whether it added.
TEST_F(RecordCommandsTest, AQuickAddIsWrittenOrRefusedWithTheReason) {
    Add(Dated(0, 0, 0, "旧的"));
    EXPECT_TRUE(Commands().AddRecord(Dated(2026, 7, 1, "快的")));
    EXPECT_EQ(Reloaded().Count, 2);
    EXPECT_EQ(Reloaded().Item(1).Message, "快的");
    EXPECT_EQ(Events, (std::vector<std::string>{"refresh", "select 1", "search"}));
    EXPECT_TRUE(Editors.empty()) << "no dialog";

    List.BeforeFileReplaced = [this] { throw TWriteFailure(Config.DataFilePath(), ENOSPC); };
    EXPECT_FALSE(Commands().AddRecord(Dated(2026, 7, 2, "满了")));
    EXPECT_EQ(List.Count, 2);
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_NE(Answers.Boxes[0].Text.find("磁盘已满"), std::string::npos) << Answers.Boxes[0].Text;
    EXPECT_NE(Answers.Boxes[0].Text.find("快速添加"), std::string::npos) << Answers.Boxes[0].Text;
    List.BeforeFileReplaced = {};

    TRmMainDate read = Dated(2026, 7, 3, "详细的");
    read.Warnings = {{1, LeadUnit::Days}};
    EditorAction = [](TRecordEditor& editor) {
        EXPECT_EQ(editor.WorkRecord.Warnings.size(), 1U) << "the schedule comes along";
        editor.Accepted = true;
        return true;
    };
    EXPECT_TRUE(Commands().AddPreset(read));
    EXPECT_EQ(Reloaded().Item(2).Warnings, read.Warnings);
    EditorAction = [](TRecordEditor&) { return false; };
    EXPECT_FALSE(Commands().AddPreset(read)) << "cancelled";
    EXPECT_EQ(Reloaded().Count, 3);
}

TEST_F(RecordCommandsTest, AddWritesTheReminderAndRemembersTheMusicFolder) {
    EditorAction = [](TRecordEditor& editor) {
        editor.cbRemindTextChange("带音乐");
        editor.cbSelMusicClick(true);
        editor.edtSelMusicChange("/home/a/音乐/铃.mp3");
        editor.Accepted = true;
        return true;
    };
    Config.LastMusicDir = "/start/";
    Config.BeginWithSunday = true;
    Commands().Add();
    ASSERT_EQ(Editors.size(), 1U);
    EXPECT_EQ(Editors[0].Caption, "添加提醒");
    EXPECT_TRUE(Editors[0].WeeksBeginOnSunday);
    EXPECT_EQ(Editors[0].MusicStartDir, "/start/");
    EXPECT_EQ(Config.LastMusicDir, "/home/a/音乐/");
    EXPECT_THAT(Events, ElementsAre("refresh", "select 0", "search")) << "the new reminder is selected";
    ASSERT_EQ(Reloaded().Count, 1);
    EXPECT_EQ(Reloaded().Item(0).Music, "/home/a/音乐/铃.mp3");

    EditorAction = [](TRecordEditor& editor) {
        editor.cbRemindTextChange("无音乐");
        return true;
    };
    Commands().Add();
    EXPECT_EQ(Editors[1].MusicStartDir, "/home/a/音乐/");
    EXPECT_EQ(Config.LastMusicDir, "/home/a/音乐/") << "adding without music leaves the folder";
    EXPECT_EQ(Reloaded().Count, 2);
}

TEST_F(RecordCommandsTest, ACancelledAddChangesNothingButSearchesAgain) {
    Commands().Add();
    EXPECT_THAT(Events, ElementsAre("search"));
    EXPECT_EQ(List.Count, 0);
    EXPECT_FALSE(std::filesystem::exists(Config.DataFilePath()));
}

TEST_F(RecordCommandsTest, EditKeepsWhatTheEditorNeverSetsAndSelectsTheLineAgain) {
    Add(Dated(0, 0, 0, "一"));
    TRmMainDate second = Dated(2026, 8, 1, "二");
    second.Reminded = true;
    second.WithScript = true;
    Add(second);
    Config.LastMusicDir = "/kept/";
    EditorAction = [](TRecordEditor& editor) {
        EXPECT_EQ(editor.Caption, "编辑提醒");
        editor.cbSelHourChange(9);
        editor.cbSelMusicClick(true); // a ticked box with no path plays the settings' music
        return editor.btnOKClick();
    };
    Commands().Edit(1);
    EXPECT_EQ(Editors[0].MusicStartDir, "");
    EXPECT_EQ(Config.LastMusicDir, "/kept/");
    EXPECT_THAT(Events, ElementsAre("refresh", "select -1", "select 1", "search"));
    const TRmDataList stored = Reloaded();
    EXPECT_EQ(stored.Item(1).Hour, 9);
    EXPECT_TRUE(stored.Item(1).Reminded);
    EXPECT_TRUE(stored.Item(1).WithScript);
    EXPECT_EQ(stored.Item(0).Message, "一");
}

TEST_F(RecordCommandsTest, AReminderThatFiredWhileItsDialogWasOpenStaysReminded) {
    Add(Dated(0, 0, 0, "一"));
    EditorAction = [this](TRecordEditor& editor) {
        List.Item(0).Reminded = true; // the tick fired it meanwhile
        editor.cbSelMinuterChange(5);
        return editor.btnOKClick();
    };
    Commands().Edit(0);
    EXPECT_TRUE(List.Item(0).Reminded);
    EXPECT_EQ(List.Item(0).Minuter, 5);
}

TEST_F(RecordCommandsTest, AnEditKeepsWhatAnotherProgramChangedMeanwhileInOtherFields) {
    Add(Dated(0, 0, 0, "一"));
    Add(Dated(0, 0, 0, "二"));
    EditorAction = [this](TRecordEditor& editor) -> bool {
        // chimewell-cli ics gives every reminder its UID, and another program gives this one music.
        TRmDataList other = Reloaded();
        EXPECT_TRUE(GiveUids(other, {1, 2}).empty());
        TRmMainDate moved = other.Item(1);
        moved.Music = "/音乐/铃.mp3";
        other.Replace(other.Item(1), 1, moved);
        editor.cbRemindTextChange("二（我改的）");
        return editor.btnOKClick();
    };
    Commands().Edit(1);
    EXPECT_TRUE(Answers.Boxes.empty());
    const TRmDataList stored = Reloaded();
    ASSERT_EQ(stored.Count, 2);
    EXPECT_EQ(stored.Item(1).Message, "二（我改的）");
    EXPECT_EQ(stored.Item(1).Music, "/音乐/铃.mp3");
    EXPECT_FALSE(stored.Item(1).Uid.empty()) << "the UID the export gave stays, so other calendars see no copy";
    EXPECT_FALSE(stored.Item(0).Uid.empty());
}

TEST_F(RecordCommandsTest, CommandsOnNoLineDoNothing) {
    Add(Dated(0, 0, 0, "一"));
    for (const int selected : {-1, 1, 7}) {
        Commands().View(selected);
        Commands().Edit(selected);
        Commands().Delete(selected);
    }
    EXPECT_TRUE(Editors.empty());
    EXPECT_TRUE(Viewed.empty());
    EXPECT_TRUE(Answers.Boxes.empty());
    EXPECT_TRUE(Events.empty());
    Commands().View(0);
    EXPECT_THAT(Viewed, ElementsAre("一"));
}

TEST_F(RecordCommandsTest, DeleteAsksAndRenumbersThePostponements) {
    for (const char* message : {"零", "一", "二"}) {
        Add(Dated(0, 0, 0, message));
    }
    Runtime.SnoozeQueue.Push(5, 1);
    Runtime.SnoozeQueue.Push(10, 2);
    Runtime.SnoozeQueue.Push(15, 1);
    Commands().Delete(1);
    EXPECT_EQ(List.Count, 3) << "Cancel keeps it";
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_EQ(Answers.Boxes[0].Kind, MessageKind::Question);
    EXPECT_EQ(Answers.Boxes[0].Title, "删除记录");
    EXPECT_EQ(Answers.Boxes[0].Text, "你确定要删除选中的记录吗？\n\n" + List.Item(1).Describe(DescribeOptions::All()))
        << "the question names the reminder it is about";

    Answers.BoxAnswers = {MessageAnswer::Ok};
    Commands().Delete(1);
    EXPECT_EQ(List.Count, 2);
    EXPECT_EQ(Runtime.SnoozeQueue.Count, 1) << "both snoozes of the deleted reminder go";
    EXPECT_EQ(Runtime.SnoozeQueue.Indexes[0], 1) << "the next reminder's snooze moves down";
    EXPECT_THAT(Events, ElementsAre("refresh", "select -1", "search"));
    const TRmDataList stored = Reloaded();
    ASSERT_EQ(stored.Count, 2);
    EXPECT_EQ(stored.Item(1).Message, "二");
}

TEST_F(RecordCommandsTest, DeleteExpiredAsksFromTheLastAndRewritesTheFileOnce) {
    const std::vector<TRmMainDate> records = {
        Dated(2026, 7, 1, "未来"),  Dated(2026, 6, 9, "昨天"), Dated(0, 0, 0, "每天"),
        Dated(2026, 6, 10, "今天"), Dated(2025, 1, 1, "去年"), Dated(2026, 5, 0, "上个月"),
    };
    for (const TRmMainDate& record : records) {
        Add(record);
    }
    Runtime.SnoozeQueue.Push(5, 3);
    const std::string before = testing::ReadBytes(Config.DataFilePath());
    std::vector<std::string> fileAtQuestion;
    Answers.OnBox = [&](const testing::AskedBox&) {
        fileAtQuestion.push_back(testing::ReadBytes(Config.DataFilePath()));
    };
    Answers.BoxAnswers = {MessageAnswer::Ok, MessageAnswer::Cancel, MessageAnswer::Ok};
    Commands().DeleteExpired();

    ASSERT_EQ(Answers.Boxes.size(), 3U);
    EXPECT_EQ(Answers.Titles(), (std::vector<std::string>{"过期删除", "过期删除", "过期删除"}));
    EXPECT_EQ(
        Answers.Boxes[0].Text,
        "第“6”条提醒已经过期：\n公历，2026年5月每天0时0分0方式，不提前，提醒为：上个月(无音乐)(无脚本)\n是否删除？")
        << "counted from 1, as users count";
    EXPECT_THAT(Answers.Boxes[1].Text, ::testing::StartsWith("第“5”条"));
    EXPECT_THAT(Answers.Boxes[2].Text, ::testing::StartsWith("第“2”条"));
    for (const std::string& bytes : fileAtQuestion) {
        EXPECT_EQ(bytes, before) << "nothing is written while the questions are open";
    }
    EXPECT_THAT(Events, ElementsAre("remove 5", "remove 1", "refresh", "search"));
    const TRmDataList stored = Reloaded();
    ASSERT_EQ(stored.Count, 4);
    EXPECT_EQ(stored.Item(1).Message, "每天");
    EXPECT_EQ(stored.Item(3).Message, "去年");
    EXPECT_EQ(Runtime.SnoozeQueue.Indexes[0], 2) << "the snooze of 今天 follows it down";
}

TEST_F(RecordCommandsTest, DeleteExpiredSaysSoWhenNothingHasExpiredAndIsSilentWhenAllAreKept) {
    Commands().DeleteExpired();
    EXPECT_TRUE(Answers.Boxes.empty()) << "an empty list asks nothing";
    Add(Dated(2026, 6, 10, "今天早些时候"));
    Commands().DeleteExpired();
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_EQ(Answers.Boxes[0].Title, "无过期提醒");
    EXPECT_EQ(Answers.Boxes[0].Text, "在你的记录中没有过期的提醒。");

    Add(Dated(2020, 1, 1, "旧"));
    const std::string before = testing::ReadBytes(Config.DataFilePath());
    Commands().DeleteExpired(); // the question is cancelled
    EXPECT_EQ(Answers.Titles(), (std::vector<std::string>{"无过期提醒", "过期删除"}));
    EXPECT_EQ(testing::ReadBytes(Config.DataFilePath()), before);
    EXPECT_TRUE(Events.empty());
}

// Another program saves the data file (by rename, as editors do) while the add/edit dialog is open.
TEST_F(RecordCommandsTest, AnEditGoesToItsReminderWhereverAnOutsideChangeMovedIt) {
    Add(Dated(0, 0, 0, "一"));
    Add(Dated(0, 0, 0, "二"));
    const auto rewrite = [this](const std::string& sections, int items) {
        const std::string temporary = Config.DataFilePath() + ".new";
        testing::WriteBytes(temporary, EncodeFileText("[Main]\r\nItems=" + std::to_string(items) + "\r\n" + sections));
        std::filesystem::rename(temporary, Config.DataFilePath());
    };
    EditorAction = [&](TRecordEditor& editor) {
        rewrite("[Item1]\r\nMessage=别处加的\r\n[Item2]\r\nMessage=一\r\n[Item3]\r\nMessage=二\r\n", 3);
        editor.cbRemindTextChange("二（我改的）");
        return true;
    };
    Commands().Edit(1);
    TRmDataList stored = Reloaded();
    ASSERT_EQ(stored.Count, 3);
    EXPECT_EQ(stored.Item(0).Message, "别处加的");
    EXPECT_EQ(stored.Item(2).Message, "二（我改的）");
    EXPECT_THAT(Events, ::testing::Contains("select 2"));

    // The same reminder changed there too: the user is asked, and Yes keeps both versions.
    EditorAction = [&](TRecordEditor& editor) {
        rewrite(
            "[Item1]\r\nMessage=别处加的\r\n[Item2]\r\nMessage=一（别处改的）\r\n[Item3]\r\nMessage=二（我改的）\r\n",
            3);
        editor.cbRemindTextChange("一（我改的）");
        return true;
    };
    Answers.BoxAnswers = {MessageAnswer::Yes};
    Commands().Edit(1);
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_EQ(Answers.Boxes[0].Title, "提醒已被修改");
    stored = Reloaded();
    ASSERT_EQ(stored.Count, 4);
    EXPECT_EQ(stored.Item(1).Message, "一（别处改的）");
    EXPECT_EQ(stored.Item(3).Message, "一（我改的）");

    // No keeps the other program's version alone.
    EditorAction = [&](TRecordEditor& editor) {
        rewrite("[Item1]\r\nMessage=只剩这个\r\n", 1);
        editor.cbRemindTextChange("丢掉");
        return true;
    };
    Answers.BoxAnswers = {MessageAnswer::No};
    Commands().Edit(0);
    stored = Reloaded();
    ASSERT_EQ(stored.Count, 1);
    EXPECT_EQ(stored.Item(0).Message, "只剩这个");
    EXPECT_EQ(List.Count, 1);
}

TEST_F(RecordCommandsTest, CopyOpensTheAddDialogFilledAndAddsANewReminder) {
    TRmMainDate original = Dated(2026, 8, 1, "原来的");
    original.Reminded = true;
    original.Hour = 7;
    original.Uid = "exported-once";
    Add(original);
    EditorAction = [](TRecordEditor& editor) {
        EXPECT_EQ(editor.WorkRecord.Message, "原来的");
        EXPECT_EQ(editor.WorkRecord.Hour, 7);
        editor.cbRemindTextChange("复制的");
        return true;
    };
    Commands().Copy(0);
    ASSERT_EQ(Editors.size(), 1U);
    EXPECT_EQ(Editors[0].Caption, "添加提醒");
    const TRmDataList stored = Reloaded();
    ASSERT_EQ(stored.Count, 2);
    EXPECT_EQ(stored.Item(0).Message, "原来的");
    EXPECT_EQ(stored.Item(1).Message, "复制的");
    EXPECT_EQ(stored.Item(1).Hour, 7);
    EXPECT_FALSE(stored.Item(1).Reminded) << "a new reminder has not fired";
    EXPECT_EQ(stored.Item(0).Uid, "exported-once");
    EXPECT_TRUE(stored.Item(1).Uid.empty()) << "another event to other calendars";
    EditorAction = {};
    Commands().Copy(0);
    EXPECT_EQ(Reloaded().Count, 2) << "取消 adds nothing";
}

// The list's order is also the order in which the reminders of one minute show.
TEST_F(RecordCommandsTest, MovingUpAndDownTakesThePostponementsAlong) {
    for (const char* message : {"甲", "乙", "丙"}) {
        Add(Dated(0, 0, 0, message));
    }
    Runtime.SnoozeQueue.Push(5, 2);
    Runtime.SnoozeQueue.Push(5, 0);
    Commands().Move(2, -1);
    TRmDataList stored = Reloaded();
    EXPECT_EQ(stored.Item(1).Message, "丙");
    EXPECT_EQ(stored.Item(2).Message, "乙");
    EXPECT_EQ(Runtime.SnoozeQueue.Indexes[0], 1) << "丙's postponement went up with it";
    EXPECT_EQ(Runtime.SnoozeQueue.Indexes[1], 0);
    EXPECT_THAT(Events, ::testing::Contains("select 1"));
    Commands().Move(0, -1);
    EXPECT_EQ(Reloaded().Item(0).Message, "甲") << "the first stays first";
    Commands().Move(0, 1);
    stored = Reloaded();
    EXPECT_EQ(stored.Item(0).Message, "丙");
    EXPECT_EQ(stored.Item(1).Message, "甲");
    EXPECT_EQ(Runtime.SnoozeQueue.Indexes[0], 0);
    EXPECT_EQ(Runtime.SnoozeQueue.Indexes[1], 1);
}

TEST(FolderOf, KeepsTheTrailingSeparator) {
    EXPECT_EQ(FolderOf("/home/a/b.mp3"), "/home/a/");
    EXPECT_EQ(FolderOf("/b.mp3"), "/");
    EXPECT_EQ(FolderOf("b.mp3"), "");
}

} // namespace
} // namespace chimewell
