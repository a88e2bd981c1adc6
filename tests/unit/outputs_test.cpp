// What the options' files know of a spectrum: its date and time as numbers,
// its position, the keys of its QDOAS record.
#include <gtest/gtest.h>

#include "input/line_parse.h"
#include "time/civil_date.h"
#include "output/qdoas/qdoas_file.h"
#include "convert/scan_pass.h"

namespace vulconv {
namespace {

TEST(Outputs, DateAndTimeTexts) {
  // Text and the date it names as yyyymmdd, 0 for none.
  const std::pair<const char*, int> dates[] = {
      {"05/14/2012", 20120514}, {"02/29/2024", 20240229}, {"02/29/2100", 0},
      {"02/29/2000", 20000229}, {"13/01/2012", 0},        {"00/10/2012", 0},
      {"04/31/2012", 0},        {"1x/14/2012", 0},        {"//", 0},
      {"05/14/", 0},            {"05/14/2012/1", 0},      {"-5/14/2012", 0}};
  for (const auto& [text, ymd] : dates) {
    CalendarDate date;
    bool ok = ParseDateText(text, date);
    EXPECT_EQ(ok ? date.year * 10000 + date.month * 100 + date.day : 0, ymd) << text;
  }
  const std::pair<const char*, bool> times[] = {{"10:31:07", true}, {"23:59:60", true},
                                                {"24:00:00", false}, {"10:60:00", false},
                                                {"::", false}, {"10:31:0.", false}};
  for (const auto& [text, ok] : times) {
    ClockTime time;
    EXPECT_EQ(ParseTimeText(text, time), ok) << text;
  }
}

TEST(Outputs, PositionKnownOnlyFromWholeGpsFields) {
  const std::string head = "1 2012 05 14 10 31 07 x ";
  const std::pair<std::string, bool> lines[] = {
      {head + "1432.1234 N 09051.2345 W 1234.5 x 45 3.25", true},
      {head + "1432.1234 S 17959.9999 E 12.5 a b c d 30 1.5", true},
      {head + "0000.0000 N 00000.0000 E 0 x 80 0", true},  // a fix at 0, 0 is a fix
      {head + "1432.1234 N 09051.2345 X 1234.5 x 45 3.25", false},
      {head + "1432.1234 n 09051.2345 W 1234.5 x 45 3.25 N", false},
      {head + "1432.1234 N 09051.2345", false},        // no altitude field
      {head + "9132.1234 N 09051.2345 W 1234.5 x 45 3.25", false},  // beyond the pole
      {head + "1432.1234 N 1e99 W 1234.5 x 45 3.25", false},
      {head + "45 3.25", false}, {"", false}, {"N", false}};
  for (const auto& [line, known] : lines) {
    EXPECT_EQ(PositionKnown(ParseSpectrumLine(line, 1).value), known) << line;
  }
}

TEST(Outputs, QdoasRecordKeys) {
  StdSpectrumInfo info;
  info.latitude = -14.5;
  info.longitude = 90.25;
  info.altitude = 12.5;
  info.elevation = -3;
  info.scans = 7;
  SpectrumFacts facts;
  facts.has_date = facts.has_time = facts.has_solar = true;
  facts.date = {2024, 6, 2};
  facts.time = {9, 5, 0};
  facts.solar = {41.27214, 359.99996};
  // Exposure in milliseconds, with and without a position and angles.
  const std::tuple<int, bool, bool, const char*> cases[] = {
      {150, true, true,
       "Date(DD/MM/YYYY) = 02/06/2024\r\nUTC Time (hh:mm:ss) = 09:05:00\r\n"
       "Latitude = -14.500000\r\nLongitude = 90.250000\r\nAltitude = 12.500000\r\n"
       "Viewing Elevation Angle (deg) = -3.000000\r\nExposure Time(sec) = 0.150\r\n"
       "Number of scans = 7\r\nSolar Zenith Angle (deg) = 41.2721\r\n"
       "Solar Azimuth Angle (deg) = 0.0000\r\n"},
      {12005, false, false,
       "Date(DD/MM/YYYY) = 02/06/2024\r\nUTC Time (hh:mm:ss) = 09:05:00\r\n"
       "Exposure Time(sec) = 12.005\r\nNumber of scans = 7\r\n"},
      {0, false, false,
       "Date(DD/MM/YYYY) = 02/06/2024\r\nUTC Time (hh:mm:ss) = 09:05:00\r\nNumber of scans = 7\r\n"}};
  for (const auto& [exposure, position, angles, keys] : cases) {
    info.exposure = exposure;
    facts.has_solar = position;
    std::string out;
    AppendQdoasRecord(out, info, position, angles, facts, "nan\r\n-nan\r\ninf\r\n1.0\r\n", true);
    EXPECT_EQ(out, std::string(keys) + "+nan\r\n-nan\r\n+inf\r\n1.0\r\n") << exposure;
  }
  std::string head = "x";
  std::size_t at = 0;
  AppendQdoasHeader(head, 1234, at);
  EXPECT_EQ(head.substr(at, 4), "1234");
  EXPECT_EQ(head, "x# Size of the detector = 2048\r\n# Total number of records = 1234\r\n");
}

}  // namespace
}  // namespace vulconv
