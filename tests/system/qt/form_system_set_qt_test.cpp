#include "system/form_system_set.h"

#include "calendar/clock.h"
#include "data/temp_folder.h"
#include "editing/qt/dialog_checks.h"
#include "editing/scripted_answers.h"
#include "runtime/qt/modal_helpers.h"
#include "scripted_fonts.h"
#include "system/system_set.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace chimewell {
namespace {

using ::testing::ElementsAre;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::vector<std::string> Items(const QComboBox* box) {
    std::vector<std::string> items;
    for (int i = 0; i < box->count(); ++i) {
        items.push_back(box->itemText(i).toStdString());
    }
    return items;
}

// The dialog over settings in a temporary folder that has two skins, with boxes and choosers answered by
// script. The copy it works on differs from the defaults in every value the first page shows.
class SystemSetTest : public ::testing::Test {
protected:
    SystemSetTest() {
        std::filesystem::create_directory(Folder.File("skins"));
        testing::WriteBytes(Folder.File("skins/晴空.skn"), "QWidget {}");
        testing::WriteBytes(Folder.File("skins/夜幕.skn"), "QWidget {}");
        testing::WriteBytes(Folder.File("skins/notes.txt"), "no skin");
        testing::WriteBytes(Folder.File("闹钟.wav"), "RIFF");
        Dialog = std::make_unique<TfrmSystemSet>(Folder.File("skins"));
        TRmConfig& work = Dialog->WorkConfig;
        work.InitDefaults(Folder.Folder(), 265, 202, 429, 279);
        work.UserName = "张三";
        work.OpenTimes = 7;
        work.SysMusicFile = Folder.File("闹钟.wav");
        work.HideMainForm = false;
        work.AutoCloseMsgBox = true;
        work.SkinFileName = "夜幕.skn";
        work.BeginWithSunday = true;
        work.ShowCommand = true;
    }

    bool ApplicationReady = (testing::EnsureApplication(), true);
    testing::TempFolder Folder;
    testing::ScriptedAnswers Answers;
    testing::ScriptedFonts Fonts;
    std::unique_ptr<TfrmSystemSet> Dialog;
};

TEST_F(SystemSetTest, ShowsTheCopyAndWritesEveryChangeIntoIt) {
    Dialog->FormShow();
    const TRmConfig& work = Dialog->WorkConfig;
    EXPECT_EQ(Dialog->windowTitle(), QStringLiteral("晴铃提醒设置"));
    EXPECT_EQ(Dialog->edtUserName->text(), QStringLiteral("张三"));
    EXPECT_EQ(Dialog->edtCorporation->text(), QStringLiteral("(公司名)"));
    EXPECT_EQ(work.UserCorp, "(公司名)") << "the placeholder is stored as the company";
    EXPECT_EQ(Dialog->edtVersion->text(), QStringLiteral("2.01.000"));
    EXPECT_EQ(Dialog->edtOpenTimes->text(), QStringLiteral("7"));
    EXPECT_FALSE(Dialog->cbOpenMin->isChecked());
    EXPECT_EQ(Dialog->cbLaterMin->currentText(), QStringLiteral("5分钟"));
    EXPECT_EQ(Dialog->cbAutoCloseSec->currentText(), QStringLiteral("50秒钟"));
    EXPECT_EQ(Dialog->cbMissedHours->currentText(), QStringLiteral("显示最近 24 小时内的"));
    EXPECT_EQ(Dialog->cbMissedHours->itemText(0), QStringLiteral("不补提醒"));
    EXPECT_THAT(Items(Dialog->cbSelSkin), ElementsAre("(不使用皮肤)", "夜幕.skn", "晴空.skn"));
    EXPECT_EQ(Dialog->cbSelSkin->currentText(), QStringLiteral("夜幕.skn"));
    EXPECT_TRUE(Dialog->rbWeekSunday->isChecked());
    EXPECT_TRUE(Dialog->cbShowCmd->isChecked());
    EXPECT_EQ(Dialog->lbSetFont->text(), QString::fromStdString(FontSampleText()));
    EXPECT_TRUE(Dialog->lbSetFont->text().contains(QString::number(DecodeDate(Today()).Year) + QStringLiteral("年")))
        << "today, not a date of long ago";

    Dialog->cbLaterMin->setCurrentIndex(2);
    Dialog->cbAutoCloseSec->setCurrentIndex(0);
    Dialog->cbSelSkin->setCurrentIndex(0);
    Dialog->cbMissedHours->setCurrentIndex(0);
    QTest::mouseClick(Dialog->cbOpenMin, Qt::LeftButton);
    QTest::mouseClick(Dialog->cbShowCmd, Qt::LeftButton);
    Dialog->rbWeekMonday->click();
    Dialog->edtCorporation->setText(QStringLiteral("青禾"));
    EXPECT_EQ(work.LaterRemindTime, 3);
    EXPECT_EQ(work.AutoCloseMsgTime, 5);
    EXPECT_EQ(work.SkinFileName, "") << "the first entry turns skins off";
    EXPECT_EQ(work.MissedWindowHours, 0);
    EXPECT_TRUE(work.HideMainForm);
    EXPECT_FALSE(work.ShowCommand);
    EXPECT_FALSE(work.BeginWithSunday);
    EXPECT_EQ(work.UserCorp, "青禾");
}

TEST_F(SystemSetTest, ValuesTheListsDoNotHoldSelectNothingAndStay) {
    TRmConfig& work = Dialog->WorkConfig;
    work.LaterRemindTime = 0;
    work.AutoCloseMsgTime = 601;
    work.MissedWindowHours = 169;
    work.SkinFileName = "gone.skn";
    Dialog->FormShow();
    for (const QComboBox* box :
         {Dialog->cbLaterMin, Dialog->cbAutoCloseSec, Dialog->cbMissedHours, Dialog->cbSelSkin}) {
        EXPECT_EQ(box->currentIndex(), -1);
    }
    Dialog->btnOK->click();
    EXPECT_TRUE(Dialog->Accepted);
    EXPECT_EQ(work.LaterRemindTime, 0);
    EXPECT_EQ(work.AutoCloseMsgTime, 601);
    EXPECT_EQ(work.MissedWindowHours, 169);
    EXPECT_EQ(work.SkinFileName, "gone.skn");
}

TEST_F(SystemSetTest, TheUnusedBoxesAreDisabledAndTheSecondsFollowAutoClose) {
    Dialog->WorkConfig.EnableLog = true;
    Dialog->FormShow();
    for (const QCheckBox* box : {Dialog->cbUseLog, Dialog->cbEnableQuickKey, Dialog->cbShowWithScript}) {
        EXPECT_FALSE(box->isEnabled()) << box->text().toStdString();
    }
    EXPECT_TRUE(Dialog->cbUseLog->isChecked()) << "shown as stored";
    EXPECT_TRUE(Dialog->cbAutoCloseSec->isEnabled());
    QTest::mouseClick(Dialog->cbAutoClose, Qt::LeftButton);
    EXPECT_FALSE(Dialog->cbAutoCloseSec->isEnabled());
    EXPECT_FALSE(Dialog->WorkConfig.AutoCloseMsgBox);
    EXPECT_EQ(Dialog->WorkConfig.AutoCloseMsgTime, 50) << "the seconds stay as they were";
    for (const QLineEdit* field : {Dialog->edtVersion, Dialog->edtOpenTimes}) {
        EXPECT_TRUE(field->isReadOnly());
        EXPECT_EQ(field->focusPolicy(), Qt::NoFocus) << "no key reaches it";
        EXPECT_EQ(field->contextMenuPolicy(), Qt::NoContextMenu);
    }
}

TEST_F(SystemSetTest, TheListsDiscardTyping) {
    Dialog->FormShow();
    for (QComboBox* box : {Dialog->cbLaterMin, Dialog->cbAutoCloseSec, Dialog->cbMissedHours, Dialog->cbSelSkin}) {
        EXPECT_FALSE(box->isEditable());
        const int before = box->currentIndex();
        QTest::keyClicks(box, QStringLiteral("1z9"));
        EXPECT_EQ(box->currentIndex(), before);
        QTest::keyClick(box, Qt::Key_Down);
        EXPECT_EQ(box->currentIndex(), before + 1) << "the arrows still choose";
    }
}

TEST_F(SystemSetTest, TheMusicAndFontChoosersWriteWhatWasChosen) {
    Dialog->FormShow();
    Answers.FileAnswers = {Folder.File("铃声/响.mp3")};
    Dialog->sbOpenMusicFile->click();
    EXPECT_EQ(Dialog->edtMusicFile->text(), Q(Folder.File("铃声/响.mp3")));
    EXPECT_EQ(Dialog->WorkConfig.SysMusicFile, Folder.File("铃声/响.mp3"));
    EXPECT_EQ(Dialog->WorkConfig.LastMusicDir, Folder.File("铃声/"));

    const TFontChoice chosen{"DejaVu Serif", 15, 0x008000, true, true, false, false};
    Fonts.Answers = {chosen, std::nullopt};
    Dialog->btnSetFont->click();
    ASSERT_EQ(Fonts.Requests.size(), 1U);
    EXPECT_EQ(Fonts.Requests[0].Name, "宋体") << "the chooser starts with the list's font";
    EXPECT_EQ(ListFontOf(Dialog->WorkConfig), chosen);
    EXPECT_EQ(Dialog->lbSetFont->font().pointSize(), 15);
    EXPECT_TRUE(Dialog->lbSetFont->font().italic());
    Dialog->btnSetFont->click();
    EXPECT_EQ(Fonts.Requests[1], chosen);
    EXPECT_EQ(ListFontOf(Dialog->WorkConfig), chosen) << "a cancelled chooser changes nothing";
}

// Each page reached by its tab's key, each control on it by Tab and by its own key where it has a caption,
// and no key used twice where the user can press it.
TEST_F(SystemSetTest, EveryPageAndControlIsReachedFromTheKeyboard) {
    Dialog->FormShow();
    Dialog->show();
    std::set<QChar> tabKeys;
    for (int page = 0; page < Dialog->pcSystemSet->count(); ++page) {
        tabKeys.insert(testing::AcceleratorOf(Dialog->pcSystemSet->tabText(page)));
    }
    EXPECT_EQ(tabKeys.size(), 5U);
    for (int page = 0; page < Dialog->pcSystemSet->count(); ++page) {
        Dialog->pcSystemSet->setCurrentIndex(page);
        const std::map<QChar, QWidget*> keys = testing::Accelerators(Dialog.get());
        const std::set<QWidget*> stops = testing::TabStops(Dialog.get());
        for (const auto& [key, target] : keys) {
            EXPECT_EQ(tabKeys.count(key), 0U) << "page " << page << ": " << QString(key).toStdString();
            EXPECT_EQ(stops.count(target), 1U) << "page " << page << ": " << QString(key).toStdString();
        }
    }
    EXPECT_TRUE(Dialog->btnOK->isDefault());
    testing::ExpectFitsAtOneAndAHalf(Dialog.get());
}

} // namespace
} // namespace chimewell
