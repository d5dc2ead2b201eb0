#include "platform/qt_file_dialog.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

TEST(QtFileDialog, FiltersTakeQtsFormAndAnyFileNeedsNoDot) {
    EXPECT_EQ(QtFileFilter("音乐文件|*.mp3;*.mid;*.avi;*.wav").toStdString(), "音乐文件 (*.mp3 *.mid *.avi *.wav)");
    EXPECT_EQ(QtFileFilter("所有文件*.*|*.*").toStdString(), "所有文件*.* (*)");
    EXPECT_EQ(QtFileFilter("文本|*.txt|全部|*").toStdString(), "文本 (*.txt);;全部 (*)");
    EXPECT_TRUE(QtFileFilter("").isEmpty());
}

} // namespace
} // namespace chimewell
