#include "app/form_remind.h"
#include "app/record_list_view.h"
#include "calendar/clock.h"
#include "data/ini_file.h"
#include "data/temp_folder.h"
#include "editing/scripted_answers.h"
#include "platform/fake_desktop_actions.h"
#include "runtime/qt/modal_helpers.h"
#include "scripted_fonts.h"
#include "system/form_system_set.h"
#include "system/qt_skin.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace chimewell {
namespace {

using testing::WhenModal;

// The main window in a temporary folder that holds a skin, settings that differ from the defaults, two
// reminders and two quick-finish texts; boxes and choosers are answered by script.
class MainWindowSettingsTest : public ::testing::Test {
protected:
    MainWindowSettingsTest() : Clock(EncodeDateTime(2025, 9, 1, 10, 0)) {
        setenv("XDG_CONFIG_HOME", Folder.File("xdg").c_str(), 1);
        std::filesystem::create_directory(Folder.File("skins"));
        testing::WriteBytes(Folder.File("skins/dark.skn"), "QWidget { color: #eeeeee; background-color: #202020; }");
        testing::WriteBytes(Folder.File("config.ini"), StartingConfig);
        testing::WriteBytes(Folder.File("quickfinish.ini"), "\xBD\xBB\xD6\xDC\xB1\xA8\r\nabc\r\n");
        testing::WriteBytes(Folder.File("reminddata.sdt"),
                            "[Main]\r\nItems=1\r\n[Item1]\r\nHour=9\r\nMinuter=0\r\nForward=10\r\nMessage=one\r\n");
        Form = std::make_unique<TfrmRemind>(Folder.Folder(), Folder.File("chimewell"), false);
        Answers.Boxes.clear();
    }
    ~MainWindowSettingsTest() override { SwitchSkinning(false); }

    // Runs the settings command; `act` works the dialog and ends with OK or Cancel.
    void Settings(std::function<void(TfrmSystemSet*)> act) {
        bool seen = false;
        auto driver = WhenModal<TfrmSystemSet>([&](TfrmSystemSet* dialog) {
            seen = true;
            act(dialog);
        });
        Form->nmSystemSet->trigger();
        EXPECT_TRUE(seen);
    }

    static constexpr const char* StartingConfig =
        "[Config]\r\nShowBefRemind=1\r\nLaterRemindTime=17\r\nAutoCloseMsgTime=3\r\nSysMusicFile=\r\n"
        "FontWithName=DejaVu Sans\r\nFontWithSize=10\r\nFontWithColor=255\r\nMissedWindowHours=48\r\n"
        "LastCheck=2025-09-01 09:59\r\nHotKeyChar=65\r\n";
    bool ApplicationReady = (testing::EnsureApplication(), true);
    testing::TempFolder Folder;
    ClockOverride Clock;
    testing::ScriptedAnswers Answers;
    testing::ScriptedFonts Fonts;
    RecordingDesktopActions Actions;
    std::unique_ptr<TfrmRemind> Form;
};

TEST_F(MainWindowSettingsTest, ConfirmingWithoutChangesRewritesTheSameSettings) {
    TRmConfig expected = Form->Config;
    expected.UserName = "(用户名)";
    expected.UserCorp = "(公司名)";
    Settings([](TfrmSystemSet* dialog) { dialog->btnOK->click(); });
    EXPECT_EQ(Form->Config, expected);

    // The same settings saved over the same file give the same bytes.
    testing::TempFolder other;
    testing::WriteBytes(other.File("config.ini"), StartingConfig);
    expected.AppDir = other.Folder();
    expected.SaveConfig();
    EXPECT_EQ(testing::ReadBytes(Folder.File("config.ini")), testing::ReadBytes(other.File("config.ini")));
    EXPECT_EQ(testing::ReadBytes(Folder.File("quickfinish.ini")), "\xBD\xBB\xD6\xDC\xB1\xA8\r\nabc\r\n");
}

TEST_F(MainWindowSettingsTest, CancelDiscardsEveryChangeTheFontIncluded) {
    const TRmConfig before = Form->Config;
    const QString listStyle = Form->lstRecordList->styleSheet();
    const QFont listFont = Form->lstRecordList->font();
    Fonts.Answers = {TFontChoice{"DejaVu Serif", 20, 0x008000, true}};
    Settings([](TfrmSystemSet* dialog) {
        dialog->btnSetFont->click();
        dialog->cbLaterMin->setCurrentIndex(2);
        dialog->memoFastFinish->setPlainText(QStringLiteral("changed"));
        dialog->btnCancle->click();
    });
    EXPECT_EQ(Form->Config, before);
    EXPECT_EQ(Form->lstRecordList->styleSheet(), listStyle);
    EXPECT_EQ(Form->lstRecordList->font(), listFont);
    EXPECT_EQ(testing::ReadBytes(Folder.File("quickfinish.ini")), "\xBD\xBB\xD6\xDC\xB1\xA8\r\nabc\r\n");
    EXPECT_EQ(TIniFile(Folder.File("config.ini")).ReadInteger("Config", "LaterRemindTime", 0), 17);
}

TEST_F(MainWindowSettingsTest, OkAppliesEverythingAtOnce) {
    EXPECT_TRUE(Form->lstRecordList->LineText(0).contains(QStringLiteral("提前10分")));
    Fonts.Answers = {TFontChoice{"DejaVu Serif", 20, 0x008000, true}};
    Settings([](TfrmSystemSet* dialog) {
        dialog->btnSetFont->click();
        dialog->cbShowBefRemind->click();
        dialog->cbSelSkin->setCurrentIndex(1);
        dialog->btnOK->click();
    });
    EXPECT_FALSE(Form->lstRecordList->LineText(0).contains(QStringLiteral("提前"))) << "the list is rebuilt";
    EXPECT_EQ(Form->lstRecordList->font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(Form->lstRecordList->styleSheet().contains(QStringLiteral("#008000")));
    EXPECT_TRUE(qApp->styleSheet().contains(QStringLiteral("#202020")));
    TRmConfig saved;
    saved.InitDefaults(Folder.Folder(), 0, 0, 0, 0);
    saved.LoadConfig();
    EXPECT_EQ(saved.SkinFileName, "dark.skn");
    EXPECT_EQ(saved.FontWithSize, 20);
    EXPECT_FALSE(saved.ShowBefRemind);

    Settings([](TfrmSystemSet* dialog) {
        dialog->cbSelSkin->setCurrentIndex(0);
        dialog->btnOK->click();
    });
    EXPECT_TRUE(qApp->styleSheet().isEmpty()) << "skins switched off";
}

TEST_F(MainWindowSettingsTest, AMissingSystemMusicKeepsTheDialogOpen) {
    Settings([this](TfrmSystemSet* dialog) {
        dialog->edtMusicFile->setText(QString::fromStdString(Folder.File("gone.mp3")));
        dialog->btnOK->click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(Answers.Boxes.size(), 1U);
        dialog->edtMusicFile->clear();
        dialog->btnOK->click();
    });
    EXPECT_EQ(Form->Config.SysMusicFile, "");
}

// Tried: a skin whose url was spelt with a CSS escape passed the check, and every start blocked in open() of the
// FIFO it named, before any reminder could show. The FIFO is watched here: a reader that opened it would be seen,
// and opening its other end lets that reader go on, so such a start fails the test rather than hangs it.
TEST_F(MainWindowSettingsTest, ASkinWithAnEscapedUrlIsRefusedAtStartWithoutOpeningWhatItNames) {
    // The window of the fixture goes first: it saves its settings as it closes.
    Form.reset();
    const std::string fifo = Folder.File("skins/fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    testing::WriteBytes(Folder.File("skins/escaped.skn"), "QWidget { background-image: u\\rl(" + fifo + "); }");
    testing::WriteBytes(Folder.File("config.ini"), std::string(StartingConfig) + "SkinFileName=escaped.skn\r\n"
                                                                                 "NeverAskAutorun=1\r\n");
    Answers.Boxes.clear();

    std::atomic<bool> done{false};
    std::atomic<bool> opened{false};
    std::thread watch([&] {
        while (!done) {
            if (const int end = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); end >= 0) {
                opened = true;
                close(end);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const auto started = std::chrono::steady_clock::now();
    Form = std::make_unique<TfrmRemind>(Folder.Folder(), Folder.File("chimewell"), false);
    // The refusal is said once the start is over; drawing the window would load what a skin names.
    QApplication::processEvents();
    Form->grab();
    const auto took = std::chrono::steady_clock::now() - started;
    done = true;
    watch.join();

    EXPECT_FALSE(opened) << "the FIFO the skin names was opened";
    EXPECT_LT(took, std::chrono::seconds(1));
    EXPECT_FALSE(SkinningOn());
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    ASSERT_EQ(Answers.Titles(), std::vector<std::string>{"皮肤"});
    EXPECT_NE(Answers.Boxes[0].Text.find("escaped.skn"), std::string::npos) << Answers.Boxes[0].Text;
    EXPECT_NE(Answers.Boxes[0].Text.find("反斜杠"), std::string::npos) << Answers.Boxes[0].Text;
}

} // namespace
} // namespace chimewell
