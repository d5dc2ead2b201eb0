#include "calendar/clock.h"

#include <cmath>
#include <ctime>
#include <sys/time.h>

namespace chimewell {

namespace {
ClockOverride* ActiveOverride = nullptr;

TDateTime SystemNow() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm local{};
    const std::time_t seconds = tv.tv_sec;
    localtime_r(&seconds, &local);
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec > 59 ? 59 : local.tm_sec, static_cast<int>(tv.tv_usec / 1000));
}
} // namespace

TDateTime Now() {
    return ActiveOverride != nullptr ? ActiveOverride->Get() : SystemNow();
}

TDateTime Today() {
    return DateOf(Now());
}

ClockOverride::ClockOverride(TDateTime moment) : Moment(moment), Outer(ActiveOverride) {
    ActiveOverride = this;
}

ClockOverride::~ClockOverride() {
    ActiveOverride = Outer;
}

void ClockOverride::AdvanceSeconds(int seconds) {
    // Step in whole milliseconds so that long runs of small steps do not drift off the minute.
    const double ms = std::round(Moment * 86400000.0) + seconds * 1000.0;
    Moment = ms / 86400000.0;
}

void ClockOverride::AdvanceMinutes(int minutes) {
    AdvanceSeconds(minutes * 60);
}

} // namespace chimewell
