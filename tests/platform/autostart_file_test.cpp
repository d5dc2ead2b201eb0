#include "platform/autostart_file.h"

#include "data/temp_folder.h"
#include "row_name.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>

namespace chimewell {
namespace {

using chimewell::testing::ReadBytes;
using chimewell::testing::TempFolder;
using chimewell::testing::WriteBytes;

// Sets an environment variable for one test and puts the old value back afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : Name(name) {
        if (const char* old = std::getenv(name)) {
            Old = old;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (Old) {
            setenv(Name, Old->c_str(), 1);
        } else {
            unsetenv(Name);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* Name;
    std::optional<std::string> Old;
};

struct ExecRow {
    std::string Name;
    std::string Program;
    std::string ExecLine; // as it stands in the file after "Exec="
};

class ExecTable : public ::testing::TestWithParam<ExecRow> {};

TEST_P(ExecTable, WritesTheExecLineAndReadsThePathBack) {
    const ExecRow& row = GetParam();
    TempFolder folder;
    const std::string path = folder.File("autostart/entry.desktop");
    ASSERT_TRUE(WriteAutostartEntry(path, "晴铃提醒", row.Program));
    const std::string contents = ReadBytes(path);
    EXPECT_NE(contents.find("\nExec=" + row.ExecLine + "\n"), std::string::npos) << contents;
    EXPECT_EQ(ReadAutostartEntry(path), row.Program);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExecTable,
    ::testing::Values(ExecRow{"Plain", "/opt/chimewell/chimewell", "/opt/chimewell/chimewell"},
                      ExecRow{"Blanks", "/home/li lei/My Apps/chimewell", R"("/home/li lei/My Apps/chimewell")"},
                      ExecRow{"Dollar", "/opt/a$b/c", R"("/opt/a\\$b/c")"},
                      ExecRow{"Backslash", R"(/opt/a\b)", R"("/opt/a\\\\b")"},
                      ExecRow{"Quote", R"(/opt/say "hi"/x)", R"("/opt/say \\"hi\\"/x")"},
                      ExecRow{"Backtick", "/opt/a`b", R"("/opt/a\\`b")"},
                      ExecRow{"Percent", "/opt/100%/x", "/opt/100%%/x"},
                      ExecRow{"PercentAndBlank", "/opt/100 %/x", R"("/opt/100 %%/x")"},
                      ExecRow{"Newline", "/opt/a\nb", R"("/opt/a\nb")"},
                      ExecRow{"Chinese", "/home/李雷/晴铃/chimewell", "/home/李雷/晴铃/chimewell"}),
    RowName<ExecRow>);

TEST(AutostartFile, WritesAValidApplicationEntry) {
    TempFolder folder;
    const std::string path = folder.File("entry.desktop");
    ASSERT_TRUE(WriteAutostartEntry(path, "晴铃提醒", "/opt/chimewell"));
    EXPECT_EQ(ReadBytes(path),
              "[Desktop Entry]\nType=Application\nName=晴铃提醒\nExec=/opt/chimewell\nTryExec=/opt/chimewell\n");
}

TEST(AutostartFile, AnIconNameBecomesTheIconKey) {
    TempFolder folder;
    const std::string path = folder.File("entry.desktop");
    ASSERT_TRUE(WriteAutostartEntry(path, "晴铃提醒", "/opt/晴铃 提醒/chimewell", "chimewell"));
    EXPECT_EQ(ReadBytes(path), "[Desktop Entry]\nType=Application\nName=晴铃提醒\nExec=\"/opt/晴铃 "
                               "提醒/chimewell\"\nTryExec=/opt/晴铃 提醒/chimewell\nIcon=chimewell\n");
    EXPECT_EQ(ReadAutostartEntry(path), "/opt/晴铃 提醒/chimewell");
    // The session reads the entry by the desktop-entry rules; their own checker is the judge where installed.
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "desktop-file-validate is not installed";
    }
    EXPECT_EQ(std::system(("desktop-file-validate '" + path + "'").c_str()), 0);
}

struct ReadRow {
    std::string Name;
    std::string Contents;
    std::string Expected;
};

class ReadTable : public ::testing::TestWithParam<ReadRow> {};

TEST_P(ReadTable, ReadsHandWrittenEntries) {
    const ReadRow& row = GetParam();
    TempFolder folder;
    const std::string path = folder.File("entry.desktop");
    WriteBytes(path, row.Contents);
    EXPECT_EQ(ReadAutostartEntry(path), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadTable,
    ::testing::Values(
        ReadRow{"CommentsBlanksAndCrLf", "# mine\r\n\r\n[Desktop Entry]\r\nType = Application\r\nExec = /opt/x \r\n",
                "/opt/x"},
        ReadRow{"FieldCodesGiveNothing", "[Desktop Entry]\nType=Application\nExec=/opt/x %U\n", "/opt/x"},
        ReadRow{"ArgumentsStayAndNeverEqualThePath", "[Desktop Entry]\nType=Application\nExec=/opt/x --hidden\n",
                "/opt/x --hidden"},
        ReadRow{"EscapedBlank", "[Desktop Entry]\nType=Application\nExec=\"/opt/a\\sb\"\n", "/opt/a b"},
        ReadRow{"FirstExecCounts", "[Desktop Entry]\nType=Application\nExec=/opt/a\nExec=/opt/b\n", "/opt/a"},
        ReadRow{"ExecOfAnotherGroupIgnored", "[Desktop Entry]\nType=Application\n[Desktop Action new]\nExec=/opt/x\n",
                ""},
        ReadRow{"NoExec", "[Desktop Entry]\nType=Application\nName=x\n", ""},
        ReadRow{"NoGroup", "Type=Application\nExec=/opt/x\n", ""},
        ReadRow{"Hidden", "[Desktop Entry]\nType=Application\nExec=/opt/x\nHidden=true\n", ""},
        ReadRow{"SwitchedOff", "[Desktop Entry]\nType=Application\nExec=/opt/x\nX-GNOME-Autostart-enabled=false\n", ""},
        ReadRow{"NotAnApplication", "[Desktop Entry]\nType=Link\nExec=/opt/x\n", ""},
        ReadRow{"OpenQuote", "[Desktop Entry]\nType=Application\nExec=\"/opt/x\n", ""}, ReadRow{"EmptyFile", "", ""}),
    RowName<ReadRow>);

TEST(AutostartFile, AMissingFileReadsEmpty) {
    TempFolder folder;
    EXPECT_EQ(ReadAutostartEntry(folder.File("none.desktop")), "");
    EXPECT_EQ(ReadAutostartEntry(""), "");
}

TEST(AutostartFile, ReplacingKeepsPermissionsAndLeavesNoTemporaryFiles) {
    TempFolder folder;
    const std::string path = folder.File("entry.desktop");
    ASSERT_TRUE(WriteAutostartEntry(path, "晴铃提醒", "/opt/old"));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteAutostartEntry(path, "晴铃提醒", "/opt/new"));
    EXPECT_EQ(ReadAutostartEntry(path), "/opt/new");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(AutostartFile, AWriteThatCannotReachItsFolderFails) {
    TempFolder folder;
    WriteBytes(folder.File("config"), "a file where the folder should be");
    errno = 0;
    EXPECT_FALSE(WriteAutostartEntry(folder.File("config/autostart/entry.desktop"), "晴铃提醒", "/opt/x"));
    EXPECT_NE(errno, 0);
    EXPECT_FALSE(WriteAutostartEntry("", "晴铃提醒", "/opt/x"));
}

TEST(AutostartFile, AFailedReplaceLeavesTheOldEntry) {
    TempFolder folder;
    // A folder in the entry's place cannot be replaced by a file.
    const std::string path = folder.File("entry.desktop");
    std::filesystem::create_directories(path + "/inside");
    EXPECT_FALSE(WriteAutostartEntry(path, "晴铃提醒", "/opt/x"));
    EXPECT_TRUE(std::filesystem::is_directory(path + "/inside"));
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(AutostartFile, DeleteRemovesAndToleratesAMissingFile) {
    TempFolder folder;
    const std::string path = folder.File("entry.desktop");
    ASSERT_TRUE(WriteAutostartEntry(path, "晴铃提醒", "/opt/x"));
    EXPECT_TRUE(DeleteAutostartEntry(path));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(DeleteAutostartEntry(path));
}

TEST(AutostartDirectory, FollowsXdgConfigHomeAndFallsBackToHome) {
    TempFolder folder;
    ScopedEnvironment home("HOME", folder.Path().c_str());
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", (folder.Path() / "cfg").c_str());
        EXPECT_EQ(AutostartDirectory(), (folder.Path() / "cfg/autostart").string());
        EXPECT_EQ(AutostartEntryPath("Chimewell2.1"), (folder.Path() / "cfg/autostart/Chimewell2.1.desktop").string());
    }
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "relative/cfg");
        EXPECT_EQ(AutostartDirectory(), (folder.Path() / ".config/autostart").string());
    }
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(AutostartDirectory(), (folder.Path() / ".config/autostart").string());
    }
}

TEST(SplitExecLine, UndoesTheQuoting) {
    EXPECT_EQ(SplitExecLine(R"("a b" c)"), (std::vector<std::string>{"a b", "c"}));
    EXPECT_EQ(SplitExecLine(R"("a\"b\$c\`d\\e")"), (std::vector<std::string>{"a\"b$c`d\\e"}));
    EXPECT_EQ(SplitExecLine("a  %f  %% b"), (std::vector<std::string>{"a", "%", "b"}));
    EXPECT_EQ(SplitExecLine(""), (std::vector<std::string>{}));
    EXPECT_EQ(SplitExecLine(R"("a)"), std::nullopt);
}

} // namespace
} // namespace chimewell
