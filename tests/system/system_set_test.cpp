#include "system/system_set.h"

#include "data/temp_folder.h"
#include "editing/scripted_answers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace chimewell {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// The stored number follows from the entry; a stored number the list does not show selects nothing, and no
// entry writes nothing back.
TEST(NumberListTest, EntriesMapToTheStoredNumberAndNothingElse) {
    const std::vector<std::string> minutes = LaterMinutesList.Items();
    ASSERT_EQ(minutes.size(), 120U);
    EXPECT_EQ(minutes.front(), "1分钟");
    EXPECT_EQ(minutes[2], "3分钟");
    EXPECT_EQ(minutes.back(), "120分钟");
    const std::vector<std::string> seconds = AutoCloseSecondsList.Items();
    ASSERT_EQ(seconds.size(), 596U);
    EXPECT_EQ(seconds.front(), "5秒钟");
    EXPECT_EQ(seconds.back(), "600秒钟");
    const std::vector<std::string> hours = MissedHoursList.Items();
    ASSERT_EQ(hours.size(), 169U);
    EXPECT_EQ(hours.front(), "0");
    EXPECT_EQ(hours.back(), "168");

    EXPECT_EQ(LaterMinutesList.ValueAt(2), 3);
    EXPECT_EQ(AutoCloseSecondsList.ValueAt(0), 5);
    EXPECT_EQ(MissedHoursList.ValueAt(24), 24);
    for (const TNumberList& list : {LaterMinutesList, AutoCloseSecondsList, MissedHoursList}) {
        EXPECT_EQ(list.IndexOf(list.First - 1), -1);
        EXPECT_EQ(list.IndexOf(list.Last + 1), -1);
        EXPECT_EQ(list.ValueAt(-1), std::nullopt);
        EXPECT_EQ(list.ValueAt(list.Last - list.First + 1), std::nullopt);
        for (std::int32_t value = list.First; value <= list.Last; ++value) {
            ASSERT_EQ(list.ValueAt(list.IndexOf(value)), value);
        }
    }
}

TEST(SkinListTest, TheFirstEntryTurnsSkinsOffAndAMissingSkinSelectsNothing) {
    const std::vector<std::string> files = {"夜幕.skn", "晴空.skn"};
    EXPECT_THAT(SkinListItems(files), ElementsAre("(不使用皮肤)", "夜幕.skn", "晴空.skn"));
    EXPECT_EQ(SkinListIndexOf(files, ""), 0);
    EXPECT_EQ(SkinListIndexOf(files, "晴空.skn"), 2);
    EXPECT_EQ(SkinListIndexOf(files, "gone.skn"), -1);
    EXPECT_EQ(SkinListValueAt(files, 0), "");
    EXPECT_EQ(SkinListValueAt(files, 1), "夜幕.skn");
    EXPECT_EQ(SkinListValueAt(files, 3), std::nullopt);
    EXPECT_EQ(SkinListValueAt(files, -1), std::nullopt);
    EXPECT_THAT(SkinListItems({}), ElementsAre("(不使用皮肤)"));
}

// The box shows the file's lines and gives them back unchanged; a line break typed at the very end adds no
// empty text to the add dialog's list.
TEST(QuickFinishTest, TheBoxTextGivesTheFileLinesBack) {
    const std::vector<std::string> lines = {"该休息一下了！", "", "交周报"};
    EXPECT_EQ(QuickFinishText(lines), "该休息一下了！\n\n交周报");
    EXPECT_EQ(QuickFinishLines(QuickFinishText(lines)), lines);
    EXPECT_THAT(QuickFinishLines("甲\n乙\n"), ElementsAre("甲", "乙"));
    EXPECT_THAT(QuickFinishLines("甲\r\n乙"), ElementsAre("甲", "乙"));
    EXPECT_TRUE(QuickFinishLines("").empty());
}

// Stored colours are 0x00BBGGRR; a style sheet writes #rrggbb.
TEST(ListFontTest, TheStyleRuleCarriesTheFontAndAnyColourButTheAutomaticOne) {
    const std::string red = FontStyleSheet("QListWidget", {"宋体", 12, 0x0000FF, true, true, true, true});
    EXPECT_EQ(red, "QListWidget { font-family: \"宋体\"; font-size: 12pt; font-weight: bold; font-style: italic; "
                   "text-decoration: underline line-through; color: #ff0000; }");
    const std::string plain = FontStyleSheet("QLabel#lbSetFont", {"宋体", 9, 0, false, false, false, false});
    EXPECT_THAT(plain, HasSubstr("font-weight: normal; font-style: normal; text-decoration: none;"));
    EXPECT_THAT(plain, Not(HasSubstr("color")));
    EXPECT_THAT(FontStyleSheet("QListWidget", {"x\"; } QWidget { color: red", 9, 0x123456, false}),
                HasSubstr("font-family: \"x; } QWidget { color: red\";"))
        << "a face name from the file stays inside its quotes";
    EXPECT_THAT(FontStyleSheet("QListWidget", {"x", 9, 0x123456, false}), HasSubstr("color: #563412;"));
}

class AcceptTest : public ::testing::Test {
protected:
    AcceptTest() { Work.InitDefaults(Folder.Folder(), 265, 202, 429, 279); }

    testing::TempFolder Folder;
    testing::ScriptedAnswers Answers;
    TRmConfig Work;
};

TEST_F(AcceptTest, AMissingSystemMusicBlocksOkAndWritesNothing) {
    for (const std::string& missing : {Folder.File("gone.mp3"), Folder.Folder()}) {
        Work.SysMusicFile = missing;
        EXPECT_FALSE(AcceptSystemSettings(Work, {"甲"}));
        ASSERT_FALSE(Answers.Boxes.empty());
        EXPECT_EQ(Answers.Boxes.back().Text, "设置的系统音乐文件：“" + missing + "”未找到！");
        EXPECT_FALSE(std::filesystem::exists(Work.QuickFinishFilePath()));
    }
}

TEST_F(AcceptTest, OkWritesTheQuickFinishLinesAsTheWholeFile) {
    testing::WriteBytes(Folder.File("闹钟.wav"), "RIFF");
    testing::WriteBytes(Work.QuickFinishFilePath(), "old\r\nlines\r\nmore\r\n");
    for (const std::string& music : {Folder.File("闹钟.wav"), std::string()}) {
        Work.SysMusicFile = music;
        EXPECT_TRUE(AcceptSystemSettings(Work, {"该休息了", "", "交周报"}));
    }
    EXPECT_TRUE(Answers.Boxes.empty());
    EXPECT_EQ(testing::ReadBytes(Work.QuickFinishFilePath()),
              "\xB8\xC3\xD0\xDD\xCF\xA2\xC1\xCB\r\n\r\n\xBD\xBB\xD6\xDC\xB1\xA8\r\n")
        << "GB18030, CR LF";
    EXPECT_TRUE(AcceptSystemSettings(Work, {}));
    EXPECT_EQ(testing::ReadBytes(Work.QuickFinishFilePath()), "");
}

TEST_F(AcceptTest, TheMusicChooserStartsInTheLastMusicFolderAndMovesIt) {
    Work.LastMusicDir = "/start/";
    Answers.FileAnswers = {std::nullopt, "/home/a/音乐/闹钟.mp3"};
    EXPECT_EQ(AskSystemMusic(Work), std::nullopt);
    EXPECT_EQ(Work.LastMusicDir, "/start/");
    EXPECT_EQ(AskSystemMusic(Work), "/home/a/音乐/闹钟.mp3");
    EXPECT_EQ(Work.LastMusicDir, "/home/a/音乐/");
    ASSERT_EQ(Answers.FileRequests.size(), 2U);
    EXPECT_EQ(Answers.FileRequests[0].StartFolder, "/start/");
    EXPECT_EQ(Answers.FileRequests[0].Filter, "音乐文件|*.mp3;*.mid;*.avi;*.wav");
}

// Another program changed quickfinish.ini while the settings dialog was open.
TEST_F(AcceptTest, QuickFinishTextsChangedElsewhereAreNotWrittenOverUnasked) {
    testing::WriteBytes(Work.QuickFinishFilePath(), "shown\r\n");
    const std::vector<std::string> shown = {"shown"};
    testing::WriteBytes(Work.QuickFinishFilePath(), "from elsewhere\r\n");
    EXPECT_TRUE(AcceptSystemSettings(Work, {"shown"}, shown));
    EXPECT_EQ(testing::ReadBytes(Work.QuickFinishFilePath()), "from elsewhere\r\n") << "left alone: not changed here";
    EXPECT_TRUE(Answers.Boxes.empty());
    Answers.BoxAnswers = {MessageAnswer::No};
    EXPECT_TRUE(AcceptSystemSettings(Work, {"mine"}, shown));
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_EQ(Answers.Boxes[0].Title, "快速完成");
    EXPECT_EQ(testing::ReadBytes(Work.QuickFinishFilePath()), "from elsewhere\r\n") << "否 keeps the file's";
    Answers.BoxAnswers = {MessageAnswer::Yes};
    EXPECT_TRUE(AcceptSystemSettings(Work, {"mine"}, shown));
    EXPECT_EQ(testing::ReadBytes(Work.QuickFinishFilePath()), "mine\r\n");
}

} // namespace
} // namespace chimewell
