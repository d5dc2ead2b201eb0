#include "system/form_about.h"

#include "data/temp_folder.h"
#include "editing/qt/dialog_checks.h"
#include "editing/scripted_answers.h"
#include "platform/fake_desktop_actions.h"
#include "runtime/qt/modal_helpers.h"
#include "system/help.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace chimewell {
namespace {

// A real right click asks for the context menu; QTest's clicks do not, so the request is sent by hand.
void RightClick(QWidget* widget) {
    const QPoint position(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, widget->mapToGlobal(position));
    QApplication::sendEvent(widget, &event);
}

// The about box of a program whose folder holds the help document; the desktop's actions are recorded.
class AboutTest : public ::testing::Test {
protected:
    AboutTest() : Box(Folder.Folder()) {
        std::filesystem::create_directory(Folder.File("help"));
        testing::WriteBytes(Folder.File("help/index.html"), "help");
        QGuiApplication::clipboard()->clear();
    }

    bool ApplicationReady = (testing::EnsureApplication(), true);
    testing::TempFolder Folder;
    testing::ScriptedAnswers Answers;
    RecordingDesktopActions Actions;
    TfrmAbout Box;
};

// The maker's fields are true of this program: no address is shown or opened that does not exist.
TEST_F(AboutTest, ShowsTheProgramAndItsMakerTruthfully) {
    EXPECT_EQ(Box.windowTitle(), QStringLiteral("关于 晴铃提醒"));
    EXPECT_EQ(Box.edtSoftName->text(), QStringLiteral("晴铃提醒"));
    EXPECT_EQ(Box.edtSoftVersion->text(), QStringLiteral("2.01.000"));
    EXPECT_EQ(Box.edtSoftPropt->text(), QStringLiteral("免费软件"));
    EXPECT_EQ(Box.edtSoftAuthor->text(), QStringLiteral("青禾工作室"));
    EXPECT_EQ(Box.edtSoftCorp->text(), QStringLiteral("青禾工作室"));
    EXPECT_TRUE(Box.edtAppend->text().startsWith(QStringLiteral("2026-12-09 完成于")));
    EXPECT_TRUE(Box.edtSoftHanashi->toPlainText().startsWith(QStringLiteral("本程序用于记事提醒！\n")));
    for (QLineEdit* field : Box.Fields) {
        EXPECT_TRUE(field->isReadOnly());
        EXPECT_FALSE(field->text().contains(u'@')) << field->objectName().toStdString();
        EXPECT_FALSE(field->text().contains(QStringLiteral("http"))) << field->objectName().toStdString();
    }
    Box.show();
    EXPECT_EQ(Box.focusWidget(), Box.btnClose);
    EXPECT_TRUE(Box.btnClose->isDefault());
    testing::ExpectFitsAtOneAndAHalf(&Box);
}

TEST_F(AboutTest, TheKeyCCopiesTheSelectionAndNoKeyChangesAField) {
    Box.edtSoftVersion->setSelection(0, 4);
    QTest::keyClicks(Box.edtSoftVersion, QStringLiteral("x9 "));
    QTest::keyClick(Box.edtSoftVersion, Qt::Key_Backspace);
    EXPECT_EQ(Box.edtSoftVersion->text(), QStringLiteral("2.01.000"));
    QTest::keyClick(Box.edtSoftVersion, Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("2.01"));
    Box.edtSoftName->setSelection(0, 2);
    QTest::keyClick(Box.edtSoftName, Qt::Key_C, Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("晴铃"));
}

TEST_F(AboutTest, TheMenuCopiesOnlyASelectionOfItsOwnField) {
    Box.edtSoftAuthor->setSelection(0, 2);
    RightClick(Box.edtSoftName);
    EXPECT_FALSE(Box.popmCopy->isEnabled());
    Box.popCopyMenu->hide();
    RightClick(Box.edtSoftAuthor);
    ASSERT_TRUE(Box.popmCopy->isEnabled());
    Box.popCopyMenu->hide();
    Box.popmCopy->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("青禾"));
    EXPECT_EQ(Box.edtSoftHanashi->contextMenuPolicy(), Qt::NoContextMenu);
    EXPECT_EQ(Box.edtSoftHanashi->focusPolicy(), Qt::NoFocus) << "no key reaches the author's words";
}

// With no e-mail address and no web site, the two rows lead to the help's sections about reporting a fault
// and about the program.
TEST_F(AboutTest, TheContactRowsOpenTheHelpSectionsByClickOrEnter) {
    QTest::mouseClick(Box.edtSoftEmail, Qt::LeftButton);
    QTest::keyClick(Box.edtSoftURL, Qt::Key_Return);
    const std::string document = Folder.File("help/index.html");
    EXPECT_EQ(Actions.OpenedTargets,
              (std::vector<std::string>{FileUrl(document, "report"), FileUrl(document, "about")}));
    Box.edtSoftURL->setSelection(0, 2);
    QTest::mouseRelease(Box.edtSoftURL, Qt::LeftButton);
    EXPECT_EQ(Actions.OpenedTargets.size(), 2U) << "selecting to copy opens nothing";
    EXPECT_EQ(Box.edtSoftEmail->cursor().shape(), Qt::PointingHandCursor);

    std::filesystem::remove_all(Folder.File("help"));
    QTest::mouseClick(Box.edtSoftURL, Qt::LeftButton);
    EXPECT_EQ(Actions.OpenedTargets.size(), 2U);
    EXPECT_EQ(Answers.Titles(), std::vector<std::string>{"文件丢失"});
}

TEST_F(AboutTest, ShowAboutBoxTakesTheMainWindowsIconAndCloses) {
    QWidget mainWindow;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    mainWindow.setWindowIcon(QIcon(pixmap));
    bool closed = false;
    auto close = testing::WhenModal<TfrmAbout>([&](TfrmAbout* box) {
        EXPECT_FALSE(box->windowIcon().isNull());
        EXPECT_EQ(box->windowIcon().pixmap(16).toImage().pixelColor(8, 8), QColor(Qt::red));
        QTest::keyClick(box, Qt::Key_Return);
        closed = true;
    });
    ShowAboutBox(&mainWindow, Folder.Folder());
    EXPECT_TRUE(closed);
}

} // namespace
} // namespace chimewell
