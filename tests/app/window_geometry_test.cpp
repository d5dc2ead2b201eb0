#include "app/window_geometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace chimewell {
namespace {

const QSize Minimum(429, 279);
const QList<QRect> OneScreen = {QRect(0, 0, 1280, 800)};
constexpr int Max = std::numeric_limits<int>::max();
constexpr int Min = std::numeric_limits<int>::min();

TEST(KeepOnScreensTest, AWindowOnAScreenStaysWhereItIs) {
    EXPECT_EQ(KeepOnScreens(265, 202, 429, 279, OneScreen, Minimum), QRect(265, 202, 429, 279));
    EXPECT_EQ(KeepOnScreens(1000, 700, 429, 279, OneScreen, Minimum), QRect(851, 521, 429, 279))
        << "pulled in whole from the edge";
    EXPECT_EQ(KeepOnScreens(100, 100, 10, 10, OneScreen, Minimum), QRect(100, 100, 429, 279));
}

// config.ini is a text file: a size of 2147483647 once made the program allocate 17 GB, and a position of
// -100000 put the window where no one could reach it.
TEST(KeepOnScreensTest, AbsurdValuesGiveAWindowOnAScreen) {
    EXPECT_EQ(KeepOnScreens(265, 202, Max, Max, OneScreen, Minimum), QRect(0, 0, 1280, 800));
    EXPECT_EQ(KeepOnScreens(-100000, 202, 429, 279, OneScreen, Minimum), QRect(0, 202, 429, 279));
    EXPECT_EQ(KeepOnScreens(Max, Min, Min, Max, OneScreen, Minimum), QRect(851, 0, 429, 800));
    EXPECT_EQ(KeepOnScreens(Min, Max, 0, 0, {}, Minimum).size(), Minimum) << "no screen known yet";
    EXPECT_EQ(KeepOnScreens(300, -30, 429, 279, OneScreen, Minimum), QRect(300, 0, 429, 279))
        << "a title bar above the screen is out of reach";
}

TEST(KeepOnScreensTest, TheFrameFitsToo) {
    EXPECT_EQ(KeepOnScreens(0, 0, Max, Max, OneScreen, Minimum, QSize(8, 40)), QRect(0, 0, 1272, 760));
    EXPECT_EQ(KeepOnScreens(1000, 700, 429, 279, OneScreen, Minimum, QSize(8, 40)), QRect(843, 481, 429, 279));
}

TEST(KeepOnScreensTest, AWindowLeftOnAScreenThatIsGoneMovesToTheNearestOne) {
    const QList<QRect> twoScreens = {QRect(0, 0, 1280, 800), QRect(1280, 0, 1920, 1080)};
    EXPECT_EQ(KeepOnScreens(2000, 400, 800, 600, twoScreens, Minimum), QRect(2000, 400, 800, 600));
    EXPECT_EQ(KeepOnScreens(2000, 500, 800, 600, OneScreen, Minimum), QRect(480, 200, 800, 600));
    EXPECT_EQ(KeepOnScreens(5000, 5000, 429, 279, twoScreens, Minimum), QRect(2771, 801, 429, 279));
}

} // namespace
} // namespace chimewell
