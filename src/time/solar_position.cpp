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

namespace vulconv {

namespace {

// A periodic term a cos(b + c t) of the Earth's heliocentric series (VSOP87,
// truncated), in 1e-8 radians or AU, t in Julian millennia of TT from J2000.
struct Term {
  double a, b, c;
};

constexpr Term kL0[] = {
    {175347046, 0, 0}, {3341656, 4.6692568, 6283.07585}, {34894, 4.6261, 12566.1517},
    {3497, 2.7441, 5753.3849}, {3418, 2.8289, 3.5231}, {3136, 3.6277, 77713.7715},
    {2676, 4.4181, 7860.4194}, {2343, 6.1352, 3930.2097}, {1324, 0.7425, 11506.7698},
    {1273, 2.0371, 529.691}, {1199, 1.1096, 1577.3435}, {990, 5.233, 5884.927},
    {902, 2.045, 26.298}, {857, 3.508, 398.149}, {780, 1.179, 5223.694},
    {753, 2.533, 5507.553}, {505, 4.583, 18849.228}, {492, 4.205, 775.523},
    {357, 2.92, 0.067}, {317, 5.849, 11790.629}, {284, 1.899, 796.298},
    {271, 0.315, 10977.079}, {243, 0.345, 5486.778}, {206, 4.806, 2544.314},
    {205, 1.869, 5573.143}, {202, 2.458, 6069.777}, {156, 0.833, 213.299},
    {132, 3.411, 2942.463}, {126, 1.083, 20.775}, {115, 0.645, 0.98},
    {103, 0.636, 4694.003}, {102, 0.976, 15720.839}, {102, 4.267, 7.114},
    {99, 6.21, 2146.17}, {98, 0.68, 155.42}, {86, 5.98, 161000.69}, {85, 1.3, 6275.96},
    {85, 3.67, 71430.7}, {80, 1.81, 17260.15}, {79, 3.04, 12036.46}, {75, 1.76, 5088.63},
    {74, 3.5, 3154.69}, {74, 4.68, 801.82}, {70, 0.83, 9437.76}, {62, 3.98, 8827.39},
    {61, 1.82, 7084.9}, {57, 2.78, 6286.6}, {56, 4.39, 14143.5}, {56, 3.47, 6279.55},
    {52, 0.19, 12139.55}, {52, 1.33, 1748.02}, {51, 0.28, 5856.48}, {49, 0.49, 1194.45},
    {41, 5.37, 8429.24}, {41, 2.4, 19651.05}, {39, 6.17, 10447.39}, {37, 6.04, 10213.29},
    {37, 2.57, 1059.38}, {36, 1.71, 2352.87}, {36, 1.78, 6812.77}, {33, 0.59, 17789.85},
    {30, 0.44, 83996.85}, {30, 2.74, 1349.87}, {25, 3.16, 4690.48}};
constexpr Term kL1[] = {
    {628331966747, 0, 0}, {206059, 2.678235, 6283.07585}, {4303, 2.6351, 12566.1517},
    {425, 1.59, 3.523}, {119, 5.796, 26.298}, {109, 2.966, 1577.344}, {93, 2.59, 18849.23},
    {72, 1.14, 529.69}, {68, 1.87, 398.15}, {67, 4.41, 5507.55}, {59, 2.89, 5223.69},
    {56, 2.17, 155.42}, {45, 0.4, 796.3}, {36, 0.47, 775.52}, {29, 2.65, 7.11},
    {21, 5.34, 0.98}, {19, 1.85, 5486.78}, {19, 4.97, 213.3}, {17, 2.99, 6275.96},
    {16, 0.03, 2544.31}, {16, 1.43, 2146.17}, {15, 1.21, 10977.08}, {12, 2.83, 1748.02},
    {12, 3.26, 5088.63}, {12, 5.27, 1194.45}, {12, 2.08, 4694}, {11, 0.77, 553.57},
    {10, 1.3, 6286.6}, {10, 4.24, 1349.87}, {9, 2.7, 242.73}, {9, 5.64, 951.72},
    {8, 5.3, 2352.87}, {6, 2.65, 9437.76}, {6, 4.67, 4690.48}};
constexpr Term kL2[] = {
    {52919, 0, 0}, {8720, 1.0721, 6283.0758}, {309, 0.867, 12566.152}, {27, 0.05, 3.52},
    {16, 5.19, 26.3}, {16, 3.68, 155.42}, {10, 0.76, 18849.23}, {9, 2.06, 77713.77},
    {7, 0.83, 775.52}, {5, 4.66, 1577.34}, {4, 1.03, 7.11}, {4, 3.44, 5573.14},
    {3, 5.14, 796.3}, {3, 6.05, 5507.55}, {3, 1.19, 242.73}, {3, 6.12, 529.69},
    {3, 0.31, 398.15}, {3, 2.28, 553.57}, {2, 4.38, 5223.69}, {2, 3.75, 0.98}};
constexpr Term kL3[] = {{289, 5.844, 6283.076}, {35, 0, 0}, {17, 5.49, 12566.15},
                        {3, 5.2, 155.42}, {1, 4.72, 3.52}, {1, 5.3, 18849.23},
                        {1, 5.97, 242.73}};
constexpr Term kL4[] = {{114, 3.142, 0}, {8, 4.13, 6283.08}, {1, 3.84, 12566.15}};
constexpr Term kL5[] = {{1, 3.14, 0}};
constexpr Term kB0[] = {{280, 3.199, 84334.662}, {102, 5.422, 5507.553}, {80, 3.88, 5223.69},
                        {44, 3.7, 2352.87}, {32, 4, 1577.34}};
constexpr Term kB1[] = {{9, 3.9, 5507.55}, {6, 1.73, 5223.69}};
constexpr Term kR0[] = {
    {100013989, 0, 0}, {1670700, 3.0984635, 6283.07585}, {13956, 3.05525, 12566.1517},
    {3084, 5.1985, 77713.7715}, {1628, 1.1739, 5753.3849}, {1576, 2.8469, 7860.4194},
    {925, 5.453, 11506.77}, {542, 4.564, 3930.21}, {472, 3.661, 5884.927},
    {346, 0.964, 5507.553}, {329, 5.9, 5223.694}, {307, 0.299, 5573.143},
    {243, 4.273, 11790.629}, {212, 5.847, 1577.344}, {186, 5.022, 10977.079},
    {175, 3.012, 18849.228}, {110, 5.055, 5486.778}, {98, 0.89, 6069.78}, {86, 5.69, 15720.84},
    {86, 1.27, 161000.69}, {65, 0.27, 17260.15}, {63, 0.92, 529.69}, {57, 2.01, 83996.85},
    {56, 5.24, 71430.7}, {49, 3.25, 2544.31}, {47, 2.58, 775.52}, {45, 5.54, 9437.76},
    {43, 6.01, 6275.96}, {39, 5.36, 4694}, {38, 2.39, 8827.39}, {37, 0.83, 19651.05},
    {37, 4.9, 12139.55}, {36, 1.67, 12036.46}, {35, 1.84, 2942.46}, {33, 0.24, 7084.9},
    {32, 0.18, 5088.63}, {32, 1.78, 398.15}, {28, 1.21, 6286.6}, {28, 1.9, 6279.55},
    {26, 4.59, 10447.39}};
constexpr Term kR1[] = {{103019, 1.10749, 6283.07585}, {1721, 1.0644, 12566.1517},
                        {702, 3.142, 0}, {32, 1.02, 18849.23}, {31, 2.84, 5507.55},
                        {25, 1.32, 5223.69}, {18, 1.42, 1577.34}, {10, 5.91, 10977.08},
                        {9, 1.42, 6275.96}, {9, 0.27, 5486.78}};
constexpr Term kR2[] = {{4359, 5.7846, 6283.0758}, {124, 5.579, 12566.152}, {12, 3.14, 0},
                        {9, 3.63, 77713.77}, {6, 1.87, 5573.14}, {3, 5.47, 18849.23}};
constexpr Term kR3[] = {{145, 4.273, 6283.076}, {7, 3.92, 12566.15}};
constexpr Term kR4[] = {{4, 2.56, 6283.08}};

// The series of one coordinate, by power of t.
using Series = std::span<const Term>;
constexpr Series kLongitude[] = {kL0, kL1, kL2, kL3, kL4, kL5};
constexpr Series kLatitude[] = {kB0, kB1};
constexpr Series kRadius[] = {kR0, kR1, kR2, kR3, kR4};

// A term of the IAU 1980 nutation: multiples of the five fundamental
// arguments (D, M, M', F, Omega), then psi + psi_t T for the longitude and
// eps + eps_t T for the obliquity, in 0.0001", T in Julian centuries of TT.
struct NutationTerm {
  signed char multiple[5];
  double psi, psi_t, eps, eps_t;
};

constexpr NutationTerm kNutation[] = {
    {{0, 0, 0, 0, 1}, -171996, -174.2, 92025, 8.9}, {{-2, 0, 0, 2, 2}, -13187, -1.6, 5736, -3.1},
    {{0, 0, 0, 2, 2}, -2274, -0.2, 977, -0.5}, {{0, 0, 0, 0, 2}, 2062, 0.2, -895, 0.5},
    {{0, 1, 0, 0, 0}, 1426, -3.4, 54, -0.1}, {{0, 0, 1, 0, 0}, 712, 0.1, -7, 0},
    {{-2, 1, 0, 2, 2}, -517, 1.2, 224, -0.6}, {{0, 0, 0, 2, 1}, -386, -0.4, 200, 0},
    {{0, 0, 1, 2, 2}, -301, 0, 129, -0.1}, {{-2, -1, 0, 2, 2}, 217, -0.5, -95, 0.3},
    {{-2, 0, 1, 0, 0}, -158, 0, 0, 0}, {{-2, 0, 0, 2, 1}, 129, 0.1, -70, 0},
    {{0, 0, -1, 2, 2}, 123, 0, -53, 0}, {{2, 0, 0, 0, 0}, 63, 0, 0, 0},
    {{0, 0, 1, 0, 1}, 63, 0.1, -33, 0}, {{2, 0, -1, 2, 2}, -59, 0, 26, 0},
    {{0, 0, -1, 0, 1}, -58, -0.1, 32, 0}, {{0, 0, 1, 2, 1}, -51, 0, 27, 0},
    {{-2, 0, 2, 0, 0}, 48, 0, 0, 0}, {{0, 0, -2, 2, 1}, 46, 0, -24, 0},
    {{2, 0, 0, 2, 2}, -38, 0, 16, 0}, {{0, 0, 2, 2, 2}, -31, 0, 13, 0},
    {{0, 0, 2, 0, 0}, 29, 0, 0, 0}, {{-2, 0, 1, 2, 2}, 29, 0, -12, 0},
    {{0, 0, 0, 2, 0}, 26, 0, 0, 0}, {{-2, 0, 0, 2, 0}, -22, 0, 0, 0},
    {{0, 0, -1, 2, 1}, 21, 0, -10, 0}, {{0, 2, 0, 0, 0}, 17, -0.1, 0, 0},
    {{2, 0, -1, 0, 1}, 16, 0, -8, 0}, {{-2, 2, 0, 2, 2}, -16, 0.1, 7, 0},
    {{0, 1, 0, 0, 1}, -15, 0, 9, 0}, {{-2, 0, 1, 0, 1}, -13, 0, 7, 0},
    {{0, -1, 0, 0, 1}, -12, 0, 6, 0}, {{0, 0, 2, -2, 0}, 11, 0, 0, 0},
    {{2, 0, -1, 2, 1}, -10, 0, 5, 0}, {{2, 0, 1, 2, 2}, -8, 0, 3, 0},
    {{0, 1, 0, 2, 2}, 7, 0, -3, 0}, {{-2, 1, 1, 0, 0}, -7, 0, 0, 0},
    {{0, -1, 0, 2, 2}, -7, 0, 3, 0}, {{2, 0, 0, 2, 1}, -7, 0, 3, 0},
    {{2, 0, 1, 0, 0}, 6, 0, 0, 0}, {{-2, 0, 2, 2, 2}, 6, 0, -3, 0},
    {{-2, 0, 1, 2, 1}, 6, 0, -3, 0}, {{2, 0, -2, 0, 1}, -6, 0, 3, 0},
    {{2, 0, 0, 0, 1}, -6, 0, 3, 0}, {{0, -1, 1, 0, 0}, 5, 0, 0, 0},
    {{-2, -1, 0, 2, 1}, -5, 0, 3, 0}, {{-2, 0, 0, 0, 1}, -5, 0, 3, 0},
    {{0, 0, 2, 2, 1}, -5, 0, 3, 0}, {{-2, 0, 2, 0, 1}, 4, 0, 0, 0},
    {{-2, 1, 0, 2, 1}, 4, 0, 0, 0}, {{0, 0, 1, -2, 0}, 4, 0, 0, 0},
    {{-1, 0, 1, 0, 0}, -4, 0, 0, 0}, {{-2, 1, 0, 0, 0}, -4, 0, 0, 0},
    {{1, 0, 0, 0, 0}, -4, 0, 0, 0}, {{0, 0, 1, 2, 0}, 3, 0, 0, 0},
    {{0, 0, -2, 2, 2}, -3, 0, 0, 0}, {{-1, -1, 1, 0, 0}, -3, 0, 0, 0},
    {{0, 1, 1, 0, 0}, -3, 0, 0, 0}, {{0, -1, 1, 2, 2}, -3, 0, 0, 0},
    {{2, -1, -1, 2, 2}, -3, 0, 0, 0}, {{0, 0, 3, 2, 2}, -3, 0, 0, 0},
    {{2, -1, 0, 2, 2}, -3, 0, 0, 0}};

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
