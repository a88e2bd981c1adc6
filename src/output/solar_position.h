// PLACEHOLDER until the solar position module lands.
#ifndef VULCONV_OUTPUT_SOLAR_POSITION_H_
#define VULCONV_OUTPUT_SOLAR_POSITION_H_

#include "output/date_time.h"

namespace vulconv {

struct SolarAngles {
  double zenith = 0;
  double azimuth = 0;
};

SolarAngles SolarPosition(const CalendarDate& date, const ClockTime& time, double latitude,
                          double longitude, double altitude);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_SOLAR_POSITION_H_
