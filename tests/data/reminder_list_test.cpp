#include "data/reminder_list.h"

#include "calendar/clock.h"
#include "child_process.h"
#include "data/code_page.h"
#include "data/ini_file.h"
#include "temp_folder.h"

#include <chrono>
#include <gtest/gtest.h>

#include <fstream>

namespace chimewell {
namespace {

namespace fs = std::filesystem;
using testing::FirstRoundKilledBadly;
using testing::ReadBytes;
using testing::RunUnprivileged;
using testing::TempFolder;
using testing::WriteBytes;

TRmMainDate Numbered(int n) {
    TRmMainDate record;
    record.Month = n % 12 + 1;
    record.Day = n % 28 + 1;
    record.Message = "提醒" + std::to_string(n);
    return record;
}

class ReminderListTest : public ::testing::Test {
protected:
    TRmDataList ListWith(int count) {
        TRmDataList list;
        list.Reset(Path);
        for (int i = 0; i < count; ++i) {
            list.Add(Numbered(i), false);
        }
        return list;
    }
    TRmDataList Loaded() const {
        TRmDataList list;
        list.Reset(Path);
        list.Load();
        return list;
    }
    std::string Text() const { return DecodeFileText(ReadBytes(Path)); }

    TempFolder Folder;
    std::string Path = Folder.File("reminddata.sdt");
};

TEST_F(ReminderListTest, FirstSaveWritesTheFileLayout) {
    TRmDataList list = ListWith(0);
    TRmMainDate birthday;
    birthday.Month = 10;
    birthday.Day = 10;
    birthday.Hour = 8;
    birthday.Message = "生日";
    list.Add(birthday, true);
    EXPECT_EQ(ReadBytes(Path), "[Main]\r\nItems=1\r\n[Item1]\r\nYear=0\r\nMonth=10\r\nDay=10\r\nHour=8\r\nMinuter=0\r\n"
                               "Forward=0\r\nMethod=0\r\nIsLunar=0\r\nIsLeapMonth=0\r\nWithScript=0\r\n"
                               "AutoExecScript=0\r\nReminded=0\r\nMusic=\r\nCommand=\r\nMessage=\xC9\xFA\xC8\xD5\r\n");
}

TEST_F(ReminderListTest, EveryFieldRoundTrips) {
    TRmMainDate record;
    record.Year = 2026;
    record.Month = 13;
    record.Day = 0x80 | 0x41;
    record.Hour = 23;
    record.Minuter = 59;
    record.Forward = 30;
    record.Method = RemindAtStartupHourly;
    record.IsLunar = true;
    record.IsLeapMonth = true;
    record.WithScript = true;
    record.AutoExecScript = true;
    record.Reminded = true;
    record.Music = "/home/用户/音乐/铃声 1.mp3";
    record.Command = "c/usr/bin/xmessage \"你好\" =x";
    record.Message = "生日快乐😀 #Y年%M月 [不是节] a=b";
    TRmDataList list = ListWith(2);
    list.Add(record, true);
    list.SaveFrom(0);
    const TRmDataList loaded = Loaded();
    ASSERT_EQ(loaded.Count, 3);
    EXPECT_EQ(loaded.Item(2), record);
    EXPECT_EQ(loaded.Item(0), Numbered(0));
}

// A long list is read in two halves at once: every reminder of both comes back as it was, its texts decoded,
// the first of two sections with one number counting, a missing one reading as the defaults.
TEST_F(ReminderListTest, ALongListReadsBackWhole) {
    constexpr int Count = 30001;
    TIniFile file(Folder.File("reminddata.sdt"));
    file.WriteInteger("Main", "Items", Count);
    std::vector<TRmMainDate> written(Count);
    for (int i = 0; i < Count; ++i) {
        TRmMainDate& record = written[static_cast<std::size_t>(i)];
        record.Month = i % 12 + 1;
        record.Day = i % 28 + 1;
        record.Hour = i % 24;
        record.Minuter = i % 60;
        record.IsLunar = i % 3 == 0;
        record.Message = "提醒 " + std::to_string(i) + (i % 2 == 0 ? " 农历%M月" : "");
        record.Music = i % 7 == 0 ? "/音乐/" + std::to_string(i) + ".ogg" : "";
        if (i != 20000) {
            WriteReminder(file, ItemSectionName(i + 1), record);
        }
    }
    written[20000] = {};
    file.UpdateFile();
    // A second [Item15001] further down does not count.
    std::ofstream(Folder.File("reminddata.sdt"), std::ios::binary | std::ios::app)
        << "[Item15001]\r\nHour=3\r\nMessage=second\r\n";
    const TRmDataList loaded = Loaded();
    ASSERT_EQ(loaded.Count, Count);
    int different = 0;
    for (int i = 0; i < Count; ++i) {
        different += loaded.Item(i) == written[static_cast<std::size_t>(i)] ? 0 : 1;
    }
    EXPECT_EQ(different, 0);
    EXPECT_EQ(loaded.Item(15000).Message, "提醒 15000 农历%M月");
}

TEST_F(ReminderListTest, StorageGrowsByBlocks) {
    TRmDataList list = ListWith(8);
    EXPECT_EQ(list.Slots.size(), 9u);
    list.Add(Numbered(8), false);
    EXPECT_EQ(list.Slots.size(), 18u);
    EXPECT_EQ(list.BlockCount, 2);
    for (int i = 9; i < 17; ++i) {
        list.Add(Numbered(i), false);
    }
    EXPECT_EQ(list.Slots.size(), 18u);
    list.Add(Numbered(17), false);
    EXPECT_EQ(list.Slots.size(), 27u);
    EXPECT_EQ(list.Item(17), Numbered(17));
    for (std::size_t i = 18; i < list.Slots.size(); ++i) {
        EXPECT_EQ(list.Slots[i], nullptr);
    }
}

TEST_F(ReminderListTest, LoadSizesStorageAndDeletionNeverShrinksIt) {
    ListWith(9).SaveFrom(0);
    TRmDataList list = Loaded();
    EXPECT_EQ(list.Count, 9);
    EXPECT_EQ(list.Slots.size(), 18u);
    list.Delete(0, false);
    list.Delete(0, false);
    EXPECT_EQ(list.Slots.size(), 18u);
    EXPECT_EQ(list.Item(0), Numbered(2));
    EXPECT_EQ(list.Slots[7], nullptr);
    // The next Add computes its size afresh and may cut off empty slots.
    list.Add(Numbered(99), false);
    EXPECT_EQ(list.Slots.size(), 9u);
    EXPECT_EQ(list.Count, 8);
}

TEST_F(ReminderListTest, DeletingTheOnlyReminderLeavesNoSectionBehind) {
    TRmDataList list = ListWith(0);
    list.Add(Numbered(1), true);
    list.Delete(0, true);
    const TIniFile ini(Path);
    EXPECT_EQ(ini.ReadInteger("Main", "Items", -1), 0);
    EXPECT_FALSE(ini.SectionExists("Item1"));
    EXPECT_EQ(Loaded().Count, 0);
}

TEST_F(ReminderListTest, DeletingTheFirstOfThreeRewritesTheRestAndDropsTheOldLast) {
    TRmDataList list = ListWith(3);
    list.SaveFrom(0);
    list.Delete(0, true);
    const TIniFile ini(Path);
    EXPECT_EQ(ini.ReadInteger("Main", "Items", -1), 2);
    EXPECT_EQ(ini.ReadString("Item1", "Message", ""), "提醒1");
    EXPECT_EQ(ini.ReadString("Item2", "Message", ""), "提醒2");
    EXPECT_FALSE(ini.SectionExists("Item3"));
    EXPECT_EQ(Loaded().Count, 2);
}

TEST_F(ReminderListTest, AUidTravelsWithItsReminderAndLeavesNoTraceBehind) {
    TRmDataList list = ListWith(3);
    list.Item(0).Uid = "first";
    list.Item(2).Uid = "third";
    list.SaveFrom(0);
    EXPECT_NE(Text().find("Message=提醒0\r\nUID=first\r\n[Item2]"), std::string::npos) << "after the 15 keys";
    EXPECT_EQ(Text().find("Message=提醒1\r\nUID"), std::string::npos) << "no key for a reminder without one";
    EXPECT_EQ(list.Remove({{list.Item(0), 0}}), 1);
    const TIniFile ini(Path);
    EXPECT_EQ(ini.ReadString("Item1", "UID", "?"), "") << "the second reminder has none";
    EXPECT_EQ(ini.ReadString("Item2", "UID", ""), "third");
    EXPECT_EQ(Loaded().Item(1).Uid, "third");
    // An older copy of the program writes its 15 keys and leaves the key alone; the list still reads it.
    TIniFile older(Path);
    older.WriteString("Item2", "Message", "改过");
    older.UpdateFile();
    EXPECT_EQ(Loaded().Item(1).Uid, "third");
    EXPECT_TRUE(SameReminder(Loaded().Item(0), Numbered(1))) << "the UID is not part of what the user set up";
}

TEST_F(ReminderListTest, DeletingNothingWritesNothing) {
    TRmDataList list = ListWith(0);
    list.Delete(-1, true);
    EXPECT_FALSE(fs::exists(Path));
    list = ListWith(2);
    list.Delete(5, true);
    EXPECT_EQ(list.Count, 2);
    EXPECT_FALSE(fs::exists(Path));
}

TEST_F(ReminderListTest, DeletingTheLastWritesTheCountAndDropsItsSection) {
    TRmDataList list = ListWith(3);
    list.SaveFrom(0);
    const std::string before = Text();
    list.Delete(-1, true);
    std::string expected = before;
    expected.replace(expected.find("Items=3"), 7, "Items=2");
    expected.erase(expected.find("[Item3]"));
    EXPECT_EQ(Text(), expected);
}

TEST_F(ReminderListTest, HandWrittenGbkFileWithGapsAndOddValues) {
    WriteBytes(Path, "[main]\r\n"
                     "items = 2\r\n"
                     "[ITEM1]\r\n"
                     "year=2005\r\n"
                     "Month = 0x0A\r\n"
                     "IsLunar=2\r\n"
                     "Reminded=yes\r\n"
                     "Message = \xBF\xAA\xBB\xE1 \r\n"
                     "[Item3]\r\n"
                     "Message=beyond the count\r\n");
    const TRmDataList list = Loaded();
    ASSERT_EQ(list.Count, 2);
    EXPECT_EQ(list.Item(0).Year, 2005);
    EXPECT_EQ(list.Item(0).Month, 10);
    EXPECT_TRUE(list.Item(0).IsLunar);
    EXPECT_FALSE(list.Item(0).Reminded);
    EXPECT_EQ(list.Item(0).Message, "开会");
    EXPECT_EQ(list.Item(1), TRmMainDate{});
}

TEST_F(ReminderListTest, CountsBelowOneGiveAnEmptyList) {
    for (const char* items : {"", "0", "-3", "abc"}) {
        WriteBytes(Path, std::string("[Main]\r\nItems=") + items + "\r\n[Item1]\r\nMessage=x\r\n");
        EXPECT_EQ(Loaded().Count, 0) << items;
    }
    fs::remove(Path);
    EXPECT_EQ(Loaded().Count, 0);
}

// A count with nothing behind it would load records of all zeros that each fire at midnight and grow the file
// by a section per firing: it is cut to the highest section there is, a gap in the middle still counting.
TEST_F(ReminderListTest, CountIsCutToTheSectionsThereAre) {
    WriteBytes(Path,
               "[Main]\r\nItems=999999999\r\n[item1]\r\nMessage=a\r\n[Item3]\r\nMessage=c\r\n[Item03]\r\n[Itemx]\r\n");
    const TRmDataList list = Loaded();
    ASSERT_EQ(list.Count, 3);
    EXPECT_EQ(list.Item(0).Message, "a");
    EXPECT_EQ(list.Item(1), TRmMainDate{});
    EXPECT_EQ(list.Item(2).Message, "c");
    WriteBytes(Path, "[Main]\r\nItems=2147483647\r\n");
    EXPECT_EQ(Loaded().Count, 0);
    WriteBytes(Path, "[Main]\r\nItems=2147483647\r\n[Item2147483647]\r\n");
    EXPECT_EQ(Loaded().Count, MaxDataItems);
}

// A data file that cannot be read is not an empty list: the list says why, and no save may replace the file
// with what the program never read, not even once the file has become readable behind its back.
TEST_F(ReminderListTest, UnreadableFileIsReportedAndNeverWritten) {
    fs::create_directory(Path);
    TRmDataList list = Loaded();
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(list.LoadFailure, "无法读取提醒数据文件“" + Path + "”：这是一个文件夹。");
    fs::remove(Path);
    WriteBytes(Path, "[Main]\r\nItems=1\r\n[Item1]\r\nMessage=kept\r\n");
    list.Add(Numbered(1), false);
    EXPECT_THROW(list.SaveItem(0), std::runtime_error);
    EXPECT_THROW(list.SaveFrom(0), std::runtime_error);
    EXPECT_EQ(Text(), "[Main]\r\nItems=1\r\n[Item1]\r\nMessage=kept\r\n");
    list.Load();
    EXPECT_TRUE(list.LoadFailure.empty());
    EXPECT_EQ(list.Item(0).Message, "kept");
}

TEST_F(ReminderListTest, DueTestsOutsideTheListAreFalse) {
    const TRmDataList list = ListWith(1);
    const TDateTime now = EncodeDateTime(2025, 1, 1, 0, 0);
    EXPECT_TRUE(list.IsItemDueNowAt(0, now));
    EXPECT_FALSE(list.IsItemDueNowAt(1, now));
    EXPECT_FALSE(list.IsItemDueNowAt(-1, now));
    ClockOverride clock(now);
    EXPECT_TRUE(list.IsItemDueNow(0));
}

TEST_F(ReminderListTest, FailedSaveThrowsAndLeavesTheFileByteIdentical) {
    TRmDataList list = ListWith(3);
    list.SaveFrom(0);
    const std::string before = ReadBytes(Path);
    list.Item(1).Message = "changed";
    fs::permissions(Path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    fs::permissions(Folder.Path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const int result = RunUnprivileged([&] {
        try {
            list.SaveItem(1);
            return 1;
        } catch (const std::runtime_error& error) {
            return std::string(error.what()) == "Unable to write to " + Path ? 0 : 2;
        }
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadBytes(Path), before);
    EXPECT_EQ(list.Item(1).Message, "changed");
}

// A save killed at any moment leaves the file as it was before or as it is after, never torn. A long message
// makes writing take a fair share of each save, so that kills land in it.
TEST_F(ReminderListTest, KilledSaveNeverTearsTheFile) {
    TRmDataList list = ListWith(3);
    const std::string shortMessage = list.Item(1).Message;
    const std::string longMessage = std::string(1'000'000, 'x') + "改";
    list.SaveFrom(0);
    const std::string before = ReadBytes(Path);
    list.Item(1).Message = longMessage;
    const auto start = std::chrono::steady_clock::now();
    list.SaveItem(1);
    const long saveMicroseconds = static_cast<long>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count());
    const std::string after = ReadBytes(Path);
    ASSERT_NE(before, after);
    const int tornRound = FirstRoundKilledBadly(
        [&](int k) {
            list.Item(1).Message = k % 2 == 0 ? shortMessage : longMessage;
            list.SaveItem(1);
        },
        [&] {
            const std::string now = ReadBytes(Path);
            return now == before || now == after;
        },
        15, 2 * saveMicroseconds);
    EXPECT_EQ(tornRound, -1);
    EXPECT_EQ(Loaded().Count, 3);
}

} // namespace
} // namespace chimewell
