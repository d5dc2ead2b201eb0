#include "app/application.h"
#include "platform/message_box.h"

#include <QTimer>

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace chimewell {
namespace {

struct Shown {
    MessageKind Kind;
    std::string Title;
    std::string Text;
};

// An exception that escapes an event handler ends that handler only: it is shown once in the general error
// box and the event loop goes on to the next event.
TEST(GeneralErrorBox, ShowsAnEscapedExceptionAndTheProgramGoesOn) {
    std::vector<Shown> shown;
    const MessageBoxFunction previous =
        SetMessageBoxFunction([&](MessageKind kind, const std::string& title, const std::string& text) {
            shown.push_back({kind, title, text});
            return MessageAnswer::Ok;
        });
    bool laterEventRan = false;
    QTimer::singleShot(0, [] { throw std::runtime_error("Unable to write to /nowhere/reminddata.sdt"); });
    QTimer::singleShot(10, [&] {
        laterEventRan = true;
        QApplication::quit();
    });
    QApplication::exec();
    SetMessageBoxFunction(previous);

    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].Kind, MessageKind::Error);
    EXPECT_EQ(shown[0].Title, "晴铃提醒");
    EXPECT_EQ(shown[0].Text, "无法保存文件 /nowhere/reminddata.sdt。")
        << "in Chinese, as every message the program shows";
    EXPECT_TRUE(laterEventRan);
}

} // namespace
} // namespace chimewell

int main(int argc, char** argv) {
    chimewell::TRmApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
