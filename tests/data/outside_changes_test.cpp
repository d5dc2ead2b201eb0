// Another program (a sync tool, a text editor) changes the data file while the list is loaded: every save
// takes its change in first, and positions follow their reminders.

#include "data/code_page.h"
#include "data/reminder_list.h"
#include "temp_folder.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace chimewell {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::string Section(int number, const std::string& message, int hour = 9) {
    return "[Item" + std::to_string(number) + "]\r\nHour=" + std::to_string(hour) +
           "\r\nMinuter=31\r\nMessage=" + EncodeFileText(message) + "\r\n";
}

class OutsideChangesTest : public ::testing::Test {
protected:
    void SetUp() override {
        Write("[Main]\r\nItems=2\r\n" + Section(1, "一") + Section(2, "二"));
        List.Reset(Path);
        List.Load();
        List.PositionsMoved = [this](const TPositionMap& map) { Maps.push_back(map); };
        List.ReloadedFromDisk = [this] { ++Reloads; };
    }
    // As editors and sync tools save: a new file renamed over the old one.
    void Write(const std::string& bytes) const {
        const std::string temporary = Path + ".new";
        WriteBytes(temporary, bytes);
        ASSERT_EQ(std::rename(temporary.c_str(), Path.c_str()), 0);
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> messages;
        for (int i = 0; i < List.Count; ++i) {
            messages.push_back(List.Item(i).Message);
        }
        return messages;
    }
    std::vector<std::string> MessagesOnDisk() const {
        TRmDataList fresh;
        fresh.Reset(Path);
        fresh.Load();
        std::vector<std::string> messages;
        for (int i = 0; i < fresh.Count; ++i) {
            messages.push_back(fresh.Item(i).Message);
        }
        return messages;
    }

    TempFolder Folder;
    std::string Path = Folder.File("reminddata.sdt");
    TRmDataList List;
    std::vector<TPositionMap> Maps;
    int Reloads = 0;
};

// The fault as found: Items raised to 3, Item2 changed and Item3 appended outside; the next firing wrote Items=2
// and the stale Item2, and the added reminder never reminded.
TEST_F(OutsideChangesTest, AFiringAfterAnOutsideEditKeepsWhatTheOtherProgramWrote) {
    Write("[Main]\r\nItems=3\r\n" + Section(1, "一") + Section(2, "二（改）") + Section(3, "三"));
    TRmMainDate reminded = List.Item(0);
    reminded.Reminded = true;
    EXPECT_EQ(List.Replace(List.Item(0), 0, reminded), 0);
    EXPECT_EQ(MessagesOnDisk(), (std::vector<std::string>{"一", "二（改）", "三"}));
    EXPECT_EQ(Messages(), MessagesOnDisk());
    EXPECT_EQ(Reloads, 1);
    ASSERT_EQ(Maps.size(), 1U);
    EXPECT_EQ(Maps[0], (TPositionMap{0, 1})) << "Item2 edited in place is still the second reminder";
}

TEST_F(OutsideChangesTest, ADeleteNeverOverwritesAnOutsideVersion) {
    const TRmMainDate second = List.Item(1);
    Write("[Main]\r\nItems=2\r\n" + Section(1, "一") + Section(2, "二（改）"));
    EXPECT_EQ(List.Remove({{second, 1}}), 0) << "the reminder the user chose is not there any more";
    EXPECT_EQ(MessagesOnDisk(), (std::vector<std::string>{"一", "二（改）"}));
    const TRmMainDate first = List.Item(0);
    Write("[Main]\r\nItems=3\r\n" + Section(1, "零") + Section(2, "一") + Section(3, "二（改）"));
    EXPECT_EQ(List.Remove({{first, 0}}), 1) << "found where it moved to";
    EXPECT_EQ(MessagesOnDisk(), (std::vector<std::string>{"零", "二（改）"}));
}

TEST_F(OutsideChangesTest, AnAddGoesAfterWhatTheOtherProgramAppended) {
    Write("[Main]\r\nItems=3\r\n" + Section(1, "一") + Section(2, "二") + Section(3, "三"));
    TRmMainDate added;
    added.Message = "新";
    List.Add(added, true);
    EXPECT_EQ(MessagesOnDisk(), (std::vector<std::string>{"一", "二", "三", "新"}));
}

TEST_F(OutsideChangesTest, AReloadTellsWhereEachReminderWent) {
    Write("[Main]\r\nItems=3\r\n" + Section(1, "零") + Section(2, "二") + Section(3, "一"));
    EXPECT_TRUE(List.ReloadIfChanged());
    EXPECT_EQ(Messages(), (std::vector<std::string>{"零", "二", "一"}));
    ASSERT_EQ(Maps.size(), 1U);
    EXPECT_EQ(Maps[0], (TPositionMap{2, 1}));
    EXPECT_FALSE(List.ReloadIfChanged()) << "nothing new";
    // Written back byte for byte (a sync tool restoring the same file): nothing to take in.
    Write(ReadBytes(Path));
    EXPECT_FALSE(List.ReloadIfChanged());
    EXPECT_EQ(Reloads, 1);
}

TEST_F(OutsideChangesTest, AnEditWhoseReminderChangedOutsideIsRefused) {
    const TRmMainDate before = List.Item(1);
    TRmMainDate after = before;
    after.Message = "我的版本";
    Write("[Main]\r\nItems=2\r\n" + Section(1, "一") + Section(2, "他们的版本"));
    EXPECT_EQ(List.Replace(before, 1, after), -1);
    EXPECT_EQ(MessagesOnDisk(), (std::vector<std::string>{"一", "他们的版本"}));
}

TEST_F(OutsideChangesTest, AnUnreadableFileKeepsTheListAndIsNeverWritten) {
    ASSERT_EQ(chmod(Path.c_str(), 0), 0);
    if (FILE* probe = std::fopen(Path.c_str(), "rb")) {
        std::fclose(probe);
        GTEST_SKIP() << "running as a user whom permissions do not stop";
    }
    EXPECT_TRUE(List.ReloadIfChanged());
    EXPECT_FALSE(List.LoadFailure.empty());
    EXPECT_EQ(List.Count, 2) << "the reminders read before still remind";
    TRmMainDate added;
    EXPECT_THROW(List.Add(added, true), std::runtime_error);
    ASSERT_EQ(chmod(Path.c_str(), 0644), 0);
    EXPECT_TRUE(List.ReloadIfChanged());
    EXPECT_TRUE(List.LoadFailure.empty());
}

TEST_F(OutsideChangesTest, AFileThatWentIsWrittenAnewWhole) {
    ASSERT_EQ(std::remove(Path.c_str()), 0);
    EXPECT_FALSE(List.ReloadIfChanged()) << "the list stays as it was";
    TRmMainDate added;
    added.Message = "三";
    List.Add(added, true);
    EXPECT_EQ(MessagesOnDisk(), (std::vector<std::string>{"一", "二", "三"}));
}

TEST(MapPositions, FollowsContentNotPlaces) {
    const auto make = [](const std::string& message, int hour = 9) {
        TRmMainDate record;
        record.Hour = hour;
        record.Message = message;
        return record;
    };
    const TRmMainDate a = make("a"), b = make("b"), c = make("c"), b2 = make("b", 10), c2 = make("c（改）");
    TRmMainDate aReminded = a;
    aReminded.Reminded = true;
    struct Row {
        const char* Name;
        std::vector<const TRmMainDate*> Before, After;
        TPositionMap Expected;
    };
    const std::vector<Row> rows = {
        {"unchanged", {&a, &b, &c}, {&a, &b, &c}, {0, 1, 2}},
        {"one inserted at the top", {&a, &b}, {&c, &a, &b}, {1, 2}},
        {"one removed", {&a, &b, &c}, {&a, &c}, {0, -1, 1}},
        {"reordered", {&a, &b, &c}, {&c, &b, &a}, {2, 1, 0}},
        {"text edited in place", {&a, &b, &c}, {&a, &b, &c2}, {0, 1, 2}},
        {"time changed in place is another reminder", {&a, &b, &c}, {&a, &b2, &c}, {0, -1, 2}},
        {"Reminded does not count", {&a}, {&aReminded}, {0}},
        {"equal reminders each find one", {&a, &a}, {&b, &a, &a}, {2, 1}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MapPositions(row.Before, row.After), row.Expected) << row.Name;
    }
}

} // namespace
} // namespace chimewell
