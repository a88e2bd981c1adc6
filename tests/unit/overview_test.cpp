// The overview files' formatters: escapes of hostile names, pixel statistics,
// whole table, track and picture files, the median of the sampled spectra,
// the plot pieces and the picture's size bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "input/binary_file.h"
#include "output/overview/overview_picture.h"
#include "output/overview/overview_table.h"
#include "output/overview/overview_track.h"
#include "output/overview/svg_plot.h"
#include "output/shared/text_escape.h"

namespace vulconv {

PixelStats ComputePixelStatsPlain(const float* pixels, std::size_t count);  // without SSE2

namespace {

using namespace std::string_view_literals;

template <typename Append>
std::string Text(Append append, std::string_view text) {
  std::string out = "=";  // appended to, never replaced
  append(out, text);
  return out;
}

#define FFFD "\xEF\xBF\xBD"  // U+FFFD in UTF-8

TEST(Overview, EscapesOfHostileNames) {
  struct Case {
    std::string_view name, csv, xml, json;  // csv, json: "" when not asked
  };
  const Case cases[] = {
      {"a.bin", "=a.bin", "=a.bin", "=\"a.bin\""},
      {"a,b \"c\"", "=\"a,b \"\"c\"\"\"", "=a,b &quot;c&quot;", "=\"a,b \\\"c\\\"\""},
      {"<&>']]>", "=<&>']]>", "=&lt;&amp;&gt;&apos;]]&gt;", "=\"<&>']]>\""},
      {"l\r\n\t\\", "=\"l\r\n\t\\\"", "=l&#13;&#10;&#9;\\", "=\"l\\u000d\\u000a\\u0009\\\\\""},
      {"\x0a\x1b\x0c\x1d\x0e\x1f\x00\x12\x03\x14\x05\x16\x07\x18\x09\x7f"sv, "",
       "=&#10;" FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD "&#9;\x7f",
       "=\"\\u000a\\u001b\\u000c\\u001d\\u000e\\u001f\\u0000\\u0012\\u0003\\u0014\\u0005\\u0016"
       "\\u0007\\u0018\\u0009\x7f\""},
      {"\xC3\xA9\xF0\x9F\x8C\x8B", "=\xC3\xA9\xF0\x9F\x8C\x8B", "=\xC3\xA9\xF0\x9F\x8C\x8B",
       "=\"\xC3\xA9\xF0\x9F\x8C\x8B\""},  // e-acute and a 4-byte character pass
      // A continuation byte first, overlong, surrogate, beyond U+10FFFF, cut
      // short, a bad lead: each byte one U+FFFD; XML also refuses U+FFFE.
      {"\x84\x80\x80\x80", "=" FFFD FFFD FFFD FFFD, "=" FFFD FFFD FFFD FFFD,
       "=\"" FFFD FFFD FFFD FFFD "\""},
      {"\xC0\xAF", "=" FFFD FFFD, "=" FFFD FFFD, "=\"" FFFD FFFD "\""},
      {"\"\xFF,", "=\"\"\"" FFFD ",\"", "=&quot;" FFFD ",", "=\"\\\"" FFFD ",\""},
      {"\xED\xA0\x80", "", "=" FFFD FFFD FFFD, ""},
      {"\xF4\x90\x80\x80", "", "=" FFFD FFFD FFFD FFFD, ""},
      {"\xE0\x80\xAF", "", "=" FFFD FFFD FFFD, ""},
      {std::string_view("\xE2\x82\xAC", 2), "", "=" FFFD FFFD, "=\"" FFFD FFFD "\""},
      {"\xF8\x90\x80\x80", "", "=" FFFD FFFD FFFD FFFD, "=\"" FFFD FFFD FFFD FFFD "\""},
      {"\xE0\xA0\x80\xEF\xBF\xBE", "", "=\xE0\xA0\x80" FFFD, "=\"\xE0\xA0\x80\xEF\xBF\xBE\""},
      {"", "=", "=", "=\"\""}};
  for (const Case& c : cases) {
    EXPECT_TRUE(c.csv.empty() || Text(AppendCsvField, c.name) == c.csv) << c.name;
    EXPECT_EQ(Text(AppendXmlText, c.name), c.xml) << c.name;
    EXPECT_TRUE(c.json.empty() || Text(AppendJsonString, c.name) == c.json) << c.name;
  }
}

TEST(Overview, PixelStats) {
  struct Case {
    std::vector<float> pixels;
    PixelStats stats;
  };
  const Case cases[] = {
      {{}, {false, 0, 0, 0, 0}},
      {{NAN, INFINITY, -INFINITY}, {false, 0, 0, 0, 3}},
      {{2, NAN, -3.5f, 7, INFINITY}, {true, -3.5f, 7, 5.5 / 3, 2}},
      {{-1, -2}, {true, -2, -1, -1.5, 0}},
      {{3e38f, 3e38f, 3e38f}, {true, 3e38f, 3e38f, static_cast<double>(3e38f), 0}},
      // Four lanes, pixel i in lane i % 4, met in lane order: the zero of the
      // first lane is the minimum though -0 came first.
      {{5, -0.0f, 9, 8, 0.0f, NAN, 1, 2, 3}, {true, 0.0f, 9, 3.5, 1}},
      {{1, -0.0f, 2, 3, 0.0f}, {true, 0.0f, 3, 1.2, 0}},  // the last pixel's lane is 0
      {{FLT_MAX, -FLT_MAX}, {true, -FLT_MAX, FLT_MAX, 0, 0}},
      // Opposite values near the limit cancel, the rest stays: in one lane
      // and in two, and in the tail after the fours.
      {{FLT_MAX, 0, 0, 0, 1e12f, 0, 0, 0, -FLT_MAX}, {true, -FLT_MAX, FLT_MAX, double{1e12f} / 9, 0}},
      {{FLT_MAX, -FLT_MAX, 1e12f, 1e12f, 1e12f, 1e12f, 0, 0, NAN},
       {true, -FLT_MAX, FLT_MAX, 4 * double{1e12f} / 8, 1}},
      {{1, 2, 3, 4, 1e12f, -FLT_MAX, FLT_MAX}, {true, -FLT_MAX, FLT_MAX, (double{1e12f} + 10) / 7, 0}}};
  for (const Case& c : cases) {
    PixelStats s = ComputePixelStats(c.pixels.data(), c.pixels.size());
    EXPECT_EQ(s.any_finite, c.stats.any_finite);
    EXPECT_EQ(s.minimum, c.stats.minimum);
    EXPECT_EQ(std::signbit(s.minimum), std::signbit(c.stats.minimum));
    EXPECT_EQ(s.maximum, c.stats.maximum);
    EXPECT_DOUBLE_EQ(s.mean, c.stats.mean);
    EXPECT_EQ(s.nonfinite, c.stats.nonfinite);
  }
}

// The SSE2 and the plain loop give the same bits, whatever the values.
TEST(Overview, PixelStatsPathsAgree) {
  std::mt19937 random(7);
  std::vector<float> pixels(kPixelCount + 3);
  for (int round = 0; round < 200; ++round) {
    for (float& v : pixels) {
      std::uint32_t bits = random();
      v = round % 2 ? static_cast<float>(bits % 65536) * 0.37f : std::bit_cast<float>(bits);
    }
    std::size_t count = kPixelCount + round % 4;
    PixelStats a = ComputePixelStats(pixels.data(), count);
    PixelStats b = ComputePixelStatsPlain(pixels.data(), count);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(a.mean), std::bit_cast<std::uint64_t>(b.mean));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(a.minimum), std::bit_cast<std::uint32_t>(b.minimum));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(a.maximum), std::bit_cast<std::uint32_t>(b.maximum));
    EXPECT_EQ(a.nonfinite, b.nonfinite);
  }
}

OverviewRow ScanRow() {
  OverviewRow row;
  row.std_name = "SCAN_20240612_0930.bin.000007.std", row.source = "scan", row.record = 7;
  row.date = "06/12/2024", row.time = "09:30:05";
  row.has_position = row.has_angles = row.has_solar = true;
  row.latitude = 14.4734, row.longitude = -90.8802, row.altitude = 2512.5;
  row.elevation = -12.25, row.user_param = 0, row.solar_zenith = 35.125;
  row.exposure = 250, row.scans = 12;
  row.stats = {true, -3.5f, 65535, 1234.5009765625, 2};
  return row;
}

// Reads a file kept in data/ beside this one; the text made, when it differs,
// is left in the test's temporary folder to compare.
void ExpectFile(const std::string& text, const std::string& name) {
  std::ifstream file(std::string(VULCONV_TEST_DATA) + "/" + name, std::ios::binary);
  std::string expected((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (text != expected) std::ofstream(testing::TempDir() + name, std::ios::binary) << text;
  EXPECT_TRUE(text == expected) << "made: " << testing::TempDir() + name;
}

// The rows of a small run streamed as the run writes them: the table, and the
// track's points then its line. Unknown values, dates that do not parse, a
// hostile name, positions off the track (not finite, not a scan spectrum).
TEST(Overview, TableAndTrackFiles) {
  std::vector<OverviewRow> rows(7, ScanRow());
  rows[1].record = 8, rows[1].latitude = -0.5, rows[1].date = "//", rows[1].has_angles = false;
  rows[1].stats = {false, 0, 0, 0, 2048};
  rows[2].record = 9, rows[2].has_position = rows[2].has_solar = false, rows[2].time = "::";
  rows[3].record = 10, rows[3].std_name = "x\"<&]]>\n\xFF,.std";
  rows[3].date = "1/2/33", rows[3].time = "3:4:60";
  rows[4].record = 11, rows[4].altitude = INFINITY, rows[4].date = "02/29/2024";
  rows[5].source = "dark", rows[5].record = -1, rows[5].date = "02/30/2024", rows[5].time = "9:5";
  rows[5].exposure = rows[5].scans = 0;  // no parameter line gave them
  rows[6].record = 12, rows[6].latitude = NAN, rows[6].date = "06/31/2024";
  std::string csv, kml, geo, kml_line, geo_line;
  AppendTableHeader(csv);
  AppendKmlHead(kml, "S<1>\".bin");
  AppendGeoJsonHead(geo, "S<1>\".bin");
  int points = 0;
  for (const OverviewRow& row : rows) {
    AppendTableRow(csv, row);
    if (!IsTrackPoint(row)) continue;
    AppendKmlPoint(kml, row);
    AppendGeoJsonPoint(geo, row, points == 0);
    AppendKmlCoordinate(kml_line, row);
    AppendGeoJsonCoordinate(geo_line, row, points++ == 0);
  }
  AppendKmlLineHead(kml);
  AppendGeoJsonLineHead(geo);
  AppendKmlTail(kml += kml_line, true);
  AppendGeoJsonTail(geo += geo_line, true);
  ExpectFile(csv, "overview_run.csv");
  ExpectFile(kml, "overview_run.kml");
  ExpectFile(geo, "overview_run.geojson");
  geo.clear(), kml.clear();  // no point at all
  AppendGeoJsonHead(geo, "s"), AppendGeoJsonTail(geo, false);
  AppendKmlTail(kml, false);
  EXPECT_EQ(geo, "{\"type\":\"FeatureCollection\",\"name\":\"s\",\"features\":[\n]}\n");
  EXPECT_EQ(kml, "</Document>\n</kml>\n");
}

// The median at each pixel is that of the spectra taken evenly: every
// scan spectrum holds its ordinal o at every pixel, but pixel 1 is NaN
// where o % 20 == 10, pixel 2 holds -o and pixel 3 is never finite.
TEST(Overview, PictureMedian) {
  struct Case {
    std::int64_t announced, came;
    double median[4];
  } cases[] = {
      {640, 640, {315, 310, -315, NAN}},  // 0, 10, .. 630
      {640, 95, {45, 40, -45, NAN}},      // the file came short: 0, 10, .. 90
      {100, 100, {49, 48, -49, NAN}},     // 0, 2, .. 98
      {129, 129, {63, 63, -63, NAN}},     // 0, 3, .. 126: 43 of them
      {65, 65, {32, 33, -32, NAN}},       // 0, 2, .. 64: 33 of them
  };
  for (const Case& c : cases) {
    PictureState p;
    StartPicture(p, c.announced);
    std::vector<float> pixels(kPixelCount);
    for (std::int64_t o = 0; o < c.came; ++o) {
      std::fill(pixels.begin(), pixels.end(), static_cast<float>(o));
      if (o % 20 == 10) pixels[1] = NAN;
      pixels[2] = static_cast<float>(-o);
      pixels[3] = o % 2 ? INFINITY : NAN;
      AddPictureSpectrum(p, StdKind::Scan, o, pixels.data());
    }
    std::vector<double> median(kPixelCount);
    PictureMedian(p, median.data());
    for (int i = 0; i < 4; ++i) {
      EXPECT_TRUE(median[i] == c.median[i] || (std::isnan(c.median[i]) && std::isnan(median[i])))
          << c.announced << " " << c.came << " pixel " << i << ": " << median[i];
    }
  }
}

// The axis's range leaves out the values beyond a fence around the median
// spectrum (beyond its 16th highest and lowest pixel by ten times its size,
// never inside +-65535) and counts them, exactly up to four at a pixel.
TEST(Overview, PictureRange) {
  struct Wild {
    int record, pixel;
    float value;
  };
  struct Case {
    int count;
    float level, step;  // pixel i of every spectrum: level + (i * 37 % 2048) * step
    std::vector<Wild> wild;
    double low, high;
    std::int64_t outside;
    bool at_least;
  };
  const Case cases[] = {
      // Every spectrum kept: the fence at 11 * 1203100, one value each side of it.
      {3, 1e6f, 100, {{0, 5, 13234000}, {1, 6, 13234200}}, 1e6, 13234000, 1, false},
      // Summed up: four wild values at pixel 7 (more may lie out), two at 9,
      // and a saturated value inside the detector's full scale.
      {60, 1000, 0, {{3, 7, FLT_MAX}, {9, 7, 3e38f}, {20, 7, 1e12f}, {21, 7, 2e12f},
                     {4, 9, -3e38f}, {5, 9, -1e12f}, {30, 11, 65535}},
       1000, 65535, 6, true}};
  for (const Case& c : cases) {
    PictureState p;
    StartPicture(p, c.count);
    std::vector<float> pixels(kPixelCount);
    for (int k = 0; k < c.count; ++k) {
      for (int i = 0; i < kPixelCount; ++i) pixels[i] = c.level + (i * 37 % 2048) * c.step;
      for (const Wild& w : c.wild) pixels[w.pixel] = w.record == k ? w.value : pixels[w.pixel];
      AddPictureSpectrum(p, StdKind::Scan, k, pixels.data());
    }
    std::vector<double> median(kPixelCount);
    PictureMedian(p, median.data());
    PictureRange range = ScanRange(p, median.data());
    EXPECT_EQ(range.low, c.low) << c.count;
    EXPECT_EQ(range.high, c.high) << c.count;
    EXPECT_EQ(range.outside, c.outside) << c.count;
    EXPECT_EQ(range.at_least, c.at_least) << c.count;
  }
}

PlotArea Area(int left, int top, int height, double low, double high) {
  PlotArea area{left, top, height, {}};
  area.axis.low = low, area.axis.high = high;
  return area;
}

TEST(Overview, PlotPieces) {
  struct Case {
    double low, high, first, step;
    int count, precision;
  };
  const Case axes[] = {{0, 30000, 0, 5000, 6, 6},
                       {42.5, 42.5, 40, 1, 5, 6},
                       {-3.4e38, 3.4e38, -2, 2e38, 4, 6},
                       {1e6, 1e6 + 0.0055, 1e9, 1e-3, 6, 10},
                       {-0.07, -0.01, -8, 0.01, 7, 6}};
  for (const Case& c : axes) {
    ValueAxis axis = MakeValueAxis(c.low, c.high);
    EXPECT_DOUBLE_EQ(axis.step, c.step) << c.low;
    EXPECT_DOUBLE_EQ(axis.first, c.first) << c.low;
    EXPECT_EQ(axis.count, c.count) << c.low;
    EXPECT_EQ(axis.precision, c.precision) << c.low;
    EXPECT_DOUBLE_EQ(axis.low, c.first * c.step);
    EXPECT_DOUBLE_EQ(axis.high, (c.first + c.count) * c.step);
  }
  std::string label;
  for (auto [value, precision] :
       {std::pair{30000.0, 6}, {2e38, 6}, {0.1 * 3, 6}, {1000000.001, 10}}) {
    AppendTickLabel(label, value, precision);
    label += ' ';
  }
  EXPECT_EQ(label, "30000 2e+38 0.3 1000000.001 ");
  PlotArea area = Area(10, 100, 1000, 0, 10);
  for (auto [value, y] : {std::pair{10.0, 100}, {0.0, 1100}, {2.5, 850}, {20.0, 100}, {-5.0, 1100}})
    EXPECT_EQ(PlotY(area, value), y) << value;
  area = Area(10, 0, 100, 0, 100);
  const double curve[] = {NAN, 50, 50, 50, 20, 70, NAN, 5, NAN, 1, 2, 2};
  const double low[] = {0, 10, NAN, 0, 0}, high[] = {20, 30, 40, 0, 0};
  std::string out;
  AppendCurvePath(out, area, curve, 12, "A");
  AppendCurvePath(out, area, curve + 6, 3, "none: one point alone");
  area.left = 0;
  AppendBandPath(out, area, low, high, 5, "B");
  EXPECT_EQ(out,
            "<path d=\"M11 50h2l1 30l1-50M19 99l1-1h1\" A/>\n"
            "<path d=\"M0 80l1-10v20l-1 10zM3 100h1v0h-1z\" B/>\n");
}

// The picture of count scan spectra, each the one before moved by a pixel,
// and a reference and a dark spectrum of the same kind.
std::string Picture(std::int64_t count, std::vector<float> pixels, PictureState& p) {
  StartPicture(p, count);
  for (std::int64_t record = 0; record <= count + 1; ++record) {
    StdKind kind = record < count ? StdKind::Scan : record == count ? StdKind::Ref : StdKind::Dark;
    AddPictureSpectrum(p, kind, record, pixels.data());
    std::rotate(pixels.begin(), pixels.begin() + 1, pixels.end());
  }
  std::string svg;
  AppendPictureSvg(svg, p, "SCAN_1.bin", "06/12/2024", "09:30:00");
  return svg;
}

// The picture's bytes stay under 1 MB for any number of spectra, also when
// every step of every curve is the longest one or the curves break often.
TEST(Overview, PictureSize) {
  std::vector<float> steep(kPixelCount), broken(kPixelCount);
  for (int i = 0; i < kPixelCount; ++i) {
    steep[i] = i % 2 ? -1e4f : 1e4f;
    broken[i] = i % 3 == 2 ? NAN : i % 2 ? 0 : 1e4f;
  }
  PictureState p;
  EXPECT_LT(Picture(50, steep, p).size(), 1000000u);
  EXPECT_LT(Picture(50, broken, p).size(), 1000000u);
  EXPECT_EQ(p.nonfinite, 50 * (kPixelCount / 3));
  EXPECT_LT(Picture(100000, steep, p).size(), 1000000u);
  std::string svg = Picture(0, std::vector<float>(kPixelCount, NAN), p);
  EXPECT_NE(svg.find(">no scan spectra</text>"), std::string::npos);
  EXPECT_NE(svg.find(">no finite values to draw</text>"), std::string::npos);
  svg = Picture(1, std::vector<float>(kPixelCount, 3e38f), p);  // all equal
  EXPECT_NE(svg.find(">1 scan spectrum</text>"), std::string::npos);
  EXPECT_EQ(svg.find("no finite values"), std::string::npos);
}

// Whole pictures of simple steps, one of each kind, against files kept
// beside this one (looked at in a browser and rendered with rsvg-convert).
// Wild: a 3e38 pixel in one record and in the reference, a whole record at
// -1e12, which the axis leaves out and the subtitle counts, drawn one by one
// and summed up.
TEST(Overview, PictureFiles) {
  struct Case {
    int count, announced;  // 51 of 60: more than are drawn one by one, fewer than announced
    bool wild;
    std::string file;
  };
  for (const Case& c : {Case{3, 3, false, "3"}, Case{4, 4, true, "4_wild"},
                        Case{51, 60, true, "51_wild"}}) {
    int count = c.count;
    PictureState p;
    StartPicture(p, c.announced);
    std::vector<float> pixels(kPixelCount);
    for (int k = 0; k < count; ++k) {
      for (int i = 0; i < kPixelCount; ++i) pixels[i] = (k % 7) * 10.0f + i / 512 * 100.0f;
      if (k == 1) std::fill_n(pixels.begin() + 10, 10, NAN);
      pixels[2047] = k == 2 ? -INFINITY : pixels[2047];
      if (c.wild && k == 0) pixels[700] = 3e38f;
      if (c.wild && k == 3) std::fill(pixels.begin(), pixels.end(), -1e12f);
      AddPictureSpectrum(p, StdKind::Scan, 100 + k, pixels.data());
    }
    std::fill(pixels.begin(), pixels.end(), 380.0f);
    std::fill_n(pixels.begin() + 900, 200, 420.0f);
    if (c.wild) pixels[1500] = 3e38f;  // the mean reference too: outside, counted
    AddPictureSpectrum(p, StdKind::Ref, 0, pixels.data());
    std::fill(pixels.begin(), pixels.end(), -20.0f);
    AddPictureSpectrum(p, StdKind::Dark, 0, pixels.data());
    pixels[0] = 0;
    AddPictureSpectrum(p, StdKind::Dark, 1, pixels.data());
    std::string svg;
    AppendPictureSvg(svg, p, "SCAN_<&>.bin", "06/12/2024", count == 3 ? "09:30:00" : "::");
    ExpectFile(svg, "overview_picture_" + c.file + ".svg");
  }
}

}  // namespace
}  // namespace vulconv
