#pragma once
// Finds a festival of either table by its menu item's name, for tests that speak of festivals by name.

#include "calendar/festivals.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace chimewell::testing {

inline const TFestival& FestivalByName(std::string_view name) {
    for (const TFestival& festival : SolarFestivals) {
        if (festival.Name == name) {
            return festival;
        }
    }
    for (const TFestival& festival : LunarFestivals) {
        if (festival.Name == name) {
            return festival;
        }
    }
    throw std::out_of_range(std::string(name));
}

} // namespace chimewell::testing
