#include "calendar/festivals.h"

#include "calendar/due.h"
#include "calendar/lunar.h"

#include <algorithm>

namespace chimewell {

namespace {
constexpr int Sunday = WeekdayMask | 0x40;
constexpr int Thursday = WeekdayMask | 0x08;
} // namespace

const std::array<TFestival, 15> SolarFestivals = {{
    {"N0", "[&1]情人节", 2, 14, 0},
    {"N6", "[&2]学雷锋日", 3, 5, 0},
    {"N7", "[&3]国际妇女节", 3, 8, 0},
    {"N8", "[&4]消费者权益日", 3, 15, 0},
    {"N9", "[&5]愚人节", 4, 1, 0},
    {"N10", "[&6]国际劳动节", 5, 1, 0},
    {"N11", "[&7]中国青年节", 5, 4, 0},
    {"N23", "[&M]母亲节", 5, Sunday, 2},
    {"N13", "[&8]国际儿童节", 6, 1, 0},
    {"N24", "[&F]父亲节", 6, Sunday, 3},
    {"N15", "[&9]中国教师节", 9, 10, 0},
    {"N16", "[&0]中国国庆节", 10, 1, 0},
    {"N17", "[&A]万圣节", 11, 1, 0},
    {"N18", "[&B]感恩节", 11, Thursday, 4},
    {"N19", "[&C]圣诞节", 12, 25, 0},
}};

const std::array<TFestival, 12> LunarFestivals = {{
    {"N110", "[&1]春节", 1, 1, 0},
    {"N21", "[&2]元宵节", 1, 15, 0},
    {"N31", "[&3]送穷日", 1, 29, 0},
    {"N51", "[&4]端午节", 5, 5, 0},
    {"N61", "[&5]女儿节", 7, 7, 0},
    {"N71", "[&6]盂兰盆会", 7, 15, 0},
    {"N81", "[&7]中秋节", 8, 15, 0},
    {"N91", "[&8]重阳节", 9, 9, 0},
    {"N01", "[&9]祭祖节", 10, 1, 0},
    {"A1", "[&0]腊八节", 12, 8, 0},
    {"B1", "[&A]祭灶日", 12, 23, 0},
    {"C1", "[&B]除夕", 12, 30, 0},
}};

std::string FestivalTitle(const TFestival& festival) {
    const std::string_view caption = festival.Caption;
    const std::size_t end = caption.find(']');
    return std::string(caption.starts_with("[&") && end != std::string_view::npos ? caption.substr(end + 1) : caption);
}

std::string FestivalWeekCondition(const TFestival& festival) {
    if (festival.Occurrence == 0) {
        return {};
    }
    return "$mwo" + std::to_string(festival.Occurrence) + "$";
}

TDateTime SolarFestivalDate(const TFestival& festival, int year) {
    if (festival.Occurrence == 0) {
        return EncodeDate(year, festival.Month, festival.Day);
    }
    // The weekday bits run Monday (0x01) .. Sunday (0x40); DayOfWeek counts Sunday 1 .. Saturday 7.
    int weekday = 1;
    for (int bit = 0; bit < 7; ++bit) {
        if ((festival.Day & (1 << bit)) != 0) {
            weekday = bit == 6 ? 1 : bit + 2;
        }
    }
    const TDateTime first = EncodeDate(year, festival.Month, 1);
    const int ahead = (weekday - DayOfWeek(first) + 7) % 7; // [0, 6]
    return first + ahead + 7 * (festival.Occurrence - 1);
}

TDateTime LunarFestivalDate(const TFestival& festival, int lunarYear) {
    LunarDate date{lunarYear, festival.Month, festival.Day, false};
    if (lunarYear >= LunarTableFirstYear && lunarYear <= LunarTableLastYear) {
        date.Day = std::min(date.Day, LunarMonthDays(lunarYear, festival.Month));
    }
    return LunarToSolar(date);
}

std::vector<std::string> FestivalsOn(TDateTime date) {
    std::vector<std::string> names;
    const TDateTime day = DateOf(date);
    const int year = DecodeDate(day).Year;
    for (const TFestival& festival : SolarFestivals) {
        if (SolarFestivalDate(festival, year) == day) {
            names.push_back(FestivalTitle(festival));
        }
    }
    const LunarDate lunar = SolarToLunar(day);
    if (!lunar.IsEmpty() && !lunar.IsLeapMonth) {
        for (const TFestival& festival : LunarFestivals) {
            if (LunarFestivalDate(festival, lunar.Year) == day) {
                names.push_back(FestivalTitle(festival));
            }
        }
    }
    return names;
}

} // namespace chimewell
