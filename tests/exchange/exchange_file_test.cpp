#include "exchange/exchange_file.h"

#include "data/child_process.h"
#include "data/code_page.h"
#include "data/temp_folder.h"
#include "editing/scripted_answers.h"
#include "exchange/sample_reminders.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace chimewell {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::WriteBytes;

// Five reminders in the data file of one folder; the fifth's IsLunar holds 2, as a hand-edited file may.
class ExchangeFileTest : public ::testing::Test {
protected:
    ExchangeFileTest() {
        testing::WriteDataFile(DataFile, testing::FiveSampleReminders());
        TIniFile ini(DataFile);
        ini.WriteString("Item5", "IsLunar", "2");
        ini.UpdateFile();
    }

    // A list of three in a second folder, to import into.
    std::string ThreeReminderDataFile() {
        const std::string path = Folder.File("other.sdt");
        const auto five = testing::FiveSampleReminders();
        testing::WriteDataFile(path, {five[0], five[2], five[3]});
        return path;
    }

    testing::TempFolder Folder;
    std::string DataFile = Folder.File("reminddata.sdt");
    testing::ScriptedAnswers Answers;
};

std::string Section(const std::string& name, const std::string& numbers, const std::string& texts) {
    return "[" + name + "]\r\n" + numbers + texts;
}

TEST_F(ExchangeFileTest, ExportsTheHeaderAndTheChosenReminders) {
    const std::string file = Folder.File("out.txt");
    ASSERT_TRUE(ExportReminders(DataFile, file, {2, 5}));
    const std::string expected =
        "[Divazu2.01]\r\nRemindCount=2\r\nComment=DataFile_Divazu2.01_QHS\r\n" +
        Section("Item1",
                "Year=2026\r\nMonth=12\r\nDay=22\r\nHour=8\r\nMinuter=2\r\nForward=0\r\nMethod=0\r\nIsLunar=0\r\n"
                "IsLeapMonth=0\r\nWithScript=0\r\nAutoExecScript=1\r\nReminded=0\r\n",
                "Music=/音乐/铃.mp3\r\nCommand=sShutDown\r\nMessage=下班了，关机\r\n") +
        Section("Item2",
                "Year=0\r\nMonth=13\r\nDay=6\r\nHour=0\r\nMinuter=0\r\nForward=5\r\nMethod=1\r\nIsLunar=2\r\n"
                "IsLeapMonth=0\r\nWithScript=0\r\nAutoExecScript=0\r\nReminded=1\r\n",
                "Music=\r\nCommand=\r\nMessage=扫墓 €5 a=b\r\n");
    EXPECT_EQ(ReadBytes(file), EncodeFileText(expected));
}

// What is exported and imported again exports to the same bytes: every line survives the round.
TEST_F(ExchangeFileTest, AnExportedFileImportsAndExportsAgainUnchanged) {
    const std::string first = Folder.File("first.txt");
    ASSERT_TRUE(ExportReminders(DataFile, first, {1, 2, 3, 4, 5}));
    const std::string empty = Folder.File("empty.sdt");
    Answers.BoxAnswers = {MessageAnswer::Ok};
    ASSERT_TRUE(ImportReminders(empty, first));
    const std::string second = Folder.File("second.txt");
    ASSERT_TRUE(ExportReminders(empty, second, {1, 2, 3, 4, 5}));
    EXPECT_EQ(ReadBytes(second), ReadBytes(first));
}

TEST_F(ExchangeFileTest, AnExistingFileIsNeverWrittenInto) {
    const std::string file = Folder.File("taken.txt");
    WriteBytes(file, "mine");
    EXPECT_FALSE(ExportReminders(DataFile, file, {1}));
    EXPECT_EQ(ReadBytes(file), "mine");
    fs::create_symlink(Folder.File("nowhere"), Folder.File("link.txt"));
    EXPECT_FALSE(ExportReminders(DataFile, Folder.File("link.txt"), {1}));
    EXPECT_FALSE(fs::exists(Folder.File("nowhere"))) << "nothing is created through a dangling link";
    EXPECT_THROW(ExportReminders(DataFile, Folder.File("no/such/folder.txt"), {1}), std::runtime_error);
}

TEST_F(ExchangeFileTest, ImportAppendsAfterTheListsRemindersKeepingTheirLines) {
    const std::string file = Folder.File("two.txt");
    ASSERT_TRUE(ExportReminders(DataFile, file, {2, 5}));
    const std::string target = ThreeReminderDataFile();
    const std::string before = ReadBytes(target);
    Answers.BoxAnswers = {MessageAnswer::Ok};
    ASSERT_TRUE(ImportReminders(target, file));

    const TIniFile data(target);
    const TIniFile exported(file);
    EXPECT_EQ(data.ReadInteger("Main", "Items", 0), 5);
    EXPECT_EQ(ReadExchangeItem(data, "Item4"), ReadExchangeItem(exported, "Item1"));
    EXPECT_EQ(ReadExchangeItem(data, "Item5"), ReadExchangeItem(exported, "Item2"));
    EXPECT_EQ(data.ReadString("Item5", "IsLunar", ""), "2") << "a flag arrives as the integer it holds";
    const std::string after = ReadBytes(target);
    EXPECT_EQ(after.substr(after.find("[Item1]"), before.size() - before.find("[Item1]")),
              before.substr(before.find("[Item1]")));
    const TRmDataList list = testing::LoadedList(target);
    ASSERT_EQ(list.Count, 5);
    EXPECT_EQ(list.Item(3).Message, "下班了，关机");
    EXPECT_EQ(list.Item(4).Message, "扫墓 €5 a=b");
}

// Warnings and intervals are the data file's and the calendar files': an exchange file keeps its 15 keys, and the
// export says what stayed behind. Reminders that come with them (from a calendar file) keep them in the data file.
TEST_F(ExchangeFileTest, WarningsAndIntervalsStayOutOfTheExchangeFileAndTheExportSaysSo) {
    TRmDataList list = testing::LoadedList(DataFile);
    TRmMainDate biweekly = list.Item(0);
    biweekly.Warnings = {{1, LeadUnit::Days}};
    biweekly.Every = RepeatUnit::Weeks;
    biweekly.EveryCount = 2;
    biweekly.StartDate = 20261207;
    list.Replace(list.Item(0), 0, biweekly);

    std::string notice = "stale";
    ASSERT_TRUE(ExportReminders(DataFile, Folder.File("plain.txt"), {2, 3}, &notice));
    EXPECT_EQ(notice, "");
    ASSERT_TRUE(ExportReminders(DataFile, Folder.File("with.txt"), {1, 2}, &notice));
    EXPECT_EQ(notice, ScheduleLeftBehindNotice);
    const std::string bytes = ReadBytes(Folder.File("with.txt"));
    for (const char* key : {"Warnings", "Interval", "StartDate", "UID"}) {
        EXPECT_EQ(bytes.find(key), std::string::npos) << key;
    }
    EXPECT_EQ(ReadImportFile(Folder.File("with.txt")).Items.at(0).Schedule, TRmSchedule{});

    // The item read from the data file carries them, and appending it writes them.
    const TExchangeItem item = ReadExchangeItem(TIniFile(DataFile), "Item1");
    EXPECT_EQ(item.Schedule, (TRmSchedule{{{1, LeadUnit::Days}}, RepeatUnit::Weeks, 2, 20261207, 0, 0}));
    const std::string target = ThreeReminderDataFile();
    AppendToDataFile(target, {item});
    const TRmMainDate appended = testing::LoadedList(target).Item(3);
    EXPECT_EQ(appended.Warnings, biweekly.Warnings);
    EXPECT_EQ(appended.Every, RepeatUnit::Weeks);
    EXPECT_EQ(appended.EveryCount, 2);
    EXPECT_EQ(appended.StartDate, 20261207);
}

// After a deletion the data file keeps the old last section beyond its count, and a hand-edited count may
// promise more sections than there are: the new reminders follow the real ones and replace what was there.
TEST_F(ExchangeFileTest, ImportReplacesStaleSectionsAndLeavesNoGap) {
    const std::string target = Folder.File("stale.sdt");
    WriteBytes(target,
               "[Main]\r\nItems=9\r\n[Item1]\r\nMessage=one\r\n[Item2]\r\nMessage=old\r\nHour=23\r\nMusic=x\r\n");
    const std::string file = Folder.File("one.txt");
    WriteBytes(file, "[Divazu2.01]\r\nRemindCount=1\r\n[Item1]\r\nMessage=new\r\n");
    ASSERT_TRUE(ImportReminders(target, file));
    const TRmDataList list = testing::LoadedList(target);
    ASSERT_EQ(list.Count, 3);
    EXPECT_EQ(list.Item(2).Message, "new");
    EXPECT_EQ(list.Item(2).Hour, 0);
    EXPECT_EQ(list.Item(2).Music, "");
}

TEST_F(ExchangeFileTest, AFileWithoutRemindersChangesNothingAndSaysSo) {
    const std::string before = ReadBytes(DataFile);
    for (const char* text :
         {"[Other]\r\nRemindCount=2\r\n[Item1]\r\nMessage=x\r\n",
          "[Divazu2.01]\r\nRemindCount=0\r\n[Item1]\r\nMessage=x\r\n",
          "[Divazu2.01]\r\nRemindCount=-4\r\n[Item1]\r\nMessage=x\r\n",
          "[Divazu2.01]\r\nRemindCount=two\r\n[Item1]\r\nMessage=x\r\n", "[Divazu2.01]\r\nRemindCount=3\r\n", ""}) {
        WriteBytes(Folder.File("in.txt"), text);
        Answers.Boxes.clear();
        EXPECT_FALSE(ImportReminders(DataFile, Folder.File("in.txt"))) << text;
        ASSERT_EQ(Answers.Boxes.size(), 1U) << text;
        EXPECT_EQ(Answers.Boxes[0].Title, "导入失败");
        EXPECT_EQ(Answers.Boxes[0].Text, "导入文件中没有任何提醒！");
    }
    EXPECT_EQ(ReadBytes(DataFile), before);
}

// A count beyond the sections stops at the last section; a section missing below it is an all-zero reminder.
TEST_F(ExchangeFileTest, TheCountIsHeldToTheSectionsTheFileHas) {
    WriteBytes(Folder.File("in.txt"),
               "[Divazu2.01]\r\nRemindCount=2000000000\r\n[Item1]\r\nMessage=a\r\n[Item3]\r\nMessage=c\r\n");
    const TImportFile file = ReadImportFile(Folder.File("in.txt"));
    ASSERT_EQ(file.Items.size(), 3U);
    EXPECT_EQ(file.Items[1], TExchangeItem{});
    EXPECT_EQ(file.Items[2].Message, "c");
}

TEST_F(ExchangeFileTest, ImportFilesAreReadInEveryCodePageTheDataFileIs) {
    const std::string text = "[Divazu2.01]\nRemindCount=1\n[Item1]\nMonth=10\nMessage=生日快乐\n";
    WriteBytes(Folder.File("utf8.txt"), text);
    WriteBytes(Folder.File("bom.txt"), "\xEF\xBB\xBF" + text);
    WriteBytes(Folder.File("gbk.txt"), EncodeFileText(text));
    for (const char* name : {"utf8.txt", "bom.txt", "gbk.txt"}) {
        const TImportFile file = ReadImportFile(Folder.File(name));
        ASSERT_EQ(file.Items.size(), 1U) << name;
        EXPECT_EQ(file.Items[0].Message, "生日快乐") << name;
        EXPECT_EQ(file.Items[0].Numbers[1], 10) << name;
    }
}

TEST_F(ExchangeFileTest, FilesThatCannotBeReadAreRefusedByName) {
    fs::create_directory(Folder.File("folder.txt"));
    ASSERT_EQ(mkfifo(Folder.File("fifo.txt").c_str(), 0600), 0);
    WriteBytes(Folder.File("huge.txt"), "[Divazu2.01]\r\nRemindCount=1\r\n");
    ASSERT_EQ(truncate(Folder.File("huge.txt").c_str(), 64 * 1024 * 1024 + 1), 0);
    const std::string before = ReadBytes(DataFile);
    for (const char* name : {"folder.txt", "fifo.txt", "huge.txt", "missing.txt"}) {
        Answers.Boxes.clear();
        EXPECT_FALSE(ImportReminders(DataFile, Folder.File(name)));
        ASSERT_EQ(Answers.Boxes.size(), 1U) << name;
        EXPECT_EQ(Answers.Boxes[0].Title, "导入失败");
        EXPECT_NE(Answers.Boxes[0].Text.find("“" + Folder.File(name) + "”"), std::string::npos)
            << Answers.Boxes[0].Text;
        EXPECT_EQ(Answers.Boxes[0].Text.find("64 MB") != std::string::npos, std::string(name) == "huge.txt");
    }
    EXPECT_EQ(ReadBytes(DataFile), before);
}

TEST_F(ExchangeFileTest, RemindersWithCommandsAreListedAndImportedOnlyOnOk) {
    WriteBytes(Folder.File("in.txt"),
               "[Divazu2.01]\r\nRemindCount=3\r\n[Item1]\r\nMessage=生日\r\n"
               "[Item2]\r\nMessage=下班\r\nCommand=sShutDown\r\n"
               "[Item3]\r\nMessage=看网页\r\nCommand=uhttps://example.org\r\nAutoExecScript=0\r\n");
    const std::string before = ReadBytes(DataFile);
    Answers.BoxAnswers = {MessageAnswer::Cancel};
    EXPECT_FALSE(ImportReminders(DataFile, Folder.File("in.txt")));
    EXPECT_EQ(ReadBytes(DataFile), before) << "Cancel imports nothing, not even the reminder without a command";
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_EQ(Answers.Boxes[0].Kind, MessageKind::Caution) << "the safe answer is the default";
    const std::string& text = Answers.Boxes[0].Text;
    EXPECT_NE(text.find("到时自动执行：\n2. 下班 —— 关机"), std::string::npos) << text;
    EXPECT_NE(text.find("提醒时点「执行命令」才执行：\n3. 看网页 —— 打开 https://example.org"), std::string::npos);
    EXPECT_EQ(text.find("生日"), std::string::npos);

    Answers.BoxAnswers = {MessageAnswer::Ok};
    EXPECT_TRUE(ImportReminders(DataFile, Folder.File("in.txt")));
    EXPECT_EQ(testing::LoadedList(DataFile).Count, 8);
}

// Tried: a file of 1,000,000 reminders imported 100,000 into an empty list and said it had succeeded.
TEST_F(ExchangeFileTest, AFileWithMoreRemindersThanAListHoldsIsRefusedWhole) {
    std::string bytes = "[Divazu2.01]\r\nRemindCount=" + std::to_string(MaxDataItems + 1) + "\r\n";
    for (int i = 1; i <= MaxDataItems + 1; ++i) {
        bytes += "[Item" + std::to_string(i) + "]\r\n";
    }
    WriteBytes(Folder.File("huge.txt"), bytes);
    const std::string before = ReadBytes(DataFile);
    EXPECT_FALSE(ImportReminders(DataFile, Folder.File("huge.txt")));
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_EQ(Answers.Boxes[0].Title, "导入失败");
    EXPECT_NE(Answers.Boxes[0].Text.find("其中有 100001 条提醒"), std::string::npos) << Answers.Boxes[0].Text;
    EXPECT_EQ(ReadBytes(DataFile), before);
}

// Tried: a command of a harmless head, 120 blanks and "; rm -rf ~" showed only its head, cut at 100 characters.
TEST(ExchangeCommandQuestion, ACommandThatRunsByItselfIsShownWholeWithItsBlanksVisible) {
    std::vector<TExchangeItem> items(2);
    items[0].Message = "备份";
    items[0].Command = "cbash -c 'echo 每日备份完成" + std::string(120, ' ') + "; rm -rf ~'";
    items[0].Numbers[ExchangeAutoExecScriptKey] = 1;
    items[1].Message = "按钮";
    items[1].Command = "c" + std::string(150, 'x') + "\xE2\x80\xAE";
    const std::string text = CommandQuestionText("/x.txt", items);
    EXPECT_NE(text.find("〔120个空白〕"), std::string::npos) << text;
    EXPECT_NE(text.find("; rm -rf ~'"), std::string::npos) << text;
    EXPECT_NE(text.find(std::string(60, 'x') + "\n"), std::string::npos) << "wrapped: " << text;
    EXPECT_NE(text.find(std::string(30, 'x') + "〔U+202E〕"), std::string::npos)
        << "a button's command whole too: " << text;
    std::vector<TExchangeItem> hidden(1);
    hidden[0].Command = "cecho\xE2\x80\xAE"
                        "fdp.exe";
    hidden[0].Numbers[ExchangeAutoExecScriptKey] = 1;
    EXPECT_NE(CommandQuestionText("/x.txt", hidden).find("〔U+202E〕"), std::string::npos)
        << "a mark that turns the text round is named";
}

// Tried: twelve commands for a button and a thirteenth that runs by itself; the question listed the twelve and
// hid the one that mattered behind "另有 1 条".
TEST(ExchangeCommandQuestion, EveryCommandIsListedAndThoseThatRunByThemselvesComeFirst) {
    std::vector<TExchangeItem> items(13);
    for (std::size_t k = 0; k < 12; ++k) {
        items[k].Message = "按钮 " + std::to_string(k);
        items[k].Command = "uhttps://example.org/" + std::to_string(k);
    }
    items[12].Message = "悄悄的";
    items[12].Command = "c/usr/bin/echo safe\xC2\xAD\xD8\x9C\xE3\x80\x80\xF3\xA0\x81\x81\xF3\xA0\x81\x82\xEF\xB8\x8F"
                        "\xE1\xA0\x8E\xE2\xA0\x80 end; touch /tmp/owned";
    items[12].Numbers[ExchangeAutoExecScriptKey] = 1;
    const std::string text = CommandQuestionText("/x.txt", items);
    EXPECT_NE(text.find("其中 1 条到时不经你同意就会自动执行"), std::string::npos) << text;
    const std::size_t automatic = text.find("到时自动执行：\n13. 悄悄的");
    ASSERT_NE(automatic, std::string::npos) << text;
    EXPECT_LT(automatic, text.find("1. 按钮 0")) << "the one that runs by itself first";
    for (const char* code : {"〔U+00AD〕", "〔U+061C〕", "〔U+3000〕", "〔U+E0041〕", "〔U+E0042〕", "〔U+FE0F〕",
                             "〔U+180E〕", "〔U+2800〕"}) {
        EXPECT_NE(text.find(code), std::string::npos) << code << " in " << text;
    }
    EXPECT_NE(text.find("; touch /tmp/owned"), std::string::npos);
    for (std::size_t k = 0; k < 12; ++k) {
        EXPECT_NE(text.find("example.org/" + std::to_string(k) + "\n"), std::string::npos) << k;
    }
    EXPECT_EQ(text.find("另有"), std::string::npos);
    // A mark that would join the quote before it is named when it begins a command.
    std::vector<TExchangeItem> joined(1);
    joined[0].Command = "c\xCC\x81rm";
    EXPECT_NE(CommandQuestionText("/x.txt", joined).find("〔U+0301〕"), std::string::npos);
}

// By the character's category, not by a list of the usual suspects: marks that begin the text in any script,
// the joiners and selectors that draw nothing anywhere, code points not assigned yet; what draws, drawn.
TEST(ExchangeCommandQuestion, HiddenCharactersAreFoundByTheirCategory) {
    struct Case {
        const char* Text;
        const char* Shown;
    };
    for (const Case& one : {
             Case{"\u05BFrm", "〔U+05BF〕rm"},      // Hebrew point at the start
             Case{"\u093Crm", "〔U+093C〕rm"},      // Devanagari nukta
             Case{"\u0E31rm", "〔U+0E31〕rm"},      // Thai vowel sign
             Case{"\u0915\u093C", "\u0915\u093C"},  // the same nukta after its letter draws
             Case{"a\u034Fb", "a〔U+034F〕b"},      // the grapheme joiner
             Case{"a\U000E01EFb", "a〔U+E01EF〕b"}, // a variation selector of the supplement
             Case{"a\u0378b", "a〔U+0378〕b"},      // not assigned
             Case{"a\u2065b", "a〔U+2065〕b"},      // not assigned, among the invisible operators
             Case{"echo 晴铃 ok", "echo 晴铃 ok"},
         }) {
        EXPECT_EQ(VisibleCommand(one.Text), one.Shown) << one.Text;
    }
}

// Run as a user who may not write the folder: the import fails at its one write, and the file is whole.
TEST_F(ExchangeFileTest, AFailedWriteLeavesTheDataFileAsItWas) {
    const std::string file = Folder.File("one.txt");
    WriteBytes(file, "[Divazu2.01]\r\nRemindCount=1\r\n[Item1]\r\nMessage=new\r\n");
    const std::string before = ReadBytes(DataFile);
    fs::permissions(Folder.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(DataFile, fs::perms::others_read, fs::perm_options::add);
    fs::permissions(file, fs::perms::others_read, fs::perm_options::add);
    const int outcome = testing::RunUnprivileged([&] {
        try {
            ImportReminders(DataFile, file);
            return 1;
        } catch (const std::runtime_error& error) {
            return std::string(error.what()) == "Unable to write to " + DataFile ? 0 : 2;
        }
    });
    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(ReadBytes(DataFile), before);
}

} // namespace
} // namespace chimewell
