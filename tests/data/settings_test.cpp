#include "data/settings.h"

#include "data/code_page.h"
#include "data/file_io.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

class SettingsTest : public ::testing::Test {
protected:
    TRmConfig Fresh() const {
        TRmConfig config;
        config.InitDefaults(Folder.Path().string(), 265, 202, 429, 279);
        return config;
    }

    TempFolder Folder;
};

TEST_F(SettingsTest, FirstRunWritesEveryKeyWithItsDefaultInOrder) {
    TRmConfig config = Fresh();
    config.LoadConfig();
    config.SaveConfig();
    EXPECT_EQ(DecodeFileText(ReadBytes(Folder.File("config.ini"))),
              "[Config]\r\n"
              "HideMainForm=1\r\n"
              "ShowMsgDateTime=1\r\n"
              "AutoCloseMsgBox=0\r\n"
              "EnableLog=0\r\n"
              "ShowGL=1\r\n"
              "ShowDate=1\r\n"
              "ShowTime=1\r\n"
              "ShowRms=1\r\n"
              "ShowCommand=0\r\n"
              "ShowSetMusic=0\r\n"
              "ShowBefRemind=0\r\n"
              "ShowWithScript=0\r\n"
              "EnableQuickKey=0\r\n"
              "BeginWithSunday=0\r\n"
              "FontWithfsBold=0\r\n"
              "FontWithfsItalic=0\r\n"
              "FontWithfsUnderline=0\r\n"
              "FontWithfsStrikeOut=0\r\n"
              "OpenTimes=1\r\n"
              "AutoCloseMsgTime=50\r\n"
              "LaterRemindTime=5\r\n"
              "MainWndLeft=265\r\n"
              "MainWndTop=202\r\n"
              "MainWndWidth=429\r\n"
              "MainWndHeight=279\r\n"
              "HotKeyShift=0\r\n"
              "HotKeyChar=0\r\n"
              "FontWithSize=9\r\n"
              "FontWithColor=0\r\n"
              "UserName=\r\n"
              "UserCorp=\r\n"
              "SysMusicFile=/usr/share/sounds/freedesktop/"
              "stereo/alarm-clock-elapsed.oga\r\n"
              "LastMusicDir=\r\n"
              "LastImportDir=\r\n"
              "LastExportDir=\r\n"
              "SkinFileName=\r\n"
              "FontWithName=宋体\r\n"
              "MissedWindowHours=24\r\n"
              "LastCheck=\r\nNeverAskAutorun=0\r\nRemindMode=-1\r\nRepeatMusic=0\r\nSyncServer=\r\nSyncUser=\r\n"
              "SyncCalendar=\r\n");
    EXPECT_EQ(config.AppDir, Folder.Folder());
    EXPECT_EQ(config.ProductName, "晴铃提醒");
    EXPECT_EQ(config.DataFilePath(), Folder.Folder() + "reminddata.sdt");
}

// The minute of the last check, kept every hour, goes in place while nothing else changed; any other change
// is a whole save, flushed to the disk.
TEST_F(SettingsTest, TheLastCheckAloneIsKeptInPlace) {
    TRmConfig config = Fresh();
    config.LoadConfig();
    config.LastCheck = "2026-12-10 17:00";
    config.SaveConfig();
    const std::string path = Folder.File("config.ini");
    const std::uint64_t inode = FileStampOf(path).Inode;
    config.LastCheck = "2026-12-10 18:00";
    config.KeepLastCheck();
    EXPECT_EQ(FileStampOf(path).Inode, inode);
    EXPECT_NE(testing::ReadBytes(path).find("LastCheck=2026-12-10 18:00\r\n"), std::string::npos);

    config.LastCheck = "2026-12-10 19:00";
    config.SyncUser = "me";
    config.KeepLastCheck();
    EXPECT_NE(FileStampOf(path).Inode, inode);
    TRmConfig read = Fresh();
    read.LoadConfig();
    EXPECT_EQ(read.LastCheck, "2026-12-10 19:00");
    EXPECT_EQ(read.SyncUser, "me");
}

// The alarm sound is the default of a fresh file only: a user who emptied the setting keeps it empty.
TEST_F(SettingsTest, AStoredEmptySystemMusicStaysEmpty) {
    WriteBytes(Folder.File("config.ini"), "[Config]\r\nSysMusicFile=\r\n");
    TRmConfig config = Fresh();
    config.LoadConfig();
    EXPECT_EQ(config.SysMusicFile, "");
}

TEST_F(SettingsTest, HandWrittenFileAndMissingKeys) {
    WriteBytes(Folder.File("config.ini"), "[config]\r\n"
                                          "hidemainform=0\r\n"
                                          "ShowCommand=5\r\n"
                                          "OpenTimes=7\r\n"
                                          "LaterRemindTime=abc\r\n"
                                          "UserName=\xD5\xC5\xC8\xFD\r\n");
    TRmConfig config;
    config.InitDefaults(Folder.Folder(), 10, 20, 30, 40);
    config.LoadConfig();
    EXPECT_FALSE(config.HideMainForm);
    EXPECT_TRUE(config.ShowCommand);
    EXPECT_EQ(config.OpenTimes, 8);
    EXPECT_EQ(config.LaterRemindTime, 5);
    EXPECT_EQ(config.UserName, "张三");
    // Missing geometry keeps the window's designed values; missing folders read as empty.
    EXPECT_EQ(config.MainWndLeft, 10);
    EXPECT_EQ(config.MainWndHeight, 40);
    EXPECT_EQ(config.LastMusicDir, "");
    EXPECT_EQ(config.FontWithName, "宋体");
}

TEST_F(SettingsTest, OpenTimesAtTheTopOfTheRangeDoesNotOverflow) {
    WriteBytes(Folder.File("config.ini"), "[Config]\r\nOpenTimes=2147483647\r\n");
    TRmConfig config = Fresh();
    config.LoadConfig();
    EXPECT_EQ(config.OpenTimes, 2147483647);
}

TRmConfig EveryFieldChanged(const std::string& folder) {
    TRmConfig config;
    config.InitDefaults(folder, 1, 2, 3, 4);
    config.HideMainForm = false;
    config.ShowMsgDateTime = false;
    config.AutoCloseMsgBox = true;
    config.EnableLog = true;
    config.ShowGL = false;
    config.ShowDate = false;
    config.ShowTime = false;
    config.ShowRms = false;
    config.ShowCommand = true;
    config.ShowSetMusic = true;
    config.ShowBefRemind = true;
    config.ShowWithScript = true;
    config.EnableQuickKey = true;
    config.BeginWithSunday = true;
    config.FontWithfsBold = true;
    config.FontWithfsItalic = true;
    config.FontWithfsUnderline = true;
    config.FontWithfsStrikeOut = true;
    config.OpenTimes = 11;
    config.AutoCloseMsgTime = 600;
    config.LaterRemindTime = 120;
    config.MainWndLeft = -5;
    config.MainWndTop = 6;
    config.MainWndWidth = 700;
    config.MainWndHeight = 800;
    config.HotKeyShift = 3;
    config.HotKeyChar = 65;
    config.FontWithSize = 12;
    config.FontWithColor = 0x00FF8040;
    config.UserName = "李四";
    config.UserCorp = "晴铃工作室😀";
    config.SysMusicFile = "/音乐/铃声.mp3";
    config.LastMusicDir = "/音乐/";
    config.LastImportDir = "/导入/";
    config.LastExportDir = "/导出/";
    config.SkinFileName = "蓝色.skn";
    config.FontWithName = "文泉驿微米黑";
    return config;
}

TEST_F(SettingsTest, EveryStoredKeyRoundTrips) {
    const TRmConfig saved = EveryFieldChanged(Folder.Folder());
    saved.SaveConfig();
    TRmConfig loaded = Fresh();
    loaded.LoadConfig();
    TRmConfig expected = saved;
    expected.OpenTimes += 1;
    EXPECT_EQ(loaded, expected);
}

TEST_F(SettingsTest, CopyConfigCopiesEverything) {
    const TRmConfig source = EveryFieldChanged(Folder.Folder());
    TRmConfig target;
    CopyConfig(source, target);
    EXPECT_EQ(target, source);
}

TEST_F(SettingsTest, QuickFinishLines) {
    const std::string path = Folder.File("quickfinish.ini");
    EXPECT_TRUE(LoadQuickFinish(path).empty());
    WriteBytes(path, "\xBF\xAA\xBB\xE1\r\n\r\nlunch\r\n");
    EXPECT_EQ(LoadQuickFinish(path), (std::vector<std::string>{"开会", "", "lunch"}));
    SaveQuickFinish(path, {"生日", "😀"});
    EXPECT_EQ(ReadBytes(path), "\xC9\xFA\xC8\xD5\r\n\x94\x39\xFC\x36\r\n");
}

} // namespace
} // namespace chimewell
