#include "system/qt_skin.h"

#include "data/temp_folder.h"
#include "runtime/qt/modal_helpers.h"
#include "system/system_set.h"

#include <QListWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace chimewell {
namespace {

// A skins folder with one good skin and one that cannot be read, and the application without a style
// sheet before and after each test.
class SkinEngineTest : public ::testing::Test {
protected:
    SkinEngineTest() {
        std::filesystem::create_directory(Skins);
        testing::WriteBytes(Skins + "/dark.skn",
                            "QWidget { color: #eeeeee; background-color: #202020; font-size: 30pt; }");
        testing::WriteBytes(Skins + "/huge.skn", std::string((1 << 20) + 1, ' '));
        SwitchSkinning(false);
    }
    ~SkinEngineTest() override { SwitchSkinning(false); }

    bool ApplicationReady = (testing::EnsureApplication(), true);
    testing::TempFolder Folder;
    std::string Skins = Folder.File("skins");
};

TEST_F(SkinEngineTest, LoadingAppliesASkinOnlyWhileSkinningIsOn) {
    EXPECT_TRUE(LoadSkinFile(Skins, "dark.skn"));
    EXPECT_TRUE(qApp->styleSheet().isEmpty()) << "loaded, not yet switched on";
    SwitchSkinning(true);
    EXPECT_TRUE(qApp->styleSheet().contains(QStringLiteral("#202020")));
    SwitchSkinning(false);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    SwitchSkinning(true);
    EXPECT_TRUE(qApp->styleSheet().contains(QStringLiteral("#202020"))) << "the loaded skin comes back";
}

TEST_F(SkinEngineTest, TheSettingSwitchesOnAndOffAndASkinThatCannotBeReadChangesNothing) {
    ApplySkinSetting(Skins, "dark.skn");
    EXPECT_TRUE(SkinningOn());
    const QString dark = qApp->styleSheet();
    for (const char* name : {"huge.skn", "missing.skn", "../skins/dark.skn"}) {
        ApplySkinSetting(Skins, name);
        EXPECT_EQ(qApp->styleSheet(), dark) << name;
        EXPECT_TRUE(SkinningOn()) << name;
    }
    ApplySkinSetting(Skins, "");
    EXPECT_FALSE(SkinningOn());
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    ApplySkinSetting(Skins, "missing.skn");
    EXPECT_FALSE(SkinningOn()) << "a skin that cannot be read does not switch skinning on";
}

// The list wears the font and colour the user chose, whatever the skin says; without a chosen colour it
// follows the skin, which keeps it readable on a dark one.
TEST_F(SkinEngineTest, TheListKeepsItsOwnFontAndColourUnderASkin) {
    ApplySkinSetting(Skins, "dark.skn");
    QListWidget list;
    list.addItem(QStringLiteral("公历，每年每月每天9时0分"));
    list.setStyleSheet(
        QString::fromStdString(FontStyleSheet("QListWidget", {"DejaVu Sans", 11, 0x0000FF, true, false, true, true})));
    list.ensurePolished();
    EXPECT_EQ(list.palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(list.font().pointSize(), 11);
    EXPECT_TRUE(list.font().bold());
    EXPECT_TRUE(list.font().underline());
    EXPECT_TRUE(list.font().strikeOut());

    list.setStyleSheet(QString::fromStdString(FontStyleSheet("QListWidget", {"DejaVu Sans", 11, 0, false})));
    list.ensurePolished();
    EXPECT_EQ(list.palette().color(QPalette::Text), QColor(0xee, 0xee, 0xee));
    EXPECT_EQ(list.font().pointSize(), 11);
    EXPECT_FALSE(list.font().bold());
}

} // namespace
} // namespace chimewell
