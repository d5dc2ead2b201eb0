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

// A style sheet's url(…) naming a FIFO blocked the image loader before the first reminder could show.
TEST_F(SkinTest, ImagesComeOnlyFromBoundedRegularFilesOfTheSkinsFolder) {
    testing::WriteBytes(Skins + "/bell.png", "png");
    testing::WriteBytes(Skins + "/relative.skn", "QWidget { background: url( 'bell.png' ); }");
    const std::string real = fs::canonical(Skins).string() + "/bell.png";
    EXPECT_EQ(ReadSkin(Skins, "relative.skn"), "QWidget { background: url(\"" + real + "\"); }")
        << "a relative url names the skins folder, whatever the working folder";
    testing::WriteBytes(Skins + "/resource.skn", "QWidget { image: URL(:/icons/bell.png); }");
    EXPECT_EQ(ReadSkin(Skins, "resource.skn"), "QWidget { image: URL(:/icons/bell.png); }");

    ASSERT_EQ(mkfifo((Skins + "/pipe.png").c_str(), 0600), 0);
    testing::WriteBytes(Folder.File("outside.png"), "png");
    testing::WriteBytes(Skins + "/big.png", std::string(LargestSkinImage + 1, 'x'));
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"url(pipe.png)", "不是普通文件"},
        {"url(\"" + Skins + "/pipe.png\")", "不是普通文件"},
        {"url(/dev/zero)", "不在皮肤文件夹中"},
        {"url(../../outside.png)", "不在皮肤文件夹中"},
        {"url(missing.png)", "不存在"},
        {"url(big.png)", "太大"},
        {"url(bell.png", "没有结束"},
        // Escapes Qt's parser reads as url( and as a path, which the check would not see.
        {"u\\rl(pipe.png)", "反斜杠"},
        {"u\\rl(" + Skins + "/pipe.png)", "反斜杠"},
        {"\\75 rl(pipe.png)", "反斜杠"},
        {"url(\\2f dev/zero)", "反斜杠"},
    };
    for (const auto& [rule, reason] : refused) {
        for (const std::string property : {"border-image", "background-image"}) {
            const std::string declaration = property + ": " + rule;
            testing::WriteBytes(Skins + "/bad.skn", "QWidget { " + declaration + "; }");
            std::string why;
            EXPECT_EQ(ReadSkin(Skins, "bad.skn", &why), std::nullopt) << declaration;
            EXPECT_NE(why.find(reason), std::string::npos) << declaration << ": " << why;
            EXPECT_NE(why.find("bad.skn"), std::string::npos) << why;
        }
    }
}

} // namespace
} // namespace chimewell
