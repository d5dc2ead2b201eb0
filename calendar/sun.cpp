#include "calendar/sun.h"

#include <cmath>
#include <erfa.h>
#include <erfam.h>

namespace chimewell {

namespace {
constexpr double JulianDateOfDateTimeEpoch = 2415018.5; // 1899-12-30 00:00
constexpr double ChinaStandardTimeOffsetDays = 8.0 / 24.0;
constexpr double MeanDegreesPerDay = 360.0 / 365.2422;

// The signed difference a − b folded into (−180, 180].
double AngleDifference(double a, double b) {
    double difference = std::fmod(a - b, 360.0);
    if (difference <= -180.0) {
        difference += 360.0;
    } else if (difference > 180.0) {
        difference -= 360.0;
    }
    return difference;
}

double Polynomial(double t, std::initializer_list<double> coefficients) {
    double result = 0.0;
    double power = 1.0;
    for (const double coefficient : coefficients) {
        result += coefficient * power;
        power *= t;
    }
    return result;
}
} // namespace

double ApparentSolarLongitude(double julianDateTT) {
    // ERFA splits a Julian date in two parts to keep precision: the modified Julian date carries the fraction.
    const double date1 = ERFA_DJM0;
    const double date2 = julianDateTT - ERFA_DJM0;

    double heliocentric[2][3];
    double barycentric[2][3];
    eraEpv00(date1, date2, heliocentric, barycentric); // TDB and TT differ by under 2 ms

    double sunFromEarth[3] = {-heliocentric[0][0], -heliocentric[0][1], -heliocentric[0][2]};
    double distance = 0.0;
    double direction[3];
    eraPn(sunFromEarth, &distance, direction);

    // The Earth's barycentric velocity in units of the speed of light, for the annual aberration.
    double velocity[3];
    for (int i = 0; i < 3; ++i) {
        velocity[i] = barycentric[1][i] * ERFA_AULT / ERFA_DAYSEC;
    }
    const double inverseLorentz = std::sqrt(1.0 - eraPdp(velocity, velocity));
    double apparent[3];
    eraAb(direction, velocity, distance, inverseLorentz, apparent);

    double toEcliptic[3][3];
    eraEcm06(date1, date2, toEcliptic); // ICRS to the mean ecliptic and equinox of date
    double ecliptic[3];
    eraRxp(toEcliptic, apparent, ecliptic);

    double nutationInLongitude = 0.0;
    double nutationInObliquity = 0.0;
    eraNut06a(date1, date2, &nutationInLongitude, &nutationInObliquity);

    const double longitude = eraAnp(std::atan2(ecliptic[1], ecliptic[0]) + nutationInLongitude);
    return longitude * ERFA_DR2D;
}

double DeltaTSeconds(double y) {
    // Piecewise polynomials fitted to the historical record and its extrapolation.
    if (y < -500) {
        const double u = (y - 1820) / 100;
        return -20 + 32 * u * u;
    }
    if (y < 500) {
        return Polynomial(y / 100, {10583.6, -1014.41, 33.78311, -5.952053, -0.1798452, 0.022174192, 0.0090316521});
    }
    if (y < 1600) {
        return Polynomial((y - 1000) / 100,
                          {1574.2, -556.01, 71.23472, 0.319781, -0.8503463, -0.005050998, 0.0083572073});
    }
    if (y < 1700) {
        return Polynomial(y - 1600, {120, -0.9808, -0.01532, 1.0 / 7129});
    }
    if (y < 1800) {
        return Polynomial(y - 1700, {8.83, 0.1603, -0.0059285, 0.00013336, -1.0 / 1174000});
    }
    if (y < 1860) {
        return Polynomial(y - 1800, {13.72, -0.332447, 0.0068612, 0.0041116, -0.00037436, 0.0000121272, -0.0000001699,
                                     0.000000000875});
    }
    if (y < 1900) {
        return Polynomial(y - 1860, {7.62, 0.5737, -0.251754, 0.01680668, -0.0004473624, 1.0 / 233174});
    }
    if (y < 1920) {
        return Polynomial(y - 1900, {-2.79, 1.494119, -0.0598939, 0.0061966, -0.000197});
    }
    if (y < 1941) {
        return Polynomial(y - 1920, {21.20, 0.84493, -0.076100, 0.0020936});
    }
    if (y < 1961) {
        return Polynomial(y - 1950, {29.07, 0.407, -1.0 / 233, 1.0 / 2547});
    }
    if (y < 1986) {
        return Polynomial(y - 1975, {45.45, 1.067, -1.0 / 260, -1.0 / 718});
    }
    if (y < 2005) {
        return Polynomial(y - 2000, {63.86, 0.3345, -0.060374, 0.0017275, 0.000651814, 0.00002373599});
    }
    if (y < 2050) {
        return Polynomial(y - 2000, {62.92, 0.32217, 0.005589});
    }
    const double u = (y - 1820) / 100;
    if (y < 2150) {
        return -20 + 32 * u * u - 0.5628 * (2150 - y);
    }
    return -20 + 32 * u * u;
}

TDateTime ComputeSolarTermMoment(int year, int index) {
    const double target = std::fmod(285.0 + 15.0 * index, 360.0);
    // 小寒 falls near January 6 and the terms follow about 15.2 days apart.
    double julianDate = EncodeDate(year, 1, 6) + JulianDateOfDateTimeEpoch + 15.2184 * index;
    for (int step = 0; step < 12; ++step) {
        const double correction = AngleDifference(target, ApparentSolarLongitude(julianDate)) / MeanDegreesPerDay;
        julianDate += correction;
        if (std::fabs(correction) < 1e-7) {
            break;
        }
    }
    const double decimalYear = year + (julianDate - (EncodeDate(year, 1, 1) + JulianDateOfDateTimeEpoch)) / 365.2425;
    const double universal = julianDate - DeltaTSeconds(decimalYear) / ERFA_DAYSEC;
    const double local = universal + ChinaStandardTimeOffsetDays - JulianDateOfDateTimeEpoch;
    return std::round(local * ERFA_DAYSEC) / ERFA_DAYSEC;
}

} // namespace chimewell
