#include "input/line_parse.h"

#include <cmath>

#include "input/line_fields.h"
#include "input/text_numbers.h"

namespace vulconv {

namespace {

constexpr const char* kNoGpsNotice =
    "The text file does not appear to contain GPS data. Continuing without GPS...";

// The texts a line yields before any of them is turned into a number.
struct PositionTexts {
  std::string latitude = "0";
  std::string latitude_hemisphere = "N";
  std::string longitude = "0";
  std::string longitude_hemisphere = "W";
  std::string altitude = "0";
  std::string elevation;
  std::string user_param;
};

// The second is read 2 wide; a second with decimals such as 7.52 is cut to
// "7." and becomes "07".
std::string SecondText(std::string second) {
  if (second.find('.') != std::string::npos) {
    if (second.size() > 1) second.erase(1);
    second.insert(0, 1, '0');
  }
  return second;
}

// A plain loop: find_first_of calls memchr on "NS" once per character.
bool IsGpsLine(std::string_view line) {
  for (char c : line) {
    if (c == 'N' || c == 'S') return true;
  }
  return false;
}

}  // namespace

double DegreesFromText(std::string_view text) {
  double v = LeadingDecimal(text) / 100.0;
  double d = std::floor(v);
  return (v - d) / 0.6 + d;
}

ParsedSpectrumLine ParseSpectrumLine(std::string_view line, std::int64_t spectrum_index) {
  ParsedSpectrumLine parsed;
  // Found once: each field read would otherwise pass over all before it.
  LineFieldStarts fields = FindLineFieldStarts(line);
  std::string year = ReadLineField(fields, 2, 4);
  std::string month = ReadLineField(fields, 3, 2);
  std::string day = ReadLineField(fields, 4, 2);
  std::string hour = ReadLineField(fields, 5, 2);
  std::string minute = ReadLineField(fields, 6, 2);
  std::string second = SecondText(ReadLineField(fields, 7, 2));

  PositionTexts texts;
  int count = CountLineFields(line);
  if (!IsGpsLine(line)) {
    if (spectrum_index == 0) parsed.notice = kNoGpsNotice;
    int elevation_field = count == 10 ? 9 : 12;
    parsed.value.angle_fields = count >= elevation_field + 1;
    texts.elevation = ReadLineField(fields, elevation_field, 3);
    texts.user_param = ReadLineField(fields, elevation_field + 1, 8);
  } else {
    texts.latitude = ReadLineField(fields, 9, 9);
    texts.latitude_hemisphere = ReadLineField(fields, 10, 1);
    texts.longitude = ReadLineField(fields, 11, 10);
    texts.longitude_hemisphere = ReadLineField(fields, 12, 1);
    texts.altitude = ReadLineField(fields, 13, 6);
    parsed.value.gps_fields = count >= 13 &&
                              (texts.latitude_hemisphere == "N" || texts.latitude_hemisphere == "S") &&
                              (texts.longitude_hemisphere == "E" || texts.longitude_hemisphere == "W");
    parsed.value.angle_fields = count == 16 || count >= 19;
    if (count == 16) {
      texts.elevation = ReadLineField(fields, 15, 3);  // read whole, sign and decimals kept
      texts.user_param = ReadLineField(fields, 16, 8);
    } else {
      parsed.notice = std::to_string(count);
      texts.elevation = ReadLineField(fields, 18, 3);
      texts.user_param = ReadLineField(fields, 19, 8);
    }
  }

  SpectrumTimePosition& value = parsed.value;
  value.altitude = LeadingDecimal(texts.altitude);
  value.elevation = LeadingDecimal(texts.elevation);
  value.user_param = LeadingDecimal(texts.user_param);
  value.latitude = DegreesFromText(texts.latitude);
  value.longitude = DegreesFromText(texts.longitude);
  // Only the exact one-letter texts turn the sign; without GPS the
  // longitude's "W" makes it a negative zero.
  if (texts.latitude_hemisphere == "S") value.latitude *= -1.0;
  if (texts.longitude_hemisphere == "W") value.longitude *= -1.0;
  value.date = month + "/" + day + "/" + year;
  value.time = hour + ":" + minute + ":" + second;
  return parsed;
}

}  // namespace vulconv
