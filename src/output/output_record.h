// The plain values every output of a run works from: the plan of the run
// and one record with what is known of it.
#ifndef VULCONV_OUTPUT_OUTPUT_RECORD_H_
#define VULCONV_OUTPUT_OUTPUT_RECORD_H_

#include <cstdint>
#include <string>

#include "input/binary_file.h"
#include "output/date_time.h"
#include "output/output_folder.h"
#include "output/solar_position.h"
#include "output/std_writer.h"

namespace vulconv {

/// What the options add to the STD files.
struct OutputChoice {
  bool qdoas = false;     // one QDOAS file per binary file
  bool overview = false;  // table, track and picture of the scan
};

/// Where the passes write and the settings every file carries.
struct OutputPlan {
  std::string scan_file_name;
  FileStructure structure = FileStructure::New;
  OutputFolder output;
  std::int32_t exposure_time = 0;
  std::int32_t coadded_scans = 0;
  OutputChoice choice;
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

#endif  // VULCONV_OUTPUT_OUTPUT_RECORD_H_
