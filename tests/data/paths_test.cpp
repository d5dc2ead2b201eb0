#include "data/paths.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// `make clean` empties the build folder: a program started from there must not keep the user's reminders in it.
TEST(ProgramFilesFolderTest, TheUsersDataFolderUnlessTheExecutableFolderHoldsTheFiles) {
    TempFolder folder;
    const std::string bin = folder.File("bin");
    fs::create_directory(bin);
    const std::string dataHome = folder.File("data");
    EXPECT_EQ(ChooseProgramFilesFolder(bin, dataHome.c_str(), "/nonexistent", false), dataHome + "/chimewell/");
    EXPECT_FALSE(fs::exists(dataHome)) << "a command that only reads creates nothing";
    EXPECT_EQ(ChooseProgramFilesFolder(bin, dataHome.c_str(), "/nonexistent"), dataHome + "/chimewell/");
    EXPECT_TRUE(fs::is_directory(dataHome + "/chimewell"));
    for (const char* file : {"config.ini", "reminddata.sdt"}) {
        testing::WriteBytes(bin + "/" + file, "");
        EXPECT_EQ(ChooseProgramFilesFolder(bin, dataHome.c_str(), "/nonexistent"), bin + "/") << "portable: " << file;
        fs::remove(bin + "/" + file);
    }
}

TEST(ShippedFilesTest, BesideTheExecutableFirstThenTheInstalledDataFolder) {
    TempFolder folder;
    const std::string bin = folder.File("usr/bin");
    fs::create_directories(bin);
    fs::create_directories(folder.File("usr/share/chimewell/skins"));
    EXPECT_EQ(FindShippedFileFrom(bin, "skins"), bin + "/../share/chimewell/skins");
    EXPECT_EQ(FindShippedFileFrom(bin, "help/index.html"), "");
    fs::create_directories(bin + "/skins");
    EXPECT_EQ(FindShippedFileFrom(bin, "skins"), bin + "/skins");
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
