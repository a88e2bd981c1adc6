// What the output formats know of one spectrum: the values its STD file
// holds, and what its date, time and place make known besides.
#ifndef VULCONV_OUTPUT_SHARED_OUTPUT_RECORD_H_
#define VULCONV_OUTPUT_SHARED_OUTPUT_RECORD_H_

#include <cstdint>
#include <string>

#include "input/binary_file.h"
#include "time/civil_date.h"
#include "time/solar_position.h"

namespace vulconv {

enum class StdKind { Scan, Ref, Dark, High, Low };

struct StdSpectrumInfo {
  std::int64_t index = 0;
  std::string date;
  std::string time;
  std::int32_t scans = 0;
  std::int32_t exposure = 0;
  double longitude = 0;  // longitude to user_param: scan form only
  double latitude = 0;
  double altitude = 0;
  double elevation = 0;
  double user_param = 0;
};

/// One record with what its STD file says and what its line told besides.
struct OutputRecord {
  StdKind kind = StdKind::Scan;
  SpectrumRecord record;
  StdSpectrumInfo info;
  bool has_position = false;  // latitude, longitude and altitude are known
  bool has_angles = false;    // the elevation and user parameter are known
};

/// What a record's date, time and place make known beyond its STD file.
struct SpectrumFacts {
  bool has_date = false;
  CalendarDate date;
  bool has_time = false;
  ClockTime time;
  bool has_solar = false;  // a position, a date and a time
  SolarAngles solar;
};

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_SHARED_OUTPUT_RECORD_H_
