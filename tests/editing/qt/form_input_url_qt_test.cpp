#include "editing/form_input_url.h"

#include "dialog_checks.h"
#include "editing/scripted_answers.h"
#include "runtime/qt/modal_helpers.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace chimewell {
namespace {

class InputUrlTest : public ::testing::Test {
protected:
    bool ApplicationReady = (testing::EnsureApplication(), true);
    testing::ScriptedAnswers Answers;
    TfrmInputURL Dialog;
};

TEST_F(InputUrlTest, RefusesTheBareSchemeAndTakesAnythingElse) {
    EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("输入URL地址"));
    EXPECT_EQ(Dialog.edtInputURL->text(), QStringLiteral("http://"));
    Dialog.show();
    QTest::mouseClick(Dialog.btnOK, Qt::LeftButton);
    EXPECT_FALSE(Dialog.Accepted);
    EXPECT_TRUE(Dialog.isVisible());
    ASSERT_EQ(Answers.Boxes.size(), 1U);
    EXPECT_EQ(Answers.Boxes[0].Title, "URL错误");
    Dialog.edtInputURL->clear();
    QTest::keyClicks(Dialog.edtInputURL, "example.org");
    QTest::keyClick(Dialog.edtInputURL, Qt::Key_Return);
    EXPECT_TRUE(Dialog.Accepted);
    EXPECT_FALSE(Dialog.isVisible());
}

TEST_F(InputUrlTest, ClosingByTheFrameAcceptsNothing) {
    Dialog.show();
    Dialog.close();
    EXPECT_FALSE(Dialog.Accepted);
    EXPECT_GE(Dialog.width(), 493);
    testing::ExpectFitsAtOneAndAHalf(&Dialog);
    const std::map<QChar, QWidget*> keys = testing::Accelerators(&Dialog);
    EXPECT_EQ(keys.at(QChar(u'U')), Dialog.edtInputURL);
    EXPECT_EQ(keys.at(QChar(u'O')), Dialog.btnOK);
}

} // namespace
} // namespace chimewell
