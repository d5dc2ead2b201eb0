#include "platform/qt_file_dialog.h"
#include "platform/qt_platform.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>
#include <memory>

namespace chimewell {
namespace {

QApplication& Application() {
    static int argc = 1;
    static char name[] = "file_dialog_qt_test";
    static char* argv[] = {name, nullptr};
    // Lives to the end of the process, as in the program: destroyed at exit it would outlive what it needs.
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

TEST(QtFileDialog, FiltersTakeQtsFormAndAnyFileNeedsNoDot) {
    EXPECT_EQ(QtFileFilter("音乐文件|*.mp3;*.mid;*.avi;*.wav").toStdString(), "音乐文件 (*.mp3 *.mid *.avi *.wav)");
    EXPECT_EQ(QtFileFilter("所有文件*.*|*.*").toStdString(), "所有文件*.* (*)");
    EXPECT_EQ(QtFileFilter("文本|*.txt|全部|*").toStdString(), "文本 (*.txt);;全部 (*)");
    EXPECT_TRUE(QtFileFilter("").isEmpty());
}

// An export refuses a name that is taken; Qt's "replace?" question, whose yes was then refused, is not asked.
TEST(QtFileDialog, ASaveAsksNoReplaceQuestion) {
    Application();
    const auto save = MakeQtFileDialog({FileDialogMode::Save, "导出提醒", "/tmp/", "文本文件|*.txt"});
    EXPECT_TRUE(save->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
    const auto open = MakeQtFileDialog({FileDialogMode::Open, "导入提醒", "/tmp/", "文本文件|*.txt"});
    EXPECT_EQ(open->fileMode(), QFileDialog::ExistingFile);
}

// Qt's own texts in a Chinese program: the file dialog's labels and buttons, the edit fields' menu.
TEST(QtTexts, FileDialogsAndEditMenusSpeakChinese) {
    QApplication& application = Application();
    EXPECT_EQ(QtTranslationFor(nullptr, nullptr, "zh_TW.UTF-8"), "qtbase_zh_TW");
    EXPECT_EQ(QtTranslationFor("", "zh_HK", "en_US.UTF-8"), "qtbase_zh_TW");
    EXPECT_EQ(QtTranslationFor("C.UTF-8", nullptr, "zh_TW.UTF-8"), "qtbase_zh_CN") << "LC_ALL counts first";
    EXPECT_EQ(QtTranslationFor(nullptr, nullptr, nullptr), "qtbase_zh_CN");
    ASSERT_TRUE(InstallQtTranslations(&application)) << "qt6-translations-l10n is missing";

    QLineEdit field;
    const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        texts.append(action->text());
    }
    const QString all = texts.join(u' ');
    EXPECT_TRUE(all.contains(QStringLiteral("粘贴"))) << all.toStdString();
    EXPECT_FALSE(all.contains(QStringLiteral("Paste"))) << all.toStdString();

    const auto dialog = MakeQtFileDialog({FileDialogMode::Open, "导入提醒", "/tmp/", "文本文件|*.txt"});
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    const auto* lookIn = dialog->findChild<QLabel*>(QStringLiteral("lookInLabel"));
    const auto* fileName = dialog->findChild<QLabel*>(QStringLiteral("fileNameLabel"));
    ASSERT_NE(lookIn, nullptr);
    ASSERT_NE(fileName, nullptr);
    EXPECT_NE(lookIn->text(), QStringLiteral("Look in:"));
    EXPECT_NE(fileName->text(), QStringLiteral("File &name:"));
    const auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    for (const QAbstractButton* button : buttons->buttons()) {
        EXPECT_FALSE(button->text().contains(QStringLiteral("Cancel"))) << button->text().toStdString();
        EXPECT_FALSE(button->text().contains(QStringLiteral("Open"))) << button->text().toStdString();
    }

    // The columns in the program's words, a folder called a folder.
    const QAbstractProxyModel* columns = dialog->proxyModel();
    ASSERT_NE(columns, nullptr);
    QStringList headers;
    for (int column = 0; column < 4; ++column) {
        headers.append(columns->headerData(column, Qt::Horizontal).toString());
    }
    EXPECT_EQ(headers, (QStringList{QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("类型"),
                                    QStringLiteral("修改日期")}));
    EXPECT_EQ(FileTypeName(QFileInfo(QStringLiteral("/tmp"))), QStringLiteral("文件夹"));
    EXPECT_EQ(FileTypeName(QFileInfo(QStringLiteral("/x/铃声.mp3"))), QStringLiteral("MP3 文件"));

    // Shortcuts as a menu shows them.
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_Up).toString(QKeySequence::NativeText), QStringLiteral("Ctrl+↑"));
    EXPECT_EQ(QKeySequence(Qt::Key_Delete).toString(QKeySequence::NativeText), QStringLiteral("Delete"));
    EXPECT_EQ(QKeySequence(Qt::Key_F2).toString(QKeySequence::NativeText), QStringLiteral("F2"));
}

// At twice the scale on a small screen, the chooser fits: its type row and its buttons stay in sight.
TEST(QtFileDialog, ItFitsTheScreen) {
    Application();
    const auto dialog = MakeQtFileDialog({FileDialogMode::Open, "导入提醒", "/tmp/", "文本文件|*.txt"});
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_LE(dialog->height(), room.height());
    EXPECT_LE(dialog->width(), room.width());
}

} // namespace
} // namespace chimewell
