#include "runtime/pause.h"

#include <gtest/gtest.h>

namespace chimewell {
namespace {

TEST(PauseTest, EachLengthEndsWhereTheUserExpects) {
    const TDateTime now = EncodeDateTime(2026, 12, 8, 14, 0, 20);
    EXPECT_EQ(FormatMinute(*PauseEnd(PauseLength::HalfHour, now)), "2026-12-08 14:30");
    EXPECT_EQ(FormatMinute(*PauseEnd(PauseLength::TwoHours, now)), "2026-12-08 16:00");
    EXPECT_EQ(*PauseEnd(PauseLength::UntilTomorrow, now), EncodeDate(2026, 12, 9));
    EXPECT_EQ(PauseEnd(PauseLength::UntilResumed, now), std::nullopt);
}

TEST(PauseTest, TheTrayTellsUntilWhen) {
    const TDateTime now = EncodeDateTime(2026, 12, 8, 14, 0, 20);
    EXPECT_EQ(TrayToolTip(false, std::nullopt, now), "晴铃提醒");
    EXPECT_EQ(TrayToolTip(true, PauseEnd(PauseLength::HalfHour, now), now), "晴铃提醒（已暂停，至 14:30）");
    EXPECT_EQ(TrayToolTip(true, PauseEnd(PauseLength::UntilTomorrow, now), now),
              "晴铃提醒（已暂停，至 12月9日 00:00）");
    EXPECT_EQ(TrayToolTip(true, std::nullopt, now), "晴铃提醒（已暂停）");
}

} // namespace
} // namespace chimewell
