#include "platform/message_box.h"
#include "platform/qt_message_box.h"
#include "row_name.h"

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace chimewell {
namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "message_box_qt_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        new QApplication(argc, argv); // lives to the end of the process, as in the program
    }
}

// What a box looked like when it was answered.
struct SeenBox {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QStringList Buttons;
    QString DefaultButton;
};

// Shows a box through the installed function and answers it, once it is up, with `answer`.
MessageAnswer ShowAndAnswer(MessageKind kind, const std::function<void(QMessageBox*)>& answer, SeenBox* seen) {
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        poll.stop();
        seen->Title = box->windowTitle();
        seen->Text = box->text();
        seen->Icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            seen->Buttons << button->text();
        }
        seen->Buttons.sort();
        seen->DefaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        answer(box);
    });
    poll.start();
    return ShowMessageBox(kind, "取消操作", "要取消晴铃提醒自动关机/重启吗？");
}

std::function<void(QMessageBox*)> Click(const QString& text) {
    return [text](QMessageBox* box) {
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << text.toStdString();
        box->done(0);
    };
}

std::function<void(QMessageBox*)> Press(Qt::Key key) {
    return [key](QMessageBox* box) { QTest::keyClick(box, key); };
}

struct BoxRow {
    std::string Name;
    MessageKind Kind;
    std::function<void(QMessageBox*)> Answer;
    MessageAnswer Expected;
    QMessageBox::Icon Icon;
    QStringList Buttons; // sorted
};

class QtMessageBoxTest : public testing::TestWithParam<BoxRow> {
protected:
    void SetUp() override {
        EnsureApplication();
        Previous = SetMessageBoxFunction(QtMessageBoxFunction());
    }
    void TearDown() override { SetMessageBoxFunction(Previous); }

    MessageBoxFunction Previous;
};

TEST_P(QtMessageBoxTest, ShowsChineseButtonsAndReportsTheAnswer) {
    const BoxRow& row = GetParam();
    SeenBox seen;
    EXPECT_EQ(ShowAndAnswer(row.Kind, row.Answer, &seen), row.Expected);
    EXPECT_EQ(seen.Title, "取消操作");
    EXPECT_EQ(seen.Text, "要取消晴铃提醒自动关机/重启吗？");
    EXPECT_EQ(seen.Icon, row.Icon);
    EXPECT_EQ(seen.Buttons, row.Buttons);
    // Enter answers with the affirmative button.
    EXPECT_TRUE(seen.DefaultButton == "确定" || seen.DefaultButton == "是") << seen.DefaultButton.toStdString();
}

const QStringList OkOnly{"确定"};

QStringList Sorted(QStringList list) {
    list.sort();
    return list;
}

INSTANTIATE_TEST_SUITE_P(Boxes, QtMessageBoxTest,
                         testing::Values(BoxRow{"InformationOk", MessageKind::Information, Click("确定"),
                                                MessageAnswer::Ok, QMessageBox::Information, OkOnly},
                                         BoxRow{"InformationEscape", MessageKind::Information, Press(Qt::Key_Escape),
                                                MessageAnswer::Ok, QMessageBox::Information, OkOnly},
                                         BoxRow{"QuestionOk", MessageKind::Question, Click("确定"), MessageAnswer::Ok,
                                                QMessageBox::Question, Sorted({"确定", "取消"})},
                                         BoxRow{"QuestionCancel", MessageKind::Question, Click("取消"),
                                                MessageAnswer::Cancel, QMessageBox::Question, Sorted({"确定", "取消"})},
                                         BoxRow{"QuestionEnter", MessageKind::Question, Press(Qt::Key_Return),
                                                MessageAnswer::Ok, QMessageBox::Question, Sorted({"确定", "取消"})},
                                         BoxRow{"QuestionEscape", MessageKind::Question, Press(Qt::Key_Escape),
                                                MessageAnswer::Cancel, QMessageBox::Question, Sorted({"确定", "取消"})},
                                         BoxRow{"ConfirmOk", MessageKind::Confirm, Click("确定"), MessageAnswer::Ok,
                                                QMessageBox::Information, Sorted({"确定", "取消"})},
                                         BoxRow{"ConfirmEscape", MessageKind::Confirm, Press(Qt::Key_Escape),
                                                MessageAnswer::Cancel, QMessageBox::Information,
                                                Sorted({"确定", "取消"})},
                                         BoxRow{"YesNoYes", MessageKind::YesNo, Click("是"), MessageAnswer::Yes,
                                                QMessageBox::Question, Sorted({"是", "否"})},
                                         BoxRow{"YesNoNo", MessageKind::YesNo, Click("否"), MessageAnswer::No,
                                                QMessageBox::Question, Sorted({"是", "否"})},
                                         BoxRow{"YesNoEscape", MessageKind::YesNo, Press(Qt::Key_Escape),
                                                MessageAnswer::No, QMessageBox::Question, Sorted({"是", "否"})},
                                         BoxRow{"ErrorOk", MessageKind::Error, Click("确定"), MessageAnswer::Ok,
                                                QMessageBox::Critical, OkOnly}),
                         RowName<BoxRow>);

// A question whose safe answer is Cancel (the commands of an import): Enter answers Cancel, and a list too long
// for the screen scrolls in a field below the question, whole.
TEST(QtCautionBox, EnterAnswersCancelAndALongListScrolls) {
    EnsureApplication();
    const MessageBoxFunction previous = SetMessageBoxFunction(QtMessageBoxFunction());
    std::string text = "导入文件中有 40 条提醒带有命令。要导入吗？\n\n";
    for (int k = 1; k <= 40; ++k) {
        text += std::to_string(k) + ". 命令 " + std::to_string(k) + "\n";
    }
    QString seenDefault;
    QString scrolled;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        poll.stop();
        seenDefault = box->defaultButton() ? box->defaultButton()->text() : QString();
        if (auto* field = box->findChild<QPlainTextEdit*>(QStringLiteral("ScrolledText"))) {
            scrolled = field->toPlainText();
        }
        QTest::keyClick(box, Qt::Key_Return);
    });
    poll.start();
    EXPECT_EQ(ShowMessageBox(MessageKind::Caution, "导入命令", text), MessageAnswer::Cancel);
    EXPECT_EQ(seenDefault, QStringLiteral("取消"));
    EXPECT_TRUE(scrolled.startsWith(QStringLiteral("1. 命令 1")));
    EXPECT_TRUE(scrolled.endsWith(QStringLiteral("40. 命令 40")));
    SetMessageBoxFunction(previous);
}

} // namespace
} // namespace chimewell
