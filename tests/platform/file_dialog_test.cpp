#include "platform/file_dialog.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

TEST(FileDialog, WithoutAnInstalledChooserEveryRequestIsCancelled) {
    EXPECT_EQ(ShowFileDialog({FileDialogMode::Open, "选择", "/tmp", "所有文件|*.*"}), std::nullopt);
}

TEST(FileDialog, TheInstalledChooserSeesTheRequestAndAnswers) {
    FileDialogRequest seen;
    const FileDialogFunction previous = SetFileDialogFunction([&seen](const FileDialogRequest& request) {
        seen = request;
        return std::optional<std::string>("/music/a.mp3");
    });
    EXPECT_EQ(ShowFileDialog({FileDialogMode::Save, "保存", "/music/", "音乐文件|*.mp3"}), "/music/a.mp3");
    EXPECT_EQ(seen.Mode, FileDialogMode::Save);
    EXPECT_EQ(seen.StartFolder, "/music/");
    SetFileDialogFunction(previous);
    EXPECT_EQ(ShowFileDialog({}), std::nullopt) << "the previous (none) is back";
}

TEST(FileDialog, FilterTextsSplitIntoCaptionsAndPatterns) {
    EXPECT_EQ(ParseFileFilter("音乐文件|*.mp3;*.mid;*.avi;*.wav"),
              (std::vector<FileFilterEntry>{{"音乐文件", {"*.mp3", "*.mid", "*.avi", "*.wav"}}}));
    EXPECT_EQ(ParseFileFilter("文本|*.txt|所有文件*.*|*.*"),
              (std::vector<FileFilterEntry>{{"文本", {"*.txt"}}, {"所有文件*.*", {"*.*"}}}));
    EXPECT_EQ(ParseFileFilter("孤单的标题"), std::vector<FileFilterEntry>{});
    EXPECT_EQ(ParseFileFilter("空|;;|文本|*.txt;"), (std::vector<FileFilterEntry>{{"文本", {"*.txt"}}}));
    EXPECT_EQ(ParseFileFilter(""), std::vector<FileFilterEntry>{});
}

} // namespace
} // namespace chimewell
