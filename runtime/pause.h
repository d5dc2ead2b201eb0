#pragma once
// Pausing the reminders for a while: how long each choice lasts, and what the notification area says meanwhile.

#include "calendar/datetime.h"

#include <optional>
#include <string>

namespace chimewell {

enum class PauseLength { HalfHour, OneHour, TwoHours, UntilTomorrow, UntilResumed };

// The moment a pause begun at `now` ends by itself; nothing for one that lasts until the user ends it.
std::optional<TDateTime> PauseEnd(PauseLength length, TDateTime now);

// The icon's tooltip: "晴铃提醒", or while paused "晴铃提醒（已暂停，至 14:30）", naming the day when the pause
// ends on another one ("至 12月9日 00:00"), or "晴铃提醒（已暂停）" until the user ends it.
std::string TrayToolTip(bool paused, std::optional<TDateTime> until, TDateTime now);

} // namespace chimewell
