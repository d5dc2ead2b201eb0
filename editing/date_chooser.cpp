#include "editing/date_chooser.h"

#include "data/text_helpers.h"

#include <algorithm>

namespace chimewell {

namespace {

TDateTime StartDate(const TRmMainDate& record, TDateTime today) {
    if (record.Year >= 1 && record.Month >= 1 && record.Day >= 1 && record.Day <= 31 &&
        IsValidGregorianDate(record.Year, record.Month, record.Day)) {
        return EncodeDate(record.Year, record.Month, record.Day);
    }
    return DateOf(today);
}

} // namespace

void TDateChooser::OpenDate(const TRmMainDate& record, TDateTime today) {
    Visible = true;
    DaysAfterVisible = false;
    Prompt = VerticalPrompt("请选择日期：");
    Date = StartDate(record, today);
}

void TDateChooser::OpenDaysAfter(const TRmMainDate& record, TDateTime today) {
    if (!DaysAfterFilled) {
        DaysAfterFilled = true;
        DaysAfter = 0;
    }
    Visible = true;
    DaysAfterVisible = true;
    Prompt = VerticalPrompt("请设置日期：");
    Date = StartDate(record, today);
}

TDateTime TDateChooser::Result() const {
    return DateOf(Date) + (DaysAfterVisible ? std::clamp(DaysAfter, 0, MaxDaysAfter) : 0);
}

std::string TDateChooser::ResultText() const {
    const DateFields date = DecodeDate(Result());
    return std::to_string(date.Year) + "年" + std::to_string(date.Month) + "月" + std::to_string(date.Day) + "日";
}

std::string VerticalPrompt(std::string_view prompt) {
    std::string text;
    for (std::size_t at = 0; at < prompt.size();) {
        const std::size_t length = Utf8SequenceLength(prompt, at);
        if (!text.empty()) {
            text += '\n';
        }
        text += "\u3000\n";
        text += prompt.substr(at, length);
        at += length;
    }
    return text;
}

} // namespace chimewell
