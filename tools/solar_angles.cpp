// Reads "year month day hour minute second latitude longitude altitude"
// lines and writes "zenith azimuth" for each, for tools/solar_check.py.
#include <cstdio>

#include "time/solar_position.h"

int main() {
  vulconv::CalendarDate d;
  vulconv::ClockTime t;
  double lat, lon, alt;
  while (std::scanf("%d %d %d %d %d %d %lf %lf %lf", &d.year, &d.month, &d.day, &t.hour,
                    &t.minute, &t.second, &lat, &lon, &alt) == 9) {
    vulconv::SolarAngles a = vulconv::SolarPosition(d, t, lat, lon, alt);
    std::printf("%.9f %.9f\n", a.zenith, a.azimuth);
  }
}
