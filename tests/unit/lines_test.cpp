// The readers of text: lines, fields, numbers and the spectrum line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <tuple>

#include "input/line_fields.h"
#include "input/line_parse.h"
#include "input/text_lines.h"
#include "input/text_numbers.h"

namespace vulconv {
namespace {

const std::string kTo15 = "1 2 3 4 5 6 7 8 9 10 11 12 13 14 ";  // the next field is 15

TEST(LineFields, ReadLineFieldAndCountLineFields) {
  const std::tuple<std::string, int, int, std::string, int> cases[] = {  // line, index, width
      {"x 5 14", 2, 2, "05", 3},  // each blank of the cut becomes a leading zero
      {"x 5 1", 2, 3, "051", 3},        {"x -5 3", 2, 3, "0-5", 3},
      {"x 12345.67", 2, 6, "12345.", 2}, {"x 3.25", 2, 8, "3.25", 2},
      {"x b\tc", 2, 3, "0bc", 3},        {" a b", 2, 1, "a", 3},  // an empty field 1
      {"a\t\tb  \t c", 3, 5, "c", 3},    {"a b  ", 3, 4, "", 2},
      {"", 2, 4, "", 1},                 {" \t ", 2, 4, "", 1},
      {"a b", 2, 0, "", 2},              {kTo15 + "-12.5\tx", 15, 3, "-12.5", 16},  // 15: whole
      {kTo15 + "123456789 x", 15, 3, "123456789", 16}, {kTo15, 15, 3, "", 14},
      {kTo15 + "45 3.25", 16, 8, "3.25", 16},
  };
  for (const auto& [line, index, width, field, count] : cases) {
    EXPECT_EQ(ReadLineField(line, index, width), field) << line << " #" << index;
    EXPECT_EQ(ReadLineField(FindLineFieldStarts(line), index, width), field) << line;
    EXPECT_EQ(CountLineFields(line), count) << line;
  }
}

TEST(TextNumbers, LeadingDecimalAndLeadingInteger) {
  const std::tuple<std::string, double, std::int32_t> cases[] = {
      {"012.5x", 12.5, 12}, {"", 0, 0}, {"0-12.3", 0, 0}, {"0x1p3", 0, 0}, {"inf", 0, 0},
      {"nan", 0, 0}, {"1e5", 1e5, 1}, {"1e", 1, 1}, {"1e+", 1, 1}, {"1.5E+2", 150, 1},
      {"-.5", -0.5, 0}, {"+3", 3, 3}, {"5.", 5, 5}, {"5.e1", 50, 5}, {".", 0, 0}, {"-", 0, 0},
      {"e5", 0, 0}, {".e5", 0, 0}, {"+-3", 0, 0}, {"- 5", 0, 0}, {"12,5", 12, 12},
      {" \t\n\v\f\r7", 7, 7}, {"-0", -0.0, 0}, {"0.1", 0.1, 0},
      {"3.14159265358979323846264338327950288", 3.141592653589793, 3},
      {"1e999", INFINITY, 1}, {"1000e306", INFINITY, 1000}, {"0.00001e313", 1e308, 0},
      {"1e99999999999999999999", INFINITY, 1}, {"-1e-400", -0.0, -1}, {"4.9e-324", 4.9e-324, 4},
      {"100000000000e-335", 0, 2147483647}, {"0.0001e-99999999999999", 0, 0},
      {"2147483647", 2147483647, 2147483647}, {"-2147483648", -2147483648.0, -2147483648},
      {"-99999999999", -99999999999.0, -2147483648},
      {"-99999999999999999999999999", -1e26, -2147483648},
      // Out of range by the digits' count rather than the exponent.
      {"1" + std::string(400, '0') + "e-50", INFINITY, 2147483647},
      {"0." + std::string(400, '0') + "1e20", 0, 0}};
  for (const auto& [text, decimal, integer] : cases) {
    EXPECT_EQ(LeadingDecimal(text), decimal) << text;
    EXPECT_EQ(std::signbit(LeadingDecimal(text)), std::signbit(decimal)) << text;  // of a zero
    EXPECT_EQ(LeadingInteger(text), integer) << text;
  }
}

const std::string kHead = "1 2012 05 14 10 31 07 x ";  // eight fields without N or S
const char* const kNoGps =
    "The text file does not appear to contain GPS data. Continuing without GPS...";

TEST(LineParse, ParseSpectrumLine) {
  // Line, spectrum, its date, time, latitude, longitude, altitude, elevation
  // and user value, the notice.
  const std::tuple<std::string, std::int64_t, std::string, std::string> cases[] = {
      {kHead + "1430 N 09030 W 1234.5 x 45 3.25", 0, "14.5 -90.5 1234.5 45 3.25", ""},
      {kHead + "1432.1234 S 09051.2345 E 1234.5 x 45 3.25", 0,
       "-14.53539 90.8539083 1234.5 45 3.25", ""},
      {"1 20123 051 141 101 311 7.52 x 1432.12345 N 09051.23456 W 1234.56 x -12.5 12345.6789", 0,
       "05/14/2012 10:31:07 14.53539 -90.8539083 1234.5 -12.5 12345.67", ""},  // all cut
      {" 2012\t05  14 \t10 31 07.52 x 1430 N 09030 W 12.5 x 45 3.25 ", 0,
       "05/14/2012 10:31:07 14.5 -90.5 12.5 45 3.25", ""},
      // Not 16 fields: elevation and user value from 18 and 19, whose cut runs on.
      {kHead + "1430 N 09030 W 1234.5 a b c d 45.5 3.25 20", 5, "14.5 -90.5 1234.5 45 3.252", "20"},
      {kHead + "1430 N 09030 W 1234.5 a b c 7 45 3.25", 5, "14.5 -90.5 1234.5 45 3.25", "19"},
      // Without GPS: 10 fields take fields 9 and 10, others 12 and 13.
      {"1 2012 5 14 10 31 7 x 45.5 12345.6789", 0, "05/14/2012 10:31:07 0 -0 0 45 12345.67", kNoGps},
      {kHead + "45 3.25", 1, "0 -0 0 45 3.25", ""},
      {kHead + "a b c 45.5 3.25", 0, "0 -0 0 45 3.25", kNoGps},
      {kHead + "1430 n 09030 s 1234.5 x 45 3.25", 2, "0 -0 0 0 1234.5", ""},
      {"1 2012 05 14 10 31 07 Nx 1432.1234 E 09051.2345 W 1234.5 x 45 3.25", 0,
       "05/14/2012 10:31:07 14.53539 -90.8539083 1234.5 45 3.25", ""},  // any N: GPS
      {"", 0, "// :: 0 -0 0 0 0", kNoGps},
      {"1 2012 05", 3, "05//2012 :: 0 -0 0 0 0", ""},
      {"N", 1, "// :: 0 0 0 0 0", "1"},
      {"1 2012 05 14 10 31 .5", 1, "05/14/2012 10:31:0. 0 -0 0 0 0", ""},
  };
  for (const auto& [line, spectrum, value, notice] : cases) {
    ParsedSpectrumLine p = ParseSpectrumLine(line, spectrum);
    const SpectrumTimePosition& v = p.value;
    char text[300];
    std::snprintf(text, sizeof text, "%s %s %.9g %.9g %.9g %.9g %.9g", v.date.c_str(),
                  v.time.c_str(), v.latitude, v.longitude, v.altitude, v.elevation, v.user_param);
    EXPECT_EQ(text, (line.starts_with(kHead) ? "05/14/2012 10:31:07 " : "") + value) << line;
    EXPECT_EQ(p.notice, notice) << line;
  }
  EXPECT_NEAR(DegreesFromText("-1432.1234"), -13.868723, 1e-6);  // the floor, not truncation
}

// The first n lines of text, read from a file or split from the text.
std::vector<std::string> Lines(const std::string& text, std::size_t n, bool from_file) {
  std::string name = testing::TempDir() + "vulconv_lines_" + std::to_string(getpid());
  std::ofstream(name, std::ios::binary) << text;
  TextFile file = OpenTextFile(name);
  std::vector<std::string> lines;
  for (std::size_t i = 0, pos = 0; i < n; ++i) {
    lines.emplace_back(from_file ? ReadTextLine(file) : NextTextLine(text, pos));
  }
  CloseTextFile(file);
  std::remove(name.c_str());
  return lines;
}

TEST(TextLines, FileAndTextSplitAlike) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"", {"", ""}}, {"a\nb\n", {"a", "b", ""}}, {"a\r\nb", {"a", "b", ""}},
      {"a\rb\r\n\r\n", {"a\rb", "", ""}}, {"x\r", {"x\r", ""}}, {"\n\nc\n", {"", "", "c", ""}},
      {std::string("n\0ul\n", 5), {std::string("n\0ul", 4), ""}},
      // Longer than the read-ahead, and around the longest line kept.
      {std::string(100000, 'a') + "\r\nnext\n", {std::string(65535, 'a'), "next", ""}},
      {std::string(65535, 'b') + "\r\nnext", {std::string(65535, 'b'), "next"}},
      {std::string(65536, 'c') + "\n", {std::string(65535, 'c'), ""}}};
  for (const auto& [text, lines] : cases) {
    EXPECT_EQ(Lines(text, lines.size(), true), lines) << text.substr(0, 20);
    EXPECT_EQ(Lines(text, lines.size(), false), lines) << text.substr(0, 20);
  }
}

}  // namespace
}  // namespace vulconv
