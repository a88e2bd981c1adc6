// Solar zenith and azimuth against an independent implementation: every
// expected value is PyEphem's (4.1.4) for the same UTC instant (a leap
// second as the next day's 0:00:00) and place, with observer.pressure = 0
// (no refraction): 90 - alt and az of ephem.Sun(observer). Azimuth is
// checked where the zenith angle is at least 5 degrees; closer to the
// zenith it turns fast with any error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "time/solar_position.h"

namespace vulconv {
namespace {

TEST(SolarPosition, MatchesPyEphem) {
  struct Case {
    CalendarDate date;
    ClockTime time;
    double latitude, longitude, altitude, zenith, azimuth;
  };
  const Case cases[] = {
      {{1950, 3, 21}, {12, 0, 0}, 51.4778, -0.0015, 46, 51.3814, 177.6332},
      {{1979, 6, 21}, {6, 0, 0}, -89.99, 139.27, 2835, 113.4329, 311.1124},  // polar night
      {{1983, 12, 22}, {2, 0, 0}, -33.8688, 151.2093, 58, 10.5298, 351.5952},
      {{1994, 4, 5}, {23, 30, 0}, 52.0, -179.9, 0, 46.2101, 168.8789},
      {{2000, 1, 1}, {12, 0, 0}, 0.0, 0.0, 0, 23.0472, 178.0687},
      {{2016, 12, 31}, {23, 59, 60}, 64.1466, -21.9426, 20, 136.1921, 328.9793},  // leap second
      {{2024, 2, 29}, {10, 0, 0}, 49.3988, 8.6724, 110, 60.9643, 152.0450},
      {{2024, 6, 21}, {0, 0, 0}, 78.9236, 11.9265, 10, 77.4339, 10.7764},  // midnight sun
      {{2024, 7, 26}, {18, 43, 0}, 19.4326, -99.1332, 2240, 0.2394, 175.7084},
      {{2024, 12, 21}, {11, 0, 0}, 78.9236, 11.9265, 10, 102.3754, 177.5192},  // polar night
      {{2066, 9, 10}, {22, 0, 0}, -17.7134, 179.9, 0, 36.4736, 55.1242},
      {{2100, 3, 1}, {0, 0, 0}, 35.6762, 139.6503, 40, 59.5234, 127.7704},  // no 29 February
      {{2100, 12, 21}, {3, 0, 0}, -77.8419, 166.6863, 10, 56.4914, 324.0421},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.date.year << "-" << c.date.month << "-" << c.date.day);
    SolarAngles angles = SolarPosition(c.date, c.time, c.latitude, c.longitude, c.altitude);
    EXPECT_NEAR(angles.zenith, c.zenith, 0.01);
    if (c.zenith >= 5) {
      EXPECT_NEAR(angles.azimuth, c.azimuth, 0.01);
    }
    EXPECT_TRUE(angles.azimuth >= 0 && angles.azimuth < 360) << angles.azimuth;
  }
}

// A run of instants 37 s apart, across hours, midnight, the year's end and
// the sun's right ascension passing 0 (20 March), then a step back in time:
// the interpolated angles stay those of the direct computation.
TEST(SolarPosition, NearInstantsInterpolated) {
  const CalendarDate starts[] = {{2024, 3, 19}, {2023, 12, 31}, {1987, 7, 4}};
  SunHours hours;
  double worst = 0;
  for (const CalendarDate& start : starts) {
    for (int step = 0; step < 6000; ++step) {
      int seconds = step * 37;
      CalendarDate date = start;
      for (int days = seconds / 86400; days > 0; --days) {
        if (++date.day > DaysInMonth(date.year, date.month)) date.day = 1, ++date.month;
        if (date.month > 12) date.month = 1, ++date.year;
      }
      ClockTime time{seconds / 3600 % 24, seconds / 60 % 60, seconds % 60};
      double latitude = -60 + step % 120, longitude = -179 + step % 358;
      SolarAngles direct = SolarPosition(date, time, latitude, longitude, 100);
      SolarAngles near = SolarPositionNear(hours, date, time, latitude, longitude, 100);
      worst = std::max(worst, std::fabs(direct.zenith - near.zenith));
      if (direct.zenith > 1 && direct.zenith < 179) {
        double turn = std::fabs(direct.azimuth - near.azimuth);
        worst = std::max(worst, std::min(turn, 360 - turn) * std::sin(direct.zenith / 57.3));
      }
    }
  }
  EXPECT_LT(worst, 1e-5);
}

// Day counts at known dates, and four centuries apart even at the largest
// year a date text can give (nine digits), where 32 bits would overflow.
TEST(CivilDate, DaysFromCivil) {
  EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
  EXPECT_EQ(DaysFromCivil(2000, 1, 1), 10957);
  EXPECT_EQ(DaysFromCivil(2000, 3, 1) - DaysFromCivil(2000, 2, 28), 2);  // 2000 is a leap year
  EXPECT_EQ(DaysFromCivil(2100, 3, 1) - DaysFromCivil(2100, 2, 28), 1);  // 2100 is not
  EXPECT_EQ(DaysFromCivil(1969, 12, 31), -1);
  for (std::int64_t year : {1, 1582, 999999599}) {
    EXPECT_EQ(DaysFromCivil(year + 400, 2, 29) - DaysFromCivil(year, 2, 29), 146097) << year;
  }
  SolarAngles far = SolarPosition({999999999, 12, 31}, {23, 59, 59}, 0, 0, 0);
  EXPECT_TRUE(std::isfinite(far.zenith));
}

}  // namespace
}  // namespace vulconv
