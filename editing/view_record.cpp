#include "editing/view_record.h"

#include "data/reminder_schedule.h"

#include "runtime/remind_runtime.h"
#include "runtime/remind_text.h"

namespace chimewell {

namespace {
bool HasCode(std::string_view text) {
    return text.find_first_of("#%") != std::string_view::npos;
}
} // namespace

const std::array<TViewField, 8> ViewFields = {{
    {"lbGongLiLunar", "历        制：", "所设置的历制（公历/农历）"},
    {"lbDate", "日        期：", "所设置的日期"},
    {"lbTime", "时        间：", "所设置的时间"},
    {"lbRemindType", "提醒方式：", "所设置的提醒方式"},
    {"lbRemindText", "提醒内容：", "所设置的提醒内容"},
    {"lbRemindForward", "提前提醒：", "所设置的提前提醒时间"},
    {"lbRemindOper", "提醒操作：", "所设置的提醒操作"},
    {"lbRemindMusic", "提醒音乐：", "所设置的提醒音乐"},
}};

TViewRecordTexts ViewRecordTexts(const TRmMainDate& record, const std::string& sysMusicFile) {
    TViewRecordTexts texts;
    texts.GongLiLunar = record.IsLunar ? "农历" : "公历";
    texts.Date = RepeatDateText(record) + RepeatBoundsText(record);
    texts.Time = record.TimeText();
    texts.RemindType = std::string(MethodCaption(record.Method)) + (record.Reminded ? "(已提醒)" : "(未提醒)");
    texts.RemindText = record.Message == SilentReminderMessage
                           ? "(不显示提醒窗口) " + std::string(SilentReminderMessage)
                           : record.Message;
    texts.TestVisible = HasCode(record.Message);
    texts.RemindForward =
        record.Forward != 0 ? "提前：" + std::to_string(record.Forward) + "分钟" : std::string("(不提前提醒)");
    if (!record.Warnings.empty()) {
        texts.RemindForward += "；另" + WarningsText(record.Warnings);
    }
    texts.RemindOper = record.Command.empty() ? std::string("(无提醒命令)") : record.Command;
    if (!record.Music.empty()) {
        texts.RemindMusic = record.Music;
    } else if (!sysMusicFile.empty()) {
        texts.RemindMusic = "(系统音乐) " + sysMusicFile;
    } else {
        texts.RemindMusic = "(无提醒音乐)";
    }
    return texts;
}

std::optional<std::string> MessageTestText(const std::string& shownMessage) {
    if (!HasCode(shownMessage)) {
        return std::nullopt;
    }
    return "内容为：“" + ExpandRemindText(shownMessage) + "”。";
}

} // namespace chimewell
