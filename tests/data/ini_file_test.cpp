#include "data/ini_file.h"
#include "data/text_helpers.h"

#include "temp_folder.h"

#include <gtest/gtest.h>
#include <limits>

namespace chimewell {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

struct IntegerCase {
    const char* Name;
    const char* Stored;
    std::int32_t Expected;
};

constexpr std::int32_t Fallback = -77;

class IntegerRuleTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerRuleTest, ReadsStoredText) {
    EXPECT_EQ(IniTextToInteger(GetParam().Stored, Fallback), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IntegerRuleTest,
    ::testing::Values(IntegerCase{"Decimal", "42", 42}, IntegerCase{"Negative", "-5", -5}, IntegerCase{"Plus", "+7", 7},
                      IntegerCase{"ZeroXPrefix", "0x1F", 31}, IntegerCase{"ZeroUpperXPrefix", "0X1f", 31},
                      IntegerCase{"DollarPrefix", "$10", 16}, IntegerCase{"ZeroXAloneIsNotHex", "0x", Fallback},
                      IntegerCase{"DollarAlone", "$", Fallback}, IntegerCase{"TrailingLetters", "12abc", Fallback},
                      IntegerCase{"Word", "yes", Fallback}, IntegerCase{"Empty", "", Fallback},
                      IntegerCase{"InnerBlank", "1 2", Fallback}, IntegerCase{"SignBeforeHex", "-0x10", Fallback},
                      IntegerCase{"SignAfterHexPrefix", "0x-1", Fallback},
                      IntegerCase{"Largest", "2147483647", std::numeric_limits<std::int32_t>::max()},
                      IntegerCase{"Smallest", "-2147483648", std::numeric_limits<std::int32_t>::min()},
                      IntegerCase{"DecimalOverflow", "2147483648", Fallback},
                      IntegerCase{"HexAllBitsIsMinusOne", "$FFFFFFFF", -1},
                      IntegerCase{"HexOverflow", "$100000000", Fallback}),
    [](const auto& row) { return std::string(row.param.Name); });

class IniFileTest : public ::testing::Test {
protected:
    TIniFile FileWith(std::string_view bytes) {
        WriteBytes(Path, bytes);
        return TIniFile(Path);
    }

    TempFolder Folder;
    std::string Path = Folder.File("test.ini");
};

// Written by hand on Windows: GBK, CR LF, names in odd case, blanks, a comment, stray lines and repeats.
constexpr std::string_view HandWritten = "; my reminders\r\n"
                                         "Orphan=before any section\r\n"
                                         "[main]\r\n"
                                         "  ITEMS = 2 \r\n"
                                         "this line means nothing\r\n"
                                         "\r\n"
                                         "[ Item1 ]\r\n"
                                         "Message=\xC9\xFA\xC8\xD5\r\n"
                                         "message=second\r\n"
                                         "Flag=5\r\n"
                                         "Minus=-1\r\n"
                                         "Zero=0\r\n"
                                         "Word=yes\r\n"
                                         "[Item1]\r\n"
                                         "Later=ignored, the first section counts\r\n";

TEST_F(IniFileTest, ReadsHandWrittenGbkFile) {
    const TIniFile ini = FileWith(HandWritten);
    EXPECT_EQ(ini.ReadInteger("Main", "Items", 0), 2);
    EXPECT_EQ(ini.ReadString("ITEM1", "Message", ""), "生日");
    EXPECT_EQ(ini.ReadString("Item1", "Later", "none"), "none");
    EXPECT_EQ(ini.ReadString("", "Orphan", "none"), "none");
    EXPECT_EQ(ini.ReadString("Main", "this line means nothing", "none"), "none");
    EXPECT_TRUE(ini.SectionExists("item1"));
    EXPECT_FALSE(ini.SectionExists("Item2"));
}

TEST_F(IniFileTest, FlagRules) {
    const TIniFile ini = FileWith(HandWritten);
    EXPECT_TRUE(ini.ReadBool("Item1", "Flag", false));
    EXPECT_TRUE(ini.ReadBool("Item1", "Minus", false));
    EXPECT_FALSE(ini.ReadBool("Item1", "Zero", true));
    EXPECT_FALSE(ini.ReadBool("Item1", "Word", false));
    EXPECT_TRUE(ini.ReadBool("Item1", "Word", true));
    EXPECT_TRUE(ini.ReadBool("Item1", "Missing", true));
    EXPECT_FALSE(ini.ReadBool("Nowhere", "Missing", false));
}

TEST_F(IniFileTest, MissingFileReadsDefaultsAndFirstWriteCreatesIt) {
    TIniFile ini(Path);
    EXPECT_EQ(ini.ReadString("Main", "Items", "x"), "x");
    EXPECT_EQ(ini.ReadInteger("Main", "Items", 7), 7);
    ini.WriteInteger("Main", "Items", 1);
    ini.WriteString("Item1", "Music", "");
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(Path), "[Main]\r\nItems=1\r\n[Item1]\r\nMusic=\r\n");
}

TEST_F(IniFileTest, LongValuesAreCutToWholeCharacters) {
    TIniFile ini(Path);
    ini.WriteString("S", "Ascii", std::string(3000, 'a'));
    std::string chinese;
    for (int i = 0; i < 3000; ++i) {
        chinese += i % 2 == 0 ? "中" : "😀";
    }
    ini.WriteString("S", "Chinese", chinese);
    ini.UpdateFile();
    const TIniFile reread(Path);
    EXPECT_EQ(reread.ReadString("S", "Ascii", ""), std::string(2047, 'a'));
    const std::string cut = reread.ReadString("S", "Chinese", "");
    EXPECT_EQ(cut, FirstCharacters(chinese, 2047));
    EXPECT_EQ(cut.size(), 1024u * 3 + 1023u * 4);
}

TEST_F(IniFileTest, WritingOneKeyLeavesEverythingElse) {
    TIniFile ini = FileWith(HandWritten);
    ini.WriteString("ITEM1", "MESSAGE", "开会");
    ini.WriteInteger("Main", "Added", 3);
    ini.WriteString("New", "Key", "v");
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(Path), "; my reminders\r\n"
                               "Orphan=before any section\r\n"
                               "[main]\r\n"
                               "  ITEMS = 2 \r\n"
                               "Added=3\r\n"
                               "this line means nothing\r\n"
                               "\r\n"
                               "[ Item1 ]\r\n"
                               "Message=\xBF\xAA\xBB\xE1\r\n"
                               "message=second\r\n"
                               "Flag=5\r\n"
                               "Minus=-1\r\n"
                               "Zero=0\r\n"
                               "Word=yes\r\n"
                               "[Item1]\r\n"
                               "Later=ignored, the first section counts\r\n"
                               "[New]\r\n"
                               "Key=v\r\n");
}

// Bytes that no code page reads, the older code page's one-byte euro, a character only GB18030 has and a line
// with no "=": a save that writes one key of another section must give all of them back as they were.
TEST_F(IniFileTest, ASaveKeepsEveryLineItDoesNotChangeByteForByte) {
    const std::string untouched = "[Main]\r\n"
                                  "Items=2\r\n"
                                  "[Item1]\r\n"
                                  "Message=\xFF\xC9\xFA \x80 5\r\n"
                                  "Music=\x94\x39\xFC\x36\xC9\r\n"
                                  "a note without an equals sign \xFE\r\n"
                                  "Command=\xA2\xE3\r\n";
    TIniFile ini = FileWith(untouched + "[Item2]\r\nMessage=old\r\n");
    EXPECT_EQ(ini.ReadString("Item1", "Message", "").substr(6), " € 5");
    ini.WriteString("Item2", "Message", "新 €");
    ini.WriteString("Item2", "Music", ini.ReadString("Item1", "Music", ""));
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(Path), untouched + "[Item2]\r\nMessage=\xD0\xC2 \x80\r\nMusic=\x94\x39\xFC\x36\xC9\r\n")
        << "even a value moved to another section keeps its bytes";
}

TEST_F(IniFileTest, LineEndsBecomeCrLfAndLinesKeepTheirBytes) {
    TIniFile ini = FileWith("[Main]\nItems=1\n[Item1]\rMessage=\xFF\n[Other]\nKey=1");
    ini.WriteInteger("Main", "Items", 2);
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(Path), "[Main]\r\nItems=2\r\n[Item1]\r\nMessage=\xFF\r\n[Other]\r\nKey=1\r\n");
}

// A file a Linux text editor saved in UTF-8 reads right, and a save writes it back whole in GB18030.
TEST_F(IniFileTest, Utf8FileIsReadAsUtf8AndSavedInGb18030) {
    TIniFile ini = FileWith("\xEF\xBB\xBF[Main]\nItems=1\n[Item1]\nMessage=复盘\n; 备注\n");
    EXPECT_EQ(ini.ReadInteger("Main", "Items", 0), 1) << "the byte-order mark is not part of the first header";
    EXPECT_EQ(ini.ReadString("Item1", "Message", ""), "复盘");
    ini.WriteInteger("Main", "Items", 1);
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(Path), "[Main]\r\nItems=1\r\n[Item1]\r\nMessage=\xB8\xB4\xC5\xCC\r\n; \xB1\xB8\xD7\xA2\r\n");
}

// Found by the fuzzer: an editor had written the byte-order mark twice, so the first header went unseen, and
// the save, dropping the marks, made it a header after all.
TEST_F(IniFileTest, RepeatedByteOrderMarksAreNotPartOfTheFirstHeader) {
    TIniFile ini = FileWith("\xEF\xBB\xBF\xEF\xBB\xBF[Main]\nItems=2\n");
    EXPECT_EQ(ini.ReadInteger("Main", "Items", 0), 2);
    ini.WriteInteger("Main", "Items", 7);
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(Path), "[Main]\r\nItems=7\r\n");
}

// Found by the fuzzer: GB18030 bytes that all happen to form UTF-8 (here 蠂, CF 87, which UTF-8 reads as χ)
// would be read as UTF-8 after the save, and the next save would turn every line into other characters.
TEST_F(IniFileTest, ASaveThatLooksLikeUtf8IsMarkedAsGb18030) {
    TIniFile ini(Path);
    ini.WriteString("Config", "UserName", "蠂");
    ini.UpdateFile();
    const std::string saved = ReadBytes(Path);
    EXPECT_EQ(saved, "[Config]\r\nUserName=\xCF\x87\r\n; \xB1\xE0\xC2\xEB\xA3\xBAGB18030\r\n");
    TIniFile again(Path);
    EXPECT_EQ(again.ReadString("Config", "UserName", ""), "蠂");
    again.WriteString("Config", "UserCorp", "x");
    again.UpdateFile();
    EXPECT_EQ(TIniFile(Path).ReadString("Config", "UserName", ""), "蠂");
}

TEST_F(IniFileTest, LineBreakInValueCannotForgeKeysOrSections) {
    TIniFile ini(Path);
    ini.WriteString("Item1", "Message", "a\r\n[Evil]\nItems=999");
    ini.UpdateFile();
    const TIniFile reread(Path);
    EXPECT_FALSE(reread.SectionExists("Evil"));
    EXPECT_EQ(reread.ReadString("Item1", "Message", ""), "a  [Evil] Items=999");
}

TEST_F(IniFileTest, CharactersOutsideGbkSurviveSaveAndLoad) {
    TIniFile ini(Path);
    ini.WriteString("Item1", "Message", "生日快乐😀𠀀");
    ini.UpdateFile();
    EXPECT_EQ(TIniFile(Path).ReadString("Item1", "Message", ""), "生日快乐😀𠀀");
}

TEST_F(IniFileTest, UnreadableFileIsNeverOverwritten) {
    std::filesystem::create_directory(Path);
    TIniFile ini(Path);
    EXPECT_TRUE(ini.ReadFailed());
    EXPECT_EQ(ini.ReadFailureText(), "这是一个文件夹");
    EXPECT_EQ(ini.ReadInteger("Main", "Items", 4), 4);
    ini.WriteInteger("Main", "Items", 1);
    try {
        ini.UpdateFile();
        FAIL() << "a folder was taken for a file";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + Path);
    }
    EXPECT_TRUE(std::filesystem::is_directory(Path));
}

} // namespace
} // namespace chimewell
