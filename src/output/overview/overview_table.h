// The overview table: one CSV row (RFC 4180, CR LF) per STD file of a run,
// with the values the file holds. What is not known is an empty field.
#ifndef VULCONV_OUTPUT_OVERVIEW_OVERVIEW_TABLE_H_
#define VULCONV_OUTPUT_OVERVIEW_OVERVIEW_TABLE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "output/shared/number_text.h"
#include "output/overview/pixel_stats.h"

namespace vulconv {

/// One STD file of the run, as the overview files describe it.
struct OverviewRow {
  std::string_view std_name;  // the STD file's own name, no folder
  std::string_view source;    // "scan", "ref", "dark", "high", "low"
  std::int64_t record = 0;    // record number within its binary file
  std::string_view date;      // the STD file's date text, "mm/dd/yyyy" ("//" when none)
  std::string_view time;      // the STD file's time text, "hh:mm:ss" ("::" when none)
  bool has_position = false;  // latitude, longitude and altitude known
  double latitude = 0, longitude = 0, altitude = 0;
  bool has_angles = false;  // elevation angle and user parameter known
  double elevation = 0, user_param = 0;
  std::int32_t exposure = 0, scans = 0;  // ms, count; 0: not known
  bool has_solar = false;  // solar zenith angle known
  double solar_zenith = 0;
  PixelStats stats;
};

void AppendTableHeader(std::string& out);
void AppendTableRow(std::string& out, const OverviewRow& row);


/// "YYYY-MM-DD" when the date text names a day; false, and nothing appended,
/// otherwise.
bool AppendIsoDate(std::string& out, std::string_view date);

/// "YYYY-MM-DDThh:mm:ssZ" (the STD times are UTC) when both texts parse,
/// a leap second as second 59; false, and nothing appended, otherwise.
bool AppendIsoDateTime(std::string& out, std::string_view date, std::string_view time);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_OVERVIEW_OVERVIEW_TABLE_H_
