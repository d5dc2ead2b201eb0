// The real chimewell-cli writing the data file while the program's list writes it too: every add of either side
// and every UID the export gives stays in the file.

#include "data/file_io.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"
#include "data/temp_folder.h"
#include "exchange/ical_file.h"
#include "sample_record.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace chimewell {
namespace {

using testing::DailyRecord;
using testing::TempFolder;

// Runs chimewell-cli with the arguments, its output thrown away; its exit status.
int RunRealCli(const std::vector<std::string>& arguments) {
    std::vector<std::string> words{CHIMEWELL_CLI_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A process of its own that runs the command line once per item, in order; waited for by Finish.
class CliRunner {
public:
    explicit CliRunner(std::vector<std::vector<std::string>> runs) {
        Child = fork();
        if (Child == 0) {
            int failed = 0;
            for (const auto& run : runs) {
                failed += RunRealCli(run) != 0 ? 1 : 0;
            }
            _exit(failed > 0 ? 1 : 0);
        }
    }
    // True when every run exited 0.
    bool Finish() {
        int status = -1;
        return Child > 0 && waitpid(Child, &status, 0) == Child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    pid_t Child = -1;
};

std::multiset<std::string> MessagesOnDisk(const std::string& path) {
    TRmDataList fresh;
    fresh.Reset(path);
    fresh.Load();
    std::multiset<std::string> messages;
    for (int i = 0; i < fresh.Count; ++i) {
        messages.insert(fresh.Item(i).Message);
    }
    return messages;
}

TEST(CliBesideTheProgram, AddsOfBothSidesAreAllKept) {
    TempFolder folder;
    const std::string path = folder.File("reminddata.sdt");
    TRmDataList program;
    program.Reset(path);
    program.Load();
    program.Add(DailyRecord(8, 0, "本机 开始"), true);

    constexpr int Writes = 200;
    std::vector<std::vector<std::string>> adds;
    for (int k = 0; k < Writes; ++k) {
        adds.push_back({"add", "--dir", folder.Folder(), "--at", "2026-12-10 08:00",
                        "每天09:00 外面 第" + std::to_string(k) + "条"});
    }
    CliRunner cli(adds);
    for (int k = 0; k < Writes; ++k) {
        program.ReloadIfChanged(); // as the program's watch does between its own writes
        program.Add(DailyRecord(k % 24, k % 60, "本机 第" + std::to_string(k) + "条"), true);
    }
    ASSERT_TRUE(cli.Finish()) << "every add of the command line went through";
    const std::multiset<std::string> disk = MessagesOnDisk(path);
    EXPECT_EQ(disk.size(), 1U + 2 * Writes);
    for (int k = 0; k < Writes; ++k) {
        EXPECT_EQ(disk.count("外面 第" + std::to_string(k) + "条"), 1U) << k;
        EXPECT_EQ(disk.count("本机 第" + std::to_string(k) + "条"), 1U) << k;
    }
}

TEST(CliBesideTheProgram, AnExportGivesEveryUidWhileTheProgramAdds) {
    TempFolder folder;
    const std::string path = folder.File("reminddata.sdt");
    {
        // Reminders of an older version: none has a UID yet.
        TIniFile file(path);
        constexpr int Old = 3000;
        file.WriteInteger("Main", "Items", Old);
        for (int k = 1; k <= Old; ++k) {
            WriteReminder(file, ItemSectionName(k), DailyRecord(k % 24, k % 60, "旧的 " + std::to_string(k)));
        }
        file.UpdateFile();
    }
    TRmDataList program;
    program.Reset(path);
    program.Load();

    CliRunner cli({{"ics", "--dir", folder.Folder(), "--at", "2026-12-10 08:00", folder.File("out.ics")}});
    constexpr int Adds = 12;
    for (int k = 0; k < Adds; ++k) {
        program.ReloadIfChanged();
        program.Add(DailyRecord(7, k, "导出时加的 " + std::to_string(k)), true);
    }
    ASSERT_TRUE(cli.Finish());

    TRmDataList disk;
    disk.Reset(path);
    disk.Load();
    ASSERT_EQ(disk.Count, 3000 + Adds);
    std::set<std::string> uids;
    int added = 0;
    for (int i = 0; i < disk.Count; ++i) {
        const TRmMainDate& item = disk.Item(i);
        added += item.Message.starts_with("导出时加的") ? 1 : 0;
        if (!item.Message.starts_with("导出时加的")) {
            EXPECT_FALSE(item.Uid.empty()) << item.Message << ": the UID the export gave is kept";
            EXPECT_TRUE(uids.insert(item.Uid).second) << item.Uid;
        }
    }
    EXPECT_EQ(added, Adds);
    // The calendar file names the UIDs the data file keeps.
    std::string exported;
    ASSERT_EQ(ReadWholeFile(folder.File("out.ics"), exported), FileReadResult::Read);
    for (const std::string& uid : uids) {
        EXPECT_NE(exported.find("UID:" + uid), std::string::npos) << uid;
    }
}

// The export gives every UID it needs in one write of the data file, not one write per reminder.
TEST(CliBesideTheProgram, TheUidsOfAnExportAreOneSave) {
    TempFolder folder;
    const std::string path = folder.File("reminddata.sdt");
    TRmDataList list;
    list.Reset(path);
    list.Load();
    std::vector<std::int32_t> numbers;
    list.Batch([&] {
        for (int k = 1; k <= 50; ++k) {
            list.Add(DailyRecord(9, k % 60, "第" + std::to_string(k) + "条"), true);
            numbers.push_back(k);
        }
    });
    int saves = 0;
    list.BeforeFileReplaced = [&saves] { ++saves; };
    EXPECT_EQ(GiveUids(list, numbers), "");
    EXPECT_EQ(saves, 1);
    std::set<std::string> uids;
    for (int i = 0; i < list.Count; ++i) {
        uids.insert(list.Item(i).Uid);
    }
    EXPECT_EQ(uids.size(), 50U);
    EXPECT_EQ(uids.count(""), 0U);
}

} // namespace
} // namespace chimewell
