#include "platform/system_queries.h"

#include "row_name.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace chimewell {
namespace {

TEST(SystemQueries, TheComputerNameKeepsFifteenCharacters) {
    {
        SystemFactsOverride facts(SystemFacts{"build-server-0123456789", "", "", "", "", {}});
        EXPECT_EQ(ComputerNameText(), "build-server-01");
    }
    {
        SystemFactsOverride facts(SystemFacts{"一二三四五六七八九十一二三四五六七", "", "", "", "", {}});
        EXPECT_EQ(ComputerNameText(), "一二三四五六七八九十一二三四五");
    }
    {
        SystemFactsOverride facts(SystemFacts{"exactly-15-char", "", "", "", "", {}});
        EXPECT_EQ(ComputerNameText(), "exactly-15-char");
    }
}

TEST(SystemQueries, TheRealPlatformAnswers) {
    EXPECT_FALSE(ComputerNameText().empty());
    EXPECT_LE(ComputerNameText().size(), 15u);
    EXPECT_FALSE(LogonUserNameText().empty());
    EXPECT_EQ(SystemDirectoryText(), "/usr/lib");
    EXPECT_EQ(WindowsDirectoryText(), "/usr");
    EXPECT_EQ(WindowsVersionCode(), 0);
    EXPECT_EQ(WindowsVersionName(), "Unknown");
}

TEST(SystemQueries, TheTemporaryFolderFollowsTmpdir) {
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old != nullptr ? old : "";
    setenv("TMPDIR", "/scratch/li", 1);
    EXPECT_EQ(TempDirectoryText(), "/scratch/li");
    setenv("TMPDIR", "", 1);
    EXPECT_EQ(TempDirectoryText(), "/tmp");
    unsetenv("TMPDIR");
    EXPECT_EQ(TempDirectoryText(), "/tmp");
    if (old != nullptr) {
        setenv("TMPDIR", saved.c_str(), 1);
    }
}

struct VersionRow {
    std::string Name;
    std::optional<WindowsVersionInfo> Version;
    std::string_view Expected;
};

class VersionTable : public ::testing::TestWithParam<VersionRow> {};

TEST_P(VersionTable, NamesTheVersion) {
    const VersionRow& row = GetParam();
    SystemFactsOverride facts(SystemFacts{"", "", "", "", "", row.Version});
    EXPECT_EQ(WindowsVersionName(), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionTable,
                         ::testing::Values(VersionRow{"NoAnswer", std::nullopt, "Unknown"},
                                           VersionRow{"Win95", WindowsVersionInfo{1, 4, 0, ""}, "Win95"},
                                           VersionRow{"Win98", WindowsVersionInfo{1, 4, 10, ""}, "Win98"},
                                           VersionRow{"Win98se", WindowsVersionInfo{1, 4, 10, " A "}, "Win98se"},
                                           VersionRow{"WinMe", WindowsVersionInfo{1, 4, 90, ""}, "Winme"},
                                           VersionRow{"NT4", WindowsVersionInfo{2, 4, 0, ""}, "Winnt4"},
                                           VersionRow{"Win2k", WindowsVersionInfo{2, 5, 0, ""}, "Win2k"},
                                           VersionRow{"WinXp", WindowsVersionInfo{2, 5, 1, ""}, "Winxp"},
                                           VersionRow{"Server2003", WindowsVersionInfo{2, 5, 2, ""}, "Unknown"},
                                           VersionRow{"OtherPlatform", WindowsVersionInfo{3, 4, 0, ""}, "Unknown"}),
                         RowName<VersionRow>);

} // namespace
} // namespace chimewell
