// The sun's zenith and azimuth angles at a place and a UTC instant.
#ifndef VULCONV_TIME_SOLAR_POSITION_H_
#define VULCONV_TIME_SOLAR_POSITION_H_

#include "time/civil_date.h"

namespace vulconv {

struct SolarAngles {
  double zenith = 0;   // degrees
  double azimuth = 0;  // degrees
};

/// The geometric (no atmospheric refraction) topocentric solar zenith and azimuth angles
/// (azimuth: North = 0, East = 90, in [0, 360)) at a UTC instant and a place
/// (latitude north positive, longitude east positive, decimal degrees; altitude in metres).
SolarAngles SolarPosition(const CalendarDate& date, const ClockTime& time, double latitude,
                          double longitude, double altitude);

/// The sun's geocentric apparent place (radians, AU) and the nutation's
/// share of sidereal time (degrees).
struct SunPlace {
  double right_ascension = 0;
  double declination = 0;
  double sidereal_shift = 0;
  double radius = 0;
};

/// The sun's places at both ends of an hour of TT (hour counted from
/// J2000.0), kept from call to call.
struct SunHours {
  double hour = -1e18;
  SunPlace at[2];
};

/// SolarPosition, to within 1e-5 degree, for a run of nearby instants: the
/// sun's place, most of the cost, is computed once an hour and interpolated.
SolarAngles SolarPositionNear(SunHours& hours, const CalendarDate& date, const ClockTime& time,
                              double latitude, double longitude, double altitude);

}  // namespace vulconv

#endif  // VULCONV_TIME_SOLAR_POSITION_H_
