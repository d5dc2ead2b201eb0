#include "system/help.h"

#include "data/temp_folder.h"
#include "editing/scripted_answers.h"
#include "platform/fake_desktop_actions.h"
#include "row_name.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace chimewell {
namespace {

namespace fs = std::filesystem;

// Which shipped files exist, beside the executable ("bin") or in the installed data folder ("share"), and
// what the help command and the report page open then.
struct HelpRow {
    std::string Name;
    std::vector<std::string> Files;
    std::string Contents;
    std::string Report;
};

class HelpFallbackTest : public ::testing::TestWithParam<HelpRow> {};

TEST_P(HelpFallbackTest, OpensTheFirstThatExists) {
    testing::TempFolder folder;
    fs::create_directories(folder.File("bin"));
    fs::create_directories(folder.File("share/chimewell/help"));
    fs::create_directories(folder.File("bin/help"));
    for (const std::string& file : GetParam().Files) {
        testing::WriteBytes(folder.File(file), "help");
    }
    const std::string bin = folder.File("bin") + "/";
    const auto expected = [&](const std::string& target) {
        if (target.empty()) {
            return target;
        }
        const std::string path = target.starts_with("share") ? bin + "../" + target : folder.File(target);
        const std::size_t hash = path.find('#');
        return hash == std::string::npos ? path : FileUrl(path.substr(0, hash), path.substr(hash + 1));
    };
    EXPECT_EQ(HelpTarget(bin, THelpSection::Contents), expected(GetParam().Contents));
    EXPECT_EQ(HelpTarget(bin, THelpSection::Report), expected(GetParam().Report));
}

// A path "share/..." is looked for as <prefix>/bin/../share/chimewell/...; "x#y" means a section of x.
INSTANTIATE_TEST_SUITE_P(Help, HelpFallbackTest,
                         ::testing::Values(HelpRow{"HelpFileBesideTheProgramFirst",
                                                   {"bin/remindhelp.chm", "share/chimewell/remindhelp.chm",
                                                    "bin/help/index.html"},
                                                   "bin/remindhelp.chm",
                                                   "bin/help/index.html#report"},
                                           HelpRow{"InstalledHelpFileBeforeTheDocument",
                                                   {"share/chimewell/remindhelp.chm", "bin/help/index.html"},
                                                   "share/chimewell/remindhelp.chm",
                                                   "bin/help/index.html#report"},
                                           HelpRow{"DocumentBesideTheProgram",
                                                   {"bin/help/index.html", "share/chimewell/help/index.html"},
                                                   "bin/help/index.html",
                                                   "bin/help/index.html#report"},
                                           HelpRow{"InstalledDocument",
                                                   {"share/chimewell/help/index.html"},
                                                   "share/chimewell/help/index.html",
                                                   "share/chimewell/help/index.html#report"},
                                           HelpRow{"OnlyAHelpFileServesTheSectionsToo",
                                                   {"bin/remindhelp.chm"},
                                                   "bin/remindhelp.chm",
                                                   "bin/remindhelp.chm"},
                                           HelpRow{"Nothing", {}, "", ""}),
                         RowName<HelpRow>);

TEST(HelpTest, WithoutHelpSaysSoAndOpensNoAddress) {
    testing::TempFolder folder;
    testing::ScriptedAnswers answers;
    RecordingDesktopActions actions;
    for (const THelpSection section : {THelpSection::Contents, THelpSection::About, THelpSection::Report}) {
        OpenHelp(folder.Folder(), section);
    }
    ASSERT_EQ(answers.Boxes.size(), 3U);
    EXPECT_EQ(answers.Boxes[0].Title, "文件丢失");
    EXPECT_EQ(answers.Boxes[0].Text, "软件帮助文件“help/index.html”未找到！找过：\n" + folder.Folder() +
                                         "help/index.html\n" + folder.Folder() + "../share/chimewell/help/index.html")
        << "names the help this program ships and where it was looked for";
    EXPECT_TRUE(actions.Calls.empty());
}

// The address must lead to the file whatever its folder is called: blanks, Chinese, and the characters an
// address gives a meaning of its own.
TEST(HelpTest, AFileAddressNamesThePathExactly) {
    EXPECT_EQ(FileUrl("/usr/share/chimewell/help/index.html", "report"),
              "file:///usr/share/chimewell/help/index.html#report");
    EXPECT_EQ(FileUrl("/home/张 三/50%#?/index.html"), "file:///home/%E5%BC%A0%20%E4%B8%89/50%25%23%3F/index.html");
}

} // namespace
} // namespace chimewell
