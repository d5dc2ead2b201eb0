#include "exchange/search.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace chimewell {
namespace {

using ::testing::ElementsAre;

TEST(SearchHistory, KeepsOneEntryPerTextInTheOrderFirstSearched) {
    std::vector<std::string> history;
    EXPECT_FALSE(AddSearchHistory(history, ""));
    EXPECT_TRUE(AddSearchHistory(history, "提醒"));
    EXPECT_TRUE(AddSearchHistory(history, "abc"));
    EXPECT_FALSE(AddSearchHistory(history, "提醒"));
    EXPECT_TRUE(AddSearchHistory(history, "ABC")) << "letter case makes another text";
    EXPECT_THAT(history, ElementsAre("提醒", "abc", "ABC"));
}

TEST(SearchMatching, FindsInListOrderByteForByte) {
    const std::vector<std::string> lines = {"公历，每天9时0分，提醒为：开会", "ABC 提醒", "abc", "农历，提醒为：中秋"};
    EXPECT_THAT(MatchingLines(lines, "提醒"), ElementsAre(0, 1, 3));
    EXPECT_THAT(MatchingLines(lines, "abc"), ElementsAre(2));
    EXPECT_THAT(MatchingLines(lines, "醒为"), ElementsAre(0, 3));
    EXPECT_TRUE(MatchingLines(lines, "").empty());
    EXPECT_TRUE(MatchingLines({}, "x").empty());
}

} // namespace
} // namespace chimewell
