#include "data/text_helpers.h"

#include <gtest/gtest.h>

#include <climits>

namespace chimewell {
namespace {

TEST(StartsEndsWith, AreByteExactAndRefuseEmptyTexts) {
    EXPECT_TRUE(StartsWith("sShutDown", "s"));
    EXPECT_FALSE(StartsWith("SShutDown", "s"));
    EXPECT_FALSE(StartsWith("ab", "abc"));
    EXPECT_FALSE(StartsWith("", ""));
    EXPECT_FALSE(StartsWith("abc", ""));
    EXPECT_TRUE(StartsWith("晴铃", "晴"));
    EXPECT_TRUE(EndsWith("song.mp3", ".mp3"));
    EXPECT_FALSE(EndsWith("song.MP3", ".mp3"));
    EXPECT_FALSE(EndsWith("abc", ""));
    EXPECT_FALSE(EndsWith("c", "bc"));
}

TEST(FindText, GivesCharacterPositions) {
    EXPECT_EQ(FindText("abc", "c"), 3);
    EXPECT_EQ(FindText("abc", "a"), 1);
    EXPECT_EQ(FindText("", "a"), -1);
    EXPECT_EQ(FindText("abc", "d"), -1);
    EXPECT_EQ(FindText("abc", ""), -1);
    EXPECT_EQ(FindText("abcabc", "bc"), 2);
    // Two Chinese characters before the dollar are two positions, not six bytes.
    EXPECT_EQ(FindText("晴铃$x", "$"), 3);
    EXPECT_EQ(FindText("晴铃提醒", "提醒"), 3);
}

TEST(TailFrom, CutsAtCharactersNeverInsideOne) {
    EXPECT_EQ(TailFrom("abc", 4), "");
    EXPECT_EQ(TailFrom("abc", 1), "abc");
    EXPECT_EQ(TailFrom("abc", 3), "c");
    EXPECT_EQ(TailFrom("abc", 0), "abc");
    EXPECT_EQ(TailFrom("", 1), "");
    EXPECT_EQ(TailFrom("c", 2), "");
    EXPECT_EQ(TailFrom("晴铃提醒", 2), "铃提醒");
    EXPECT_EQ(TailFrom("o/home/晴/a.txt", 2), "/home/晴/a.txt");
    // FindText and TailFrom agree on positions in mixed text.
    const std::string text = "一二$三";
    EXPECT_EQ(TailFrom(text, FindText(text, "$") + 1), "三");
}

TEST(CharacterCount, CountsCharacters) {
    EXPECT_EQ(CharacterCount(""), 0);
    EXPECT_EQ(CharacterCount("a晴b"), 3);
    EXPECT_EQ(CharacterCount("😀"), 1);
}

struct PadRow {
    const char* name;
    int n;
    int width;
    const char* zeroPad;
    const char* chinesePadded;
};

class PadTable : public testing::TestWithParam<PadRow> {};

TEST_P(PadTable, PadsAndWritesChineseDigits) {
    const PadRow& row = GetParam();
    EXPECT_EQ(ZeroPad(row.n, row.width), row.zeroPad);
    EXPECT_EQ(ChineseDigitsPadded(row.n, row.width), row.chinesePadded);
}

INSTANTIATE_TEST_SUITE_P(Rows, PadTable,
                         testing::Values(PadRow{"NegativeFilledBeforeSign", -5, 3, "-005", "○○五"},
                                         PadRow{"Zero", 0, 2, "00", "○○"},
                                         PadRow{"WiderThanWidth", 2025, 2, "2025", "二○二五"},
                                         PadRow{"NoWidth", 7, 0, "7", "七"}, PadRow{"NegativeWidth", 7, -3, "7", "七"},
                                         PadRow{"MostNegative", INT_MIN, 1, "-2147483648", "二一四七四八三六四八"}),
                         [](const testing::TestParamInfo<PadRow>& rowInfo) { return rowInfo.param.name; });

TEST(ChineseDigits, WritesEveryDigitAndDropsTheSign) {
    EXPECT_EQ(ChineseDigits(1924), "一九二四");
    EXPECT_EQ(ChineseDigits(2006), "二○○六");
    EXPECT_EQ(ChineseDigits(0), "○");
    EXPECT_EQ(ChineseDigits(-30), "三○");
}

} // namespace
} // namespace chimewell
