// Solar Position Algorithm of I. Reda and A. Andreas, "Solar position
// algorithm for solar radiation applications", Solar Energy 76 (2004)
// 577-589, without its refraction step: DOAS analyses take the geometric
// angles. Delta T (TT - UT) from the polynomials of F. Espenak and J. Meeus,
// "Five Millennium Canon of Solar Eclipses: -1999 to +3000", NASA Technical
// Publication TP-2006-214141 (2006). Over 1950-2100 its sun is within
// 0.0003 degree of the IAU 2006/2000A apparent place at the same TT. UTC
// stands in for UT1: they differ by under 0.9 s (0.004 degree of hour
// angle), which the program cannot know without Earth rotation tables.
#include "time/solar_position.h"

#include <cmath>
#include <numbers>
#include <span>

#include "time/solar_series.h"

namespace vulconv {

namespace {

using namespace solar_series;

constexpr double kRadian = std::numbers::pi / 180;

// c0 + c1 x + c2 x^2 + ...
template <std::size_t N>
double Polynomial(const double (&c)[N], double x) {
  double value = 0;
  for (std::size_t i = N; i-- > 0;) value = value * x + c[i];
  return value;
}

// A heliocentric coordinate of the Earth, in radians or AU.
double Vsop(std::span<const Series> powers, double t) {
  double value = 0;
  for (std::size_t i = powers.size(); i-- > 0;) {
    double sum = 0;
    for (const Term& term : powers[i]) sum += term.a * std::cos(term.b + term.c * t);
    value = value * t + sum;
  }
  return value / 1e8;
}

// TT - UT in seconds at a decimal year; the end pieces extrapolate.
double DeltaT(double year) {
  if (year < 1961) return Polynomial({29.07, 0.407, -1 / 233.0, 1 / 2547.0}, year - 1950);
  if (year < 1986) return Polynomial({45.45, 1.067, -1 / 260.0, -1 / 718.0}, year - 1975);
  if (year < 2005)
    return Polynomial({63.86, 0.3345, -0.060374, 0.0017275, 0.000651814, 0.00002373599},
                      year - 2000);
  if (year < 2050) return Polynomial({62.92, 0.32217, 0.005589}, year - 2000);
  double u = (year - 1820) / 100;
  return -20 + 32 * u * u - 0.5628 * (2150 - year);
}

// Days from J2000.0 (2000-01-01 12:00), of UT for the Earth's rotation and
// of TT for the orbits.
struct Instant {
  double ut_days;
  double tt_days;
};

Instant InstantOf(const CalendarDate& date, const ClockTime& time) {
  const double seconds = time.hour * 3600 + time.minute * 60 + time.second;
  const double ut_days =
      static_cast<double>(DaysFromCivil(date.year, date.month, date.day) - 10957) +
      (seconds - 43200) / 86400;
  return {ut_days, ut_days + DeltaT(date.year + (date.month - 0.5) / 12) / 86400};
}

// The sun's geocentric apparent place at an instant of TT.
SunPlace SunAt(double tt_days) {
  const double centuries = tt_days / 36525;
  const double millennia = centuries / 10;

  // The geocentric sun, from the heliocentric Earth.
  const double sun_longitude = Vsop(kLongitude, millennia) / kRadian + 180;
  const double sun_latitude = -Vsop(kLatitude, millennia);
  const double radius = Vsop(kRadius, millennia);

  // Nutation in longitude and obliquity, in degrees.
  const double arguments[5] = {
      Polynomial({297.85036, 445267.111480, -0.0019142, 1 / 189474.0}, centuries),
      Polynomial({357.52772, 35999.050340, -0.0001603, -1 / 300000.0}, centuries),
      Polynomial({134.96298, 477198.867398, 0.0086972, 1 / 56250.0}, centuries),
      Polynomial({93.27191, 483202.017538, -0.0036825, 1 / 327270.0}, centuries),
      Polynomial({125.04452, -1934.136261, 0.0020708, 1 / 450000.0}, centuries)};
  double nutation_longitude = 0, nutation_obliquity = 0;
  for (const NutationTerm& term : kNutation) {
    double angle = 0;
    for (int i = 0; i < 5; ++i) angle += term.multiple[i] * arguments[i];
    angle *= kRadian;
    nutation_longitude += (term.psi + term.psi_t * centuries) * std::sin(angle);
    nutation_obliquity += (term.eps + term.eps_t * centuries) * std::cos(angle);
  }
  nutation_longitude /= 36e6;
  nutation_obliquity /= 36e6;

  const double mean_obliquity =  // arcseconds, Laskar's series in units of 10,000 years
      Polynomial({84381.448, -4680.93, -1.55, 1999.25, -51.38, -249.67, -39.05, 7.12, 27.87,
                  5.79, 2.45},
                 millennia / 10);
  const double obliquity = (mean_obliquity / 3600 + nutation_obliquity) * kRadian;
  const double aberration = -20.4898 / (3600 * radius);
  const double apparent_longitude =
      (sun_longitude + nutation_longitude + aberration) * kRadian;

  SunPlace place;
  place.right_ascension =
      std::atan2(std::sin(apparent_longitude) * std::cos(obliquity) -
                     std::tan(sun_latitude) * std::sin(obliquity),
                 std::cos(apparent_longitude));
  place.declination =
      std::asin(std::sin(sun_latitude) * std::cos(obliquity) +
                std::cos(sun_latitude) * std::sin(obliquity) * std::sin(apparent_longitude));
  place.sidereal_shift = nutation_longitude * std::cos(obliquity);
  place.radius = radius;
  return place;
}

// The angles at a place, from the sun's place at the instant.
SolarAngles AnglesFrom(const SunPlace& sun, double ut_days, double latitude, double longitude,
                       double altitude) {
  // Greenwich apparent sidereal time, then the hour angle.
  const double ut_centuries = ut_days / 36525;
  const double sidereal_time =
      std::fmod(280.46061837 + 360.98564736629 * ut_days, 360) +
      ut_centuries * ut_centuries * (0.000387933 - ut_centuries / 38710000) +
      sun.sidereal_shift;
  const double hour_angle = (sidereal_time + longitude) * kRadian - sun.right_ascension;
  const double declination = sun.declination;

  // Parallax: the sun seen from the observer instead of the Earth's centre.
  const double phi = latitude * kRadian;
  const double parallax = 8.794 / (3600 * sun.radius) * kRadian;
  const double reduced_latitude = std::atan(0.99664719 * std::tan(phi));
  const double height = altitude / 6378140;
  const double x = std::cos(reduced_latitude) + height * std::cos(phi);
  const double y = 0.99664719 * std::sin(reduced_latitude) + height * std::sin(phi);
  const double below = std::cos(declination) - x * std::sin(parallax) * std::cos(hour_angle);
  const double ra_shift = std::atan2(-x * std::sin(parallax) * std::sin(hour_angle), below);
  const double topo_declination = std::atan2(
      (std::sin(declination) - y * std::sin(parallax)) * std::cos(ra_shift), below);
  const double topo_hour_angle = hour_angle - ra_shift;

  const double elevation =
      std::asin(std::sin(phi) * std::sin(topo_declination) +
                std::cos(phi) * std::cos(topo_declination) * std::cos(topo_hour_angle));
  // Azimuth from the south, westward, turned to from the north, eastward.
  const double from_south = std::atan2(
      std::sin(topo_hour_angle),
      std::cos(topo_hour_angle) * std::sin(phi) - std::tan(topo_declination) * std::cos(phi));
  double azimuth = from_south / kRadian + 180;
  if (azimuth >= 360) azimuth -= 360;
  return {90 - elevation / kRadian, azimuth};
}

}  // namespace

SolarAngles SolarPosition(const CalendarDate& date, const ClockTime& time, double latitude,
                          double longitude, double altitude) {
  Instant at = InstantOf(date, time);
  return AnglesFrom(SunAt(at.tt_days), at.ut_days, latitude, longitude, altitude);
}

SolarAngles SolarPositionNear(SunHours& hours, const CalendarDate& date, const ClockTime& time,
                              double latitude, double longitude, double altitude) {
  Instant at = InstantOf(date, time);
  // Within an hour the sun's place bends by a few 1e-6 degree from a
  // straight line between its places at the hour's ends.
  const double hour = std::floor(at.tt_days * 24);
  if (hour != hours.hour) {
    hours.at[0] = hour == hours.hour + 1 ? hours.at[1] : SunAt(hour / 24);
    hours.at[1] = SunAt((hour + 1) / 24);
    hours.hour = hour;
  }
  const double f = at.tt_days * 24 - hour;
  const SunPlace& a = hours.at[0];
  const SunPlace& b = hours.at[1];
  double turn = b.right_ascension - a.right_ascension;  // across +-180 degrees
  if (turn > std::numbers::pi) turn -= 2 * std::numbers::pi;
  if (turn < -std::numbers::pi) turn += 2 * std::numbers::pi;
  SunPlace sun;
  sun.right_ascension = a.right_ascension + f * turn;
  sun.declination = a.declination + f * (b.declination - a.declination);
  sun.sidereal_shift = a.sidereal_shift + f * (b.sidereal_shift - a.sidereal_shift);
  sun.radius = a.radius + f * (b.radius - a.radius);
  return AnglesFrom(sun, at.ut_days, latitude, longitude, altitude);
}

}  // namespace vulconv
