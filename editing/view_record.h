#pragma once
// What the view window shows of one reminder: a line per field, a hint per field, and the test of the message.

#include "data/reminder.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace chimewell {

struct TViewRecordTexts {
    std::string GongLiLunar;
    std::string Date;
    std::string Time;
    std::string RemindType;
    std::string RemindText;
    std::string RemindForward;
    std::string RemindOper;
    std::string RemindMusic;
    // The message holds a "#" or "%" code worth testing.
    bool TestVisible = false;
};

// The texts for a reminder; sysMusicFile is the settings' music, which plays when the reminder names none.
TViewRecordTexts ViewRecordTexts(const TRmMainDate& record, const std::string& sysMusicFile);

inline constexpr std::string_view DefaultViewHint = "查看所选择的提醒";

struct TViewField {
    std::string_view Label; // the label's name
    std::string_view Caption;
    std::string_view Hint;
};
// The eight rows, top to bottom.
extern const std::array<TViewField, 8> ViewFields;

// The test of a message as shown: nothing to show when it holds neither "#" nor "%", else the box's text with
// the codes expanded at this moment.
std::optional<std::string> MessageTestText(const std::string& shownMessage);

} // namespace chimewell
