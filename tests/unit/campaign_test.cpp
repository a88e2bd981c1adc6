// The campaign files' own rules: reading the scans' tables, the links of
// the page, and the map's projection, graticule and thinning of tracks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "output/campaign/campaign_map.h"
#include "output/campaign/campaign_page.h"
#include "output/campaign/campaign_table.h"
#include "output/shared/text_escape.h"
#include "system/platform.h"

namespace vulconv {
namespace {

#define FFFD "\xEF\xBF\xBD"  // U+FFFD in UTF-8

std::vector<TableRow> Rows(std::string text) {
  TableReader table = TableFromText(std::move(text));
  std::vector<TableRow> rows;
  for (TableRow row; ReadTableRow(table, row);) rows.push_back(row);
  return rows;
}

TEST(Campaign, TableRows) {
  struct Case {
    std::string text;
    std::vector<TableRow> rows;
  };
  const Case cases[] = {
      {"", {}},
      {"a,b\r\n", {{"a", "b"}}},
      {"a,,b,\r\n,\r\n", {{"a", "", "b", ""}, {"", ""}}},
      {"a\nb", {{"a"}, {"b"}}},  // LF alone, and no line end at the end
      {"\"x,y\",\"say \"\"hi\"\"\"\r\n", {{"x,y", "say \"hi\""}}},
      {"\"l1\r\nl2\r\",z\r\n", {{"l1\r\nl2\r", "z"}}},  // line ends inside quotes stay
      {"\"\",\"\"\"\"\r\n", {{"", "\""}}},
      {"a\"b,c\r\n", {{"a\"b", "c"}}},  // a quote inside a plain field is a character
      {"\xff,\"\xC3\xA9\xE2\x82\"\r\n", {{FFFD, "\xC3\xA9" FFFD FFFD}}},
  };
  for (const Case& c : cases) EXPECT_EQ(Rows(c.text), c.rows) << c.text;
  // A row longer than any the program writes fails the table.
  TableReader table = TableFromText(std::string(1 << 21, 'x'));
  TableRow row;
  EXPECT_FALSE(ReadTableRow(table, row));
  EXPECT_TRUE(table.failed);
  // A table that grows shorter while it is read was not read whole.
  std::string path = testing::TempDir() + "campaign_test_table.csv";
  std::ofstream(path, std::ios::binary) << "h\n" << std::string(1 << 17, 'x') << "\n";
  ASSERT_TRUE(OpenTable(table, path));
  std::filesystem::resize_file(path, 100);
  EXPECT_FALSE(ReadTableRow(table, row));
  EXPECT_TRUE(table.failed);
  CloseTable(table);
  std::filesystem::remove(path);
}

TEST(Campaign, Numbers) {
  struct Case {
    std::string_view text;
    bool number;
    double value;
  };
  const Case cases[] = {{"14.535390", true, 14.53539}, {"-90.5", true, -90.5}, {"150", true, 150},
                        {"", false, 0},  {"nan", false, 0},  {"-inf", false, 0},
                        {"-", false, 0}, {"1.", false, 0},   {".5", false, 0},
                        {"1.5x", false, 0}, {"1e5", false, 0}, {"-0.25", true, -0.25},
                        {"007", false, 0}, {"0", true, 0}};
  for (const Case& c : cases) {
    double value = 0;
    EXPECT_EQ(ParseNumber(c.text, value), c.number) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(Campaign, Links) {
  struct Case {
    std::string_view folder;
    bool inside;      // on this build
    std::string url;  // of the folder
  };
  const std::string backslash = kWindowsNames ? "/" : "%5C";
  const Case cases[] = {
      {"20240612_0930/", true, "20240612_0930/"},
      {"day 2/x/", true, "day%202/x/"},
      {"a\\b\\", true, "a" + backslash + "b" + backslash},
      {"odd,\"<&>'\xff#?%:/", !kWindowsNames, "odd%2C%22%3C%26%3E%27%FF%23%3F%25%3A/"},
      {"\xC3\xA9t\xC3\xA9~-_./", true, "%C3%A9t%C3%A9~-_./"},
      {"/data/20240612_0930/", false, "/data/20240612_0930/"},
      {"../20240612_0930/", false, "../20240612_0930/"},
      {"a/../../b/", false, "a/../../b/"},
      {"a/.. ./b/", false, "a/..%20./b/"},
      {"..a/b../.../", false, "..a/b../.../"},
      {"..a/b../", true, "..a/b../"},
      {"\\\\host\\share\\", !kWindowsNames, backslash + backslash + "host" + backslash + "share" +
                                               backslash},
      {"..\\x\\", !kWindowsNames, ".." + backslash + "x" + backslash},
      {"C:\\data\\", !kWindowsNames, "C%3A" + backslash + "data" + backslash},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsInsideWorkingFolder(c.folder), c.inside) << c.folder;
    std::string url;
    AppendUrlPath(url, c.folder);
    EXPECT_EQ(url, c.url) << c.folder;
  }
}

TEST(Campaign, LongitudesAcrossTheDateLine) {
  struct Case {
    double reference;
    std::vector<double> longitudes, unwrapped;
  };
  const Case cases[] = {
      {10, {10, 11, 9}, {10, 11, 9}},
      {179.5, {179.9, -179.9, -179.5, 179.8}, {179.9, 180.1, 180.5, 179.8}},
      {-179.9, {179.9, -179.8}, {-180.1, -179.8}},  // a second track near the first's start
      {0, {-170, 170, -170}, {-170, -190, -170}},
  };
  for (const Case& c : cases) {
    LongitudeUnwrap unwrap;
    for (std::size_t i = 0; i < c.longitudes.size(); ++i)
      EXPECT_NEAR(UnwrapLongitude(unwrap, c.reference, c.longitudes[i]), c.unwrapped[i], 1e-9)
          << c.reference << " " << i;
  }
}

TEST(Campaign, Graticule) {
  struct Case {
    double least, step;
    double degrees;
    bool longitude;
    std::string label;
  };
  const Case cases[] = {
      {0.0013, 0.002, 14.536, false, "14.536\xC2\xB0N"},
      {0.021, 0.05, -90.85, true, "90.85\xC2\xB0W"},
      {0.5, 0.5, -0.5, false, "0.5\xC2\xB0S"},
      {0.2, 0.2, 0.4, false, "0.4\xC2\xB0N"},
      {1, 1, 0, true, "0\xC2\xB0"},
      {3, 5, 185, true, "175\xC2\xB0W"},
      {40, 50, -180, true, "180\xC2\xB0"},
      {0.002, 0.002, 180.004, true, "179.996\xC2\xB0W"},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(GraticuleStep(c.least), c.step) << c.least;
    std::string label;
    AppendDegrees(label, c.degrees, c.step, c.longitude);
    EXPECT_EQ(label, c.label) << c.degrees;
  }
}

// The x,y pairs of a drawn track, and how many pieces its line has.
std::vector<std::pair<double, double>> Drawn(const std::string& path, int& pieces) {
  std::vector<std::pair<double, double>> points;
  std::string d = path.substr(path.find(" d=\"") + 4);
  d = d.substr(0, d.find('"'));
  pieces = static_cast<int>(std::count(d.begin(), d.end(), 'M'));
  std::replace(d.begin(), d.end(), 'M', ' ');
  std::replace(d.begin(), d.end(), ',', ' ');
  std::istringstream in(d);
  for (double x, y; in >> x >> y;) points.emplace_back(x, y);
  return points;
}

TEST(Campaign, MapFillsItsBoxAndThinsTracks) {
  struct Case {
    int points;
    double step;    // degrees from point to point, along a diagonal
    double zigzag;  // and north at every odd point
    int gap_at;     // a spectrum without a position before this point, or -1
    std::size_t drawn;
    int pieces;
  };
  const Case cases[] = {
      {1, 0, 0, -1, 1, 1},
      {3, 0.001, 0, -1, 3, 1},
      {5, 0.001, 0, 2, 5, 2},
      {5000, 0.0001, 0.1, -1, 1668, 1},  // every third point, and the last
      {5000, 0.0001, 0, -1, 834, 1},     // and none within half a pixel of the one before
      {5000, 1e-10, 0, 4000, 2, 2},      // all on one pixel but for the break
  };
  for (const Case& c : cases) {
    auto point = [&](int i) {
      return TrackPoint{-90 + c.step * i, 60 + c.step * i + c.zigzag * (i % 2)};
    };
    MapExtent extent;
    LongitudeUnwrap unwrap;
    for (int i = 0; i < c.points; ++i) AddToExtent(extent, unwrap, point(i));
    MapView view = MakeMapView(extent);
    std::string out;
    MapTrack track;
    StartMapTrack(out, track, c.points, "#000000");
    for (int i = 0; i < c.points; ++i) {
      if (i == c.gap_at) AddMapGap(track);
      AddMapPoint(out, track, view, point(i));
    }
    EndMapTrack(out, track, "#000000", "s");
    int pieces = 0;
    auto drawn = Drawn(out, pieces);
    EXPECT_EQ(drawn.size(), c.drawn) << c.points;
    EXPECT_EQ(pieces, c.pieces) << c.points;
    // The box is filled in one direction and holds the track in both: at
    // 60 degrees a degree of longitude is half as wide as one of latitude.
    double dx = drawn.back().first - drawn.front().first;
    double dy = drawn.front().second - drawn.back().second;
    bool diagonal = c.step >= 0.0001 && c.zigzag == 0;
    if (diagonal) {
      EXPECT_NEAR(dx / dy, 0.5, 0.01) << c.points;
    }
    for (auto [x, y] : drawn) {
      EXPECT_TRUE(x >= view.left && x <= view.left + view.plot_width) << x;
      EXPECT_TRUE(y >= view.top && y <= view.top + view.plot_height) << y;
    }
    if (diagonal) {
      EXPECT_TRUE(std::fabs(dx - view.plot_width / 1.12) < 1 ||
                  std::fabs(dy - view.plot_height / 1.12) < 1) << c.points;
    }
  }
}

}  // namespace
}  // namespace vulconv
