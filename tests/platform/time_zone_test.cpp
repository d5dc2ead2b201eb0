// The local zone followed while the program runs: the zone file TZ names is replaced, as timedatectl replaces
// /etc/localtime, and local times follow once the change is noticed.

#include "platform/time_zone.h"

#include "data/temp_folder.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>

namespace chimewell {
namespace {

namespace fs = std::filesystem;

long OffsetHours() {
    const std::time_t noon = 1'780'000'000; // a moment in 2026, outside any summer time of the zones below
    std::tm local{};
    localtime_r(&noon, &local);
    return local.tm_gmtoff / 3600;
}

TEST(TimeZone, AReplacedZoneFileIsReadAgain) {
    if (!fs::exists("/usr/share/zoneinfo/Asia/Shanghai") || !fs::exists("/usr/share/zoneinfo/Asia/Tokyo")) {
        GTEST_SKIP() << "no zone data on this machine";
    }
    testing::TempFolder folder;
    const std::string zone = folder.File("localtime");
    fs::copy_file("/usr/share/zoneinfo/Asia/Shanghai", zone);
    const char* saved = std::getenv("TZ");
    const std::string restore = saved != nullptr ? saved : "";
    setenv("TZ", (":" + zone).c_str(), 1);
    tzset();
    EXPECT_EQ(TimeZoneFile(), zone);
    FollowTimeZoneChange();
    EXPECT_EQ(OffsetHours(), 8);

    fs::copy_file("/usr/share/zoneinfo/Asia/Tokyo", zone + ".new");
    fs::rename(zone + ".new", zone);
    tzset();
    EXPECT_EQ(OffsetHours(), 8) << "the C library keeps the zone it read while TZ reads as before";
    EXPECT_TRUE(FollowTimeZoneChange());
    EXPECT_EQ(OffsetHours(), 9);
    EXPECT_FALSE(FollowTimeZoneChange()) << "nothing new";

    if (saved != nullptr) {
        setenv("TZ", restore.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

TEST(TimeZone, TheZoneFileFollowsTz) {
    const char* saved = std::getenv("TZ");
    const std::string restore = saved != nullptr ? saved : "";
    unsetenv("TZ");
    EXPECT_EQ(TimeZoneFile(), "/etc/localtime");
    setenv("TZ", "Asia/Tokyo", 1);
    EXPECT_EQ(TimeZoneFile(), "/usr/share/zoneinfo/Asia/Tokyo");
    setenv("TZ", "CST-8", 1);
    EXPECT_EQ(TimeZoneFile(), "/etc/localtime") << "a rule, not a file";
    if (saved != nullptr) {
        setenv("TZ", restore.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
}

} // namespace
} // namespace chimewell
