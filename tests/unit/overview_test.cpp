// The overview files' formatters: escapes of hostile names, the table rows,
// the track pieces, the median estimate and the picture's size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "input/binary_file.h"
#include "output/median_estimate.h"
#include "output/overview_picture.h"
#include "output/overview_table.h"
#include "output/overview_track.h"
#include "output/svg_plot.h"
#include "output/text_escape.h"

namespace vulconv {
namespace {

template <typename Append>
std::string Text(Append append, std::string_view text) {
  std::string out = "=";  // appended to, never replaced
  append(out, text);
  return out;
}

TEST(Overview, EscapesOfHostileNames) {
  struct Case {
    std::string_view name, csv, xml, json;
  };
  const Case cases[] = {
      {"a.bin", "=a.bin", "=a.bin", "=\"a.bin\""},
      {"a,b \"c\"", "=\"a,b \"\"c\"\"\"", "=a,b &quot;c&quot;", "=\"a,b \\\"c\\\"\""},
      {"<&>']]>", "=<&>']]>", "=&lt;&amp;&gt;&apos;]]&gt;", "=\"<&>']]>\""},
      {"l\r\n\t\\", "=\"l\r\n\t\\\"", "=l&#13;&#10;&#9;\\", "=\"l\\u000d\\u000a\\u0009\\\\\""},
      {"\x01\x1f\x7f", "=\x01\x1f\x7f", "=\xEF\xBF\xBD\xEF\xBF\xBD\x7f", "=\"\\u0001\\u001f\x7f\""},
      {"\xC3\xA9\xF0\x9F\x8C\x8B", "=\xC3\xA9\xF0\x9F\x8C\x8B", "=\xC3\xA9\xF0\x9F\x8C\x8B",
       "=\"\xC3\xA9\xF0\x9F\x8C\x8B\""},  // e-acute and a 4-byte character pass
      // A lone continuation byte, overlong, surrogate, beyond U+10FFFF, cut
      // short, a bad lead: each byte one U+FFFD; XML also refuses U+FFFE.
      {"\x80", "=\x80", "=\xEF\xBF\xBD", "=\"\xEF\xBF\xBD\""},
      {"\xC0\xAF", "=\xC0\xAF", "=\xEF\xBF\xBD\xEF\xBF\xBD", "=\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"\xED\xA0\x80", "", "=\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", ""},
      {"\xF4\x90\x80\x80", "", "=\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", ""},
      {"\xE0\x80\xAF", "", "=\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", ""},
      {"\xE2\x82", "", "=\xEF\xBF\xBD\xEF\xBF\xBD", "=\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"\xF8x", "", "=\xEF\xBF\xBDx", "=\"\xEF\xBF\xBDx\""},
      {"\xE0\xA0\x80\xEF\xBF\xBE", "", "=\xE0\xA0\x80\xEF\xBF\xBD", "=\"\xE0\xA0\x80\xEF\xBF\xBE\""},
      {"", "=", "=", "=\"\""}};
  for (const Case& c : cases) {
    if (!c.csv.empty()) {
      EXPECT_EQ(Text(AppendCsvField, c.name), c.csv) << c.name;
    }
    EXPECT_EQ(Text(AppendXmlText, c.name), c.xml) << c.name;
    if (!c.json.empty()) {
      EXPECT_EQ(Text(AppendJsonString, c.name), c.json) << c.name;
    }
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
      {{3e38f, 3e38f, 3e38f}, {true, 3e38f, 3e38f, static_cast<double>(3e38f), 0}}};
  for (const Case& c : cases) {
    PixelStats s = ComputePixelStats(c.pixels.data(), c.pixels.size());
    EXPECT_EQ(s.any_finite, c.stats.any_finite);
    EXPECT_EQ(s.minimum, c.stats.minimum);
    EXPECT_EQ(s.maximum, c.stats.maximum);
    EXPECT_DOUBLE_EQ(s.mean, c.stats.mean);
    EXPECT_EQ(s.nonfinite, c.stats.nonfinite);
  }
}

OverviewRow ScanRow() {
  OverviewRow row;
  row.std_name = "SCAN_20240612_0930.bin.000007.std";
  row.source = "scan";
  row.record = 7;
  row.date = "06/12/2024";
  row.time = "09:30:05";
  row.has_position = true;
  row.latitude = 14.4734, row.longitude = -90.8802, row.altitude = 2512.5;
  row.has_angles = true;
  row.elevation = -12.25, row.user_param = 0;
  row.exposure = 250, row.scans = 12;
  row.has_solar = true;
  row.solar_zenith = 35.125;
  row.stats = {true, -3.5f, 65535, 1234.5009765625, 2};
  return row;
}

TEST(Overview, TableRows) {
  std::string out;
  AppendTableHeader(out);
  EXPECT_EQ(out,
            "file,source,record,date,time,latitude,longitude,altitude,elevation,user_param,exposure,"
            "scans,solar_zenith,pixel_min,pixel_max,pixel_mean,nonfinite_pixels\r\n");
  OverviewRow full = ScanRow(), unknown = ScanRow(), odd = ScanRow();
  unknown.has_position = unknown.has_angles = unknown.has_solar = false;
  unknown.stats = {false, 0, 0, 0, 2048};
  unknown.date = "//", unknown.time = "::";
  odd.std_name = "a,\"b\".std", odd.source = "dark", odd.record = -1;
  odd.date = "02/30/2024", odd.time = "9:5", odd.latitude = NAN, odd.altitude = 0;
  const std::pair<OverviewRow, std::string> cases[] = {
      {full,
       "SCAN_20240612_0930.bin.000007.std,scan,7,2024-06-12,09:30:05,14.473400,-90.880200,"
       "2512.500000,-12.250000,0.000000,250,12,35.125000,-3.500000,65535.000000,1234.500977,2\r\n"},
      {unknown, "SCAN_20240612_0930.bin.000007.std,scan,7,,,,,,,,250,12,,,,,2048\r\n"},
      {odd,
       "\"a,\"\"b\"\".std\",dark,-1,02/30/2024,9:5,nan,-90.880200,0.000000,-12.250000,"
       "0.000000,250,12,35.125000,-3.500000,65535.000000,1234.500977,2\r\n"}};
  for (const auto& [row, text] : cases) {
    out.clear();
    AppendTableRow(out, row);
    EXPECT_EQ(out, text);
  }
  const std::pair<std::string_view, std::string_view> dates[] = {
      {"02/29/2024", "2024-02-29"}, {"1/2/33", "0033-01-02"}, {"02/29/2023", ""}, {"13/01/2024", ""},
      {"2024-06-12", ""}};
  for (const auto& [text, iso] : dates) {
    std::string date;
    EXPECT_EQ(AppendIsoDate(date, text), !iso.empty());
    EXPECT_EQ(date, iso);
  }
  std::string when;
  EXPECT_FALSE(AppendIsoDateTime(when, "06/12/2024", "24:00:00"));
  EXPECT_FALSE(AppendIsoDateTime(when, "06/31/2024", "23:00:00"));
  EXPECT_TRUE(AppendIsoDateTime(when, "6/1/2024", "3:4:60"));
  EXPECT_EQ(when, "2024-06-01T03:04:60Z");
}

// A stream of points and the line through them, the way the run writes it.
TEST(Overview, TrackPieces) {
  OverviewRow first = ScanRow(), second = ScanRow(), hostile = ScanRow();
  second.record = 8, second.latitude = -0.5, second.date = "//", second.has_angles = false;
  second.stats.any_finite = false;
  hostile.std_name = "x\"<&]]>\n\xFF.std";
  std::string geo, kml;
  AppendGeoJsonHead(geo, "S\"1.bin");
  AppendKmlHead(kml, "S<1>.bin");
  bool with_line = true;
  for (const OverviewRow* row : {&first, &second}) {
    AppendGeoJsonPoint(geo, *row, row == &first);
    AppendKmlPoint(kml, *row);
  }
  AppendGeoJsonLineHead(geo, false);
  AppendKmlLineHead(kml);
  for (const OverviewRow* row : {&first, &second}) {
    AppendGeoJsonCoordinate(geo, *row, row == &first);
    AppendKmlCoordinate(kml, *row);
  }
  AppendGeoJsonTail(geo, with_line);
  AppendKmlTail(kml, with_line);
  EXPECT_EQ(geo,
            "{\"type\":\"FeatureCollection\",\"name\":\"S\\\"1.bin\",\"features\":[\n"
            "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[-90.880200,"
            "14.473400,2512.500000]},\"properties\":{\"file\":\"SCAN_20240612_0930.bin.000007.std\","
            "\"record\":7,\"time\":\"2024-06-12T09:30:05Z\",\"altitude\":2512.500000,"
            "\"elevation\":-12.250000,\"max_intensity\":65535.000000}},\n"
            "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[-90.880200,"
            "-0.500000,2512.500000]},\"properties\":{\"file\":\"SCAN_20240612_0930.bin.000007.std\","
            "\"record\":8,\"altitude\":2512.500000}},\n"
            "{\"type\":\"Feature\",\"properties\":{\"name\":\"GPS track\"},\"geometry\":{\"type\":"
            "\"LineString\",\"coordinates\":[\n[-90.880200,14.473400,2512.500000],\n"
            "[-90.880200,-0.500000,2512.500000]]}}\n]}\n");
  for (std::string_view part :
       {"<name>S&lt;1&gt;.bin</name>", "<TimeStamp><when>2024-06-12T09:30:05Z</when></TimeStamp>",
        "<Data name=\"record\"><value>8</value></Data>",
        "<Point><coordinates>-90.880200,-0.500000,2512.500000</coordinates></Point>",
        "<coordinates>\n-90.880200,14.473400,2512.500000\n-90.880200,-0.500000,2512.500000\n"
        "</coordinates>\n</LineString>\n</Placemark>\n</Document>\n</kml>\n"}) {
    EXPECT_NE(kml.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(kml.find("<TimeStamp>", kml.find("<TimeStamp>") + 1), std::string::npos);  // no date
  geo.clear(), kml.clear();
  AppendGeoJsonPoint(geo, hostile, true);
  AppendKmlPoint(kml, hostile);
  EXPECT_NE(geo.find("\"file\":\"x\\\"<&]]>\\u000a\xEF\xBF\xBD.std\""), std::string::npos);
  EXPECT_NE(kml.find("<name>x&quot;&lt;&amp;]]&gt;&#10;\xEF\xBF\xBD.std</name>"), std::string::npos);
  geo.clear(), kml.clear();
  AppendGeoJsonHead(geo, "s"), AppendGeoJsonTail(geo, false);
  AppendKmlTail(kml, false);
  EXPECT_EQ(geo, "{\"type\":\"FeatureCollection\",\"name\":\"s\",\"features\":[\n]}\n");
  EXPECT_EQ(kml, "</Document>\n</kml>\n");
  OverviewRow off = ScanRow();
  EXPECT_TRUE(IsTrackPoint(off));
  off.altitude = INFINITY;
  EXPECT_FALSE(IsTrackPoint(off));
  off = ScanRow(), off.source = "ref";
  EXPECT_FALSE(IsTrackPoint(off));
  off = ScanRow(), off.has_position = false;
  EXPECT_FALSE(IsTrackPoint(off));
}

TEST(Overview, MedianEstimate) {
  const std::pair<std::vector<double>, double> exact[] = {
      {{}, NAN}, {{3}, 3}, {{5, 1}, 3}, {{5, 1, 4}, 4}, {{4, 2, 8, 6}, 5}, {{9, 1, 5, 3, 7}, 5}};
  for (const auto& [values, median] : exact) {
    MedianEstimate m;
    for (double v : values) AddToMedian(m, v);
    EXPECT_TRUE(MedianOf(m) == median || (std::isnan(median) && std::isnan(MedianOf(m))));
  }
  // 0..10000 shuffled, in order, in reverse; exponential values (median ln 2).
  std::vector<double> values(10001);
  for (int i = 0; i <= 10000; ++i) values[i] = i;
  std::mt19937 random(3);
  std::exponential_distribution<double> exponential(1.0);
  for (int order = 0; order < 4; ++order) {
    if (order == 0) std::shuffle(values.begin(), values.end(), random);
    if (order == 1) std::sort(values.begin(), values.end());
    if (order == 2) std::reverse(values.begin(), values.end());
    if (order == 3) for (double& v : values) v = 10000 * exponential(random) / std::log(4.0);
    MedianEstimate m;
    for (double v : values) AddToMedian(m, v);
    EXPECT_NEAR(MedianOf(m), 5000, 100) << "order " << order;
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
  for (auto [value, precision] : {std::pair{30000.0, 6}, {2e38, 6}, {0.1 * 3, 6}, {1000000.001, 10}}) {
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

std::string Picture(std::int64_t announced, std::int64_t count, std::vector<float> pixels,
                    PictureState& p, std::string_view name = "SCAN_1.bin") {
  StartPicture(p, announced);
  for (std::int64_t record = 0; record < count; ++record) {
    AddPictureSpectrum(p, StdKind::Scan, record, pixels.data());
    std::rotate(pixels.begin(), pixels.begin() + 1, pixels.end());
  }
  AddPictureSpectrum(p, StdKind::Ref, 0, pixels.data());
  AddPictureSpectrum(p, StdKind::High, 0, pixels.data());
  std::rotate(pixels.begin(), pixels.begin() + 1, pixels.end());
  AddPictureSpectrum(p, StdKind::Dark, 0, pixels.data());
  std::string svg;
  AppendPictureSvg(svg, p, name, "06/12/2024", "09:30:00");
  return svg;
}

std::size_t Count(const std::string& text, std::string_view part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The picture's bytes stay under 1 MB for any number of spectra, also when
// every step of every curve is the longest one.
TEST(Overview, PictureSizeAndShape) {
  std::vector<float> steep(kPixelCount), broken(kPixelCount);
  for (int i = 0; i < kPixelCount; ++i) {
    steep[i] = i % 2 ? -1e4f : 1e4f;
    broken[i] = i % 3 == 2 ? NAN : i % 2 ? 0 : 1e4f;
  }
  PictureState p;
  std::string svg = Picture(50, 50, steep, p);
  EXPECT_LT(svg.size(), 1000000u);
  EXPECT_EQ(Count(svg, "stroke-width=\"1.5\""), 50u);
  EXPECT_NE(svg.find("50 scan spectra, light (first) to dark (last)"), std::string::npos);
  EXPECT_LT(Picture(50, 50, broken, p).size(), 1000000u);
  EXPECT_EQ(p.nonfinite, 50 * (kPixelCount / 3));
  svg = Picture(100000, 100000, steep, p, "<b>&\xFF");
  EXPECT_LT(svg.size(), 1000000u);
  EXPECT_EQ(Count(svg, "stroke-width=\"1.5\""), 5u);
  EXPECT_NE(svg.find("100000 scan spectra: their range and median (P-square estimate) at each "
                     "pixel, and records 0, 24999, 49999, 74999, 99999</text>"),
            std::string::npos);
  EXPECT_NE(svg.find(">&lt;b&gt;&amp;\xEF\xBF\xBD</text>"), std::string::npos);
  svg = Picture(100, 60, broken, p);  // fewer come than announced: the last one stands in
  EXPECT_NE(svg.find("and records 0, 24, 49, 59; "), std::string::npos);
  svg = Picture(0, 0, std::vector<float>(kPixelCount, NAN), p);
  EXPECT_NE(svg.find(">no scan spectra</text>"), std::string::npos);
  EXPECT_NE(svg.find(">no finite values to draw</text>"), std::string::npos);
}

// Each pixel's values come shuffled: 0..1000 at pixel 0, twice that at pixel
// 1, and so on; the median estimate is within 1% of the range.
TEST(Overview, PictureMedian) {
  std::vector<int> order(1001);
  for (int i = 0; i <= 1000; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(5));
  PictureState p;
  StartPicture(p, 1001);
  std::vector<float> pixels(kPixelCount);
  for (int k : order) {
    for (int i = 0; i < kPixelCount; ++i) pixels[i] = static_cast<float>(k * (i + 1));
    AddPictureSpectrum(p, StdKind::Scan, k, pixels.data());
  }
  for (int i = 0; i < kPixelCount; i += 89) {
    EXPECT_NEAR(MedianOf(p.median[i]), 500.0 * (i + 1), 10.0 * (i + 1)) << i;
    EXPECT_EQ(p.lowest[i], 0);
    EXPECT_EQ(p.highest[i], 1000.0f * (i + 1));
  }
}

// Whole pictures of simple steps, one of each kind, against files kept
// beside this one (looked at in a browser and rendered with rsvg-convert).
TEST(Overview, PictureFiles) {
  for (int count : {3, 60}) {
    PictureState p;
    StartPicture(p, count);
    std::vector<float> pixels(kPixelCount);
    for (int k = 0; k < count; ++k) {
      for (int i = 0; i < kPixelCount; ++i) pixels[i] = (k % 7) * 10.0f + i / 512 * 100.0f;
      if (k == 1) std::fill_n(pixels.begin() + 10, 10, NAN);
      pixels[2047] = k == 2 ? -INFINITY : pixels[2047];
      AddPictureSpectrum(p, StdKind::Scan, 100 + k, pixels.data());
    }
    std::fill(pixels.begin(), pixels.end(), 380.0f);
    std::fill_n(pixels.begin() + 900, 200, 420.0f);
    AddPictureSpectrum(p, StdKind::Ref, 0, pixels.data());
    std::fill(pixels.begin(), pixels.end(), -20.0f);
    AddPictureSpectrum(p, StdKind::Dark, 0, pixels.data());
    pixels[0] = 0;
    AddPictureSpectrum(p, StdKind::Dark, 1, pixels.data());
    std::string svg;
    AppendPictureSvg(svg, p, "SCAN_<&>.bin", "06/12/2024", count == 3 ? "09:30:00" : "::");
    std::string name = "overview_picture_" + std::to_string(count) + ".svg";
    std::ifstream file(std::string(VULCONV_TEST_DATA) + "/" + name, std::ios::binary);
    std::string expected((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (svg != expected) std::ofstream(testing::TempDir() + name, std::ios::binary) << svg;
    EXPECT_TRUE(svg == expected) << "see " << testing::TempDir() + name;
  }
}

}  // namespace
}  // namespace vulconv
