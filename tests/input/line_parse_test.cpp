#include "input/line_parse.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vulconv {
namespace {

const std::string kNoGps =
    "The text file does not appear to contain GPS data. Continuing without GPS...";
const std::string kWorked =
    "1 2012 05 14 10 31 7.52 x 1432.1234 N 09051.2345 W 1234.5 x 45 3.25";

// The numbers as the STD file writes them, negative zero included.
std::string Fixed(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6f", v);
  return buf;
}

struct LineCase {
  std::string line;
  std::int64_t index;
  std::string date, time, latitude, longitude, altitude, elevation, user, notice;
};

TEST(ParseSpectrumLineTest, ReadsEachLayout) {
  const LineCase cases[] = {
      {kWorked, 0, "05/14/2012", "10:31:07", "14.535390", "-90.853908", "1234.500000",
       "45.000000", "3.250000", ""},
      {"1 2012 05 14 10 31 7.52 x 1432.1234 S 09051.2345 E 1234.5 x 45 3.25", 0, "05/14/2012",
       "10:31:07", "-14.535390", "90.853908", "1234.500000", "45.000000", "3.250000", ""},
      // Leading, repeated and trailing blanks and tabs: field 1 is empty here.
      {" 2012\t05  14 \t10 31 07.52 x 1432.1234 N 09051.2345 W 1234.5 x 45 3.25 ", 0,
       "05/14/2012", "10:31:07", "14.535390", "-90.853908", "1234.500000", "45.000000",
       "3.250000", ""},
      // Field 15 whole with its sign; the altitude cut "12.5 x" pads to 012.5x.
      {"1 2012 05 14 10 31 07 x 1432.1234 N 09051.2345 W 12.5 x -12.5 3.25", 0, "05/14/2012",
       "10:31:07", "14.535390", "-90.853908", "12.500000", "-12.500000", "3.250000", ""},
      // The 8-wide cut of field 19 runs on into field 20: "3.25 20" gives 03.2520.
      {"1 2012 05 14 10 31 07 x 1432.1234 N 09051.2345 W 1234.5 a b c d 45.5 3.25 20", 5,
       "05/14/2012", "10:31:07", "14.535390", "-90.853908", "1234.500000", "45.000000",
       "3.252000", "20"},
      {"1 2012 05 14 10 31 07 x 1432.1234 N 09051.2345 W 1234.5 a b c 7 45 3.25", 5,
       "05/14/2012", "10:31:07", "14.535390", "-90.853908", "1234.500000", "45.000000",
       "3.250000", "19"},
      {"1 2012 5 14 10 31 7 x 45 3.25", 0, "05/14/2012", "10:31:07", "0.000000", "-0.000000",
       "0.000000", "45.000000", "3.250000", kNoGps},
      {"1 2012 5 14 10 31 7 x 45 3.25", 1, "05/14/2012", "10:31:07", "0.000000", "-0.000000",
       "0.000000", "45.000000", "3.250000", ""},
      {"1 2012 05 14 10 31 07 x a b c -5 3.25", 0, "05/14/2012", "10:31:07", "0.000000",
       "-0.000000", "0.000000", "0.000000", "3.250000", kNoGps},
      {"1 2012 05 14 10 31 07 x a b c 45.5 3.25", 2, "05/14/2012", "10:31:07", "0.000000",
       "-0.000000", "0.000000", "45.000000", "3.250000", ""},
      // Lower-case n and s make no GPS line: elevation from field 12 ("s").
      {"1 2012 05 14 10 31 07 x 1432.1234 n 09051.2345 s 1234.5 x 45 3.25", 0, "05/14/2012",
       "10:31:07", "0.000000", "-0.000000", "0.000000", "0.000000", "1234.500000", kNoGps},
      // An upper-case N anywhere makes a GPS line; "E" in field 10 keeps the sign.
      {"1 2012 05 14 10 31 07 Nx 1432.1234 E 09051.2345 W 1234.5 x 45 3.25", 0, "05/14/2012",
       "10:31:07", "14.535390", "-90.853908", "1234.500000", "45.000000", "3.250000", ""},
      // Missing fields read as empty texts.
      {"", 0, "//", "::", "0.000000", "-0.000000", "0.000000", "0.000000", "0.000000", kNoGps},
      {"1 2012 05", 3, "05//2012", "::", "0.000000", "-0.000000", "0.000000", "0.000000",
       "0.000000", ""},
      {"N", 1, "//", "::", "0.000000", "0.000000", "0.000000", "0.000000", "0.000000", "1"},
      {"1 2012 05 14 10 31 .5", 1, "05/14/2012", "10:31:0.", "0.000000", "-0.000000",
       "0.000000", "0.000000", "0.000000", ""},
  };
  for (const auto& c : cases) {
    ParsedSpectrumLine p = ParseSpectrumLine(c.line, c.index);
    SCOPED_TRACE('"' + c.line + "\" spectrum " + std::to_string(c.index));
    EXPECT_EQ(p.value.date, c.date);
    EXPECT_EQ(p.value.time, c.time);
    EXPECT_EQ(Fixed(p.value.latitude), c.latitude);
    EXPECT_EQ(Fixed(p.value.longitude), c.longitude);
    EXPECT_EQ(Fixed(p.value.altitude), c.altitude);
    EXPECT_EQ(Fixed(p.value.elevation), c.elevation);
    EXPECT_EQ(Fixed(p.value.user_param), c.user);
    EXPECT_EQ(p.notice, c.notice);
  }
}

TEST(ParseSpectrumLineTest, LongLineWithoutBlanksIsALineWithoutGps) {
  ParsedSpectrumLine p = ParseSpectrumLine(std::string(100000, '1'), 0);
  EXPECT_EQ(p.value.date, "//");
  EXPECT_EQ(p.notice, kNoGps);
}

TEST(ParseSpectrumLineTest, DegreesAndMinutesUseTheFloor) {
  EXPECT_EQ(Fixed(DegreesFromText("1432.1234")), "14.535390");
  EXPECT_EQ(Fixed(DegreesFromText("09051.2345")), "90.853908");
  EXPECT_EQ(Fixed(DegreesFromText("-1432.1234")), "-13.868723");  // floor, not truncation
  EXPECT_EQ(Fixed(DegreesFromText("")), "0.000000");
}

}  // namespace
}  // namespace vulconv
