#pragma once
// Quick add: one line of Chinese text, as a person types it, read into a reminder ("明天下午三点开会",
// "每月5号还房贷 提前三天和一天", "农历八月十五回老家"), or refused with the reason.

#include "calendar/datetime.h"
#include "data/reminder.h"

#include <optional>
#include <string>
#include <string_view>

namespace chimewell {

struct TQuickAddResult {
    std::optional<TRmMainDate> Record;      // none: refused
    std::string Refusal;                    // why, in Chinese, when refused
    std::optional<TRmMainDate> Alternative; // the other reading of an ambiguous phrase (3点 → 03:00 or 15:00)
};

// A one-off reminder is the nearest such moment after `now`; a repeating one starts counting from `now`.
TQuickAddResult ParseQuickAdd(std::string_view text, TDateTime now);

} // namespace chimewell
