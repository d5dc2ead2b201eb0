#include "editing/accept_checks.h"

#include "data/text_helpers.h"
#include "runtime/remind_runtime.h"
#include "runtime/remind_text.h"

#include <filesystem>

namespace chimewell {

namespace {

bool MusicFileExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(std::filesystem::path(path), ignored);
}

} // namespace

std::optional<TAcceptCheck> FirstFailingCheck(const TAcceptInput& input, bool expiredConfirmed) {
    const TRmMainDate& record = *input.Record;
    const std::string& text = input.MessageText;
    if (input.StartupMethod && StartsWith(record.Command, "s")) {
        return TAcceptCheck{"设置失败", "开机提醒不能设置为自动关机或重新启动！"};
    }
    if (!expiredConfirmed && record.IsExpiredAt(input.Now)) {
        return TAcceptCheck{"已经过期", "所设置的提醒已经过期，是否继续？", MessageKind::Question};
    }
    if (text.empty()) {
        return TAcceptCheck{"不能为空", "所设置的提醒内容不能为空！"};
    }
    if (text == SilentReminderMessage && (record.Command.empty() || !record.AutoExecScript)) {
        return TAcceptCheck{"选择命令", "不显示提醒窗口时必须选择一个命令且选择自动运行！"};
    }
    // A ticked box with an empty path is fine: the reminder then plays the settings' music.
    if (input.MusicChecked && !input.MusicPath.empty() && !MusicFileExists(input.MusicPath)) {
        return TAcceptCheck{"文件不存在", "所指定的音乐文件:“" + input.MusicPath + "”不存在！"};
    }
    if (HasWeekCondition(text) && !ParseWeekCondition(text).WellFormed) {
        return TAcceptCheck{"格式不正确", "所设置的格式:“" + text + "”不正确！"};
    }
    return std::nullopt;
}

bool RunAcceptChecks(const TAcceptInput& input) {
    bool expiredConfirmed = false;
    while (const std::optional<TAcceptCheck> check = FirstFailingCheck(input, expiredConfirmed)) {
        const MessageAnswer answer = ShowMessageBox(check->Kind, check->Title, check->Text);
        if (check->Kind != MessageKind::Question || !IsAffirmative(answer)) {
            return false;
        }
        expiredConfirmed = true;
    }
    return true;
}

} // namespace chimewell
