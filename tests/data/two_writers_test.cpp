// Two writers of one data file: a write made while a save is under way is kept, two processes writing at once
// lose nothing, and a version of the file that looks destroyed is never taken as the list.

#include "data/code_page.h"
#include "data/data_file.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"
#include "sample_record.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace chimewell {
namespace {

using testing::DailyRecord;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

class TwoWritersTest : public ::testing::Test {
protected:
    void SetUp() override {
        List.Reset(Path);
        List.Load();
        for (int k = 0; k < 3; ++k) {
            List.Add(DailyRecord(8 + k, 0, "本机 " + std::to_string(k)), true);
        }
        List.OutsideVersionRefused = [this] { ++Refusals; };
    }
    // Another program's list of the same file.
    TRmDataList Other() const {
        TRmDataList other;
        other.Reset(Path);
        other.Load();
        return other;
    }
    std::multiset<std::string> MessagesOnDisk() const {
        const TRmDataList fresh = Other();
        std::multiset<std::string> messages;
        for (int i = 0; i < fresh.Count; ++i) {
            messages.insert(fresh.Item(i).Message);
        }
        return messages;
    }
    // As editors and sync tools save: a new file renamed over the old one.
    void Replace(const std::string& bytes) const {
        WriteBytes(Path + ".new", bytes);
        ASSERT_EQ(std::rename((Path + ".new").c_str(), Path.c_str()), 0);
    }

    TempFolder Folder;
    std::string Path = Folder.File("reminddata.sdt");
    TRmDataList List;
    int Refusals = 0;
};

// Another program's write of one more reminder, taking no lock: by rename, or in place.
void AppendOutside(const std::string& path, const std::string& message, bool inPlace) {
    TIniFile file(path);
    const std::int32_t next = StoredItemCount(file) + 1;
    file.WriteInteger("Main", "Items", next);
    WriteReminder(file, ItemSectionName(next), DailyRecord(12, 0, message));
    if (inPlace) {
        WriteBytes(path, file.ToBytes());
    } else {
        WriteBytes(path + ".new", file.ToBytes());
        std::rename((path + ".new").c_str(), path.c_str());
    }
}

TEST_F(TwoWritersTest, AWriteMadeWhileASaveIsUnderWayIsKept) {
    // The other program writes after this save has read the file, just before the save puts its new file in
    // place: once by rename, once in place.
    for (const bool inPlace : {false, true}) {
        bool written = false;
        List.BeforeFileReplaced = [&] {
            if (!std::exchange(written, true)) {
                AppendOutside(Path, inPlace ? "外面改写的" : "外面换掉的", inPlace);
            }
        };
        List.Add(DailyRecord(20, 0, inPlace ? "本机加的 2" : "本机加的 1"), true);
    }
    EXPECT_EQ(MessagesOnDisk(), (std::multiset<std::string>{"本机 0", "本机 1", "本机 2", "外面换掉的", "本机加的 1",
                                                            "外面改写的", "本机加的 2"}));
    // An edit under way likewise.
    bool written = false;
    List.BeforeFileReplaced = [&] {
        if (!std::exchange(written, true)) {
            AppendOutside(Path, "编辑时外面加的", false);
        }
    };
    TRmMainDate edited = List.Item(0);
    edited.Message = "本机改的";
    EXPECT_GE(List.Replace(List.Item(0), 0, edited), 0);
    EXPECT_EQ(MessagesOnDisk().count("编辑时外面加的"), 1U);
    EXPECT_EQ(MessagesOnDisk().count("本机改的"), 1U);
    EXPECT_EQ(List.Count, 8);
}

TEST_F(TwoWritersTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int Writes = 200;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TRmDataList other = Other();
        int status = 0;
        for (int k = 0; k < Writes; ++k) {
            try {
                other.Add(DailyRecord(k % 24, k % 60, "另一个进程 " + std::to_string(k)), true);
            } catch (...) {
                status = 1;
            }
        }
        _exit(status);
    }
    for (int k = 0; k < Writes; ++k) {
        if (k % 3 == 2) {
            // Edits and deletes too, of the reminders this side added.
            const std::int32_t at =
                List.Find(DailyRecord((k - 1) % 24, (k - 1) % 60, "本进程 " + std::to_string(k - 1)), 0);
            ASSERT_GE(at, 0);
            TRmMainDate edited = List.Item(at);
            edited.Message += " 改";
            ASSERT_GE(List.Replace(List.Item(at), at, edited), 0);
        }
        List.Add(DailyRecord(k % 24, k % 60, "本进程 " + std::to_string(k)), true);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::multiset<std::string> disk = MessagesOnDisk();
    EXPECT_EQ(disk.size(), 3U + 2 * Writes);
    for (int k = 0; k < Writes; ++k) {
        EXPECT_EQ(disk.count("另一个进程 " + std::to_string(k)), 1U) << k;
        const bool edited = k % 3 == 1 && k + 1 < Writes;
        EXPECT_EQ(disk.count("本进程 " + std::to_string(k) + (edited ? " 改" : "")), 1U) << k;
    }
    List.ReloadIfChanged();
    EXPECT_EQ(List.Count, 3 + 2 * Writes);
}

TEST_F(TwoWritersTest, AVersionThatLooksDestroyedIsNeverTakenAsTheList) {
    const std::string mine = ReadBytes(Path);
    std::mt19937 random(20261209);
    std::string noise(200000, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    const std::string cut = mine.substr(0, mine.rfind("Minuter="));
    struct Case {
        const char* Name;
        std::string Bytes;
        const char* Said;
    };
    for (const Case& version : {Case{"emptied", "", "一条提醒也没有"}, Case{"random bytes", noise, "不像提醒数据文件"},
                                Case{"cut in its last section", cut, "不完整"}}) {
        SCOPED_TRACE(version.Name);
        WriteBytes(Path, mine);
        List.Reset(Path);
        List.Load();
        Refusals = 0;
        Replace(version.Bytes);
        EXPECT_FALSE(List.ReloadIfChanged());
        EXPECT_EQ(Refusals, 1);
        EXPECT_NE(List.Refused.Message.find(version.Said), std::string::npos) << List.Refused.Message;
        EXPECT_EQ(List.Count, 3);
        // A copy of the other version is kept, and named.
        ASSERT_FALSE(List.Refused.CopyName.empty());
        EXPECT_EQ(ReadBytes(List.Refused.CopyName), version.Bytes);
        EXPECT_NE(List.Refused.Message.find(List.Refused.CopyName), std::string::npos);
        std::filesystem::remove(List.Refused.CopyName);
        // Nothing is written over it until the user chooses; asked once.
        EXPECT_THROW(List.Add(DailyRecord(9, 0, "新的"), true), std::runtime_error);
        EXPECT_FALSE(List.ReloadIfChanged());
        EXPECT_EQ(ReadBytes(Path), version.Bytes);
        EXPECT_EQ(Refusals, 1);
        List.KeepListOverRefused();
        EXPECT_EQ(MessagesOnDisk(), (std::multiset<std::string>{"本机 0", "本机 1", "本机 2"}));
        List.Add(DailyRecord(9, 0, "新的"), true);
        EXPECT_EQ(MessagesOnDisk().size(), 4U);
    }

    // Emptied on purpose: one answer away.
    Replace("");
    List.ReloadIfChanged();
    List.TakeRefused();
    EXPECT_EQ(List.Count, 0);
    List.Add(DailyRecord(9, 0, "重新开始"), true);
    EXPECT_EQ(MessagesOnDisk(), (std::multiset<std::string>{"重新开始"}));
}

TEST_F(TwoWritersTest, AFileStillBeingWrittenIsWaitedFor) {
    const std::string mine = ReadBytes(Path);
    // A writer that empties the file, then writes it whole a moment later: the empty moment is not taken in,
    // and what it wrote in the end is.
    Replace("");
    const pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        usleep(100000);
        TIniFile file(Path, mine);
        file.WriteInteger("Main", "Items", 4);
        WriteReminder(file, "Item4", DailyRecord(7, 0, "写完了"));
        const std::string bytes = file.ToBytes();
        WriteBytes(Path + ".w", bytes);
        std::rename((Path + ".w").c_str(), Path.c_str());
        _exit(0);
    }
    // The watch would look first at once, and again when told to wait.
    for (int look = 0; look < 20 && (look == 0 || List.WaitingForWriter); ++look) {
        List.ReloadIfChanged();
    }
    waitpid(writer, nullptr, 0);
    List.ReloadIfChanged();
    EXPECT_EQ(List.Count, 4);
    EXPECT_TRUE(List.Refused.Message.empty() || Refusals == 1);
    EXPECT_EQ(MessagesOnDisk().count("写完了"), 1U);
}

// The writer of the fault as found: it empties the file in place, takes its time, then writes what it read
// before with one more. The empty moment is refused, and nothing of the list is written over it, a firing's
// mark included; what the writer wrote in the end is taken in, and the next save keeps both.
TEST_F(TwoWritersTest, AWriterThatEmptiesTheFileAndTakesItsTimeLosesNothing) {
    const std::string mine = ReadBytes(Path);
    WriteBytes(Path, "");
    EXPECT_FALSE(List.ReloadIfChanged());
    EXPECT_EQ(Refusals, 1);
    EXPECT_NE(List.Refused.Message.find("一条提醒也没有"), std::string::npos) << List.Refused.Message;
    EXPECT_EQ(List.Count, 3);
    EXPECT_THROW(List.Add(DailyRecord(9, 0, "写的时候加的"), true), std::runtime_error);
    List.MarkReminded(1);
    EXPECT_THROW(List.TakeRemindedMarks(), std::runtime_error);
    EXPECT_TRUE(List.HasRemindedMarks()) << "the mark waits";
    EXPECT_EQ(ReadBytes(Path), "") << "nothing written over the writer's file while it writes";
    std::filesystem::remove(List.Refused.CopyName);

    TIniFile file(Path, mine);
    file.WriteInteger("Main", "Items", 4);
    WriteReminder(file, "Item4", DailyRecord(7, 0, "写完了"));
    WriteBytes(Path, file.ToBytes());
    EXPECT_TRUE(List.ReloadIfChanged());
    EXPECT_TRUE(List.Refused.Message.empty()) << "the question is answered by the writer itself";
    EXPECT_EQ(List.Count, 4);
    List.Add(DailyRecord(9, 0, "写完以后加的"), true);
    EXPECT_EQ(MessagesOnDisk(), (std::multiset<std::string>{"本机 0", "本机 1", "本机 2", "写完了", "写完以后加的"}));
}

TEST_F(TwoWritersTest, AFileThatIsNoDataFileIsRefusedAtStartAndNeverWritten) {
    Replace("this is not a reminder file\r\n[foo]\r\nbar=1\r\n");
    TRmDataList list;
    list.Reset(Path);
    list.Load();
    EXPECT_NE(list.LoadFailure.find("不像提醒数据文件"), std::string::npos) << list.LoadFailure;
    EXPECT_THROW(list.Add(DailyRecord(9, 0, "新的"), true), std::runtime_error);
    EXPECT_EQ(ReadBytes(Path), "this is not a reminder file\r\n[foo]\r\nbar=1\r\n");
    // An empty file, or none, is a list of nothing.
    Replace("");
    list.Load();
    EXPECT_TRUE(list.LoadFailure.empty());
}

TEST_F(TwoWritersTest, AnImportAndTheListShareTheLock) {
    // A writer of ours that holds the lock makes the other wait, not race.
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        RewriteDataFile(Path, [](TIniFile& file) {
            usleep(300000);
            const std::int32_t next = StoredItemCount(file) + 1;
            file.WriteInteger("Main", "Items", next);
            WriteReminder(file, ItemSectionName(next), DailyRecord(6, 0, "持锁的"));
        });
        _exit(0);
    }
    usleep(100000);
    List.Add(DailyRecord(21, 0, "等锁的"), true);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(MessagesOnDisk(), (std::multiset<std::string>{"本机 0", "本机 1", "本机 2", "持锁的", "等锁的"}));
}

TEST_F(TwoWritersTest, RemindedMarksWrittenElsewhereFindTheirRemindersInTheFileAsItIsThen) {
    // Marked together and written on another thread: the list takes the new version as its own.
    List.MarkReminded(0);
    List.MarkReminded(0);
    EXPECT_TRUE(List.Item(0).Reminded) << "reminded in the list at once";
    const TRemindedMarks marks = List.TakeRemindedMarks();
    EXPECT_FALSE(List.HasRemindedMarks());
    TRemindedWritten written;
    std::thread([&] { written = WriteRemindedMarks(marks); }).join();
    List.RemindedMarksWritten(marks, written);
    EXPECT_TRUE(List.IsKnownVersion());
    EXPECT_FALSE(List.ReloadIfChanged());
    TRmDataList disk = Other();
    EXPECT_TRUE(disk.Item(0).Reminded);
    EXPECT_FALSE(disk.Item(1).Reminded);
    EXPECT_FALSE(disk.Item(2).Reminded);

    // Meanwhile another program put a reminder first and changed another: the mark goes to the reminder it was
    // made for, none to the changed one, and the list takes in the other program's version.
    List.MarkReminded(1);
    List.MarkReminded(2);
    const TRemindedMarks moved = List.TakeRemindedMarks();
    TIniFile file(Path);
    TRmDataList outside = Other();
    outside.Item(2).Message = "外面改的";
    file.WriteInteger("Main", "Items", 4);
    WriteReminder(file, ItemSectionName(1), DailyRecord(6, 0, "外面加的"));
    for (int k = 0; k < 3; ++k) {
        WriteReminder(file, ItemSectionName(k + 2), outside.Item(k));
    }
    Replace(file.ToBytes());
    written = WriteRemindedMarks(moved);
    List.RemindedMarksWritten(moved, written);
    EXPECT_TRUE(written.Written);
    EXPECT_FALSE(written.OnKnownVersion);
    EXPECT_TRUE(List.ReloadIfChanged());
    disk = Other();
    ASSERT_EQ(disk.Count, 4);
    EXPECT_FALSE(disk.Item(0).Reminded);
    EXPECT_TRUE(disk.Item(1).Reminded);
    EXPECT_EQ(disk.Item(2).Message, "本机 1");
    EXPECT_TRUE(disk.Item(2).Reminded);
    EXPECT_EQ(disk.Item(3).Message, "外面改的");
    EXPECT_FALSE(disk.Item(3).Reminded) << "changed elsewhere: left as that program wrote it";

    // The file gone meanwhile: nothing is written for the marks, and the list writes itself anew.
    List.MarkReminded(0);
    const TRemindedMarks gone = List.TakeRemindedMarks();
    std::filesystem::remove(Path);
    written = WriteRemindedMarks(gone);
    EXPECT_FALSE(written.Written);
    List.RemindedMarksWritten(gone, written);
    disk = Other();
    ASSERT_EQ(disk.Count, 4);
    EXPECT_TRUE(disk.Item(0).Reminded);
}

} // namespace
} // namespace chimewell
