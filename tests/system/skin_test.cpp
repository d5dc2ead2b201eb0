#include "system/skin.h"

#include "data/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace chimewell {
namespace {

namespace fs = std::filesystem;

class SkinTest : public ::testing::Test {
protected:
    SkinTest() {
        fs::create_directories(Skins);
        testing::WriteBytes(Skins + "/晴空.skn", "QWidget { color: #123; } /* 浅色 */");
        testing::WriteBytes(Skins + "/a.skn", "QPushButton {}");
        testing::WriteBytes(Skins + "/notes.txt", "not a skin");
        fs::create_directory(Skins + "/folder.skn");
    }

    testing::TempFolder Folder;
    std::string Skins = Folder.File("bin/skins");
};

TEST_F(SkinTest, TheFolderBesideTheExecutableListsItsSkinFiles) {
    EXPECT_EQ(SkinsFolder(Folder.File("bin")), Skins + "/");
    EXPECT_EQ(ListSkinFiles(Skins + "/"), (std::vector<std::string>{"a.skn", "晴空.skn"}));
    EXPECT_EQ(SkinsFolder(Folder.File("elsewhere")), "");
    EXPECT_TRUE(ListSkinFiles("").empty());
}

// A skin name comes from config.ini, which anyone may edit: it must not lead out of the skins folder, and no
// file may be read that never ends or fills the memory.
TEST_F(SkinTest, OnlyAPlainNameOfABoundedRegularFileIsRead) {
    EXPECT_EQ(ReadSkin(Skins, "晴空.skn"), "QWidget { color: #123; } /* 浅色 */");
    testing::WriteBytes(Folder.File("bin/secret.skn"), "outside");
    for (const char* name :
         {"../secret.skn", "../../../../dev/zero", "/dev/zero", ".", "..", "", "folder.skn", "missing.skn"}) {
        EXPECT_EQ(ReadSkin(Skins, name), std::nullopt) << name;
    }
    fs::create_symlink("/dev/zero", Skins + "/zero.skn");
    EXPECT_EQ(ReadSkin(Skins, "zero.skn"), std::nullopt) << "a link to a device is no skin";
    testing::WriteBytes(Skins + "/huge.skn", std::string(LargestSkinFile + 1, ' '));
    EXPECT_EQ(ReadSkin(Skins, "huge.skn"), std::nullopt);
}

} // namespace
} // namespace chimewell
