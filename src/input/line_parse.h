// One line of the scan text file turned into a spectrum's time and place.
#ifndef VULCONV_INPUT_LINE_PARSE_H_
#define VULCONV_INPUT_LINE_PARSE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vulconv {

struct SpectrumTimePosition {
  std::string date;         // month "/" day "/" year, as cut from the line
  std::string time;         // hour ":" minute ":" second
  double latitude = 0;      // decimal degrees, south negative
  double longitude = 0;     // decimal degrees, west negative
  double altitude = 0;
  double elevation = 0;
  double user_param = 0;
  bool gps_fields = false;    // a GPS line with its position fields, hemispheres N/S and E/W
  bool angle_fields = false;  // the line holds the elevation and user parameter fields
};

struct ParsedSpectrumLine {
  SpectrumTimePosition value;
  std::string notice;  // a console line the caller prints; empty for none
};

/// Parses the line of spectrum spectrum_index (from 0). The notice is the
/// no-GPS message for spectrum 0's line without GPS, or the field count of
/// a GPS line that has other than 16 fields.
ParsedSpectrumLine ParseSpectrumLine(std::string_view line, std::int64_t spectrum_index);

/// Decimal degrees from a ddmm.mmmm (or dddmm.mmmm) text.
double DegreesFromText(std::string_view text);

}  // namespace vulconv

#endif  // VULCONV_INPUT_LINE_PARSE_H_
