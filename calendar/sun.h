#pragma once
// The apparent position of the Sun and the moments of the solar terms computed from it.

#include "calendar/datetime.h"

namespace chimewell {

// The Sun's apparent geocentric ecliptic longitude, in degrees [0, 360), referred to the true equinox of
// date, at a Julian date in Terrestrial Time.
double ApparentSolarLongitude(double julianDateTT);

// ΔT = TT − UT in seconds at a decimal Gregorian year.
double DeltaTSeconds(double decimalYear);

// The moment, in China Standard Time rounded to the second, at which the apparent longitude reaches
// 285° + 15° × index (mod 360°) in the given Gregorian year; index 0..23.
TDateTime ComputeSolarTermMoment(int year, int index);

} // namespace chimewell
