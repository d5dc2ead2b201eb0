#include "runtime/pause.h"

#include <cstdio>

namespace chimewell {

std::optional<TDateTime> PauseEnd(PauseLength length, TDateTime now) {
    constexpr double Minute = 1.0 / 1440.0;
    switch (length) {
    case PauseLength::HalfHour:
        return now + 30 * Minute;
    case PauseLength::OneHour:
        return now + 60 * Minute;
    case PauseLength::TwoHours:
        return now + 120 * Minute;
    case PauseLength::UntilTomorrow:
        return DateOf(now) + 1;
    case PauseLength::UntilResumed:
        break;
    }
    return std::nullopt;
}

std::string TrayToolTip(bool paused, std::optional<TDateTime> until, TDateTime now) {
    if (!paused) {
        return "晴铃提醒";
    }
    if (!until) {
        return "晴铃提醒（已暂停）";
    }
    const TDateTime end = MinuteOf(*until + 0.5 / 86400.0);
    const TimeFields time = DecodeTime(end);
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02d:%02d", time.Hour, time.Minute);
    std::string when = clock;
    if (DateOf(end) != DateOf(now)) {
        const DateFields date = DecodeDate(end);
        when = std::to_string(date.Month) + "月" + std::to_string(date.Day) + "日 " + when;
    }
    return "晴铃提醒（已暂停，至 " + when + "）";
}

} // namespace chimewell
