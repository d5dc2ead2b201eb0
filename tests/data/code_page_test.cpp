#include "data/code_page.h"

#include <gtest/gtest.h>
#include <iconv.h>

namespace chimewell {
namespace {

// How a byte that no code page reads travels through the program: U+DC80 + (byte - 0x80).
std::string Escaped(unsigned char byte) {
    const unsigned codePoint = 0xDC00U + byte;
    return {static_cast<char>(0xE0U | (codePoint >> 12)), static_cast<char>(0x80U | ((codePoint >> 6) & 0x3FU)),
            static_cast<char>(0x80U | (codePoint & 0x3FU))};
}

struct DecodeCase {
    const char* Name;
    std::string Bytes;
    std::string Text;
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, GivesProgramText) {
    EXPECT_EQ(DecodeFileText(GetParam().Bytes), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, DecodeTest,
    ::testing::Values(DecodeCase{"Ascii", "Items=1\r\n", "Items=1\r\n"},
                      DecodeCase{"Gbk", "Message=\xC9\xFA\xC8\xD5\r\n", "Message=生日\r\n"},
                      DecodeCase{"GbkTrailByteLooksLikeBracket", "[\xC9\x5B]", "[蒣]"},
                      DecodeCase{"FourByteGb18030", "\x94\x39\xFC\x36", "😀"},
                      DecodeCase{"EuroAsSingleByteOfOlderCodePage",
                                 "\x80"
                                 "5",
                                 "€5"},
                      DecodeCase{"EuroInGb18030", "\xA2\xE3", "€"},
                      DecodeCase{"InvalidByteIsCarried",
                                 "A\xFF"
                                 "B",
                                 "A" + Escaped(0xFF) + "B"},
                      DecodeCase{"LeadByteCutOffByLineEnd", "\xC9\r\nX", Escaped(0xC9) + "\r\nX"},
                      DecodeCase{"LeadByteCutOffByFileEnd", "ab\xC9", "ab" + Escaped(0xC9)},
                      DecodeCase{"Utf8ByteOrderMark", "\xEF\xBB\xBF生日\xFF", "生日" + Escaped(0xFF)},
                      DecodeCase{"Utf8WrittenByALinuxEditor", "Message=复盘\r\n", "Message=复盘\r\n"},
                      DecodeCase{"GbkThatIsNotUtf8", "Message=\xB8\xB4\xC5\xCC\r\n", "Message=复盘\r\n"},
                      DecodeCase{"Gb18030ByteOrderMarkDropped",
                                 "\x84\x31\x95\x33"
                                 "a",
                                 "a"}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST(EncodeTest, WritesGb18030) {
    EXPECT_EQ(EncodeFileText("Message=生日\r\n"), "Message=\xC9\xFA\xC8\xD5\r\n");
    EXPECT_EQ(EncodeFileText("😀𠀀"), "\x94\x39\xFC\x36\x95\x32\x82\x36");
    // The euro sign as GBK and the older code page hold it; GB18030 alone would write A2 E3, which they cannot read.
    EXPECT_EQ(EncodeFileText("€"), "\x80");
}

// Whatever a file holds comes back byte for byte when its text is written again unchanged: bytes no code page
// reads, the one-byte euro sign, characters only GB18030 has, a lead byte cut off by the end of the line.
TEST(EncodeTest, DecodedTextEncodesToTheSameBytes) {
    const std::string bytes = "Message=\xFF\x80\xC9\xFA\x94\x39\xFC\x36\xC9\r\nA\xA2\xE3\xFE\r\n";
    const std::string text = DecodeFileText(bytes);
    EXPECT_EQ(EncodeFileText(text), "Message=\xFF\x80\xC9\xFA\x94\x39\xFC\x36\xC9\r\nA\x80\xFE\r\n")
        << "only the two-byte euro takes the one-byte form";
    EXPECT_EQ(EncodeFileText(DecodeFileText(EncodeFileText(text))), EncodeFileText(text));
}

TEST(DetectTextEncodingTest, Utf8OnlyWhenWholeAndMultibyte) {
    EXPECT_EQ(DetectTextEncoding("Items=1\r\n"), TextEncoding::Gb18030);
    EXPECT_EQ(DetectTextEncoding("Message=复盘"), TextEncoding::Utf8);
    EXPECT_EQ(DetectTextEncoding("\xEF\xBB\xBF\xFF"), TextEncoding::Utf8) << "the byte-order mark decides";
    EXPECT_EQ(DetectTextEncoding("复盘\xFF"), TextEncoding::Gb18030);
    EXPECT_EQ(DetectTextEncoding("\xC0\x80"), TextEncoding::Gb18030) << "overlong forms are not UTF-8";
    EXPECT_EQ(DetectTextEncoding("\xED\xA0\x80"), TextEncoding::Gb18030) << "nor are surrogates";
}

TEST(EncodeTest, WhatGb18030CannotHoldBecomesOneReplacementCharacter) {
    EXPECT_EQ(EncodeFileText("a\xC3"
                             "b"),
              "a\x84\x31\xA4\x37"
              "b");
    EXPECT_EQ(EncodeFileText("\uE78D!"), "\x84\x31\xA4\x37!");
    EXPECT_EQ(EncodeFileText("\xE7\x94"), "\x84\x31\xA4\x37\x84\x31\xA4\x37");
}

std::string Utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

bool IsPrivateUse(char32_t c) {
    return c >= 0xE000 && c <= 0xF8FF;
}

// Every character comes back from the disk as it went, and a character that GBK has is stored and read exactly
// as GBK stores it, so files written by the older program read right. Private-use code points are checked only
// where GBK has them: GB18030 gives a few of them no bytes. The euro sign is left to the cases above, since
// glibc's GBK puts it at 0x80 and GB18030 at A2 E3.
TEST(CodePageSweep, EveryCharacterRoundTripsAndGbkCharactersKeepTheirBytes) {
    iconv_t toGbk = iconv_open("GBK", "UTF-8");
    ASSERT_NE(toGbk, reinterpret_cast<iconv_t>(-1));
    std::string all;
    std::string gbkText;
    std::string gbkBytes;
    for (char32_t c = 1; c <= 0x10FFFF; c += (c < 0x10000 ? 1 : 97)) {
        if ((c >= 0xD800 && c <= 0xDFFF) || c == 0xFEFF || c == '\r' || c == '\n' || c == 0x20AC) {
            continue;
        }
        const std::string text = Utf8Of(c);
        if (!IsPrivateUse(c)) {
            all += text;
        }
        if (c < 0x80 || c > 0xFFFF) {
            continue;
        }
        char gbk[8];
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* out = gbk;
        std::size_t outLeft = sizeof gbk;
        if (iconv(toGbk, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) {
            gbkText += text;
            gbkBytes.append(gbk, static_cast<std::size_t>(out - gbk));
        }
    }
    iconv_close(toGbk);
    EXPECT_GT(gbkText.size(), 21000u * 3);
    EXPECT_TRUE(EncodeFileText(gbkText) == gbkBytes);
    EXPECT_TRUE(DecodeFileText(gbkBytes) == gbkText);
    EXPECT_TRUE(DecodeFileText(EncodeFileText(all)) == all);
}

TEST(SplitLinesTest, TakesEveryLineBreakAndNoPhantomLastLine) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\r\n"), (Lines{""}));
    EXPECT_EQ(SplitLines(""), Lines{});
}

} // namespace
} // namespace chimewell
