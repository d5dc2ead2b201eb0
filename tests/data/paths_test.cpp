#include "data/paths.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

TEST(ProgramFilesFolderTest, WritableExecutableFolderIsUsed) {
    TempFolder folder;
    EXPECT_EQ(ChooseProgramFilesFolder(folder.Path().string(), nullptr, "/nonexistent"), folder.Folder());
}

TEST(ProgramFilesFolderTest, OtherwiseTheDataHomeIsCreated) {
    TempFolder folder;
    const std::string notWritable = folder.File("missing-bin");
    const std::string dataHome = folder.File("data");
    EXPECT_EQ(ChooseProgramFilesFolder(notWritable, dataHome.c_str(), "/nonexistent"), dataHome + "/chimewell/");
    EXPECT_TRUE(fs::is_directory(dataHome + "/chimewell"));
}

TEST(ProgramFilesFolderTest, WithoutDataHomeTheHomeFolderIsUsed) {
    TempFolder folder;
    const std::string home = folder.File("home");
    const std::string expected = home + "/.local/share/chimewell/";
    EXPECT_EQ(ChooseProgramFilesFolder(folder.File("missing-bin"), nullptr, home.c_str()), expected);
    EXPECT_EQ(ChooseProgramFilesFolder(folder.File("missing-bin"), "relative/path", home.c_str()), expected);
    EXPECT_EQ(ChooseProgramFilesFolder(folder.File("missing-bin"), "", home.c_str()), expected);
    EXPECT_TRUE(fs::is_directory(expected));
}

} // namespace
} // namespace chimewell
