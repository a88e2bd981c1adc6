// The sun's zenith and azimuth angles at a place and a UTC instant.
#ifndef VULCONV_OUTPUT_SOLAR_POSITION_H_
#define VULCONV_OUTPUT_SOLAR_POSITION_H_

#include "output/date_time.h"

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

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_SOLAR_POSITION_H_
